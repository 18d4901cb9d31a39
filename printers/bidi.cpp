#include "printers/bidi.h"

#include "os/threads.h"
#include <new>

namespace gc {

namespace {

bool CopyInfo(const os::PrinterInfo& from, os::PrinterInfo* to) {
  try {
    *to = from;
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

struct BidiState {
  os::Mutex lock;
  std::vector<std::string> suspendedQueues;  // bidiSuspendedQueues
  InfoCopy copy = CopyInfo;
};

BidiState& State() {
  static BidiState state;
  return state;
}

int OutOfMemory(os::SpoolerPort& spooler) {
  spooler.SetLastError(os::kErrorInsufficientBuffer);
  return 0;
}

bool Qualifies(const os::PrinterInfo& p, int mode) {
  if (!(p.attributes & os::kAttributeEnableBidi)) return false;
  if (mode == kBidiUsbPorts) return p.portName.find("USB") != std::string::npos;
  if (mode == kBidiLpt1) return p.portName == "LPT1:";
  return false;
}

bool SetAttributes(os::SpoolerPort& spooler, const os::PrinterInfo& info) {
  os::PrinterHandle printer = spooler.OpenAdminister(info.name);
  if (!printer) return false;
  bool set = spooler.SetInfo(printer, info);
  spooler.Close(printer);
  return set;
}

}  // namespace

int SuspendBidi(os::SpoolerPort& spooler, int mode) {
  BidiState& state = State();
  os::MutexLock hold(state.lock);
  std::vector<os::PrinterInfo> printers;
  if (!spooler.ListPrinters(2, &printers)) return 0;
  for (const os::PrinterInfo& p : printers) {
    if (!Qualifies(p, mode)) continue;
    os::PrinterInfo copy;
    if (!state.copy(p, &copy)) return OutOfMemory(spooler);
    // Remembered before the change, so that a change that half happened is undone too.
    try {
      state.suspendedQueues.push_back(p.name);
    } catch (const std::bad_alloc&) {
      return OutOfMemory(spooler);
    }
    copy.attributes &= ~os::kAttributeEnableBidi;
    if (!SetAttributes(spooler, copy)) return 0;
  }
  return 1;
}

int RestoreBidi(os::SpoolerPort& spooler) {
  BidiState& state = State();
  os::MutexLock hold(state.lock);
  std::vector<os::PrinterInfo> printers;
  if (!spooler.ListPrinters(2, &printers)) return 0;
  std::vector<std::string> names;
  names.swap(state.suspendedQueues);
  // Every queue gets its chance: one that cannot be restored must not leave
  // the ones after it switched off for good.
  int result = 1;
  for (const std::string& name : names) {
    for (const os::PrinterInfo& p : printers) {
      if (p.name != name) continue;
      os::PrinterInfo copy;
      if (!state.copy(p, &copy)) {
        result = OutOfMemory(spooler);
        continue;
      }
      copy.attributes |= os::kAttributeEnableBidi;
      if (!SetAttributes(spooler, copy)) result = 0;
    }
  }
  return result;
}

std::vector<std::string> BidiSuspendedQueues() {
  BidiState& state = State();
  os::MutexLock hold(state.lock);
  return state.suspendedQueues;
}

void SetInfoCopyForTesting(InfoCopy copy) {
  BidiState& state = State();
  os::MutexLock hold(state.lock);
  state.copy = copy ? copy : CopyInfo;
}

}  // namespace gc
