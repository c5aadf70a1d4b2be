#pragma once
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <functional>

namespace quillon::testing {

// Runs the event loop until `done` holds or `timeoutMs` passes.
inline bool processEventsUntil(const std::function<bool()>& done, int timeoutMs = 2000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::usleep(200);
  }
  return true;
}

// Lets every queued call that is already posted run.
inline void drainEvents() {
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

}  // namespace quillon::testing

#include <string>

namespace quillon::testing {
// The text of the exception of type E that `call` raises, or a marker when none.
template <typename E, typename F>
std::string errorText(F&& call) {
  try {
    call();
  } catch (const E& e) {
    return e.what();
  }
  return "<no exception>";
}
}  // namespace quillon::testing
