#include "receive_command.h"

#include <QEventLoop>

#include "cli_common.h"
#include "interrupt_watch.h"
#include "engine/syx_reader.h"
#include "engine/syx_writer.h"
#include "midi/dump_receiver.h"
#include "transfer_commands.h"

namespace quillon::cli {

const char* const ReceiveCommandUsage =
    "  receive --in NAME [--idle S] [--type T] [--delay MS] FILE\n"
    "                   Listen on the input, sending nothing, for what the module sends\n"
    "                   by itself (a bulk dump started on its panel); end S seconds\n"
    "                   (default 3) after the last message, or at Ctrl+C. Every whole\n"
    "                   message goes to FILE byte for byte (.syx; .mid plays them MS\n"
    "                   apart), and the performances that came are named. Exit 2:\n"
    "                   nothing arrived (no file); 3: messages were left out or\n"
    "                   performances are incomplete (they are named; FILE is written).\n";

namespace {

// Runs the event loop until the receive ends.
void waitForEnd(DumpReceiver& receiver) {
  QEventLoop loop;
  QObject::connect(&receiver, &DumpReceiver::ended, &loop, &QEventLoop::quit);
  // Ctrl+C ends the receive as Done does.
  const InterruptWatch interrupt([&receiver] { receiver.finish(); });
  if (receiver.receiving()) loop.exec();
}

bool everyPerformanceWhole(const DumpCapture& c) {
  for (const PerformanceKind area : {PerformanceKind::Temp, PerformanceKind::User, PerformanceKind::Card})
    for (int n : c.numbersArrived(area))
      if (!c.whole(area, n)) return false;
  return true;
}

void printCapture(const DumpReceiver& receiver, const DumpCapture& c) {
  std::cout << "Received " << c.messages() << " messages (" << c.kept().size() << " bytes). " << receiver.endText()
            << '\n';
  for (const PerformanceKind area : {PerformanceKind::Temp, PerformanceKind::User, PerformanceKind::Card})
    std::cout << c.areaText(area) << '\n';
  std::cout << c.otherText() << '\n';
  for (const std::string& p : c.problems()) std::cerr << "quillon-syx: " << p << '\n';
  if (const int more = c.problemCount() - static_cast<int>(c.problems().size()); more > 0)
    std::cerr << "quillon-syx: and " << more << " more messages left out\n";
  if (c.realTimeTakenOut() > 0)
    std::cerr << "quillon-syx: " << c.realTimeTakenOut() << " real-time bytes inside SysEx were taken out\n";
}

}  // namespace

int receiveCommand(const TransferOptions& o) {
  if (o.positional.size() != 1) return fail("receive takes one FILE");
  const std::string& path = o.positional[0];
  if (!isDumpFileName(path)) return fail("\"" + path + "\" names no file kind to write: end it in .syx, .mid or .midi");
  const EngineSettings settings = engineSettings(o);
  Session session(settings);
  if (const auto error = session.openInput(o); !error.empty()) return fail(error);
  DumpReceiver receiver(session.sessions(), session.link());
  if (!receiver.start(settings.sizes, o.idleMs.value_or(DumpReceiver::DefaultQuietMs))) return fail(receiver.endText());
  std::cout << "Listening on " << session.link().inputName()
            << ": start the dump on the module; Ctrl+C ends the receive." << std::endl;
  waitForEnd(receiver);
  const DumpCapture& capture = *receiver.capture();
  printCapture(receiver, capture);
  if (capture.empty()) {
    std::cerr << "quillon-syx: nothing arrived; no file written\n";
    return ExitNoResponse;
  }
  const Bytes bytes = dumpFileBytes(path, capture.kept(), settings.sysDly);
  if (const std::string error = writeFileAtomically(path, bytes); !error.empty()) return fail(error);
  std::cout << "Wrote " << capture.messages() << " messages (" << bytes.size() << " bytes) to " << path << '\n';
  const bool whole = capture.problemCount() == 0 && receiver.lostEvents() == 0 && everyPerformanceWhole(capture);
  return whole ? ExitOk : ExitMissingBlocks;
}

}  // namespace quillon::cli
