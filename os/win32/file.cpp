#include "os/file.h"

#include <windows.h>

namespace gc {

namespace {
HANDLE H(intptr_t h) {
  return reinterpret_cast<HANDLE>(h);
}
}  // namespace

File File::OpenRead(const char* path, bool exclusive) {
  File f;
  HANDLE h = CreateFileA(path, GENERIC_READ, exclusive ? 0 : FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) f.handle_ = reinterpret_cast<intptr_t>(h);
  return f;
}

File File::Create(const char* path) {
  File f;
  HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) f.handle_ = reinterpret_cast<intptr_t>(h);
  return f;
}

long long File::Read(void* buffer, size_t length) {
  DWORD got = 0;
  if (length > 0x7FFFFFFF) length = 0x7FFFFFFF;
  if (!ReadFile(H(handle_), buffer, static_cast<DWORD>(length), &got, nullptr))
    return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;  // a pipe's writer has finished
  return got;
}

bool File::Write(const void* bytes, size_t length, size_t* written) {
  size_t done = 0;
  const char* p = static_cast<const char*>(bytes);
  while (done < length) {
    DWORD chunk = static_cast<DWORD>(length - done > 0x40000000 ? 0x40000000 : length - done);
    DWORD n = 0;
    if (!WriteFile(H(handle_), p + done, chunk, &n, nullptr) || n == 0) break;
    done += n;
  }
  if (written) *written = done;
  return done == length;
}

bool File::Rewind() {
  return SetFilePointer(H(handle_), 0, nullptr, FILE_BEGIN) == 0;
}

bool File::Size(uint64_t* size) const {
  DWORD high = 0;
  DWORD low = GetFileSize(H(handle_), &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
  *size = (static_cast<uint64_t>(high) << 32) | low;
  return true;
}

void File::Close() {
  if (handle_ != kNone) CloseHandle(H(handle_));
  handle_ = kNone;
}

bool RemoveFile(const char* path) {
  return DeleteFileA(path) != 0;
}
int LastErrorCode() {
  return static_cast<int>(GetLastError());
}

}  // namespace gc

#include "os/ui.h"

namespace gc::os {
std::string SystemErrorText(int code) {
  char text[512] = {};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                           text, sizeof text, nullptr);
  // The system's text comes in the ANSI code page; every text of ours is UTF-8.
  std::string s;
  const int wide = n ? MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(n), nullptr, 0) : 0;
  if (wide > 0) {
    std::wstring units(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(n), units.data(), wide);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, units.data(), wide, nullptr, 0, nullptr,
                                          nullptr);
    s.resize(static_cast<size_t>(bytes > 0 ? bytes : 0));
    if (bytes > 0)
      WideCharToMultiByte(CP_UTF8, 0, units.data(), wide, s.data(), bytes, nullptr, nullptr);
  }
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
  return s.empty() ? "Error " + std::to_string(code) : s;
}
}  // namespace gc::os
