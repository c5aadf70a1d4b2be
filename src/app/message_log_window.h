#pragma once
// The message log: received SysEx traces above, sent messages below.

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace quillon {

class MessageLogWindow : public QWidget {
  Q_OBJECT
 public:
  explicit MessageLogWindow(QWidget* parent = nullptr);

  void appendReceived(const QString& line);
  void appendSent(const QString& line);
  void clearReceived();
  void clearSent();

  QPlainTextEdit* receivedMemo() const { return received_; }
  QPlainTextEdit* sentMemo() const { return sent_; }

 signals:
  // The window was closed: logging stops while it stays closed.
  void closedByUser();
  // The window is shown again: logging goes on.
  void opened();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* panelWith(const QString& caption, QPlainTextEdit* memo, QWidget* extra);

  QPlainTextEdit* received_;
  QPlainTextEdit* sent_;
  QWidget* upperPanel_;
  QWidget* lowerPanel_;
  QPushButton* clear_;
};

}  // namespace quillon
