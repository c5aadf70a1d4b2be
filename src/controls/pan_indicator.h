#pragma once
// Passive pan indicator: a small horizontal scale with a marker at the value.
// Takes no input and raises no events.

#include <QColor>
#include <QWidget>

namespace quillon {

class PanIndicator : public QWidget {
  Q_OBJECT
  Q_PROPERTY(int Value READ Value WRITE setValue)
  Q_PROPERTY(int MaxValue READ MaxValue WRITE setMaxValue)
  Q_PROPERTY(int MinValue READ MinValue WRITE setMinValue)
  Q_PROPERTY(QColor Color READ Color WRITE setColor)
  Q_PROPERTY(int Panelwidth READ Panelwidth WRITE setPanelwidth)
  Q_PROPERTY(PanelStyle PanelState READ PanelState WRITE setPanelState)

 public:
  // Kept for owners that set it; the bevel is always drawn the same way.
  enum PanelStyle { None, Single, Raised, Lowered };
  Q_ENUM(PanelStyle)

  static constexpr int DefaultWidth = 70;
  static constexpr int DefaultHeight = 15;
  static constexpr int DefaultMaxValue = 127;
  static constexpr int DefaultValue = 64;
  static constexpr int MaxPanelwidth = 2;

  explicit PanIndicator(QWidget* parent = nullptr);

  int Value() const { return value_; }
  void setValue(int value);  // clamped to the range
  int MaxValue() const { return maxValue_; }
  void setMaxValue(int value);
  int MinValue() const { return minValue_; }
  void setMinValue(int value);
  QColor Color() const { return color_; }
  void setColor(const QColor& colour);
  int Panelwidth() const { return panelwidth_; }
  void setPanelwidth(int width);  // stored within 0..MaxPanelwidth
  PanelStyle PanelState() const { return panelState_; }
  void setPanelState(PanelStyle state) { panelState_ = state; }

  // Values per pixel at the current width, and where the marker is drawn now.
  double PanScale() const;
  int markerX() const;

  QSize sizeHint() const override { return {DefaultWidth, DefaultHeight}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void paintScale(class QPainter& painter) const;
  void paintMarker(QPainter& painter) const;

  int value_ = DefaultValue;
  int maxValue_ = DefaultMaxValue;
  int minValue_ = 0;
  QColor color_;
  int panelwidth_ = 1;
  PanelStyle panelState_ = Lowered;
};

}  // namespace quillon
