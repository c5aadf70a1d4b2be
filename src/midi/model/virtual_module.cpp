#include "midi/model/virtual_module.h"

#include <algorithm>
#include <string>
#include <utility>

#include "engine/demo_performances.h"
#include "engine/midi_message.h"
#include "engine/syx_reader.h"
#include "engine/syx_writer.h"

namespace quillon::jv {

namespace {

constexpr std::size_t PosSize = roland::PosData;  // RQ1 size bytes follow the address
constexpr int SizeByteCount = 4;
constexpr int SevenBits = 7;

bool isDataByte(Byte b) { return b <= midi_byte::DataMask; }

bool payloadIsSevenBit(std::span<const Byte> message) {
  // Everything between F0 and F7 must be a data byte; a status byte inside means
  // the message was cut or merged with another.
  return std::all_of(message.begin() + 1, message.end() - 1, isDataByte);
}

bool isFramedSysex(std::span<const Byte> message) {
  return message.size() >= roland::FrameOverhead && message.front() == midi_byte::SysexStart &&
         message.back() == midi_byte::SysexEnd && payloadIsSevenBit(message);
}

bool isRolandJV(std::span<const Byte> message) {
  return message[roland::PosManufacturer] == roland::ManufacturerId && message[roland::PosModel] == roland::ModelId;
}

std::span<Byte> firstBytes(std::span<Byte> record, int length) {
  return record.first(static_cast<std::size_t>(length));
}

}  // namespace

bool parseRQ1(std::span<const Byte> message, RQ1Message& out, bool& checksumOk) {
  checksumOk = false;
  if (message.size() != roland::RQ1Length || !isFramedSysex(message) || !isRolandJV(message) ||
      message[roland::PosCommand] != roland::CommandRQ1)
    return false;
  const auto summed = message.subspan(roland::PosAddress, 4 + SizeByteCount);
  checksumOk = rolandChecksum(summed) == message[roland::RQ1Length - 2];
  if (!checksumOk) return false;
  out.device = message[roland::PosDevice];
  std::copy_n(message.begin() + roland::PosAddress, 4, out.address.bytes.begin());
  out.size = 0;
  for (int i = 0; i < SizeByteCount; ++i) out.size = (out.size << SevenBits) | message[PosSize + i];
  return true;
}

VirtualModule::VirtualModule(ModuleType type, int unitId) : type_(type), sizes_(blockSizesFor(type)), unitId_(unitId) {
  reset();
}

void VirtualModule::reset() {
  system_.fill(0);
  system_[address::SystemEfxSwitch] = 1;
  system_[address::SystemChorusSwitch] = 1;
  system_[address::SystemReverbSwitch] = 1;
  for (int i = 0; i < address::MemoryPerformanceCount; ++i) {
    user_[i] = i < DemoPerformanceCount ? demoPerformance(i) : initialPerformance("User Perf " + std::to_string(i + 1));
    card_[i] = initialPerformance("Card Perf " + std::to_string(i + 1));
  }
  temporary_ = user_[0];
  for (int i = 0; i < address::MemoryPatchCount; ++i) {
    const auto setName = [](NameBytes& out, const std::string& text) {
      out.fill(' ');
      std::copy_n(text.begin(), std::min(text.size(), out.size()), out.begin());
    };
    setName(userPatchNames_[i], demoPatchName(address::AreaUserPatch, i));
    setName(cardPatchNames_[i], demoPatchName(address::AreaCardPatch, i));
  }
}

Reply VirtualModule::receive(std::span<const Byte> message) {
  if (message.size() == ShortMessageLength && isControlChange(message[0]) && message[1] <= midi_byte::DataMask &&
      message[2] <= midi_byte::DataMask) {
    controllers_[message[0] & status::ChannelMask][message[1]] = message[2];
    ++controlChanges_;
    return {Outcome::Played, {}};
  }
  if (!isFramedSysex(message)) return {Outcome::Malformed, {}};
  if (!isRolandJV(message) || !addressedToUs(message[roland::PosDevice])) return {Outcome::NotForUs, {}};
  switch (message[roland::PosCommand]) {
    case roland::CommandDT1: return store(message);
    case roland::CommandRQ1: return answer(message);
    default: return {Outcome::Malformed, {}};
  }
}

bool VirtualModule::addressedToUs(Byte device) const {
  return device == this->device() || device == roland::BroadcastDevice;
}

Reply VirtualModule::store(std::span<const Byte> message) {
  DT1Message dt1;
  const DT1Check check = parseDT1(message, dt1);
  if (check == DT1Check::BadChecksum) return {Outcome::BadChecksum, {}};
  if (check != DT1Check::Ok || dt1.data.empty()) return {Outcome::Malformed, {}};
  const auto block = blockAt(dt1.address);
  const std::size_t offset = dt1.address.offset();
  if (offset >= block.size()) return {Outcome::Unmapped, {}};
  // Bytes that run past the end of the block are dropped, as the module does.
  const std::size_t count = std::min(dt1.data.size(), block.size() - offset);
  std::copy_n(dt1.data.begin(), count, block.begin() + static_cast<std::ptrdiff_t>(offset));
  return {Outcome::Stored, {}};
}

Reply VirtualModule::answer(std::span<const Byte> message) {
  RQ1Message rq1;
  bool checksumOk = false;
  if (!parseRQ1(message, rq1, checksumOk)) return {checksumOk ? Outcome::Malformed : Outcome::BadChecksum, {}};
  const auto block = std::as_const(*this).blockAt(rq1.address);
  const std::size_t offset = rq1.address.offset();
  if (offset >= block.size() || rq1.size == 0) return {Outcome::Unmapped, {}};
  const std::size_t count = std::min<std::size_t>(rq1.size, block.size() - offset);
  Reply reply{Outcome::Answered, {}};
  reply.answers.push_back(buildDT1(device(), rq1.address, block.subspan(offset, count)));
  return reply;
}

std::span<Byte> VirtualModule::performanceBlock(PerformanceRecord& record, Byte block) {
  if (block == address::BlockCommon) return firstBytes(record.common, sizes_.commonLength());
  if (address::isPartBlock(block))
    return firstBytes(record.parts[block - address::BlockPartFirst], sizes_.partLength());
  return {};
}

std::span<Byte> VirtualModule::blockAt(const SysexAddress& a) {
  const int number = a.sub();
  switch (a.area()) {
    case address::AreaSystem: return number == 0 && a.block() == 0 ? std::span<Byte>(system_) : std::span<Byte>();
    case address::AreaTemporary: return number == 0 ? performanceBlock(temporary_, a.block()) : std::span<Byte>();
    case address::AreaUserPerformance:
    case address::AreaCardPerformance:
      return number < address::MemoryPerformanceCount ? performanceBlock(performance(a.area(), number), a.block())
                                                      : std::span<Byte>();
    case address::AreaUserPatch:
    case address::AreaCardPatch:
      return number < address::MemoryPatchCount && a.block() == 0 ? std::span<Byte>(patchName(a.area(), number))
                                                                  : std::span<Byte>();
    default: return {};
  }
}

std::span<const Byte> VirtualModule::blockAt(const SysexAddress& address) const {
  return const_cast<VirtualModule*>(this)->blockAt(address);
}

PerformanceRecord& VirtualModule::performance(Byte area, int number) {
  return (area == address::AreaCardPerformance ? card_ : user_).at(static_cast<std::size_t>(number));
}

NameBytes& VirtualModule::patchName(Byte patchArea, int number) {
  return (patchArea == address::AreaCardPatch ? cardPatchNames_ : userPatchNames_).at(static_cast<std::size_t>(number));
}

std::vector<Bytes> VirtualModule::bulkDump(DumpArea area) const {
  std::vector<SysexAddress> blocks;
  const auto performanceBlocks = [&blocks](Byte areaByte, int number) {
    blocks.push_back(address::memoryCommon(areaByte, number));
    for (int p = 0; p < address::PartCount; ++p) blocks.push_back(address::memoryPart(areaByte, number, p));
  };
  switch (area) {
    case DumpArea::System: blocks.push_back({address::AreaSystem, 0, 0, 0}); break;
    case DumpArea::Temporary: performanceBlocks(address::AreaTemporary, 0); break;
    case DumpArea::User:
    case DumpArea::Card:
      for (int n = 0; n < address::MemoryPerformanceCount; ++n)
        performanceBlocks(area == DumpArea::User ? address::AreaUserPerformance : address::AreaCardPerformance, n);
      break;
  }
  std::vector<Bytes> dump;
  for (const SysexAddress& a : blocks) dump.push_back(buildDT1(device(), a, blockAt(a)));
  return dump;
}

Bytes VirtualModule::userBankSyx() const {
  Bytes out;
  for (int i = 0; i < address::MemoryPerformanceCount; ++i) {
    const Bytes one = performanceMessages(address::AreaUserPerformance, i, user_[i], sizes_);
    out.insert(out.end(), one.begin(), one.end());
  }
  return out;
}

int VirtualModule::loadUserBank(std::span<const Byte> syx) {
  const SyxScan scan = scanSyx(syx);
  int loaded = 0;
  for (const FoundBlock& found : scan.performances) {
    if (loaded == address::MemoryPerformanceCount) break;
    PerformanceRecord record;
    parsePerformanceAt(syx, found.offset, record);
    user_[loaded++] = record;
  }
  return loaded;
}

}  // namespace quillon::jv
