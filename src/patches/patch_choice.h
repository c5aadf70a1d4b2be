#pragma once
// A part's patch as its bytes 02h..05h hold it, and the data set that puts a
// chosen patch into the part: the part's bytes from 00h as stored, with the
// group type, group ID and number halves replaced.

#include "engine/editing/performance_edit.h"
#include "engine/performance.h"

namespace quillon {

struct PatchRef {
  int groupType = 0;
  int groupId = 0;
  int number = 0;  // 0..255
  bool operator==(const PatchRef&) const = default;
};

// A grid click or a finder hit: receive switch and channel kept, then the patch.
inline constexpr int PatchSendLength = part::PatchNumberLow + 1;

PatchRef patchOf(const PerfPartRecord& record);
Bytes patchChoiceBytes(const PerfPartRecord& record, const PatchRef& patch, int length);
// Sends `patch` to `part` of the Temporary Performance through the one edit path.
bool sendPatchChoice(PerformanceEdit& edit, int part, const PatchRef& patch, int length, SendGuard guard);

}  // namespace quillon
