#include "app/transfer_progress_dialog.h"

#include "app/window_placement.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

namespace quillon {

namespace {
constexpr int LampGlowMs = 175;
constexpr int OffsetRight = 12;
constexpr int OffsetDown = 71;
const QColor LampOn(0, 255, 0);  // bright green
const QColor LampOff(0, 96, 0);
}  // namespace

TransferLamp::TransferLamp(const QString& caption, QWidget* parent)
    : QWidget(parent), caption_(caption), off_(new QTimer(this)) {
  off_->setSingleShot(true);
  off_->setInterval(LampGlowMs);
  connect(off_, &QTimer::timeout, this, [this] {
    lit_ = false;
    update();
  });
  setAccessibleName(caption.trimmed() + QStringLiteral(" lamp"));
  // The layout must never squeeze the caption beside the lamp.
  setFixedSize(sizeHint());
}

void TransferLamp::flash() {
  lit_ = true;
  off_->start();
  update();
}

QSize TransferLamp::sizeHint() const {
  const int text = fontMetrics().horizontalAdvance(caption_);
  return {text + fontMetrics().height() + 8, fontMetrics().height() + 4};
}

void TransferLamp::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const int d = height() - 4;
  p.setPen(palette().color(QPalette::WindowText));
  p.setBrush(lit_ ? LampOn : LampOff);
  p.drawEllipse(QRectF(2, 2, d, d));
  p.drawText(QRect(d + 6, 0, width() - d - 6, height()), Qt::AlignVCenter | Qt::AlignLeft, caption_);
}

TransferProgressDialog::TransferProgressDialog(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      pb_(new QProgressBar),
      wo_(new TransferLamp(QStringLiteral("Out"))),
      wi_(new TransferLamp(QStringLiteral(" In "))),
      stx1_(new QLabel(QStringLiteral("0"))),
      cancel_(new QPushButton(QStringLiteral("Cancel"))) {
  setObjectName(QStringLiteral("TransferProgressDialog"));
  setWindowTitle(QStringLiteral("  Communicating"));
  pb_->setObjectName(QStringLiteral("PB"));
  wo_->setObjectName(QStringLiteral("wo"));
  wi_->setObjectName(QStringLiteral("wi"));
  stx1_->setObjectName(QStringLiteral("Stx1"));
  cancel_->setObjectName(QStringLiteral("Bcancel"));
  setAutoFillBackground(true);
  // Room for the largest count (a bank of 128 names), so a longer count never pushes the lamps.
  stx1_->setMinimumWidth(stx1_->fontMetrics().horizontalAdvance(QStringLiteral("0000")));

  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetMinimumSize);
  auto* title = new QLabel(windowTitle());
  QFont bold = title->font();
  bold.setBold(true);
  title->setFont(bold);
  layout->addWidget(title);
  layout->addWidget(pb_);
  auto* row = new QHBoxLayout;
  row->addWidget(wo_);
  row->addWidget(wi_);
  row->addSpacing(12);
  row->addWidget(new QLabel(QStringLiteral("Collected: ")));
  row->addWidget(stx1_);
  row->addStretch();
  row->addWidget(cancel_);
  layout->addLayout(row);
  connect(cancel_, &QPushButton::clicked, this, &TransferProgressDialog::cancelRequested);
  // A transfer owns the program while it runs: nothing else takes input, and
  // Cancel (or Escape) is always within reach.
  setWindowModality(Qt::ApplicationModal);
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, &TransferProgressDialog::cancelRequested);
}

void TransferProgressDialog::setProgressMaximum(int maximum) { pb_->setMaximum(std::max(maximum, 1)); }
void TransferProgressDialog::setProgress(int value) { pb_->setValue(std::min(value, pb_->maximum())); }
void TransferProgressDialog::setCollected(const QString& text) { stx1_->setText(text); }
QString TransferProgressDialog::collected() const { return stx1_->text(); }
void TransferProgressDialog::lightOut() { wo_->flash(); }
void TransferProgressDialog::lightIn() { wi_->flash(); }

void TransferProgressDialog::showBeside(const QWidget* mainWindow) {
  adjustSize();
  if (mainWindow)
    placement::placeOnScreen(this, mainWindow->frameGeometry().topLeft() + QPoint(OffsetRight, OffsetDown));
  show();
  raise();
  activateWindow();
  cancel_->setFocus();
}

}  // namespace quillon
