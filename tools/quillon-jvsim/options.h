#pragma once
// Command line of quillon-jvsim.

#include <optional>
#include <string>
#include <vector>

#include "engine/sysex.h"
#include "midi/model/virtual_module.h"

namespace quillon::jvsim {

struct Options {
  std::string api;                     // RtMidi API name; empty: ALSA, then JACK
  std::string name = "quillon-jvsim";  // client names are NAME-in and NAME-out
  int unitId = roland::DefaultUnitId;
  ModuleType type = ModuleType::JV1080;
  std::string loadFile;
  std::string saveFile;
  bool wireSpeed = false;  // pace answers at MIDI's 3125 bytes/s
  int replyDelayMs = 0;
  bool silent = false;                  // answers nothing
  int dropEvery = 0;                    // 0: never
  int corruptEvery = 0;                 // 0: never
  bool echo = false;                    // sends every received message back out unchanged
  int loseEvery = 0;                    // 0: never; else every Nth data set it is sent is not stored
  bool playNote = false;                // a note-on goes out before the first answer
  bool clockInside = false;             // a clock and an active-sensing byte in the middle of every answer
  std::vector<jv::DumpArea> dumpAreas;  // sent unasked, in this order, as a dump started on the panel
  int dumpAfterMs = 2000;               // time for a receiver to connect first
  bool verbose = false;
  bool help = false;
};

// The options, or an error text for the first bad argument.
struct ParsedOptions {
  Options options;
  std::string error;
};
ParsedOptions parseOptions(const std::vector<std::string>& args);

extern const char* const UsageText;

}  // namespace quillon::jvsim
