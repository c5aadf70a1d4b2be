#pragma once
// A row or column of LEDs showing a level (the incoming velocity), lime, yellow
// and red by position or in one colour, with an optional decay that lets a
// peak sink back by itself.

#include <QColor>
#include <QTimer>
#include <QWidget>

namespace quillon {

class LedGauge : public QWidget {
  Q_OBJECT
  Q_PROPERTY(int Value READ Value WRITE setValue)
  Q_PROPERTY(int Maximum READ Maximum WRITE setMaximum)
  Q_PROPERTY(int Count READ Count WRITE setCount)
  Q_PROPERTY(LedStyle Style READ Style WRITE setStyle)
  Q_PROPERTY(LedMode Mode READ Mode WRITE setMode)
  Q_PROPERTY(LedShape Shape READ Shape WRITE setShape)
  Q_PROPERTY(QColor Color READ Color WRITE setColor)
  Q_PROPERTY(QColor OffColor READ OffColor WRITE setOffColor)
  Q_PROPERTY(int YellowPercent READ YellowPercent WRITE setYellowPercent)
  Q_PROPERTY(int RedPercent READ RedPercent WRITE setRedPercent)
  Q_PROPERTY(bool Mirror READ Mirror WRITE setMirror)
  Q_PROPERTY(DecaySwitch Delay READ Delay WRITE setDelay)
  Q_PROPERTY(int MiliSc READ MiliSc WRITE setMiliSc)

 public:
  enum LedStyle { stSolid, stStereo };
  Q_ENUM(LedStyle)
  enum LedMode { moBar, moDot };
  Q_ENUM(LedMode)
  enum LedShape { shRound, shRectangular, shRoundedRect };
  Q_ENUM(LedShape)
  enum DecaySwitch { TmOff, TmOn };
  Q_ENUM(DecaySwitch)

  static constexpr int DefaultWidth = 16;
  static constexpr int DefaultHeight = 382;
  static constexpr int DefaultMaximum = 127;
  static constexpr int DefaultCount = 127;
  static constexpr int MaxCount = 128;
  static constexpr int DefaultYellowPercent = 50;
  static constexpr int DefaultRedPercent = 90;
  static constexpr int DefaultMiliSc = 45;
  static constexpr int DecayStep = 2;

  explicit LedGauge(QWidget* parent = nullptr);

  int Value() const { return value_; }
  void setValue(int value);  // stored as at least 1
  int Maximum() const { return maximum_; }
  void setMaximum(int maximum);  // stored as at least 1
  int Count() const { return count_; }
  void setCount(int count);  // 1..MaxCount; also sets Value to 0
  LedStyle Style() const { return style_; }
  void setStyle(LedStyle style);
  LedMode Mode() const { return mode_; }
  void setMode(LedMode mode);
  LedShape Shape() const { return shape_; }
  void setShape(LedShape shape);
  QColor Color() const { return color_; }
  void setColor(const QColor& colour);
  QColor OffColor() const { return offColor_; }
  void setOffColor(const QColor& colour);
  int YellowPercent() const { return yellowPercent_; }
  void setYellowPercent(int percent);  // 0..100
  int RedPercent() const { return redPercent_; }
  void setRedPercent(int percent);  // 0..100
  bool Mirror() const { return mirror_; }
  void setMirror(bool mirror);
  DecaySwitch Delay() const { return decayTimer_.isActive() ? TmOn : TmOff; }
  void setDelay(DecaySwitch delay);
  int MiliSc() const { return decayTimer_.interval(); }
  void setMiliSc(int milliseconds);

  // Derived state, for owners and tests.
  int litCount() const;
  int yellowAt() const;
  int redAt() const;
  bool isLit(int led) const;  // led 1..Count
  QColor ledColour(int led) const;
  QRect ledRect(int led) const;  // where LED 1..Count is drawn at the current size

  QSize sizeHint() const override { return {DefaultWidth, DefaultHeight}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QRect columnLedRect(int place) const;
  QRect rowLedRect(int place) const;
  void decay();

  int value_ = DefaultMaximum;
  int maximum_ = DefaultMaximum;
  int count_ = DefaultCount;
  LedStyle style_ = stStereo;
  LedMode mode_ = moBar;
  LedShape shape_ = shRectangular;
  QColor color_;
  QColor offColor_;
  int yellowPercent_ = DefaultYellowPercent;
  int redPercent_ = DefaultRedPercent;
  bool mirror_ = false;
  QTimer decayTimer_;
};

}  // namespace quillon
