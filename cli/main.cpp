// glyphcast: the engine from the command line, for scripting and fleets.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cli/args.h"
#include "cli/console_ui.h"
#include "cli/inspect.h"
#include "cli/progress.h"
#include "cli/search.h"
#include "io/progress_watch.h"
#include "items/item_fields.h"
#include "items/proposal.h"
#include "items/recognize.h"
#include "items/settings_file.h"
#include "jobs/download_rules.h"
#include "jobs/job_runner.h"
#include "jobs/streams.h"
#include "os/file.h"
#include "os/file_bytes.h"
#include "os/spooler.h"
#include "printers/snmp.h"
#include "resources/version.h"
#include "truetype/font_kind.h"
#include "resources/messages.h"

namespace gc::cli {
namespace {

constexpr int kExitOk = 0, kExitFailed = 1, kExitUsage = 2, kExitCancelled = 3;

const char kUsage[] =
    "usage: glyphcast COMMAND [options]\n"
    "\n"
    "commands:\n"
    "  export -o OUT.prn [--name NAME] [--id ID] [--type font|macro] FILE...\n"
    "      write the download stream of the items to OUT.prn\n"
    "  download --printer P [--printer P]... [item options] FILE...\n"
    "      send the items to every printer, in order\n"
    "  delete-all --printer P...      remove every stored font and macro\n"
    "  test-macro --printer P... ID   run macro ID on the printers\n"
    "  send-file --printer P... FILE.prn\n"
    "                                 send a prepared stream unchanged\n"
    "  inspect FILE                   say what a font, macro or .prn stream holds, and\n"
    "                                 how to select a font once it is installed\n"
    "  printers                       list the local spooler queues that queue:NAME reaches\n"
    "  search [--range CIDR]... [--address A]... [--snmp-version 1|2c]\n"
    "         [--format table|csv|json]\n"
    "                                 find printers by SNMP (broadcast unless --address\n"
    "                                 or --range): model, languages, PCL\n"
    "  list-save -o FILE.lst [item options] FILE...\n"
    "                                 write a setting file of the proposed items\n"
    "\n"
    "A printer P is HOST[:PORT] (a dotted IPv4 address or localhost; port 9100\n"
    "unless given) or queue:NAME for a local spooler queue.\n"
    "Without --name/--id every FILE gets the proposed download name (its file\n"
    "name without extension, blanks as _) and the next free control ID.\n"
    "export and download take --list FILE.lst (a setting file) in place of FILEs.\n"
    "Ctrl-C cancels: the current printer finishes unless its write has stalled,\n"
    "which is then aborted. Exit status: 0 done, 1 failed, 2 usage, 3 cancelled.\n"
    "Messages and the progress line (on a terminal only) go to standard error;\n"
    "--quiet (-q) leaves out the progress line and notes, never errors.\n"
    "glyphcast --version prints the version.\n"
    "Run 'glyphcast COMMAND --help' for one command.\n";

struct CommandHelp {
  const char* command;
  const char* text;
};
const CommandHelp kHelp[] = {
    {"export",
     "usage: glyphcast export -o OUT.prn [--name NAME] [--id ID] [--type font|macro]\n"
     "                        [--face N] FILE...\n"
     "       glyphcast export -o OUT.prn --list FILE.lst\n"
     "Writes each item's download stream, as a printer would receive it, into OUT.prn\n"
     "(standard output for -o -, e.g. glyphcast export -o - font.ttf | lp -o raw -d QUEUE).\n"
     "--name and --id apply to a single FILE; --type macro sends a font file as a macro;\n"
     "--face N converts face N of a TrueType collection (.ttc; 0 unless given).\n"},
    {"download",
     "usage: glyphcast download --printer P [--printer P]... [--name NAME] [--id ID]\n"
     "                          [--type font|macro] [--face N] [--sample N]\n"
     "                          FILE...|--list FILE.lst\n"
     "Stores each item on every printer, in order; stops at the first failure.\n"
     "--sample N follows each font with a sample page of N characters per line (1-100).\n"},
    {"search", kSearchHelp},
    {"list-save",
     "usage: glyphcast list-save -o FILE.lst [--name NAME] [--id ID] [--type font|macro] FILE...\n"
     "Writes a setting file: the folder of the last file, then one line per item.\n"},
    {"delete-all",
     "usage: glyphcast delete-all --printer P...\n"
     "Reinitialises volume 0 and deletes every font and macro on the printers.\n"},
    {"test-macro",
     "usage: glyphcast test-macro --printer P... ID\nRuns the macro with control ID ID.\n"},
    {"send-file",
     "usage: glyphcast send-file --printer P... FILE.prn|-\n"
     "Sends the file's bytes (standard input's for -) unchanged.\n"},
    {"printers",
     "usage: glyphcast printers\n"
     "Lists the local spooler queues and connections, one a line: the name, a tab and\n"
     "the port (for CUPS, the device URI without credentials).\n"},
    {"inspect",
     "usage: glyphcast inspect [--face N] [--name NAME] [--id ID] FILE\n"
     "Says whether FILE is a TrueType font (listing the faces of a collection), a pure\n"
     "PCL5 soft font (with its name and any font ID command) or a macro, and how to\n"
     "select a font once it is stored under NAME and ID (the proposed ones unless\n"
     "given). A font file that cannot be converted is named for what it is (exit status\n"
     "1). For a .prn stream it lists the PJL file operations with each stored font's or\n"
     "macro's ID, and checks that every FSDOWNLOAD SIZE is exact (exit status 1 when one\n"
     "is not).\n"},
};

int Usage(const std::string& error) {
  std::fprintf(stderr, "glyphcast: %s\n%s", error.c_str(), kUsage);
  return kExitUsage;
}

// Characters of UTF-8 text: the bytes that do not continue one.
size_t Utf8Characters(const std::string& text) {
  size_t n = 0;
  for (unsigned char c : text) n += (c & 0xC0) != 0x80;
  return n;
}

bool ParseFace(const Args& a, uint32_t* face) {
  *face = 0;
  if (!a.face) return true;
  char* end = nullptr;
  unsigned long n = std::strtoul(a.face->c_str(), &end, 10);
  if (a.face->empty() || !std::isdigit(static_cast<unsigned char>(a.face->front())) || *end ||
      n > 0xFFFF)
    return false;
  *face = static_cast<uint32_t>(n);
  return true;
}

// What kind of font file `path` is, and its faces; false when it cannot be read.
bool FontFileAt(const std::string& path, FontFileKind* kind, uint32_t* faces) {
  os::FileBytes file;
  if (file.Open(path.c_str(), false) != os::FileBytes::Status::Ok) return false;
  *kind = IdentifyFontFile(file.bytes(), file.bytes().size());
  *faces = FaceCount(file.bytes());
  return true;
}

// A face other than the first exists only in a collection that has it.
int CheckFace(const std::string& path, uint32_t face) {
  FontFileKind kind;
  uint32_t faces = 0;
  if (face == 0 || !FontFileAt(path, &kind, &faces)) return kExitOk;
  if (kind != FontFileKind::Collection) {
    std::fprintf(stderr, "glyphcast: %s: --face %u: not a font collection\n", path.c_str(), face);
    return kExitFailed;
  }
  if (face >= faces) {
    std::fprintf(stderr, "glyphcast: %s: --face %u: the collection has faces 0 to %u\n",
                 path.c_str(), face, faces ? faces - 1 : 0);
    return kExitFailed;
  }
  return kExitOk;
}

// After message 158: what kind of font the file is, when that is the reason.
void ExplainRefusal(const std::string& path) {
  FontFileKind kind;
  uint32_t faces;
  if (!FontFileAt(path, &kind, &faces) || kind == FontFileKind::NotAFont) return;
  std::fprintf(stderr,
               "glyphcast: %s is %s; only fonts with TrueType outlines (cmap format 0, 4 or 6) "
               "can be converted\n",
               path.c_str(), FontKindName(kind));
}

// Items from a setting file (--list) or from the files, proposed and checked
// as the add-to-list dialog checks them.
int BuildItems(const Args& a, ConsoleUi& ui, ItemList& items, ItemState& state) {
  if (a.list) {
    if (!a.files.empty() || a.name || a.id || a.type || a.face)
      return Usage("--list takes no FILE and no item options");
    return ImportSettings(*a.list, items, state.lastItemFolder, ui) ? kExitFailed : kExitOk;
  }
  if (a.files.empty()) return Usage("no item file given");
  if ((a.name || a.id) && a.files.size() > 1) return Usage("--name and --id take a single FILE");
  if (a.type && *a.type != "font" && *a.type != "macro") return Usage("--type is font or macro");
  uint32_t face = 0;
  if (!ParseFace(a, &face)) return Usage("--face is a number from 0");
  for (const std::string& path : a.files) {
    if (int rc = CheckFace(path, face)) return rc;
    DownloadItem item;
    if (RecognizeItem(path, items, ui, item, state, face) != 0) {
      ExplainRefusal(path);
      return kExitFailed;
    }
    bool isFont = item.resourceType != static_cast<int>(ResourceType::PclMacro);
    if (a.type && *a.type == "font" && !isFont) {
      std::fprintf(stderr, "glyphcast: %s is not a font file; it can be sent as a macro only\n",
                   path.c_str());
      return kExitFailed;
    }
    if (a.type && *a.type == "macro") item.resourceType = static_cast<int>(ResourceType::PclMacro);
    if (a.name) item.downloadName = *a.name;
    std::string idText = a.id ? *a.id : item.idText;

    const FieldCheck check = CheckItemFields(item.downloadName, Utf8Characters(item.downloadName),
                                             idText, item.resourceType, items);
    if (check.message == kMsgLengthLimit) {
      ui.ShowText(MessageWith(kMsgLengthLimit, static_cast<int>(kMaxDownloadName)), os::Buttons::Ok);
      return kExitFailed;
    }
    if (check.message != 0) return ui.ShowMessage(check.message), kExitFailed;
    const int id = check.controlId;
    item.controlId = id;
    FillItemTexts(item);
    items.push_back(item);
    size_t slash = path.find_last_of("\\/");
    state.lastItemFolder = slash == std::string::npos ? "" : path.substr(0, slash);
  }
  return kExitOk;
}

int Printers(const Args& a, std::vector<PrinterTarget>& printers) {
  if (a.printers.empty()) return Usage("no --printer given");
  for (const std::string& text : a.printers) {
    PrinterTarget target;
    std::string error;
    if (!ParsePrinter(text, &target, &error)) return Usage(error);
    printers.push_back(target);
  }
  return kExitOk;
}

// The local queues, one a line: name, tab, port.
int ListQueues(os::SpoolerPort* spooler) {
  std::vector<os::PrinterInfo> queues;
  if (!spooler || !spooler->ListPrinters(2, &queues)) {
    std::fprintf(stderr, "glyphcast: the print spooler cannot be read\n");
    return kExitFailed;
  }
  for (const os::PrinterInfo& q : queues)
    std::printf("%s\t%s\n", q.name.c_str(), q.portName.c_str());
  return kExitOk;
}

// A prepared stream, whole: a file, or standard input for "-".
int ReadStreamFile(const std::string& path, std::string* bytes) {
  const bool standardInput = path == "-";
  File f = standardInput ? File::StandardInput() : File::OpenRead(path.c_str(), false);
  if (!f.IsOpen()) {
    std::fprintf(stderr, "glyphcast: %s: cannot be opened\n", path.c_str());
    return kExitFailed;
  }
  char block[65536];
  for (;;) {
    long long n = f.Read(block, sizeof block);
    if (n < 0) return std::fprintf(stderr, "glyphcast: %s: read failed\n", path.c_str()), kExitFailed;
    if (n == 0) break;
    bytes->append(block, static_cast<size_t>(n));
    if (bytes->size() >= (uint64_t{1} << 32))
      return std::fprintf(stderr, "glyphcast: %s: 4 GiB or more\n", path.c_str()), kExitFailed;
  }
  if (bytes->empty()) {
    std::fprintf(stderr, "glyphcast: %s: empty\n", standardInput ? "standard input" : path.c_str());
    return kExitFailed;
  }
  return kExitOk;
}

// A cancelled job says so whatever its result; else success or failure.
int Finish(const JobOutcome& outcome) {
  if (outcome.cancelled) return kExitCancelled;
  return outcome.result ? kExitFailed : kExitOk;
}

int Run(const Args& a) {
  ConsoleUi ui;
  ProgressWatch progress;
  ItemState state;  // the run's own: IDs start as the program's do without a registry
  JobContext job;
  job.ui = &ui;
  job.progress = &progress;
  job.items = &state;
  job.spooler = os::SystemSpooler();

  if (a.command == "inspect") {
    if (a.files.size() != 1) return Usage("inspect takes one FILE");
    InspectOptions options;
    if (!ParseFace(a, &options.face)) return Usage("--face is a number from 0");
    options.name = a.name;
    if (a.id) {
      int id = 0;
      if (!ControlIdTextValid(*a.id, &id)) return ui.ShowMessage(kMsgBadControlId), kExitFailed;
      options.id = id;
    }
    return Inspect(a.files.front(), options);
  }
  if (a.command == "printers") {
    if (!a.files.empty()) return Usage("printers takes no argument");
    return ListQueues(job.spooler);
  }
  if (a.command == "search") {
    if (!a.files.empty()) return Usage("search takes no FILE");
    return Search(a);
  }
  if (a.command == "list-save") {
    if (a.output.empty()) return Usage("list-save needs -o FILE.lst");
    // A setting file names files, not faces.
    if (a.face && *a.face != "0") return Usage("a setting file cannot hold a collection's face");
    ItemList items;
    if (int rc = BuildItems(a, ui, items, state)) return rc;
    return ExportSettings(a.output, items, state.lastItemFolder, ui) ? kExitFailed : kExitOk;
  }
  if (a.command == "export") {
    if (a.output.empty()) return Usage("export needs -o OUT.prn (- for standard output)");
    ItemList items;
    if (int rc = BuildItems(a, ui, items, state)) return rc;
    if (a.output == "-") {
      File out = File::StandardOutput();
      return ExportItemsTo(job, items, out) ? kExitFailed : kExitOk;
    }
    return ExportItems(job, items, a.output) ? kExitFailed : kExitOk;
  }

  std::vector<PrinterTarget> printers;
  if (a.command == "download") {
    ItemList items;
    if (int rc = Printers(a, printers)) return rc;
    if (a.sample) {
      int n = 0;
      if (!CharsPerLineValid(*a.sample, &n)) return ui.ShowMessage(kMsgBadCharsPerLine), kExitFailed;
      if (n == 0 && ui.ShowMessage(kMsgNoSampleAtZero, os::Buttons::OkCancel) != os::Answer::Ok) return kExitOk;
      job.charsPerLine = n;
    }
    if (int rc = BuildItems(a, ui, items, state)) return rc;
    return Finish(RunWithProgress(progress, [&] { return DownloadToPrinters(job, printers, items); }, a.quiet));
  }
  if (a.command == "delete-all") {
    if (int rc = Printers(a, printers)) return rc;
    if (!a.files.empty()) return Usage("delete-all takes no FILE");
    return DeleteAllOnPrinters(job, printers) ? kExitFailed : kExitOk;
  }
  if (a.command == "test-macro") {
    if (int rc = Printers(a, printers)) return rc;
    if (a.files.size() != 1) return Usage("test-macro takes one control ID");
    int id = 0;
    if (!ControlIdTextValid(a.files.front(), &id)) return ui.ShowMessage(kMsgBadControlId), kExitFailed;
    std::string macro = FormatTestMacro(id);
    return Finish(RunWithProgress(progress, [&] {
      return SendBufferToPrinters(job, printers, reinterpret_cast<const uint8_t*>(macro.data()),
                                  macro.size());
    }, a.quiet));
  }
  if (a.command == "send-file") {
    if (int rc = Printers(a, printers)) return rc;
    if (a.files.size() != 1) return Usage("send-file takes one FILE (- for standard input)");
    std::string bytes;
    if (int rc = ReadStreamFile(a.files.front(), &bytes)) return rc;
    return Finish(RunWithProgress(progress, [&] {
      return SendBufferToPrinters(job, printers, reinterpret_cast<const uint8_t*>(bytes.data()),
                                  bytes.size());
    }, a.quiet));
  }
  return Usage(a.command.empty() ? "no command given" : "unknown command " + a.command);
}

}  // namespace
}  // namespace gc::cli

int main(int argc, char** argv) {
  using namespace gc::cli;
  Args a = ParseArgs(argc, argv);
  if (a.version) return std::printf("glyphcast %s\n", GC_VERSION_TEXT), kExitOk;
  if (a.help) {
    for (const CommandHelp& h : kHelp)
      if (a.command == h.command) return std::fputs(h.text, stdout), kExitOk;
    return std::fputs(kUsage, stdout), kExitOk;
  }
  if (!a.error.empty()) return Usage(a.error);
  return Run(a);
}
