// Anything on the module's input port reaches the decoder: the input is a
// flags byte and then a MIDI byte stream, cut into events as a port hands
// them over. Each event may change only the record its own address names,
// every run of the handler takes at least one event, the SysEx count and the
// log lines stay within bounds, and what MIDI-thru passes on is well formed.

#include <algorithm>
#include <array>
#include <cstdint>

#include "engine/demo_performances.h"
#include "engine/recording_host.h"
#include "engine/store_checks.h"
#include "fuzz_support.h"

namespace {

using namespace quillon;

// Bits of the first input byte.
namespace flag {
constexpr Byte NamesOnly = 0x01;
constexpr Byte Log = 0x02;
constexpr Byte Thru = 0x04;
constexpr Byte Chord = 0x08;
constexpr Byte Keyboard = 0x10;  // the events arrive on the keyboard port instead
constexpr int BufferShift = 5;   // two bits choose the port's SysEx buffer size
constexpr Byte BufferMask = 0x03;
constexpr Byte Seal = 0x80;  // every framed SysEx message gets its right checksum
}  // namespace flag

// A port cuts a SysEx message longer than its buffer into buffer-sized events.
constexpr std::array<std::size_t, 4> SysexBufferSizes{1024, 146, 16, 1};

// A "N = " prefix and the summary, which stops growing at its limit.
constexpr std::size_t LongestLogLine = incoming::SummaryLimit + 16;

// The store as a session leaves it: every record filled, so a stray write shows.
const PerformanceStore& filledStore() {
  static const PerformanceStore filled = [] {
    PerformanceStore s;
    for (int i = 0; i < PerformanceListSize; ++i) s.PerformanceList[i] = demoPerformance(i % DemoPerformanceCount);
    s.TempPerformance = demoPerformance(1);
    for (auto& name : s.MemoryNames) name.fill('m');
    for (auto& name : s.ReceivedPatchNames) name.fill('p');
    s.SystemImage.fill(0x55);
    s.PerformanceCount = PerformanceListSize / 2;
    return s;
  }();
  return filled;
}

// F0 up to F7 (or the end) is one SysEx message, cut into buffer-sized
// events; a status byte with the data bytes that follow is a short message;
// stray data bytes and F7 are dropped, as a port's parser drops them.
std::deque<MidiMessage> portEvents(std::span<const Byte> wire, std::size_t buffer, bool seal) {
  std::deque<MidiMessage> events;
  std::size_t i = 0;
  while (i < wire.size()) {
    const Byte b = wire[i];
    if (b == midi_byte::SysexStart) {
      const auto end = std::find(wire.begin() + static_cast<std::ptrdiff_t>(i), wire.end(), midi_byte::SysexEnd);
      const std::size_t stop = end == wire.end() ? wire.size() : static_cast<std::size_t>(end - wire.begin()) + 1;
      Bytes message(wire.begin() + static_cast<std::ptrdiff_t>(i), wire.begin() + static_cast<std::ptrdiff_t>(stop));
      if (seal) fuzz::sealChecksum(message);
      for (std::size_t at = 0; at < message.size(); at += buffer) {
        MidiMessage m;
        m.status = midi_byte::SysexStart;
        m.sysex.assign(message.begin() + static_cast<std::ptrdiff_t>(at),
                       message.begin() + static_cast<std::ptrdiff_t>(std::min(message.size(), at + buffer)));
        events.push_back(std::move(m));
      }
      i = stop;
      continue;
    }
    ++i;
    if (b <= midi_byte::DataMask || b == midi_byte::SysexEnd) continue;
    MidiMessage m;
    m.status = b;
    Byte* data[] = {&m.data1, &m.data2};
    for (int k = 1; k < shortMessageLength(b) && i < wire.size() && wire[i] <= midi_byte::DataMask; ++k)
      *data[k - 1] = wire[i++];
    events.push_back(std::move(m));
  }
  return events;
}

// Hands events over as the port does, and checks each one when the handler
// comes back for the next or returns: by then it is fully handled.
class CheckedSource : public testing::QueueSource {
 public:
  CheckedSource(PerformanceStore& store, bool keyboard) : store_(store), keyboard_(keyboard) {}

  std::optional<MidiMessage> takeEvent() override {
    checkLastEvent();
    auto event = QueueSource::takeEvent();
    if (event) {
      before_ = store_;
      // The keyboard port stores nothing: held to the rule of a short message.
      last_ = keyboard_ ? Bytes{} : event->sysex;
      pending_ = true;
      sysexTaken += event->isSysex() ? 1 : 0;
    }
    return event;
  }

  void checkLastEvent() {
    if (!pending_) return;
    pending_ = false;
    fuzz::require(testing::changeOutsideAddressedRecord(before_, store_, last_, store_.NamesOnly));
  }

  int sysexTaken = 0;

 private:
  PerformanceStore& store_;
  bool keyboard_;
  PerformanceStore before_;
  Bytes last_;
  bool pending_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const Byte flags = data[0];
  const bool keyboard = flags & flag::Keyboard;

  testing::RecordingHost host;
  host.setMidiThru(flags & flag::Thru);
  host.setChord(flags & flag::Chord);
  PerformanceStore store = filledStore();
  store.NamesOnly = flags & flag::NamesOnly;
  store.LogEnabled = flags & flag::Log;
  EngineSettings settings;
  MessageLogLines log{host};
  Sender sender{store, host, settings, log};
  IncomingHandler handler{store, host, sender, log};
  // Whatever comes is taken, as during a dump: the decoder itself is under test.
  SessionScope listening(sender.sessions(), TransferKind::Listen);

  CheckedSource source(store, keyboard);
  source.events = portEvents(std::span<const Byte>(data + 1, size - 1),
                             SysexBufferSizes[(flags >> flag::BufferShift) & flag::BufferMask], flags & flag::Seal);
  // The port notifies again while events remain; a run that takes none would never end.
  while (!source.events.empty()) {
    const std::size_t waiting = source.events.size();
    keyboard ? handler.HandleKeyboardInput(source) : handler.HandleModuleInput(source);
    source.checkLastEvent();
    fuzz::require(source.events.size() < waiting ? "" : "a run of the handler took no event");
  }

  if (!keyboard && handler.SysexInCount != source.sysexTaken)
    fuzz::require("SysexInCount is not the SysEx events taken");
  for (const std::string& line : host.received)
    if (line.size() > LongestLogLine) fuzz::require("a log line of " + std::to_string(line.size()) + " characters");
  for (const Bytes& sent : host.wire) {
    const bool wellFormed = sent.size() == 3 && sent[0] > midi_byte::DataMask && sent[0] != midi_byte::SysexStart &&
                            sent[1] <= midi_byte::DataMask && sent[2] <= midi_byte::DataMask;
    if (!wellFormed) fuzz::require("MIDI-thru sent a malformed message");
  }
  return 0;
}
