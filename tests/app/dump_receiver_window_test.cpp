// File > Receive Dump as the program wires it, on the virtual module (device
// 0) whose panel starts a bulk dump: what arrives is shown, nothing is sent,
// and afterwards the performances become the list and everything is saved.

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include "midi/virtual_backend.h"
#include "program_fixture.h"

using namespace quillon;
using testing::Program;

namespace {

DumpReceiverWindow* openReceiver(Program& p) {  // as the user does: the File menu
  for (QAction* a : p.main().menuBar()->findChildren<QAction*>())
    if (a->objectName() == QStringLiteral("MReceiveDump")) a->trigger();
  return p.windows->dumpReceiver.get();
}

QString text(QWidget* window, const char* label) {
  return window->findChild<QLabel*>(QString::fromLatin1(label))->text();
}

void click(QWidget* window, const char* button) {
  window->findChild<QPushButton*>(QString::fromLatin1(button))->click();
}

Bytes joined(const std::vector<Bytes>& messages) {
  Bytes out;
  for (const Bytes& m : messages) out.insert(out.end(), m.begin(), m.end());
  return out;
}

}  // namespace

class DumpReceiverWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void aPanelDumpIsShownThenBecomesTheListAndIsSaved() {
    Program p;
    auto& module = midi::virtualModuleBackend();
    DumpReceiverWindow* w = openReceiver(p);
    QVERIFY(w->isVisible() && w->receiver().receiving());
    QCOMPARE(text(w, "LState"), QStringLiteral("Listening for the dump..."));
    module.startBulkDump(jv::DumpArea::System);
    module.startBulkDump(jv::DumpArea::User);
    const std::size_t expected = 1 + 32 * 17;
    QTRY_COMPARE(text(w, "LCounts").startsWith(QStringLiteral("Messages: %1 ").arg(expected)), true);
    // While it listens the program is busy: a command is refused, nothing leaves, the list is untouched.
    p.main().getTemp();
    QCOMPARE(p.main().statusText(), QString::fromLatin1(session_text::Busy));
    QVERIFY(p.sent.empty());
    QCOMPARE(p.ctx().store.PerformanceCount, 0);

    click(w, "BDone");
    QCOMPARE(text(w, "LState"), QStringLiteral("Ended when asked."));
    QCOMPARE(text(w, "LUser"), QStringLiteral("User: 32 whole (1-32)"));
    QCOMPARE(text(w, "LOther"), QStringLiteral("Also: 1 system message"));
    QVERIFY(!w->findChild<QPushButton*>(QStringLiteral("BUseCard"))->isEnabled());

    click(w, "BUseUser");
    QCOMPARE(p.ctx().store.PerformanceCount, 32);
    QVERIFY(p.ctx().store.FromUser);
    const std::string first = performanceName(module.module().performance(address::AreaUserPerformance, 0).common);
    QCOMPARE(p.main().performanceGrid()->item(0, 0)->text(), QString::fromStdString(filledGridCellText(0, first)));

    const QString saved = p.t.path(QStringLiteral("dump.syx"));
    w->chooseSaveFile = [&](const QString&) { return saved; };
    click(w, "BSaveAll");
    Bytes sent = joined(module.module().bulkDump(jv::DumpArea::System));
    const Bytes user = joined(module.module().bulkDump(jv::DumpArea::User));
    sent.insert(sent.end(), user.begin(), user.end());
    QCOMPARE(readFileBytes(saved.toStdString()).bytes, sent);
    click(w, "BClose");
    QVERIFY(!w->isVisible());
    QVERIFY(p.sent.empty());  // the whole receive sent nothing
  }

  void escapeEndsTheReceiveAndWhatCameIsNotThrownAwayUnasked() {
    Program p;
    DumpReceiverWindow* w = openReceiver(p);
    midi::virtualModuleBackend().startBulkDump(jv::DumpArea::Temporary);
    QTRY_VERIFY(text(w, "LTemp") == QStringLiteral("Temp: whole"));
    QTest::keyClick(w, Qt::Key_Escape);
    QVERIFY(w->isVisible() && !w->receiver().receiving());
    QVERIFY(w->findChild<QPushButton*>(QStringLiteral("BUseTemp"))->hasFocus());
    QStringList asked;
    w->confirmDiscard = [&](const QString& question) {
      asked << question;
      return asked.size() > 1;  // no the first time, yes the second
    };
    QTest::keyClick(w, Qt::Key_Escape);
    QVERIFY(w->isVisible());
    QTest::keyClick(w, Qt::Key_Escape);
    QVERIFY(!w->isVisible());
    QCOMPARE(asked.size(), 2);
    QVERIFY(asked[0].contains(QStringLiteral("17 messages")));
    // The ports closed: the command says so and listens to nothing.
    p.windows->closePorts();
    p.t.infos.clear();
    openReceiver(p);
    QCOMPARE(p.t.infos, std::vector<std::string>{dump_text::MidiClosed});
    QVERIFY(!w->isVisible());
  }
};

QTEST_MAIN(DumpReceiverWindowTest)
#include "dump_receiver_window_test.moc"
