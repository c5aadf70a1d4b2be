#pragma once
// " Switches": for eight parts at a time, the receive switches (MIDI,
// volume, program change, hold 1), pitch and voice reserve, keeping the
// module's 64 voices shared out. Opened by the performance editor's
// "Switch / Pitch" button.

#include <QWidget>
#include <array>

#include "editors/binding/binding_set.h"
#include "editors/eight_part_half.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace quillon {

class RollSpinBox;

class PartSwitchesWindow : public QWidget {
  Q_OBJECT
 public:
  static constexpr const char* FullText = "Maximum of 64 voices reached.\rDecrease voice from other part first.";
  static constexpr int AllVoiceReserve = 4;

  explicit PartSwitchesWindow(EditingContext& context, QWidget* parent = nullptr);

  // Fills the rows from the store (nothing is sent).
  void fill();
  // The first part the rows show and edit (0 or 8).
  int half() const { return half_->first(); }
  QString sumText() const;
  QString restText() const;

 public slots:
  void showAndRaise();

 private:
  struct Row {
    QLabel* part;                        // lp
    QLabel* number;                      // l
    QLabel* patch;                       // lpn
    std::array<QCheckBox*, 4> switches;  // MR, VR, PC, H1
    RollSpinBox* coarse;                 // SpPC
    RollSpinBox* fine;                   // SpPF
    QSpinBox* voices;                    // SpV
  };
  void buildControls();
  void bindRow(int row);
  void fillRows();
  std::optional<int> reserveRule(int row, int voices);
  // The one beep and box of a refused reserve, naming the most that fits.
  void refuseReserve(int part, int most);
  void showTotal(int total);
  void allPartsOn(const Parameter& p);
  void allVoicesTo4();
  void allPitchZero();

  EditingContext& ctx_;
  BindingSet bindings_;
  EightPartHalf* half_;
  std::array<Row, EightPartRows> rows_{};
  QLabel* sum_;
  QLabel* rest_;
};

}  // namespace quillon
