#pragma once
// Byte images of the module's performance blocks and the conversions between
// stored bytes and the values the windows show.

#include <array>
#include <string>

#include "engine/sysex.h"

namespace quillon {

inline constexpr int CommonRecordSize = 68;  // room for the JV-2080's 68 bytes
inline constexpr int PartRecordSize = 27;    // room for 26 bytes plus a spare
inline constexpr int PartBytesKept = 26;     // part bytes a file or transfer can fill
inline constexpr int PerformanceNameLength = 12;

// Parameter offsets inside the common block.
namespace common {
inline constexpr Byte Name = 0x00;
inline constexpr Byte EfxSource = 0x0C;
inline constexpr Byte EfxType = 0x0D;
inline constexpr Byte EfxParameterFirst = 0x0E;  // EFX parameters 1..12 at 0Eh..19h
inline constexpr int EfxParameterCount = 12;
inline constexpr Byte EfxOutputAssign = 0x1A;
inline constexpr Byte EfxMixOutSend = 0x1B;
inline constexpr Byte EfxChorusSend = 0x1C;
inline constexpr Byte EfxReverbSend = 0x1D;
inline constexpr Byte EfxControlSource1 = 0x1E;
inline constexpr Byte EfxControlDepth1 = 0x1F;
inline constexpr Byte EfxControlSource2 = 0x20;
inline constexpr Byte EfxControlDepth2 = 0x21;
inline constexpr Byte ChorusLevel = 0x22;
inline constexpr Byte ChorusRate = 0x23;
inline constexpr Byte ChorusDepth = 0x24;
inline constexpr Byte ChorusPreDelay = 0x25;
inline constexpr Byte ChorusFeedback = 0x26;
inline constexpr Byte ChorusOutput = 0x27;
inline constexpr Byte ReverbType = 0x28;
inline constexpr Byte ReverbLevel = 0x29;
inline constexpr Byte ReverbTime = 0x2A;
inline constexpr Byte ReverbHfDamp = 0x2B;
inline constexpr Byte ReverbFeedback = 0x2C;
inline constexpr Byte DefaultTempoHigh = 0x2D;
inline constexpr Byte DefaultTempoLow = 0x2E;
inline constexpr Byte KeyRangeSwitch = 0x2F;
inline constexpr Byte VoiceReserveFirst = 0x30;  // part p at 30h + p
inline constexpr Byte JV2080Held = 0x40;         // 40h..41h: kept, never edited
inline constexpr Byte EfxSourceB = 0x42;
inline constexpr Byte EfxSourceC = 0x43;
inline constexpr Byte LastOffset = 0x43;

// The EFX parameter block re-read after a type change: 0Ch..22h.
inline constexpr Byte EfxRereadFirst = EfxSource;
inline constexpr int EfxRereadLength = 0x17;
}  // namespace common

// Parameter offsets inside a part block.
namespace part {
inline constexpr Byte ReceiveSwitch = 0x00;
inline constexpr Byte ReceiveChannel = 0x01;
inline constexpr Byte PatchGroupType = 0x02;
inline constexpr Byte PatchGroupId = 0x03;
inline constexpr Byte PatchNumberHigh = 0x04;
inline constexpr Byte PatchNumberLow = 0x05;
inline constexpr Byte Level = 0x06;
inline constexpr Byte Pan = 0x07;
inline constexpr Byte CoarseTune = 0x08;
inline constexpr Byte FineTune = 0x09;
inline constexpr Byte OutputAssign = 0x0A;
inline constexpr Byte MixEfxSend = 0x0B;
inline constexpr Byte ChorusSend = 0x0C;
inline constexpr Byte ReverbSend = 0x0D;
inline constexpr Byte ReceiveProgramChange = 0x0E;
inline constexpr Byte ReceiveVolume = 0x0F;
inline constexpr Byte ReceiveHold1 = 0x10;
inline constexpr Byte KeyRangeLower = 0x11;
inline constexpr Byte KeyRangeUpper = 0x12;
inline constexpr Byte JV2080HeldFirst = 0x13;  // 13h..18h: kept, never edited
inline constexpr Byte EfxFeed = 0x19;
inline constexpr Byte Spare = 0x1A;
inline constexpr Byte LastOffset = 0x1A;
inline constexpr int PatchSendLength = 6;  // group type, group ID, number halves, level, pan
}  // namespace part

using PerfCommonRecord = std::array<Byte, CommonRecordSize>;
using PerfPartRecord = std::array<Byte, PartRecordSize>;

struct PerformanceRecord {
  PerfCommonRecord common{};
  std::array<PerfPartRecord, address::PartCount> parts{};
  bool operator==(const PerformanceRecord&) const = default;
};

using NameBytes = std::array<Byte, PerformanceNameLength>;

// The 12 name bytes of a common record, as text (bytes kept as they are).
std::string performanceName(const PerfCommonRecord& common);
void setPerformanceName(PerfCommonRecord& common, std::string_view name);
std::string nameText(const NameBytes& name);
// Characters outside 32..125 are replaced by a space before a name is sent.
Byte sanitizeNameChar(Byte c);

// Conversions between stored bytes and shown values.
namespace shown {
inline constexpr int PanCentre = 64;
inline constexpr int CoarseTuneCentre = 48;
inline constexpr int FineTuneCentre = 50;
inline constexpr int EfxControlDepthCentre = 63;
inline constexpr int TempoMin = 20;
inline constexpr int TempoMax = 250;
inline constexpr int PatchNumberMax = 255;

constexpr int channelFromStored(Byte b) { return b + 1; }
constexpr Byte channelToStored(int channel) { return static_cast<Byte>(channel - 1); }
constexpr int panFromStored(Byte b) { return b - PanCentre; }
constexpr Byte panToStored(int pan) { return static_cast<Byte>(pan + PanCentre); }
constexpr int coarseTuneFromStored(Byte b) { return b - CoarseTuneCentre; }
constexpr Byte coarseTuneToStored(int tune) { return static_cast<Byte>(tune + CoarseTuneCentre); }
constexpr int fineTuneFromStored(Byte b) { return b - FineTuneCentre; }
constexpr Byte fineTuneToStored(int tune) { return static_cast<Byte>(tune + FineTuneCentre); }
constexpr int efxControlDepthFromStored(Byte b) { return b - EfxControlDepthCentre; }
constexpr Byte efxControlDepthToStored(int depth) { return static_cast<Byte>(depth + EfxControlDepthCentre); }

constexpr int tempoOf(const PerfCommonRecord& c) {
  return joinNibbles(c[common::DefaultTempoHigh], c[common::DefaultTempoLow]);
}
constexpr void setTempo(PerfCommonRecord& c, int tempo) {
  const auto halves = splitNibbles(tempo);
  c[common::DefaultTempoHigh] = halves.high;
  c[common::DefaultTempoLow] = halves.low;
}
constexpr int patchNumberOf(const PerfPartRecord& p) {
  return joinNibbles(p[part::PatchNumberHigh], p[part::PatchNumberLow]);
}
constexpr void setPatchNumber(PerfPartRecord& p, int number) {
  const auto halves = splitNibbles(number);
  p[part::PatchNumberHigh] = halves.high;
  p[part::PatchNumberLow] = halves.low;
}
}  // namespace shown

}  // namespace quillon
