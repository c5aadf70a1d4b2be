#pragma once
// The engine's one door to windows, timers and the output port. The program's
// windows implement it; tests and command-line tools implement it too.

#include <functional>
#include <span>
#include <string>

#include "engine/sysex.h"

namespace quillon {

enum class LogMemo { Received, Sent };  // upper and lower memo of the message log
enum class LedColour { Green, Lime, Yellow, Blue, Red };

// Initial values of the note/controller monitor.
namespace monitor_default {
inline constexpr int Channel = 1;
inline constexpr int Note = 65;
inline constexpr int Velocity = 64;
inline constexpr bool Chord = false;
inline constexpr bool MidiThru = true;
}  // namespace monitor_default

class EngineHost {
 public:
  virtual ~EngineHost() = default;

  // An information box with one OK button; returns when it is closed.
  virtual void showInfo(const std::string& text) = 0;
  virtual void appendLogLine(LogMemo memo, const std::string& line) = 0;
  virtual void clearLog(LogMemo memo) = 0;
  virtual void debugLine(const std::string& text) = 0;
  // A remark on a running transfer that needs no answer: it must not stop
  // the transfer as an information box would.
  virtual void transferNote(const std::string& text) { debugLine(text); }

  // Activity indicators (monitor OUT/IN, and the wait window's lamps); they
  // fall back to green on their own.
  virtual void lightOut(LedColour colour) = 0;
  virtual void lightIn(LedColour colour) = 0;

  // The monitor's state. Sender::moveMonitorChannel is the way to change the
  // channel; setMonitorChannel only records it.
  virtual int monitorChannel() const = 0;  // 1..16
  virtual void setMonitorChannel(int channel) = 0;
  // Whether a note monitor plays test notes, which a channel move must not leave hanging.
  virtual bool hasNoteMonitor() const { return false; }
  virtual int testNote() const = 0;
  virtual int testVelocity() const = 0;
  virtual bool chordOn() const = 0;
  virtual bool midiThru() const = 0;
  virtual void showShortMessage(Byte status, Byte data1, Byte data2) = 0;

  // The mixer may show and change controller messages while its Update
  // button is down; the default leaves them alone.
  virtual void mixerControlChange(Byte& /*status*/, Byte& /*data1*/, Byte& /*data2*/) {}

  virtual void startResponseTimer() = 0;
  virtual void stopResponseTimer() = 0;

  // Blocks for `ms` while the event loop runs (incoming MIDI, timers, input).
  virtual void waitMs(int ms) = 0;
  // Ends the waitMs that is running now, before its deadline (the user cancelled).
  virtual void endWaitEarly() {}
  // As waitMs, but ends as soon as `done` holds; hosts check it after each
  // incoming message. A host that cannot waits the whole time.
  virtual void waitMsUntil(int ms, const std::function<bool()>& done) {
    if (!done()) waitMs(ms);
  }

  // The module's ports as the user knows them, empty when none is open.
  virtual std::string moduleOutputName() const { return {}; }
  virtual std::string moduleInputName() const { return {}; }
  // The module stayed silent and the user was told; the program may offer to look for it.
  virtual void moduleSilent() {}

  // Hands bytes to the module output port; port errors are thrown from here.
  virtual void sendLong(std::span<const Byte> message) = 0;
  virtual void sendShort(Byte status, Byte data1, Byte data2) = 0;
};

// A host with the monitor's initial values held in plain members: what the
// engine sees before (or without) the monitor window.
class BasicHost : public EngineHost {
 public:
  int monitorChannel() const override { return channel_; }
  void setMonitorChannel(int channel) override { channel_ = channel; }
  int testNote() const override { return note_; }
  int testVelocity() const override { return velocity_; }
  bool chordOn() const override { return chord_; }
  bool midiThru() const override { return thru_; }

  void setTestNote(int note) { note_ = note; }
  void setTestVelocity(int velocity) { velocity_ = velocity; }
  void setChord(bool on) { chord_ = on; }
  void setMidiThru(bool on) { thru_ = on; }

 private:
  int channel_ = monitor_default::Channel;
  int note_ = monitor_default::Note;
  int velocity_ = monitor_default::Velocity;
  bool chord_ = monitor_default::Chord;
  bool thru_ = monitor_default::MidiThru;
};

}  // namespace quillon
