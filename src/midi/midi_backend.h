#pragma once
// The seam under the port classes: a list of output and input devices, and
// connections to them. Device numbers are positions in the lists.

#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/sysex.h"

namespace quillon::midi {

// A platform failure; the port classes rethrow its text as their own exception.
class MidiBackendError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Called with one complete message (a SysEx message whole, F0..F7), possibly
// on a thread of the backend. It must not block.
using InputHandler = std::function<void(std::span<const Byte> message)>;

// Called once, possibly on a thread of the backend, when a connection is lost
// for good (the platform's MIDI server shut down), with why. It must not block.
using LostHandler = std::function<void(const std::string& why)>;

class OutputConnection {
 public:
  virtual ~OutputConnection() = default;
  // Sends one complete message; throws MidiBackendError when the device is
  // gone or, after a bounded wait, takes no data.
  virtual void send(std::span<const Byte> message) = 0;
  // Where a loss is reported; a backend without a server to lose never calls it.
  virtual void setLostHandler(LostHandler) {}
};

// Closing is destruction: once the destructor returns, the handler is never
// called again.
class InputConnection {
 public:
  virtual ~InputConnection() = default;
};

class MidiBackend {
 public:
  virtual ~MidiBackend() = default;
  virtual std::vector<std::string> outputNames() = 0;
  virtual std::vector<std::string> inputNames() = 0;
  // The list as far as it must go to hold `wanted` (all of it when `wanted`
  // is empty or not there): a port of the built-in module is found without
  // starting the platform's MIDI clients.
  virtual std::vector<std::string> outputNamesFor(const std::string& /*wanted*/) { return outputNames(); }
  virtual std::vector<std::string> inputNamesFor(const std::string& /*wanted*/) { return inputNames(); }
  // The same for a port chosen by its place in the list.
  virtual std::vector<std::string> outputNamesFor(std::size_t /*position*/) { return outputNames(); }
  virtual std::vector<std::string> inputNamesFor(std::size_t /*position*/) { return inputNames(); }
  // `device` is a position in the list just read and `name` the name found
  // there: lists shift when other programs add or remove ports, so a backend
  // whose numbers are not stable opens by name. Both throw MidiBackendError
  // with the platform's text.
  virtual std::unique_ptr<OutputConnection> openOutput(std::size_t device, const std::string& name) = 0;
  virtual std::unique_ptr<InputConnection> openInput(std::size_t device, const std::string& name,
                                                     InputHandler handler) = 0;
  // Why the platform's devices could not be listed at all ("" when they could):
  // the text for a port that was asked for and is not there.
  virtual std::string unavailableReason() const { return {}; }
};

// Several backends one after the other: device numbers run through the first
// backend's devices, then the second's, and so on.
class CombinedBackend : public MidiBackend {
 public:
  explicit CombinedBackend(std::vector<MidiBackend*> parts) : parts_(std::move(parts)) {}
  std::vector<std::string> outputNames() override;
  std::vector<std::string> inputNames() override;
  std::vector<std::string> outputNamesFor(const std::string& wanted) override;
  std::vector<std::string> inputNamesFor(const std::string& wanted) override;
  std::vector<std::string> outputNamesFor(std::size_t position) override;
  std::vector<std::string> inputNamesFor(std::size_t position) override;
  std::unique_ptr<OutputConnection> openOutput(std::size_t device, const std::string& name) override;
  std::unique_ptr<InputConnection> openInput(std::size_t device, const std::string& name,
                                             InputHandler handler) override;
  std::string unavailableReason() const override;

 private:
  std::vector<MidiBackend*> parts_;
};

class VirtualModuleBackend;

// The process's devices: the virtual module as device 0, then the platform's
// ports through RtMidi.
MidiBackend& systemMidiBackend();
// The virtual module behind device 0, for its unit ID and module type.
VirtualModuleBackend& virtualModuleBackend();

}  // namespace quillon::midi
