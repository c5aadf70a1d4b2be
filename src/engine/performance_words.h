#pragma once
// A performance in words: every parameter a user edits, as (section,
// parameter, shown value), in the order the module's documentation lists
// them. The texts come from the parameter table, the value texts and the EFX
// table; a sheet, a comparison and the command line all print these rows.

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "engine/efx_table.h"
#include "engine/params/parameter_table.h"
#include "engine/performance.h"

namespace quillon::words {

enum class Section { Performance, Efx, Chorus, Reverb, Part };

// Where a row's value lives: enough to read it from any record and to send it.
struct Place {
  ParamBlock block = ParamBlock::Common;
  int part = 0;  // the part block of a part row; 0 otherwise
  Byte offset = 0;
  int length = 1;
  bool operator==(const Place&) const = default;
};

struct Row {
  Section section = Section::Performance;
  int part = -1;  // 0..15 in a part section
  std::string parameter;
  std::string value;
  Place place;
};

// The bank, number and name of what a part plays ("Preset A 012 Nice Piano"),
// from the caller's name lists; the engine has none of its own.
using PartPatchNamer = std::function<std::string(const PerfPartRecord& part, int partIndex)>;

struct Vocabulary {
  const EfxTypeTable& efx;
  PartPatchNamer namer;  // empty: the patch is named by its bytes
};

// "Performance", "EFX", "Chorus", "Reverb", "Part 3".
std::string sectionName(Section section, int part);
inline std::string sectionName(const Row& row) { return sectionName(row.section, row.part); }

// The shown text of a stored value of a table row: its item text, a pan, a
// signed offset or the number; "?<byte>" for a byte outside the row's range.
std::string parameterText(const Parameter& p, int stored);

// Every row of `record`: the common block first, then parts 1..16.
std::vector<Row> performanceWords(const PerformanceRecord& record, const Vocabulary& vocabulary);
// The rows of one part.
std::vector<Row> partWords(const PerformanceRecord& record, int part, const Vocabulary& vocabulary);

// The stored bytes a place names in `record`.
std::span<const Byte> bytesAt(const PerformanceRecord& record, const Place& place);

// A record that has no patch names: the group type, ID and number.
std::string patchBytesText(const PerfPartRecord& part);

}  // namespace quillon::words
