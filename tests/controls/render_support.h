#pragma once
// Renders a control into an image at a device pixel ratio, for checks on the
// kind of colours it paints (never on exact pixels).

#include <QImage>
#include <QPainter>
#include <QSet>
#include <QWidget>

namespace quillon::testing {

inline QImage renderAt(QWidget& widget, qreal ratio) {
  QImage image(widget.size() * ratio, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(ratio);
  image.fill(Qt::magenta);
  widget.render(&image);
  return image;
}

inline QSet<QRgb> coloursOf(const QImage& image) {
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
  return colours;
}

// A drawing that stays sharp at ratio 2 uses only the colours it uses at ratio 1:
// a line on a half pixel would add blended shades.
inline bool paintsNoBlendedShadesAtRatioTwo(QWidget& widget) {
  const QSet<QRgb> atOne = coloursOf(renderAt(widget, 1.0));
  const QSet<QRgb> atTwo = coloursOf(renderAt(widget, 2.0));
  return !atOne.contains(qRgb(255, 0, 255)) && atTwo == atOne;
}

}  // namespace quillon::testing
