#include "engine/efx_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace quillon {
namespace {

const EfxTypeTable& table() {
  static const EfxTypeTable t;
  return t;
}

std::vector<int> typesIn(int first, int last) {
  std::vector<int> types;
  for (int t = first; t <= last; ++t) types.push_back(t);
  return types;
}

// --- Invariants over the whole table ----------------------------------------

TEST(EfxTypeTable, TypeNamesCarryTheirOneBasedNumber) {
  for (int type = 0; type < EfxTypeCount; ++type) {
    const std::string expected = (type + 1 < 10 ? "0" : "") + std::to_string(type + 1) + ": ";
    EXPECT_EQ(table().typeName(type).substr(0, 4), expected) << "type " << type;
  }
}

TEST(EfxTypeTable, EveryUsedSlotEditsItsOwnParameterByte) {
  for (int type = 0; type < EfxTypeCount; ++type) {
    std::set<int> parameters;
    for (const auto& s : table().usedSlots(type)) {
      EXPECT_GE(s.parameter, 1) << "type " << type << " slot " << s.slot;
      EXPECT_LE(s.parameter, common::EfxParameterCount) << "type " << type << " slot " << s.slot;
      EXPECT_TRUE(parameters.insert(s.parameter).second)
          << "type " << type << " slot " << s.slot << " shares P" << s.parameter;
      EXPECT_GE(s.offset(), common::EfxParameterFirst);
      EXPECT_LT(s.offset(), common::EfxParameterFirst + common::EfxParameterCount);
    }
  }
}

TEST(EfxTypeTable, UsedSlotsAgreeWithSlotLookupAndLabels) {
  for (int type = 0; type < EfxTypeCount; ++type) {
    const auto used = table().usedSlots(type);
    EXPECT_FALSE(used.empty()) << "type " << type;
    std::size_t next = 0;
    for (int k = 1; k <= EfxSlotCount; ++k) {
      const auto s = table().slot(type, k);
      const bool listed = next < used.size() && used[next].slot == k;
      ASSERT_EQ(s.has_value(), listed) << "type " << type << " slot " << k;
      if (listed) {
        EXPECT_NE(s->listNumber, EfxEmptyList);
        EXPECT_EQ(table().slotLabel(type, k), s->label);
        EXPECT_NE(s->label, EfxBlankLabel) << "type " << type << " slot " << k;
        ++next;
      } else {
        EXPECT_EQ(table().slotLabel(type, k), EfxBlankLabel);
      }
    }
    EXPECT_EQ(next, used.size()) << "type " << type << ": used slots out of order";
  }
}

TEST(EfxTypeTable, EveryRangeFitsADataByte) {
  for (int type = 0; type < EfxTypeCount; ++type)
    for (const auto& s : table().usedSlots(type)) {
      EXPECT_GE(s.maxValue(), 1) << "type " << type << " slot " << s.slot;
      EXPECT_LE(s.maxValue(), midi_byte::DataMask) << "type " << type << " slot " << s.slot;
      EXPECT_FALSE(s.accepts(s.maxValue() + 1));
    }
}

TEST(EfxTypeTable, EveryValueOfEveryListHasAText) {
  for (int n = 0; n < EfxValueListCount; ++n) {
    const auto& list = table().valueList(n);
    EXPECT_GE(list.count(), 2) << "list " << n;
    for (int v = 0; v < list.count(); ++v) EXPECT_FALSE(list.text(v).empty()) << "list " << n << " value " << v;
  }
}

// A label mistyped in one of the places it recurs would add a text to the 103 of the pool.
TEST(EfxTypeTable, LabelsAreShortAndFormTheNamePool) {
  std::set<std::string_view> pool{EfxBlankLabel};
  const auto keep = [&pool](std::string_view label) {
    EXPECT_FALSE(label.empty());
    EXPECT_LE(label.size(), static_cast<std::size_t>(EfxLabelMaxLength)) << '"' << label << '"';
    pool.insert(label);
  };
  for (int type = 0; type < EfxTypeCount; ++type) {
    for (const auto& s : table().usedSlots(type)) keep(s.label);
    for (int c = 1; c <= EfxControlCount; ++c) keep(table().controlTargetLabel(type, c));
  }
  EXPECT_EQ(pool.size(), 103u);
}

TEST(EfxTypeTable, ValuesThatAreNoTypeOrSlotGiveNothing) {
  for (int type : {-1, EfxTypeCount, 127}) {
    EXPECT_FALSE(EfxTypeTable::isType(type));
    EXPECT_TRUE(table().typeName(type).empty());
    EXPECT_TRUE(table().usedSlots(type).empty());
    EXPECT_EQ(table().controlTargetLabel(type, 1), EfxBlankLabel);
  }
  EXPECT_FALSE(table().slot(0, 0).has_value());
  EXPECT_FALSE(table().slot(0, EfxSlotCount + 1).has_value());
  EXPECT_EQ(table().controlTargetLabel(0, 0), EfxBlankLabel);
  EXPECT_EQ(table().controlTargetLabel(0, EfxControlCount + 1), EfxBlankLabel);
}

// --- Types -----------------------------------------------------------------

TEST(EfxTypes, StereoEqLowAndHighFrequencySlots) {
  const auto low = table().slot(0, 7);
  ASSERT_TRUE(low);
  EXPECT_EQ(low->offset(), efxParameterOffset(1));
  EXPECT_EQ(low->maxValue(), 1);
  EXPECT_EQ(low->text(0), " 200 Hz");
  EXPECT_EQ(low->text(1), " 400 Hz");
  const auto high = table().slot(0, 9);
  ASSERT_TRUE(high);
  EXPECT_EQ(high->offset(), efxParameterOffset(3));
  EXPECT_EQ(high->text(1), "8000 Hz");
  EXPECT_EQ(table().controlTargetLabel(0, 2), EfxBlankLabel);
}

TEST(EfxTypes, OverdriveOffersSixSlots) {
  std::vector<int> slots;
  for (const auto& s : table().usedSlots(1)) slots.push_back(s.slot);
  EXPECT_EQ(slots, (std::vector<int>{1, 2, 7, 8, 11, 12}));
}

TEST(EfxTypes, RotarySeparationHasAParameterOfItsOwn) {
  constexpr int Rotary = 7;
  const auto separation = table().slot(Rotary, 6);
  const auto hiSlow = table().slot(Rotary, 1);
  ASSERT_TRUE(separation && hiSlow);
  EXPECT_EQ(separation->label, "Separation");
  EXPECT_EQ(separation->offset(), efxParameterOffset(10));
  EXPECT_EQ(hiSlow->offset(), efxParameterOffset(1));
  EXPECT_EQ(table().usedSlots(Rotary).size(), 11u);
  EXPECT_FALSE(table().slot(Rotary, 11));
}

TEST(EfxTypes, DualEffectsSteerBalanceWithBothControls) {
  for (int type : typesIn(34, 39))
    for (int c = 1; c <= EfxControlCount; ++c) EXPECT_EQ(table().controlTargetLabel(type, c), "Balance");
}

// --- Value lists -------------------------------------------------------------

TEST(EfxValueLists, GainAndPanTexts) {
  const auto& db = table().valueList(2);
  EXPECT_EQ(db.count(), 31);
  EXPECT_EQ(db.text(0), "-15 dB");
  EXPECT_EQ(db.text(15), "0 dB");
  EXPECT_EQ(db.text(30), "15 dB");
  const auto& pan = table().valueList(7);
  EXPECT_EQ(pan.count(), 128);
  EXPECT_EQ(pan.text(0), "L 64");
  EXPECT_EQ(pan.text(63), "L 1");
  EXPECT_EQ(pan.text(64), "Centr");
  EXPECT_EQ(pan.text(65), "1 R");
  EXPECT_EQ(pan.text(127), "63 R");
}

TEST(EfxValueLists, TwoDecimalTextsAtTheirBreakpoints) {
  const auto& rate = table().valueList(9);
  EXPECT_EQ(rate.text(0), "    0.05");
  EXPECT_EQ(rate.text(99), "    5.00");
  EXPECT_EQ(rate.text(100), "    5.10");
  EXPECT_EQ(rate.text(120), "    7.50");
  EXPECT_EQ(rate.text(125), "   10.00");
  const auto& preDelay = table().valueList(16);
  EXPECT_EQ(preDelay.text(51), "    5.50");
  EXPECT_EQ(preDelay.text(61), "   11.00");
  EXPECT_EQ(preDelay.text(125), "  100.00");
  const auto& delay = table().valueList(24);
  EXPECT_EQ(delay.count(), 127);
  EXPECT_EQ(delay.text(90), "   40.00");
  EXPECT_EQ(delay.text(91), "   50.00");
  EXPECT_EQ(delay.text(116), "  300.00");
  EXPECT_EQ(delay.text(117), "  320.00");
  EXPECT_EQ(delay.text(126), "  500.00");
}

TEST(EfxValueLists, DecimalSeparatorIsTheCallersChoice) {
  const EfxTypeTable comma(',');
  EXPECT_EQ(comma.valueList(9).text(0), "    0,05");
  EXPECT_EQ(comma.valueList(24).text(126), "  500,00");
  EXPECT_EQ(comma.valueList(4).text(0), " 0.5");  // a given text, not a number the table formats
}

// The climbing lists must rise at every step and, when two-decimal, keep their width.
TEST(EfxValueLists, ArithmeticListsRiseAtEveryStep) {
  struct Climbing {
    int list;
    int numericCount;  // the rest are note lengths
    bool twoDecimals;
  };
  for (const auto& c :
       {Climbing{8, 126, false}, Climbing{9, 126, true}, Climbing{16, 126, true}, Climbing{23, 116, true},
        Climbing{24, 127, true}, Climbing{28, 116, false}, Climbing{29, 116, false}}) {
    const auto& list = table().valueList(c.list);
    double previous = -1;
    for (int v = 0; v < c.numericCount; ++v) {
      const double value = std::stod(list.text(v));
      EXPECT_GT(value, previous) << "list " << c.list << " value " << v;
      if (c.twoDecimals) {
        EXPECT_EQ(list.text(v).size(), 8u) << "list " << c.list << " value " << v;
      }
      previous = value;
    }
  }
  EXPECT_EQ(table().valueList(8).text(125), "8000 Hz.");
}

TEST(EfxValueLists, TimeListsEndInNoteLengths) {
  const auto& step = table().valueList(23);
  EXPECT_EQ(step.text(115), "    9.60");
  EXPECT_EQ(step.text(116), "1/16");
  const auto& tap = table().valueList(28);
  EXPECT_EQ(tap.text(0), "200ms");
  EXPECT_EQ(tap.text(115), "1000ms");
  EXPECT_EQ(tap.text(125), "1/2");
  const auto& control = table().valueList(29);
  EXPECT_EQ(control.maxValue(), 115);
  EXPECT_EQ(control.text(115), "1000ms");
}

TEST(EfxValueLists, SharesPhasesAndBypass) {
  EXPECT_EQ(table().valueList(19).text(0), "D100:0E");
  EXPECT_EQ(table().valueList(19).text(50), "D50:50E");
  EXPECT_EQ(table().valueList(19).text(100), "D0:100E");
  EXPECT_EQ(table().valueList(33).text(0), "A100:0B");
  EXPECT_EQ(table().valueList(20).text(90), "180\u00B0");
  EXPECT_EQ(table().valueList(27).count(), table().valueList(3).count() + 1);
  EXPECT_EQ(table().valueList(27).text(17), "ByPass");
}

}  // namespace
}  // namespace quillon
