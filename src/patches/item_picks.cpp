#include "patches/item_picks.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QMouseEvent>

namespace quillon {

ItemPicks::ItemPicks(QAbstractItemView* view) : QObject(view), view_(view) {
  view->viewport()->installEventFilter(this);
  connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this](const QItemSelection& selected) { selectionChanged(selected); });
}

bool ItemPicks::eventFilter(QObject* watched, QEvent* event) {
  if (watched != view_->viewport()) return false;
  const auto* mouse = static_cast<QMouseEvent*>(event);
  if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
    pressing_ = true;
  } else if (event->type() == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton && pressing_) {
    pressing_ = false;
    if (!quiet_) emit picked(view_->indexAt(mouse->position().toPoint()));
  }
  return false;
}

void ItemPicks::selectionChanged(const QItemSelection& selected) {
  if (quiet_ || pressing_ || selected.indexes().isEmpty()) return;
  emit picked(selected.indexes().first());
}

}  // namespace quillon
