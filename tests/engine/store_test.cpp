#include "engine/store.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(ShownValues, ConversionsAtTheirLimits) {
  EXPECT_EQ(shown::panToStored(-64), 0);
  EXPECT_EQ(shown::panToStored(63), 127);
  EXPECT_EQ(shown::coarseTuneToStored(-48), 0);
  EXPECT_EQ(shown::fineTuneToStored(50), 100);
  EXPECT_EQ(shown::channelToStored(16), 15);
  EXPECT_EQ(shown::channelFromStored(0), 1);
  for (int pan = -64; pan <= 63; ++pan) EXPECT_EQ(shown::panFromStored(shown::panToStored(pan)), pan);
}

TEST(ShownValues, TempoAndPatchNumberHalves) {
  PerfCommonRecord c{};
  shown::setTempo(c, 250);
  EXPECT_EQ(c[common::DefaultTempoHigh], 0x0F);
  EXPECT_EQ(c[common::DefaultTempoLow], 0x0A);
  shown::setTempo(c, 20);
  EXPECT_EQ(c[common::DefaultTempoHigh], 0x01);
  EXPECT_EQ(c[common::DefaultTempoLow], 0x04);
  EXPECT_EQ(shown::tempoOf(c), 20);
  PerfPartRecord p{};
  shown::setPatchNumber(p, 255);
  EXPECT_EQ(shown::patchNumberOf(p), 255);
}

TEST(PerformanceStore, EditedPartAddressing) {
  PerformanceStore store;
  store.EditedPart = 5;
  EXPECT_EQ(store.editedPart(), 5);
  EXPECT_EQ(store.editedPartBlock(), 0x15);
}

TEST(PerformanceStore, MirroringWritesTempAndSelectedEntryAndMarksUnsaved) {
  PerformanceStore store;
  store.SelectedIndex = 3;
  const Byte type = 7;
  ASSERT_TRUE(store.mirrorSentData(address::temporaryCommon(common::EfxType), std::span(&type, 1)));
  EXPECT_EQ(store.TempPerformance.common[common::EfxType], 7);
  EXPECT_EQ(store.PerformanceList[3].common[common::EfxType], 7);
  EXPECT_EQ(store.PerformanceList[0].common[common::EfxType], 0);
  EXPECT_TRUE(store.UnsavedChanges);

  const Bytes keys{10, 90};
  store.mirrorSentData(address::temporaryPart(15, part::KeyRangeLower), keys);
  EXPECT_EQ(store.TempPerformance.parts[15][part::KeyRangeLower], 10);
  EXPECT_EQ(store.PerformanceList[3].parts[15][part::KeyRangeUpper], 90);
}

TEST(PerformanceStore, MirroringIgnoresOtherAreasAndNeverWritesPastARecord) {
  PerformanceStore store;
  const Byte v = 1;
  EXPECT_FALSE(store.mirrorSentData(address::memoryCommon(address::AreaUserPerformance, 0), std::span(&v, 1)));
  EXPECT_FALSE(store.mirrorSentData(address::systemSwitches(), std::span(&v, 1)));
  EXPECT_FALSE(store.UnsavedChanges);

  const Bytes tooLong(10, 0x55);
  store.mirrorSentData(address::temporaryPart(2, part::LastOffset), tooLong);
  EXPECT_EQ(store.TempPerformance.parts[2][part::LastOffset], 0x55);
  EXPECT_EQ(store.TempPerformance.parts[3][0], 0);  // the neighbour is untouched

  store.SelectedIndex = 99;  // out of range: clamped, never outside the list
  store.mirrorSentData(address::temporaryCommon(common::LastOffset), tooLong);
  EXPECT_EQ(store.PerformanceList[PerformanceListSize - 1].common[common::LastOffset], 0x55);
}

TEST(PerformanceStore, JV1080OffsetsBeyondItsBlocksKeepTheirContents) {
  PerformanceStore store;
  store.TempPerformance.common[common::EfxSourceB] = 9;
  store.TempPerformance.parts[0][part::EfxFeed] = 2;
  const Bytes block(StandardBlockSizes.commonLength(), 0x11);
  store.mirrorSentData(address::temporaryCommon(), block);
  EXPECT_EQ(store.TempPerformance.common[common::EfxSourceB], 9);
  EXPECT_EQ(store.TempPerformance.parts[0][part::EfxFeed], 2);
}

TEST(PerformanceStore, ClearingKeepsListPartsAndZeroesTheRest) {
  PerformanceStore store;
  store.TempPerformance.common.fill(1);
  store.TempPerformance.parts[4].fill(1);
  store.PerformanceList[7].common.fill(1);
  store.PerformanceList[7].parts[0].fill(1);
  store.clearPerformanceData();
  EXPECT_EQ(store.TempPerformance.common, PerfCommonRecord{});
  EXPECT_EQ(store.TempPerformance.parts[4][PartBytesKept - 1], 0);
  EXPECT_EQ(store.TempPerformance.parts[4][part::Spare], 1);  // the spare byte is never part of the data
  EXPECT_EQ(store.PerformanceList[7].common, PerfCommonRecord{});
  EXPECT_EQ(store.PerformanceList[7].parts[0][0], 1);
}

TEST(PerformanceGrid, CellTextsAndPositions) {
  EXPECT_EQ(emptyGridCellText(0), " 1" + std::string(15, ' '));
  EXPECT_EQ(emptyGridCellText(31), " 32" + std::string(15, ' '));
  EXPECT_EQ(filledGridCellText(8, "Jazz Trio   "), " 9 = Jazz Trio   ");
  EXPECT_EQ(gridCellOf(0).column, 0);
  EXPECT_EQ(gridCellOf(8).column, 1);
  EXPECT_EQ(gridCellOf(8).row, 0);
  EXPECT_EQ(gridCellOf(31).column, 3);
  EXPECT_EQ(gridCellOf(31).row, 7);
}

TEST(PerformanceNames, SanitizedToPrintableAndPaddedToTwelve) {
  PerfCommonRecord c{};
  setPerformanceName(c, std::string("A\x01~\x7F") + "}");
  EXPECT_EQ(performanceName(c), "A   }       ");  // 126 (~) is outside the range too
  setPerformanceName(c, "a name longer than twelve");
  EXPECT_EQ(performanceName(c), "a name longe");
}

}  // namespace
}  // namespace quillon
