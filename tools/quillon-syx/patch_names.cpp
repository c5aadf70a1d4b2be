#include "patch_names.h"

#include <algorithm>
#include <iomanip>

namespace quillon::cli {

namespace {

constexpr int NoBoard = 0;
constexpr const char* Unnamed = "(not in the name lists)";

}  // namespace

ExpansionChoices boardsUsedBy(const PerformanceRecord& record) {
  ExpansionChoices choices{LastExpansionSlot, {}};
  int used = 0;
  for (const auto& part : record.parts) {
    if (part[part::PatchGroupType] != group_type::Expansion) continue;
    const int board = part[part::PatchGroupId];
    const auto slots = std::span(choices.boards).subspan(1, used);
    if (board == NoBoard || std::find(slots.begin(), slots.end(), board) != slots.end()) continue;
    if (used == LastExpansionSlot) break;
    choices.boards[++used] = board;
  }
  return choices;
}

void printPatchNames(std::ostream& out, const PerformanceRecord& record, const PatchNameLibrary& library) {
  out << "Part  Patch name\n";
  for (int p = 0; p < address::PartCount; ++p) {
    const auto& r = record.parts[p];
    const std::string name = library.PatchName(r[part::PatchGroupType], r[part::PatchGroupId], shown::patchNumberOf(r));
    out << std::setw(4) << (p + 1) << "  " << (name.empty() ? Unnamed : name) << '\n';
  }
}

}  // namespace quillon::cli
