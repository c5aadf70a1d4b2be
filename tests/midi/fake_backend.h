#pragma once
// A backend under the test's control: fixed device names, every message sent
// recorded, input injected from any thread, failures on demand.

#include <gtest/gtest.h>

#include <mutex>

#include "midi/midi_backend.h"

namespace quillon::testing {

class FakeBackend : public midi::MidiBackend {
 public:
  std::vector<std::string> outputs{"Out A", "Out B", "Out C"};
  std::vector<std::string> inputs{"In A", "In B"};
  std::string openError;  // non-empty: opening fails with this text
  std::string sendError;  // non-empty: sending fails with this text
  std::vector<Bytes> sent;
  std::size_t openedOutput = 0;
  std::size_t openedInput = 0;

  std::vector<std::string> outputNames() override { return outputs; }
  std::vector<std::string> inputNames() override { return inputs; }

  std::unique_ptr<midi::OutputConnection> openOutput(std::size_t device, const std::string& name) override {
    EXPECT_EQ(outputs.at(device), name);
    if (!openError.empty()) throw midi::MidiBackendError(openError);
    openedOutput = device;
    return std::make_unique<Output>(*this);
  }
  std::unique_ptr<midi::InputConnection> openInput(std::size_t device, const std::string& name,
                                                   midi::InputHandler handler) override {
    EXPECT_EQ(inputs.at(device), name);
    if (!openError.empty()) throw midi::MidiBackendError(openError);
    openedInput = device;
    return std::make_unique<Input>(*this, std::move(handler));
  }

  // Plays the platform's MIDI thread: hands one message to the open input.
  void inject(std::span<const Byte> message) {
    std::lock_guard lock(mutex_);
    if (handler_) handler_(message);
  }
  void inject(std::initializer_list<Byte> message) { inject(std::span<const Byte>(message.begin(), message.size())); }
  bool inputOpen() {
    std::lock_guard lock(mutex_);
    return static_cast<bool>(handler_);
  }

 private:
  struct Output : midi::OutputConnection {
    explicit Output(FakeBackend& o) : owner(o) {}
    void send(std::span<const Byte> message) override {
      if (!owner.sendError.empty()) throw midi::MidiBackendError(owner.sendError);
      owner.sent.emplace_back(message.begin(), message.end());
    }
    FakeBackend& owner;
  };
  struct Input : midi::InputConnection {
    Input(FakeBackend& o, midi::InputHandler h) : owner(o) {
      std::lock_guard lock(owner.mutex_);
      owner.handler_ = std::move(h);
    }
    ~Input() override {
      std::lock_guard lock(owner.mutex_);
      owner.handler_ = nullptr;
    }
    FakeBackend& owner;
  };
  std::mutex mutex_;
  midi::InputHandler handler_;
};

}  // namespace quillon::testing
