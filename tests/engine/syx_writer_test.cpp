#include "engine/syx_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "engine/syx_reader.h"
#include "test_builders.h"

namespace quillon {
namespace {

TEST(SyxWriter, MessageLayoutAndChecksumsOfZeroData) {
  const Bytes temp = performanceMessages(address::AreaTemporary, 0, PerformanceRecord{}, StandardBlockSizes);
  ASSERT_EQ(temp.size(), 555u);
  EXPECT_EQ(Bytes(temp.begin(), temp.begin() + 9), (Bytes{0xF0, 0x41, 0x10, 0x6A, 0x12, 0x01, 0x00, 0x00, 0x00}));
  EXPECT_EQ(temp[9 + 64], 0x7F);  // 128 - 1
  EXPECT_EQ(temp[10 + 64], 0xF7);
  EXPECT_EQ(temp[75 + 7], 0x10);  // part 1's block byte

  const Bytes user = performanceMessages(address::AreaUserPerformance, 0, PerformanceRecord{}, StandardBlockSizes);
  EXPECT_EQ(user[9 + 64], 0x70);  // 128 - 16

  EXPECT_EQ(performanceMessages(address::AreaUserPerformance, 0, PerformanceRecord{}, JV2080BlockSizes).size(), 671u);
}

TEST(SyxWriter, AreaFollowsTheListSource) {
  PerformanceStore store;
  EXPECT_EQ(fileAreaFor(store), address::AreaTemporary);
  store.FromCard = true;
  EXPECT_EQ(fileAreaFor(store), address::AreaCardPerformance);
  store.FromUser = true;
  EXPECT_EQ(fileAreaFor(store), address::AreaUserPerformance);
  store.FromTemp = true;
  EXPECT_EQ(fileAreaFor(store), address::AreaTemporary);
}

TEST(SyxWriter, TempFileHoldsOnePerformanceWhateverTheListLength) {
  PerformanceStore store;
  store.PerformanceCount = 5;
  store.FromTemp = true;
  store.TempPerformance = testing::patternPerformance(1, "Edited");
  const Bytes file = tempSyxBytes(store, StandardBlockSizes);
  ASSERT_EQ(file.size(), 555u);
  EXPECT_EQ(file[6], 0);
}

TEST(SyxWriter, ListFileReadsBackToTheSameNamesAndBytes) {
  for (const BlockSizes sizes : {StandardBlockSizes, JV2080BlockSizes}) {
    PerformanceStore store;
    store.FromUser = true;
    store.PerformanceCount = 32;
    for (int i = 0; i < 32; ++i) store.PerformanceList[i] = testing::patternPerformance(i, "P" + std::to_string(i));
    const Bytes file = listSyxBytes(store, sizes);
    PerformanceStore back;
    ASSERT_EQ(readSyxIntoStore(back, file).count, 32);
    for (int i = 0; i < 32; ++i) {
      EXPECT_EQ(back.ListInfo[i].kind, PerformanceKind::User);
      for (int k = 0; k < sizes.commonLength(); ++k)
        ASSERT_EQ(back.PerformanceList[i].common[k], store.PerformanceList[i].common[k]);
      for (int p = 0; p < 16; ++p)
        for (int k = 0; k < sizes.partLength(); ++k)
          ASSERT_EQ(back.PerformanceList[i].parts[p][k], store.PerformanceList[i].parts[p][k]);
    }
  }
  PerformanceStore empty;
  EXPECT_TRUE(listSyxBytes(empty, StandardBlockSizes).empty());
}

TEST(SyxWriter, ExtensionIsAddedUnlessItIsSyxInAnyCase) {
  EXPECT_EQ(withSyxExtension("bank.syx"), "bank.syx");
  EXPECT_EQ(withSyxExtension("BANK.SYX"), "BANK.SYX");
  EXPECT_EQ(withSyxExtension("bank.prf"), "bank.prf.syx");
  EXPECT_EQ(withSyxExtension("dir.syx/bank"), "dir.syx/bank.syx");
}

class AtomicWrite : public ::testing::Test {
 protected:
  // ctest runs these tests side by side in separate processes: one folder each.
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("quillon-writer-" + std::to_string(::getpid()) + "-" +
                                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
  void SetUp() override { std::filesystem::create_directories(dir); }
  void TearDown() override {
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
    std::filesystem::remove_all(dir);
  }
};

TEST_F(AtomicWrite, ReplacesTheWholeFileAndLeavesNoTemporaryBehind) {
  namespace fs = std::filesystem;
  const std::string path = (dir / "bank.syx").string();
  ASSERT_EQ(writeFileAtomically(path, Bytes{1, 2, 3}), "");
  ASSERT_EQ(writeFileAtomically(path, Bytes{4, 5, 6, 7}), "");
  EXPECT_EQ(fs::file_size(path), 4u);
  EXPECT_NE(writeFileAtomically((dir / "no" / "such.syx").string(), Bytes{1}), "");
  for (const auto& e : fs::directory_iterator(dir)) EXPECT_EQ(e.path().filename(), "bank.syx") << "stray temp file";
}

TEST_F(AtomicWrite, AFolderThatRefusesWritesKeepsTheOldFile) {
  namespace fs = std::filesystem;
  const std::string path = (dir / "bank.syx").string();
  ASSERT_EQ(writeFileAtomically(path, Bytes{4, 5, 6, 7}), "");
  fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
  if (std::ofstream((dir / "probe").string()).good()) {
    fs::remove(dir / "probe");
    GTEST_SKIP() << "running with rights that write into a read-only folder (root); see the /proc case";
  }
  const std::string error = writeFileAtomically(path, Bytes{1});
  EXPECT_NE(error.find(path), std::string::npos);
  EXPECT_EQ(fs::file_size(path), 4u);
}

TEST(AtomicWriteOnLinux, AFileSystemThatRefusesNewFilesKeepsTheOldFile) {
  // /proc takes no new files, not even from root.
  const std::string path = "/proc/version";
  std::ifstream before(path);
  const std::string old((std::istreambuf_iterator<char>(before)), {});
  if (old.empty()) GTEST_SKIP() << "no /proc on this system";
  const std::string error = writeFileAtomically(path, Bytes{'x'});
  EXPECT_NE(error.find(path), std::string::npos);
  std::ifstream after(path);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(after)), {}), old);
}

}  // namespace
}  // namespace quillon
