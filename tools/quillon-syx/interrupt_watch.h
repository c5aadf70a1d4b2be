#pragma once
// Ctrl+C for a command that runs the event loop: while a watch lives, an
// interrupt calls `onInterrupt` on the event loop's thread (a signal handler
// may only set a flag), and the shell's handling comes back when it ends.

#include <QTimer>

#include <functional>

namespace quillon::cli {

class InterruptWatch {
 public:
  explicit InterruptWatch(std::function<void()> onInterrupt);
  ~InterruptWatch();
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

 private:
  using Handler = void (*)(int);
  Handler previous_;
  QTimer poll_;
};

}  // namespace quillon::cli
