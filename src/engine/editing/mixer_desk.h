#pragma once
// The MIDI mixer's state without windows: 16 strips of volume, pan, chorus
// and reverb sent as control changes, five memories of all strips, and the
// incoming control changes shown on the strips. The memories can be written
// to and read from a line of text, so they survive the program.

#include <array>
#include <optional>
#include <string>

#include "engine/editing/controller_targets.h"
#include "engine/host.h"
#include "engine/midi_message.h"
#include "engine/params/parameter_table.h"
#include "engine/store.h"

namespace quillon {

inline constexpr int MixerStrips = MidiChannels;
inline constexpr int MixerMemoryCount = 5;
inline constexpr int MixerRows = 4;  // chorus, reverb, pan, volume: the order of a recall
inline constexpr int MixerStartVolume = 100;

// One memory: a row of 16 stored values (as sent) per controller.
using MixerRow = std::array<Byte, MixerStrips>;
using MixerMemory = std::array<MixerRow, MixerRows>;

class MixerDesk : public ControllerTargets {
 public:
  static constexpr const char* PortClosed = "MIDI Output device not open";

  MixerDesk(EngineHost& host, const PerformanceStore& store);

  // The four strip rows in recall order.
  static const std::array<const Parameter*, MixerRows>& rows();
  static int rowOf(const Parameter& p);

  // The stored value (0..127) a strip shows now.
  int storedValue(const Parameter& p, int strip) const override;
  // Sends the control change of a strip and keeps it in the memory in use.
  // False when the port refused it: the memory keeps its old value, the user
  // is told once, and nothing more is tried until reopened() is called.
  bool send(const Parameter& p, int strip, int shown) override;
  // Incoming control change (already on the monitor channel): the strip that
  // shows it, or nothing for a controller no strip has.
  std::optional<std::pair<const Parameter*, int>> receive(Byte status, Byte controller, Byte value);

  int memoryIndex() const { return memoryIndex_; }
  void choose(int index);
  const MixerMemory& memory(int index) const { return memories_.at(static_cast<std::size_t>(index)); }
  void clearStrips();  // the values of Clear: chorus, reverb and volume 0, pan centre

  void reopened() { portFailed_ = false; }
  bool portFailed() const { return portFailed_; }

  // All five memories as text, and back; a damaged text gives unused memories
  // (silent, pans centred).
  std::string memoriesText() const;
  void setMemoriesText(const std::string& text);

 private:
  EngineHost& host_;
  const PerformanceStore& store_;  // MidiClosed: the ports are not open
  std::array<MixerRow, MixerRows> strips_{};
  std::array<MixerMemory, MixerMemoryCount> memories_{};
  int memoryIndex_ = 0;
  bool portFailed_ = false;
};

}  // namespace quillon
