#include "engine/sysex.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "engine/midi_message.h"

namespace quillon {

namespace {
constexpr unsigned ChecksumModulus = 128;

unsigned byteSum(std::span<const Byte> bytes) {
  unsigned sum = 0;
  for (Byte b : bytes) sum += b;
  return sum;
}

Byte checksumOfSum(unsigned sum) {
  const unsigned remainder = sum % ChecksumModulus;
  return static_cast<Byte>(remainder == 0 ? 0 : ChecksumModulus - remainder);
}

// The position of the first byte that is not a 7-bit data byte, or npos.
std::size_t firstHighByte(std::span<const Byte> bytes) {
  const auto it = std::find_if_not(bytes.begin(), bytes.end(), isDataByte);
  return it == bytes.end() ? std::string::npos : static_cast<std::size_t>(it - bytes.begin());
}

[[noreturn]] void refuseHighByte(const char* what, std::size_t position, Byte value) {
  std::string text = "SysEx not built: ";
  text += what;
  if (position != std::string::npos) text += " " + std::to_string(position);
  text += " is ";
  text += hex2(value);
  text += "h, not a 7-bit data byte";
  throw std::invalid_argument(text);
}
}  // namespace

Byte rolandChecksum(std::span<const Byte> summed) { return checksumOfSum(byteSum(summed)); }

Byte rolandChecksum(const SysexAddress& address, std::span<const Byte> data) {
  return checksumOfSum(byteSum(address.bytes) + byteSum(data));
}

static Bytes frame(Byte device, Byte command, const SysexAddress& address, std::span<const Byte> body) {
  if (!isDataByte(device)) refuseHighByte("the device byte", std::string::npos, device);
  if (const auto at = firstHighByte(address.bytes); at != std::string::npos)
    refuseHighByte("address byte", at, address.bytes[at]);
  if (const auto at = firstHighByte(body); at != std::string::npos) refuseHighByte("data byte", at, body[at]);
  Bytes msg;
  msg.reserve(body.size() + roland::FrameOverhead);
  msg.push_back(midi_byte::SysexStart);
  msg.push_back(roland::ManufacturerId);
  msg.push_back(device);
  msg.push_back(roland::ModelId);
  msg.push_back(command);
  msg.insert(msg.end(), address.bytes.begin(), address.bytes.end());
  msg.insert(msg.end(), body.begin(), body.end());
  msg.push_back(rolandChecksum(address, body));
  msg.push_back(midi_byte::SysexEnd);
  return msg;
}

Bytes buildDT1(Byte device, const SysexAddress& address, std::span<const Byte> data) {
  return frame(device, roland::CommandDT1, address, data.first(std::min(data.size(), roland::MaxDT1Data)));
}

Bytes buildRQ1(Byte device, const SysexAddress& address, std::uint32_t size) {
  const std::array<Byte, 4> sizeBytes{static_cast<Byte>((size >> 21) & 0x7F), static_cast<Byte>((size >> 14) & 0x7F),
                                      static_cast<Byte>((size >> 7) & 0x7F), static_cast<Byte>(size & 0x7F)};
  return frame(device, roland::CommandRQ1, address, sizeBytes);
}

DT1Check parseDT1(std::span<const Byte> message, DT1Message& out) {
  if (message.size() < roland::FrameOverhead) return DT1Check::TooShort;
  if (message[0] != midi_byte::SysexStart || message[roland::PosManufacturer] != roland::ManufacturerId ||
      message[roland::PosModel] != roland::ModelId)
    return DT1Check::NotRolandJV;
  if (message[roland::PosCommand] != roland::CommandDT1) return DT1Check::NotDT1;
  if (message.back() != midi_byte::SysexEnd) return DT1Check::NoEnd;
  if (firstHighByte(message.subspan(1, message.size() - 2)) != std::string::npos) return DT1Check::NotSevenBit;
  SysexAddress address;
  std::copy_n(message.begin() + roland::PosAddress, 4, address.bytes.begin());
  const auto data = message.subspan(roland::PosData, message.size() - roland::FrameOverhead);
  if (rolandChecksum(address, data) != message[message.size() - 2]) return DT1Check::BadChecksum;
  out.device = message[roland::PosDevice];
  out.address = address;
  out.data = data;
  return DT1Check::Ok;
}

std::string_view dt1CheckText(DT1Check check, std::span<const Byte> message) {
  switch (check) {
    case DT1Check::Ok: return "";
    case DT1Check::TooShort: return "too short for a data set";
    case DT1Check::NotRolandJV: return "not a JV-XP message";
    case DT1Check::NotDT1:
      // A request coming back is the sign of a MIDI loop (a thru box or a merger).
      return message[roland::PosCommand] == roland::CommandRQ1 ? "a data request, not data (a MIDI loop?)"
                                                               : "not a data set";
    case DT1Check::NoEnd: return "no end byte";
    case DT1Check::BadChecksum: return "bad checksum";
    case DT1Check::NotSevenBit: return "a byte of 80h or more inside";
  }
  return "";
}

}  // namespace quillon
