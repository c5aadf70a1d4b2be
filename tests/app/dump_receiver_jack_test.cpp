// Receive Dump on quillon-jvsim over JACK: a User bank dumped from the panel
// arrives whole and byte for byte; an input port that goes away ends the receive.

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "../midi/jvsim_process.h"
#include "app/windows.h"
#include "app_fixture.h"
#include "midi/midi_backend.h"
#include "midi/model/virtual_module.h"

using namespace quillon;

namespace {

constexpr int PortWaitMs = 5000;
constexpr int DumpWaitMs = 120000;  // a bank at the wire's pace takes seconds; a busy machine more

DumpReceiverWindow* openReceiver(ProgramWindows& windows) {
  for (QAction* a : windows.mainWindow->menuBar()->findChildren<QAction*>())
    if (a->objectName() == QStringLiteral("MReceiveDump")) a->trigger();
  DumpReceiverWindow* w = windows.dumpReceiver.get();
  w->findChild<QSpinBox*>(QStringLiteral("SpQuiet"))->setValue(1);
  return w;
}

QString state(QWidget* w) { return w->findChild<QLabel*>(QStringLiteral("LState"))->text(); }

}  // namespace

class DumpReceiverJackTest : public QObject {
  Q_OBJECT
 private slots:
  void aPanelDumpArrivesWholeAndAVanishingPortEndsTheReceive() {
#ifndef QUILLON_JVSIM_PATH
    QSKIP("quillon-jvsim was not built");
#else
    if (!testing::jackServerRunning()) QSKIP("no JACK server is running (./test.sh starts one: jackd -d dummy)");
    testing::XrunWatch xruns;
    testing::JackGraph graph;
    testing::JvsimProcess jvsim;
    std::string error;
    // The dump waits for the signal, so that it starts only once the receive listens.
    QVERIFY2(jvsim.start(QUILLON_JVSIM_PATH, {"--dump", "user", "--dump-after", "3600"}, error), error.c_str());
    testing::TestContext t;
    ProgramWindows windows(*t.context);
    QVERIFY(testing::processEventsUntil(
        [&] { return testing::listed(midi::systemMidiBackend().inputNames(), jvsim.outputPort()); }, PortWaitMs));
    const std::string opened = windows.reopenPorts({0, jvsim.inputPort()}, {0, jvsim.outputPort()}, std::nullopt);
    QVERIFY2(opened.empty(), opened.c_str());

    DumpReceiverWindow* w = openReceiver(windows);
    QVERIFY(w->receiver().receiving());
    QVERIFY(testing::processEventsUntil([&] { return graph.connected(jvsim.outputPort()); }, PortWaitMs));
    const int xrunsBefore = xruns.count();
    jvsim.startDump();
    QTRY_VERIFY_WITH_TIMEOUT(!w->receiver().receiving(), DumpWaitMs);
    const DumpCapture& c = *w->receiver().capture();
    Bytes expected;
    for (const Bytes& m : jv::VirtualModule(ModuleType::JV1080).bulkDump(jv::DumpArea::User))
      expected.insert(expected.end(), m.begin(), m.end());
    if (c.kept() != expected && xruns.count() != xrunsBefore)
      QSKIP("the JACK server missed cycles during the dump, and JACK dropped their MIDI");
    QCOMPARE(c.kept(), expected);
    QCOMPARE(w->findChild<QLabel*>(QStringLiteral("LUser"))->text(), QStringLiteral("User: 32 whole (1-32)"));
    w->confirmDiscard = [](const QString&) { return true; };
    w->findChild<QPushButton*>(QStringLiteral("BClose"))->click();

    // The module goes away while the program listens: said, and the receive ends.
    w = openReceiver(windows);
    QVERIFY(w->receiver().receiving());
    jvsim.stop();
    QTRY_VERIFY_WITH_TIMEOUT(!w->receiver().receiving(), DumpWaitMs);
    QVERIFY2(state(w).contains(QStringLiteral("went away")), qPrintable(state(w)));
#endif
  }
};

QTEST_MAIN(DumpReceiverJackTest)
#include "dump_receiver_jack_test.moc"
