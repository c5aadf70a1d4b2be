#include "patches/patch_choice.h"

#include <algorithm>

namespace quillon {

PatchRef patchOf(const PerfPartRecord& record) {
  return {record[part::PatchGroupType], record[part::PatchGroupId], shown::patchNumberOf(record)};
}

Bytes patchChoiceBytes(const PerfPartRecord& record, const PatchRef& patch, int length) {
  PerfPartRecord changed = record;
  changed[part::PatchGroupType] = static_cast<Byte>(patch.groupType);
  changed[part::PatchGroupId] = static_cast<Byte>(patch.groupId);
  shown::setPatchNumber(changed, std::clamp(patch.number, 0, shown::PatchNumberMax));
  return Bytes(changed.begin(), changed.begin() + length);
}

bool sendPatchChoice(PerformanceEdit& edit, int part, const PatchRef& patch, int length, SendGuard guard) {
  const PerfPartRecord& record = edit.store().TempPerformance.parts[static_cast<std::size_t>(part)];
  const Bytes bytes = patchChoiceBytes(record, patch, length);
  return edit.setBytes(ParamBlock::Part, part, part::ReceiveSwitch, bytes, guard);
}

}  // namespace quillon
