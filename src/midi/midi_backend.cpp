#include "midi/midi_backend.h"

#include "midi/rtmidi_backend.h"
#include "midi/virtual_backend.h"

namespace quillon::midi {

namespace {

template <typename List>
std::vector<std::string> joined(const std::vector<MidiBackend*>& parts, List list) {
  std::vector<std::string> all;
  for (MidiBackend* part : parts) {
    auto names = (part->*list)();
    all.insert(all.end(), names.begin(), names.end());
  }
  return all;
}

// The backend that holds combined device `device`, and its number there.
template <typename List>
std::pair<MidiBackend*, std::size_t> locate(const std::vector<MidiBackend*>& parts, List list, std::size_t device) {
  for (MidiBackend* part : parts) {
    const std::size_t count = (part->*list)().size();
    if (device < count) return {part, device};
    device -= count;
  }
  throw MidiBackendError("no MIDI device with that number");
}

}  // namespace

std::vector<std::string> CombinedBackend::outputNames() { return joined(parts_, &MidiBackend::outputNames); }
std::vector<std::string> CombinedBackend::inputNames() { return joined(parts_, &MidiBackend::inputNames); }

std::unique_ptr<OutputConnection> CombinedBackend::openOutput(std::size_t device, const std::string& name) {
  auto [part, local] = locate(parts_, &MidiBackend::outputNames, device);
  return part->openOutput(local, name);
}

std::unique_ptr<InputConnection> CombinedBackend::openInput(std::size_t device, const std::string& name,
                                                            InputHandler handler) {
  auto [part, local] = locate(parts_, &MidiBackend::inputNames, device);
  return part->openInput(local, name, std::move(handler));
}

std::string CombinedBackend::unavailableReason() const {
  std::string reason;
  for (const MidiBackend* part : parts_)
    if (const std::string r = part->unavailableReason(); !r.empty()) reason += (reason.empty() ? "" : "; ") + r;
  return reason;
}

VirtualModuleBackend& virtualModuleBackend() {
  static VirtualModuleBackend backend;
  return backend;
}

MidiBackend& systemMidiBackend() {
  static RtMidiBackend platform;
  static CombinedBackend combined({&virtualModuleBackend(), &platform});
  return combined;
}

}  // namespace quillon::midi
