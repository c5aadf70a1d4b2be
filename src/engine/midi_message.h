#pragma once
// MIDI status bytes and message lengths the engine needs.

#include <optional>
#include <string>

#include "engine/sysex.h"

namespace quillon {

namespace status {
inline constexpr Byte NoteOff = 0x80;
inline constexpr Byte NoteOn = 0x90;
inline constexpr Byte ControlChange = 0xB0;
inline constexpr Byte ProgramChange = 0xC0;
inline constexpr Byte ChannelPressure = 0xD0;
inline constexpr Byte PitchBend = 0xE0;
inline constexpr Byte SystemFirst = 0xF0;
inline constexpr Byte TimeCode = 0xF1;
inline constexpr Byte SongSelect = 0xF3;
inline constexpr Byte SongPosition = 0xF2;
inline constexpr Byte ActiveSensing = 0xFE;
inline constexpr Byte TypeMask = 0xF0;
inline constexpr Byte ChannelMask = 0x0F;
}  // namespace status

namespace controller {
inline constexpr Byte Modulation = 1;
inline constexpr Byte Breath = 2;
inline constexpr Byte Volume = 7;
inline constexpr Byte Pan = 10;
inline constexpr Byte Expression = 11;
inline constexpr Byte ReverbSend = 91;
inline constexpr Byte ChorusSend = 93;
inline constexpr Byte AllSoundOff = 120;
inline constexpr Byte AllNotesOff = 123;
}  // namespace controller

inline constexpr int MidiChannels = 16;
inline constexpr int MaxNote = 127;

constexpr bool isChannelMessage(Byte s) { return s >= status::NoteOff && s < status::SystemFirst; }
constexpr bool isNoteOn(Byte s) { return (s & status::TypeMask) == status::NoteOn; }
constexpr bool isControlChange(Byte s) { return (s & status::TypeMask) == status::ControlChange; }
constexpr Byte onChannel(Byte type, int channel) {
  return static_cast<Byte>(type | ((channel - 1) & status::ChannelMask));
}

// A channel message takes the monitor channel and keeps its type; a system
// message passes unchanged.
constexpr Byte rechannel(Byte s, int channel) {
  return isChannelMessage(s) ? static_cast<Byte>((s & status::TypeMask) | ((channel - 1) & status::ChannelMask)) : s;
}

// Bytes on the wire of a message with this status (1..3; 0 for SysEx).
constexpr int shortMessageLength(Byte s) {
  if (s == status::SystemFirst) return 0;
  if (isChannelMessage(s)) {
    const Byte type = s & status::TypeMask;
    return (type == status::ProgramChange || type == status::ChannelPressure) ? 2 : 3;
  }
  if (s == status::TimeCode || s == status::SongSelect) return 2;
  if (s == status::SongPosition) return 3;
  return 1;
}

// One received event: a short message or a SysEx message.
struct MidiMessage {
  Byte status = 0;
  Byte data1 = 0;
  Byte data2 = 0;
  std::uint32_t timeStamp = 0;
  Bytes sysex;  // F0 .. F7 as received; empty for a short message
  bool isSysex() const { return !sysex.empty(); }
};

// Where the input handlers take their events from (a port's queue).
class MidiEventSource {
 public:
  virtual ~MidiEventSource() = default;
  virtual std::optional<MidiMessage> takeEvent() = 0;
};

// "%2x %2x %2x": how the monitor shows a short message.
std::string shortMessageText(Byte status, Byte data1, Byte data2);
constexpr char hexDigit(int nibble) { return "0123456789ABCDEF"[nibble & 0x0F]; }

// Two upper-case hexadecimal digits.
std::string hex2(int value);
// Appends them to `to` without a temporary (the decoder does this per byte).
void appendHex2(std::string& to, int value);

}  // namespace quillon
