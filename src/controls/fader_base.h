#pragma once
// What the two vertical faders have in common: the inverted value that places
// the cap, the keyboard and mouse rules, the two notifications and the drawing
// of track, ticks, cap and value display. ValueFader and TextFader differ only in
// the text of the display and in a few rules listed in Behaviour.

#include <QColor>
#include <QWidget>

#include "controls/typed_entry.h"

#include <optional>
#include <vector>

namespace quillon {

class FaderBase : public QWidget {
  Q_OBJECT
  Q_PROPERTY(int MaxValue READ MaxValue WRITE setMaxValue)
  Q_PROPERTY(int MinValue READ MinValue WRITE setMinValue)
  Q_PROPERTY(int Position READ Position WRITE setPosition)
  Q_PROPERTY(int Ticks READ Ticks WRITE setTicks)
  Q_PROPERTY(bool ShowTicks READ ShowTicks WRITE setShowTicks)
  Q_PROPERTY(QColor BKColor READ BKColor WRITE setBKColor RESET resetBKColor)
  Q_PROPERTY(QColor ThumbColor READ ThumbColor WRITE setThumbColor RESET resetThumbColor)
  Q_PROPERTY(int Panelwidth READ Panelwidth WRITE setPanelwidth)

 public:
  // The rules in which the two faders differ.
  struct Behaviour {
    int pageStep;                // Page Up / Page Down
    bool changeOnMaxValue;       // setting MaxValue raises OnChange
    bool changeOnEveryKey;       // any key press raises OnChange, even one that changes nothing
    bool releaseReportsAnyDrag;  // the release after a drag raises OnChange even back at the start value
    int capHitBelow;             // rows below the cap line that still grab the cap
    int tickMargin;              // blank pixels between the control's side and a tick
    int tickGap;                 // blank pixels between a tick and the track
    int preferredWidth;
  };

  static constexpr int DefaultMaxValue = 127;
  static constexpr int DefaultTicks = 5;
  static constexpr int MinTicks = 2;
  static constexpr int MaxTicks = 255;
  static constexpr int MaxPanelwidth = 2;

  int MaxValue() const { return maxValue_; }
  // Keeps the cap where it is (pulled inside the new range), so Position follows
  // from the cap: set MaxValue before Position when adapting to a new range.
  void setMaxValue(int value);
  int MinValue() const { return minValue_; }
  void setMinValue(int value);

  int Position() const { return maxValue_ + minValue_ - thumbOffset_; }
  // A value outside MinValue..MaxValue is ignored; any other raises OnChange,
  // also when it equals the current position.
  void setPosition(int value);

  int Ticks() const { return ticks_; }
  void setTicks(int count);  // stored within MinTicks..MaxTicks
  bool ShowTicks() const { return showTicks_; }
  void setShowTicks(bool show);

  // Both colours follow the palette (base and button colour) until set.
  QColor BKColor() const;
  void setBKColor(const QColor& colour);
  void resetBKColor();
  QColor ThumbColor() const;
  void setThumbColor(const QColor& colour);
  void resetThumbColor();

  int Panelwidth() const { return panelwidth_; }
  void setPanelwidth(int width);  // stored within 0..MaxPanelwidth

  // Geometry as drawn now, for layout code and tests.
  int thumbCentreY() const;
  std::vector<int> tickRows() const;
  bool isDragging() const { return dragging_; }
  // The text of any position, for typing a value by its text; a TextFader's
  // owner that shows texts sets it.
  void setValueTextOf(ValueTextOf textOf) { textOf_ = std::move(textOf); }
  // The text the value display shows (for assistive technology too).
  QString valueText() const { return displayText(); }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  // A value settled: set by code, changed by a key, a click beside the cap, the
  // mouse wheel, or the release that ends a drag. Windows send on this one.
  void OnChange(int position);
  // The cap is being dragged: raised at every mouse move, also when the value
  // did not change. Windows send on it only when asked to follow every step.
  void OnChanging(int position);

 protected:
  FaderBase(const Behaviour& behaviour, QWidget* parent);

  virtual QString displayText() const = 0;
  virtual QFont displayFont() const { return font(); }
  // Called when a drag starts or ends.
  virtual void dragStateChanged(bool /*dragging*/) {}

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
  std::optional<int> thumbOffsetForKey(const QKeyEvent& event) const;
  int clampedOffset(long long offset) const;
  bool isInCapHitZone(const QPoint& point) const;
  void stepToward(int y);
  void settle();
  void keepRangeOrdered();

  int trackLeft() const;
  void paintTicks(class QPainter& painter) const;
  void paintTrack(QPainter& painter) const;
  void paintCap(QPainter& painter) const;
  void paintDisplay(QPainter& painter) const;

  const Behaviour behaviour_;
  int maxValue_ = DefaultMaxValue;
  int minValue_ = 0;
  int thumbOffset_ = DefaultMaxValue;  // MaxValue + MinValue - Position: 0 puts the cap at the top
  int lastNotified_ = 0;
  int ticks_ = DefaultTicks;
  bool showTicks_ = true;
  int panelwidth_ = 1;
  std::optional<QColor> bkColor_;
  std::optional<QColor> thumbColor_;
  bool dragging_ = false;
  bool moved_ = false;
  int wheelRemainder_ = 0;
  ValueTextOf textOf_;
};

}  // namespace quillon
