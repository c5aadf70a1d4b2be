#include "library/library_record.h"

#include <algorithm>

#include "engine/midi_message.h"

namespace quillon::library {

namespace {

constexpr std::uint64_t FnvOffset = 14695981039346656037ull;
constexpr std::uint64_t FnvPrime = 1099511628211ull;
constexpr int LowestKey = 0;

void fnv(std::uint64_t& h, Byte b) {
  h ^= b;
  h *= FnvPrime;
}

bool anyBeyond(std::span<const Byte> bytes, int kept) {
  return std::any_of(bytes.begin() + kept, bytes.end(), [](Byte b) { return b != 0; });
}

}  // namespace

BlockSizes keptSizes(const PerformanceRecord& record, BlockSizes moduleSizes) {
  if (moduleSizes == JV2080BlockSizes) return moduleSizes;
  bool wider = anyBeyond(record.common, moduleSizes.commonLength());
  for (const auto& p : record.parts) wider = wider || anyBeyond(p, moduleSizes.partLength());
  return wider ? JV2080BlockSizes : moduleSizes;
}

Bytes recordBytes(const PerformanceRecord& record, BlockSizes sizes) {
  Bytes out(record.common.begin(), record.common.begin() + sizes.commonLength());
  for (const auto& p : record.parts) out.insert(out.end(), p.begin(), p.begin() + sizes.partLength());
  return out;
}

std::optional<PerformanceRecord> recordFromBytes(std::span<const Byte> bytes, BlockSizes sizes) {
  const auto common = static_cast<std::size_t>(sizes.commonLength());
  const auto part = static_cast<std::size_t>(sizes.partLength());
  if (common > CommonRecordSize || part > PartRecordSize || bytes.size() != common + address::PartCount * part)
    return std::nullopt;
  PerformanceRecord r;
  std::copy_n(bytes.begin(), common, r.common.begin());
  for (std::size_t p = 0; p < address::PartCount; ++p)
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(common + p * part), part, r.parts[p].begin());
  return r;
}

std::int64_t recordHash(std::span<const Byte> bytes, BlockSizes sizes) {
  std::uint64_t h = FnvOffset;
  fnv(h, static_cast<Byte>(sizes.eoc));
  fnv(h, static_cast<Byte>(sizes.eop));
  for (Byte b : bytes) fnv(h, b);
  return static_cast<std::int64_t>(h);
}

RecordSummary summarize(const PerformanceRecord& record, const PatchNamer& namer) {
  RecordSummary s;
  s.name = performanceName(record.common);
  s.efxType = record.common[common::EfxType];
  s.reverbType = record.common[common::ReverbType];
  s.chorusOutput = record.common[common::ChorusOutput];
  s.tempo = shown::tempoOf(record.common);
  for (int p = 0; p < address::PartCount; ++p) {
    const auto& r = record.parts[p];
    if (r[part::KeyRangeLower] > LowestKey || r[part::KeyRangeUpper] < MaxNote) ++s.splitParts;
    auto& patch = s.patches[p];
    patch.groupType = r[part::PatchGroupType];
    patch.groupId = r[part::PatchGroupId];
    patch.number = shown::patchNumberOf(r);
    if (namer) patch.name = namer(r, p);
  }
  return s;
}

}  // namespace quillon::library
