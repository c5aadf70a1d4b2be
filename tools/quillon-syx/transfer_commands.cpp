#include "transfer_commands.h"

#include "cli_common.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cctype>
#include <functional>
#include <iostream>

#include "engine/incoming.h"
#include "engine/syx_reader.h"
#include "engine/syx_writer.h"
#include "engine/temp_transfer.h"
#include "midi/midi_backend.h"
#include "midi/event_wait.h"
#include "midi/module_link.h"
#include "settings/device_settings.h"

namespace quillon::cli {

const char* const TransferCommandsUsage =
    "  ports            List the MIDI outputs and inputs by number and name.\n"
    "  get-temp OPTIONS FILE\n"
    "                   Fetch the module's Temporary Performance and save it to FILE.\n"
    "                   FILE is written only when all 17 blocks arrived.\n"
    "  send-temp OPTIONS [--verify] FILE [N]\n"
    "                   Send performance N of FILE (default 1) to the module's\n"
    "                   Temporary Performance. A data set has no acknowledgement:\n"
    "                   without --verify the tool cannot know whether the module\n"
    "                   stored anything (a wrong unit ID loses every block unseen).\n"
    "                   --verify reads the Temporary Performance back and compares it.\n";

const char* const TransferOptionsUsage =
    "\n"
    "Transfer options:\n"
    "  --in NAME        The module's MIDI input port (required).\n"
    "  --out NAME       The module's MIDI output port (required). NAME is a name as\n"
    "                   'ports' lists it, or a part of one that only one port has.\n"
    "  --unit-id N      The module's unit ID, 17..32.\n"
    "  --type T         The module type: JV 1010, JV 1080, JV 2080, XP 30, XP 50, XP 60,\n"
    "                   XP 80, or the bare model (1080, 2080, ...).\n"
    "  --delay MS       The pause after each message, 20..500 ms.\n"
    "                   Defaults come from Quillon's settings when they exist, else\n"
    "                   unit ID 17, JV 1080 and 50 ms.\n";

namespace {

constexpr int ResponseTimeoutMs = 1500;


// The engine's host without windows: messages go to stderr, the log stays off,
// and the response timer is a plain Qt timer. MIDI thru stays off: a tool has
// no keyboard to pass on, and in a MIDI loop every message would bounce back.
class ConsoleHost : public BasicHost {
 public:
  ConsoleHost() {
    setMidiThru(false);
    responseTimer_.setInterval(ResponseTimeoutMs);
    responseTimer_.setSingleShot(true);
    QObject::connect(&responseTimer_, &QTimer::timeout, [this] {
      if (onTimeout_) onTimeout_();
    });
  }
  void attach(ModuleLink& link) { link_ = &link; }
  void onResponseTimeout(std::function<void()> f) { onTimeout_ = std::move(f); }

  void showInfo(const std::string& text) override {
    std::string shown = text;
    std::replace(shown.begin(), shown.end(), '\r', '\n');
    std::cerr << shown << '\n';
    if (text == transfer_text::NotResponding) ++timeoutsShown_;
  }
  void appendLogLine(LogMemo, const std::string&) override {}
  void clearLog(LogMemo) override {}
  void debugLine(const std::string&) override {}
  void lightOut(LedColour) override {}
  void lightIn(LedColour) override {}
  void showShortMessage(Byte, Byte, Byte) override {}
  void startResponseTimer() override {
    if (!responseTimer_.isActive()) responseTimer_.start();
  }
  void stopResponseTimer() override { responseTimer_.stop(); }
  void waitMs(int ms) override { waitInEventLoop(ms); }
  void sendLong(std::span<const Byte> message) override { link_->sendLong(message); }
  void sendShort(Byte status, Byte data1, Byte data2) override { link_->sendShort(status, data1, data2); }

  bool responseTimerRunning() const { return responseTimer_.isActive(); }
  int timeoutsShown() const { return timeoutsShown_; }

 private:
  ModuleLink* link_ = nullptr;
  QTimer responseTimer_;
  std::function<void()> onTimeout_;
  int timeoutsShown_ = 0;
};

struct TransferOptions {
  std::string in, out;
  std::optional<int> unitId;
  std::optional<ModuleType> type;
  std::optional<int> delay;
  bool verify = false;
  std::vector<std::string> positional;
};


// Options and positional arguments after the command; an error text on failure.
std::string parseTransferOptions(const std::vector<std::string>& args, TransferOptions& o) {
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.rfind("--", 0) != 0) {
      o.positional.push_back(a);
      continue;
    }
    if (a == "--verify" && args[0] == "send-temp") {
      o.verify = true;
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
      if (!parseNumber(v, n) || !isValidUnitId(n))
        return "unit ID \"" + v + "\" is not 17..32";
      o.unitId = n;
    } else if (a == "--type") {
      o.type = moduleTypeByName(v);
      if (!o.type) return "unknown module type \"" + v + "\"";
    } else if (a == "--delay") {
      if (!parseNumber(v, n) || n < MinSysDly || n > MaxSysDly)
        return "delay \"" + v + "\" is not " + std::to_string(MinSysDly) + ".." + std::to_string(MaxSysDly) + " ms";
      o.delay = n;
    } else {
      return "unknown option " + a;
    }
  }
  if (o.in.empty() || o.out.empty()) return "--in and --out name the module's ports";
  return {};
}

// The settings' values under the options given on the command line.
EngineSettings engineSettings(const TransferOptions& o) {
  DeviceSettings stored;
  const QString problem = stored.ReadSettings();
  if (!problem.isEmpty())
    std::cerr << "quillon-syx: " << problem.simplified().toStdString() << "\n";
  EngineSettings s;
  s.unitId = o.unitId.value_or(stored.JVID);
  s.sizes = o.type ? blockSizesFor(*o.type) : stored.blockSizes();
  s.sysDly = o.delay.value_or(stored.SysDly);
  s.noteOn = false;  // no preview notes from a batch transfer
  return s;
}

// The engine wired to the two ports the options name.
class Session {
 public:
  explicit Session(const EngineSettings& settings)
      : settings_(settings),
        log_(host_),
        sender_(store_, host_, settings_, log_),
        incoming_(store_, host_, sender_, log_),
        link_(store_, incoming_),
        transfer_(sender_, host_) {
    store_.LogEnabled = false;
    host_.attach(link_);
    host_.onResponseTimeout([this] { transfer_.ResponseTimeout(view_); });
  }

  // "" or why the ports could not be opened.
  std::string open(const TransferOptions& o) {
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

  // The response timer may still run when the last request went unanswered:
  // let it decide before the program ends, as the windows would.
  void settle() {
    while (host_.responseTimerRunning()) waitInEventLoop(10);
  }

  PerformanceStore& store() { return store_; }
  TempTransfer& transfer() { return transfer_; }
  const IncomingHandler& incoming() const { return incoming_; }
  TransferView& view() { return view_; }
  ConsoleHost& host() { return host_; }

 private:
  EngineSettings settings_;
  PerformanceStore store_;
  ConsoleHost host_;
  MessageLogLines log_;
  Sender sender_;
  IncomingHandler incoming_;
  ModuleLink link_;
  TempTransfer transfer_;
  TransferView view_;
};

int portsCommand() {
  auto& backend = midi::systemMidiBackend();
  const auto outputs = backend.outputNames();
  const auto inputs = backend.inputNames();
  std::cout << "MIDI outputs:\n";
  for (std::size_t i = 0; i < outputs.size(); ++i) std::cout << "  " << i << "  " << outputs[i] << '\n';
  std::cout << "MIDI inputs:\n";
  for (std::size_t i = 0; i < inputs.size(); ++i) std::cout << "  " << i << "  " << inputs[i] << '\n';
  return ExitOk;
}

// After a Get Temp: ExitOk when all 17 blocks arrived; otherwise says which
// are missing (and what was ignored), then `tail`, and returns the exit code.
int reportMissingBlocks(Session& session, const std::string& tail) {
  const PerformanceStore& store = session.store();
  const int blocks = session.transfer().receivedBlocks();
  if (blocks == TempBlockCount) return ExitOk;
  if (blocks == 0)
    std::cerr << "quillon-syx: no block of the Temporary Performance arrived";
  else
    std::cerr << "quillon-syx: missing: " << tempBlockNames(AllTempBlocks & ~store.ReceivedTempBlocks);
  std::cerr << tail << '\n';
  std::uint32_t cutShort = 0;
  for (int b = 0; b < TempBlockCount; ++b)
    if (store.ReceivedTempBytes[b].any() && !(store.ReceivedTempBlocks & (1u << b))) cutShort |= 1u << b;
  if (cutShort != 0)
    std::cerr << "quillon-syx: shorter than requested (is the module type right?): " << tempBlockNames(cutShort)
              << '\n';
  if (const IncomingHandler& in = session.incoming(); in.IgnoredCount > 0)
    std::cerr << "quillon-syx: " << in.IgnoredCount << " incoming message(s) ignored, the last: "
              << in.LastIgnoredReason << '\n';
  return blocks == 0 ? ExitNoResponse : ExitMissingBlocks;
}

int getTempCommand(const TransferOptions& o) {
  if (o.positional.size() != 1) return fail("get-temp takes one FILE");
  const std::string& path = o.positional[0];
  const EngineSettings settings = engineSettings(o);
  Session session(settings);
  if (const auto error = session.open(o); !error.empty()) return fail(error);
  QElapsedTimer clock;
  clock.start();
  try {
    session.transfer().GetTemp(session.view());
  } catch (const std::exception& e) {
    return fail(e.what());
  }
  const qint64 elapsed = clock.elapsed();
  session.settle();
  PerformanceStore& store = session.store();
  // What arrived decides, not whether the response timer ran out: the
  // repeated request for part 16 is a spare, and a lost last answer leaves
  // the other blocks as good as they came.
  if (const int code = reportMissingBlocks(session, "; nothing written to " + path); code != ExitOk) return code;
  const int blocks = session.transfer().receivedBlocks();
  const auto bytes = tempSyxBytes(store, settings.sizes);
  if (const auto error = writeFileAtomically(path, bytes); !error.empty()) return fail(error);
  std::cout << "Got the Temporary Performance [" << performanceName(store.TempPerformance.common) << "] ("
            << blocks << " blocks in " << elapsed << " ms) into " << path << '\n';
  return ExitOk;
}

// Reads the Temporary Performance back and compares it with what was sent:
// the blocks that came back are compared, those that did not are named too.
int verifySent(Session& session, const PerformanceRecord& sent, BlockSizes sizes) {
  try {
    session.transfer().GetTemp(session.view());
  } catch (const std::exception& e) {
    return fail(e.what());
  }
  session.settle();
  const PerformanceStore& store = session.store();
  const std::uint32_t differing = differingTempBlocks(store.TempPerformance, sent, sizes) & store.ReceivedTempBlocks;
  if (differing != 0)
    std::cerr << "quillon-syx: read back, these differ from what was sent: " << tempBlockNames(differing) << '\n';
  const int code = reportMissingBlocks(session, "; the module may not hold what was sent");
  if (code == ExitNoResponse) return code;
  if (code != ExitOk || differing != 0) return ExitNotVerified;
  std::cout << "Read back: the module holds what was sent.\n";
  return ExitOk;
}

int sendTempCommand(const TransferOptions& o) {
  if (o.positional.empty() || o.positional.size() > 2) return fail("send-temp takes FILE and an optional N");
  const std::string& path = o.positional[0];
  const EngineSettings settings = engineSettings(o);
  Session session(settings);
  PerformanceStore& store = session.store();
  auto read = openSyxFile(store, path);
  if (!read.ok()) return fail(read.error);
  if (read.report.nothingFound) return fail("no performances found in \"" + path + "\"");
  int n = 1;
  if (o.positional.size() == 2 && (!parseNumber(o.positional[1], n) || n < 1 || n > read.report.count))
    return fail("performance \"" + o.positional[1] + "\" is out of range: the file holds 1.." +
                std::to_string(read.report.count));
  // As if the grid cell were chosen: the entry becomes the edited performance.
  store.SelectedIndex = n - 1;
  store.TempPerformance = store.PerformanceList[n - 1];
  if (const auto error = session.open(o); !error.empty()) return fail(error);
  QElapsedTimer clock;
  clock.start();
  const PerformanceRecord sent = store.TempPerformance;
  try {
    if (!session.transfer().SendTemp(session.view())) return ExitError;
  } catch (const std::exception& e) {
    return fail(e.what());
  }
  std::cout << "Sent performance " << n << " [" << performanceName(sent.common) << "] to the Temporary Performance ("
            << TempBlockCount << " blocks in " << clock.elapsed() << " ms)\n";
  return o.verify ? verifySent(session, sent, settings.sizes) : ExitOk;
}

std::string normalised(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != ' ' && c != '-') out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

std::optional<ModuleType> moduleTypeByName(const std::string& text) {
  const std::string wanted = normalised(text);
  if (wanted.empty()) return std::nullopt;
  for (int i = 0; i < ModuleTypeCount; ++i) {
    const std::string name = normalised(std::string(ModuleTypeNames[i]));
    const std::string model = name.substr(2);  // "jv1080" -> "1080"
    if (wanted == name || wanted == model) return static_cast<ModuleType>(i);
  }
  return std::nullopt;
}

std::optional<std::size_t> findPort(const std::vector<std::string>& names, const std::string& wanted,
                                    const std::string& kind, std::string& error) {
  for (std::size_t i = 0; i < names.size(); ++i)
    if (names[i] == wanted) return i;
  // Parts match regardless of case: "virtual" finds "Quillon virtual module".
  const auto lower = [](std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  };
  const std::string part = lower(wanted);
  std::vector<std::size_t> hits;
  for (std::size_t i = 0; i < names.size(); ++i)
    if (lower(names[i]).find(part) != std::string::npos) hits.push_back(i);
  if (hits.size() == 1) return hits[0];
  if (hits.empty()) {
    error = "no MIDI " + kind + " is named \"" + wanted + "\"; 'quillon-syx ports' lists them";
  } else {
    error = "\"" + wanted + "\" is part of several MIDI " + kind + " names:";
    for (std::size_t i : hits) error += " \"" + names[i] + "\"";
  }
  return std::nullopt;
}

bool isTransferCommand(const std::string& command) {
  return command == "ports" || command == "get-temp" || command == "send-temp";
}

int runTransferCommand(int argc, char** argv, const std::vector<std::string>& args) {
  QCoreApplication app(argc, argv);
  const std::string& command = args[0];
  if (command == "ports") return args.size() == 1 ? portsCommand() : fail("ports takes no arguments");
  TransferOptions options;
  if (const auto error = parseTransferOptions(args, options); !error.empty()) return fail(error);
  return command == "get-temp" ? getTempCommand(options) : sendTempCommand(options);
}

}  // namespace quillon::cli
