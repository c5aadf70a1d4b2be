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

inline constexpr const char* RhythmSetCaption = "Rhythm Set";

// The one name of what part `part` plays, wherever it is shown: part 10's
// rhythm set (RhythmSetCaption where the lists name none), any other part's patch.
std::string partSoundName(const PerfPartRecord& record, int part, const PatchNameLibrary& library);
// Where that sound lives and its name, as a sheet or a comparison writes it:
// "Preset A 012 Nice Piano"; the number alone where the lists lack the name.
std::string partPatchWords(const PerfPartRecord& record, int part, const PatchNameLibrary& library);
std::array<std::string, address::PartCount> evaluatePatchNames(const PerformanceRecord& record,
                                                               const PatchNameLibrary& library);

// " P " + part number + "  " + name.
std::string patchGridCellText(int part, const std::string& name);
constexpr int patchGridColumn(int part) { return part / 4; }
constexpr int patchGridRow(int part) { return part % 4; }

}  // namespace quillon
