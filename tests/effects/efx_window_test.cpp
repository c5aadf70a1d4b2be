// The EFX editor as the program wires it, on the virtual module: opening sends
// nothing, a type change sends the type and fetches the module's parameters into
// sliders rebound to the new type, drags follow "Change Always", and a byte that
// is no type is named and left alone.

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "controls/roll_spin_box.h"
#include "controls/text_fader.h"
#include "effects_rig.h"

using namespace quillon;
using testing::EffectsRig;

namespace {
constexpr int Rotary = 7;
constexpr int TremoloChorus = 11;
constexpr int Spectrum = 4;
constexpr int SpeedSlot = 5;  // "Speed" of the Rotary: two entries, EFX parameter 5
constexpr int HiLevelSlot = 4;  // "Hi Level": 0..127, EFX parameter 8

EfxWindow* openEfx(EffectsRig& rig) {
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
    QVERIFY(efx->isVisible());
    QVERIFY(rig.sent.empty());  // opening only reads the store
    auto& moduleCommon = EffectsRig::module().temporary().common;
    for (int n = 1; n <= EfxSlotCount; ++n) moduleCommon[efxParameterOffset(n)] = static_cast<Byte>(10 + n);
    moduleCommon[efxParameterOffset(5)] = 0;  // Speed: "Slow"

    rig.find<QComboBox>(efx, "CbEFXType")->setCurrentIndex(Rotary);
    QCOMPARE(rig.sent.size(), std::size_t{2});
    QCOMPARE(rig.dataSentTo(address::temporaryCommon(common::EfxType)), std::vector<Bytes>{Bytes{Rotary}});
    QCOMPARE(rig.sent[1], buildRQ1(rig.ctx().engineSettings.device(), address::temporaryCommon(common::EfxSource),
                                   common::EfxRereadLength));
    QCOMPARE(int(moduleCommon[common::EfxType]), Rotary);
    for (int k = 1; k <= EfxSlotCount; ++k) QCOMPARE(efx->slider(k)->isVisible(), k != 11);
    QCOMPARE(efx->slider(1)->Text(), QStringLiteral("    0.60"));  // parameter 1 = 11 in list 9
    QCOMPARE(efx->slider(HiLevelSlot)->Position(), 18);
    QCOMPARE(efx->slider(SpeedSlot)->Text(), QStringLiteral("Slow"));
    QCOMPARE(rig.ctx().store.selectedPerformance().common[efxParameterOffset(8)], Byte{18});  // saved as fetched
    QCOMPARE(efx->sliderLabel(SpeedSlot)->text(), QStringLiteral("Speed"));
    QCOMPARE(rig.find<QLabel>(efx, "STop1")->text(), QStringLiteral("Perform EFX 08: Rotary"));
    QCOMPARE(rig.find<QLabel>(efx, "Lpm13")->text(), QStringLiteral("Speed"));
    // Two entries: computed 32 pixels, drawn at the fader's least 36, two ticks.
    QCOMPARE(EfxWindow::sliderHeight(1), 32);
    QCOMPARE(efx->slider(SpeedSlot)->height(), 36);
    QCOMPARE(efx->slider(SpeedSlot)->Ticks(), 2);
    QCOMPARE(efx->slider(3)->Ticks(), 16);  // 16 entries
    QCOMPARE(efx->slider(1)->Ticks(), 12);  // 126 entries
    QCOMPARE(efx->slider(HiLevelSlot)->Ticks(), 13);  // 128 entries

    // A stored value beyond the list leaves the slider and sends nothing.
    efx->hide();
    rig.ctx().store.TempPerformance.common[efxParameterOffset(5)] = 9;
    efx->showAndRaise();
    QCOMPARE(efx->slider(SpeedSlot)->Position(), 0);  // not pulled to the end of the list
    QCOMPARE(efx->slider(SpeedSlot)->Text(), QStringLiteral("Slow"));
    QCOMPARE(rig.sent.size(), std::size_t{2});

    // The phase list (91 entries) gets ten ticks, one every 20 degrees.
    rig.find<QComboBox>(efx, "CbEFXType")->setCurrentIndex(TremoloChorus);
    QCOMPARE(efx->sliderLabel(4)->text(), QStringLiteral("Phase"));
    QCOMPARE(efx->slider(4)->Ticks(), 10);
    QCOMPARE(efx->slider(4)->accessibleName(), QStringLiteral("EFX Phase"));
  }

  void dragsSendTheReleaseOrEveryStepWithChangeAlways() {
    EffectsRig rig;
    rig.ctx().store.TempPerformance.common[common::EfxType] = Rotary;
    EfxWindow* efx = openEfx(rig);
    TextFader* hiLevel = efx->slider(HiLevelSlot);
    const SysexAddress at = address::temporaryCommon(efxParameterOffset(8));
    EffectsRig::drag(hiLevel, 20);
    QCOMPARE(rig.dataSentTo(at), std::vector<Bytes>{Bytes{static_cast<Byte>(hiLevel->Position())}});
    QCOMPARE(hiLevel->Text(), QStringLiteral(" ") + QString::number(hiLevel->Position()));
    QCOMPARE(int(EffectsRig::module().temporary().common[efxParameterOffset(8)]), hiLevel->Position());
    rig.find<QCheckBox>(efx, "ChAlways")->setChecked(true);
    EffectsRig::drag(hiLevel, 20);
    QVERIFY(rig.dataSentTo(at).size() >= 1 + 10);
    rig.ctx().history.undo();  // the drag is one step back
    QCOMPARE(int(EffectsRig::module().temporary().common[efxParameterOffset(8)]), int(rig.dataSentTo(at)[0][0]));
  }

  void depthsAndSourcesSendTheirStoredBytes() {
    EffectsRig rig;
    midi::virtualModuleBackend().setModuleType(ModuleType::JV2080);  // it holds sources B and C
    EfxWindow* efx = openEfx(rig);
    auto* depth = rig.find<RollSpinBox>(efx, "SpCDepth1");
    QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(depth);
    QCOMPARE(spoken->text(QAccessible::Name), QStringLiteral("EFX control depth 1"));
    spoken->valueInterface()->setCurrentValue(-63);  // as a screen reader user sets it
    depth->setFocus();
    QTest::keyClick(depth, Qt::Key_End);
    QCOMPARE(rig.dataSentTo(address::temporaryCommon(common::EfxControlDepth1)),
             (std::vector<Bytes>{Bytes{0x00}, Bytes{0x7E}}));
    auto* sourceB = rig.find<QComboBox>(efx, "CbSourceB");
    QCOMPARE(sourceB->itemText(10), QStringLiteral("11"));
    sourceB->setCurrentIndex(10);
    QCOMPARE(rig.dataSentTo(address::temporaryCommon(common::EfxSourceB)), std::vector<Bytes>{Bytes{0x0A}});
    QCOMPARE(int(EffectsRig::module().temporary().common[common::EfxSourceB]), 0x0A);
    midi::virtualModuleBackend().setModuleType(ModuleType::JV1080);
  }

  void aByteThatIsNoTypeIsNamedAndLeftAlone() {
    EffectsRig rig;
    rig.ctx().store.TempPerformance.common[common::EfxType] = 45;
    EfxWindow* efx = openEfx(rig);
    auto* type = rig.find<QComboBox>(efx, "CbEFXType");
    QCOMPARE(type->currentIndex(), -1);
    QCOMPARE(type->placeholderText(), QStringLiteral("Unknown EFX type 45"));
    QVERIFY(rig.find<QLabel>(efx, "STop1")->text().contains(QStringLiteral("Unknown EFX type 45")));
    for (int k = 1; k <= EfxSlotCount; ++k) QVERIFY(efx->slider(k)->isHidden());
    QVERIFY(rig.sent.empty());
    QCOMPARE(int(rig.ctx().store.TempPerformance.common[common::EfxType]), 45);
    type->setCurrentIndex(Spectrum);  // the user's choice goes out and brings the sliders back
    QCOMPARE(rig.dataSentTo(address::temporaryCommon(common::EfxType)), std::vector<Bytes>{Bytes{Spectrum}});
    QCOMPARE(efx->sliderLabel(7)->text(), QStringLiteral("  250 Hz."));
    QVERIFY(efx->slider(7)->isVisible());
  }
};

QTEST_MAIN(EfxWindowTest)
#include "efx_window_test.moc"
