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
#include "cli/fleet_commands.h"
#include "cli/search.h"
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
#include "pjl/requests.h"
#include "printers/snmp.h"
#include "resources/version.h"
#include "truetype/font_kind.h"
#include "resources/messages.h"

namespace gc::cli {
namespace {

constexpr int kExitOk = 0, kExitFailed = 1, kExitUsage = 2;

const char kUsage[] =
    "usage: glyphcast COMMAND [options]\n"
    "\n"
    "commands:\n"
    "  export -o OUT.prn|- [item options] FILE...\n"
    "                                 write the download stream of the items\n"
    "  download --printer P... [item options] [--verify] FILE...\n"
    "                                 store the items on every printer\n"
    "  verify --printer P... [item options] FILE...\n"
    "                                 check that every printer holds the items whole\n"
    "  stored --printer P...          list the fonts and macros each printer holds\n"
    "  delete --printer P... [--type font|macro] NAME...\n"
    "                                 remove single fonts or macros\n"
    "  delete-all --printer P...      remove every stored font and macro\n"
    "  test-macro --printer P... ID   run macro ID on the printers\n"
    "  send-file --printer P... FILE.prn|-\n"
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
    "Item options: --name NAME, --id ID, --type font|macro, --face N, or --list\n"
    "FILE.lst (a setting file) in place of FILEs. Without --name/--id every FILE gets\n"
    "the proposed download name (its file name without extension, blanks as _) and\n"
    "the next free control ID.\n"
    "Printer commands serve up to --jobs N printers at once (8 unless given) and take\n"
    "--keep-going and --report FILE; see 'glyphcast download --help'.\n"
    "Messages and the progress table (on a terminal only) go to standard error;\n"
    "--quiet (-q) leaves out the progress and the summary, never errors.\n"
    "Exit status: 0 done, 1 failed, 2 usage, 3 cancelled.\n"
    "glyphcast --version prints the version.\n"
    "Run 'glyphcast COMMAND --help' for one command.\n";

struct CommandHelp {
  const char* command;
  const char* text;
  bool fleet;  // a printer command: kFleetHelp follows
};
const CommandHelp kHelp[] = {
    {"export",
     "usage: glyphcast export -o OUT.prn [--name NAME] [--id ID] [--type font|macro]\n"
     "                        [--face N] FILE...\n"
     "       glyphcast export -o OUT.prn --list FILE.lst\n"
     "Writes each item's download stream, as a printer would receive it, into OUT.prn\n"
     "(standard output for -o -, e.g. glyphcast export -o - font.ttf | lp -o raw -d QUEUE).\n"
     "--name and --id apply to a single FILE; --type macro sends a font file as a macro;\n"
     "--face N converts face N of a TrueType collection (.ttc; 0 unless given).\n",
     false},
    {"download",
     "usage: glyphcast download --printer P [--printer P]... [--name NAME] [--id ID]\n"
     "                          [--type font|macro] [--face N] [--sample N] [--verify]\n"
     "                          [--jobs N] [--keep-going] [--report FILE]\n"
     "                          FILE...|--list FILE.lst\n"
     "Stores the items on every printer: their streams are built once and the same\n"
     "bytes go to each. --sample N follows each font with a sample page of N characters\n"
     "per line (1-100). --verify then asks each printer the size of every stored file\n"
     "(PJL FSQUERY) and fails a printer whose file is missing or short.\n",
     true},
    {"verify",
     "usage: glyphcast verify --printer P... [item options] FILE...|--list FILE.lst\n"
     "Asks each printer the size of every item's stored file (PJL FSQUERY) and compares\n"
     "it with the SIZE its download announces; a missing or short file fails the\n"
     "printer. Prints PRINTER, VERIFIED and MESSAGE.\n",
     true},
    {"stored",
     "usage: glyphcast stored --printer P...\n"
     "Lists the files each printer holds under 0:\\pcl\\fonts and 0:\\pcl\\macros (PJL\n"
     "FSDIRLIST), a line each: PRINTER, FOLDER, NAME, SIZE. A printer without a disk or\n"
     "file system, or one that does not answer in time, fails with the reason.\n",
     true},
    {"delete",
     "usage: glyphcast delete --printer P... [--type font|macro] NAME...\n"
     "Removes the named fonts (or macros) from each printer (PJL FSDELETE of\n"
     "0:\\pcl\\fonts\\NAME or 0:\\pcl\\macros\\NAME) and prints for each name whether it\n"
     "was deleted or not there; a name that is not there fails nothing.\n",
     true},
    {"search", kSearchHelp, false},
    {"list-save",
     "usage: glyphcast list-save -o FILE.lst [--name NAME] [--id ID] [--type font|macro] FILE...\n"
     "Writes a setting file: the folder of the last file, then one line per item.\n",
     false},
    {"delete-all",
     "usage: glyphcast delete-all --printer P...\n"
     "Reinitialises volume 0 and deletes every font and macro on the printers.\n",
     true},
    {"test-macro",
     "usage: glyphcast test-macro --printer P... ID\nRuns the macro with control ID ID.\n",
     true},
    {"send-file",
     "usage: glyphcast send-file --printer P... FILE.prn|-\n"
     "Sends the file's bytes (standard input's for -) unchanged.\n",
     true},
    {"printers",
     "usage: glyphcast printers\n"
     "Lists the local spooler queues and connections, one a line: the name, a tab and\n"
     "the port (for CUPS, the device URI without credentials).\n",
     false},
    {"inspect",
     "usage: glyphcast inspect [--face N] [--name NAME] [--id ID] FILE\n"
     "Says whether FILE is a TrueType font (listing the faces of a collection), a pure\n"
     "PCL5 soft font (with its name and any font ID command) or a macro, and how to\n"
     "select a font once it is stored under NAME and ID (the proposed ones unless\n"
     "given). A font file that cannot be converted is named for what it is (exit status\n"
     "1). For a .prn stream it lists the PJL file operations with each stored font's or\n"
     "macro's ID, and checks that every FSDOWNLOAD SIZE is exact (exit status 1 when one\n"
     "is not).\n",
     false},
};

int Usage(const std::string& error) {
  std::fprintf(stderr, "glyphcast: %s\n%s", error.c_str(), kUsage);
  return kExitUsage;
}

// A printer command: it takes --printer and the fleet options.
bool IsFleetCommand(const std::string& command) {
  for (const CommandHelp& h : kHelp)
    if (command == h.command) return h.fleet;
  return false;
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
  long n = 0;  // digits only: no sign or space before them
  if (a.face->empty() || !std::isdigit(static_cast<unsigned char>(a.face->front())) ||
      !OptionNumber(a.face, 0, 0xFFFF, &n))
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

// The delete-all stream, as every printer gets it.
std::string DeleteAllStream() {
  std::vector<uint8_t> bytes;
  OutputChannel memory;
  memory.kind = ChannelKind::Memory;
  memory.memory = &bytes;
  WriteDeleteAll(MemoryWrite, memory);
  return std::string(bytes.begin(), bytes.end());
}

int Run(const Args& a) {
  ConsoleUi ui;
  ItemState state;  // the run's own: IDs start as the program's do without a registry
  JobContext job;
  job.ui = &ui;
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
  if (IsFleetCommand(a.command)) {
    std::string error;
    if (!FleetOptionsValid(a, &error)) return Usage(error);
    if (int rc = Printers(a, printers)) return rc;
  }
  if (a.command == "download") {
    ItemList items;
    int charsPerLine = 0;
    if (a.sample) {
      if (!CharsPerLineValid(*a.sample, &charsPerLine))
        return ui.ShowMessage(kMsgBadCharsPerLine), kExitFailed;
      if (charsPerLine == 0 &&
          ui.ShowMessage(kMsgNoSampleAtZero, os::Buttons::OkCancel) != os::Answer::Ok)
        return kExitOk;
    }
    if (int rc = BuildItems(a, ui, items, state)) return rc;
    return Download(a, ui, printers, items, charsPerLine);
  }
  if (a.command == "verify") {
    ItemList items;
    if (int rc = BuildItems(a, ui, items, state)) return rc;
    return Verify(a, ui, printers, items);
  }
  if (a.command == "delete-all") {
    if (!a.files.empty()) return Usage("delete-all takes no FILE");
    return SendBytes(a, printers, DeleteAllStream());
  }
  if (a.command == "test-macro") {
    if (a.files.size() != 1) return Usage("test-macro takes one control ID");
    int id = 0;
    if (!ControlIdTextValid(a.files.front(), &id)) return ui.ShowMessage(kMsgBadControlId), kExitFailed;
    return SendBytes(a, printers, FormatTestMacro(id));
  }
  if (a.command == "send-file") {
    if (a.files.size() != 1) return Usage("send-file takes one FILE (- for standard input)");
    std::string bytes;
    if (int rc = ReadStreamFile(a.files.front(), &bytes)) return rc;
    return SendBytes(a, printers, bytes);
  }
  if (a.command == "stored") {
    if (!a.files.empty()) return Usage("stored takes no FILE");
    return Stored(a, printers);
  }
  if (a.command == "delete") {
    if (a.files.empty()) return Usage("delete takes the NAMEs of the fonts or macros to remove");
    if (a.type && *a.type != "font" && *a.type != "macro") return Usage("--type is font or macro");
    for (const std::string& name : a.files)
      if (!pjl::QuotableName(name) || name.find_first_of("\\/:") != std::string::npos)
        return Usage("not a stored file's name: " + name);
    return Delete(a, printers);
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
    for (const CommandHelp& h : kHelp) {
      if (a.command != h.command) continue;
      std::fputs(h.text, stdout);
      if (h.fleet) std::fputs(kFleetHelp, stdout);
      return kExitOk;
    }
    return std::fputs(kUsage, stdout), kExitOk;
  }
  if (!a.error.empty()) return Usage(a.error);
  return Run(a);
}
