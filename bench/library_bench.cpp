// The performance library's two speeds that users feel: importing a large
// collection (10,000 performances in about 300 bank files, target under 3 s)
// and searching a library of 100,000 performances (target under 20 ms).
// Prints each figure beside its target and whether it holds.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "library_bench_data.h"
#include "engine/syx_writer.h"
#include "library/library_import.h"
#include "settings/names/patch_evaluation.h"

namespace {

using namespace quillon;
using namespace quillon::bench;
namespace fs = std::filesystem;

constexpr int ImportPerformances = 10'000;
constexpr double ImportTargetSeconds = 3.0;
constexpr int SearchPerformances = 100'000;
constexpr double SearchTargetMs = 20.0;
constexpr int SearchRuns = 20;

}  // namespace

int main() {
  const fs::path work = fs::temp_directory_path() / ("quillon-library-bench-" + std::to_string(::getpid()));
  fs::remove_all(work);
  fs::create_directories(work / "banks");

  PatchNameLibrary names;
  names.LoadPatchNames(QUILLON_DATA_DIR, ExpansionChoices{});
  library::ImportOptions options;
  options.namer = [&names](const PerfPartRecord& p, int index) { return partSoundName(p, index, names); };

  int files = 0;
  for (int first = 0; first < ImportPerformances; first += PerformanceListSize, ++files) {
    PerformanceStore bank;
    bank.PerformanceCount = std::min(PerformanceListSize, ImportPerformances - first);
    for (int i = 0; i < bank.PerformanceCount; ++i) bank.PerformanceList[i] = variant(first + i);
    bank.FromUser = true;
    char file[32];
    std::snprintf(file, sizeof file, "bank%04d.syx", files);
    writeFileAtomically((work / "banks" / file).string(), listSyxBytes(bank, StandardBlockSizes));
  }

  {
    library::LibraryStore store((work / "import.sqlite").string());
    const auto start = Clock::now();
    const auto report = library::importPaths(store, {(work / "banks").string()}, options);
    const double seconds = secondsSince(start);
    std::printf("imported %d files, %d performances (%d new)\n", report.filesDone, report.performancesFound,
                report.added);
    verdict("import 10,000 performances from ~300 bank files", seconds, ImportTargetSeconds, "s");
  }

  library::LibraryStore store((work / "search.sqlite").string());
  fillLibrary(store, SearchPerformances, options.namer);
  std::printf("library of %lld performances built\n", static_cast<long long>(store.stats().performances));

  const auto timeSearch = [&](const char* what, const library::Query& q) {
    std::vector<double> ms;
    std::size_t hits = 0;
    for (int i = 0; i < SearchRuns; ++i) {
      const auto start = Clock::now();
      hits = store.search(q, library::SearchPageSize).size();
      ms.push_back(secondsSince(start) * 1000.0);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%s: %zu hits (first page), median of %d runs\n", what, hits, SearchRuns);
    verdict(what, ms[ms.size() / 2], SearchTargetMs, "ms");
  };
  library::Query byName;
  byName.text = "Perf 0421";
  timeSearch("search 100,000 by name text \"Perf 0421\"", byName);
  library::Query byPatch;
  byPatch.patch = "Piano";
  timeSearch("search 100,000 by patch name \"Piano\"", byPatch);
  library::Query byEfx;
  byEfx.efxTypes = {0};
  timeSearch("search 100,000 by EFX type 1", byEfx);
  library::Query rare;
  rare.text = "zzq";
  timeSearch("search 100,000 for text no performance holds", rare);

  fs::remove_all(work);
  return 0;
}
