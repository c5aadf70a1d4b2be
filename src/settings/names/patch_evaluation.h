#pragma once
// The patch name each part of a performance plays, and how the main window's
// "Patches Used" grid shows them.

#include <array>
#include <string>

#include "engine/performance.h"
#include "settings/names/patch_name_library.h"

namespace quillon {

inline constexpr int RhythmPart = 9;  // part 10 plays the rhythm set
inline constexpr int PatchGridColumns = 4;
inline constexpr int PatchGridRows = 5;  // the fifth row stays empty

std::array<std::string, address::PartCount> evaluatePatchNames(const PerformanceRecord& record,
                                                               const PatchNameLibrary& library);

// " P " + part number + "  " + name; part 10 always reads "  Rhythm Set".
std::string patchGridCellText(int part, const std::string& name);
constexpr int patchGridColumn(int part) { return part / 4; }
constexpr int patchGridRow(int part) { return part % 4; }

}  // namespace quillon
