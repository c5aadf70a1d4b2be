#pragma once
// Finding patches by a part of their name, over every internal bank and the
// patch lists of the installed expansion boards. Standard library only: the
// finder runs it on every keystroke, and the benchmark times it without Qt.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/sysex.h"
#include "settings/names/patch_name_library.h"

namespace quillon {

// Internal banks by group ID 1..7; "Preset E" exists on some models only.
inline constexpr int InternalBankCountWithoutE = 6;
inline constexpr int InternalBankCountWithE = 7;
bool hasPresetE(ModuleType type);
int internalBankCount(ModuleType type);

inline constexpr std::size_t MinSearchLength = 3;  // characters, not bytes
inline constexpr std::size_t MaxFindHits = 1025;

struct PatchHit {
  int groupType = group_type::Internal;
  int groupId = 0;
  int number = 0;    // 0..255
  std::string name;  // as the list writes it
  bool operator==(const PatchHit&) const = default;
};

struct PatchSearchResult {
  std::vector<PatchHit> hits;
  bool tooShort = false;       // fewer than MinSearchLength characters: nothing was searched
  bool moreThanLimit = false;  // the search stopped at MaxFindHits with more names left to match
};

// The hits for `text` (compared in ASCII lower case) in list order: the
// internal banks 1..internalBanks (an empty one is skipped), then the boards'
// patches 0..127 and then 128..255, each walk ending at the first slot whose
// list is empty. Rhythm sets are not searched.
PatchSearchResult findPatches(const PatchNameLibrary& names, int internalBanks, std::string_view text);

// Where a hit lives, as the finder's list shows it before the name: the bank
// ("User", "Preset A", a board's name) and the patch number from 1 ("Preset A 012").
std::string hitPlace(const PatchNameLibrary& names, const PatchHit& hit);

// "type_ID_number", as the finder shows the code of a hit (0_3_12).
std::string hitCode(const PatchHit& hit);

// Characters of UTF-8 text.
std::size_t characterCount(std::string_view utf8);

}  // namespace quillon
