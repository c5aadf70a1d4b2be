// The main window's commands on the module's memory: fetching and sending a
// whole User or Card bank, fetching the bank's patch names, storing the edited
// performance into one slot, and telling what kind of performance the list holds.

#include <QApplication>
#include <QMessageBox>
#include <QTableWidget>

#include "app/app_context.h"
#include "app/main_window.h"
#include "app/performance_kind_dialog.h"
#include "app/store_to_module_dialog.h"

namespace quillon {

bool MainWindow::getBank(BankArea area) {
  if (refuseWhileTransferring() || !mayReplaceList(false, "the fetch")) return false;
  const bool fetched = ctx_.bankTransfer.getBank(area, transferView());
  if (!fetched) {
    // Nothing came: the list of before is back, as it was.
    fillPerformanceGrid();
    return false;
  }
  // A list cut short is no copy of the file that was open before.
  const bool whole = ctx_.bankTransfer.incompletePerformances().empty() && !ctx_.bankTransfer.cancelledByUser() &&
                     !ctx_.bankTransfer.timedOut();
  if (!whole) setWindowTitle(QStringLiteral("Perform Editor"));
  showReplacedList();
  library_.fetched(static_cast<PerformanceKind>(performanceAreaOf(area)), wholeListEntries());
  return whole;
}

std::vector<library::Fetched> MainWindow::wholeListEntries() const {
  std::vector<library::Fetched> whole;
  for (int i = 0; i < std::min(ctx_.store.PerformanceCount, PerformanceListSize); ++i) {
    const auto at = static_cast<std::size_t>(i);
    if (ctx_.store.ListInfo[at].complete) whole.push_back({i, ctx_.store.PerformanceList[at]});
  }
  return whole;
}

bool MainWindow::replaceListWith(const char* replacer, const std::function<void(PerformanceStore&)>& fill) {
  if (refuseWhileTransferring() || !mayReplaceList(false, replacer)) return false;
  fill(ctx_.store);
  setWindowTitle(QStringLiteral("Perform Editor"));
  showReplacedList();
  return true;
}

void MainWindow::showReplacedList() {
  // Whatever arrived replaced the list the history and the editors spoke of.
  ctx_.store.notifyReloaded(ChangeOrigin::Incoming);
  pcmReported_ = false;
  rebuildNamesFromRecords();
  ctx_.store.rememberLoaded();
  fillPerformanceGrid();
  showNewList();
}

std::string MainWindow::incompleteListText() const {
  const auto& s = ctx_.store;
  std::vector<int> incomplete;
  for (int i = 0; i < std::min(s.PerformanceCount, PerformanceListSize); ++i)
    if (!s.ListInfo[static_cast<std::size_t>(i)].complete) incomplete.push_back(i);
  if (incomplete.empty()) return {};
  return "Performance(s) " + performanceNumbers(incomplete) + " incomplete: their missing blocks are empty.";
}

void MainWindow::getPatchNames(BankArea area) {
  if (refuseWhileTransferring()) return;
  std::vector<std::string> entries;
  const bool complete = ctx_.bankTransfer.getPatchNames(area, transferView(), entries);
  // Fewer than all: the engine said how many came; the user's list stays as it is.
  if (!complete) return;
  ctx_.names.FetchedNames = entries;
  std::string error = ctx_.names.WriteUserNames(area == BankArea::Card);
  // In use at once: the lists, the grids and the finder read the library.
  if (error.empty()) error = ctx_.names.ReloadUserNames();
  if (!error.empty()) {
    ctx_.host.showInfo(error);
    return;
  }
  showPatchesUsed();
  setStatus(QStringLiteral("%1 patch names written to User.ini and in use now.").arg(address::MemoryPatchCount));
}

void MainWindow::sendBank(BankArea area) {
  if (refuseWhileTransferring()) return;
  auto& s = ctx_.store;
  if (s.MidiClosed) {
    ctx_.host.showInfo(bank_text::SendAllMidiClosed);
    return;
  }
  if (const std::string why = whyBankUnsendable(s); !why.empty()) {
    ctx_.host.showInfo(why);
    return;
  }
  const int count = std::min(s.PerformanceCount, PerformanceListSize);
  const QString question =
      QStringLiteral(
          "Send %1 All: the %2 performance(s) of the list overwrite %1 performances 1 to %2 in the module.\n"
          "Go on?")
          .arg(QString::fromLatin1(bankName(area)))
          .arg(count);
  if (!confirm || !confirm(question)) return;
  ctx_.bankTransfer.sendBank(area, transferView());
}

void MainWindow::storeToModule() {
  if (refuseWhileTransferring()) return;
  auto& s = ctx_.store;
  if (s.MidiClosed) {
    ctx_.host.showInfo(bank_text::StoreMidiClosed);
    return;
  }
  if (s.NoPerformance) {
    ctx_.host.showInfo(bank_text::NothingToSave);
    return;
  }
  StoreToModuleDialog* dialog = windows.storeDialog;
  if (!dialog || !dialog->ask()) return;
  const BankArea area = dialog->toCard() ? BankArea::Card : BankArea::User;
  applyStoredName(dialog->newName());
  const bool stored = ctx_.bankTransfer.storePerformance(area, dialog->slot(), transferView());
  const QString where = QStringLiteral("%1 %2").arg(QString::fromLatin1(bankName(area))).arg(dialog->slot());
  if (!stored) {
    if (ctx_.bankTransfer.cancelledByUser())
      setStatus(QStringLiteral("Store into ") + where + QStringLiteral(" cancelled: the slot is only partly replaced"));
    return;
  }
  setStatus(QStringLiteral("Stored into ") + where);
  if (ctx_.settings.VerifyStore) verifyStored(area, dialog->slot(), where);
}

void MainWindow::verifyStored(BankArea area, int slot, const QString& where) {
  const PerformanceRecord sent = ctx_.store.TempPerformance;
  const BankCheck check = ctx_.bankTransfer.verifyStore(area, slot, sent, transferView());
  if (check.ok()) {
    setStatus(QStringLiteral("Stored into ") + where + QStringLiteral(" and read back identical"));
    return;
  }
  // A silent module was reported by the response timeout already.
  if (check.answered) ctx_.host.showInfo(ctx_.bankTransfer.verifyText(check));
}

void MainWindow::applyStoredName(const std::string& name) {
  auto& s = ctx_.store;
  auto& listed = s.PerformanceList[static_cast<std::size_t>(std::clamp(s.SelectedIndex, 0, PerformanceListSize - 1))];
  if (performanceName(s.TempPerformance.common) == name && performanceName(listed.common) == name) return;
  setPerformanceName(s.TempPerformance.common, name);
  setPerformanceName(listed.common, name);
  s.UnsavedChanges = true;
  s.notifyChanged(
      {address::AreaTemporary, 0, address::BlockCommon, common::Name, PerformanceNameLength, ChangeOrigin::UserEdit});
  fillPerformanceGrid();
  setSelectedCaption(s.SelectedIndex);
}

void MainWindow::chooseKind() {
  if (refuseWhileTransferring()) return;
  PerformanceKindDialog* dialog = windows.kindDialog;
  if (!dialog || !dialog->ask()) return;
  auto& s = ctx_.store;
  const PerformanceKind kind = s.FromCard   ? PerformanceKind::Card
                               : s.FromUser ? PerformanceKind::User
                                            : PerformanceKind::Temp;
  for (int i = 0; i < std::min(s.PerformanceCount, PerformanceListSize); ++i)
    s.ListInfo[static_cast<std::size_t>(i)].kind = kind;
  setStatusPanel(KindStatusPanel, QString::fromLatin1(kindText(kind)));
  updateBankSendCommands();
}

void MainWindow::cancelTransfer() { cancelRunningTransfer(ctx_.sender); }

}  // namespace quillon
