#pragma once
// The part addressing the two eight-part windows (switches, key range) share:
// each shows and edits its own half (parts 1..8 or 9..16), taken from the
// editor's page when the window is shown or activated and swapped by its
// " 1 ~ 8  /  9 ~ 16" button. When the shared half moves (the other window,
// the editor's overview), a visible window refills whole at once, so its
// captions and controls name the parts it edits before any further input.

#include <QObject>

#include <functional>

#include "editors/binding/binding_set.h"
#include "editors/binding/editing_cursor.h"

class QPushButton;
class QWidget;

namespace quillon {

class EightPartHalf : public QObject {
  Q_OBJECT
 public:
  // `fill` refills the window's rows from the store for the half now shown.
  EightPartHalf(QWidget* window, EditingCursor& cursor, std::function<void()> fill);

  int first() const { return half_; }
  int partOf(int row) const { return half_ + row; }
  // Row `row`: the part it shows; a touch makes the editor follow it.
  PartRef row(int row);
  // The " 1 ~ 8  /  9 ~ 16" button, wired to swap the halves.
  QPushButton* makeHalfButton(QWidget* parent);

 private:
  void takeEditorsHalf();
  void moveHalf(int half);
  void refill();

  QWidget* window_;
  EditingCursor& cursor_;
  std::function<void()> fill_;
  int half_ = 0;
  int fills_ = 0;
};

}  // namespace quillon
