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
         " blocks of the Temporary Performance arrived; the rest keep their old contents.";
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
  // With all 17 blocks in, the repeated request for part 16 was a spare: its
  // answer is not awaited, so the module is not reported as silent for it.
  if (!s.PartialTransfer) host_.stopResponseTimer();
  // A silent module was reported by the timeout; blocks lost among answers are reported here.
  if (s.PartialTransfer && !timedOut_) host_.showInfo(partialTransferText());
  view.resumeEvaluation();
  return true;
}

void TempTransfer::requestBlocks(TransferView& view) {
  const BlockSizes sizes = sender_.settings().sizes;
  view.messageGoesOut();
  sender_.RequestSysexData(address::temporaryCommon(), static_cast<std::uint32_t>(sizes.commonLength()));
  view.progress(1);
  sender_.pace();
  for (int p = 0; p < address::PartCount; ++p) {
    view.messageGoesOut();
    view.progress(p);
    sender_.RequestSysexData(address::temporaryPart(p), static_cast<std::uint32_t>(sizes.partLength()));
    view.collected(p);
    sender_.pace();
  }
  // Part 16 is asked for a second time: 18 requests in all; the second answer only overwrites the first.
  sender_.RequestSysexData(address::temporaryPart(address::PartCount - 1),
                           static_cast<std::uint32_t>(sizes.partLength()));
  sender_.pace();
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
  view.begin(ProgressSteps);
  view.progress(0);
  sendBlocks(view);
  s.TempSent = true;
  view.busy(false);
  view.end();
  s.BulkSending = false;
  return true;
}

void TempTransfer::sendBlocks(TransferView& view) {
  PerformanceStore& s = sender_.store();
  const BlockSizes sizes = sender_.settings().sizes;
  // The sender mirrors each block into the record it came from; copy first
  // so that mirroring never reads what it is writing.
  const PerformanceRecord record = s.TempPerformance;
  view.messageGoesOut();
  sender_.SendSysexData(address::temporaryCommon(), record.common, sizes.commonLength());
  view.progress(1);
  sender_.pace();
  for (int p = 0; p < address::PartCount; ++p) {
    view.messageGoesOut();
    view.progress(p);
    sender_.SendSysexData(address::temporaryPart(p), record.parts[p], sizes.partLength());
    sender_.pace();
  }
}

void TempTransfer::ResponseTimeout(TransferView& view) {
  PerformanceStore& s = sender_.store();
  s.NoResponse = true;
  timedOut_ = true;
  view.beep();
  host_.stopResponseTimer();
  host_.showInfo(transfer_text::NotResponding);
  s.TransferCancelled = true;
  view.resumeEvaluation();
}

}  // namespace quillon
