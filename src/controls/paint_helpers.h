#pragma once
// Bevels and lines of the value controls. Everything is drawn as filled
// rectangles on whole logical pixels, so the lines stay crisp at any integer
// device pixel ratio instead of being smeared by a 1-pixel pen on a pixel edge.

#include <QColor>
#include <QRect>

class QPainter;
class QPalette;

namespace quillon::paint {

void horizontalLine(QPainter& painter, int x1, int x2, int y, const QColor& colour);
void verticalLine(QPainter& painter, int x, int y1, int y2, const QColor& colour);

// A frame `width` pixels wide inside `rect`: topLeft on the top and left edges,
// bottomRight on the bottom and right edges.
void frame(QPainter& painter, const QRect& rect, int width, const QColor& topLeft, const QColor& bottomRight);

// Outer bevel of a control that looks pressed into its window.
void sunkenBevel(QPainter& painter, const QRect& rect, int width, const QPalette& palette);
// Outer bevel of a part that stands out, such as a fader cap.
void raisedBevel(QPainter& painter, const QRect& rect, int width, const QPalette& palette);

}  // namespace quillon::paint
