#include <sys/stat.h>

#include <fstream>

#include "library_fixture.h"

namespace quillon::library::testing {
namespace {

using Import = LibraryTest;

std::string reasonFor(const ImportReport& r, const fs::path& path) {
  for (const auto& p : r.problems)
    if (p.path == path.string()) return p.reason;
  return {};
}

TEST_F(Import, NamesEveryFileItCannotTakeAndGoesOn) {
  const fs::path tree = folder / "tree";
  writeDemoBank(tree / "banks" / "good.syx");
  writeDemoBank(tree / "banks" / "deeper" / "copy.syx");
  std::ofstream(tree / "empty.syx").close();
  std::ofstream(tree / "text.syx") << "just some words, no SysEx";
  std::ofstream(tree / "notes.txt") << "not a dump by its name";
  ASSERT_EQ(::mkfifo((tree / "pipe.syx").c_str(), 0600), 0);
  fs::create_directory_symlink("..", tree / "banks" / "up");
  fs::create_symlink("self.syx", tree / "self.syx");

  LibraryStore store(dbPath());
  int reports = 0;
  auto counted = options;
  counted.progress = [&](const ImportProgress&) { ++reports; };
  const auto r = importPaths(store, {tree.string()}, counted);

  EXPECT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(r.added, DemoPerformanceCount);
  EXPECT_EQ(r.known, DemoPerformanceCount);
  EXPECT_EQ(r.skipped, 1);
  EXPECT_EQ(reports, r.filesDone);
  EXPECT_EQ(reasonFor(r, tree / "empty.syx"), "no performances found");
  EXPECT_EQ(reasonFor(r, tree / "text.syx"), "no performances found");
  EXPECT_NE(reasonFor(r, tree / "pipe.syx").find("not a file"), std::string::npos) << reasonFor(r, tree / "pipe.syx");
  EXPECT_NE(reasonFor(r, tree / "banks" / "up").find("already walked"), std::string::npos);
  EXPECT_NE(reasonFor(r, tree / "self.syx"), "");
  EXPECT_EQ(r.problems.size(), 5u);
  EXPECT_EQ(store.stats().files, 2) << "the link back up walks no file twice";
}

TEST_F(Import, CancelKeepsWhatCameBefore) {
  const auto a = writeDemoBank(folder / "in" / "a.syx", 3);
  const auto b = writeDemoBank(folder / "in" / "b.syx");
  std::atomic<bool> cancel{false};
  auto cancelling = options;
  cancelling.cancel = &cancel;
  cancelling.progress = [&](const ImportProgress&) { cancel = true; };
  LibraryStore store(dbPath());
  const auto r = importPaths(store, {a, b}, cancelling);
  EXPECT_TRUE(r.cancelled);
  EXPECT_EQ(r.filesDone, 1);
  EXPECT_EQ(store.stats().performances, 3);
}

TEST_F(Import, TakesTheSysexOfAMidiFile) {
  const auto syx = writeDemoBank(folder / "bank.syx");
  std::ifstream in(syx, std::ios::binary);
  const Bytes bytes{std::istreambuf_iterator<char>(in), {}};
  const auto mid = (folder / "bank.mid").string();
  ASSERT_EQ(writeFileAtomically(mid, dumpFileBytes(mid, bytes, 0)), "");
  LibraryStore store(dbPath());
  EXPECT_EQ(import(store, {mid}).added, DemoPerformanceCount);
  EXPECT_EQ(import(store, {syx}).known, DemoPerformanceCount);
}

}  // namespace
}  // namespace quillon::library::testing
