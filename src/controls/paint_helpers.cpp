#include "controls/paint_helpers.h"

#include <QPainter>
#include <QPalette>

#include <algorithm>

namespace quillon::paint {

void horizontalLine(QPainter& painter, int x1, int x2, int y, const QColor& colour) {
  if (x2 < x1) std::swap(x1, x2);
  painter.fillRect(QRect(x1, y, x2 - x1 + 1, 1), colour);
}

void verticalLine(QPainter& painter, int x, int y1, int y2, const QColor& colour) {
  if (y2 < y1) std::swap(y1, y2);
  painter.fillRect(QRect(x, y1, 1, y2 - y1 + 1), colour);
}

void frame(QPainter& painter, const QRect& rect, int width, const QColor& topLeft, const QColor& bottomRight) {
  for (int i = 0; i < width; ++i) {
    const QRect ring = rect.adjusted(i, i, -i, -i);
    if (ring.width() < 1 || ring.height() < 1) return;
    horizontalLine(painter, ring.left(), ring.right(), ring.top(), topLeft);
    verticalLine(painter, ring.left(), ring.top(), ring.bottom(), topLeft);
    horizontalLine(painter, ring.left() + 1, ring.right(), ring.bottom(), bottomRight);
    verticalLine(painter, ring.right(), ring.top() + 1, ring.bottom(), bottomRight);
  }
}

void sunkenBevel(QPainter& painter, const QRect& rect, int width, const QPalette& palette) {
  frame(painter, rect, width, palette.color(QPalette::Dark), palette.color(QPalette::Light));
}

void raisedBevel(QPainter& painter, const QRect& rect, int width, const QPalette& palette) {
  frame(painter, rect, width, palette.color(QPalette::Light), palette.color(QPalette::Dark));
}

}  // namespace quillon::paint
