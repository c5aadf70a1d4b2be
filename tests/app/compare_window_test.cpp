// Compare Performances as the program wires it: opened from the grid's menu
// and the editor's, Send A / Send B reaching the virtual module byte for byte
// as one undo step each, a value of A taken through the edit path, and a file
// that is no dump turned away without losing the choices.

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include "engine/words_compare.h"
#include "program_fixture.h"

using namespace quillon;
using testing::Program;

namespace {

using Kind = CompareWindow::SourceKind;

jv::VirtualModule& module() { return midi::virtualModuleBackend().module(); }

bool moduleHolds(const PerformanceRecord& r) {
  const PerformanceRecord& t = module().temporary();
  const BlockSizes sizes = StandardBlockSizes;
  if (!std::equal(r.common.begin(), r.common.begin() + sizes.commonLength(), t.common.begin())) return false;
  for (int p = 0; p < address::PartCount; ++p)
    if (!std::equal(r.parts[p].begin(), r.parts[p].begin() + sizes.partLength(), t.parts[p].begin())) return false;
  return true;
}

// A User bank of three different performances, opened as the user opens it.
void openBank(Program& p) {
  const QString path = p.t.path(QStringLiteral("bank.syx"));
  testing::writeBytes(path, testing::bankBytes(address::AreaUserPerformance, 3));
  p.main().openPath(path);
  QVERIFY(!p.ctx().store.NoPerformance);
}

void trigger(QWidget* window, const char* action) {
  auto* a = window->findChild<QAction*>(QLatin1String(action));
  QVERIFY2(a, action);
  a->trigger();
}

}  // namespace

class CompareWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void sendAAndSendBReachTheModuleAndUndoOneStepEach() {
    Program p;
    openBank(p);
    CompareWindow& w = *p.windows->compareWindow;
    const auto entry = [&p](int i) { return p.ctx().store.PerformanceList[static_cast<std::size_t>(i)]; };
    const PerformanceRecord first = entry(0), second = entry(1), third = entry(2);
    // The grid's menu on the second entry: it against the Temporary Performance.
    p.main().performanceGrid()->setCurrentCell(1, 0);
    trigger(&p.main(), "MGridCompare");
    QVERIFY(w.isVisible());
    QCOMPARE(w.source(CompareWindow::SideA), (CompareWindow::Source{Kind::ListEntry, 1}));
    QCOMPARE(w.source(CompareWindow::SideB), (CompareWindow::Source{Kind::Temporary, 0}));
    QVERIFY(!w.comparison().equal());
    const int steps = p.ctx().history.stepCount();

    w.findChild<QPushButton*>(QStringLiteral("BSendA"))->click();
    QTRY_VERIFY(moduleHolds(second));
    QCOMPARE(p.ctx().history.stepCount(), steps + 1);
    QVERIFY(w.comparison().equal());
    QCOMPARE(w.findChild<QLabel*>(QStringLiteral("LCount"))->text(), QStringLiteral("The performances are equal."));

    // B chosen as the user chooses it: the third entry of the list.
    auto* boxB = w.findChild<QComboBox*>(QStringLiteral("CbSourceB"));
    const int third_at = boxB->findText(QStringLiteral("List 3"), Qt::MatchStartsWith);
    QVERIFY(third_at >= 0);
    boxB->setCurrentIndex(third_at);
    emit boxB->activated(third_at);
    w.findChild<QPushButton*>(QStringLiteral("BSendB"))->click();
    QTRY_VERIFY(moduleHolds(third));
    QCOMPARE(p.ctx().history.stepCount(), steps + 2);

    p.ctx().history.undo();
    QTRY_VERIFY(moduleHolds(second));
    p.ctx().history.undo();
    QTRY_VERIFY(moduleHolds(first));
    QCOMPARE(p.ctx().store.TempPerformance, first);
  }

  // A performance without parts 9..16, in the list or in another file: Send A
  // of it sends nothing, whatever entry is chosen, and says why.
  void anIncompletePerformanceIsNotSentAsWhole_data() {
    QTest::addColumn<bool>("fromList");
    QTest::newRow("list entry 2") << true;
    QTest::newRow("another file's first") << false;
  }
  void anIncompletePerformanceIsNotSentAsWhole() {
    QFETCH(bool, fromList);
    Program p;
    Bytes cut;
    int message = 0;
    for (Byte b : testing::bankBytes(address::AreaUserPerformance, 3)) {
      const int lostFrom = (fromList ? TempBlockCount : 0) + 9;
      if (message < lostFrom || message >= lostFrom + 8) cut.push_back(b);
      message += b == 0xF7;
    }
    const QString path = p.t.path(QStringLiteral("cut.syx"));
    testing::writeBytes(path, cut);
    fromList ? p.main().openPath(path) : openBank(p);
    CompareWindow& w = *p.windows->compareWindow;
    w.chooseFile = [path] { return path; };
    p.main().performanceGrid()->setCurrentCell(1, 0);
    trigger(&p.main(), "MGridCompare");
    if (!fromList) w.findChild<QPushButton*>(QStringLiteral("BOpenFileA"))->click();
    QCOMPARE(w.source(CompareWindow::SideA).kind, fromList ? Kind::ListEntry : Kind::Outside);
    p.sent.clear();
    w.findChild<QPushButton*>(QStringLiteral("BSendA"))->click();
    QCOMPARE(p.count(roland::CommandDT1), 0);
    QVERIFY(w.findChild<QLabel*>(QStringLiteral("LStatus"))->text().contains(QStringLiteral("incomplete")));
  }

  void aValueOfAsOpenedGoesBackThroughTheEditPath() {
    Program p;
    openBank(p);
    CompareWindow& w = *p.windows->compareWindow;
    trigger(p.windows->performanceEditor.get(), "MEditorCompare");
    QCOMPARE(w.source(CompareWindow::SideA), (CompareWindow::Source{Kind::AsLoaded, 0}));
    QVERIFY(w.comparison().equal());
    const int level = p.ctx().store.TempPerformance.parts[2][part::Level];
    const int edited = level == 87 ? 86 : 87;
    QVERIFY(p.ctx().edit.set(param::PartLevel, 2, edited, SendGuard::Updating));
    QTRY_COMPARE(int(module().temporary().parts[2][part::Level]), edited);

    // Only the edit differs, and a screen reader hears it as a sentence.
    QCOMPARE(w.comparison().count(), 1);
    auto* list = w.findChild<QTreeWidget*>(QStringLiteral("LvDifferences"));
    QCOMPARE(list->topLevelItemCount(), 1);
    const QString sentence = QStringLiteral("Part 3 level is %1 in A and %2 in B.").arg(level).arg(edited);
    QCOMPARE(list->topLevelItem(0)->data(0, Qt::AccessibleTextRole).toString(), sentence);

    list->setFocus();
    list->setCurrentItem(list->topLevelItem(0));
    const int steps = p.ctx().history.stepCount();
    QTest::keyClick(list, Qt::Key_Return);  // Enter takes A's value, as the button does
    QTRY_COMPARE(int(module().temporary().parts[2][part::Level]), level);
    QVERIFY(w.comparison().equal());
    QCOMPARE(p.ctx().history.stepCount(), steps + 1);
  }

  void aFileThatIsNoDumpIsNamedAndTheChoicesStay() {
    Program p;
    openBank(p);
    CompareWindow& w = *p.windows->compareWindow;
    w.compare({Kind::ListEntry, 0}, {Kind::ListEntry, 2});
    auto* boxB = w.findChild<QComboBox*>(QStringLiteral("CbSourceB"));
    const int choices = boxB->count();
    const QString text = p.t.path(QStringLiteral("notes.syx"));
    testing::writeBytes(text, Bytes{'n', 'o', 't', 'e', 's'});
    w.chooseFile = [text] { return text; };
    w.findChild<QPushButton*>(QStringLiteral("BOpenFileB"))->click();
    QCOMPARE(p.t.infos.size(), std::size_t{1});
    QVERIFY2(p.t.infos[0].find("notes.syx") != std::string::npos, p.t.infos[0].c_str());
    QCOMPARE(boxB->count(), choices);
    QCOMPARE(w.source(CompareWindow::SideB), (CompareWindow::Source{Kind::ListEntry, 2}));
    // Another dump's performances become choices, its first on the side asked for.
    const QString other = p.t.path(QStringLiteral("other.syx"));
    testing::writeBytes(other, testing::bankBytes(address::AreaCardPerformance, 2));
    QVERIFY(w.openFileInto(CompareWindow::SideB, other));
    QCOMPARE(boxB->count(), choices + 2);
    QVERIFY(boxB->currentText().startsWith(QStringLiteral("other.syx 1: ")));
  }
};

QTEST_MAIN(CompareWindowTest)
#include "compare_window_test.moc"
