// Cap placement, pointer mapping, tick rows, pan marker and MulDiv rounding.

#include "controls/control_geometry.h"

#include <QtTest>

using namespace quillon::geometry;

class GeometryTest : public QObject {
  Q_OBJECT

 private slots:
  void capSitsAtTwentyForTheTopValueAndSevenAboveTheBottomForTheLowest() {
    for (int height : {36, 100, 150, 382}) {
      QCOMPARE(faderCapCentreY(height, 0, 0, 127), 20);
      QCOMPARE(faderCapCentreY(height, 127, 0, 127), height - 7);
    }
    QCOMPARE(faderCapCentreY(150, 63, 0, 127), (150 - 27) * 63 / 127 + 20);
    QCOMPARE(faderCapCentreY(150, 0, -64, 63), (150 - 27) * 64 / 127 + 20);
  }

  void emptyRangePutsTheCapFourAboveTheBottom() { QCOMPARE(faderCapCentreY(100, 0, 0, 0), 96); }

  void pointerMapsFromRowFifteenToSevenAboveTheBottom() {
    const int height = 150;
    QCOMPARE(faderThumbOffsetAtY(15, height, 0, 127), 0);
    QCOMPARE(faderThumbOffsetAtY(height - 7, height, 0, 127), 127);
    QCOMPARE(faderThumbOffsetAtY(79, height, 0, 127), 127 * 64 / 128);
    QCOMPARE(faderThumbOffsetAtY(15, height, -64, 63), -64);
  }

  void pointerOutsideTheTrackIsClampedToTheRange() {
    QCOMPARE(faderThumbOffsetAtY(-500, 150, 0, 127), 0);
    QCOMPARE(faderThumbOffsetAtY(5000, 150, 0, 127), 127);
    QCOMPARE(faderThumbOffsetAtY(-500, 150, -64, 63), -64);
    QCOMPARE(faderThumbOffsetAtY(5000, 36, 0, 17), 17);
  }

  void ticksOnATallFaderAreEvenlySpread() {
    const std::vector<int> rows = faderTickRows(150, 5);
    QCOMPARE(rows, (std::vector<int>{21, 52, 83, 114, 145}));
  }

  void ticksNeverPileUpOrLeaveTheFaderAtAnySize() {
    for (int height = FaderMinHeight; height <= 400; ++height) {
      for (int ticks : {2, 3, 5, 10, 40, 128, 255}) {
        const std::vector<int> rows = faderTickRows(height, ticks);
        QVERIFY2(!rows.empty(), qPrintable(QString("height %1 ticks %2").arg(height).arg(ticks)));
        QVERIFY(static_cast<int>(rows.size()) <= ticks);
        QCOMPARE(rows.front(), FaderFirstTickY);
        QVERIFY2(rows.back() + 1 <= height - 4, qPrintable(QString("height %1 ticks %2").arg(height).arg(ticks)));
        for (std::size_t i = 1; i < rows.size(); ++i) QVERIFY(rows[i] - rows[i - 1] >= FaderMinTickSpacing);
      }
    }
  }

  void aShortFaderShowsFewerTicksInsteadOfASmear() {
    // 36 pixels leave 10 rows: five ticks 2 apart would touch; four fit 3 apart.
    QCOMPARE(faderTickRows(36, 5), (std::vector<int>{21, 24, 27, 30}));
    QCOMPARE(faderTickRows(40, 20).size(), std::size_t(5));
  }

  void panMarkerStaysInsideTheIndicator() {
    for (int width : {26, 39, 70, 200})
      for (int value = 0; value <= 127; ++value) {
        const int x = panMarkerX(width, value, 0, 127);
        QVERIFY(x >= 3);
        QVERIFY(x <= width - 4);
      }
  }

  void panScaleIsOneForAnEmptyRange() {
    QCOMPARE(panScale(70, 0, 0), 1.0);
    QCOMPARE(panScale(4, 0, 127), 1.0);
    QCOMPARE(panScale(70, 0, 128), 2.0);
  }

  void mulDivRoundsHalvesAwayFromZero() {
    QCOMPARE(mulDiv(64, 61, 127), 31);  // 30.74
    QCOMPARE(mulDiv(61, 51, 100), 31);  // 31.11
    QCOMPARE(mulDiv(61, 80, 100), 49);  // 48.8
    QCOMPARE(mulDiv(1, 1, 2), 1);       // 0.5
    QCOMPARE(mulDiv(-1, 1, 2), -1);     // -0.5
    QCOMPARE(mulDiv(5, 1, 4), 1);       // 1.25
    QCOMPARE(mulDiv(-5, 3, 4), -4);     // -3.75
    QCOMPARE(mulDiv(3, 1, 0), 0);
  }
};

QTEST_APPLESS_MAIN(GeometryTest)
#include "geometry_test.moc"
