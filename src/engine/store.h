#pragma once
// The one performance store of the program: the edited performance, the
// listed performances, side tables filled by transfers, and the flags through
// which windows, sender and decoder cooperate.

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/performance.h"

namespace quillon {

inline constexpr int PerformanceListSize = address::MemoryPerformanceCount;
inline constexpr int ReceivedPatchNameCount = address::MemoryPatchCount + 1;  // indices 0..128
inline constexpr int SystemImageSize = 96;
inline constexpr int PartsPerPage = 4;
// The Temporary Performance travels as its common block and 16 part blocks.
inline constexpr int TempBlockCount = 1 + address::PartCount;
inline constexpr std::uint32_t AllTempBlocks = (1u << TempBlockCount) - 1;

// Where a listed performance came from (its area byte).
enum class PerformanceKind : Byte {
  None = 0,
  Temp = address::AreaTemporary,
  User = address::AreaUserPerformance,
  Card = address::AreaCardPerformance,
};

// What the reader keeps of each listed performance besides its data.
struct ListEntryInfo {
  PerformanceKind kind = PerformanceKind::None;
  int fileNumber = 0;           // the number the file stored it under (0..31)
  std::int64_t fileOffset = 0;  // offset of its common message's F0
  bool complete = true;         // false when blocks were missing from the file or damaged
  std::string problem;          // which, and why; empty when complete
};

// Why bytes of the store changed.
enum class ChangeOrigin { UserEdit, Incoming, File, Undo };

// Which bytes changed: an address range of the module's map, or everything.
struct StoreChange {
  Byte area = address::AreaTemporary;
  Byte sub = 0;
  Byte block = address::BlockCommon;
  int offset = 0;
  int length = -1;  // below 0: the whole store was replaced (a file, a fetch, another entry)
  ChangeOrigin origin = ChangeOrigin::File;

  static StoreChange everything(ChangeOrigin origin) { return {address::AreaTemporary, 0, 0, 0, -1, origin}; }
  bool isEverything() const { return length < 0; }
  // True when these bytes overlap `count` bytes at `at` of a block of the map.
  bool touches(Byte areaByte, Byte blockByte, int at, int count) const {
    if (isEverything()) return true;
    return area == areaByte && sub == 0 && block == blockByte && at < offset + length && offset < at + count;
  }
};

class StoreObserver {
 public:
  virtual ~StoreObserver() = default;
  virtual void storeChanged(const StoreChange& change) = 0;
};

// The performances as the last file, fetch or dump brought them, before any
// edit: what "as fetched / as opened" compares with.
struct LoadedPerformances {
  PerformanceRecord temp;
  std::array<PerformanceRecord, address::MemoryPerformanceCount> list{};
};

struct PerformanceStore {
  PerformanceRecord TempPerformance;
  std::array<PerformanceRecord, PerformanceListSize> PerformanceList{};
  std::array<ListEntryInfo, PerformanceListSize> ListInfo{};
  std::int32_t PerformanceCount = 0;
  std::int32_t SelectedIndex = 0;
  std::array<NameBytes, PerformanceListSize> MemoryNames{};
  std::array<NameBytes, ReceivedPatchNameCount> ReceivedPatchNames{};
  std::array<Byte, SystemImageSize> SystemImage{};
  std::array<std::string, address::PartCount> PartPatchNames{};
  std::string CurrentFileName;

  // Shared by the part editors: area 01, sub 00, then block and offset per send.
  SysexAddress SysexAddressBuffer{address::AreaTemporary, 0, 0, 0};
  std::int32_t SendLength = 1;
  // The part last touched in an editing window (the windows' pages and halves
  // live in their editing cursor); the test channel follows its receive channel.
  std::int32_t EditedPart = 0;

  bool Updating = false;
  bool FormFilling = false;
  bool NamesOnly = false;
  bool UnsavedChanges = false;
  bool NoPerformance = false;
  bool ListLoaded = false;
  bool FromTemp = false;
  bool FromUser = false;
  bool FromCard = false;
  bool MidiClosed = false;
  bool NoResponse = false;
  bool TempSent = false;
  bool FileDropped = false;
  bool LogEnabled = false;

  LoadedPerformances AsLoaded;
  // Called once a file, a fetch or a dump has replaced the performances: what
  // they hold now is what was loaded, and nothing of it is edited yet.
  void rememberLoaded() {
    AsLoaded = {TempPerformance, PerformanceList};
    UnsavedChanges = false;
  }
  // The shown performance as it was loaded: the fetched Temporary Performance
  // or the selected entry of the list.
  const PerformanceRecord& shownAsLoaded() const;

  // How the sender reports the bytes it mirrors (an undo says so).
  ChangeOrigin SendOrigin = ChangeOrigin::UserEdit;

  // Observers hear of every mirrored send and every decoded incoming message.
  void addObserver(StoreObserver* observer);
  void removeObserver(StoreObserver* observer);
  void notifyChanged(const StoreChange& change) const;
  void notifyReloaded(ChangeOrigin origin) const { notifyChanged(StoreChange::everything(origin)); }

  // The part being edited and its block byte.
  int editedPart() const { return EditedPart; }
  Byte editedPartBlock() const { return address::partBlock(editedPart()); }

  PerformanceRecord& selectedPerformance();

  // Mirrors a DT1 sent to the Temporary Performance into TempPerformance and
  // the selected list entry; returns true when anything was mirrored.
  bool mirrorSentData(const SysexAddress& address, std::span<const Byte> data);

  // Zeroes the edited performance and every listed common block (parts of the
  // list stay), ready for new data.
  void clearPerformanceData();
  // The list now holds `count` performances of `kind` (a fetch, a dump, the
  // library): the first is selected, nothing of it is sent or loaded yet.
  void markListReplaced(PerformanceKind kind, int count);

 private:
  std::vector<StoreObserver*> observers_;
};

// The performances and where they came from, kept so that a fetch or a file
// that brought nothing leaves them all as they were.
class ListSnapshot {
 public:
  explicit ListSnapshot(const PerformanceStore& s);
  void restore(PerformanceStore& s) const;

 private:
  PerformanceRecord temp_;
  std::array<PerformanceRecord, PerformanceListSize> list_;
  std::array<ListEntryInfo, PerformanceListSize> info_;
  std::int32_t count_, selected_;
  bool fromTemp_, fromUser_, fromCard_, noPerformance_, listLoaded_, tempSent_;
  std::string fileName_;
};

// Texts of the 4 by 8 performance grid (cells run down the columns).
inline constexpr int GridColumns = 4;
inline constexpr int GridRows = 8;
struct GridCell {
  int column;
  int row;
};
constexpr GridCell gridCellOf(int index) { return {index / GridRows, index % GridRows}; }
std::string emptyGridCellText(int index);
std::string filledGridCellText(int index, const std::string& name);
const char* kindText(PerformanceKind kind);

}  // namespace quillon
