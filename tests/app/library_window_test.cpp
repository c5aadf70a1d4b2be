// The library window as start-up wires it: a folder of banks imported, found
// as the user types, played on the virtual module by Send to Temp (and taken
// back by one undo), built into a bank that is saved and sent byte for byte;
// opened in the editor and added to the list; "Where else" and "Duplicates"
// go to what their lines name; the settings dialog turns the feeding off.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>

#include "app/bank_builder_dialog.h"
#include "app/library_files.h"
#include "app/midi_settings_dialog.h"
#include "engine/bank_transfer.h"
#include "engine/syx_reader.h"
#include "library/library_store.h"
#include "program_fixture.h"

using namespace quillon;
using testing::Program;

namespace {

constexpr int BankCount = 3;
constexpr int PerBank = 6;

midi::VirtualModuleBackend& backend() { return midi::virtualModuleBackend(); }

// Performance `n` of the folder: a demo with a name of its own and parts told apart.
PerformanceRecord generated(int n) {
  PerformanceRecord r = demoPerformance(n % DemoPerformanceCount);
  setPerformanceName(r.common, (n % 2 ? "Odd " : "Even ") + std::to_string(n));
  r.parts[1][part::Level] = static_cast<Byte>(n);
  return r;
}

// The banks as the program itself would write them.
Bytes bankOf(const std::vector<PerformanceRecord>& records, Byte area = address::AreaUserPerformance) {
  PerformanceStore s;
  s.FromUser = area == address::AreaUserPerformance;
  s.FromCard = area == address::AreaCardPerformance;
  s.PerformanceCount = static_cast<int>(records.size());
  std::copy(records.begin(), records.end(), s.PerformanceList.begin());
  return listSyxBytes(s, StandardBlockSizes);
}

bool sameBlocks(const PerformanceRecord& a, const PerformanceRecord& b) {
  return differingTempBlocks(a, b, StandardBlockSizes) == 0;
}

LibraryWindow& openLibrary(Program& p) {
  p.main().findChild<QAction*>(QStringLiteral("MLibrary"))->trigger();
  return *p.windows->libraryWindow;
}

void importGeneratedFolder(Program& p) {
  QDir(p.t.dir.path()).mkpath(QStringLiteral("banks/old"));
  for (int b = 0; b < BankCount; ++b) {
    std::vector<PerformanceRecord> bank;
    for (int i = 0; i < PerBank; ++i) bank.push_back(generated(b * PerBank + i));
    testing::writeBytes(p.t.path(QStringLiteral("banks/old/bank%1.syx").arg(b)), bankOf(bank));
  }
  p.main().chooseImportFolder = [&] { return p.t.path(QStringLiteral("banks")); };
  p.main().importFolder();
}

// The row of the performance named `name`; -1 when the table has none.
int rowNamed(LibraryWindow& w, const std::string& name) {
  for (int r = 0; r < w.model()->loadedRows(); ++r)
    if (QString::fromStdString(w.model()->hitAt(r)->name).trimmed() == QString::fromStdString(name)) return r;
  return -1;
}

void choose(LibraryWindow& w, const std::string& name) {
  const int row = rowNamed(w, name);
  QVERIFY2(row >= 0, name.c_str());
  w.table()->selectRow(row);
}

void click(QWidget& window, const char* button) {
  auto* b = window.findChild<QPushButton*>(QString::fromLatin1(button));
  QVERIFY2(b, button);
  b->click();
}

}  // namespace

class LibraryWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void importedBanksAreFoundAndPlayedOnTheModule() {
    backend().module().reset();
    Program p;
    importGeneratedFolder(p);
    LibraryWindow& w = openLibrary(p);
    QCOMPARE(w.model()->total(), BankCount * PerBank);

    auto* search = w.findChild<QLineEdit*>(QStringLiteral("EdSearch"));
    QTest::keyClicks(search, QStringLiteral("Odd 1"));
    // "Odd 1", "Odd 11", "Odd 13", "Odd 15", "Odd 17"
    QCOMPARE(w.model()->total(), 5);
    QCOMPARE(w.model()->loadedRows(), 5);

    p.main().getTemp();
    const PerformanceRecord before = backend().module().temporary();
    const auto listBefore = p.ctx().store.PerformanceList;
    choose(w, "Odd 13");
    {
      const SessionScope running(p.ctx().sender.sessions(), TransferKind::GetTemp);
      click(w, "BSendTemp");
      QCOMPARE(w.statusText(), QString::fromLatin1(session_text::Busy));
      QVERIFY(sameBlocks(backend().module().temporary(), before));
    }
    click(w, "BSendTemp");
    QVERIFY(sameBlocks(backend().module().temporary(), generated(13)));
    QVERIFY(sameBlocks(p.ctx().store.TempPerformance, generated(13)));
    // An audition is no edit of the list.
    QVERIFY(p.ctx().store.PerformanceList == listBefore);
    QCOMPARE(p.ctx().history.stepCount(), 1);
    p.ctx().history.undo();
    QVERIFY(sameBlocks(backend().module().temporary(), before));

    // Compared: the chosen performance against what the module's Temporary Performance holds now.
    click(w, "BCompare");
    CompareWindow& compare = *p.windows->compareWindow;
    QVERIFY(compare.isVisible());
    QVERIFY(testing::childNamed<QComboBox>(compare, "CbSourceA")->currentText().contains(QStringLiteral("Odd 13")));
    QVERIFY(testing::childNamed<QLabel>(compare, "LCount")->text().endsWith(QStringLiteral("differences")));

    // Opened: the performance alone is the list, in the editor (the undo above left the list unsaved).
    p.main().askUnsavedChanges = [](const QString&) { return int(QMessageBox::Discard); };
    click(w, "BOpenEditor");
    QCOMPARE(p.ctx().store.PerformanceCount, 1);
    QVERIFY(sameBlocks(p.ctx().store.PerformanceList[0], generated(13)));
    QVERIFY(p.windows->performanceEditor->isVisible());

    // Where else: the performance was seen once, in its bank file.
    click(w, "BWhereElse");
    QCOMPARE(w.listDialog()->list()->count(), 1);
    QVERIFY(w.listDialog()->list()->item(0)->text().contains(QStringLiteral("bank2.syx #2 (User 2)")));
    // Enter on the line opens that file at that entry.
    QTest::keyClick(w.listDialog()->list(), Qt::Key_Return);
    QVERIFY(QString::fromStdString(p.ctx().store.CurrentFileName).endsWith(QStringLiteral("bank2.syx")));
    QCOMPARE(p.ctx().store.SelectedIndex, 1);

    // A performance of the same name with other bytes is a duplicate; Enter on it chooses
    // it in the table, whatever the filters hid.
    PerformanceRecord other = generated(13);
    other.parts[2][part::Level] = 1;
    const QString otherFile = p.t.path(QStringLiteral("other.syx"));
    testing::writeBytes(otherFile, bankOf({other}));
    p.main().openPath(otherFile);
    w.refresh();
    choose(w, "Odd 13");
    const std::int64_t chosen = w.chosenIds().front();
    click(w, "BDuplicates");
    QCOMPARE(w.listDialog()->list()->count(), 1);
    search->setText(QStringLiteral("Even"));
    QTest::keyClick(w.listDialog()->list(), Qt::Key_Return);
    QCOMPARE(search->text(), QStringLiteral("Odd 13"));
    QCOMPARE(w.chosenIds().size(), std::size_t{1});
    QVERIFY(w.chosenIds().front() != chosen);  // of the two named "Odd 13", the other one
  }

  void theSettingsDialogTurnsTheFeedingOff() {
    Program p;
    testing::onNextDialog<MidiSettingsDialog>([](MidiSettingsDialog* d) {
      QVERIFY(testing::childNamed<QCheckBox>(*d, "ChLibraryImport")->isChecked());
      testing::childNamed<QCheckBox>(*d, "ChLibraryImport")->setChecked(false);
      d->applyAndClose();
    });
    p.windows->openSettingsDialog();
    QVERIFY(!p.main().libraryFeed().enabled());
    const QString file = p.t.path(QStringLiteral("unseen.syx"));
    testing::writeBytes(file, bankOf({generated(1)}));
    p.main().openPath(file);
    QCOMPARE(openLibrary(p).model()->total(), 0);
  }

  void aBuiltBankIsSavedAndSentByteForByte() {
    backend().module().reset();
    Program p([](DeviceSettings& s) { s.engine.fastTransfers = true; });
    importGeneratedFolder(p);
    LibraryWindow& w = openLibrary(p);
    BankBuilderDialog& builder = *w.bankBuilder();
    click(w, "BBuildBank");
    for (const char* name : {"Even 4", "Odd 9", "Even 16"}) {
      choose(w, name);
      click(builder, "BAddToBank");
    }
    // Dragged (here: moved by key) into the order wanted: Even 16 first.
    builder.list()->setCurrentRow(2);
    builder.moveCurrent(-1);
    builder.moveCurrent(-1);
    const std::vector<PerformanceRecord> order{generated(16), generated(4), generated(9)};

    builder.findChild<QRadioButton*>(QStringLiteral("RbCardBank"))->setChecked(true);
    const QString file = p.t.path(QStringLiteral("built.syx"));
    w.chooseSaveFile = [&](const QString&) { return file; };
    click(builder, "BSaveBank");
    QCOMPARE(readFileBytes(file.toStdString()).bytes, bankOf(order, address::AreaCardPerformance));

    // Sent: the module's bank is kept in the library first, then overwritten.
    const PerformanceRecord oldFirst = backend().module().performance(address::AreaUserPerformance, 0);
    builder.findChild<QRadioButton*>(QStringLiteral("RbUserBank"))->setChecked(true);
    p.main().confirm = [](const QString&) { return true; };
    click(builder, "BSendBank");
    for (std::size_t i = 0; i < order.size(); ++i)
      QVERIFY(sameBlocks(backend().module().performance(address::AreaUserPerformance, static_cast<int>(i)), order[i]));
    // The sent bank is the list now; one more goes in after it.
    choose(w, "Odd 1");
    w.findChild<QSpinBox*>(QStringLiteral("SpSlot"))->setValue(4);
    click(w, "BAddToList");
    QCOMPARE(p.ctx().store.PerformanceCount, 4);
    QVERIFY(sameBlocks(p.ctx().store.PerformanceList[3], generated(1)));
    library::LibraryStore store(p.main().libraryFeed().libraryPath().toStdString());
    library::Query fetched;
    fetched.source = library::Sighting::Kind::Fetch;
    const auto backup = store.search(fetched, library::SearchPageSize);
    QVERIFY(std::any_of(backup.begin(), backup.end(), [&](const library::Hit& h) {
      const auto kept = store.performance(h.id);
      return kept && sameBlocks(kept->record, oldFirst);
    }));
  }
};

QTEST_MAIN(LibraryWindowTest)
#include "library_window_test.moc"
