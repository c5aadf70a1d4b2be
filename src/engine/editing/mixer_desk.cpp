#include "engine/editing/mixer_desk.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>

namespace quillon {

namespace {
constexpr std::size_t MemoryBytes = MixerRows * MixerStrips;
constexpr int ChorusRow = 0, ReverbRow = 1, PanRow = 2, VolumeRow = 3;
}  // namespace

namespace {
// A memory never used recalls silence with every pan in the centre.
MixerMemory unusedMemory() {
  MixerMemory m{};
  m[PanRow].fill(static_cast<Byte>(param::MixerPan.bias));
  return m;
}
}  // namespace

MixerDesk::MixerDesk(EngineHost& host, const PerformanceStore& store) : host_(host), store_(store) {
  strips_[PanRow].fill(static_cast<Byte>(param::MixerPan.bias));
  strips_[VolumeRow].fill(MixerStartVolume);
  memories_.fill(unusedMemory());
}

const std::array<const Parameter*, MixerRows>& MixerDesk::rows() {
  static const std::array<const Parameter*, MixerRows> order{&param::MixerChorus, &param::MixerReverb, &param::MixerPan,
                                                             &param::MixerVolume};
  return order;
}

int MixerDesk::rowOf(const Parameter& p) {
  const auto& r = rows();
  const auto it = std::find(r.begin(), r.end(), &p);
  if (it != r.end()) return static_cast<int>(it - r.begin());
  for (int i = 0; i < MixerRows; ++i)
    if (r[static_cast<std::size_t>(i)]->offset == p.offset) return i;
  return -1;
}

int MixerDesk::storedValue(const Parameter& p, int strip) const {
  const int row = rowOf(p);
  return row < 0 ? 0 : strips_[static_cast<std::size_t>(row)][static_cast<std::size_t>(strip)];
}

bool MixerDesk::send(const Parameter& p, int strip, int shown) {
  const int row = rowOf(p);
  if (row < 0 || strip < 0 || strip >= MixerStrips) return false;
  const Byte value = static_cast<Byte>(p.toStored(shown));
  strips_[static_cast<std::size_t>(row)][static_cast<std::size_t>(strip)] = value;
  if (portFailed_) return false;
  if (store_.MidiClosed) {
    // One box for a whole drag, recall or Clear, not one per step.
    portFailed_ = true;
    host_.showInfo(PortClosed);
    return false;
  }
  try {
    host_.sendShort(static_cast<Byte>(status::ControlChange | strip), p.offset, value);
  } catch (const std::exception& e) {
    portFailed_ = true;
    host_.showInfo(e.what());
    return false;
  }
  memories_[static_cast<std::size_t>(memoryIndex_)][static_cast<std::size_t>(row)][static_cast<std::size_t>(strip)] =
      value;
  return true;
}

std::optional<std::pair<const Parameter*, int>> MixerDesk::receive(Byte status, Byte controller, Byte value) {
  const int strip = status & status::ChannelMask;
  for (int row = 0; row < MixerRows; ++row) {
    const Parameter* p = rows()[static_cast<std::size_t>(row)];
    if (p->offset != controller) continue;
    strips_[static_cast<std::size_t>(row)][static_cast<std::size_t>(strip)] = value;
    memories_[static_cast<std::size_t>(memoryIndex_)][static_cast<std::size_t>(row)][static_cast<std::size_t>(strip)] =
        value;
    return std::make_pair(p, strip);
  }
  return std::nullopt;
}

void MixerDesk::choose(int index) {
  memoryIndex_ = std::clamp(index, 0, MixerMemoryCount - 1);
  strips_ = memories_[static_cast<std::size_t>(memoryIndex_)];
}

void MixerDesk::clearStrips() {
  for (auto& row : strips_) row.fill(0);
  strips_[PanRow].fill(static_cast<Byte>(param::MixerPan.bias));
}

std::string MixerDesk::memoriesText() const {
  std::ostringstream out;
  for (const MixerMemory& m : memories_)
    for (const MixerRow& row : m)
      for (Byte b : row) out << hex2(b);
  return out.str();
}

void MixerDesk::setMemoriesText(const std::string& text) {
  memories_.fill(unusedMemory());
  if (text.size() != MemoryBytes * MixerMemoryCount * 2) return;
  std::array<MixerMemory, MixerMemoryCount> read{};
  for (std::size_t i = 0; i < MemoryBytes * MixerMemoryCount; ++i) {
    const std::string pair = text.substr(i * 2, 2);
    if (pair.find_first_not_of("0123456789ABCDEFabcdef") != std::string::npos) return;
    const int v = std::stoi(pair, nullptr, 16);
    if (v > midi_byte::DataMask) return;
    read[i / MemoryBytes][(i % MemoryBytes) / MixerStrips][i % MixerStrips] = static_cast<Byte>(v);
  }
  memories_ = read;
}

}  // namespace quillon
