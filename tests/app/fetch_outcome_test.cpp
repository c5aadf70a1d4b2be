// What a fetch leaves behind, through the program as start-up wires it on the
// virtual module: answers that come once the fetch has reported its end land
// nowhere; a partial Temporary Performance is neither sent, saved nor undone
// to as if it were whole; and edits the module never held are asked about
// before a fetch replaces them.

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

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

QString userBank(Program& p, int count) {
  const QString path = p.t.path(QStringLiteral("bank.syx"));
  testing::writeBytes(path, testing::bankBytes(address::AreaUserPerformance, count));
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
    p.main().openPath(userBank(p, 2));
    AppHost& host = p.ctx().host;
    std::vector<Bytes> held;
    const auto toModule = host.onSendLong;
    host.onSendLong = [&](std::span<const Byte> m) {
      const bool hold = cancel ? m[roland::PosCommand] == roland::CommandRQ1 : isTempRequest(m, address::partBlock(4));
      if (!hold) return toModule(m);
      held.emplace_back(m.begin(), m.end());
      if (cancel && held.size() == 1)
        QTimer::singleShot(0, [&] { p.windows->progressDialog->findChild<QPushButton*>("Bcancel")->click(); });
    };
    host.onShowInfo = nullptr;
    bool boxSeen = false;
    PerformanceRecord atTheEnd;
    onNextDialog<QMessageBox>([&](QMessageBox* box) {
      atTheEnd = p.ctx().store.TempPerformance;
      const int heard = p.ctx().incoming.SysexInCount;
      for (const Bytes& request : held) toModule(request);
      QTRY_COMPARE(p.ctx().incoming.SysexInCount, heard + static_cast<int>(held.size()));
      boxSeen = true;
      box->accept();
    });
    p.main().getTemp();
    QVERIFY(boxSeen && !held.empty());
    QCOMPARE(p.ctx().store.TempPerformance, atTheEnd);
    if (cancel) QCOMPARE(p.ctx().store.TempPerformance, p.ctx().store.PerformanceList[0]);
  }

  // A Get Temp that lost an answer, after a list whose 6th entry was chosen:
  // Send Temp must not send the partial performance as whole.
  void aPartialTempIsNotSentAsWhole() {
    Program p;
    p.main().openPath(userBank(p, 8));
    p.main().selectCell(0, 5);
    AppHost& host = p.ctx().host;
    host.onSendLong = [out = host.onSendLong](std::span<const Byte> m) {
      if (!isTempRequest(m, address::partBlock(4))) out(m);
    };
    p.main().getTemp();
    QVERIFY(p.ctx().store.FromTemp && !p.ctx().store.ListInfo[0].complete);
    p.sent.clear();
    p.t.infos.clear();
    p.main().sendTemp();
    QCOMPARE(p.count(roland::CommandDT1), 0);
    QCOMPARE(p.t.infos.size(), std::size_t{1});
    QVERIFY2(p.t.infos[0].find("incomplete") != std::string::npos, p.t.infos[0].c_str());
  }

  // Get Temp lost part 5, then a performance of the library is auditioned: Undo
  // must not send the zeros standing in for the part that never arrived.
  void undoOfAnAuditionSendsNoBlockThatNeverArrived() {
    Program p;
    AppHost& host = p.ctx().host;
    host.onSendLong = [out = host.onSendLong](std::span<const Byte> m) {
      if (!isTempRequest(m, address::partBlock(4))) out(m);
    };
    p.main().getTemp();
    QVERIFY(!p.ctx().store.ListInfo[0].complete);
    QVERIFY(p.main().auditionPerformance(demoPerformance(3)));
    p.sent.clear();
    p.ctx().history.undo();
    for (const Bytes& m : p.sent)
      QVERIFY(m[roland::PosCommand] != roland::CommandDT1 || m[roland::PosAddress + 2] != address::partBlock(4));
  }

  // A file's Temporary Performance, edited and not saved: the module never held
  // the file's performance, so Get Temp asks before it replaces it.
  void getTempAsksBeforeItReplacesAnEditedFile() {
    Program p;
    const QString path = p.t.path(QStringLiteral("temp.syx"));
    testing::writeBytes(path, testing::bankBytes(address::AreaTemporary, 1));
    p.main().openPath(path);
    const int edited = p.ctx().store.TempPerformance.parts[2][part::Level] == 87 ? 86 : 87;
    QVERIFY(p.ctx().edit.set(param::PartLevel, 2, edited, SendGuard::Updating));
    int asked = 0;
    p.main().askUnsavedChanges = [&](const QString&) { return ++asked, int(QMessageBox::Cancel); };
    p.main().getTemp();
    QCOMPARE(asked, 1);
    QCOMPARE(int(p.ctx().store.TempPerformance.parts[2][part::Level]), edited);
  }

  // A file's Temporary Performance with parts missing is saved only after the
  // save dialog said so, whatever the last Get Temp brought.
  void anIncompleteTempFromAFileIsNotSavedAsWhole() {
    Program p;
    Bytes bytes = testing::bankBytes(address::AreaTemporary, 1);
    // Common and parts 1..8: the last eight messages are cut off.
    int messages = 0;
    const auto cut = std::find_if(bytes.begin(), bytes.end(), [&](Byte b) { return b == 0xF7 && ++messages == 9; });
    bytes.erase(cut + 1, bytes.end());
    const QString path = p.t.path(QStringLiteral("temp.syx"));
    testing::writeBytes(path, bytes);
    p.main().openPath(path);
    QVERIFY(p.ctx().store.FromTemp && !p.ctx().store.ListInfo[0].complete);
    bool fileChosen = false;
    p.main().chooseSaveFile = [&](const QString&) {
      fileChosen = true;
      return QString();
    };
    QString warning;
    onNextDialog<SaveChoiceDialog>([&](SaveChoiceDialog* d) {
      warning = d->findChild<QLabel*>(QStringLiteral("LAttention"))->text();
      d->findChild<QPushButton*>(QStringLiteral("Bcancel"))->click();
    });
    p.main().saveFile();
    QVERIFY(!fileChosen);
    QVERIFY2(warning.contains(QStringLiteral("incomplete")), qPrintable(warning));
  }
};

QTEST_MAIN(FetchOutcomeTest)
#include "fetch_outcome_test.moc"
