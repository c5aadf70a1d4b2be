#include "engine/bank_transfer.h"

#include <algorithm>

namespace quillon {

namespace {

constexpr Byte Blank = ' ';

bool validSlot(int slot) { return slot >= FirstSlot && slot <= LastSlot; }

PerformanceKind kindOf(BankArea bank) { return bank == BankArea::Card ? PerformanceKind::Card : PerformanceKind::User; }

}  // namespace

BankArea bankOfList(const PerformanceStore& store) { return store.FromCard ? BankArea::Card : BankArea::User; }

const char* bankName(BankArea bank) { return bank == BankArea::Card ? "Card" : "User"; }

std::string performanceNumbers(const std::vector<int>& performances) {
  std::string text;
  for (int n : performances) text += (text.empty() ? "" : ", ") + std::to_string(n + 1);
  return text;
}

std::string patchNameEntry(BankArea bank, int patch, const NameBytes& name) {
  return std::string(bank == BankArea::Card ? bank_text::CardNamePrefix : bank_text::UserNamePrefix) +
         std::to_string(patch + 1) + " " + nameText(name);
}

void BankTransfer::resetOutcome() {
  cancelledByUser_ = timedOut_ = false;
  performancesSent_ = 0;
}

void BankTransfer::endCommand(TransferSession& session) {
  session.close();
  cancelledByUser_ = session.cancelledByUser();
  timedOut_ = session.timedOut();
  host_.stopResponseTimer();
}

bool BankTransfer::isWhole(int number) const { return received_[static_cast<std::size_t>(number)] == AllTempBlocks; }

std::vector<int> BankTransfer::incompletePerformances() const {
  std::vector<int> incomplete;
  for (int n = firstAsked_; n < requested_; ++n)
    if (!isWhole(n)) incomplete.push_back(n);
  return incomplete;
}

std::string BankTransfer::incompleteText() const {
  const auto incomplete = incompletePerformances();
  if (incomplete.empty()) return {};
  return "Some answers were lost: performance(s) " + performanceNumbers(incomplete) +
         " arrived incomplete; their missing blocks are empty.";
}

std::string BankTransfer::namesMissingText() const {
  return "Only " + std::to_string(namesArrived_) + " of " + std::to_string(BankPatchCount) +
         " patch names arrived; the name list is left as it was.";
}

void BankTransfer::clearBankList(BankArea bank) {
  PerformanceStore& s = sender_.store();
  s.clearPerformanceData();
  // A bank replaces the whole list: parts of an older list must not show
  // through, and nothing counts as whole before all its blocks came.
  s.PerformanceList.fill({});
  s.ListInfo.fill({kindOf(bank), 0, 0, false, "not fetched"});
  s.PerformanceCount = 0;
}

// Requests performances first .. first+count-1, each common block and then
// its 16 parts; leaves at the next performance once stopped. Notes which
// blocks of which performance arrived whole.
void BankTransfer::fetchPerformances(TransferSession& session, BankArea bank, int first, int count,
                                     TransferView& view) {
  const BlockSizes sizes = sender_.settings().sizes;
  const Byte area = performanceAreaOf(bank);
  RequestPacer pacer(sender_, session);
  firstAsked_ = first;
  requested_ = first;
  received_.fill(0);
  for (int n = first; n < first + count && !session.stopped(); ++n) {
    ++requested_;
    for (int block = 0; block < TempBlockCount && !session.stopped(); ++block) {
      if (block == 0) view.messageGoesOut();
      sender_.RequestSysexData(performanceBlockAddress(area, n, block),
                               static_cast<std::uint32_t>(blockLength(sizes, block)));
      pacer.afterRequest();
      if (block == 0) {
        view.progress(n);
        view.collected(wholeSoFar(session, bank, first, n));
      }
    }
    view.performanceDone(n);
  }
  pacer.awaitLastAnswer();
  noteArrivals(session, bank, first, requested_ - first);
}

void BankTransfer::noteArrivals(const TransferSession& session, BankArea bank, int first, int count) {
  const Byte area = performanceAreaOf(bank);
  for (int n = first; n < first + count; ++n)
    for (int block = 0; block < TempBlockCount; ++block)
      if (session.answered(performanceBlockAddress(area, n, block)))
        received_[static_cast<std::size_t>(n)] |= 1u << block;
}

int BankTransfer::wholeSoFar(const TransferSession& session, BankArea bank, int first, int last) const {
  int whole = 0;
  for (int n = first; n < last; ++n) {
    bool all = true;
    for (int block = 0; block < TempBlockCount && all; ++block)
      all = session.answered(performanceBlockAddress(performanceAreaOf(bank), n, block));
    if (all) ++whole;
  }
  return whole;
}

void BankTransfer::finishBankList(BankArea bank) {
  PerformanceStore& s = sender_.store();
  int count = 0;
  for (int n = 0; n < BankPerformanceCount; ++n)
    if (received_[static_cast<std::size_t>(n)] != 0) count = n + 1;
  s.PerformanceCount = count;
  s.NoPerformance = count == 0;
  for (int n = 0; n < count; ++n) {
    const std::uint32_t missing = AllTempBlocks & ~received_[static_cast<std::size_t>(n)];
    s.ListInfo[static_cast<std::size_t>(n)] = {kindOf(bank), n, 0, missing == 0,
                                               missing == 0 ? std::string() : "missing: " + tempBlockNames(missing)};
  }
  s.FromTemp = false;
  s.FromUser = bank == BankArea::User;  // the answers set the flag of their area; the bank asked decides
  s.FromCard = bank == BankArea::Card;
  s.ListLoaded = false;
  // A list that is not the whole bank is no copy of any file: Save proposes a name of its own.
  if (!incompletePerformances().empty() || requested_ < BankPerformanceCount)
    s.CurrentFileName = std::string(bankName(bank)) + "Bank-incomplete.syx";
}

std::string BankTransfer::cancelledFetchText() const {
  const int whole = requested_ - static_cast<int>(incompletePerformances().size());
  std::string text = "The transfer was cancelled: " + std::to_string(whole) + " of " +
                     std::to_string(BankPerformanceCount) + " performances had arrived whole.";
  if (const auto incomplete = incompletePerformances(); !incomplete.empty())
    text += " Incomplete: performance(s) " + performanceNumbers(incomplete) + ".";
  return text;
}

bool BankTransfer::getBank(BankArea bank, TransferView& view) {
  PerformanceStore& s = sender_.store();
  resetOutcome();
  if (s.MidiClosed) {
    host_.showInfo(bank_text::GetAllMidiClosed);
    return false;
  }
  SessionScope scope(sender_.sessions(), TransferKind::GetBank);
  if (refusedAsBusy(scope, host_)) return false;
  TransferSession& session = scope.session();
  const ListSnapshot before(s);
  view.pauseEvaluation();
  s.NoResponse = false;
  view.busy(true);
  view.begin(BankPerformanceCount - 1);
  clearBankList(bank);
  view.listCleared();

  fetchPerformances(session, bank, 0, BankPerformanceCount, view);
  endCommand(session);

  view.end();
  view.busy(false);
  if (!session.anyAnswer()) {
    // Nothing came: the list and edits of before stay, as if never asked.
    before.restore(s);
    view.listCleared();
    requested_ = firstAsked_ = 0;
    if (cancelledByUser_)
      host_.showInfo(cancelledFetchText());
    else if (!timedOut_)
      runningTransferTimedOut(sender_, view);
    view.resumeEvaluation();
    return false;
  }
  finishBankList(bank);
  view.listCleared();
  view.resumeEvaluation();
  view.sourceLabel(bank == BankArea::User ? bank_text::UserSourceLabel : bank_text::CardSourceLabel);
  if (cancelledByUser_)
    host_.showInfo(cancelledFetchText());
  else if (!timedOut_ && !incompletePerformances().empty())
    host_.showInfo(incompleteText());
  return true;
}

bool BankTransfer::getPatchNames(BankArea bank, TransferView& view, std::vector<std::string>& entries) {
  PerformanceStore& s = sender_.store();
  entries.clear();
  namesArrived_ = 0;
  if (s.MidiClosed) {
    // One box for the command, not one per request.
    host_.showInfo(bank_text::GetNamesMidiClosed);
    return false;
  }
  SessionScope scope(sender_.sessions(), TransferKind::PatchNames);
  if (refusedAsBusy(scope, host_)) return false;
  TransferSession& session = scope.session();
  view.busy(true);
  view.pauseEvaluation();
  view.begin(BankPatchCount - 1);
  for (int m = 0; m < BankPatchCount; ++m) s.ReceivedPatchNames[static_cast<std::size_t>(m)].fill(Blank);
  RequestPacer pacer(sender_, session);
  const Byte area = patchAreaOf(bank);
  // Counted by address: an answer a little later than its own wait still counts.
  const auto arrived = [&session, area] {
    int count = 0;
    for (int m = 0; m < BankPatchCount; ++m) count += session.answered(address::memoryPatch(area, m)) ? 1 : 0;
    return count;
  };
  int asked = 0;
  for (int m = 0; m < BankPatchCount && !session.stopped(); ++m) {
    view.messageGoesOut();
    sender_.RequestSysexData(address::memoryPatch(area, m), address::PatchNameLength);
    ++asked;
    view.progress(m);
    view.collected(session.requestsAnswered());
    pacer.afterRequest();
  }
  pacer.awaitLastAnswer([&session, asked] { return session.requestsAnswered() == asked; });
  namesArrived_ = arrived();
  for (int m = 0; m < BankPatchCount; ++m)
    entries.push_back(patchNameEntry(bank, m, s.ReceivedPatchNames[static_cast<std::size_t>(m)]));
  endCommand(session);
  view.end();
  view.resumeEvaluation();
  view.busy(false);
  const bool whole = namesArrived_ == BankPatchCount;
  if (!whole && !timedOut_ && namesArrived_ == 0 && !cancelledByUser_) runningTransferTimedOut(sender_, view);
  if (!whole) host_.showInfo(namesMissingText());
  return whole;
}

std::string BankTransfer::readSlotName(BankArea bank, int slot) {
  PerformanceStore& s = sender_.store();
  if (s.MidiClosed) {
    host_.showInfo(bank_text::SlotNameMidiClosed);
    return {};
  }
  if (!validSlot(slot)) return {};
  SessionScope scope(sender_.sessions(), TransferKind::SlotName);
  if (!scope.started()) return {};
  // The answer sets the source flag of its area; a name read changes no source.
  const bool fromUser = s.FromUser;
  const bool fromCard = s.FromCard;
  auto& name = s.MemoryNames[static_cast<std::size_t>(slot - 1)];
  s.NamesOnly = true;
  name.fill(Blank);
  sender_.RequestSysexData(address::memoryCommon(performanceAreaOf(bank), slot - 1), PerformanceNameLength);
  // The response timer goes on: a silent module is reported as for any request.
  RequestPacer(sender_, scope.session()).afterRequest();
  endCommand(scope.session());
  s.NamesOnly = false;
  s.FromUser = fromUser;
  s.FromCard = fromCard;
  return nameText(name);
}

int BankTransfer::sendPerformance(TransferSession& session, BankArea bank, int number, const PerformanceRecord& record,
                                  TransferView& view, bool countBlocks) {
  const BlockSizes sizes = sender_.settings().sizes;
  for (int block = 0; block < TempBlockCount; ++block) {
    view.messageGoesOut();
    if (block > 0) view.progress(block - 1);
    const auto bytes = blockBytes(record, block);
    sender_.SendSysexData(performanceBlockAddress(performanceAreaOf(bank), number, block), bytes,
                          blockLength(sizes, block));
    if (countBlocks) view.collected(block + 1);
    sender_.pace();
    if (session.cancelledByUser()) return block + 1;
  }
  return TempBlockCount;
}

bool BankTransfer::storePerformance(BankArea bank, int slot, TransferView& view) {
  PerformanceStore& s = sender_.store();
  resetOutcome();
  if (s.MidiClosed) {
    host_.showInfo(bank_text::StoreMidiClosed);
    return false;
  }
  if (s.NoPerformance) {
    host_.showInfo(bank_text::NothingToSave);
    return false;
  }
  if (!validSlot(slot)) return false;
  if (std::string why; !entryIsWhole(s, s.SelectedIndex, why)) {
    host_.showInfo(why);
    return false;
  }
  SessionScope scope(sender_.sessions(), TransferKind::Store);
  if (refusedAsBusy(scope, host_)) return false;
  view.busy(true);
  view.begin(address::PartCount);
  view.progress(0);
  view.collected(0);
  const PerformanceRecord record = s.TempPerformance;  // the sender must not read what it mirrors
  const int sent = sendPerformance(scope.session(), bank, slot - 1, record, view, true);
  performancesSent_ = sent == TempBlockCount ? 1 : 0;
  endCommand(scope.session());
  view.busy(false);
  view.end();
  if (cancelledByUser_) {
    host_.showInfo("The transfer was cancelled: " + std::to_string(sent) + " of " + std::to_string(TempBlockCount) +
                   " blocks were sent, so slot " + std::to_string(slot) + " is only partly replaced.");
    return false;
  }
  return true;
}

bool BankTransfer::sendBank(BankArea bank, TransferView& view) {
  PerformanceStore& s = sender_.store();
  resetOutcome();
  if (s.MidiClosed) {
    host_.showInfo(bank_text::SendAllMidiClosed);
    return false;
  }
  if (const std::string why = whyBankUnsendable(s); !why.empty()) {
    host_.showInfo(why);
    return false;
  }
  SessionScope scope(sender_.sessions(), TransferKind::SendBank);
  if (refusedAsBusy(scope, host_)) return false;
  view.busy(true);
  const int count = std::min<int>(s.PerformanceCount, BankPerformanceCount);
  view.begin(count - 1);
  performancesSent_ = 0;
  const auto list = s.PerformanceList;
  for (int n = 0; n < count && !scope->cancelledByUser(); ++n) {
    view.progress(n);
    view.collected(performancesSent_);
    if (sendPerformance(scope.session(), bank, n, list[static_cast<std::size_t>(n)], view) == TempBlockCount)
      ++performancesSent_;
    view.performanceDone(n);
  }
  endCommand(scope.session());
  view.busy(false);
  view.end();
  if (cancelledByUser_)
    host_.showInfo("The transfer was cancelled: " + std::to_string(performancesSent_) + " of " + std::to_string(count) +
                   " performances were sent whole.");
  return true;
}

std::string whyBankUnsendable(const PerformanceStore& s) {
  if (s.NoPerformance || s.PerformanceCount <= 0) return transfer_text::NothingToSend;
  if (!listIsBank(s)) return bank_text::NotABank;
  std::vector<int> incomplete;
  for (int n = 0; n < std::min<int>(s.PerformanceCount, BankPerformanceCount); ++n)
    if (!s.ListInfo[static_cast<std::size_t>(n)].complete) incomplete.push_back(n);
  if (incomplete.empty()) return {};
  return "Performance(s) " + performanceNumbers(incomplete) +
         " of the list are incomplete: nothing was sent. Fetch or open the bank whole first.";
}

bool listIsBank(const PerformanceStore& s) {
  for (int n = 0; n < std::min<int>(s.PerformanceCount, BankPerformanceCount); ++n) {
    const PerformanceKind kind = s.ListInfo[static_cast<std::size_t>(n)].kind;
    if (kind != PerformanceKind::User && kind != PerformanceKind::Card) return false;
  }
  return s.PerformanceCount > 0;
}

}  // namespace quillon
