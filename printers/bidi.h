// Switching off the bidirectional support of local queues on USB and LPT1:
// ports while a job writes to them, and back on when it ends.
#pragma once
#include <string>
#include <vector>

#include "os/spooler.h"

namespace gc {

inline constexpr int kBidiUsbPorts = 1;  // port names containing "USB"
inline constexpr int kBidiLpt1 = 2;      // the port named "LPT1:"

// Clears the enable-bidirectional bit of every queue of the mode that has it
// set, remembering each in bidiSuspendedQueues before the change. 1 on
// success, 0 at the first failure.
int SuspendBidi(os::SpoolerPort& spooler, int mode);

// Sets the bit again on every remembered queue, going on past failures, and
// forgets them. 1 when all were restored, 0 when any failed. When the
// spooler cannot be read nothing is tried and the queues stay remembered for
// the next call.
//
// A job's calls and the progress dialog's cancel path may come from two
// threads; a lock keeps them from running at the same time.
int RestoreBidi(os::SpoolerPort& spooler);

// A copy of bidiSuspendedQueues, in order.
std::vector<std::string> BidiSuspendedQueues();

// How the information copies are taken; tests swap in one that runs out of
// memory. nullptr restores the default.
using InfoCopy = bool (*)(const os::PrinterInfo& from, os::PrinterInfo* to);
void SetInfoCopyForTesting(InfoCopy copy);

}  // namespace gc
