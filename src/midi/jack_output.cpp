#include "midi/jack_output.h"

#include <cerrno>
#include <chrono>
#include <thread>

#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>

#include "midi/midi_backend.h"

namespace quillon::midi {

namespace {

using Clock = std::chrono::steady_clock;

// Room for many bank dumps at once; a cycle takes all it can of it.
constexpr std::size_t RingBytes = 1 << 16;
// A live server runs a cycle every few milliseconds, even a dummy one on a
// loaded machine; this long without one, it has stopped taking data.
constexpr auto SendStallLimit = std::chrono::seconds(2);
constexpr auto SendPollInterval = std::chrono::milliseconds(1);

using Length = std::uint32_t;  // each queued message is its length, then its bytes

}  // namespace

struct JackOutputClient::Jack {
  jack_client_t* client = nullptr;
  jack_ringbuffer_t* ring = nullptr;
};

JackOutputClient::JackOutputClient(const std::string& clientName) : jack_(std::make_unique<Jack>()) {
  jack_->client = jack_client_open(clientName.c_str(), JackNoStartServer, nullptr);
  if (!jack_->client) throw MidiBackendError("the JACK server is not running");
  jack_->ring = jack_ringbuffer_create(RingBytes);
  jack_set_process_callback(
      jack_->client,
      [](jack_nframes_t frames, void* self) {
        static_cast<JackOutputClient*>(self)->takeQueuedMessages(frames);
        return 0;
      },
      this);
  jack_set_port_registration_callback(
      jack_->client,
      [](jack_port_id_t, int, void* self) { static_cast<JackOutputClient*>(self)->portsChanged_ = true; }, this);
  jack_on_info_shutdown(
      jack_->client,
      [](jack_status_t, const char* reason, void* self) {
        static_cast<JackOutputClient*>(self)->serverShutDown(reason);
      },
      this);
  if (jack_activate(jack_->client) != 0) {
    jack_client_close(jack_->client);
    jack_ringbuffer_free(jack_->ring);
    throw MidiBackendError("the JACK server refused to start our client");
  }
}

JackOutputClient::~JackOutputClient() {
  setLostHandler(nullptr);
  close();
  // A client whose server has gone is left as it is: closing it crashes the
  // library once a new server runs under the same name. Its threads have ended.
  if (!serverGone()) jack_client_close(jack_->client);
  jack_ringbuffer_free(jack_->ring);
}

std::vector<std::string> JackOutputClient::portNames() const {
  std::vector<std::string> names;
  if (serverGone()) return names;
  const char** ports = jack_get_ports(jack_->client, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput);
  if (!ports) return names;
  for (const char** p = ports; *p; ++p) names.emplace_back(*p);
  jack_free(ports);
  return names;
}

void JackOutputClient::open(const std::string& target, const std::string& ourPortName) {
  close();
  if (serverGone()) throw MidiBackendError(goneText());
  jack_port_t* port =
      jack_port_register(jack_->client, ourPortName.c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  if (!port) throw MidiBackendError("the JACK server refused to make the port " + ourPortName);
  {
    std::lock_guard lock(portMutex_);
    jack_ringbuffer_reset(jack_->ring);  // nothing meant for an earlier port
    port_ = port;
  }
  target_ = target;
  portsChanged_ = true;
  const int connected = jack_connect(jack_->client, jack_port_name(port), target.c_str());
  if (connected != 0 && connected != EEXIST) {
    close();
    throw MidiBackendError("MIDI device " + target + " is no longer available");
  }
}

void JackOutputClient::close() {
  std::lock_guard lock(portMutex_);  // a cycle that uses the port ends first
  auto* port = static_cast<jack_port_t*>(port_.exchange(nullptr));
  if (port && !serverGone()) jack_port_unregister(jack_->client, port);
}

void JackOutputClient::send(std::span<const Byte> message) {
  if (serverGone()) throw MidiBackendError(goneText());
  if (!isOpen()) throw MidiBackendError("MIDI output not open");
  // A module unplugged, or its program ended: its port leaves the graph.
  if (portsChanged_.exchange(false) && !jack_port_by_name(jack_->client, target_.c_str()))
    throw MidiBackendError("MIDI device " + target_ + " is no longer available");
  const auto length = static_cast<Length>(message.size());
  const std::size_t needed = sizeof length + length;
  if (needed >= RingBytes)
    throw MidiBackendError("a message of " + std::to_string(length) + " bytes is too long for the JACK output");
  waitForRoom(needed);
  jack_ringbuffer_write(jack_->ring, reinterpret_cast<const char*>(&length), sizeof length);
  jack_ringbuffer_write(jack_->ring, reinterpret_cast<const char*>(message.data()), length);
}

// Waits while cycles run and take data; a server that stops running them
// (gone, or stuck) ends the wait with an error instead of holding the program.
void JackOutputClient::waitForRoom(std::size_t needed) {
  std::uint64_t seenCycles = cycles_.load();
  Clock::time_point lastCycle = Clock::now();
  while (jack_ringbuffer_write_space(jack_->ring) < needed) {
    if (serverGone()) throw MidiBackendError(goneText());
    const Clock::time_point now = Clock::now();
    if (const std::uint64_t c = cycles_.load(); c != seenCycles) {
      seenCycles = c;
      lastCycle = now;
    } else if (now - lastCycle > SendStallLimit) {
      throw MidiBackendError("MIDI output " + target_ + " stopped taking data: the JACK server ran no cycle for " +
                             std::to_string(std::chrono::duration_cast<std::chrono::seconds>(SendStallLimit).count()) +
                             " seconds");
    }
    std::this_thread::sleep_for(SendPollInterval);
  }
}

void JackOutputClient::setLostHandler(LostHandler handler) {
  std::lock_guard lock(lostMutex_);
  lost_ = std::move(handler);
}

std::string JackOutputClient::goneText() const {
  std::lock_guard lock(lostMutex_);
  return lostWhy_.empty() ? "the JACK server has shut down" : "the JACK server has shut down (" + lostWhy_ + ")";
}

// JACK's process thread: never waits, never allocates.
void JackOutputClient::takeQueuedMessages(std::uint32_t frames) {
  cycles_.fetch_add(1, std::memory_order_relaxed);
  std::unique_lock lock(portMutex_, std::try_to_lock);
  auto* port = static_cast<jack_port_t*>(port_.load());
  if (!lock.owns_lock() || !port) return;
  void* buffer = jack_port_get_buffer(port, frames);
  jack_midi_clear_buffer(buffer);
  jack_ringbuffer_t* ring = jack_->ring;
  bool cycleEmpty = true;
  Length length = 0;
  while (jack_ringbuffer_read_space(ring) >= sizeof length) {
    jack_ringbuffer_peek(ring, reinterpret_cast<char*>(&length), sizeof length);
    if (jack_ringbuffer_read_space(ring) < sizeof length + length) break;  // still being written
    jack_midi_data_t* slot = jack_midi_event_reserve(buffer, 0, length);
    if (!slot && !cycleEmpty) break;  // this cycle is full: the rest goes in the next
    jack_ringbuffer_read_advance(ring, sizeof length);
    if (!slot) {
      // Longer than a whole cycle holds: it would stop everything behind it for good.
      jack_ringbuffer_read_advance(ring, length);
      continue;
    }
    jack_ringbuffer_read(ring, reinterpret_cast<char*>(slot), length);
    cycleEmpty = false;
  }
}

// A thread of JACK's, once, when the server goes away.
void JackOutputClient::serverShutDown(const char* reason) {
  {
    std::lock_guard lock(lostMutex_);
    lostWhy_ = reason ? reason : "";
  }
  serverGone_ = true;
  const std::string why = goneText();
  std::lock_guard lock(lostMutex_);
  if (lost_) lost_(why);
}

}  // namespace quillon::midi
