#include "engine/performance_words.h"

#include "engine/slider_texts.h"
#include "engine/value_texts.h"

namespace quillon::words {

namespace {

using TextOf = std::string (*)(int stored, const Vocabulary& vocabulary);

// A table row under the word a sheet gives it; `text` where the table alone cannot say it.
struct RowSpec {
  const Parameter* parameter;
  std::string_view label;
  TextOf text = nullptr;
};

std::string efxSourceWords(int stored, const Vocabulary&) { return texts::efxSourceText(stored); }

std::string efxTypeWords(int stored, const Vocabulary& v) {
  const std::string_view name = v.efx.typeName(stored);
  return name.empty() ? "?" + std::to_string(stored) : std::string(name);
}

using namespace param;

constexpr RowSpec PerformanceRows[] = {{&DefaultTempo, "tempo"}, {&KeyRangeSwitch, "key range switch"}};
constexpr RowSpec EfxHeadRows[] = {{&EfxType, "type", efxTypeWords}, {&EfxSource, "source", efxSourceWords}};
constexpr RowSpec EfxTailRows[] = {{&EfxOutput, "output"},
                                   {&EfxMixOutSend, "mix out send"},
                                   {&EfxChorusSend, "chorus send"},
                                   {&EfxReverbSend, "reverb send"},
                                   {&EfxControlSource1, "control 1"},
                                   {&EfxControlDepth1, "control 1 depth"},
                                   {&EfxControlSource2, "control 2"},
                                   {&EfxControlDepth2, "control 2 depth"}};
constexpr RowSpec ChorusRows[] = {{&ChorusLevel, "level"},       {&ChorusRate, "rate"},
                                  {&ChorusDepth, "depth"},       {&ChorusPreDelay, "pre-delay"},
                                  {&ChorusFeedback, "feedback"}, {&ChorusOutput, "output"}};
constexpr RowSpec ReverbRows[] = {{&ReverbType, "type"},
                                  {&ReverbLevel, "level"},
                                  {&ReverbTime, "time"},
                                  {&ReverbHfDamp, "HF damp"},
                                  {&ReverbFeedback, "feedback"}};
// Before the patch row.
constexpr RowSpec PartHeadRows[] = {{&PartReceiveSwitch, "receive"}, {&PartChannel, "channel"}};
// After the patch row, before the key range.
constexpr RowSpec PartMiddleRows[] = {{&PartLevel, "level"},
                                      {&PartPan, "pan"},
                                      {&PartCoarseTune, "coarse tune"},
                                      {&PartFineTune, "fine tune"},
                                      {&PartOutput, "output"},
                                      {&PartEfxFeed, "EFX feed"},
                                      {&PartMixEfxSend, "mix/EFX send"},
                                      {&PartChorusSend, "chorus send"},
                                      {&PartReverbSend, "reverb send"}};
constexpr RowSpec PartTailRows[] = {{&PartReceiveProgramChange, "receive program change"},
                                    {&PartReceiveVolume, "receive volume"},
                                    {&PartReceiveHold1, "receive hold-1"},
                                    {&VoiceReserve, "voice reserve"}};

constexpr int PatchLength = part::PatchNumberLow - part::PatchGroupType + 1;
constexpr int KeyRangeLength = part::KeyRangeUpper - part::KeyRangeLower + 1;

std::string trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

std::string unknownByte(int stored) { return "?" + std::to_string(stored); }

Place placeOf(const Parameter& p, int part) {
  return {p.block, p.block == ParamBlock::Part ? part : 0, p.offsetFor(part), p.length()};
}

class Builder {
 public:
  Builder(const PerformanceRecord& record, const Vocabulary& vocabulary, std::vector<Row>& rows)
      : record_(record), vocabulary_(vocabulary), rows_(rows) {}

  void add(Section section, int part, std::string parameter, std::string value, Place place) {
    rows_.push_back({section, part, std::move(parameter), std::move(value), place});
  }
  void add(Section section, int part, std::span<const RowSpec> specs) {
    for (const RowSpec& spec : specs) {
      const Place place = placeOf(*spec.parameter, part);
      const int stored = decodeStored(*spec.parameter, bytesAt(record_, place));
      add(section, part, std::string(spec.label),
          spec.text ? spec.text(stored, vocabulary_) : parameterText(*spec.parameter, stored), place);
    }
  }
  void common() {
    add(Section::Performance, -1, "name", trimmed(performanceName(record_.common)),
        {ParamBlock::Common, 0, common::Name, PerformanceNameLength});
    add(Section::Performance, -1, PerformanceRows);
    add(Section::Efx, -1, EfxHeadRows);
    efxSlots();
    add(Section::Efx, -1, EfxTailRows);
    add(Section::Chorus, -1, ChorusRows);
    add(Section::Reverb, -1, ReverbRows);
  }
  void part(int p) {
    const auto& r = record_.parts[static_cast<std::size_t>(p)];
    add(Section::Part, p, PartHeadRows);
    add(Section::Part, p, "patch", vocabulary_.namer ? vocabulary_.namer(r, p) : patchBytesText(r),
        {ParamBlock::Part, p, part::PatchGroupType, PatchLength});
    add(Section::Part, p, PartMiddleRows);
    add(Section::Part, p, "key range",
        std::string(texts::noteName(r[part::KeyRangeLower])) + " to " +
            std::string(texts::noteName(r[part::KeyRangeUpper])),
        {ParamBlock::Part, p, part::KeyRangeLower, KeyRangeLength});
    add(Section::Part, p, PartTailRows);
  }

 private:
  // The type's used slots under their labels; a byte that is no type has none.
  void efxSlots() {
    for (const EfxSlot& slot : vocabulary_.efx.usedSlots(record_.common[common::EfxType])) {
      const Byte stored = record_.common[slot.offset()];
      add(Section::Efx, -1, trimmed(slot.label),
          slot.accepts(stored) ? trimmed(slot.text(stored)) : unknownByte(stored),
          {ParamBlock::Common, 0, slot.offset(), 1});
    }
  }

  const PerformanceRecord& record_;
  const Vocabulary& vocabulary_;
  std::vector<Row>& rows_;
};

}  // namespace

std::string sectionName(Section section, int part) {
  switch (section) {
    case Section::Performance: return "Performance";
    case Section::Efx: return "EFX";
    case Section::Chorus: return "Chorus";
    case Section::Reverb: return "Reverb";
    case Section::Part: break;
  }
  return "Part " + std::to_string(part + 1);
}

std::string parameterText(const Parameter& p, int stored) {
  const int shown = p.toShown(stored);
  if (shown < p.shownMin || shown > p.shownMax) return unknownByte(stored);
  if (!p.texts.empty()) {
    const auto index = static_cast<std::size_t>(shown - p.shownMin);
    return index < p.texts.size() ? trimmed(p.texts[index]) : unknownByte(stored);
  }
  if (p.bias == shown::PanCentre && p.shownMin < 0) return texts::panText(shown);
  if (p.shownMin < 0) return texts::signedText(shown);
  return std::to_string(shown);
}

std::span<const Byte> bytesAt(const PerformanceRecord& record, const Place& place) {
  const auto length = static_cast<std::size_t>(place.length);
  if (place.block == ParamBlock::Part)
    return std::span<const Byte>(record.parts.at(static_cast<std::size_t>(place.part))).subspan(place.offset, length);
  return std::span<const Byte>(record.common).subspan(place.offset, length);
}

std::string patchBytesText(const PerfPartRecord& part) {
  return "group " + std::to_string(part[part::PatchGroupType]) + "/" + std::to_string(part[part::PatchGroupId]) +
         " number " + std::to_string(shown::patchNumberOf(part) + 1);
}

std::vector<Row> partWords(const PerformanceRecord& record, int part, const Vocabulary& vocabulary) {
  std::vector<Row> rows;
  Builder(record, vocabulary, rows).part(part);
  return rows;
}

std::vector<Row> performanceWords(const PerformanceRecord& record, const Vocabulary& vocabulary) {
  std::vector<Row> rows;
  Builder builder(record, vocabulary, rows);
  builder.common();
  for (int p = 0; p < address::PartCount; ++p) builder.part(p);
  return rows;
}

}  // namespace quillon::words
