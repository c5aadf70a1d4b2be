#include "editors/binding/editing_cursor.h"

#include <algorithm>

namespace quillon {

void EditingCursor::moveTo(int page, int slot) {
  const int clamped = std::clamp(pageOf(page), 0, address::PartCount - PartsPerPage);
  const bool moved = clamped != partPage_;
  partPage_ = clamped;
  partSlot_ = std::clamp(slot, 0, PartsPerPage - 1);
  store_.EditedPart = partPage_ + partSlot_;
  if (moved) emit pageMoved(partPage_);
}

void EditingCursor::showPage(int page) { moveTo(page, 0); }

void EditingCursor::touchColumn(int page, int column) { moveTo(page, column); }

bool EditingCursor::setSwitchHalf(int half) {
  const int clamped = halfOf(half);
  if (clamped == switchHalf_) return false;
  switchHalf_ = clamped;
  emit halfMoved(switchHalf_);
  return true;
}

void EditingCursor::touchRow(int half, int row) {
  setSwitchHalf(half);
  switchPart_ = std::clamp(row, 0, EightPartRows - 1);
  // The editor follows the part chosen here.
  const int part = switchHalf_ + switchPart_;
  moveTo(part, part % PartsPerPage);
}

void EditingCursor::touchPart(int part) {
  const int clamped = std::clamp(part, 0, address::PartCount - 1);
  touchRow(halfOf(clamped), clamped - halfOf(clamped));
}

}  // namespace quillon
