#include "engine/sysex.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "engine/performance.h"

namespace quillon {
namespace {

TEST(SysexMessages, DT1ToPartLevelMatchesTheDocumentedBytes) {
  const Byte level = 0x64;
  const Bytes msg = buildDT1(deviceByte(17), address::temporaryPart(0, part::Level), std::span(&level, 1));
  EXPECT_EQ(msg, (Bytes{0xF0, 0x41, 0x10, 0x6A, 0x12, 0x01, 0x00, 0x10, 0x06, 0x64, 0x05, 0xF7}));
}

TEST(SysexMessages, RQ1ForJV1080TemporaryCommon) {
  const Bytes msg = buildRQ1(deviceByte(17), address::temporaryCommon(), StandardBlockSizes.commonLength());
  EXPECT_EQ(msg, (Bytes{0xF0, 0x41, 0x10, 0x6A, 0x11, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x3F, 0xF7}));
  EXPECT_EQ(msg.size(), roland::RQ1Length);
}

TEST(SysexMessages, ChecksumIsZeroNot128WhenTheSumIsAMultipleOf128) {
  // 01 00 10 06 sums to 23; 105 more makes 128.
  const Byte data = 105;
  const Bytes msg = buildDT1(0x10, address::temporaryPart(0, part::Level), std::span(&data, 1));
  EXPECT_EQ(msg[msg.size() - 2], 0x00);
  EXPECT_EQ(rolandChecksum(std::vector<Byte>{0x40, 0x40}), 0x00);
  EXPECT_EQ(rolandChecksum(std::vector<Byte>{0x01}), 0x7F);
}

TEST(SysexMessages, DeviceByteFollowsUnitIdAndModelNeverChanges) {
  EXPECT_EQ(deviceByte(17), 0x10);
  EXPECT_EQ(deviceByte(32), 0x1F);
  for (int unit = roland::MinUnitId; unit <= roland::MaxUnitId; ++unit) {
    const Bytes msg = buildRQ1(deviceByte(unit), address::temporaryCommon(), JV2080BlockSizes.commonLength());
    EXPECT_EQ(msg[roland::PosDevice], unit - 1);
    EXPECT_EQ(msg[roland::PosModel], roland::ModelId);
  }
  EXPECT_FALSE(isValidUnitId(16));
  EXPECT_FALSE(isValidUnitId(33));
}

TEST(SysexMessages, WideValuesSplitIntoNibblesHighFirst) {
  EXPECT_EQ(splitNibbles(200).high, 0x0C);
  EXPECT_EQ(splitNibbles(200).low, 0x08);
  for (int v = 0; v <= 255; ++v) {
    const auto n = splitNibbles(v);
    EXPECT_LE(n.high, 0x0F);
    EXPECT_EQ(joinNibbles(n.high, n.low), v);
  }
}

TEST(SysexMessages, ModuleTypeSetsOnlyBlockLengths) {
  EXPECT_EQ(blockSizesFor(ModuleType::JV2080).commonLength(), 68);
  EXPECT_EQ(blockSizesFor(ModuleType::JV2080).partLength(), 26);
  for (auto t : {ModuleType::JV1010, ModuleType::JV1080, ModuleType::XP30, ModuleType::XP50, ModuleType::XP60,
                 ModuleType::XP80}) {
    EXPECT_EQ(blockSizesFor(t).commonLength(), 64);
    EXPECT_EQ(blockSizesFor(t).partLength(), 19);
  }
  EXPECT_TRUE(isValidBlockSizes(63, 18));
  EXPECT_TRUE(isValidBlockSizes(67, 25));
  EXPECT_FALSE(isValidBlockSizes(63, 25));
}

TEST(SysexMessages, ParseDT1AcceptsWhatBuildDT1MakesAndRejectsDamage) {
  const Bytes data{1, 2, 3, 0x7F};
  const Bytes msg = buildDT1(0x11, address::memoryPart(address::AreaUserPerformance, 5, 3), data);
  DT1Message parsed;
  ASSERT_EQ(parseDT1(msg, parsed), DT1Check::Ok);
  EXPECT_EQ(parsed.device, 0x11);
  EXPECT_EQ(parsed.address, address::memoryPart(address::AreaUserPerformance, 5, 3));
  EXPECT_EQ(Bytes(parsed.data.begin(), parsed.data.end()), data);

  Bytes badSum = msg;
  badSum[badSum.size() - 2] ^= 1;
  EXPECT_EQ(parseDT1(badSum, parsed), DT1Check::BadChecksum);
  Bytes rq1 = buildRQ1(0x10, address::temporaryCommon(), 0x40);
  EXPECT_EQ(parseDT1(rq1, parsed), DT1Check::NotDT1);
  Bytes otherModel = msg;
  otherModel[roland::PosModel] = 0x16;
  EXPECT_EQ(parseDT1(otherModel, parsed), DT1Check::NotRolandJV);
  EXPECT_EQ(parseDT1(Bytes(msg.begin(), msg.begin() + 8), parsed), DT1Check::TooShort);
  Bytes noEnd = msg;
  noEnd.back() = 0x00;
  EXPECT_EQ(parseDT1(noEnd, parsed), DT1Check::NoEnd);
}

// On the wire a byte of 80h or more is a status byte: it would end the message early.
TEST(SysexMessages, NoByteOf80hOrMoreIsBuiltOrParsedAsData) {
  EXPECT_THROW(buildDT1(0x10, address::temporaryPart(2), Bytes{0x10, 0x90}), std::invalid_argument);
  EXPECT_THROW(buildRQ1(0x90, address::temporaryPart(2), 0x13), std::invalid_argument);
  Bytes msg = buildDT1(0x10, address::temporaryPart(2), Bytes{0x10, 0x10});
  msg[roland::PosData + 1] = 0x90;
  msg[msg.size() - 2] = rolandChecksum(address::temporaryPart(2), Bytes{0x10, 0x90});  // even with its checksum
  DT1Message parsed;
  EXPECT_EQ(parseDT1(msg, parsed), DT1Check::NotSevenBit);
}

TEST(SysexMessages, DT1DataIsCutAtTheBuildBufferLimit) {
  const Bytes big(2000, 0x01);
  const Bytes msg = buildDT1(0x10, address::temporaryCommon(), big);
  EXPECT_EQ(msg.size(), roland::MaxDT1Length);
  DT1Message parsed;
  EXPECT_EQ(parseDT1(msg, parsed), DT1Check::Ok);
}

}  // namespace
}  // namespace quillon
