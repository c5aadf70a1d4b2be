// quillon-syx's patch-name listing, which has no settings to take the boards from.
#include "patch_names.h"

#include <gtest/gtest.h>

#include <sstream>

namespace quillon::cli {
namespace {

void setPatch(PerfPartRecord& part, int groupType, int groupId, int number) {
  part[part::PatchGroupType] = static_cast<Byte>(groupType);
  part[part::PatchGroupId] = static_cast<Byte>(groupId);
  shown::setPatchNumber(part, number);
}

TEST(BoardsUsedBy, GivesEachBoardOneSlotInOrderOfFirstUseWhileSlotsLast) {
  PerformanceRecord record;
  setPatch(record.parts[0], group_type::Expansion, 11, 0);
  setPatch(record.parts[1], group_type::Internal, 5, 0);  // a preset bank, not board 5
  setPatch(record.parts[2], group_type::Expansion, 3, 0);
  setPatch(record.parts[3], group_type::Expansion, 11, 7);
  setPatch(record.parts[4], group_type::Expansion, 0, 7);
  EXPECT_EQ(boardsUsedBy(record).boards, (std::array<int, ExpansionSlotCount>{0, 11, 3, 0, 0, 0, 0, 0, 0}));

  for (int p = 0; p < address::PartCount; ++p) setPatch(record.parts[p], group_type::Expansion, p + 1, 0);
  EXPECT_EQ(boardsUsedBy(record).boards, (std::array<int, ExpansionSlotCount>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(PrintPatchNames, NamesEveryPartAndMarksTheUnnamed) {
  PerformanceRecord record;  // every part: group type 0, group ID 0, which has no list
  setPatch(record.parts[15], group_type::Expansion, 5, 17);
  std::ostringstream out;
  printPatchNames(out, record, PatchNameLibrary{});
  EXPECT_NE(out.str().find("   1  (not in the name lists)\n"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("  16  Exp 5  Patch 17\n"), std::string::npos) << out.str();
}

}  // namespace
}  // namespace quillon::cli
