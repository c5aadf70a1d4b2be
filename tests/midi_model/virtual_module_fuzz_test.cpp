// The model sits behind a MIDI port that anything may write to, so no byte
// sequence may crash it, whatever it sends back must be a well-formed DT1 of
// what it holds, and a DT1 may change only the bytes it addresses.
#include <gtest/gtest.h>

#include <array>
#include <random>

#include "midi/model/virtual_module.h"
#include "module_checks.h"

namespace quillon::jv {
namespace {

constexpr int Rounds = 20000;

Bytes randomBytes(std::mt19937& rng, std::size_t maxLength) {
  std::uniform_int_distribution<std::size_t> length(0, maxLength);
  std::uniform_int_distribution<int> byte(0, 255);
  Bytes out(length(rng));
  for (Byte& b : out) b = static_cast<Byte>(byte(rng));
  return out;
}

// Valid frames with random address, size and device, so the fuzz reaches the
// address decoding and not only the frame checks.
Bytes randomRequestOrSet(std::mt19937& rng) {
  std::uniform_int_distribution<int> seven(0, 127);
  const auto b = [&] { return static_cast<Byte>(seven(rng)); };
  const Byte device = rng() % 4 == 0 ? b() : 0x10;
  // Mostly areas and blocks the model holds, sometimes anything.
  constexpr std::array<Byte, 6> Areas{address::AreaSystem,          address::AreaTemporary,
                                      address::AreaUserPerformance, address::AreaUserPatch,
                                      address::AreaCardPerformance, address::AreaCardPatch};
  const bool wild = rng() % 5 == 0;
  const Byte area = wild ? b() : Areas[rng() % Areas.size()];
  const Byte sub =
      wild ? b() : static_cast<Byte>(area == address::AreaTemporary || area == address::AreaSystem ? 0 : b() % 40);
  const Byte block = wild || rng() % 2 ? static_cast<Byte>(b() % 0x22) : address::BlockCommon;
  const Byte offset = wild ? b() : static_cast<Byte>(b() % 80);
  const SysexAddress a{area, sub, block, offset};
  if (rng() % 2) return buildRQ1(device, a, static_cast<std::uint32_t>(rng() % (1u << 28)));
  Bytes data = randomBytes(rng, 200);
  for (Byte& d : data) d &= midi_byte::DataMask;
  return buildDT1(device, a, data);
}

void mutate(std::mt19937& rng, Bytes& message) {
  if (message.empty()) return;
  switch (rng() % 3) {
    case 0: message[rng() % message.size()] = static_cast<Byte>(rng()); break;
    case 1: message.resize(rng() % message.size()); break;
    default:
      message.insert(message.begin() + static_cast<std::ptrdiff_t>(rng() % message.size()), static_cast<Byte>(rng()));
  }
}

TEST(VirtualModuleFuzz, AnyByteSequenceIsSafeAndAnswersStayWellFormed) {
  std::mt19937 rng(1080);
  for (ModuleType type : {ModuleType::JV1080, ModuleType::JV2080}) {
    VirtualModule m(type);
    int answered = 0;
    int stored = 0;
    for (int i = 0; i < Rounds; ++i) {
      Bytes message;
      switch (i % 3) {
        case 0: message = randomBytes(rng, 300); break;
        case 1: message = randomRequestOrSet(rng); break;
        default: message = randomRequestOrSet(rng); mutate(rng, message);
      }
      if (i % 7 == 0 && !message.empty()) message.front() = midi_byte::SysexStart;
      VirtualModule before = m;
      const Reply reply = m.receive(message);
      ASSERT_EQ(testing::answerFault(m, message, reply), "");
      ASSERT_EQ(testing::storageFault(before, m, message, reply), "");
      answered += reply.outcome == Outcome::Answered;
      stored += reply.outcome == Outcome::Stored;
    }
    // The generator must reach both paths, or the fuzz proves little.
    EXPECT_GT(answered, 100);
    EXPECT_GT(stored, 100);
  }
}

}  // namespace
}  // namespace quillon::jv
