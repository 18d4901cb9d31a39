#include "app/about_box.h"

#include <shellapi.h>

#include <string>
#include <vector>

#include "app/about_text.h"
#include "app/program.h"
#include "resources/resource_ids.h"

namespace gc::app {
namespace {

constexpr char kDownloadPage[] = "https://www.marrowick.example/glyphcast/download";

struct AboutBox {
  HWND dialog = nullptr;
  HACCEL keys = nullptr;
  HHOOK hook = nullptr;
  HFONT productFont = nullptr;
  HBITMAP picture = nullptr;
};
AboutBox* current = nullptr;  // the box is modal: at most one

// The running program's file version text, empty when it cannot be read.
std::string ProgramFileVersion() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) return {};
  DWORD unused = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &unused);
  if (size == 0) return {};
  std::vector<char> info(size);
  if (!GetFileVersionInfoA(path, 0, size, info.data())) return {};
  WORD* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translation), &length) ||
      length < 2 * sizeof(WORD))
    return {};
  char* value = nullptr;
  const std::string query = FileVersionQuery(translation[0], translation[1]);
  if (!VerQueryValueA(info.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) ||
      !value)
    return {};
  return value;
}

// Runs the box's keystrokes through its accelerator table while it is modal.
LRESULT CALLBACK FilterKeys(int code, WPARAM wp, LPARAM lp) {
  auto* msg = reinterpret_cast<MSG*>(lp);
  if (code == MSGF_DIALOGBOX && current && current->keys && msg &&
      (msg->hwnd == current->dialog || IsChild(current->dialog, msg->hwnd)) &&
      TranslateAcceleratorA(current->dialog, current->keys, msg))
    return TRUE;
  return CallNextHookEx(nullptr, code, wp, lp);
}

void Open(AboutBox& box, HWND dialog) {
  box.dialog = dialog;
  const std::string version = ProgramFileVersion();
  if (!version.empty())
    SetDlgItemTextA(dialog, IDC_ABOUT_VERSION, AboutVersionLine(version).c_str());

  HMODULE res = program().resources;
  box.picture = static_cast<HBITMAP>(LoadImageA(res, MAKEINTRESOURCEA(IDB_ABOUT), IMAGE_BITMAP, 0,
                                                0, LR_LOADTRANSPARENT | LR_LOADMAP3DCOLORS));
  if (box.picture)
    SendDlgItemMessageA(dialog, IDC_ABOUT_PICTURE, STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(box.picture));

  box.productFont =
      CreateFontA(28, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
  SetDlgItemTextA(dialog, IDC_ABOUT_PRODUCT, "Glyphcast");
  if (box.productFont)
    SendDlgItemMessageA(dialog, IDC_ABOUT_PRODUCT, WM_SETFONT,
                        reinterpret_cast<WPARAM>(box.productFont), TRUE);

  box.keys = LoadAcceleratorsA(res, MAKEINTRESOURCEA(IDR_ABOUT_KEYS));
  box.hook = SetWindowsHookExA(WH_MSGFILTER, FilterKeys, nullptr, GetCurrentThreadId());
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
  switch (message) {
    case WM_INITDIALOG:
      current = reinterpret_cast<AboutBox*>(lp);
      Open(*current, dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDC_ABOUT_LINK:
          ShellExecuteA(dialog, "open", kDownloadPage, nullptr, nullptr, SW_SHOWNORMAL);
          return TRUE;
        case IDOK:
        case IDCANCEL:
          EndDialog(dialog, LOWORD(wp));
          return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

void RunAboutBox(HWND owner) {
  AboutBox box;
  DialogBoxParamA(program().resources, MAKEINTRESOURCEA(IDD_ABOUT), owner, AboutProc,
                  reinterpret_cast<LPARAM>(&box));
  current = nullptr;
  if (box.hook) UnhookWindowsHookEx(box.hook);
  // The controls are gone now: the font and the picture can go too.
  if (box.productFont) DeleteObject(box.productFont);
  if (box.picture) DeleteObject(box.picture);
}

}  // namespace gc::app
