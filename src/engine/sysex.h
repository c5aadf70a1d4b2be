#pragma once
// Roland JV-XP System Exclusive: DT1/RQ1 messages, checksum, nibble split,
// the module types and the address map the editor uses.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace quillon {

using Byte = std::uint8_t;
using Bytes = std::vector<Byte>;

namespace midi_byte {
inline constexpr Byte SysexStart = 0xF0;
inline constexpr Byte SysexEnd = 0xF7;
inline constexpr Byte DataMask = 0x7F;  // highest value a data byte can carry
// Clock, start, stop, active sensing, reset: MIDI lets these into the middle
// of any message, a SysEx message too, without ending it.
inline constexpr Byte FirstRealTime = 0xF8;
constexpr bool isRealTime(Byte b) { return b >= FirstRealTime; }
}  // namespace midi_byte

// The pace of a MIDI cable: 31,250 bits a second, ten bits a byte. A message
// handed to an interface is on its way only when the cable has carried it.
namespace midi_wire {
inline constexpr int MicrosecondsPerByte = 320;
constexpr long microseconds(std::size_t bytes) { return static_cast<long>(bytes) * MicrosecondsPerByte; }
// Whole milliseconds, rounded up: a wait shorter than the cable's is no wait.
constexpr int milliseconds(std::size_t bytes) { return static_cast<int>((microseconds(bytes) + 999) / 1000); }
}  // namespace midi_wire

namespace roland {
inline constexpr Byte ManufacturerId = 0x41;
inline constexpr Byte ModelId = 0x6A;  // the same for every JV-XP model
inline constexpr Byte CommandDT1 = 0x12;
inline constexpr Byte CommandRQ1 = 0x11;
inline constexpr Byte BroadcastDevice = 0x7F;

inline constexpr int MinUnitId = 17;
inline constexpr int MaxUnitId = 32;
inline constexpr int DefaultUnitId = 17;
// Files are always written as from unit 17, whatever the setting says.
inline constexpr Byte FileDeviceByte = 0x10;

// Byte positions inside a DT1 / RQ1 message.
inline constexpr std::size_t PosManufacturer = 1;
inline constexpr std::size_t PosDevice = 2;
inline constexpr std::size_t PosModel = 3;
inline constexpr std::size_t PosCommand = 4;
inline constexpr std::size_t PosAddress = 5;
inline constexpr std::size_t PosData = 9;
inline constexpr std::size_t HeaderLength = PosData;       // F0 .. last address byte
inline constexpr std::size_t FrameOverhead = PosData + 2;  // header + checksum + F7
inline constexpr std::size_t RQ1Length = 15;
inline constexpr std::size_t MaxDT1Length = 1025;  // the build buffer's limit
inline constexpr std::size_t MaxDT1Data = MaxDT1Length - FrameOverhead;
}  // namespace roland

// The four address bytes: area, sub-area, block, parameter offset.
struct SysexAddress {
  std::array<Byte, 4> bytes{};

  constexpr SysexAddress() = default;
  constexpr SysexAddress(Byte area, Byte sub, Byte block, Byte offset) : bytes{area, sub, block, offset} {}
  constexpr Byte area() const { return bytes[0]; }
  constexpr Byte sub() const { return bytes[1]; }
  constexpr Byte block() const { return bytes[2]; }
  constexpr Byte offset() const { return bytes[3]; }
  constexpr bool operator==(const SysexAddress&) const = default;
};

// The address map as far as the editor reads and writes it.
namespace address {
// Area byte (address byte 0).
inline constexpr Byte AreaSystem = 0x00;
inline constexpr Byte AreaTemporary = 0x01;
inline constexpr Byte AreaRhythmData = 0x02;
inline constexpr Byte AreaPatchData = 0x03;
inline constexpr Byte AreaUndefinedFirst = 0x04;  // 04..09 carry nothing the editor keeps
inline constexpr Byte AreaUndefinedLast = 0x09;
inline constexpr Byte AreaUserPerformance = 0x10;
inline constexpr Byte AreaUserPatch = 0x11;
inline constexpr Byte AreaUndefinedMemoryFirst = 0x12;  // 12..19 carry nothing the editor keeps
inline constexpr Byte AreaUndefinedMemoryLast = 0x19;
inline constexpr Byte AreaCardPerformance = 0x20;
inline constexpr Byte AreaCardPatch = 0x21;
inline constexpr Byte AreaUndefinedHighFirst = 0x22;  // 22..7F likewise

// Block byte (address byte 2) inside a performance.
inline constexpr Byte BlockCommon = 0x00;
inline constexpr Byte BlockPartFirst = 0x10;  // part p (0..15) is BlockPartFirst + p
inline constexpr int PartCount = 16;
inline constexpr int MemoryPerformanceCount = 32;  // User or Card performances
inline constexpr int MemoryPatchCount = 128;       // User or Card patches

// System area offsets.
inline constexpr Byte SystemPanelMode = 0x00;  // 0 Performance, 1 Patch, 2 GM
inline constexpr Byte SystemEfxSwitch = 0x08;
inline constexpr Byte SystemChorusSwitch = 0x09;
inline constexpr Byte SystemReverbSwitch = 0x0A;
inline constexpr int SystemSwitchCount = 3;
inline constexpr int SystemStoredBytes = 40;  // received system bytes kept: offsets 0..39

inline constexpr int PatchNameLength = 12;

constexpr Byte partBlock(int part) { return static_cast<Byte>(BlockPartFirst + part); }
constexpr bool isPartBlock(Byte block) { return block >= BlockPartFirst && block < BlockPartFirst + PartCount; }

constexpr SysexAddress temporaryCommon(Byte offset = 0) { return {AreaTemporary, 0, BlockCommon, offset}; }
constexpr SysexAddress temporaryPart(int part, Byte offset = 0) { return {AreaTemporary, 0, partBlock(part), offset}; }
constexpr SysexAddress memoryCommon(Byte area, int number) { return {area, static_cast<Byte>(number), BlockCommon, 0}; }
constexpr SysexAddress memoryPart(Byte area, int number, int part) {
  return {area, static_cast<Byte>(number), partBlock(part), 0};
}
constexpr SysexAddress memoryPatch(Byte patchArea, int number) { return {patchArea, static_cast<Byte>(number), 0, 0}; }
constexpr SysexAddress systemSwitches() { return {AreaSystem, 0, 0, SystemEfxSwitch}; }
}  // namespace address

// Module types in the order the settings store them (JVtype index).
enum class ModuleType : int { JV1010 = 0, JV1080, JV2080, XP30, XP50, XP60, XP80 };
inline constexpr int ModuleTypeCount = 7;
inline constexpr std::array<std::string_view, ModuleTypeCount> ModuleTypeNames{"JV 1010", "JV 1080", "JV 2080", "XP 30",
                                                                               "XP 50",   "XP 60",   "XP 80"};

// Block lengths kept as their last offset, as the settings hold them.
struct BlockSizes {
  int eoc = 63;  // last offset of the common block
  int eop = 18;  // last offset of a part block
  constexpr int commonLength() const { return eoc + 1; }
  constexpr int partLength() const { return eop + 1; }
  constexpr bool operator==(const BlockSizes&) const = default;
};
inline constexpr BlockSizes StandardBlockSizes{63, 18};
inline constexpr BlockSizes JV2080BlockSizes{67, 25};

constexpr BlockSizes blockSizesFor(ModuleType type) {
  return type == ModuleType::JV2080 ? JV2080BlockSizes : StandardBlockSizes;
}
constexpr bool isValidBlockSizes(int eoc, int eop) {
  return (eoc == StandardBlockSizes.eoc && eop == StandardBlockSizes.eop) ||
         (eoc == JV2080BlockSizes.eoc && eop == JV2080BlockSizes.eop);
}

// Device byte on the wire for a unit ID 17..32 (10h..1Fh).
constexpr Byte deviceByte(int unitId) { return static_cast<Byte>(unitId - 1); }
constexpr bool isValidUnitId(int unitId) { return unitId >= roland::MinUnitId && unitId <= roland::MaxUnitId; }

// Roland checksum over address and data (or size) bytes; never 128.
Byte rolandChecksum(std::span<const Byte> summed);
Byte rolandChecksum(const SysexAddress& address, std::span<const Byte> data);

// A byte of 80h or more is a status byte on the wire: inside a message it
// would end it or start another one.
constexpr bool isDataByte(Byte b) { return b <= midi_byte::DataMask; }

// Builds a DT1; more than MaxDT1Data bytes are cut to that limit. A device,
// address or data byte of 80h or more throws std::invalid_argument naming it.
Bytes buildDT1(Byte device, const SysexAddress& address, std::span<const Byte> data);
// Builds an RQ1 asking for `size` bytes (sent as four 7-bit bytes, MSB first);
// refuses a device or address byte of 80h or more as buildDT1 does.
Bytes buildRQ1(Byte device, const SysexAddress& address, std::uint32_t size);

// A value wider than 7 bits travels as 4-bit halves, high half first.
struct NibblePair {
  Byte high = 0;
  Byte low = 0;
};
constexpr NibblePair splitNibbles(int value) {
  return {static_cast<Byte>((value / 16) & 0x0F), static_cast<Byte>(value % 16)};
}
constexpr int joinNibbles(Byte high, Byte low) { return high * 16 + low; }

// A parsed DT1, as the decoder and the virtual module need it.
struct DT1Message {
  Byte device = 0;
  SysexAddress address;
  std::span<const Byte> data;  // views into the message
};
enum class DT1Check { Ok, NotRolandJV, NotDT1, TooShort, BadChecksum, NoEnd, NotSevenBit };
// Checks F0 41 dev 6A 12 a a a a data... sum F7 and views its parts.
DT1Check parseDT1(std::span<const Byte> message, DT1Message& out);
// Why a message is not a DT1 that can be stored, as the log words it.
std::string_view dt1CheckText(DT1Check check, std::span<const Byte> message);

}  // namespace quillon
