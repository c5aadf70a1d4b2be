// The MIDI file reader takes whatever file the user opens or drops on the
// window: any bytes give whole SysEx messages or a reason, never a part of
// either; a file written from the messages reads back the same; and the
// messages read into the store keep its rules.

#include <cstdint>
#include <numeric>

#include "engine/midi_file.h"
#include "engine/store_checks.h"
#include "fuzz_support.h"

namespace {

constexpr int SpacingMs = 40;

std::string streamFault(const quillon::MidiFileSysex& read) {
  using namespace quillon;
  if (!read.ok()) return read.sysex.empty() && read.messages == 0 ? "" : "a refused file gave SysEx";
  const auto messages = sysexMessages(read.sysex);
  const std::size_t whole = std::accumulate(messages.begin(), messages.end(), std::size_t{0},
                                            [](std::size_t n, auto m) { return n + m.size(); });
  if (whole != read.sysex.size() || static_cast<int>(messages.size()) != read.messages)
    return "the stream holds more than its whole messages";
  const MidiFileSysex again = readMidiFileSysex(midiFileBytes(read.sysex, SpacingMs));
  if (!again.ok() || again.sysex != read.sysex) return "a file written from the messages reads back otherwise";
  return {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillon;
  const MidiFileSysex read = readMidiFileSysex(std::span<const Byte>(data, size));
  fuzz::require(streamFault(read));
  PerformanceStore store;
  SyxReadReport report;
  fuzz::require(testing::checkedSyxRead(store, read.sysex, report));
  return 0;
}
