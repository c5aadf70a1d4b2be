#pragma once
// Value texts shown by the sliders: note names for note sliders and key ranges,
// and the reverb HF-damp frequencies. Plain tables so windows and command-line
// tools print the same words.

#include <array>
#include <string>
#include <string_view>

namespace quillon::texts {

inline constexpr int MidiNoteCount = 128;
inline constexpr int MiddleC = 60;

// Index = MIDI note number: "C-1" for 0 .. "G9" for 127; middle C reads "-C4-"
// so it stands out in a long list of names.
const std::array<std::string, MidiNoteCount>& NoteNames();

// Index = stored reverb HF-damp value 0..17. Every text is 8 characters wide so
// the display does not jump when the value changes.
inline constexpr std::array<std::string_view, 18> HFDampTexts{
    "  200 Hz", "  250 Hz", "  315 Hz", "  400 Hz", "  500 Hz", "  630 Hz", "  800 Hz", " 1000 Hz", " 1250 Hz",
    " 1600 Hz", " 2000 Hz", " 2500 Hz", " 3150 Hz", " 4000 Hz", " 5000 Hz", " 6300 Hz", " 8000 Hz", " BYPASS "};

// The note name of any int: out-of-range numbers give "?" rather than a crash,
// so a corrupt byte still shows something.
std::string_view noteName(int note);

}  // namespace quillon::texts
