// The program reads a Standard MIDI File wherever it reads a .syx dump, and
// saves one when the name asks for it.

#include <QTest>

#include "engine/demo_performances.h"
#include "engine/midi_file.h"
#include "engine/temp_transfer.h"
#include "program_fixture.h"

using namespace quillon;
using testing::Program;

namespace {
Bytes readAll(const QString& path) { return readFileBytes(path.toStdString()).bytes; }
}  // namespace

class DumpFilesTest : public QObject {
  Q_OBJECT
 private slots:
  // A file of several Temporary Performances (a list saved as Temp): Send Temp
  // sends the entry chosen in the grid, the first one after opening, and the
  // list keeps every entry as the file had it.
  void theChosenEntryOfATempFileIsTheOneSent() {
    Program p;
    const QString path = p.t.path(QStringLiteral("temps.syx"));
    testing::writeBytes(path, testing::bankBytes(address::AreaTemporary, 3));
    p.main().openPath(path);
    QCOMPARE(p.ctx().store.PerformanceCount, 3);
    PerformanceRecord& module = midi::virtualModuleBackend().module().temporary();
    module = demoPerformance(5);
    for (int entry : {0, 1}) {
      if (entry > 0) p.main().selectCell(0, entry);
      QVERIFY(p.main().sendTemp());
      QCOMPARE(differingTempBlocks(module, demoPerformance(entry), StandardBlockSizes), 0u);
      QCOMPARE(differingTempBlocks(p.ctx().store.PerformanceList[2], demoPerformance(2), StandardBlockSizes), 0u);
    }
  }

  void aMidiFileIsDroppedOpenedAndSavedAsOne() {
    Program p;
    const Bytes syx = testing::bankBytes(address::AreaCardPerformance, 5, JV2080BlockSizes);
    const QString mid = p.t.path(QStringLiteral("card bank.MID"));
    testing::writeBytes(mid, midiFileBytes(syx, 120));
    p.main().dropFile(mid);
    QTRY_VERIFY(!p.ctx().store.FileDropped);
    QCOMPARE(p.ctx().store.PerformanceCount, 5);
    QVERIFY(p.ctx().store.FromCard);
    QCOMPARE(p.main().statusPanel(0), QStringLiteral("Found : 5"));

    // Save offers the MIDI file's own name and writes a MIDI file, the messages SysDly apart.
    QString offered;
    const QString saved = p.t.path(QStringLiteral("saved.mid"));
    p.main().chooseSaveFile = [&](const QString& proposed) {
      offered = proposed;
      return saved;
    };
    p.ctx().engineSettings.sizes = JV2080BlockSizes;
    p.main().writeListSyx();
    QCOMPARE(offered, mid);
    QCOMPARE(readAll(saved), midiFileBytes(syx, p.ctx().settings.engine.sysDly));
    // Any other name is a .syx dump of the same messages.
    p.main().chooseSaveFile = [&](const QString&) { return p.t.path(QStringLiteral("saved")); };
    p.main().writeListSyx();
    QCOMPARE(readAll(p.t.path(QStringLiteral("saved.syx"))), syx);

    // A broken MIDI file says why and the list stays.
    Bytes cut = midiFileBytes(syx, 40);
    cut.resize(cut.size() / 2);
    testing::writeBytes(p.t.path(QStringLiteral("cut.mid")), cut);
    p.main().openPath(p.t.path(QStringLiteral("cut.mid")));
    QVERIFY2(p.t.infos.back().find("as a MIDI file: a chunk claims") != std::string::npos, p.t.infos.back().c_str());
    QCOMPARE(p.ctx().store.PerformanceCount, 5);
    QCOMPARE(QString::fromStdString(p.ctx().store.CurrentFileName), p.t.path(QStringLiteral("saved.syx")));
  }
};

QTEST_MAIN(DumpFilesTest)
#include "dump_files_test.moc"
