// A user without a mouse, from start to a split on the module: every step is
// a key press on the windows as start-up builds them.

#include <QScrollBar>
#include <QTableWidget>
#include <QTest>

#include "midi/virtual_backend.h"
#include "program_fixture.h"

using namespace quillon;
using testing::Program;

namespace {

constexpr int MaxTabs = 200;  // more than any window has controls

jv::VirtualModule& module() { return midi::virtualModuleBackend().module(); }
Byte modulePart1(Byte offset) { return module().temporary().parts[0][offset]; }

QWidget* focused() { return QApplication::focusWidget(); }

// Tab through the active window until `wanted` has the focus; false when it never does.
bool tabTo(QWidget* wanted) {
  for (int i = 0; i < MaxTabs && focused() != wanted; ++i) {
    QWidget* at = focused() ? focused() : QApplication::activeWindow();
    if (!at) return false;
    QTest::keyClick(at, Qt::Key_Tab);
  }
  return focused() == wanted;
}

void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QTest::keyClick(focused(), static_cast<Qt::Key>(key), modifiers);
}

}  // namespace

class KeyboardScenarioTest : public QObject {
  Q_OBJECT
 private slots:
  void aSplitIsMadeFromStartWithKeysOnly() {
    Program p;
    const QString file = p.t.path(QStringLiteral("bank.syx"));
    testing::writeBytes(file, testing::bankBytes(address::AreaUserPerformance, 3, StandardBlockSizes));
    p.windows->showAtStart();
    p.main().openPath(file);  // the file named on the command line
    p.waitForKeysAtMainWindow();

    QVERIFY2(tabTo(p.main().performanceGrid()), "Tab does not reach the performance grid");
    press(Qt::Key_Down);
    QCOMPARE(p.ctx().store.SelectedIndex, 1);
    press(Qt::Key_Return);
    PerformanceEditor* editor = p.windows->performanceEditor.get();
    QVERIFY(QTest::qWaitForWindowActive(editor));
    QCOMPARE(module().temporary().common, p.ctx().store.PerformanceList[1].common);

    // Part 1's level one step up, then taken back.
    auto* level = editor->findChild<QWidget*>(QStringLiteral("SlVol1"));
    QVERIFY2(tabTo(level), "Tab does not reach part 1's level");
    const Byte before = modulePart1(part::Level);
    press(before > 0 ? Qt::Key_Down : Qt::Key_Up);
    QVERIFY(modulePart1(part::Level) != before);
    press(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(modulePart1(part::Level), before);

    // The key range window by its button, then part 1 split off above middle C.
    QVERIFY2(tabTo(editor->findChild<QWidget*>(QStringLiteral("BKeyRange"))), "Tab does not reach Key Range");
    press(Qt::Key_Space);
    KeyRangeWindow* keys = p.windows->keyRange.get();
    QVERIFY(QTest::qWaitForWindowActive(keys));
    auto* lowest = keys->findChild<QScrollBar*>(QStringLiteral("sb1l"));
    QVERIFY2(tabTo(lowest), "Tab does not reach part 1's lowest key");
    press(Qt::Key_Home);
    for (int octave = 0; octave < 5; ++octave) press(Qt::Key_PageUp);
    press(Qt::Key_Right);
    const Byte split = static_cast<Byte>(lowest->value());
    QVERIFY(split > 0);
    QCOMPARE(modulePart1(part::KeyRangeLower), split);
    QVERIFY(modulePart1(part::KeyRangeUpper) >= split);
  }
};

QTEST_MAIN(KeyboardScenarioTest)
#include "keyboard_scenario_test.moc"
