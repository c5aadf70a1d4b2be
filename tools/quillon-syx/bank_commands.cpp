#include "bank_commands.h"

#include <QElapsedTimer>

#include <filesystem>

#include "cli_common.h"
#include "engine/syx_reader.h"
#include "engine/syx_writer.h"
#include "settings/names/patch_name_library.h"
#include "transfer_commands.h"

namespace quillon::cli {

const char* const BankCommandsUsage =
    "  get-bank OPTIONS --bank user|card FILE\n"
    "                   Fetch the 32 performances of the User or Card bank into FILE.\n"
    "                   FILE is written only when every block of every performance\n"
    "                   arrived; otherwise the incomplete performances are named.\n"
    "  send-bank OPTIONS --bank user|card [--verify] FILE\n"
    "                   Send the performances of FILE into the bank's slots 1, 2, ...,\n"
    "                   overwriting them. --verify reads them back and compares.\n"
    "  store OPTIONS --bank user|card --slot N [--verify] FILE [M]\n"
    "                   Store performance M of FILE (default 1) into slot N (1..32).\n"
    "  get-names OPTIONS --bank user|card [--write-ini DIR]\n"
    "                   Fetch and print the names of the bank's 128 patches; with\n"
    "                   --write-ini also write them into DIR's \"User.ini\" (section\n"
    "                   \"User Bank\" or \"Card Bank\"), only when all 128 arrived.\n";

namespace {

// The file's performances in the store; "" or why not.
std::string loadPerformances(PerformanceStore& store, const std::string& path) {
  auto read = openSyxFile(store, path);
  if (!read.ok()) return read.error;
  if (read.report.nothingFound) return "no performances found in \"" + path + "\"";
  return {};
}

std::string bankWord(BankArea bank) { return bank == BankArea::Card ? "Card" : "User"; }

// After a read-back: the check in words, and its exit code.
int reportCheck(BankTransfer& bank, const BankCheck& check) {
  if (check.ok()) {
    std::cout << bank.verifyText(check) << '\n';
    return ExitOk;
  }
  std::cerr << "quillon-syx: read back: " << bank.verifyText(check) << '\n';
  if (!check.answered) return ExitNoResponse;
  return check.differs() ? ExitNotVerified : ExitNotReadBack;
}

int getBankCommand(const TransferOptions& o) {
  if (o.positional.size() != 1) return fail("get-bank takes one FILE");
  const std::string& path = o.positional[0];
  Session session(engineSettings(o));
  if (const auto error = session.open(o); !error.empty()) return fail(error);
  BankTransfer& bank = session.bank();
  QElapsedTimer clock;
  clock.start();
  bank.getBank(*o.bank, session.view());
  const qint64 elapsed = clock.elapsed();
  session.settle();
  const PerformanceStore& store = session.store();
  if (store.PerformanceCount == 0) {
    std::cerr << "quillon-syx: no performance of the " << bankWord(*o.bank) << " bank arrived; nothing written to "
              << path << '\n';
    reportIgnored(session);
    return ExitNoResponse;
  }
  if (const auto incomplete = bank.incompletePerformances(); !incomplete.empty()) {
    std::cerr << "quillon-syx: incomplete: performance(s) " << performanceNumbers(incomplete) << "; nothing written to "
              << path << '\n';
    reportIgnored(session);
    return ExitMissingBlocks;
  }
  if (const auto error = writeFileAtomically(path, listSyxBytes(store, session.settings().sizes)); !error.empty())
    return fail(error);
  std::cout << "Got the " << bankWord(*o.bank) << " bank (" << store.PerformanceCount << " performances, "
            << store.PerformanceCount * TempBlockCount << " blocks in " << elapsed << " ms) into " << path << '\n';
  return ExitOk;
}

int sendBankCommand(const TransferOptions& o) {
  if (o.positional.size() != 1) return fail("send-bank takes one FILE");
  Session session(engineSettings(o));
  PerformanceStore& store = session.store();
  if (const auto error = loadPerformances(store, o.positional[0]); !error.empty()) return fail(error);
  if (const auto error = session.open(o); !error.empty()) return fail(error);
  BankTransfer& bank = session.bank();
  const auto sent = store.PerformanceList;
  QElapsedTimer clock;
  clock.start();
  if (!bank.sendBank(*o.bank, session.view())) return ExitError;
  std::cout << "Sent " << bank.performancesSent() << " performances to the " << bankWord(*o.bank) << " bank ("
            << bank.performancesSent() * TempBlockCount << " blocks in " << clock.elapsed() << " ms)\n";
  if (!o.verify) return ExitOk;
  const auto check =
      bank.verifyBank(*o.bank, std::span(sent).first(static_cast<std::size_t>(store.PerformanceCount)), session.view());
  session.settle();
  return reportCheck(bank, check);
}

int storeCommand(const TransferOptions& o) {
  if (!o.slot) return fail("store needs --slot N (1..32)");
  if (o.positional.empty() || o.positional.size() > 2) return fail("store takes FILE and an optional M");
  Session session(engineSettings(o));
  PerformanceStore& store = session.store();
  if (const auto error = loadPerformances(store, o.positional[0]); !error.empty()) return fail(error);
  int m = 1;
  if (o.positional.size() == 2 && (!parseNumber(o.positional[1], m) || m < 1 || m > store.PerformanceCount))
    return fail("performance \"" + o.positional[1] + "\" is out of range: the file holds 1.." +
                std::to_string(store.PerformanceCount));
  store.SelectedIndex = m - 1;
  store.TempPerformance = store.PerformanceList[static_cast<std::size_t>(m - 1)];
  if (const auto error = session.open(o); !error.empty()) return fail(error);
  BankTransfer& bank = session.bank();
  const PerformanceRecord sent = store.TempPerformance;
  QElapsedTimer clock;
  clock.start();
  if (!bank.storePerformance(*o.bank, *o.slot, session.view())) return ExitError;
  std::cout << "Stored performance " << m << " [" << performanceName(sent.common) << "] into " << bankWord(*o.bank)
            << " slot " << *o.slot << " (" << TempBlockCount << " blocks in " << clock.elapsed() << " ms)\n";
  if (!o.verify) return ExitOk;
  const auto check = bank.verifyStore(*o.bank, *o.slot, sent, session.view());
  session.settle();
  return reportCheck(bank, check);
}

// The entries into the folder's "User.ini", its other sections kept; "" or why not.
std::string writeNames(const std::string& folder, BankArea bank, const std::vector<std::string>& entries) {
  PatchNameLibrary library;
  library.LoadPatchNames(folder, ExpansionChoices{});
  library.FetchedNames = entries;
  return library.WriteUserNames(bank == BankArea::Card);
}

int getNamesCommand(const TransferOptions& o) {
  if (!o.positional.empty()) return fail("get-names takes no FILE");
  if (!o.iniFolder.empty() && !std::filesystem::is_directory(o.iniFolder))
    return fail("folder \"" + o.iniFolder + "\" not found");
  Session session(engineSettings(o));
  if (const auto error = session.open(o); !error.empty()) return fail(error);
  BankTransfer& bank = session.bank();
  std::vector<std::string> entries;
  const bool whole = bank.getPatchNames(*o.bank, session.view(), entries);
  session.settle();
  if (!whole) {
    std::cerr << "quillon-syx: " << bank.namesArrived() << " of " << BankPatchCount << " names arrived"
              << (o.iniFolder.empty() ? "" : "; nothing written to User.ini") << '\n';
    reportIgnored(session);
    return bank.namesArrived() == 0 ? ExitNoResponse : ExitMissingBlocks;
  }
  for (const auto& entry : entries) std::cout << entry << '\n';
  if (o.iniFolder.empty()) return ExitOk;
  if (const auto error = writeNames(o.iniFolder, *o.bank, entries); !error.empty()) return fail(error);
  const auto ini = std::filesystem::path(o.iniFolder) / "User.ini";
  std::cout << "Wrote " << entries.size() << " names into " << ini.string() << '\n';
  return ExitOk;
}

}  // namespace

bool isBankCommand(const std::string& command) {
  return command == "get-bank" || command == "send-bank" || command == "store" || command == "get-names";
}

int runBankCommand(const std::string& command, const TransferOptions& options) {
  if (!options.bank) return fail(command + " needs --bank user or --bank card");
  try {
    if (command == "get-bank") return getBankCommand(options);
    if (command == "send-bank") return sendBankCommand(options);
    if (command == "store") return storeCommand(options);
    return getNamesCommand(options);
  } catch (const std::exception& e) {
    return fail(e.what());
  }
}

}  // namespace quillon::cli
