#pragma once
// Binds the engine to real ports: what the sender hands the host goes to the
// module output, and what the module (or keyboard) input queues reaches the
// incoming handler on the GUI thread. The monitor window and the command-line
// transfers both use it.

#include <QObject>
#include <memory>
#include <optional>
#include <string>

#include "engine/incoming.h"
#include "midi/midi_ports.h"

namespace quillon {

// A port's queue as the incoming handler reads it.
class PortEventSource : public MidiEventSource {
 public:
  explicit PortEventSource(MidiInputPort& port) : port_(port) {}
  std::optional<MidiMessage> takeEvent() override;

 private:
  MidiInputPort& port_;
};

// The device choices of the settings: numbers, and names looked up first.
struct PortChoice {
  int number = 0;
  std::string name;  // empty: use the number; a name not found opens nothing
};

class ModuleLink : public QObject {
  Q_OBJECT
 public:
  // Module input buffers: long enough for any answer, many of them for dumps.
  static constexpr int ModuleSysexBufferSize = 1024;
  static constexpr int ModuleSysexBufferCount = 128;

  ModuleLink(PerformanceStore& store, IncomingHandler& incoming, QObject* parent = nullptr);
  ModuleLink(PerformanceStore& store, IncomingHandler& incoming, midi::MidiBackend& backend, QObject* parent = nullptr);
  ~ModuleLink() override;

  // Other devices than the ones given at construction; open ports close first.
  void useBackend(midi::MidiBackend& backend);

  // Opens output and input (and the keyboard input when given); on failure
  // every port is closed again, MidiClosed stays set and the error text is returned.
  std::string open(const PortChoice& out, const PortChoice& in, std::optional<PortChoice> keyboard = std::nullopt);
  // Opens the module input alone, to listen to what the module sends by
  // itself; nothing can be sent. As open on failure.
  std::string openInputOnly(const PortChoice& in);
  void close();
  bool isOpen() const { return !store_.MidiClosed; }

  // Hands bytes to the output port. A port error closes every port, is
  // reported through portsLost and then thrown (EmidioutputError).
  void sendLong(std::span<const Byte> message);
  void sendShort(Byte status, Byte data1, Byte data2);

  MidiOutputPort& output() { return *out_; }
  MidiInputPort& input() { return *in_; }
  MidiInputPort* keyboard() { return keyboard_.get(); }
  std::string outputName() const;
  std::string inputName() const;

 signals:
  // The ports were closed because the way to the module was lost: the MIDI
  // server shut down, or a send failed. `why` says what happened.
  void portsLost(const QString& why);

 private:
  void lose(const std::string& why);
  void connectInput(MidiInputPort& port, bool fromModule);
  void choose(MidiOutputPort& port, const PortChoice& choice);
  void choose(MidiInputPort& port, const PortChoice& choice);
  void openModuleInput(const PortChoice& in);

  PerformanceStore& store_;
  IncomingHandler& incoming_;
  midi::MidiBackend* backend_;
  std::unique_ptr<MidiOutputPort> out_;
  std::unique_ptr<MidiInputPort> in_;
  std::unique_ptr<MidiInputPort> keyboard_;
  bool closePending_ = false;  // lost: the ports close once the running call has unwound
};

}  // namespace quillon
