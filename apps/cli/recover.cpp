// SPDX-License-Identifier: GPL-3.0-or-later
// pneuvista-cli recover: the runs that a kill or a power cut left unsaved, listed from
// their journals or written as Save writes them.
#include <memory>
#include <ostream>
#include <string>

#include "cli_command.h"
#include "files/atomic_save.h"
#include "files/run_journal.h"
#include "files/run_recovery.h"
#include "text_format.h"

namespace pv::cli {
namespace {

constexpr std::string_view kDetails =
    "While a run goes on, the window and 'record' append every sample taken to a journal in\n"
    "$XDG_STATE_HOME/pneuvista (~/.local/state/pneuvista); a journal is removed once its run\n"
    "is saved or given up. A journal that is left belongs to a run that was never saved: the\n"
    "program was killed, crashed or lost its power.\n"
    "\n"
    "  --list             list the unsaved runs, newest first: journal, samples, start,\n"
    "                     interval in seconds and the unit of the last sample\n"
    "  JOURNAL            the journal to write; without it, the newest unsaved run\n"
    "  --out FILE.KvtDat  the data-logger file to write, as Save writes it (each file is\n"
    "                     replaced as a whole or not at all); the journal is then removed\n"
    "  --no-txt           do not write the text table FILE.txt beside the data file\n"
    "\n"
    "A journal that a running program still records is neither listed nor written.\n"
    "\n"
    "exit status: 0 done; 1 nothing to recover, the journal cannot be read, or the output\n"
    "cannot be written (the journal then stays); 2 wrong usage\n";

struct RecoverArgs {
  bool list = false;
  std::string journal;
  std::string out;
  bool textTable = true;
};

// Returns the problem, empty when the arguments are usable.
std::string ParseRecoverArgs(Args args, RecoverArgs& r) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view a = args[i];
    if (a == "--list") {
      r.list = true;
    } else if (a == "--no-txt") {
      r.textTable = false;
    } else if (a == "--out") {
      if (i + 1 >= args.size() || args[i + 1].empty()) return "--out needs a file name";
      r.out = args[++i];
    } else if (a.starts_with("-")) {
      return "unknown option '" + std::string(a) + "'";
    } else if (r.journal.empty()) {
      r.journal = a;
    } else {
      return "more than one journal given";
    }
  }
  if (r.list && (!r.out.empty() || !r.journal.empty() || !r.textTable))
    return "--list takes no journal and no output";
  if (!r.list && r.out.empty()) return "no output file given (--out FILE.KvtDat)";
  return {};
}

// The unit of a journal's last sample, as its saved file names it.
std::string LastUnit(const UnsavedJournal& journal) {
  auto store = std::make_unique<SampleStore>();
  auto held = HoldJournal(journal.path, *store);
  if (!held || held.value().contents.samples == 0) return "?";
  return std::string(store->unitNameAt[held.value().contents.samples - 1]);
}

int List(const std::string& folder, std::ostream& out, std::ostream& err) {
  const std::vector<UnsavedJournal> journals = FindUnsavedJournals(folder);
  if (journals.empty()) return Fail(err, kExitBadFile, "no unsaved run in " + folder);
  for (const UnsavedJournal& j : journals) {
    out << j.path << "\t" << j.samples << "\t" << FormatLocalTime(j.header.startTime, "%Y-%m-%d %H:%M:%S") << "\t"
        << j.header.intervalMs / 1000 << "\t" << LastUnit(j) << "\n";
  }
  out.flush();
  return out ? kExitOk : Fail(err, kExitBadFile, "cannot write the output");
}

int RunRecover(Args args, std::ostream& out, std::ostream& err) {
  RecoverArgs r;
  if (const std::string problem = ParseRecoverArgs(args, r); !problem.empty())
    return UsageError(err, kRecoverCommand, problem);
  const std::string folder = DefaultJournalFolder();
  if (r.list) return List(folder, out, err);
  if (r.journal.empty()) {
    const std::vector<UnsavedJournal> journals = FindUnsavedJournals(folder);
    if (journals.empty()) return Fail(err, kExitBadFile, "no unsaved run in " + folder);
    r.journal = journals.front().path;
  }
  const std::string& dataPath = r.out;
  const FileStatus status = RecoverToFile(r.journal, dataPath, r.textTable);
  if (!status) return Fail(err, kExitBadFile, status.error().message);
  out << "recovered " << r.journal << " to " << dataPath;
  if (r.textTable) out << " and " << TextTablePathFor(dataPath);
  out << "\n" << std::flush;
  return kExitOk;
}

}  // namespace

const CliCommand kRecoverCommand{
    "recover", "recover (--list | [JOURNAL] --out FILE.KvtDat [--no-txt])",
    "List the runs a crash or a kill left unsaved, or write one as Save does.", RunRecover, kDetails};

}  // namespace pv::cli
