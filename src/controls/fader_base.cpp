#include "controls/fader_base.h"

#include "controls/accessible_controls.h"
#include "controls/control_geometry.h"
#include "controls/paint_helpers.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>

namespace quillon {
namespace {

constexpr int PreferredHeight = 150;
constexpr int TrackWidth = 4;
constexpr int TrackTop = 20;
constexpr int TrackBottomMargin = 3;
constexpr int CapWidth = 20;
constexpr int CapHeight = 10;
constexpr int CapHitAbove = 2;
constexpr int CapHitSideMargin = 4;
constexpr int DisplayTop = 2;
constexpr int DisplayUnderline = 15;  // highlight row under the display strip
constexpr int DisplayInset = 2;
constexpr int WheelStepAngle = 120;  // one notch of a usual mouse wheel
const QColor CapOutline = Qt::black;

}  // namespace

FaderBase::FaderBase(const Behaviour& behaviour, QWidget* parent) : QWidget(parent), behaviour_(behaviour) {
  installAccessibleControls();
  connect(this, &FaderBase::OnChange, this, [this](int v) { notifyAccessibleValue(this, v); });
  connect(this, &FaderBase::OnChanging, this, [this](int v) { notifyAccessibleValue(this, v); });
  setMinimumSize(geometry::FaderMinWidth, geometry::FaderMinHeight);
  setFocusPolicy(Qt::TabFocus);  // a left press takes the focus itself, other buttons do not
  setMouseTracking(true);        // for the resize cursor over the cap
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAccessibleDescription(valueKeysHint());
}

// Range --------------------------------------------------------------------------

void FaderBase::setMaxValue(int value) {
  maxValue_ = value;
  minValue_ = std::min(minValue_, maxValue_);
  keepRangeOrdered();
  update();
  if (behaviour_.changeOnMaxValue) emit OnChange(Position());
}

void FaderBase::setMinValue(int value) {
  minValue_ = value;
  maxValue_ = std::max(minValue_, maxValue_);
  keepRangeOrdered();
  update();
}

void FaderBase::keepRangeOrdered() { thumbOffset_ = clampedOffset(thumbOffset_); }

int FaderBase::clampedOffset(long long offset) const {
  return static_cast<int>(std::clamp<long long>(offset, minValue_, maxValue_));
}

void FaderBase::setPosition(int value) {
  if (value < minValue_ || value > maxValue_) return;
  thumbOffset_ = maxValue_ + minValue_ - value;
  emit OnChange(Position());
  update();
}

// Appearance properties ------------------------------------------------------------

void FaderBase::setTicks(int count) {
  ticks_ = std::clamp(count, MinTicks, MaxTicks);
  update();
}

void FaderBase::setShowTicks(bool show) {
  showTicks_ = show;
  update();
}

QColor FaderBase::BKColor() const { return bkColor_.value_or(palette().color(QPalette::Base)); }

void FaderBase::setBKColor(const QColor& colour) {
  bkColor_ = colour;
  update();
}

void FaderBase::resetBKColor() {
  bkColor_.reset();
  update();
}

QColor FaderBase::ThumbColor() const { return thumbColor_.value_or(palette().color(QPalette::Button)); }

void FaderBase::setThumbColor(const QColor& colour) {
  thumbColor_ = colour;
  update();
}

void FaderBase::resetThumbColor() {
  thumbColor_.reset();
  update();
}

void FaderBase::setPanelwidth(int width) {
  panelwidth_ = std::clamp(width, 0, MaxPanelwidth);
  update();
}

QSize FaderBase::sizeHint() const { return {behaviour_.preferredWidth, PreferredHeight}; }

QSize FaderBase::minimumSizeHint() const { return {geometry::FaderMinWidth, geometry::FaderMinHeight}; }

// Geometry ----------------------------------------------------------------------------

int FaderBase::thumbCentreY() const { return geometry::faderCapCentreY(height(), thumbOffset_, minValue_, maxValue_); }

std::vector<int> FaderBase::tickRows() const { return geometry::faderTickRows(height(), ticks_); }

int FaderBase::trackLeft() const { return width() / 2 - TrackWidth / 2; }

bool FaderBase::isInCapHitZone(const QPoint& point) const {
  const int capY = thumbCentreY();
  return point.x() >= CapHitSideMargin && point.x() <= width() - CapHitSideMargin && point.y() >= capY - CapHitAbove &&
         point.y() <= capY + behaviour_.capHitBelow;
}

// Notifications ------------------------------------------------------------------------

void FaderBase::settle() {
  emit OnChange(Position());
  lastNotified_ = Position();
  update();
}

// Keyboard -------------------------------------------------------------------------------

std::optional<int> FaderBase::thumbOffsetForKey(const QKeyEvent& event) const {
  const bool keypad = event.modifiers() & Qt::KeypadModifier;
  switch (event.key()) {
    case Qt::Key_Up:
    case Qt::Key_Right: return thumbOffset_ - 1;
    case Qt::Key_Down:
    case Qt::Key_Left: return thumbOffset_ + 1;
    case Qt::Key_PageUp: return thumbOffset_ - behaviour_.pageStep;
    case Qt::Key_PageDown: return thumbOffset_ + behaviour_.pageStep;
    case Qt::Key_End: return minValue_;
    case Qt::Key_Home: return maxValue_;
    case Qt::Key_Insert: return (maxValue_ + minValue_) / 2;
    case Qt::Key_Plus:
      if (keypad) return thumbOffset_ - 1;
      break;
    case Qt::Key_Minus:
      if (keypad) return thumbOffset_ + 1;
      break;
    default: break;
  }
  return std::nullopt;
}

void FaderBase::keyPressEvent(QKeyEvent* event) {
  const std::optional<int> target = thumbOffsetForKey(*event);
  const int before = thumbOffset_;
  if (target) thumbOffset_ = clampedOffset(*target);
  if (thumbOffset_ != before || behaviour_.changeOnEveryKey) settle();
  if (target) {
    event->accept();
  } else if (startsTypedEntry(*event)) {
    openTypedEntry(this, event->text(), minValue_, maxValue_, textOf_, [this](int v) { setPosition(v); });
    event->accept();
  } else {
    QWidget::keyPressEvent(event);  // let the window see keys the fader has no use for
  }
}

bool FaderBase::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QWidget::event(event);
  showValueToolTip(this, *static_cast<QHelpEvent*>(event));
  return true;
}

void FaderBase::wheelEvent(QWheelEvent* event) {
  wheelRemainder_ += event->angleDelta().y();
  const int steps = wheelRemainder_ / WheelStepAngle;
  wheelRemainder_ -= steps * WheelStepAngle;
  event->accept();
  if (steps == 0) return;
  const int before = thumbOffset_;
  thumbOffset_ = clampedOffset(static_cast<long long>(thumbOffset_) - steps);
  if (thumbOffset_ != before) settle();
}

// Mouse ------------------------------------------------------------------------------------

void FaderBase::stepToward(int y) {
  const int step = y < thumbCentreY() ? -1 : 1;
  thumbOffset_ = clampedOffset(static_cast<long long>(thumbOffset_) + step);
  settle();
}

void FaderBase::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && (focusPolicy() & Qt::TabFocus) && !hasFocus())
    setFocus(Qt::MouseFocusReason);
  const QPoint point = event->position().toPoint();
  if (isInCapHitZone(point)) {
    dragging_ = true;
    moved_ = false;
    dragStateChanged(true);
  } else {
    stepToward(point.y());
  }
  event->accept();
}

void FaderBase::mouseMoveEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  if (isInCapHitZone(point) || dragging_) {
    setCursor(Qt::SizeVerCursor);
  } else {
    unsetCursor();
  }
  if (!dragging_) return;
  thumbOffset_ = geometry::faderThumbOffsetAtY(point.y(), height(), minValue_, maxValue_);
  moved_ = true;
  emit OnChanging(Position());
  update();
}

void FaderBase::mouseReleaseEvent(QMouseEvent* event) {
  const bool wasDragging = dragging_;
  dragging_ = false;
  if (wasDragging) dragStateChanged(false);
  const bool draggedAway = behaviour_.releaseReportsAnyDrag && moved_;
  moved_ = false;
  if (Position() != lastNotified_ || draggedAway) settle();
  event->accept();
}

void FaderBase::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  update();
}

void FaderBase::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  update();
}

// Painting -----------------------------------------------------------------------------------

void FaderBase::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Button));
  if (showTicks_) paintTicks(painter);
  paintTrack(painter);
  paintCap(painter);
  paint::sunkenBevel(painter, rect(), panelwidth_, palette());
  paintDisplay(painter);
}

void FaderBase::paintTicks(QPainter& painter) const {
  const QColor shadow = palette().color(QPalette::Dark);
  const QColor light = palette().color(QPalette::Light);
  const int leftEnd = trackLeft() - behaviour_.tickGap - 1;
  const int rightStart = trackLeft() + TrackWidth + behaviour_.tickGap;
  const int rightEnd = width() - 1 - behaviour_.tickMargin;
  for (int y : tickRows()) {
    for (int row = 0; row < 2; ++row) {
      const QColor& colour = row == 0 ? shadow : light;
      if (leftEnd >= behaviour_.tickMargin)
        paint::horizontalLine(painter, behaviour_.tickMargin, leftEnd, y + row, colour);
      if (rightEnd >= rightStart) paint::horizontalLine(painter, rightStart, rightEnd, y + row, colour);
    }
  }
}

void FaderBase::paintTrack(QPainter& painter) const {
  const QRect slot(trackLeft(), TrackTop, TrackWidth, height() - TrackBottomMargin - TrackTop + 1);
  painter.fillRect(slot, palette().color(QPalette::Shadow));
  paint::sunkenBevel(painter, slot, 1, palette());
}

void FaderBase::paintCap(QPainter& painter) const {
  const int centreY = thumbCentreY();
  const QRect cap(width() / 2 - CapWidth / 2, centreY - CapHeight / 2, CapWidth, CapHeight);
  painter.fillRect(cap, CapOutline);
  const QRect face = cap.adjusted(1, 1, -1, -1);
  painter.fillRect(face, ThumbColor());
  paint::raisedBevel(painter, face, 1, palette());
  paint::horizontalLine(painter, face.left() + 1, face.right() - 1, centreY, CapOutline);
  paint::horizontalLine(painter, face.left() + 1, face.right() - 1, centreY + 1, palette().color(QPalette::Light));
}

void FaderBase::paintDisplay(QPainter& painter) const {
  const bool focused = hasFocus();
  const QRect strip(DisplayInset, DisplayTop, width() - 2 * DisplayInset, DisplayUnderline - DisplayTop);
  painter.fillRect(strip, focused ? palette().color(QPalette::Highlight) : BKColor());
  paint::sunkenBevel(painter, strip.adjusted(-1, -1, 1, 1), 1, palette());
  paint::horizontalLine(painter, strip.left(), strip.right(), DisplayUnderline, palette().color(QPalette::Light));
  painter.setFont(displayFont());
  painter.setPen(palette().color(focused ? QPalette::HighlightedText : QPalette::Text));
  painter.drawText(strip, Qt::AlignCenter | Qt::TextSingleLine, displayText());
}

}  // namespace quillon
