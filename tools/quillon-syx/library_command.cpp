#include "library_command.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <csignal>
#include <iomanip>
#include <iostream>
#include <optional>

#include "cli_common.h"
#include "library_defaults.h"
#include "engine/efx_table.h"
#include "engine/syx_writer.h"
#include "engine/value_texts.h"
#include "library/library_bank.h"
#include "library/library_import.h"
#include "settings/names/patch_evaluation.h"

namespace quillon::cli {

const char* const LibraryUsage =
    "  library import PATH...   Add every performance of the dump files PATH, and of the\n"
    "                   .syx/.mid/.midi files in the folder trees PATH, to the performance\n"
    "                   library. Each is kept once, with every place it was seen; files\n"
    "                   that cannot be read are named. Ctrl+C stops and keeps what was added.\n"
    "  library search TEXT [--patch NAME] [--efx TYPE] [--reverb TYPE] [--tempo BPM]\n"
    "                 [--splits] [--favourites] [--tag TAG]\n"
    "                   List the performances whose name, patch names, tags or comment hold\n"
    "                   TEXT (\"\" for any), whose parts play NAME, whose EFX type is TYPE\n"
    "                   (its number 1..40 or part of its name), whose reverb type is TYPE\n"
    "                   (1..8 or part of its name), whose tempo is BPM, that split the\n"
    "                   keyboard, that are favourites, that carry TAG.\n"
    "  library export TEXT FILE [the options of search]\n"
    "                   Write the performances search finds (at most 32) to FILE as User 1..N.\n"
    "  library stats    Count the performances, places, files and fetches of the library.\n"
    "                   Every library command takes --library FILE (default: library.sqlite\n"
    "                   in Quillon's data folder).\n";

namespace {

constexpr int SearchLimit = 1000;
constexpr int ExportLimit = address::MemoryPerformanceCount;
constexpr int NameColumn = PerformanceNameLength + 2;

std::atomic<bool> interrupted{false};

struct LibraryOptions {
  std::string library;
  std::string patch;
  std::string efx;
  std::string reverb;
  std::string tempo;
  std::string tag;
  bool splits = false;
  bool favourites = false;
  std::vector<std::string> positional;
};

// The option that takes a value, or nullptr.
std::string* valueOption(LibraryOptions& o, const std::string& a) {
  if (a == "--library") return &o.library;
  if (a == "--patch") return &o.patch;
  if (a == "--efx") return &o.efx;
  if (a == "--reverb") return &o.reverb;
  if (a == "--tempo") return &o.tempo;
  if (a == "--tag") return &o.tag;
  return nullptr;
}

// The switch an option sets, or nullptr.
bool* flagOption(LibraryOptions& o, const std::string& a) {
  if (a == "--splits") return &o.splits;
  if (a == "--favourites" || a == "--favorites") return &o.favourites;
  return nullptr;
}

std::string lowered(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

std::optional<LibraryOptions> parseOptions(const std::vector<std::string>& args, std::string& error) {
  LibraryOptions o;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (bool* flag = flagOption(o, a)) {
      *flag = true;
      continue;
    }
    std::string* value = valueOption(o, a);
    if (!value) {
      o.positional.push_back(a);
      continue;
    }
    if (++i == args.size()) {
      error = a + " needs a value";
      return std::nullopt;
    }
    *value = args[i];
  }
  return o;
}

// The stored EFX types a --efx value names: its number as shown, or every type whose name holds it.
std::vector<int> efxTypesNamed(const std::string& text, std::string& error) {
  std::vector<int> types;
  if (text.empty()) return types;
  const EfxTypeTable table;
  int n = 0;
  if (parseNumber(text, n)) {
    if (EfxTypeTable::isType(n - 1)) types.push_back(n - 1);
  } else {
    for (int t = 0; t < EfxTypeCount; ++t)
      if (lowered(std::string(table.typeName(t))).find(lowered(text)) != std::string::npos) types.push_back(t);
  }
  if (types.empty())
    error = "no EFX type is \"" + text + "\" (1.." + std::to_string(EfxTypeCount) + " or part of a name)";
  return types;
}

// The stored reverb type a --reverb value names: its number as shown, or the one type whose name holds it.
std::optional<int> reverbTypeNamed(const std::string& text, std::string& error) {
  if (text.empty()) return std::nullopt;
  const auto& names = texts::ReverbType;
  int n = 0;
  if (parseNumber(text, n) && n >= 1 && n <= static_cast<int>(names.size())) return n - 1;
  std::vector<int> found;
  for (std::size_t t = 0; t < names.size(); ++t)
    if (lowered(std::string(names[t])).find(lowered(text)) != std::string::npos) found.push_back(static_cast<int>(t));
  if (found.size() == 1) return found.front();
  error = "--reverb " + text + ": name one reverb type, by its number 1.." + std::to_string(names.size()) +
          " or by part of its name (\"hall 2\")";
  return std::nullopt;
}

std::optional<int> tempoNamed(const std::string& text, std::string& error) {
  if (text.empty()) return std::nullopt;
  int bpm = 0;
  if (parseNumber(text, bpm) && bpm >= shown::TempoMin && bpm <= shown::TempoMax) return bpm;
  error = "--tempo takes a number " + std::to_string(shown::TempoMin) + ".." + std::to_string(shown::TempoMax);
  return std::nullopt;
}

struct Opened {
  std::unique_ptr<library::LibraryStore> store;
  LibraryDefaults defaults;
};

std::optional<Opened> openLibrary(const LibraryOptions& o) {
  Opened opened{nullptr, libraryDefaults()};
  const std::string path =
      o.library.empty() ? (opened.defaults.dataFolder / library::LibraryFileName).string() : o.library;
  opened.store = std::make_unique<library::LibraryStore>(path);
  if (!opened.store->message().empty()) std::cerr << "quillon-syx: " << opened.store->message() << '\n';
  if (!opened.store->isOpen()) return std::nullopt;
  return opened;
}

int importCommand(const LibraryOptions& o) {
  if (o.positional.empty()) return fail("library import takes one or more files or folders");
  auto opened = openLibrary(o);
  if (!opened) return ExitError;
  PatchNameLibrary names;
  names.LoadPatchNames(opened->defaults.dataFolder, opened->defaults.boards);
  library::ImportOptions options;
  options.moduleType = opened->defaults.moduleType;
  options.namer = [&names](const PerfPartRecord& part, int index) { return partSoundName(part, index, names); };
  options.cancel = &interrupted;
  std::signal(SIGINT, [](int) { interrupted = true; });
  const auto report = library::importPaths(*opened->store, o.positional, options);
  std::signal(SIGINT, SIG_DFL);
  for (const auto& p : report.problems) std::cout << "Not taken: " << p.path << ": " << p.reason << '\n';
  std::cout << "Files: " << report.filesDone << ", performances: " << report.performancesFound
            << ", new: " << report.added << ", already known: " << report.known
            << ", problems: " << report.problems.size() << ", other files skipped: " << report.skipped << '\n';
  if (report.cancelled) std::cout << "Stopped; what was found so far is kept.\n";
  return report.ok() ? ExitOk : fail(report.error);
}

std::optional<library::Query> queryFrom(const LibraryOptions& o, std::string& error) {
  library::Query q;
  q.text = o.positional.empty() ? std::string() : o.positional[0];
  q.patch = o.patch;
  q.efxTypes = efxTypesNamed(o.efx, error);
  if (error.empty()) q.reverbType = reverbTypeNamed(o.reverb, error);
  if (error.empty()) q.tempo = tempoNamed(o.tempo, error);
  if (!error.empty()) return std::nullopt;
  q.splitsOnly = o.splits;
  q.favouritesOnly = o.favourites;
  q.tag = o.tag;
  return q;
}

int searchCommand(const LibraryOptions& o) {
  if (o.positional.size() != 1) return fail("library search takes one TEXT (\"\" for any)");
  std::string error;
  const auto query = queryFrom(o, error);
  if (!query) return fail(error);
  auto opened = openLibrary(o);
  if (!opened) return ExitError;
  const auto hits = opened->store->search(*query, SearchLimit, &error);
  if (!error.empty()) return fail(error);
  for (const auto& h : hits) {
    std::cout << std::setw(6) << h.id << "  [" << std::left << std::setw(NameColumn - 2) << h.name << "]" << std::right
              << "  EFX " << std::setw(2) << (h.efxType + 1) << "  tempo " << std::setw(3) << h.tempo << "  splits "
              << std::setw(2) << h.splitParts << "  seen " << h.sightings << "x  " << h.firstPlace
              << (h.favourite ? "  *" : "") << '\n';
  }
  std::cout << "Found: " << hits.size()
            << (hits.size() == static_cast<std::size_t>(SearchLimit) ? " (the first ones only)" : "") << '\n';
  return ExitOk;
}

int exportCommand(const LibraryOptions& o) {
  if (o.positional.size() != 2) return fail("library export takes TEXT and FILE");
  std::string error;
  const auto query = queryFrom(o, error);
  if (!query) return fail(error);
  auto opened = openLibrary(o);
  if (!opened) return ExitError;
  const auto hits = opened->store->search(*query, ExportLimit + 1, &error);
  if (!error.empty()) return fail(error);
  if (hits.empty()) return fail("no performance matches; nothing written");
  if (hits.size() > static_cast<std::size_t>(ExportLimit))
    return fail("more than " + std::to_string(ExportLimit) + " performances match; a bank holds " +
                std::to_string(ExportLimit) + ": narrow the search. Nothing written");
  std::vector<std::int64_t> ids;
  for (const auto& h : hits) ids.push_back(h.id);
  const auto performances = library::performancesOf(*opened->store, ids, error);
  if (!error.empty()) return fail(error);
  const Bytes bytes = library::bankFileBytes(performances, address::AreaUserPerformance);
  const std::string& path = o.positional[1];
  error = writeFileAtomically(path, bytes);
  if (!error.empty()) return fail(error);
  std::cout << "Wrote " << hits.size() << " performances (" << bytes.size() << " bytes) to " << path << '\n';
  return ExitOk;
}

int statsCommand(const LibraryOptions& o) {
  if (!o.positional.empty()) return fail("library stats takes no arguments");
  auto opened = openLibrary(o);
  if (!opened) return ExitError;
  const auto s = opened->store->stats();
  std::cout << "Library: " << opened->store->path() << '\n'
            << "Performances: " << s.performances << '\n'
            << "Places seen: " << s.sightings << " (files: " << s.files << ", fetches: " << s.fetches << ")\n"
            << "Favourites: " << s.favourites << '\n'
            << "Tagged: " << s.tagged << '\n';
  return ExitOk;
}

}  // namespace

int libraryCommand(const std::vector<std::string>& args) {
  if (args.empty()) return fail("library needs import, search, export or stats");
  std::string error;
  const auto o = parseOptions(args, error);
  if (!o) return fail(error);
  const std::string& what = args[0];
  if (what == "import") return importCommand(*o);
  if (what == "search") return searchCommand(*o);
  if (what == "export") return exportCommand(*o);
  if (what == "stats") return statsCommand(*o);
  return fail("library has no command \"" + what + "\" (import, search, export, stats)");
}

}  // namespace quillon::cli
