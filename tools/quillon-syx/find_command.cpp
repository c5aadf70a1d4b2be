#include "find_command.h"

#include <QElapsedTimer>

#include <iostream>

#include "cli_common.h"
#include "interrupt_watch.h"
#include "midi/midi_backend.h"
#include "midi/module_finder.h"
#include "transfer_commands.h"
#include "transfer_session.h"

namespace quillon::cli {

const char* const FindCommandUsage =
    "  find [--out NAME] [--delay MS]\n"
    "                   Find the module: ask each output (or only NAME) at every unit ID\n"
    "                   17..32 for the first byte of its system area, MS apart, and listen on\n"
    "                   every input. Names the output, input and unit ID of each module\n"
    "                   that answers, and what else came (echoes, other traffic). Sends\n"
    "                   nothing but requests; Ctrl+C ends it. Exit 2: nothing answered.\n";

int findCommand(const TransferOptions& o) {
  if (!o.positional.empty()) return fail("find takes no FILE");
  if (!o.in.empty()) return fail("find listens on every input; it takes no --in");
  auto& backend = midi::systemMidiBackend();
  std::optional<int> only;
  if (!o.out.empty()) {
    std::string error;
    const auto out = findPort(backend.outputNames(), o.out, "output", error);
    if (!out) return fail(error);
    only = static_cast<int>(*out);
  }
  const EngineSettings settings = engineSettings(o);
  TransferSessions sessions;
  ModuleFinder finder(sessions, backend);
  QString asked;
  QObject::connect(&finder, &ModuleFinder::progress, [&asked](int, int, const QString& port) {
    if (port.isEmpty() || port == asked) return;
    asked = port;
    std::cerr << "Asking out \"" << port.toStdString() << "\" at unit IDs 17..32" << std::endl;
  });
  QElapsedTimer clock;
  clock.start();
  {
    const InterruptWatch interrupt([&finder] { finder.cancel(); });
    finder.run(settings.sysDly, only);
  }
  const qint64 ms = clock.elapsed();
  const ModuleSearch& search = *finder.search();
  std::cout << search.report();
  for (const ModuleFound& f : search.found())
    std::cout << "Use: --out \"" << search.outputName(f.output) << "\" --in \"" << search.inputName(f.input)
              << "\" --unit-id " << f.unitId << '\n';
  std::cout << "Searched " << search.outputsAsked().size() << " output(s) at " << module_search::UnitIdCount
            << " unit IDs in " << ms << " ms (delay " << settings.sysDly << " ms)\n";
  return search.found().empty() ? ExitNoResponse : ExitOk;
}

}  // namespace quillon::cli
