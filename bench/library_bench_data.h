#pragma once
// What the library benchmarks share: performances that differ from each
// other, a large library built from them, and each figure printed beside its target.

#include <chrono>
#include <cstdio>
#include <vector>

#include "engine/demo_performances.h"
#include "library/library_store.h"

namespace quillon::bench {

using Clock = std::chrono::steady_clock;

inline constexpr int PatchesPerBank = 128;
inline constexpr int AddBatch = 1000;

// Performance n: a demo with its own name, patch numbers and levels, so no two are alike.
inline PerformanceRecord variant(int n) {
  PerformanceRecord r = demoPerformance(n % DemoPerformanceCount);
  char name[2 * PerformanceNameLength];  // "Perf 012345": the 12 name bytes hold it
  std::snprintf(name, sizeof name, "Perf %06d", n);
  setPerformanceName(r.common, name);
  for (int p = 0; p < address::PartCount; ++p) {
    shown::setPatchNumber(r.parts[p], (n / DemoPerformanceCount + p) % PatchesPerBank);
    r.parts[p][part::Level] = static_cast<Byte>((n + p) % (midi_byte::DataMask + 1));
  }
  return r;
}

// `count` performances, each seen once in a bank file, added a batch at a time.
inline void fillLibrary(library::LibraryStore& store, int count, const library::PatchNamer& namer) {
  std::vector<library::Incoming> batch;
  for (int n = 0; n < count; ++n) {
    batch.push_back({variant(n),
                     {library::Sighting::Kind::File,
                      "bank.syx",
                      n % address::MemoryPerformanceCount,
                      "User 1",
                      ModuleType::JV1080,
                      {},
                      {}}});
    if (static_cast<int>(batch.size()) == AddBatch || n + 1 == count) {
      store.add(batch, StandardBlockSizes, namer);
      batch.clear();
    }
  }
}

inline double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

inline void verdict(const char* what, double value, double target, const char* unit) {
  std::printf("%-58s %9.2f %s  (target < %.0f %s: %s)\n", what, value, unit, target, unit,
              value < target ? "holds" : "MISSED");
}

}  // namespace quillon::bench
