// The parameter table against the record layout, and the one edit path.
#include <gtest/gtest.h>

#include <set>

#include "engine/editing/performance_edit.h"
#include "recording_host.h"

namespace quillon {
namespace {

TEST(ParameterTable, EveryRowLiesInsideItsRecordWithDistinctIds) {
  std::set<std::string_view> ids;
  for (const Parameter* p : allParameters()) {
    EXPECT_TRUE(ids.insert(p->id).second) << p->id;
    EXPECT_EQ(findParameter(p->id), p);
    const int last = p->offsetFor(address::PartCount - 1) + p->length() - 1;
    const int limit = p->block == ParamBlock::Part         ? part::LastOffset
                      : p->block == ParamBlock::Common     ? common::LastOffset
                      : p->block == ParamBlock::Controller ? midi_byte::DataMask
                                                           : address::SystemStoredBytes - 1;
    EXPECT_LE(last, limit) << p->id;
    // Both limits store as 7-bit data (or as two nibbles of one value).
    const int most = p->width == ParamWidth::TwoNibbles ? 0xFF : midi_byte::DataMask;
    EXPECT_GE(p->toStored(p->shownMin), 0) << p->id;
    EXPECT_LE(p->toStored(p->shownMax), most) << p->id;
    if (!p->texts.empty()) {
      EXPECT_EQ(static_cast<int>(p->texts.size()), p->shownMax - p->shownMin + 1) << p->id;
    }
  }
}

TEST(ParameterTable, ShownValuesStoreWithTheirBiasAndNibbles) {
  EXPECT_EQ(param::PartPan.toStored(-64), 0);
  EXPECT_EQ(param::PartPan.toStored(63), 127);
  EXPECT_EQ(param::PartPan.toStored(99), 127);  // clamped to the range
  EXPECT_EQ(param::PartCoarseTune.toStored(-48), 0);
  EXPECT_EQ(param::PartFineTune.toStored(50), 100);
  EXPECT_EQ(param::PartChannel.toStored(16), 15);
  EXPECT_EQ(param::EfxControlDepth1.toStored(-63), 0);
  EXPECT_EQ(param::EfxControlDepth1.toShown(0x7E), 63);
  const auto fast = encodeStored(param::DefaultTempo, 250);
  EXPECT_EQ(Bytes(fast.span().begin(), fast.span().end()), (Bytes{0x0F, 0x0A}));
  const auto slow = encodeStored(param::DefaultTempo, 20);
  EXPECT_EQ(Bytes(slow.span().begin(), slow.span().end()), (Bytes{0x01, 0x04}));
  EXPECT_EQ(param::VoiceReserve.addressFor(5), address::temporaryCommon(0x35));
  EXPECT_EQ(param::PartLevel.addressFor(5), address::temporaryPart(5, part::Level));
  EXPECT_EQ(param::SystemEfxSwitch.addressFor(0), (SysexAddress{0x00, 0x00, 0x00, 0x08}));
  const EfxTypeTable table;
  const auto slot = table.usedSlots(7).front();
  const Parameter p = efxSlotParameter(slot);
  EXPECT_EQ(p.offset, slot.offset());
  EXPECT_EQ(p.shownMax, slot.maxValue());
}

class EditPathTest : public ::testing::Test, public EditObserver {
 protected:
  EditPathTest() { edit.setObserver(this); }
  void edited(const EditStep& step, EditGroup group) override { steps.push_back({step, group != NoGroup}); }
  void groupEnded(EditGroup) override { ++groupsEnded; }

  PerformanceStore store;
  testing::RecordingHost host;
  EngineSettings settings;
  MessageLogLines log{host};
  Sender sender{store, host, settings, log};
  PerformanceEdit edit{store, sender};
  std::vector<std::pair<EditStep, bool>> steps;
  int groupsEnded = 0;
};

TEST_F(EditPathTest, PartCommonAndSystemParametersLeaveAsExactDataSets) {
  store.EditedPart = 5;
  store.SelectedIndex = 2;
  ASSERT_TRUE(edit.set(param::PartLevel, 5, 100, SendGuard::FormFilling));
  ASSERT_TRUE(edit.set(param::ChorusLevel, 0, 127, SendGuard::Updating));
  ASSERT_TRUE(edit.set(param::SystemEfxSwitch, 0, 0, SendGuard::Updating));
  ASSERT_EQ(host.wire.size(), 3u);
  EXPECT_EQ(host.wire[0], (Bytes{0xF0, 0x41, 0x10, 0x6A, 0x12, 0x01, 0x00, 0x15, 0x06, 0x64, 0x00, 0xF7}));
  EXPECT_EQ(host.wire[1], (Bytes{0xF0, 0x41, 0x10, 0x6A, 0x12, 0x01, 0x00, 0x00, 0x22, 0x7F, 0x5E, 0xF7}));
  EXPECT_EQ(host.wire[2], (Bytes{0xF0, 0x41, 0x10, 0x6A, 0x12, 0x00, 0x00, 0x00, 0x08, 0x00, 0x78, 0xF7}));
  // The editors' road leaves the shared address as the sender expects it.
  EXPECT_EQ(store.SysexAddressBuffer, address::temporaryPart(5, part::Level));
  EXPECT_EQ(store.TempPerformance.parts[5][part::Level], 100);
  EXPECT_EQ(store.PerformanceList[2].parts[5][part::Level], 100);
  EXPECT_EQ(store.PerformanceList[2].common[common::ChorusLevel], 127);
  EXPECT_EQ(edit.shownValue(param::SystemEfxSwitch, 0), 0);
  ASSERT_EQ(steps.size(), 2u);  // the switch was already 0: no step to undo
  EXPECT_EQ(steps[0].first.before, Bytes{0});
  EXPECT_EQ(steps[0].first.after, Bytes{100});
}

TEST_F(EditPathTest, GuardFlagsHoldEachWindowsRoad) {
  store.FormFilling = true;
  EXPECT_FALSE(edit.set(param::PartLevel, 0, 1, SendGuard::FormFilling));
  EXPECT_TRUE(edit.set(param::ChorusLevel, 0, 1, SendGuard::Updating));
  store.FormFilling = false;
  store.Updating = true;
  EXPECT_FALSE(edit.set(param::PartLevel, 0, 1, SendGuard::FormFilling));
  EXPECT_FALSE(edit.set(param::ChorusLevel, 0, 2, SendGuard::Updating));
  EXPECT_EQ(host.wire.size(), 1u);
  EXPECT_EQ(store.TempPerformance.parts[0][part::Level], 0);
}

TEST_F(EditPathTest, QuickEditSendsSixteenPacedMessagesAsOneStepThatUndoes) {
  settings.sysDly = 30;
  edit.setAllParts(
      param::PartChannel, [](int part) { return part + 1; }, SendGuard::FormFilling);
  ASSERT_EQ(host.wire.size(), 16u);
  for (int p = 0; p < address::PartCount; ++p) {
    EXPECT_EQ(host.wire[p][7], address::partBlock(p));
    EXPECT_EQ(host.wire[p][9], p);
  }
  // Each one-byte data set: the delay once the cable has carried it.
  EXPECT_EQ(host.waits, std::vector<int>(16, 30 + midi_wire::milliseconds(roland::FrameOverhead + 1)));
  EXPECT_EQ(steps.size(), 15u);  // part 1 already received on channel 1
  for (const auto& s : steps) EXPECT_TRUE(s.second);
  EXPECT_EQ(groupsEnded, 1);

  std::vector<EditStep> group;
  for (const auto& s : steps) group.push_back(s.first);
  host.wire.clear();
  edit.replay(group, true);
  EXPECT_EQ(host.wire.size(), 15u);
  for (const auto& record : store.TempPerformance.parts) EXPECT_EQ(record[part::ReceiveChannel], 0);
  EXPECT_EQ(steps.size(), 15u);  // a replay records nothing
}

}  // namespace
}  // namespace quillon
