// The finder's search runs on every keystroke: over the shipped name lists
// with eight boards installed it should take well under 5 ms.

#include <benchmark/benchmark.h>

#include "settings/names/patch_search.h"

namespace {

using namespace quillon;

const PatchNameLibrary& shippedWithEightBoards() {
  static const PatchNameLibrary names = [] {
    PatchNameLibrary library;
    ExpansionChoices choices;
    choices.ExpMax = LastExpansionSlot;
    for (int k = 1; k <= LastExpansionSlot; ++k) choices.boards[static_cast<std::size_t>(k)] = k;
    library.LoadPatchNames(QUILLON_DATA_DIR, choices);
    return library;
  }();
  return names;
}

void BM_FindPatches(benchmark::State& state, const char* text) {
  const PatchNameLibrary& names = shippedWithEightBoards();
  std::size_t hits = 0;
  for (auto _ : state) {
    const PatchSearchResult result = findPatches(names, InternalBankCountWithE, text);
    hits = result.hits.size();
    benchmark::DoNotOptimize(hits);
  }
  state.counters["hits"] = static_cast<double>(hits);
}

BENCHMARK_CAPTURE(BM_FindPatches, pia, "Pia")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FindPatches, no_match, "zzq")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FindPatches, common_letters, "  1")->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
