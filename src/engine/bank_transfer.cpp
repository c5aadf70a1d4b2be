#include "engine/bank_transfer.h"

#include <algorithm>

namespace quillon {

namespace {

constexpr Byte Blank = ' ';

// What a read-back overwrites and puts back: the list and where it came from.
struct ListSnapshot {
  explicit ListSnapshot(const PerformanceStore& s)
      : list(s.PerformanceList),
        info(s.ListInfo),
        count(s.PerformanceCount),
        fromTemp(s.FromTemp),
        fromUser(s.FromUser),
        fromCard(s.FromCard),
        noPerformance(s.NoPerformance),
        blocks(s.ReceivedBankBlocks),
        bytes(s.ReceivedBankBytes) {}
  void restore(PerformanceStore& s) const {
    s.PerformanceList = list;
    s.ListInfo = info;
    s.PerformanceCount = count;
    s.FromTemp = fromTemp;
    s.FromUser = fromUser;
    s.FromCard = fromCard;
    s.NoPerformance = noPerformance;
    s.ReceivedBankBlocks = blocks;
    s.ReceivedBankBytes = bytes;
  }
  std::array<PerformanceRecord, PerformanceListSize> list;
  std::array<ListEntryInfo, PerformanceListSize> info;
  std::int32_t count;
  bool fromTemp, fromUser, fromCard, noPerformance;
  decltype(PerformanceStore::ReceivedBankBlocks) blocks;
  decltype(PerformanceStore::ReceivedBankBytes) bytes;
};

bool validSlot(int slot) { return slot >= FirstSlot && slot <= LastSlot; }

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

void BankTransfer::startCommand() {
  PerformanceStore& s = sender_.store();
  // A timeout or Cancel of an earlier command must not silence this one.
  s.TransferCancelled = false;
  cancelledByUser_ = false;
  timedOut_ = false;
}

void BankTransfer::cancel() {
  cancelledByUser_ = true;
  sender_.store().TransferCancelled = true;
  host_.stopResponseTimer();
  host_.endWaitEarly();
}

void BankTransfer::responseTimeout(TransferView& view) {
  timedOut_ = true;
  reportNoResponse(sender_.store(), host_, view);
}

bool BankTransfer::isWhole(int number) const {
  return sender_.store().ReceivedBankBlocks[static_cast<std::size_t>(number)] == AllTempBlocks;
}

std::vector<int> BankTransfer::incompletePerformances() const {
  std::vector<int> incomplete;
  const int asked = cancelledByUser_ ? requested_ : BankPerformanceCount;
  for (int n = 0; n < asked; ++n)
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

std::string BankTransfer::verifyText(const BankCheck& check) const {
  if (!check.answered) return "Nothing came back from the module to compare.";
  std::string text;
  if (!check.differing.empty())
    text = "The module holds something else in performance(s) " + performanceNumbers(check.differing) + ".";
  if (!check.missing.empty())
    text += (text.empty() ? "" : " ") + std::string("Not read back whole: performance(s) ") +
            performanceNumbers(check.missing) + ".";
  return text.empty() ? "Read back: the module holds what was sent." : text;
}

void BankTransfer::clearBankList() {
  PerformanceStore& s = sender_.store();
  s.clearPerformanceData();
  // A bank replaces the whole list: parts of an older list must not show through.
  s.PerformanceList.fill({});
  s.ListInfo.fill({});
  s.PerformanceCount = 0;
  s.ReceivedBankBlocks.fill(0);
  s.ReceivedBankBytes = {};
}

bool BankTransfer::fetchBlock(const SysexAddress& address, int length, RequestPacer& pacer) {
  sender_.RequestSysexData(address, static_cast<std::uint32_t>(length));
  pacer.afterRequest();
  return !sender_.store().TransferCancelled;
}

// Requests performances first .. first+count-1, each common block and then
// its 16 parts; leaves at the next performance once cancelled.
bool BankTransfer::fetchPerformances(BankArea bank, int first, int count, TransferView& view) {
  PerformanceStore& s = sender_.store();
  const BlockSizes sizes = sender_.settings().sizes;
  const Byte area = performanceAreaOf(bank);
  RequestPacer pacer(sender_);
  requested_ = 0;
  const Byte editorsSub = s.SysexAddressBuffer.bytes[1];
  for (int n = first; n < first + count && !s.TransferCancelled; ++n) {
    s.ReceivedBankBlocks[static_cast<std::size_t>(n)] = 0;
    s.ReceivedBankBytes[static_cast<std::size_t>(n)] = {};
    s.SysexAddressBuffer.bytes[1] = static_cast<Byte>(n);  // the log labels answers with it
    ++requested_;
    for (int block = 0; block < TempBlockCount; ++block) {
      if (block == 0) view.messageGoesOut();
      const bool goOn = fetchBlock(performanceBlockAddress(area, n, block), blockLength(sizes, block), pacer);
      if (block == 0) {
        view.progress(n);
        view.collected(n);
      }
      if (!goOn) break;
    }
    view.performanceDone(n);
  }
  pacer.awaitLastAnswer();
  // The editors send through the same buffer: their edits go to the Temporary Performance again.
  s.SysexAddressBuffer.bytes[1] = editorsSub;
  return !s.TransferCancelled;
}

void BankTransfer::finishBankList(BankArea bank) {
  PerformanceStore& s = sender_.store();
  int count = 0;
  for (int n = 0; n < BankPerformanceCount; ++n)
    if (s.ReceivedBankBlocks[static_cast<std::size_t>(n)] != 0) count = n + 1;
  s.PerformanceCount = count;
  s.NoPerformance = count == 0;
  const auto kind = bank == BankArea::Card ? PerformanceKind::Card : PerformanceKind::User;
  for (int n = 0; n < count; ++n) {
    const std::uint32_t missing = AllTempBlocks & ~s.ReceivedBankBlocks[static_cast<std::size_t>(n)];
    s.ListInfo[static_cast<std::size_t>(n)] = {kind, n, 0, missing == 0,
                                              missing == 0 ? std::string() : "missing: " + tempBlockNames(missing)};
  }
}

bool BankTransfer::getBank(BankArea bank, TransferView& view) {
  PerformanceStore& s = sender_.store();
  if (s.MidiClosed) {
    host_.showInfo(bank_text::GetAllMidiClosed);
    return false;
  }
  view.pauseEvaluation();
  startCommand();
  s.NoResponse = false;
  s.ListLoaded = false;
  view.busy(true);
  s.Updating = true;
  s.FromTemp = false;
  view.begin(BankPerformanceCount - 1);
  s.FromUser = bank == BankArea::User;
  s.FromCard = bank == BankArea::Card;
  clearBankList();
  view.listCleared();

  fetchPerformances(bank, 0, BankPerformanceCount, view);

  // Answers to the last request may still be on their way: the timer of a
  // fetch that ends here would report a silence that is none.
  host_.stopResponseTimer();
  finishBankList(bank);
  s.FromUser = bank == BankArea::User;  // the answers set the flag of their area; the bank asked decides
  s.FromCard = bank == BankArea::Card;
  view.listCleared();
  s.Updating = false;
  view.end();
  view.resumeEvaluation();
  view.sourceLabel(bank == BankArea::User ? bank_text::UserSourceLabel : bank_text::CardSourceLabel);
  view.busy(false);
  if (cancelledByUser_)
    host_.showInfo("The transfer was cancelled: " + std::to_string(s.PerformanceCount) + " of " +
                   std::to_string(BankPerformanceCount) + " performances had arrived.");
  else if (!timedOut_ && s.PerformanceCount == 0)
    responseTimeout(view);
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
  view.busy(true);
  startCommand();
  view.pauseEvaluation();
  view.begin(BankPatchCount - 1);
  for (int m = 0; m < BankPatchCount; ++m) s.ReceivedPatchNames[static_cast<std::size_t>(m)].fill(Blank);
  RequestPacer pacer(sender_);
  for (int m = 0; m < BankPatchCount && !s.TransferCancelled; ++m) {
    view.messageGoesOut();
    sender_.RequestSysexData(address::memoryPatch(patchAreaOf(bank), m), address::PatchNameLength);
    view.progress(m);
    view.collected(m + 1);
    pacer.afterRequest();
    if (m + 1 == BankPatchCount) pacer.awaitLastAnswer();
    if (s.PendingAnswered) ++namesArrived_;
    entries.push_back(patchNameEntry(bank, m, s.ReceivedPatchNames[static_cast<std::size_t>(m)]));
  }
  host_.stopResponseTimer();
  s.Updating = false;
  view.end();
  view.resumeEvaluation();
  view.busy(false);
  const bool whole = namesArrived_ == BankPatchCount;
  if (!whole && !timedOut_ && namesArrived_ == 0 && !cancelledByUser_) responseTimeout(view);
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
  startCommand();
  // The answer sets the source flag of its area; a name read changes no source.
  const bool fromUser = s.FromUser;
  const bool fromCard = s.FromCard;
  auto& name = s.MemoryNames[static_cast<std::size_t>(slot - 1)];
  s.Updating = true;
  s.NamesOnly = true;
  name.fill(Blank);
  sender_.RequestSysexData(address::memoryCommon(performanceAreaOf(bank), slot - 1), PerformanceNameLength);
  // The response timer goes on: a silent module is reported as for any request.
  RequestPacer(sender_).afterRequest();
  s.NamesOnly = false;
  s.Updating = false;
  s.FromUser = fromUser;
  s.FromCard = fromCard;
  return nameText(name);
}

int BankTransfer::sendPerformance(BankArea bank, int number, const PerformanceRecord& record, TransferView& view) {
  const BlockSizes sizes = sender_.settings().sizes;
  for (int block = 0; block < TempBlockCount; ++block) {
    view.messageGoesOut();
    if (block > 0) view.progress(block - 1);
    const auto bytes = blockBytes(record, block);
    sender_.SendSysexData(performanceBlockAddress(performanceAreaOf(bank), number, block), bytes,
                          blockLength(sizes, block));
    sender_.pace();
    if (cancelledByUser_) return block + 1;
  }
  return TempBlockCount;
}

bool BankTransfer::storePerformance(BankArea bank, int slot, TransferView& view) {
  PerformanceStore& s = sender_.store();
  if (s.MidiClosed) {
    host_.showInfo(bank_text::StoreMidiClosed);
    return false;
  }
  if (s.NoPerformance) {
    host_.showInfo(bank_text::NothingToSave);
    return false;
  }
  if (!validSlot(slot)) return false;
  startCommand();
  view.busy(true);
  s.BulkSending = true;
  view.begin(address::PartCount);
  view.progress(0);
  view.collected(0);
  const PerformanceRecord record = s.TempPerformance;  // the sender must not read what it mirrors
  const int sent = sendPerformance(bank, slot - 1, record, view);
  performancesSent_ = sent == TempBlockCount ? 1 : 0;
  view.busy(false);
  view.end();
  s.BulkSending = false;
  if (cancelledByUser_)
    host_.showInfo("The transfer was cancelled: " + std::to_string(sent) + " of " + std::to_string(TempBlockCount) +
                   " blocks were sent, so slot " + std::to_string(slot) + " is only partly replaced.");
  return true;
}

bool BankTransfer::sendBank(BankArea bank, TransferView& view) {
  PerformanceStore& s = sender_.store();
  if (s.MidiClosed) {
    host_.showInfo(bank_text::SendAllMidiClosed);
    return false;
  }
  if (s.NoPerformance || s.PerformanceCount <= 0) {
    host_.showInfo(transfer_text::NothingToSend);
    return false;
  }
  startCommand();
  view.busy(true);
  s.BulkSending = true;
  const int count = std::min<int>(s.PerformanceCount, BankPerformanceCount);
  view.begin(count - 1);
  performancesSent_ = 0;
  const auto list = s.PerformanceList;
  for (int n = 0; n < count && !cancelledByUser_; ++n) {
    view.progress(n);
    view.collected(n);
    if (sendPerformance(bank, n, list[static_cast<std::size_t>(n)], view) == TempBlockCount) ++performancesSent_;
    view.performanceDone(n);
  }
  view.busy(false);
  view.end();
  s.BulkSending = false;
  if (cancelledByUser_)
    host_.showInfo("The transfer was cancelled: " + std::to_string(performancesSent_) + " of " +
                   std::to_string(count) + " performances were sent whole.");
  return true;
}

BankCheck BankTransfer::readBack(BankArea bank, int first, std::span<const PerformanceRecord> sent,
                                 TransferView& view) {
  PerformanceStore& s = sender_.store();
  BankCheck check;
  if (s.MidiClosed) {
    host_.showInfo(bank_text::GetAllMidiClosed);
    return check;
  }
  const ListSnapshot before(s);
  startCommand();
  s.Updating = true;
  view.begin(static_cast<int>(sent.size()) - 1);
  fetchPerformances(bank, first, static_cast<int>(sent.size()), view);
  host_.stopResponseTimer();
  s.Updating = false;
  view.end();
  const BlockSizes sizes = sender_.settings().sizes;
  for (std::size_t k = 0; k < sent.size(); ++k) {
    const int n = first + static_cast<int>(k);
    const std::uint32_t arrived = s.ReceivedBankBlocks[static_cast<std::size_t>(n)];
    check.answered = check.answered || arrived != 0;
    if (differingTempBlocks(s.PerformanceList[static_cast<std::size_t>(n)], sent[k], sizes) & arrived)
      check.differing.push_back(n);
    if (arrived != AllTempBlocks) check.missing.push_back(n);
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
