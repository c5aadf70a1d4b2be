#include "engine/dump_capture.h"

#include "engine/midi_message.h"
#include "engine/syx_reader.h"
#include "engine/temp_transfer.h"

namespace quillon {

namespace {

constexpr int NoBlock = -1;
constexpr const char* NotFinished = "not finished when the receive ended";

// 0 for the common block, 1..16 for the parts, NoBlock for any other block byte.
int blockIndex(Byte block) {
  if (block == address::BlockCommon) return 0;
  return address::isPartBlock(block) ? 1 + block - address::BlockPartFirst : NoBlock;
}

std::span<Byte> blockBytes(PerformanceRecord& r, int index) {
  if (index == 0) return r.common;
  return r.parts[static_cast<std::size_t>(index - 1)];
}

bool isPerformanceArea(Byte area) {
  return area == address::AreaUserPerformance || area == address::AreaCardPerformance;
}

DumpContent contentOf(const SysexAddress& a) {
  switch (a.area()) {
    case address::AreaSystem: return DumpContent::System;
    case address::AreaPatchData:
    case address::AreaUserPatch:
    case address::AreaCardPatch: return DumpContent::Patch;
    case address::AreaRhythmData: return DumpContent::RhythmSet;
    default: break;
  }
  if (isPerformanceArea(a.area()) && (a.sub() == syx::RhythmSet1 || a.sub() == syx::RhythmSet2))
    return DumpContent::RhythmSet;
  return DumpContent::OtherData;
}

// A message that says it is a JV-XP data set; other SysEx is kept as it came.
bool claimsJvDataSet(std::span<const Byte> m) {
  return m.size() > roland::PosCommand && m[roland::PosManufacturer] == roland::ManufacturerId &&
         m[roland::PosModel] == roland::ModelId && m[roland::PosCommand] == roland::CommandDT1;
}

std::string addressText(const SysexAddress& a) {
  std::string text;
  for (Byte b : a.bytes) text += (text.empty() ? "" : " ") + hex2(b);
  return text;
}

std::string addressText(std::span<const Byte> m) {
  SysexAddress a;
  for (std::size_t k = 0; k < a.bytes.size() && roland::PosAddress + k < m.size(); ++k)
    a.bytes[k] = m[roland::PosAddress + k];
  return addressText(a);
}

// "1-12, 14" for the 0-based numbers 0..11 and 13.
std::string numberRanges(const std::vector<int>& numbers) {
  std::string text;
  for (std::size_t i = 0; i < numbers.size();) {
    std::size_t j = i;
    while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1) ++j;
    text += (text.empty() ? "" : ", ") + std::to_string(numbers[i] + 1);
    if (j > i) text += "-" + std::to_string(numbers[j] + 1);
    i = j + 1;
  }
  return text;
}

std::string counted(int n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

DumpCapture::DumpCapture(BlockSizes sizes)
    : sizes_(sizes),
      assembler_([this](Bytes&& m, SysexAssembler::Origin) { keep(std::move(m)); },
                 [this](const std::string& why, SysexAssembler::Origin) {
                   problem("A message after message " + std::to_string(arrived_) + " is " + why + "; left out.");
                 }) {}

void DumpCapture::take(std::span<const Byte> bytes) { assembler_.feed(bytes, {}); }

void DumpCapture::finish() { assembler_.finish(NotFinished); }

bool DumpCapture::Performance::any() const {
  for (const auto& block : covered)
    if (block.any()) return true;
  return false;
}

void DumpCapture::problem(const std::string& text) {
  if (problems_.size() < ReportedProblems) problems_.push_back(text);
  ++problemCount_;
}

void DumpCapture::keep(Bytes&& message) {
  const std::string number = std::to_string(++arrived_);
  if (!claimsJvDataSet(message)) {
    count(DumpContent::OtherSysex);
  } else {
    DT1Message dt1;
    if (const DT1Check check = parseDT1(message, dt1); check != DT1Check::Ok) {
      // Stored or sent on, its data could be anything: it goes nowhere.
      problem("Message " + number + " (" + addressText(message) + "): " + std::string(dt1CheckText(check, message)) +
              "; left out.");
      return;
    }
    if (Performance* p = performanceAt(dt1.address))
      storeBlock(*p, dt1.address, dt1.data);
    else
      count(contentOf(dt1.address));
  }
  kept_.insert(kept_.end(), message.begin(), message.end());
  ++messages_;
}

DumpCapture::Performance* DumpCapture::performanceAt(const SysexAddress& a) {
  if (blockIndex(a.block()) == NoBlock) return nullptr;
  if (a.area() == address::AreaTemporary) return a.sub() == 0 ? &temp_ : nullptr;
  if (!isPerformanceArea(a.area()) || a.sub() >= address::MemoryPerformanceCount) return nullptr;
  return &(a.area() == address::AreaUserPerformance ? user_ : card_)[a.sub()];
}

const DumpCapture::Performance* DumpCapture::find(PerformanceKind area, int number) const {
  if (area == PerformanceKind::Temp) return number == 0 ? &temp_ : nullptr;
  if (area == PerformanceKind::None || number < 0 || number >= address::MemoryPerformanceCount) return nullptr;
  return &(area == PerformanceKind::User ? user_ : card_)[static_cast<std::size_t>(number)];
}

void DumpCapture::storeBlock(Performance& p, const SysexAddress& a, std::span<const Byte> data) {
  const int index = blockIndex(a.block());
  if (index == 0 && a.offset() == 0 && p.any()) {
    // The dump began again (or sent this performance twice): only what comes
    // from now on counts, so old and new blocks are never taken as one.
    if (restarts_++ == 0)
      problem("Message " + std::to_string(arrived_) + " (" + addressText(a) +
              ") began a performance that had arrived before: the dump restarted; the later data counts.");
    p.covered = {};
  }
  const std::span<Byte> target = blockBytes(p.record, index);
  for (std::size_t k = 0; k < data.size(); ++k) {
    const std::size_t at = a.offset() + k;
    if (at >= target.size()) break;
    target[at] = data[k];
    p.covered[static_cast<std::size_t>(index)].set(at);
  }
}

std::uint32_t DumpCapture::wholeBlocks(const Performance& p) const {
  std::uint32_t blocks = 0;
  for (int b = 0; b < TempBlockCount; ++b) {
    bool whole = true;
    for (int k = 0; k < blockLength(sizes_, b) && whole; ++k) whole = p.covered[static_cast<std::size_t>(b)].test(k);
    if (whole) blocks |= 1u << b;
  }
  return blocks;
}

bool DumpCapture::any(PerformanceKind area) const { return !numbersArrived(area).empty(); }

std::vector<int> DumpCapture::numbersArrived(PerformanceKind area) const {
  std::vector<int> numbers;
  for (int n = 0; n < address::MemoryPerformanceCount; ++n)
    if (const Performance* p = find(area, n); p && p->any()) numbers.push_back(n);
  return numbers;
}

bool DumpCapture::whole(PerformanceKind area, int number) const {
  const Performance* p = find(area, number);
  return p && wholeBlocks(*p) == AllTempBlocks;
}

std::string DumpCapture::areaText(PerformanceKind area) const {
  const std::string name = kindText(area);
  const std::vector<int> arrived = numbersArrived(area);
  if (arrived.empty()) return name + ": nothing";
  if (area == PerformanceKind::Temp) {
    if (whole(area, 0)) return name + ": whole";
    return name + ": incomplete (missing: " + tempBlockNames(AllTempBlocks & ~wholeBlocks(temp_)) + ")";
  }
  std::vector<int> complete, incomplete;
  for (int n : arrived) (whole(area, n) ? complete : incomplete).push_back(n);
  std::string text = name + ": " + std::to_string(complete.size()) + " whole";
  if (!complete.empty()) text += " (" + numberRanges(complete) + ")";
  if (!incomplete.empty()) text += "; incomplete: " + numberRanges(incomplete);
  return text;
}

std::string DumpCapture::otherText() const {
  struct Kind {
    DumpContent content;
    const char* one;
    const char* many;
  };
  static constexpr Kind Kinds[] = {
      {DumpContent::System, "system message", "system messages"},
      {DumpContent::Patch, "patch message", "patch messages"},
      {DumpContent::RhythmSet, "rhythm set message", "rhythm set messages"},
      {DumpContent::OtherData, "message of other data", "messages of other data"},
      {DumpContent::OtherSysex, "SysEx message of another kind", "SysEx messages of other kinds"},
  };
  std::string text;
  for (const Kind& k : Kinds)
    if (count(k.content) > 0) text += (text.empty() ? "" : ", ") + counted(count(k.content), k.one, k.many);
  return text.empty() ? "Nothing else" : "Also: " + text;
}

int DumpCapture::putIntoStore(PerformanceStore& store, PerformanceKind area) const {
  store.clearPerformanceData();
  store.PerformanceList.fill({});
  store.ListInfo.fill({});
  const std::vector<int> arrived = numbersArrived(area);
  const int count = arrived.empty() ? 0 : arrived.back() + 1;
  bool allWhole = true;
  for (int n = 0; n < count; ++n) {
    const Performance& p = *find(area, n);
    const std::uint32_t missing = AllTempBlocks & ~wholeBlocks(p);
    store.PerformanceList[static_cast<std::size_t>(n)] = p.record;
    store.ListInfo[static_cast<std::size_t>(n)] = {area, n, 0, missing == 0,
                                                   missing == 0 ? std::string()
                                                   : p.any()    ? "missing: " + tempBlockNames(missing)
                                                                : "did not arrive"};
    allWhole = allWhole && missing == 0;
  }
  if (area == PerformanceKind::Temp && count > 0) store.TempPerformance = temp_.record;
  store.markListReplaced(area, count);
  // Save proposes a name that says what the list is.
  store.CurrentFileName = std::string(kindText(area)) + "Dump" + (allWhole ? "" : "-incomplete") + ".syx";
  return count;
}

}  // namespace quillon
