#include "settings/names/patch_evaluation.h"

namespace quillon {

std::array<std::string, address::PartCount> evaluatePatchNames(const PerformanceRecord& record,
                                                               const PatchNameLibrary& library) {
  std::array<std::string, address::PartCount> names;
  for (int p = 0; p < address::PartCount; ++p) {
    const auto& part = record.parts[p];
    names[p] = library.PatchName(part[part::PatchGroupType], part[part::PatchGroupId], shown::patchNumberOf(part));
  }
  return names;
}

std::string patchGridCellText(int part, const std::string& name) {
  const std::string head = " P " + std::to_string(part + 1);
  return head + (part == RhythmPart ? std::string("  Rhythm Set") : "  " + name);
}

}  // namespace quillon
