// Get Temp and Send Temp from the main window through the in-process virtual
// module: the bytes the module holds arrive, the bytes sent are held, a silent
// module is reported once, an edit comes back. (Cancel goes through the
// program's wiring: program_windows_test.)

#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "midi/event_wait.h"
#include "app/main_window.h"
#include "app/transfer_progress_dialog.h"
#include "app_fixture.h"
#include "engine/demo_performances.h"
#include "midi/module_link.h"
#include "midi/virtual_backend.h"

using namespace quillon;

namespace {

constexpr int FastDelay = 20;

// A device that takes everything and answers nothing: a module switched off.
class SilentBackend : public midi::MidiBackend {
  struct Out : midi::OutputConnection {
    void send(std::span<const Byte>) override {}
  };
  struct In : midi::InputConnection {};

 public:
  std::vector<std::string> outputNames() override { return {"Silent"}; }
  std::vector<std::string> inputNames() override { return {"Silent"}; }
  std::unique_ptr<midi::OutputConnection> openOutput(std::size_t, const std::string&) override {
    return std::make_unique<Out>();
  }
  std::unique_ptr<midi::InputConnection> openInput(std::size_t, const std::string&, midi::InputHandler) override {
    return std::make_unique<In>();
  }
};

// The main window wired to a backend, with every message sent recorded.
struct Rig {
  explicit Rig(midi::MidiBackend& backend, BlockSizes sizes = StandardBlockSizes)
      : link(t.context->store, t.context->incoming, backend), form(*t.context), wait(&form) {
    AppContext& c = *t.context;
    c.settings.FirstRun = false;
    c.engineSettings.sysDly = FastDelay;
    c.engineSettings.sizes = sizes;
    c.engineSettings.noteOn = false;
    c.host.onSendLong = [this](std::span<const Byte> m) {
      sent.emplace_back(m.begin(), m.end());
      link.sendLong(m);
    };
    c.host.onSendShort = [this](Byte s, Byte d1, Byte d2) { link.sendShort(s, d1, d2); };
    c.host.onStartResponseTimer = [this] { form.startResponseTimer(); };
    c.host.onStopResponseTimer = [this] { form.timerMidiIn()->stop(); };
    form.windows.waiting = &wait;
    const std::string error = link.open({0, ""}, {0, ""});
    if (!error.empty()) qFatal("ports: %s", error.c_str());
  }
  int requestsSent() const {
    int n = 0;
    for (const auto& m : sent) n += m.size() == roland::RQ1Length && m[roland::PosCommand] == roland::CommandRQ1;
    return n;
  }
  AppContext& ctx() { return *t.context; }

  testing::TestContext t;
  ModuleLink link;
  MainWindow form;
  TransferProgressDialog wait;
  std::vector<Bytes> sent;
};

bool sameBlocks(const PerformanceRecord& a, const PerformanceRecord& b, BlockSizes sizes) {
  if (!std::equal(a.common.begin(), a.common.begin() + sizes.commonLength(), b.common.begin())) return false;
  for (int p = 0; p < address::PartCount; ++p)
    if (!std::equal(a.parts[p].begin(), a.parts[p].begin() + sizes.partLength(), b.parts[p].begin())) return false;
  return true;
}

}  // namespace

class TempTransferTest : public QObject {
  Q_OBJECT
 private slots:
  void getTempFetchesWhatTheModuleHolds_data() {
    QTest::addColumn<int>("type");
    QTest::newRow("JV 1080") << int(ModuleType::JV1080);
    QTest::newRow("JV 2080") << int(ModuleType::JV2080);
  }
  void getTempFetchesWhatTheModuleHolds() {
    QFETCH(int, type);
    const auto moduleType = static_cast<ModuleType>(type);
    midi::VirtualModuleBackend backend(moduleType);
    const BlockSizes sizes = blockSizesFor(moduleType);
    backend.module().temporary() = demoPerformance(4);
    Rig rig(backend, sizes);
    rig.form.getTemp();
    QVERIFY(sameBlocks(rig.ctx().store.TempPerformance, backend.module().temporary(), sizes));
    QCOMPARE(rig.requestsSent(), 18);
    QCOMPARE(int(rig.sent[1][roland::RQ1Length - 3]), sizes.commonLength());
    QCOMPARE(int(rig.sent[2][roland::RQ1Length - 3]), sizes.partLength());
    QVERIFY(rig.ctx().store.FromTemp);
    QCOMPARE(rig.ctx().store.PerformanceCount, 1);
    QCOMPARE(rig.form.performanceGrid()->item(0, 0)->text(),
             QStringLiteral(" 1 = ") + QString::fromStdString(std::string(demoPerformanceName(4))));
    QVERIFY(rig.ctx().store.ListInfo[0].complete);
    QCOMPARE(rig.ctx().tempTransfer.receivedBlocks(), TempBlockCount);
    QVERIFY(!rig.ctx().store.Updating);
    QVERIFY(rig.t.infos.empty());
    QCOMPARE(QString::fromStdString(rig.ctx().store.CurrentFileName), QStringLiteral("TempPerfom.syx"));
  }

  void sendTempLeavesTheModuleHoldingThePerformance() {
    midi::VirtualModuleBackend backend(ModuleType::JV2080);
    Rig rig(backend, JV2080BlockSizes);
    QCOMPARE(rig.form.findChild<QPushButton*>(QStringLiteral("BSendJV")) != nullptr, true);
    rig.form.sendTemp();
    QCOMPARE(rig.t.infos, std::vector<std::string>{"There is no performance to Send."});
    rig.ctx().store.NoPerformance = false;
    rig.ctx().store.TempPerformance = demoPerformance(6);
    rig.form.sendTemp();
    waitInEventLoop(50);  // the module takes its messages as they come
    QVERIFY(sameBlocks(backend.module().temporary(), demoPerformance(6), JV2080BlockSizes));
    QCOMPARE(rig.sent.size(), std::size_t{17});
    QVERIFY(rig.ctx().store.TempSent);
    QVERIFY(!rig.ctx().sender.sessions().running());
  }

  void anEditComesBackByteIdenticalOnRequest() {
    midi::VirtualModuleBackend backend;
    Rig rig(backend);
    AppContext& c = rig.ctx();
    const Bytes levels{0x11, 0x22};
    c.sender.SendSysexData(address::temporaryPart(2, part::Level), levels, 2);
    const Bytes sentCopy = rig.sent.back();
    c.store.TempPerformance.parts[2].fill(0);
    SessionScope fetch(c.sender.sessions(), TransferKind::GetTemp);
    c.sender.RequestSysexData(address::temporaryPart(2, part::Level), 2);
    waitInEventLoop(FastDelay);
    QVERIFY(fetch->answered(address::temporaryPart(2, part::Level)));
    QCOMPARE(int(c.store.TempPerformance.parts[2][part::Level]), 0x11);
    QCOMPARE(int(c.store.TempPerformance.parts[2][part::Pan]), 0x22);
    QCOMPARE(Bytes(backend.module().temporary().parts[2].begin() + part::Level,
                   backend.module().temporary().parts[2].begin() + part::Level + 2),
             levels);
    QCOMPARE(int(sentCopy[roland::PosAddress + 2]), 0x12);
  }

  void aSilentModuleIsReportedOnceAndTheRestIsNotAsked() {
    SilentBackend silent;
    Rig rig(silent);
    rig.ctx().engineSettings.sysDly = 120;  // 19 waits outlast the 1.5 s timeout
    rig.form.getTemp();
    const std::vector<std::string> expected{notRespondingText(noResponseFacts(rig.ctx().sender))};
    QCOMPARE(rig.t.infos, expected);
    QVERIFY(rig.requestsSent() < 18);
    QCOMPARE(rig.ctx().tempTransfer.receivedBlocks(), 0);
    // Nothing came: the program is as it was before the fetch.
    QVERIFY(rig.ctx().store.NoPerformance && !rig.ctx().store.FromTemp);
    QCOMPARE(rig.ctx().store.PerformanceCount, 0);
    QVERIFY(!rig.form.timerMidiIn()->isActive());
  }
};

QTEST_MAIN(TempTransferTest)
#include "temp_transfer_test.moc"
