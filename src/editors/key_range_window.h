#pragma once
// " Key Range ": the lowest and highest note of eight parts at a time, and the
// performance's key-range switch. Opened by the performance editor's "Key Range"
// button; shares the eight-part addressing with the switch window.

#include <QWidget>
#include <array>

#include "editors/binding/binding_set.h"
#include "editors/part_switches_window.h"

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

 public slots:
  void showAndRaise();

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

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
  void prepareAndFill();

  EditingContext& ctx_;
  BindingSet bindings_;
  std::array<Row, EightPartRows> rows_{};
};

}  // namespace quillon
