// Each editing window edits the parts it shows: one window moves the shared
// page or half, then a control of another is edited, and the data set must
// address the part its caption and its accessible name give. The windows are
// the program's, on the virtual module.

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>

#include "controls/value_fader.h"
#include "editing_fixture.h"

using namespace quillon;
using testing::Editing;

namespace {

QString text(QWidget* label) {
  if (auto* b = qobject_cast<QAbstractButton*>(label)) return b->text();
  return qobject_cast<QLabel*>(label)->text();
}

}  // namespace

class PartAddressingTest : public QObject {
  Q_OBJECT
 private slots:
  void theEditorFollowsTheSwitchWindow() {
    Editing e;
    Editing::click(e.editor(), "Bswitch");  // its fill moves the shared page to part 8's
    auto* level = Editing::in<ValueFader>(e.editor(), "SlVol1");
    const auto lp1 = [&] { return text(Editing::in<QWidget>(e.editor(), "lp1")); };
    QString wrong = e.edit(lp1(), level, [&] { QTest::keyClick(level, Qt::Key_Down); });
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    // A Quick Edit of the switch window: the column's patch stays the patch of its part.
    Editing::click(e.switches(), "BallVOL");
    QCOMPARE(Editing::partNamedIn(Editing::in<QWidget>(e.editor(), "StP1")->accessibleName()),
             Editing::partNamedIn(lp1()));
    wrong = e.edit(lp1(), level, [&] { QTest::keyClick(level, Qt::Key_Up); });
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
  }

  void theEditorAndTheKeyRangeWindowFollowEachOther() {
    Editing e;
    Editing::click(e.editor(), "BKeyRange");
    // A key bar of part 6 moves the shared page to 5 ~ 8.
    Editing::in<QScrollBar>(e.keyRange(), "sb6u")->triggerAction(QAbstractSlider::SliderPageStepSub);
    auto* level = Editing::in<ValueFader>(e.editor(), "SlVol2");
    QString wrong =
        e.edit(text(Editing::in<QWidget>(e.editor(), "lp2")), level, [&] { QTest::keyClick(level, Qt::Key_Down); });
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    // The editor's overview moves the half to parts 9..16.
    Editing::click(e.editor(), "l12on");
    auto* bar = Editing::in<QScrollBar>(e.keyRange(), "sb4u");
    wrong = e.edit(text(Editing::in<QWidget>(e.keyRange(), "lp4")), bar,
                   [&] { bar->triggerAction(QAbstractSlider::SliderPageStepSub); });
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
  }

  void theSwitchWindowFollowsTheEditorsOverview() {
    Editing e;
    Editing::click(e.editor(), "Bswitch");
    QCOMPARE(e.switches()->half(), 0);
    Editing::click(e.editor(), "l12on");
    auto* midi = Editing::in<QCheckBox>(e.switches(), "MR4");
    const QString wrong = e.edit(text(Editing::in<QWidget>(e.switches(), "lp4")), midi, [&] { midi->click(); });
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
  }

  void pageButtonsWithAndWithoutAPerformance() {
    Editing e;
    auto* level = Editing::in<ValueFader>(e.editor(), "SlVol1");
    const auto edit = [&](Qt::Key key) {
      return e.edit(text(Editing::in<QWidget>(e.editor(), "lp1")), level, [&] { QTest::keyClick(level, key); });
    };
    Editing::click(e.editor(), "Sp5_8");
    QString wrong = edit(Qt::Key_Down);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    // A file without performances keeps the list, and the columns keep the parts they show.
    const QString empty = e.t.path(QStringLiteral("empty.syx"));
    testing::writeBytes(empty, Bytes{0xF0, 0xF7});
    e.main().openPath(empty);
    QVERIFY(!e.ctx().store.NoPerformance);
    Editing::click(e.editor(), "Sp13_16");
    wrong = edit(Qt::Key_Up);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
  }
};

QTEST_MAIN(PartAddressingTest)
#include "part_addressing_test.moc"
