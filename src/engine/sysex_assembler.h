#pragma once
// Bytes as they come off a wire or out of a file's SysEx packets, joined into
// whole SysEx messages. A clock or sensing byte between them is no part of the
// message; a message that a new F0, another status byte or the end of the
// stream breaks off is left out, and the reason is given.

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "engine/sysex.h"

namespace quillon {

class SysexAssembler {
 public:
  // Where a message began, as the one who feeds counts: a time, a position.
  struct Origin {
    std::uint64_t time = 0;
    std::size_t position = 0;
  };
  using WholeHandler = std::function<void(Bytes&& message, Origin origin)>;
  using BrokenHandler = std::function<void(const std::string& why, Origin origin)>;

  SysexAssembler(WholeHandler whole, BrokenHandler broken) : whole_(std::move(whole)), broken_(std::move(broken)) {}

  // Bytes outside a message are passed over, unless one is an F0.
  void feed(std::span<const Byte> bytes, Origin origin);
  // The stream ended: a message still open is broken off for `why`.
  void finish(const std::string& why);
  bool open() const { return open_; }
  // Real-time bytes that stood inside messages and were taken out.
  int realTimeTakenOut() const { return realTime_; }

 private:
  void breakOff(const std::string& why);

  WholeHandler whole_;
  BrokenHandler broken_;
  bool open_ = false;
  Bytes message_;
  Origin origin_;
  int realTime_ = 0;
};

}  // namespace quillon
