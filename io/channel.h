// Where a job's bytes go: a network printer, a spooler job, a file, or memory
// (a stream built once, for many printers).
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace gc {

struct TcpConnection;

enum class ChannelKind : int { Tcp = 0, Spooler = 1, File = 2, Memory = 3 };

class File;
namespace os {
class SpoolerPort;
}

// Small pieces are gathered and handed to the OS in blocks of at least
// kGatherBlock bytes, so that a font does not cost a system call per command.
constexpr size_t kGatherBlock = 64 * 1024;

struct ProgressWatch;

struct OutputChannel {
  ChannelKind kind = ChannelKind::File;
  ProgressWatch* progress = nullptr;   // the job's, counting what the OS accepted; may be none
  TcpConnection* tcp = nullptr;        // kind Tcp
  os::SpoolerPort* spooler = nullptr;  // kind Spooler
  void* printer = nullptr;             // kind Spooler: the open printer handle
  File* file = nullptr;                // kind File
  std::vector<uint8_t>* memory = nullptr;  // kind Memory
  std::vector<uint8_t> pending;        // gathered bytes not yet handed to the OS
  int failure = 0;                     // first write failure; every later write returns it
};

// Returns 0 or the channel's error code (kTcpFailed, kSpoolerFailed, kFileFailed).
using ChannelWrite = int (*)(OutputChannel& channel, const uint8_t* bytes, size_t length);

int TcpWrite(OutputChannel& channel, const uint8_t* bytes, size_t length);
int SpoolerWrite(OutputChannel& channel, const uint8_t* bytes, size_t length);
int FileWrite(OutputChannel& channel, const uint8_t* bytes, size_t length);
int MemoryWrite(OutputChannel& channel, const uint8_t* bytes, size_t length);

// The writer that fits the channel's kind.
ChannelWrite WriterFor(ChannelKind kind);

// Hands every gathered byte to the OS; returns 0 or the channel's error code.
// Called at the end of each item stream and before any wait.
int FlushChannel(OutputChannel& channel);

}  // namespace gc
