#pragma once
// One row per parameter the editing windows touch: where it lives in the
// address map, the range the user sees, how a shown value is stored, and its
// value texts. Windows and bindings speak of parameters, never of addresses.

#include <array>
#include <optional>
#include <span>
#include <string_view>

#include "engine/efx_table.h"
#include "engine/midi_message.h"
#include "engine/performance.h"
#include "engine/slider_texts.h"
#include "engine/sysex.h"
#include "engine/value_texts.h"

namespace quillon {

// Controller rows are no bytes of the module's memory: a control change whose
// number is the row's offset, on the strip's channel (the MIDI mixer).
enum class ParamBlock { System, Common, Part, Controller };
// One data byte, or a value split into two 4-bit halves (high first).
enum class ParamWidth { OneByte = 1, TwoNibbles = 2 };

struct Parameter {
  std::string_view id;  // stable, e.g. "part.pan"
  ParamBlock block = ParamBlock::Common;
  Byte offset = 0;
  int shownMin = 0;
  int shownMax = 0;
  int bias = 0;  // stored = shown + bias
  ParamWidth width = ParamWidth::OneByte;
  std::span<const std::string_view> texts{};  // item texts of a list parameter
  // A common-block row per part (voice reserve): offset + part.
  bool indexedByPart = false;

  constexpr int length() const { return static_cast<int>(width); }
  constexpr bool isPerPart() const { return block == ParamBlock::Part || indexedByPart; }
  constexpr int clampShown(int shown) const {
    return shown < shownMin ? shownMin : shown > shownMax ? shownMax : shown;
  }
  constexpr int toStored(int shown) const { return clampShown(shown) + bias; }
  constexpr int toShown(int stored) const { return stored - bias; }
  constexpr Byte offsetFor(int part) const { return static_cast<Byte>(offset + (indexedByPart ? part : 0)); }
  // The address of the value for `part` (ignored by common and system rows
  // that are not indexed by part).
  SysexAddress addressFor(int part) const;
  bool operator==(const Parameter& other) const { return id == other.id && offset == other.offset; }
};

// The data bytes of a stored value as they travel.
struct ParamBytes {
  std::array<Byte, 2> bytes{};
  int length = 1;
  std::span<const Byte> span() const { return {bytes.data(), static_cast<std::size_t>(length)}; }
};
ParamBytes encodeStored(const Parameter& p, int stored);
int decodeStored(const Parameter& p, std::span<const Byte> bytes);

namespace param {
namespace detail {
inline constexpr std::array<std::string_view, 2> OffOn{"Off", "On"};
}

// Part block.
inline constexpr Parameter PartReceiveSwitch{"part.receive",      ParamBlock::Part, part::ReceiveSwitch, 0, 1, 0,
                                             ParamWidth::OneByte, detail::OffOn};
inline constexpr Parameter PartChannel{"part.channel", ParamBlock::Part, part::ReceiveChannel, 1, 16, -1};
inline constexpr Parameter PartPatchGroupType{"part.patch.groupType", ParamBlock::Part, part::PatchGroupType, 0, 127};
inline constexpr Parameter PartPatchGroupId{"part.patch.groupId", ParamBlock::Part, part::PatchGroupId, 0, 127};
inline constexpr Parameter PartPatchNumber{
    "part.patch.number", ParamBlock::Part, part::PatchNumberHigh, 0, shown::PatchNumberMax, 0, ParamWidth::TwoNibbles};
inline constexpr Parameter PartLevel{"part.level", ParamBlock::Part, part::Level, 0, 127};
inline constexpr Parameter PartPan{"part.pan", ParamBlock::Part, part::Pan, -64, 63, shown::PanCentre};
inline constexpr Parameter PartCoarseTune{"part.coarseTune",      ParamBlock::Part, part::CoarseTune, -48, 48,
                                          shown::CoarseTuneCentre};
inline constexpr Parameter PartFineTune{"part.fineTune",      ParamBlock::Part, part::FineTune, -50, 50,
                                        shown::FineTuneCentre};
inline constexpr Parameter PartOutput{"part.output",       ParamBlock::Part,       part::OutputAssign, 0, 4, 0,
                                      ParamWidth::OneByte, texts::PartOutputAssign};
inline constexpr Parameter PartMixEfxSend{"part.mixEfxSend", ParamBlock::Part, part::MixEfxSend, 0, 127};
inline constexpr Parameter PartChorusSend{"part.chorusSend", ParamBlock::Part, part::ChorusSend, 0, 127};
inline constexpr Parameter PartReverbSend{"part.reverbSend", ParamBlock::Part, part::ReverbSend, 0, 127};
inline constexpr Parameter PartReceiveProgramChange{
    "part.receiveProgramChange", ParamBlock::Part, part::ReceiveProgramChange, 0, 1, 0,
    ParamWidth::OneByte,         detail::OffOn};
inline constexpr Parameter PartReceiveVolume{"part.receiveVolume", ParamBlock::Part, part::ReceiveVolume, 0, 1, 0,
                                             ParamWidth::OneByte,  detail::OffOn};
inline constexpr Parameter PartReceiveHold1{"part.receiveHold1", ParamBlock::Part, part::ReceiveHold1, 0, 1, 0,
                                            ParamWidth::OneByte, detail::OffOn};
inline constexpr Parameter PartKeyLower{"part.keyLower", ParamBlock::Part, part::KeyRangeLower, 0,
                                        texts::MidiNoteCount - 1};
inline constexpr Parameter PartKeyUpper{"part.keyUpper", ParamBlock::Part, part::KeyRangeUpper, 0,
                                        texts::MidiNoteCount - 1};
inline constexpr Parameter PartEfxFeed{"part.efxFeed",      ParamBlock::Part,  part::EfxFeed, 0, 2, 0,
                                       ParamWidth::OneByte, texts::PartEfxFeed};

// Common block.
inline constexpr Parameter EfxSource{"common.efx.source", ParamBlock::Common, common::EfxSource, 0, 15};
inline constexpr Parameter EfxType{"common.efx.type", ParamBlock::Common, common::EfxType, 0, EfxTypeCount - 1};
inline constexpr Parameter EfxOutput{"common.efx.output", ParamBlock::Common,    common::EfxOutputAssign, 0, 2, 0,
                                     ParamWidth::OneByte, texts::EfxOutputAssign};
inline constexpr Parameter EfxMixOutSend{"common.efx.mixOutSend", ParamBlock::Common, common::EfxMixOutSend, 0, 127};
inline constexpr Parameter EfxChorusSend{"common.efx.chorusSend", ParamBlock::Common, common::EfxChorusSend, 0, 127};
inline constexpr Parameter EfxReverbSend{"common.efx.reverbSend", ParamBlock::Common, common::EfxReverbSend, 0, 127};
inline constexpr Parameter EfxControlSource1{
    "common.efx.controlSource1", ParamBlock::Common,     common::EfxControlSource1, 0, 10, 0,
    ParamWidth::OneByte,         texts::EfxControlSource};
inline constexpr Parameter EfxControlDepth1{
    "common.efx.controlDepth1", ParamBlock::Common, common::EfxControlDepth1, -63, 63, shown::EfxControlDepthCentre};
inline constexpr Parameter EfxControlSource2{
    "common.efx.controlSource2", ParamBlock::Common,     common::EfxControlSource2, 0, 10, 0,
    ParamWidth::OneByte,         texts::EfxControlSource};
inline constexpr Parameter EfxControlDepth2{
    "common.efx.controlDepth2", ParamBlock::Common, common::EfxControlDepth2, -63, 63, shown::EfxControlDepthCentre};
inline constexpr Parameter ChorusLevel{"common.chorus.level", ParamBlock::Common, common::ChorusLevel, 0, 127};
inline constexpr Parameter ChorusRate{"common.chorus.rate", ParamBlock::Common, common::ChorusRate, 0, 127};
inline constexpr Parameter ChorusDepth{"common.chorus.depth", ParamBlock::Common, common::ChorusDepth, 0, 127};
inline constexpr Parameter ChorusPreDelay{"common.chorus.preDelay", ParamBlock::Common, common::ChorusPreDelay, 0, 127};
inline constexpr Parameter ChorusFeedback{"common.chorus.feedback", ParamBlock::Common, common::ChorusFeedback, 0, 127};
inline constexpr Parameter ChorusOutput{"common.chorus.output", ParamBlock::Common, common::ChorusOutput, 0, 2, 0,
                                        ParamWidth::OneByte,    texts::ChorusOutput};
inline constexpr Parameter ReverbType{"common.reverb.type", ParamBlock::Common, common::ReverbType, 0, 7, 0,
                                      ParamWidth::OneByte,  texts::ReverbType};
inline constexpr Parameter ReverbLevel{"common.reverb.level", ParamBlock::Common, common::ReverbLevel, 0, 127};
inline constexpr Parameter ReverbTime{"common.reverb.time", ParamBlock::Common, common::ReverbTime, 0, 127};
inline constexpr Parameter ReverbHfDamp{"common.reverb.hfDamp",
                                        ParamBlock::Common,
                                        common::ReverbHfDamp,
                                        0,
                                        static_cast<int>(texts::HFDampTexts.size()) - 1,
                                        0,
                                        ParamWidth::OneByte,
                                        texts::HFDampTexts};
inline constexpr Parameter ReverbFeedback{"common.reverb.feedback", ParamBlock::Common, common::ReverbFeedback, 0, 127};
inline constexpr Parameter DefaultTempo{"common.tempo",        ParamBlock::Common, common::DefaultTempoHigh,
                                        shown::TempoMin,       shown::TempoMax,    0,
                                        ParamWidth::TwoNibbles};
inline constexpr Parameter KeyRangeSwitch{"common.keyRangeSwitch", ParamBlock::Common, common::KeyRangeSwitch, 0, 1, 0,
                                          ParamWidth::OneByte,     detail::OffOn};
inline constexpr int VoiceReserveMax = 64;  // voices of the module, shared by all parts
inline constexpr Parameter VoiceReserve{"common.voiceReserve",
                                        ParamBlock::Common,
                                        common::VoiceReserveFirst,
                                        0,
                                        VoiceReserveMax,
                                        0,
                                        ParamWidth::OneByte,
                                        {},
                                        true};
inline constexpr Parameter EfxSourceB{"common.efx.sourceB", ParamBlock::Common, common::EfxSourceB, 0, 15};
inline constexpr Parameter EfxSourceC{"common.efx.sourceC", ParamBlock::Common, common::EfxSourceC, 0, 15};

// System area.
inline constexpr Parameter SystemEfxSwitch{"system.efxSwitch",  ParamBlock::System, address::SystemEfxSwitch, 0, 1, 0,
                                           ParamWidth::OneByte, detail::OffOn};
inline constexpr Parameter SystemChorusSwitch{
    "system.chorusSwitch", ParamBlock::System, address::SystemChorusSwitch, 0, 1, 0,
    ParamWidth::OneByte,   detail::OffOn};
inline constexpr Parameter SystemReverbSwitch{
    "system.reverbSwitch", ParamBlock::System, address::SystemReverbSwitch, 0, 1, 0,
    ParamWidth::OneByte,   detail::OffOn};

// Control changes of the MIDI mixer's strips.
inline constexpr Parameter MixerVolume{"mixer.volume", ParamBlock::Controller, controller::Volume, 0, 127};
inline constexpr Parameter MixerPan{"mixer.pan", ParamBlock::Controller, controller::Pan, -64, 63, shown::PanCentre};
inline constexpr Parameter MixerChorus{"mixer.chorus", ParamBlock::Controller, controller::ChorusSend, 0, 127};
inline constexpr Parameter MixerReverb{"mixer.reverb", ParamBlock::Controller, controller::ReverbSend, 0, 127};
}  // namespace param

// Every fixed row, for lookups by id and for the table's own checks.
std::span<const Parameter* const> allParameters();
const Parameter* findParameter(std::string_view id);

// The row of an EFX slider slot of a type: its parameter byte and the range of its value list.
Parameter efxSlotParameter(const EfxSlot& slot);

}  // namespace quillon
