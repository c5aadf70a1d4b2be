// quillon-syx: the performance files of a JV-XP module, from the command line.

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "cli_common.h"
#include "convert_command.h"
#include "describe.h"
#include "library_command.h"
#include "patch_names.h"
#include "words_commands.h"
#include "engine/demo_performances.h"
#include "engine/syx_reader.h"
#include "engine/syx_writer.h"
#ifdef QUILLON_SYX_TRANSFERS
#include "bank_commands.h"
#include "find_command.h"
#include "receive_command.h"
#include "transfer_commands.h"
#endif

namespace {

using quillon::cli::ExitError;
using quillon::cli::ExitOk;
using quillon::cli::fail;
using quillon::cli::parseNumber;

const char* const Usage =
    "Usage: quillon-syx COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  list FILE        List the performances found in FILE (position, kind Temp/User/Card,\n"
    "                   number in the file, name, offset), the patches and rhythm sets the\n"
    "                   scan reported, and the count.\n"
    "  show FILE N      Print performance N of FILE (N counts from 1, as 'list' numbers them)\n"
    "                   decoded into readable fields.\n"
    "  demo FILE        Write a User bank of Quillon's demo performances to FILE.\n";
const char* const FileFormats =
    "\n"
    "Every FILE read may be a .syx dump or a Standard MIDI File (.mid), whose SysEx\n"
    "events are read in playing order.\n";
const char* const HelpLine = "  --help           Show this text.\n";

const char* const ExitCodes =
    "\n"
    "Exit codes: 0 success, 1 a missing or unreadable file (or one that is no regular\n"
    "file), a read-only file to write (it is left as it is), a file without performances,\n"
    "or N out of range"
#ifdef QUILLON_SYX_TRANSFERS
    ", a bad option or port, ports lost during a transfer (the MIDI server shut\n"
    "down, or the output took no data); 2 the module did not respond\n"
    "(nothing arrived; for find: no module answered), 3 some blocks, performances or names arrived and others did not\n"
    "(they are named; no file is written), 4 --verify read back something that differs\n"
    "from what was sent (named), 5 --verify could not read some blocks back even when\n"
    "asking twice, and nothing it read differs (the blocks are named)"
#endif
    ".\n";

void printUsage(std::ostream& out) {
  out << Usage << quillon::cli::WordsUsage << quillon::cli::ConvertUsage << quillon::cli::LibraryUsage;
#ifdef QUILLON_SYX_TRANSFERS
  out << quillon::cli::TransferCommandsUsage << quillon::cli::BankCommandsUsage << quillon::cli::ReceiveCommandUsage
      << quillon::cli::FindCommandUsage << HelpLine << quillon::cli::TransferOptionsUsage;
#else
  out << HelpLine;
#endif
  out << FileFormats << ExitCodes;
}

// Reads FILE into `store`; prints the reason and returns false when it cannot.
bool loadFile(quillon::PerformanceStore& store, const std::string& path, quillon::SyxReadReport& report,
              std::string& error, std::string* note = nullptr) {
  auto result = quillon::openSyxFile(store, path);
  if (!result.ok()) {
    error = result.error;
    return false;
  }
  if (note) *note = result.note;
  report = std::move(result.report);
  if (report.nothingFound) {
    error = "no performances found in \"" + path + "\"";
    return false;
  }
  return true;
}

int listCommand(const std::string& path) {
  quillon::PerformanceStore store;
  quillon::SyxReadReport report;
  std::string error;
  std::string note;
  const bool ok = loadFile(store, path, report, error, &note);
  if (!ok && !report.nothingFound) return fail(error);
  if (!note.empty()) std::cout << note << '\n';
  quillon::cli::printScan(std::cout, report.scan, store);
  return ok ? ExitOk : fail(error);
}

constexpr const char* DataOption = "--data";

// The name lists of `folder`; false when there is no such folder.
bool loadPatchNames(quillon::PatchNameLibrary& library, const std::string& folder,
                    const quillon::PerformanceRecord& record) {
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) return false;
  library.LoadPatchNames(folder, quillon::cli::boardsUsedBy(record));
  return true;
}

int showCommand(const std::string& path, const std::string& which, const std::string& dataFolder = {}) {
  quillon::PerformanceStore store;
  quillon::SyxReadReport report;
  std::string error;
  if (!loadFile(store, path, report, error)) return fail(error);
  int n = 0;
  if (!parseNumber(which, n) || n < 1 || n > report.count)
    return fail("performance \"" + which + "\" is out of range: the file holds 1.." + std::to_string(report.count));
  const auto& record = store.PerformanceList[n - 1];
  quillon::PatchNameLibrary library;
  if (!dataFolder.empty() && !loadPatchNames(library, dataFolder, record))
    return fail("data folder \"" + dataFolder + "\" not found");
  quillon::cli::printPerformance(std::cout, record, store.ListInfo[n - 1], n);
  if (!dataFolder.empty()) quillon::cli::printPatchNames(std::cout, record, library);
  return ExitOk;
}

int demoCommand(const std::string& path) {
  quillon::PerformanceStore store;
  for (int i = 0; i < quillon::DemoPerformanceCount; ++i) store.PerformanceList[i] = quillon::demoPerformance(i);
  store.PerformanceCount = quillon::DemoPerformanceCount;
  store.FromUser = true;
  const auto bytes = quillon::listSyxBytes(store, quillon::StandardBlockSizes);
  const std::string error = quillon::writeFileAtomically(path, bytes);
  if (!error.empty()) return fail(error);
  std::cout << "Wrote " << quillon::DemoPerformanceCount << " performances (" << bytes.size() << " bytes) to " << path
            << '\n';
  return ExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    printUsage(std::cerr);
    return ExitError;
  }
  const std::string& command = args[0];
  if (command == "--help" || command == "-h" || command == "help") {
    printUsage(std::cout);
    return ExitOk;
  }
  if (command == "list" && args.size() == 2) return listCommand(args[1]);
  if (command == "demo" && args.size() == 2) return demoCommand(args[1]);
  if (command == "convert") return quillon::cli::convertCommand({args.begin() + 1, args.end()});
  if (command == "library") return quillon::cli::libraryCommand({args.begin() + 1, args.end()});
  if (command == "diff") return quillon::cli::diffCommand({args.begin() + 1, args.end()});
  if (command == "show" && quillon::cli::wantsWords({args.begin() + 1, args.end()}))
    return quillon::cli::showWordsCommand({args.begin() + 1, args.end()});
  if (command == "show" && args.size() == 3) return showCommand(args[1], args[2]);
  if (command == "show" && args.size() == 5 && args[3] == DataOption) return showCommand(args[1], args[2], args[4]);
#ifdef QUILLON_SYX_TRANSFERS
  if (quillon::cli::isTransferCommand(command)) return quillon::cli::runTransferCommand(argc, argv, args);
#endif
  printUsage(std::cerr);
  return ExitError;
}
