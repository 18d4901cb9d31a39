// The C and C++ runtime (libgcc's thread glue, mingw's CRT helpers) calls
// three wide kernel functions that Windows 98 and Me implement only as stubs
// that fail: CreateSemaphoreW for its mutexes, whose failure makes a
// contended lock fail (a static initialised on two threads at once would end
// the program), and GetModuleHandleW / LoadLibraryW to find msvcrt.dll and
// advapi32.dll. These definitions take the place of the import slots the
// runtime calls through, so that the deliverables call the ANSI forms, which
// every system has. Linked into each deliverable as an object of its own:
// from a library it would come too late to stand in for the import.
#include <windows.h>

#include <string>

namespace {

// The runtime passes no name, or a module name in ASCII.
bool AsciiName(const wchar_t* wide, std::string* out) {
  out->clear();
  for (; *wide; ++wide) {
    if (*wide > 0x7F) return false;
    out->push_back(static_cast<char>(*wide));
  }
  return true;
}

HANDLE WINAPI CreateSemaphoreAnsi(LPSECURITY_ATTRIBUTES attributes, LONG initial, LONG maximum,
                                  LPCWSTR name) {
  std::string narrow;
  if (name && !AsciiName(name, &narrow)) {
    SetLastError(ERROR_INVALID_NAME);
    return nullptr;
  }
  return CreateSemaphoreA(attributes, initial, maximum, name ? narrow.c_str() : nullptr);
}

HMODULE WINAPI GetModuleHandleAnsi(LPCWSTR name) {
  std::string narrow;
  if (!name) return GetModuleHandleA(nullptr);
  if (!AsciiName(name, &narrow)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  return GetModuleHandleA(narrow.c_str());
}

HMODULE WINAPI LoadLibraryAnsi(LPCWSTR name) {
  std::string narrow;
  if (!name || !AsciiName(name, &narrow)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  return LoadLibraryA(narrow.c_str());
}

}  // namespace

#ifdef _WIN64
#define GC_IMPORT_SLOT(name, argumentBytes) "__imp_" #name
#else
#define GC_IMPORT_SLOT(name, argumentBytes) "__imp__" #name "@" #argumentBytes
#endif

extern "C" {
HANDLE(WINAPI* gcCreateSemaphoreW)(LPSECURITY_ATTRIBUTES, LONG, LONG, LPCWSTR) __asm__(
    GC_IMPORT_SLOT(CreateSemaphoreW, 16)) = CreateSemaphoreAnsi;
HMODULE(WINAPI* gcGetModuleHandleW)(LPCWSTR) __asm__(GC_IMPORT_SLOT(GetModuleHandleW, 4)) =
    GetModuleHandleAnsi;
HMODULE(WINAPI* gcLoadLibraryW)(LPCWSTR) __asm__(GC_IMPORT_SLOT(LoadLibraryW, 4)) =
    LoadLibraryAnsi;
}
