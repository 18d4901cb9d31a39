// The built resources as Windows loads them: TORVEN_EN.dll and the copy inside
// TORVEN.exe, against messages.inc and the resource header.
#include <gtest/gtest.h>
#include <windows.h>
// clang-format off
#include <commctrl.h>
// clang-format on

#include <initializer_list>
#include <string>
#include <vector>

#include "resources/messages.h"
#include "resources/resource_ids.h"

namespace gc {
namespace {

std::wstring Widen(const char* utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
  std::wstring out(n > 0 ? n - 1 : 0, L'\0');
  if (n > 1) MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out.data(), n);
  return out;
}

std::wstring Load(HMODULE module, int id) {
  const wchar_t* text = nullptr;
  const int n = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
  return n > 0 ? std::wstring(text, n) : std::wstring();
}

struct Message {
  int id;
  const char* text;
};
const Message kMessages[] = {
#define GC_MESSAGE(n, name, text) {n, text},
#include "resources/messages.inc"
#undef GC_MESSAGE
};

class Resources : public testing::TestWithParam<const wchar_t*> {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExW(GetParam(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr) << "cannot load " << GetLastError();
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }
  HMODULE module_ = nullptr;
};

TEST_P(Resources, StringTableIsMessagesInc) {
  for (const Message& m : kMessages)
    EXPECT_EQ(Load(module_, m.id), Widen(m.text)) << "string " << m.id;
  // Texts that windres could have mangled: the code page, escapes, a trailing blank.
  EXPECT_EQ(
      Load(module_, IDS_LENGTH_LIMIT),
      L"%1 \u6587\u5b57\u4ee5\u5185\u3067\u5165\u529b\u3057\u3066\u304f\u3060\u3055\u3044\u3002");
  EXPECT_NE(Load(module_, 163).find(L"print\r\nby an"), std::wstring::npos);
  EXPECT_EQ(Load(module_, IDS_COLUMN_ID), L"ID ");
  EXPECT_EQ(Load(module_, 172), L"Parallel Port");
  EXPECT_EQ(Load(module_, 173), L"USB:");
}

TEST_P(Resources, DialogsIconsBitmapAndKeys) {
  for (int id : {IDD_ABOUT, IDD_MAIN, IDD_ADD_PRINTER, IDD_ADD_TO_LIST, IDD_SEARCH_PRINTER,
                 IDD_TEST_MACRO, IDD_ERROR_CHOICE, IDD_PROGRESS})
    EXPECT_NE(FindResourceW(module_, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5)), nullptr)
        << "dialog " << id;  // RT_DIALOG
  for (int id : {IDI_APP, IDI_ITEM})
    EXPECT_NE(FindResourceW(module_, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(14)), nullptr)
        << "icon " << id;  // RT_GROUP_ICON

  // The picture keeps a colour table, which the About box's colour mapping needs.
  HRSRC bitmap = FindResourceW(module_, MAKEINTRESOURCEW(IDB_ABOUT), MAKEINTRESOURCEW(2));
  ASSERT_NE(bitmap, nullptr);
  const auto* info =
      static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module_, bitmap)));
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->biBitCount, 8);

  HRSRC keys = FindResourceW(module_, MAKEINTRESOURCEW(IDR_ABOUT_KEYS), MAKEINTRESOURCEW(9));
  ASSERT_NE(keys, nullptr);
  // Resource layout of one accelerator: flags, key, command, padding (8 bytes).
  ASSERT_EQ(SizeofResource(module_, keys), 8u);
  const auto* entry = static_cast<const WORD*>(LockResource(LoadResource(module_, keys)));
  EXPECT_EQ(entry[0] & 0x7F, FVIRTKEY | FCONTROL | FNOINVERT);
  EXPECT_TRUE(entry[0] & 0x80);  // last entry
  EXPECT_EQ(entry[1], 0x57);
  EXPECT_EQ(entry[2], IDC_ABOUT_LINK);
}

TEST_P(Resources, FileVersionOneZeroZeroZero) {
  const wchar_t* path = GetParam();
  DWORD unused = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &unused);
  ASSERT_GT(size, 0u);
  std::vector<char> data(size);
  ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, data.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  EXPECT_EQ(translation[0], 0x409);
  EXPECT_EQ(translation[1], 1200);
  wchar_t* text = nullptr;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\StringFileInfo\\040904b0\\FileVersion",
                             reinterpret_cast<void**>(&text), &length));
  EXPECT_STREQ(text, L"1, 0, 0, 0");
}

// One control of a DIALOGEX template.
struct Control {
  int id = 0;
  std::wstring kind;  // window class; the predefined ones by name
  std::wstring text;
  DWORD style = 0;
  DWORD exStyle = 0;
};

struct Dialog {
  std::wstring caption;
  DWORD style = 0;
  std::vector<Control> controls;
  const Control* Find(int id) const {
    for (const Control& c : controls)
      if (c.id == id) return &c;
    return nullptr;
  }
};

// Reads the DIALOGEX layout: header, then DWORD-aligned items, each with a
// class and a title that are an ordinal (0xFFFF, n) or a string.
class TemplateReader {
 public:
  TemplateReader(const BYTE* data, size_t size) : data_(data), size_(size) {}

  bool Read(Dialog& dialog) {
    if (Word() != 1 || Word() != 0xFFFF) return false;  // DIALOGEX
    Dword();                                            // help id
    Dword();                                            // extended style
    dialog.style = Dword();
    const int count = Word();
    Skip(8);  // x, y, cx, cy
    Name();   // menu
    Name();   // class
    dialog.caption = Name();
    if (dialog.style & DS_SETFONT) {
      Skip(6);  // point size, weight, italic, charset
      Name();
    }
    for (int i = 0; i < count && ok_; ++i) {
      Align();
      Control c;
      Dword();  // help id
      c.exStyle = Dword();
      c.style = Dword();
      Skip(8);
      c.id = static_cast<int>(static_cast<LONG>(Dword()));
      c.kind = Name(true);
      c.text = Name();
      Skip(Word());  // creation data
      dialog.controls.push_back(c);
    }
    return ok_;
  }

 private:
  WORD Word() {
    if (at_ + 2 > size_) return ok_ = false, 0;
    WORD w = static_cast<WORD>(data_[at_] | data_[at_ + 1] << 8);
    at_ += 2;
    return w;
  }
  DWORD Dword() {
    DWORD lo = Word();
    return lo | static_cast<DWORD>(Word()) << 16;
  }
  void Skip(size_t n) { at_ = at_ + n <= size_ ? at_ + n : (ok_ = false, size_); }
  void Align() { at_ = (at_ + 3) & ~size_t{3}; }
  std::wstring Name(bool isClass = false) {
    WORD first = Word();
    if (first == 0) return {};
    if (first == 0xFFFF) {
      const WORD ordinal = Word();
      if (!isClass) return L"#" + std::to_wstring(ordinal);
      static const wchar_t* const kinds[] = {L"Button",  L"Edit",      L"Static",
                                             L"ListBox", L"ScrollBar", L"ComboBox"};
      return ordinal >= 0x80 && ordinal <= 0x85 ? kinds[ordinal - 0x80] : L"?";
    }
    std::wstring s(1, static_cast<wchar_t>(first));
    for (WORD c = Word(); c && ok_; c = Word()) s += static_cast<wchar_t>(c);
    return s;
  }

  const BYTE* data_;
  size_t size_;
  size_t at_ = 0;
  bool ok_ = true;
};

Dialog LoadDialog(HMODULE module, int id) {
  Dialog dialog;
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));
  if (!found) return dialog;
  const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
  TemplateReader reader(data, SizeofResource(module, found));
  EXPECT_TRUE(reader.Read(dialog)) << "dialog " << id;
  return dialog;
}

struct Expected {
  int id;
  const wchar_t* kind;
  const wchar_t* text = nullptr;  // null: not checked
  DWORD has = 0;                  // style bits that must be set
  DWORD lacks = 0;                // and that must be clear
};

void ExpectControls(const Dialog& dialog, std::initializer_list<Expected> controls) {
  for (const Expected& e : controls) {
    const Control* c = dialog.Find(e.id);
    ASSERT_NE(c, nullptr) << "control " << e.id;
    // Class names are case-insensitive; windres writes the named ones in capitals.
    EXPECT_EQ(lstrcmpiW(c->kind.c_str(), e.kind), 0) << "control " << e.id << " is a " << c->kind;
    if (e.text) {
      EXPECT_EQ(c->text, e.text) << "control " << e.id;
    }
    EXPECT_EQ(c->style & e.has, e.has) << "control " << e.id;
    EXPECT_EQ(c->style & e.lacks, 0u) << "control " << e.id;
  }
}

constexpr DWORD kButtonType = 0x0F;

TEST_P(Resources, MainWindowTemplate) {
  const Dialog d = LoadDialog(module_, IDD_MAIN);
  EXPECT_EQ(d.caption, L"Glyphcast");
  EXPECT_TRUE(d.style & WS_MINIMIZEBOX);
  ExpectControls(
      d,
      {
          {IDC_PRINTER_LIST, L"ListBox", nullptr,
           LBS_SORT | LBS_NOTIFY | LBS_MULTIPLESEL | WS_HSCROLL | WS_VISIBLE, WS_DISABLED},
          {IDC_ADD_PRINTER, L"Button", L"&Add printer", WS_VISIBLE, WS_DISABLED},
          {IDC_REMOVE_PRINTER, L"Button", L"Remove &printer", WS_DISABLED},
          {IDC_SEARCH_PRINTER, L"Button", L"&Search printer", 0, WS_DISABLED},
          {IDC_ITEM_LIST, L"SysListView32", nullptr, LVS_REPORT | LVS_SHOWSELALWAYS,
           WS_DISABLED | LVS_SINGLESEL | LVS_EDITLABELS | LVS_SORTASCENDING | LVS_SORTDESCENDING},
          {IDC_ADD_TO_LIST, L"Button", L"Add &to list", 0, WS_DISABLED},
          {IDC_REMOVE_FROM_LIST, L"Button", L"Remove from &list", WS_DISABLED},
          {IDC_EXPORT_SETTING, L"Button", L"Export setting to file", WS_DISABLED},
          {IDC_IMPORT_SETTING, L"Button", L"Import setting from file", 0, WS_DISABLED},
          {IDC_DOWNLOAD, L"Button", L"&Download", WS_DISABLED},
          {IDC_EXPORT_TO_FILE, L"Button", L"Export to &file", WS_DISABLED},
          {IDC_DELETE_ALL, L"Button", L"Delete all the &resources", WS_DISABLED},
          {IDC_DOWNLOAD_FILE, L"Button", L"Download file", WS_DISABLED},
          {IDC_TEST_MACRO, L"Button", L"Test macro", WS_DISABLED},
          {IDC_PRINT_SAMPLE, L"Button", L"Print", BS_AUTOCHECKBOX, WS_DISABLED},
          {IDC_CHARS_PER_LINE_LABEL, L"Static", L"The number of characters per line", WS_DISABLED},
          {IDC_CHARS_PER_LINE, L"Edit", nullptr, WS_DISABLED, ES_NUMBER},
          {IDC_ABOUT, L"Button", L"About", 0, WS_DISABLED},
          {IDC_CLOSE, L"Button", L"Close", 0, WS_DISABLED},
          {IDC_HELP_BUTTON, L"Button", L"Help", 0, WS_DISABLED},
          {IDC_HIDDEN_DEFAULT, L"Button", nullptr, BS_DEFPUSHBUTTON, WS_VISIBLE | WS_TABSTOP},
      });
  // The item list takes dropped files; the hidden button is the only default one.
  EXPECT_TRUE(d.Find(IDC_ITEM_LIST)->exStyle & WS_EX_ACCEPTFILES);
  for (const Control& c : d.controls) {
    if (c.kind == L"Button" && c.id != IDC_HIDDEN_DEFAULT) {
      EXPECT_NE(c.style & kButtonType, static_cast<DWORD>(BS_DEFPUSHBUTTON)) << c.id;
    }
  }
  std::vector<std::wstring> groups;
  for (const Control& c : d.controls)
    if (c.kind == L"Button" && (c.style & kButtonType) == BS_GROUPBOX) groups.push_back(c.text);
  EXPECT_EQ(groups, (std::vector<std::wstring>{L"Select printers", L"Items to be downloaded",
                                               L"Print font sample"}));
}

TEST_P(Resources, OtherDialogTemplates) {
  Dialog about = LoadDialog(module_, IDD_ABOUT);
  EXPECT_EQ(about.caption, L"About Glyphcast");
  ExpectControls(about, {{IDC_ABOUT_VERSION, L"Static", L""},
                         {IDC_ABOUT_PRODUCT, L"Static", L"Glyphcast"},
                         {IDC_ABOUT_PICTURE, L"Static", nullptr, SS_BITMAP},
                         {IDC_ABOUT_LINK, L"Button"},
                         {IDOK, L"Button", L"OK", BS_DEFPUSHBUTTON}});

  Dialog add = LoadDialog(module_, IDD_ADD_PRINTER);
  EXPECT_EQ(add.caption, L"Add printer");
  ExpectControls(add, {{IDC_PRINTER_ADDRESS, L"Edit", L""},
                       {IDOK, L"Button", L"Add"},
                       {IDCANCEL, L"Button", L"Cancel"}});
  EXPECT_EQ(add.controls.front().text, L"Enter a printer name or an IP address.");

  Dialog item = LoadDialog(module_, IDD_ADD_TO_LIST);
  EXPECT_EQ(item.caption, L"Add to list");
  ExpectControls(
      item, {{IDC_AS_FONT, L"Button", L"Download as PCL5 font",
              BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP},
             {IDC_AS_MACRO, L"Button", L"Download as PCL5 macro", BS_AUTORADIOBUTTON, WS_GROUP},
             {IDC_DOWNLOAD_NAME, L"Edit", L""},
             {IDC_CONTROL_ID_LABEL, L"Static", L"Control ID"},
             {IDC_CONTROL_ID, L"Edit", L""},
             {IDOK, L"Button", L"OK"},
             {IDCANCEL, L"Button", L"Cancel"}});

  Dialog search = LoadDialog(module_, IDD_SEARCH_PRINTER);
  EXPECT_EQ(search.caption, L"Search printer");
  ExpectControls(search, {{IDC_FOUND_PRINTERS, L"ListBox", nullptr,
                           LBS_SORT | LBS_MULTIPLESEL | WS_VSCROLL | WS_HSCROLL},
                          {IDOK, L"Button", L"Add"},
                          {IDCANCEL, L"Button", L"Cancel"}});

  Dialog macro = LoadDialog(module_, IDD_TEST_MACRO);
  EXPECT_EQ(macro.caption, L"Test macro");
  ExpectControls(macro, {{IDC_CONTROL_ID_LABEL, L"Static", L"Control ID"},
                         {IDC_CONTROL_ID, L"Edit", L"0"},
                         {IDOK, L"Button", L"Print"},
                         {IDCANCEL, L"Button", L"Cancel"}});

  Dialog choice = LoadDialog(module_, IDD_ERROR_CHOICE);
  ExpectControls(choice, {{IDC_ERROR_ICON, L"Static", nullptr, SS_ICON},
                          {IDC_ERROR_TEXT, L"Static"},
                          {IDOK, L"Button", L"Ignore"},
                          {IDC_IGNORE_ALL, L"Button", L"Ignore all"},
                          {IDCANCEL, L"Button", L"Stop"}});

  Dialog progress = LoadDialog(module_, IDD_PROGRESS);
  EXPECT_EQ(progress.caption, L"Glyphcast");
  ExpectControls(progress, {{IDC_PROGRESS_TEXT, L"Static", L"Now downloading"},
                            {IDCANCEL, L"Button", L"Cancel"}});
  EXPECT_EQ(progress.controls.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Built, Resources, testing::Values(L"TORVEN_EN.dll", L"TORVEN.exe"),
                         [](const testing::TestParamInfo<const wchar_t*>& info) {
                           return info.index == 0 ? std::string("Library") : std::string("Program");
                         });

}  // namespace
}  // namespace gc
