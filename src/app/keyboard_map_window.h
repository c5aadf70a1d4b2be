#pragma once
// Help > Keyboard: every key the program answers to, in one table. The menu
// shortcuts are read from the program's windows when the map is shown, so a
// shortcut added anywhere appears here without a second list to keep; the keys
// the controls themselves take follow them.

#include <QDialog>

#include <vector>

class QTableWidget;

namespace quillon {

class KeyboardMapWindow : public QDialog {
  Q_OBJECT
 public:
  explicit KeyboardMapWindow(QWidget* parent = nullptr);

  // Fills the table from the shortcuts of `windows` and the controls' keys.
  void fill(const std::vector<QWidget*>& windows);
  QTableWidget* table() const { return table_; }

 private:
  QTableWidget* table_;
};

}  // namespace quillon
