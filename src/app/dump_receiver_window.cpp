#include "app/dump_receiver_window.h"

#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include "app/app_context.h"
#include "app/save_choice_dialog.h"
#include "app/window_placement.h"
#include "editors/window_support.h"
#include "engine/syx_writer.h"
#include "midi/module_link.h"
#include "controls/qt_text.h"

namespace quillon {

namespace {

constexpr int RefreshMs = 100;  // the counts follow a fast dump without redrawing at every message
constexpr int MinQuietSeconds = 1;
constexpr int MaxQuietSeconds = 60;
constexpr int MsPerSecond = 1000;
constexpr int NoteLines = 5;
constexpr int NotesPadding = 8;
constexpr int MinWidthChars = 60;
const char* const ProposedName = "Dump.syx";
const char* const SaveFilter = "Sysex (*.syx);;Standard MIDI File (*.mid);;All (*)";

template <typename W>
W* spoken(W* widget, const char* name, const QString& accessible) {
  named(widget, name)->setAccessibleName(accessible);
  return widget;
}

// A report's parts one under the other: the window grows to fit them, where
// a wrapped label would be cut off.
QString asLines(const std::string& s) { return toQ(s).replace(QStringLiteral("; "), QStringLiteral(";\n")); }

}  // namespace

DumpReceiverWindow::DumpReceiverWindow(AppContext& context, ModuleLink& link, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      ctx_(context),
      receiver_(context.sender.sessions(), link),
      refreshTimer_(new QTimer(this)) {
  setObjectName(QStringLiteral("TDumpReceiveForm"));
  setWindowTitle(QStringLiteral("Receive Dump"));
  // While it listens the program is busy, as during any transfer.
  setWindowModality(Qt::ApplicationModal);
  chooseSaveFile = [this](const QString& proposed) {
    return QFileDialog::getSaveFileName(this, QStringLiteral("Save All Received"), proposed,
                                        QString::fromLatin1(SaveFilter));
  };
  confirmDiscard = [this](const QString& question) {
    return QMessageBox::question(this, windowTitle(), question, QMessageBox::Discard | QMessageBox::Cancel,
                                 QMessageBox::Cancel) == QMessageBox::Discard;
  };
  buildControls();
  refreshTimer_->setSingleShot(true);
  connect(refreshTimer_, &QTimer::timeout, this, &DumpReceiverWindow::refresh);
  connect(&receiver_, &DumpReceiver::messageArrived, this, [this] {
    if (!refreshTimer_->isActive()) refreshTimer_->start(RefreshMs);
  });
  connect(&receiver_, &DumpReceiver::ended, this, &DumpReceiverWindow::showEnd);
}

QPushButton* DumpReceiverWindow::addButton(const char* name, const QString& caption, const QString& accessible) {
  auto* b = spoken(new QPushButton(caption), name, accessible);
  b->setAutoDefault(false);
  return b;
}

void DumpReceiverWindow::buildControls() {
  auto* layout = new QVBoxLayout(this);
  auto* hint = spoken(new QLabel(QStringLiteral("Start the bulk dump on the module now. Quillon only listens: it "
                                                "sends nothing until the receive has ended.")),
                      "LHint", QStringLiteral("What to do"));
  hint->setWordWrap(true);
  layout->addWidget(hint);

  state_ = spoken(new QLabel, "LState", QStringLiteral("Receive state"));
  QFont bold = state_->font();
  bold.setBold(true);
  state_->setFont(bold);
  layout->addWidget(state_);

  auto* received = named(new QGroupBox(QStringLiteral("Received so far")), "GReceived");
  auto* receivedLayout = new QVBoxLayout(received);
  counts_ = spoken(new QLabel, "LCounts", QStringLiteral("Messages and bytes received"));
  temp_ = spoken(new QLabel, "LTemp", QStringLiteral("Temporary performance"));
  user_ = spoken(new QLabel, "LUser", QStringLiteral("User performances"));
  card_ = spoken(new QLabel, "LCard", QStringLiteral("Card performances"));
  other_ = spoken(new QLabel, "LOther", QStringLiteral("Other data received"));
  for (QLabel* l : {counts_, temp_, user_, card_, other_}) {
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    receivedLayout->addWidget(l);
  }
  layout->addWidget(received);

  auto* quietRow = new QHBoxLayout;
  quiet_ = spoken(new QSpinBox, "SpQuiet", QStringLiteral("Quiet time that ends the receive, in seconds"));
  quiet_->setRange(MinQuietSeconds, MaxQuietSeconds);
  quiet_->setValue(DumpReceiver::DefaultQuietMs / MsPerSecond);
  quiet_->setSuffix(QStringLiteral(" s"));
  auto* quietLabel = named(new QLabel(QStringLiteral("End after a quiet time of")), "LQuiet");
  quietLabel->setBuddy(quiet_);
  quietRow->addWidget(quietLabel);
  quietRow->addWidget(quiet_);
  quietRow->addStretch();
  layout->addLayout(quietRow);
  connect(quiet_, &QSpinBox::valueChanged, this, [this](int s) { receiver_.setQuietMs(s * MsPerSecond); });

  notes_ = spoken(new QPlainTextEdit, "MNotes", QStringLiteral("Messages left out and other notes"));
  notes_->setReadOnly(true);
  notes_->setFixedHeight(notes_->fontMetrics().lineSpacing() * NoteLines + 2 * notes_->frameWidth() + NotesPadding);
  auto* notesLabel = named(new QLabel(QStringLiteral("Left out, and other notes:")), "LNotes");
  notesLabel->setBuddy(notes_);
  layout->addWidget(notesLabel);
  layout->addWidget(notes_);

  done_ = addButton("BDone", QStringLiteral("Done"), QStringLiteral("End the receive now"));
  useTemp_ = addButton("BUseTemp", QStringLiteral("Temp as List"),
                       QStringLiteral("Use the Temporary performance as the list"));
  useUser_ =
      addButton("BUseUser", QStringLiteral("User as List"), QStringLiteral("Use the User performances as the list"));
  useCard_ =
      addButton("BUseCard", QStringLiteral("Card as List"), QStringLiteral("Use the Card performances as the list"));
  save_ = addButton("BSaveAll", QStringLiteral("Save All..."), QStringLiteral("Save every message received"));
  close_ = addButton("BClose", QStringLiteral("Close"), QStringLiteral("Close the window"));
  auto* buttons = new QGridLayout;
  buttons->addWidget(done_, 0, 0);
  buttons->addWidget(useTemp_, 0, 1);
  buttons->addWidget(useUser_, 0, 2);
  buttons->addWidget(useCard_, 0, 3);
  buttons->addWidget(save_, 1, 2);
  buttons->addWidget(close_, 1, 3);
  layout->addLayout(buttons);
  received->setMinimumWidth(fontMetrics().averageCharWidth() * MinWidthChars);
  connect(done_, &QPushButton::clicked, &receiver_, &DumpReceiver::finish);
  connect(useTemp_, &QPushButton::clicked, this, [this] { useAsList(PerformanceKind::Temp); });
  connect(useUser_, &QPushButton::clicked, this, [this] { useAsList(PerformanceKind::User); });
  connect(useCard_, &QPushButton::clicked, this, [this] { useAsList(PerformanceKind::Card); });
  connect(save_, &QPushButton::clicked, this, &DumpReceiverWindow::saveCapture);
  connect(close_, &QPushButton::clicked, this, &DumpReceiverWindow::reject);
}

void DumpReceiverWindow::startReceiving() {
  if (!receiver_.start(ctx_.engineSettings.sizes, quiet_->value() * MsPerSecond)) {
    ctx_.host.showInfo(receiver_.endText());
    return;
  }
  kept_ = false;
  notes_->clear();
  setState(QStringLiteral("Listening for the dump..."));
  refresh();
  adjustSize();
  placement::centreOnScreen(this, parentWidget());
  showWindow(this);
  done_->setDefault(true);
  done_->setFocus();
}

void DumpReceiverWindow::setState(const QString& text) { state_->setText(text); }

void DumpReceiverWindow::refresh() {
  const DumpCapture* c = receiver_.capture();
  if (!c) return;
  counts_->setText(QStringLiteral("Messages: %1    Bytes: %2").arg(c->messages()).arg(c->kept().size()));
  temp_->setText(asLines(c->areaText(PerformanceKind::Temp)));
  user_->setText(asLines(c->areaText(PerformanceKind::User)));
  card_->setText(asLines(c->areaText(PerformanceKind::Card)));
  other_->setText(toQ(c->otherText()));
  QString notes;
  for (const std::string& p : c->problems()) notes += toQ(p) + QLatin1Char('\n');
  if (const int more = c->problemCount() - static_cast<int>(c->problems().size()); more > 0)
    notes += QStringLiteral("And %1 more messages left out.\n").arg(more);
  if (c->realTimeTakenOut() > 0)
    notes += QStringLiteral("%1 real-time bytes inside SysEx messages were taken out.\n").arg(c->realTimeTakenOut());
  if (notes != notes_->toPlainText()) notes_->setPlainText(notes);
  growToFit();
  const bool ended = !receiver_.receiving();
  done_->setEnabled(!ended);
  useTemp_->setEnabled(ended && c->any(PerformanceKind::Temp));
  useUser_->setEnabled(ended && c->any(PerformanceKind::User));
  useCard_->setEnabled(ended && c->any(PerformanceKind::Card));
  save_->setEnabled(ended && !c->empty());
}

void DumpReceiverWindow::growToFit() {
  const QSize wanted = sizeHint().expandedTo(size());
  if (wanted != size()) resize(wanted);
}

void DumpReceiverWindow::showEnd() {
  refreshTimer_->stop();
  refresh();
  setState(asLines(receiver_.endText()));
  growToFit();
  done_->setDefault(false);
  // The keyboard goes on where the choices are.
  for (QPushButton* b : {useUser_, useCard_, useTemp_, save_, close_})
    if (b->isEnabled()) {
      b->setDefault(true);
      b->setFocus();
      break;
    }
}

void DumpReceiverWindow::useAsList(PerformanceKind area) {
  const DumpCapture* c = receiver_.capture();
  if (!c || !takeList || !takeList(area)) return;
  kept_ = true;
  setState(QStringLiteral("The %1 performances received are the list now.").arg(QLatin1String(kindText(area))));
}

void DumpReceiverWindow::saveCapture() {
  const DumpCapture* c = receiver_.capture();
  if (!c || c->empty() || !chooseSaveFile) return;
  const QString chosen = chooseSaveFile(QString::fromLatin1(ProposedName));
  if (chosen.isEmpty()) return;
  const std::string name = withDumpExtension(chosen.toStdString());
  const std::optional<SaveConsent> consent = askSaveConsent(this, name);
  if (!consent) return;
  const std::string error =
      writeFileAtomically(name, dumpFileBytes(name, c->kept(), ctx_.engineSettings.sysDly), *consent);
  if (!error.empty()) {
    ctx_.host.showInfo(error);
    return;
  }
  kept_ = true;
  setState(QStringLiteral("Saved %1 messages to %2.").arg(c->messages()).arg(QDir::toNativeSeparators(toQ(name))));
}

bool DumpReceiverWindow::mayClose() {
  if (receiver_.receiving()) {
    // Escape or the title bar's close while listening: the receive ends, what came stays on show.
    receiver_.finish();
    return false;
  }
  const DumpCapture* c = receiver_.capture();
  if (kept_ || !c || c->empty() || !confirmDiscard) return true;
  return confirmDiscard(
      QStringLiteral("The %1 messages received are neither saved nor the list. Close and discard them?")
          .arg(c->messages()));
}

// Close, Escape and the title bar's close all come here.
void DumpReceiverWindow::reject() {
  if (mayClose()) QDialog::reject();
}

}  // namespace quillon
