#pragma once
// Moving the whole Temporary Performance between the module and the store:
// Get Temp requests the 17 blocks, Send Temp writes them, each message
// followed by the SysEx delay. Answers land in the store through the incoming
// handler during the waits; nothing here waits for a particular answer.

#include <string>

#include "engine/sender.h"

namespace quillon {

namespace transfer_text {
inline constexpr const char* GetTempMidiClosed = "BGJ1 Midi Closed\rSelect Midi Devices";
inline constexpr const char* SendTempMidiClosed = "BSeJV Midi Closed\rSelect Midi Devices";
inline constexpr const char* NothingToSend = "There is no performance to Send.";
inline constexpr const char* NotResponding = "Your unit is not responding.";
inline constexpr const char* TempSourceLabel = "Temp Performance";
inline constexpr const char* TempFileName = "TempPerfom.syx";
}  // namespace transfer_text

inline constexpr Byte ModeParameterPerformance = 0;

// "common" for block 0, "part N" for block N; a list of the blocks of a mask
// (bit 0 the common block, bit N part N).
std::string tempBlockName(int block);
std::string tempBlockNames(std::uint32_t blocks);
// The blocks whose first `sizes` bytes differ between two performances.
std::uint32_t differingTempBlocks(const PerformanceRecord& a, const PerformanceRecord& b,
                                  BlockSizes sizes);  // system offset 0: 0 selects Performance mode

// What the windows show of a transfer; the command-line tools leave it all out.
class TransferView {
 public:
  virtual ~TransferView() = default;
  virtual void begin(int /*progressMaximum*/) {}
  virtual void progress(int /*value*/) {}
  virtual void collected(int /*count*/) {}
  virtual void messageGoesOut() {}  // the wait window's Out lamp
  virtual void end() {}
  virtual void busy(bool /*on*/) {}  // hourglass cursor
  // The main window's evaluation timer, stopped while a transfer runs.
  virtual void pauseEvaluation() {}
  virtual void resumeEvaluation() {}
  virtual void listCleared() {}  // the grid is reset
  virtual void sourceLabel(const std::string& /*text*/) {}
  virtual void beep() {}
  // A bank transfer finished performance `number` (0-based), whole or not.
  virtual void performanceDone(int /*number*/) {}
};

// What the no-response message names: the unit ID and type in use, and the ports.
struct NoResponseFacts {
  int unitId = roland::DefaultUnitId;
  ModuleType type = ModuleType::JV1080;
  std::string output;
  std::string input;
};
// The no-response message: what to check, the likeliest first, with the
// values in use, and Find Module to search for the module.
std::string notRespondingText(const NoResponseFacts& facts);
NoResponseFacts noResponseFacts(Sender& sender);
// The response timeout of every transfer: NoResponse, a beep and the one box.
void reportNoResponse(Sender& sender, TransferView& view);
// True, and the user told so, when another transfer runs and this one could not start.
inline bool refusedAsBusy(const SessionScope& scope, EngineHost& host) {
  if (scope.started()) return false;
  host.showInfo(session_text::Busy);
  return true;
}
// Cancel in the wait window: the running session asks and sends nothing
// more, and the running wait ends now.
void cancelRunningTransfer(Sender& sender);
// The response timer ran out: the running fetch is told once and stops. With
// no transfer running, the user hears of it only when the last one ended
// unanswered (an effect window's short re-read); a late timer says nothing.
void runningTransferTimedOut(Sender& sender, TransferView& view);

// The address of block 0 (common) or 1 + p (part p) of a performance in `area`.
SysexAddress performanceBlockAddress(Byte area, int number, int block);
int blockLength(BlockSizes sizes, int block);
std::span<const Byte> blockBytes(const PerformanceRecord& record, int block);

// Whether an entry of the list may be sent or stored: named in `why` when not.
bool entryIsWhole(const PerformanceStore& s, int index, std::string& why);

class TempTransfer {
 public:
  TempTransfer(Sender& sender, EngineHost& host) : sender_(sender), host_(host) {}

  // Get Temp: true when something arrived (the Temporary Performance was
  // replaced). False when it could not start or nothing came; the store is
  // then as it was, and the user was told why.
  bool GetTemp(TransferView& view);
  bool SendTemp(TransferView& view);
  // Send Temp of a performance the list does not hold (an audition): the same
  // messages and session; the sender mirrors them as it mirrors Send Temp's.
  bool SendRecord(const PerformanceRecord& record, TransferView& view);

  // Blocks of the last Get Temp that arrived whole, 0..17, and which (bit 0 the
  // common block, bit 1 + p part p); blocks that came only in part.
  int receivedBlocks() const;
  std::uint32_t receivedBlockMask() const { return received_; }
  std::uint32_t cutShortBlockMask() const { return cutShort_; }
  // The text naming a partial Get Temp, empty when it was complete.
  std::string partialTransferText() const;
  // What the user is told when Get Temp or Send Temp was cancelled.
  std::string cancelledText(bool sending, int blocks) const;

 private:
  // Returns how many blocks left before a cancel stopped it.
  int sendBlocks(TransferSession& session, TransferView& view, const PerformanceRecord& record);
  bool sendWhole(const PerformanceRecord& record, TransferView& view);
  void requestBlocks(TransferSession& session, TransferView& view);
  void noteArrivals(const TransferSession& session);

  Sender& sender_;
  EngineHost& host_;
  std::uint32_t received_ = AllTempBlocks;
  std::uint32_t cutShort_ = 0;
};

}  // namespace quillon
