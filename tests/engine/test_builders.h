#pragma once
// Builders of .syx byte streams for the reader tests.

#include "engine/demo_performances.h"
#include "engine/syx_writer.h"

namespace quillon::testing {

inline void append(Bytes& to, const Bytes& more) { to.insert(to.end(), more.begin(), more.end()); }

// A performance whose bytes tell where they came from: every data byte is a
// function of (seed, block, offset) and stays a valid 7-bit data byte.
inline PerformanceRecord patternPerformance(int seed, std::string_view name) {
  PerformanceRecord r;
  for (int k = 0; k < CommonRecordSize; ++k) r.common[k] = static_cast<Byte>((seed * 31 + k * 7) & 0x7F);
  for (int p = 0; p < address::PartCount; ++p)
    for (int k = 0; k < PartRecordSize; ++k) r.parts[p][k] = static_cast<Byte>((seed * 17 + p * 5 + k * 3) & 0x7F);
  setPerformanceName(r.common, name);
  return r;
}

inline Bytes onePerformanceFile(Byte area, int number, const PerformanceRecord& r, BlockSizes sizes) {
  return performanceMessages(area, number, r, sizes);
}

// A patch block as a dump carries it: a first message 11 nn 00 00 with the
// name, then further messages of the same patch, 643 bytes in all.
inline Bytes patchBlock(Byte area, int number, std::string_view name) {
  Bytes out;
  Bytes data(72, 0x20);
  for (std::size_t i = 0; i < name.size() && i < 12; ++i) data[i] = static_cast<Byte>(name[i]);
  append(out, buildDT1(0x10, {area, static_cast<Byte>(number), 0, 0}, data));
  Byte block = 0x10;
  while (out.size() < 643 - 11) {
    const std::size_t n = std::min<std::size_t>(118, 643 - 11 - out.size());
    append(out, buildDT1(0x10, {area, static_cast<Byte>(number), block++, 0}, Bytes(n, 0x01)));
  }
  return out;
}

}  // namespace quillon::testing
