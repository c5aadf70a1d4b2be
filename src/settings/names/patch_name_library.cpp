#include "settings/names/patch_name_library.h"

#include <algorithm>

#include "settings/names/text.h"

namespace quillon {

namespace {

constexpr std::string_view UserEntryPrefix = "U:";
constexpr std::string_view CardEntryPrefix = "R:";
constexpr std::string_view MissingBoardPatch = "  Patch ";
constexpr std::string_view MissingBoardRhythm = "  Rhytm ";

const NameList EmptyList;

std::string presetSection(int bank) { return std::string(names_section::PresetPrefix) + static_cast<char>('A' + bank); }

std::string lookUp(const NameList& list, int number) { return list.value(std::to_string(number)); }

// The board's "MaxPatch", or the default when it is absent or no patch count.
int maxPatchOf(const NameList& boardSection) {
  const auto count = boardSection.integer(names_section::MaxPatchKey);
  return count && *count >= 1 && *count <= MaxBoardPatches ? *count : DefaultMaxPatch;
}

}  // namespace

std::string fetchedNameEntry(bool card, int index, std::string_view name) {
  return std::string(card ? CardEntryPrefix : UserEntryPrefix) + std::to_string(index + 1) + " " + std::string(name);
}

void PatchNameLibrary::LoadPatchNames(const std::filesystem::path& folder, const ExpansionChoices& choices) {
  folder_ = folder;
  std::string problems;
  // A list that is there but cannot be read (a folder, a pipe, no rights) is
  // named; its names stay empty, as for a missing list.
  const auto read = [&problems](const std::filesystem::path& file) {
    std::string problem;
    IniDocument doc = readIniFile(file, &problem);
    if (!problem.empty()) problems += (problems.empty() ? "" : "\r") + problem;
    return doc;
  };
  const IniDocument expansion = read(folder / names_file::Expansion);
  expansionBoards_ = expansion.sectionOrEmpty(names_section::ExpansionBoards);
  loadInternalLists(read(folder / names_file::User), read(folder / names_file::Preset));
  loadSlots(expansion, choices);
  if (!problems.empty() && infoSink_) infoSink_(problems + "\rThose patch names are left empty.");
}

void PatchNameLibrary::loadInternalLists(const IniDocument& user, const IniDocument& preset) {
  banks_.fill(NameList{});
  rhythms_.fill(NameList{});
  useUserLists(user);
  for (int bank = 0; bank < PresetBankCount; ++bank) {
    const std::string name = presetSection(bank);
    banks_[FirstPresetGroupId + bank] = preset.sectionOrEmpty(name);
    rhythms_[FirstPresetGroupId + bank] = preset.sectionOrEmpty(name + std::string(names_section::RhythmSuffix));
  }
}

void PatchNameLibrary::loadSlots(const IniDocument& expansion, const ExpansionChoices& choices) {
  // The settings keep ExpMax in 0..8; a library used without them must not run past the slots.
  expMax_ = std::clamp(choices.ExpMax, 0, LastExpansionSlot);
  slots_.fill(ExpansionSlot{});
  const auto& boards = expansionBoards_.lines();
  for (int k = 0; k <= expMax_; ++k) {
    ExpansionSlot& slot = slots_[k];
    slot.boardId = choices.boards[k];
    slot.holdsBoard = slot.boardId >= 0 && slot.boardId < static_cast<int>(boards.size());
    if (!slot.holdsBoard) continue;
    // Section names are read trimmed, so a cut that ends in a blank must be trimmed too.
    slot.boardName = std::string(trimmed(firstCharacters(boards[slot.boardId].value, BoardNameLength)));
    const NameList lower = expansion.sectionOrEmpty(slot.boardName);
    // "MaxPatch" shares the section with the names, but it is no patch: the
    // selection grid shows the list in file order.
    slot.patches = lower.without(names_section::MaxPatchKey);
    slot.upperPatches = expansion.sectionOrEmpty(slot.boardName + std::string(names_section::UpperHalfSuffix));
    slot.rhythms = expansion.sectionOrEmpty(slot.boardName + std::string(names_section::BoardRhythmSuffix));
    slot.MaxPatch = maxPatchOf(lower);
  }
}

const NameList& PatchNameLibrary::bankList(int groupId) const {
  return groupId >= 0 && groupId < InternalGroupCount ? banks_[groupId] : EmptyList;
}

const NameList& PatchNameLibrary::rhythmList(int groupId) const {
  return groupId >= 0 && groupId < InternalGroupCount ? rhythms_[groupId] : EmptyList;
}

const ExpansionSlot* PatchNameLibrary::slotHoldingBoard(int groupId) const {
  for (int k = expMax_; k >= 0; --k)
    if (slots_[k].holdsBoard && slots_[k].boardId == groupId) return &slots_[k];
  return nullptr;
}

std::string PatchNameLibrary::nameFor(int groupType, int groupId, int number, bool rhythm) const {
  switch (groupType) {
    case group_type::Internal: return lookUp(rhythm ? rhythmList(groupId) : bankList(groupId), number);
    case group_type::PcmCard:
      if (infoSink_) infoSink_(PcmCardMessage);
      return {};
    case group_type::Expansion: {
      const ExpansionSlot* slot = slotHoldingBoard(groupId);
      if (!slot)
        return "Exp " + std::to_string(groupId) + std::string(rhythm ? MissingBoardRhythm : MissingBoardPatch) +
               std::to_string(number);
      if (rhythm) return lookUp(slot->rhythms, number);
      return number < BoardHalfSize ? lookUp(slot->patches, number)
                                    : lookUp(slot->upperPatches, number - BoardHalfSize);
    }
    default: return {};
  }
}

std::string PatchNameLibrary::PatchName(int groupType, int groupId, int number) const {
  return nameFor(groupType, groupId, number, false);
}

std::string PatchNameLibrary::RhythmName(int groupType, int groupId, int number) const {
  return nameFor(groupType, groupId, number, true);
}

void PatchNameLibrary::useUserLists(const IniDocument& user) {
  banks_[UserGroupId] = user.sectionOrEmpty(names_section::UserBank);
  rhythms_[UserGroupId] = user.sectionOrEmpty(names_section::UserRhythm);
  banks_[CardGroupId] = user.sectionOrEmpty(names_section::CardBank);
  rhythms_[CardGroupId] = user.sectionOrEmpty(names_section::CardRhythm);
}

std::string PatchNameLibrary::ReloadUserNames() {
  std::string problem;
  const IniDocument user = readIniFile(folder_ / names_file::User, &problem);
  if (!problem.empty()) return problem;
  useUserLists(user);
  return {};
}

std::string PatchNameLibrary::WriteUserNames(bool card) const {
  NameList section(std::string(card ? names_section::CardBank : names_section::UserBank));
  for (std::size_t i = 0; i < FetchedNames.size(); ++i) section.add(std::to_string(i), FetchedNames[i]);
  return writeIniSection(folder_ / names_file::User, section);
}

}  // namespace quillon
