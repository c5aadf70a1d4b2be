#pragma once
// The EFX vocabulary: for each of the 40 EFX types, which of the twelve
// parameter bytes the editor offers, in which slider slot, under which label,
// with which value texts (and so which range), and what the two EFX control
// sources act on.

#include <optional>
#include <string_view>
#include <vector>

#include "engine/efx_value_lists.h"
#include "engine/performance.h"

namespace quillon {

inline constexpr int EfxTypeCount = 40;
inline constexpr int EfxSlotCount = common::EfxParameterCount;  // slots 1..12
inline constexpr int EfxSlotsPerRow = 6;                        // 1..6 upper row, 7..12 lower row
inline constexpr int EfxControlCount = 2;
inline constexpr int EfxLabelMaxLength = 11;
inline constexpr std::string_view EfxBlankLabel = " ";  // empty slots and absent control targets

// Common record offset of EFX parameter n (1..12): 0Eh..19h.
constexpr Byte efxParameterOffset(int parameter) {
  return static_cast<Byte>(common::EfxParameterFirst + parameter - 1);
}

// One used slider slot of a type.
struct EfxSlot {
  int slot = 0;  // 1..EfxSlotCount
  std::string_view label;
  int parameter = 0;  // n of EFX parameter n, 1..12
  int listNumber = 0;
  const EfxValueList* values = nullptr;  // owned by the table

  Byte offset() const { return efxParameterOffset(parameter); }
  int maxValue() const { return values->maxValue(); }
  bool accepts(int value) const { return values->contains(value); }
  // The text of a stored value; throws std::out_of_range when !accepts(value).
  const std::string& text(int value) const { return values->text(value); }
};

class EfxTypeTable {
 public:
  explicit EfxTypeTable(char decimalSeparator = '.');

  static bool isType(int type) { return type >= 0 && type < EfxTypeCount; }
  // "01: Stereo-EQ" .. "40: Chorus / Flanger"; empty for a value that is no type.
  std::string_view typeName(int type) const;
  // The used slots of a type in slot order; none for a value that is no type.
  std::vector<EfxSlot> usedSlots(int type) const;
  // Slot 1..12 of a type, or nothing when it is empty (or either number is out of range).
  std::optional<EfxSlot> slot(int type, int slotNumber) const;
  // The caption of slot 1..12: its label, or EfxBlankLabel when it is empty.
  std::string_view slotLabel(int type, int slotNumber) const;
  // The label under EFX control source 1 or 2: what it acts on for the type.
  std::string_view controlTargetLabel(int type, int control) const;

  const EfxValueList& valueList(int number) const { return lists_.at(static_cast<std::size_t>(number)); }

 private:
  EfxValueLists lists_;
};

}  // namespace quillon
