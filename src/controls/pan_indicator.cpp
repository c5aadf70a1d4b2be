#include "controls/pan_indicator.h"

#include "controls/control_geometry.h"
#include "controls/paint_helpers.h"

#include <QPainter>

#include <algorithm>

namespace quillon {
namespace {

constexpr int ScaleLineY = 6;
constexpr int ScaleLeft = 3;
constexpr int MarkTop = 3;
constexpr int ScaleMarkCount = 4;
constexpr int CentreMark = 2;
const QColor DefaultMarkerColour = QColor(0xFF, 0x00, 0x00);  // red
const QColor MarkerBox = Qt::black;

}  // namespace

PanIndicator::PanIndicator(QWidget* parent) : QWidget(parent), color_(DefaultMarkerColour) {
  resize(DefaultWidth, DefaultHeight);
  setMinimumSize(geometry::PanMinWidth, geometry::PanMinHeight);
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAccessibleName(tr("Pan position"));
}

void PanIndicator::setValue(int value) {
  value_ = std::clamp(value, minValue_, maxValue_);
  update();
}

void PanIndicator::setMaxValue(int value) {
  maxValue_ = value;
  minValue_ = std::min(minValue_, maxValue_);
  setValue(value_);
}

void PanIndicator::setMinValue(int value) {
  minValue_ = value;
  maxValue_ = std::max(minValue_, maxValue_);
  setValue(value_);
}

void PanIndicator::setColor(const QColor& colour) {
  color_ = colour;
  update();
}

void PanIndicator::setPanelwidth(int width) {
  panelwidth_ = std::clamp(width, 0, MaxPanelwidth);
  update();
}

double PanIndicator::PanScale() const { return geometry::panScale(width(), minValue_, maxValue_); }

int PanIndicator::markerX() const { return geometry::panMarkerX(width(), value_, minValue_, maxValue_); }

void PanIndicator::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Button));
  paint::sunkenBevel(painter, rect(), panelwidth_, palette());
  paintScale(painter);
  paintMarker(painter);
}

void PanIndicator::paintScale(QPainter& painter) const {
  const QColor shadow = palette().color(QPalette::Dark);
  paint::horizontalLine(painter, ScaleLeft, width() - 3, ScaleLineY, shadow);
  const int markBottom = height() / 2 + 2;
  for (int i = 0; i < ScaleMarkCount; ++i)
    paint::verticalLine(painter, geometry::panScaleMarkX(width(), i), MarkTop, markBottom, shadow);
  paint::verticalLine(painter, width() - 4, MarkTop, markBottom, shadow);
  // The centre mark runs the full height so the middle position reads at a glance.
  paint::verticalLine(painter, geometry::panScaleMarkX(width(), CentreMark), 2, height() - 2,
                      palette().color(QPalette::WindowText));
}

void PanIndicator::paintMarker(QPainter& painter) const {
  const int x = markerX();
  painter.fillRect(QRect(QPoint(x - 1, 2), QPoint(x + 1, height() - 2)), MarkerBox);
  paint::verticalLine(painter, x, 3, height() - 3, color_);
}

}  // namespace quillon
