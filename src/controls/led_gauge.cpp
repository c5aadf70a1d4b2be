#include "controls/led_gauge.h"

#include "controls/control_geometry.h"

#include <QPainter>

#include <algorithm>

namespace quillon {
namespace {

const QColor Outline = QColor(0x5C, 0x5C, 0x5C);
const QColor Lime = QColor(0x00, 0xFF, 0x00);
const QColor Yellow = QColor(0xFF, 0xFF, 0x00);
const QColor Red = QColor(0xFF, 0x00, 0x00);
const QColor Green = QColor(0x00, 0x80, 0x00);
constexpr int MinDecayInterval = 1;
constexpr double RoundedCornerShare = 0.3;
constexpr int MinOutlinedLed = 4;  // room for a 1 px outline on each side and some light

using geometry::mulDiv;

}  // namespace

LedGauge::LedGauge(QWidget* parent) : QWidget(parent), color_(Red), offColor_(Green) {
  resize(DefaultWidth, DefaultHeight);
  setFocusPolicy(Qt::NoFocus);
  setAccessibleName(tr("LED level gauge"));
  decayTimer_.setInterval(DefaultMiliSc);
  connect(&decayTimer_, &QTimer::timeout, this, &LedGauge::decay);
}

// Properties ----------------------------------------------------------------------------

void LedGauge::setValue(int value) {
  value_ = std::max(1, value);
  update();
}

void LedGauge::setMaximum(int maximum) {
  maximum_ = std::max(1, maximum);
  update();
}

void LedGauge::setCount(int count) {
  count_ = std::clamp(count, 1, MaxCount);
  value_ = 0;
  update();
}

void LedGauge::setStyle(LedStyle style) {
  style_ = style;
  update();
}

void LedGauge::setMode(LedMode mode) {
  mode_ = mode;
  update();
}

void LedGauge::setShape(LedShape shape) {
  shape_ = shape;
  update();
}

void LedGauge::setColor(const QColor& colour) {
  color_ = colour;
  update();
}

void LedGauge::setOffColor(const QColor& colour) {
  offColor_ = colour;
  update();
}

void LedGauge::setYellowPercent(int percent) {
  yellowPercent_ = std::clamp(percent, 0, 100);
  update();
}

void LedGauge::setRedPercent(int percent) {
  redPercent_ = std::clamp(percent, 0, 100);
  update();
}

void LedGauge::setMirror(bool mirror) {
  mirror_ = mirror;
  update();
}

void LedGauge::setDelay(DecaySwitch delay) {
  if (delay == TmOn) {
    decayTimer_.start();
  } else {
    decayTimer_.stop();
  }
}

void LedGauge::setMiliSc(int milliseconds) { decayTimer_.setInterval(std::max(MinDecayInterval, milliseconds)); }

void LedGauge::decay() {
  if (value_ > 1) setValue(value_ - DecayStep);  // resting at the floor needs no redraw
}

// Derived state ----------------------------------------------------------------------------

int LedGauge::litCount() const { return mulDiv(value_, count_, maximum_); }
int LedGauge::yellowAt() const { return mulDiv(count_, yellowPercent_, 100); }
int LedGauge::redAt() const { return mulDiv(count_, redPercent_, 100); }

bool LedGauge::isLit(int led) const {
  const int lit = litCount();
  return mode_ == moBar ? led <= lit : led == lit;
}

QColor LedGauge::ledColour(int led) const {
  if (!isLit(led)) return offColor_;
  if (style_ == stSolid) return color_;
  if (led >= redAt()) return Red;
  if (led >= yellowAt()) return Yellow;
  return Lime;
}

// Layout ---------------------------------------------------------------------------------------

QRect LedGauge::columnLedRect(int place) const {
  // A single LED would come out twice the control's height: it fills the control instead.
  const int ledHeight = std::min(height(), 2 * height() / (2 * count_ - 1) + 1);
  const int ledWidth = shape_ == shRound ? std::min(ledHeight, width()) : width();
  const int bottom = height() - mulDiv(place - 1, height() - ledHeight, count_ - 1);
  const int roundLift = (ledHeight - (shape_ == shRound ? ledWidth : ledHeight)) / 2;  // a circle sits mid-slot
  const int boxHeight = shape_ == shRound ? ledWidth : ledHeight;
  return {(width() - ledWidth) / 2, bottom - ledHeight + roundLift, ledWidth, boxHeight};
}

QRect LedGauge::rowLedRect(int place) const {
  const int ledWidth = 2 * width() / (3 * count_ - 1);
  const int ledHeight = shape_ == shRound ? std::min(ledWidth, height()) : height();
  const int roundInset = (ledWidth - (shape_ == shRound ? ledHeight : ledWidth)) / 2;
  const int boxWidth = shape_ == shRound ? ledHeight : ledWidth;
  const int left = mulDiv(place - 1, width() - ledWidth, count_ - 1);
  return {left + roundInset, (height() - ledHeight) / 2, boxWidth, ledHeight};
}

QRect LedGauge::ledRect(int led) const {
  const int place = mirror_ ? count_ - led + 1 : led;
  return height() > width() ? columnLedRect(place) : rowLedRect(place);
}

// Painting ---------------------------------------------------------------------------------------

void LedGauge::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  for (int led = 1; led <= count_; ++led) {
    const QRect box = ledRect(led);
    if (box.isEmpty()) continue;
    const QColor fill = ledColour(led);
    switch (shape_) {
      case shRectangular:
        // Many LEDs in a short row are a pixel or two wide: an outline would
        // leave no room for the light, so they are drawn as light alone.
        if (std::min(box.width(), box.height()) < MinOutlinedLed) {
          painter.fillRect(box, fill);
          break;
        }
        painter.fillRect(box, Outline);
        painter.fillRect(box.adjusted(1, 1, -1, -1), fill);
        break;
      case shRound:
      case shRoundedRect: {
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(Outline, 1));
        painter.setBrush(fill);
        const QRectF inner = QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5);
        if (shape_ == shRound) {
          painter.drawEllipse(inner);
        } else {
          const qreal radius = std::min(inner.width(), inner.height()) * RoundedCornerShare;
          painter.drawRoundedRect(inner, radius, radius);
        }
        break;
      }
    }
  }
}

}  // namespace quillon
