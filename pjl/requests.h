// PJL requests whose replies a printer sends back over the same connection.
// Each is one line, "@PJL ...\r\n"; the caller frames them with UELs.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace gc::pjl {

// Universal Exit Language: ends whatever language the printer is in and
// returns it to PJL. Every PJL job and every download begins and ends with it.
inline constexpr std::string_view kUel = "\x1b%-12345X";

// Where the program stores fonts and macros on volume 0.
inline constexpr char kFontFolder[] = "0:\\pcl\\fonts";
inline constexpr char kMacroFolder[] = "0:\\pcl\\macros";

// A name PJL can quote: 1 to 255 printable bytes without '"' (the printers'
// Roman-8 range), so a request line always stays one line.
bool QuotableName(const std::string& path);

std::string FsQuery(const std::string& path);
std::string FsDirList(const std::string& folder, uint32_t entry, uint32_t count);
std::string FsDelete(const std::string& path);
std::string Echo(const std::string& token);
std::string Info(const std::string& category);  // "ID", "FILESYS", ...

}  // namespace gc::pjl
