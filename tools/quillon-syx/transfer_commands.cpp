#include "transfer_commands.h"

#include "bank_commands.h"
#include "cli_common.h"
#include "find_command.h"
#include "receive_command.h"
#include "transfer_session.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cctype>
#include <iostream>

#include "engine/syx_reader.h"
#include "engine/syx_writer.h"
#include "engine/temp_transfer.h"
#include "midi/midi_backend.h"
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
    "  --delay MS       The gap after each message once the cable has carried it\n"
    "                   (and a request's answer), 20..500 ms.\n"
    "                   Defaults come from Quillon's settings when they exist, else\n"
    "                   unit ID 17, JV 1080 and 50 ms.\n"
    "  --fast           Fast transfers: each request follows as soon as the answer to\n"
    "                   the last one has arrived whole, and after the paced wait at\n"
    "                   the latest. Data sets keep the delay (the module needs it).\n"
    "  --paced          Every request waits its paced time: the time the cable needs\n"
    "                   for it and its answer, then the delay.\n"
    "                   Without either, Quillon's settings decide (fast when unset).\n";

namespace {

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
  const int blocks = session.transfer().receivedBlocks();
  if (blocks == TempBlockCount) return ExitOk;
  if (blocks == 0)
    std::cerr << "quillon-syx: no block of the Temporary Performance arrived";
  else
    std::cerr << "quillon-syx: missing: " << tempBlockNames(AllTempBlocks & ~session.transfer().receivedBlockMask());
  std::cerr << tail << '\n';
  const std::uint32_t cutShort = session.transfer().cutShortBlockMask();
  if (cutShort != 0)
    std::cerr << "quillon-syx: shorter than requested (is the module type right?): " << tempBlockNames(cutShort)
              << '\n';
  reportIgnored(session);
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
  std::cout << "Got the Temporary Performance [" << performanceName(store.TempPerformance.common) << "] (" << blocks
            << " blocks in " << elapsed << " ms) into " << path << '\n';
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
  const std::uint32_t differing =
      differingTempBlocks(store.TempPerformance, sent, sizes) & session.transfer().receivedBlockMask();
  if (differing != 0)
    std::cerr << "quillon-syx: read back, these differ from what was sent: " << tempBlockNames(differing) << '\n';
  const int code = reportMissingBlocks(session, "; the module may not hold what was sent");
  if (code == ExitNoResponse) return code;
  if (differing != 0) return ExitNotVerified;
  if (code != ExitOk) return ExitNotReadBack;
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
  return command == "ports" || command == "get-temp" || command == "send-temp" || command == ReceiveCommand ||
         command == FindCommand || isBankCommand(command);
}

int runTransferCommand(int argc, char** argv, const std::vector<std::string>& args) {
  QCoreApplication app(argc, argv);
  const std::string& command = args[0];
  if (command == "ports") return args.size() == 1 ? portsCommand() : fail("ports takes no arguments");
  TransferOptions options;
  if (const auto error = parseTransferOptions(args, options); !error.empty()) return fail(error);
  if (isBankCommand(command)) return runBankCommand(command, options);
  if (command == ReceiveCommand) return receiveCommand(options);
  if (command == FindCommand) return findCommand(options);
  return command == "get-temp" ? getTempCommand(options) : sendTempCommand(options);
}

}  // namespace quillon::cli
