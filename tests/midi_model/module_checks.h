#pragma once
// The rules the virtual module keeps whatever arrives on its port: an answer
// is a well-formed DT1 of the requested bytes, a DT1 changes only the bytes it
// addresses, and what the model holds is stored and answered. Shared by the
// generated-input tests and the fuzz target; each check returns what broke,
// or nothing.

#include <algorithm>
#include <array>
#include <string>

#include "midi/model/virtual_module.h"

namespace quillon::jv::testing {

// The whole record that holds block `a` (bytes past the block's length
// included, so that a write beyond it shows); empty for no block the model holds.
inline std::span<const Byte> recordAt(VirtualModule& m, const SysexAddress& a) {
  const auto performanceBlock = [&](const PerformanceRecord& r) {
    if (a.block() == address::BlockCommon) return std::span<const Byte>(r.common);
    return std::span<const Byte>(r.parts[static_cast<std::size_t>(a.block() - address::BlockPartFirst)]);
  };
  switch (a.area()) {
    case address::AreaSystem: return m.systemArea();
    case address::AreaTemporary: return performanceBlock(m.temporary());
    case address::AreaUserPerformance:
    case address::AreaCardPerformance: return performanceBlock(m.performance(a.area(), a.sub()));
    default: return m.patchName(a.area(), a.sub());
  }
}

// Calls visit(address) for every block the model holds.
template <typename Visit>
void forEachBlock(Visit visit) {
  visit(SysexAddress{address::AreaSystem, 0, 0, 0});
  const auto performance = [&](Byte area, int number) {
    visit(address::memoryCommon(area, number));
    for (int p = 0; p < address::PartCount; ++p) visit(address::memoryPart(area, number, p));
  };
  performance(address::AreaTemporary, 0);
  for (const Byte area : {address::AreaUserPerformance, address::AreaCardPerformance})
    for (int n = 0; n < address::MemoryPerformanceCount; ++n) performance(area, n);
  for (const Byte area : {address::AreaUserPatch, address::AreaCardPatch})
    for (int n = 0; n < address::MemoryPatchCount; ++n) visit(address::memoryPatch(area, n));
}

// The model's memory areas as byte ranges, to tell at once whether anything changed.
inline std::array<std::span<const Byte>, 6> memoryAreas(VirtualModule& m) {
  static_assert(sizeof(PerformanceRecord) == CommonRecordSize + address::PartCount * PartRecordSize);
  const auto bytesOf = [](const auto& first, int count) {
    return std::span(reinterpret_cast<const Byte*>(&first), sizeof first * static_cast<std::size_t>(count));
  };
  return {std::span<const Byte>(m.systemArea()),
          bytesOf(m.temporary(), 1),
          bytesOf(m.performance(address::AreaUserPerformance, 0), address::MemoryPerformanceCount),
          bytesOf(m.performance(address::AreaCardPerformance, 0), address::MemoryPerformanceCount),
          bytesOf(m.patchName(address::AreaUserPatch, 0), address::MemoryPatchCount),
          bytesOf(m.patchName(address::AreaCardPatch, 0), address::MemoryPatchCount)};
}

inline bool sameBlock(const SysexAddress& a, const SysexAddress& b) {
  return std::equal(a.bytes.begin(), a.bytes.begin() + 3, b.bytes.begin());
}

inline bool addressedTo(const VirtualModule& m, Byte device) {
  return device == m.device() || device == roland::BroadcastDevice;
}

// `reply` is what `m` (unchanged by a request) answered to `message`.
inline std::string answerFault(const VirtualModule& m, std::span<const Byte> message, const Reply& reply) {
  RQ1Message rq1;
  bool checksumOk = false;
  const bool request = parseRQ1(message, rq1, checksumOk);
  if (reply.outcome != Outcome::Answered) {
    if (!reply.answers.empty()) return "answers without the outcome Answered";
    if (request && addressedTo(m, rq1.device) && rq1.size > 0 && rq1.address.offset() < m.blockAt(rq1.address).size())
      return "a request for memory the model holds went unanswered";
    return {};
  }
  if (!request) return "answered a message that is no RQ1";
  if (reply.answers.empty()) return "Answered without an answer";
  for (const Bytes& a : reply.answers) {
    DT1Message dt1;
    if (parseDT1(a, dt1) != DT1Check::Ok) return "an answer is no well-formed DT1";
    if (!std::all_of(a.begin() + 1, a.end() - 1, [](Byte b) { return b <= midi_byte::DataMask; }))
      return "an answer carries a status byte inside";
    if (dt1.device != m.device()) return "an answer carries another device byte";
    if (!sameBlock(dt1.address, rq1.address) || dt1.address.offset() < rq1.address.offset())
      return "an answer comes from another address than the request's";
    const auto block = m.blockAt(dt1.address);
    const std::size_t from = dt1.address.offset();
    if (dt1.data.empty() || from + dt1.data.size() > block.size() ||
        from + dt1.data.size() > rq1.address.offset() + static_cast<std::size_t>(rq1.size))
      return "an answer runs past its block or the requested size";
    if (!std::ranges::equal(dt1.data, block.subspan(from, dt1.data.size())))
      return "an answer is not what the model holds";
  }
  return {};
}

// `before` is the model as it was when `after` received `message`.
inline std::string storageFault(const VirtualModule& before, VirtualModule& after, std::span<const Byte> message,
                                const Reply& reply) {
  DT1Message dt1;
  const bool dataSet = parseDT1(message, dt1) == DT1Check::Ok;
  const bool stored = reply.outcome == Outcome::Stored;
  if (stored && !dataSet) return "stored a message that is no DT1";
  if (!stored && dataSet && addressedTo(after, dt1.device) && !dt1.data.empty() &&
      dt1.address.offset() < after.blockAt(dt1.address).size() &&
      std::all_of(message.begin() + 1, message.end() - 1, [](Byte b) { return b <= midi_byte::DataMask; }))
    return "a DT1 for memory the model holds was not stored";

  // The memory must be the old one with the DT1's bytes written into its
  // block, those past the block's end dropped; the block walk only says where not.
  VirtualModule expected = before;
  if (stored) {
    const std::span<Byte> block = expected.blockAt(dt1.address);
    const std::size_t from = dt1.address.offset();
    if (from >= block.size()) return "stored outside the addressed block";
    std::copy_n(dt1.data.begin(), std::min(dt1.data.size(), block.size() - from),
                block.begin() + static_cast<std::ptrdiff_t>(from));
  }
  const auto sameBytes = [](std::span<const Byte> a, std::span<const Byte> b) { return std::ranges::equal(a, b); };
  if (std::ranges::equal(memoryAreas(expected), memoryAreas(after), sameBytes)) return {};
  std::string fault;
  forEachBlock([&](const SysexAddress& a) {
    if (fault.empty() && !sameBytes(recordAt(expected, a), recordAt(after, a)))
      fault = "block " + std::to_string(a.area()) + "/" + std::to_string(a.sub()) + "/" + std::to_string(a.block()) +
              (stored && sameBlock(a, dt1.address) ? " does not hold the DT1's bytes as stored"
                                                   : " changed, but the message addresses another");
  });
  return fault.empty() ? "the memory changed outside its blocks" : fault;
}

}  // namespace quillon::jv::testing
