#include "engine/params/parameter_table.h"

#include <algorithm>

namespace quillon {

SysexAddress Parameter::addressFor(int part) const {
  switch (block) {
    case ParamBlock::System: return {address::AreaSystem, 0, 0, offsetFor(part)};
    case ParamBlock::Common: return address::temporaryCommon(offsetFor(part));
    case ParamBlock::Part:
    case ParamBlock::Controller: break;
  }
  return address::temporaryPart(part, offset);
}

ParamBytes encodeStored(const Parameter& p, int stored) {
  ParamBytes out;
  out.length = p.length();
  if (p.width == ParamWidth::TwoNibbles) {
    const auto halves = splitNibbles(stored);
    out.bytes = {halves.high, halves.low};
  } else {
    out.bytes[0] = static_cast<Byte>(stored & midi_byte::DataMask);
  }
  return out;
}

int decodeStored(const Parameter& p, std::span<const Byte> bytes) {
  if (bytes.empty()) return 0;
  if (p.width == ParamWidth::TwoNibbles && bytes.size() >= 2) return joinNibbles(bytes[0], bytes[1]);
  return bytes[0];
}

namespace {
using namespace param;
// Five a line, in the order of the address map.
// clang-format off
constexpr const Parameter* FixedRows[] = {
    &PartReceiveSwitch, &PartChannel,    &PartPatchGroupType, &PartPatchGroupId, &PartPatchNumber,
    &PartLevel,         &PartPan,        &PartCoarseTune,     &PartFineTune,     &PartOutput,
    &PartMixEfxSend,    &PartChorusSend, &PartReverbSend,     &PartReceiveProgramChange,
    &PartReceiveVolume, &PartReceiveHold1, &PartKeyLower,     &PartKeyUpper,     &PartEfxFeed,
    &EfxSource,         &EfxType,        &EfxOutput,          &EfxMixOutSend,    &EfxChorusSend,
    &EfxReverbSend,     &EfxControlSource1, &EfxControlDepth1, &EfxControlSource2, &EfxControlDepth2,
    &ChorusLevel,       &ChorusRate,     &ChorusDepth,        &ChorusPreDelay,   &ChorusFeedback,
    &ChorusOutput,      &ReverbType,     &ReverbLevel,        &ReverbTime,       &ReverbHfDamp,
    &ReverbFeedback,    &DefaultTempo,   &KeyRangeSwitch,     &VoiceReserve,     &EfxSourceB,
    &EfxSourceC,        &SystemEfxSwitch, &SystemChorusSwitch, &SystemReverbSwitch, &MixerVolume,
    &MixerPan,          &MixerChorus,    &MixerReverb,
};
// clang-format on

constexpr std::array<std::string_view, EfxSlotCount> EfxParameterIds{
    "common.efx.parameter1", "common.efx.parameter2",  "common.efx.parameter3",  "common.efx.parameter4",
    "common.efx.parameter5", "common.efx.parameter6",  "common.efx.parameter7",  "common.efx.parameter8",
    "common.efx.parameter9", "common.efx.parameter10", "common.efx.parameter11", "common.efx.parameter12"};
}  // namespace

std::span<const Parameter* const> allParameters() { return FixedRows; }

const Parameter* findParameter(std::string_view id) {
  const auto it =
      std::find_if(std::begin(FixedRows), std::end(FixedRows), [id](const Parameter* p) { return p->id == id; });
  return it == std::end(FixedRows) ? nullptr : *it;
}

Parameter efxSlotParameter(const EfxSlot& slot) {
  Parameter p;
  p.id = EfxParameterIds.at(static_cast<std::size_t>(slot.parameter - 1));
  p.block = ParamBlock::Common;
  p.offset = slot.offset();
  p.shownMin = 0;
  p.shownMax = slot.maxValue();
  return p;
}

}  // namespace quillon
