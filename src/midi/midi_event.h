#pragma once
// One received MIDI event and the byte layout of short messages.

#include <cstdint>
#include <vector>

#include "engine/midi_message.h"
#include "engine/sysex.h"

namespace quillon {

struct TMyMidiEvent {
  Byte StatusByte = 0;          // F0h for a SysEx event
  Byte DataByte1 = 0;           // 0 for SysEx
  Byte DataByte2 = 0;           // 0 for SysEx
  std::uint32_t TimeStamp = 0;  // milliseconds since input was started
  std::uint16_t SysexSize = 0;  // 0 for a short message
  Bytes SysexData;              // the SysEx bytes as received; empty for a short message

  bool isSysex() const { return SysexSize > 0; }
};

namespace midi {

inline constexpr Byte StatusBit = 0x80;

// Bytes on the wire of a short message with this status byte.
constexpr int shortMessageLength(Byte status) { return quillon::shortMessageLength(status); }

// The 32-bit packing of the platform: status, then data 1, then data 2.
constexpr std::uint32_t packShortMessage(Byte status, Byte data1, Byte data2) {
  return static_cast<std::uint32_t>(status) | static_cast<std::uint32_t>(data1) << 8 |
         static_cast<std::uint32_t>(data2) << 16;
}
constexpr Byte packedStatus(std::uint32_t packed) { return static_cast<Byte>(packed & 0xFF); }
constexpr Byte packedData1(std::uint32_t packed) { return static_cast<Byte>((packed >> 8) & 0xFF); }
constexpr Byte packedData2(std::uint32_t packed) { return static_cast<Byte>((packed >> 16) & 0xFF); }

}  // namespace midi
}  // namespace quillon
