// A performance in words, and two compared: texts at the limits the module's
// documentation names, and differences found exactly where they were made.

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/demo_performances.h"
#include "engine/words_compare.h"

namespace quillon::words {
namespace {

const EfxTypeTable& table() {
  static const EfxTypeTable t;
  return t;
}
const Vocabulary Plain{table(), {}};

std::string valueOf(const PerformanceRecord& r, Section section, int part, std::string_view parameter) {
  for (const Row& row : performanceWords(r, Plain))
    if (row.section == section && row.part == part && row.parameter == parameter) return row.value;
  return "(no such row)";
}

TEST(PerformanceWords, TextsAtTheDocumentedLimits) {
  PerformanceRecord r = demoPerformance(0);
  const auto part = [&r](int p) -> PerfPartRecord& { return r.parts[static_cast<std::size_t>(p)]; };
  part(0)[part::Pan] = 0;
  part(1)[part::Pan] = shown::PanCentre;
  part(2)[part::Pan] = 127;
  part(0)[part::CoarseTune] = 0;
  part(1)[part::CoarseTune] = 2 * shown::CoarseTuneCentre;
  part(3)[part::KeyRangeLower] = 0;
  part(3)[part::KeyRangeUpper] = 127;
  part(4)[part::ReceiveChannel] = 15;
  r.common[common::DefaultTempoHigh] = 0x0F;  // 250 = 0Fh, 0Ah
  r.common[common::DefaultTempoLow] = 0x0A;
  r.common[common::ReverbHfDamp] = 17;
  r.common[common::EfxSource] = 10;
  EXPECT_EQ(valueOf(r, Section::Part, 0, "pan"), "L64");
  EXPECT_EQ(valueOf(r, Section::Part, 1, "pan"), "0");
  EXPECT_EQ(valueOf(r, Section::Part, 2, "pan"), "63R");
  EXPECT_EQ(valueOf(r, Section::Part, 0, "coarse tune"), "-48");
  EXPECT_EQ(valueOf(r, Section::Part, 1, "coarse tune"), "+48");
  EXPECT_EQ(valueOf(r, Section::Part, 3, "key range"), "C-1 to G9");
  EXPECT_EQ(valueOf(r, Section::Part, 4, "channel"), "16");
  EXPECT_EQ(valueOf(r, Section::Performance, -1, "tempo"), "250");
  EXPECT_EQ(valueOf(r, Section::Reverb, -1, "HF damp"), "BYPASS");
  EXPECT_EQ(valueOf(r, Section::Efx, -1, "source"), "Part 11");
  r.common[common::DefaultTempoHigh] = 0x01;  // 20 = 01h, 04h
  r.common[common::DefaultTempoLow] = 0x04;
  EXPECT_EQ(valueOf(r, Section::Performance, -1, "tempo"), "20");
  // One step beyond the range is a byte the table has no text for.
  r.common[common::DefaultTempoLow] = 0x03;
  EXPECT_EQ(valueOf(r, Section::Performance, -1, "tempo"), "?19");
}

// Every row the table describes reads a text at both ends of its range, and
// a byte beyond them reads as unknown rather than as a wrong value.
TEST(PerformanceWords, EveryTableRowAtItsLimits) {
  int checked = 0;
  for (const Parameter* p : allParameters()) {
    if (p->block != ParamBlock::Common && p->block != ParamBlock::Part) continue;
    for (const Row& row : performanceWords(demoPerformance(1), Plain)) {
      if (row.place.block != p->block || row.place.offset != p->offsetFor(row.part < 0 ? 0 : row.part) ||
          row.place.length != p->length())
        continue;
      std::vector<std::string> ends;
      for (int shownValue : {p->shownMin, p->shownMax}) {
        PerformanceRecord r = demoPerformance(1);
        const ParamBytes bytes = encodeStored(*p, p->toStored(shownValue));
        const auto target = bytesAt(r, row.place);
        std::copy(bytes.span().begin(), bytes.span().end(), const_cast<Byte*>(target.data()));
        ends.push_back(valueOf(r, row.section, row.part, row.parameter));
        EXPECT_NE(ends.back().front(), '?') << p->id << " at " << shownValue;
        ++checked;
      }
      EXPECT_NE(ends.front(), ends.back()) << p->id;
      if (p->width == ParamWidth::OneByte && p->toStored(p->shownMax) < 127) {
        EXPECT_EQ(parameterText(*p, p->toStored(p->shownMax) + 1).front(), '?') << p->id;
      }
    }
  }
  EXPECT_GT(checked, 2 * 40);
}

TEST(WordsCompare, FindsExactlyTheChangesMade) {
  PerformanceRecord a = demoPerformance(2);
  a.parts[2][part::Level] = 100;
  PerformanceRecord b = a;
  EXPECT_TRUE(comparePerformances(a, b, Plain).equal());
  EXPECT_EQ(countText(comparePerformances(a, b, Plain)), "The performances are equal.");

  b.parts[2][part::Level] = 87;
  b.parts[4][part::Pan] = 0;
  b.parts[15][part::KeyRangeUpper] = 72;
  shown::setTempo(b.common, 90);
  setPerformanceName(b.common, "Other");
  const Comparison c = comparePerformances(a, b, Plain);
  std::vector<std::string> lines;
  for (const Difference& d : c.differences) lines.push_back(differenceLine(d));
  const std::string arrow(Arrow);
  ASSERT_EQ(c.count(), 5);
  EXPECT_EQ(lines[0], "Performance name " + valueOf(a, Section::Performance, -1, "name") + " " + arrow + " Other");
  EXPECT_EQ(lines[1], "Performance tempo " + valueOf(a, Section::Performance, -1, "tempo") + " " + arrow + " 90");
  EXPECT_EQ(lines[2], "Part 3 level 100 " + arrow + " 87");
  EXPECT_EQ(lines[3], "Part 5 pan " + valueOf(a, Section::Part, 4, "pan") + " " + arrow + " L64");
  EXPECT_EQ(lines[4].rfind("Part 16 key range ", 0), 0u);
  EXPECT_EQ(differenceSentence(c.differences[2]), "Part 3 level is 100 in A and 87 in B.");
  ASSERT_TRUE(c.differences[2].placeInA);
  EXPECT_EQ(c.differences[2].placeInA->offset, part::Level);
}

// Another EFX type brings other slots: they differ as rows one side lacks,
// and the rest of the performance stays out of it.
TEST(WordsCompare, AnotherEfxTypeKeepsToTheEfxSection) {
  PerformanceRecord a = demoPerformance(3);
  a.common[common::EfxType] = 7;
  PerformanceRecord b = a;
  b.common[common::EfxType] = 3;
  const Comparison c = comparePerformances(a, b, Plain);
  ASSERT_FALSE(c.equal());
  EXPECT_EQ(differenceLine(c.differences.front()), "EFX type " + std::string(table().typeName(7)) + " " +
                                                       std::string(Arrow) + " " + std::string(table().typeName(3)));
  EXPECT_TRUE(std::all_of(c.differences.begin(), c.differences.end(),
                          [](const Difference& d) { return d.section == Section::Efx; }));
  const auto onlyB = std::count_if(c.differences.begin(), c.differences.end(),
                                   [](const Difference& d) { return !d.a && d.b && !d.placeInA; });
  EXPECT_GT(onlyB, 0);
}

}  // namespace
}  // namespace quillon::words
