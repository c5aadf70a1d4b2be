#pragma once
// The display texts of the EFX parameter values: 38 lists, entry v being the
// text shown for stored value v, so a list's length is also its range.

#include <array>
#include <string>
#include <vector>

namespace quillon {

inline constexpr int EfxValueListCount = 38;
inline constexpr int EfxEmptyList = 0;  // marks an unused slot; its two texts are never shown

// Texts are UTF-8 (the phase list ends each text with a degree sign).
class EfxValueList {
 public:
  EfxValueList() = default;
  explicit EfxValueList(std::vector<std::string> texts) : texts_(std::move(texts)) {}

  int count() const { return static_cast<int>(texts_.size()); }
  int maxValue() const { return count() - 1; }
  bool contains(int value) const { return value >= 0 && value < count(); }
  // Throws std::out_of_range outside 0..maxValue(); callers check contains() first.
  const std::string& text(int value) const { return texts_.at(static_cast<std::size_t>(value)); }
  const std::vector<std::string>& texts() const { return texts_; }

 private:
  std::vector<std::string> texts_;
};

using EfxValueLists = std::array<EfxValueList, EfxValueListCount>;

// Builds every list. The two-decimal texts use `decimalSeparator`, which the
// windows take from the user's locale; files and tools use '.'.
EfxValueLists buildEfxValueLists(char decimalSeparator = '.');

}  // namespace quillon
