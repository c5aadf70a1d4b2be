// What the settings dialog works out from the settings and the module type,
// apart from its controls.

#include <algorithm>

#include "app/midi_settings_dialog.h"

namespace quillon {

ModuleTypeSetup moduleTypeSetup(ModuleType type) {
  switch (type) {
    case ModuleType::JV1010: return {2, StandardBlockSizes, 2, {9, -1, -1}};
    case ModuleType::JV2080: return {8, JV2080BlockSizes, 8, {-1, -1, -1}};
    case ModuleType::XP30: return {5, StandardBlockSizes, 5, {9, 2, 11}};
    case ModuleType::JV1080:
    case ModuleType::XP50:
    case ModuleType::XP60:
    case ModuleType::XP80: break;
  }
  return {4, StandardBlockSizes, 4, {-1, -1, -1}};
}

int findDevice(const std::vector<std::string>& names, const QString& name, int number) {
  if (!name.isEmpty()) {
    // A device that is gone is not stood in for by whatever has its number now.
    const auto it = std::find(names.begin(), names.end(), name.toStdString());
    return it != names.end() ? static_cast<int>(it - names.begin()) : -1;
  }
  return number >= 0 && number < static_cast<int>(names.size()) ? number : -1;
}

}  // namespace quillon
