#include "editors/window_support.h"

#include <QEvent>

namespace quillon {

namespace {

class RefillOnReturn : public QObject {
 public:
  RefillOnReturn(QWidget* window, std::function<void()> refill)
      : QObject(window), window_(window), refill_(std::move(refill)) {
    window_->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const bool activated = event->type() == QEvent::ActivationChange && window_->isActiveWindow();
    if (watched == window_ && (event->type() == QEvent::Show || activated)) refill_();
    return QObject::eventFilter(watched, event);
  }

 private:
  QWidget* window_;
  std::function<void()> refill_;
};

}  // namespace

void refillOnReturn(QWidget* window, std::function<void()> refill) { new RefillOnReturn(window, std::move(refill)); }

}  // namespace quillon
