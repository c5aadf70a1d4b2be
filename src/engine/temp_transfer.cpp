#include "engine/temp_transfer.h"

#include <algorithm>
#include <bit>

namespace quillon {

namespace {
constexpr int ProgressSteps = address::PartCount;
}

std::string tempBlockName(int block) { return block == 0 ? "common" : "part " + std::to_string(block); }

std::string tempBlockNames(std::uint32_t blocks) {
  std::string names;
  for (int b = 0; b < TempBlockCount; ++b)
    if (blocks & (1u << b)) names += (names.empty() ? "" : ", ") + tempBlockName(b);
  return names;
}

std::uint32_t differingTempBlocks(const PerformanceRecord& a, const PerformanceRecord& b, BlockSizes sizes) {
  const auto differ = [](const auto& x, const auto& y, int length) {
    return !std::equal(x.begin(), x.begin() + length, y.begin());
  };
  std::uint32_t blocks = differ(a.common, b.common, sizes.commonLength()) ? 1u : 0u;
  for (int p = 0; p < address::PartCount; ++p)
    if (differ(a.parts[p], b.parts[p], sizes.partLength())) blocks |= 1u << (1 + p);
  return blocks;
}

int TempTransfer::receivedBlocks() const { return std::popcount(received_ & AllTempBlocks); }

std::string TempTransfer::partialTransferText() const {
  if (received_ == AllTempBlocks) return {};
  return "Only " + std::to_string(receivedBlocks()) + " of " + std::to_string(TempBlockCount) +
         " blocks of the Temporary Performance arrived; the missing ones are empty.";
}

std::string TempTransfer::cancelledText(bool sending, int blocks) const {
  const std::string counted = std::to_string(blocks) + " of " + std::to_string(TempBlockCount);
  if (sending)
    return "The transfer was cancelled: " + counted +
           " blocks were sent, so the module's Temporary Performance is only partly replaced.";
  return "The transfer was cancelled: " + counted + " blocks of the Temporary Performance had arrived.";
}

void cancelRunningTransfer(Sender& sender) {
  TransferSession* session = sender.sessions().current();
  if (!session) return;
  session->cancel();
  sender.host().stopResponseTimer();
  sender.host().endWaitEarly();
}

void runningTransferTimedOut(Sender& sender, TransferView& view) {
  sender.host().stopResponseTimer();
  TransferSession* session = sender.sessions().current();
  if (session && !session->stopped() && isFetch(session->kind())) {
    session->noAnswer();
    reportNoResponse(sender, view);
    sender.host().endWaitEarly();  // nothing more is awaited
  } else if (!session && sender.sessions().takeUnansweredEnd()) {
    reportNoResponse(sender, view);
  }
}

bool entryIsWhole(const PerformanceStore& s, int index, std::string& why) {
  const ListEntryInfo& info = s.ListInfo[static_cast<std::size_t>(std::clamp(index, 0, PerformanceListSize - 1))];
  if (info.complete) return true;
  why = "Performance " + std::to_string(index + 1) + " is incomplete (" + info.problem +
        "): it is not sent. Fetch or open it whole first.";
  return false;
}

bool TempTransfer::GetTemp(TransferView& view) {
  PerformanceStore& s = sender_.store();
  if (s.MidiClosed) {
    host_.showInfo(transfer_text::GetTempMidiClosed);
    return false;
  }
  SessionScope scope(sender_.sessions(), TransferKind::GetTemp);
  if (refusedAsBusy(scope, host_)) return false;
  TransferSession& session = scope.session();
  const ListSnapshot before(s);
  view.pauseEvaluation();
  s.NoResponse = false;
  s.clearPerformanceData();
  view.listCleared();
  const Byte mode = ModeParameterPerformance;
  sender_.SendSysexData({address::AreaSystem, 0, 0, 0}, std::span(&mode, 1), 1);
  sender_.pace();

  view.busy(true);
  s.ListLoaded = false;
  s.FromTemp = true;
  s.FromUser = s.FromCard = false;
  view.collected(0);
  view.begin(ProgressSteps);
  if (!session.stopped()) requestBlocks(session, view);
  // All 17 blocks in: the repeated request for part 16 was a spare, its answer is
  // not awaited. Blocks missing: one message says so, and a running response
  // timer would add a second box on top of it. Either way the timer ends here.
  host_.stopResponseTimer();
  session.close();
  noteArrivals(session);
  view.end();
  view.busy(false);
  if (!session.anyAnswer()) {
    // Nothing came: the performance and list of before stay, as if never asked.
    before.restore(s);
    view.listCleared();
    if (session.cancelledByUser())
      host_.showInfo(cancelledText(false, 0));
    else if (!session.timedOut())
      runningTransferTimedOut(sender_, view);
    view.resumeEvaluation();
    return false;
  }
  view.listCleared();
  s.PerformanceCount = 1;
  // The list's one entry, chosen: what Send Temp and Store check, where edits
  // are mirrored, and what the list holds should it be made a bank.
  s.SelectedIndex = 0;
  s.PerformanceList[0] = s.TempPerformance;
  view.sourceLabel(transfer_text::TempSourceLabel);
  const std::uint32_t missing = AllTempBlocks & ~received_;
  s.ListInfo[0] = {PerformanceKind::Temp, 0, 0, missing == 0, missing ? "missing: " + tempBlockNames(missing) : ""};
  s.ListLoaded = false;
  s.CurrentFileName = transfer_text::TempFileName;
  s.TempSent = false;
  if (session.cancelledByUser())
    host_.showInfo(cancelledText(false, receivedBlocks()));
  else if (missing != 0 && !session.timedOut())
    host_.showInfo(partialTransferText());
  view.resumeEvaluation();
  return true;
}

void TempTransfer::noteArrivals(const TransferSession& session) {
  received_ = 0;
  cutShort_ = 0;
  for (int b = 0; b < TempBlockCount; ++b) {
    const SysexAddress a = b == 0 ? address::temporaryCommon() : address::temporaryPart(b - 1);
    if (session.answered(a)) received_ |= 1u << b;
    if (session.partlyAnswered(a)) cutShort_ |= 1u << b;
  }
}

void TempTransfer::requestBlocks(TransferSession& session, TransferView& view) {
  const BlockSizes sizes = sender_.settings().sizes;
  RequestPacer pacer(sender_, session);
  view.messageGoesOut();
  sender_.RequestSysexData(address::temporaryCommon(), static_cast<std::uint32_t>(sizes.commonLength()));
  view.progress(1);
  pacer.afterRequest();
  if (session.stopped()) return;
  for (int p = 0; p < address::PartCount; ++p) {
    view.messageGoesOut();
    view.progress(p);
    sender_.RequestSysexData(address::temporaryPart(p), static_cast<std::uint32_t>(sizes.partLength()));
    view.collected(p);
    pacer.afterRequest();
    if (session.stopped()) return;
  }
  // Part 16 is asked for a second time: 18 requests in all; the second answer only overwrites the first.
  sender_.RequestSysexData(address::temporaryPart(address::PartCount - 1),
                           static_cast<std::uint32_t>(sizes.partLength()));
  pacer.afterRequest();
  pacer.awaitLastAnswer([&session] { return session.requestsAnswered() == TempBlockCount; });
}

bool TempTransfer::SendTemp(TransferView& view) {
  PerformanceStore& s = sender_.store();
  if (s.MidiClosed) {
    host_.showInfo(transfer_text::SendTempMidiClosed);
    return false;
  }
  if (s.NoPerformance) {
    host_.showInfo(transfer_text::NothingToSend);
    return false;
  }
  if (std::string why; !entryIsWhole(s, s.SelectedIndex, why)) {
    host_.showInfo(why);
    return false;
  }
  // The sender mirrors each block into the record it came from; send a copy
  // so that mirroring never reads what it is writing.
  return sendWhole(PerformanceRecord(s.TempPerformance), view);
}

bool TempTransfer::SendRecord(const PerformanceRecord& record, TransferView& view) {
  if (sender_.store().MidiClosed) {
    host_.showInfo(transfer_text::SendTempMidiClosed);
    return false;
  }
  return sendWhole(record, view);
}

bool TempTransfer::sendWhole(const PerformanceRecord& record, TransferView& view) {
  SessionScope scope(sender_.sessions(), TransferKind::SendTemp);
  if (refusedAsBusy(scope, host_)) return false;
  view.busy(true);
  view.begin(ProgressSteps);
  view.progress(0);
  const int sent = sendBlocks(scope.session(), view, record);
  sender_.store().TempSent = true;
  view.busy(false);
  view.end();
  if (scope->cancelledByUser()) host_.showInfo(cancelledText(true, sent));
  return true;
}

int TempTransfer::sendBlocks(TransferSession& session, TransferView& view, const PerformanceRecord& record) {
  const BlockSizes sizes = sender_.settings().sizes;
  view.messageGoesOut();
  sender_.SendSysexData(address::temporaryCommon(), record.common, sizes.commonLength());
  view.progress(1);
  sender_.pace();
  if (session.cancelledByUser()) return 1;
  for (int p = 0; p < address::PartCount; ++p) {
    view.messageGoesOut();
    view.progress(p);
    sender_.SendSysexData(address::temporaryPart(p), record.parts[p], sizes.partLength());
    sender_.pace();
    if (session.cancelledByUser()) return p + 2;
  }
  return TempBlockCount;
}

std::string notRespondingText(const NoResponseFacts& f) {
  const auto named = [](const std::string& port) {
    return port.empty() ? std::string("(none open)") : "\"" + port + "\"";
  };
  const std::string_view type = ModuleTypeNames[static_cast<std::size_t>(f.type)];
  return std::string("\r") + transfer_text::NotResponding + "\r\rCheck, the likeliest first:\r" +
         "1. The unit ID: Quillon uses " + std::to_string(f.unitId) +
         "; the module's Unit ID (SYSTEM setting) must be the same.\r" + "2. The cables and ports: MIDI out " +
         named(f.output) + " to the module's MIDI IN, the module's MIDI OUT to " + "MIDI in " + named(f.input) +
         "; is the module switched on?\r" +
         "3. GM mode: in GM mode the module ignores requests; choose Performance or Patch mode, and set " +
         "the SYSTEM setting [Rx.Excl] to ON.\r" + "4. The module type: Quillon is set to " + std::string(type) +
         "; it must be the module's model.\r\r" +
         "Find Module (in Settings Midi Exp Dly, or quillon-syx find) asks every port at every unit ID.\r";
}

NoResponseFacts noResponseFacts(Sender& sender) {
  const EngineHost& host = sender.host();
  return {sender.settings().unitId, sender.settings().type, host.moduleOutputName(), host.moduleInputName()};
}

void reportNoResponse(Sender& sender, TransferView& view) {
  sender.store().NoResponse = true;
  view.beep();
  EngineHost& host = sender.host();
  host.stopResponseTimer();
  host.showInfo(notRespondingText(noResponseFacts(sender)));
  host.moduleSilent();
}

SysexAddress performanceBlockAddress(Byte area, int number, int block) {
  return block == 0 ? address::memoryCommon(area, number) : address::memoryPart(area, number, block - 1);
}

int blockLength(BlockSizes sizes, int block) { return block == 0 ? sizes.commonLength() : sizes.partLength(); }

std::span<const Byte> blockBytes(const PerformanceRecord& record, int block) {
  if (block == 0) return record.common;
  return record.parts[static_cast<std::size_t>(block - 1)];
}

}  // namespace quillon
