#include "transfer_session.h"

#include "cli_common.h"
#include "midi/midi_backend.h"
#include "settings/device_settings.h"
#include "find_command.h"
#include "transfer_commands.h"

namespace quillon::cli {

namespace {

bool acceptsVerify(const std::string& command) {
  return command == "send-temp" || command == "send-bank" || command == "store";
}

std::optional<BankArea> bankByName(const std::string& name) {
  if (name == "user") return BankArea::User;
  if (name == "card") return BankArea::Card;
  return std::nullopt;
}

constexpr double MinIdleSeconds = 0.1;
constexpr double MaxIdleSeconds = 600;
constexpr double MsPerSecond = 1000;

std::optional<int> secondsAsMs(const std::string& text) {
  try {
    std::size_t used = 0;
    const double seconds = std::stod(text, &used);
    if (used != text.size() || !(seconds >= MinIdleSeconds && seconds <= MaxIdleSeconds)) return std::nullopt;
    return static_cast<int>(seconds * MsPerSecond);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace

// Options and positional arguments after the command; an error text on failure.
std::string parseTransferOptions(const std::vector<std::string>& args, TransferOptions& o) {
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.rfind("--", 0) != 0) {
      o.positional.push_back(a);
      continue;
    }
    if (a == "--verify" && acceptsVerify(args[0])) {
      o.verify = true;
      continue;
    }
    if (a == "--fast" || a == "--paced") {
      o.fast = a == "--fast";
      continue;
    }
    if (i + 1 >= args.size()) return "option " + a + " needs a value";
    const std::string& v = args[++i];
    int n = 0;
    if (a == "--in") {
      o.in = v;
    } else if (a == "--out") {
      o.out = v;
    } else if (a == "--unit-id") {
      if (!parseNumber(v, n) || !isValidUnitId(n)) return "unit ID \"" + v + "\" is not 17..32";
      o.unitId = n;
    } else if (a == "--type") {
      o.type = moduleTypeByName(v);
      if (!o.type) return "unknown module type \"" + v + "\"";
    } else if (a == "--delay") {
      if (!parseNumber(v, n) || n < MinSysDly || n > MaxSysDly)
        return "delay \"" + v + "\" is not " + std::to_string(MinSysDly) + ".." + std::to_string(MaxSysDly) + " ms";
      o.delay = n;
    } else if (a == "--bank") {
      o.bank = bankByName(v);
      if (!o.bank) return "bank \"" + v + "\" is not user or card";
    } else if (a == "--slot") {
      if (!parseNumber(v, n) || n < FirstSlot || n > LastSlot)
        return "slot \"" + v + "\" is not " + std::to_string(FirstSlot) + ".." + std::to_string(LastSlot);
      o.slot = n;
    } else if (a == "--idle" && args[0] == ReceiveCommand) {
      const auto ms = secondsAsMs(v);
      if (!ms) return "idle time \"" + v + "\" is not 0.1..600 seconds";
      o.idleMs = ms;
    } else if (a == "--write-ini") {
      o.iniFolder = v;
    } else {
      return "unknown option " + a;
    }
  }
  if (args[0] == FindCommand) return {};
  if (args[0] == ReceiveCommand) return o.in.empty() ? "--in names the port the module sends to" : "";
  if (o.in.empty() || o.out.empty()) return "--in and --out name the module's ports";
  return {};
}

// The settings' values under the options given on the command line.
EngineSettings engineSettings(const TransferOptions& o) {
  DeviceSettings stored;
  const QString problem = stored.ReadSettings();
  if (!problem.isEmpty()) std::cerr << "quillon-syx: " << problem.simplified().toStdString() << "\n";
  EngineSettings s;
  s.unitId = o.unitId.value_or(stored.engine.unitId);
  s.sizes = o.type ? blockSizesFor(*o.type) : stored.blockSizes();
  s.type = o.type.value_or(isValidModuleType(stored.JVtype) ? stored.moduleType() : FirstRunModuleType);
  s.sysDly = o.delay.value_or(stored.engine.sysDly);
  s.fastTransfers = o.fast.value_or(stored.engine.fastTransfers);
  s.noteOn = false;  // no preview notes from a batch transfer
  return s;
}

std::string Session::open(const TransferOptions& o) {
  auto& backend = midi::systemMidiBackend();
  std::string error;
  const auto outputs = backend.outputNames();
  // Why the platform's ports are missing, if they all are: said with the port asked for.
  const auto withReason = [&](const std::string& text) {
    const std::string why = backend.unavailableReason();
    return why.empty() ? text : text + " (" + why + ")";
  };
  const auto out = findPort(outputs, o.out, "output", error);
  if (!out) return withReason(error);
  const auto inputs = backend.inputNames();
  const auto in = findPort(inputs, o.in, "input", error);
  if (!in) return withReason(error);
  return link_.open({static_cast<int>(*out), outputs[*out]}, {static_cast<int>(*in), inputs[*in]});
}

std::string Session::openInput(const TransferOptions& o) {
  auto& backend = midi::systemMidiBackend();
  std::string error;
  const auto inputs = backend.inputNames();
  const auto in = findPort(inputs, o.in, "input", error);
  if (!in) {
    const std::string why = backend.unavailableReason();
    return why.empty() ? error : error + " (" + why + ")";
  }
  return link_.openInputOnly({static_cast<int>(*in), inputs[*in]});
}

void reportIgnored(const Session& session) {
  if (const IncomingHandler& in = session.incoming(); in.IgnoredCount > 0)
    std::cerr << "quillon-syx: " << in.IgnoredCount
              << " incoming message(s) ignored, the last: " << in.LastIgnoredReason << '\n';
}

void Session::settle() {
  while (host_.responseTimerRunning()) waitInEventLoop(10);
}

}  // namespace quillon::cli
