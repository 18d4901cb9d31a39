#include "jobs/fleet.h"

#include "io/tcp_connection.h"
#include "jobs/item_files.h"
#include "jobs/progress_tick.h"
#include "jobs/streams.h"
#include "pjl/requests.h"
#include "printers/bidi.h"
#include "resources/messages.h"
#include "sample/font_sample.h"

namespace gc {

namespace {

double SecondsSince(uint64_t startMs) {
  return static_cast<double>(os::TickCountMs() - startMs) / 1000.0;
}

std::string QueueFailure(int message) {
  switch (message) {
    case kMsgDocumentRefused:
      return "the queue refused the document";
    case kMsgPageRefused:
      return "the queue refused the page";
    default:
      return "the queue cannot be opened";
  }
}

}  // namespace

struct Fleet::Slot {
  PrinterTarget target;
  PrinterResult result;  // under the fleet's lock
  ProgressWatch watch;
  uint64_t startMs = 0;
  TcpConnection* tcp = nullptr;  // under the fleet's lock, while connected
};

bool PrinterSession::Fail(const std::string& message) {
  if (result_.message.empty()) result_.message = message;
  return false;
}

bool PrinterSession::Send(std::string_view bytes) {
  int code = WriterFor(channel_.kind)(channel_, reinterpret_cast<const uint8_t*>(bytes.data()),
                                      bytes.size());
  if (code == 0) code = FlushChannel(channel_);
  if (code == 0) return true;
  const uint64_t taken = channel_.progress ? channel_.progress->byteCounter.load() : 0;
  if (channel_.kind == ChannelKind::Tcp && channel_.tcp && channel_.tcp->abortFlag.load())
    return Fail("aborted: the printer had stopped taking data (" + std::to_string(taken) +
                " bytes taken)");
  if (channel_.kind == ChannelKind::Tcp)
    return Fail("the connection failed after " + std::to_string(taken) + " bytes");
  return Fail("the queue did not take the data");
}

bool PrinterSession::Ask(const std::string& requests, std::vector<pjl::Reply>* replies) {
  if (!target_.network || !channel_.tcp)
    return Fail("a local queue cannot answer; read-back needs a network printer");
  const std::string token = "GC" + std::to_string(serial_) + "X" + std::to_string(++asked_);
  std::string job = std::string(pjl::kUel) + "@PJL\r\n" + requests + pjl::Echo(token);
  if (!Send(job.append(pjl::kUel))) return false;
  const uint64_t start = os::TickCountMs();
  for (;;) {
    std::vector<pjl::Reply> got;
    pending_.erase(0, pjl::TakeReplies(pending_, &got));
    for (pjl::Reply& reply : got) {
      if (pjl::IsEchoOf(reply, token)) return true;
      replies->push_back(std::move(reply));
    }
    const uint64_t spent = os::TickCountMs() - start;
    if (spent >= static_cast<uint64_t>(options_.replyTimeoutMs))
      return Fail("no answer to PJL within " + std::to_string(options_.replyTimeoutMs / 1000) +
                  " s");
    switch (ReceiveSome(*channel_.tcp, options_.replyTimeoutMs - static_cast<int>(spent),
                        &pending_)) {
      case -1:
        return Fail("the printer closed the connection before it answered");
      case -2:
        return Fail("the connection failed while waiting for the answer");
    }
  }
}

Fleet::Fleet(std::vector<PrinterTarget> printers, std::vector<std::string> names,
             FleetOptions options)
    : options_(std::move(options)) {
  for (size_t i = 0; i < printers.size(); ++i) {
    auto slot = std::make_unique<Slot>();
    slot->target = printers[i];
    slot->result.printer = i < names.size() ? names[i] : printers[i].name;
    slots_.push_back(std::move(slot));
  }
}

Fleet::~Fleet() = default;

void Fleet::Run(const std::function<bool(PrinterSession&)>& work) {
  // Bidirectional support switched off for local queues comes back on at the end.
  bool anyLocal = false;
  for (const auto& slot : slots_) anyLocal = anyLocal || !slot->target.network;
  if (anyLocal && options_.spooler) {
    SuspendBidi(*options_.spooler, kBidiUsbPorts);
    SuspendBidi(*options_.spooler, kBidiLpt1);
  }
  const size_t workers =
      std::min(slots_.size(), static_cast<size_t>(options_.jobs < 1 ? 1 : options_.jobs));
  std::vector<std::unique_ptr<os::Thread>> threads;
  for (size_t i = 1; i < workers; ++i) {
    auto thread = std::make_unique<os::Thread>();
    // A worker that cannot start leaves its printers to the others.
    if (thread->Start([this, &work] { Serve(work); }) == 0) threads.push_back(std::move(thread));
  }
  Serve(work);
  for (auto& thread : threads) thread->Join();
  if (anyLocal && options_.spooler) RestoreBidi(*options_.spooler);
}

void Fleet::Serve(const std::function<bool(PrinterSession&)>& work) {
  for (size_t i = next_++; i < slots_.size(); i = next_++) {
    Slot& slot = *slots_[i];
    const char* skipped = cancelled_.load() ? "cancelled before it started"
                          : stopped_.load() ? "not started: an earlier printer failed"
                                            : nullptr;
    if (skipped) {
      os::MutexLock hold(lock_);
      slot.result.state = PrinterState::Skipped;
      slot.result.message = skipped;
      continue;
    }
    RunPrinter(i, work);
  }
}

void Fleet::RunPrinter(size_t index, const std::function<bool(PrinterSession&)>& work) {
  Slot& slot = *slots_[index];
  {
    os::MutexLock hold(lock_);
    slot.startMs = os::TickCountMs();
    slot.result.state = PrinterState::Connecting;
  }
  slot.watch.running = 1;
  PrinterResult result = slot.result;
  OutputChannel channel;
  bool ok = true;
  if (slot.target.network) {
    FleetConnect connect{options_.connectTimeoutMs, &cancelled_, options_.connectAttempts};
    TcpConnection* tcp = nullptr;
    if (OpenTcpConnection(slot.target.name.c_str(), slot.target.address.c_str(), &tcp,
                          slot.target.port, nullptr, &connect) != 0) {
      ok = false;
      result.message = cancelled_.load() ? "cancelled while connecting"
                                         : "cannot connect: refused, or no answer to " +
                                               std::to_string(options_.connectAttempts) +
                                               (options_.connectAttempts == 1 ? " attempt"
                                                                               : " attempts");
    } else {
      channel.kind = ChannelKind::Tcp;
      channel.tcp = tcp;
      channel.progress = &slot.watch;
      os::MutexLock hold(lock_);
      slot.tcp = tcp;
    }
  } else if (int message = OpenPrinterChannel(slot.target, options_.spooler, options_.jobName,
                                              channel, &slot.watch)) {
    ok = false;
    result.message = QueueFailure(message);
  }

  if (ok) {
    {
      os::MutexLock hold(lock_);
      slot.result.state = PrinterState::Working;
    }
    PrinterSession session(slot.target, channel, result, options_, static_cast<int>(index));
    ok = work(session);
    if (channel.kind == ChannelKind::Tcp) {
      {
        os::MutexLock hold(lock_);
        slot.tcp = nullptr;
      }
      // Ended once the printer has read everything: no fixed pause.
      int finished = FinishTcpConnection(channel.tcp, ok ? options_.finishTimeoutMs : 0);
      if (ok && finished == 4) {
        ok = false;
        result.message = "the printer reset the connection before it had read everything";
      } else if (ok && finished == 2) {
        ok = false;
        result.message = "aborted";
      }
    } else if (ClosePrinterChannel(channel) != 0 && ok) {
      ok = false;
      result.message = "the queue did not take the data";
    }
  }
  slot.watch.running = 0;
  os::MutexLock hold(lock_);
  result.state = ok ? PrinterState::Done : PrinterState::Failed;
  if (ok) result.message.clear();
  result.bytes = slot.watch.byteCounter.load();
  result.seconds = SecondsSince(slot.startMs);
  slot.result = std::move(result);
  if (!ok && !options_.keepGoing) stopped_ = 1;
}

void Fleet::Cancel() {
  cancelled_ = 1;
  for (auto& slot : slots_) RequestCancel(slot->watch);
}

void Fleet::AbortAll() {
  Cancel();
  os::MutexLock hold(lock_);
  for (auto& slot : slots_)
    if (slot->tcp) AbortTcpConnection(*slot->tcp);
}

void Fleet::Tick() {
  for (auto& slot : slots_)
    if (slot->watch.running.load()) ProgressTick(slot->watch, nullptr);
}

std::vector<PrinterResult> Fleet::Results() const {
  os::MutexLock hold(lock_);
  std::vector<PrinterResult> results;
  for (const auto& slot : slots_) {
    results.push_back(slot->result);
    PrinterResult& r = results.back();
    if (r.state == PrinterState::Connecting || r.state == PrinterState::Working) {
      r.bytes = slot->watch.byteCounter.load();
      r.seconds = SecondsSince(slot->startMs);
    }
  }
  return results;
}

int BuildDownloadStream(os::Ui* ui, const ItemList& items, int charsPerLine, BuiltStream* out) {
  std::vector<uint8_t> memory;
  OutputChannel channel;
  channel.kind = ChannelKind::Memory;
  channel.memory = &memory;
  ItemFiles files;
  out->expected.clear();
  for (const DownloadItem& item : items) {
    ItemOutcome outcome;
    if (WriteItem(ui, item, files, MemoryWrite, channel, &outcome) != 0) return kMsgDownloadFailed;
    if (charsPerLine > 0 && PrintFontSample(charsPerLine, MemoryWrite, channel, item,
                                            outcome.descriptor, outcome.size) != 0)
      return kMsgSampleFailed;
    if (item.resourceType == static_cast<int>(ResourceType::PostScriptFont)) continue;
    const bool macro = item.resourceType == static_cast<int>(ResourceType::PclMacro);
    out->expected.push_back(
        {std::string(macro ? pjl::kMacroFolder : pjl::kFontFolder) + "\\" + item.downloadName,
         outcome.size});
  }
  if (FlushChannel(channel) != 0) return kMsgDownloadFailed;
  out->bytes.assign(memory.begin(), memory.end());
  return 0;
}

}  // namespace gc
