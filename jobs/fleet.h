// Many printers at once: up to `jobs` workers each take the next printer,
// open its own channel (with its own progress record and abort handle), run
// the command's work on it and keep a result per printer. The same bytes go
// to every printer: streams are built before the fleet starts.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "io/channel.h"
#include "io/progress_watch.h"
#include "items/download_item.h"
#include "os/spooler.h"
#include "os/threads.h"
#include "pjl/replies.h"
#include "printers/printer_channel.h"

namespace gc {

namespace os {
class Ui;
}

enum class PrinterState : int { Waiting, Connecting, Working, Done, Failed, Skipped };

struct StoredFile {
  std::string folder;  // "fonts" or "macros"
  std::string name;
  uint64_t size = 0;
};

struct PrinterResult {
  std::string printer;  // as the user named it
  PrinterState state = PrinterState::Waiting;
  std::string message;  // why it failed or was skipped; empty when done
  uint64_t bytes = 0;   // what the OS accepted for it
  double seconds = 0;
  int verified = -1;    // -1 not asked, else 0 or 1
  std::vector<StoredFile> stored;
  std::vector<std::pair<std::string, std::string>> deleted;  // name, what became of it
  bool ok() const { return state == PrinterState::Done; }
};

struct FleetOptions {
  int jobs = 8;
  bool keepGoing = false;   // else the first failure stops starting new printers
  int connectTimeoutMs = 3000;
  int connectAttempts = 5;
  int replyTimeoutMs = 5000;     // for each PJL round trip
  int finishTimeoutMs = 30000;   // for a printer to read the rest and close
  os::SpoolerPort* spooler = nullptr;
  std::string jobName = "Glyphcast Job";
};

// One printer's connection as the command's work sees it.
class PrinterSession {
 public:
  PrinterSession(const PrinterTarget& target, OutputChannel& channel, PrinterResult& result,
                 const FleetOptions& options, int serial)
      : target_(target), channel_(channel), result_(result), options_(options), serial_(serial) {}

  const PrinterTarget& target() const { return target_; }
  size_t index() const { return static_cast<size_t>(serial_); }  // among the fleet's printers
  PrinterResult& result() { return result_; }

  // Bytes to the printer, handed to the OS before it returns; false (the
  // result says why) when the channel failed.
  bool Send(std::string_view bytes);
  // PJL requests (network printers only) and every reply up to the answer to
  // an ECHO sent after them; false (the result says why) when the printer
  // does not answer in time or the connection fails.
  bool Ask(const std::string& requests, std::vector<pjl::Reply>* replies);
  // The printer has failed with this message.
  bool Fail(const std::string& message);

 private:
  const PrinterTarget& target_;
  OutputChannel& channel_;
  PrinterResult& result_;
  const FleetOptions& options_;
  int serial_;
  int asked_ = 0;
  std::string pending_;  // reply bytes not yet complete
};

class Fleet {
 public:
  // `names` are the printers as the user gave them, one per target.
  Fleet(std::vector<PrinterTarget> printers, std::vector<std::string> names, FleetOptions options);
  ~Fleet();

  // Runs `work` on every printer; returns once every worker has ended. Work
  // returns false after session.Fail (or a failed Send/Ask).
  void Run(const std::function<bool(PrinterSession&)>& work);

  // From another thread. Cancel: no printer starts any more, and a write
  // that stalls is aborted at the next Tick; AbortAll ends every write now.
  void Cancel();
  void AbortAll();
  void Tick();  // every kProgressTickMs while Run runs
  bool cancelled() const { return cancelled_.load() != 0; }

  // A copy of every printer's result, with the bytes counted so far.
  std::vector<PrinterResult> Results() const;

  struct Slot;

 private:
  void Serve(const std::function<bool(PrinterSession&)>& work);
  void RunPrinter(size_t index, const std::function<bool(PrinterSession&)>& work);

  std::vector<std::unique_ptr<Slot>> slots_;
  FleetOptions options_;
  std::atomic<size_t> next_{0};
  std::atomic<int> cancelled_{0};
  std::atomic<int> stopped_{0};  // a printer failed and keepGoing is off
  mutable os::Mutex lock_;
};

// The download stream of `items`, built once (each item's stream, and a
// sample page after each font when `charsPerLine` is 1 to 100), and what a
// verification asks of each stored item: its volume path and its SIZE.
struct BuiltStream {
  std::string bytes;
  struct Expected {
    std::string path;
    uint32_t size;
  };
  std::vector<Expected> expected;
};
// 0, or the message to show (it has not been shown): 145 when an item's
// stream cannot be built (message 158 shown through `ui` for an unconvertible
// font), 168 when a sample page cannot.
int BuildDownloadStream(os::Ui* ui, const ItemList& items, int charsPerLine, BuiltStream* out);

}  // namespace gc
