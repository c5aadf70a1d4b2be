#include "engine/syx_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/midi_file.h"
#include "test_builders.h"

namespace quillon {
namespace {

using testing::append;
using testing::onePerformanceFile;
using testing::patternPerformance;

// The bytes a file carries of a performance (checksums and F7 aside).
void expectSameData(const PerformanceRecord& read, const PerformanceRecord& written, BlockSizes sizes) {
  for (int k = 0; k < sizes.commonLength(); ++k) ASSERT_EQ(read.common[k], written.common[k]) << "common " << k;
  for (int p = 0; p < address::PartCount; ++p)
    for (int k = 0; k < sizes.partLength(); ++k) ASSERT_EQ(read.parts[p][k], written.parts[p][k]) << p << "/" << k;
}

Bytes userBank(int count, BlockSizes sizes) {
  Bytes file;
  for (int i = 0; i < count; ++i)
    append(file, onePerformanceFile(address::AreaUserPerformance, i, patternPerformance(i, "Bank " + std::to_string(i)),
                                    sizes));
  return file;
}

TEST(SyxReader, OneTemporaryPerformanceFillsCellOneAndSetsFromTemp) {
  const auto perf = patternPerformance(1, "Temp Perf");
  PerformanceStore store;
  const auto report = readSyxIntoStore(store, onePerformanceFile(address::AreaTemporary, 0, perf, StandardBlockSizes));
  EXPECT_EQ(report.count, 1);
  EXPECT_EQ(store.PerformanceCount, 1);
  EXPECT_TRUE(store.FromTemp);
  EXPECT_FALSE(store.FromUser);
  EXPECT_FALSE(store.NoPerformance);
  EXPECT_TRUE(store.ListLoaded);
  EXPECT_FALSE(store.Updating);
  EXPECT_EQ(performanceName(store.PerformanceList[0].common), "Temp Perf   ");
  EXPECT_EQ(store.ListInfo[0].kind, PerformanceKind::Temp);
  EXPECT_EQ(report.doneStatus, "Done, Performances Found = 1");
  expectSameData(store.PerformanceList[0], perf, StandardBlockSizes);
  expectSameData(store.TempPerformance, perf, StandardBlockSizes);
}

TEST(SyxReader, FullBanksOfBothSizesReadBackByteForByte) {
  for (const BlockSizes sizes : {StandardBlockSizes, JV2080BlockSizes}) {
    PerformanceStore store;
    const Bytes file = userBank(32, sizes);
    EXPECT_EQ(file.size(), 32u * (sizes == JV2080BlockSizes ? 671u : 555u));
    const auto report = readSyxIntoStore(store, file);
    ASSERT_EQ(report.count, 32);
    EXPECT_TRUE(store.FromUser);
    for (int i = 0; i < 32; ++i) {
      EXPECT_EQ(store.ListInfo[i].fileNumber, i);
      EXPECT_TRUE(store.ListInfo[i].complete);
      expectSameData(store.PerformanceList[i], patternPerformance(i, "Bank " + std::to_string(i)), sizes);
    }
    // The edited performance is the one parsed last.
    expectSameData(store.TempPerformance, patternPerformance(31, "Bank 31"), sizes);
  }
}

TEST(SyxReader, ChecksumAndEndByteOfSmallBlocksAreNotKeptAsData) {
  PerformanceStore store;
  store.TempPerformance.common[65] = 0x33;  // past the message: keeps what it held
  const auto perf = patternPerformance(2, "Small");
  const Bytes file = onePerformanceFile(address::AreaCardPerformance, 0, perf, StandardBlockSizes);
  readSyxIntoStore(store, file);
  EXPECT_EQ(store.PerformanceList[0].common[64], 0);
  EXPECT_EQ(store.PerformanceList[0].common[65], 0x33);
  for (int p = 0; p < address::PartCount; ++p) {
    EXPECT_EQ(store.PerformanceList[0].parts[p][19], 0) << p;
    EXPECT_EQ(store.PerformanceList[0].parts[p][20], 0) << p;
  }
  EXPECT_TRUE(store.FromCard);
  // Sent with the JV-2080 sizes, no data byte leaves the 7-bit range.
  const Bytes wire = performanceMessages(address::AreaTemporary, 0, store.PerformanceList[0], JV2080BlockSizes);
  EXPECT_EQ(std::count(wire.begin(), wire.end(), midi_byte::SysexEnd), 17);
  EXPECT_EQ(std::count_if(wire.begin(), wire.end(), [](Byte b) { return b >= 0x80; }), 2 * 17);
}

TEST(SyxReader, EntriesFollowFileOrderAndKeepTheirOwnNumbersAndOffsets) {
  // A single User performance numbered 5, then a Temporary one, then number 5 again.
  Bytes file;
  append(file, onePerformanceFile(address::AreaUserPerformance, 5, patternPerformance(5, "Five"), StandardBlockSizes));
  append(file, onePerformanceFile(address::AreaTemporary, 0, patternPerformance(9, "Temp"), JV2080BlockSizes));
  append(file,
         onePerformanceFile(address::AreaUserPerformance, 5, patternPerformance(6, "Five again"), StandardBlockSizes));
  PerformanceStore store;
  const auto report = readSyxIntoStore(store, file);
  ASSERT_EQ(report.count, 3);
  EXPECT_EQ(performanceName(store.PerformanceList[0].common), "Five        ");
  EXPECT_EQ(performanceName(store.PerformanceList[1].common), "Temp        ");
  EXPECT_EQ(performanceName(store.PerformanceList[2].common), "Five again  ");
  EXPECT_EQ(store.ListInfo[0].fileNumber, 5);
  EXPECT_EQ(store.ListInfo[1].kind, PerformanceKind::Temp);
  EXPECT_EQ(store.ListInfo[1].fileOffset, 555);
  EXPECT_EQ(store.ListInfo[2].fileOffset, 555 + 671);
  expectSameData(store.PerformanceList[1], patternPerformance(9, "Temp"), JV2080BlockSizes);
  expectSameData(store.PerformanceList[2], patternPerformance(6, "Five again"), StandardBlockSizes);
  EXPECT_TRUE(store.FromTemp && store.FromUser);
}

TEST(SyxReader, MoreThan32HeadersKeepTheFirst32) {
  Bytes file = userBank(32, StandardBlockSizes);
  append(file,
         onePerformanceFile(address::AreaCardPerformance, 0, patternPerformance(40, "Extra"), StandardBlockSizes));
  PerformanceStore store;
  const auto report = readSyxIntoStore(store, file);
  EXPECT_EQ(report.count, 32);
  EXPECT_EQ(report.scan.performanceHeaders, 33);
  EXPECT_FALSE(store.FromCard);
}

TEST(SyxReader, PatchesAndRhythmSetsAreReportedAndSkipped) {
  Bytes file;
  append(file, testing::patchBlock(address::AreaUserPatch, 3, "My Patch"));
  append(file, testing::patchBlock(address::AreaCardPatch, 0x7F, "Last Patch"));
  PerformanceStore store;
  const auto report = readSyxIntoStore(store, file);
  EXPECT_TRUE(report.nothingFound);
  EXPECT_EQ(report.count, 0);
  EXPECT_TRUE(store.NoPerformance);
  EXPECT_FALSE(store.ListLoaded);
  ASSERT_EQ(report.scan.patches.size(), 2u);
  EXPECT_EQ(report.scan.statusLines[0], "patch 3,  offset 0");
  EXPECT_EQ(report.scan.statusLines[1], "patch 127,  offset 643");

  Bytes rhythm = buildDT1(0x10, {address::AreaUserPerformance, 0x40, 0, 0}, Bytes(12, 'R'));
  append(rhythm,
         onePerformanceFile(address::AreaUserPerformance, 0, patternPerformance(0, "After"), StandardBlockSizes));
  const auto r2 = readSyxIntoStore(store, rhythm);
  ASSERT_EQ(r2.scan.rhythmSets.size(), 1u);
  EXPECT_EQ(r2.scan.statusLines[0], "rhythm RRRRRRRRRRRR offset 0");
  // The rhythm skip of 4421 bytes jumps over the performance that follows this short message.
  EXPECT_EQ(r2.count, 0);
}

TEST(SyxReader, NearMissHeadersArePassedOverWithoutSkipping) {
  Bytes file;
  for (Byte n : {Byte{0x3A}, Byte{0x3F}, Byte{0x42}})
    append(file, buildDT1(0x10, {address::AreaUserPerformance, n, 0, 0}, Bytes(12, 'x')));
  // A short mode message right before the performance must not hide it.
  append(file, buildDT1(0x10, {address::AreaSystem, 0, 0, 0}, Bytes(1, 1)));
  append(file, Bytes{'t', 'e', 'x', 't', 0x00, 0xF7, 0x55});
  append(file, onePerformanceFile(address::AreaUserPerformance, 0, patternPerformance(3, "Found"), StandardBlockSizes));
  PerformanceStore store;
  const auto report = readSyxIntoStore(store, file);
  ASSERT_EQ(report.count, 1);
  EXPECT_EQ(performanceName(store.PerformanceList[0].common), "Found       ");
  EXPECT_TRUE(report.scan.rhythmSets.empty());
}

TEST(SyxReader, TruncatedPerformanceLeavesMissingPartsZeroedAndSaysSo) {
  const auto perf = patternPerformance(4, "Cut short");
  const Bytes whole = onePerformanceFile(address::AreaUserPerformance, 0, perf, StandardBlockSizes);
  const Bytes cut(whole.begin(), whole.begin() + 75 + 30 * 5 + 3);  // parts 1..5 and a sliver of 6
  PerformanceStore store;
  const auto report = readSyxIntoStore(store, cut);
  ASSERT_EQ(report.count, 1);
  EXPECT_EQ(report.incomplete, 1);
  EXPECT_FALSE(store.ListInfo[0].complete);
  EXPECT_NE(report.doneStatus.find("incomplete"), std::string::npos);
  for (int p = 0; p < 5; ++p) EXPECT_EQ(store.PerformanceList[0].parts[p][part::Level], perf.parts[p][part::Level]);
  for (int p = 6; p < 16; ++p)
    for (int k = 0; k < PartBytesKept; ++k) ASSERT_EQ(store.PerformanceList[0].parts[p][k], 0) << p;
}

// A message holding a byte of 80h or more is not taken; the list written back carries none.
TEST(SyxReader, AMessageHoldingAByteOf80hOrMoreCountsAsMissing) {
  const auto perf = patternPerformance(5, "High byte");
  Bytes file = onePerformanceFile(address::AreaUserPerformance, 0, perf, StandardBlockSizes);
  append(file, file);
  file[75 + 2 * 30 + roland::PosData + part::Level] = 0x90;  // part 3 of the first
  file[555 + roland::PosData + 20] = 0xC5;                   // the second's common block
  PerformanceStore store;
  const auto report = readSyxIntoStore(store, file);
  EXPECT_EQ(report.incomplete, 2);
  EXPECT_EQ(store.ListInfo[1].problem, "the common block holds the byte C5h");
  EXPECT_NE(report.doneStatus.find("(performance 1: part 3 holds the byte 90h)"), std::string::npos);
  EXPECT_EQ(store.PerformanceList[0].parts[2], PerfPartRecord{});
  EXPECT_EQ(store.PerformanceList[0].parts[3][part::Level], perf.parts[3][part::Level]);
  EXPECT_EQ(store.PerformanceList[1].common, PerfCommonRecord{});
  const Bytes written = listSyxBytes(store, JV2080BlockSizes);
  EXPECT_EQ(std::count_if(written.begin(), written.end(), [](Byte b) { return !isDataByte(b); }), 2 * 17 * 2);
}

TEST(SyxReader, BlankedNamesAndGridStateBeforeEachRead) {
  PerformanceStore store;
  readSyxIntoStore(store, userBank(4, StandardBlockSizes));
  readSyxIntoStore(store, userBank(2, StandardBlockSizes));
  EXPECT_EQ(store.PerformanceCount, 2);
  EXPECT_EQ(performanceName(store.PerformanceList[2].common), std::string(12, ' '));
}

TEST(SyxReader, ProgressIsReportedSparingly) {
  const Bytes file(1 << 20, 0x00);
  int calls = 0;
  std::size_t last = 0;
  scanSyx(file, [&](std::size_t done, std::size_t total) {
    ++calls;
    EXPECT_EQ(total, file.size());
    EXPECT_GE(done, last);
    last = done;
  });
  EXPECT_GE(calls, 1);
  EXPECT_LE(calls, static_cast<int>(file.size() / syx::ProgressStep) + 2);
  EXPECT_EQ(last, file.size());
}

class SyxFiles : public ::testing::Test {
 protected:
  std::filesystem::path dir = std::filesystem::temp_directory_path() /
                              ("quillon-reader-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                               "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
  void SetUp() override { std::filesystem::create_directories(dir); }
  void TearDown() override {
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
    std::filesystem::remove_all(dir);
  }
  std::string write(const std::string& name, const Bytes& bytes) {
    const auto path = (dir / name).string();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return path;
  }
};

TEST_F(SyxFiles, OpenFailuresLeaveTheStoreAsItWas) {
  PerformanceStore store;
  const auto good = write("bank.syx", userBank(3, StandardBlockSizes));
  ASSERT_TRUE(openSyxFile(store, good).ok());
  const PerformanceStore before = store;

  const auto missing = openSyxFile(store, (dir / "missing.syx").string());
  EXPECT_FALSE(missing.ok());
  EXPECT_NE(missing.error.find("missing.syx"), std::string::npos);
  const auto folder = openSyxFile(store, dir.string());
  EXPECT_NE(folder.error.find("folder"), std::string::npos);

  EXPECT_EQ(store.CurrentFileName, before.CurrentFileName);
  EXPECT_EQ(store.PerformanceCount, 3);
  EXPECT_EQ(store.PerformanceList[1], before.PerformanceList[1]);
}

TEST_F(SyxFiles, UnreadableFileGivesAClearMessage) {
  const auto path = write("locked.syx", userBank(1, StandardBlockSizes));
  std::filesystem::permissions(path, std::filesystem::perms::none);
  if (std::ifstream(path).good()) GTEST_SKIP() << "running with rights that read any file (root)";
  PerformanceStore store;
  const auto result = openSyxFile(store, path);
  EXPECT_FALSE(result.ok());
  EXPECT_NE(result.error.find("locked.syx"), std::string::npos);
}

TEST_F(SyxFiles, OpenClearsEverySourceFlagBeforeReading) {
  PerformanceStore store;
  store.FromTemp = true;  // left from an earlier fetch of the Temporary Performance
  const auto path = write("user.syx", userBank(2, StandardBlockSizes));
  ASSERT_TRUE(openSyxFile(store, path).ok());
  EXPECT_FALSE(store.FromTemp);
  EXPECT_TRUE(store.FromUser);
  EXPECT_EQ(store.CurrentFileName, path);
}

TEST_F(SyxFiles, LoadPerformanceFromFileReparsesOneEntry) {
  PerformanceStore store;
  const auto path = write("bank.syx", userBank(5, JV2080BlockSizes));
  ASSERT_TRUE(openSyxFile(store, path).ok());
  store.PerformanceList[2].parts[3].fill(0);
  EXPECT_EQ(loadPerformanceFromFile(store, 2), "");
  expectSameData(store.PerformanceList[2], patternPerformance(2, "Bank 2"), JV2080BlockSizes);
  expectSameData(store.TempPerformance, patternPerformance(2, "Bank 2"), JV2080BlockSizes);
  EXPECT_NE(loadPerformanceFromFile(store, 7), "");
  store.CurrentFileName.clear();
  EXPECT_EQ(loadPerformanceFromFile(store, 0), "No Performance, Select file first");
}

TEST_F(SyxFiles, AMidiFileIsReadThroughItsSysexStream) {
  PerformanceStore store;
  const auto opened = openSyxFile(store, write("bank.mid", midiFileBytes(userBank(6, JV2080BlockSizes), 40)));
  ASSERT_TRUE(opened.ok()) << opened.error;
  EXPECT_EQ(opened.note, "MIDI file: 102 SysEx messages from 1 track");
  store.PerformanceList[4].parts[2].fill(0);
  EXPECT_EQ(loadPerformanceFromFile(store, 4), "");  // offsets count in the file's SysEx
  expectSameData(store.PerformanceList[4], patternPerformance(4, "Bank 4"), JV2080BlockSizes);
}

}  // namespace
}  // namespace quillon
