// Faults of editing found by driving the program on the virtual module:
// names the module cannot show, a value sent twice, a key bar's release, and
// what one undo step holds.

#include <QFile>
#include <QLineEdit>
#include <QTest>

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
};

QTEST_MAIN(EditingFaultsTest)
#include "editing_faults_test.moc"
