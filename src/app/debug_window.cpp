#include "app/debug_window.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace quillon {

DebugWindow::DebugWindow(QWidget* parent) : QWidget(parent, Qt::Window), memo_(new QPlainTextEdit) {
  setObjectName(QStringLiteral("DebugWindow"));
  setWindowTitle(QStringLiteral("Debug"));
  memo_->setObjectName(QStringLiteral("Memo1"));
  memo_->setReadOnly(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(memo_);
  resize(400, 300);
}

void DebugWindow::addLine(const QString& line) { memo_->appendPlainText(line); }

}  // namespace quillon
