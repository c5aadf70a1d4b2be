#include "midi/rtmidi_backend.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <utility>

#include "midi/platform_probe.h"
#include "midi/rtmidi_apis.h"
#if defined(QUILLON_HAVE_JACK)
#include "midi/jack_output.h"
#endif

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
// connection finds its port by name, opens it, and trusts the result only when
// the list did not change around the open.
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

// Where an RtMidiIn delivers: the handler of the connection using it, if any.
// RtMidi's JACK input does not wait for its thread when a port closes, so the
// lock is what keeps a handler from running once its connection is gone.
struct InputGate {
  std::mutex mutex;
  const InputHandler* handler = nullptr;

  static void received(double, std::vector<unsigned char>* message, void* self) {
    auto& gate = *static_cast<InputGate*>(self);
    std::lock_guard lock(gate.mutex);
    if (gate.handler && message && !message->empty()) (*gate.handler)(*message);
  }
  void attach(const InputHandler* h) {
    std::lock_guard lock(mutex);
    handler = h;
  }
};

// One RtMidiIn with its gate; the callback is set once, for the object's life.
struct GatedInput {
  explicit GatedInput(std::unique_ptr<RtMidiIn> port) : in(std::move(port)) {
    in->setCallback(&InputGate::received, &gate);
  }
  ~GatedInput() { in.reset(); }  // its thread ends before the gate goes
  InputGate gate;
  std::unique_ptr<RtMidiIn> in;
};

// One output client of the platform: it lists the ports and carries one
// connection at a time.
class OutputClient {
 public:
  virtual ~OutputClient() = default;
  virtual std::vector<std::string> names() = 0;
  virtual void open(const std::string& name, const std::string& ourPortName) = 0;
  virtual void close() = 0;
  virtual void send(const std::string& name, std::span<const Byte> message) = 0;
  virtual void setLostHandler(LostHandler) {}
  // The platform's MIDI server went away: the client must be made anew.
  virtual bool serverGone() const { return false; }
};

class RtMidiOutputClient : public OutputClient {
 public:
  RtMidiOutputClient(RtMidi::Api api, const std::string& clientName)
      : out_(guarded([&] { return std::make_unique<RtMidiOut>(api, clientName); })) {}
  std::vector<std::string> names() override {
    return guarded([&] { return portNames(*out_); });
  }
  void open(const std::string& name, const std::string& ourPortName) override {
    guarded([&] { openByName(*out_, name, ourPortName); });
    lastLook_ = std::chrono::steady_clock::now();
  }
  void close() override {
    try {
      out_->closePort();
    } catch (const RtMidiError&) {
      // Closing a port whose server is gone has nothing left to release.
    }
  }
  void send(const std::string& name, std::span<const Byte> message) override {
    // RtMidi hands messages to a port that may have left (device unplugged,
    // server stopped) without a word, so look for it first; a look scans
    // every port of the system, so a bank's messages share one.
    const auto now = std::chrono::steady_clock::now();
    if (now - lastLook_ >= PortLookInterval) {
      const auto listed = names();
      if (std::find(listed.begin(), listed.end(), name) == listed.end())
        throw MidiBackendError("MIDI device " + name + " is no longer available");
      lastLook_ = now;
    }
    guarded([&] { out_->sendMessage(message.data(), message.size()); });
  }

 private:
  static constexpr auto PortLookInterval = std::chrono::milliseconds(250);
  std::unique_ptr<RtMidiOut> out_;
  std::chrono::steady_clock::time_point lastLook_{};
};

#if defined(QUILLON_HAVE_JACK)
// RtMidi's JACK output spins for good once a dead server leaves its buffer
// full, and never hears of the shutdown: JACK output is ours.
class JackOutput : public OutputClient {
 public:
  explicit JackOutput(const std::string& clientName) : jack_(clientName) {}
  std::vector<std::string> names() override { return jack_.portNames(); }
  void open(const std::string& name, const std::string& ourPortName) override { jack_.open(name, ourPortName); }
  void close() override { jack_.close(); }
  void send(const std::string&, std::span<const Byte> message) override { jack_.send(message); }
  void setLostHandler(LostHandler handler) override { jack_.setLostHandler(std::move(handler)); }
  bool serverGone() const override { return jack_.serverGone(); }

 private:
  JackOutputClient jack_;
};
#endif

std::unique_ptr<OutputClient> makeOutputClient(RtMidi::Api api, const std::string& clientName) {
#if defined(QUILLON_HAVE_JACK)
  if (api == RtMidi::UNIX_JACK) return std::make_unique<JackOutput>(clientName);
#endif
  return std::make_unique<RtMidiOutputClient>(api, clientName);
}

}  // namespace

// Every RtMidi object of an API is a client of the platform's MIDI system (on
// JACK, a client with its own thread woken every cycle). So the objects that
// list the ports also carry the first output and the first input; only a
// second input at the same time (the keyboard) gets an object of its own.
struct RtMidiBackend::State {
  std::vector<RtMidi::Api> apiOrder;  // tried in turn at the first need
  bool startTried = false;
  RtMidi::Api api = RtMidi::UNSPECIFIED;
  std::string clientName;
  std::vector<std::string> startErrors;
  std::unique_ptr<OutputClient> out;
  std::unique_ptr<GatedInput> in;
  bool outInUse = false;
  bool inInUse = false;

  bool started() const { return out && in; }
  // Makes the clients of `api`; throws the platform's error when they cannot start.
  void start(RtMidi::Api withApi) {
    out = makeOutputClient(withApi, clientName);
    in = std::make_unique<GatedInput>(guarded([&] { return std::make_unique<RtMidiIn>(withApi, clientName); }));
    api = withApi;
  }
  // After the server went away, its clients are dead: once no port uses them,
  // new ones are made (the server may be back), so the ports can be opened again.
  void restartAfterServerLoss() {
    const bool lost = out && out->serverGone();
    if (!(lost || restartPending) || outInUse || inInUse) return;
    abandonDeadInput();
    out.reset();
    in.reset();
    try {
      start(api);
      restartPending = false;
      startErrors.clear();
    } catch (const std::exception& e) {
      out.reset();
      in.reset();
      restartPending = true;  // tried again at the next listing
      startErrors = {rtMidiApiName(api) + ": " + e.what()};
    }
  }
  bool restartPending = false;

  // RtMidi's input closes its client when destroyed, which crashes the library
  // once the server has gone and another runs: the dead one is left behind.
  void abandonDeadInput() {
    if (out && out->serverGone()) static_cast<void>(in.release());
  }
  ~State() { abandonDeadInput(); }
};

class RtMidiOutputConnection : public OutputConnection {
 public:
  RtMidiOutputConnection(RtMidiBackend::State& owner, std::string name) : owner_(owner), name_(std::move(name)) {
    if (owner_.outInUse)
      own_ = makeOutputClient(owner.api, owner.clientName);
    else
      owner_.outInUse = shared_ = true;
    try {
      port().open(name_, "out");
    } catch (...) {
      release();
      throw;
    }
  }
  ~RtMidiOutputConnection() override {
    port().setLostHandler(nullptr);
    port().close();
    release();
  }

  void send(std::span<const Byte> message) override { port().send(name_, message); }
  void setLostHandler(LostHandler handler) override { port().setLostHandler(std::move(handler)); }

 private:
  OutputClient& port() { return shared_ ? *owner_.out : *own_; }
  void release() {
    if (shared_) owner_.outInUse = shared_ = false;
  }

  RtMidiBackend::State& owner_;
  std::string name_;
  bool shared_ = false;
  std::unique_ptr<OutputClient> own_;
};

class RtMidiInputConnection : public InputConnection {
 public:
  RtMidiInputConnection(RtMidiBackend::State& owner, const std::string& name, InputHandler handler)
      : owner_(owner), handler_(std::move(handler)) {
    if (owner_.inInUse)
      own_ = std::make_unique<GatedInput>(
          guarded([&] { return std::make_unique<RtMidiIn>(owner.api, owner.clientName); }));
    else
      owner_.inInUse = shared_ = true;
    try {
      guarded([&] {
        // SysEx, timing clock / time code and active sensing all reach the handlers.
        input().in->ignoreTypes(false, false, false);
        input().gate.attach(&handler_);
        openByName(*input().in, name, "in");
      });
    } catch (...) {
      close();
      throw;
    }
  }
  ~RtMidiInputConnection() override { close(); }

 private:
  GatedInput& input() { return shared_ ? *owner_.in : *own_; }
  void close() {
    input().gate.attach(nullptr);  // waits for a handler that runs now
    try {
      input().in->closePort();
    } catch (const RtMidiError&) {
    }
    own_.reset();
    if (shared_) owner_.inInUse = shared_ = false;
  }

  RtMidiBackend::State& owner_;
  InputHandler handler_;
  bool shared_ = false;
  std::unique_ptr<GatedInput> own_;
};

RtMidiBackend::RtMidiBackend(const std::vector<std::string>& apis, std::string clientName)
    : state_(std::make_unique<State>()) {
  state_->clientName = std::move(clientName);
  for (const std::string& name : apis) {
    if (auto api = rtMidiApiByName(name))
      state_->apiOrder.push_back(*api);
    else
      state_->startErrors.push_back("unknown MIDI API " + name);
  }
  if (apis.empty()) state_->apiOrder = preferredRtMidiApis();
}

// The platform's clients are made when a port of the platform is first
// listed or opened: a program that plays only the built-in module never
// starts a JACK or ALSA client (its threads, memory and wake-ups).
RtMidiBackend::State& RtMidiBackend::state() const {
  if (std::exchange(state_->startTried, true)) return *state_;
  for (RtMidi::Api api : state_->apiOrder) {
    if (const auto why = platformApiUnavailable(api)) {
      state_->startErrors.push_back(rtMidiApiName(api) + ": " + *why);
      continue;
    }
    try {
      state_->start(api);
      break;
    } catch (const std::exception& e) {
      state_->out.reset();
      state_->in.reset();
      state_->startErrors.push_back(rtMidiApiName(api) + ": " + e.what());
    }
  }
  return *state_;
}

RtMidiBackend::~RtMidiBackend() = default;

std::string RtMidiBackend::apiName() const { return state().started() ? rtMidiApiName(state().api) : std::string(); }

const std::vector<std::string>& RtMidiBackend::startErrors() const { return state().startErrors; }

std::string RtMidiBackend::unavailableReason() const {
  if (state().started()) return {};
  std::string reason;
  for (const std::string& e : state().startErrors) reason += (reason.empty() ? "" : "; ") + e;
  return reason;
}

std::vector<std::string> RtMidiBackend::outputNames() {
  state().restartAfterServerLoss();
  if (!state().started()) return {};
  return state().out->names();
}

std::vector<std::string> RtMidiBackend::inputNames() {
  state().restartAfterServerLoss();
  if (!state().started()) return {};
  return guarded([&] { return portNames(*state().in->in); });
}

std::unique_ptr<OutputConnection> RtMidiBackend::openOutput(std::size_t, const std::string& name) {
  state().restartAfterServerLoss();
  if (!state().started()) throw MidiBackendError("no MIDI system is available: " + unavailableReason());
  return std::make_unique<RtMidiOutputConnection>(state(), name);
}

std::unique_ptr<InputConnection> RtMidiBackend::openInput(std::size_t, const std::string& name, InputHandler handler) {
  state().restartAfterServerLoss();
  if (!state().started()) throw MidiBackendError("no MIDI system is available: " + unavailableReason());
  return std::make_unique<RtMidiInputConnection>(state(), name, std::move(handler));
}

}  // namespace quillon::midi
