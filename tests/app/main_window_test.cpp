// The main window on the offscreen platform: reading files into the grid,
// choosing cells, dropping files, saving, and the close guard.

#include <QCloseEvent>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "app/save_choice_dialog.h"
#include "app/main_window.h"
#include "app_fixture.h"
#include "program_fixture.h"
#include "engine/demo_performances.h"
#include "engine/syx_reader.h"
#include "engine/syx_writer.h"

using namespace quillon;

namespace {

Bytes bankBytes(Byte area, int count, BlockSizes sizes) {
  PerformanceStore store;
  store.FromUser = area == address::AreaUserPerformance;
  store.FromCard = area == address::AreaCardPerformance;
  store.FromTemp = area == address::AreaTemporary;
  store.PerformanceCount = count;
  for (int i = 0; i < count; ++i) store.PerformanceList[i] = demoPerformance(i % DemoPerformanceCount);
  return listSyxBytes(store, sizes);
}

void writeFile(const QString& path, const Bytes& bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

Bytes readFile(const QString& path) { return readFileBytes(path.toStdString()).bytes; }

QString cellText(const MainWindow& form, int index) {
  const GridCell c = gridCellOf(index);
  return form.performanceGrid()->item(c.row, c.column)->text();
}

// Answers the next modal dialog by clicking the button with this object name.
void answerNextDialog(const QString& buttonName,
                      SaveChoiceDialog::Choice choice = SaveChoiceDialog::Choice::SaveListFile,
                      bool setChoice = false) {
  QTimer::singleShot(0, [=] {
    auto* dialog = qobject_cast<SaveChoiceDialog*>(QApplication::activeModalWidget());
    QVERIFY(dialog);
    if (setChoice) dialog->setChoice(choice);
    dialog->findChild<QPushButton*>(buttonName)->click();
  });
}

}  // namespace

class StartFormTest : public QObject {
  Q_OBJECT
 private slots:
  void openingAFileFillsTheGridAndStatus() {
    testing::TestContext t;
    QVERIFY(t.context->ports.reopen({}, {}).empty());  // the virtual module: the found panel shows the count
    MainWindow form(*t.context);
    const QString file = t.path(QStringLiteral("bank.syx"));
    writeFile(file, bankBytes(address::AreaUserPerformance, 10, StandardBlockSizes));
    form.chooseOpenFile = [&] { return file; };
    form.openFile();
    QCOMPARE(cellText(form, 0), QStringLiteral(" 1 = Jazz Trio   "));
    QCOMPARE(cellText(form, 9), QStringLiteral(" 10 = String Pad  "));
    QCOMPARE(cellText(form, 10), QStringLiteral(" 11") + QString(15, QLatin1Char(' ')));
    QCOMPARE(form.statusPanel(0), QStringLiteral("Found : 10"));
    QCOMPARE(form.statusText(), QStringLiteral("Done, Performances Found = 10"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Perform edit: [") + file + QStringLiteral("]"));
    QVERIFY(t.context->store.FromUser);
    QVERIFY(!t.context->store.NoPerformance);
  }

  void aFileWithoutPerformancesOrUnreadableSaysSoAndKeepsTheList() {
    testing::TestContext t;
    MainWindow form(*t.context);
    const QString good = t.path(QStringLiteral("good.syx"));
    writeFile(good, bankBytes(address::AreaUserPerformance, 3, StandardBlockSizes));
    form.openPath(good);
    form.openPath(t.path(QStringLiteral("missing.syx")));
    QCOMPARE(t.infos.size(), std::size_t{1});
    QVERIFY(QString::fromStdString(t.infos[0]).contains(QStringLiteral("missing.syx")));
    QCOMPARE(t.context->store.PerformanceCount, 3);
    QCOMPARE(cellText(form, 2), QStringLiteral(" 3 = Split Bass  "));

    const QString text = t.path(QStringLiteral("text.syx"));
    writeFile(text, Bytes{'h', 'e', 'l', 'l', 'o'});
    form.openPath(text);
    QCOMPARE(t.infos.back(), std::string("No performances found\rChoose another syx-file."));
    // Nothing to show instead: the list, its title and its file name stay.
    QVERIFY(form.windowTitle().contains(QStringLiteral("good.syx")));
    QCOMPARE(t.context->store.PerformanceCount, 3);
    QCOMPARE(cellText(form, 2), QStringLiteral(" 3 = Split Bass  "));
    QCOMPARE(QString::fromStdString(t.context->store.CurrentFileName), good);
  }

  void theGridWorksByKeyboard() {
    testing::TestContext t;
    MainWindow form(*t.context);
    const QString in = t.path(QStringLiteral("keys.syx"));
    writeFile(in, bankBytes(address::AreaUserPerformance, 3, StandardBlockSizes));
    form.openPath(in);
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QSignalSpy edits(&form, &MainWindow::editRequested);
    QTableWidget* grid = form.performanceGrid();
    grid->setFocus();
    QVERIFY(grid->hasFocus());
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(t.context->store.SelectedIndex, 1);
    QTest::keyClick(grid, Qt::Key_Return);
    QTest::keyClick(grid, Qt::Key_Space);
    QCOMPARE(edits.count(), 2);
    QTest::keyClick(grid, Qt::Key_Tab);
    QVERIFY(!grid->hasFocus());
  }

  void choosingCellsPicksDownTheColumnsAndClampsToTheList() {
    testing::TestContext t;
    MainWindow form(*t.context);
    const QString file = t.path(QStringLiteral("bank.syx"));
    writeFile(file, bankBytes(address::AreaCardPerformance, 12, JV2080BlockSizes));
    form.openPath(file);
    form.selectCell(1, 0);
    QCOMPARE(t.context->store.SelectedIndex, 8);
    QCOMPARE(form.statusPanel(1), QStringLiteral("Card"));
    QCOMPARE(t.context->store.TempPerformance.common, t.context->store.PerformanceList[8].common);
    QCOMPARE(form.findChild<QPushButton*>(QStringLiteral("Beditp"))->text(),
             QStringLiteral("Edit: 9 = Jazz Trio   "));  // the demos repeat every 8
    form.selectCell(3, 7);                               // cell 32, beyond the 12 listed
    QCOMPARE(t.context->store.SelectedIndex, 11);
    QVERIFY(!t.context->store.Updating);
  }

  void aTemporaryListIsNotCopiedIntoTheEditedPerformance() {
    testing::TestContext t;
    MainWindow form(*t.context);
    const QString file = t.path(QStringLiteral("temp.syx"));
    writeFile(file, bankBytes(address::AreaTemporary, 1, StandardBlockSizes));
    form.openPath(file);
    t.context->store.FromUser = true;  // as if a bank had been fetched meanwhile
    t.context->store.TempPerformance.common[common::EfxType] = 33;
    form.selectCell(0, 0);
    QCOMPARE(int(t.context->store.TempPerformance.common[common::EfxType]), 33);
  }

  void timerEvaluatesThePatchNamesOfTheChosenPerformance() {
    testing::TestContext t;
    MainWindow form(*t.context);
    const QString file = t.path(QStringLiteral("bank.syx"));
    writeFile(file, bankBytes(address::AreaUserPerformance, 2, StandardBlockSizes));
    form.openPath(file);
    form.selectCell(0, 0);
    form.evaluateSelection();
    QVERIFY(!form.timer1()->isActive());
    QCOMPARE(form.patchGrid()->item(0, 0)->text(), QStringLiteral(" P 1  64voicePiano"));
    QCOMPARE(form.patchGrid()->item(1, 2)->text(), QStringLiteral(" P 10  Rhythm Set"));
    QCOMPARE(QString::fromStdString(t.context->store.PartPatchNames[0]), QStringLiteral("64voicePiano"));
    QCOMPARE(form.statusText(), QStringLiteral("Done"));
  }

  void aDroppedFileWithACapitalExtensionLoads() {
    testing::TestContext t;
    MainWindow form(*t.context);
    const QString file = t.path(QStringLiteral("DEEP NAME FOLDER WITH A LONG PATH OF MANY CHARACTERS.SYX"));
    writeFile(file, bankBytes(address::AreaUserPerformance, 4, StandardBlockSizes));
    form.dropFile(file);
    QVERIFY(t.context->store.FileDropped);
    form.evaluateSelection();
    QVERIFY(!t.context->store.FileDropped);
    QCOMPARE(t.context->store.PerformanceCount, 4);
    QCOMPARE(form.windowTitle(), QStringLiteral("Perform edit: [") + file + QStringLiteral("]"));  // as Open

    const QString other = t.path(QStringLiteral("notes.txt"));
    writeFile(other, bankBytes(address::AreaUserPerformance, 1, StandardBlockSizes));
    form.dropFile(other);
    form.evaluateSelection();
    QVERIFY(t.context->store.FileDropped);  // ignored, waits for the next timer start
    QCOMPARE(t.context->store.PerformanceCount, 4);
  }

  void savingWritesWhatTheReaderReadsBack_data() {
    QTest::addColumn<int>("area");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("eoc");
    QTest::newRow("temp JV 1080") << int(address::AreaTemporary) << 1 << 63;
    QTest::newRow("user JV 1080") << int(address::AreaUserPerformance) << 32 << 63;
    QTest::newRow("user JV 2080") << int(address::AreaUserPerformance) << 7 << 67;
  }
  void savingWritesWhatTheReaderReadsBack() {
    QFETCH(int, area);
    QFETCH(int, count);
    QFETCH(int, eoc);
    testing::TestContext t;
    MainWindow form(*t.context);
    const BlockSizes sizes = eoc == 67 ? JV2080BlockSizes : StandardBlockSizes;
    t.context->engineSettings.sizes = sizes;
    const QString in = t.path(QStringLiteral("in.syx"));
    const Bytes original = bankBytes(static_cast<Byte>(area), count, sizes);
    writeFile(in, original);
    form.openPath(in);
    t.context->store.UnsavedChanges = true;
    const QString out = t.path(QStringLiteral("out"));
    QString proposed;
    form.chooseSaveFile = [&](const QString& p) {
      proposed = p;
      return out;
    };
    form.saveFile();
    QCOMPARE(proposed, in);  // already ends in .syx
    QCOMPARE(readFile(out + QStringLiteral(".syx")), original);
    QVERIFY(!t.context->store.UnsavedChanges);
    QCOMPARE(form.windowTitle(), QStringLiteral("Perform edit [") + out + QStringLiteral(".syx]"));
  }

  void aFailedSaveKeepsTheOldFileAndTheChanges() {
    testing::TestContext t;
    MainWindow form(*t.context);
    const QString in = t.path(QStringLiteral("in.syx"));
    writeFile(in, bankBytes(address::AreaUserPerformance, 2, StandardBlockSizes));
    form.openPath(in);
    t.context->store.UnsavedChanges = true;
    form.chooseSaveFile = [](const QString&) { return QStringLiteral("/proc/quillon-cannot-write.syx"); };
    form.saveFile();
    QVERIFY(t.context->store.UnsavedChanges);
    QCOMPARE(t.infos.size(), std::size_t{1});
    QVERIFY(QString::fromStdString(t.infos[0]).contains(QStringLiteral("/proc/quillon-cannot-write.syx")));
  }

  // The card is never written from the save dialog, and writing into the
  // module is never the default: Ok saves the list into a file.
  void cardListsAskTheDialogWithTheCardChoiceDisabled() {
    testing::TestContext t;
    MainWindow form(*t.context);
    SaveChoiceDialog dialog(&form);
    form.windows.saveDialog = &dialog;
    const QString in = t.path(QStringLiteral("card.syx"));
    writeFile(in, bankBytes(address::AreaCardPerformance, 2, StandardBlockSizes));
    form.openPath(in);
    bool asked = false;
    form.chooseSaveFile = [&](const QString&) {
      asked = true;
      return QString();
    };
    bool confirmed = false;
    form.confirm = [&](const QString&) { return confirmed = true; };
    QTimer::singleShot(0, [&] {
      auto* d = qobject_cast<SaveChoiceDialog*>(QApplication::activeModalWidget());
      QVERIFY(d);
      auto* card = d->findChild<QRadioButton*>(QStringLiteral("RBsaveAllcard"));
      QVERIFY(!card->isEnabled() && !card->isChecked());
      QVERIFY(d->findChild<QRadioButton*>(QStringLiteral("RBSaveNew32File"))->isChecked());
      d->findChild<QPushButton*>(QStringLiteral("BokSave"))->click();
    });
    form.saveFile();
    QVERIFY(asked);
    QVERIFY(!confirmed);
  }

  void closingWithChangesAsksAndOnlyDiscardCloses() {
    testing::TestContext t;
    MainWindow form(*t.context);
    SaveChoiceDialog dialog(&form);
    form.windows.saveDialog = &dialog;
    t.context->store.UnsavedChanges = true;
    answerNextDialog(QStringLiteral("Bcancel"));
    QCloseEvent cancelled;
    QApplication::sendEvent(&form, &cancelled);
    QVERIFY(!cancelled.isAccepted());
    answerNextDialog(QStringLiteral("Bdiscard"));
    QCloseEvent discarded;
    QApplication::sendEvent(&form, &discarded);
    QVERIFY(discarded.isAccepted());
  }

  // Edits not yet saved are asked about before another file replaces them, as a fetch asks.
  void openingAnotherFileAsksBeforeTheEditsGo() {
    testing::Program p;
    const QString first = p.t.path(QStringLiteral("first.syx")), second = p.t.path(QStringLiteral("second.syx"));
    writeFile(first, bankBytes(address::AreaUserPerformance, 3, StandardBlockSizes));
    writeFile(second, bankBytes(address::AreaCardPerformance, 5, StandardBlockSizes));
    p.main().openPath(first);
    p.main().editPerformance();
    QTest::keyClick(p.windows->performanceEditor->findChild<QWidget*>(QStringLiteral("SlVol1")), Qt::Key_Up);
    QVERIFY(p.ctx().store.UnsavedChanges);
    const PerformanceRecord edited = p.ctx().store.PerformanceList[0];
    QStringList questions;
    int answer = QMessageBox::Cancel;
    p.main().askUnsavedChanges = [&](const QString& question) {
      questions << question;
      return answer;
    };
    p.main().openPath(second);
    QCOMPARE(questions, QStringList{QStringLiteral("The performances have unsaved changes.\n"
                                                   "Save them before the file replaces them?")});
    QCOMPARE(p.ctx().store.PerformanceList[0], edited);
    QCOMPARE(p.ctx().store.PerformanceCount, 3);
    answer = QMessageBox::Discard;
    p.main().openPath(second);
    QCOMPARE(p.ctx().store.PerformanceCount, 5);
    QVERIFY(p.ctx().store.FromCard && !p.ctx().store.UnsavedChanges);
  }

  void editWithNothingLoadedSaysSo() {
    testing::TestContext t;
    MainWindow form(*t.context);
    form.editPerformance();
    QCOMPARE(t.infos.back(), std::string("There is no performance to edit."));
  }
};

QTEST_MAIN(StartFormTest)
#include "main_window_test.moc"
