#include "engine/efx_table.h"

#include <array>

namespace quillon {

namespace {

// One slot as the table gives it: slot 1..12, label, EFX parameter 1..12 and
// value list 1..37. Unlisted slots stay zero, that is empty (list 0).
struct SlotRow {
  int slot;
  std::string_view label;
  int parameter;
  int list;
};

struct TypeRow {
  std::string_view name;
  std::array<SlotRow, EfxSlotCount> slots;                       // used slots first, in slot order
  std::array<std::string_view, EfxControlCount> controlTargets;  // of control sources 1 and 2
};

constexpr std::string_view Blank = EfxBlankLabel;

// Indexed by the stored EFX type.
// One row a line, as the module's documentation lists the types.
// clang-format off
constexpr std::array<TypeRow, EfxTypeCount> TypeRows{{
    {"01: Stereo-EQ",
     {{{1, "Peak1 Freq.", 5, 3}, {2, "Pk1 BWidth", 6, 4}, {3, "Peak1 Gain", 7, 2}, {4, "Peak2 Freq.", 8, 3},
      {5, "Pk2 BWidth", 9, 4}, {6, "Peak2 Gain", 10, 2}, {7, "Low Freq.", 1, 37}, {8, "Low Gain", 2, 2},
      {9, "Hi Freq", 3, 1}, {10, "Hi Gain", 4, 2}, {12, "Out Level", 11, 5}}},
     {{"Out Level", Blank}}},
    {"02: Overdrive",
     {{{1, "Amp Type", 3, 6}, {2, "Drive", 1, 5}, {7, "Low Gain", 4, 2}, {8, "Hi Gain", 5, 2}, {11, "Pan", 2, 7},
      {12, "Out Level", 6, 5}}},
     {{"Drive", "Pan"}}},
    {"03: Distortion",
     {{{1, "Amp Type", 3, 6}, {2, "Drive", 1, 5}, {7, "Low Gain", 4, 2}, {8, "Hi Gain", 5, 2}, {11, "Pan", 2, 7},
      {12, "Out Level", 6, 5}}},
     {{"Drive", "Pan"}}},
    {"04: Phaser",
     {{{1, "Manual Hz.", 1, 8}, {2, "Rate", 2, 9}, {3, "Depth", 3, 5}, {4, "Resonance", 4, 5},
      {5, "Mix Level", 5, 5}, {11, "Pan", 6, 7}, {12, "Out Level", 7, 5}}},
     {{"Manual Hz.", "Rate"}}},
    {"05: Spectrum",
     {{{1, " 1000 Hz.", 3, 2}, {2, " 1250 Hz.", 4, 2}, {3, " 2000 Hz.", 5, 2}, {4, " 3150 Hz.", 6, 2},
      {5, " 4000 Hz.", 7, 2}, {6, " 8000 Hz.", 8, 2}, {7, "  250 Hz.", 1, 2}, {8, "  500 Hz.", 2, 2},
      {9, "BandWidth", 9, 10}, {11, "Pan", 10, 7}, {12, "Out Level", 11, 5}}},
     {{"Pan", "Out Level"}}},
    {"06: Enhancer",
     {{{1, "Sensitivity", 1, 5}, {2, "Mix Level", 2, 5}, {7, "Low Gain", 3, 2}, {8, "Hi Gain", 4, 2},
      {12, "Out Level", 5, 5}}},
     {{"Sensitivity", "Mix Level"}}},
    {"07: Auto-Wah",
     {{{1, "Filter Tp.", 1, 11}, {2, "Sensitivity", 4, 5}, {3, "Manual Hz.", 5, 5}, {4, "Peak", 6, 5},
      {8, "Depth", 3, 5}, {9, "Rate", 2, 9}, {12, "Out Level", 7, 5}}},
     {{"Rate", "Manual Hz."}}},
    {"08: Rotary",
     {{{1, "Hi Slow", 1, 9}, {2, "Hi Fast", 3, 9}, {3, "Hi Accl", 7, 12}, {4, "Hi Level", 8, 5},
      {5, "Speed", 5, 13},
      // Separation edits P10: on P1 it would move "Hi Slow" as well, and P10,
      // between the levels (P8, P9) and Out Level (P11), would have no slider.
      {6, "Separation", 10, 5},
      {7, "Low Slow", 2, 9}, {8, "Low Fast", 4, 9},
      {9, "Low Accl", 6, 12}, {10, "Low Level", 9, 5}, {12, "Out Level", 11, 5}}},
     {{"Speed", "Out Level"}}},
    {"09: Compressor",
     {{{1, "Attack", 2, 5}, {2, "Sustain", 1, 5}, {7, "Post Gain", 4, 14}, {8, "Low Gain", 5, 2},
      {9, "Hi Gain", 6, 2}, {11, "Pan", 3, 7}, {12, "Out Level", 7, 5}}},
     {{"Pan", "Out Level"}}},
    {"10: Limiter",
     {{{1, "Treshold", 1, 5}, {2, "Ratio", 3, 15}, {3, "Rel.Time", 2, 5}, {7, "Post Gain", 5, 14},
      {8, "Low Gain", 6, 2}, {9, "Hi Gain", 7, 2}, {11, "Pan", 4, 7}, {12, "Out Level", 8, 5}}},
     {{"Pan", "Out Level"}}},
    {"11: Hexa-Chorus",
     {{{1, "PreDly Time", 1, 16}, {2, "Rel.Time", 2, 5}, {3, "Rate", 3, 9}, {4, "PreDly Dev.", 4, 17},
      {5, "Depth Dev.", 5, 18}, {6, "Pan Deviatn", 6, 17}, {11, "Balance", 7, 19}, {12, "Out Level", 8, 5}}},
     {{"Rate", "Balance"}}},
    {"12: Tremolo-Chorus",
     {{{1, "PreDly Time", 1, 16}, {2, "Rate", 2, 9}, {3, "Depth", 3, 5}, {4, "Phase", 6, 20},
      {8, "Trem.Rate", 4, 9}, {9, "Trem.Sepr.", 5, 5}, {11, "Balance", 7, 19}, {12, "Out Level", 8, 5}}},
     {{"Trem.Rate", "Balance"}}},
    {"13: Space-D",
     {{{1, "PreDly Time", 1, 16}, {2, "Rate", 2, 9}, {3, "Depth", 3, 5}, {4, "Phase", 4, 20},
      {7, "Low Gain", 5, 2}, {8, "Hi Gain", 6, 2}, {11, "Balance", 7, 19}, {12, "Out Level", 8, 5}}},
     {{"Rate", "Balance"}}},
    {"14: Stereo-Chorus",
     {{{1, "PreDly Time", 3, 16}, {2, "Rate", 4, 9}, {3, "Depth", 5, 5}, {4, "Phase", 6, 20},
      {7, "Low Gain", 8, 2}, {8, "Hi Gain", 9, 2}, {9, "Filter Tp.", 1, 21}, {10, "Cutoff Fq.", 2, 3},
      {11, "Balance", 10, 19}, {12, "Out Level", 11, 5}}},
     {{"Rate", "Balance"}}},
    {"15: Stereo-Flanger",
     {{{1, "PreDly Time", 3, 16}, {2, "LFO-Rate", 4, 9}, {3, "LFO-Depth", 5, 5}, {4, "Phase", 6, 20},
      {5, "Feedback", 7, 22}, {7, "Low Gain", 8, 2}, {8, "Hi Gain", 9, 2}, {9, "Filter Tp.", 1, 21},
      {10, "Cutoff Fq.", 2, 3}, {11, "Balance", 10, 19}, {12, "Out Level", 11, 5}}},
     {{"Rate", "Feedback"}}},
    {"16: Step-Flanger",
     {{{1, "PreDly Time", 1, 16}, {2, "LFO-Rate", 2, 9}, {3, "LFO-Depth", 3, 5}, {4, "Phase", 6, 20},
      {5, "Feedback", 4, 22}, {6, "Rate", 5, 23}, {7, "Low Gain", 7, 2}, {8, "Hi Gain", 8, 2},
      {11, "Balance", 9, 19}, {12, "Out Level", 10, 5}}},
     {{"Rate", "Feedback"}}},
    {"17: Stereo-Delay",
     {{{1, "Dly Left", 2, 24}, {2, "Phase Left", 4, 26}, {3, "Fdback Mode", 1, 25}, {4, "Feedback", 6, 22},
      {5, "Dly Right", 3, 24}, {6, "Phase Right", 5, 26}, {7, "Low Gain", 8, 2}, {8, "Hi Gain", 9, 2},
      {9, "HF-Damp", 7, 27}, {11, "Balance", 10, 19}, {12, "Out Level", 11, 5}}},
     {{"Feedback", "Balance"}}},
    {"18: Modulation-Delay",
     {{{1, "Dly Left", 2, 24}, {2, "Fdback Mode", 1, 25}, {3, "Feedback", 4, 22}, {4, "Dly Right", 3, 24},
      {5, "Rate", 6, 9}, {6, "Depth", 7, 5}, {7, "Low Gain", 9, 2}, {8, "Hi Gain", 10, 2}, {9, "HF-Damp", 5, 27},
      {10, "Phase", 8, 20}, {11, "Balance", 11, 19}, {12, "Out Level", 12, 5}}},
     {{"Rate", "Balance"}}},
    {"19: Triple-Tap-Delay",
     {{{1, "Dly Left", 1, 28}, {2, "Dly Center", 3, 28}, {3, "Dly Right", 2, 28}, {4, "Lev.Left", 6, 5},
      {5, "Lev.Center", 8, 5}, {6, "Lev.Right", 7, 5}, {7, "Low Gain", 9, 2}, {8, "Hi Gain", 10, 2},
      {9, "HF-Damp", 5, 27}, {10, "Feedback", 4, 22}, {11, "Balance", 11, 19}, {12, "Out Level", 12, 5}}},
     {{"Feedback", "Balance"}}},
    {"20: Quad-Tap-Delay",
     {{{1, "Dly.Tm L-", 1, 28}, {2, "Dly.Tm LC", 2, 28}, {3, "Dly.Tm CR", 3, 28}, {4, "Dly.Tm -R", 4, 28},
      {5, "HF-Damp", 10, 27}, {6, "Feedback", 9, 22}, {7, "Level L-", 5, 5}, {8, "Level LC", 6, 5},
      {9, "Level CR", 7, 5}, {10, "Level -R", 8, 5}, {11, "Balance", 11, 19}, {12, "Out Level", 12, 5}}},
     {{"Feedback", "Balance"}}},
    {"21: Time-Control-Delay",
     {{{1, "Dly Time", 1, 29}, {2, "Accelerat.", 3, 12}, {3, "Feedback", 2, 22}, {7, "Low Gain", 6, 2},
      {8, "Hi Gain", 7, 2}, {9, "HF-Damp", 4, 27}, {10, "Balance", 8, 19}, {11, "Pan", 5, 7},
      {12, "Out Level", 9, 5}}},
     {{"Dly Time", "Feedback"}}},
    {"22: Voice-Pitch-Shifter",
     {{{1, "Pre Dly A", 6, 24}, {2, "C-Pitch A", 2, 30}, {3, "F-Pitch A", 4, 31}, {4, "Out Pan A", 8, 7},
      {5, "Pch Sh Mode", 1, 32}, {6, "L-Balance", 10, 33}, {7, "Pre Dly B", 7, 24}, {8, "C-Pitch B", 3, 30},
      {9, "F-Pitch B", 5, 31}, {10, "Out Pan B", 9, 7}, {11, "Balance", 11, 19}, {12, "Out Level", 12, 5}}},
     {{"C-Pitch A", "C-Pitch B"}}},
    {"23: Fbk-Pitch-Shifter",
     {{{1, "PreDly Time", 4, 24}, {2, "Coarse Pch", 2, 30}, {3, "Fine Pitch", 3, 31}, {4, "Pch Sh Mode", 1, 32},
      {5, "Feedback", 5, 22}, {7, "Low Gain", 7, 2}, {8, "Hi Gain", 8, 2}, {10, "Pan", 6, 7},
      {11, "Balance", 9, 19}, {12, "Out Level", 10, 5}}},
     {{"Coarse Pch", "Feedback"}}},
    {"24: Reverb",
     {{{1, "PreDly Time", 2, 16}, {2, "Rev Time", 3, 5}, {3, "Rev Type", 1, 34}, {7, "Low Gain", 5, 2},
      {8, "Hi Gain", 6, 2}, {9, "HF-Damp", 4, 27}, {11, "Balance", 7, 19}, {12, "Out Level", 8, 5}}},
     {{"PreDly Time", "Balance"}}},
    {"25: Gate-Reverb",
     {{{1, "PreDly Time", 2, 16}, {2, "Gate Time", 3, 36}, {3, "Rev Type", 1, 35}, {7, "Low Gain", 4, 2},
      {8, "Hi Gain", 5, 2}, {11, "Balance", 6, 19}, {12, "Out Level", 7, 5}}},
     {{"Balance", "Out Level"}}},
    {"26: Overdrive -->Chorus",
     {{{1, "Drive", 1, 5}, {2, "Drive Pan", 2, 7}, {7, "Ch Pre Dly", 3, 16}, {8, "Ch Rate", 4, 9},
      {9, "Ch Depth", 5, 5}, {11, "Balance", 7, 19}, {12, "Out Level", 8, 5}}},
     {{"Drive Pan", "Balance"}}},
    {"27: Overdrive -->Flanger",
     {{{1, "Drive", 1, 5}, {2, "Drive Pan", 2, 7}, {7, "Fl Pre Dly", 3, 16}, {8, "Fl Rate", 4, 9},
      {9, "Fl Depth", 5, 5}, {10, "Fl FdBck", 6, 22}, {11, "Balance", 7, 19}, {12, "Out Level", 8, 5}}},
     {{"Drive Pan", "Balance"}}},
    {"28: Overdrive -->Delay",
     {{{1, "Drive", 1, 5}, {2, "Drive Pan", 2, 7}, {7, "Dly Time", 3, 24}, {8, "Feedback", 4, 22},
      {9, "HF-Damp", 5, 27}, {11, "Balance", 6, 19}, {12, "Out Level", 7, 5}}},
     {{"Drive Pan", "Balance"}}},
    {"29: Distortion -->Chorus",
     {{{1, "Drive", 1, 5}, {2, "Drive Pan", 2, 7}, {7, "Ch Pre Dly", 3, 16}, {8, "Ch Rate", 4, 9},
      {9, "Ch Depth", 5, 5}, {11, "Balance", 7, 19}, {12, "Out Level", 8, 5}}},
     {{"Drive Pan", "Balance"}}},
    {"30: Distortion -->Flanger",
     {{{1, "Drive", 1, 5}, {2, "Drive Pan", 2, 7}, {7, "Fl Pre Dly", 3, 16}, {8, "Fl Rate", 4, 9},
      {9, "Fl Depth", 5, 5}, {10, "Fl FdBck", 6, 22}, {11, "Balance", 7, 19}, {12, "Out Level", 8, 5}}},
     {{"Drive Pan", "Balance"}}},
    {"31: Distortion -->Delay",
     {{{1, "Drive", 1, 5}, {2, "Drive Pan", 2, 7}, {7, "Dly Time", 3, 24}, {8, "Feedback", 4, 22},
      {9, "HF-Damp", 5, 27}, {11, "Balance", 6, 19}, {12, "Out Level", 7, 5}}},
     {{"Drive Pan", "Balance"}}},
    {"32: Enhancer -->Chorus",
     {{{1, "Sensitivity", 1, 5}, {2, "Mix Level", 2, 5}, {7, "Ch Pre Dly", 3, 16}, {8, "Ch Rate", 4, 9},
      {9, "Ch Depth", 5, 5}, {11, "Balance", 7, 19}, {12, "Out Level", 8, 5}}},
     {{"Sensitivity", "Balance"}}},
    {"33: Enhancer -->Flanger",
     {{{1, "Sensitivity", 1, 5}, {2, "Mix Level", 2, 5}, {7, "Fl Pre Dly", 3, 16}, {8, "Fl Rate", 4, 9},
      {9, "Fl Depth", 5, 5}, {10, "Fl FdBck", 6, 22}, {11, "Balance", 7, 19}, {12, "Out Level", 8, 5}}},
     {{"Sensitivity", "Balance"}}},
    {"34: Enhancer -->Delay",
     {{{1, "Sensitivity", 1, 5}, {2, "Mix Level", 2, 5}, {7, "Dly Time", 3, 24}, {8, "Feedback", 4, 22},
      {9, "HF-Damp", 5, 27}, {11, "Balance", 7, 19}, {12, "Out Level", 8, 5}}},
     {{"Sensitivity", "Balance"}}},
    {"35: Chorus -->Delay",
     {{{1, "Ch Pre Dly", 1, 16}, {2, "Ch Rate", 2, 9}, {3, "Ch Depth", 3, 5}, {5, "Balance", 5, 19},
      {7, "Dly Time", 6, 24}, {8, "Feedback", 7, 22}, {9, "HF-Damp", 8, 27}, {11, "Balance", 9, 19},
      {12, "Out Level", 10, 5}}},
     {{"Balance", "Balance"}}},
    {"36: Flanger -->Delay",
     {{{1, "Fl Pre Dly", 1, 16}, {2, "Fl Rate", 2, 9}, {3, "Fl Depth", 3, 5}, {4, "Fl FdBck", 4, 22},
      {5, "Balance", 5, 19}, {7, "Dly Time", 6, 24}, {8, "Feedback", 7, 22}, {9, "HF-Damp", 8, 27},
      {11, "Balance", 9, 19}, {12, "Out Level", 10, 5}}},
     {{"Balance", "Balance"}}},
    {"37: Chorus -->Flanger",
     {{{1, "Ch Pre Dly", 1, 16}, {2, "Ch Rate", 2, 9}, {3, "Ch Depth", 3, 5}, {5, "Balance", 4, 19},
      {7, "Fl Pre Dly", 5, 16}, {8, "Fl Rate", 6, 9}, {9, "Fl Depth", 7, 5}, {10, "Fl FdBck", 8, 22},
      {11, "Balance", 9, 19}, {12, "Out Level", 10, 5}}},
     {{"Balance", "Balance"}}},
    {"38: Chorus / Delay",
     {{{1, "Ch Pre Dly", 1, 16}, {2, "Ch Rate", 2, 9}, {3, "Ch Depth", 3, 5}, {5, "Balance", 5, 19},
      {7, "Dly Time", 6, 24}, {8, "Feedback", 7, 22}, {9, "HF-Damp", 8, 27}, {11, "Balance", 9, 19},
      {12, "Out Level", 10, 5}}},
     {{"Balance", "Balance"}}},
    {"39: Flanger / Delay",
     {{{1, "Fl Pre Dly", 1, 16}, {2, "Fl Rate", 2, 9}, {3, "Fl Depth", 3, 5}, {4, "Fl FdBck", 4, 22},
      {5, "Balance", 5, 19}, {7, "Dly Time", 6, 24}, {8, "Feedback", 7, 22}, {9, "HF-Damp", 8, 27},
      {11, "Balance", 9, 19}, {12, "Out Level", 10, 5}}},
     {{"Balance", "Balance"}}},
    {"40: Chorus / Flanger",
     {{{1, "Ch Pre Dly", 1, 16}, {2, "Ch Rate", 2, 9}, {3, "Ch Depth", 3, 5}, {5, "Balance", 4, 19},
      {7, "Fl Pre Dly", 5, 16}, {8, "Fl Rate", 6, 9}, {9, "Fl Depth", 7, 5}, {10, "Fl FdBck", 8, 22},
      {11, "Balance", 9, 19}, {12, "Out Level", 10, 5}}},
     {{"Balance", "Balance"}}},
}};
// clang-format on

const TypeRow* typeRow(int type) { return EfxTypeTable::isType(type) ? &TypeRows[type] : nullptr; }

const SlotRow* slotRow(int type, int slotNumber) {
  const TypeRow* row = typeRow(type);
  if (!row) return nullptr;
  for (const auto& s : row->slots)
    if (s.slot == slotNumber && s.list != EfxEmptyList) return &s;
  return nullptr;
}

}  // namespace

EfxTypeTable::EfxTypeTable(char decimalSeparator) : lists_(buildEfxValueLists(decimalSeparator)) {}

std::string_view EfxTypeTable::typeName(int type) const {
  const TypeRow* row = typeRow(type);
  return row ? row->name : std::string_view{};
}

std::vector<EfxSlot> EfxTypeTable::usedSlots(int type) const {
  std::vector<EfxSlot> slots;
  for (int k = 1; k <= EfxSlotCount; ++k)
    if (auto s = slot(type, k)) slots.push_back(*s);
  return slots;
}

std::optional<EfxSlot> EfxTypeTable::slot(int type, int slotNumber) const {
  const SlotRow* s = slotRow(type, slotNumber);
  if (!s) return std::nullopt;
  return EfxSlot{s->slot, s->label, s->parameter, s->list, &valueList(s->list)};
}

std::string_view EfxTypeTable::slotLabel(int type, int slotNumber) const {
  const SlotRow* s = slotRow(type, slotNumber);
  return s ? s->label : EfxBlankLabel;
}

std::string_view EfxTypeTable::controlTargetLabel(int type, int control) const {
  const TypeRow* row = typeRow(type);
  if (!row || control < 1 || control > EfxControlCount) return EfxBlankLabel;
  return row->controlTargets[static_cast<std::size_t>(control - 1)];
}

}  // namespace quillon
