// Thousands of generated inputs through the reader: random bytes, truncations
// and mutations of valid files. Nothing may crash, and the results keep their
// invariants; the sanitizer build catches any access outside a record.

#include <gtest/gtest.h>

#include <random>

#include "engine/syx_reader.h"
#include "store_checks.h"
#include "test_builders.h"

namespace quillon {
namespace {

Bytes sampleFile(std::mt19937& rng) {
  Bytes file;
  std::uniform_int_distribution<int> pick(0, 3);
  const int blocks = 1 + pick(rng);
  for (int b = 0; b < blocks; ++b) {
    const auto sizes = pick(rng) % 2 ? StandardBlockSizes : JV2080BlockSizes;
    switch (pick(rng)) {
      case 0: testing::append(file, testing::patchBlock(address::AreaUserPatch, b, "Patch")); break;
      case 1:
        testing::append(
            file, testing::onePerformanceFile(address::AreaTemporary, 0, testing::patternPerformance(b, "T"), sizes));
        break;
      default:
        testing::append(file, testing::onePerformanceFile(address::AreaUserPerformance, b * 7 % 32,
                                                          testing::patternPerformance(b, "U"), sizes));
    }
  }
  return file;
}

Bytes mutate(Bytes file, std::mt19937& rng) {
  std::uniform_int_distribution<int> byte(0, 255);
  const int edits = 1 + byte(rng) % 8;
  for (int e = 0; e < edits && !file.empty(); ++e) {
    const std::size_t at = std::uniform_int_distribution<std::size_t>(0, file.size() - 1)(rng);
    switch (byte(rng) % 4) {
      case 0: file[at] = static_cast<Byte>(byte(rng)); break;
      case 1: file[at] = midi_byte::SysexStart; break;
      case 2: file[at] = midi_byte::SysexEnd; break;
      default: file.erase(file.begin() + static_cast<std::ptrdiff_t>(at));
    }
  }
  return file;
}

TEST(SyxFuzz, GeneratedInputsNeverBreakTheReader) {
  std::mt19937 rng(20261208);
  std::uniform_int_distribution<int> kind(0, 2);
  std::uniform_int_distribution<int> len(0, 3000);
  std::uniform_int_distribution<int> byte(0, 255);
  constexpr int Inputs = 5000;  // fuzz/ goes on from here for as long as asked
  PerformanceStore store;       // reused, as one program reads file after file
  int withPerformances = 0;
  for (int n = 0; n < Inputs; ++n) {
    Bytes input;
    switch (kind(rng)) {
      case 0: {
        input.resize(static_cast<std::size_t>(len(rng)));
        for (auto& b : input) b = static_cast<Byte>(byte(rng) < 40 ? midi_byte::SysexStart : byte(rng));
        break;
      }
      case 1: {
        input = sampleFile(rng);
        input.resize(std::uniform_int_distribution<std::size_t>(0, input.size())(rng));
        break;
      }
      default: input = mutate(sampleFile(rng), rng);
    }
    SyxReadReport report;
    ASSERT_EQ(testing::checkedSyxRead(store, input, report), "");
    if (report.count > 0) ++withPerformances;
  }
  // The generator must reach the parser, not only the scanner.
  EXPECT_GT(withPerformances, Inputs / 4);
}

TEST(SyxFuzz, TruncationAtEveryPositionOfAPerformance) {
  const Bytes whole = testing::onePerformanceFile(address::AreaUserPerformance, 0,
                                                  testing::patternPerformance(3, "Whole"), JV2080BlockSizes);
  PerformanceStore store;
  for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
    const Bytes part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
    SyxReadReport report;
    ASSERT_EQ(testing::checkedSyxRead(store, part, report), "");
    // A header counts once its address is complete; a cut-off part is never taken for another performance.
    EXPECT_EQ(report.count, cut >= roland::HeaderLength ? 1 : 0) << "cut at " << cut;
  }
  const Bytes lone{midi_byte::SysexStart};
  SyxReadReport report;
  EXPECT_EQ(testing::checkedSyxRead(store, lone, report), "");
}

TEST(SyxFuzz, LargeFillerIsScannedWithoutFindingAnything) {
  const Bytes filler(100u << 20, 0x55);  // 100 MB
  PerformanceStore store;
  const auto report = readSyxIntoStore(store, filler);
  EXPECT_TRUE(report.nothingFound);
  EXPECT_TRUE(report.scan.statusLines.empty());
}

}  // namespace
}  // namespace quillon
