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
inline constexpr const char* NotResponding =
    "\rYour unit is not responding.\r\rIs the powerswitch ON? \r\rBe sure, in JV-XP, the SYSTEM setting [Rx.Ecx] is "
    "set to ON   \rYou might also check cables and midi settings,\rPlease try again when everything is correct.\r";
inline constexpr const char* TempSourceLabel = "Temp Performance";
inline constexpr const char* TempFileName = "TempPerfom.syx";
}  // namespace transfer_text

inline constexpr Byte ModeParameterPerformance = 0;

// "common" for block 0, "part N" for block N; a list of the blocks of a mask
// (bit 0 the common block, bit N part N).
std::string tempBlockName(int block);
std::string tempBlockNames(std::uint32_t blocks);
// The blocks whose first `sizes` bytes differ between two performances.
std::uint32_t differingTempBlocks(const PerformanceRecord& a, const PerformanceRecord& b, BlockSizes sizes);  // system offset 0: 0 selects Performance mode

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

// The response timeout of every transfer: NoResponse, a beep, the one box,
// and TransferCancelled so that no further request leaves.
void reportNoResponse(PerformanceStore& store, EngineHost& host, TransferView& view);

// The address of block 0 (common) or 1 + p (part p) of a performance in `area`.
SysexAddress performanceBlockAddress(Byte area, int number, int block);
int blockLength(BlockSizes sizes, int block);
std::span<const Byte> blockBytes(const PerformanceRecord& record, int block);

class TempTransfer {
 public:
  TempTransfer(Sender& sender, EngineHost& host) : sender_(sender), host_(host) {}

  // Returns false when the transfer could not start (the user was told why).
  bool GetTemp(TransferView& view);
  bool SendTemp(TransferView& view);
  // The response timer ran out: report once, stop the rest of the transfer.
  void ResponseTimeout(TransferView& view);
  // Cancel in the wait window: nothing more leaves, and the running wait ends now.
  void Cancel();

  // Blocks of the last Get Temp that arrived, 0..17.
  int receivedBlocks() const;
  // The text naming a partial Get Temp, empty when it was complete.
  std::string partialTransferText() const;
  // What the user is told when Get Temp or Send Temp was cancelled.
  std::string cancelledText(bool sending, int blocks) const;

 private:
  // Returns how many blocks left before a cancel stopped it.
  int sendBlocks(TransferView& view);
  void requestBlocks(TransferView& view);
  // Paces one message (a request by `fetch`, a data set by SysDly when it is
  // null); false when the transfer was cancelled meanwhile.
  bool paceUnlessCancelled(RequestPacer* fetch);

  Sender& sender_;
  EngineHost& host_;
  bool timedOut_ = false;  // this transfer was already reported as unanswered
  bool cancelledByUser_ = false;
};

}  // namespace quillon
