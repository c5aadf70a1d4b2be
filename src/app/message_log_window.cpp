#include "app/message_log_window.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <utility>

namespace quillon {

namespace {
constexpr int InitialWidth = 640;
constexpr int InitialHeight = 420;
}  // namespace

MessageLogWindow::MessageLogWindow(QWidget* parent)
    : QWidget(parent, Qt::Window),
      received_(new QPlainTextEdit),
      sent_(new QPlainTextEdit),
      clear_(new QPushButton(QStringLiteral("Clear"))) {
  setObjectName(QStringLiteral("MessageLogWindow"));
  setWindowTitle(QStringLiteral(" View Messages In-Out"));
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  for (QPlainTextEdit* memo : {received_, sent_}) {
    memo->setReadOnly(true);
    memo->setFont(fixed);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  }
  received_->setObjectName(QStringLiteral("MemoIn"));
  sent_->setObjectName(QStringLiteral("MemoOut"));
  // A screen reader names a memo's scroll bars by what they move.
  for (const auto& [memo, what] : {std::pair{received_, "received"}, std::pair{sent_, "sent"}}) {
    memo->verticalScrollBar()->setAccessibleName(QStringLiteral("Messages %1: lines").arg(QLatin1String(what)));
    memo->horizontalScrollBar()->setAccessibleName(QStringLiteral("Messages %1: columns").arg(QLatin1String(what)));
  }
  clear_->setObjectName(QStringLiteral("Bclear"));
  // Only the memos: the line counters go back to 0 at the line limit alone.
  connect(clear_, &QPushButton::clicked, this, [this] {
    clearReceived();
    clearSent();
  });

  upperPanel_ = panelWith(QStringLiteral("  Last Sysex In Message:"), received_, clear_);
  lowerPanel_ = panelWith(QStringLiteral("  Last Sysex Out Message:"), sent_, nullptr);
  upperPanel_->setParent(this);
  lowerPanel_->setParent(this);
  resize(InitialWidth, InitialHeight);
}

QWidget* MessageLogWindow::panelWith(const QString& caption, QPlainTextEdit* memo, QWidget* extra) {
  auto* panel = new QWidget;
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(4, 4, 4, 4);
  auto* header = new QHBoxLayout;
  auto* label = new QLabel(caption);
  label->setBuddy(memo);
  header->addWidget(label);
  header->addStretch();
  if (extra) header->addWidget(extra);
  layout->addLayout(header);
  layout->addWidget(memo);
  return panel;
}

void MessageLogWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // Upper half less one pixel; lower half from one pixel below the middle.
  const int half = height() / 2;
  upperPanel_->setGeometry(0, 0, width(), half - 1);
  lowerPanel_->setGeometry(0, half + 1, width(), height() - half - 1);
}

void MessageLogWindow::closeEvent(QCloseEvent* event) {
  emit closedByUser();
  QWidget::closeEvent(event);
}

void MessageLogWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  emit opened();
}

void MessageLogWindow::appendReceived(const QString& line) { received_->appendPlainText(line); }
void MessageLogWindow::appendSent(const QString& line) { sent_->appendPlainText(line); }
void MessageLogWindow::clearReceived() { received_->clear(); }
void MessageLogWindow::clearSent() { sent_->clear(); }

}  // namespace quillon
