// Generated messages through the decoder: random bytes, truncated and
// oversized DT1s, wrong first bytes. Nothing may crash, and each message may
// change only the record its own address names.

#include <gtest/gtest.h>

#include <random>

#include "engine/incoming.h"
#include "recording_host.h"

namespace quillon {
namespace {

// Which part of the store one message may change.
enum class Region { None, System, TempCommon, TempPart, ListCommon, ListPart, MemoryName, PatchName };

Region allowedRegion(const Bytes& m, bool namesOnly) {
  if (m.size() <= roland::PosData + 2 || m.size() > incoming::MaxDecodedLength || m[0] != midi_byte::SysexStart)
    return Region::None;
  const Byte a0 = m[5], a1 = m[6], a2 = m[7];
  const bool part = address::isPartBlock(a2);
  switch (a0) {
    case address::AreaSystem: return Region::System;
    case address::AreaTemporary:
      if (a1 != 0) return Region::None;
      return a2 < address::BlockPartFirst ? Region::TempCommon : part ? Region::TempPart : Region::None;
    case address::AreaUserPerformance:
    case address::AreaCardPerformance:
      if (a1 >= address::MemoryPerformanceCount) return Region::None;
      if (a2 < address::BlockPartFirst) return namesOnly ? Region::MemoryName : Region::ListCommon;
      return part ? Region::ListPart : Region::None;
    case address::AreaUserPatch:
    case address::AreaCardPatch: return Region::PatchName;
    default: return Region::None;
  }
}

// Everything in `after` that differs from `before` lies in the allowed region.
void expectOnlyAllowedChanges(const PerformanceStore& before, const PerformanceStore& after, const Bytes& m,
                              bool namesOnly) {
  const Region r = allowedRegion(m, namesOnly);
  const int a1 = m.size() > 6 ? m[6] : 0;
  const int p = m.size() > 7 ? m[7] - address::BlockPartFirst : -1;
  const auto unchangedUnless = [](bool allowed, const auto& was, const auto& is) { return allowed || was == is; };
  ASSERT_TRUE(unchangedUnless(r == Region::System, before.SystemImage, after.SystemImage));
  ASSERT_TRUE(unchangedUnless(r == Region::TempCommon, before.TempPerformance.common, after.TempPerformance.common));
  for (int k = 0; k < address::PartCount; ++k) {
    ASSERT_TRUE(unchangedUnless(r == Region::TempPart && k == p, before.TempPerformance.parts[k],
                                after.TempPerformance.parts[k]));
  }
  for (int n = 0; n < PerformanceListSize; ++n) {
    const bool entry = n == a1;
    const auto& was = before.PerformanceList[n];
    const auto& is = after.PerformanceList[n];
    ASSERT_TRUE(unchangedUnless(entry && r == Region::ListCommon, was.common, is.common)) << n;
    for (int k = 0; k < address::PartCount; ++k)
      ASSERT_TRUE(unchangedUnless(entry && r == Region::ListPart && k == p, was.parts[k], is.parts[k]));
    ASSERT_TRUE(unchangedUnless(entry && r == Region::MemoryName, before.MemoryNames[n], after.MemoryNames[n]));
  }
  for (int n = 0; n < ReceivedPatchNameCount; ++n) {
    ASSERT_TRUE(unchangedUnless(r == Region::PatchName && n == a1, before.ReceivedPatchNames[n],
                                after.ReceivedPatchNames[n]));
  }
  ASSERT_GE(after.PerformanceCount, 0);
  ASSERT_LE(after.PerformanceCount, PerformanceListSize);
}

Bytes generatedMessage(std::mt19937& rng) {
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> seven(0, 127);
  const int kind = byte(rng) % 5;
  if (kind == 0) {  // random bytes, often starting with F0
    Bytes m(static_cast<std::size_t>(1 + byte(rng)));
    for (auto& b : m) b = static_cast<Byte>(byte(rng));
    if (byte(rng) % 2) m[0] = midi_byte::SysexStart;
    return m;
  }
  static constexpr Byte Areas[] = {0x00, 0x01, 0x02, 0x03, 0x05, 0x10, 0x11, 0x15, 0x20, 0x21, 0x30, 0x7F};
  const SysexAddress a{Areas[byte(rng) % std::size(Areas)], static_cast<Byte>(byte(rng) % 3 ? seven(rng) % 40 : seven(rng)),
                       static_cast<Byte>(byte(rng) % 2 ? 0x10 + seven(rng) % 18 : seven(rng) % 4),
                       static_cast<Byte>(byte(rng) % 2 ? seven(rng) % 70 : seven(rng))};
  Bytes data(static_cast<std::size_t>(kind == 1 ? 140 + byte(rng) % 40 : byte(rng) % 80));
  for (auto& b : data) b = static_cast<Byte>(seven(rng));
  Bytes m = buildDT1(static_cast<Byte>(seven(rng)), a, data);
  if (kind == 2) m.resize(static_cast<std::size_t>(byte(rng)) % (m.size() + 1));  // truncated
  if (kind == 3 && !m.empty()) m[0] = static_cast<Byte>(byte(rng));             // wrong start
  return m;
}

TEST(IncomingFuzz, GeneratedMessagesTouchOnlyTheirOwnRecord) {
  std::mt19937 rng(8122026);
  testing::RecordingHost host;
  PerformanceStore store;
  store.LogEnabled = true;
  EngineSettings settings;
  MessageLogLines log{host};
  Sender sender{store, host, settings, log};
  IncomingHandler handler{store, host, sender, log};
  int decodedSomething = 0;
  for (int n = 0; n < 10000; ++n) {
    store.NamesOnly = n % 7 == 0;
    const Bytes m = generatedMessage(rng);
    if (m.empty()) continue;
    testing::QueueSource queue;
    queue.pushSysex(m);
    const PerformanceStore before = store;
    handler.HandleModuleInput(queue);
    expectOnlyAllowedChanges(before, store, m, store.NamesOnly);
    if (host.received.size() > 0) ++decodedSomething;
    host.received.clear();
  }
  EXPECT_GT(decodedSomething, 3000);
}

}  // namespace
}  // namespace quillon
