#pragma once
// A hidden window collecting trace lines; a developer's aid, never shown by the program itself.

#include <QWidget>

class QPlainTextEdit;

namespace quillon {

class DebugWindow : public QWidget {
  Q_OBJECT
 public:
  explicit DebugWindow(QWidget* parent = nullptr);
  void addLine(const QString& line);
  QPlainTextEdit* memo() const { return memo_; }

 private:
  QPlainTextEdit* memo_;
};

}  // namespace quillon
