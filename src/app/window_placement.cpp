#include "app/window_placement.h"

#include <QDeadlineTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace quillon::placement {

namespace {

// How long after a show the frame is still watched: a window manager frames a
// window shortly after it is mapped; later moves are the user's own.
constexpr int FramingWatchMs = 1500;

bool hasNoFrame(const QWidget* window) {
  return window->windowFlags().testFlag(Qt::FramelessWindowHint) || window->windowType() == Qt::Popup ||
         window->windowType() == Qt::ToolTip || window->windowType() == Qt::SplashScreen;
}

bool isFramed(const QWidget* window) { return window->frameGeometry() != window->geometry(); }

class ScreenKeeper : public QObject {
 public:
  explicit ScreenKeeper(QWidget* window) : QObject(window), window_(window) { window->installEventFilter(this); }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != window_) return false;
    switch (event->type()) {
      case QEvent::Show:
        watchUntil_ = QDeadlineTimer(FramingWatchMs);
        bringBack();
        break;
      case QEvent::Move:
      case QEvent::Resize:
        if (window_->isVisible() && !watchUntil_.hasExpired()) bringBack();
        break;
      default: break;
    }
    return false;
  }

 private:
  void bringBack() {
    const QRect frame = frameOf(window_);
    const QRect inside = clampedInto(frame, availableArea(frame.center()));
    if (inside.topLeft() != frame.topLeft()) window_->move(window_->pos() + (inside.topLeft() - frame.topLeft()));
  }

  QWidget* window_;
  QDeadlineTimer watchUntil_{0};
};

}  // namespace

QMargins frameMargins(const QWidget* window) {
  if (isFramed(window)) {
    const QRect outer = window->frameGeometry(), inner = window->geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
  }
  // Shown but not framed: no window manager frames it (or it has no frame).
  if (hasNoFrame(window) || window->isVisible()) return {};
  return {AssumedBorder, AssumedTitleBar, AssumedBorder, AssumedBorder};
}

QRect frameOf(const QWidget* window) {
  // pos() is where the frame goes (a window not shown yet takes it that way too).
  const QMargins m = frameMargins(window);
  return {window->pos(), window->size().grownBy(m)};
}

QRect availableArea(QPoint point) {
  QScreen* screen = QGuiApplication::screenAt(point);
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect();
}

QRect clampedInto(QRect frame, const QRect& area) {
  if (area.isEmpty()) return frame;
  frame.moveRight(std::min(frame.right(), area.right()));
  frame.moveBottom(std::min(frame.bottom(), area.bottom()));
  frame.moveLeft(std::max(frame.left(), area.left()));
  frame.moveTop(std::max(frame.top(), area.top()));
  return frame;
}

void placeOnScreen(QWidget* window, QPoint frameTopLeft) {
  const QRect wanted(frameTopLeft, frameOf(window).size());
  window->move(clampedInto(wanted, availableArea(wanted.center())).topLeft());
}

void centreOnScreen(QWidget* window, const QWidget* over) {
  const QPoint near = over ? over->frameGeometry().center() : QPoint(-1, -1);
  QScreen* screen = over ? QGuiApplication::screenAt(near) : nullptr;
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  QRect frame = frameOf(window);
  frame.moveCenter(area.center());
  window->move(clampedInto(frame, area).topLeft());
}

void keepOnScreen(QWidget* window) { new ScreenKeeper(window); }

}  // namespace quillon::placement
