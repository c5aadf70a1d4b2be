#include "app/module_ports.h"

#include <QTimer>

#include "app/app_host.h"
#include "engine/sender.h"
#include "engine/temp_transfer.h"
#include "midi/midi_backend.h"
#include "settings/device_settings.h"

namespace quillon {

namespace {
const char* const NoPortsText = "MIDI ports could not be opened: ";
const char* const NoPortsAdvice = "\rMidi Closed: choose other devices in the settings.";
const char* const PortsLostText = "The MIDI ports were closed: ";
const char* const PortsLostAdvice = ".\rMidi Closed: open them again in the settings once the MIDI system runs.";
// How often a transfer cancelled by a lost port is looked at until it has ended.
constexpr int TransferEndPollMs = 50;
}  // namespace

SettingsPorts settingsPorts(const DeviceSettings& s) {
  SettingsPorts ports{{s.Midi_Out, s.Midi_OutName.toStdString()}, {s.Midi_In1, s.Midi_In1Name.toStdString()}, {}};
  if (s.SepKB) ports.keyboard = PortChoice{s.Midi_In2, s.Midi_In2Name.toStdString()};
  return ports;
}

ModulePorts::ModulePorts(PerformanceStore& store, IncomingHandler& incoming, AppHost& host, Sender& sender,
                         DeviceSettings& settings)
    : host_(host), sender_(sender), settings_(settings), link_(store, incoming) {  // MidiClosed until a port opens
  connect(&link_, &ModuleLink::portsLost, this, &ModulePorts::portsLost);
  routeEngineOutput();
}

ModulePorts::~ModulePorts() {
  host_.onSendLong = nullptr;
  host_.onSendShort = nullptr;
  host_.onModuleOutputName = nullptr;
  host_.onModuleInputName = nullptr;
  link_.close();
}

void ModulePorts::useBackend(midi::MidiBackend& backend) {
  const bool wasOpen = isOpen();
  link_.useBackend(backend);
  if (wasOpen) emit closed();
}

void ModulePorts::routeEngineOutput() {
  // A port that fails while sending (unplugged, taken by another program) is
  // reported, not left to end the program from inside an event handler.
  // A failure that closed the ports has been told through portsLost already.
  host_.onSendLong = [this](std::span<const Byte> message) {
    try {
      link_.sendLong(message);
    } catch (const std::exception& e) {
      if (link_.isOpen()) host_.showInfo(e.what());
    }
  };
  host_.onSendShort = [this](Byte s, Byte d1, Byte d2) {
    try {
      link_.sendShort(s, d1, d2);
    } catch (const std::exception& e) {
      if (link_.isOpen()) host_.showInfo(e.what());
    }
  };
  host_.onModuleOutputName = [this] { return link_.outputName(); };
  host_.onModuleInputName = [this] { return link_.inputName(); };
}

void ModulePorts::openFromSettings() {
  if (settings_.FirstRun) {
    reopen(PortChoice{0, {}}, PortChoice{0, {}});
    return;
  }
  if (settings_.Midi_In1 == NoInputDevice || settings_.Midi_In1 < 0) return;
  // Names first: a USB interface may come back under another number.
  const SettingsPorts stored = settingsPorts(settings_);
  const std::string error = reopen(stored.out, stored.in, stored.keyboard);
  if (!error.empty()) host_.showInfo(NoPortsText + error + NoPortsAdvice);
}

std::string ModulePorts::reopen(const PortChoice& out, const PortChoice& in, std::optional<PortChoice> keyboard) {
  const std::string error = link_.open(out, in, keyboard);
  if (!error.empty()) {
    emit closed();
    return error;
  }
  emit opened();
  return {};
}

void ModulePorts::close() {
  link_.close();
  emit closed();
}

void ModulePorts::portsLost(const QString& why) {
  emit closed();
  const std::string text = PortsLostText + why.toStdString() + PortsLostAdvice;
  if (!sender_.sessions().current()) {
    host_.showInfo(text);
    return;
  }
  // The running transfer stops and says how far it got: one box tells both.
  host_.holdForNextInfo(text);
  cancelRunningTransfer(sender_);
  auto* poll = new QTimer(this);
  connect(poll, &QTimer::timeout, this, [this, poll] {
    if (sender_.sessions().current()) return;
    poll->deleteLater();
    poll->stop();
    host_.showHeldInfo();  // the transfer ended without a word of its own
  });
  poll->start(TransferEndPollMs);
}

}  // namespace quillon
