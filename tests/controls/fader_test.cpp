// Both faders: stored limits, range, keyboard, mouse, wheel and the two
// notifications, with the rules in which the number and text faders differ.

#include "controls/value_fader.h"
#include "controls/text_fader.h"
#include "render_support.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using namespace quillon;

namespace {

constexpr int Height = 150;

std::unique_ptr<FaderBase> makeFader(const QString& kind) {
  std::unique_ptr<FaderBase> fader;
  if (kind == "number") {
    fader = std::make_unique<ValueFader>();
  } else {
    fader = std::make_unique<TextFader>();
  }
  fader->resize(fader->sizeHint().width(), Height);
  return fader;
}

QPoint capPoint(const FaderBase& fader) { return {fader.width() / 2, fader.thumbCentreY()}; }

void addBothKinds() {
  QTest::addColumn<QString>("kind");
  QTest::newRow("ValueFader") << QString("number");
  QTest::newRow("TextFader") << QString("text");
}

struct Spies {
  explicit Spies(FaderBase& fader) : change(&fader, &FaderBase::OnChange), changing(&fader, &FaderBase::OnChanging) {}
  QSignalSpy change;
  QSignalSpy changing;
};

}  // namespace

class FaderTest : public QObject {
  Q_OBJECT

 private slots:
  void startsAsTheWindowsExpect_data() { addBothKinds(); }
  void startsAsTheWindowsExpect() {
    QFETCH(QString, kind);
    auto fader = makeFader(kind);
    QCOMPARE(fader->MinValue(), 0);
    QCOMPARE(fader->MaxValue(), 127);
    QCOMPARE(fader->Position(), 0);
    QCOMPARE(fader->Ticks(), 5);
    QVERIFY(fader->ShowTicks());
    QCOMPARE(fader->Panelwidth(), 1);
    QCOMPARE(fader->BKColor(), fader->palette().color(QPalette::Base));
    QCOMPARE(fader->ThumbColor(), fader->palette().color(QPalette::Button));
    QVERIFY(fader->focusPolicy() & Qt::TabFocus);
    QVERIFY(!fader->accessibleName().isEmpty());
  }

  void storedValuesAreKeptWithinTheirLimits_data() { addBothKinds(); }
  void storedValuesAreKeptWithinTheirLimits() {
    QFETCH(QString, kind);
    auto fader = makeFader(kind);
    fader->setTicks(1);
    QCOMPARE(fader->Ticks(), 2);
    fader->setTicks(-7);
    QCOMPARE(fader->Ticks(), 2);
    fader->setTicks(3);
    QCOMPARE(fader->Ticks(), 3);
    fader->setPanelwidth(3);
    QCOMPARE(fader->Panelwidth(), 2);
    fader->setPanelwidth(255);
    QCOMPARE(fader->Panelwidth(), 2);
    fader->setPanelwidth(0);
    QCOMPARE(fader->Panelwidth(), 0);
  }

  void isNeverSmallerThanTwentySixByThirtySix_data() { addBothKinds(); }
  void isNeverSmallerThanTwentySixByThirtySix() {
    QFETCH(QString, kind);
    auto fader = makeFader(kind);
    fader->resize(10, 20);
    QCOMPARE(fader->size(), QSize(26, 36));
  }

  void positionSetByCodeRaisesChangeOnlyWithinTheRange_data() { addBothKinds(); }
  void positionSetByCodeRaisesChangeOnlyWithinTheRange() {
    QFETCH(QString, kind);
    auto fader = makeFader(kind);
    fader->setPosition(100);
    Spies spies(*fader);
    fader->setPosition(128);
    fader->setPosition(-1);
    QCOMPARE(fader->Position(), 100);
    QCOMPARE(spies.change.count(), 0);
    fader->setPosition(100);  // unchanged, still reported
    fader->setPosition(127);
    QCOMPARE(spies.change.count(), 2);
    QCOMPARE(spies.change.at(1).at(0).toInt(), 127);
    QCOMPARE(spies.changing.count(), 0);
  }

  void newMaximumKeepsTheCapAndRecomputesThePosition_data() { addBothKinds(); }
  void newMaximumKeepsTheCapAndRecomputesThePosition() {
    QFETCH(QString, kind);
    auto fader = makeFader(kind);
    fader->setPosition(100);  // cap 27 below the top
    fader->setMaxValue(50);
    QCOMPARE(fader->Position(), 23);
    fader->setPosition(0);
    fader->setMaxValue(17);  // cap was at the bottom: stays there
    QCOMPARE(fader->Position(), 0);
    fader->setPosition(17);
    fader->setMaxValue(127);
    QCOMPARE(fader->Position(), 127);
  }

  void onlyTheTextFaderReportsANewMaximum() {
    ValueFader number;
    TextFader text;
    QSignalSpy numberChange(&number, &FaderBase::OnChange);
    QSignalSpy textChange(&text, &FaderBase::OnChange);
    number.setMaxValue(17);
    text.setMaxValue(17);
    text.setMinValue(0);
    QCOMPARE(numberChange.count(), 0);
    QCOMPARE(textChange.count(), 1);
  }

  void rangeStaysOrderedAndHoldsThePosition_data() { addBothKinds(); }
  void rangeStaysOrderedAndHoldsThePosition() {
    QFETCH(QString, kind);
    auto fader = makeFader(kind);
    fader->setPosition(90);
    fader->setMinValue(200);
    QVERIFY(fader->MinValue() <= fader->MaxValue());
    QVERIFY(fader->Position() >= fader->MinValue() && fader->Position() <= fader->MaxValue());
    fader->setMaxValue(-10);
    QVERIFY(fader->MinValue() <= fader->MaxValue());
    QVERIFY(fader->Position() >= fader->MinValue() && fader->Position() <= fader->MaxValue());
  }

  void keysMoveThePositionAndStayInRange_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("expected");
    for (const QString& kind : {QString("number"), QString("text")}) {
      const int page = kind == "number" ? 10 : 12;
      const char* k = kind == "number" ? "NaVf" : "dt";
      QTest::addRow("%s up", k) << kind << 50 << int(Qt::Key_Up) << 0 << 51;
      QTest::addRow("%s right", k) << kind << 50 << int(Qt::Key_Right) << 0 << 51;
      QTest::addRow("%s down", k) << kind << 50 << int(Qt::Key_Down) << 0 << 49;
      QTest::addRow("%s page up", k) << kind << 50 << int(Qt::Key_PageUp) << 0 << 50 + page;
      QTest::addRow("%s page down", k) << kind << 50 << int(Qt::Key_PageDown) << 0 << 50 - page;
      QTest::addRow("%s page up at top", k) << kind << 120 << int(Qt::Key_PageUp) << 0 << 127;
      QTest::addRow("%s home", k) << kind << 50 << int(Qt::Key_Home) << 0 << 0;
      QTest::addRow("%s end", k) << kind << 50 << int(Qt::Key_End) << 0 << 127;
      QTest::addRow("%s insert", k) << kind << 3 << int(Qt::Key_Insert) << 0 << 64;
      QTest::addRow("%s keypad plus", k) << kind << 50 << int(Qt::Key_Plus) << int(Qt::KeypadModifier) << 51;
      QTest::addRow("%s plain minus", k) << kind << 50 << int(Qt::Key_Minus) << 0 << 50;
    }
  }
  void keysMoveThePositionAndStayInRange() {
    QFETCH(QString, kind);
    QFETCH(int, start);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, expected);
    auto fader = makeFader(kind);
    fader->setPosition(start);
    QTest::keyClick(fader.get(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(fader->Position(), expected);
  }

  void aKeyReportsAChangeOnTheNumberFaderOnlyWhenItMovedTheCap() {
    ValueFader fader;
    fader.setPosition(127);
    Spies spies(fader);
    QTest::keyClick(&fader, Qt::Key_A);
    QTest::keyClick(&fader, Qt::Key_Up);  // already at the top
    QTest::keyClick(&fader, Qt::Key_End);
    QCOMPARE(spies.change.count(), 0);
    QTest::keyClick(&fader, Qt::Key_Down);
    QCOMPARE(spies.change.count(), 1);
    QCOMPARE(spies.change.at(0).at(0).toInt(), 126);
  }

  void theTextFaderReportsAChangeAfterEveryKey() {
    TextFader fader;
    fader.setPosition(127);
    Spies spies(fader);
    QTest::keyClick(&fader, Qt::Key_A);
    QTest::keyClick(&fader, Qt::Key_Up);
    QCOMPARE(spies.change.count(), 2);
    QCOMPARE(spies.change.at(0).at(0).toInt(), 127);
    QCOMPARE(fader.Position(), 127);
    QCOMPARE(spies.changing.count(), 0);
  }

  void aPressBesideTheCapStepsTowardItAndReportsAChange_data() { addBothKinds(); }
  void aPressBesideTheCapStepsTowardItAndReportsAChange() {
    QFETCH(QString, kind);
    auto fader = makeFader(kind);
    fader->setPosition(64);
    Spies spies(*fader);
    const QPoint above(fader->width() / 2, fader->thumbCentreY() - 20);
    QTest::mouseClick(fader.get(), Qt::LeftButton, {}, above);
    QCOMPARE(fader->Position(), 65);
    const QPoint below(fader->width() / 2, fader->thumbCentreY() + 20);
    QTest::mouseClick(fader.get(), Qt::LeftButton, {}, below);
    QTest::mouseClick(fader.get(), Qt::LeftButton, {}, below);
    QCOMPARE(fader->Position(), 63);
    QCOMPARE(spies.change.count(), 3);  // one per press, none on the releases
    QCOMPARE(spies.changing.count(), 0);
  }

  void aPressAtTheEndOfTheRangeStillReportsOnce_data() { addBothKinds(); }
  void aPressAtTheEndOfTheRangeStillReportsOnce() {
    QFETCH(QString, kind);
    auto fader = makeFader(kind);
    fader->setPosition(127);
    Spies spies(*fader);
    QTest::mouseClick(fader.get(), Qt::LeftButton, {}, QPoint(fader->width() / 2, 2));
    QCOMPARE(fader->Position(), 127);
    QCOMPARE(spies.change.count(), 1);
  }

  void draggingSendsChangingOnlyAndTheReleaseOneChange_data() { addBothKinds(); }
  void draggingSendsChangingOnlyAndTheReleaseOneChange() {
    QFETCH(QString, kind);
    auto fader = makeFader(kind);
    fader->setPosition(64);
    Spies spies(*fader);
    const QPoint cap = capPoint(*fader);
    QTest::mousePress(fader.get(), Qt::LeftButton, {}, cap);
    QVERIFY(fader->isDragging());
    QCOMPARE(spies.change.count(), 0);
    for (int dy = 1; dy <= 30; ++dy) QTest::mouseMove(fader.get(), cap - QPoint(0, dy));
    QCOMPARE(spies.changing.count(), 30);
    QCOMPARE(spies.change.count(), 0);
    const int dragged = fader->Position();
    QVERIFY(dragged > 64);
    QTest::mouseRelease(fader.get(), Qt::LeftButton, {}, cap - QPoint(0, 30));
    QVERIFY(!fader->isDragging());
    QCOMPARE(spies.change.count(), 1);
    QCOMPARE(spies.change.at(0).at(0).toInt(), dragged);
    QCOMPARE(spies.changing.count(), 30);
  }

  void draggingFarOutsideClampsToTheRange_data() { addBothKinds(); }
  void draggingFarOutsideClampsToTheRange() {
    QFETCH(QString, kind);
    auto fader = makeFader(kind);
    fader->setPosition(64);
    Spies spies(*fader);
    const QPoint cap = capPoint(*fader);
    QTest::mousePress(fader.get(), Qt::LeftButton, {}, cap);
    QTest::mouseMove(fader.get(), QPoint(cap.x(), -400));
    QCOMPARE(fader->Position(), 127);
    QTest::mouseMove(fader.get(), QPoint(cap.x(), 4000));
    QCOMPARE(fader->Position(), 0);
    QTest::mouseMove(fader.get(), QPoint(-300, 40));
    QVERIFY(fader->Position() >= 0 && fader->Position() <= 127);
    QTest::mouseRelease(fader.get(), Qt::LeftButton, {}, QPoint(-300, 40));
    QCOMPARE(spies.changing.count(), 3);
    for (const auto& args : spies.changing) QVERIFY(args.at(0).toInt() >= 0 && args.at(0).toInt() <= 127);
  }

  void aDragBackToTheStartReportsOnTheNumberFaderOnly() {
    ValueFader number;
    TextFader text;
    for (FaderBase* fader : {static_cast<FaderBase*>(&number), static_cast<FaderBase*>(&text)}) {
      fader->resize(fader->sizeHint().width(), Height);
      fader->setPosition(64);
      QTest::mouseClick(fader, Qt::LeftButton, {}, QPoint(fader->width() / 2, 2));  // settles 65
    }
    QSignalSpy numberChange(&number, &FaderBase::OnChange);
    QSignalSpy textChange(&text, &FaderBase::OnChange);
    for (FaderBase* fader : {static_cast<FaderBase*>(&number), static_cast<FaderBase*>(&text)}) {
      const QPoint cap = capPoint(*fader);
      QTest::mousePress(fader, Qt::LeftButton, {}, cap);
      QTest::mouseMove(fader, cap + QPoint(0, 25));
      QVERIFY(fader->Position() != 65);
      // Back to the row that maps to 65 again.
      int y = cap.y() + 25;
      while (fader->Position() != 65 && y > 0) QTest::mouseMove(fader, QPoint(cap.x(), --y));
      QCOMPARE(fader->Position(), 65);
      QTest::mouseRelease(fader, Qt::LeftButton, {}, QPoint(cap.x(), y));
    }
    QCOMPARE(numberChange.count(), 1);
    QCOMPARE(textChange.count(), 0);
  }

  void muisDownIsSetOnlyWhileTheCapIsHeld() {
    TextFader fader;
    fader.resize(64, Height);
    fader.setPosition(64);
    QVERIFY(!fader.MuisDown());
    QTest::mousePress(&fader, Qt::LeftButton, {}, capPoint(fader));
    QVERIFY(fader.MuisDown());
    QTest::mouseRelease(&fader, Qt::LeftButton, {}, capPoint(fader));
    QVERIFY(!fader.MuisDown());
    QTest::mousePress(&fader, Qt::LeftButton, {}, QPoint(32, 140));  // beside the cap
    QVERIFY(!fader.MuisDown());
    QTest::mouseRelease(&fader, Qt::LeftButton, {}, QPoint(32, 140));
    QVERIFY(!fader.setProperty("MuisDown", true));
  }

  void theWheelStepsByOne_data() { addBothKinds(); }
  void theWheelStepsByOne() {
    QFETCH(QString, kind);
    auto fader = makeFader(kind);
    fader->setPosition(126);
    Spies spies(*fader);
    auto turn = [&](int delta) {
      QWheelEvent wheel(QPointF(10, 50), QPointF(10, 50), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                        Qt::NoScrollPhase, false);
      QApplication::sendEvent(fader.get(), &wheel);
    };
    turn(120);
    QCOMPARE(fader->Position(), 127);
    turn(120);  // at the top: nothing to report
    QCOMPARE(spies.change.count(), 1);
    turn(-60);  // half a notch of a fine wheel does nothing yet
    QCOMPARE(fader->Position(), 127);
    turn(-60);
    QCOMPARE(fader->Position(), 126);
    QCOMPARE(spies.change.count(), 2);
  }

  void aLeftPressTakesTheFocusAndOtherButtonsDoNot_data() { addBothKinds(); }
  void aLeftPressTakesTheFocusAndOtherButtonsDoNot() {
    QFETCH(QString, kind);
    QWidget window;
    auto* other = new QLineEdit(&window);  // holds the focus first
    auto* fader = makeFader(kind).release();
    fader->setParent(&window);
    fader->move(0, 30);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    other->setFocus();
    QVERIFY(!fader->hasFocus());
    QTest::mouseClick(fader, Qt::RightButton, {}, QPoint(fader->width() / 2, 2));
    QVERIFY(!fader->hasFocus());
    QTest::mouseClick(fader, Qt::LeftButton, {}, QPoint(fader->width() / 2, 2));
    QVERIFY(fader->hasFocus());
  }

  void textIsCutToTwelveCharacters() {
    TextFader fader;
    fader.setText("Feedback Lvl.");
    QCOMPARE(fader.Text(), QString("Feedback Lvl"));
    fader.setText(" 8000 Hz");
    QCOMPARE(fader.Text(), QString(" 8000 Hz"));
  }

  void drawsWithoutBlendedShadesAtRatioTwo() {
    TextFader fader;  // no text: text is the one thing meant to be smoothed
    fader.resize(64, Height);
    fader.setPosition(40);
    QVERIFY(testing::paintsNoBlendedShadesAtRatioTwo(fader));
  }

  void focusColoursTheDisplay() {
    QWidget window;
    auto* other = new QLineEdit(&window);
    auto* fader = new ValueFader(&window);
    fader->setGeometry(0, 30, 26, Height);
    QPalette palette = fader->palette();
    palette.setColor(QPalette::Highlight, QColor(1, 2, 200));
    fader->setPalette(palette);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    other->setFocus();
    QVERIFY(!testing::coloursOf(testing::renderAt(*fader, 1.0)).contains(qRgb(1, 2, 200)));
    fader->setFocus();
    QVERIFY(fader->hasFocus());
    QVERIFY(testing::coloursOf(testing::renderAt(*fader, 1.0)).contains(qRgb(1, 2, 200)));
  }
};

QTEST_MAIN(FaderTest)
#include "fader_test.moc"
