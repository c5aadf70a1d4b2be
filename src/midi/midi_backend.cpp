#include "midi/midi_backend.h"

#include <algorithm>

#include "midi/rtmidi_backend.h"
#include "midi/virtual_backend.h"

namespace quillon::midi {

namespace {

// The parts' lists one after the other, up to the part where `enough` holds.
template <typename List, typename Enough>
std::vector<std::string> joinedUntil(const std::vector<MidiBackend*>& parts, List list, Enough enough) {
  std::vector<std::string> all;
  for (MidiBackend* part : parts) {
    auto names = (part->*list)();
    all.insert(all.end(), names.begin(), names.end());
    if (enough(all)) break;
  }
  return all;
}

template <typename List>
std::vector<std::string> joined(const std::vector<MidiBackend*>& parts, List list) {
  return joinedUntil(parts, list, [](const std::vector<std::string>&) { return false; });
}

template <typename List>
std::vector<std::string> joinedTo(const std::vector<MidiBackend*>& parts, List list, const std::string& wanted) {
  return joinedUntil(parts, list, [&wanted](const std::vector<std::string>& all) {
    return !wanted.empty() && std::find(all.begin(), all.end(), wanted) != all.end();
  });
}

template <typename List>
std::vector<std::string> joinedTo(const std::vector<MidiBackend*>& parts, List list, std::size_t position) {
  return joinedUntil(parts, list, [position](const std::vector<std::string>& all) { return all.size() > position; });
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
std::vector<std::string> CombinedBackend::outputNamesFor(const std::string& wanted) {
  return joinedTo(parts_, &MidiBackend::outputNames, wanted);
}
std::vector<std::string> CombinedBackend::inputNamesFor(const std::string& wanted) {
  return joinedTo(parts_, &MidiBackend::inputNames, wanted);
}
std::vector<std::string> CombinedBackend::outputNamesFor(std::size_t position) {
  return joinedTo(parts_, &MidiBackend::outputNames, position);
}
std::vector<std::string> CombinedBackend::inputNamesFor(std::size_t position) {
  return joinedTo(parts_, &MidiBackend::inputNames, position);
}

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
