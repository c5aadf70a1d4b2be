// Decoding speed: 1,000 answers of 79 bytes (whole JV-2080 common blocks)
// through the incoming handler with logging on; target under 1 ms in all.

#include <benchmark/benchmark.h>

#include <deque>

#include "engine/incoming.h"

namespace {

using namespace quillon;

class SilentHost : public BasicHost {
 public:
  void showInfo(const std::string&) override {}
  void appendLogLine(LogMemo, const std::string& line) override { benchmark::DoNotOptimize(line.data()); }
  void clearLog(LogMemo) override {}
  void debugLine(const std::string&) override {}
  void lightOut(LedColour) override {}
  void lightIn(LedColour) override {}
  void showShortMessage(Byte, Byte, Byte) override {}
  void startResponseTimer() override {}
  void stopResponseTimer() override {}
  void waitMs(int) override {}
  void sendLong(std::span<const Byte>) override {}
  void sendShort(Byte, Byte, Byte) override {}
};

class Answers : public MidiEventSource {
 public:
  explicit Answers(std::deque<MidiMessage> events) : events_(std::move(events)) {}
  std::optional<MidiMessage> takeEvent() override {
    if (events_.empty()) return std::nullopt;
    MidiMessage m = std::move(events_.front());
    events_.pop_front();
    return m;
  }

 private:
  std::deque<MidiMessage> events_;
};

void BM_Decode1000CommonAnswers(benchmark::State& state) {
  std::deque<MidiMessage> answers;
  for (int i = 0; i < 1000; ++i) {
    MidiMessage m;
    m.status = midi_byte::SysexStart;
    m.sysex = buildDT1(0x10, address::memoryCommon(address::AreaUserPerformance, i % 32),
                       Bytes(JV2080BlockSizes.commonLength(), static_cast<Byte>(i & 0x7F)));
    answers.push_back(std::move(m));
  }
  PerformanceStore store;
  store.LogEnabled = state.range(0) != 0;
  SilentHost host;
  EngineSettings settings;
  MessageLogLines log{host};
  Sender sender{store, host, settings, log};
  IncomingHandler handler{store, host, sender, log};
  for (auto _ : state) {
    state.PauseTiming();
    Answers source(answers);
    state.ResumeTiming();
    handler.HandleModuleInput(source);
  }
  benchmark::DoNotOptimize(store.PerformanceList[5].common[3]);
}
BENCHMARK(BM_Decode1000CommonAnswers)->Arg(1)->Arg(0)->ArgName("log")->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
