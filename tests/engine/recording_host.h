#pragma once
// A host that records what the engine asks of the windows and the port.

#include <deque>
#include <string>
#include <vector>

#include "engine/host.h"
#include "engine/midi_message.h"

namespace quillon::testing {

class RecordingHost : public BasicHost {
 public:
  void showInfo(const std::string& text) override { infos.push_back(text); }
  void appendLogLine(LogMemo memo, const std::string& line) override { memoOf(memo).push_back(line); }
  void clearLog(LogMemo memo) override { memoOf(memo).clear(); }
  void debugLine(const std::string& text) override { debug.push_back(text); }
  void lightOut(LedColour c) override { outLights.push_back(c); }
  void lightIn(LedColour c) override { inLights.push_back(c); }
  void setMonitorChannel(int channel) override {
    if (channel != monitorChannel()) ++channelChanges;
    BasicHost::setMonitorChannel(channel);
  }
  void showShortMessage(Byte s, Byte d1, Byte d2) override { shown.push_back(shortMessageText(s, d1, d2)); }
  void mixerControlChange(Byte& s, Byte& d1, Byte& d2) override {
    mixerSaw.push_back({s, d1, d2});
    if (mixerSetsValue >= 0) d2 = static_cast<Byte>(mixerSetsValue);
  }
  void startResponseTimer() override { timerRunning = true, ++timerStarts; }
  void stopResponseTimer() override { timerRunning = false; }
  void waitMs(int ms) override { waits.push_back(ms); }
  void sendLong(std::span<const Byte> m) override { wire.emplace_back(m.begin(), m.end()); }
  void sendShort(Byte s, Byte d1, Byte d2) override { wire.push_back({s, d1, d2}); }

  std::vector<std::string>& memoOf(LogMemo memo) { return memo == LogMemo::Sent ? sent : received; }

  std::vector<std::string> infos, sent, received, debug, shown;
  std::vector<LedColour> outLights, inLights;
  std::vector<Bytes> wire, mixerSaw;
  std::vector<int> waits;
  int channelChanges = 0;
  int timerStarts = 0;
  bool timerRunning = false;
  int mixerSetsValue = -1;
};

// A queue of events, as a port hands them over.
class QueueSource : public MidiEventSource {
 public:
  std::optional<MidiMessage> takeEvent() override {
    if (events.empty()) return std::nullopt;
    MidiMessage m = std::move(events.front());
    events.pop_front();
    return m;
  }
  void pushShort(Byte s, Byte d1, Byte d2) { events.push_back({s, d1, d2, 0, {}}); }
  void pushSysex(Bytes bytes) {
    MidiMessage m;
    m.status = midi_byte::SysexStart;
    m.sysex = std::move(bytes);
    events.push_back(std::move(m));
  }
  std::deque<MidiMessage> events;
};

}  // namespace quillon::testing
