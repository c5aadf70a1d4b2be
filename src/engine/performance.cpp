#include "engine/performance.h"

#include <algorithm>

namespace quillon {

namespace {
constexpr Byte FirstNameChar = 32;
constexpr Byte LastNameChar = 125;
constexpr Byte Blank = ' ';
}  // namespace

std::string performanceName(const PerfCommonRecord& common) {
  return std::string(common.begin() + common::Name, common.begin() + common::Name + PerformanceNameLength);
}

void setPerformanceName(PerfCommonRecord& common, std::string_view name) {
  for (int i = 0; i < PerformanceNameLength; ++i)
    common[common::Name + i] = i < static_cast<int>(name.size()) ? sanitizeNameChar(static_cast<Byte>(name[i])) : Blank;
}

std::string nameText(const NameBytes& name) { return std::string(name.begin(), name.end()); }

Byte sanitizeNameChar(Byte c) { return (c >= FirstNameChar && c <= LastNameChar) ? c : Blank; }

}  // namespace quillon
