// The main window's file commands: Open (menu, recent files, a drop, the
// command line), the report of what a file held, and Save.

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
#include "app/save_choice_dialog.h"
#include "editors/window_support.h"
#include "engine/midi_file.h"
#include "engine/syx_reader.h"
#include "engine/syx_writer.h"
#include "settings/names/patch_evaluation.h"

namespace quillon {

using namespace main_window_parts;

QString MainWindow::fileDialogFolder() const { return recentFiles_.folder(); }

void MainWindow::rebuildRecentMenu() {
  recentMenu_->clear();
  for (const QString& path : recentFiles_.files()) {
    QAction* a = recentMenu_->addAction(QDir::toNativeSeparators(path));
    connect(a, &QAction::triggered, this, [this, path] { openRecent(path); });
  }
  recentMenu_->setEnabled(!recentFiles_.files().isEmpty());
}

void MainWindow::openRecent(const QString& path) {
  if (!QFileInfo(path).isFile()) {
    recentFiles_.remove(path);
    rebuildRecentMenu();
    ctx_.host.showInfo("The file \"" + QDir::toNativeSeparators(path).toStdString() +
                       "\" is not there any more; it was taken off the recent files.");
    return;
  }
  openPath(path);
}

void MainWindow::openFile() {
  if (refuseWhileTransferring()) return;
  const QString path = chooseOpenFile ? chooseOpenFile() : QString();
  if (!path.isEmpty()) openPath(path);
}

void MainWindow::openPath(const QString& path) {
  if (refuseWhileTransferring()) return;
  evaluationTimer_->stop();
  // The engine reads the file before it clears anything (and every source
  // flag with it), so a file that cannot be read leaves the list as it was;
  // unsaved edits are asked about only when the file would replace them.
  const SyxFileResult result =
      openSyxFile(ctx_.store, path.toStdString(), readProgress(), [this] { return mayReplaceList(false, "the file"); });
  if (result.declined) {
    progressBar_->hide();
    evaluationTimer_->start();
    return;
  }
  const bool replaced = result.ok() && !result.report.nothingFound;
  if (replaced) {
    // Another performance: the undo history starts anew.
    ctx_.store.notifyReloaded(ChangeOrigin::File);
    ctx_.store.rememberLoaded();
    pcmReported_ = false;
    recentFiles_.add(path);
    rebuildRecentMenu();
  }
  showRead(path, result);
  if (replaced) library_.fileSeen(path.toStdString());
  if (replaced) showNewList();
  evaluationTimer_->start();
}

bool MainWindow::openPathAt(const QString& path, int position) {
  openPath(path);
  const auto& s = ctx_.store;
  if (s.NoPerformance || s.CurrentFileName != path.toStdString()) return false;
  if (position >= 0 && position < std::min(s.PerformanceCount, PerformanceListSize)) chooseEntry(position);
  showWindow(this);
  return true;
}

void MainWindow::showNewList() {
  // Nothing of the list before may stay on show: selection, captions, patches.
  for (int c = 0; c < PatchGridColumns; ++c)
    for (int r = 0; r < PatchGridRows; ++r) {
      patchGrid_->item(r, c)->setText({});
      patchGrid_->item(r, c)->setToolTip({});
    }
  performanceGrid_->clearSelection();
  auto& s = ctx_.store;
  s.SelectedIndex = 0;
  if (s.NoPerformance) {
    editButton_->setText(QStringLiteral("Edit Performance"));
    selectedLabel_->clear();
    setStatusPanel(KindPanel, {});
    return;
  }
  performanceGrid_->setCurrentCell(0, 0);
  selectCell(0, 0);
}

ScanProgress MainWindow::readProgress() {
  setGauge(PerformanceListSize, 0, true);
  return [this](std::size_t done, std::size_t total) {
    progressBar_->setMaximum(100);
    progressBar_->setValue(total ? static_cast<int>(done * 100 / total) : 100);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  };
}

void MainWindow::showRead(const QString& path, const SyxFileResult& result) {
  progressBar_->hide();
  if (!result.ok()) {
    ctx_.host.showInfo(result.error);
    return;
  }
  const SyxReadReport& report = result.report;
  if (!result.note.empty()) ctx_.host.debugLine(result.note);
  if (result.leftOut > 0) ctx_.host.showInfo(result.note);
  if (!report.scan.statusLines.empty()) ctx_.host.debugLine(report.scan.statusLines.back());
  setStatus(toQ(report.doneStatus));
  if (report.nothingFound) {
    // The list of before stays, with its title.
    ctx_.host.showInfo(NoPerformancesMessage);
    return;
  }
  resetPerformanceGrid();
  setWindowTitle(QStringLiteral("Perform edit: [") + path + QStringLiteral("]"));
  sourceLabel_->setText(path);
  fillPerformanceGrid();
  if (report.incomplete > 0)
    ctx_.host.showInfo(std::to_string(report.incomplete) +
                       " performance(s) in this file are incomplete: the missing parts are left empty.");
}

QString MainWindow::proposedFileName() const {
  QString name = toQ(ctx_.store.CurrentFileName);
  // A list read from a MIDI file is offered as a MIDI file again.
  if (!QFileInfo(name).fileName().contains(QStringLiteral(".syx")) && !hasMidiFileExtension(name.toStdString()))
    name += QStringLiteral(".syx");
  return name;
}

bool MainWindow::writeSyx(const std::vector<Byte>& bytes) {
  const QString proposed = proposedFileName();
  ctx_.store.CurrentFileName = proposed.toStdString();
  const QString chosen = chooseSaveFile ? chooseSaveFile(proposed) : QString();
  if (chosen.isEmpty()) return false;
  evaluationTimer_->stop();
  const std::string name = withDumpExtension(chosen.toStdString());
  const std::optional<SaveConsent> consent = askSaveConsent(this, name);
  if (!consent) return false;
  setStatus(QStringLiteral("Writing File : ") + toQ(name));
  setGauge(1, 0, true);
  const std::string error = writeFileAtomically(name, dumpFileBytes(name, bytes, ctx_.engineSettings.sysDly), *consent);
  progressBar_->hide();
  if (!error.empty()) {
    setStatus(toQ(error));
    ctx_.host.showInfo(error);
    return false;
  }
  ctx_.store.CurrentFileName = name;
  recentFiles_.useFolderOf(toQ(name));
  setStatus(QStringLiteral(" File : ") + toQ(name) + QStringLiteral(" written."));
  setWindowTitle(QStringLiteral("Perform edit [") + toQ(name) + QStringLiteral("]"));
  ctx_.store.UnsavedChanges = false;
  library_.fileSeen(name);
  return true;
}

void MainWindow::importFolder() {
  const QString folder = chooseImportFolder ? chooseImportFolder() : QString();
  if (folder.isEmpty()) return;
  library_.importFolder(this, folder);
  emit libraryImported();
}

bool MainWindow::writeTempSyx() { return writeSyx(tempSyxBytes(ctx_.store, ctx_.engineSettings.sizes)); }

bool MainWindow::writeListSyx() { return writeSyx(listSyxBytes(ctx_.store, ctx_.engineSettings.sizes)); }

void MainWindow::saveFile() {
  if (refuseWhileTransferring()) return;
  auto& s = ctx_.store;
  // A Temporary Performance or a User bank is written at once; asking
  // afterwards whether to save would question a file just written.
  // A Get Temp with blocks missing is never written without saying so.
  const std::string partial = unsavedWarning();
  if (s.FromTemp && partial.empty()) {
    writeTempSyx();
    return;
  }
  if (s.FromUser && partial.empty()) {
    writeListSyx();
    return;
  }
  if (!windows.saveDialog) return;
  const int answer = windows.saveDialog->ask(s, toQ(partial));
  if (answer == QDialog::Accepted) chooseFromSaveDialog();
  if (answer == SaveChoiceDialog::Discarded) ctx_.host.showInfo(WhatToSave);
}

std::string MainWindow::unsavedWarning() const {
  const auto& s = ctx_.store;
  // The last Get Temp's account, when it was partial; a file's Temporary
  // Performance may be incomplete after a whole Get Temp.
  if (s.FromTemp && !s.ListInfo[0].complete)
    if (std::string fetched = ctx_.tempTransfer.partialTransferText(); !fetched.empty()) return fetched;
  return incompleteListText();
}

void MainWindow::chooseFromSaveDialog() {
  switch (windows.saveDialog->choice()) {
    case SaveChoiceDialog::Choice::SaveSelectedFile: writeTempSyx(); break;
    case SaveChoiceDialog::Choice::SaveListFile: writeListSyx(); break;
    case SaveChoiceDialog::Choice::SaveSelectedToModule: storeToModule(); break;
    case SaveChoiceDialog::Choice::SaveAllToModule: sendBank(BankArea::User); break;
    case SaveChoiceDialog::Choice::SaveAllToCard: break;  // the card is not written from here
  }
}

void MainWindow::dropFile(const QString& path) {
  if (refuseWhileTransferring()) return;
  droppedPath_ = path;
  sourceLabel_->setText(path);
  ctx_.store.FileDropped = true;
  evaluationTimer_->start();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const auto urls = event->mimeData()->urls();
  if (urls.isEmpty() || !urls.first().isLocalFile()) return;
  dropFile(urls.first().toLocalFile());
  event->acceptProposedAction();
}

}  // namespace quillon
