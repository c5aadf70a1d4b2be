// Reading back what was stored or sent, and comparing it: the only proof a
// module gives, since it acknowledges no data set.

#include <algorithm>

#include "engine/bank_transfer.h"

namespace quillon {

namespace {
bool validSlot(int slot) { return slot >= FirstSlot && slot <= LastSlot; }
}  // namespace

std::string BankTransfer::verifyText(const BankCheck& check) const {
  if (!check.answered) return "Nothing came back from the module to compare.";
  std::string text;
  if (check.differs())
    text = "The module holds something else in performance(s) " + performanceNumbers(check.differing) + ".";
  if (!check.missing.empty())
    text += (text.empty() ? "" : " ") +
            std::string(
                "Could not read back, even when asked twice (no answer, a "
                "damaged or a short one): ") +
            check.missingBlocks + "." + (check.differs() ? "" : " Nothing read back differs from what was sent.");
  return text.empty() ? "Read back: the module holds what was sent." : text;
}

void BankTransfer::refetchMissing(TransferSession& session, BankArea bank, int first, int count) {
  const BlockSizes sizes = sender_.settings().sizes;
  const Byte area = performanceAreaOf(bank);
  RequestPacer pacer(sender_, session);
  bool asked = false;
  for (int n = first; n < first + count && !session.stopped(); ++n)
    for (int block = 0; block < TempBlockCount && !session.stopped(); ++block) {
      if (received_[static_cast<std::size_t>(n)] & (1u << block)) continue;
      sender_.RequestSysexData(performanceBlockAddress(area, n, block),
                               static_cast<std::uint32_t>(blockLength(sizes, block)));
      pacer.afterRequest();
      asked = true;
    }
  if (!asked) return;
  pacer.awaitLastAnswer();
  noteArrivals(session, bank, first, count);
}

BankCheck BankTransfer::readBack(BankArea bank, int first, std::span<const PerformanceRecord> sent,
                                 TransferView& view) {
  PerformanceStore& s = sender_.store();
  BankCheck check;
  if (s.MidiClosed) {
    host_.showInfo(bank_text::GetAllMidiClosed);
    return check;
  }
  SessionScope scope(sender_.sessions(), TransferKind::ReadBack);
  if (refusedAsBusy(scope, host_)) return check;
  // The answers land in the list; what the user had there is put back after.
  const ListSnapshot before(s);
  const int count = static_cast<int>(sent.size());
  view.begin(count - 1);
  fetchPerformances(scope.session(), bank, first, count, view);
  // A lost answer says nothing about the module: ask once more before saying so.
  if (scope->anyAnswer()) refetchMissing(scope.session(), bank, first, count);
  endCommand(scope.session());
  view.end();
  const BlockSizes sizes = sender_.settings().sizes;
  for (int k = 0; k < count; ++k) {
    const int n = first + k;
    const std::uint32_t arrived = received_[static_cast<std::size_t>(n)];
    check.answered = check.answered || arrived != 0;
    if (differingTempBlocks(s.PerformanceList[static_cast<std::size_t>(n)], sent[static_cast<std::size_t>(k)], sizes) &
        arrived)
      check.differing.push_back(n);
    if (arrived == AllTempBlocks) continue;
    check.missing.push_back(n);
    check.missingBlocks += (check.missingBlocks.empty() ? "" : "; ") + std::string("performance ") +
                           std::to_string(n + 1) + ": " + tempBlockNames(AllTempBlocks & ~arrived);
  }
  before.restore(s);
  return check;
}

BankCheck BankTransfer::verifyStore(BankArea bank, int slot, const PerformanceRecord& sent, TransferView& view) {
  if (!validSlot(slot)) return {};
  return readBack(bank, slot - 1, std::span(&sent, 1), view);
}

BankCheck BankTransfer::verifyBank(BankArea bank, std::span<const PerformanceRecord> sent, TransferView& view) {
  return readBack(bank, 0, sent.first(std::min<std::size_t>(sent.size(), BankPerformanceCount)), view);
}

}  // namespace quillon
