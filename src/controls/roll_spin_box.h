#pragma once
// Compact number field with an activity LED. "Press and Roll": press on the
// right part of the field (the LED side) and move the mouse up or down; each
// move steps the value by 1, by 5 with Shift held at the press, by 10 with
// Ctrl, and the pointer is put back so the whole range can be rolled through
// without leaving the control.

#include <QColor>
#include <QPointer>
#include <QWidget>

#include "controls/typed_entry.h"

#include <optional>

namespace quillon {

class RollSpinBox : public QWidget {
  Q_OBJECT
  Q_PROPERTY(int Value READ Value WRITE setValue)
  Q_PROPERTY(int MaxValue READ MaxValue WRITE setMaxValue)
  Q_PROPERTY(int MinValue READ MinValue WRITE setMinValue)
  Q_PROPERTY(QColor BKColor READ BKColor WRITE setBKColor RESET resetBKColor)
  Q_PROPERTY(QColor LedOnCol READ LedOnCol WRITE setLedOnCol)
  Q_PROPERTY(QColor LedOffCol READ LedOffCol WRITE setLedOffCol)
  Q_PROPERTY(QColor CMinColor READ CMinColor WRITE setCMinColor)
  Q_PROPERTY(int Panelwidth READ Panelwidth WRITE setPanelwidth)
  Q_PROPERTY(QWidget* FocusControl READ FocusControl WRITE setFocusControl)

 public:
  static constexpr int DefaultWidth = 44;
  static constexpr int DefaultHeight = 22;
  static constexpr int DefaultMaxValue = 127;
  static constexpr int PageStep = 10;
  static constexpr int ShiftStep = 5;
  static constexpr int CtrlStep = 10;
  static constexpr int MaxPanelwidth = 2;
  static constexpr int DragZoneLeft = 27;  // press and roll works right of this x

  explicit RollSpinBox(QWidget* parent = nullptr);

  int Value() const { return value_; }
  // Clamped to the range; raises OnChange, also when the value is unchanged.
  void setValue(int value);
  int MaxValue() const { return maxValue_; }
  void setMaxValue(int value);  // pulls Value inside without an event
  int MinValue() const { return minValue_; }
  void setMinValue(int value);  // pulls Value inside without an event

  QColor BKColor() const;  // the palette's base colour until set
  void setBKColor(const QColor& colour);
  void resetBKColor();
  QColor LedOnCol() const { return ledOnCol_; }
  void setLedOnCol(const QColor& colour);
  QColor LedOffCol() const { return ledOffCol_; }
  void setLedOffCol(const QColor& colour);
  // Kept for owners that set it; not used in drawing.
  QColor CMinColor() const { return cMinColor_; }
  void setCMinColor(const QColor& colour) { cMinColor_ = colour; }
  int Panelwidth() const { return panelwidth_; }
  void setPanelwidth(int width);  // stored within 0..MaxPanelwidth

  // When set, a press gives the keyboard focus to this control instead.
  QWidget* FocusControl() const { return focusControl_; }
  void setFocusControl(QWidget* control) { focusControl_ = control; }

  // The text of any value, for typing a value by its text.
  void setValueTextOf(ValueTextOf textOf) { textOf_ = std::move(textOf); }

  bool isDragging() const { return dragging_; }
  bool isInDragZone(const QPoint& point) const;

  QSize sizeHint() const override { return {DefaultWidth, DefaultHeight}; }
  QSize minimumSizeHint() const override { return {DefaultWidth, DefaultHeight}; }

 signals:
  // The value was set by code, changed by a key or the wheel, or a roll ended.
  void OnChange(int value);
  // One roll step while the button is held, also when the value stayed at a bound.
  void OnChanging(int value);

 protected:
  // Moves the mouse pointer dy pixels vertically; tests replace it.
  virtual void movePointerBy(int dy);

  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  std::optional<long long> valueForKey(const QKeyEvent& event) const;
  int clamped(long long value) const;
  void changeBy(long long candidate);
  void takeFocusOnPress();
  void roll(int direction);
  int rollStep() const;

  int value_ = 0;
  int maxValue_ = DefaultMaxValue;
  int minValue_ = 0;
  std::optional<QColor> bkColor_;
  QColor ledOnCol_;
  QColor ledOffCol_;
  QColor cMinColor_;
  int panelwidth_ = 1;
  QPointer<QWidget> focusControl_;
  bool dragging_ = false;
  bool shiftStep_ = false;
  bool ctrlStep_ = false;
  bool rolled_ = false;
  int lastY_ = 0;
  int wheelRemainder_ = 0;
  ValueTextOf textOf_;
};

}  // namespace quillon
