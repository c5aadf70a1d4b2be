#pragma once
// Display texts of the enumerated performance fields, shared by windows and tools.

#include <array>
#include <string>
#include <string_view>

namespace quillon::texts {

inline constexpr std::array<std::string_view, 3> EfxOutputAssign{"MIX", "Out 1", "Out 2"};
inline constexpr std::array<std::string_view, 11> EfxControlSource{
    "OFF",    "Sys-Ctrl 1", "Sys-Ctrl 2", "Modulation", "Breath",    "Foot-Type",
    "Volume", "Panpot",     "Expression", "Bender",     "Aftertouch"};
inline constexpr std::array<std::string_view, 3> ChorusOutput{"MIX", "REV", "M+R"};
inline constexpr std::array<std::string_view, 8> ReverbType{"Room 1", "Room 2", "Stage 1", "Stage 2",
                                                            "Hall 1", "Hall 2", "Delay",   "Pan-Dly"};
inline constexpr std::array<std::string_view, 5> PartOutputAssign{"Mix", "Efx", "Out-1", "Out-2", "Patch"};
inline constexpr std::array<std::string_view, 3> PartEfxFeed{"Efx - A", "Efx - B", "Efx - C"};

// A table entry, or "?<value>" for a byte the table has no text for.
template <std::size_t N>
std::string_view textOr(const std::array<std::string_view, N>& table, int value, std::string_view fallback = "?") {
  return (value >= 0 && static_cast<std::size_t>(value) < N) ? table[static_cast<std::size_t>(value)] : fallback;
}

// A part's pan as the module's display writes it: "L64" .. "L1", "0", "1R" .. "63R".
inline std::string panText(int shown) {
  if (shown < 0) return "L" + std::to_string(-shown);
  return shown > 0 ? std::to_string(shown) + "R" : "0";
}

// A value around a centre: "-48", "0", "+48".
inline std::string signedText(int shown) { return shown > 0 ? "+" + std::to_string(shown) : std::to_string(shown); }

// EFX source byte: 0 "Perform", 1..9 parts 1..9, 10..15 parts 11..16.
inline constexpr int EfxSourcePerform = 0;
constexpr int efxSourcePart(int stored) { return stored <= 9 ? stored : stored + 1; }
inline std::string efxSourceText(int stored) {
  return stored == EfxSourcePerform ? std::string("Perform") : "Part " + std::to_string(efxSourcePart(stored));
}

}  // namespace quillon::texts
