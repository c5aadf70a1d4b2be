// The mixer as the program builds it, against the virtual module: control
// changes per strip, memories recalled and kept across a restart, incoming
// control changes shown without echo, one message for a closed port.

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/windows.h"
#include "app_fixture.h"
#include "controls/roll_spin_box.h"
#include "controls/value_fader.h"
#include "midi/midi_backend.h"
#include "midi/virtual_backend.h"

using namespace quillon;

namespace {

jv::VirtualModule& module() { return midi::virtualModuleBackend().module(); }

// A control change as the keyboard port hands it over.
class KeyboardSays : public MidiEventSource {
 public:
  KeyboardSays(Byte s, Byte d1, Byte d2) { m_ = {s, d1, d2, 0, {}}; }
  std::optional<MidiMessage> takeEvent() override {
    if (taken_) return std::nullopt;
    taken_ = true;
    return m_;
  }

 private:
  MidiMessage m_;
  bool taken_ = false;
};

template <typename W>
W* control(ProgramWindows& w, const QString& name) {
  return w.mixer->findChild<W*>(name);
}

}  // namespace

class MidiMixerTest : public QObject {
  Q_OBJECT
 private slots:
  void stripsSendTheirControlChanges() {
    testing::TestContext t;
    ProgramWindows windows(*t.context);
    QTest::mouseClick(windows.mainWindow->findChild<QPushButton*>(QStringLiteral("Bmidimix")), Qt::LeftButton);
    QVERIFY(windows.mixer->isVisible());
    auto* pan3 = control<RollSpinBox>(windows, QStringLiteral("spPan3"));
    pan3->setValue(-64);
    QCOMPARE(module().controller(2, controller::Pan), Byte{0});
    QCOMPARE(windows.mixer->desk().memory(0)[2][2], Byte{0});  // pan row, strip 3
    QCOMPARE(pan3->accessibleName(), QStringLiteral("Part 3 pan"));

    // From the keyboard: strip 1 follows, nothing goes back.
    const int before = module().controlChangesReceived();
    KeyboardSays volume(0xB0, controller::Volume, 100);
    t.context->incoming.HandleKeyboardInput(volume);
    QCOMPARE(control<ValueFader>(windows, QStringLiteral("slVol1"))->Position(), 100);
    QCOMPARE(module().controlChangesReceived(), before + (t.context->host.midiThru() ? 1 : 0));
    // Its lamp lights and goes back to green; the timer behind it rests until the next change.
    auto* lamp = control<QLabel>(windows, QStringLiteral("LedIn"));
    auto* lampTimer = windows.mixer->findChild<QTimer*>(QStringLiteral("Timer1"));
    QVERIFY(lamp->styleSheet().contains(QStringLiteral("#00ff00")) && lampTimer->isActive());
    QTRY_VERIFY(lamp->styleSheet().contains(QStringLiteral("#008000")));
    QVERIFY(!lampTimer->isActive());

    // "Update" up: incoming changes leave the strips alone.
    control<QPushButton>(windows, QStringLiteral("spMupdate"))->click();
    KeyboardSays chorus(0xB0, controller::ChorusSend, 55);
    t.context->incoming.HandleKeyboardInput(chorus);
    QCOMPARE(control<ValueFader>(windows, QStringLiteral("slCho1"))->Position(), 0);

    // A memory never used resets every channel: 64 control changes.
    const int sent = module().controlChangesReceived();
    control<QPushButton>(windows, QStringLiteral("spM2"))->click();
    QCOMPARE(module().controlChangesReceived(), sent + 64);
    for (int s = 0; s < MixerStrips; ++s) {
      QCOMPARE(module().controller(s, controller::Volume), Byte{0});
      QCOMPARE(module().controller(s, controller::Pan), Byte{64});
    }
  }

  // A screen reader has the memory buttons' accessible actions only: each must recall as a click does.
  void screenReaderRecallsAndValuesAreTyped() {
    testing::TestContext t;
    ProgramWindows windows(*t.context);
    windows.mixer->show();
    QVERIFY(QTest::qWaitForWindowActive(windows.mixer.get()));
    auto* m4 = control<QPushButton>(windows, QStringLiteral("spM4"));
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(m4);
    QCOMPARE(reader->text(QAccessible::Name), QStringLiteral("Mixer memory 4"));
    QVERIFY(reader->state().checkable && !reader->state().checked);
    for (const QString& action :
         {QAccessibleActionInterface::toggleAction(), QAccessibleActionInterface::pressAction()}) {
      QVERIFY(reader->actionInterface()->actionNames().contains(action));
      const int sent = module().controlChangesReceived();
      reader->actionInterface()->doAction(action);
      QCOMPARE(module().controlChangesReceived(), sent + 64);
      QVERIFY(m4->isChecked() && windows.mixer->desk().memoryIndex() == 3);
    }

    // A pan typed into its field: a stray word is refused in place, a number is sent.
    auto* pan2 = control<RollSpinBox>(windows, QStringLiteral("spPan2"));
    pan2->setFocus();
    QTest::keyClicks(pan2, QStringLiteral("w"));
    auto* typed = windows.mixer->findChild<QLineEdit*>(QStringLiteral("TypedValue"));
    QVERIFY(typed && typed->hasFocus());
    QTest::keyClicks(typed, QStringLiteral("est"));
    QTest::keyClick(typed, Qt::Key_Return);
    QVERIFY(typed->isVisible() && typed->text() == QStringLiteral("west"));
    QVERIFY(typed->accessibleDescription().contains(QStringLiteral("from -64 to 63")));
    typed->setText(QStringLiteral("L20"));  // as the module writes a pan
    QTest::keyClick(typed, Qt::Key_Return);
    QCOMPARE(module().controller(1, controller::Pan), Byte{44});
    QVERIFY(pan2->hasFocus() && pan2->Value() == -20);
  }

  void memoriesSurviveARestartAndAClosedPortTellsOnce() {
    testing::TestContext t;
    {
      ProgramWindows windows(*t.context);
      control<QPushButton>(windows, QStringLiteral("spM3"))->click();
      control<ValueFader>(windows, QStringLiteral("slRev5"))->setPosition(77);
    }
    ProgramWindows windows(*t.context);
    QCOMPARE(windows.mixer->desk().memory(2)[1][4], Byte{77});  // reverb row, strip 5

    t.context->ports.close();
    const auto infos = t.infos.size();
    auto* volume = control<ValueFader>(windows, QStringLiteral("SlVol2"));
    for (int v = 10; v < 20; ++v) volume->setPosition(v);  // one box for the whole gesture
    QCOMPARE(t.infos.size(), infos + 1);
    QCOMPARE(volume->Position(), 19);
    QCOMPARE(windows.mixer->desk().memory(windows.mixer->desk().memoryIndex())[3][1], Byte{0});  // nothing was sent
  }
};

QTEST_MAIN(MidiMixerTest)
#include "midi_mixer_test.moc"
