#pragma once
// " Key Range ": the lowest and highest note of eight parts at a time, and the
// performance's key-range switch. Opened by the performance editor's "Key Range"
// button; shares the eight-part addressing with the switch window.

#include <QWidget>
#include <array>

#include "editors/binding/binding_set.h"
#include "editors/eight_part_half.h"

class QCheckBox;
class QLabel;
class QScrollBar;

namespace quillon {

class KeyRangeWindow : public QWidget {
  Q_OBJECT
 public:
  static constexpr int OctaveStep = 12;
  static constexpr const char* Scale = "C-1  C0   C1   C2   C3   C4   C5   C6   C7   C8   C9  G9";

  explicit KeyRangeWindow(EditingContext& context, QWidget* parent = nullptr);
  void fill();
  // The first part the rows show and edit (0 or 8).
  int half() const { return half_->first(); }

 public slots:
  void showAndRaise();

 private:
  struct Row {
    QLabel* part;   // lp
    QLabel* patch;  // ln
    QScrollBar* lower;
    QScrollBar* upper;
    QLabel* lowerNote;
    QLabel* upperNote;
  };
  void buildControls();
  void bindRow(int row);
  bool sendPair(int row);

  EditingContext& ctx_;
  BindingSet bindings_;
  EightPartHalf* half_;
  std::array<Row, EightPartRows> rows_{};
};

}  // namespace quillon
