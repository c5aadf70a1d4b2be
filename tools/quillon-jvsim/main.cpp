// quillon-jvsim: the virtual JV module on real MIDI ports, for tests through
// a real MIDI stack and for other programs.

#include <csignal>
#include <iostream>

#include "engine/syx_reader.h"
#include "engine/syx_writer.h"
#include "simulator.h"

namespace {

std::atomic<bool> stopRequested{false};
std::atomic<bool> dumpRequested{false};

void requestStop(int) { stopRequested.store(true); }
void requestDump(int) { dumpRequested.store(true); }

void installSignalHandlers() {
  struct sigaction action {};
  action.sa_handler = requestStop;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  action.sa_handler = requestDump;
  sigaction(SIGUSR1, &action, nullptr);
}

bool loadBank(quillon::jv::VirtualModule& module, const std::string& path) {
  const quillon::SysexFileBytes file = quillon::readSysexFileBytes(path);
  if (!file.ok()) {
    std::cerr << "quillon-jvsim: " << file.error << '\n';
    return false;
  }
  std::cout << "loaded " << module.loadUserBank(file.bytes) << " performances from " << path << '\n';
  return true;
}

bool saveBank(quillon::jv::VirtualModule& module, const std::string& path) {
  const std::string error = quillon::writeFileAtomically(path, module.userBankSyx());
  if (!error.empty()) std::cerr << "quillon-jvsim: " << error << '\n';
  return error.empty();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quillon::jvsim;
  const ParsedOptions parsed = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.error.empty()) {
    std::cerr << "quillon-jvsim: " << parsed.error << '\n' << UsageText;
    return 2;
  }
  const Options& options = parsed.options;
  if (options.help) {
    std::cout << UsageText;
    return 0;
  }
  static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler sets it");
  installSignalHandlers();

  Simulator simulator(options, std::cout);
  if (!options.loadFile.empty() && !loadBank(simulator.module(), options.loadFile)) return 1;
  try {
    simulator.open();
  } catch (const std::exception& e) {
    std::cerr << "quillon-jvsim: " << e.what() << '\n';
    return 1;
  }
  std::cout << "quillon-jvsim ready on " << simulator.apiName() << ": unit " << options.unitId << ", "
            << quillon::ModuleTypeNames[static_cast<int>(options.type)] << ", ports " << options.name << "-in:in and "
            << options.name << "-out:out" << std::endl;
  simulator.run(stopRequested, dumpRequested);
  std::cout << "quillon-jvsim stopped" << std::endl;
  if (!options.saveFile.empty() && !saveBank(simulator.module(), options.saveFile)) return 1;
  return 0;
}
