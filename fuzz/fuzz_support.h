#pragma once
// What the fuzz targets share. A broken rule is a finding like a crash, so
// libFuzzer keeps the input that broke it and the replay test fails on it.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/sysex.h"

namespace quillon::fuzz {

inline void require(const std::string& fault) {
  if (fault.empty()) return;
  std::fprintf(stderr, "Broken invariant: %s\n", fault.c_str());
  std::abort();
}

// Gives a framed message (F0 .. F7) the checksum its address and data call
// for: a mutation seldom hits the right one, and a wrong one stops a message
// at the door, so the targets can ask for right ones to reach what lies behind.
inline void sealChecksum(Bytes& message) {
  if (message.size() < roland::FrameOverhead || message.front() != midi_byte::SysexStart ||
      message.back() != midi_byte::SysexEnd)
    return;
  const auto summed =
      std::span<const Byte>(message).subspan(roland::PosAddress, message.size() - roland::PosAddress - 2);
  message[message.size() - 2] = rolandChecksum(summed);
}

}  // namespace quillon::fuzz
