// The chorus and reverb editor as the program wires it, on the virtual module (device 0).

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>

#include "controls/text_fader.h"
#include "controls/value_fader.h"
#include "effects_rig.h"
#include "engine/temp_transfer.h"

using namespace quillon;
using testing::EffectsRig;

namespace {
ChorusReverbWindow* openChorusReverb(EffectsRig& rig) {
  rig.find<QPushButton>(rig.windows.mainWindow.get(), "Bchorev")->click();
  ChorusReverbWindow* w = rig.windows.chorusReverbWindow.get();
  if (!QTest::qWaitForWindowActive(w)) qWarning("the window did not become active");
  return w;
}
// What closing an information box does: the window that had the focus is active again.
void activateAgain(QWidget* window) {
  QEvent activate(QEvent::WindowActivate);
  QApplication::sendEvent(window, &activate);
}
Bytes tempoSent(EffectsRig& rig) { return rig.dataSentTo(address::temporaryCommon(common::DefaultTempoHigh)).back(); }
}  // namespace

class ChorusReverbWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void activationAsksForTheSwitchesAndControlsSend() {
    EffectsRig rig;
    auto& system = EffectsRig::module().systemArea();
    std::copy_n(std::array<Byte, 3>{1, 0, 1}.begin(), address::SystemSwitchCount, &system[address::SystemEfxSwitch]);
    ChorusReverbWindow* w = openChorusReverb(rig);
    QCOMPARE(rig.requests(), std::vector<Bytes>{buildRQ1(rig.ctx().engineSettings.device(), address::systemSwitches(),
                                                         address::SystemSwitchCount)});
    QCOMPARE(rig.sent.size(), std::size_t{1});  // filling sends nothing
    QTRY_VERIFY(rig.find<QCheckBox>(w, "ChRon")->isChecked() && rig.find<QCheckBox>(w, "ChEon")->isChecked());
    QVERIFY(!rig.find<QCheckBox>(w, "ChCon")->isChecked());
    rig.find<QCheckBox>(w, "ChEon")->click();
    QCOMPARE(rig.dataSentTo(address::systemSwitches()), std::vector<Bytes>{Bytes{0}});
    QCOMPARE(int(system[address::SystemEfxSwitch]), 0);
    auto* tempo = rig.find<QSpinBox>(w, "SpDefTempo");
    tempo->setValue(250);
    QCOMPARE(tempoSent(rig), (Bytes{0x0F, 0x0A}));
    rig.find<QToolButton>(w, "SpDt10Up")->click();  // held at 250, and sent again
    QCOMPARE(rig.dataSentTo(address::temporaryCommon(common::DefaultTempoHigh)).size(), std::size_t{2});
    tempo->setValue(25);
    rig.find<QToolButton>(w, "SpDt10Down")->click();
    QCOMPARE(tempoSent(rig), (Bytes{0x01, 0x04}));
    // "REV" puts the "Reverb" fader in the level's place; it edits the same chorus level.
    rig.find<QComboBox>(w, "CbOutC")->setCurrentIndex(1);
    auto* toReverb = rig.find<ValueFader>(w, "SlRSC");
    QVERIFY(toReverb->isVisible() && rig.find<ValueFader>(w, "SlLevC")->isHidden());
    toReverb->setFocus();
    QTest::keyClick(toReverb, Qt::Key_End);
    QCOMPARE(rig.dataSentTo(address::temporaryCommon(common::ChorusLevel)).back(), Bytes{127});
    // HF damp follows every step of a drag, reverb time only its release.
    auto* damp = rig.find<TextFader>(w, "SlRHFdamp");
    EffectsRig::drag(damp, 200);
    QCOMPARE(damp->Text(), QStringLiteral(" BYPASS "));
    const auto damps = rig.dataSentTo(address::temporaryCommon(common::ReverbHfDamp));
    QVERIFY(damps.size() > 2 && damps.back() == Bytes{17});
    // A value typed as it is shown, its unit left out.
    damp->setFocus();
    QTest::keyClicks(damp, QStringLiteral("1"));
    auto* typed = w->findChild<QLineEdit*>(QStringLiteral("TypedValue"));
    QTest::keyClicks(typed, QStringLiteral("250"));
    QTest::keyClick(typed, Qt::Key_Return);
    QCOMPARE(rig.dataSentTo(address::temporaryCommon(common::ReverbHfDamp)).back(), Bytes{8});
    QCOMPARE(damp->Text(), QStringLiteral(" 1250 Hz"));
    EffectsRig::drag(rig.find<ValueFader>(w, "SlRTime"), 30);
    QCOMPARE(rig.dataSentTo(address::temporaryCommon(common::ReverbTime)).size(), std::size_t{1});
    rig.find<QPushButton>(w, "BEFX")->click();  // the two effect windows open each other
    w->hide();
    rig.find<QPushButton>(rig.windows.efxWindow.get(), "Bchorev")->click();
    QVERIFY(w->isVisible() && rig.windows.efxWindow->isVisible());
    w->hide();
    rig.windows.efxWindow->hide();
    for (const char* button : {"Bchorev", "Befx"})  // and the performance editor opens both
      rig.find<QPushButton>(rig.windows.performanceEditor.get(), button)->click();
    QVERIFY(w->isVisible() && rig.windows.efxWindow->isVisible());
  }

  void aSilentModuleIsAskedOncePerShowing() {
    EffectsRig rig;
    rig.ctx().engineSettings.unitId = roland::DefaultUnitId + 1;  // the module ignores us
    ChorusReverbWindow* w = openChorusReverb(rig);
    QCOMPARE(rig.requests().size(), std::size_t{1});
    QVERIFY(rig.windows.mainWindow->timerMidiIn()->isActive());
    activateAgain(w);                            // before the timeout too: the unanswered request is not repeated
    rig.windows.mainWindow->responseTimedOut();  // what the response timer runs when it ends
    activateAgain(w);
    QCOMPARE(rig.requests().size(), std::size_t{1});
    QCOMPARE(rig.t.infos, std::vector<std::string>{notRespondingText(noResponseFacts(rig.t.context->sender))});
    QVERIFY(!rig.windows.mainWindow->timerMidiIn()->isActive());
    // With the ports closed nothing is asked and nothing is said.
    w->hide();
    rig.windows.closePorts();
    rig.t.infos.clear();
    openChorusReverb(rig);
    activateAgain(w);
    QCOMPARE(rig.requests().size(), std::size_t{1});
    QVERIFY(rig.t.infos.empty());
  }
};

QTEST_MAIN(ChorusReverbWindowTest)
#include "chorus_reverb_window_test.moc"
