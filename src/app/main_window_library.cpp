// The main window's side of the performance library: what the library window
// asks of the module and of the list, through the commands the main window
// already has (Send Temp's transfer, the list's replacement, Get and Send
// User / Card All).

#include <QTableWidget>

#include "app/app_context.h"
#include "app/main_window.h"
#include "app/main_window_parts.h"

namespace quillon {

using namespace main_window_parts;

namespace {

// A list that came from the library, as a fetch or a dump leaves one.
void putListIntoStore(PerformanceStore& s, std::span<const PerformanceRecord> records, PerformanceKind kind,
                      const std::string& fileName) {
  s.clearPerformanceData();
  s.PerformanceList.fill({});
  s.ListInfo.fill({});
  const int count = std::min(static_cast<int>(records.size()), PerformanceListSize);
  for (int n = 0; n < count; ++n) {
    const auto at = static_cast<std::size_t>(n);
    s.PerformanceList[at] = records[at];
    s.ListInfo[at] = {kind, n, 0, true, {}};
  }
  if (count > 0) s.TempPerformance = records.front();
  s.markListReplaced(kind, count);
  s.CurrentFileName = fileName;
}

// One step per block: the bytes the Temporary Performance held, and those sent.
std::vector<EditStep> tempSteps(const PerformanceRecord& before, const PerformanceRecord& after, BlockSizes sizes) {
  std::vector<EditStep> steps;
  const auto step = [&](ParamBlock block, int part, std::span<const Byte> was, std::span<const Byte> now, int length) {
    const Bytes old(was.begin(), was.begin() + length), sent(now.begin(), now.begin() + length);
    if (old != sent) steps.push_back({block, part, 0, old, sent, SendGuard::Updating});
  };
  step(ParamBlock::Common, 0, before.common, after.common, sizes.commonLength());
  for (int p = 0; p < address::PartCount; ++p)
    step(ParamBlock::Part, p, before.parts[p], after.parts[p], sizes.partLength());
  return steps;
}

}  // namespace

bool MainWindow::auditionPerformance(const PerformanceRecord& record) {
  if (refuseWhileTransferring()) return false;
  auto& s = ctx_.store;
  // The sender mirrors what leaves into the selected list entry too; an
  // audition is no edit of the list, so the list comes back as it was.
  const ListSnapshot list(s);
  const bool unsaved = s.UnsavedChanges;
  const PerformanceRecord before = s.TempPerformance;
  if (!ctx_.tempTransfer.SendRecord(record, transferView())) return false;
  const PerformanceRecord nowInTemp = s.TempPerformance;
  list.restore(s);
  s.TempPerformance = nowInTemp;
  s.TempSent = true;
  s.UnsavedChanges = unsaved;
  const QString sent = QStringLiteral("Sent to Temp: ") + toQ(performanceName(record.common));
  // Blocks an incomplete performance lacks stand as zeros: an undo would send
  // them as if the module had held them.
  if (std::string why; !entryIsWhole(s, s.SelectedIndex, why)) {
    setStatus(sent + QStringLiteral(" (the performance it replaced was incomplete: Undo cannot bring it back)"));
    return true;
  }
  ctx_.edit.recordSent(tempSteps(before, nowInTemp, ctx_.engineSettings.sizes));
  setStatus(sent);
  return true;
}

bool MainWindow::openPerformance(const PerformanceRecord& record, const std::string& name) {
  const bool replaced = replaceListWith("the library's performance", [&](PerformanceStore& s) {
    putListIntoStore(s, std::span(&record, 1), PerformanceKind::Temp, name + ".syx");
    // The module does not hold it yet: the first edit sends it whole.
    s.FromTemp = false;
  });
  if (!replaced) return false;
  setWindowTitle(QStringLiteral("Perform edit [") + toQ(name) + QStringLiteral("]"));
  emit editRequested();
  return true;
}

bool MainWindow::putIntoList(const PerformanceRecord& record, int slot) {
  if (refuseWhileTransferring()) return false;
  auto& s = ctx_.store;
  const int count = s.NoPerformance ? 0 : std::min(s.PerformanceCount, PerformanceListSize);
  if (s.FromTemp && count > 0) {
    ctx_.host.showInfo("The list holds the Temporary Performance alone: open a file or fetch a bank to add to.");
    return false;
  }
  if (slot < 0 || slot > count || slot >= PerformanceListSize) {
    ctx_.host.showInfo("The list has " + std::to_string(count) + " performance(s): choose a slot from 1 to " +
                       std::to_string(std::min(count + 1, PerformanceListSize)) + ".");
    return false;
  }
  const PerformanceKind kind = s.FromCard ? PerformanceKind::Card : PerformanceKind::User;
  const auto at = static_cast<std::size_t>(slot);
  s.PerformanceList[at] = record;
  s.ListInfo[at] = {kind, slot, 0, true, {}};
  if (count == 0) {
    s.FromUser = !s.FromCard;
    s.NoPerformance = false;
  }
  s.PerformanceCount = std::max(count, slot + 1);
  s.UnsavedChanges = true;
  rebuildNamesFromRecords();
  fillPerformanceGrid();
  updateBankSendCommands();
  chooseEntry(slot);
  return true;
}

bool MainWindow::sendBuiltBank(BankArea area, const std::vector<PerformanceRecord>& records) {
  if (refuseWhileTransferring()) return false;
  if (ctx_.store.MidiClosed) {
    ctx_.host.showInfo(bank_text::SendAllMidiClosed);
    return false;
  }
  const auto kind = static_cast<PerformanceKind>(performanceAreaOf(area));
  if (!getBank(area)) {
    ctx_.host.showInfo(std::string("The module's ") + bankName(area) +
                       " bank did not arrive whole, so there is no backup of it: nothing was sent.");
    return false;
  }
  // getBank fed the library unless the setting says no; a backup is kept all the same.
  if (!library_.enabled()) library_.keep(kind, wholeListEntries());
  const std::string fileName = std::string("Library") + bankName(area) + ".syx";
  if (!replaceListWith("the bank built", [&](PerformanceStore& s) { putListIntoStore(s, records, kind, fileName); }))
    return false;
  sendBank(area);
  return true;
}

}  // namespace quillon
