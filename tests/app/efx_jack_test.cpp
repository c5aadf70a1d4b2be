// The EFX editor on quillon-jvsim over JACK: a type change fetches the module's parameters.

#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include "../midi/jvsim_process.h"
#include "app/windows.h"
#include "app_fixture.h"
#include "controls/text_fader.h"
#include "midi/midi_backend.h"

using namespace quillon;

class EfxJackTest : public QObject {
  Q_OBJECT
 private slots:
  void typeChangeFetchesTheModulesParameters() {
#ifndef QUILLON_JVSIM_PATH
    QSKIP("quillon-jvsim was not built");
#else
    if (!testing::jackServerRunning()) QSKIP("no JACK server is running (./test.sh starts one: jackd -d dummy)");
    testing::JvsimProcess jvsim;
    std::string error;
    QVERIFY2(jvsim.start(QUILLON_JVSIM_PATH, {}, error), error.c_str());
    testing::TestContext t;
    AppContext& c = *t.context;
    ProgramWindows windows(c);
    c.engineSettings.sysDly = 100;  // JACK hands MIDI on once per cycle
    QVERIFY(testing::processEventsUntil(
        [&] { return testing::listed(midi::systemMidiBackend().outputNames(), jvsim.inputPort()); }, 5000));
    const std::string opened = windows.reopenPorts({0, jvsim.inputPort()}, {0, jvsim.outputPort()}, std::nullopt);
    QVERIFY2(opened.empty(), opened.c_str());
    // JACK links new ports at a later cycle: fetch until the whole performance came.
    for (int attempt = 0; attempt < 5 && c.tempTransfer.receivedBlocks() != TempBlockCount; ++attempt)
      windows.mainWindow->getTemp();
    QVERIFY2(c.tempTransfer.receivedBlocks() == TempBlockCount, jvsim.output().c_str());
    // The module's parameters, and other values in the store that only a fetch can correct.
    auto& common = c.store.TempPerformance.common;
    const Byte hiLevel = common[efxParameterOffset(8)], stale = hiLevel ^ 0x40;
    for (int n = 1; n <= EfxSlotCount; ++n) common[efxParameterOffset(n)] = stale;
    windows.mainWindow->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    EfxWindow* efx = windows.efxWindow.get();
    efx->findChild<QComboBox*>(QStringLiteral("CbEFXType"))->setCurrentIndex(7);  // "08: Rotary"
    // A reply later than the wait still reaches the slider through the store's notice.
    QTRY_COMPARE_WITH_TIMEOUT(efx->slider(4)->Position(), int(hiLevel), 5000);
    QVERIFY(t.infos.empty());
#endif
  }
};

QTEST_MAIN(EfxJackTest)
#include "efx_jack_test.moc"
