#pragma once
// The platform's MIDI ports through RtMidi. The first API in the list that
// starts (when a port is first listed or opened) is used for everything;
// when none starts the lists are empty. APIs
// are tried quietly: why they failed is kept for the message of a port that
// was asked for, not printed.

#include <memory>
#include <string>
#include <vector>

#include "midi/midi_backend.h"

namespace quillon::midi {

class RtMidiBackend : public MidiBackend {
 public:
  // APIs by RtMidi name ("alsa", "jack"); empty means the platform's order.
  explicit RtMidiBackend(const std::vector<std::string>& apis = {}, std::string clientName = "Quillon");
  ~RtMidiBackend() override;

  // The RtMidi name of the API in use, empty when none could start.
  std::string apiName() const;
  // Why the APIs tried could not start, one line each.
  const std::vector<std::string>& startErrors() const;

  std::vector<std::string> outputNames() override;
  std::vector<std::string> inputNames() override;
  std::unique_ptr<OutputConnection> openOutput(std::size_t device, const std::string& name) override;
  std::unique_ptr<InputConnection> openInput(std::size_t device, const std::string& name,
                                             InputHandler handler) override;
  std::string unavailableReason() const override;

  struct State;  // RtMidi stays out of this header

 private:
  State& state() const;  // the platform's clients, started at the first need
  std::unique_ptr<State> state_;
};

}  // namespace quillon::midi
