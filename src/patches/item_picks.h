#pragma once
// What the user chose in a list or grid: the item under the mouse when the
// button is released, or the item the keyboard or a screen reader selects.
// Selections made by code while the owner is quiet are not reported, so a
// window can mark an item without sending it.

#include <QModelIndex>
#include <QObject>

class QAbstractItemView;
class QItemSelection;

namespace quillon {

class ItemPicks : public QObject {
  Q_OBJECT
 public:
  explicit ItemPicks(QAbstractItemView* view);

  void setQuiet(bool quiet) { quiet_ = quiet; }
  bool quiet() const { return quiet_; }

 signals:
  // An invalid index: a click that hit no item.
  void picked(const QModelIndex& index);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void selectionChanged(const QItemSelection& selected);

  QAbstractItemView* view_;
  bool pressing_ = false;  // a mouse selection is reported once, at the release
  bool quiet_ = false;
};

}  // namespace quillon
