// The main window during the Temporary Performance's transfers, and what it
// does for every transfer: the wait window, the commands that wait, the
// question before a fetch replaces unsaved performances.

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QDragEnterEvent>
#include <QLabel>

#include <utility>

#include "app/app_context.h"
#include "app/main_window.h"
#include "app/main_window_parts.h"
#include "app/transfer_progress_dialog.h"

namespace quillon {

using namespace main_window_parts;

MainWindow::~MainWindow() = default;

void MainWindow::createTransferView() { waitingView_ = std::make_unique<WaitingView>(*this); }

TransferView& MainWindow::transferView() { return *waitingView_; }

void MainWindow::getTemp() {
  if (refuseWhileTransferring() || !mayReplaceList(true, "the fetch")) return;
  const bool fetched = ctx_.tempTransfer.GetTemp(*waitingView_);
  if (!fetched) {
    // Nothing came: the list of before is back, as it was.
    fillPerformanceGrid();
    return;
  }
  // Whatever arrived replaced the performance the history spoke of.
  ctx_.store.notifyReloaded(ChangeOrigin::Incoming);
  ctx_.store.rememberLoaded();
  pcmReported_ = false;
  setStatusPanel(KindPanel, QStringLiteral("Temp"));
  showTemporaryName();
  fillPerformanceGrid();
  evaluatePatchNames();
  // Only a whole performance is worth remembering.
  if (ctx_.tempTransfer.receivedBlocks() == TempBlockCount)
    library_.fetched(PerformanceKind::Temp, {{0, ctx_.store.TempPerformance}});
}

bool MainWindow::transferRunning() const { return ctx_.sender.sessions().running(); }

bool MainWindow::refuseWhileTransferring() {
  if (!transferRunning()) return false;
  setStatus(QString::fromLatin1(session_text::Busy));
  return true;
}

void MainWindow::setTransferRunning(bool on) {
  menuBar()->setEnabled(!on);
  centralWidget()->setEnabled(!on);
  setAcceptDrops(!on);
  if (!on) updateBankSendCommands();
}

bool MainWindow::mayReplaceList(bool withTemp, const char* replacer) {
  // Edits of a fetched Temporary Performance went to the module as they were
  // made: fetching it again loses nothing. One read from a file (ListLoaded)
  // was never the module's.
  const auto& s = ctx_.store;
  if (!s.UnsavedChanges || (withTemp && s.FromTemp && !s.ListLoaded)) return true;
  const QString question = QStringLiteral("The performances have unsaved changes.\n"
                                          "Save them before %1 replaces them?")
                               .arg(QLatin1String(replacer));
  const int answer = askUnsavedChanges ? askUnsavedChanges(question) : QMessageBox::Cancel;
  if (answer == QMessageBox::Discard) return true;
  if (answer != QMessageBox::Save) return false;
  saveFile();
  return !ctx_.store.UnsavedChanges;
}

void MainWindow::updateBankSendCommands() {
  const std::string why = whyBankUnsendable(ctx_.store);
  for (QAction* action : sendBankActions_) {
    if (!action) continue;
    action->setEnabled(why.empty());
    action->setToolTip(toQ(why));
  }
}

void MainWindow::showTemporaryName() {
  auto& s = ctx_.store;
  const std::string name = printableName(s.TempPerformance.common);
  setPerformanceName(s.PerformanceList[0].common, name);
  prepareShow();
  editButton_->setText(QStringLiteral("Edit Temp:  ") + toQ(name));
  selectedLabel_->setText(toQ(name));
}

void MainWindow::startResponseTimer() {
  if (!responseTimer_->isActive()) responseTimer_->start();
}

bool MainWindow::sendTemp() {
  if (refuseWhileTransferring()) return false;
  return ctx_.tempTransfer.SendTemp(*waitingView_);
}

void MainWindow::responseTimedOut() { runningTransferTimedOut(ctx_.sender, *waitingView_); }

}  // namespace quillon
