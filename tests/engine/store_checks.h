#pragma once
// The rules the store keeps whatever bytes come in from outside: a .syx file
// read into it, or a message handled by the decoder. Shared by the
// generated-input tests and the fuzz targets; each check returns what broke,
// or nothing.

#include <algorithm>
#include <string>

#include "engine/incoming.h"
#include "engine/syx_reader.h"
#include "engine/syx_writer.h"

namespace quillon::testing {

inline bool allSevenBit(std::span<const Byte> bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](Byte b) { return b <= midi_byte::DataMask; });
}

inline bool holdsEnd(const PerformanceRecord& r) {
  const auto isEnd = [](Byte b) { return b == midi_byte::SysexEnd; };
  if (std::any_of(r.common.begin(), r.common.end(), isEnd)) return true;
  return std::any_of(r.parts.begin(), r.parts.end(),
                     [&](const PerfPartRecord& p) { return std::any_of(p.begin(), p.begin() + PartBytesKept, isEnd); });
}

// After readSyxIntoStore(store, file) on a store that was `before`.
inline std::string syxReadFault(const PerformanceStore& before, const PerformanceStore& store,
                                std::span<const Byte> file, const SyxReadReport& report) {
  const int count = report.count;
  if (count < 0 || count > PerformanceListSize) return "count " + std::to_string(count) + " outside 0..32";
  if (store.PerformanceCount != count) return "PerformanceCount is not the reported count";
  // A reader that refuses a malformed performance lists fewer than it met.
  if (count > std::min(report.scan.performanceHeaders, PerformanceListSize))
    return "more performances listed than headers met, or more than 32";
  if (store.Updating) return "Updating left set";
  if (report.nothingFound != (count == 0) || store.NoPerformance != (count == 0))
    return "the nothing-found flags disagree with the count";
  for (const auto& f : report.scan.performances)
    if (f.name.size() != static_cast<std::size_t>(PerformanceNameLength)) return "a found name is not 12 bytes";

  // No F7 is ever taken for data (it would end a message written from it),
  // as long as the work record held none to begin with.
  const bool couldHoldEnd = holdsEnd(before.TempPerformance);
  int incomplete = 0;
  std::int64_t previousOffset = -1;
  for (int i = 0; i < PerformanceListSize; ++i) {
    const ListEntryInfo& info = store.ListInfo[static_cast<std::size_t>(i)];
    const std::string entry = "entry " + std::to_string(i) + ": ";
    if (i >= count) {
      if (info.kind != PerformanceKind::None) return entry + "listed beyond the count";
      continue;
    }
    if (info.kind == PerformanceKind::None) return entry + "listed without a kind";
    if (info.fileNumber < 0 || info.fileNumber >= PerformanceListSize) return entry + "file number outside 0..31";
    if (info.fileOffset <= previousOffset || info.fileOffset >= static_cast<std::int64_t>(file.size()) ||
        file[static_cast<std::size_t>(info.fileOffset)] != midi_byte::SysexStart)
      return entry + "its offset is no message start after the previous entry's";
    previousOffset = info.fileOffset;
    incomplete += info.complete ? 0 : 1;
    if (!couldHoldEnd && holdsEnd(store.PerformanceList[static_cast<std::size_t>(i)]))
      return entry + "holds F7 as a data byte";
  }
  if (incomplete != report.incomplete) return "the incomplete count disagrees with the entries";
  if (before.MemoryNames != store.MemoryNames || before.ReceivedPatchNames != store.ReceivedPatchNames ||
      before.SystemImage != store.SystemImage)
    return "the read changed a table that transfers fill";
  return {};
}

// A list read from a file is written and read back equal, in the bytes its
// block size carries. A byte of 80h or above cannot travel as data, so a list
// holding one in those bytes is not held to this.
inline std::string syxRoundTripFault(const PerformanceStore& store) {
  const int count = std::clamp(store.PerformanceCount, 0, PerformanceListSize);
  for (const BlockSizes sizes : {StandardBlockSizes, JV2080BlockSizes}) {
    const auto common = [&](const PerformanceRecord& r) {
      return std::span<const Byte>(r.common).first(static_cast<std::size_t>(sizes.commonLength()));
    };
    const auto part = [&](const PerformanceRecord& r, int p) {
      return std::span<const Byte>(r.parts[p]).first(static_cast<std::size_t>(sizes.partLength()));
    };
    bool writable = true;
    for (int i = 0; i < count && writable; ++i) {
      const auto& r = store.PerformanceList[static_cast<std::size_t>(i)];
      writable = allSevenBit(common(r));
      for (int p = 0; p < address::PartCount && writable; ++p) writable = allSevenBit(part(r, p));
    }
    if (!writable) continue;

    const std::string size = sizes == StandardBlockSizes ? " (64/19 bytes)" : " (68/26 bytes)";
    PerformanceStore back;
    const Bytes written = listSyxBytes(store, sizes);
    const SyxReadReport report = readSyxIntoStore(back, written);
    if (report.count != count || report.incomplete != 0) return "the written list reads back short" + size;
    const auto kind = static_cast<PerformanceKind>(fileAreaFor(store));
    for (int i = 0; i < count; ++i) {
      const auto& was = store.PerformanceList[static_cast<std::size_t>(i)];
      const auto& is = back.PerformanceList[static_cast<std::size_t>(i)];
      const ListEntryInfo& info = back.ListInfo[static_cast<std::size_t>(i)];
      bool equal = info.kind == kind && info.fileNumber == i && std::ranges::equal(common(was), common(is));
      for (int p = 0; p < address::PartCount; ++p) equal = equal && std::ranges::equal(part(was, p), part(is, p));
      if (!equal) return "performance " + std::to_string(i) + " reads back changed" + size;
    }
  }
  return {};
}

// Reads `file` into `store` and checks both the read and the round trip of what it read.
inline std::string checkedSyxRead(PerformanceStore& store, std::span<const Byte> file, SyxReadReport& report) {
  const PerformanceStore before = store;
  report = readSyxIntoStore(store, file);
  const std::string fault = syxReadFault(before, store, file, report);
  return fault.empty() ? syxRoundTripFault(store) : fault;
}

// Which part of the store one decoded message may change.
enum class Region { None, System, TempCommon, TempPart, ListCommon, ListPart, MemoryName, PatchName };

inline Region allowedRegion(const Bytes& m, bool namesOnly) {
  if (m.size() <= roland::PosData + 2 || m.size() > incoming::MaxDecodedLength || m[0] != midi_byte::SysexStart)
    return Region::None;
  const Byte a0 = m[roland::PosAddress], a1 = m[roland::PosAddress + 1], a2 = m[roland::PosAddress + 2];
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

// Whether the records messages can reach are byte for byte the same: most
// messages store nothing, and this tells so at once.
inline bool sameRecords(const PerformanceStore& a, const PerformanceStore& b) {
  static_assert(sizeof(PerformanceRecord) == CommonRecordSize + address::PartCount * PartRecordSize);
  const auto bytes = [](const auto& array) {
    return std::span(reinterpret_cast<const Byte*>(array.data()), sizeof array);
  };
  return std::ranges::equal(bytes(a.PerformanceList), bytes(b.PerformanceList)) &&
         std::ranges::equal(bytes(a.MemoryNames), bytes(b.MemoryNames)) &&
         std::ranges::equal(bytes(a.ReceivedPatchNames), bytes(b.ReceivedPatchNames)) &&
         a.SystemImage == b.SystemImage && a.TempPerformance == b.TempPerformance;
}

// Everything in `after` that differs from `before` lies in the record that
// message `m` addresses (an empty message is a short one, which stores nothing).
// A decoder that refuses more than the address map requires passes as well.
inline std::string changeOutsideAddressedRecord(const PerformanceStore& before, const PerformanceStore& after,
                                                const Bytes& m, bool namesOnly) {
  const Region r = allowedRegion(m, namesOnly);
  const int a1 = m.size() > roland::PosAddress + 1 ? m[roland::PosAddress + 1] : -1;
  if (after.PerformanceCount != before.PerformanceCount &&
      !(r == Region::ListCommon && after.PerformanceCount == a1 + 1))
    return "PerformanceCount changed to " + std::to_string(after.PerformanceCount);
  if (sameRecords(before, after)) return {};
  const int p = m.size() > roland::PosAddress + 2 ? m[roland::PosAddress + 2] - address::BlockPartFirst : -1;
  // The old store with the one record the message may change taken as it is
  // now must be the new store; the comparisons below only say where not.
  PerformanceStore allowed = before;
  const auto number = static_cast<std::size_t>(std::max(a1, 0));
  switch (r) {
    case Region::System: allowed.SystemImage = after.SystemImage; break;
    case Region::TempCommon: allowed.TempPerformance.common = after.TempPerformance.common; break;
    case Region::TempPart: allowed.TempPerformance.parts[p] = after.TempPerformance.parts[p]; break;
    case Region::ListCommon: allowed.PerformanceList[number].common = after.PerformanceList[number].common; break;
    case Region::ListPart: allowed.PerformanceList[number].parts[p] = after.PerformanceList[number].parts[p]; break;
    case Region::MemoryName: allowed.MemoryNames[number] = after.MemoryNames[number]; break;
    case Region::PatchName: allowed.ReceivedPatchNames[number] = after.ReceivedPatchNames[number]; break;
    case Region::None: break;
  }
  if (sameRecords(allowed, after)) return {};
  if (allowed.SystemImage != after.SystemImage) return "SystemImage changed";
  if (!(allowed.TempPerformance == after.TempPerformance)) return "TempPerformance changed outside the addressed block";
  for (std::size_t k = 0; k < allowed.PerformanceList.size(); ++k) {
    if (!(allowed.PerformanceList[k] == after.PerformanceList[k]))
      return "list entry " + std::to_string(k) + " changed outside the addressed block";
    if (allowed.MemoryNames[k] != after.MemoryNames[k]) return "memory name " + std::to_string(k) + " changed";
  }
  for (std::size_t k = 0; k < allowed.ReceivedPatchNames.size(); ++k)
    if (allowed.ReceivedPatchNames[k] != after.ReceivedPatchNames[k])
      return "patch name " + std::to_string(k) + " changed";
  return "a record changed that the message does not address";
}

}  // namespace quillon::testing
