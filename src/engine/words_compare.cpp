#include "engine/words_compare.h"

#include <algorithm>

namespace quillon::words {

namespace {

bool sameRow(const Row& x, const Row& y) {
  return x.section == y.section && x.part == y.part && x.parameter == y.parameter;
}

bool sameSection(const Difference& d, const Row& r) { return d.section == r.section && d.part == r.part; }

bool differs(const PerformanceRecord& a, const Row& ra, const PerformanceRecord& b, const Row& rb) {
  if (ra.value != rb.value) return true;
  const auto x = bytesAt(a, ra.place);
  const auto y = bytesAt(b, rb.place);
  return !std::equal(x.begin(), x.end(), y.begin(), y.end());
}

std::string sideText(const std::optional<std::string>& value) { return value ? *value : std::string(Absent); }

// A row B alone has goes after the last difference of its section, so a
// section reads together.
void insertInSection(std::vector<Difference>& out, Difference d, const Row& row) {
  const auto last = std::find_if(out.rbegin(), out.rend(), [&row](const Difference& x) { return sameSection(x, row); });
  out.insert(last.base(), std::move(d));
}

}  // namespace

Comparison compareWords(const PerformanceRecord& a, const std::vector<Row>& rowsA, const PerformanceRecord& b,
                        const std::vector<Row>& rowsB) {
  Comparison c;
  const auto findIn = [](const std::vector<Row>& rows, const Row& r) {
    return std::find_if(rows.begin(), rows.end(), [&r](const Row& x) { return sameRow(x, r); });
  };
  for (const Row& ra : rowsA) {
    const auto rb = findIn(rowsB, ra);
    if (rb == rowsB.end())
      c.differences.push_back({ra.section, ra.part, ra.parameter, ra.value, std::nullopt, ra.place});
    else if (differs(a, ra, b, *rb))
      c.differences.push_back({ra.section, ra.part, ra.parameter, ra.value, rb->value, ra.place});
  }
  for (const Row& rb : rowsB)
    if (findIn(rowsA, rb) == rowsA.end())
      insertInSection(c.differences, {rb.section, rb.part, rb.parameter, std::nullopt, rb.value, std::nullopt}, rb);
  return c;
}

Comparison comparePerformances(const PerformanceRecord& a, const PerformanceRecord& b, const Vocabulary& vocabulary) {
  return compareWords(a, performanceWords(a, vocabulary), b, performanceWords(b, vocabulary));
}

std::string differenceLine(const Difference& d) {
  return sectionName(d.section, d.part) + " " + d.parameter + " " + sideText(d.a) + " " + std::string(Arrow) + " " +
         sideText(d.b);
}

std::string differenceSentence(const Difference& d) {
  const std::string subject = sectionName(d.section, d.part) + " " + d.parameter;
  if (!d.a) return subject + " is only in B, where it is " + *d.b + ".";
  if (!d.b) return subject + " is only in A, where it is " + *d.a + ".";
  return subject + " is " + *d.a + " in A and " + *d.b + " in B.";
}

std::string countText(const Comparison& c) {
  if (c.equal()) return "The performances are equal.";
  return std::to_string(c.count()) + (c.count() == 1 ? " difference" : " differences");
}

}  // namespace quillon::words
