#include "settings/names/patch_search.h"

#include "settings/names/text.h"

#include <algorithm>

namespace quillon {

namespace {

constexpr unsigned char Utf8ContinuationMask = 0xC0;
constexpr unsigned char Utf8Continuation = 0x80;
constexpr std::size_t NumberDigits = 3;  // patch numbers 001 .. 256

// Collects hits until the limit; one more match past it only marks the result as cut short.
class HitCollector {
 public:
  HitCollector(std::string_view needle, PatchSearchResult& result) : needle_(needle), result_(result) {}

  bool full() const { return result_.moreThanLimit; }

  // Checks the names under keys 0 .. count - 1 of `list`.
  void scan(const NameList& list, int groupType, int groupId, int numberOffset) {
    const int count = static_cast<int>(list.size());
    for (int i = 0; i < count && !full(); ++i) {
      const std::string* name = list.find(std::to_string(i));
      if (name) check(*name, groupType, groupId, i + numberOffset);
    }
  }

 private:
  void check(const std::string& name, int groupType, int groupId, int number) {
    if (asciiLower(name).find(needle_) == std::string::npos) return;
    if (result_.hits.size() == MaxFindHits) {
      result_.moreThanLimit = true;
      return;
    }
    result_.hits.push_back({groupType, groupId, number, name});
  }

  std::string_view needle_;
  PatchSearchResult& result_;
};

// The boards' lists of one half, slot by slot, up to the first slot without names there.
template <typename ListOf>
void scanBoards(const PatchNameLibrary& names, HitCollector& hits, int numberOffset, ListOf listOf) {
  for (int k = 1; k <= names.ExpMax() && !hits.full(); ++k) {
    const ExpansionSlot& slot = names.slot(k);
    const NameList& list = listOf(slot);
    if (list.empty()) return;
    hits.scan(list, group_type::Expansion, slot.boardId, numberOffset);
  }
}

}  // namespace

bool hasPresetE(ModuleType type) {
  return type == ModuleType::JV1010 || type == ModuleType::JV2080 || type == ModuleType::XP30;
}

int internalBankCount(ModuleType type) { return hasPresetE(type) ? InternalBankCountWithE : InternalBankCountWithoutE; }

std::size_t characterCount(std::string_view utf8) {
  std::size_t count = 0;
  for (char c : utf8) count += (static_cast<unsigned char>(c) & Utf8ContinuationMask) != Utf8Continuation;
  return count;
}

PatchSearchResult findPatches(const PatchNameLibrary& names, int internalBanks, std::string_view text) {
  PatchSearchResult result;
  if (characterCount(text) < MinSearchLength) {
    result.tooShort = true;
    return result;
  }
  const std::string needle = asciiLower(text);
  HitCollector hits(needle, result);
  // An internal bank without names (a missing section) is skipped; the next one is still searched.
  for (int bank = UserGroupId; bank <= internalBanks && !hits.full(); ++bank)
    hits.scan(names.bankList(bank), group_type::Internal, bank, 0);
  scanBoards(names, hits, 0, [](const ExpansionSlot& s) -> const NameList& { return s.patches; });
  scanBoards(names, hits, BoardHalfSize, [](const ExpansionSlot& s) -> const NameList& { return s.upperPatches; });
  return result;
}

std::string hitPlace(const PatchNameLibrary& names, const PatchHit& hit) {
  std::string bank;
  if (hit.groupType == group_type::Internal) {
    if (hit.groupId == UserGroupId)
      bank = "User";
    else if (hit.groupId == CardGroupId)
      bank = "Card";
    else
      bank = std::string(names_section::PresetPrefix) + static_cast<char>('A' + hit.groupId - FirstPresetGroupId);
  } else {
    for (int k = 1; k <= names.ExpMax() && bank.empty(); ++k)
      if (names.slot(k).boardId == hit.groupId) bank = names.slot(k).boardName;
    if (bank.empty()) bank = "Board " + std::to_string(hit.groupId);
  }
  std::string number = std::to_string(hit.number + 1);
  number.insert(0, NumberDigits - std::min(number.size(), NumberDigits), '0');
  return bank + " " + number;
}

std::string hitCode(const PatchHit& hit) {
  return std::to_string(hit.groupType) + "_" + std::to_string(hit.groupId) + "_" + std::to_string(hit.number);
}

}  // namespace quillon
