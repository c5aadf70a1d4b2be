#pragma once
// The patch and rhythm-set names of the preset banks, User and Card memory and
// the chosen expansion boards, read from "Preset.ini", "User.ini" and
// "Expansion.ini" in the data folder once at start; the User and Card lists
// again when names fetched from the module were written.

#include <array>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/names/ini_file.h"

namespace quillon {

using NameList = IniSection;  // key = patch number from 0, value = the name

namespace names_file {
inline constexpr std::string_view Preset = "Preset.ini";
inline constexpr std::string_view User = "User.ini";
inline constexpr std::string_view Expansion = "Expansion.ini";
}  // namespace names_file

namespace names_section {
inline constexpr std::string_view UserBank = "User Bank";
inline constexpr std::string_view UserRhythm = "User Rhythm";
inline constexpr std::string_view CardBank = "Card Bank";
inline constexpr std::string_view CardRhythm = "Card Rhythm";
inline constexpr std::string_view ExpansionBoards = "Expansionboards";
inline constexpr std::string_view PresetPrefix = "Preset ";  // + "A" .. "E"
inline constexpr std::string_view RhythmSuffix = "R";        // "Preset AR"
inline constexpr std::string_view UpperHalfSuffix = "2";     // board patches 128..255
inline constexpr std::string_view BoardRhythmSuffix = "2R";
inline constexpr std::string_view MaxPatchKey = "MaxPatch";
}  // namespace names_section

// Patch group type, part byte 02h.
namespace group_type {
inline constexpr int Internal = 0;
inline constexpr int PcmCard = 1;
inline constexpr int Expansion = 2;
}  // namespace group_type

// Internal group IDs (part byte 03h): 1 User, 2 Card, 3..7 Preset A..E; 0 has no list.
inline constexpr int InternalGroupCount = 8;
inline constexpr int UserGroupId = 1;
inline constexpr int CardGroupId = 2;
inline constexpr int FirstPresetGroupId = 3;
inline constexpr int PresetBankCount = 5;

// Slot 0 is the PCM card slot, 1..8 the boards A..H.
inline constexpr int ExpansionSlotCount = 9;
inline constexpr int LastExpansionSlot = ExpansionSlotCount - 1;
inline constexpr int BoardHalfSize = 128;    // patches per board section
inline constexpr int MaxBoardPatches = 256;  // why MaxPatch is held in an int, not a byte
inline constexpr int DefaultMaxPatch = 1;    // a board section without "MaxPatch"
inline constexpr std::size_t BoardNameLength = 15;
inline constexpr int FetchedNameCount = 128;

inline constexpr std::string_view PcmCardMessage = "PCM";

// The board choices the library is loaded with, from the settings.
struct ExpansionChoices {
  int ExpMax = 2;                                // last slot in use
  std::array<int, ExpansionSlotCount> boards{};  // ExpP, ExpA .. ExpH: positions in "Expansionboards"
};

struct ExpansionSlot {
  int boardId = 0;          // the slot's choice: the board's group ID and position in the board list
  bool holdsBoard = false;  // false when the choice lies outside the board list
  std::string boardName;    // at most BoardNameLength characters
  int MaxPatch = DefaultMaxPatch;
  NameList patches;       // patches 0..127 ("MaxPatch" is not among them)
  NameList upperPatches;  // patches 128..255 under keys 0..127
  NameList rhythms;
};

// "U:" (User) or "R:" (Card), the patch number from 1, a blank and the name.
std::string fetchedNameEntry(bool card, int index, std::string_view name);

class PatchNameLibrary {
 public:
  using InfoSink = std::function<void(std::string_view)>;

  // Reads the three files in `folder`; missing files or sections leave empty
  // lists. A file that is there but cannot be read is named to the info sink.
  void LoadPatchNames(const std::filesystem::path& folder, const ExpansionChoices& choices);

  // The name of a patch by part bytes 02h, 03h and the patch number 0..255;
  // empty when the list lacks it. A PCM-card patch tells the info sink "PCM".
  std::string PatchName(int groupType, int groupId, int number) const;
  // The same rule over the rhythm-set lists.
  std::string RhythmName(int groupType, int groupId, int number) const;

  // Writes FetchedNames into "User.ini", section "Card Bank" or "User Bank",
  // keeping the other sections. The lists in memory change at the next load.
  // Returns an error text, empty on success.
  std::string WriteUserNames(bool card) const;
  // Reads the User and Card lists of "User.ini" again, so that names just
  // written are shown and found at once. Returns an error text, empty on success.
  std::string ReloadUserNames();

  const NameList& bankList(int groupId) const;
  const NameList& rhythmList(int groupId) const;
  const NameList& expansionBoards() const { return expansionBoards_; }
  int ExpMax() const { return expMax_; }
  const ExpansionSlot& slot(int index) const { return slots_.at(index); }

  // Where a message meant for the user goes (an information box in the program).
  void setInfoSink(InfoSink sink) { infoSink_ = std::move(sink); }
  const InfoSink& infoSink() const { return infoSink_; }

  // The entries last fetched from User or Card memory, written by WriteUserNames.
  std::vector<std::string> FetchedNames;

 private:
  void loadInternalLists(const IniDocument& user, const IniDocument& preset);
  void useUserLists(const IniDocument& user);
  void loadSlots(const IniDocument& expansion, const ExpansionChoices& choices);
  const ExpansionSlot* slotHoldingBoard(int groupId) const;
  std::string nameFor(int groupType, int groupId, int number, bool rhythm) const;

  std::filesystem::path folder_;
  std::array<NameList, InternalGroupCount> banks_;
  std::array<NameList, InternalGroupCount> rhythms_;
  NameList expansionBoards_;
  std::array<ExpansionSlot, ExpansionSlotCount> slots_;
  int expMax_ = -1;  // no slot until loaded
  InfoSink infoSink_;
};

// The lists speak to the user of a PCM-card patch as the grid shows it; naming
// parts elsewhere (the library, a sheet, a comparison) is no showing, so they
// keep quiet while one of these lives.
class QuietPatchNames {
 public:
  explicit QuietPatchNames(PatchNameLibrary& names) : names_(names), sink_(names.infoSink()) { names_.setInfoSink({}); }
  ~QuietPatchNames() { names_.setInfoSink(sink_); }
  QuietPatchNames(const QuietPatchNames&) = delete;
  QuietPatchNames& operator=(const QuietPatchNames&) = delete;

 private:
  PatchNameLibrary& names_;
  PatchNameLibrary::InfoSink sink_;
};

}  // namespace quillon
