#include "cli/fleet_commands.h"

#include <cstdio>

#include "cli/output.h"
#include "cli/progress.h"
#include "os/spooler.h"
#include "pjl/requests.h"
#include "resources/messages.h"

namespace gc::cli {

const char kFleetHelp[] =
    "Printers are served up to N at once (--jobs N, 8 unless given; 1 = one after\n"
    "another). Without --keep-going the first failure stops starting new printers\n"
    "(those already running finish); with it every printer is tried. On a terminal a\n"
    "live table shows each printer; failures are reported on standard error, one line\n"
    "each, then a summary line. --report FILE writes a JSON array with one object per\n"
    "printer: printer, ok, message, bytes, seconds (and verified, files or deleted\n"
    "where the command finds them). Ctrl-C stops starting printers and aborts a\n"
    "printer that stops taking data; a second Ctrl-C aborts them all.\n"
    "A printer has --reply-timeout MS (5000 unless given) to answer each PJL query.\n"
    "Exit status: 0 every printer done, 1 any failed or not started, 2 usage, 3 cancelled.\n";

namespace {

constexpr int kExitOk = 0, kExitFailed = 1, kExitCancelled = 3;
constexpr uint32_t kDirPage = 100;  // entries asked for at a time
constexpr long kJobsLow = 1, kJobsHigh = 256, kReplyLow = 1, kReplyHigh = 600000;

FleetOptions OptionsFrom(const Args& a) {
  FleetOptions o;
  long jobs = o.jobs, replyTimeout = o.replyTimeoutMs;  // checked by FleetOptionsValid
  OptionNumber(a.jobs, kJobsLow, kJobsHigh, &jobs);
  OptionNumber(a.replyTimeout, kReplyLow, kReplyHigh, &replyTimeout);
  o.jobs = static_cast<int>(jobs);
  o.replyTimeoutMs = static_cast<int>(replyTimeout);
  o.keepGoing = a.keepGoing;
  o.spooler = os::SystemSpooler();
  if (const char* name = MessageText(kMsgJobName)) o.jobName = name;
  return o;
}

std::string JsonNumber(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", value);
  return text;
}

bool WriteReport(const std::string& path, const std::vector<PrinterResult>& results) {
  std::string json = "[";
  for (size_t i = 0; i < results.size(); ++i) {
    const PrinterResult& r = results[i];
    json += i ? ",\n  {" : "\n  {";
    json += "\"printer\": " + JsonString(r.printer) + ", \"ok\": " + (r.ok() ? "true" : "false") +
            ", \"message\": " + JsonString(r.message) + ", \"bytes\": " +
            std::to_string(r.bytes) + ", \"seconds\": " + JsonNumber(r.seconds);
    if (r.verified >= 0) json += std::string(", \"verified\": ") + (r.verified ? "true" : "false");
    if (!r.stored.empty()) {
      std::string files;
      for (const StoredFile& f : r.stored)
        files += (files.empty() ? "" : ", ") + std::string("{\"folder\": ") + JsonString(f.folder) +
                 ", \"name\": " + JsonString(f.name) + ", \"size\": " + std::to_string(f.size) + "}";
      json += ", \"files\": [" + files + "]";
    }
    if (!r.deleted.empty()) {
      std::string deleted;
      for (const auto& [name, what] : r.deleted)
        deleted += (deleted.empty() ? "" : ", ") + JsonString(name) + ": " + JsonString(what);
      json += ", \"deleted\": {" + deleted + "}";
    }
    json += "}";
  }
  json += results.empty() ? "]\n" : "\n]\n";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(json.data(), 1, json.size(), f) == json.size();
  return std::fclose(f) == 0 && ok;
}

// Failures on stderr (always), the summary (unless quiet), the report; the exit status.
int Conclude(const Args& a, const FleetOutcome& outcome) {
  size_t done = 0, failed = 0, skipped = 0;
  for (const PrinterResult& r : outcome.results) {
    done += r.ok();
    failed += r.state == PrinterState::Failed;
    skipped += r.state == PrinterState::Skipped;
    if (r.state == PrinterState::Failed)
      std::fprintf(stderr, "glyphcast: %s: %s\n", r.printer.c_str(), r.message.c_str());
  }
  if (!a.quiet) {
    std::fprintf(stderr, "%zu printer%s: %zu done, %zu failed, %zu not started%s\n",
                 outcome.results.size(), outcome.results.size() == 1 ? "" : "s", done, failed,
                 skipped, outcome.cancelled ? " (cancelled)" : "");
  }
  if (a.report && !WriteReport(*a.report, outcome.results)) {
    std::fprintf(stderr, "glyphcast: the report %s cannot be written\n", a.report->c_str());
    return kExitFailed;
  }
  if (outcome.cancelled) return kExitCancelled;
  return done == outcome.results.size() ? kExitOk : kExitFailed;
}

std::string Basename(const std::string& path) {
  size_t slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Every stored file has the size its download announced.
bool CheckStored(PrinterSession& s, const std::vector<BuiltStream::Expected>& expected) {
  std::string requests;
  for (const auto& e : expected) requests += pjl::FsQuery(e.path);
  std::vector<pjl::Reply> replies;
  s.result().verified = 0;
  if (!s.Ask(requests, &replies)) return false;
  std::string problems;
  for (const auto& e : expected) {
    std::optional<pjl::FileQuery> query;
    for (const pjl::Reply& reply : replies)
      if ((query = pjl::ParseFsQuery(reply, e.path))) break;
    std::string problem;
    const std::string name = Basename(e.path);
    if (!query) {
      problem = name + ": no answer";
    } else if (query->kind == pjl::FileQuery::Kind::Error) {
      problem = name + " is missing (" + pjl::FileErrorText(query->fileError) + ")";
    } else if (query->kind == pjl::FileQuery::Kind::Folder) {
      problem = name + " is a folder";
    } else if (query->size < e.size) {
      problem = name + " is short: " + std::to_string(query->size) + " of " +
                std::to_string(e.size) + " bytes";
    } else if (query->size > e.size) {
      problem = name + " has " + std::to_string(query->size) + " bytes, not " +
                std::to_string(e.size);
    }
    if (!problem.empty()) problems += (problems.empty() ? "" : "; ") + problem;
  }
  if (!problems.empty()) return s.Fail(problems);
  s.result().verified = 1;
  return true;
}

void PrintVerdicts(const FleetOutcome& outcome) {
  std::vector<std::vector<std::string>> rows;
  for (const PrinterResult& r : outcome.results)
    rows.push_back({r.printer, r.verified == 1 ? "yes" : "no", r.message});
  PrintTable(stdout, {"PRINTER", "VERIFIED", "MESSAGE"}, rows);
}

// Every file of one folder, page by page; a folder that is not there holds nothing.
bool ListFolder(PrinterSession& s, const char* folder, const char* label) {
  for (uint32_t entry = 1;; entry += kDirPage) {
    std::vector<pjl::Reply> replies;
    if (!s.Ask(pjl::FsDirList(folder, entry, kDirPage), &replies)) return false;
    std::optional<pjl::DirListing> listing;
    for (const pjl::Reply& reply : replies)
      if ((listing = pjl::ParseFsDirList(reply, folder))) break;
    if (!listing) return s.Fail(std::string("no listing of ") + folder + " in the answer");
    if (listing->fileError == 3) return true;
    if (listing->fileError != 0)
      return s.Fail("no usable disk: " + pjl::FileErrorText(listing->fileError));
    for (const pjl::DirEntry& e : listing->entries)
      if (!e.folder) s.result().stored.push_back({label, e.name, e.size});
    if (listing->linesSeen < kDirPage) return true;
  }
}

}  // namespace

bool FleetOptionsValid(const Args& a, std::string* error) {
  long n = 0;
  if (!OptionNumber(a.jobs, kJobsLow, kJobsHigh, &n)) *error = "--jobs is 1 to 256";
  if (!OptionNumber(a.replyTimeout, kReplyLow, kReplyHigh, &n))
    *error = "--reply-timeout is 1 to 600000 ms";
  return error->empty();
}

int Download(const Args& a, ConsoleUi& ui, const std::vector<PrinterTarget>& printers,
             const ItemList& items, int charsPerLine) {
  BuiltStream stream;
  // Built once: the same bytes go to every printer.
  if (int message = BuildDownloadStream(&ui, items, charsPerLine, &stream)) {
    ui.ShowMessage(message);
    return kExitFailed;
  }
  Fleet fleet(printers, a.printers, OptionsFrom(a));
  FleetOutcome outcome = RunFleet(
      fleet,
      [&](PrinterSession& s) {
        return s.Send(stream.bytes) && (!a.verify || CheckStored(s, stream.expected));
      },
      a.quiet);
  if (a.verify) PrintVerdicts(outcome);
  return Conclude(a, outcome);
}

int Verify(const Args& a, ConsoleUi& ui, const std::vector<PrinterTarget>& printers,
           const ItemList& items) {
  // What each download would announce, without sending it.
  BuiltStream stream;
  if (int message = BuildDownloadStream(&ui, items, 0, &stream)) {
    ui.ShowMessage(message);
    return kExitFailed;
  }
  Fleet fleet(printers, a.printers, OptionsFrom(a));
  FleetOutcome outcome = RunFleet(
      fleet, [&](PrinterSession& s) { return CheckStored(s, stream.expected); }, a.quiet);
  PrintVerdicts(outcome);
  return Conclude(a, outcome);
}

int SendBytes(const Args& a, const std::vector<PrinterTarget>& printers, const std::string& bytes) {
  Fleet fleet(printers, a.printers, OptionsFrom(a));
  return Conclude(a, RunFleet(fleet, [&](PrinterSession& s) { return s.Send(bytes); }, a.quiet));
}

int Stored(const Args& a, const std::vector<PrinterTarget>& printers) {
  Fleet fleet(printers, a.printers, OptionsFrom(a));
  FleetOutcome outcome = RunFleet(
      fleet,
      [&](PrinterSession& s) {
        return ListFolder(s, pjl::kFontFolder, "fonts") &&
               ListFolder(s, pjl::kMacroFolder, "macros");
      },
      a.quiet);
  std::vector<std::vector<std::string>> rows;
  for (const PrinterResult& r : outcome.results)
    for (const StoredFile& f : r.stored)
      rows.push_back({r.printer, f.folder, f.name, std::to_string(f.size)});
  PrintTable(stdout, {"PRINTER", "FOLDER", "NAME", "SIZE"}, rows);
  return Conclude(a, outcome);
}

int Delete(const Args& a, const std::vector<PrinterTarget>& printers) {
  const char* folder = a.type && *a.type == "macro" ? pjl::kMacroFolder : pjl::kFontFolder;
  std::vector<std::string> paths;
  for (const std::string& name : a.files) paths.push_back(std::string(folder) + "\\" + name);
  Fleet fleet(printers, a.printers, OptionsFrom(a));
  FleetOutcome outcome = RunFleet(
      fleet,
      [&](PrinterSession& s) {
        auto present = [&](std::vector<bool>* there) {
          std::string requests;
          for (const std::string& p : paths) requests += pjl::FsQuery(p);
          std::vector<pjl::Reply> replies;
          if (!s.Ask(requests, &replies)) return false;
          there->clear();
          for (const std::string& p : paths) {
            bool found = false;
            for (const pjl::Reply& reply : replies)
              if (auto q = pjl::ParseFsQuery(reply, p))
                found = found || q->kind == pjl::FileQuery::Kind::File;
            there->push_back(found);
          }
          return true;
        };
        std::vector<bool> before, after;
        if (!present(&before)) return false;
        std::string deletes;
        for (size_t i = 0; i < paths.size(); ++i)
          if (before[i]) deletes += pjl::FsDelete(paths[i]);
        std::vector<pjl::Reply> ignored;
        if (!deletes.empty() && !s.Ask(deletes, &ignored)) return false;
        if (!present(&after)) return false;
        bool kept = false;
        for (size_t i = 0; i < paths.size(); ++i) {
          const char* what = !before[i] ? "not there" : after[i] ? "still there" : "deleted";
          kept = kept || (before[i] && after[i]);
          s.result().deleted.emplace_back(a.files[i], what);
        }
        return kept ? s.Fail("the printer kept a file it was told to delete") : true;
      },
      a.quiet);
  std::vector<std::vector<std::string>> rows;
  for (const PrinterResult& r : outcome.results)
    for (const auto& [name, what] : r.deleted) rows.push_back({r.printer, name, what});
  PrintTable(stdout, {"PRINTER", "NAME", "RESULT"}, rows);
  return Conclude(a, outcome);
}

}  // namespace gc::cli
