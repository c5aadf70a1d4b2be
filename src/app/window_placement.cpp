#include "app/window_placement.h"

#include <QDeadlineTimer>
#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMainWindow>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace quillon::placement {

namespace {

// How long after a show the frame is still watched: a window manager frames a
// window shortly after it is mapped; later moves are the user's own.
constexpr int FramingWatchMs = 1500;
// Cascade steps before starting again at the top left.
constexpr int CascadeSteps = 8;
const char* const FitScrollName = "ScreenFitScroll";

// Windows cascaded so far.
int cascaded = 0;

QScrollArea* newFitScroll() {
  auto* scroll = new QScrollArea;
  scroll->setObjectName(QLatin1String(FitScrollName));
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  return scroll;
}

// Moves the window's content, menu bar excepted, into a scroll area.
void wrapInScrollArea(QWidget* window) {
  if (auto* main = qobject_cast<QMainWindow*>(window)) {
    QScrollArea* scroll = newFitScroll();
    scroll->setWidget(main->takeCentralWidget());
    main->setCentralWidget(scroll);
    main->layout()->activate();  // the old content's minimum size goes now, not at the next layout pass
    return;
  }
  QLayout* content = window->layout();
  if (!content) return;
  QWidget* menu = content->menuBar();
  content->setMenuBar(nullptr);
  auto* inner = new QWidget;
  inner->setLayout(content);  // taken off the window with the controls it lays out
  QScrollArea* scroll = newFitScroll();
  scroll->setWidget(inner);
  auto* outer = new QVBoxLayout(window);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setMenuBar(menu);
  outer->addWidget(scroll);
  // A fixed size came from the old layout; the scroll area now takes it.
  window->setMinimumSize(0, 0);
  window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  outer->activate();
}

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
        if (!shownBefore_) firstShow();
        fitOnScreen(window_);
        watchUntil_ = QDeadlineTimer(FramingWatchMs);
        bringBack();
        break;
      case QEvent::Move:
        if (window_->isVisible() && !watchUntil_.hasExpired()) bringBack();
        break;
      case QEvent::Resize:
        // A window that grows by itself (a page with wider names) stays on the screen too.
        if (!window_->isVisible()) break;
        fitOnScreen(window_);
        bringBack();
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

  void firstShow() {
    shownBefore_ = true;
    // Dialogs centre themselves; a window moved by its owner has its place.
    if (qobject_cast<QDialog*>(window_) || window_->testAttribute(Qt::WA_Moved)) return;
    window_->move(cascadePoint(++cascaded, availableArea(QGuiApplication::primaryScreen()
                                                             ? QGuiApplication::primaryScreen()->geometry().center()
                                                             : QPoint())));
  }

  QWidget* window_;
  QDeadlineTimer watchUntil_{0};
  bool shownBefore_ = false;
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

void fitOnScreen(QWidget* window) {
  const QRect area = availableArea(frameOf(window).center());
  if (area.isEmpty()) return;
  const QSize room = area.size().shrunkBy(frameMargins(window));
  const QSize size = window->size();
  if (size.width() <= room.width() && size.height() <= room.height()) return;
  const QSize smallest = window->minimumSizeHint().expandedTo(window->minimumSize());
  const bool wrapped = window->findChild<QScrollArea*>(QLatin1String(FitScrollName)) != nullptr;
  if (!wrapped && (smallest.width() > room.width() || smallest.height() > room.height())) wrapInScrollArea(window);
  window->resize(size.boundedTo(room));
}

QPoint cascadePoint(int index, const QRect& area) {
  const int step = AssumedTitleBar * (index % CascadeSteps);
  return area.topLeft() + QPoint(step, step);
}

void keepOnScreen(QWidget* window) { new ScreenKeeper(window); }

}  // namespace quillon::placement
