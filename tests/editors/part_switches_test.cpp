// The switch window and the key range window as the program builds them,
// against the virtual module: the 64-voice rule (with reserves that already
// total more), the Quick Edit buttons, pitch limits, the halves, and the key
// bars that push each other.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include "app/windows.h"
#include "app_fixture.h"
#include "controls/roll_spin_box.h"
#include "midi/midi_backend.h"
#include "midi/virtual_backend.h"
#include "settings/names/patch_evaluation.h"

using namespace quillon;

namespace {

jv::VirtualModule& module() { return midi::virtualModuleBackend().module(); }
Byte moduleReserve(int part) { return module().temporary().common[common::VoiceReserveFirst + part]; }

struct Rig {
  testing::TestContext t;
  ProgramWindows windows{*t.context};
  AppContext& c = *t.context;

  Rig() {
    c.engineSettings.sysDly = 20;
    windows.mainWindow->getTemp();
  }
  // Every part's reserve, in the store and in the module.
  void setReserves(std::initializer_list<int> first, int rest) {
    for (int p = 0; p < address::PartCount; ++p) {
      const int v = p < static_cast<int>(first.size()) ? first.begin()[p] : rest;
      c.store.TempPerformance.common[common::VoiceReserveFirst + p] = static_cast<Byte>(v);
      module().temporary().common[common::VoiceReserveFirst + p] = static_cast<Byte>(v);
    }
  }
  template <typename W>
  W* in(QWidget* window, const char* name) {
    return window->findChild<W*>(QLatin1String(name));
  }
  QSpinBox* voices(int row) { return in<QSpinBox>(windows.partSwitches.get(), ("SpV" + std::to_string(row)).c_str()); }
  void typeVoices(int row, int v) {
    voices(row)->setValue(v);  // as the arrows or a typed number settle it
  }
};

}  // namespace

class PartSwitchesTest : public QObject {
  Q_OBJECT
 private slots:
  void voiceReserveKeepsTheModuleWithinSixtyFourVoices() {
    Rig r;
    r.setReserves({}, 4);  // 64 in all
    r.windows.partSwitches->showAndRaise();
    QCOMPARE(r.windows.partSwitches->sumText(), QStringLiteral("64"));
    const auto boxes = [&] {
      return std::count_if(r.t.infos.begin(), r.t.infos.end(),
                           [](const std::string& box) { return box.starts_with(PartSwitchesWindow::FullText); });
    };
    r.typeVoices(1, 5);
    QCOMPARE(boxes(), 1);
    QVERIFY2(r.t.infos.back().ends_with("Part 1 can have 4 voices at most."), r.t.infos.back().c_str());
    QCOMPARE(r.voices(1)->value(), 4);
    QCOMPARE(moduleReserve(0), Byte{4});

    r.setReserves({4, 2}, 4);  // 62
    r.windows.partSwitches->fill();
    r.typeVoices(2, 20);
    QCOMPARE(boxes(), 2);  // one more, however many voices over
    QCOMPARE(moduleReserve(1), Byte{4});
    QCOMPARE(r.windows.partSwitches->restText(), QStringLiteral("0"));

    // Already over 64 (from a file): lowering goes as chosen, a raise is taken back.
    r.setReserves({}, 5);
    r.windows.partSwitches->fill();
    QCOMPARE(r.windows.partSwitches->sumText(), QStringLiteral("64"));
    r.typeVoices(1, 3);
    QCOMPARE(moduleReserve(0), Byte{3});
    const int sent = r.c.log.SendLogCount;
    r.typeVoices(2, 6);
    QCOMPARE(boxes(), 3);
    QCOMPARE(r.voices(2)->value(), 5);
    QCOMPARE(moduleReserve(1), Byte{5});
    QCOMPARE(r.c.log.SendLogCount, sent);
  }

  void quickEditPitchAndHalves() {
    Rig r;
    r.c.cursor.showPage(0);
    r.windows.partSwitches->showAndRaise();
    // Filling touched every row: the editor comes back on the page of part 8.
    QCOMPARE(r.c.cursor.partPage(), 4);
    r.setReserves({}, 0);
    QTest::mouseClick(r.in<QPushButton>(r.windows.partSwitches.get(), "BallVto4"), Qt::LeftButton);
    for (int p = 0; p < address::PartCount; ++p) QCOMPARE(moduleReserve(p), Byte{4});
    QCOMPARE(r.windows.partSwitches->restText(), QStringLiteral("0"));

    auto* coarse = r.in<RollSpinBox>(r.windows.partSwitches.get(), "SpPC3");
    auto* fine = r.in<RollSpinBox>(r.windows.partSwitches.get(), "SpPF3");
    coarse->setValue(-48);
    QCOMPARE(module().temporary().parts[2][part::CoarseTune], Byte{0});
    coarse->setValue(48);
    QCOMPARE(module().temporary().parts[2][part::CoarseTune], Byte{96});
    fine->setValue(-50);
    QCOMPARE(module().temporary().parts[2][part::FineTune], Byte{0});
    fine->setValue(50);
    QCOMPARE(module().temporary().parts[2][part::FineTune], Byte{100});
    // A tuning typed with its sign.
    constexpr int CoarseCentre = 48;
    QVERIFY(QTest::qWaitForWindowActive(r.windows.partSwitches.get()));
    for (int shown : {-12, +5}) {
      const QString typed = (shown > 0 ? QStringLiteral("+") : QString()) + QString::number(shown);
      coarse->setFocus();
      QTest::keyClicks(coarse, typed.left(1));
      auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget());
      QVERIFY(field && field->objectName() == QStringLiteral("TypedValue"));
      QTest::keyClicks(field, typed.mid(1));
      QTest::keyClick(field, Qt::Key_Return);
      QCOMPARE(int(module().temporary().parts[2][part::CoarseTune]), shown + CoarseCentre);
    }

    QTest::mouseClick(r.in<QPushButton>(r.windows.partSwitches.get(), "B18916"), Qt::LeftButton);
    // Part 10 by the one name of its rhythm set.
    QTRY_VERIFY(!r.windows.mainWindow->timer1()->isActive());
    r.windows.partSwitches->fill();
    QCOMPARE(r.in<QLabel>(r.windows.partSwitches.get(), "lpn2")->text(),
             QString::fromStdString(partSoundName(r.c.store.TempPerformance.parts[RhythmPart], RhythmPart, r.c.names)));
    QCOMPARE(r.in<QLabel>(r.windows.partSwitches.get(), "lp2")->text(), QStringLiteral("Part 10"));
    r.in<QCheckBox>(r.windows.partSwitches.get(), "MR3")->click();  // part 11
    QCOMPARE(module().temporary().parts[10][part::ReceiveSwitch],
             Byte(r.in<QCheckBox>(r.windows.partSwitches.get(), "MR3")->isChecked()));
    QCOMPARE(r.c.cursor.partPage(), 8);
    QCOMPARE(r.c.cursor.partSlot(), 2);
  }

  void keyBarsSendPairsAndPushEachOther() {
    Rig r;
    KeyRangeWindow& w = *r.windows.keyRange;
    for (int p = 0; p < address::PartCount; ++p) {
      r.c.store.TempPerformance.parts[p][part::KeyRangeLower] = 0;
      r.c.store.TempPerformance.parts[p][part::KeyRangeUpper] = 127;
    }
    w.showAndRaise();
    auto* upper = r.in<QScrollBar>(&w, "sb3u");
    auto* lower = r.in<QScrollBar>(&w, "sb3l");
    QCOMPARE(upper->value(), 127);
    upper->setSliderDown(true);  // the user holds the thumb: every position passed is sent
    for (int n = 126; n >= 60; --n) {
      upper->setValue(n);
      QCOMPARE(module().temporary().parts[2][part::KeyRangeUpper], Byte(n));
    }
    upper->setSliderDown(false);
    QCOMPARE(module().temporary().parts[2][part::KeyRangeUpper], Byte{60});
    QCOMPARE(r.in<QLabel>(&w, "l3u")->text(), QString::fromLatin1(texts::noteName(60).data()));

    lower->setValue(48);
    upper->triggerAction(QAbstractSlider::SliderPageStepSub);  // an octave down, below the lower key
    QCOMPARE(upper->value(), 48);
    upper->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(lower->value(), 47);  // pushed along
    QCOMPARE(module().temporary().parts[2][part::KeyRangeLower], Byte{47});
    QCOMPARE(module().temporary().parts[2][part::KeyRangeUpper], Byte{47});

    auto* keyRange = r.in<QCheckBox>(&w, "CbKeyRange");
    keyRange->setChecked(true);
    keyRange->setChecked(false);
    QCOMPARE(module().temporary().common[common::KeyRangeSwitch], Byte{0});
    QCOMPARE(r.c.store.TempPerformance.common[common::KeyRangeSwitch], Byte{0});
  }
};

QTEST_MAIN(PartSwitchesTest)
#include "part_switches_test.moc"
