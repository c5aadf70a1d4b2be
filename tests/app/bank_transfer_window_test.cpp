// User and Card bank transfers through the program as start-up wires it, on
// the virtual module: the menus fetch and send whole banks, the wait window's
// Cancel stops a fetch, the editor's "Save To JV-XP" stores through the store
// dialog, and the patch names reach "User.ini" only when all arrived.

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include "app/store_to_module_dialog.h"
#include "engine/bank_transfer.h"
#include "midi/event_wait.h"
#include "program_fixture.h"
#include "settings/names/ini_file.h"
#include "settings/names/patch_search.h"

using namespace quillon;
using testing::onNextDialog;
using testing::Program;

namespace {

midi::VirtualModuleBackend& backend() { return midi::virtualModuleBackend(); }

// The module of a test: fresh memory of `type`, every bank slot told apart by
// name and by the level of its first part; JV 1080 again afterwards.
struct ModuleOfTest {
  explicit ModuleOfTest(ModuleType type = ModuleType::JV1080) {
    backend().setModuleType(type);
    backend().module().reset();
    for (Byte area : {address::AreaUserPerformance, address::AreaCardPerformance})
      for (int n = 0; n < BankPerformanceCount; ++n) {
        PerformanceRecord& r = backend().module().performance(area, n);
        setPerformanceName(r.common,
                           (area == address::AreaCardPerformance ? "Card " : "User ") + std::to_string(n + 1));
        r.parts[0][part::Level] = static_cast<Byte>(n + (area == address::AreaCardPerformance ? 64 : 0));
      }
  }
  ~ModuleOfTest() { backend().setModuleType(ModuleType::JV1080); }
  PerformanceRecord& held(Byte area, int n) { return backend().module().performance(area, n); }
};

// Fast transfers keep a whole bank to a second or so on the virtual module.
void fastSettings(DeviceSettings& s) { s.engine.fastTransfers = true; }

QAction* menuAction(Program& p, const QString& text) {
  for (QAction* menu : p.main().menuBar()->actions())
    for (QAction* item : menu->menu()->actions())
      if (item->text() == text) return item;
  return nullptr;
}

void trigger(Program& p, const QString& text) {
  QAction* item = menuAction(p, text);
  if (!item) QFAIL(qPrintable(QStringLiteral("no menu item ") + text));
  item->trigger();
}

bool same(const PerformanceRecord& a, const PerformanceRecord& b, BlockSizes sizes) {
  return differingTempBlocks(a, b, sizes) == 0;
}

QString sourceLabel(Program& p) { return p.main().findChild<QLabel*>(QStringLiteral("ldrop"))->text(); }

Bytes fileBytes(const QString& path) { return readFileBytes(path.toStdString()).bytes; }

}  // namespace

class BankTransferWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void getAllFetchesTheModulesBytes_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("card");
    QTest::newRow("JV 1080 User") << static_cast<int>(ModuleType::JV1080) << false;
    QTest::newRow("JV 2080 Card") << static_cast<int>(ModuleType::JV2080) << true;
  }
  void getAllFetchesTheModulesBytes() {
    QFETCH(int, type);
    QFETCH(bool, card);
    ModuleOfTest module(static_cast<ModuleType>(type));
    const BlockSizes sizes = blockSizesFor(static_cast<ModuleType>(type));
    Program p([&](DeviceSettings& s) {
      fastSettings(s);
      s.JVtype = type;
      s.EOC = sizes.eoc;
      s.EOP = sizes.eop;
    });
    trigger(p, card ? QStringLiteral("Get Card All") : QStringLiteral("Get User All"));
    const Byte area = card ? address::AreaCardPerformance : address::AreaUserPerformance;
    const auto& s = p.ctx().store;
    QCOMPARE(s.PerformanceCount, BankPerformanceCount);
    for (int n = 0; n < BankPerformanceCount; ++n)
      QVERIFY2(same(s.PerformanceList[n], module.held(area, n), sizes), qPrintable(QString::number(n)));
    QCOMPARE(p.t.infos, std::vector<std::string>{});
    QCOMPARE(sourceLabel(p),
             card ? QStringLiteral("Card Performances form Synth") : QStringLiteral("User Performances form Synth"));
    // The grid shows the names at once, and the first performance is chosen.
    QCOMPARE(p.main().performanceGrid()->item(1, 0)->text(),
             QString::fromStdString(filledGridCellText(1, performanceName(module.held(area, 1).common))));
    QCOMPARE(p.main().statusPanel(KindStatusPanel), card ? QStringLiteral("Card") : QStringLiteral("User"));
    QVERIFY(same(s.TempPerformance, module.held(area, 0), sizes));
  }

  void cancelInTheWaitWindowStopsAfterTheRunningPerformance() {
    ModuleOfTest module;
    Program p(fastSettings);
    const Byte lastPartOfSix[] = {address::AreaUserPerformance, 5, address::partBlock(address::PartCount - 1)};
    p.onSent = [&](const Bytes& m) {
      if (m[roland::PosCommand] == roland::CommandRQ1 &&
          std::equal(std::begin(lastPartOfSix), std::end(lastPartOfSix), m.begin() + roland::PosAddress))
        QTimer::singleShot(
            0, [&] { p.windows->progressDialog->findChild<QPushButton*>(QStringLiteral("Bcancel"))->click(); });
    };
    trigger(p, QStringLiteral("Get User All"));
    const auto& s = p.ctx().store;
    QCOMPARE(p.count(roland::CommandRQ1), 6 * TempBlockCount);  // nothing asked after performance 6
    QVERIFY(!p.windows->progressDialog->isVisible());
    // The last part of performance 6 was still on its way: Cancel ends the fetch, and the
    // late answer changes nothing, so performance 6 is named and marked as incomplete.
    waitInEventLoop(50);
    QCOMPARE(p.t.infos, std::vector<std::string>{"The transfer was cancelled: 5 of 32 performances had arrived whole. "
                                                 "Incomplete: performance(s) 6."});
    for (int n = 0; n < BankPerformanceCount; ++n)
      QCOMPARE(same(s.PerformanceList[n], module.held(address::AreaUserPerformance, n), StandardBlockSizes), n <= 4);
    QCOMPARE(s.PerformanceCount, 6);
    QVERIFY(s.ListInfo[4].complete && !s.ListInfo[5].complete);
    // The rest is cleared: blank names, nothing else.
    PerformanceRecord cleared;
    setPerformanceName(cleared.common, "");
    QCOMPARE(s.PerformanceList[6], cleared);
    // Neither Save nor Send User All takes the list as whole.
    QVERIFY(!menuAction(p, QStringLiteral("Send User All"))->isEnabled());
    QCOMPARE(QString::fromStdString(s.CurrentFileName), QStringLiteral("UserBank-incomplete.syx"));
  }

  // While Get User All runs, whatever would send or change the store waits for it:
  // Save, Get Tmp Perf, an editor's control, the chorus/reverb window's re-read.
  // Afterwards a list that is only the Temporary Performance is no bank to send.
  void aRunningFetchOwnsTheProgram() {
    ModuleOfTest module;
    Program p(fastSettings);
    p.ctx().store.UnsavedChanges = true;
    p.main().askUnsavedChanges = [](const QString&) { return int(QMessageBox::Discard); };
    bool fileChosen = false;
    p.main().chooseSaveFile = [&](const QString&) {
      fileChosen = true;
      return QString();
    };
    int requests = 0;
    int dataSetsDuringFetch = 0;
    bool tried = false;
    p.onSent = [&](const Bytes& m) {
      if (m[roland::PosCommand] == roland::CommandDT1) ++dataSetsDuringFetch;
      if (m[roland::PosCommand] != roland::CommandRQ1 || ++requests != 100) return;
      QTimer::singleShot(0, [&] {
        QVERIFY(p.windows->progressDialog->isModal());
        p.main().saveFile();
        p.main().getTemp();
        QCOMPARE(p.main().statusText(), QString::fromLatin1(session_text::Busy));
        auto* level = p.windows->performanceEditor->findChild<QWidget*>(QStringLiteral("SlVol1"));
        QTest::keyClick(level, Qt::Key_Up);
        p.windows->chorusReverbWindow->activated();
        tried = true;
      });
    };
    trigger(p, QStringLiteral("Get User All"));
    QVERIFY(tried && !fileChosen);
    QCOMPARE(p.count(roland::CommandRQ1), BankPerformanceCount * TempBlockCount);
    QCOMPARE(dataSetsDuringFetch, 0);
    QVERIFY(menuAction(p, QStringLiteral("Send User All"))->isEnabled());

    p.onSent = {};
    p.main().getTemp();
    QVERIFY(p.ctx().store.FromTemp);
    QAction* sendUser = menuAction(p, QStringLiteral("Send User All"));
    QVERIFY(!sendUser->isEnabled() && !sendUser->toolTip().isEmpty());
    const int sentBefore = static_cast<int>(p.sent.size());
    p.main().sendBank(BankArea::User);
    QCOMPARE(static_cast<int>(p.sent.size()), sentBefore);
    QCOMPARE(p.t.infos.back(), std::string(bank_text::NotABank));
  }

  // A module slower than the wait: the slot name read by the store dialog comes after
  // the read ended, and lands nowhere. Cancelling the store then says so, not "Stored".
  void aLateSlotNameLandsNowhereAndACancelledStoreSaysSo() {
    ModuleOfTest module;
    Program p(fastSettings);
    trigger(p, QStringLiteral("Get User All"));
    const PerformanceStore before = p.ctx().store;
    AppHost& host = p.ctx().host;
    std::vector<Bytes> held;
    const auto toModule = host.onSendLong;
    host.onSendLong = [&](std::span<const Byte> m) {
      if (m[roland::PosCommand] == roland::CommandRQ1)
        held.emplace_back(m.begin(), m.end());
      else
        toModule(m);
    };
    p.onSent = [&](const Bytes& m) {
      if (m[roland::PosCommand] == roland::CommandDT1 && m[roland::PosAddress + 2] == address::partBlock(4))
        QTimer::singleShot(
            0, [&] { p.windows->progressDialog->findChild<QPushButton*>(QStringLiteral("Bcancel"))->click(); });
    };
    onNextDialog<StoreToModuleDialog>([&](StoreToModuleDialog* d) {
      d->findChild<QSpinBox*>(QStringLiteral("sp"))->setValue(7);
      for (const Bytes& request : held) toModule(request);  // the answers come now, late
      waitInEventLoop(50);
      d->findChild<QPushButton*>(QStringLiteral("B_OK"))->click();
    });
    p.main().storeToModule();
    const PerformanceStore& s = p.ctx().store;
    QVERIFY(!held.empty());
    QCOMPARE(s.PerformanceCount, before.PerformanceCount);
    QCOMPARE(s.PerformanceList, before.PerformanceList);
    QVERIFY(s.FromUser && !s.FromCard);
    QVERIFY2(p.main().statusText().contains(QStringLiteral("cancelled")), qPrintable(p.main().statusText()));
    QVERIFY(p.t.infos.back().starts_with("The transfer was cancelled"));
  }

  void aLossyFetchNamesMarksAndAsksBeforeSaving() {
    ModuleOfTest module;
    Program p(fastSettings);
    // A module that loses one answer: part 5 of performance 4 never comes back.
    const Byte lost[] = {address::AreaUserPerformance, 3, address::partBlock(4)};
    AppHost& host = p.ctx().host;
    host.onSendLong = [out = host.onSendLong, &lost](std::span<const Byte> m) {
      if (!std::equal(std::begin(lost), std::end(lost), m.begin() + roland::PosAddress)) out(m);
    };
    trigger(p, QStringLiteral("Get User All"));
    QCOMPARE(p.t.infos.size(), std::size_t{1});
    QVERIFY2(p.t.infos[0].find("performance(s) 4 arrived incomplete") != std::string::npos, p.t.infos[0].c_str());
    const GridCell cell = gridCellOf(3);
    QTableWidgetItem* marked = p.main().performanceGrid()->item(cell.row, cell.column);
    QVERIFY(marked->font().italic() && marked->toolTip().contains(QStringLiteral("part 5")));
    QVERIFY(!p.main().performanceGrid()->item(cell.row + 1, cell.column)->font().italic());
    // Save asks first, and says which; Cancel writes nothing.
    bool written = false;
    p.main().chooseSaveFile = [&](const QString&) {
      written = true;
      return QString();
    };
    QString warning;
    onNextDialog<SaveChoiceDialog>([&](SaveChoiceDialog* d) {
      warning = d->findChild<QLabel*>(QStringLiteral("LAttention"))->text();
      d->findChild<QPushButton*>(QStringLiteral("Bcancel"))->click();
    });
    p.main().saveFile();
    QVERIFY2(warning.contains(QStringLiteral("Performance(s) 4 incomplete")), qPrintable(warning));
    QVERIFY(!written);
  }

  void theEditorStoresIntoCardSlot32UnderAShortName() {
    ModuleOfTest module;
    Program p([](DeviceSettings& s) {
      fastSettings(s);
      s.VerifyStore = true;
    });
    backend().module().temporary() = demoPerformance(3);
    p.main().getTemp();
    p.main().editPerformance();
    p.sent.clear();
    QString oldName;
    onNextDialog<StoreToModuleDialog>([&](StoreToModuleDialog* d) {
      d->findChild<QRadioButton*>(QStringLiteral("RB_CARD"))->click();
      d->findChild<QSpinBox*>(QStringLiteral("sp"))->setValue(32);
      oldName = d->findChild<QLabel*>(QStringLiteral("StCur"))->text();
      auto* name = d->findChild<QLineEdit*>(QStringLiteral("ENewName"));
      name->clear();
      QTest::keyClicks(name, QStringLiteral("Short"));
      d->findChild<QPushButton*>(QStringLiteral("B_OK"))->click();
    });
    p.windows->performanceEditor->findChild<QPushButton*>(QStringLiteral("BsaveJV"))->click();
    QCOMPARE(oldName, QStringLiteral("Card 32     "));
    QCOMPARE(p.t.infos, std::vector<std::string>{});  // no box while typing, and the read-back agreed
    QCOMPARE(p.main().statusText(), QStringLiteral("Stored into Card 32 and read back identical"));
    QVERIFY(p.windows->performanceEditor->isVisible());
    // 20 1F 00 00, then 20 1F 10 00 .. 20 1F 1F 00.
    std::vector<SysexAddress> stored;
    for (const Bytes& m : p.sent)
      if (m[roland::PosCommand] == roland::CommandDT1) stored.push_back({m[5], m[6], m[7], m[8]});
    QCOMPARE(static_cast<int>(stored.size()), TempBlockCount);
    for (int block = 0; block < TempBlockCount; ++block)
      QCOMPARE(stored[block], performanceBlockAddress(address::AreaCardPerformance, 31, block));
    PerformanceRecord expected = demoPerformance(3);
    setPerformanceName(expected.common, "Short");
    QCOMPARE(performanceName(module.held(address::AreaCardPerformance, 31).common), std::string("Short       "));
    QVERIFY(same(module.held(address::AreaCardPerformance, 31), expected, StandardBlockSizes));
    QVERIFY(same(p.ctx().store.TempPerformance, expected, StandardBlockSizes));
  }

  void cardnamesWriteREntriesAndASilentModuleLeavesUserIni() {
    ModuleOfTest module;
    Program p(fastSettings);
    const auto userIni = (p.ctx().settings.dataFolder() / "User.ini");
    trigger(p, QStringLiteral("Get Cardnames"));
    QCOMPARE(p.t.infos, std::vector<std::string>{});
    const IniDocument written = readIniFile(userIni);
    const IniSection* card = written.section("Card Bank");
    QVERIFY(card);
    QCOMPARE(card->size(), std::size_t{BankPatchCount});
    // (The reader trims the blanks that end a 12-character name.)
    for (int m = 0; m < BankPatchCount; ++m)
      QCOMPARE(QString::fromStdString(card->value(std::to_string(m))),
               QString::fromStdString(
                   patchNameEntry(BankArea::Card, m, backend().module().patchName(address::AreaCardPatch, m)))
                   .trimmed());
    QVERIFY(card->value("127").starts_with("R:128 "));
    // In use at once: the finder finds a fetched name without a restart.
    const auto bytes = backend().module().patchName(address::AreaCardPatch, 5);
    std::string fetched(bytes.begin(), bytes.end());
    fetched.erase(fetched.find_last_not_of(' ') + 1);
    const PatchSearchResult found =
        findPatches(p.ctx().names, internalBankCount(p.ctx().settings.moduleType()), fetched);
    QVERIFY2(std::any_of(found.hits.begin(), found.hits.end(),
                         [](const PatchHit& h) { return h.groupId == CardGroupId && h.number == 5; }),
             fetched.c_str());

    // A module that answers another unit ID: nothing arrives, the file stays as it was.
    const Bytes before = fileBytes(QString::fromStdString(userIni.string()));
    p.ctx().engineSettings.unitId = roland::DefaultUnitId + 1;
    trigger(p, QStringLiteral("Get Usernames"));
    QCOMPARE(fileBytes(QString::fromStdString(userIni.string())), before);
    QCOMPARE(p.t.infos,
             (std::vector<std::string>{notRespondingText(noResponseFacts(p.ctx().sender)),
                                       "Only 0 of 128 patch names arrived; the name list is left as it was."}));
  }

  void sendUserAllRestoresABankThatGetUserAllReadsBack() {
    ModuleOfTest module;
    Program p(fastSettings);
    const QString file = p.t.path(QStringLiteral("backup.syx"));
    int n = 0;
    testing::writeBytes(file, testing::bankBytes(address::AreaUserPerformance, BankPerformanceCount, StandardBlockSizes,
                                                 [&n](PerformanceRecord& r) {
                                                   setPerformanceName(r.common, "Backup " + std::to_string(++n));
                                                 }));
    p.main().openPath(file);
    const auto list = p.ctx().store.PerformanceList;
    QString question;
    p.main().confirm = [&](const QString& q) {
      question = q;
      return true;
    };
    trigger(p, QStringLiteral("Send User All"));
    QVERIFY2(question.contains(QStringLiteral("User")) && question.contains(QStringLiteral("32")),
             qPrintable(question));
    QCOMPARE(p.count(roland::CommandDT1), BankPerformanceCount * TempBlockCount);
    trigger(p, QStringLiteral("Get User All"));
    QCOMPARE(p.t.infos, std::vector<std::string>{});
    for (int i = 0; i < BankPerformanceCount; ++i) {
      QVERIFY(same(module.held(address::AreaUserPerformance, i), list[i], StandardBlockSizes));
      QVERIFY(same(p.ctx().store.PerformanceList[i], list[i], StandardBlockSizes));
    }
  }
};

QTEST_MAIN(BankTransferWindowTest)
#include "bank_transfer_window_test.moc"
