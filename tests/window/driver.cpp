// gcdriver: runs a scenario against TORVEN.exe from a second process. It starts
// programs, finds their windows, reads and changes controls, answers message
// boxes, drops files and takes screenshots. See tests/window/README.md.
//
// Usage: gcdriver [--ids HEADER] SCENARIO
// windows.h before the other system headers
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
// clang-format on

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/window/scenario.h"

namespace gc::window_test {
namespace {

constexpr int kDefaultWait = 10000;  // ms
constexpr int kPoll = 20;            // ms
constexpr int kMessageBoxText = 0xFFFF;

std::wstring Widen(const std::string& s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::string Narrow(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string s(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                      nullptr);
  return s;
}

// Shows control characters so that a failed comparison can be read.
std::string Quoted(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else if (c == '\t')
      out += "\\t";
    else
      out += c;
  }
  return out + "\"";
}

bool ReadFileBytes(const std::wstring& path, std::string& out) {
  HANDLE h =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  char buf[65536];
  DWORD got = 0;
  out.clear();
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
  CloseHandle(h);
  return true;
}

struct Failure {
  std::string why;
};

struct Started {
  HANDLE process = nullptr;
  DWORD pid = 0;
  std::string exe;
};

class Driver {
 public:
  explicit Driver(std::map<std::string, long> ids) : ids_(std::move(ids)) {
    job_ = CreateJobObjectW(nullptr, nullptr);
    if (job_) {
      // Whatever the scenario started ends with the driver, even when it is killed.
      JOBOBJECT_EXTENDED_LIMIT_INFORMATION limit{};
      limit.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
      SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limit, sizeof limit);
    }
  }
  ~Driver() { EndStarted(); }

  bool Run(const std::vector<Line>& lines) {
    int passed = 0;
    for (const Line& line : lines) {
      std::string why;
      if (!Execute(line.words, why)) {
        std::printf("FAIL line %d: %s\n     %s\n", line.number, line.text.c_str(), why.c_str());
        std::printf("driver: %d commands passed, stopped at line %d\n", passed, line.number);
        return false;
      }
      std::printf("  ok  %s\n", line.text.c_str());
      ++passed;
    }
    std::printf("driver: all %d commands passed\n", passed);
    return true;
  }

  void EndStarted() {
    for (Started& s : started_) {
      if (WaitForSingleObject(s.process, 0) == WAIT_TIMEOUT) TerminateProcess(s.process, 99);
      CloseHandle(s.process);
    }
    started_.clear();
    if (job_) CloseHandle(job_);
    job_ = nullptr;
  }

 private:
  using Words = std::vector<std::string>;

  bool Execute(const Words& w, std::string& why) {
    static const std::map<std::string, void (Driver::*)(const Words&)> commands = {
        {"start", &Driver::Start},
        {"exited", &Driver::Exited},
        {"quiet-exit", &Driver::QuietExit},
        {"find", &Driver::Find},
        {"msgbox", &Driver::MsgBox},
        {"foreign-msgbox", &Driver::ForeignMessageBox},
        {"answer", &Driver::Answer},
        {"windows", &Driver::Windows},
        {"text", &Driver::Text},
        {"enabled", &Driver::Enabled},
        {"visible", &Driver::Visible},
        {"checked", &Driver::Checked},
        {"exists", &Driver::Exists},
        {"class", &Driver::Class},
        {"style", &Driver::Style},
        {"count", &Driver::Count},
        {"item", &Driver::Item},
        {"columns", &Driver::Columns},
        {"column", &Driver::Column},
        {"selected", &Driver::Selected},
        {"select", &Driver::Select},
        {"extent", &Driver::Extent},
        {"image", &Driver::Image},
        {"settext", &Driver::SetText},
        {"type", &Driver::Type},
        {"click", &Driver::Click},
        {"command", &Driver::Command},
        {"focus", &Driver::Focus},
        {"key", &Driver::Key},
        {"press", &Driver::Press},
        {"drop", &Driver::Drop},
        {"close", &Driver::Close},
        {"gone", &Driver::Gone},
        {"alive", &Driver::Alive},
        {"show", &Driver::Show},
        {"codepage", &Driver::CodePage},
        {"kill", &Driver::Kill},
        {"shot", &Driver::Shot},
        {"sleep", &Driver::Sleep},
        {"echo", &Driver::Echo},
        {"dump", &Driver::Dump},
        {"env", &Driver::Env},
        {"mkdir", &Driver::MakeDir},
        {"copy", &Driver::Copy},
        {"write", &Driver::Write},
        {"remove", &Driver::Remove},
        {"contains", &Driver::Contains},
        {"fill", &Driver::Fill},
        {"file", &Driver::FileExists},
        {"same", &Driver::Same},
    };
    if (w.empty()) return true;
    auto it = commands.find(w[0]);
    if (it == commands.end()) return why = "unknown command " + w[0], false;
    try {
      (this->*(it->second))(w);
    } catch (const Failure& f) {
      why = f.why;
      return false;
    }
    return true;
  }

  // --- argument helpers -----------------------------------------------------

  [[noreturn]] static void Fail(const std::string& why) { throw Failure{why}; }

  static void Need(const Words& w, size_t least, const char* usage) {
    if (w.size() < least) Fail(std::string("usage: ") + usage);
  }

  static long Number(const std::string& s) {
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 0);
    if (s.empty() || *end) Fail("not a number: " + s);
    return v;
  }

  static int Wait(const Words& w, size_t index) {
    return w.size() > index ? static_cast<int>(Number(w[index])) : kDefaultWait;
  }

  static bool Flag(const std::string& s) {
    if (s == "1") return true;
    if (s == "0") return false;
    Fail("expected 0 or 1, got " + s);
  }

  long ControlId(const std::string& s) const {
    auto it = ids_.find(s);
    return it != ids_.end() ? it->second : Number(s);
  }

  HWND Named(const std::string& name) const {
    auto it = windows_.find(name);
    if (it == windows_.end()) Fail("no window named " + name);
    if (!IsWindow(it->second)) Fail("window " + name + " no longer exists");
    return it->second;
  }

  // "NAME" is the window itself, "NAME:ID" one of its controls.
  HWND Ref(const std::string& ref) const {
    const size_t colon = ref.find(':');
    HWND window = Named(ref.substr(0, colon));
    if (colon == std::string::npos) return window;
    HWND control = GetDlgItem(window, static_cast<int>(ControlId(ref.substr(colon + 1))));
    if (!control) Fail("no control " + ref);
    return control;
  }

  static std::string ClassOf(HWND h) {
    wchar_t name[128] = L"";
    GetClassNameW(h, name, 128);
    return Narrow(name);
  }

  static std::string TextOf(HWND h) {
    const int n = static_cast<int>(SendMessageW(h, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    SendMessageW(h, WM_GETTEXT, n + 1, reinterpret_cast<LPARAM>(text.data()));
    text.resize(wcslen(text.c_str()));
    return Narrow(text);
  }

  static void Expect(const std::string& what, const std::string& got, const std::string& want) {
    if (got != want) Fail(what + ": got " + Quoted(got) + ", want " + Quoted(want));
  }

  static void ExpectNumber(const std::string& what, long got, long want) {
    if (got != want) Fail(what + ": got " + std::to_string(got) + ", want " + std::to_string(want));
  }

  bool IsStarted(DWORD pid) const {
    for (const Started& s : started_)
      if (s.pid == pid) return true;
    return false;
  }

  // Visible top-level windows of the started programs (or of every program).
  std::vector<HWND> TopWindows(bool onlyStarted, DWORD onlyPid = 0) const {
    struct Context {
      const Driver* self;
      bool onlyStarted;
      DWORD onlyPid;
      std::vector<HWND> found;
    } context{this, onlyStarted, onlyPid, {}};
    struct Visit {
      static BOOL CALLBACK Window(HWND h, LPARAM lp) {
        auto* c = reinterpret_cast<Context*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (!IsWindowVisible(h)) return TRUE;
        if (c->onlyPid ? pid != c->onlyPid : (c->onlyStarted && !c->self->IsStarted(pid)))
          return TRUE;
        c->found.push_back(h);
        return TRUE;
      }
    };
    EnumWindows(Visit::Window, reinterpret_cast<LPARAM>(&context));
    return context.found;
  }

  static bool IsMessageBox(HWND h) {
    return ClassOf(h) == "#32770" && GetDlgItem(h, kMessageBoxText) != nullptr;
  }

  // Polls `test` every few ms until it holds or `ms` have passed.
  static bool Within(int ms, const std::function<bool()>& test) {
    const DWORD start = GetTickCount();
    for (;;) {
      if (test()) return true;
      if (static_cast<int>(GetTickCount() - start) >= ms) return false;
      ::Sleep(kPoll);
    }
  }

  Started& Current() {
    if (started_.empty()) Fail("no program started");
    return started_.back();
  }

  // --- programs -------------------------------------------------------------

  // start EXE [ARG...]: runs EXE in its own folder; it becomes the current program.
  void Start(const Words& w) {
    Need(w, 2, "start EXE [ARG...]");
    std::wstring exe = Widen(w[1]);
    std::wstring command = L"\"" + exe + L"\"";
    for (size_t i = 2; i < w.size(); ++i) command += L" " + Widen(w[i]);
    std::wstring folder = exe.substr(0, exe.find_last_of(L"\\/") + 1);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        nullptr, folder.empty() ? nullptr : folder.c_str(), &si, &pi))
      Fail("cannot start " + w[1] + ": error " + std::to_string(GetLastError()));
    if (job_) AssignProcessToJobObject(job_, pi.hProcess);
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);
    started_.push_back({pi.hProcess, pi.dwProcessId, w[1]});
  }

  void EndCurrent(int ms, const Words& w, size_t codeIndex, bool quiet) {
    Started& s = Current();
    bool sawWindow = false;
    const bool ended = Within(ms, [&] {
      if (quiet && !TopWindows(false, s.pid).empty()) sawWindow = true;
      return WaitForSingleObject(s.process, 0) == WAIT_OBJECT_0;
    });
    if (!ended) Fail(s.exe + " still runs after " + std::to_string(ms) + " ms");
    DWORD code = 0;
    GetExitCodeProcess(s.process, &code);
    CloseHandle(s.process);
    started_.pop_back();
    if (sawWindow) Fail("the program showed a window before it ended");
    if (w.size() > codeIndex)
      ExpectNumber("exit code", static_cast<long>(code), Number(w[codeIndex]));
  }

  // exited MS [CODE]: the current program ends within MS (with exit code CODE).
  void Exited(const Words& w) {
    Need(w, 2, "exited MS [CODE]");
    EndCurrent(static_cast<int>(Number(w[1])), w, 2, false);
  }

  // quiet-exit MS [CODE]: as exited, and it never showed a window.
  void QuietExit(const Words& w) {
    Need(w, 2, "quiet-exit MS [CODE]");
    EndCurrent(static_cast<int>(Number(w[1])), w, 2, true);
  }

  // windows N: the current program shows exactly N top-level windows.
  void Windows(const Words& w) {
    Need(w, 2, "windows N");
    const auto found = TopWindows(false, Current().pid);
    std::string titles;
    for (HWND h : found) titles += " " + Quoted(TextOf(h));
    if (static_cast<long>(found.size()) != Number(w[1]))
      Fail("got " + std::to_string(found.size()) + " windows:" + titles);
  }

  // kill NAME: ends the program that owns window NAME (one the scenario started, directly or not).
  void Kill(const Words& w) {
    Need(w, 2, "kill NAME");
    DWORD pid = 0;
    GetWindowThreadProcessId(Named(w[1]), &pid);
    HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!p) Fail("cannot open the process of " + w[1]);
    TerminateProcess(p, 98);
    WaitForSingleObject(p, 5000);
    CloseHandle(p);
    windows_.erase(w[1]);
  }

  // --- windows --------------------------------------------------------------

  // find NAME TITLE [ID] [MS]: a window of a started program with that caption
  // (and a control ID) appears; it is called NAME from then on.
  void Find(const Words& w) {
    Need(w, 3, "find NAME TITLE [ID] [MS]");
    const long id = w.size() > 3 ? ControlId(w[3]) : 0;
    HWND found = nullptr;
    if (!Within(Wait(w, 4), [&] {
          for (HWND h : TopWindows(true)) {
            if (TextOf(h) == w[2] && !IsMessageBox(h) &&
                (!id || GetDlgItem(h, static_cast<int>(id)))) {
              found = h;
              return true;
            }
          }
          return false;
        }))
      Fail("no window " + Quoted(w[2]) + " appeared");
    windows_[w[1]] = found;
  }

  HWND AwaitMessageBox(const Words& w, bool onlyStarted, bool exact) {
    HWND found = nullptr;
    std::string seen;
    const bool ok = Within(Wait(w, 4), [&] {
      for (HWND h : TopWindows(onlyStarted)) {
        if (!IsMessageBox(h)) continue;
        const std::string caption = TextOf(h);
        const std::string text = TextOf(GetDlgItem(h, kMessageBoxText));
        seen = Quoted(caption) + " " + Quoted(text);
        const bool match =
            exact ? caption == w[2] && text == w[3]
                  : caption.find(w[2]) != std::string::npos && text.find(w[3]) != std::string::npos;
        if (match) {
          found = h;
          return true;
        }
      }
      return false;
    });
    if (!ok)
      Fail("no message box " + Quoted(w[2]) + " " + Quoted(w[3]) +
           (seen.empty() ? std::string(" (none at all)") : "; last seen: " + seen));
    return found;
  }

  // msgbox NAME CAPTION TEXT [MS]: a message box of a started program shows
  // exactly this caption and text.
  void MsgBox(const Words& w) {
    Need(w, 4, "msgbox NAME CAPTION TEXT [MS]");
    windows_[w[1]] = AwaitMessageBox(w, true, true);
  }

  // foreign-msgbox NAME CAPTION-PART TEXT-PART [MS]: a message box of any
  // program (a helper that a started program ran) whose caption and text hold these parts.
  void ForeignMessageBox(const Words& w) {
    Need(w, 4, "foreign-msgbox NAME CAPTION-PART TEXT-PART [MS]");
    windows_[w[1]] = AwaitMessageBox(w, false, false);
  }

  // answer NAME BUTTON: presses ok, cancel, yes, no (or a control id) and waits until the box is
  // gone.
  void Answer(const Words& w) {
    Need(w, 3, "answer NAME ok|cancel|yes|no|ID");
    static const std::map<std::string, int> buttons = {
        {"ok", IDOK}, {"cancel", IDCANCEL}, {"yes", IDYES}, {"no", IDNO}};
    auto it = buttons.find(w[2]);
    const int id = it != buttons.end() ? it->second : static_cast<int>(ControlId(w[2]));
    HWND box = Named(w[1]);
    HWND button = GetDlgItem(box, id);
    if (!button) Fail("the box has no button " + w[2]);
    PostMessageW(button, BM_CLICK, 0, 0);
    if (!Within(kDefaultWait, [&] { return !IsWindow(box); })) Fail("the box stays open");
    windows_.erase(w[1]);
  }

  // gone NAME [MS]: NAME closes within MS; one that closed already passes.
  void Gone(const Words& w) {
    Need(w, 2, "gone NAME [MS]");
    auto it = windows_.find(w[1]);
    if (it == windows_.end()) Fail("no window named " + w[1]);
    HWND h = it->second;
    if (!Within(Wait(w, 2), [&] { return !IsWindow(h); })) Fail(w[1] + " is still open");
    windows_.erase(w[1]);
  }

  // alive NAME MS: NAME is still open after MS, and no message box came up meanwhile.
  void Alive(const Words& w) {
    Need(w, 3, "alive NAME MS");
    HWND h = Named(w[1]);
    std::string box;
    Within(static_cast<int>(Number(w[2])), [&] {
      for (HWND top : TopWindows(true))
        if (IsMessageBox(top)) box = TextOf(GetDlgItem(top, kMessageBoxText));
      return !box.empty() || !IsWindow(h);
    });
    if (!box.empty()) Fail("a message box came up: " + Quoted(box));
    if (!IsWindow(h) || !IsWindowVisible(h)) Fail(w[1] + " closed");
  }

  // show NAME minimize|restore
  void Show(const Words& w) {
    Need(w, 3, "show NAME minimize|restore");
    const int how = w[2] == "minimize" ? SW_MINIMIZE : w[2] == "restore" ? SW_RESTORE : -1;
    if (how < 0) Fail("show takes minimize or restore");
    HWND h = Named(w[1]);
    ShowWindowAsync(h, how);
    if (!Within(kDefaultWait, [&] { return (IsIconic(h) != FALSE) == (how == SW_MINIMIZE); }))
      Fail(w[1] + " did not " + w[2]);
  }

  void Close(const Words& w) {
    Need(w, 2, "close NAME");
    PostMessageW(Named(w[1]), WM_CLOSE, 0, 0);
  }

  // --- reading controls -----------------------------------------------------

  void Text(const Words& w) {
    Need(w, 3, "text REF TEXT");
    Expect("text of " + w[1], TextOf(Ref(w[1])), w[2]);
  }

  void Enabled(const Words& w) {
    Need(w, 3, "enabled REF 0|1");
    ExpectNumber("enabled " + w[1], IsWindowEnabled(Ref(w[1])) ? 1 : 0, Flag(w[2]));
  }

  void Visible(const Words& w) {
    Need(w, 3, "visible REF 0|1");
    ExpectNumber("visible " + w[1], IsWindowVisible(Ref(w[1])) ? 1 : 0, Flag(w[2]));
  }

  void Checked(const Words& w) {
    Need(w, 3, "checked REF 0|1");
    ExpectNumber("checked " + w[1], SendMessageW(Ref(w[1]), BM_GETCHECK, 0, 0) == BST_CHECKED,
                 Flag(w[2]));
  }

  // exists NAME:ID 0|1
  void Exists(const Words& w) {
    Need(w, 3, "exists NAME:ID 0|1");
    const size_t colon = w[1].find(':');
    if (colon == std::string::npos) Fail("exists needs NAME:ID");
    HWND c = GetDlgItem(Named(w[1].substr(0, colon)),
                        static_cast<int>(ControlId(w[1].substr(colon + 1))));
    ExpectNumber("exists " + w[1], c ? 1 : 0, Flag(w[2]));
  }

  void Class(const Words& w) {
    Need(w, 3, "class REF NAME");
    Expect("class of " + w[1], ClassOf(Ref(w[1])), w[2]);
  }

  // style REF +NAME -NAME ...: the style has (or lacks) each named style.
  void Style(const Words& w) {
    Need(w, 3, "style REF +NAME|-NAME...");
    struct Bits {
      LONG mask, value;
      bool extended;
    };
    static const std::map<std::string, Bits> names = {
        {"WS_VISIBLE", {WS_VISIBLE, WS_VISIBLE, false}},
        {"WS_DISABLED", {WS_DISABLED, WS_DISABLED, false}},
        {"WS_TABSTOP", {WS_TABSTOP, WS_TABSTOP, false}},
        {"WS_GROUP", {WS_GROUP, WS_GROUP, false}},
        {"WS_HSCROLL", {WS_HSCROLL, WS_HSCROLL, false}},
        {"WS_VSCROLL", {WS_VSCROLL, WS_VSCROLL, false}},
        {"WS_BORDER", {WS_BORDER, WS_BORDER, false}},
        {"WS_MINIMIZEBOX", {WS_MINIMIZEBOX, WS_MINIMIZEBOX, false}},
        {"WS_SYSMENU", {WS_SYSMENU, WS_SYSMENU, false}},
        {"LBS_SORT", {LBS_SORT, LBS_SORT, false}},
        {"LBS_NOTIFY", {LBS_NOTIFY, LBS_NOTIFY, false}},
        {"LBS_MULTIPLESEL", {LBS_MULTIPLESEL, LBS_MULTIPLESEL, false}},
        {"LBS_EXTENDEDSEL", {LBS_EXTENDEDSEL, LBS_EXTENDEDSEL, false}},
        {"LVS_REPORT", {LVS_TYPEMASK, LVS_REPORT, false}},
        {"LVS_SHOWSELALWAYS", {LVS_SHOWSELALWAYS, LVS_SHOWSELALWAYS, false}},
        {"LVS_SINGLESEL", {LVS_SINGLESEL, LVS_SINGLESEL, false}},
        {"LVS_EDITLABELS", {LVS_EDITLABELS, LVS_EDITLABELS, false}},
        {"LVS_SORTASCENDING", {LVS_SORTASCENDING, LVS_SORTASCENDING, false}},
        {"BS_PUSHBUTTON", {BS_TYPEMASK, BS_PUSHBUTTON, false}},
        {"BS_DEFPUSHBUTTON", {BS_TYPEMASK, BS_DEFPUSHBUTTON, false}},
        {"BS_AUTOCHECKBOX", {BS_TYPEMASK, BS_AUTOCHECKBOX, false}},
        {"BS_AUTORADIOBUTTON", {BS_TYPEMASK, BS_AUTORADIOBUTTON, false}},
        {"BS_GROUPBOX", {BS_TYPEMASK, BS_GROUPBOX, false}},
        {"ES_NUMBER", {ES_NUMBER, ES_NUMBER, false}},
        {"ES_AUTOHSCROLL", {ES_AUTOHSCROLL, ES_AUTOHSCROLL, false}},
        {"SS_BITMAP", {SS_TYPEMASK, SS_BITMAP, false}},
        {"SS_ICON", {SS_TYPEMASK, SS_ICON, false}},
        {"WS_EX_ACCEPTFILES", {WS_EX_ACCEPTFILES, WS_EX_ACCEPTFILES, true}},
    };
    HWND h = Ref(w[1]);
    const LONG style = GetWindowLongW(h, GWL_STYLE);
    const LONG exStyle = GetWindowLongW(h, GWL_EXSTYLE);
    for (size_t i = 2; i < w.size(); ++i) {
      const std::string& s = w[i];
      if (s.size() < 2 || (s[0] != '+' && s[0] != '-')) Fail("style words are +NAME or -NAME");
      auto it = names.find(s.substr(1));
      if (it == names.end()) Fail("unknown style " + s.substr(1));
      const Bits& b = it->second;
      const bool has = ((b.extended ? exStyle : style) & b.mask) == b.value;
      if (has != (s[0] == '+'))
        Fail(w[1] + (has ? " has " : " lacks ") + s.substr(1) + " (style " + std::to_string(style) +
             ", extended " + std::to_string(exStyle) + ")");
    }
  }

  // Room in another program's memory for the list view messages that carry pointers.
  class Remote {
   public:
    Remote(HWND window, size_t size) : size_(size) {
      DWORD pid = 0;
      GetWindowThreadProcessId(window, &pid);
      process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
      if (process_)
        base_ = static_cast<char*>(
            VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
      if (!base_) Fail("cannot reach the other program's memory");
    }
    ~Remote() {
      if (base_ && !keep_) VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
      if (process_) CloseHandle(process_);
    }
    char* at(size_t offset) const { return base_ + offset; }
    void Put(size_t offset, const void* data, size_t n) const {
      WriteProcessMemory(process_, base_ + offset, data, n, nullptr);
    }
    void Get(size_t offset, void* data, size_t n) const {
      ReadProcessMemory(process_, base_ + offset, data, n, nullptr);
    }
    size_t size() const { return size_; }
    void Keep() { keep_ = true; }

   private:
    bool keep_ = false;
    HANDLE process_ = nullptr;
    char* base_ = nullptr;
    size_t size_;
  };

  static bool IsListView(HWND h) { return ClassOf(h) == "SysListView32"; }

  static std::string ListViewText(HWND list, int row, int column) {
    constexpr int kChars = 1024;
    Remote remote(list, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<LPWSTR>(remote.at(sizeof item));
    item.cchTextMax = kChars;
    remote.Put(0, &item, sizeof item);
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote.at(0)));
    std::wstring text(kChars, L'\0');
    remote.Get(sizeof item, text.data(), kChars * sizeof(wchar_t));
    text.resize(wcslen(text.c_str()));
    return Narrow(text);
  }

  void Count(const Words& w) {
    Need(w, 3, "count REF N");
    HWND h = Ref(w[1]);
    const std::string cls = ClassOf(h);
    UINT message = cls == "ListBox"    ? LB_GETCOUNT
                   : IsListView(h)     ? LVM_GETITEMCOUNT
                   : cls == "ComboBox" ? CB_GETCOUNT
                                       : 0;
    if (!message) Fail(w[1] + " is a " + cls + ", not a list");
    ExpectNumber("rows of " + w[1], static_cast<long>(SendMessageW(h, message, 0, 0)),
                 Number(w[2]));
  }

  // item REF ROW TEXT [COLUMN]
  void Item(const Words& w) {
    Need(w, 4, "item REF ROW TEXT [COLUMN]");
    HWND h = Ref(w[1]);
    const int row = static_cast<int>(Number(w[2]));
    std::string got;
    if (IsListView(h)) {
      got = ListViewText(h, row, w.size() > 4 ? static_cast<int>(Number(w[4])) : 0);
    } else {
      // Cross-process LB_GETTEXT needs the wide call under Wine.
      const LRESULT n = SendMessageW(h, LB_GETTEXTLEN, row, 0);
      if (n == LB_ERR) Fail("no row " + w[2]);
      std::wstring text(static_cast<size_t>(n) + 1, L'\0');
      SendMessageW(h, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text.data()));
      text.resize(wcslen(text.c_str()));
      got = Narrow(text);
    }
    Expect("row " + w[2] + " of " + w[1], got, w[3]);
  }

  void Columns(const Words& w) {
    Need(w, 3, "columns REF N");
    HWND header = reinterpret_cast<HWND>(SendMessageW(Ref(w[1]), LVM_GETHEADER, 0, 0));
    const long n = header ? static_cast<long>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    ExpectNumber("columns of " + w[1], n, Number(w[2]));
  }

  // column REF INDEX TEXT [WIDTH]
  void Column(const Words& w) {
    Need(w, 4, "column REF INDEX TEXT [WIDTH]");
    HWND list = Ref(w[1]);
    constexpr int kChars = 256;
    Remote remote(list, sizeof(LVCOLUMNW) + kChars * sizeof(wchar_t));
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = reinterpret_cast<LPWSTR>(remote.at(sizeof column));
    column.cchTextMax = kChars;
    remote.Put(0, &column, sizeof column);
    if (!SendMessageW(list, LVM_GETCOLUMNW, Number(w[2]), reinterpret_cast<LPARAM>(remote.at(0))))
      Fail("no column " + w[2]);
    remote.Get(0, &column, sizeof column);
    std::wstring text(kChars, L'\0');
    remote.Get(sizeof column, text.data(), kChars * sizeof(wchar_t));
    text.resize(wcslen(text.c_str()));
    Expect("caption of column " + w[2], Narrow(text), w[3]);
    if (w.size() > 4) ExpectNumber("width of column " + w[2], column.cx, Number(w[4]));
  }

  void Selected(const Words& w) {
    Need(w, 3, "selected REF N");
    HWND h = Ref(w[1]);
    const LRESULT n = IsListView(h) ? SendMessageW(h, LVM_GETSELECTEDCOUNT, 0, 0)
                                    : SendMessageW(h, LB_GETSELCOUNT, 0, 0);
    ExpectNumber("selected rows of " + w[1], static_cast<long>(n), Number(w[2]));
  }

  // select REF ROW 0|1: (de)selects a row as a user would, with the notification.
  void Select(const Words& w) {
    Need(w, 4, "select REF ROW 0|1");
    HWND h = Ref(w[1]);
    const int row = static_cast<int>(Number(w[2]));
    const bool on = Flag(w[3]);
    if (IsListView(h)) {
      Remote remote(h, sizeof(LVITEMW));
      LVITEMW item{};
      item.stateMask = LVIS_SELECTED;
      item.state = on ? LVIS_SELECTED : 0;
      remote.Put(0, &item, sizeof item);
      SendMessageW(h, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(remote.at(0)));
    } else {
      if (SendMessageW(h, LB_SETSEL, on, row) == LB_ERR) Fail("cannot select row " + w[2]);
      SendMessageW(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(h));
    }
  }

  void Extent(const Words& w) {
    Need(w, 3, "extent REF N");
    ExpectNumber("horizontal extent of " + w[1],
                 static_cast<long>(SendMessageW(Ref(w[1]), LB_GETHORIZONTALEXTENT, 0, 0)),
                 Number(w[2]));
  }

  // image REF 0|1: a picture control holds a bitmap.
  void Image(const Words& w) {
    Need(w, 3, "image REF 0|1");
    const bool has = SendMessageW(Ref(w[1]), STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
    ExpectNumber("bitmap of " + w[1], has, Flag(w[2]));
  }

  // --- changing controls ----------------------------------------------------

  void SetText(const Words& w) {
    Need(w, 3, "settext REF TEXT");
    const std::wstring text = Widen(w[2]);
    SendMessageW(Ref(w[1]), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }

  // type REF TEXT: one WM_CHAR per character, so that the edit's limit applies.
  void Type(const Words& w) {
    Need(w, 3, "type REF TEXT");
    HWND h = Ref(w[1]);
    for (wchar_t c : Widen(w[2])) SendMessageW(h, WM_CHAR, c, 1);
  }

  // Sent, so that a plain click is done when the command returns; a click that
  // opens a modal window returns after a second.
  static void SendBriefly(HWND h, UINT message, WPARAM wp, LPARAM lp) {
    DWORD_PTR unused = 0;
    SendMessageTimeoutW(h, message, wp, lp, SMTO_NORMAL, 1000, &unused);
  }

  void Click(const Words& w) {
    Need(w, 2, "click REF");
    SendBriefly(Ref(w[1]), BM_CLICK, 0, 0);
  }

  // command NAME ID [CODE]: WM_COMMAND from control ID with a notification
  // code (BN_CLICKED unless given), as if the control had sent it.
  void Command(const Words& w) {
    Need(w, 3, "command NAME ID [CODE]");
    HWND window = Named(w[1]);
    const int id = static_cast<int>(ControlId(w[2]));
    const int code = w.size() > 3 ? static_cast<int>(ControlId(w[3])) : BN_CLICKED;
    SendBriefly(window, WM_COMMAND, MAKEWPARAM(id, code),
                reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
  }

  void Focus(const Words& w) {
    Need(w, 2, "focus NAME:ID");
    HWND control = Ref(w[1]);
    SendBriefly(GetParent(control), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
  }

  static UINT VirtualKey(const std::string& name) {
    static const std::map<std::string, UINT> keys = {
        {"enter", VK_RETURN}, {"escape", VK_ESCAPE}, {"tab", VK_TAB}, {"f1", VK_F1}, {"w", 'W'}};
    auto it = keys.find(name);
    return it != keys.end() ? it->second : static_cast<UINT>(Number(name));
  }

  // key NAME KEY: a key press posted to the focused control of NAME's thread.
  void Key(const Words& w) {
    Need(w, 3, "key NAME enter|escape|tab|f1|NUMBER");
    const UINT vk = VirtualKey(w[2]);
    HWND window = Ref(w[1]);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    HWND target = window;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && info.hwndFocus)
      target = info.hwndFocus;
    const UINT scan = MapVirtualKeyW(vk, 0);
    PostMessageW(target, WM_KEYDOWN, vk, 1 | (scan << 16));
    PostMessageW(target, WM_KEYUP, vk, 1 | (scan << 16) | (3u << 30));
  }

  // press NAME KEY: a real key press (input queue, not a posted message) on
  // NAME, which is brought to the foreground first. F1's help request only
  // comes from real input.
  void Press(const Words& w) {
    Need(w, 3, "press NAME [ctrl+]enter|escape|tab|f1|NUMBER");
    HWND window = Named(w[1]);
    SetForegroundWindow(window);
    if (!Within(2000, [&] { return GetForegroundWindow() == window; }))
      Fail(w[1] + " cannot be brought to the foreground");
    std::string key = w[2];
    std::vector<WORD> held;
    if (key.rfind("ctrl+", 0) == 0) {
      held.push_back(VK_CONTROL);
      key = key.substr(5);
    }
    std::vector<INPUT> keys;
    auto add = [&](WORD vk, bool up) {
      INPUT in{};
      in.type = INPUT_KEYBOARD;
      in.ki.wVk = vk;
      in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
      keys.push_back(in);
    };
    for (WORD vk : held) add(vk, false);
    add(static_cast<WORD>(VirtualKey(key)), false);
    add(static_cast<WORD>(VirtualKey(key)), true);
    for (WORD vk : held) add(vk, true);
    if (SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT)) != keys.size())
      Fail("cannot send the key");
  }

  // drop REF PATH...: WM_DROPFILES with a DROPFILES block, as the shell sends
  // it. Messages do not carry an HGLOBAL to another process, so the block is
  // written into the receiver's memory; a fixed block's handle is its address.
  void Drop(const Words& w) {
    Need(w, 3, "drop REF PATH...");
    std::wstring paths;
    for (size_t i = 2; i < w.size(); ++i) paths += Widen(w[i]) + L'\0';
    paths += L'\0';
    std::string block(sizeof(DROPFILES), '\0');
    auto* drop = reinterpret_cast<DROPFILES*>(block.data());
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    block.append(reinterpret_cast<const char*>(paths.data()), paths.size() * sizeof(wchar_t));
    HWND target = Ref(w[1]);
    // Left to the receiver: DragFinish releases what it can, the rest goes with the process.
    Remote remote(target, block.size());
    remote.Put(0, block.data(), block.size());
    remote.Keep();
    if (!PostMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(remote.at(0)), 0))
      Fail("cannot post the drop");
  }

  // --- screenshots ----------------------------------------------------------

  // shot FILE.bmp [NAME]: the screen, or NAME's rectangle of it, as a 24-bit BMP.
  void Shot(const Words& w) {
    Need(w, 2, "shot FILE.bmp [NAME]");
    RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (w.size() > 2) GetWindowRect(Named(w[2]), &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0) Fail("nothing to capture");
    ::Sleep(300);  // let the last paint reach the screen
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY | CAPTUREBLT);
    SelectObject(memory, old);
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<char> pixels(stride * static_cast<size_t>(height));
    GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
              DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::string out(reinterpret_cast<char*>(&file), sizeof file);
    out.append(reinterpret_cast<char*>(&info), sizeof info);
    out.append(pixels.data(), pixels.size());
    WriteBytes(w[1], out);
  }

  // --- files ----------------------------------------------------------------

  static void WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE h =
        CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) Fail("cannot create " + path);
    DWORD done = 0;
    const BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(h);
    if (!ok || done != bytes.size()) Fail("cannot write " + path);
  }

  // mkdir DIR: the folder and its parents; an existing one is emptied of files.
  void MakeDir(const Words& w) {
    Need(w, 2, "mkdir DIR");
    const std::wstring dir = Widen(w[1]);
    SHCreateDirectoryExW(nullptr, dir.c_str(), nullptr);
    WIN32_FIND_DATAW found;
    HANDLE f = FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (f != INVALID_HANDLE_VALUE) {
      do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
          DeleteFileW((dir + L"\\" + found.cFileName).c_str());
      } while (FindNextFileW(f, &found));
      FindClose(f);
    }
    if (!(GetFileAttributesW(dir.c_str()) & FILE_ATTRIBUTE_DIRECTORY) ||
        GetFileAttributesW(dir.c_str()) == INVALID_FILE_ATTRIBUTES)
      Fail("cannot create " + w[1]);
  }

  void Copy(const Words& w) {
    Need(w, 3, "copy FROM TO");
    if (!CopyFileW(Widen(w[1]).c_str(), Widen(w[2]).c_str(), FALSE))
      Fail("cannot copy " + w[1] + ": error " + std::to_string(GetLastError()));
  }

  // write FILE TEXT: the UTF-8 bytes of TEXT, nothing added.
  void Write(const Words& w) {
    Need(w, 3, "write FILE TEXT");
    WriteBytes(w[1], w[2]);
  }

  void Remove(const Words& w) {
    Need(w, 2, "remove FILE");
    DeleteFileW(Widen(w[1]).c_str());
  }

  // contains FILE TEXT [MS]: FILE comes to hold TEXT (another program's log, say).
  void Contains(const Words& w) {
    Need(w, 3, "contains FILE TEXT [MS]");
    std::string bytes;
    if (!Within(Wait(w, 3), [&] {
          return ReadFileBytes(Widen(w[1]), bytes) && bytes.find(w[2]) != std::string::npos;
        }))
      Fail(w[1] + " does not hold " + Quoted(w[2]) + "; it holds " + Quoted(bytes));
  }

  // fill FILE SIZE: SIZE bytes of a repeating pattern, for data that takes a while to send.
  void Fill(const Words& w) {
    Need(w, 3, "fill FILE SIZE");
    std::string bytes(static_cast<size_t>(Number(w[2])), '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>('a' + i % 26);
    WriteBytes(w[1], bytes);
  }

  // file FILE 0|1: FILE is absent or present.
  void FileExists(const Words& w) {
    Need(w, 3, "file FILE 0|1");
    const bool present = GetFileAttributesW(Widen(w[1]).c_str()) != INVALID_FILE_ATTRIBUTES;
    if (present != Flag(w[2])) Fail(w[1] + (present ? " exists" : " does not exist"));
  }

  // same FILE1 FILE2: both files exist and hold the same bytes.
  void Same(const Words& w) {
    Need(w, 3, "same FILE1 FILE2");
    std::string a, b;
    if (!ReadFileBytes(Widen(w[1]), a)) Fail("cannot read " + w[1]);
    if (!ReadFileBytes(Widen(w[2]), b)) Fail("cannot read " + w[2]);
    if (a != b) {
      size_t at = 0;
      while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
      Fail("they differ at byte " + std::to_string(at) + " (sizes " + std::to_string(a.size()) +
           " and " + std::to_string(b.size()) + ")");
    }
  }

  // dump NAME: prints the window's controls, for writing scenarios.
  void Dump(const Words& w) {
    Need(w, 2, "dump NAME");
    HWND window = Named(w[1]);
    std::printf("      %s: class %s, text %s\n", w[1].c_str(), ClassOf(window).c_str(),
                Quoted(TextOf(window)).c_str());
    struct Visit {
      static BOOL CALLBACK Child(HWND h, LPARAM) {
        std::printf("        id %d, %s, %s%s%s\n", GetDlgCtrlID(h), ClassOf(h).c_str(),
                    Quoted(TextOf(h)).c_str(), IsWindowVisible(h) ? "" : ", hidden",
                    IsWindowEnabled(h) ? "" : ", disabled");
        return TRUE;
      }
    };
    EnumChildWindows(window, Visit::Child, 0);
  }

  // env NAME [VALUE]: sets (or clears) a variable for the programs started later.
  void Env(const Words& w) {
    Need(w, 2, "env NAME [VALUE]");
    SetEnvironmentVariableW(Widen(w[1]).c_str(), w.size() > 2 ? Widen(w[2]).c_str() : nullptr);
  }

  // codepage N: the system code page that the driver, and so the programs it
  // starts, run with (the runner's "#locale" line chooses it).
  void CodePage(const Words& w) {
    Need(w, 2, "codepage N");
    ExpectNumber("code page", static_cast<long>(GetACP()), Number(w[1]));
  }

  void Sleep(const Words& w) {
    Need(w, 2, "sleep MS");
    ::Sleep(static_cast<DWORD>(Number(w[1])));
  }

  void Echo(const Words& w) {
    std::string line;
    for (size_t i = 1; i < w.size(); ++i) line += (i > 1 ? " " : "") + w[i];
    std::printf("      %s\n", line.c_str());
  }

  std::map<std::string, long> ids_;
  std::map<std::string, HWND> windows_;
  std::vector<Started> started_;
  HANDLE job_ = nullptr;
};

}  // namespace
}  // namespace gc::window_test

int wmain(int argc, wchar_t** argv) {
  using namespace gc::window_test;
  setvbuf(stdout, nullptr, _IONBF, 0);
  std::wstring scenarioPath, idsPath;
  for (int i = 1; i < argc; ++i) {
    if (std::wstring(argv[i]) == L"--ids" && i + 1 < argc)
      idsPath = argv[++i];
    else
      scenarioPath = argv[i];
  }
  if (scenarioPath.empty()) {
    std::fprintf(stderr, "usage: gcdriver [--ids HEADER] SCENARIO\n");
    return 2;
  }
  std::string scenario, header;
  if (!ReadFileBytes(scenarioPath, scenario)) {
    std::fprintf(stderr, "cannot read %s\n", Narrow(scenarioPath).c_str());
    return 2;
  }
  if (!idsPath.empty() && !ReadFileBytes(idsPath, header)) {
    std::fprintf(stderr, "cannot read %s\n", Narrow(idsPath).c_str());
    return 2;
  }
  auto variables = [](const std::string& name, std::string& value) {
    wchar_t buf[4096];
    const DWORD n = GetEnvironmentVariableW(Widen(name).c_str(), buf, 4096);
    if (n == 0 || n >= 4096) return false;
    value = Narrow(std::wstring(buf, n));
    return true;
  };
  std::vector<Line> lines;
  std::string error;
  if (!ParseScenario(scenario, variables, lines, error)) {
    std::fprintf(stderr, "%s: %s\n", Narrow(scenarioPath).c_str(), error.c_str());
    return 2;
  }
  std::map<std::string, long> ids = ParseDefines(header);
  // The system's ids that scenarios name too.
  for (auto [name, value] : {std::pair<const char*, long>{"IDOK", IDOK},
                             {"IDCANCEL", IDCANCEL},
                             {"IDYES", IDYES},
                             {"IDNO", IDNO},
                             {"BN_CLICKED", BN_CLICKED},
                             {"LBN_SELCHANGE", LBN_SELCHANGE}})
    ids.emplace(name, value);
  Driver driver(std::move(ids));
  const bool ok = driver.Run(lines);
  driver.EndStarted();
  return ok ? 0 : 1;
}
