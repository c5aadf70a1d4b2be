#include "describe.h"

#include <iomanip>
#include <string>

#include "engine/efx_table.h"
#include "engine/value_texts.h"

namespace quillon::cli {

namespace {

using texts::efxSourceText;
using texts::signedText;

std::string onOff(Byte b) { return b ? "on" : "off"; }

const EfxTypeTable& efxTable() {
  static const EfxTypeTable table;
  return table;
}

// A stored byte the slot's list has no text for is shown as "?<byte>".
std::string efxValueText(const EfxSlot& slot, Byte stored) {
  return slot.accepts(stored) ? slot.text(stored) : "?" + std::to_string(stored);
}

std::string controlTargetText(std::string_view label) {
  return label == EfxBlankLabel ? "nothing" : "\"" + std::string(label) + "\"";
}

// The EFX type by name and each used parameter slot with its label and value text.
void printEfx(std::ostream& out, const PerfCommonRecord& c) {
  const int type = c[common::EfxType];
  if (!EfxTypeTable::isType(type)) {
    out << "EFX type " << type << " is not one of the " << EfxTypeCount << " types; parameters:";
    for (int n = 1; n <= common::EfxParameterCount; ++n) out << ' ' << int(c[efxParameterOffset(n)]);
    out << '\n';
    return;
  }
  const auto& table = efxTable();
  out << "EFX type \"" << table.typeName(type) << "\"; control 1 acts on "
      << controlTargetText(table.controlTargetLabel(type, 1)) << ", control 2 on "
      << controlTargetText(table.controlTargetLabel(type, 2)) << '\n';
  for (const auto& slot : table.usedSlots(type)) {
    const Byte stored = c[slot.offset()];
    out << "  slot " << std::setw(2) << slot.slot << "  P" << std::left << std::setw(3) << slot.parameter
        << std::setw(EfxLabelMaxLength + 2) << slot.label << std::right << std::setw(4) << int(stored) << "  "
        << efxValueText(slot, stored) << '\n';
  }
}

}  // namespace

void printScan(std::ostream& out, const SyxScan& scan, const PerformanceStore& store) {
  for (const auto& line : scan.statusLines) out << "  " << line << '\n';
  out << "Performances: " << scan.performances.size();
  if (scan.performanceHeaders > static_cast<int>(scan.performances.size()))
    out << " (of " << scan.performanceHeaders << " headers; only the first " << PerformanceListSize << " are kept)";
  out << '\n';
  for (std::size_t i = 0; i < scan.performances.size(); ++i) {
    const auto& info = store.ListInfo[i];
    out << std::setw(3) << (i + 1) << "  " << std::left << std::setw(5) << kindText(info.kind) << std::right << " #"
        << std::setw(2) << (info.fileNumber + 1) << "  [" << performanceName(store.PerformanceList[i].common)
        << "]  offset " << info.fileOffset << (info.complete ? "" : "  (incomplete: " + info.problem + ")") << '\n';
  }
  out << "Patches: " << scan.patches.size() << ", rhythm sets: " << scan.rhythmSets.size() << '\n';
}

void printPerformance(std::ostream& out, const PerformanceRecord& record, const ListEntryInfo& info, int position) {
  const auto& c = record.common;
  out << "Performance " << position << " (" << kindText(info.kind) << " #" << (info.fileNumber + 1) << "): ["
      << performanceName(c) << "]\n";
  if (!info.complete) out << "  Incomplete: " << info.problem << "; those blocks are left empty.\n";
  out << "EFX: source " << efxSourceText(c[common::EfxSource]) << ", type " << int(c[common::EfxType]) << ", output "
      << texts::textOr(texts::EfxOutputAssign, c[common::EfxOutputAssign]) << ", mix " << int(c[common::EfxMixOutSend])
      << ", chorus send " << int(c[common::EfxChorusSend]) << ", reverb send " << int(c[common::EfxReverbSend]) << '\n';
  out << "EFX control: 1 " << texts::textOr(texts::EfxControlSource, c[common::EfxControlSource1]) << " "
      << signedText(shown::efxControlDepthFromStored(c[common::EfxControlDepth1])) << ", 2 "
      << texts::textOr(texts::EfxControlSource, c[common::EfxControlSource2]) << " "
      << signedText(shown::efxControlDepthFromStored(c[common::EfxControlDepth2])) << '\n';
  printEfx(out, c);
  out << "Chorus: level " << int(c[common::ChorusLevel]) << ", rate " << int(c[common::ChorusRate]) << ", depth "
      << int(c[common::ChorusDepth]) << ", pre-delay " << int(c[common::ChorusPreDelay]) << ", feedback "
      << int(c[common::ChorusFeedback]) << ", output " << texts::textOr(texts::ChorusOutput, c[common::ChorusOutput])
      << '\n';
  out << "Reverb: " << texts::textOr(texts::ReverbType, c[common::ReverbType]) << ", level "
      << int(c[common::ReverbLevel]) << ", time " << int(c[common::ReverbTime]) << ", HF damp "
      << int(c[common::ReverbHfDamp]) << ", feedback " << int(c[common::ReverbFeedback]) << '\n';
  out << "Tempo: " << shown::tempoOf(c) << ", key range switch " << onOff(c[common::KeyRangeSwitch]) << '\n';
  out << "Part  Rx   Ch  Patch (type/ID/no.)  Level  Pan  Coarse  Fine  Output  EFX Cho Rev  Keys    Voices\n";
  for (int p = 0; p < address::PartCount; ++p) {
    const auto& r = record.parts[p];
    out << std::setw(4) << (p + 1) << "  " << std::left << std::setw(4) << onOff(r[part::ReceiveSwitch]) << std::right
        << std::setw(3) << shown::channelFromStored(r[part::ReceiveChannel]) << "  " << std::setw(5)
        << int(r[part::PatchGroupType]) << "/" << std::setw(3) << int(r[part::PatchGroupId]) << "/" << std::setw(3)
        << (shown::patchNumberOf(r) + 1) << "        " << std::setw(5) << int(r[part::Level]) << std::setw(5)
        << signedText(shown::panFromStored(r[part::Pan])) << std::setw(8)
        << signedText(shown::coarseTuneFromStored(r[part::CoarseTune])) << std::setw(6)
        << signedText(shown::fineTuneFromStored(r[part::FineTune])) << "  " << std::left << std::setw(6)
        << texts::textOr(texts::PartOutputAssign, r[part::OutputAssign]) << std::right << std::setw(5)
        << int(r[part::MixEfxSend]) << std::setw(4) << int(r[part::ChorusSend]) << std::setw(4)
        << int(r[part::ReverbSend]) << std::setw(5) << int(r[part::KeyRangeLower]) << "-" << std::left << std::setw(3)
        << int(r[part::KeyRangeUpper]) << std::right << std::setw(7) << int(c[common::VoiceReserveFirst + p]) << '\n';
  }
}

}  // namespace quillon::cli
