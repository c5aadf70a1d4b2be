#include "engine/dump_capture.h"

#include <gtest/gtest.h>

#include "engine/midi_file.h"
#include "test_builders.h"

namespace quillon {
namespace {

using testing::append;
using testing::patternPerformance;

// A panel dump of an area as the module sends it: one message per block.
std::vector<Bytes> dumpOf(Byte area, int first, int count, BlockSizes sizes) {
  std::vector<Bytes> messages;
  for (int n = first; n < first + count; ++n) {
    const Bytes all = performanceMessages(area, n, patternPerformance(n, "Dump " + std::to_string(n)), sizes);
    for (const auto m : sysexMessages(all)) messages.emplace_back(m.begin(), m.end());
  }
  return messages;
}

void take(DumpCapture& c, const std::vector<Bytes>& messages) {
  for (const Bytes& m : messages) c.take(m);
}

Bytes joined(const std::vector<Bytes>& messages) {
  Bytes out;
  for (const Bytes& m : messages) append(out, m);
  return out;
}

TEST(DumpCapture, AWholeDumpIsKeptByteForByteAndListedLikeAFetch) {
  for (const BlockSizes sizes : {StandardBlockSizes, JV2080BlockSizes}) {
    DumpCapture c(sizes);
    const auto user = dumpOf(address::AreaUserPerformance, 0, 32, sizes);
    const Bytes system = buildDT1(0x10, {0, 0, 0, 0}, Bytes(40, 1));
    const Bytes identity{0xF0, 0x7E, 0x10, 0x06, 0x02, 0x41, 0xF7};  // another kind of SysEx, kept as it came
    c.take(system);
    take(c, user);
    c.take(identity);
    c.finish();
    EXPECT_EQ(c.messages(), 32 * 17 + 2);
    Bytes expected = system;
    append(expected, joined(user));
    append(expected, identity);
    EXPECT_EQ(c.kept(), expected);
    EXPECT_EQ(c.areaText(PerformanceKind::User), "User: 32 whole (1-32)");
    EXPECT_EQ(c.areaText(PerformanceKind::Card), "Card: nothing");
    EXPECT_EQ(c.otherText(), "Also: 1 system message, 1 SysEx message of another kind");
    EXPECT_EQ(c.problemCount(), 0);

    PerformanceStore store;
    store.FromTemp = true;
    ASSERT_EQ(c.putIntoStore(store, PerformanceKind::User), 32);
    EXPECT_TRUE(store.FromUser && !store.FromTemp && !store.NoPerformance);
    EXPECT_EQ(store.CurrentFileName, "UserDump.syx");
    // Written back, the list is the dump again.
    EXPECT_EQ(listSyxBytes(store, sizes), joined(user));
  }
}

TEST(DumpCapture, DamageIsNamedAndLeftOutAndNothingIncompleteIsCalledWhole) {
  DumpCapture c(StandardBlockSizes);
  auto card = dumpOf(address::AreaCardPerformance, 0, 4, StandardBlockSizes);
  card[3][card[3].size() - 2] ^= 1;  // performance 1, part 3: checksum spoilt
  Bytes clocked = card[20];
  clocked.insert(clocked.begin() + 12, 0xF8);  // a clock byte inside performance 2's part 3
  card[20] = clocked;
  // A second source cut into performance 3's common block; its next message starts whole.
  card[34].resize(20);
  // The dump stops after performance 4's part 8.
  card.resize(3 * 17 + 9);
  take(c, card);
  c.take(Bytes{0xF0, 0x41, 0x10});  // the start of a message the receive ends in
  c.finish();

  EXPECT_EQ(c.areaText(PerformanceKind::Card), "Card: 1 whole (2); incomplete: 1, 3-4");
  EXPECT_TRUE(c.whole(PerformanceKind::Card, 1));
  EXPECT_EQ(c.realTimeTakenOut(), 1);
  ASSERT_EQ(c.problemCount(), 3);
  EXPECT_EQ(c.problems()[0], "Message 4 (20 00 12 00): bad checksum; left out.");
  EXPECT_NE(c.problems()[1].find("cut off by the next SysEx message"), std::string::npos) << c.problems()[1];
  EXPECT_NE(c.problems()[2].find("not finished when the receive ended"), std::string::npos) << c.problems()[2];
  EXPECT_EQ(c.messages(), 3 * 17 + 9 - 2);  // the bad checksum and the cut message are not kept

  PerformanceStore store;
  ASSERT_EQ(c.putIntoStore(store, PerformanceKind::Card), 4);
  EXPECT_EQ(store.ListInfo[0].problem, "missing: part 3");
  EXPECT_TRUE(store.ListInfo[1].complete);
  EXPECT_EQ(store.ListInfo[2].problem, "missing: common");
  EXPECT_FALSE(store.ListInfo[3].complete);
  EXPECT_EQ(store.CurrentFileName, "CardDump-incomplete.syx");
}

TEST(DumpCapture, ARestartedOrMixedDumpIsReportedAsItIs) {
  DumpCapture c(StandardBlockSizes);
  auto user = dumpOf(address::AreaUserPerformance, 0, 2, StandardBlockSizes);
  // The first try stops inside performance 2; the dump starts again and stops inside performance 1.
  take(c, std::vector<Bytes>(user.begin(), user.begin() + 20));
  take(c, std::vector<Bytes>(user.begin(), user.begin() + 10));
  take(c, dumpOf(address::AreaTemporary, 0, 1, StandardBlockSizes));
  c.finish();
  EXPECT_EQ(c.restarts(), 1);
  EXPECT_EQ(c.areaText(PerformanceKind::User), "User: 0 whole; incomplete: 1-2");
  EXPECT_EQ(c.areaText(PerformanceKind::Temp), "Temp: whole");
  ASSERT_EQ(c.problemCount(), 1);
  EXPECT_NE(c.problems()[0].find("the dump restarted"), std::string::npos);

  PerformanceStore store;
  ASSERT_EQ(c.putIntoStore(store, PerformanceKind::Temp), 1);
  EXPECT_TRUE(store.FromTemp && store.ListInfo[0].complete);
  EXPECT_EQ(store.TempPerformance.common, store.PerformanceList[0].common);
}

}  // namespace
}  // namespace quillon
