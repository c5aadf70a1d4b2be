#pragma once
// What each module type brings: its block sizes, how many expansion slots it
// has, and the boards some models have built in. The settings dialog and the
// settings' checks read these facts from here.

#include <array>

#include "engine/sysex.h"

namespace quillon {

struct ModuleTypeSetup {
  int ExpMax;  // the last expansion slot the settings offer
  BlockSizes sizes;
  int enabledSlots;                  // slots A.. that take a board; the rest are disabled
  std::array<int, 3> presetChoices;  // boards (patch group IDs) built into A, B, C; -1 leaves the slot alone
};

constexpr ModuleTypeSetup moduleTypeSetup(ModuleType type) {
  switch (type) {
    case ModuleType::JV1010: return {2, blockSizesFor(type), 2, {9, -1, -1}};
    case ModuleType::JV2080: return {8, blockSizesFor(type), 8, {-1, -1, -1}};
    case ModuleType::XP30: return {5, blockSizesFor(type), 5, {9, 2, 11}};
    case ModuleType::JV1080:
    case ModuleType::XP50:
    case ModuleType::XP60:
    case ModuleType::XP80: break;
  }
  return {4, blockSizesFor(type), 4, {-1, -1, -1}};
}

}  // namespace quillon
