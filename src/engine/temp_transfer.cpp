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

int TempTransfer::receivedBlocks() const { return std::popcount(sender_.store().ReceivedTempBlocks & AllTempBlocks); }

std::string TempTransfer::partialTransferText() const {
  if (!sender_.store().PartialTransfer) return {};
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

void TempTransfer::Cancel() {
  cancelledByUser_ = true;
  sender_.store().TransferCancelled = true;
  host_.stopResponseTimer();
  host_.endWaitEarly();
}

bool TempTransfer::paceUnlessCancelled(RequestPacer* fetch) {
  if (fetch)
    fetch->afterRequest();
  else
    sender_.pace();
  // A fetch also stops on the response timeout; a send only on the user's Cancel.
  return !(cancelledByUser_ || (fetch && sender_.store().TransferCancelled));
}

bool TempTransfer::GetTemp(TransferView& view) {
  PerformanceStore& s = sender_.store();
  if (s.MidiClosed) {
    host_.showInfo(transfer_text::GetTempMidiClosed);
    return false;
  }
  view.pauseEvaluation();
  s.TransferCancelled = false;
  s.clearPerformanceData();
  view.listCleared();
  const Byte mode = ModeParameterPerformance;
  sender_.SendSysexData({address::AreaSystem, 0, 0, 0}, std::span(&mode, 1), 1);
  sender_.pace();

  view.busy(true);
  s.Updating = true;
  s.ListLoaded = false;
  s.FromTemp = true;
  s.FromUser = s.FromCard = false;
  s.ReceivedTempBlocks = 0;
  s.ReceivedTempBytes = {};
  timedOut_ = false;
  cancelledByUser_ = false;
  view.collected(0);
  view.begin(ProgressSteps);
  requestBlocks(view);

  view.listCleared();
  s.Updating = false;
  view.end();
  s.PerformanceCount = 1;
  view.sourceLabel(transfer_text::TempSourceLabel);
  s.ListInfo[0] = {PerformanceKind::Temp, 0, 0, true, {}};
  s.ListLoaded = false;
  s.CurrentFileName = transfer_text::TempFileName;
  view.busy(false);
  s.TempSent = false;
  s.PartialTransfer = receivedBlocks() < TempBlockCount;
  // All 17 blocks in: the repeated request for part 16 was a spare, its answer is
  // not awaited. Blocks missing: one message says so, and a running response
  // timer would add a second box on top of it. Either way the timer ends here.
  host_.stopResponseTimer();
  if (cancelledByUser_)
    host_.showInfo(cancelledText(false, receivedBlocks()));
  else if (s.PartialTransfer && !timedOut_ && receivedBlocks() == 0)
    ResponseTimeout(view);
  else if (s.PartialTransfer && !timedOut_)
    host_.showInfo(partialTransferText());
  view.resumeEvaluation();
  return true;
}

void TempTransfer::requestBlocks(TransferView& view) {
  const BlockSizes sizes = sender_.settings().sizes;
  RequestPacer pacer(sender_);
  RequestPacer* const fetching = &pacer;
  view.messageGoesOut();
  sender_.RequestSysexData(address::temporaryCommon(), static_cast<std::uint32_t>(sizes.commonLength()));
  view.progress(1);
  if (!paceUnlessCancelled(fetching)) return;
  for (int p = 0; p < address::PartCount; ++p) {
    view.messageGoesOut();
    view.progress(p);
    sender_.RequestSysexData(address::temporaryPart(p), static_cast<std::uint32_t>(sizes.partLength()));
    view.collected(p);
    if (!paceUnlessCancelled(fetching)) return;
  }
  // Part 16 is asked for a second time: 18 requests in all; the second answer only overwrites the first.
  sender_.RequestSysexData(address::temporaryPart(address::PartCount - 1),
                           static_cast<std::uint32_t>(sizes.partLength()));
  pacer.afterRequest();
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
  view.busy(true);
  s.BulkSending = true;
  cancelledByUser_ = false;
  view.begin(ProgressSteps);
  view.progress(0);
  const int sent = sendBlocks(view);
  s.TempSent = true;
  view.busy(false);
  view.end();
  s.BulkSending = false;
  if (cancelledByUser_) host_.showInfo(cancelledText(true, sent));
  return true;
}

int TempTransfer::sendBlocks(TransferView& view) {
  PerformanceStore& s = sender_.store();
  const BlockSizes sizes = sender_.settings().sizes;
  // The sender mirrors each block into the record it came from; copy first
  // so that mirroring never reads what it is writing.
  const PerformanceRecord record = s.TempPerformance;
  RequestPacer* const sending = nullptr;
  view.messageGoesOut();
  sender_.SendSysexData(address::temporaryCommon(), record.common, sizes.commonLength());
  view.progress(1);
  if (!paceUnlessCancelled(sending)) return 1;
  for (int p = 0; p < address::PartCount; ++p) {
    view.messageGoesOut();
    view.progress(p);
    sender_.SendSysexData(address::temporaryPart(p), record.parts[p], sizes.partLength());
    if (!paceUnlessCancelled(sending)) return p + 2;
  }
  return TempBlockCount;
}

void reportNoResponse(PerformanceStore& store, EngineHost& host, TransferView& view) {
  store.NoResponse = true;
  view.beep();
  host.stopResponseTimer();
  host.showInfo(transfer_text::NotResponding);
  store.TransferCancelled = true;
  view.resumeEvaluation();
}

SysexAddress performanceBlockAddress(Byte area, int number, int block) {
  return block == 0 ? address::memoryCommon(area, number) : address::memoryPart(area, number, block - 1);
}

int blockLength(BlockSizes sizes, int block) { return block == 0 ? sizes.commonLength() : sizes.partLength(); }

std::span<const Byte> blockBytes(const PerformanceRecord& record, int block) {
  if (block == 0) return record.common;
  return record.parts[static_cast<std::size_t>(block - 1)];
}

void TempTransfer::ResponseTimeout(TransferView& view) {
  timedOut_ = true;
  reportNoResponse(sender_.store(), host_, view);
}

}  // namespace quillon
