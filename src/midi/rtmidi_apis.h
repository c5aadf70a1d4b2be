#pragma once
// Which RtMidi APIs to try, in order. RtMidi throws when an API cannot start
// (no sequencer device, for instance), so callers try each in turn.

#include <RtMidi.h>

#include <optional>
#include <string>
#include <vector>

namespace quillon::midi {

inline std::vector<RtMidi::Api> preferredRtMidiApis() {
#if defined(__linux__)
  return {RtMidi::LINUX_ALSA, RtMidi::UNIX_JACK};
#else
  return {RtMidi::UNSPECIFIED};
#endif
}

// "alsa", "jack", ... as RtMidi names them; nothing for an unknown name.
inline std::optional<RtMidi::Api> rtMidiApiByName(const std::string& name) {
  const RtMidi::Api api = RtMidi::getCompiledApiByName(name);
  if (api == RtMidi::UNSPECIFIED) return std::nullopt;
  return api;
}

inline std::string rtMidiApiName(RtMidi::Api api) { return RtMidi::getApiName(api); }

}  // namespace quillon::midi
