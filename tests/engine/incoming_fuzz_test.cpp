// Generated messages through the decoder: random bytes, truncated and
// oversized DT1s, wrong first bytes. Nothing may crash, and each message may
// change only the record its own address names.

#include <gtest/gtest.h>

#include <random>

#include "engine/incoming.h"
#include "recording_host.h"
#include "store_checks.h"

namespace quillon {
namespace {

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
  const SysexAddress a{Areas[byte(rng) % std::size(Areas)],
                       static_cast<Byte>(byte(rng) % 3 ? seven(rng) % 40 : seven(rng)),
                       static_cast<Byte>(byte(rng) % 2 ? 0x10 + seven(rng) % 18 : seven(rng) % 4),
                       static_cast<Byte>(byte(rng) % 2 ? seven(rng) % 70 : seven(rng))};
  Bytes data(static_cast<std::size_t>(kind == 1 ? 140 + byte(rng) % 40 : byte(rng) % 80));
  for (auto& b : data) b = static_cast<Byte>(seven(rng));
  Bytes m = buildDT1(static_cast<Byte>(seven(rng)), a, data);
  if (kind == 2) m.resize(static_cast<std::size_t>(byte(rng)) % (m.size() + 1));  // truncated
  if (kind == 3 && !m.empty()) m[0] = static_cast<Byte>(byte(rng));               // wrong start
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
  SessionScope listening(sender.sessions(), TransferKind::Listen);
  int decodedSomething = 0;
  for (int n = 0; n < 10000; ++n) {
    store.NamesOnly = n % 7 == 0;
    const Bytes m = generatedMessage(rng);
    if (m.empty()) continue;
    testing::QueueSource queue;
    queue.pushSysex(m);
    const PerformanceStore before = store;
    handler.HandleModuleInput(queue);
    ASSERT_EQ(testing::changeOutsideAddressedRecord(before, store, m, store.NamesOnly), "");
    if (host.received.size() > 0) ++decodedSomething;
    host.received.clear();
  }
  EXPECT_GT(decodedSomething, 3000);
}

}  // namespace
}  // namespace quillon
