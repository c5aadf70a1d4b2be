// The editing road as the program wires it: a small window's bindings over
// the program's edit path reach the virtual module (device 0) through the
// monitor's ports; undo sends the old bytes back the same way; the monitor's
// faders answer assistive technology.

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QVBoxLayout>

#include "app/windows.h"
#include "app_fixture.h"
#include "controls/roll_spin_box.h"
#include "controls/value_fader.h"
#include "editors/binding/binding_set.h"
#include "midi/midi_backend.h"
#include "midi/virtual_backend.h"

using namespace quillon;

namespace {

constexpr int Page = 4;    // the small editor shows parts 5..8
constexpr int Column = 1;  // the level fader edits part Page + 1

// Data the module sends on its own, handed to the program's incoming decoder.
class ModuleSays : public MidiEventSource {
 public:
  explicit ModuleSays(Bytes message) {
    m_.status = midi_byte::SysexStart;
    m_.sysex = std::move(message);
  }
  std::optional<MidiMessage> takeEvent() override {
    if (taken_) return std::nullopt;
    taken_ = true;
    return m_;
  }

 private:
  MidiMessage m_;
  bool taken_ = false;
};

// A window of three bound controls on the program's editing road.
struct SmallEditor {
  explicit SmallEditor(AppContext& c) : bindings(c.editing, SendGuard::FormFilling) {
    auto* layout = new QVBoxLayout(&window);
    level = new ValueFader;
    pan = new RollSpinBox;
    always = new QCheckBox(QStringLiteral("Change Always"));
    for (QWidget* w : {static_cast<QWidget*>(level), static_cast<QWidget*>(pan), static_cast<QWidget*>(always)})
      layout->addWidget(w);
    bindings.setChangeAlways(always);
    const auto page = [] { return Page; };
    bindings.bind(level, param::PartLevel, PartRef::editorColumn(c.cursor, page, Column),
                  {.accessibleName = "Part %1 level"});
    bindings.bind(pan, param::PartPan, PartRef::editorColumn(c.cursor, page, 0));
    window.resize(120, 400);
    window.show();
  }
  // Drags the level cap by `steps` pixels downwards, one mouse move each.
  void drag(int steps) {
    QPoint at(level->width() / 2, level->thumbCentreY());
    QTest::mousePress(level, Qt::LeftButton, {}, at);
    for (int i = 0; i < steps; ++i) {
      at.ry() += 1;
      QMouseEvent move(QEvent::MouseMove, at, level->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(level, &move);
    }
    QTest::mouseRelease(level, Qt::LeftButton, {}, at);
  }
  QWidget window;
  ValueFader* level;
  RollSpinBox* pan;
  QCheckBox* always;
  BindingSet bindings;
};

jv::VirtualModule& module() { return midi::virtualModuleBackend().module(); }
Byte moduleLevel(int part) { return module().temporary().parts[part][part::Level]; }

}  // namespace

class EditingRoadTest : public QObject {
  Q_OBJECT
 private slots:
  void bindingsSendOnlyWhatTheUserSettles() {
    testing::TestContext t;
    ProgramWindows windows(*t.context);
    AppContext& c = *t.context;
    c.engineSettings.sysDly = 20;
    c.store.TempPerformance.parts[5][part::Level] = 50;
    module().temporary().parts[5][part::Level] = 50;
    SmallEditor editor(c);
    const int sentBefore = c.log.SendLogCount;

    editor.bindings.refresh();
    QCOMPARE(editor.level->Position(), 50);
    QCOMPARE(editor.level->accessibleName(), QStringLiteral("Part 6 level"));
    QCOMPARE(c.log.SendLogCount, sentBefore);  // a refresh never sends

    editor.level->setFocus();
    QTest::keyClick(editor.level, Qt::Key_Up);  // a settled change: one data set
    QTRY_COMPARE(moduleLevel(5), Byte{51});
    QCOMPARE(c.log.SendLogCount, sentBefore + 2);  // two log lines per data set
    QCOMPARE(c.store.editedPart(), Page + Column);

    editor.drag(5);  // Change Always off: only the release sends
    QCOMPARE(c.log.SendLogCount, sentBefore + 4);
    const Byte released = moduleLevel(5);
    QCOMPARE(int(released), editor.level->Position());

    editor.always->setChecked(true);
    editor.drag(5);  // every step leaves, then the release
    QVERIFY(c.log.SendLogCount >= sentBefore + 4 + 2 * 5);

    // The module answers with another value of the bound byte: the control follows and sends nothing back.
    const int sentNow = c.log.SendLogCount;
    {
      SessionScope asked(c.sender.sessions(), TransferKind::GetTemp);
      for (int p : {2, 5}) asked->noteRequest(address::temporaryPart(p), StandardBlockSizes.partLength());
      c.incoming.HandleModuleInput(*std::make_unique<ModuleSays>(
          buildDT1(deviceByte(roland::DefaultUnitId), address::temporaryPart(5, part::Level), Bytes{9})));
      QCOMPARE(editor.level->Position(), 9);
      QCOMPARE(c.log.SendLogCount, sentNow);
      // Bytes of another part leave the control alone.
      c.store.TempPerformance.parts[5][part::Level] = 77;  // behind the binding's back
      ModuleSays other(buildDT1(deviceByte(roland::DefaultUnitId), address::temporaryPart(2, part::Level), Bytes{3}));
      c.incoming.HandleModuleInput(other);
    }
    QCOMPARE(editor.level->Position(), 9);
  }

  void undoAndRedoFollowTheModule() {
    testing::TestContext t;
    ProgramWindows windows(*t.context);
    AppContext& c = *t.context;
    c.engineSettings.sysDly = 20;
    windows.mainWindow->getTemp();
    QVERIFY(!c.store.NoPerformance);
    const Byte original = moduleLevel(Page + Column);
    SmallEditor editor(c);
    editor.bindings.refresh();
    EditHistory& history = c.history;
    QCOMPARE(history.stepCount(), 0);

    editor.level->setFocus();
    QTest::keyClick(editor.level, Qt::Key_PageUp);
    const Byte edited = moduleLevel(Page + Column);
    QVERIFY(edited != original);
    history.undo();
    QTRY_COMPARE(moduleLevel(Page + Column), original);
    QCOMPARE(editor.level->Position(), int(original));  // the control follows the undo
    history.redo();
    QTRY_COMPARE(moduleLevel(Page + Column), edited);

    editor.always->setChecked(true);
    const int before = history.stepCount();
    editor.drag(6);
    QCOMPARE(history.stepCount(), before + 1);  // one drag, one step
    c.edit.setAllParts(
        param::PartLevel, [](int) { return 33; }, SendGuard::FormFilling);
    QCOMPARE(history.stepCount(), before + 2);  // one Quick Edit, one step
    history.undo();
    for (int p = 0; p < address::PartCount; ++p) QVERIFY(moduleLevel(p) != 33 || p == Page + Column);

    windows.mainWindow->getTemp();  // the module's data again: a new history
    QCOMPARE(history.stepCount(), 0);
    auto* editMenu = windows.mainWindow->findChild<QMenu*>(QStringLiteral("EditMenu"));
    QVERIFY(editMenu);
    QCOMPARE(editMenu->actions().first()->text(), QStringLiteral("Undo"));
    QVERIFY(!editMenu->actions().first()->isEnabled());
  }

  void monitorFadersAnswerAssistiveTechnology() {
    testing::TestContext t;
    ProgramWindows windows(*t.context);
    auto* breath = windows.monitorWindow->findChild<FaderBase*>(QStringLiteral("SbNoteB"));
    QVERIFY(breath);
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(breath);
    QVERIFY(a && a->valueInterface());
    QCOMPARE(a->role(), QAccessible::Slider);
    QCOMPARE(a->text(QAccessible::Name), QStringLiteral("Breath"));
    QCOMPARE(a->valueInterface()->minimumValue().toInt(), 0);
    QCOMPARE(a->valueInterface()->maximumValue().toInt(), 127);
    a->valueInterface()->setCurrentValue(77);  // as a screen reader user sets it
    QCOMPARE(breath->Position(), 77);
    // The controller left: the monitor shows the last message sent (breath is controller 2).
    QCOMPARE(windows.monitorWindow->findChild<QLabel*>(QStringLiteral("LmidiOut"))->text().simplified(),
             QStringLiteral("B0 2 4D"));
    auto* channel = windows.monitorWindow->findChild<RollSpinBox*>(QStringLiteral("SpChan"));
    QAccessibleInterface* spin = QAccessible::queryAccessibleInterface(channel);
    QCOMPARE(spin->role(), QAccessible::SpinBox);
    QCOMPARE(spin->valueInterface()->maximumValue().toInt(), 16);
  }
};

QTEST_MAIN(EditingRoadTest)
#include "editing_road_test.moc"
