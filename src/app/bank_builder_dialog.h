#pragma once
// Build a Bank: up to 32 library performances in the order the user gives
// them (drag, or Ctrl+Up / Ctrl+Down), saved as a User or Card bank file or
// sent into the module's bank. The library window does the saving and sending.

#include <QDialog>

#include <cstdint>
#include <vector>

#include "engine/bank_transfer.h"

class QListWidget;
class QPushButton;
class QRadioButton;

namespace quillon {

class BankBuilderDialog : public QDialog {
  Q_OBJECT
 public:
  explicit BankBuilderDialog(QWidget* parent = nullptr);

  // False (nothing added) when the bank is full.
  bool add(std::int64_t id, const QString& name);
  std::vector<std::int64_t> ids() const;
  BankArea area() const;
  QListWidget* list() const { return list_; }
  // Moves the chosen entry by `step` places (keyboard alternative to dragging).
  void moveCurrent(int step);
  void removeCurrent();

 signals:
  void addRequested();
  void saveRequested();
  void sendRequested();

 private:
  void updateCount();

  QListWidget* list_;
  QRadioButton* user_;
  QRadioButton* card_;
  QPushButton* save_;
  QPushButton* send_;
};

}  // namespace quillon
