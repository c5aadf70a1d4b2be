// Faults of editing found by driving the program on the virtual module:
// names the module cannot show, a value sent twice, a key bar's release, and
// what one undo step holds.

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>

#include "controls/roll_spin_box.h"
#include "controls/value_fader.h"

#include "editing_fixture.h"

using namespace quillon;
using testing::Editing;

class EditingFaultsTest : public QObject {
  Q_OBJECT
 private slots:
  void everyHighByteOfANameBecomesWhatTheModuleShows() {
    Editing e;
    auto* name = Editing::in<QLineEdit>(e.editor(), "EPname");
    const auto storedName = [&] { return performanceName(e.ctx().store.TempPerformance.common); };
    const auto shownByModule = [](const std::string& n) {
      return std::all_of(n.begin(), n.end(), [](char c) { return c >= ' ' && c <= '}'; });
    };
    for (int first = 0x80; first <= 0xFF; first += PerformanceNameLength - 1) {
      QString high;
      for (int c = first; c < std::min(first + PerformanceNameLength - 1, 0x100); ++c) high += QChar(c);
      // Typed, then pasted over it, then Return.
      name->selectAll();
      for (QChar c : QStringLiteral("A") + high)
        QTest::sendKeyEvent(QTest::Click, name, Qt::Key_unknown, QString(c), Qt::NoModifier);
      name->selectAll();
      name->insert(QStringLiteral("B") + high);
      QTest::keyClick(name, Qt::Key_Return);
      QVERIFY2(shownByModule(storedName()), storedName().c_str());
      QVERIFY(storedName().starts_with('B'));
    }
    const QString file = e.t.path(QStringLiteral("named.syx"));
    e.main().chooseSaveFile = [&](const QString&) { return file; };
    Editing::click(&e.main(), "Bsavesys");
    QVERIFY(QFile(file).size() > 0);
    Editing::click(&e.main(), "BSendJV");
    QCOMPARE(performanceName(Editing::module().temporary().common), storedName());
    QCOMPARE(e.t.infos, std::vector<std::string>{});
  }

  void aValueSentTwiceEndsOnTheValueShown() {
    Editing e([](DeviceSettings& s) { s.engine.sysDly = 200; });
    auto* channel = Editing::in<QSpinBox>(e.editor(), "SpCh1");
    channel->setValue(1);
    e.sent.clear();
    // Two quick steps: the second arrives while the first waits to send its copy.
    Editing::pressLater(channel, Qt::Key_Up);
    QTest::keyClick(channel, Qt::Key_Up);
    QCOMPARE(channel->value(), 3);
    const std::vector<Bytes> sent = e.dataSentTo(address::temporaryPart(0, part::ReceiveChannel));
    QVERIFY(!sent.empty());
    QCOMPARE(sent.back(), Bytes{Byte(channel->value() - 1)});
    QCOMPARE(int(Editing::module().temporary().parts[0][part::ReceiveChannel]), channel->value() - 1);
  }

  void aKeyBarSendsOncePerStepAndNothingOnRelease() {
    Editing e;
    Editing::click(e.editor(), "BKeyRange");
    auto* upper = Editing::in<QScrollBar>(e.keyRange(), "sb3u");
    const int top = upper->value();
    e.sent.clear();
    upper->setSliderDown(true);
    for (int step = 1; step <= 5; ++step) upper->setValue(top - step);
    upper->setSliderDown(false);
    QCOMPARE(e.dataSentTo(address::temporaryPart(2, part::KeyRangeLower)).size(), std::size_t{5});
  }

  void aQuickEditsUndoStepHoldsOnlyItsOwnSends() {
    Editing e;
    auto* first = Editing::in<ValueFader>(e.editor(), "SlVol1");
    QTest::keyClick(first, Qt::Key_PageDown);  // part 1's level now differs from the others
    const PerformanceRecord before = Editing::module().temporary();
    const int steps = e.ctx().history.stepCount();
    auto* pan = Editing::in<RollSpinBox>(e.editor(), "SpPan2");
    // The user turns a pan while "All Lev to Val 1" waits between its messages.
    Editing::pressLater(pan, Qt::Key_Up);
    Editing::click(e.editor(), "BAllLev");
    QCOMPARE(Editing::module().temporary().parts[1][part::Pan], Byte(before.parts[1][part::Pan] + 1));
    QCOMPARE(e.ctx().history.stepCount(), steps + 2);
    // Each undo takes back one of the two, whichever went on the stack last.
    const auto levels = [](const PerformanceRecord& r) {
      std::vector<Byte> out;
      for (const auto& p : r.parts) out.push_back(p[part::Level]);
      return out;
    };
    e.ctx().history.undo();
    const PerformanceRecord& now = Editing::module().temporary();
    const bool panBack = now.parts[1][part::Pan] == before.parts[1][part::Pan];
    const bool levelsBack = levels(now) == levels(before);
    QVERIFY2(panBack != levelsBack, "one undo step took back the pan and the Quick Edit together");
    e.ctx().history.undo();
    QCOMPARE(Editing::module().temporary(), before);
  }

  void theUndoHistoryKeepsItsLimitAndSaysOnceThatTheOldestStepsGo() {
    Editing e;
    auto* level = Editing::in<ValueFader>(e.editor(), "SlVol1");
    e.t.infos.clear();
    constexpr int Beyond = 10;
    for (int edit = 0; edit < EditHistory::StepLimit + Beyond; ++edit)
      QTest::keyClick(level, edit % 2 ? Qt::Key_PageUp : Qt::Key_PageDown);
    QCOMPARE(e.ctx().history.stepCount(), EditHistory::StepLimit);
    QCOMPARE(e.t.infos, std::vector<std::string>{EditHistory::OldestStepsGoText});
    // The steps kept all undo; the ones before them are gone.
    for (int step = 0; step < EditHistory::StepLimit; ++step) e.ctx().history.undo();
    QVERIFY(!e.ctx().history.canUndo());
    QVERIFY(e.ctx().history.canRedo());
  }

  void anEditOfAListedPerformanceFirstPutsItIntoTheTemporaryOne() {
    Editing e;
    const QString file = e.t.path(QStringLiteral("user.syx"));
    testing::writeBytes(file, testing::bankBytes(address::AreaUserPerformance, 3));
    e.main().openPath(file);
    e.main().selectCell(0, 2);  // the open editor now shows User 3
    const PerformanceRecord listed = e.ctx().store.PerformanceList[2];
    const std::string name = performanceName(listed.common);
    QVERIFY(performanceName(Editing::module().temporary().common) != name);
    QTRY_COMPARE(Editing::in<QLabel>(e.editor(), "LShows")->text(),
                 QStringLiteral("User 3 = %1, sent to the Temporary Performance at the first edit")
                     .arg(QString::fromStdString(name).trimmed()));
    auto* level = Editing::in<ValueFader>(e.editor(), "SlVol1");
    QTest::keyClick(level, Qt::Key_Down);
    // The module plays what the editor shows, with the edit on top.
    const PerformanceRecord& played = Editing::module().temporary();
    QCOMPARE(performanceName(played.common), name);
    QCOMPARE(played.parts[1][part::PatchNumberLow], listed.parts[1][part::PatchNumberLow]);
    QCOMPARE(int(played.parts[0][part::Level]), level->Position());
    QCOMPARE(int(e.ctx().store.PerformanceList[2].parts[0][part::Level]), level->Position());
  }
};

QTEST_MAIN(EditingFaultsTest)
#include "editing_faults_test.moc"
