#pragma once
// The program's side of the engine host: log lines go to the message log,
// traces to the debug window, information boxes to the screen, waits to the
// event loop. The monitor and the ports plug in as they are created.

#include <functional>

#include <QString>

#include "engine/host.h"

class QWidget;

namespace quillon {

// Main status panel 0 while the MIDI ports are closed.
inline constexpr const char* MidiClosedPanelText = "Midi Closed";

class DebugWindow;
class MessageLogWindow;

// What the engine reads from (and sets on) the note and controller monitor.
class MonitorState {
 public:
  virtual ~MonitorState() = default;
  virtual int monitorChannel() const = 0;
  // A different channel silences all 16 channels before it takes effect.
  virtual void setMonitorChannel(int channel) = 0;
  virtual int testNote() const = 0;
  virtual int testVelocity() const = 0;
  virtual bool chordOn() const = 0;
  virtual bool midiThru() const = 0;
};

class AppHost : public BasicHost {
 public:
  AppHost() = default;

  void attachLog(MessageLogWindow* log) { log_ = log; }
  void attachDebug(DebugWindow* debug) { debug_ = debug; }
  void setInfoParent(QWidget* parent) { infoParent_ = parent; }
  // With a monitor attached its controls answer; without one (nullptr) the
  // BasicHost values do.
  void attachMonitor(MonitorState* monitor) { monitor_ = monitor; }
  MonitorState* monitor() const { return monitor_; }

  int monitorChannel() const override { return monitor_ ? monitor_->monitorChannel() : BasicHost::monitorChannel(); }
  void setMonitorChannel(int channel) override {
    monitor_ ? monitor_->setMonitorChannel(channel) : BasicHost::setMonitorChannel(channel);
  }
  bool hasNoteMonitor() const override { return monitor_ != nullptr; }
  int testNote() const override { return monitor_ ? monitor_->testNote() : BasicHost::testNote(); }
  int testVelocity() const override { return monitor_ ? monitor_->testVelocity() : BasicHost::testVelocity(); }
  bool chordOn() const override { return monitor_ ? monitor_->chordOn() : BasicHost::chordOn(); }
  bool midiThru() const override { return monitor_ ? monitor_->midiThru() : BasicHost::midiThru(); }

  // Replaces the information box (tests record the texts instead).
  std::function<void(const std::string&)> onShowInfo;
  // Hooks of the windows that own timers, indicators and ports.
  std::function<void(LedColour)> onLightOut;
  std::function<void(LedColour)> onLightIn;
  std::function<void(Byte, Byte, Byte)> onShowShortMessage;
  // The mixer shows incoming control changes.
  std::function<void(Byte, Byte, Byte)> onMixerControlChange;
  std::function<void()> onStartResponseTimer;
  std::function<void()> onStopResponseTimer;
  std::function<void(std::span<const Byte>)> onSendLong;
  std::function<void(Byte, Byte, Byte)> onSendShort;
  // The module's ports by name, for the no-response message.
  std::function<std::string()> onModuleOutputName;
  std::function<std::string()> onModuleInputName;
  std::function<void()> onModuleSilent;
  // Replaces the Yes/No question box (tests answer it instead).
  std::function<bool(const std::string&)> onAsk;

  void showInfo(const std::string& text) override;
  // A question with Yes and No; true for Yes.
  bool ask(const std::string& text);
  std::string moduleOutputName() const override { return onModuleOutputName ? onModuleOutputName() : std::string(); }
  std::string moduleInputName() const override { return onModuleInputName ? onModuleInputName() : std::string(); }
  void moduleSilent() override { call(onModuleSilent); }
  // `text` goes at the head of the next information box, so that what caused
  // a message and the message are one box; showHeldInfo shows it alone when
  // no box came.
  void holdForNextInfo(std::string text) { held_ = std::move(text); }
  void showHeldInfo();
  void appendLogLine(LogMemo memo, const std::string& line) override;
  void clearLog(LogMemo memo) override;
  void debugLine(const std::string& text) override;
  void lightOut(LedColour colour) override { call(onLightOut, colour); }
  void lightIn(LedColour colour) override { call(onLightIn, colour); }
  void showShortMessage(Byte s, Byte d1, Byte d2) override { call(onShowShortMessage, s, d1, d2); }
  void mixerControlChange(Byte& s, Byte& d1, Byte& d2) override { call(onMixerControlChange, s, d1, d2); }
  void startResponseTimer() override { call(onStartResponseTimer); }
  void stopResponseTimer() override { call(onStopResponseTimer); }
  void waitMs(int ms) override;
  void waitMsUntil(int ms, const std::function<bool()>& done) override;
  void endWaitEarly() override;
  void sendLong(std::span<const Byte> message) override { call(onSendLong, message); }
  void sendShort(Byte s, Byte d1, Byte d2) override { call(onSendShort, s, d1, d2); }

 private:
  template <typename F, typename... Args>
  static void call(const F& f, Args&&... args) {
    if (f) f(std::forward<Args>(args)...);
  }

  MessageLogWindow* log_ = nullptr;
  DebugWindow* debug_ = nullptr;
  QWidget* infoParent_ = nullptr;
  MonitorState* monitor_ = nullptr;
  std::string held_;
};

// Message texts write "\r" for a line break.
QString infoText(const std::string& text);

}  // namespace quillon
