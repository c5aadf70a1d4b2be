#include "interrupt_watch.h"

#include <atomic>
#include <csignal>
#include <utility>

namespace quillon::cli {

namespace {

constexpr int InterruptPollMs = 50;  // soon enough for a person, rare enough to cost nothing
std::atomic<bool> interrupted{false};
void interrupt(int) { interrupted.store(true); }

}  // namespace

InterruptWatch::InterruptWatch(std::function<void()> onInterrupt) {
  interrupted.store(false);
  previous_ = std::signal(SIGINT, interrupt);
  QObject::connect(&poll_, &QTimer::timeout, [onInterrupt = std::move(onInterrupt)] {
    if (interrupted.exchange(false)) onInterrupt();
  });
  poll_.start(InterruptPollMs);
}

InterruptWatch::~InterruptWatch() {
  poll_.stop();
  std::signal(SIGINT, previous_);
}

}  // namespace quillon::cli
