#include "midi/module_link.h"

#include "midi/event_wait.h"
#include "midi/midi_backend.h"

namespace quillon {

std::optional<MidiMessage> PortEventSource::takeEvent() {
  auto event = port_.TakeEvent();
  if (!event) return std::nullopt;
  MidiMessage m;
  m.status = event->StatusByte;
  m.data1 = event->DataByte1;
  m.data2 = event->DataByte2;
  m.timeStamp = event->TimeStamp;
  m.sysex = std::move(event->SysexData);
  return m;
}

ModuleLink::ModuleLink(PerformanceStore& store, IncomingHandler& incoming, QObject* parent)
    : ModuleLink(store, incoming, midi::systemMidiBackend(), parent) {}

ModuleLink::ModuleLink(PerformanceStore& store, IncomingHandler& incoming, midi::MidiBackend& backend, QObject* parent)
    : QObject(parent), store_(store), incoming_(incoming), backend_(&backend) {
  store_.MidiClosed = true;
}

ModuleLink::~ModuleLink() { close(); }

void ModuleLink::useBackend(midi::MidiBackend& backend) {
  close();
  backend_ = &backend;
}

namespace {

// A stored name is the device the user chose: when it is not there, the
// stored number may name another device by now, so nothing opens.
template <typename Port, typename Error>
void chooseDevice(Port& port, const PortChoice& choice, const char* direction, const midi::MidiBackend& backend) {
  if (choice.name.empty()) {
    port.SetDeviceID(static_cast<std::uint16_t>(choice.number));
    return;
  }
  try {
    port.SetProductName(choice.name);
  } catch (const Error&) {
    const std::string why = backend.unavailableReason();
    throw Error(std::string("MIDI ") + direction + " '" + choice.name + "' is not available" +
                (why.empty() ? "" : " (" + why + ")"));
  }
}

}  // namespace

void ModuleLink::choose(MidiOutputPort& port, const PortChoice& choice) {
  chooseDevice<MidiOutputPort, EmidioutputError>(port, choice, "output", *backend_);
}

void ModuleLink::choose(MidiInputPort& port, const PortChoice& choice) {
  chooseDevice<MidiInputPort, EMidiInputError>(port, choice, "input", *backend_);
}

std::string ModuleLink::open(const PortChoice& out, const PortChoice& in, std::optional<PortChoice> keyboard) {
  close();
  try {
    out_ = std::make_unique<MidiOutputPort>(*backend_);
    choose(*out_, out);
    out_->Open();
    connect(out_.get(), &MidiOutputPort::OnLost, this, [this](const QString& why) { lose(why.toStdString()); });
    openModuleInput(in);
    if (keyboard) {
      keyboard_ = std::make_unique<MidiInputPort>(*backend_);
      choose(*keyboard_, *keyboard);
      keyboard_->Open();
      connectInput(*keyboard_, false);
      keyboard_->Start();
    }
  } catch (const std::exception& e) {
    close();
    return e.what();
  }
  store_.MidiClosed = false;
  return {};
}

std::string ModuleLink::openInputOnly(const PortChoice& in) {
  close();
  try {
    openModuleInput(in);
  } catch (const std::exception& e) {
    close();
    return e.what();
  }
  store_.MidiClosed = false;
  return {};
}

void ModuleLink::openModuleInput(const PortChoice& in) {
  in_ = std::make_unique<MidiInputPort>(*backend_);
  choose(*in_, in);
  in_->SetSysexBufferSize(ModuleSysexBufferSize);
  in_->SetSysexBufferCount(ModuleSysexBufferCount);
  in_->Open();
  connectInput(*in_, true);
  in_->Start();
}

void ModuleLink::connectInput(MidiInputPort& port, bool fromModule) {
  MidiInputPort* p = &port;
  if (fromModule) {
    connect(p, &MidiInputPort::OnMidiInput, this, [this, p] {
      PortEventSource source(*p);
      incoming_.HandleModuleInput(source);
      recheckWaits();  // a fast transfer's wait may end now that its answer is in
    });
    connect(p, &MidiInputPort::OnOverflow, this, [this] { incoming_.HandleOverflow(); });
  } else {
    connect(p, &MidiInputPort::OnMidiInput, this, [this, p] {
      PortEventSource source(*p);
      incoming_.HandleKeyboardInput(source);
    });
  }
}

void ModuleLink::close() {
  closePending_ = false;
  store_.MidiClosed = true;
  keyboard_.reset();
  in_.reset();
  out_.reset();
}

void ModuleLink::sendLong(std::span<const Byte> message) {
  if (!out_ || closePending_) throw EmidioutputError("MIDI Output device not open");
  try {
    out_->SendLongMessage(message);
  } catch (const EmidioutputError& e) {
    lose(e.what());
    throw;
  }
}

void ModuleLink::sendShort(Byte status, Byte data1, Byte data2) {
  if (!out_ || closePending_) throw EmidioutputError("MIDI Output device not open");
  try {
    out_->SendShortMessage(status, data1, data2);
  } catch (const EmidioutputError& e) {
    lose(e.what());
    throw;
  }
}

// A port that failed once (a server gone, a device unplugged, a buffer that
// no longer drains) would fail, or hang, at every later message: all close,
// so the program goes on with the ports closed until the user opens them again.
// Nothing is sent from now on; the ports themselves go once the running call
// has unwound, for it may be an input port's own handler.
void ModuleLink::lose(const std::string& why) {
  if (!isOpen()) return;
  store_.MidiClosed = true;
  closePending_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (closePending_) close();
      },
      Qt::QueuedConnection);
  emit portsLost(QString::fromStdString(why));
}

std::string ModuleLink::outputName() const { return out_ ? out_->ProductName() : std::string(); }
std::string ModuleLink::inputName() const { return in_ ? in_->ProductName() : std::string(); }

}  // namespace quillon
