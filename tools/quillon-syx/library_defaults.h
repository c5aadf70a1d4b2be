#pragma once
// Where the program keeps its library and which module it talks to, as its
// settings say; the defaults of a first run without them.

#include <filesystem>

#include "engine/sysex.h"
#include "settings/names/patch_name_library.h"

namespace quillon::cli {

struct LibraryDefaults {
  std::filesystem::path dataFolder;
  ModuleType moduleType = ModuleType::JV1080;
  ExpansionChoices boards{};
};

// The settings' data folder ("Path", written by the program), else the per-user data folder.
LibraryDefaults libraryDefaults();

}  // namespace quillon::cli
