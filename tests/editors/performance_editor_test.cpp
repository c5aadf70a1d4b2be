// The performance editor as the program builds it, opened by the main window's
// "Edit Performance" on a performance fetched from the virtual module (MIDI
// device 0): what its controls send, what the module then holds, undo and
// redo, the overview, the name, and the test pad.

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleValueInterface>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/windows.h"
#include "app_fixture.h"
#include "controls/roll_spin_box.h"
#include "controls/value_fader.h"
#include "editors/test_pad.h"
#include "midi/midi_backend.h"
#include "midi/virtual_backend.h"
#include "settings/names/patch_evaluation.h"

using namespace quillon;

namespace {

constexpr int FastDelay = 20;

void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
  QMouseEvent e(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

// The program's windows on the virtual module, the module's Temporary
// Performance fetched and the editor opened from the main window.
struct Rig {
  testing::TestContext t;
  std::unique_ptr<ProgramWindows> windows;
  std::vector<Bytes> shorts;              // channel messages as they left for the port
  std::vector<std::string> openingInfos;  // the boxes while the performance was fetched and opened

  explicit Rig(const std::function<void(PerformanceRecord&)>& prepare = {}) {
    jv::VirtualModule& m = module();
    m.reset();
    if (prepare) prepare(m.temporary());
    windows = std::make_unique<ProgramWindows>(ctx());
    ctx().settings.FirstRun = false;  // the ports are open on device 0; no first-run dialog
    ctx().settings.engine.sysDly = FastDelay;
    ctx().settings.engine.noteOn = false;
    ctx().applySettings();
    const auto toPort = ctx().host.onSendShort;
    ctx().host.onSendShort = [this, toPort](Byte s, Byte d1, Byte d2) {
      shorts.push_back({s, d1, d2});
      toPort(s, d1, d2);
    };
    get<QPushButton>(windows->mainWindow.get(), "BGetJV")->click();
    get<QPushButton>(windows->mainWindow.get(), "Beditp")->click();
    // The main window evaluates the fetched names once; then only the editor speaks.
    QTRY_VERIFY(!windows->mainWindow->timer1()->isActive());
    openingInfos = t.infos;
    t.infos.clear();
    clearLog();
  }
  AppContext& ctx() { return *t.context; }
  static jv::VirtualModule& module() { return midi::virtualModuleBackend().module(); }
  PerformanceEditor& ed() { return *windows->performanceEditor; }
  template <typename T>
  T* get(QWidget* w, const QString& name) {
    T* c = w->findChild<T*>(name);
    if (!c) qFatal("no control %s", qPrintable(name));
    return c;
  }
  template <typename T>
  T* get(const QString& name) {
    return get<T>(&ed(), name);
  }
  void click(const QString& name) { get<QAbstractButton>(name)->click(); }
  int partByte(int part, Byte offset) { return module().temporary().parts[part][offset]; }
  // The data sets the message log shows, without their checksum and F7.
  QStringList sent() {
    QStringList lines;
    for (const QString& l : windows->messageLog->sentMemo()->toPlainText().split(QLatin1Char('\n')))
      if (l.startsWith(QStringLiteral(" F0 41 10 6A 12"))) lines << l.mid(15, l.size() - 21);
    return lines;
  }
  void clearLog() { get<QPushButton>(windows->messageLog.get(), QStringLiteral("Bclear"))->click(); }
  void undo(bool redo = false) {
    QMenu* menu = ed().menuBar()->findChild<QMenu*>(QStringLiteral("EditMenu"));
    menu->actions().at(redo ? 1 : 0)->trigger();
  }
};

}  // namespace

class PerformanceEditorTest : public QObject {
  Q_OBJECT
 private slots:
  void columnsSendForThePartsOfTheirPage() {
    Rig r;
    QVERIFY(r.ed().isVisible());
    QCOMPARE(r.ed().windowTitle(), QStringLiteral(" Performance Edit"));
    r.click(QStringLiteral("Sp5_8"));
    auto* level = r.get<ValueFader>(QStringLiteral("SlVol2"));
    QCOMPARE(level->accessibleName(), QStringLiteral("Part 6 level"));
    QTest::keyClick(level, Qt::Key_Down);
    QCOMPARE(r.sent(), QStringList{QStringLiteral(" 01 00 15 06 63")});
    QCOMPARE(r.partByte(5, part::Level), 99);
    QCOMPARE(r.ctx().store.editedPart(), 5);

    // Pan limits, and the grid's view of them.
    auto* pan = r.get<RollSpinBox>(QStringLiteral("SpPan1"));
    QTest::keyClick(pan, Qt::Key_Home);
    QCOMPARE(r.partByte(4, part::Pan), 0);
    QCOMPARE(r.get<QTableWidget>(QStringLiteral("StGr1"))->item(3, 5)->text(), QStringLiteral(" -64"));
    QTest::keyClick(pan, Qt::Key_End);
    QCOMPARE(r.partByte(4, part::Pan), 127);
    QCOMPARE(r.get<QTableWidget>(QStringLiteral("StGr1"))->item(3, 5)->text(), QStringLiteral(" 63"));

    // The channel through a screen reader's value interface: sent twice.
    r.clearLog();
    QAccessibleInterface* channel = QAccessible::queryAccessibleInterface(r.get<QSpinBox>(QStringLiteral("SpCh3")));
    QCOMPARE(channel->text(QAccessible::Name), QStringLiteral("Part 7 channel"));
    channel->valueInterface()->setCurrentValue(12);
    QCOMPARE(r.sent(), (QStringList{QStringLiteral(" 01 00 16 01 0B"), QStringLiteral(" 01 00 16 01 0B")}));
    QCOMPARE(r.partByte(6, part::ReceiveChannel), 11);

    // Output "Efx" opens the EFX choice; a stored 3 shows as "Efx - A".
    auto* feed = r.get<QComboBox>(QStringLiteral("CbEFXOut2"));
    QVERIFY(!feed->isEnabled());
    r.get<QComboBox>(QStringLiteral("CbOut2"))->setCurrentIndex(1);
    QVERIFY(feed->isEnabled());
    QCOMPARE(r.partByte(5, part::OutputAssign), 1);
    QCOMPARE(r.get<QTableWidget>(QStringLiteral("StGr1"))->item(2, 6)->text(), QStringLiteral("EFX"));

    // The patch caption asks for the column's part; SpPlay is the menu's setting; Done goes back.
    QSignalSpy patchSelect(&r.ed(), &PerformanceEditor::patchSelectRequested);
    r.click(QStringLiteral("StP3"));
    QCOMPARE(patchSelect.takeFirst().at(0).toInt(), 6);
    QCOMPARE(r.ctx().store.editedPart(), 6);
    r.click(QStringLiteral("SpPlay"));
    QVERIFY(r.ctx().engineSettings.noteOn);
    QVERIFY(r.windows->mainWindow->playNoteAction()->isChecked());
    r.click(QStringLiteral("Bdone"));
    QVERIFY(!r.ed().isVisible());
    QVERIFY(r.windows->mainWindow->isVisible());
  }

  void changeAlwaysDecidesWhetherDragStepsLeave() {
    Rig r;
    auto* fader = r.get<ValueFader>(QStringLiteral("SlVol1"));
    const auto drag = [&](int steps) {
      const QPoint cap(fader->width() / 2, fader->thumbCentreY());
      mouse(fader, QEvent::MouseButtonPress, cap, Qt::LeftButton, Qt::LeftButton);
      for (int i = 1; i <= steps; ++i)
        mouse(fader, QEvent::MouseMove, cap + QPoint(0, 3 * i), Qt::NoButton, Qt::LeftButton);
      const int duringDrag = static_cast<int>(r.sent().size());
      mouse(fader, QEvent::MouseButtonRelease, cap + QPoint(0, 3 * steps), Qt::LeftButton, Qt::NoButton);
      return duringDrag;
    };
    QCOMPARE(drag(5), 0);
    QCOMPARE(r.sent().size(), 1);
    QCOMPARE(r.partByte(0, part::Level), fader->Position());
    r.clearLog();
    r.click(QStringLiteral("ChAlways"));
    const int start = fader->Position();
    QCOMPARE(drag(5), 5);
    QVERIFY(r.partByte(0, part::Level) < start);
    QCOMPARE(r.partByte(0, part::Level), fader->Position());
    // The whole drag is one step: undo sends the level the drag started from.
    r.undo();
    QCOMPARE(r.partByte(0, part::Level), start);
    QCOMPARE(fader->Position(), start);
  }

  void quickEditButtonsAndTheirUndo() {
    Rig r;
    r.click(QStringLiteral("Bch1_16"));
    QCOMPARE(r.sent().size(), 16);
    for (int p = 0; p < address::PartCount; ++p) QCOMPARE(r.partByte(p, part::ReceiveChannel), p);

    r.click(QStringLiteral("Sp5_8"));
    QTest::keyClick(r.get<RollSpinBox>(QStringLiteral("SpPan1")), Qt::Key_Home);  // part 5 to -64
    const PerformanceRecord before = r.module().temporary();
    r.clearLog();
    r.click(QStringLiteral("BAllPan"));
    QCOMPARE(r.sent().size(), 3 + 16);  // the other columns first, then every part
    for (int p = 0; p < address::PartCount; ++p) QCOMPARE(r.partByte(p, part::Pan), 0);
    r.undo();
    QCOMPARE(r.module().temporary(), before);
    QCOMPARE(r.ctx().store.TempPerformance, before);
    r.undo(true);
    for (int p = 0; p < address::PartCount; ++p) QCOMPARE(r.partByte(p, part::Pan), 0);
    QCOMPARE(r.get<RollSpinBox>(QStringLiteral("SpPan4"))->Value(), -64);
  }

  void nameGoesThroughTheEditPath() {
    Rig r;
    const PerfCommonRecord before = r.module().temporary().common;
    const auto moduleName = [&] { return QString::fromStdString(performanceName(r.module().temporary().common)); };
    auto* name = r.get<QLineEdit>(QStringLiteral("EPname"));
    name->clear();
    QTest::keyClicks(name, QStringLiteral("Ab~"));
    QCOMPARE(name->text(), QStringLiteral("Ab "));  // the module shows no tilde
    QVERIFY(r.sent().isEmpty());                    // "Change Name Always" is not checked: leaving the field sends it
    QTest::keyClick(name, Qt::Key_Return);
    QCOMPARE(r.sent(), QStringList{QStringLiteral(" 01 00 00 00 41 62 20 20 20 20 20 20 20 20 20 20")});
    QCOMPARE(moduleName(), QStringLiteral("Ab          "));
    QCOMPARE(QString::fromStdString(performanceName(r.ctx().store.PerformanceList[0].common)), moduleName());
    r.undo();
    QCOMPARE(r.module().temporary().common, before);
    QCOMPARE(name->text().trimmed(), QString::fromStdString(performanceName(before)).trimmed());

    // "Change Name Always": every keystroke goes out; typing and leaving are one step to undo.
    r.windows->mainWindow->changeNameAlwaysAction()->setChecked(true);
    r.clearLog();
    name->clear();
    QTest::keyClicks(name, QStringLiteral("Xy"));
    QTest::keyClick(name, Qt::Key_Return);
    QCOMPARE(r.sent().size(), 2);
    QCOMPARE(moduleName(), QStringLiteral("Xy          "));
    r.undo();
    QCOMPARE(r.module().temporary().common, before);
  }

  void overviewPagesDrumColumnAndSoundingParts() {
    Rig r([](PerformanceRecord& p) {
      shown::setPatchNumber(p.parts[9], 0);  // Preset A rhythm set 0
      p.parts[3][part::KeyRangeUpper] = 100;
      p.common[common::KeyRangeSwitch] = 1;
    });
    // Part 10 has one name everywhere: its rhythm set's.
    QCOMPARE(r.get<QLabel>(QStringLiteral("lpn10"))->text(), QStringLiteral("PopDrumSet1"));
    QCOMPARE(r.windows->mainWindow->patchGrid()->item(patchGridRow(9), patchGridColumn(9))->text(),
             QStringLiteral(" P 10  PopDrumSet1"));
    // "Key Range In Use" follows the key-range switch.
    QVERIFY(r.get<QWidget>(QStringLiteral("LKeyRange"))->isVisible());
    r.click(QStringLiteral("BKeyRange"));
    r.get<QCheckBox>(r.windows->keyRange.get(), QStringLiteral("CbKeyRange"))->click();
    QTRY_VERIFY(!r.get<QWidget>(QStringLiteral("LKeyRange"))->isVisible());
    r.ed().showEditor();
    QCOMPARE(r.ed().statusText(), QStringLiteral(" Current Sounding Parts: 1, "));
    QVERIFY(r.get<QToolButton>(QStringLiteral("SpA1"))->isChecked());
    r.click(QStringLiteral("l12on"));
    QCOMPARE(r.partByte(11, part::ReceiveSwitch), 1);
    QCOMPARE(r.ed().page(), 8);
    QVERIFY(r.get<QPushButton>(QStringLiteral("Sp9_12"))->isChecked());
    QCOMPARE(r.get<QPushButton>(QStringLiteral("lp4"))->text(), QStringLiteral("Part 12"));
    QCOMPARE(r.get<QPushButton>(QStringLiteral("lp2"))->text(), QStringLiteral("Part 10  Drum"));
    QCOMPARE(r.get<QPushButton>(QStringLiteral("StP2"))->text(), QStringLiteral("PopDrumSet1"));
    QCOMPARE(r.get<QPushButton>(QStringLiteral("StP3"))->accessibleName(), QStringLiteral("Part 11 patch: West Coast"));
    r.click(QStringLiteral("Sp5_8"));
    QCOMPARE(r.get<QPushButton>(QStringLiteral("lp2"))->text(), QStringLiteral("Part 6"));
    // Part 1 off: nothing receives on channel 1 with its switch on.
    r.click(QStringLiteral("sp1_4"));
    r.click(QStringLiteral("lp1"));
    QCOMPARE(r.partByte(0, part::ReceiveSwitch), 0);
    QVERIFY(r.windows->debugWindow->memo()->toPlainText().contains(QStringLiteral("data 0PerP 0")));
    QCOMPARE(r.ed().statusText(), QStringLiteral(" Current Sounding Parts: "));
    for (const char* spA : {"SpA1", "SpA2", "SpA3", "SpA4"})
      QVERIFY(!r.get<QToolButton>(QLatin1String(spA))->isChecked());
  }

  // A screen reader has only the buttons' accessible actions: they send what a click sends.
  void screenReaderPagesAndSwitchesParts() {
    Rig r;
    const auto act = [&r](const char* name, const QString& action) {
      QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(r.get<QAbstractButton>(QLatin1String(name)));
      QVERIFY(reader->actionInterface()->actionNames().contains(action));
      reader->actionInterface()->doAction(action);
    };
    act("Sp5_8", QAccessibleActionInterface::toggleAction());
    QCOMPARE(r.ed().page(), 4);
    QCOMPARE(r.get<QPushButton>(QStringLiteral("lp2"))->text(), QStringLiteral("Part 6"));
    const Byte on = r.partByte(11, part::ReceiveSwitch);
    act("l12on", QAccessibleActionInterface::toggleAction());  // the overview's switch of part 12
    QCOMPARE(r.partByte(11, part::ReceiveSwitch), on ? 0 : 1);
    QCOMPARE(r.ed().page(), 8);
    act("lp4", QAccessibleActionInterface::pressAction());  // the column caption of the same part
    QCOMPARE(r.partByte(11, part::ReceiveSwitch), on);
    QCOMPARE(r.sent().size(), 2);
  }

  // A split made with the keyboard alone: Tab reaches the key-range bars, the keys move them.
  void keyRangeSplitByKeys() {
    Rig r;
    r.click(QStringLiteral("BKeyRange"));
    QWidget* w = r.windows->keyRange.get();
    QVERIFY(QTest::qWaitForWindowActive(w));
    const auto keys = [&r, w](const char* bar, std::initializer_list<Qt::Key> presses) {
      QWidget* target = r.get<QWidget>(w, QLatin1String(bar));
      for (int tabs = 0; tabs < 64 && QApplication::focusWidget() != target; ++tabs)
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w, Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget(), target);
      for (Qt::Key k : presses) QTest::keyClick(target, k);
    };
    using K = Qt::Key;
    keys("sb1u", {K::Key_Home, K::Key_PageUp, K::Key_PageUp, K::Key_PageUp, K::Key_PageUp, K::Key_PageUp, K::Key_Left});
    keys("sb2l", {K::Key_Home, K::Key_PageUp, K::Key_PageUp, K::Key_PageUp, K::Key_PageUp, K::Key_PageUp});
    QCOMPARE(r.partByte(0, part::KeyRangeLower), 0);
    QCOMPARE(r.partByte(0, part::KeyRangeUpper), 59);
    QCOMPARE(r.partByte(1, part::KeyRangeLower), 60);
    QCOMPARE(r.get<QLabel>(w, QStringLiteral("l2l"))->text(), QStringLiteral("-C4-"));
  }

  void faultsOfPagingAndPcmPatches() {
    Rig r([](PerformanceRecord& p) { p.parts[2][part::PatchGroupType] = group_type::PcmCard; });
    // One box from the main window's evaluation of the names, one from the editor.
    QCOMPARE(r.openingInfos, (std::vector<std::string>{"PCM", "PCM"}));
    QCOMPARE(r.get<QPushButton>(QStringLiteral("StP3"))->text(), QString());
    // Once for this performance, however often the window comes back.
    for (int i = 0; i < 3; ++i) {
      r.ed().hide();
      r.ed().showEditor();
      r.click(QStringLiteral("sp1_4"));
    }
    QVERIFY(r.t.infos.empty());
    r.module().temporary().parts[2][part::PatchGroupId] = 5;  // another performance arrives
    r.click(QStringLiteral("Button2"));
    QTRY_VERIFY(!r.windows->mainWindow->timer1()->isActive());
    QCOMPARE(r.t.infos, (std::vector<std::string>{"PCM", "PCM"}));

    // No performance: the columns keep their parts, and FormFilling stays as it was.
    r.ctx().store.NoPerformance = true;
    r.click(QStringLiteral("Sp13_16"));
    QCOMPARE(r.ed().page(), 0);
    QVERIFY(r.get<QPushButton>(QStringLiteral("sp1_4"))->isChecked());
    QVERIFY(!r.ctx().store.FormFilling);
  }

  void testPad() {
    Rig r;
    auto* pad = r.get<TestPad>(QStringLiteral("TestPad"));
    const auto at = [&](QEvent::Type type, QPoint p) {
      mouse(pad, type, p, type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton);
    };
    const Bytes off{0xB0, 0x78, 0x00};
    at(QEvent::MouseButtonPress, {0, 0});
    QCOMPARE(r.shorts, (std::vector<Bytes>{off, {0x90, 39, 127}}));
    QCOMPARE(r.get<QLabel>(QStringLiteral("Ltestpad"))->text(), QStringLiteral("Note:39 - Velo:127"));
    QCOMPARE(r.get<QLabel>(QStringLiteral("Lchannel"))->text(), QStringLiteral("Chann: 1"));
    r.shorts.clear();
    for (int x = 1; x <= 4; ++x) at(QEvent::MouseMove, {x, 0});  // 39, 40, 40, 41
    QCOMPARE(r.shorts, (std::vector<Bytes>{off, {0x90, 40, 127}, off, {0x90, 41, 127}}));
    r.shorts.clear();
    at(QEvent::MouseMove, {-500, 128});
    at(QEvent::MouseMove, {-78, 300});  // the same note and velocity: nothing
    at(QEvent::MouseMove, {500, 128});
    QCOMPARE(r.shorts, (std::vector<Bytes>{off, {0x90, 0, 0}, off, {0x90, 127, 0}}));
    r.click(QStringLiteral("KeepNote"));
    r.shorts.clear();
    at(QEvent::MouseMove, {20, 27});
    at(QEvent::MouseButtonRelease, {20, 27});
    QCOMPARE(r.shorts, (std::vector<Bytes>{{0x90, 49, 100}}));
    QCOMPARE(r.get<QLabel>(QStringLiteral("Ltestpad"))->text(), QStringLiteral("Test Pad"));
    r.click(QStringLiteral("KeepNote"));
    QCOMPARE(r.shorts.back(), off);

    // Hiding the editor with the button held releases the pad.
    at(QEvent::MouseButtonPress, {50, 50});
    r.shorts.clear();
    r.ed().hide();
    QVERIFY(!pad->isPressed());
    QCOMPARE(r.shorts, std::vector<Bytes>{off});

    // Ports closed: one message per press, and notes again once they are open.
    r.ed().showEditor();
    r.windows->closePorts();
    r.shorts.clear();
    for (int press = 0; press < 2; ++press) {
      at(QEvent::MouseButtonPress, {10, 10});
      for (int x = 12; x < 40; x += 2) at(QEvent::MouseMove, {x, 10});
      at(QEvent::MouseButtonRelease, {40, 10});
    }
    QCOMPARE(r.t.infos, std::vector<std::string>(2, TestPadMidiClosed));
    QVERIFY(r.shorts.empty());
    QVERIFY(r.windows->reopenPorts({0, {}}, {0, {}}, std::nullopt).empty());
    at(QEvent::MouseButtonPress, {10, 10});
    QCOMPARE(r.shorts.back(), (Bytes{0x90, 44, 117}));
    QCOMPARE(r.t.infos.size(), std::size_t(2));
  }
};

QTEST_MAIN(PerformanceEditorTest)
#include "performance_editor_test.moc"
