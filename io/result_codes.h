// What stream builders, converters and channel writers return: 0, or the
// first failure. The values are the ones the program's messages and tests
// know them by.
#pragma once

namespace gc {

enum StreamResult : int {
  kStreamOk = 0,
  kFileFailed = 1,         // a file cannot be opened or written
  kFileTooLarge = 3,       // its size does not fit in 32 bits
  kFileEmpty = 4,
  kReadOrWriteFailed = 5,  // a file cannot be read whole, or a converter's write failed
  kTcpFailed = 6,
  kSpoolerFailed = 7,
  kUnknownItemType = 8,
  kNotASoftFont = 9,       // the scanner cannot start, or finds what no soft font holds
  kScanMismatch = 10,      // the emitting pass wrote other than the measuring pass counted
  kUnsupportedTrueType = 11,  // a cmap format the writer does not know; message 158 shown
};

}  // namespace gc
