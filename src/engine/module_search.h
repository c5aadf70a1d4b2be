#pragma once
// Finding the module: which output reaches it, which input it answers on, and
// at which unit ID. Each output is asked at every unit ID for a few bytes of
// the system area; an answer carries the unit's device byte, which names the
// unit ID. Everything heard on the inputs is judged here: a request that comes
// back, or a message equal to one sent, is an echo (a MIDI loop), never a module.
// The Find Module dialog and quillon-syx find both run it; they own the ports.

#include <array>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "engine/sysex.h"

namespace quillon {

namespace module_search {
// The panel mode, the system area's first byte: held by every model, and
// asked for alone by nothing else (the effect windows read the switches), so an
// answer that another requester brought is not taken for one to the search.
inline constexpr SysexAddress ProbeAddress{address::AreaSystem, 0, 0, address::SystemPanelMode};
inline constexpr std::uint32_t ProbeSize = 1;
// The universal Identity Request to every device; not documented for this
// family, so a reply is shown but never relied on.
inline constexpr std::array<Byte, 6> IdentityRequest{midi_byte::SysexStart, 0x7E, 0x7F, 0x06, 0x01,
                                                     midi_byte::SysexEnd};
inline constexpr int UnitIdCount = roland::MaxUnitId - roland::MinUnitId + 1;
}  // namespace module_search

// One request of the search: output `output` (its index) at `unitId`.
struct SearchProbe {
  int output = 0;
  int unitId = roland::DefaultUnitId;
};

struct ModuleFound {
  int output = 0;
  int input = 0;
  int unitId = roland::DefaultUnitId;
  bool operator==(const ModuleFound&) const = default;
};

class ModuleSearch {
 public:
  enum class Heard { Answer, Echo, IdentityReply, OtherSysex, ChannelMessage };

  // `onlyOutput`: the index of the one output to ask; every output otherwise.
  ModuleSearch(std::vector<std::string> outputs, std::vector<std::string> inputs,
               std::optional<int> onlyOutput = std::nullopt);

  // Every request, output by output, unit IDs 17..32 on each.
  const std::vector<SearchProbe>& probes() const { return probes_; }
  std::vector<int> outputsAsked() const;
  static Bytes requestFor(int unitId);
  // A port of this program or of another Quillon (client "Quillon" or, as JACK
  // numbers a second one, "Quillon-01"): never the module, so never asked.
  static bool isProgramPort(const std::string& name);

  // A message left on `output`; `unitId` 0 for the identity request.
  void sent(int output, std::span<const Byte> message, int unitId = 0);
  // A message from input `input` (SysEx whole, or a channel or real-time message).
  Heard hear(int input, std::span<const Byte> message);
  void outputFailed(int output, const std::string& why);
  void inputFailed(int input, const std::string& why);
  void inputLost(int input, std::uint64_t events);
  void cancel() { cancelled_ = true; }
  bool cancelled() const { return cancelled_; }

  const std::vector<ModuleFound>& found() const { return found_; }
  bool outputUsable(int output) const { return !failedOutputs_.contains(output); }
  // "out "X", in "Y", unit ID 17"
  std::string foundText(const ModuleFound& f) const;
  // The offer made for a find: "Module found: out X, in Y, unit ID 17 — use these?"
  std::string question(const ModuleFound& f) const;
  // What the search saw apart from its finds, one line each: echoes, noise,
  // lost events, ports that failed, identity replies.
  std::vector<std::string> observations() const;
  // The finds (or that nothing answered), then the observations.
  std::string report() const;

  const std::string& outputName(int output) const { return outputs_.at(static_cast<std::size_t>(output)); }
  const std::string& inputName(int input) const { return inputs_.at(static_cast<std::size_t>(input)); }

 private:
  struct InputSeen {
    int echoes = 0;
    int echoFromOutput = -1;
    int channelMessages = 0;
    int otherSysex = 0;
    std::uint64_t lost = 0;
    std::string identityReply;
  };
  InputSeen& seen(int input) { return seen_[input]; }
  Heard answer(int input, std::span<const Byte> message);

  std::vector<std::string> outputs_;
  std::vector<std::string> inputs_;
  std::vector<SearchProbe> probes_;
  std::set<Bytes> sentMessages_;
  std::map<int, int> lastOutputFor_;  // by unit ID: the output it was last asked on
  int lastOutput_ = -1;
  std::vector<ModuleFound> found_;
  std::map<int, InputSeen> seen_;
  std::map<int, std::string> failedOutputs_;
  std::map<int, std::string> failedInputs_;
  bool cancelled_ = false;
};

}  // namespace quillon
