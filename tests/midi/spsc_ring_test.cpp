#include "midi/spsc_ring.h"

#include <gtest/gtest.h>

#include <thread>

namespace quillon::midi {
namespace {

TEST(SpscRing, HoldsExactlyItsCapacityAndWrapsInOrder) {
  SpscRing<int> ring(3);
  int out = 0;
  EXPECT_FALSE(ring.pop(out));
  for (int round = 0; round < 5; ++round) {  // several laps over the slots
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(ring.push(round * 10 + i));
    EXPECT_TRUE(ring.full());
    EXPECT_FALSE(ring.push(99));
    EXPECT_EQ(ring.size(), 3u);
    for (int i = 0; i < 3; ++i) {
      ASSERT_TRUE(ring.pop(out));
      EXPECT_EQ(out, round * 10 + i);
    }
    EXPECT_FALSE(ring.pop(out));
  }
}

TEST(SpscRing, TwoThreadsLoseAndReorderNothing) {
  constexpr int Count = 200000;
  SpscRing<int> ring(16);
  std::thread producer([&] {
    for (int i = 0; i < Count; ++i)
      while (!ring.push(i)) std::this_thread::yield();
  });
  int expected = 0;
  int value = 0;
  int outOfOrder = 0;
  while (expected < Count) {
    if (ring.pop(value)) outOfOrder += value != expected++;
  }
  producer.join();
  EXPECT_EQ(outOfOrder, 0);
  EXPECT_EQ(ring.size(), 0u);
}

}  // namespace
}  // namespace quillon::midi
