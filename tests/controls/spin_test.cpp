// The spin field: clamping, keyboard, press and roll with its step sizes and
// pointer warping, the two notifications and where the focus goes.

#include "controls/roll_spin_box.h"
#include "render_support.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

using namespace quillon;

namespace {

// Records the pointer warps instead of moving the real pointer.
class RecordingSpin : public RollSpinBox {
 public:
  using RollSpinBox::RollSpinBox;
  QList<int> warps;

 protected:
  void movePointerBy(int dy) override { warps.append(dy); }
};

const QPoint RollPoint(35, 11);  // on the LED side, inside the drag zone
const QPoint NumberPoint(10, 11);

void moveWithModifiers(QWidget* widget, const QPoint& point, Qt::KeyboardModifiers modifiers) {
  QMouseEvent move(QEvent::MouseMove, QPointF(point), QPointF(widget->mapToGlobal(point)), Qt::NoButton, Qt::LeftButton,
                   modifiers);
  QApplication::sendEvent(widget, &move);
}

}  // namespace

class SpinTest : public QObject {
  Q_OBJECT

 private slots:
  void startsAsTheWindowsExpect() {
    RollSpinBox spin;
    QCOMPARE(spin.size(), QSize(44, 22));
    QCOMPARE(spin.Value(), 0);
    QCOMPARE(spin.MinValue(), 0);
    QCOMPARE(spin.MaxValue(), 127);
    QCOMPARE(spin.LedOnCol(), QColor(255, 0, 0));
    QCOMPARE(spin.LedOffCol(), QColor(128, 128, 128));
    QCOMPARE(spin.CMinColor(), QColor(128, 128, 0));
    QCOMPARE(spin.BKColor(), spin.palette().color(QPalette::Base));
    QVERIFY(!spin.accessibleName().isEmpty());
    spin.resize(30, 10);
    QCOMPARE(spin.size(), QSize(44, 22));
    spin.setPanelwidth(3);
    QCOMPARE(spin.Panelwidth(), 2);
    spin.setPanelwidth(-1);
    QCOMPARE(spin.Panelwidth(), 0);
  }

  void valueSetByCodeIsClampedAndAlwaysReported() {
    RollSpinBox spin;
    spin.setMinValue(-64);
    spin.setMaxValue(63);
    QSignalSpy change(&spin, &RollSpinBox::OnChange);
    spin.setValue(200);
    QCOMPARE(spin.Value(), 63);
    spin.setValue(63);
    spin.setValue(-1000);
    QCOMPARE(spin.Value(), -64);
    QCOMPARE(change.count(), 3);
    QCOMPARE(change.at(0).at(0).toInt(), 63);
  }

  void newBoundsPullTheValueInsideSilently() {
    RollSpinBox spin;
    spin.setValue(100);
    QSignalSpy change(&spin, &RollSpinBox::OnChange);
    spin.setMaxValue(50);
    QCOMPARE(spin.Value(), 50);
    spin.setMinValue(60);
    QCOMPARE(spin.Value(), 60);
    QVERIFY(spin.MinValue() <= spin.MaxValue());
    QCOMPARE(change.count(), 0);
  }

  void keysOnATuneRange_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("expected");
    QTest::newRow("home") << 10 << int(Qt::Key_Home) << 0 << -63;
    QTest::newRow("end") << 10 << int(Qt::Key_End) << 0 << 63;
    QTest::newRow("insert") << 10 << int(Qt::Key_Insert) << 0 << 0;
    QTest::newRow("up") << 10 << int(Qt::Key_Up) << 0 << 11;
    QTest::newRow("page up") << 10 << int(Qt::Key_PageUp) << 0 << 20;
    QTest::newRow("page down") << 10 << int(Qt::Key_PageDown) << 0 << 0;
    QTest::newRow("page up near top") << 60 << int(Qt::Key_PageUp) << 0 << 63;
    QTest::newRow("keypad plus") << 10 << int(Qt::Key_Plus) << int(Qt::KeypadModifier) << 11;
  }
  void keysOnATuneRange() {
    QFETCH(int, start);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, expected);
    RollSpinBox spin;
    spin.setMinValue(-63);
    spin.setMaxValue(63);
    spin.setValue(start);
    QSignalSpy change(&spin, &RollSpinBox::OnChange);
    QTest::keyClick(&spin, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(spin.Value(), expected);
    QCOMPARE(change.count(), expected != start ? 1 : 0);
  }

  void keysThatChangeNothingReportNothing() {
    RollSpinBox spin;
    spin.setValue(127);
    QSignalSpy change(&spin, &RollSpinBox::OnChange);
    QTest::keyClick(&spin, Qt::Key_A);
    QTest::keyClick(&spin, Qt::Key_Up);
    QTest::keyClick(&spin, Qt::Key_End);
    QCOMPARE(change.count(), 0);
  }

  void rollingDownLowersByOneAndPutsThePointerBack() {
    RecordingSpin spin;
    spin.setValue(64);
    QSignalSpy change(&spin, &RollSpinBox::OnChange);
    QSignalSpy changing(&spin, &RollSpinBox::OnChanging);
    QTest::mousePress(&spin, Qt::LeftButton, {}, RollPoint);
    QVERIFY(spin.isDragging());
    QTest::mouseMove(&spin, RollPoint + QPoint(0, 1));
    QCOMPARE(spin.Value(), 63);
    QCOMPARE(spin.warps, QList<int>{-1});
    // The pointer is back where it was: that position rolls nothing.
    QTest::mouseMove(&spin, RollPoint);
    QCOMPARE(spin.Value(), 63);
    QTest::mouseMove(&spin, RollPoint - QPoint(0, 1));
    QCOMPARE(spin.Value(), 64);
    QCOMPARE(spin.warps, (QList<int>{-1, 1}));
    QCOMPARE(changing.count(), 2);
    QCOMPARE(change.count(), 0);
    QTest::mouseRelease(&spin, Qt::LeftButton, {}, RollPoint);
    QVERIFY(!spin.isDragging());
    QCOMPARE(change.count(), 1);
    QCOMPARE(change.at(0).at(0).toInt(), 64);
  }

  void rollStepDependsOnTheKeysHeldAtThePress_data() {
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("step");
    QTest::newRow("plain") << int(Qt::NoModifier) << 1;
    QTest::newRow("shift") << int(Qt::ShiftModifier) << 5;
    QTest::newRow("ctrl") << int(Qt::ControlModifier) << 10;
    QTest::newRow("shift and ctrl") << int(Qt::ShiftModifier | Qt::ControlModifier) << 1;
  }
  void rollStepDependsOnTheKeysHeldAtThePress() {
    QFETCH(int, modifiers);
    QFETCH(int, step);
    RecordingSpin spin;
    spin.setValue(64);
    QTest::mousePress(&spin, Qt::LeftButton, Qt::KeyboardModifiers(modifiers), RollPoint);
    QTest::mouseMove(&spin, RollPoint - QPoint(0, 1));
    QCOMPARE(spin.Value(), 64 + step);
    QTest::mouseRelease(&spin, Qt::LeftButton, Qt::KeyboardModifiers(modifiers), RollPoint);
  }

  void shiftPressedAfterThePressKeepsSingleSteps() {
    RecordingSpin spin;
    spin.setValue(64);
    QTest::mousePress(&spin, Qt::LeftButton, {}, RollPoint);
    moveWithModifiers(&spin, RollPoint - QPoint(0, 1), Qt::ShiftModifier);
    QCOMPARE(spin.Value(), 65);
    QTest::mouseRelease(&spin, Qt::LeftButton, {}, RollPoint);
  }

  void rollingPastABoundStaysInRangeAndStillReportsSteps() {
    RecordingSpin spin;
    spin.setMinValue(-64);
    spin.setMaxValue(63);
    spin.setValue(55);
    QSignalSpy changing(&spin, &RollSpinBox::OnChanging);
    QTest::mousePress(&spin, Qt::LeftButton, Qt::ControlModifier, RollPoint);
    // The pointer is put back after every step, so the user's moves arrive one row off again and again.
    for (int i = 0; i < 5; ++i) QTest::mouseMove(&spin, RollPoint - QPoint(0, 1));
    QCOMPARE(spin.Value(), 63);
    QCOMPARE(changing.count(), 5);
    for (int i = 0; i < 30; ++i) QTest::mouseMove(&spin, RollPoint + QPoint(0, 1));
    QCOMPARE(spin.Value(), -64);
    for (const auto& args : changing) QVERIFY(args.at(0).toInt() >= -64 && args.at(0).toInt() <= 63);
    QTest::mouseRelease(&spin, Qt::LeftButton, {}, RollPoint);
  }

  void aPressWithoutRollingReportsNothing() {
    RecordingSpin spin;
    spin.setValue(20);
    QSignalSpy change(&spin, &RollSpinBox::OnChange);
    QTest::mouseClick(&spin, Qt::LeftButton, {}, RollPoint);
    QCOMPARE(change.count(), 0);
    QCOMPARE(spin.Value(), 20);
  }

  void aPressOnTheNumberDoesNotRoll() {
    RecordingSpin spin;
    spin.setValue(20);
    QTest::mousePress(&spin, Qt::LeftButton, {}, NumberPoint);
    QVERIFY(!spin.isDragging());
    QTest::mouseMove(&spin, NumberPoint + QPoint(0, 5));
    QCOMPARE(spin.Value(), 20);
    QVERIFY(spin.warps.isEmpty());
    QTest::mouseRelease(&spin, Qt::LeftButton, {}, NumberPoint);
  }

  void theLedLightsWhileRolling() {
    RecordingSpin spin;
    spin.setLedOnCol(QColor(0, 250, 1));
    QVERIFY(!testing::coloursOf(testing::renderAt(spin, 1.0)).contains(qRgb(0, 250, 1)));
    QTest::mousePress(&spin, Qt::LeftButton, {}, RollPoint);
    QVERIFY(testing::coloursOf(testing::renderAt(spin, 1.0)).contains(qRgb(0, 250, 1)));
    QTest::mouseRelease(&spin, Qt::LeftButton, {}, RollPoint);
    QVERIFY(!testing::coloursOf(testing::renderAt(spin, 1.0)).contains(qRgb(0, 250, 1)));
  }

  void theWheelStepsByOne() {
    RollSpinBox spin;
    spin.setValue(5);
    QSignalSpy change(&spin, &RollSpinBox::OnChange);
    QWheelEvent down(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(&spin, &down);
    QCOMPARE(spin.Value(), 4);
    QCOMPARE(change.count(), 1);
  }

  void aPressGivesTheFocusToTheFocusControlWhenSet() {
    QWidget window;
    auto* spin = new RecordingSpin(&window);
    auto* edit = new QLineEdit(&window);
    edit->move(0, 40);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::mouseClick(spin, Qt::LeftButton, {}, NumberPoint);
    QVERIFY(spin->hasFocus());
    spin->setFocusControl(edit);
    QTest::mouseClick(spin, Qt::RightButton, {}, NumberPoint);
    QVERIFY(edit->hasFocus());
  }
};

QTEST_MAIN(SpinTest)
#include "spin_test.moc"
