// The virtual module sits behind a MIDI port that anything may write to. The
// input is a set-up byte (module type, unit ID, right checksums) and then a
// byte stream cut into messages at each F7. Every answer must be a well-formed DT1 of what
// the model holds, a DT1 may change only the bytes it addresses, and the
// model takes its own answers back without change.

#include <algorithm>
#include <array>
#include <cstdint>

#include "fuzz_support.h"
#include "midi_model/module_checks.h"

namespace {

using namespace quillon;

constexpr Byte JV2080Bit = 0x01;
constexpr Byte SealBit = 0x80;  // every framed message gets its right checksum
constexpr int UnitIdShift = 1;
constexpr int UnitIdCount = roland::MaxUnitId - roland::MinUnitId + 1;

// Fresh memory for each type, built once: demo performances take a while.
const jv::VirtualModule& freshModule(ModuleType type) {
  static const std::array<jv::VirtualModule, 2> modules{jv::VirtualModule(ModuleType::JV1080),
                                                        jv::VirtualModule(ModuleType::JV2080)};
  return modules[type == ModuleType::JV2080 ? 1 : 0];
}

jv::Reply receiveChecked(jv::VirtualModule& m, std::span<const Byte> message) {
  jv::VirtualModule before = m;
  jv::Reply reply = m.receive(message);
  fuzz::require(jv::testing::answerFault(m, message, reply));
  fuzz::require(jv::testing::storageFault(before, m, message, reply));
  return reply;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const Byte setup = data[0];
  jv::VirtualModule m = freshModule(setup & JV2080Bit ? ModuleType::JV2080 : ModuleType::JV1080);
  m.setUnitId(roland::MinUnitId + ((setup & ~SealBit) >> UnitIdShift) % UnitIdCount);

  const std::span<const Byte> wire(data + 1, size - 1);
  auto from = wire.begin();
  while (from != wire.end()) {
    const auto end = std::find(from, wire.end(), midi_byte::SysexEnd);
    const auto to = end == wire.end() ? end : end + 1;
    Bytes message(from, to);
    if (setup & SealBit) fuzz::sealChecksum(message);
    const jv::Reply reply = receiveChecked(m, message);
    for (const Bytes& answer : reply.answers) {
      const jv::Reply back = receiveChecked(m, answer);
      fuzz::require(back.outcome == jv::Outcome::Stored ? "" : "the model refuses its own answer");
    }
    from = to;
  }
  return 0;
}
