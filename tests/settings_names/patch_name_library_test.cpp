#include "settings/names/patch_name_library.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "temp_folder.h"

namespace quillon {
namespace {

using test::readText;
using test::TempFolder;
using test::writeText;

constexpr int Pop = 1;
constexpr int World = 2;
constexpr int Internal = group_type::Internal;
constexpr int Board = group_type::Expansion;
constexpr int PresetA = FirstPresetGroupId;

// A small data folder: preset banks A and E, User and Card, two boards.
class NameLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    writeText(folder / "Preset.ini", "[Preset A]\n0=Alpha\n1=Beta\n[Preset AR]\n0=Kit A\n[Preset E]\n127=Last E\n");
    writeText(folder / "User.ini",
              "[User Bank]\n0=U:1 Mine\n\n[Mine]\nkeep=me\n\n[Card Bank]\n5=R:6 Card\n[User Rhythm]\n0=My Kit\n");
    writeText(folder / "Expansion.ini",
              "[Expansionboards]\n0=None\n1=01 Pop\n2=05 World Music Long Name\n"
              "[01 Pop]\nMaxPatch=256\n0=Pop 0\n17=Pop 17\n[01 Pop2]\n2=Pop 130\n[01 Pop2R]\n0=Pop Kit\n"
              "[05 World Music]\nMaxPatch=9999\n0=World 0\n[05 World Music2]\n127=World 255\n");
  }
  void load(int expMax, std::array<int, ExpansionSlotCount> boards) {
    library.LoadPatchNames(folder.path(), ExpansionChoices{expMax, boards});
  }

  TempFolder folder;
  PatchNameLibrary library;
};

TEST_F(NameLibrary, InternalGroupsMapToTheirBanks) {
  load(2, {});
  EXPECT_EQ(library.PatchName(Internal, PresetA, 0), "Alpha");
  EXPECT_EQ(library.PatchName(Internal, PresetA + 4, 127), "Last E");
  EXPECT_EQ(library.PatchName(Internal, UserGroupId, 0), "U:1 Mine");
  EXPECT_EQ(library.PatchName(Internal, CardGroupId, 5), "R:6 Card");
  EXPECT_EQ(library.RhythmName(Internal, PresetA, 0), "Kit A");
  EXPECT_EQ(library.RhythmName(Internal, UserGroupId, 0), "My Kit");
  EXPECT_EQ(library.PatchName(Internal, PresetA, 2), "") << "a key the list lacks";
  EXPECT_EQ(library.PatchName(Internal, 0, 0), "") << "group ID 0 has no list";
  EXPECT_EQ(library.PatchName(Internal, InternalGroupCount, 0), "");
  EXPECT_EQ(library.PatchName(3, PresetA, 0), "") << "an unknown group type";
}

TEST_F(NameLibrary, AListThatIsNoRegularFileIsNamedAndTheOthersStillLoad) {
  std::filesystem::remove(folder / "User.ini");
  ASSERT_EQ(::mkfifo((folder / "User.ini").c_str(), 0600), 0);
  std::vector<std::string> told;
  library.setInfoSink([&](std::string_view text) { told.emplace_back(text); });
  load(2, {});  // a pipe without a writer would hold a plain open for good
  ASSERT_EQ(told.size(), 1u);
  EXPECT_NE(told[0].find("User.ini\": it is a named pipe (FIFO), not a file."), std::string::npos) << told[0];
  EXPECT_EQ(library.PatchName(Internal, UserGroupId, 0), "");
  EXPECT_EQ(library.PatchName(Internal, PresetA, 0), "Alpha");
}

TEST_F(NameLibrary, BoardPatchesComeFromTheLastSlotHoldingTheBoard) {
  load(3, {0, World, Pop, 0});
  EXPECT_EQ(library.PatchName(Board, Pop, 17), "Pop 17");
  EXPECT_EQ(library.PatchName(Board, Pop, 130), "Pop 130") << "key 2 of the \"2\" section";
  EXPECT_EQ(library.PatchName(Board, Pop, 2), "");
  EXPECT_EQ(library.RhythmName(Board, Pop, 0), "Pop Kit");
  EXPECT_EQ(library.slot(1).boardName, "05 World Music") << "15 characters, trailing blank dropped";
  EXPECT_EQ(library.PatchName(Board, World, 255), "World 255");

  writeText(folder / "Expansion.ini", "[Expansionboards]\n0=None\n1=Same\n[Same]\n0=one list\n");
  load(2, {0, Pop, Pop});
  EXPECT_EQ(library.PatchName(Board, Pop, 0), "one list");
  EXPECT_EQ(library.slot(2).boardId, Pop);
}

TEST_F(NameLibrary, BoardsNoSlotHoldsAreNamedByNumbers) {
  load(1, {0, 7, Pop});  // 7 is not in the board list; slot 2 lies beyond ExpMax
  EXPECT_FALSE(library.slot(1).holdsBoard);
  EXPECT_EQ(library.PatchName(Board, 5, 17), "Exp 5  Patch 17");
  EXPECT_EQ(library.PatchName(Board, 7, 3), "Exp 7  Patch 3");
  EXPECT_EQ(library.PatchName(Board, Pop, 0), "Exp 1  Patch 0");
  EXPECT_EQ(library.RhythmName(Board, 5, 1), "Exp 5  Rhytm 1");

  std::array<int, ExpansionSlotCount> all;
  all.fill(Pop);
  load(99, all);
  EXPECT_EQ(library.ExpMax(), LastExpansionSlot);
}

TEST_F(NameLibrary, MaxPatchIsKeptWholeAndIsNoPatch) {
  load(3, {0, Pop, World, 0});
  EXPECT_EQ(library.slot(1).MaxPatch, MaxBoardPatches);
  EXPECT_EQ(library.slot(2).MaxPatch, DefaultMaxPatch) << "no board has 9999 patches";
  EXPECT_EQ(library.slot(3).MaxPatch, DefaultMaxPatch) << "absent";
  ASSERT_EQ(library.slot(1).patches.size(), 2u) << "the selection grid shows the list in file order";
  EXPECT_EQ(library.slot(1).patches.lines()[0].value, "Pop 0");
}

TEST_F(NameLibrary, APcmCardPatchTellsTheUserAndHasNoName) {
  load(2, {});
  std::vector<std::string> told;
  library.setInfoSink([&](std::string_view text) { told.emplace_back(text); });
  EXPECT_EQ(library.PatchName(group_type::PcmCard, 0, 3), "");
  EXPECT_EQ(library.PatchName(Internal, PresetA, 0), "Alpha");
  EXPECT_EQ(told, std::vector<std::string>{"PCM"});
}

TEST(NameLibraryFiles, MissingFilesAndMalformedLinesLoseNothingElse) {
  TempFolder folder;
  PatchNameLibrary library;
  library.LoadPatchNames(folder.path(), ExpansionChoices{8, {}});
  EXPECT_EQ(library.PatchName(Internal, PresetA, 0), "");
  EXPECT_EQ(library.PatchName(Board, 0, 4), "Exp 0  Patch 4");

  writeText(folder / "Preset.ini", std::string("[Preset A]\n0=Good\ngarbage\n\x01\xFF\n[broken\n=x\n1=Still here\n") +
                                       '\0' + "\n2=After NUL\n");
  library.LoadPatchNames(folder.path(), ExpansionChoices{});
  EXPECT_EQ(library.PatchName(Internal, PresetA, 1), "Still here");
  EXPECT_EQ(library.PatchName(Internal, PresetA, 2), "After NUL");
}

TEST_F(NameLibrary, WriteUserNamesReplacesOneBankAndKeepsTheRest) {
  load(2, {});
  for (int m = 0; m < FetchedNameCount; ++m)
    library.FetchedNames.push_back(fetchedNameEntry(false, m, "N" + std::to_string(m)));
  ASSERT_EQ(library.WriteUserNames(false), "");
  library.FetchedNames = {fetchedNameEntry(true, 0, "Card Piano  ")};
  ASSERT_EQ(library.WriteUserNames(true), "");

  const IniDocument written = parseIni(readText(folder / "User.ini"));
  std::vector<std::string> order;
  for (const auto& s : written.sections()) order.push_back(s.name());
  EXPECT_EQ(order, (std::vector<std::string>{"User Bank", "Mine", "Card Bank", "User Rhythm"}));
  EXPECT_EQ(written.section("User Bank")->size(), static_cast<std::size_t>(FetchedNameCount));
  EXPECT_EQ(written.section("User Bank")->value("127"), "U:128 N127");
  EXPECT_EQ(written.section("Mine")->value("keep"), "me");
  EXPECT_EQ(written.section("Card Bank")->lines(), (std::vector<IniLine>{{"0", "R:1 Card Piano"}}));

  EXPECT_EQ(library.PatchName(Internal, UserGroupId, 0), "U:1 Mine") << "names change at the next load";
  load(2, {});
  EXPECT_EQ(library.PatchName(Internal, UserGroupId, 0), "U:1 N0");
}

TEST_F(NameLibrary, AFailedWriteReportsAndLeavesWhatWasThere) {
  load(2, {});
  library.FetchedNames = {"U:1 X"};
  std::filesystem::remove(folder / "User.ini");
  std::filesystem::create_directory(folder / "User.ini");
  writeText(folder / "User.ini" / "inside", "keep");
  EXPECT_NE(library.WriteUserNames(false).find("User.ini"), std::string::npos);
  EXPECT_EQ(readText(folder / "User.ini" / "inside"), "keep");

  library.LoadPatchNames(folder / "absent", ExpansionChoices{});
  EXPECT_NE(library.WriteUserNames(false).find("Cannot write"), std::string::npos);
}

// The name lists shipped in data/.
TEST(ShippedNames, EveryBoardLoadsWithItsPatchCount) {
  const std::filesystem::path data{QUILLON_DATA_DIR};
  const IniSection boards = readIniFile(data / names_file::Expansion).sectionOrEmpty(names_section::ExpansionBoards);
  ASSERT_EQ(boards.size(), 20u);
  for (std::size_t i = 0; i < boards.size(); ++i) EXPECT_EQ(boards.lines()[i].key, std::to_string(i));

  PatchNameLibrary library;
  for (int board = 1; board < static_cast<int>(boards.size()); ++board) {
    library.LoadPatchNames(data, ExpansionChoices{1, {0, board}});
    const ExpansionSlot& slot = library.slot(1);
    SCOPED_TRACE(slot.boardName);
    EXPECT_EQ(slot.patches.size() + slot.upperPatches.size(), static_cast<std::size_t>(slot.MaxPatch));
    EXPECT_GT(slot.MaxPatch, BoardHalfSize / 2);
    EXPECT_NE(library.PatchName(Board, board, slot.MaxPatch - 1), "");
  }
}

TEST(ShippedNames, PresetsHoldFiveBanksAndUserStartsEmpty) {
  const std::filesystem::path data{QUILLON_DATA_DIR};
  PatchNameLibrary library;
  library.LoadPatchNames(data, ExpansionChoices{});
  for (int bank = 0; bank < PresetBankCount; ++bank) {
    EXPECT_EQ(library.bankList(PresetA + bank).size(), 128u) << bank;
    EXPECT_FALSE(library.rhythmList(PresetA + bank).empty()) << bank;
  }
  EXPECT_EQ(library.PatchName(Internal, PresetA, 0), "64voicePiano");
  EXPECT_EQ(readText(data / names_file::User), "[User Bank]\n\n[User Rhythm]\n\n[Card Bank]\n\n[Card Rhythm]\n");
}

}  // namespace
}  // namespace quillon
