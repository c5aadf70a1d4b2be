#pragma once
// A performance as the library keeps it: its record bytes at the module's block
// sizes (common block, then the 16 parts), a hash of them as its key, and the
// fields searches look at.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "engine/performance.h"

namespace quillon::library {

// The patch name a part plays, or empty when the name lists lack it. The
// caller's name lists answer; the library has none of its own.
using PatchNamer = std::function<std::string(const PerfPartRecord& part, int partIndex)>;

// The sizes a record is kept at: the module's, or the JV-2080's when the record
// holds bytes beyond the smaller blocks (nothing a file gave is cut off).
BlockSizes keptSizes(const PerformanceRecord& record, BlockSizes moduleSizes);

Bytes recordBytes(const PerformanceRecord& record, BlockSizes sizes);
// The inverse of recordBytes; nothing when the length fits no block sizes.
std::optional<PerformanceRecord> recordFromBytes(std::span<const Byte> bytes, BlockSizes sizes);
// FNV-1a over the sizes and the bytes: equal bytes, equal key.
std::int64_t recordHash(std::span<const Byte> bytes, BlockSizes sizes);

struct PartPatch {
  int groupType = 0;
  int groupId = 0;
  int number = 0;  // 0..255
  std::string name;
};

// What searches look at.
struct RecordSummary {
  std::string name;
  int efxType = 0;       // stored value, 0..39
  int reverbType = 0;    // stored value
  int chorusOutput = 0;  // the chorus has no type: its output assign is what tells setups apart
  int tempo = 0;
  int splitParts = 0;  // parts whose key range is narrower than the keyboard
  std::array<PartPatch, address::PartCount> patches{};
};

RecordSummary summarize(const PerformanceRecord& record, const PatchNamer& namer);

}  // namespace quillon::library
