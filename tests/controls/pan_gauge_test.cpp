// The pan indicator and the LED gauge: clamping, derived LED counts and
// colours, LED layout within the control, and the decay.

#include "controls/led_gauge.h"
#include "controls/pan_indicator.h"
#include "render_support.h"

#include <QtTest>

using namespace quillon;

class PanGaugeTest : public QObject {
  Q_OBJECT

 private slots:
  void panStartsCentredAndTakesNoFocus() {
    PanIndicator pan;
    QCOMPARE(pan.size(), QSize(70, 15));
    QCOMPARE(pan.Value(), 64);
    QCOMPARE(pan.MinValue(), 0);
    QCOMPARE(pan.MaxValue(), 127);
    QCOMPARE(pan.Color(), QColor(255, 0, 0));
    QCOMPARE(pan.focusPolicy(), Qt::NoFocus);
    QVERIFY(!pan.accessibleName().isEmpty());
    pan.setPanelwidth(5);
    QCOMPARE(pan.Panelwidth(), 2);
  }

  void panValueIsKeptInsideItsRange() {
    PanIndicator pan;
    pan.setValue(500);
    QCOMPARE(pan.Value(), 127);
    pan.setValue(-3);
    QCOMPARE(pan.Value(), 0);
    pan.setValue(100);
    pan.setMaxValue(90);
    QCOMPARE(pan.Value(), 90);
    pan.setMinValue(95);
    QCOMPARE(pan.Value(), 95);
  }

  void panMarkerOfAThirtyNinePixelIndicator() {
    PanIndicator pan;
    pan.resize(39, 15);
    pan.setValue(0);
    QCOMPARE(pan.markerX(), 3);
    pan.setValue(64);
    QCOMPARE(pan.markerX(), 19);
    pan.setValue(127);
    QCOMPARE(pan.markerX(), 35);
  }

  void panDrawsWithoutBlendedShadesAtRatioTwo() {
    PanIndicator pan;
    pan.setValue(30);
    QVERIFY(testing::paintsNoBlendedShadesAtRatioTwo(pan));
  }

  void gaugeStartsAsAVelocityColumn() {
    LedGauge gauge;
    QCOMPARE(gauge.size(), QSize(16, 382));
    QCOMPARE(gauge.Value(), 127);
    QCOMPARE(gauge.Maximum(), 127);
    QCOMPARE(gauge.Count(), 127);
    QCOMPARE(gauge.Style(), LedGauge::stStereo);
    QCOMPARE(gauge.Mode(), LedGauge::moBar);
    QCOMPARE(gauge.Shape(), LedGauge::shRectangular);
    QCOMPARE(gauge.Delay(), LedGauge::TmOff);
    QCOMPARE(gauge.MiliSc(), 45);
    QCOMPARE(gauge.OffColor(), QColor(0, 128, 0));
    QCOMPARE(gauge.focusPolicy(), Qt::NoFocus);
    QVERIFY(!gauge.accessibleName().isEmpty());
  }

  void gaugeValueIsAtLeastOne() {
    LedGauge gauge;
    gauge.setValue(0);
    QCOMPARE(gauge.Value(), 1);
    gauge.setValue(-40);
    QCOMPARE(gauge.Value(), 1);
  }

  void countIsLimitedAndClearsTheValue() {
    LedGauge gauge;
    gauge.setCount(0);
    QCOMPARE(gauge.Count(), 1);
    gauge.setCount(500);
    QCOMPARE(gauge.Count(), 128);
    gauge.setValue(90);
    gauge.setCount(61);
    QCOMPARE(gauge.Value(), 0);
    QCOMPARE(gauge.litCount(), 0);
  }

  void monitorGaugeLightsByRoundedShares() {
    LedGauge gauge;
    gauge.setCount(61);
    gauge.setYellowPercent(51);
    gauge.setRedPercent(80);
    gauge.setValue(64);
    QCOMPARE(gauge.litCount(), 31);
    QCOMPARE(gauge.yellowAt(), 31);
    QCOMPARE(gauge.redAt(), 49);
    gauge.setYellowPercent(150);
    QCOMPARE(gauge.YellowPercent(), 100);
  }

  void stereoColoursGoLimeYellowRedAndUnlitLedsTakeTheOffColour() {
    LedGauge gauge;
    gauge.setCount(61);
    gauge.setYellowPercent(51);
    gauge.setRedPercent(80);
    gauge.setValue(127);
    QCOMPARE(gauge.ledColour(1), QColor(0, 255, 0));
    QCOMPARE(gauge.ledColour(30), QColor(0, 255, 0));
    QCOMPARE(gauge.ledColour(31), QColor(255, 255, 0));
    QCOMPARE(gauge.ledColour(48), QColor(255, 255, 0));
    QCOMPARE(gauge.ledColour(49), QColor(255, 0, 0));
    QCOMPARE(gauge.ledColour(61), QColor(255, 0, 0));
    gauge.setValue(20);
    QCOMPARE(gauge.ledColour(gauge.litCount() + 1), QColor(0, 128, 0));
  }

  void solidAndDotModes() {
    LedGauge gauge;
    gauge.setCount(10);
    gauge.setMaximum(10);
    gauge.setStyle(LedGauge::stSolid);
    gauge.setColor(QColor(1, 2, 3));
    gauge.setValue(4);
    QCOMPARE(gauge.ledColour(1), QColor(1, 2, 3));
    QCOMPARE(gauge.ledColour(4), QColor(1, 2, 3));
    QVERIFY(!gauge.isLit(5));
    gauge.setMode(LedGauge::moDot);
    QVERIFY(!gauge.isLit(3));
    QVERIFY(gauge.isLit(4));
    QVERIFY(!gauge.isLit(5));
  }

  void columnLedsRunFromTheBottomAndStayInside() {
    for (LedGauge::LedShape shape : {LedGauge::shRectangular, LedGauge::shRound, LedGauge::shRoundedRect}) {
      LedGauge gauge;
      gauge.setShape(shape);
      for (int count : {1, 2, 61, 127, 128}) {
        gauge.setCount(count);
        if (shape != LedGauge::shRound) {  // a circle sits in the middle of its slot
          QCOMPARE(gauge.ledRect(1).bottom(), gauge.height() - 1);
          QCOMPARE(gauge.ledRect(count).top(), 0);
        }
        for (int led = 1; led <= count; ++led) {
          QVERIFY(gauge.rect().contains(gauge.ledRect(led)));
          if (led > 1) QVERIFY(gauge.ledRect(led).top() < gauge.ledRect(led - 1).top());
        }
      }
    }
  }

  void rowLedsRunFromTheLeftAndMirrorSwapsThem() {
    LedGauge gauge;
    gauge.resize(220, 14);
    gauge.setCount(24);
    QCOMPARE(gauge.ledRect(1).left(), 0);
    QCOMPARE(gauge.ledRect(24).right(), 219);
    for (int led = 2; led <= 24; ++led) QVERIFY(gauge.ledRect(led).left() > gauge.ledRect(led - 1).right());
    const QRect first = gauge.ledRect(1);
    gauge.setMirror(true);
    QCOMPARE(gauge.ledRect(24), first);
  }

  void decayLowersTheValueByTwoDownToOne() {
    LedGauge gauge;
    gauge.setMiliSc(5);
    gauge.setValue(9);
    gauge.setDelay(LedGauge::TmOn);
    QCOMPARE(gauge.Delay(), LedGauge::TmOn);
    QList<int> seen{gauge.Value()};
    QElapsedTimer clock;
    clock.start();
    while (gauge.Value() > 1 && clock.elapsed() < 5000) {
      QTest::qWait(1);
      if (gauge.Value() != seen.last()) seen.append(gauge.Value());
    }
    QCOMPARE(seen, (QList<int>{9, 7, 5, 3, 1}));
    QTest::qWait(30);
    QCOMPARE(gauge.Value(), 1);
  }

  void decayOffHoldsTheValue() {
    LedGauge gauge;
    gauge.setMiliSc(5);
    gauge.setDelay(LedGauge::TmOn);
    gauge.setDelay(LedGauge::TmOff);
    gauge.setValue(100);
    QTest::qWait(40);
    QCOMPARE(gauge.Value(), 100);
  }

  void rectangularLedsDrawWithoutBlendedShadesAtRatioTwo() {
    LedGauge gauge;
    gauge.setCount(61);
    gauge.setValue(90);
    QVERIFY(testing::paintsNoBlendedShadesAtRatioTwo(gauge));
  }
};

QTEST_MAIN(PanGaugeTest)
#include "pan_gauge_test.moc"
