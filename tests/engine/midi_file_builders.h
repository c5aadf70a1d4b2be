#pragma once
// Builders of Standard MIDI Files as other tools write them, for the reader
// tests and the fuzz seeds: chunks, events with delta times, SysEx split into
// packets, escapes.

#include <string_view>

#include "engine/sysex.h"
#include "test_builders.h"

namespace quillon::testing::smf_build {

inline Bytes varLength(std::uint32_t v) {
  Bytes out{static_cast<Byte>(v & 0x7F)};
  for (v >>= 7; v; v >>= 7) out.insert(out.begin(), static_cast<Byte>(0x80 | (v & 0x7F)));
  return out;
}

inline Bytes bigEndian(std::uint32_t v, int width) {
  Bytes out;
  for (int shift = 8 * (width - 1); shift >= 0; shift -= 8) out.push_back(static_cast<Byte>(v >> shift));
  return out;
}

inline Bytes chunk(std::string_view id, const Bytes& body) {
  Bytes out(id.begin(), id.end());
  append(out, bigEndian(static_cast<std::uint32_t>(body.size()), 4));
  append(out, body);
  return out;
}

inline Bytes header(int format, int tracks, int division = 96) {
  Bytes body = bigEndian(static_cast<std::uint32_t>(format), 2);
  append(body, bigEndian(static_cast<std::uint32_t>(tracks), 2));
  append(body, bigEndian(static_cast<std::uint32_t>(division), 2));
  return chunk("MThd", body);
}

// An event: its delta time, then its bytes as the file holds them.
inline Bytes event(std::uint32_t delta, const Bytes& bytes) {
  Bytes out = varLength(delta);
  append(out, bytes);
  return out;
}

// F0 <length> <bytes after the F0>; `message` starts with its F0.
inline Bytes sysexEvent(std::uint32_t delta, const Bytes& message) {
  Bytes bytes{0xF0};
  append(bytes, varLength(static_cast<std::uint32_t>(message.size() - 1)));
  bytes.insert(bytes.end(), message.begin() + 1, message.end());
  return event(delta, bytes);
}

// F7 <length> <bytes>: a continuation packet, or an escape.
inline Bytes packet(std::uint32_t delta, const Bytes& bytes) {
  Bytes out{0xF7};
  append(out, varLength(static_cast<std::uint32_t>(bytes.size())));
  append(out, bytes);
  return event(delta, out);
}

inline Bytes meta(std::uint32_t delta, Byte type, const Bytes& data) {
  Bytes bytes{0xFF, type};
  append(bytes, varLength(static_cast<std::uint32_t>(data.size())));
  append(bytes, data);
  return event(delta, bytes);
}

inline Bytes endOfTrack(std::uint32_t delta = 0) { return meta(delta, 0x2F, {}); }

inline Bytes track(std::initializer_list<Bytes> events) {
  Bytes body;
  for (const Bytes& e : events) append(body, e);
  return chunk("MTrk", body);
}

// The same file wrapped as RIFF MIDI (lengths little-endian).
inline Bytes riffWrapped(const Bytes& smf) {
  const auto le32 = [](std::size_t v) {
    return Bytes{static_cast<Byte>(v), static_cast<Byte>(v >> 8), static_cast<Byte>(v >> 16),
                 static_cast<Byte>(v >> 24)};
  };
  Bytes data{'d', 'a', 't', 'a'};
  append(data, le32(smf.size()));
  append(data, smf);
  if (smf.size() % 2) data.push_back(0);
  Bytes out{'R', 'I', 'F', 'F'};
  append(out, le32(4 + data.size()));
  append(out, Bytes{'R', 'M', 'I', 'D'});
  append(out, data);
  return out;
}

}  // namespace quillon::testing::smf_build
