// The MIDI and expansion settings dialog on the offscreen platform: filling
// from the settings, the unit-ID and delay checks, what the module type sets,
// what "Ok" stores, and reopening real ports (the virtual module, and
// quillon-jvsim on JACK when a server runs).

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/midi_settings_dialog.h"
#include "app/windows.h"
#include "app_fixture.h"
#include "midi/rtmidi_backend.h"
#include "midi/virtual_backend.h"
#include "../midi/jvsim_process.h"

using namespace quillon;

namespace {

// Device lists only; the dialog itself never opens a port.
class ListBackend : public midi::MidiBackend {
 public:
  std::vector<std::string> outputs{"Quillon virtual module", "USB Out", "Synth Out"};
  std::vector<std::string> inputs{"Quillon virtual module", "USB In", "Keys In"};
  std::vector<std::string> outputNames() override { return outputs; }
  std::vector<std::string> inputNames() override { return inputs; }
  std::unique_ptr<midi::OutputConnection> openOutput(std::size_t, const std::string&) override {
    throw midi::MidiBackendError("the list backend opens nothing");
  }
  std::unique_ptr<midi::InputConnection> openInput(std::size_t, const std::string&, midi::InputHandler) override {
    throw midi::MidiBackendError("the list backend opens nothing");
  }
};

struct OpenCall {
  PortChoice out, in;
  std::optional<PortChoice> keyboard;
};

// Records what the dialog asks of the ports; `error` makes opening fail.
struct PortRecorder {
  std::vector<OpenCall> opens;
  int closes = 0;
  std::string error;
  PortCallbacks callbacks() {
    return {[this](const PortChoice& out, const PortChoice& in, std::optional<PortChoice> kb) {
              opens.push_back({out, in, kb});
              return error;
            },
            [this] { ++closes; }};
  }
};

const Bytes TemporaryCommonRequest = buildRQ1(0x10, address::temporaryCommon(), 0x40);

bool contains(const std::vector<std::string>& infos, const std::string& text) {
  return std::find(infos.begin(), infos.end(), text) != infos.end();
}

}  // namespace

class MidiDevSelectTest : public QObject {
  Q_OBJECT

  std::unique_ptr<testing::TestContext> t;
  ListBackend backend;
  PortRecorder ports;

  AppContext& ctx() { return *t->context; }
  // A stored, non-first-run configuration to start from.
  void storeSettings(const std::function<void(DeviceSettings&)>& change = {}) {
    DeviceSettings& s = ctx().settings;
    s.engine.unitId = 20;
    s.JVtype = static_cast<int>(ModuleType::JV1080);
    s.engine.sysDly = 120;
    s.Midi_In1 = 1;
    s.Midi_Out = 2;
    s.ExpMax = 4;
    s.Exp = {0, 3, 5, 0, 0, 0, 0, 0, 0};
    if (change) change(s);
    QVERIFY(s.WriteSettings().isEmpty());
    s.FirstRun = false;
  }
  DeviceSettings reread() {
    DeviceSettings again(SettingsLocation::iniFile(t->path(QStringLiteral("Quillon.conf"))),
                         t->dir.path() + QDir::separator());
    again.ReadSettings();
    return again;
  }
  std::unique_ptr<MidiSettingsDialog> dialog() {
    return std::make_unique<MidiSettingsDialog>(ctx(), ports.callbacks(), backend);
  }
  static void commit(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    emit edit->editingFinished();
  }

 private slots:
  void init() {
    t = std::make_unique<testing::TestContext>();
    ctx().names.LoadPatchNames(ctx().settings.dataFolder(), ctx().settings.expansionChoices());
    backend = ListBackend{};
    ports = PortRecorder{};
  }

  void fillsFromTheStoredSettings() {
    storeSettings();
    auto d = dialog();
    QCOMPARE(d->windowTitle(), QStringLiteral("Preferences:  Midi In-Out and Expansion Boards"));
    QCOMPARE(testing::childNamed<QLineEdit>(*d, "EdJVID")->text(), QStringLiteral("20"));
    QCOMPARE(testing::childNamed<QLineEdit>(*d, "syxDelay")->text(), QStringLiteral("120"));
    QCOMPARE(testing::childNamed<QComboBox>(*d, "CbJVtype")->currentText(), QStringLiteral("JV 1080"));
    QCOMPARE(testing::childNamed<QListWidget>(*d, "LiJVin")->count(), 3);
    QCOMPARE(testing::childNamed<QListWidget>(*d, "LiJVin")->item(0)->text(), QStringLiteral("Quillon virtual module"));
    QCOMPARE(testing::childNamed<QListWidget>(*d, "LiJVin")->currentRow(), 1);
    QCOMPARE(testing::childNamed<QListWidget>(*d, "LiJVout")->currentRow(), 2);
    QCOMPARE(testing::childNamed<QLabel>(*d, "LNumInDev")->text(), QStringLiteral("Midi-In: 3"));
    QCOMPARE(testing::childNamed<QLabel>(*d, "Lnumoutdev")->text(), QStringLiteral("Midi-Out: 3"));
    QCOMPARE(testing::childNamed<QComboBox>(*d, boardObjectName(0))->currentIndex(), 3);
    QCOMPARE(testing::childNamed<QComboBox>(*d, boardObjectName(1))->currentText(), QStringLiteral("05 World"));
    QCOMPARE(testing::childNamed<QComboBox>(*d, boardObjectName(2))->currentIndex(), 0);
    QVERIFY(!testing::childNamed<QComboBox>(*d, "CbPCM")->isEnabled());
    QCOMPARE(testing::childNamed<QListWidget>(*d, "LiKbIn")->count(), 0);  // filled only with a separate keyboard
    QVERIFY(t->infos.empty());
    QCOMPARE(ports.closes, 1);  // not a first run: the ports close at creation
  }

  void storedNamesWinOverMovedNumbers() {
    storeSettings([](DeviceSettings& s) {
      s.Midi_In1 = 1;
      s.Midi_In1Name = QStringLiteral("Keys In");  // now at 2
      s.Midi_Out = 7;
      s.Midi_OutName = QStringLiteral("USB Out");  // now at 1
      s.SepKB = true;
      s.Midi_In2 = 0;
      s.Midi_In2Name = QStringLiteral("Gone Port");  // unplugged: no other port stands in
    });
    auto d = dialog();
    QCOMPARE(testing::childNamed<QListWidget>(*d, "LiJVin")->currentRow(), 2);
    QCOMPARE(testing::childNamed<QListWidget>(*d, "LiJVout")->currentRow(), 1);
    QVERIFY(testing::childNamed<QCheckBox>(*d, "ChSepKB")->isChecked());
    QCOMPARE(testing::childNamed<QListWidget>(*d, "LiKbIn")->count(), 3);
    QCOMPARE(testing::childNamed<QListWidget>(*d, "LiKbIn")->currentRow(), -1);
    testing::childNamed<QCheckBox>(*d, "ChSepKB")->setChecked(false);
    QCOMPARE(testing::childNamed<QListWidget>(*d, "LiKbIn")->count(), 0);
    QVERIFY(!ctx().settings.SepKB);

    QCOMPARE(findDevice({"a", "b"}, QStringLiteral("c"), 1), -1);
    QCOMPARE(findDevice({"a", "b"}, QString(), 1), 1);
  }

  void separateKeyboardNeedsTwoInputs() {
    backend.inputs = {"Quillon virtual module"};
    storeSettings();
    auto d = dialog();
    d->show();
    QVERIFY(!testing::childNamed<QCheckBox>(*d, "ChSepKB")->isVisible());
    backend.inputs = {"Quillon virtual module", "USB In"};
    auto d2 = dialog();
    d2->show();
    QVERIFY(testing::childNamed<QCheckBox>(*d2, "ChSepKB")->isVisible());
  }

  void firstRunShowsItsMessageAndKeepsPortsUntilShown() {
    ctx().settings.WriteDefaultSettings();
    ctx().settings.FirstRun = true;
    auto d = dialog();
    QVERIFY(
        contains(t->infos, " Devselect - First time Quillon run.\n Please make MIDI and EXPANSION settings first."));
    QCOMPARE(ports.closes, 0);
    d->show();
    QCOMPARE(ports.closes, 1);  // closed while the dialog is shown
    QVERIFY(ctx().settings.FirstRun);
  }

  void unitIdOutside17To32IsRefused() {
    storeSettings();
    auto d = dialog();
    const std::string refused = "ID out of range, Re-Enter Unit-ID.";
    for (const char* bad : {"16", "33", "0", "x1"}) {
      t->infos.clear();
      commit(testing::childNamed<QLineEdit>(*d, "EdJVID"), QString::fromLatin1(bad));
      QVERIFY2(contains(t->infos, refused), bad);
      QCOMPARE(testing::childNamed<QLineEdit>(*d, "EdJVID")->text(), QStringLiteral("17"));
      QCOMPARE(ctx().settings.engine.unitId, 17);
    }
    t->infos.clear();
    for (const char* good : {"32", "17", "25"}) {
      commit(testing::childNamed<QLineEdit>(*d, "EdJVID"), QString::fromLatin1(good));
      QCOMPARE(ctx().settings.engine.unitId, QString::fromLatin1(good).toInt());
    }
    QVERIFY(t->infos.empty());
  }

  void delayIsCheckedWhenCommittedNotPerKeystroke() {
    storeSettings();
    auto d = dialog();
    d->show();
    testing::childNamed<QLineEdit>(*d, "syxDelay")->setFocus();
    testing::childNamed<QLineEdit>(*d, "syxDelay")->clear();
    QTest::keyClicks(testing::childNamed<QLineEdit>(*d, "syxDelay"), QStringLiteral("100"));
    QVERIFY(t->infos.empty());
    QCOMPARE(testing::childNamed<QLineEdit>(*d, "syxDelay")->text(), QStringLiteral("100"));
    emit testing::childNamed<QLineEdit>(*d, "syxDelay")->editingFinished();
    QVERIFY(t->infos.empty());
    QCOMPARE(ctx().settings.engine.sysDly, 100);

    commit(testing::childNamed<QLineEdit>(*d, "syxDelay"), QStringLiteral("600"));
    QVERIFY(contains(t->infos, "Delaytime should be between 20 and 500 ms."));
    QCOMPARE(testing::childNamed<QLineEdit>(*d, "syxDelay")->text(), QStringLiteral("40"));
    QCOMPARE(ctx().settings.engine.sysDly, 40);

    t->infos.clear();
    commit(testing::childNamed<QLineEdit>(*d, "syxDelay"), QStringLiteral("19"));
    QCOMPARE(ctx().settings.engine.sysDly, 40);
    QCOMPARE(t->infos.size(), std::size_t{1});
    commit(testing::childNamed<QLineEdit>(*d, "syxDelay"), QStringLiteral("500"));
    QCOMPARE(ctx().settings.engine.sysDly, 500);
    t->infos.clear();
    commit(testing::childNamed<QLineEdit>(*d, "syxDelay"), QStringLiteral("ab"));  // not a number: reset without a word
    QCOMPARE(ctx().settings.engine.sysDly, 40);
    QVERIFY(t->infos.empty());
    QCOMPARE(testing::childNamed<QLineEdit>(*d, "syxDelay")->maxLength(), 3);
  }

  void moduleTypeSetsBlockSizesBoardsAndExpMax_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("expMax");
    QTest::addColumn<int>("eoc");
    QTest::addColumn<int>("eop");
    QTest::addColumn<int>("enabledFrom");     // slots from here on are disabled
    QTest::addColumn<QList<int>>("presets");  // A, B, C afterwards
    QTest::newRow("JV 1010") << 0 << 2 << 63 << 18 << 2 << QList<int>{9, 5, 0};
    QTest::newRow("JV 1080") << 1 << 4 << 63 << 18 << 4 << QList<int>{3, 5, 0};
    QTest::newRow("JV 2080") << 2 << 8 << 67 << 25 << 8 << QList<int>{3, 5, 0};
    QTest::newRow("XP 30") << 3 << 5 << 63 << 18 << 5 << QList<int>{9, 2, 11};
    QTest::newRow("XP 50") << 4 << 4 << 63 << 18 << 4 << QList<int>{3, 5, 0};
    QTest::newRow("XP 80") << 6 << 4 << 63 << 18 << 4 << QList<int>{3, 5, 0};
  }
  void moduleTypeSetsBlockSizesBoardsAndExpMax() {
    QFETCH(int, type);
    QFETCH(int, expMax);
    QFETCH(int, eoc);
    QFETCH(int, eop);
    QFETCH(int, enabledFrom);
    QFETCH(QList<int>, presets);
    storeSettings([](DeviceSettings& s) { s.JVtype = static_cast<int>(ModuleType::XP60); });
    auto d = dialog();
    testing::childNamed<QComboBox>(*d, "CbJVtype")->setCurrentIndex(type);
    const DeviceSettings& s = ctx().settings;
    QCOMPARE(s.JVtype, type);
    QCOMPARE(s.ExpMax, expMax);
    QCOMPARE(s.EOC, eoc);
    QCOMPARE(s.EOP, eop);
    for (int slot = 2; slot < MidiSettingsDialog::SlotCount; ++slot)
      QCOMPARE(testing::childNamed<QComboBox>(*d, boardObjectName(slot))->isEnabled(), slot < enabledFrom);
    for (int slot = 0; slot < 3; ++slot)
      QCOMPARE(testing::childNamed<QComboBox>(*d, boardObjectName(slot))->currentIndex(), presets[slot]);
  }

  void jv1010LeavesSlotsAAndBAsTheyWere() {
    storeSettings([](DeviceSettings& s) { s.JVtype = static_cast<int>(ModuleType::JV1080); });
    auto d = dialog();
    testing::childNamed<QComboBox>(*d, "CbJVtype")->setCurrentIndex(static_cast<int>(ModuleType::JV2080));
    testing::childNamed<QComboBox>(*d, "CbJVtype")->setCurrentIndex(static_cast<int>(ModuleType::JV1010));
    QVERIFY(testing::childNamed<QComboBox>(*d, boardObjectName(0))->isEnabled());
    QVERIFY(testing::childNamed<QComboBox>(*d, boardObjectName(1))->isEnabled());
    QVERIFY(!testing::childNamed<QComboBox>(*d, boardObjectName(2))->isEnabled());
  }

  void typeReadAtCreationReplacesStoredBlockSizes() {
    // A JV 2080 whose stored sizes are the small ones: the type wins.
    storeSettings([](DeviceSettings& s) {
      s.JVtype = static_cast<int>(ModuleType::JV2080);
      s.EOC = 63;
      s.EOP = 18;
    });
    auto d = dialog();
    QCOMPARE(ctx().settings.EOC, 67);
    QCOMPARE(ctx().settings.EOP, 25);
    QCOMPARE(ctx().settings.ExpMax, 8);
  }

  void okStoresWhatWasChosen() {
    storeSettings();
    ctx().settings.FirstRun = true;
    auto d = dialog();
    d->show();
    testing::childNamed<QListWidget>(*d, "LiJVin")->setCurrentRow(2);
    testing::childNamed<QListWidget>(*d, "LiJVout")->setCurrentRow(1);
    testing::childNamed<QCheckBox>(*d, "ChSepKB")->setChecked(true);
    testing::childNamed<QListWidget>(*d, "LiKbIn")->setCurrentRow(1);
    testing::childNamed<QComboBox>(*d, "CbJVtype")->setCurrentIndex(static_cast<int>(ModuleType::JV2080));
    QVERIFY(!testing::childNamed<QLabel>(*d, "Labelrestart")->isVisible());
    testing::childNamed<QComboBox>(*d, boardObjectName(0))->setCurrentIndex(4);
    QVERIFY(testing::childNamed<QLabel>(*d, "Labelrestart")->isVisible());
    testing::childNamed<QComboBox>(*d, boardObjectName(1))->setCurrentIndex(6);
    testing::childNamed<QComboBox>(*d, boardObjectName(2))->setCurrentIndex(0);  // slot C left empty
    testing::childNamed<QComboBox>(*d, boardObjectName(3))->setCurrentIndex(7);  // behind the gap: not counted
    testing::childNamed<QLineEdit>(*d, "EdJVID")->setText(QStringLiteral("31"));
    testing::childNamed<QLineEdit>(*d, "syxDelay")->setText(QStringLiteral("250"));
    QVERIFY(testing::childNamed<QCheckBox>(*d, "ChFastTransfers")->isChecked() &&
            !testing::childNamed<QCheckBox>(*d, "ChVerifyStore")->isChecked());  // fast fetches on at first
    testing::childNamed<QCheckBox>(*d, "ChFastTransfers")->setChecked(false);
    testing::childNamed<QCheckBox>(*d, "ChVerifyStore")->setChecked(true);
    testing::childNamed<QPushButton>(*d, "BOk1")->click();

    QCOMPARE(d->result(), int(QDialog::Accepted));
    QCOMPARE(ports.opens.size(), std::size_t{1});
    const OpenCall& call = ports.opens.front();
    QCOMPARE(call.in.number, 2);
    QCOMPARE(call.in.name, std::string("Keys In"));
    QCOMPARE(call.out.name, std::string("USB Out"));
    QVERIFY(call.keyboard.has_value());
    QCOMPARE(call.keyboard->name, std::string("USB In"));

    QVERIFY(!ctx().settings.FirstRun);
    QCOMPARE(ctx().engineSettings.unitId, 31);
    QCOMPARE(ctx().engineSettings.sizes, JV2080BlockSizes);
    QCOMPARE(ctx().engineSettings.sysDly, 250);

    const DeviceSettings stored = reread();
    QCOMPARE(stored.engine.unitId, 31);
    QCOMPARE(stored.JVtype, 2);
    QCOMPARE(stored.EOC, 67);
    QCOMPARE(stored.EOP, 25);
    QCOMPARE(stored.engine.sysDly, 250);
    QVERIFY(!stored.engine.fastTransfers && stored.VerifyStore && !ctx().engineSettings.fastTransfers);
    QCOMPARE(stored.Midi_In1, 2);
    QCOMPARE(stored.Midi_Out, 1);
    QCOMPARE(stored.Midi_In2, 1);
    QCOMPARE(stored.Midi_In1Name, QStringLiteral("Keys In"));
    QCOMPARE(stored.Midi_OutName, QStringLiteral("USB Out"));
    QCOMPARE(stored.Midi_In2Name, QStringLiteral("USB In"));
    QVERIFY(stored.SepKB);
    QCOMPARE(stored.ExpMax, 3);
    QCOMPARE(stored.Exp[1], 4);
    QCOMPARE(stored.Exp[2], 6);
  }

  void okChecksTheUnitIdBeforeStoring() {
    storeSettings();
    auto d = dialog();
    testing::childNamed<QLineEdit>(*d, "EdJVID")->setText(QStringLiteral("16"));
    testing::childNamed<QPushButton>(*d, "BOk1")->click();
    QVERIFY(contains(t->infos, "ID out of range, Re-Enter Unit-ID."));
    QCOMPARE(reread().engine.unitId, 17);
  }

  void okWhosePortsFailStaysOpenAndStoresNothing() {
    storeSettings();
    ports.error = "ALSA: device busy";
    auto d = dialog();
    d->show();
    testing::childNamed<QListWidget>(*d, "LiJVout")->setCurrentRow(0);
    testing::childNamed<QLineEdit>(*d, "EdJVID")->setText(QStringLiteral("30"));
    testing::childNamed<QComboBox>(*d, "CbJVtype")->setCurrentIndex(static_cast<int>(ModuleType::JV2080));
    testing::childNamed<QPushButton>(*d, "BOk1")->click();
    QVERIFY(d->isVisible());
    QVERIFY(d->result() != int(QDialog::Accepted));
    QVERIFY(testing::childNamed<QLabel>(*d, "LError")->isVisible());
    QVERIFY(testing::childNamed<QLabel>(*d, "LError")->text().contains(QStringLiteral("ALSA: device busy")));
    const DeviceSettings stored = reread();
    QCOMPARE(stored.engine.unitId, 20);
    QCOMPARE(stored.Midi_Out, 2);
    QCOMPARE(stored.JVtype, static_cast<int>(ModuleType::JV1080));
    QCOMPARE(ctx().engineSettings.sizes, StandardBlockSizes);

    ports.error.clear();  // the port came free: a second "Ok" goes through
    testing::childNamed<QPushButton>(*d, "BOk1")->click();
    QCOMPARE(d->result(), int(QDialog::Accepted));
    QCOMPARE(reread().engine.unitId, 30);
  }

  void cancelReopensTheStoredPortsAndStoresNothing() {
    storeSettings([](DeviceSettings& s) { s.Midi_OutName = QStringLiteral("Synth Out"); });
    auto d = dialog();
    d->show();
    testing::childNamed<QListWidget>(*d, "LiJVout")->setCurrentRow(0);
    testing::childNamed<QLineEdit>(*d, "EdJVID")->setText(QStringLiteral("30"));
    testing::childNamed<QComboBox>(*d, "CbJVtype")->setCurrentIndex(static_cast<int>(ModuleType::JV2080));
    testing::childNamed<QPushButton>(*d, "BCan1")->click();
    QCOMPARE(d->result(), int(QDialog::Rejected));
    QCOMPARE(ports.opens.size(), std::size_t{1});
    QCOMPARE(ports.opens.front().out.name, std::string("Synth Out"));
    QCOMPARE(ports.opens.front().out.number, 2);
    QCOMPARE(ctx().settings.JVtype, static_cast<int>(ModuleType::JV1080));
    QCOMPARE(ctx().settings.EOC, 63);
    QCOMPARE(reread().engine.unitId, 20);
  }

  void saveToIniStoresWithoutClosing() {
    storeSettings();
    auto d = dialog();
    testing::childNamed<QListWidget>(*d, "LiJVin")->setCurrentRow(0);
    testing::childNamed<QComboBox>(*d, boardObjectName(0))->setCurrentIndex(0);
    testing::childNamed<QPushButton>(*d, "BSaveIni")->click();
    const DeviceSettings stored = reread();
    QCOMPARE(stored.Midi_In1, 0);
    QCOMPARE(stored.ExpMax, 1);
    QVERIFY(ports.opens.empty());
  }

  // The program's first run: the main window's first activation brings up the dialog.
  void firstRunOfTheProgramOpensTheDialog() {
    ctx().settings.ReadSettings();
    QVERIFY(ctx().settings.FirstRun);
    ProgramWindows windows(ctx());
    QVERIFY2(!ctx().store.MidiClosed, "a new install starts on the virtual module");
    int dialogs = 0;
    const MidiSettingsDialog* last = nullptr;
    QString title;
    // The dialog runs modally: look at it from inside its own loop, then cancel it.
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      MidiSettingsDialog* d = nullptr;
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<MidiSettingsDialog*>(w); found && found->isVisible()) d = found;
      if (!d || d == last) return;
      last = d;
      ++dialogs;
      title = d->windowTitle();
      testing::childNamed<QPushButton>(*d, "BCan1")->click();
    });
    poll.start();
    windows.showAtStart();
    QTRY_VERIFY_WITH_TIMEOUT(dialogs > 0, 5000);
    QTest::qWait(300);  // the main window is active again: no second dialog may follow
    QCOMPARE(dialogs, 1);
    QCOMPARE(title, QStringLiteral("Preferences:  Midi In-Out and Expansion Boards"));
    // The monitor's word first, then the dialog's own.
    QVERIFY(t->infos.size() >= 2);
    QCOMPARE(t->infos[0], std::string(MonitorWindow::FirstRunText));
    QCOMPARE(t->infos[1],
             std::string(" Devselect - First time Quillon run.\n Please make MIDI and EXPANSION settings first."));
    QVERIFY2(ctx().settings.FirstRun, "only \"Ok\" ends the first run");
    QVERIFY(!reread().FirstRun);  // the defaults were written
  }

  // A run that writes sheets and quits asks nothing on a new install (it would wait
  // for good) and leaves the first-run questions to the next run with a user.
  void anUnattendedFirstRunAsksNothing() {
    ctx().settings.ReadSettings();
    QVERIFY(ctx().settings.FirstRun);
    ProgramWindows windows(ctx());
    bool asked = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (auto* modal = QApplication::activeModalWidget()) {
        asked = true;
        modal->close();
      }
    });
    poll.start(20);
    windows.runUnattended();
    windows.showAtStart();
    QTRY_VERIFY(windows.mainWindow->isActiveWindow());
    QCoreApplication::processEvents();  // the first-run request is queued behind the activation
    QVERIFY(!asked);
    QVERIFY(ctx().settings.FirstRun);
  }

  // The dialog's "Ok" through a real link on device 0, then an answer from the module.
  void okOpensTheVirtualModule() {
    storeSettings([](DeviceSettings& s) {
      s.Midi_In1 = 0;
      s.Midi_Out = 0;
      s.engine.unitId = 17;
    });
    int answers = 0;
    ctx().host.onLightIn = [&answers](LedColour) { ++answers; };
    ModuleLink link(ctx().store, ctx().incoming);
    MidiSettingsDialog d(ctx(), {[&link](const PortChoice& o, const PortChoice& i, std::optional<PortChoice> k) {
                                   return link.open(o, i, k);
                                 },
                                 [&link] { link.close(); }});
    d.show();
    QVERIFY(ctx().store.MidiClosed);
    testing::childNamed<QPushButton>(d, "BOk1")->click();
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QVERIFY(link.isOpen());
    QCOMPARE(link.outputName(), std::string("Quillon virtual module"));
    link.sendLong(TemporaryCommonRequest);
    QTRY_VERIFY_WITH_TIMEOUT(answers > 0, 3000);
  }

  // quillon-jvsim on JACK: chosen by name in the dialog, answers through the
  // reopened ports; gone again, reopening its stored name fails cleanly.
  void okOpensAJackPortOfJvsim() {
#ifndef QUILLON_JVSIM_PATH
    QSKIP("quillon-jvsim was not built");
#else
    if (!testing::jackServerRunning()) QSKIP("no JACK server is running (./test.sh starts one: jackd -d dummy)");
    testing::JvsimProcess jvsim;
    std::string error;
    QVERIFY2(jvsim.start(QUILLON_JVSIM_PATH, {}, error), error.c_str());
    midi::RtMidiBackend jack({"jack"}, "quillon-devsel-test");
    midi::CombinedBackend devices({&midi::virtualModuleBackend(), &jack});
    QVERIFY2(testing::processEventsUntil(
                 [&] {
                   return testing::listed(devices.inputNames(), jvsim.outputPort()) &&
                          testing::listed(devices.outputNames(), jvsim.inputPort());
                 },
                 5000),
             "jvsim's ports did not appear on JACK");
    storeSettings([&](DeviceSettings& s) {
      s.engine.unitId = 17;
      s.Midi_Out = 0;  // the number names the virtual module: only the name finds jvsim
      s.Midi_OutName = QString::fromStdString(jvsim.inputPort());
      s.Midi_In1 = 0;
      s.Midi_In1Name = QString::fromStdString(jvsim.outputPort());
    });
    int answers = 0;
    ctx().host.onLightIn = [&answers](LedColour) { ++answers; };
    ModuleLink link(ctx().store, ctx().incoming, devices);
    const PortCallbacks callbacks{
        [&link](const PortChoice& o, const PortChoice& i, std::optional<PortChoice> k) { return link.open(o, i, k); },
        [&link] { link.close(); }};
    {
      MidiSettingsDialog d(ctx(), callbacks, devices);
      QCOMPARE(testing::childNamed<QListWidget>(d, "LiJVout")->currentItem()->text().toStdString(), jvsim.inputPort());
      QCOMPARE(testing::childNamed<QListWidget>(d, "LiJVin")->currentItem()->text().toStdString(), jvsim.outputPort());
      d.show();
      testing::childNamed<QPushButton>(d, "BOk1")->click();
      QCOMPARE(d.result(), int(QDialog::Accepted));
    }
    QVERIFY(link.isOpen());
    QCOMPARE(link.outputName(), jvsim.inputPort());
    // JACK connects at the next cycle: ask until the first answer comes.
    for (int attempt = 0; attempt < 50 && answers == 0; ++attempt) {
      link.sendLong(TemporaryCommonRequest);
      testing::processEventsUntil([&] { return answers > 0; }, 100);
    }
    QVERIFY2(answers > 0, jvsim.output().c_str());

    link.close();
    jvsim.stop();
    QVERIFY(
        testing::processEventsUntil([&] { return !testing::listed(devices.outputNames(), jvsim.inputPort()); }, 5000));
    // The stored port is gone and its number names nothing: Cancel reports it and the ports stay closed.
    ctx().settings.Midi_Out = 99;
    QVERIFY(ctx().settings.WriteSettings().isEmpty());
    t->infos.clear();
    {
      MidiSettingsDialog d(ctx(), callbacks, devices);
      QCOMPARE(testing::childNamed<QListWidget>(d, "LiJVout")->currentRow(), -1);
      d.show();
      testing::childNamed<QPushButton>(d, "BCan1")->click();
    }
    QCOMPARE(t->infos.size(), std::size_t{1});
    QVERIFY2(t->infos.front().rfind("The MIDI ports did not open: ", 0) == 0, t->infos.front().c_str());
    QVERIFY(!link.isOpen());
    QVERIFY(ctx().store.MidiClosed);
#endif
  }
};

QTEST_MAIN(MidiDevSelectTest)
#include "midi_settings_dialog_test.moc"
