#pragma once
// A model of a JV-XP module's memory that behaves on SysEx as the real module
// does: it keeps every DT1 sent to it and answers each RQ1 with a DT1.
// Plain C++ without Qt; whoever owns it delivers the answers to the MIDI side.

#include <array>
#include <span>
#include <vector>

#include "engine/performance.h"
#include "engine/sysex.h"

namespace quillon::jv {

// What one received message did.
enum class Outcome {
  Stored,       // a DT1 for a known block was written
  Answered,     // an RQ1 for a known block was answered
  NotForUs,     // another manufacturer, model or device
  BadChecksum,  // well framed but the checksum does not match
  Malformed,    // not a complete SysEx message of the kind expected
  Unmapped,     // addressed to memory the model does not hold
  Played,       // a channel message: a control change is remembered per channel
};

// What a bulk dump started on the module's panel sends.
enum class DumpArea { System, Temporary, User, Card };

struct Reply {
  Outcome outcome = Outcome::Malformed;
  std::vector<Bytes> answers;  // DT1 messages, to be delivered later
};

// A parsed RQ1.
struct RQ1Message {
  Byte device = 0;
  SysexAddress address;
  std::uint32_t size = 0;
};
// True for a 15-byte F0 41 dev 6A 11 a a a a s s s s sum F7 with a matching checksum
// and 7-bit payload; `checksumOk` tells a wrong checksum from a wrong frame.
bool parseRQ1(std::span<const Byte> message, RQ1Message& out, bool& checksumOk);

class VirtualModule {
 public:
  static constexpr int SystemAreaLength = address::SystemStoredBytes;

  explicit VirtualModule(ModuleType type = ModuleType::JV1080, int unitId = roland::DefaultUnitId);

  ModuleType type() const { return type_; }
  BlockSizes sizes() const { return sizes_; }
  int unitId() const { return unitId_; }
  Byte device() const { return deviceByte(unitId_); }
  void setUnitId(int unitId) { unitId_ = unitId; }

  // Takes one complete message as it came off the wire.
  Reply receive(std::span<const Byte> message);

  // The block that holds `address` at the current type's length, or an empty
  // span when the model has no such block.
  std::span<Byte> blockAt(const SysexAddress& address);
  std::span<const Byte> blockAt(const SysexAddress& address) const;

  PerformanceRecord& temporary() { return temporary_; }
  PerformanceRecord& performance(Byte area, int number);  // User or Card area
  NameBytes& patchName(Byte patchArea, int number);       // User or Card patch area
  std::array<Byte, SystemAreaLength>& systemArea() { return system_; }
  // The last value each channel (0..15) received for a controller, and how many control changes came.
  Byte controller(int channelIndex, int number) const {
    return controllers_[static_cast<std::size_t>(channelIndex) % ControllerChannels]
                       [static_cast<std::size_t>(number) % ControllerNumbers];
  }
  int controlChangesReceived() const { return controlChanges_; }

  // The data sets a bulk dump of `area` sends unasked: one per block, in
  // address order, laid out as the answers to requests for those blocks.
  std::vector<Bytes> bulkDump(DumpArea area) const;

  // The User bank as a .syx dump (32 performances, 17 messages each).
  Bytes userBankSyx() const;
  // Loads the performances of a .syx dump into User memory in file order;
  // returns how many were loaded.
  int loadUserBank(std::span<const Byte> syx);

  // Fresh memory: demo performances and patch names, as a new module would have.
  void reset();

 private:
  Reply store(std::span<const Byte> message);
  Reply answer(std::span<const Byte> message);
  bool addressedToUs(Byte device) const;
  std::span<Byte> performanceBlock(PerformanceRecord& record, Byte block);

  ModuleType type_;
  BlockSizes sizes_;
  int unitId_;
  std::array<Byte, SystemAreaLength> system_{};
  PerformanceRecord temporary_;
  static constexpr std::size_t ControllerChannels = 16;
  static constexpr std::size_t ControllerNumbers = 128;
  static constexpr std::size_t ShortMessageLength = 3;
  std::array<std::array<Byte, ControllerNumbers>, ControllerChannels> controllers_{};
  int controlChanges_ = 0;
  std::array<PerformanceRecord, address::MemoryPerformanceCount> user_{};
  std::array<PerformanceRecord, address::MemoryPerformanceCount> card_{};
  std::array<NameBytes, address::MemoryPatchCount> userPatchNames_{};
  std::array<NameBytes, address::MemoryPatchCount> cardPatchNames_{};
};

// The patch name the model starts with for User or Card patch `number`.
std::string demoPatchName(Byte patchArea, int number);

}  // namespace quillon::jv
