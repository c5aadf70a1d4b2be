#pragma once
// A temporary folder, the demo bank written as a real dump file into it, and
// the shipped name lists resolving patch names as the program does.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/demo_performances.h"
#include "engine/syx_writer.h"
#include "library/library_import.h"
#include "settings/names/patch_evaluation.h"

namespace quillon::library::testing {

namespace fs = std::filesystem;

class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("quillon-library-" + std::to_string(::getpid()) + "-" +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
    names.LoadPatchNames(QUILLON_DATA_DIR, ExpansionChoices{});
    options.namer = [this](const PerfPartRecord& part, int index) { return partSoundName(part, index, names); };
  }
  void TearDown() override { fs::remove_all(folder); }

  std::string dbPath() const { return (folder / LibraryFileName).string(); }

  // The demo bank as the program saves it; `count` first performances.
  std::string writeDemoBank(const fs::path& path, int count = DemoPerformanceCount) const {
    PerformanceStore store;
    for (int i = 0; i < count; ++i) store.PerformanceList[i] = demoPerformance(i);
    store.PerformanceCount = count;
    store.FromUser = true;
    fs::create_directories(path.parent_path());
    EXPECT_EQ(writeFileAtomically(path.string(), listSyxBytes(store, StandardBlockSizes)), "");
    return path.string();
  }

  ImportReport import(LibraryStore& store, const std::vector<std::string>& paths) const {
    return importPaths(store, paths, options);
  }

  fs::path folder;
  PatchNameLibrary names;
  ImportOptions options;
};

}  // namespace quillon::library::testing
