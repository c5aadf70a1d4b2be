#pragma once
// Windows placed wholly on the screen, frame and title bar included: where a
// window first appears, stored positions, and dialogs centred on the screen.

#include <QMargins>
#include <QPoint>
#include <QRect>

class QWidget;

namespace quillon::placement {

// What the window manager adds round a window. Before it has framed the window
// the real margins are unknown, so a usual title bar and border are assumed.
inline constexpr int AssumedTitleBar = 32;
inline constexpr int AssumedBorder = 4;
QMargins frameMargins(const QWidget* window);

// The window's frame as it is, or as it will be once framed.
QRect frameOf(const QWidget* window);

// The available area (panels and docks left out) of the screen that holds
// `point`, or of the primary screen when none does.
QRect availableArea(QPoint point);

// `frame` moved, not resized, into `area`; one larger than the area keeps its
// top-left corner (and so its title bar) inside.
QRect clampedInto(QRect frame, const QRect& area);

// Moves `window` so that its frame has its top-left corner at `frameTopLeft`,
// or as near to it as keeps the whole frame on the screen.
void placeOnScreen(QWidget* window, QPoint frameTopLeft);

// Centres the frame on the screen that holds `over` (the primary screen without it).
void centreOnScreen(QWidget* window, const QWidget* over = nullptr);

// A window larger than the screen's available area (frame included) is made to
// fit: when even its smallest size does not, its content goes into a scroll
// area, so every control stays in reach; otherwise it is only made smaller.
void fitOnScreen(QWidget* window);

// Where a window without a place of its own first appears: each one a title bar
// lower and to the right of the last, inside `area`, so none hides another whole.
QPoint cascadePoint(int index, const QRect& area);

// Each time `window` is shown, fits it to the screen and brings it back onto the
// screen once the window manager has framed it (the frame may turn out larger
// than assumed), and whenever it grows. At its first show a window nobody placed
// is cascaded.
void keepOnScreen(QWidget* window);

}  // namespace quillon::placement
