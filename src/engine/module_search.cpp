#include "engine/module_search.h"

#include <algorithm>

#include "engine/midi_message.h"

namespace quillon {

namespace {

constexpr Byte UniversalNonRealTime = 0x7E;
constexpr Byte GeneralInformation = 0x06;
constexpr Byte IdentityReplyId = 0x02;
constexpr std::size_t IdentityShownBytes = 15;
constexpr std::size_t PosSubId1 = 3;
constexpr std::size_t PosSubId2 = 4;

bool isSysex(std::span<const Byte> m) { return !m.empty() && m.front() == midi_byte::SysexStart; }

bool isRolandRequest(std::span<const Byte> m) {
  return m.size() > roland::PosCommand && m[roland::PosManufacturer] == roland::ManufacturerId &&
         m[roland::PosCommand] == roland::CommandRQ1;
}

bool isUniversal(std::span<const Byte> m, Byte subId2) {
  return m.size() > PosSubId2 && m[1] == UniversalNonRealTime && m[PosSubId1] == GeneralInformation &&
         m[PosSubId2] == subId2;
}

std::string quoted(const std::string& name) { return "\"" + name + "\""; }

std::string hexText(std::span<const Byte> bytes) {
  std::string text;
  for (std::size_t i = 0; i < std::min(bytes.size(), IdentityShownBytes); ++i) text += (i ? " " : "") + hex2(bytes[i]);
  if (bytes.size() > IdentityShownBytes) text += " ...";
  return text;
}

}  // namespace

ModuleSearch::ModuleSearch(std::vector<std::string> outputs, std::vector<std::string> inputs,
                           std::optional<int> onlyOutput)
    : outputs_(std::move(outputs)), inputs_(std::move(inputs)) {
  for (int out = 0; out < static_cast<int>(outputs_.size()); ++out) {
    if ((onlyOutput && *onlyOutput != out) || isProgramPort(outputs_[static_cast<std::size_t>(out)])) continue;
    for (int id = roland::MinUnitId; id <= roland::MaxUnitId; ++id) probes_.push_back({out, id});
  }
}

std::vector<int> ModuleSearch::outputsAsked() const {
  std::vector<int> outs;
  for (const SearchProbe& p : probes_)
    if (outs.empty() || outs.back() != p.output) outs.push_back(p.output);
  return outs;
}

bool ModuleSearch::isProgramPort(const std::string& name) {
  constexpr std::string_view Client = "Quillon";
  const std::string_view client = std::string_view(name).substr(0, name.find(':'));
  if (client.size() == name.size() || !client.starts_with(Client)) return false;
  const std::string_view number = client.substr(Client.size());
  return number.empty() || (number.size() > 1 && number[0] == '-' &&
                            std::all_of(number.begin() + 1, number.end(), [](char c) { return c >= '0' && c <= '9'; }));
}

Bytes ModuleSearch::requestFor(int unitId) {
  return buildRQ1(deviceByte(unitId), module_search::ProbeAddress, module_search::ProbeSize);
}

void ModuleSearch::sent(int output, std::span<const Byte> message, int unitId) {
  sentMessages_.emplace(message.begin(), message.end());
  lastOutput_ = output;
  if (isValidUnitId(unitId)) lastOutputFor_[unitId] = output;
}

ModuleSearch::Heard ModuleSearch::hear(int input, std::span<const Byte> message) {
  InputSeen& s = seen(input);
  if (!isSysex(message)) {
    ++s.channelMessages;
    return Heard::ChannelMessage;
  }
  // What went out coming back in: a loop, a thru, a merger. Never a module.
  if (isRolandRequest(message) || isUniversal(message, module_search::IdentityRequest[PosSubId2]) ||
      sentMessages_.contains(Bytes(message.begin(), message.end()))) {
    if (s.echoes++ == 0) s.echoFromOutput = lastOutput_;
    return Heard::Echo;
  }
  if (isUniversal(message, IdentityReplyId)) {
    if (s.identityReply.empty()) s.identityReply = hexText(message);
    return Heard::IdentityReply;
  }
  return answer(input, message);
}

ModuleSearch::Heard ModuleSearch::answer(int input, std::span<const Byte> message) {
  DT1Message dt1;
  const int unitId = message.size() > roland::PosDevice ? message[roland::PosDevice] + 1 : 0;
  const auto asked = lastOutputFor_.find(unitId);
  if (parseDT1(message, dt1) != DT1Check::Ok || dt1.address != module_search::ProbeAddress ||
      dt1.data.size() != module_search::ProbeSize || asked == lastOutputFor_.end()) {
    ++seen(input).otherSysex;
    return Heard::OtherSysex;
  }
  // The unit was last asked on this output: its answer follows within a few
  // delays, long before the same unit ID is asked on the next output.
  const ModuleFound f{asked->second, input, unitId};
  if (std::find(found_.begin(), found_.end(), f) == found_.end()) found_.push_back(f);
  return Heard::Answer;
}

void ModuleSearch::outputFailed(int output, const std::string& why) { failedOutputs_.emplace(output, why); }
void ModuleSearch::inputFailed(int input, const std::string& why) { failedInputs_.emplace(input, why); }
void ModuleSearch::inputLost(int input, std::uint64_t events) { seen(input).lost += events; }

std::string ModuleSearch::foundText(const ModuleFound& f) const {
  return "out " + quoted(outputName(f.output)) + ", in " + quoted(inputName(f.input)) + ", unit ID " +
         std::to_string(f.unitId);
}

std::string ModuleSearch::question(const ModuleFound& f) const {
  return "Module found: " + foundText(f) + " \u2014 use these?";
}

std::vector<std::string> ModuleSearch::observations() const {
  std::vector<std::string> lines;
  for (const auto& [out, why] : failedOutputs_) lines.push_back("Out " + quoted(outputName(out)) + " failed: " + why);
  for (const auto& [in, why] : failedInputs_) lines.push_back("In " + quoted(inputName(in)) + " failed: " + why);
  for (const auto& [in, s] : seen_) {
    const std::string name = "In " + quoted(inputName(in));
    if (s.echoes > 0)
      lines.push_back(name + ": " + std::to_string(s.echoes) + " request(s) came back unchanged" +
                      (s.echoFromOutput >= 0 ? " from out " + quoted(outputName(s.echoFromOutput)) : "") +
                      ": a MIDI loop or thru echoes them; an echo is no module");
    if (s.channelMessages > 0)
      lines.push_back(name + ": " + std::to_string(s.channelMessages) +
                      " note, controller or clock message(s) ignored");
    if (s.otherSysex > 0)
      lines.push_back(name + ": " + std::to_string(s.otherSysex) + " other SysEx message(s) ignored");
    if (s.lost > 0) lines.push_back(name + ": " + std::to_string(s.lost) + " message(s) lost, the input was flooded");
    if (!s.identityReply.empty()) lines.push_back(name + ": identity reply " + s.identityReply);
  }
  return lines;
}

std::string ModuleSearch::report() const {
  std::string text = cancelled_ ? "Find Module was cancelled.\n" : "";
  for (const ModuleFound& f : found_) text += "Module found: " + foundText(f) + "\n";
  if (found_.empty())
    text += cancelled_ ? "No module answered so far.\n"
                       : "No module answered at unit IDs " + std::to_string(roland::MinUnitId) + ".." +
                             std::to_string(roland::MaxUnitId) + " on " + std::to_string(outputsAsked().size()) +
                             " output(s).\n";
  for (const std::string& line : observations()) text += line + "\n";
  return text;
}

}  // namespace quillon
