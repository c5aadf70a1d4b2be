#pragma once
// Where in the module's memory the edited performance is to be stored: User or
// Card bank, slot 1..32 (showing the name the slot holds now) and the name the
// performance is stored under.

#include <QDialog>

#include <functional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace quillon {

struct PerformanceStore;

class StoreToModuleDialog : public QDialog {
  Q_OBJECT
 public:
  explicit StoreToModuleDialog(PerformanceStore& store, QWidget* parent = nullptr);

  // Asks the module for the name slot `slot` (1..32) of the Card or User bank holds.
  std::function<std::string(bool card, int slot)> readSlotName;

  // Fills the controls from the store (slot of the chosen performance, its
  // name, its bank) and reads the slot's current name.
  void prepare();
  // prepare(), then waits for the answer; true for OK.
  bool ask();

  int slot() const;
  bool toCard() const;
  // The name typed, padded with blanks to the module's 12 characters.
  std::string newName() const;

 private:
  void buildControls();
  void bankChosen();
  // The slot's name as the module holds it; a change of slot or bank while an
  // answer is awaited is read once that answer is in.
  void showCurrentName();

  PerformanceStore& store_;
  QRadioButton* userChoice_;
  QRadioButton* cardChoice_;
  QSpinBox* slotBox_;
  QLabel* areaLabel_;
  QLineEdit* newNameField_;
  QLabel* currentNameLabel_;
  QPushButton* okButton_;
  QPushButton* cancelButton_;
  bool reading_ = false;
  bool readAgain_ = false;
};

}  // namespace quillon
