#pragma once
// The save-choice dialog asked when a changed performance is about to be lost.

#include <QDialog>

class QLabel;
class QRadioButton;

namespace quillon {

struct PerformanceStore;

class SaveChoiceDialog : public QDialog {
  Q_OBJECT
 public:
  // Results: Accepted = "Ok,  Save", Rejected = "Cancel", Discarded = "Discard".
  enum Result { Discarded = 2 };
  enum class Choice { SaveSelectedToModule, SaveAllToModule, SaveAllToCard, SaveSelectedFile, SaveListFile };

  explicit SaveChoiceDialog(QWidget* parent = nullptr);

  // Preselects by where the data came from, beeps and waits for an answer.
  int ask(const PerformanceStore& store, const QString& warning = {});
  void preselect(const PerformanceStore& store);
  Choice choice() const;
  void setChoice(Choice c);

 private:
  QRadioButton* button(Choice c) const;
  QLabel* text_;
  QRadioButton* buttons_[5];
};

// A file nobody may write is replaced only when the user says so here; it
// stays read-only afterwards. True for "Replace".
bool confirmReplacingReadOnly(QWidget* parent, const QString& path);

}  // namespace quillon
