#include "settings/names/patch_evaluation.h"

#include "settings/names/patch_search.h"

namespace quillon {

std::string partSoundName(const PerfPartRecord& record, int part, const PatchNameLibrary& library) {
  const int type = record[part::PatchGroupType];
  const int id = record[part::PatchGroupId];
  const int number = shown::patchNumberOf(record);
  if (part != RhythmPart) return library.PatchName(type, id, number);
  const std::string name = library.RhythmName(type, id, number);
  return name.empty() ? RhythmSetCaption : name;
}

std::string partPatchWords(const PerfPartRecord& record, int part, const PatchNameLibrary& library) {
  const PatchHit where{record[part::PatchGroupType], record[part::PatchGroupId], shown::patchNumberOf(record), {}};
  const std::string name = partSoundName(record, part, library);
  return name.empty() ? hitPlace(library, where) : hitPlace(library, where) + " " + name;
}

std::array<std::string, address::PartCount> evaluatePatchNames(const PerformanceRecord& record,
                                                               const PatchNameLibrary& library) {
  std::array<std::string, address::PartCount> names;
  for (int p = 0; p < address::PartCount; ++p) names[p] = partSoundName(record.parts[p], p, library);
  return names;
}

std::string patchGridCellText(int part, const std::string& name) {
  return " P " + std::to_string(part + 1) + "  " + name;
}

}  // namespace quillon
