#include "midi/rtmidi_backend.h"

#include <algorithm>

#include "midi/rtmidi_apis.h"

namespace quillon::midi {

namespace {

template <typename Port>
std::vector<std::string> portNames(Port& port) {
  std::vector<std::string> names;
  const unsigned count = port.getPortCount();
  for (unsigned i = 0; i < count; ++i) names.push_back(port.getPortName(i));
  return names;
}

// Runs an RtMidi call and turns its exception into ours.
template <typename F>
auto guarded(F&& call) {
  try {
    return call();
  } catch (const RtMidiError& e) {
    throw MidiBackendError(e.getMessage());
  }
}

// Port numbers shift whenever another program adds or removes a port, and
// RtMidi opens by number, looking the number up again inside openPort. So the
// connection finds its port by name in its own RtMidi object, opens it, and
// trusts the result only when the list did not change around the open.
template <typename Port>
void openByName(Port& port, const std::string& name, const std::string& ourPortName) {
  constexpr int Attempts = 5;
  for (int attempt = 0; attempt < Attempts; ++attempt) {
    const auto before = portNames(port);
    const auto it = std::find(before.begin(), before.end(), name);
    if (it == before.end()) throw MidiBackendError("MIDI device " + name + " is no longer available");
    port.openPort(static_cast<unsigned>(it - before.begin()), ourPortName);
    if (portNames(port) == before) return;
    port.closePort();
  }
  throw MidiBackendError("MIDI device list kept changing while opening " + name);
}

}  // namespace

struct RtMidiBackend::State {
  RtMidi::Api api = RtMidi::UNSPECIFIED;
  std::string clientName;
  std::vector<std::string> startErrors;
  // Kept open to list ports; opened connections have their own RtMidi objects,
  // so closing one never disturbs the lists.
  std::unique_ptr<RtMidiOut> outLister;
  std::unique_ptr<RtMidiIn> inLister;

  bool started() const { return outLister && inLister; }
};

class RtMidiOutputConnection : public OutputConnection {
 public:
  RtMidiOutputConnection(RtMidiBackend::State& owner, std::string name)
      : owner_(owner), name_(std::move(name)), out_(guarded([&] { return std::make_unique<RtMidiOut>(owner.api, owner.clientName); })) {
    guarded([&] { openByName(*out_, name_, "out"); });
  }
  ~RtMidiOutputConnection() override {
    try {
      out_->closePort();
    } catch (const RtMidiError&) {
      // Closing a port whose server is gone has nothing left to release.
    }
  }

  void send(std::span<const Byte> message) override {
    // RtMidi hands messages to a port that may have left (device unplugged,
    // server stopped) without a word, so look for it first.
    const auto names = guarded([&] { return portNames(*owner_.outLister); });
    if (std::find(names.begin(), names.end(), name_) == names.end())
      throw MidiBackendError("MIDI device " + name_ + " is no longer available");
    guarded([&] { out_->sendMessage(message.data(), message.size()); });
  }

 private:
  RtMidiBackend::State& owner_;
  std::string name_;
  std::unique_ptr<RtMidiOut> out_;
};

class RtMidiInputConnection : public InputConnection {
 public:
  RtMidiInputConnection(RtMidiBackend::State& owner, const std::string& name, InputHandler handler)
      : handler_(std::move(handler)), in_(guarded([&] { return std::make_unique<RtMidiIn>(owner.api, owner.clientName); })) {
    guarded([&] {
      // SysEx, timing clock / time code and active sensing all reach the handlers.
      in_->ignoreTypes(false, false, false);
      in_->setCallback(&RtMidiInputConnection::received, this);
      openByName(*in_, name, "in");
    });
  }
  ~RtMidiInputConnection() override {
    // Destroying the RtMidi object ends its thread (or JACK client) first, so
    // the handler is not called after this returns.
    try {
      in_->closePort();
      in_.reset();
    } catch (const RtMidiError&) {
    }
  }

 private:
  static void received(double, std::vector<unsigned char>* message, void* self) {
    if (message && !message->empty()) static_cast<RtMidiInputConnection*>(self)->handler_(*message);
  }
  InputHandler handler_;
  std::unique_ptr<RtMidiIn> in_;
};

RtMidiBackend::RtMidiBackend(const std::vector<std::string>& apis, std::string clientName)
    : state_(std::make_unique<State>()) {
  state_->clientName = std::move(clientName);
  std::vector<RtMidi::Api> order;
  for (const std::string& name : apis) {
    if (auto api = rtMidiApiByName(name)) order.push_back(*api);
    else state_->startErrors.push_back("unknown MIDI API " + name);
  }
  if (apis.empty()) order = preferredRtMidiApis();
  for (RtMidi::Api api : order) {
    try {
      state_->outLister = std::make_unique<RtMidiOut>(api, state_->clientName);
      state_->inLister = std::make_unique<RtMidiIn>(api, state_->clientName);
      state_->api = api;
      return;
    } catch (const RtMidiError& e) {
      state_->outLister.reset();
      state_->inLister.reset();
      state_->startErrors.push_back(rtMidiApiName(api) + ": " + e.getMessage());
    }
  }
}

RtMidiBackend::~RtMidiBackend() = default;

std::string RtMidiBackend::apiName() const {
  return state_->started() ? rtMidiApiName(state_->api) : std::string();
}

const std::vector<std::string>& RtMidiBackend::startErrors() const { return state_->startErrors; }

std::vector<std::string> RtMidiBackend::outputNames() {
  if (!state_->started()) return {};
  return guarded([&] { return portNames(*state_->outLister); });
}

std::vector<std::string> RtMidiBackend::inputNames() {
  if (!state_->started()) return {};
  return guarded([&] { return portNames(*state_->inLister); });
}

std::unique_ptr<OutputConnection> RtMidiBackend::openOutput(std::size_t, const std::string& name) {
  if (!state_->started()) throw MidiBackendError("no MIDI API is available");
  return std::make_unique<RtMidiOutputConnection>(*state_, name);
}

std::unique_ptr<InputConnection> RtMidiBackend::openInput(std::size_t, const std::string& name,
                                                          InputHandler handler) {
  if (!state_->started()) throw MidiBackendError("no MIDI API is available");
  return std::make_unique<RtMidiInputConnection>(*state_, name, std::move(handler));
}

}  // namespace quillon::midi
