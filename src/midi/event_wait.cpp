#include "midi/event_wait.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace quillon {

namespace {
// Both live on the GUI thread, the only thread that waits.
unsigned wakeCount = 0;
std::vector<QEventLoop*> runningWaits;
}  // namespace

bool waitInEventLoop(int ms) { return waitInEventLoopUntil(ms, nullptr); }

bool waitInEventLoopUntil(int ms, const std::function<bool()>& done) {
  const auto holds = [&done] { return done && done(); };
  if (ms <= 0 || holds()) return false;
  const unsigned wakeAtStart = wakeCount;
  const QDeadlineTimer deadline(ms, Qt::PreciseTimer);
  QEventLoop loop;
  QTimer timer;
  timer.setTimerType(Qt::PreciseTimer);
  timer.setSingleShot(true);
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  runningWaits.push_back(&loop);
  // A nested wait may return after this deadline; then this one is over too.
  while (!deadline.hasExpired() && wakeCount == wakeAtStart && !holds()) {
    timer.start(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    loop.exec();
  }
  std::erase(runningWaits, &loop);
  return wakeCount != wakeAtStart;
}

void recheckWaits() {
  for (QEventLoop* loop : runningWaits) loop->quit();
}

void endWaitsEarly() {
  ++wakeCount;
  for (QEventLoop* loop : runningWaits) loop->quit();
}

}  // namespace quillon
