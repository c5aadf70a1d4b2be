#pragma once
// The patch name of each part, from the name lists of a data folder.

#include <ostream>

#include "engine/performance.h"
#include "settings/names/patch_name_library.h"

namespace quillon::cli {

// Without the settings, the boards the parts use take slots A..H in order of
// first use, so every board part finds its list (a module holds at most 8).
ExpansionChoices boardsUsedBy(const PerformanceRecord& record);

void printPatchNames(std::ostream& out, const PerformanceRecord& record, const PatchNameLibrary& library);

}  // namespace quillon::cli
