#pragma once
// Two performances side by side in words: the rows whose values differ,
// section by section, and how a difference reads on a screen or aloud.

#include <optional>
#include <string>
#include <vector>

#include "engine/performance_words.h"

namespace quillon::words {

// U+2192 in UTF-8: "Part 3 level 100 → 87".
inline constexpr std::string_view Arrow = "\xE2\x86\x92";
// What a side without the row shows (an EFX slot the other type lacks).
inline constexpr std::string_view Absent = "-";

struct Difference {
  Section section = Section::Performance;
  int part = -1;
  std::string parameter;
  std::optional<std::string> a;  // nothing where A has no such row
  std::optional<std::string> b;
  std::optional<Place> placeInA;  // where A's value lives, for taking it
};

struct Comparison {
  std::vector<Difference> differences;
  bool equal() const { return differences.empty(); }
  int count() const { return static_cast<int>(differences.size()); }
};

// Rows are matched by section, part and parameter. A matched pair differs
// when its texts or its bytes differ; a row on one side only always differs.
Comparison compareWords(const PerformanceRecord& a, const std::vector<Row>& rowsA, const PerformanceRecord& b,
                        const std::vector<Row>& rowsB);
Comparison comparePerformances(const PerformanceRecord& a, const PerformanceRecord& b, const Vocabulary& vocabulary);

// "Part 3 level 100 → 87".
std::string differenceLine(const Difference& d);
// For a screen reader: "Part 3 level is 100 in A and 87 in B."
std::string differenceSentence(const Difference& d);
// "3 differences", "1 difference", "The performances are equal."
std::string countText(const Comparison& c);

}  // namespace quillon::words
