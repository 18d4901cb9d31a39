#include "io/channel.h"

#include <new>

#include "io/progress_watch.h"
#include "io/result_codes.h"
#include "io/tcp_connection.h"
#include "os/file.h"
#include "os/spooler.h"

namespace gc {

namespace {

constexpr size_t kTcpChunk = 1024 * 1024;

int DeliverTcp(OutputChannel& ch, const uint8_t* bytes, size_t length) {
  std::atomic<uint64_t>* counter = nullptr;
  if (ProgressWatch* watch = ch.progress) {
    os::MutexLock hold(watch->lock);
    watch->abortableConnection = ch.tcp;
    counter = &watch->byteCounter;
  }
  for (size_t at = 0; at < length; at += kTcpChunk) {
    size_t chunk = length - at < kTcpChunk ? length - at : kTcpChunk;
    if (SendAll(*ch.tcp, bytes + at, chunk, counter).code != 0) return kTcpFailed;
  }
  return 0;
}

void Count(OutputChannel& ch, uint64_t bytes) {
  if (ch.progress) ch.progress->byteCounter.fetch_add(bytes);
}

int DeliverSpooler(OutputChannel& ch, const uint8_t* bytes, size_t length) {
  for (size_t at = 0; at < length;) {
    uint32_t piece = length - at > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<uint32_t>(length - at);
    uint32_t written = 0;
    if (!ch.spooler->Write(ch.printer, bytes + at, piece, &written) || written != piece) return kSpoolerFailed;
    Count(ch, piece);
    at += piece;
  }
  return 0;
}

int DeliverFile(OutputChannel& ch, const uint8_t* bytes, size_t length) {
  size_t written = 0;
  bool ok = ch.file->Write(bytes, length, &written);
  Count(ch, written);
  return ok ? kStreamOk : kFileFailed;
}

int DeliverMemory(OutputChannel& ch, const uint8_t* bytes, size_t length) {
  try {
    ch.memory->insert(ch.memory->end(), bytes, bytes + length);
  } catch (const std::bad_alloc&) {
    return kFileFailed;
  }
  Count(ch, length);
  return kStreamOk;
}

int Deliver(OutputChannel& ch, const uint8_t* bytes, size_t length) {
  int code = 0;
  switch (ch.kind) {
    case ChannelKind::Tcp:
      code = ch.tcp ? DeliverTcp(ch, bytes, length) : kTcpFailed;
      break;
    case ChannelKind::Spooler:
      code = ch.spooler ? DeliverSpooler(ch, bytes, length) : kSpoolerFailed;
      break;
    case ChannelKind::File:
      code = ch.file ? DeliverFile(ch, bytes, length) : kFileFailed;
      break;
    case ChannelKind::Memory:
      code = ch.memory ? DeliverMemory(ch, bytes, length) : kFileFailed;
      break;
  }
  if (code != 0) ch.failure = code;
  return code;
}

// The three writers share one gathering buffer; the channel's kind picks the OS call.
int Gather(OutputChannel& ch, const uint8_t* bytes, size_t length) {
  if (ch.failure) return ch.failure;
  if (length == 0) return 0;
  if (ch.pending.empty() && length >= kGatherBlock) return Deliver(ch, bytes, length);
  ch.pending.insert(ch.pending.end(), bytes, bytes + length);
  return ch.pending.size() >= kGatherBlock ? FlushChannel(ch) : 0;
}

}  // namespace

int TcpWrite(OutputChannel& ch, const uint8_t* bytes, size_t length) {
  return Gather(ch, bytes, length);
}
int SpoolerWrite(OutputChannel& ch, const uint8_t* bytes, size_t length) {
  return Gather(ch, bytes, length);
}
int FileWrite(OutputChannel& ch, const uint8_t* bytes, size_t length) {
  return Gather(ch, bytes, length);
}
int MemoryWrite(OutputChannel& ch, const uint8_t* bytes, size_t length) {
  return Gather(ch, bytes, length);
}

ChannelWrite WriterFor(ChannelKind kind) {
  switch (kind) {
    case ChannelKind::Tcp:
      return TcpWrite;
    case ChannelKind::Spooler:
      return SpoolerWrite;
    case ChannelKind::File:
      return FileWrite;
    case ChannelKind::Memory:
      return MemoryWrite;
  }
  return FileWrite;
}

int FlushChannel(OutputChannel& ch) {
  if (ch.failure) return ch.failure;
  if (ch.pending.empty()) return 0;
  int code = Deliver(ch, ch.pending.data(), ch.pending.size());
  ch.pending.clear();
  return code;
}

}  // namespace gc
