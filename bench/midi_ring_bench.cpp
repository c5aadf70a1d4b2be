// Input ring throughput: events pushed and popped per second, on one thread
// and across two (the MIDI thread and the GUI thread). Target: >= 10 M/s.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <thread>

#include "midi/spsc_ring.h"

namespace {

// The size of the port's queue record.
struct Record {
  std::uint32_t timeStamp;
  std::uint32_t shortMessage;
  std::int32_t sysexBuffer;
  std::uint16_t sysexLength;
};

void RingPushPopOneThread(benchmark::State& state) {
  quillon::midi::SpscRing<Record> ring(1024);
  Record out{};
  std::uint32_t i = 0;
  for (auto _ : state) {
    ring.push(Record{i, i, -1, 0});
    ring.pop(out);
    benchmark::DoNotOptimize(out);
    ++i;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(RingPushPopOneThread);

void RingAcrossTwoThreads(benchmark::State& state) {
  constexpr std::uint32_t Events = 10'000'000;
  for (auto _ : state) {
    quillon::midi::SpscRing<Record> ring(1024);
    std::thread producer([&] {
      for (std::uint32_t i = 0; i < Events; ++i)
        while (!ring.push(Record{i, i, -1, 0})) {
        }
    });
    Record out{};
    std::uint32_t taken = 0;
    while (taken < Events)
      if (ring.pop(out)) ++taken;
    producer.join();
    benchmark::DoNotOptimize(out);
  }
  state.SetItemsProcessed(state.iterations() * Events);
}
BENCHMARK(RingAcrossTwoThreads)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
