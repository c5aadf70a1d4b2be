#include "engine/slider_texts.h"

namespace quillon::texts {
namespace {

constexpr std::array<std::string_view, 12> PitchNames{"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

std::string plainNoteName(int note) {
  const int octave = note / 12 - 1;
  return std::string(PitchNames[static_cast<std::size_t>(note % 12)]) + std::to_string(octave);
}

std::array<std::string, MidiNoteCount> buildNoteNames() {
  std::array<std::string, MidiNoteCount> names;
  for (int note = 0; note < MidiNoteCount; ++note) names[static_cast<std::size_t>(note)] = plainNoteName(note);
  names[MiddleC] = "-" + names[MiddleC] + "-";
  return names;
}

}  // namespace

const std::array<std::string, MidiNoteCount>& NoteNames() {
  static const std::array<std::string, MidiNoteCount> names = buildNoteNames();
  return names;
}

std::string_view noteName(int note) {
  if (note < 0 || note >= MidiNoteCount) return "?";
  return NoteNames()[static_cast<std::size_t>(note)];
}

}  // namespace quillon::texts
