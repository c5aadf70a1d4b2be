#include "controls/roll_spin_box.h"

#include "controls/accessible_controls.h"
#include "controls/paint_helpers.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>

namespace quillon {
namespace {

constexpr int FieldInset = 2;
constexpr int FieldRightLoss = 16;  // the LED column right of the number field
constexpr int FieldBottomLoss = 3;
constexpr int LedRightLoss = 12;
constexpr int LedRightEdgeLoss = 5;
constexpr int LedTop = 3;
constexpr int LedBottomLoss = 4;
constexpr int WheelStepAngle = 120;
const QColor LedFrame = Qt::black;
const QColor DefaultLedOn = QColor(0xFF, 0x00, 0x00);   // red
const QColor DefaultLedOff = QColor(0x80, 0x80, 0x80);  // grey
const QColor DefaultCMin = QColor(0x80, 0x80, 0x00);    // olive

}  // namespace

RollSpinBox::RollSpinBox(QWidget* parent)
    : QWidget(parent), ledOnCol_(DefaultLedOn), ledOffCol_(DefaultLedOff), cMinColor_(DefaultCMin) {
  resize(DefaultWidth, DefaultHeight);
  installAccessibleControls();
  connect(this, &RollSpinBox::OnChange, this, [this](int v) { notifyAccessibleValue(this, v); });
  connect(this, &RollSpinBox::OnChanging, this, [this](int v) { notifyAccessibleValue(this, v); });
  setMinimumSize(DefaultWidth, DefaultHeight);
  setFocusPolicy(Qt::TabFocus);  // the press decides where the focus goes (FocusControl)
  setMouseTracking(true);        // for the roll cursor over the drag zone
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAccessibleName(tr("Value field"));
  setAccessibleDescription(valueKeysHint());
}

// Value and range ----------------------------------------------------------------------

int RollSpinBox::clamped(long long value) const {
  return static_cast<int>(std::clamp<long long>(value, minValue_, maxValue_));
}

void RollSpinBox::setValue(int value) {
  value_ = clamped(value);
  emit OnChange(value_);
  update();
}

void RollSpinBox::setMaxValue(int value) {
  maxValue_ = value;
  minValue_ = std::min(minValue_, maxValue_);
  value_ = clamped(value_);
  update();
}

void RollSpinBox::setMinValue(int value) {
  minValue_ = value;
  maxValue_ = std::max(minValue_, maxValue_);
  value_ = clamped(value_);
  update();
}

void RollSpinBox::changeBy(long long candidate) {
  const int next = clamped(candidate);
  if (next == value_) return;
  value_ = next;
  emit OnChange(value_);
  update();
}

// Colours -----------------------------------------------------------------------------------

QColor RollSpinBox::BKColor() const { return bkColor_.value_or(palette().color(QPalette::Base)); }

void RollSpinBox::setBKColor(const QColor& colour) {
  bkColor_ = colour;
  update();
}

void RollSpinBox::resetBKColor() {
  bkColor_.reset();
  update();
}

void RollSpinBox::setLedOnCol(const QColor& colour) {
  ledOnCol_ = colour;
  update();
}

void RollSpinBox::setLedOffCol(const QColor& colour) {
  ledOffCol_ = colour;
  update();
}

void RollSpinBox::setPanelwidth(int width) {
  panelwidth_ = std::clamp(width, 0, MaxPanelwidth);
  update();
}

// Keyboard and wheel -----------------------------------------------------------------------

std::optional<long long> RollSpinBox::valueForKey(const QKeyEvent& event) const {
  const bool keypad = event.modifiers() & Qt::KeypadModifier;
  switch (event.key()) {
    case Qt::Key_Up: return static_cast<long long>(value_) + 1;
    case Qt::Key_Down: return static_cast<long long>(value_) - 1;
    case Qt::Key_PageUp: return static_cast<long long>(value_) + PageStep;
    case Qt::Key_PageDown: return static_cast<long long>(value_) - PageStep;
    case Qt::Key_End: return maxValue_;
    case Qt::Key_Home: return minValue_;
    case Qt::Key_Insert: return (maxValue_ + minValue_) / 2;
    case Qt::Key_Plus:
      if (keypad) return static_cast<long long>(value_) + 1;
      break;
    case Qt::Key_Minus:
      if (keypad) return static_cast<long long>(value_) - 1;
      break;
    default: break;
  }
  return std::nullopt;
}

void RollSpinBox::keyPressEvent(QKeyEvent* event) {
  const std::optional<long long> candidate = valueForKey(*event);
  if (!candidate) {
    if (!startsTypedEntry(*event)) {
      QWidget::keyPressEvent(event);
      return;
    }
    openTypedEntry(this, event->text(), minValue_, maxValue_, textOf_, [this](int v) { setValue(v); });
    event->accept();
    return;
  }
  changeBy(*candidate);
  event->accept();
}

bool RollSpinBox::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QWidget::event(event);
  showValueToolTip(this, *static_cast<QHelpEvent*>(event));
  return true;
}

void RollSpinBox::wheelEvent(QWheelEvent* event) {
  wheelRemainder_ += event->angleDelta().y();
  const int steps = wheelRemainder_ / WheelStepAngle;
  wheelRemainder_ -= steps * WheelStepAngle;
  event->accept();
  if (steps != 0) changeBy(static_cast<long long>(value_) + steps);
}

// Press and roll ------------------------------------------------------------------------------

bool RollSpinBox::isInDragZone(const QPoint& point) const {
  return point.x() >= DragZoneLeft && point.x() <= width() - 1 && point.y() >= 1 && point.y() <= height() - 1;
}

void RollSpinBox::takeFocusOnPress() {
  if (focusControl_) {
    if ((focusControl_->focusPolicy() & Qt::TabFocus) && focusControl_->isEnabled() && focusControl_->isVisible() &&
        !focusControl_->hasFocus())
      focusControl_->setFocus(Qt::MouseFocusReason);
    return;
  }
  if ((focusPolicy() & Qt::TabFocus) && !hasFocus()) setFocus(Qt::MouseFocusReason);
}

void RollSpinBox::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) takeFocusOnPress();
  const QPoint point = event->position().toPoint();
  if (isInDragZone(point)) {
    dragging_ = true;
    rolled_ = false;
    lastY_ = point.y();
    // The step size is fixed by the keys held at the press, with the left button alone.
    const bool leftOnly = event->buttons() == Qt::LeftButton;
    shiftStep_ = leftOnly && event->modifiers() == Qt::ShiftModifier;
    ctrlStep_ = leftOnly && event->modifiers() == Qt::ControlModifier;
  }
  update();
  event->accept();
}

int RollSpinBox::rollStep() const {
  if (ctrlStep_) return CtrlStep;
  if (shiftStep_) return ShiftStep;
  return 1;
}

void RollSpinBox::roll(int direction) {
  value_ = clamped(static_cast<long long>(value_) + direction * rollStep());
  rolled_ = true;
  emit OnChanging(value_);
  update();
}

void RollSpinBox::mouseMoveEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  if (isInDragZone(point) || dragging_) {
    setCursor(Qt::SplitVCursor);
  } else {
    unsetCursor();
  }
  if (!dragging_) return;
  if (point.y() > lastY_) {  // the mouse went down the screen
    lastY_ = point.y() - 1;
    movePointerBy(-1);
    roll(-1);
  } else if (point.y() < lastY_) {
    lastY_ = point.y() + 1;
    movePointerBy(1);
    roll(1);
  }
}

void RollSpinBox::mouseReleaseEvent(QMouseEvent* event) {
  const bool reportRoll = dragging_ && rolled_;
  dragging_ = false;
  shiftStep_ = false;
  ctrlStep_ = false;
  rolled_ = false;
  if (reportRoll) emit OnChange(value_);
  update();
  event->accept();
}

void RollSpinBox::movePointerBy(int dy) { QCursor::setPos(QCursor::pos() + QPoint(0, dy)); }

void RollSpinBox::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  update();
}

void RollSpinBox::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  update();
}

// Painting --------------------------------------------------------------------------------------

void RollSpinBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Button));
  paint::raisedBevel(painter, rect(), panelwidth_, palette());

  const bool focused = hasFocus();
  const QRect field(QPoint(FieldInset, FieldInset), QPoint(width() - FieldRightLoss, height() - FieldBottomLoss));
  painter.fillRect(field, focused ? palette().color(QPalette::Highlight) : BKColor());
  paint::sunkenBevel(painter, field.adjusted(-1, -1, 1, 1), 1, palette());
  painter.setFont(font());
  painter.setPen(palette().color(focused ? QPalette::HighlightedText : QPalette::Text));
  painter.drawText(field, Qt::AlignCenter | Qt::TextSingleLine, QString::number(value_));

  const QRect led(QPoint(width() - LedRightLoss, LedTop), QPoint(width() - LedRightEdgeLoss, height() - LedBottomLoss));
  painter.fillRect(led, LedFrame);
  painter.fillRect(led.adjusted(1, 1, -1, -1), dragging_ ? ledOnCol_ : ledOffCol_);
}

}  // namespace quillon
