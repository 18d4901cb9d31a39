// A USB printer played by a test: a device list with properties, a registry
// with the 9x enumeration keys, and a pipe whose answers the test scripts.
// Events and waits are the real ones, so cancellation runs across threads.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <setupapi.h>

#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "usblib/platform.h"
#include "usblib/usb_api.h"

namespace gc::usb::test {

struct FakeDevice {
  std::string path;
  std::string location;         // SPDRP_LOCATION_INFORMATION
  std::string description;      // SPDRP_DEVICEDESC
  std::string service;          // SPDRP_SERVICE
  bool enumFails = false;       // SetupDiEnumDeviceInterfaces fails (not "no more items")
  bool detailFails = false;     // the detail read fails after the size query
  bool propertiesFail = false;  // every property query fails
};

// How the pipe answers one write or request, in call order.
struct Answer {
  enum Mode {
    kPending,           // completes at once, reported as pending (the usual case)
    kImmediate,         // completes inside the call, which returns TRUE
    kRefused,           // the call fails without pending
    kCompletesInError,  // pending, then completes with a device error
    kHeld,              // pending until CancelIo or CompleteHeld
  };
  static constexpr DWORD kAll = 0xFFFFFFFF;
  Answer(Mode m = kPending, DWORD b = kAll, std::vector<BYTE> out = {})
      : mode(m), bytes(b), output(std::move(out)) {}
  Mode mode;
  DWORD bytes;               // transferred or returned; kAll = all written / all output
  std::vector<BYTE> output;  // for requests
};

struct Request {
  DWORD code;
  std::vector<BYTE> input;
  DWORD outputSize;
  HANDLE event;  // of the overlapped block, null when none
};

class FakeUsb {
 public:
  FakeUsb();   // installs the fake table
  ~FakeUsb();  // restores the real one and closes what the fake holds
  FakeUsb(const FakeUsb&) = delete;
  FakeUsb& operator=(const FakeUsb&) = delete;

  // Registry keys below HKEY_LOCAL_MACHINE, created with their parents.
  void AddKey(const std::string& path);
  void AddSymbolicName(const std::string& path, const std::string& value);
  // Frees an enumeration result through the table, as a caller would.
  void FreeList(UsbDeviceName* list, int count);
  // Completes a kHeld request from another thread.
  void CompleteHeld(DWORD bytes);

  std::vector<FakeDevice> devices;
  std::deque<Answer> answers;
  bool openFails = false;
  bool waitFails = false;
  int failAllocation = -1;  // index of the LocalAlloc call that returns null

  // What the library did.
  int setsOpened = 0;
  int setsDestroyed = 0;
  const GUID* classGuid = nullptr;
  DWORD classFlags = 0;
  std::vector<DWORD> propertiesQueried;
  std::vector<std::string> opens;
  DWORD openAccess = 0, openShare = 0, openDisposition = 0, openFlags = 0;
  std::vector<std::vector<BYTE>> writes;
  std::vector<HANDLE> writeEvents;
  std::vector<Request> requests;
  int cancelIoCalls = 0;
  int pipeCloses = 0;
  int eventCloses = 0;
  std::vector<std::string> eventNames;
  BOOL eventManualReset = -1, eventInitialState = -1;
  std::vector<DWORD> waitTimeouts;
  int allocations = 0;      // LocalAlloc calls
  int liveAllocations = 0;  // allocated minus freed through the table
  int keysOpen = 0;
  std::vector<DWORD> keyNameLimits;
  std::string diagnostics;
  HANDLE heldSignal;  // real event, set when a kHeld request starts

  // Internals shared with the fake functions.
  struct Key {
    std::vector<std::string> subkeys;
    bool hasSymbolicName = false;
    std::string symbolicName;
  };
  std::map<std::string, Key> keys;  // lower-case path
  std::map<HKEY, std::string> openKeys;
  int nextKey = 0x1000;
  OVERLAPPED* held = nullptr;
  Platform table;
};

inline const HANDLE kFakePipe = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x9190));

}  // namespace gc::usb::test
