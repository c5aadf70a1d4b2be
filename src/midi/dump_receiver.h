#pragma once
// Listening for a dump the module sends by itself: a Listen session hands
// every SysEx message from the inputs to a capture, and nothing is sent. The
// receive ends when asked, after a quiet time that follows the last message,
// or when the input port goes away; what arrived whole is kept either way.
// The Receive Dump window and quillon-syx receive both run it.

#include <QObject>
#include <QTimer>

#include <memory>
#include <string>

#include "engine/dump_capture.h"
#include "engine/transfer_session.h"

namespace quillon {

class ModuleLink;

class DumpReceiver : public QObject {
  Q_OBJECT
 public:
  static constexpr int DefaultQuietMs = 3000;
  static constexpr int PortCheckMs = 1000;
  enum class End { Running, Done, Quiet, PortGone, NotStarted };

  DumpReceiver(TransferSessions& sessions, ModuleLink& link, QObject* parent = nullptr);
  ~DumpReceiver() override;

  // Listens into a new capture; false when another transfer runs or the
  // ports are closed (`endText` says which). The quiet time counts from the
  // last message; before the first one the receive waits for Done.
  bool start(BlockSizes sizes, int quietMs = DefaultQuietMs);
  // A new quiet time: a running wait for the end starts again with it.
  void setQuietMs(int ms);
  int quietMs() const { return quietMs_; }
  // Done: the receive ends now and keeps what came.
  void finish() { end(End::Done); }
  bool receiving() const { return end_ == End::Running; }
  End ending() const { return end_; }
  // Null before the first start.
  const DumpCapture* capture() const { return capture_.get(); }
  // Events the input queue had to drop while receiving.
  std::uint64_t lostEvents() const;
  // How the receive ended, in words, with anything lost on the way.
  std::string endText() const;

 signals:
  void messageArrived();
  void ended();

 private:
  void hear(std::span<const Byte> message);
  void checkPort();
  void end(End why);

  TransferSessions& sessions_;
  ModuleLink& link_;
  std::unique_ptr<SessionScope> scope_;
  std::unique_ptr<DumpCapture> capture_;
  QTimer quiet_;
  QTimer portCheck_;
  End end_ = End::NotStarted;
  std::string refusal_;
  std::string inputName_;
  int quietMs_ = DefaultQuietMs;
  std::uint64_t droppedBefore_ = 0;
  std::uint64_t droppedAfter_ = 0;
};

namespace dump_text {
inline constexpr const char* MidiClosed = "Receive Dump: Midi Closed\rSelect Midi Devices";
}

}  // namespace quillon
