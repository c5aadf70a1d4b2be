#include "engine/sysex_assembler.h"

#include "engine/midi_message.h"

namespace quillon {

void SysexAssembler::feed(std::span<const Byte> bytes, Origin origin) {
  for (Byte b : bytes) {
    if (midi_byte::isRealTime(b)) {
      realTime_ += open_ ? 1 : 0;
      continue;
    }
    if (b == midi_byte::SysexStart) {
      if (open_) breakOff("cut off by the next SysEx message");
      open_ = true;
      message_ = {b};
      origin_ = origin;
    } else if (!open_) {
      continue;
    } else if (isDataByte(b)) {
      message_.push_back(b);
    } else if (b == midi_byte::SysexEnd) {
      message_.push_back(b);
      open_ = false;
      whole_(std::move(message_), origin_);
      message_.clear();
    } else {
      breakOff("broken off by the status byte " + hex2(b) + "h");
    }
  }
}

void SysexAssembler::finish(const std::string& why) {
  if (open_) breakOff(why);
}

void SysexAssembler::breakOff(const std::string& why) {
  open_ = false;
  message_.clear();
  broken_(why, origin_);
}

}  // namespace quillon
