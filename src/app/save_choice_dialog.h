#pragma once
// The save-choice dialog asked when a changed performance is about to be lost.

#include <QDialog>

class QLabel;
class QRadioButton;

#include <optional>
#include <string>

#include "engine/syx_writer.h"

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

// What the user agrees to for a save to `path`: nothing to ask for a writable
// file; for a read-only one the answer above, nothing when the user declines.
std::optional<SaveConsent> askSaveConsent(QWidget* parent, const std::string& path);

}  // namespace quillon
