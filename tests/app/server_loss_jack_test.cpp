// The JACK server dying under the program: quillon-jvsim on a server of the
// test's own (the shared one must live on), the ports opened from the
// settings as start-up opens them, the server stopped during a bank fetch and
// during edits; then the server back and the ports opened again.

#include <QProcess>
#include <QPushButton>
#include <QTest>

#include "../midi/jvsim_process.h"
#include "controls/value_fader.h"
#include "program_fixture.h"

using namespace quillon;
using testing::Program;

namespace {

constexpr int ServerStartMs = 20000;    // a loaded machine starts jackd slowly
constexpr int RequestsBeforeKill = 40;  // the fetch is well under way, far from its end
const std::string PortsClosed = "The MIDI ports were closed: ";

// jackd on the dummy driver under a name no other test uses.
class OwnJackServer {
 public:
  bool start(std::string& error) {
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start(QStringLiteral("jackd"), {QStringLiteral("--no-realtime"), QStringLiteral("-n"), name(),
                                             QStringLiteral("-d"), QStringLiteral("dummy"), QStringLiteral("-r"),
                                             QStringLiteral("48000"), QStringLiteral("-p"), QStringLiteral("256")});
    if (!process_.waitForStarted(ServerStartMs)) {
      error = "jackd did not start";
      return false;
    }
    if (!testing::processEventsUntil([] { return testing::jackServerRunning(); }, ServerStartMs)) {
      error = "jackd did not answer: " + process_.readAll().toStdString();
      return false;
    }
    return true;
  }
  // Stopped as a user or the system stops it; a killed one would stay in JACK's
  // table of servers for good, and the table is small.
  void stop() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (!process_.waitForFinished(ServerStartMs)) process_.kill();
    process_.waitForFinished(ServerStartMs);
  }
  ~OwnJackServer() { stop(); }
  // Named after this build, not this run: should one ever stay behind in
  // JACK's table, the next run takes its place again.
  static QString name() {
    return QStringLiteral("quillon-loss-%1").arg(qHash(QCoreApplication::applicationFilePath()));
  }

 private:
  QProcess process_;
};

bool startSimulator(testing::JvsimProcess& jvsim, std::string& error) {
#ifdef QUILLON_JVSIM_PATH
  if (!jvsim.start(QUILLON_JVSIM_PATH, {}, error)) return false;
  midi::MidiBackend& system = midi::systemMidiBackend();
  if (testing::processEventsUntil([&] { return testing::listed(system.outputNames(), jvsim.inputPort()); },
                                  ServerStartMs))
    return true;
  error = "jvsim's ports did not appear";
#else
  (void)jvsim;
  error = "quillon-jvsim was not built";
#endif
  return false;
}

// JACK links new ports at a later cycle: fetch until the whole performance came.
bool fetchWhole(Program& p) {
  for (int attempt = 0; attempt < 5 && p.ctx().tempTransfer.receivedBlocks() != TempBlockCount; ++attempt)
    p.main().getTemp();
  return p.ctx().tempTransfer.receivedBlocks() == TempBlockCount;
}

int countStartingWith(const std::vector<std::string>& texts, const std::string& head) {
  return static_cast<int>(
      std::count_if(texts.begin(), texts.end(), [&](const std::string& t) { return t.starts_with(head); }));
}

}  // namespace

class ServerLossJackTest : public QObject {
  Q_OBJECT
 private slots:
  void aDeadServerClosesThePortsOnceAndTheProgramGoesOn() {
#ifndef QUILLON_JVSIM_PATH
    QSKIP("quillon-jvsim was not built");
#else
    // Before anything in this process speaks to JACK.
    qputenv("JACK_DEFAULT_SERVER", OwnJackServer::name().toLocal8Bit());
    auto server = std::make_unique<OwnJackServer>();
    std::string error;
    if (!server->start(error)) QSKIP(error.c_str());
    auto jvsim = std::make_unique<testing::JvsimProcess>();
    QVERIFY2(startSimulator(*jvsim, error), error.c_str());
    Program p([&](DeviceSettings& s) {
      s.Midi_OutName = QString::fromStdString(jvsim->inputPort());
      s.Midi_In1Name = QString::fromStdString(jvsim->outputPort());
    });
    QVERIFY2(fetchWhole(p), jvsim->output().c_str());

    // Stopped in the middle of Get User All: the fetch stops, and one box says why and how far it got.
    p.t.infos.clear();
    p.onSent = [&](const Bytes&) {
      if (p.count(roland::CommandRQ1) == RequestsBeforeKill) server->stop();
    };
    p.main().getBank(BankArea::User);
    p.onSent = nullptr;
    QCOMPARE(p.t.infos.size(), std::size_t{1});
    QVERIFY2(
        p.t.infos[0].starts_with(PortsClosed) && p.t.infos[0].find("The transfer was cancelled") != std::string::npos,
        p.t.infos[0].c_str());
    QVERIFY(p.ctx().store.MidiClosed);
    QCOMPARE(p.main().statusPanel(0), QString::fromLatin1(MidiClosedPanelText));

    // The server back: the ports open again as the settings dialog opens them, and carry traffic.
    jvsim.reset();
    server = std::make_unique<OwnJackServer>();
    QVERIFY2(server->start(error), error.c_str());
    jvsim = std::make_unique<testing::JvsimProcess>();
    QVERIFY2(startSimulator(*jvsim, error), error.c_str());
    const std::string reopened =
        p.windows->reopenPorts({0, jvsim->inputPort()}, {0, jvsim->outputPort()}, std::nullopt);
    QVERIFY2(reopened.empty(), reopened.c_str());
    QVERIFY2(fetchWhole(p), jvsim->output().c_str());

    // Stopped while the user edits: every edit returns, the ports close, and that is said once.
    p.t.infos.clear();
    p.main().findChild<QPushButton*>(QStringLiteral("Beditp"))->click();
    auto* level = p.windows->performanceEditor->findChild<ValueFader*>(QStringLiteral("SlVol3"));
    server->stop();
    // Until the loss is known; a send buffer that no dead server empties would hold an edit here for good.
    while (!p.ctx().store.MidiClosed) {
      QTest::keyClick(level, Qt::Key_PageDown);
      QTest::keyClick(level, Qt::Key_PageUp);
      QCoreApplication::processEvents();
    }
    QTest::keyClick(level, Qt::Key_PageDown);  // the ports are closed: the edit is refused as ever
    QCOMPARE(countStartingWith(p.t.infos, PortsClosed), 1);
    QCOMPARE(p.t.infos.back(), std::string(sender_text::SendMidiClosed));
    QCOMPARE(p.main().statusPanel(0), QString::fromLatin1(MidiClosedPanelText));
#endif
  }
};

QTEST_MAIN(ServerLossJackTest)
#include "server_loss_jack_test.moc"
