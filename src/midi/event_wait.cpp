#include "midi/event_wait.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace quillon {

void waitInEventLoop(int ms) {
  if (ms <= 0) return;
  const QDeadlineTimer deadline(ms, Qt::PreciseTimer);
  QEventLoop loop;
  QTimer timer;
  timer.setTimerType(Qt::PreciseTimer);
  timer.setSingleShot(true);
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  // A nested wait may return after this deadline; then this one is over too.
  while (!deadline.hasExpired()) {
    timer.start(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    loop.exec();
  }
}

}  // namespace quillon
