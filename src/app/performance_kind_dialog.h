#pragma once
// What kind of performance the list holds: a single Temporary Performance, or
// User or Card memory. The kind decides the area a saved file names and the
// bank the store dialog offers first.

#include <QDialog>

class QRadioButton;

namespace quillon {

struct PerformanceStore;

class PerformanceKindDialog : public QDialog {
  Q_OBJECT
 public:
  enum class Kind { Temp, User, Card };

  explicit PerformanceKindDialog(PerformanceStore& store, QWidget* parent = nullptr);

  // Shows the kind the list has now and waits; OK sets the source flags.
  bool ask();
  Kind chosen() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void choose();

  PerformanceStore& store_;
  QRadioButton* tempChoice_;
  QRadioButton* userChoice_;
  QRadioButton* cardChoice_;
};

}  // namespace quillon
