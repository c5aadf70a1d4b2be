#pragma once
// Quiet checks of the platform's MIDI systems before RtMidi is asked to start
// them. RtMidi and the libraries under it print their complaints to stderr
// (dozens of lines on a machine without a sequencer or a JACK server, and
// again at every port listing); a check that fails keeps the text instead, so
// that it reaches the user once, where a port will not open.

#include <RtMidi.h>

#include <optional>
#include <string>

namespace quillon::midi {

// Why `api` cannot start, or nothing when it may. Prints nothing either way;
// for JACK, also keeps the library's later messages off stderr.
std::optional<std::string> platformApiUnavailable(RtMidi::Api api);

}  // namespace quillon::midi
