// The program as start-up wires it: Cancel, the one open routine, a silent
// module, the monitor's switch and gauge, the wait window, the log, recent
// files, the PCM box, long names, stored boards and the dialogs' title bars.

#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QUrl>

#include <set>

#include <sys/stat.h>

#include "app/find_module_dialog.h"
#include "app/midi_settings_dialog.h"
#include "app/recent_files.h"
#include "controls/led_gauge.h"
#include "program_fixture.h"

using namespace quillon;
using testing::onNextDialog;
using testing::Program;

namespace {

// Drops `path` on the main window and lets its timer take the file.
void drop(Program& p, const QString& path) {
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(path)});
  // As the platform delivers it: the enter makes the window the drop target.
  QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QDropEvent event(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&p.main(), &enter);
  QApplication::sendEvent(&p.main(), &event);
  QVERIFY(p.ctx().store.FileDropped);
  QTRY_VERIFY(!p.ctx().store.FileDropped);
}

QString bank(Program& p, const char* name, Byte area, int count, std::function<void(PerformanceRecord&)> change = {}) {
  const QString path = p.t.path(QLatin1String(name));
  testing::writeBytes(path, testing::bankBytes(area, count, StandardBlockSizes, std::move(change)));
  return path;
}

Bytes readAll(const QString& path) { return readFileBytes(path.toStdString()).bytes; }

QByteArray fileText(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void writeText(const QString& path, const QByteArray& text) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(text);
}
// The dated copies a settings file left beside it.
QStringList keptCopies(const Program& p) {
  return QDir(p.t.dir.path()).entryList({QStringLiteral("Quillon.conf.unreadable-*")}, QDir::Files);
}

// The user's own choices, far from the defaults (unit 17, JV 1080, 50 ms).
void usersChoice(DeviceSettings& s) {
  s.engine.unitId = 23;
  s.JVtype = static_cast<int>(ModuleType::JV2080);
  s.EOC = JV2080BlockSizes.eoc;
  s.EOP = JV2080BlockSizes.eop;
  s.engine.sysDly = 120;
  s.engine.noteOn = true;
}
QString firstName() { return QStringLiteral("Edit: 1 = ") + QString::fromLatin1(demoPerformanceName(0).data(), 12); }

}  // namespace

class ProgramWindowsTest : public QObject {
  Q_OBJECT
 private slots:
  void cancelEndsTheRunningWaitAndNothingLeavesAfterIt() {
    Program p;
    // After the first request the waits outlast the test's time limit: only an early end lets it finish.
    p.onSent = [&](const Bytes& m) {
      if (m[roland::PosCommand] != roland::CommandRQ1) return;
      p.ctx().engineSettings.sysDly = 10 * 60 * 1000;
      QTimer::singleShot(0, [&] { p.windows->progressDialog->findChild<QPushButton*>("Bcancel")->click(); });
    };
    p.main().getTemp();
    QCOMPARE(p.count(roland::CommandRQ1), 1);
    QVERIFY(!p.windows->progressDialog->isVisible() && !p.main().timerMidiIn()->isActive());
    QCOMPARE(p.t.infos.size(), std::size_t{1});
    QVERIFY2(p.t.infos[0].starts_with("The transfer was cancelled"), p.t.infos[0].c_str());
  }

  void everyWayOfOpeningStartsTheListAfresh() {
    Program p;
    midi::virtualModuleBackend().module().temporary() = demoPerformance(5);
    p.main().getTemp();
    const QString user = bank(p, "user.syx", address::AreaUserPerformance, 3);
    const QString card = bank(p, "card.syx", address::AreaCardPerformance, 3);
    QString savedTo;
    p.main().chooseSaveFile = [&](const QString&) { return savedTo; };
    auto* edit = p.main().findChild<QPushButton*>(QStringLiteral("Beditp"));
    // A drop after Get Temp: the bank is saved whole, the captions are the bank's.
    drop(p, user);
    QCOMPARE(edit->text(), firstName());
    QCOMPARE(p.main().statusPanel(1), QStringLiteral("User"));
    savedTo = p.t.path("saved-user.syx");
    p.main().saveFile();
    QCOMPARE(readAll(savedTo), readAll(user));
    // A User drop, then a Card drop: the Card bank keeps the Card area.
    drop(p, card);
    savedTo = p.t.path("saved-card.syx");
    onNextDialog<SaveChoiceDialog>([](SaveChoiceDialog* d) {
      d->setChoice(SaveChoiceDialog::Choice::SaveListFile);
      d->findChild<QPushButton*>(QStringLiteral("BokSave"))->click();
    });
    p.main().saveFile();
    QCOMPARE(readAll(savedTo), readAll(card));
    // A smaller file after the third cell was chosen: choice and patches start from its first entry.
    p.main().selectCell(0, 2);
    p.main().openPath(bank(p, "small.syx", address::AreaUserPerformance, 2));
    QCOMPARE(edit->text(), firstName());
    QTRY_VERIFY(!p.main().timer1()->isActive());  // evaluated
    QCOMPARE(p.ctx().store.TempPerformance.common, p.ctx().store.PerformanceList[0].common);
    for (int part = 0; part < address::PartCount; ++part)
      QCOMPARE(p.patchCell(part), QString::fromStdString(patchGridCellText(part, p.ctx().store.PartPatchNames[part])));
  }

  void whatIsNoRegularFileIsRefusedAtOnceAndTheListStays() {
    Program p;
    p.main().openPath(bank(p, "bank.syx", address::AreaUserPerformance, 2));
    const QString firstCell = p.main().performanceGrid()->item(0, 0)->text();
    const QString pipe = p.t.path("pipe.syx");
    QCOMPARE(::mkfifo(pipe.toLocal8Bit().constData(), 0600), 0);
    const QString folder = p.t.path("folder.syx");
    QVERIFY(QDir().mkdir(folder));
    p.t.infos.clear();
    // A pipe without a writer would hold a plain open for good; this one returns at once.
    p.main().openPath(pipe);
    p.main().openPath(QStringLiteral("/dev/zero"));
    p.main().openPath(folder);
    drop(p, pipe);
    drop(p, folder);
    const std::vector<std::string> why{"named pipe (FIFO), not a file", "device, not a file", "folder, not a file",
                                       "named pipe (FIFO), not a file", "folder, not a file"};
    QCOMPARE(p.t.infos.size(), why.size());
    for (std::size_t i = 0; i < why.size(); ++i)
      QVERIFY2(p.t.infos[i].find(why[i]) != std::string::npos, p.t.infos[i].c_str());
    QCOMPARE(p.main().performanceGrid()->item(0, 0)->text(), firstCell);
    QVERIFY(p.ctx().store.FromUser && p.ctx().store.PerformanceCount == 2);
  }

  void aSettingsFileWithAMarkOrANulLineLosesNoSettingAndExitWritesNoDefaults() {
    const std::vector<std::pair<std::function<QByteArray(QByteArray)>, std::string>> damages{
        {[](QByteArray text) { return QByteArray("\xEF\xBB\xBF") + text; }, "a byte-order mark"},
        {[](QByteArray text) { return text.insert(text.indexOf('\n') + 1, QByteArray("JV\0ID\n", 6)); },
         "line 2 (a NUL byte)"}};
    for (const auto& [damage, named] : damages) {
      QByteArray damaged;
      Program p(usersChoice, [&](const QString& file) {
        damaged = damage(fileText(file));
        writeText(file, damaged);
      });
      const DeviceSettings& s = p.ctx().settings;
      QVERIFY(s.engine.unitId == 23 && s.moduleType() == ModuleType::JV2080 && s.engine.sysDly == 120);
      QCOMPARE(p.t.infos.size(), std::size_t{1});
      QVERIFY2(p.t.infos[0].find(named) != std::string::npos, p.t.infos[0].c_str());
      QCOMPARE(keptCopies(p).size(), 1);
      QCOMPARE(fileText(p.t.path(keptCopies(p).front())), damaged);
      p.main().close();  // Exit writes the settings
      DeviceSettings after(s.location(), p.t.dir.path() + QDir::separator());
      QVERIFY(after.ReadSettings().isEmpty());
      QVERIFY(after.engine.unitId == 23 && after.moduleType() == ModuleType::JV2080 && after.engine.sysDly == 120);
    }
  }

  void anUnreadableSettingsFileIsKeptAndOnlyTheSettingChangedIsWrittenIntoIt() {
    QByteArray stored;
    Program p(usersChoice, [&](const QString& file) {
      stored = fileText(file) + ";" + QByteArray(2 << 20, ' ') + "\n";  // far larger than a settings file
      writeText(file, stored);
    });
    QCOMPARE(p.t.infos.size(), std::size_t{1});
    QVERIFY2(p.t.infos[0].find("cannot be read") != std::string::npos, p.t.infos[0].c_str());
    QCOMPARE(p.ctx().settings.engine.unitId, roland::DefaultUnitId);
    QCOMPARE(fileText(p.t.path(keptCopies(p).value(0))), stored);
    p.main().findChild<QAction*>(QStringLiteral("PlayNoteOnOff"))->trigger();  // the one setting the user changes
    p.main().close();
    QCOMPARE(fileText(p.ctx().settings.location().fileName()), QByteArray(stored).replace("NoteOn=1", "NoteOn=0"));
  }

  void aReadOnlyFileIsReplacedOnlyWhenTheUserSaysSo() {
    Program p;
    p.main().openPath(bank(p, "bank.syx", address::AreaUserPerformance, 3));
    const QString locked = bank(p, "locked.syx", address::AreaUserPerformance, 1);
    const auto readOnly = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    QVERIFY(QFile::setPermissions(locked, readOnly));
    const Bytes before = readAll(locked);
    p.main().chooseSaveFile = [&](const QString&) { return locked; };
    for (const bool replace : {false, true}) {
      onNextDialog<QMessageBox>([replace](QMessageBox* box) {
        QVERIFY(box->text().contains(QStringLiteral("is read-only")));
        for (QAbstractButton* b : box->buttons())
          if ((box->buttonRole(b) == QMessageBox::AcceptRole) == replace) b->click();
      });
      QCOMPARE(p.main().writeListSyx(), replace);
      QCOMPARE(readAll(locked) == before, !replace);
    }
    QCOMPARE(QFile::permissions(locked) & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther),
             QFileDevice::Permissions{});
  }

  void aSilentModuleGivesOneMessageAndTheGridsShowTheStore() {
    Program p([](DeviceSettings& s) { s.engine.unitId = roland::DefaultUnitId + 1; });  // the module answers 17 only
    p.main().openPath(bank(p, "bank.syx", address::AreaUserPerformance, 2));
    p.main().evaluateSelection();
    const QString before = p.patchCell(0);
    const QString firstCell = p.main().performanceGrid()->item(0, 0)->text();
    p.t.answer = [](const std::string& question) {
      return question == find_text::Offer || question.starts_with("Module found: out \"Quillon virtual module\"");
    };
    p.main().getTemp();
    QCOMPARE(p.t.infos, std::vector<std::string>{notRespondingText(noResponseFacts(p.ctx().sender))});
    // The box names the unit ID in use and the ports, and suggests Find Module.
    for (const char* named : {"Quillon uses 18", "MIDI out \"Quillon virtual module\"", "Find Module"})
      QVERIFY2(p.t.infos[0].find(named) != std::string::npos, named);
    QVERIFY2(!p.main().timerMidiIn()->isActive(), "a second box would follow");
    // Nothing came: the file's list, its choice and its patches stay, and are still worked out.
    QVERIFY(p.ctx().store.FromUser && !p.ctx().store.FromTemp);
    QCOMPARE(p.main().performanceGrid()->item(0, 0)->text(), firstCell);
    p.main().evaluateSelection();
    QCOMPARE(p.patchCell(0), before);

    // Find Module is offered once; the module it finds is offered, and taken only on Yes.
    QTRY_COMPARE_WITH_TIMEOUT(p.ctx().engineSettings.unitId, roland::DefaultUnitId, 20000);
    QCOMPARE(p.t.questions.front(), std::string(find_text::Offer));
    QVERIFY(p.t.questions.at(1).starts_with(
        "Module found: out \"Quillon virtual module\", in \"Quillon virtual module\", unit ID 17 \u2014 use these?"));
    QCOMPARE(p.ctx().settings.Midi_OutName, QStringLiteral("Quillon virtual module"));
    QVERIFY(p.ctx().ports.isOpen());
    p.t.infos.clear();
    p.main().getTemp();
    QVERIFY(p.t.infos.empty() && p.ctx().store.FromTemp);
    const std::size_t asked = p.t.questions.size();
    p.ctx().engineSettings.unitId = roland::DefaultUnitId + 1;
    p.main().getTemp();
    QTest::qWait(100);
    QCOMPARE(p.t.questions.size(), asked);  // offered after the first silence only
  }

  void monitorSwitchAndGaugeFollowTheProgram() {
    Program p;
    MonitorWindow& monitor = *p.windows->monitorWindow;
    auto* box = monitor.findChild<QCheckBox*>(QStringLiteral("CbMiditrue"));
    p.main().midiThruAction()->trigger();  // the menu
    QVERIFY(!box->isChecked() && !p.ctx().host.midiThru());
    box->click();  // the monitor
    QVERIFY(p.main().midiThruAction()->isChecked() && p.ctx().host.midiThru());
    // Full velocity lights the row: lime, yellow from 51 %, red from 80 %.
    monitor.resize(monitor.minimumSizeHint());
    p.ctx().sender.SendShortMidi(0x90, 60, 127);
    const QImage picture = monitor.findChild<LedGauge*>(QStringLiteral("LGIn"))->grab().toImage();
    std::set<QRgb> seen;
    for (int x = 0; x < picture.width(); ++x) seen.insert(picture.pixel(x, picture.height() / 2) & 0xFFFFFF);
    for (QRgb colour : {0x00FF00u, 0xFFFF00u, 0xFF0000u})
      QVERIFY2(seen.count(colour), qPrintable(QString::number(colour, 16)));
  }

  void waitWindowCountsEachTransferAfresh() {
    Program p;
    TransferProgressDialog& wait = *p.windows->progressDialog;
    p.main().getTemp();
    QCOMPARE(wait.collected(), QStringLiteral("15"));
    QString duringSend;
    p.onSent = [&](const Bytes&) { duringSend = wait.collected(); };
    p.main().sendTemp();
    QCOMPARE(duringSend, QStringLiteral("0"));
    for (TransferLamp* lamp : wait.findChildren<TransferLamp*>()) QCOMPARE(lamp->size(), lamp->sizeHint());
  }

  void logRunsWhileItsWindowCanBeOpened() {
    Program p;
    MessageLogWindow& log = *p.windows->messageLog;
    QAction* view = nullptr;
    for (QAction* a : p.main().menuBar()->findChildren<QAction*>())
      if (a->text() == QStringLiteral("Syx Message View")) view = a;
    view->trigger();
    log.close();
    QVERIFY(!p.ctx().store.LogEnabled);
    QVERIFY(p.main().statusText().contains(QStringLiteral("log is off")));
    view->trigger();
    QVERIFY(p.ctx().store.LogEnabled);
    // Clear empties the memos; the counters go back to 0 at the line limit only.
    p.ctx().log.AddSentLine("x");
    log.findChild<QPushButton*>(QStringLiteral("Bclear"))->click();
    QVERIFY(log.sentMemo()->toPlainText().isEmpty());
    QCOMPARE(p.ctx().log.SendLogCount, 1);
  }

  void recentFilesAndTheDialogFolderAreKept() {
    Program p;
    QVERIFY(QDir(p.t.dir.path()).mkdir("bank"));
    QStringList opened;
    for (int i = 0; i <= RecentFiles::MaxFiles; ++i) {
      opened.prepend(bank(p, qPrintable(QStringLiteral("bank/%1.syx").arg(i)), address::AreaUserPerformance, 1));
      p.main().openPath(opened.front());
    }
    p.windows.reset();  // the next start
    p.start();
    QMenu* recent = p.main().recentMenu();
    QCOMPARE(recent->actions().size(), RecentFiles::MaxFiles);
    QCOMPARE(recent->actions().front()->text(), QDir::toNativeSeparators(opened.front()));
    QCOMPARE(p.main().fileDialogFolder(), p.t.path("bank"));
    QVERIFY(QFile::remove(opened.front()));
    recent->actions().front()->trigger();
    QCOMPARE(p.t.infos.size(), std::size_t{1});
    QVERIFY(QString::fromStdString(p.t.infos[0]).contains(QDir::toNativeSeparators(opened.front())));
    QCOMPARE(recent->actions().front()->text(), QDir::toNativeSeparators(opened[1]));
  }

  void thePcmBoxComesOncePerFile() {
    Program p;
    const QString file = bank(p, "pcm.syx", address::AreaUserPerformance, 2,
                              [](PerformanceRecord& r) { r.parts[0][part::PatchGroupType] = group_type::PcmCard; });
    for (int open = 1; open <= 2; ++open) {
      p.main().openPath(file);
      for (int cell = 0; cell < 2; ++cell) {
        p.main().selectCell(0, cell);
        p.main().evaluateSelection();
      }
      QCOMPARE(std::count(p.t.infos.begin(), p.t.infos.end(), std::string(PcmCardMessage)), open);
    }
  }

  void gridCellsShowTheirNamesWhole() {
    Program p;
    QTableWidget* grid = p.main().performanceGrid();
    const int narrow = grid->columnWidth(1);
    const auto wide = [](PerformanceRecord& r) { setPerformanceName(r.common, "MMMMMMMMMMMM"); };
    const QString file = bank(p, "wide.syx", address::AreaUserPerformance, 12, wide);
    p.main().openPath(file);
    const QTableWidgetItem* cell = grid->item(3, 1);  // performance 12
    QCOMPARE(cell->toolTip(), QStringLiteral("12 = MMMMMMMMMMMM"));
    const int text = grid->fontMetrics().horizontalAdvance(cell->text());
    QVERIFY(text > narrow && grid->width() <= p.main().width());
    p.main().resize(GridColumns * (text + 20), p.main().height());
    p.main().openPath(file);
    QVERIFY(grid->columnWidth(1) > text);
  }

  void aStoredBoardTheListsLackIsKept() {
    Program p([&](DeviceSettings& s) {
      s.engine.unitId = 20;
      s.Exp[1] = 100;
      QFile::remove(QString::fromStdString((s.dataFolder() / names_file::Expansion).string()));
    });
    QVERIFY(p.t.infos.empty());
    QVERIFY2(!p.ctx().settings.FirstRun, "a first run would write the defaults over the store");
    QString shown;
    onNextDialog<MidiSettingsDialog>([&](MidiSettingsDialog* d) {
      shown = testing::childNamed<QComboBox>(*d, boardObjectName(0))->currentText();
      testing::childNamed<QPushButton>(*d, "BOk1")->click();
    });
    p.windows->openSettingsDialog();
    QCOMPARE(shown, QStringLiteral("Board 100"));
    const QSettings stored(p.t.path("Quillon.conf"), QSettings::IniFormat);
    QCOMPARE(stored.value("ExpA").toInt(), 100);
    QCOMPARE(stored.value("JVID").toInt(), 20);
  }

  void aStoredPortThatIsGoneOpensNothingElse() {
    // Number 0 is the virtual module now; the name is what the user chose.
    const QString gone = QStringLiteral("quillon-jvsim-in:in");
    Program p([&](DeviceSettings& s) { s.Midi_OutName = gone; });
    QVERIFY(p.ctx().store.MidiClosed);
    QCOMPARE(p.t.infos.size(), std::size_t{1});
    QVERIFY2(QString::fromStdString(p.t.infos[0]).contains("MIDI output '" + gone + "' is not available"),
             p.t.infos[0].c_str());
    p.main().openPath(bank(p, "bank.syx", address::AreaUserPerformance, 3));
    QCOMPARE(p.main().statusPanel(0), QStringLiteral("Midi Closed"));
  }

  void closingTheOutputSilencesEveryChannel() {
    Program p;
    jv::VirtualModule& module = midi::virtualModuleBackend().module();
    // Ports close when the settings dialog shows and when the program ends.
    const auto silenced = [&]() -> std::function<bool()> {
      for (int c = 0; c < MidiChannels; ++c) {
        module.receive(Bytes{onChannel(status::ControlChange, c + 1), controller::AllNotesOff, 1});
        module.receive(Bytes{onChannel(status::ControlChange, c + 1), controller::AllSoundOff, 1});
      }
      return [&, before = module.controlChangesReceived()] {
        for (int c = 0; c < MidiChannels; ++c)
          if (module.controller(c, controller::AllNotesOff) != 0 || module.controller(c, controller::AllSoundOff) != 0)
            return false;
        return module.controlChangesReceived() - before == 2 * MidiChannels;
      };
    };
    auto check = silenced();
    bool whileShown = false;
    onNextDialog<MidiSettingsDialog>([&](MidiSettingsDialog* d) {
      whileShown = check();
      testing::childNamed<QPushButton>(*d, "BCan1")->click();
    });
    p.windows->openSettingsDialog();
    QVERIFY(whileShown);
    check = silenced();
    p.windows.reset();
    QVERIFY(check());
  }

  void dialogsHaveNoMinimiseOrMaximise() {
    Program p;
    MidiSettingsDialog settings(p.ctx(), {});
    for (QWidget* d :
         std::initializer_list<QWidget*>{p.windows->saveDialog.get(), p.windows->splashScreen.get(), &settings}) {
      const Qt::WindowFlags f = d->windowFlags();
      QVERIFY(f.testFlag(Qt::CustomizeWindowHint) || f.testFlag(Qt::FramelessWindowHint));
      QVERIFY(!f.testFlag(Qt::WindowMinimizeButtonHint) && !f.testFlag(Qt::WindowMaximizeButtonHint));
    }
  }
};

QTEST_MAIN(ProgramWindowsTest)
#include "program_windows_test.moc"
