#pragma once
// The borderless "Communicating" window shown during reads and transfers:
// progress, the Out and In lamps, the collected count and Cancel.

#include <QWidget>

#include "engine/host.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace quillon {

class TransferLamp;

class TransferProgressDialog : public QWidget {
  Q_OBJECT
 public:
  explicit TransferProgressDialog(QWidget* parent = nullptr);

  void setProgressMaximum(int maximum);
  void setProgress(int value);
  void setCollected(const QString& text);
  void lightOut();
  void lightIn();
  // Places itself against the main window and shows, without waiting.
  void showBeside(const QWidget* mainWindow);

  QProgressBar* progressBar() const { return pb_; }
  QString collected() const;

 signals:
  void cancelRequested();

 private:
  QProgressBar* pb_;
  TransferLamp* wo_;
  TransferLamp* wi_;
  QLabel* stx1_;
  QPushButton* cancel_;
};

// A small round indicator that glows for a moment, then dims.
class TransferLamp : public QWidget {
  Q_OBJECT
 public:
  explicit TransferLamp(const QString& caption, QWidget* parent = nullptr);
  void flash();
  bool isLit() const { return lit_; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString caption_;
  bool lit_ = false;
  QTimer* off_;
};

}  // namespace quillon
