#include "engine/efx_value_lists.h"

#include <span>
#include <string_view>

namespace quillon {

namespace {

using Texts = std::vector<std::string>;
using Fixed = std::span<const std::string_view>;

// --- Lists given text by text ----------------------------------------------

constexpr std::array<std::string_view, 2> NoneTexts{"-None-", "-None-"};
constexpr std::array<std::string_view, 2> HighFrequencies{"4000 Hz", "8000 Hz"};
constexpr std::array<std::string_view, 17> EqFrequencies{
    "200 Hz",  "250 Hz",  "315 Hz",  "400 Hz",  "500 Hz",  "630 Hz",  "800 Hz",  "1000 Hz", "1250 Hz",
    "1600 Hz", "2000 Hz", "2500 Hz", "3150 Hz", "4000 Hz", "5000 Hz", "6300 Hz", "8000 Hz"};
constexpr std::array<std::string_view, 5> BandWidths{" 0.5", " 1.0", " 2.0", " 4.0", " 9.0"};
constexpr std::array<std::string_view, 4> AmpTypes{"Small", "BuiltIn", "2-Stack", "3-Stack"};
constexpr std::array<std::string_view, 2> WahFilterTypes{"LwPass", "BndPss"};
constexpr std::array<std::string_view, 2> RotarySpeeds{"Slow", "Fast"};
constexpr std::array<std::string_view, 4> PostGains{"Pg x1", "Pg x2", "Pg x4", "Pg x8"};
constexpr std::array<std::string_view, 4> Ratios{"1.5:1", "2.0:1", "4.0:1", "100:1"};
constexpr std::array<std::string_view, 3> FilterTypes{"Off", "Low-P", "High-P"};
constexpr std::array<std::string_view, 2> FeedbackModes{"normal", "cross"};
constexpr std::array<std::string_view, 2> Phases{"normal", "invert"};
constexpr std::array<std::string_view, 1> ByPass{"ByPass"};
constexpr std::array<std::string_view, 6> ReverbTypes{"Room 1", "Room 2", "Stage 1", "Stage 2", "Hall 1", "Hall 2"};
constexpr std::array<std::string_view, 4> GateTypes{"normal", "reverse", "sweep1", "sweep2"};
constexpr std::array<std::string_view, 2> LowFrequencies{" 200 Hz", " 400 Hz"};
constexpr std::array<std::string_view, 10> NoteLengths{"1/16",  "1/8-3", "1/16-.", "1/8",   "1/4-3",
                                                       "1/8-.", "1/4",   "1/2-3",  "1/4-.", "1/2"};
constexpr std::array<std::string_view, 1> Centre{"Centr"};

constexpr std::string_view DegreeSign = "\xC2\xB0";  // U+00B0 in UTF-8

// --- Lists that count: prefix, factor * v + offset, suffix -----------------

struct NumberRule {
  int count;
  int factor = 1;
  int offset = 0;
  std::string_view prefix = "";
  std::string_view suffix = "";
};

// --- Lists that climb in runs of equal steps -------------------------------
// The first value, then each run adds `step` `count` times, carrying on from
// where the run before ended. Two-decimal lists count in hundredths.

struct StepRun {
  int count;
  int step;
};
inline constexpr int MaxRuns = 5;
struct Ladder {
  int first;
  std::array<StepRun, MaxRuns> runs;  // unused runs have count 0
};

constexpr Ladder ManualFrequency{100, {{{20, 10}, {35, 20}, {70, 100}}}};                  // Hz 100..8000
constexpr Ladder ModulationRate{5, {{{99, 5}, {20, 10}, {6, 50}}}};                        // 0.05..10.00
constexpr Ladder PreDelayTime{0, {{{50, 10}, {10, 50}, {40, 100}, {25, 200}}}};            // 0..100.00
constexpr Ladder StepRate{5, {{{79, 5}, {31, 10}, {5, 50}}}};                              // 0.05..9.60
constexpr Ladder DelayTime{0, {{{50, 10}, {10, 50}, {30, 100}, {26, 1000}, {10, 2000}}}};  // 0..500.00
constexpr Ladder TapDelayTime{200, {{{70, 5}, {45, 10}}}};                                 // ms 200..1000

constexpr int Hundredths = 100;
constexpr std::size_t TwoDecimalWidth = 8;

Texts fixedTexts(Fixed texts) { return Texts(texts.begin(), texts.end()); }

Texts numbers(const NumberRule& rule) {
  Texts texts;
  texts.reserve(static_cast<std::size_t>(rule.count));
  for (int v = 0; v < rule.count; ++v)
    texts.push_back(std::string(rule.prefix) + std::to_string(rule.factor * v + rule.offset) +
                    std::string(rule.suffix));
  return texts;
}

std::vector<int> climb(const Ladder& ladder) {
  std::vector<int> values{ladder.first};
  for (const auto& run : ladder.runs)
    for (int i = 0; i < run.count; ++i) values.push_back(values.back() + run.step);
  return values;
}

Texts withSuffix(const std::vector<int>& values, std::string_view suffix) {
  Texts texts;
  texts.reserve(values.size());
  for (int v : values) texts.push_back(std::to_string(v) + std::string(suffix));
  return texts;
}

// printf's "%8.2f" from hundredths, done in integers so that no value rounds
// the wrong way and the separator does not depend on the C library's locale.
std::string twoDecimals(int hundredths, char decimalSeparator) {
  const int fraction = hundredths % Hundredths;
  std::string text = std::to_string(hundredths / Hundredths) + decimalSeparator + (fraction < 10 ? "0" : "") +
                     std::to_string(fraction);
  if (text.size() < TwoDecimalWidth) text.insert(0, TwoDecimalWidth - text.size(), ' ');
  return text;
}

Texts twoDecimalTexts(const std::vector<int>& hundredths, char decimalSeparator) {
  Texts texts;
  texts.reserve(hundredths.size());
  for (int h : hundredths) texts.push_back(twoDecimals(h, decimalSeparator));
  return texts;
}

Texts joined(Texts head, const Texts& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

// "L 64" .. "L 1", "Centr", "1 R" .. "63 R".
Texts panTexts() {
  return joined(joined(numbers({.count = 64, .factor = -1, .offset = 64, .prefix = "L "}), fixedTexts(Centre)),
                numbers({.count = 63, .offset = 1, .suffix = " R"}));
}

// Dry/effect shares that add up to 100: "D100:0E" .. "D0:100E".
Texts shareTexts(char first, char second) {
  constexpr int Whole = 100;
  Texts texts;
  for (int v = 0; v <= Whole; ++v)
    texts.push_back(first + std::to_string(Whole - v) + ':' + std::to_string(v) + second);
  return texts;
}

}  // namespace

EfxValueLists buildEfxValueLists(char decimalSeparator) {
  const auto decimals = [decimalSeparator](const Ladder& ladder) {
    return twoDecimalTexts(climb(ladder), decimalSeparator);
  };
  std::array<Texts, EfxValueListCount> t;
  t[0] = fixedTexts(NoneTexts);
  t[1] = fixedTexts(HighFrequencies);
  t[2] = numbers({.count = 31, .offset = -15, .suffix = " dB"});
  t[3] = fixedTexts(EqFrequencies);
  t[4] = fixedTexts(BandWidths);
  t[5] = numbers({.count = 128, .prefix = " "});
  t[6] = fixedTexts(AmpTypes);
  t[7] = panTexts();
  t[8] = withSuffix(climb(ManualFrequency), " Hz.");
  t[9] = decimals(ModulationRate);
  t[10] = numbers({.count = 5, .offset = 1, .prefix = " "});
  t[11] = fixedTexts(WahFilterTypes);
  t[12] = numbers({.count = 16});
  t[13] = fixedTexts(RotarySpeeds);
  t[14] = fixedTexts(PostGains);
  t[15] = fixedTexts(Ratios);
  t[16] = decimals(PreDelayTime);
  t[17] = numbers({.count = 21});
  t[18] = numbers({.count = 41, .offset = -20});
  t[19] = shareTexts('D', 'E');
  t[20] = numbers({.count = 91, .factor = 2, .suffix = DegreeSign});
  t[21] = fixedTexts(FilterTypes);
  t[22] = numbers({.count = 99, .factor = 2, .offset = -98, .suffix = " %"});
  t[23] = joined(decimals(StepRate), fixedTexts(NoteLengths));
  t[24] = decimals(DelayTime);
  t[25] = fixedTexts(FeedbackModes);
  t[26] = fixedTexts(Phases);
  t[27] = joined(t[3], fixedTexts(ByPass));
  t[29] = withSuffix(climb(TapDelayTime), "ms");
  t[28] = joined(t[29], fixedTexts(NoteLengths));
  t[30] = numbers({.count = 37, .offset = -24});
  t[31] = numbers({.count = 101, .factor = 2, .offset = -100});
  t[32] = numbers({.count = 5, .offset = 1});
  t[33] = shareTexts('A', 'B');
  t[34] = fixedTexts(ReverbTypes);
  t[35] = fixedTexts(GateTypes);
  t[36] = numbers({.count = 100, .factor = 5, .offset = 5});
  t[37] = fixedTexts(LowFrequencies);

  EfxValueLists lists;
  for (std::size_t i = 0; i < lists.size(); ++i) lists[i] = EfxValueList(std::move(t[i]));
  return lists;
}

}  // namespace quillon
