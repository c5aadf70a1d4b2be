#include "options.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace quillon::jvsim {

const char* const UsageText =
    "usage: quillon-jvsim [options]\n"
    "  The virtual JV module on MIDI ports NAME-in:in and NAME-out:out.\n"
    "  --api alsa|jack        MIDI API (default: ALSA, then JACK)\n"
    "  --name NAME            client name base (default quillon-jvsim)\n"
    "  --unit-id 17..32       unit ID; the device byte is one less (default 17)\n"
    "  --type TYPE            JV1010, JV1080, JV2080, XP30, XP50, XP60, XP80 (default JV1080)\n"
    "  --load FILE           User performances from a .syx dump (or a MIDI file of one) at start\n"
    "  --save FILE.syx        User performances written to a .syx dump at exit\n"
    "  --wire-speed           model the MIDI cable both ways (3125 bytes/s): a message is\n"
    "                         taken when carried whole, answers arrive at the cable's\n"
    "                         pace, and a burst beyond a small receive buffer is lost\n"
    "  --reply-delay MS       wait before each answer\n"
    "  --silent               answer nothing\n"
    "  --drop-every N         leave out every Nth answer\n"
    "  --corrupt-every N      spoil the checksum of every Nth answer\n"
    "  --echo                 also send every received message back unchanged\n"
    "  --lose-every N         store nothing of every Nth data set sent to it\n"
    "  --play-note            send a note-on before the first answer, as a played key\n"
    "  --clock-inside         put a clock (F8) and an active sensing (FE) byte inside every\n"
    "                         answer, as a merger with a running clock does\n"
    "  --dump AREA            send AREA's data unasked at the wire's pace, as a bulk dump\n"
    "                         started on the panel: temp, user, card or system (may repeat)\n"
    "  --dump-after SECONDS   start the dump this long after the ports open (default 2);\n"
    "                         a SIGUSR1 starts it at once\n"
    "  -v                     one line per message\n";

namespace {

std::optional<int> number(const std::string& text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string squeezed(std::string text) {
  std::erase_if(text, [](unsigned char c) { return c == ' ' || c == '-' || c == '_'; });
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}

// "JV 2080", "jv2080" and "JV-2080" all name the same type.
std::optional<ModuleType> moduleType(const std::string& text) {
  for (int i = 0; i < ModuleTypeCount; ++i)
    if (squeezed(std::string(ModuleTypeNames[i])) == squeezed(text)) return static_cast<ModuleType>(i);
  return std::nullopt;
}

std::optional<jv::DumpArea> dumpArea(const std::string& text) {
  if (text == "temp") return jv::DumpArea::Temporary;
  if (text == "user") return jv::DumpArea::User;
  if (text == "card") return jv::DumpArea::Card;
  if (text == "system") return jv::DumpArea::System;
  return std::nullopt;
}

constexpr double MillisecondsPerSecond = 1000.0;
constexpr double MaxDumpAfterSeconds = 3600.0;

// Seconds, whole or decimal, as milliseconds.
std::optional<int> milliseconds(const std::string& text) {
  double seconds = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  if (ec != std::errc() || end != text.data() + text.size() || !(seconds >= 0 && seconds <= MaxDumpAfterSeconds))
    return std::nullopt;
  return static_cast<int>(seconds * MillisecondsPerSecond);
}

}  // namespace

ParsedOptions parseOptions(const std::vector<std::string>& args) {
  ParsedOptions result;
  Options& o = result.options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const auto value = [&]() -> std::optional<std::string> {
      if (i + 1 >= args.size()) return std::nullopt;
      return args[++i];
    };
    const auto positive = [&](int& target, int minimum) {
      const auto text = value();
      const auto n = text ? number(*text) : std::nullopt;
      if (!n || *n < minimum) return false;
      target = *n;
      return true;
    };
    bool ok = true;
    if (arg == "--api") {
      const auto v = value();
      ok = v.has_value();
      if (ok) o.api = *v;
    } else if (arg == "--name") {
      const auto v = value();
      ok = v && !v->empty();
      if (ok) o.name = *v;
    } else if (arg == "--unit-id") {
      ok = positive(o.unitId, 0) && isValidUnitId(o.unitId);
    } else if (arg == "--type") {
      const auto v = value();
      const auto t = v ? moduleType(*v) : std::nullopt;
      ok = t.has_value();
      if (ok) o.type = *t;
    } else if (arg == "--load" || arg == "--save") {
      const auto v = value();
      ok = v && !v->empty();
      if (ok) (arg == "--load" ? o.loadFile : o.saveFile) = *v;
    } else if (arg == "--wire-speed") {
      o.wireSpeed = true;
    } else if (arg == "--reply-delay") {
      ok = positive(o.replyDelayMs, 0);
    } else if (arg == "--silent") {
      o.silent = true;
    } else if (arg == "--drop-every") {
      ok = positive(o.dropEvery, 1);
    } else if (arg == "--corrupt-every") {
      ok = positive(o.corruptEvery, 1);
    } else if (arg == "--echo") {
      o.echo = true;
    } else if (arg == "--lose-every") {
      ok = positive(o.loseEvery, 1);
    } else if (arg == "--play-note") {
      o.playNote = true;
    } else if (arg == "--clock-inside") {
      o.clockInside = true;
    } else if (arg == "--dump") {
      const auto v = value();
      const auto area = v ? dumpArea(*v) : std::nullopt;
      ok = area.has_value();
      if (ok) o.dumpAreas.push_back(*area);
    } else if (arg == "--dump-after") {
      const auto v = value();
      const auto ms = v ? milliseconds(*v) : std::nullopt;
      ok = ms.has_value();
      if (ok) o.dumpAfterMs = *ms;
    } else if (arg == "-v" || arg == "--verbose") {
      o.verbose = true;
    } else if (arg == "-h" || arg == "--help") {
      o.help = true;
    } else {
      result.error = "unknown option " + arg;
      return result;
    }
    if (!ok) {
      result.error = "bad or missing value for " + arg;
      return result;
    }
  }
  return result;
}

}  // namespace quillon::jvsim
