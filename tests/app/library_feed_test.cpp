// Files opened and saved, fetches and File > Import Folder feed the
// performance library in the data folder; the LibraryImport setting stops it.

#include <QTest>

#include "library/library_store.h"
#include "program_fixture.h"

using namespace quillon;
using testing::Program;

namespace {

library::Stats statsOf(Program& p) {
  library::LibraryStore store(p.main().libraryFeed().libraryPath().toStdString());
  return store.stats();
}

}  // namespace

class LibraryFeedTest : public QObject {
  Q_OBJECT
 private slots:
  void filesAndFetchesGoIntoTheLibrary() {
    Program p;
    const QString bank = p.t.path(QStringLiteral("bank.syx"));
    testing::writeBytes(bank, testing::bankBytes(address::AreaUserPerformance, 5));
    p.main().openPath(bank);
    QCOMPARE(statsOf(p).performances, 5);

    p.main().chooseSaveFile = [&](const QString&) { return p.t.path(QStringLiteral("copy.syx")); };
    QVERIFY(p.main().writeListSyx());
    auto s = statsOf(p);
    QCOMPARE(s.performances, 5);
    QCOMPARE(s.files, 2);

    p.main().getTemp();
    QCOMPARE(statsOf(p).fetches, 1);
    p.main().getBank(BankArea::User);
    QCOMPARE(statsOf(p).fetches, 1 + address::MemoryPerformanceCount);

    p.ctx().settings.setExtraValue(QString::fromLatin1(LibraryImportSetting), QStringLiteral("0"));
    const QString other = p.t.path(QStringLiteral("other.syx"));
    testing::writeBytes(other,
                        testing::bankBytes(address::AreaCardPerformance, 3, StandardBlockSizes,
                                           [](PerformanceRecord& r) { setPerformanceName(r.common, "Unseen"); }));
    p.main().openPath(other);
    QCOMPARE(statsOf(p).files, 2);
  }

  void importFolderNamesWhatItCannotTake() {
    Program p;
    QDir(p.t.dir.path()).mkpath(QStringLiteral("tree/sub"));
    testing::writeBytes(p.t.path(QStringLiteral("tree/sub/a.syx")),
                        testing::bankBytes(address::AreaUserPerformance, 4));
    testing::writeBytes(p.t.path(QStringLiteral("tree/broken.syx")), Bytes{0x01, 0x02});
    p.main().chooseImportFolder = [&] { return p.t.path(QStringLiteral("tree")); };
    p.main().importFolder();
    const std::string& summary = p.t.infos.back();
    QVERIFY2(summary.find("New to the library: 4") != std::string::npos, summary.c_str());
    QVERIFY2(summary.find("broken.syx: no performances found") != std::string::npos, summary.c_str());
    QCOMPARE(statsOf(p).performances, 4);
  }
};

QTEST_MAIN(LibraryFeedTest)
#include "library_feed_test.moc"
