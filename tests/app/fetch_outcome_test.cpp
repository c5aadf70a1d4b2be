// What a fetch leaves behind, through the program as start-up wires it on the
// virtual module: answers that come once the fetch has reported its end land
// nowhere; a partial Temporary Performance is neither sent, saved nor undone
// to as if it were whole; edits the module never held are asked about first.

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/performance_kind_dialog.h"
#include "app/save_choice_dialog.h"
#include "program_fixture.h"

using namespace quillon;
using testing::onNextDialog;
using testing::Program;

namespace {

bool isTempRequest(std::span<const Byte> m, Byte block) {
  return m[roland::PosCommand] == roland::CommandRQ1 && m[roland::PosAddress] == address::AreaTemporary &&
         m[roland::PosAddress + 2] == block;
}

// The module never answers the request for part 5 of the Temporary Performance.
void losePart5(Program& p) {
  AppHost& host = p.ctx().host;
  host.onSendLong = [out = host.onSendLong](std::span<const Byte> m) {
    if (!isTempRequest(m, address::partBlock(4))) out(m);
  };
}

QString fileOf(Program& p, Byte area, int count, int keptMessages = -1) {
  Bytes bytes = testing::bankBytes(area, count);
  const auto cut = std::find_if(bytes.begin(), bytes.end(), [&](Byte b) { return b == 0xF7 && --keptMessages == 0; });
  if (cut != bytes.end()) bytes.erase(cut + 1, bytes.end());
  const QString path = p.t.path(QStringLiteral("dump.syx"));
  testing::writeBytes(path, bytes);
  return path;
}

}  // namespace

class FetchOutcomeTest : public QObject {
  Q_OBJECT
 private slots:
  void cleanup() { midi::virtualModuleBackend().module().reset(); }

  // The module is slower than the fetch: its answers come while the box that
  // ends the fetch is open (the real box, with its own event loop).
  void answersAfterTheFetchEndedLandNowhere_data() {
    QTest::addColumn<bool>("cancel");
    QTest::newRow("cancelled before any answer") << true;
    QTest::newRow("one answer late") << false;
  }
  void answersAfterTheFetchEndedLandNowhere() {
    QFETCH(bool, cancel);
    midi::virtualModuleBackend().module().temporary() = demoPerformance(4);
    Program p;
    p.main().openPath(fileOf(p, address::AreaUserPerformance, 2));
    AppHost& host = p.ctx().host;
    std::vector<Bytes> held;
    const auto toModule = host.onSendLong;
    host.onSendLong = [&](std::span<const Byte> m) {
      if (!(cancel ? m[roland::PosCommand] == roland::CommandRQ1 : isTempRequest(m, address::partBlock(4))))
        return toModule(m);
      held.emplace_back(m.begin(), m.end());
      if (cancel && held.size() == 1)
        QTimer::singleShot(0, [&] { p.windows->progressDialog->findChild<QPushButton*>("Bcancel")->click(); });
    };
    host.onShowInfo = nullptr;
    PerformanceRecord atTheEnd;
    onNextDialog<QMessageBox>([&](QMessageBox* box) {
      atTheEnd = p.ctx().store.TempPerformance;
      const int heard = p.ctx().incoming.SysexInCount;
      for (const Bytes& request : held) toModule(request);
      QTRY_COMPARE(p.ctx().incoming.SysexInCount, heard + static_cast<int>(held.size()));
      box->accept();
    });
    p.main().getTemp();
    QVERIFY(!held.empty());
    QCOMPARE(p.ctx().store.TempPerformance, atTheEnd);
    if (cancel) QCOMPARE(p.ctx().store.TempPerformance, p.ctx().store.PerformanceList[0]);
  }

  // After a list whose 6th entry was chosen, Get Temp loses part 5: Send Temp
  // sends nothing, and the undo of an audition does not send the missing part.
  void aPartialTempIsNotSentAsWhole() {
    Program p;
    p.main().openPath(fileOf(p, address::AreaUserPerformance, 8));
    p.main().selectCell(0, 5);
    losePart5(p);
    p.main().getTemp();
    QVERIFY(p.ctx().store.FromTemp && !p.ctx().store.ListInfo[0].complete);
    p.sent.clear();
    p.main().sendTemp();
    QCOMPARE(p.count(roland::CommandDT1), 0);
    QVERIFY(p.t.infos.back().find("incomplete") != std::string::npos);
    QVERIFY(p.main().auditionPerformance(demoPerformance(3)));
    p.sent.clear();
    p.ctx().history.undo();
    for (const Bytes& m : p.sent)
      QVERIFY(m[roland::PosCommand] != roland::CommandDT1 || m[roland::PosAddress + 2] != address::partBlock(4));
  }

  // Get Temp over an open bank, then the list is made a User bank: Send User All
  // sends the fetched performance, not what the bank left in the list's entry.
  void theFetchedTempIsTheListsEntry() {
    midi::virtualModuleBackend().module().temporary() = demoPerformance(4);
    Program p;
    p.main().openPath(fileOf(p, address::AreaUserPerformance, 2));
    p.main().getTemp();
    onNextDialog<PerformanceKindDialog>([](PerformanceKindDialog* d) {
      d->findChild<QRadioButton*>(QStringLiteral("RBUser"))->setChecked(true);
      d->findChild<QPushButton*>(QStringLiteral("BOK"))->click();
    });
    p.main().chooseKind();
    p.main().confirm = [](const QString&) { return true; };
    p.main().sendBank(BankArea::User);
    const auto& held = midi::virtualModuleBackend().module().performance(address::AreaUserPerformance, 0);
    QCOMPARE(differingTempBlocks(held, demoPerformance(4), StandardBlockSizes), 0u);
  }

  // A file's Temporary Performance without parts 9..16: Save asks first (the
  // last Get Temp, whole, says nothing of it), and Get Temp asks before it
  // replaces an edit of it.
  void aTempFromAFileIsNotTheModules() {
    Program p;
    p.main().openPath(fileOf(p, address::AreaTemporary, 1, 9));
    QVERIFY(p.ctx().store.FromTemp && !p.ctx().store.ListInfo[0].complete);
    bool fileChosen = false;
    p.main().chooseSaveFile = [&](const QString&) { return fileChosen = true, QString(); };
    QString warning;
    onNextDialog<SaveChoiceDialog>([&](SaveChoiceDialog* d) {
      warning = d->findChild<QLabel*>(QStringLiteral("LAttention"))->text();
      d->findChild<QPushButton*>(QStringLiteral("Bcancel"))->click();
    });
    p.main().saveFile();
    QVERIFY2(!fileChosen && warning.contains(QStringLiteral("incomplete")), qPrintable(warning));
    const int edited = p.ctx().store.TempPerformance.parts[2][part::Level] == 87 ? 86 : 87;
    QVERIFY(p.ctx().edit.set(param::PartLevel, 2, edited, SendGuard::Updating));
    int asked = 0;
    p.main().askUnsavedChanges = [&](const QString&) { return ++asked, int(QMessageBox::Cancel); };
    p.main().getTemp();
    QCOMPARE(asked, 1);
    QCOMPARE(int(p.ctx().store.TempPerformance.parts[2][part::Level]), edited);
  }
};

QTEST_MAIN(FetchOutcomeTest)
#include "fetch_outcome_test.moc"
