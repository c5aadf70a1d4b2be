#pragma once
// A dump the module sends by itself (a bulk dump started on its panel),
// collected apart from the store: every whole message as it came, the
// performances of the Temporary, User and Card areas block by block, and a
// count of what else arrived. Nothing is called whole before every block of
// it came; a damaged message is named and left out.

#include <array>
#include <bitset>
#include <span>
#include <string>
#include <vector>

#include "engine/store.h"
#include "engine/sysex_assembler.h"

namespace quillon {

// What else a dump may hold besides performances.
enum class DumpContent { System, Patch, RhythmSet, OtherData, OtherSysex, Count };

class DumpCapture {
 public:
  static constexpr std::size_t ReportedProblems = 20;  // named one by one; the rest are counted

  explicit DumpCapture(BlockSizes sizes);
  DumpCapture(const DumpCapture&) = delete;  // its assembler reports to this one
  DumpCapture& operator=(const DumpCapture&) = delete;

  // The SysEx bytes of one event from an input, as they arrived. A message
  // split over several events is joined.
  void take(std::span<const Byte> bytes);
  // The receive ended: a message still open is broken off.
  void finish();

  // Whole messages kept, byte for byte in the order they came: what a save writes.
  const Bytes& kept() const { return kept_; }
  int messages() const { return messages_; }
  bool empty() const { return messages_ == 0; }
  int count(DumpContent content) const { return counts_[static_cast<std::size_t>(content)]; }
  // Messages left out (damaged, broken off) and restarts, the first ones in words.
  const std::vector<std::string>& problems() const { return problems_; }
  int problemCount() const { return problemCount_; }
  int restarts() const { return restarts_; }
  int realTimeTakenOut() const { return assembler_.realTimeTakenOut(); }

  // Performances of an area (Temp, User or Card) that arrived at all, and whole.
  bool any(PerformanceKind area) const;
  std::vector<int> numbersArrived(PerformanceKind area) const;
  bool whole(PerformanceKind area, int number) const;
  // One line per area: "User: 12 whole (1-12), incomplete: 13".
  std::string areaText(PerformanceKind area) const;
  // Counts of everything else, in one line.
  std::string otherText() const;

  // The area's performances as the list, as a fetch of it leaves the store:
  // numbered by slot up to the last that arrived, incomplete ones marked
  // with the blocks they lack. Returns how many are listed.
  int putIntoStore(PerformanceStore& store, PerformanceKind area) const;

 private:
  struct Performance {
    PerformanceRecord record;
    std::array<std::bitset<CommonRecordSize>, TempBlockCount> covered;
    bool any() const;
  };
  Performance* performanceAt(const SysexAddress& a);
  const Performance* find(PerformanceKind area, int number) const;
  std::uint32_t wholeBlocks(const Performance& p) const;
  void keep(Bytes&& message);
  void storeBlock(Performance& p, const SysexAddress& a, std::span<const Byte> data);
  void problem(const std::string& text);
  void count(DumpContent content) { ++counts_[static_cast<std::size_t>(content)]; }

  BlockSizes sizes_;
  SysexAssembler assembler_;
  Bytes kept_;
  int messages_ = 0;
  int arrived_ = 0;  // whole messages, kept or not: how the problems name them
  std::array<int, static_cast<std::size_t>(DumpContent::Count)> counts_{};
  std::vector<std::string> problems_;
  int problemCount_ = 0;
  int restarts_ = 0;
  Performance temp_;
  std::array<Performance, address::MemoryPerformanceCount> user_{};
  std::array<Performance, address::MemoryPerformanceCount> card_{};
};

}  // namespace quillon
