#pragma once
// The program's way to the module: the MIDI ports, owned for the whole run by
// the application context. What the engine sends goes straight to them; the
// windows show their state and ask them to open or close, none owns them.

#include <QObject>
#include <optional>
#include <string>

#include "midi/module_link.h"

namespace quillon {

class AppHost;
class Sender;
class DeviceSettings;

namespace midi {
class MidiBackend;
}

// The ports the settings name: module output, module input, and the keyboard
// input when "SepKB" is set.
struct SettingsPorts {
  PortChoice out;
  PortChoice in;
  std::optional<PortChoice> keyboard;
};
SettingsPorts settingsPorts(const DeviceSettings& settings);

class ModulePorts : public QObject {
  Q_OBJECT
 public:
  static constexpr int NoInputDevice = 0xFFFF;  // Midi_In1 with all bits set: no port chosen

  ModulePorts(PerformanceStore& store, IncomingHandler& incoming, AppHost& host, Sender& sender,
              DeviceSettings& settings);
  ~ModulePorts() override;

  // Other devices than the process's (tests, the screenshots); any open port closes.
  void useBackend(midi::MidiBackend& backend);

  // The ports of the settings; a new install opens the virtual module so that
  // the user can fetch and edit at once. A failure is told to the user.
  void openFromSettings();
  // Closes what is open and opens the given devices; returns the error text
  // ("" on success) and leaves telling it to the caller.
  std::string reopen(const PortChoice& out, const PortChoice& in, std::optional<PortChoice> keyboard = std::nullopt);
  void close();

  ModuleLink& link() { return link_; }
  bool isOpen() const { return link_.isOpen(); }

 signals:
  // The ports opened (the names are in link()) or closed, for whatever shows them.
  void opened();
  void closed();

 private:
  void routeEngineOutput();
  // The way to the module was lost: a running transfer stops, and one box
  // tells what happened.
  void portsLost(const QString& why);

  AppHost& host_;
  Sender& sender_;
  DeviceSettings& settings_;
  ModuleLink link_;
};

}  // namespace quillon
