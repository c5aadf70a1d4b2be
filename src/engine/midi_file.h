#pragma once
// Standard MIDI Files as far as SysEx dumps need them: the SysEx a file
// carries, joined into whole messages in playing order, and a file written
// from messages so that a sequencer plays them to the module at its pace.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/sysex.h"

namespace quillon {

namespace smf {
// A template sequence of performances is some kilobytes; a file far larger
// than any dump is refused before it is walked.
inline constexpr std::size_t MaxFileSize = 16u << 20;
// 500 ticks a quarter at 120 beats a minute (the tempo a file without a tempo
// event plays at): one tick is one millisecond, so delays stay exact.
inline constexpr std::uint16_t TicksPerQuarter = 500;
inline constexpr std::uint32_t MicrosecondsPerQuarter = 500'000;
}  // namespace smf

// True when the bytes begin as a Standard MIDI File or a RIFF MIDI file.
bool isMidiFile(std::span<const Byte> bytes);

// What a MIDI file's SysEx events gave.
struct MidiFileSysex {
  Bytes sysex;  // whole F0 .. F7 messages, one after the other, in playing order
  int messages = 0;
  int tracks = 0;
  int leftOut = 0;           // messages that never became whole (cut off, broken by another status byte)
  std::string firstLeftOut;  // where the first of them was, and why
  std::string error;         // the file is no readable MIDI file: nothing was taken from it
  bool ok() const { return error.empty(); }
};

// Reads format 0, 1 and 2 files (and the same inside a RIFF "RMID" file):
// F0 events and the F7 packets that continue them are joined into whole
// messages, F7 escapes are taken for the SysEx they carry, the tracks of
// format 0 and 1 are merged in time order (format 2 plays them one after the
// other), and every other event is skipped. A file whose chunks or events do
// not add up is refused as a whole with the reason.
MidiFileSysex readMidiFileSysex(std::span<const Byte> file);

// The whole SysEx messages of a byte stream, in order. Bytes outside them are
// passed over, and a message that a status byte breaks off is not taken.
std::vector<std::span<const Byte>> sysexMessages(std::span<const Byte> stream);

// A format 0 file of one track: a tempo, then every SysEx message of
// `stream`, `spacingMs` apart with the first at once; the track ends
// `spacingMs` after the last, so a player keeps the same pause after it.
Bytes midiFileBytes(std::span<const Byte> stream, int spacingMs);

// File names that call for a MIDI file when written.
bool hasMidiFileExtension(const std::string& path);

}  // namespace quillon
