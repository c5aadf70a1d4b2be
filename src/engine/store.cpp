#include "engine/store.h"

#include <algorithm>

namespace quillon {

namespace {
constexpr int EmptyCellPadding = 15;

template <std::size_t N>
void writeClipped(std::array<Byte, N>& record, int offset, std::span<const Byte> data) {
  for (std::size_t k = 0; k < data.size(); ++k) {
    const std::size_t at = static_cast<std::size_t>(offset) + k;
    if (at >= N) return;  // nothing beyond the record is ever written
    record[at] = data[k];
  }
}
}  // namespace

PerformanceRecord& PerformanceStore::selectedPerformance() {
  return PerformanceList[static_cast<std::size_t>(std::clamp(SelectedIndex, 0, PerformanceListSize - 1))];
}

const PerformanceRecord& PerformanceStore::shownAsLoaded() const {
  if (FromTemp) return AsLoaded.temp;
  return AsLoaded.list[static_cast<std::size_t>(std::clamp(SelectedIndex, 0, PerformanceListSize - 1))];
}

bool PerformanceStore::mirrorSentData(const SysexAddress& addr, std::span<const Byte> data) {
  if (addr.area() != address::AreaTemporary) return false;
  PerformanceRecord& selected = selectedPerformance();
  if (addr.block() == address::BlockCommon) {
    writeClipped(TempPerformance.common, addr.offset(), data);
    writeClipped(selected.common, addr.offset(), data);
  } else if (address::isPartBlock(addr.block())) {
    const int p = addr.block() - address::BlockPartFirst;
    writeClipped(TempPerformance.parts[p], addr.offset(), data);
    writeClipped(selected.parts[p], addr.offset(), data);
  } else {
    return false;
  }
  UnsavedChanges = true;
  return true;
}

void PerformanceStore::addObserver(StoreObserver* observer) {
  if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) observers_.push_back(observer);
}

void PerformanceStore::removeObserver(StoreObserver* observer) { std::erase(observers_, observer); }

void PerformanceStore::notifyChanged(const StoreChange& change) const {
  // A copy: an observer may leave while it is told.
  const std::vector<StoreObserver*> observers = observers_;
  for (StoreObserver* o : observers) o->storeChanged(change);
}

void PerformanceStore::markListReplaced(PerformanceKind kind, int count) {
  PerformanceCount = count;
  SelectedIndex = 0;
  NoPerformance = count == 0;
  FromTemp = kind == PerformanceKind::Temp;
  FromUser = kind == PerformanceKind::User;
  FromCard = kind == PerformanceKind::Card;
  ListLoaded = false;
  TempSent = false;
}

void PerformanceStore::clearPerformanceData() {
  TempPerformance.common.fill(0);
  for (auto& p : TempPerformance.parts) std::fill_n(p.begin(), PartBytesKept, Byte{0});
  for (auto& entry : PerformanceList) entry.common.fill(0);
}

std::string emptyGridCellText(int index) {
  return " " + std::to_string(index + 1) + std::string(EmptyCellPadding, ' ');
}

std::string filledGridCellText(int index, const std::string& name) {
  return " " + std::to_string(index + 1) + " = " + name;
}

const char* kindText(PerformanceKind kind) {
  switch (kind) {
    case PerformanceKind::Temp: return "Temp";
    case PerformanceKind::User: return "User";
    case PerformanceKind::Card: return "Card";
    case PerformanceKind::None: break;
  }
  return "";
}

ListSnapshot::ListSnapshot(const PerformanceStore& s)
    : temp_(s.TempPerformance),
      list_(s.PerformanceList),
      info_(s.ListInfo),
      count_(s.PerformanceCount),
      selected_(s.SelectedIndex),
      fromTemp_(s.FromTemp),
      fromUser_(s.FromUser),
      fromCard_(s.FromCard),
      noPerformance_(s.NoPerformance),
      listLoaded_(s.ListLoaded),
      tempSent_(s.TempSent),
      fileName_(s.CurrentFileName) {}

void ListSnapshot::restore(PerformanceStore& s) const {
  s.TempPerformance = temp_;
  s.PerformanceList = list_;
  s.ListInfo = info_;
  s.PerformanceCount = count_;
  s.SelectedIndex = selected_;
  s.FromTemp = fromTemp_;
  s.FromUser = fromUser_;
  s.FromCard = fromCard_;
  s.NoPerformance = noPerformance_;
  s.ListLoaded = listLoaded_;
  s.TempSent = tempSent_;
  s.CurrentFileName = fileName_;
}

}  // namespace quillon
