#pragma once
// MIDI output on JACK through a client of our own rather than RtMidi's: its
// send waits for room in the buffer without end (a dead server never empties
// it), and it is never told that the server has gone. This one waits a bounded
// time, and hears of the server's shutdown.

#include <atomic>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "engine/sysex.h"
#include "midi/midi_backend.h"

namespace quillon::midi {

class JackOutputClient {
 public:
  // Opens and activates a client under `clientName` (JACK may number it);
  // throws MidiBackendError when no server runs.
  explicit JackOutputClient(const std::string& clientName);
  ~JackOutputClient();
  JackOutputClient(const JackOutputClient&) = delete;
  JackOutputClient& operator=(const JackOutputClient&) = delete;

  // The MIDI input ports of the graph, by full name, in JACK's order.
  std::vector<std::string> portNames() const;
  // Registers our port `ourPortName` and connects it to `target`.
  void open(const std::string& target, const std::string& ourPortName);
  void close();
  bool isOpen() const { return port_.load() != nullptr; }
  // Queues one message for the next cycle. Throws MidiBackendError when the
  // server has gone, the target has left, or no cycle has taken anything for
  // SendStallLimit while the buffer stays full.
  void send(std::span<const Byte> message);

  // Whether the server has shut down; the client is of no use from then on.
  bool serverGone() const { return serverGone_.load(); }
  void setLostHandler(LostHandler handler);

 private:
  struct Jack;  // the library's handles stay out of this header
  // JACK's threads: each cycle, and the server's shutdown.
  void takeQueuedMessages(std::uint32_t frames);
  void serverShutDown(const char* reason);
  void waitForRoom(std::size_t needed);
  std::string goneText() const;

  std::unique_ptr<Jack> jack_;
  std::atomic<void*> port_{nullptr};
  std::string target_;
  // The process callback only tries it: a cycle never waits for the GUI thread.
  std::mutex portMutex_;
  std::atomic<bool> serverGone_{false};
  // Set by JACK when a port comes or goes: the target is looked up again
  // then, not at every message (a scan of the whole graph).
  std::atomic<bool> portsChanged_{true};
  std::atomic<std::uint64_t> cycles_{0};
  mutable std::mutex lostMutex_;
  std::string lostWhy_;
  LostHandler lost_;
};

}  // namespace quillon::midi
