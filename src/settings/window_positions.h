#pragma once
// The saved places of the 14 windows, kept in "windpos.ini" in the data folder.

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

namespace quillon {

inline constexpr std::string_view WindowPositionsFile = "windpos.ini";
inline constexpr std::string_view WindowPositionsSection = "windowpos";

struct WindowPosition {
  int x = 0;
  int y = 0;
  int h = 0;
  int w = 0;
  bool operator==(const WindowPosition&) const = default;
};

inline constexpr int WindowPositionCount = 14;
inline constexpr std::array<std::string_view, WindowPositionCount> WindowPositionNames{
    "00-Startform",      "01-NoteOutForm", "02-OutputForm",     "03-perfeditform",    "04-ChoRevForm",
    "05-EFXForm",        "06-SwitchForm",  "07-CommSwitchForm", "08-PatchSelectForm", "09-FindForm",
    "10-UserOrCardForm", "11-MidiMixer",   "12-SaveUser",       "13-savedialog"};
inline constexpr int NoteOutFormPosition = 1;  // the only window that applies its entry

using WindowPositions = std::array<WindowPosition, WindowPositionCount>;

// A missing file or key reads as 0.
// Why an existing file could not be read goes to `problem` when given.
WindowPositions readWindowPositions(const std::filesystem::path& file, std::string* problem = nullptr);
// Rewrites the "windowpos" section, keeping anything else in the file. Returns
// an error text, empty on success; on failure the old file stays whole.
std::string writeWindowPositions(const std::filesystem::path& file, const WindowPositions& positions);

}  // namespace quillon
