// The EFX editor as the program wires it, on the virtual module (device 0).

#include <QAccessibleValueInterface>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "controls/roll_spin_box.h"
#include "controls/text_fader.h"
#include "effects_rig.h"

using namespace quillon;
using testing::EffectsRig;

namespace {
constexpr int Rotary = 7, TremoloChorus = 11, Spectrum = 4;  // "08: Rotary", "12: Tremolo-Chorus", "05: Spectrum"
constexpr int SpeedSlot = 5, HiLevelSlot = 4;                // of the Rotary: two entries on P5; 0..127 on P8
constexpr int BandGainSlot = 7;                              // of the Spectrum: P1 (250 Hz), "-15 dB".."15 dB"

EfxWindow* openEfx(EffectsRig& rig) {  // as the user opens it: the main window's button
  rig.find<QPushButton>(rig.windows.mainWindow.get(), "Button1")->click();
  return rig.windows.efxWindow.get();
}
}  // namespace

class EfxWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void typeChangeFetchesTheNewTypesParametersIntoReboundSliders() {
    EffectsRig rig;
    rig.windows.mainWindow->getTemp();
    rig.sent.clear();
    EfxWindow* efx = openEfx(rig);
    QVERIFY(efx->isVisible() && rig.sent.empty());  // opening only reads the store
    auto& moduleCommon = EffectsRig::module().temporary().common;
    for (int n = 1; n <= EfxSlotCount; ++n) moduleCommon[efxParameterOffset(n)] = static_cast<Byte>(10 + n);
    moduleCommon[efxParameterOffset(5)] = 0;  // Speed: "Slow"
    rig.find<QComboBox>(efx, "CbEFXType")->setCurrentIndex(Rotary);
    QCOMPARE(rig.sent.size(), std::size_t{2});
    QCOMPARE(rig.dataSentTo(address::temporaryCommon(common::EfxType)), std::vector<Bytes>{Bytes{Rotary}});
    QCOMPARE(rig.sent[1], buildRQ1(rig.ctx().engineSettings.device(), address::temporaryCommon(common::EfxSource),
                                   common::EfxRereadLength));
    for (int k = 1; k <= EfxSlotCount; ++k) QCOMPARE(efx->slider(k)->isVisible(), k != 11);
    QCOMPARE(efx->slider(1)->Text(), QStringLiteral("    0.60"));  // parameter 1 = 11 in list 9
    QCOMPARE(efx->slider(HiLevelSlot)->Position(), 18);
    QCOMPARE(efx->slider(SpeedSlot)->Text(), QStringLiteral("Slow"));
    QCOMPARE(rig.ctx().store.selectedPerformance().common[efxParameterOffset(8)], Byte{18});  // saved as fetched
    QCOMPARE(rig.find<QLabel>(efx, "STop1")->text(), QStringLiteral("Perform EFX 08: Rotary"));
    // Two entries: computed 32 pixels, drawn at the fader's least 36, two ticks.
    QCOMPARE(EfxWindow::sliderHeight(1), 32);
    QVERIFY(efx->slider(SpeedSlot)->height() == 36 && efx->slider(SpeedSlot)->Ticks() == 2);
    // A stored value beyond the list leaves the slider and sends nothing.
    efx->hide();
    rig.ctx().store.TempPerformance.common[efxParameterOffset(5)] = 9;
    efx->showAndRaise();
    QVERIFY(efx->slider(SpeedSlot)->Position() == 0 && efx->slider(SpeedSlot)->Text() == QStringLiteral("Slow"));
    QCOMPARE(rig.sent.size(), std::size_t{2});
    // The phase list (91 entries) gets ten ticks, one every 20 degrees.
    rig.find<QComboBox>(efx, "CbEFXType")->setCurrentIndex(TremoloChorus);
    QCOMPARE(efx->slider(4)->Ticks(), 10);
  }

  // Undo puts the old type back; the module brings that type's parameters with it,
  // so they are fetched again: store, list entry, window and module agree.
  void undoingATypeChangeFetchesItsParametersAgain() {
    EffectsRig rig;
    rig.windows.mainWindow->getTemp();
    EfxWindow* efx = openEfx(rig);
    auto* type = rig.find<QComboBox>(efx, "CbEFXType");
    const int original = type->currentIndex();
    type->setCurrentIndex(Rotary);
    auto& moduleCommon = EffectsRig::module().temporary().common;
    for (int n = 1; n <= EfxSlotCount; ++n) moduleCommon[efxParameterOffset(n)] = static_cast<Byte>(20 + n);
    rig.sent.clear();
    rig.ctx().history.undo();
    QCOMPARE(rig.sent.back(), buildRQ1(rig.ctx().engineSettings.device(), address::temporaryCommon(common::EfxSource),
                                       common::EfxRereadLength));
    QCOMPARE(type->currentIndex(), original);
    QCOMPARE(int(moduleCommon[common::EfxType]), original);
    for (int n = 1; n <= EfxSlotCount; ++n) {
      QCOMPARE(rig.ctx().store.TempPerformance.common[efxParameterOffset(n)], moduleCommon[efxParameterOffset(n)]);
      QCOMPARE(rig.ctx().store.selectedPerformance().common[efxParameterOffset(n)],
               moduleCommon[efxParameterOffset(n)]);
    }
    QCOMPARE(efx->slider(1)->Position(), 21);
  }

  void controlsSendTheirStoredBytes() {
    EffectsRig rig;
    midi::virtualModuleBackend().setModuleType(ModuleType::JV2080);  // it holds sources B and C
    rig.ctx().store.TempPerformance.common[common::EfxType] = Rotary;
    EfxWindow* efx = openEfx(rig);
    TextFader* hiLevel = efx->slider(HiLevelSlot);
    const SysexAddress at = address::temporaryCommon(efxParameterOffset(8));
    EffectsRig::drag(hiLevel, 20);
    QCOMPARE(rig.dataSentTo(at), std::vector<Bytes>{Bytes{static_cast<Byte>(hiLevel->Position())}});
    QCOMPARE(int(EffectsRig::module().temporary().common[efxParameterOffset(8)]), hiLevel->Position());
    rig.find<QCheckBox>(efx, "ChAlways")->setChecked(true);
    EffectsRig::drag(hiLevel, 20);
    QVERIFY(rig.dataSentTo(at).size() >= 1 + 10);
    rig.ctx().history.undo();  // the drag is one step back
    QCOMPARE(int(EffectsRig::module().temporary().common[efxParameterOffset(8)]), int(rig.dataSentTo(at)[0][0]));
    auto* depth = rig.find<RollSpinBox>(efx, "SpCDepth1");
    QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(depth);
    spoken->valueInterface()->setCurrentValue(-63);  // as a screen reader user sets it
    depth->setFocus();
    QTest::keyClick(depth, Qt::Key_End);
    QCOMPARE(rig.dataSentTo(address::temporaryCommon(common::EfxControlDepth1)),
             (std::vector<Bytes>{Bytes{0x00}, Bytes{0x7E}}));
    rig.find<QComboBox>(efx, "CbSourceB")->setCurrentIndex(10);  // "11"
    QCOMPARE(rig.dataSentTo(address::temporaryCommon(common::EfxSourceB)), std::vector<Bytes>{Bytes{0x0A}});
    QCOMPARE(int(EffectsRig::module().temporary().common[common::EfxSourceB]), 0x0A);
    midi::virtualModuleBackend().setModuleType(ModuleType::JV1080);
  }

  // A signed value typed with its sign, as shown or without its unit; a number it cannot be stays out.
  void signedValuesAreTypedAsShown() {
    EffectsRig rig;
    rig.ctx().store.TempPerformance.common[common::EfxType] = Spectrum;
    EfxWindow* efx = openEfx(rig);
    TextFader* gain = efx->slider(BandGainSlot);
    const auto type = [&](const QString& text) {
      gain->setFocus();
      QTest::keyClicks(gain, text.left(1));
      auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget());  // the one open now
      if (!field) return field;
      QTest::keyClicks(field, text.mid(1));
      QTest::keyClick(field, Qt::Key_Return);
      return field;
    };
    QVERIFY(QTest::qWaitForWindowActive(efx));
    const Byte& onModule = EffectsRig::module().temporary().common[efxParameterOffset(1)];
    for (auto [typed, shown] : {std::pair{"+5", "5 dB"}, std::pair{"-12", "-12 dB"}, std::pair{"-6 dB", "-6 dB"}}) {
      QVERIFY(type(QLatin1String(typed)));
      QCOMPARE(gain->Text().trimmed(), QLatin1String(shown));
      QCOMPARE(int(onModule), gain->Position());
    }
    // Beyond the shown range: said at the field, the value stays.
    QLineEdit* field = type(QStringLiteral("20"));
    QVERIFY(field && field->isVisible() && field->accessibleDescription().contains(QStringLiteral("-15 dB to 15 dB")));
    QCOMPARE(gain->Text().trimmed(), QStringLiteral("-6 dB"));
  }

  void aByteThatIsNoTypeIsNamedAndLeftAlone() {
    EffectsRig rig;
    rig.ctx().store.TempPerformance.common[common::EfxType] = 45;
    EfxWindow* efx = openEfx(rig);
    auto* type = rig.find<QComboBox>(efx, "CbEFXType");
    QCOMPARE(type->currentIndex(), -1);
    QCOMPARE(type->placeholderText(), QStringLiteral("Unknown EFX type 45"));
    for (int k = 1; k <= EfxSlotCount; ++k) QVERIFY(efx->slider(k)->isHidden());
    QVERIFY(rig.sent.empty());
    type->setCurrentIndex(Spectrum);  // the user's choice goes out and brings the sliders back
    QCOMPARE(rig.dataSentTo(address::temporaryCommon(common::EfxType)), std::vector<Bytes>{Bytes{Spectrum}});
    QVERIFY(efx->slider(7)->isVisible() && efx->sliderLabel(7)->text() == QStringLiteral("  250 Hz."));
  }
};

QTEST_MAIN(EfxWindowTest)
#include "efx_window_test.moc"
