#include "settings/names/patch_name_library.h"

#include <gtest/gtest.h>

#include <set>

#include "temp_folder.h"

namespace quillon {
namespace {

using test::readText;
using test::TempFolder;
using test::writeText;

constexpr int BoardA = 1;
constexpr int BoardB = 2;

// A small data folder: two preset banks, a user bank and two boards.
class NameLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    writeText(folder / "Preset.ini",
              "[Preset A]\n0=Alpha\n1=Beta\n[Preset AR]\n0=Kit A\n[Preset E]\n127=Last E\n");
    writeText(folder / "User.ini",
              "[User Bank]\n0=U:1 Mine\n[User Rhythm]\n0=My Kit\n[Card Bank]\n5=R:6 Card\n[Card Rhythm]\n");
    writeText(folder / "Expansion.ini",
              "[Expansionboards]\n0=None\n1=01 Pop\n2=05 World Music Long Name\n"
              "[01 Pop]\nMaxPatch=145\n0=Pop 0\n17=Pop 17\n"
              "[01 Pop2]\n2=Pop 130\n"
              "[01 Pop2R]\n0=Pop Kit\n"
              "[05 World Music]\n0=World 0\n"
              "[05 World Music2]\n127=World 255\n");
  }

  void load(int expMax, std::array<int, ExpansionSlotCount> boards) {
    library.LoadPatchNames(folder.path(), ExpansionChoices{expMax, boards});
  }

  TempFolder folder;
  PatchNameLibrary library;
};

TEST_F(NameLibrary, InternalGroupsMapToTheirBanks) {
  load(2, {});
  EXPECT_EQ(library.PatchName(group_type::Internal, FirstPresetGroupId, 0), "Alpha");
  EXPECT_EQ(library.PatchName(group_type::Internal, FirstPresetGroupId, 1), "Beta");
  EXPECT_EQ(library.PatchName(group_type::Internal, FirstPresetGroupId + 4, 127), "Last E");
  EXPECT_EQ(library.PatchName(group_type::Internal, UserGroupId, 0), "U:1 Mine");
  EXPECT_EQ(library.PatchName(group_type::Internal, CardGroupId, 5), "R:6 Card");
  EXPECT_EQ(library.RhythmName(group_type::Internal, FirstPresetGroupId, 0), "Kit A");
  EXPECT_EQ(library.RhythmName(group_type::Internal, UserGroupId, 0), "My Kit");
}

TEST_F(NameLibrary, UnknownKeysGroupsAndTypesGiveEmptyNames) {
  load(2, {});
  EXPECT_EQ(library.PatchName(group_type::Internal, FirstPresetGroupId, 2), "");
  EXPECT_EQ(library.PatchName(group_type::Internal, 0, 0), "") << "group ID 0 has no list";
  EXPECT_EQ(library.PatchName(group_type::Internal, InternalGroupCount, 0), "");
  EXPECT_EQ(library.PatchName(group_type::Internal, -1, 0), "");
  EXPECT_EQ(library.PatchName(3, FirstPresetGroupId, 0), "");
  EXPECT_EQ(library.PatchName(0x7F, 0x7F, 0), "");
  EXPECT_TRUE(library.bankList(InternalGroupCount).empty());
}

TEST_F(NameLibrary, BoardPatchesComeFromTheSlotHoldingTheBoard) {
  load(2, {0, BoardA, 0});
  EXPECT_EQ(library.PatchName(group_type::Expansion, BoardA, 0), "Pop 0");
  EXPECT_EQ(library.PatchName(group_type::Expansion, BoardA, 17), "Pop 17");
  EXPECT_EQ(library.PatchName(group_type::Expansion, BoardA, 130), "Pop 130") << "130 is key 2 of the \"2\" section";
  EXPECT_EQ(library.PatchName(group_type::Expansion, BoardA, 2), "") << "the lower list has no key 2";
  EXPECT_EQ(library.RhythmName(group_type::Expansion, BoardA, 0), "Pop Kit");
}

TEST_F(NameLibrary, ABoardNoSlotHoldsIsNamedByNumbers) {
  load(2, {0, BoardA, 0});
  EXPECT_EQ(library.PatchName(group_type::Expansion, 5, 17), "Exp 5  Patch 17");
  EXPECT_EQ(library.RhythmName(group_type::Expansion, 5, 1), "Exp 5  Rhytm 1");
}

TEST_F(NameLibrary, OnlySlotsUpToExpMaxCount) {
  load(1, {0, 0, BoardA});
  EXPECT_EQ(library.PatchName(group_type::Expansion, BoardA, 0), "Exp 1  Patch 0");
  load(2, {0, 0, BoardA});
  EXPECT_EQ(library.PatchName(group_type::Expansion, BoardA, 0), "Pop 0");
}

TEST_F(NameLibrary, BoardNamesAreCutToFifteenCharacters) {
  load(2, {0, BoardB, 0});
  EXPECT_EQ(library.slot(1).boardName, "05 World Music");
  EXPECT_EQ(library.PatchName(group_type::Expansion, BoardB, 0), "World 0");
  EXPECT_EQ(library.PatchName(group_type::Expansion, BoardB, 255), "World 255");
}

TEST_F(NameLibrary, TheLastSlotWithTheBoardIsUsed) {
  writeText(folder / "Expansion.ini",
            "[Expansionboards]\n0=None\n1=Same\n[Same]\n0=first read\n");
  load(2, {0, BoardA, BoardA});
  EXPECT_EQ(library.PatchName(group_type::Expansion, BoardA, 0), "first read");
  EXPECT_EQ(library.slot(2).boardId, BoardA);
}

TEST_F(NameLibrary, MaxPatchIsKeptWholeAndIsNoPatch) {
  writeText(folder / "Expansion.ini",
            "[Expansionboards]\n0=None\n1=Full\n2=Plain\n3=Odd\n"
            "[Full]\nMaxPatch=256\n0=F0\n[Plain]\n0=P0\n[Odd]\nMaxPatch=9999\n");
  load(3, {0, 1, 2, 3});
  EXPECT_EQ(library.slot(1).MaxPatch, 256);
  EXPECT_EQ(library.slot(2).MaxPatch, DefaultMaxPatch) << "absent";
  EXPECT_EQ(library.slot(3).MaxPatch, DefaultMaxPatch) << "no board has 9999 patches";
  ASSERT_EQ(library.slot(1).patches.size(), 1u) << "the grid shows the list in file order";
  EXPECT_EQ(library.slot(1).patches.lines()[0].value, "F0");
}

TEST_F(NameLibrary, AChoiceOutsideTheBoardListHoldsNoBoard) {
  load(2, {0, 7, -1});
  EXPECT_FALSE(library.slot(1).holdsBoard);
  EXPECT_FALSE(library.slot(2).holdsBoard);
  EXPECT_EQ(library.PatchName(group_type::Expansion, 7, 3), "Exp 7  Patch 3");
}

TEST_F(NameLibrary, ExpMaxBeyondTheSlotsIsKeptToTheSlots) {
  std::array<int, ExpansionSlotCount> all;
  all.fill(BoardA);
  load(99, all);
  EXPECT_EQ(library.ExpMax(), LastExpansionSlot);
  EXPECT_EQ(library.PatchName(group_type::Expansion, BoardA, 0), "Pop 0");
}

TEST_F(NameLibrary, APcmCardPatchTellsTheUserAndHasNoName) {
  load(2, {});
  std::vector<std::string> told;
  library.setInfoSink([&](std::string_view text) { told.emplace_back(text); });
  EXPECT_EQ(library.PatchName(group_type::PcmCard, 0, 3), "");
  EXPECT_EQ(library.RhythmName(group_type::PcmCard, 0, 0), "");
  EXPECT_EQ(told, (std::vector<std::string>{"PCM", "PCM"}));
  EXPECT_EQ(library.PatchName(group_type::Internal, FirstPresetGroupId, 0), "Alpha");
  EXPECT_EQ(told.size(), 2u);
}

TEST(NameLibraryFiles, MissingFilesGiveEmptyListsAndNumberedBoards) {
  TempFolder empty;
  PatchNameLibrary library;
  library.LoadPatchNames(empty.path(), ExpansionChoices{8, {}});
  EXPECT_EQ(library.PatchName(group_type::Internal, FirstPresetGroupId, 0), "");
  EXPECT_TRUE(library.expansionBoards().empty());
  EXPECT_EQ(library.PatchName(group_type::Expansion, 0, 4), "Exp 0  Patch 4");
}

TEST(NameLibraryFiles, MalformedLinesDoNotStopTheRestOfTheFile) {
  TempFolder folder;
  writeText(folder / "Preset.ini",
            std::string("[Preset A]\n0=Good\ngarbage line\n\x01\x02\xFF\n[broken\n=x\n1=Still here\n") +
                std::string(1, '\0') + "\n2=After a NUL\n");
  PatchNameLibrary library;
  library.LoadPatchNames(folder.path(), ExpansionChoices{});
  EXPECT_EQ(library.PatchName(group_type::Internal, FirstPresetGroupId, 0), "Good");
  EXPECT_EQ(library.PatchName(group_type::Internal, FirstPresetGroupId, 1), "Still here");
  EXPECT_EQ(library.PatchName(group_type::Internal, FirstPresetGroupId, 2), "After a NUL");
}

TEST_F(NameLibrary, WriteUserNamesReplacesOneBankAndKeepsTheRest) {
  writeText(folder / "User.ini", "[User Bank]\n0=old\n\n[Mine]\nkeep=me\n\n[Card Bank]\n0=R:1 Card\n");
  load(2, {});
  for (int m = 0; m < FetchedNameCount; ++m)
    library.FetchedNames.push_back(fetchedNameEntry(false, m, "Name " + std::to_string(m)));
  ASSERT_EQ(library.WriteUserNames(false), "");

  const IniDocument written = parseIni(readText(folder / "User.ini"));
  ASSERT_EQ(written.sections().size(), 3u);
  EXPECT_EQ(written.sections()[0].name(), "User Bank");
  EXPECT_EQ(written.sections()[1].name(), "Mine");
  EXPECT_EQ(written.sections()[2].name(), "Card Bank");
  EXPECT_EQ(written.section("User Bank")->size(), static_cast<std::size_t>(FetchedNameCount));
  EXPECT_EQ(written.section("User Bank")->value("0"), "U:1 Name 0");
  EXPECT_EQ(written.section("User Bank")->value("127"), "U:128 Name 127");
  EXPECT_EQ(written.section("Mine")->value("keep"), "me");
  EXPECT_EQ(written.section("Card Bank")->value("0"), "R:1 Card");

  EXPECT_EQ(library.PatchName(group_type::Internal, UserGroupId, 0), "old") << "names change at the next load";
  load(2, {});
  EXPECT_EQ(library.PatchName(group_type::Internal, UserGroupId, 127), "U:128 Name 127");
}

TEST_F(NameLibrary, WriteUserNamesForTheCardAddsItsBankWhenMissing) {
  writeText(folder / "User.ini", "[User Bank]\n0=U:1 Mine\n");
  load(2, {});
  library.FetchedNames = {fetchedNameEntry(true, 0, "Card Piano  ")};
  ASSERT_EQ(library.WriteUserNames(true), "");
  const IniDocument written = parseIni(readText(folder / "User.ini"));
  EXPECT_EQ(written.section("User Bank")->value("0"), "U:1 Mine");
  EXPECT_EQ(written.section("Card Bank")->value("0"), "R:1 Card Piano") << "the reader trims trailing blanks";
}

TEST_F(NameLibrary, AFailedWriteReportsAndLeavesTheOldFile) {
  load(2, {});
  std::filesystem::remove(folder / "User.ini");
  std::filesystem::create_directory(folder / "User.ini");
  library.FetchedNames = {"U:1 X"};
  EXPECT_NE(library.WriteUserNames(false), "");
  EXPECT_TRUE(std::filesystem::is_directory(folder / "User.ini"));
}

// The name lists shipped in data/.
class ShippedNames : public ::testing::Test {
 protected:
  const std::filesystem::path data{QUILLON_DATA_DIR};
  IniDocument expansion = readIniFile(data / names_file::Expansion);
};

TEST_F(ShippedNames, BoardListKeysAreTheirPositions) {
  const IniSection* boards = expansion.section(names_section::ExpansionBoards);
  ASSERT_NE(boards, nullptr);
  ASSERT_EQ(boards->size(), 20u);
  EXPECT_EQ(boards->value("0"), "None");
  for (std::size_t i = 0; i < boards->size(); ++i) {
    EXPECT_EQ(boards->lines()[i].key, std::to_string(i));
    EXPECT_LE(boards->lines()[i].value.size(), BoardNameLength);
  }
}

TEST_F(ShippedNames, EveryBoardLoadsWithItsPatchCountAndNames) {
  const IniSection& boards = *expansion.section(names_section::ExpansionBoards);
  PatchNameLibrary library;
  for (int first = 1; first < static_cast<int>(boards.size()); first += LastExpansionSlot) {
    ExpansionChoices choices{LastExpansionSlot, {}};
    for (int k = 1; k <= LastExpansionSlot; ++k) choices.boards[k] = std::min(first + k - 1, int(boards.size()) - 1);
    library.LoadPatchNames(data, choices);
    for (int k = 1; k <= LastExpansionSlot; ++k) {
      const ExpansionSlot& slot = library.slot(k);
      SCOPED_TRACE(slot.boardName);
      EXPECT_GT(slot.MaxPatch, DefaultMaxPatch);
      EXPECT_LE(slot.MaxPatch, MaxBoardPatches);
      const std::size_t names = slot.patches.size() + slot.upperPatches.size();
      EXPECT_EQ(names, static_cast<std::size_t>(slot.MaxPatch));
      EXPECT_FALSE(library.PatchName(group_type::Expansion, slot.boardId, slot.MaxPatch - 1).empty());
      EXPECT_EQ(library.PatchName(group_type::Expansion, slot.boardId, slot.MaxPatch), "");
    }
  }
}

TEST_F(ShippedNames, PresetsHoldFiveFullBanksAndUserStartsEmpty) {
  PatchNameLibrary library;
  library.LoadPatchNames(data, ExpansionChoices{});
  for (int bank = 0; bank < PresetBankCount; ++bank) {
    SCOPED_TRACE(bank);
    EXPECT_EQ(library.bankList(FirstPresetGroupId + bank).size(), 128u);
    EXPECT_FALSE(library.rhythmList(FirstPresetGroupId + bank).empty());
  }
  EXPECT_EQ(library.PatchName(group_type::Internal, FirstPresetGroupId, 0), "64voicePiano");

  const IniDocument user = readIniFile(data / names_file::User);
  const std::vector<std::string> expected{"User Bank", "User Rhythm", "Card Bank", "Card Rhythm"};
  ASSERT_EQ(user.sections().size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(user.sections()[i].name(), expected[i]);
    EXPECT_TRUE(user.sections()[i].empty());
  }
}

}  // namespace
}  // namespace quillon
