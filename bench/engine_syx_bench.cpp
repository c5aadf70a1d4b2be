// Reading speed of the .syx reader: a full JV-2080 bank into the store
// (target under 1 ms) and the scan of a 10 MB mixed file (target >= 200 MB/s).

#include <benchmark/benchmark.h>

#include "engine/demo_performances.h"
#include "engine/syx_reader.h"
#include "engine/syx_writer.h"

namespace {

using namespace quillon;

Bytes fullBank(BlockSizes sizes) {
  PerformanceStore store;
  store.FromUser = true;
  store.PerformanceCount = PerformanceListSize;
  for (int i = 0; i < PerformanceListSize; ++i) store.PerformanceList[i] = demoPerformance(i % DemoPerformanceCount);
  return listSyxBytes(store, sizes);
}

// Patch-like blocks and performances repeated to about 10 MB.
Bytes mixedFile() {
  Bytes patch;
  for (int m = 0; patch.size() < 643; ++m) {
    const Bytes msg = buildDT1(0x10, {address::AreaUserPatch, 1, static_cast<Byte>(m == 0 ? 0 : 0x10 + m), 0},
                               Bytes(m == 0 ? 72 : 118, 0x22));
    patch.insert(patch.end(), msg.begin(), msg.end());
  }
  const Bytes bank = fullBank(StandardBlockSizes);
  Bytes file;
  while (file.size() < (10u << 20)) {
    file.insert(file.end(), patch.begin(), patch.end());
    file.insert(file.end(), bank.begin(), bank.begin() + 555);
  }
  return file;
}

void BM_ReadFullJV2080Bank(benchmark::State& state) {
  const Bytes bank = fullBank(JV2080BlockSizes);
  PerformanceStore store;
  for (auto _ : state) {
    auto report = readSyxIntoStore(store, bank);
    benchmark::DoNotOptimize(report.count);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bank.size()));
  state.counters["bytes"] = static_cast<double>(bank.size());
}
BENCHMARK(BM_ReadFullJV2080Bank)->Unit(benchmark::kMicrosecond);

void BM_ScanMixed10MB(benchmark::State& state) {
  const Bytes file = mixedFile();
  std::size_t reports = 0;
  for (auto _ : state) {
    auto scan = scanSyx(file, [&](std::size_t, std::size_t) { ++reports; });
    benchmark::DoNotOptimize(scan.performanceHeaders);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_ScanMixed10MB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
