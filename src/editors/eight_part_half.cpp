#include "editors/eight_part_half.h"

#include <QEvent>
#include <QPushButton>
#include <QWidget>

#include "editors/window_support.h"

namespace quillon {

EightPartHalf::EightPartHalf(QWidget* window, EditingCursor& cursor, std::function<void()> fill)
    : QObject(window), window_(window), cursor_(cursor), fill_(std::move(fill)) {
  // Edits made elsewhere show when the user comes back, on the editor's half.
  refillOnReturn(window_, [this] { takeEditorsHalf(); });
  connect(&cursor_, &EditingCursor::halfMoved, this, [this](int half) {
    if (window_->isVisible() && half != half_) refill();
  });
}

PartRef EightPartHalf::row(int row) {
  return {[this, row] { return partOf(row); }, [this, row] { cursor_.touchRow(half_, row); }};
}

QPushButton* EightPartHalf::makeHalfButton(QWidget* parent) {
  auto* button = named(new QPushButton(QStringLiteral(" 1 ~ 8  /  9 ~ 16"), parent), "B18916");
  connect(button, &QPushButton::clicked, this, [this] { moveHalf(half_ == 0 ? EightPartRows : 0); });
  return button;
}

void EightPartHalf::takeEditorsHalf() { moveHalf(cursor_.halfOfEditorPage()); }

void EightPartHalf::moveHalf(int half) {
  // Every visible eight-part window showing the other half follows; this one fills in any case.
  const int fillsBefore = fills_;
  cursor_.setSwitchHalf(half);
  if (fills_ == fillsBefore) refill();
}

void EightPartHalf::refill() {
  half_ = cursor_.switchHalf();
  ++fills_;
  fill_();
}

}  // namespace quillon
