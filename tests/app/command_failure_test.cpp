// A failure thrown while a command runs is told in a box and the program goes
// on with its data, under the program's own application object.

#include <QFile>
#include <QPushButton>
#include <QTest>

#include "app/program_application.h"
#include "program_fixture.h"

using namespace quillon;
using testing::Program;

class CommandFailureTest : public QObject {
  Q_OBJECT
 private slots:
  void saveOfAStoreWithAByteNoMessageCarriesIsRefusedAndTheProgramGoesOn() {
    Program p;
    p.main().getTemp();
    // What a fault elsewhere could leave in the store: a status byte in the name.
    constexpr Byte Acute = 0xE9;
    p.ctx().store.TempPerformance.common[common::Name + 3] = Acute;
    const QString file = p.t.path(QStringLiteral("refused.syx"));
    p.main().chooseSaveFile = [&](const QString&) { return file; };
    auto* save = p.main().findChild<QPushButton*>(QStringLiteral("Bsavesys"));
    QTest::mouseClick(save, Qt::LeftButton);  // through the application, as the user clicks
    QCOMPARE(p.t.infos.size(), std::size_t{1});
    QVERIFY2(p.t.infos[0].starts_with(ProgramApplication::failureText("")), p.t.infos[0].c_str());
    QVERIFY2(p.t.infos[0].find("E9h") != std::string::npos, p.t.infos[0].c_str());
    QVERIFY(!QFile::exists(file));
    QCOMPARE(p.ctx().store.TempPerformance.common[common::Name + 3], Acute);
    // The program goes on: the next command works.
    p.ctx().store.TempPerformance.common[common::Name + 3] = 'e';
    QTest::mouseClick(save, Qt::LeftButton);
    QVERIFY(QFile::exists(file));
  }
};

int main(int argc, char** argv) {
  ProgramApplication app(argc, argv);
  CommandFailureTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "command_failure_test.moc"
