#include "engine/demo_performances.h"

#include <algorithm>

namespace quillon {

namespace {

constexpr Byte GroupInternal = 0;
constexpr Byte GroupPresetA = 3;  // preset banks A..E are group IDs 3..7
constexpr Byte FullLevel = 100;
constexpr Byte LowestKey = 0;
constexpr Byte HighestKey = 127;
constexpr int DefaultTempo = 120;
constexpr Byte DefaultSend = 40;
constexpr Byte DefaultReserve = 4;  // 16 parts x 4 = 64 voices

// One demo: a name, which parts sound and with which preset patches.
struct DemoPart {
  Byte bank;  // 0..3 for Preset A..D
  int patch;  // 0..127
  int pan;    // shown value -64..63
  int lowKey;
  int highKey;
};
struct Demo {
  std::string_view name;
  Byte efxType;
  Byte reverbType;
  std::array<DemoPart, 4> parts;
  int usedParts;
  bool oneChannel = false;  // every used part listens to channel 1 (splits, layers)
};

constexpr std::array<Demo, DemoPerformanceCount> Demos{{
    {"Jazz Trio   ", 0, 4, {{{0, 0, -10, 0, 127}, {3, 32, 12, 0, 127}, {1, 90, 0, 0, 127}, {}}}, 3},
    {"String Pad  ", 2, 5, {{{1, 48, -30, 0, 127}, {1, 88, 30, 0, 127}, {}, {}}}, 2},
    {"Split Bass  ", 5, 0, {{{0, 33, 0, 0, 54}, {0, 5, 0, 55, 127}, {}, {}}}, 2, true},
    {"Dance Layers", 10, 6, {{{2, 80, -20, 0, 127}, {2, 81, 20, 0, 127}, {2, 38, 0, 0, 127}, {3, 100, 0, 0, 127}}}, 4},
    {"Orchestra   ", 1, 4, {{{1, 40, -25, 0, 127}, {1, 56, 25, 0, 127}, {1, 60, 0, 0, 127}, {}}}, 3},
    {"Piano Duo   ", 0, 3, {{{0, 1, -40, 0, 127}, {0, 2, 40, 0, 127}, {}, {}}}, 2},
    {"Synth Lead  ", 20, 7, {{{2, 10, 0, 60, 127}, {2, 20, 0, 0, 59}, {}, {}}}, 2, true},
    {"Drum Groove ", 30, 1, {{{0, 118, 0, 0, 127}, {3, 33, 0, 0, 127}, {}, {}}}, 2},
}};

}  // namespace

PerformanceRecord initialPerformance(std::string_view name) {
  PerformanceRecord r;
  setPerformanceName(r.common, name);
  r.common[common::EfxMixOutSend] = FullLevel;
  r.common[common::EfxControlDepth1] = shown::efxControlDepthToStored(0);
  r.common[common::EfxControlDepth2] = shown::efxControlDepthToStored(0);
  r.common[common::ChorusLevel] = 64;
  r.common[common::ChorusRate] = 20;
  r.common[common::ChorusDepth] = 60;
  r.common[common::ReverbLevel] = 64;
  r.common[common::ReverbTime] = 80;
  r.common[common::ReverbHfDamp] = 17;
  shown::setTempo(r.common, DefaultTempo);
  for (int p = 0; p < address::PartCount; ++p) {
    auto& part = r.parts[p];
    part[part::ReceiveChannel] = static_cast<Byte>(p);
    part[part::PatchGroupType] = GroupInternal;
    part[part::PatchGroupId] = GroupPresetA;
    shown::setPatchNumber(part, p);
    part[part::Level] = FullLevel;
    part[part::Pan] = shown::panToStored(0);
    part[part::CoarseTune] = shown::coarseTuneToStored(0);
    part[part::FineTune] = shown::fineTuneToStored(0);
    part[part::ChorusSend] = DefaultSend;
    part[part::ReverbSend] = DefaultSend;
    part[part::ReceiveProgramChange] = 1;
    part[part::ReceiveVolume] = 1;
    part[part::ReceiveHold1] = 1;
    part[part::KeyRangeLower] = LowestKey;
    part[part::KeyRangeUpper] = HighestKey;
    r.common[common::VoiceReserveFirst + p] = DefaultReserve;
  }
  return r;
}

std::string_view demoPerformanceName(int index) {
  return Demos[static_cast<std::size_t>(std::clamp(index, 0, DemoPerformanceCount - 1))].name;
}

PerformanceRecord demoPerformance(int index) {
  const Demo& demo = Demos[static_cast<std::size_t>(std::clamp(index, 0, DemoPerformanceCount - 1))];
  PerformanceRecord r = initialPerformance(demo.name);
  r.common[common::EfxType] = demo.efxType;
  r.common[common::ReverbType] = demo.reverbType;
  for (int p = 0; p < demo.usedParts; ++p) {
    const DemoPart& d = demo.parts[static_cast<std::size_t>(p)];
    auto& part = r.parts[p];
    part[part::ReceiveSwitch] = 1;
    part[part::PatchGroupId] = static_cast<Byte>(GroupPresetA + d.bank);
    shown::setPatchNumber(part, d.patch);
    part[part::Pan] = shown::panToStored(d.pan);
    part[part::KeyRangeLower] = static_cast<Byte>(d.lowKey);
    part[part::KeyRangeUpper] = static_cast<Byte>(d.highKey);
    if (demo.oneChannel) part[part::ReceiveChannel] = 0;
  }
  return r;
}

}  // namespace quillon
