#include "engine/midi_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "engine/midi_message.h"
#include "engine/sysex_assembler.h"

namespace quillon {

namespace {

constexpr std::string_view HeaderId = "MThd";
constexpr std::string_view TrackId = "MTrk";
constexpr std::string_view RiffId = "RIFF";
constexpr std::string_view RiffMidiForm = "RMID";
constexpr std::string_view RiffDataId = "data";
constexpr std::size_t ChunkHeaderLength = 8;  // id and a 32-bit length
constexpr std::size_t RiffFormEnd = 12;       // "RIFF", length, form type
constexpr std::uint32_t HeaderLength = 6;     // format, tracks, division
constexpr std::uint16_t HighestFormat = 2;
constexpr std::uint16_t SequentialFormat = 2;  // independent patterns, played one after another
constexpr int MaxLengthBytes = 4;              // a variable-length quantity holds 28 bits
constexpr Byte LengthContinues = 0x80;
constexpr Byte Meta = 0xFF;
constexpr Byte MetaEndOfTrack = 0x2F;
constexpr Byte MetaTempo = 0x51;
constexpr std::size_t TempoLength = 3;
constexpr std::array<Byte, 1> SysexStartByte{midi_byte::SysexStart};

// Why a file is no readable MIDI file; caught at the top and turned into the error text.
class Fault : public std::runtime_error {
 public:
  Fault(std::size_t at, const std::string& what) : std::runtime_error(what + " (at byte " + std::to_string(at) + ")") {}
};

bool startsWith(std::span<const Byte> bytes, std::size_t at, std::string_view id) {
  return bytes.size() >= at + id.size() &&
         std::equal(id.begin(), id.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

// Reads forward through a piece of the file; every overrun is a Fault that
// says what was being read. Offsets are counted in the whole file.
class Cursor {
 public:
  Cursor(std::span<const Byte> bytes, std::size_t base) : bytes_(bytes), base_(base) {}

  bool atEnd() const { return pos_ >= bytes_.size(); }
  std::size_t offset() const { return base_ + pos_; }
  std::size_t remaining() const { return bytes_.size() - pos_; }

  Byte peek(const char* what) const {
    if (atEnd()) throw Fault(offset(), std::string("the track ends inside ") + what);
    return bytes_[pos_];
  }
  Byte byte(const char* what) {
    const Byte b = peek(what);
    ++pos_;
    return b;
  }
  std::span<const Byte> take(std::size_t n, const char* what) {
    if (n > remaining())
      throw Fault(offset(), std::string(what) + " of " + std::to_string(n) + " bytes runs past the end of its track");
    const auto piece = bytes_.subspan(pos_, n);
    pos_ += n;
    return piece;
  }
  std::uint32_t bigEndian(std::size_t width, const char* what) {
    std::uint32_t value = 0;
    for (Byte b : take(width, what)) value = (value << 8) | b;
    return value;
  }
  std::uint32_t littleEndian32(const char* what) {
    const auto b = take(4, what);
    return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
           static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
  }
  std::uint32_t varLength(const char* what) {
    const std::size_t at = offset();
    std::uint32_t value = 0;
    for (int n = 0; n < MaxLengthBytes; ++n) {
      const Byte b = byte(what);
      value = (value << 7) | (b & midi_byte::DataMask);
      if (!(b & LengthContinues)) return value;
    }
    throw Fault(at, std::string(what) + " is longer than four bytes");
  }
  void skip(std::size_t n, const char* what) { take(n, what); }

 private:
  std::span<const Byte> bytes_;
  std::size_t base_;
  std::size_t pos_ = 0;
};

struct TimedMessage {
  std::uint64_t tick = 0;
  Bytes bytes;
};

// One track's SysEx, joined into whole messages as a player would put them
// on the wire, each with the tick it began at.
class TrackSysex {
 public:
  TrackSysex(int track, MidiFileSysex& result, std::vector<TimedMessage>& out)
      : assembler_(
            [&out, &result](Bytes&& m, SysexAssembler::Origin o) {
              out.push_back({o.time, std::move(m)});
              ++result.messages;
            },
            [track, &result](const std::string& why, SysexAssembler::Origin o) {
              if (result.leftOut++ == 0)
                result.firstLeftOut = "the SysEx message of track " + std::to_string(track + 1) + " at byte " +
                                      std::to_string(o.position) + " is " + why;
            }) {}

  void feed(std::span<const Byte> bytes, std::uint64_t tick, std::size_t at) { assembler_.feed(bytes, {tick, at}); }
  void endOfTrack() { assembler_.finish("not finished when its track ends"); }

 private:
  SysexAssembler assembler_;
};

void skipChannelData(Cursor& track, Byte status) {
  const std::size_t at = track.offset();
  for (Byte b : track.take(static_cast<std::size_t>(shortMessageLength(status) - 1), "a channel message"))
    if (!isDataByte(b)) throw Fault(at, "a channel message holds the status byte " + hex2(b) + "h as data");
}

// Walks one track's events; SysEx goes to the joiner, the rest is skipped.
// Running status holds for channel messages only: SysEx and meta events end it.
void readTrackEvents(Cursor track, TrackSysex& joiner) {
  std::uint64_t tick = 0;
  std::optional<Byte> running;
  while (!track.atEnd()) {
    tick += track.varLength("a delta time");
    const std::size_t at = track.offset();
    Byte status = track.peek("an event");
    if (isDataByte(status)) {
      if (!running) throw Fault(at, "a data byte stands where an event should start, and no running status holds");
      status = *running;
    } else {
      track.byte("an event");
    }
    if (status == midi_byte::SysexStart || status == midi_byte::SysexEnd) {
      running.reset();
      const auto data = track.take(track.varLength("a SysEx length"), "a SysEx event");
      // An F0 event's length counts the bytes after the F0.
      if (status == midi_byte::SysexStart) joiner.feed(SysexStartByte, tick, at);
      joiner.feed(data, tick, at);
    } else if (status == Meta) {
      running.reset();
      const Byte type = track.byte("a meta event");
      track.skip(track.varLength("a meta event length"), "a meta event");
      if (type == MetaEndOfTrack) break;  // what follows it in the chunk is no part of the track
    } else if (isChannelMessage(status)) {
      running = status;
      skipChannelData(track, status);
    } else {
      throw Fault(at, "the byte " + hex2(status) + "h starts no event a MIDI file may hold");
    }
  }
  joiner.endOfTrack();
}

struct Chunk {
  std::span<const Byte> id;
  Cursor body;
};

Chunk nextChunk(Cursor& file) {
  const std::size_t at = file.offset();
  if (file.remaining() < ChunkHeaderLength) throw Fault(at, "the file ends inside a chunk header");
  const auto id = file.take(4, "a chunk id");
  const std::uint32_t length = file.bigEndian(4, "a chunk length");
  if (length > file.remaining())
    throw Fault(at, "a chunk claims " + std::to_string(length) + " bytes, but only " +
                        std::to_string(file.remaining()) + " follow");
  const std::size_t bodyAt = file.offset();
  return {id, Cursor(file.take(length, "a chunk"), bodyAt)};
}

void readStandardMidiFile(std::span<const Byte> bytes, std::size_t base, MidiFileSysex& result) {
  Cursor file(bytes, base);
  Chunk header = nextChunk(file);
  if (!std::ranges::equal(header.id, HeaderId)) throw Fault(base, "the file does not begin with a MIDI header");
  if (header.body.remaining() < HeaderLength) throw Fault(base, "the MIDI header is shorter than six bytes");
  const std::uint16_t format = static_cast<std::uint16_t>(header.body.bigEndian(2, "the format"));
  const std::uint16_t tracks = static_cast<std::uint16_t>(header.body.bigEndian(2, "the track count"));
  if (format > HighestFormat) throw Fault(base, "the MIDI file format " + std::to_string(format) + " is unknown");

  std::vector<TimedMessage> messages;
  while (result.tracks < tracks) {
    if (file.atEnd())
      throw Fault(file.offset(), "the header announces " + std::to_string(tracks) +
                                     " tracks, but the file ends after " + std::to_string(result.tracks));
    Chunk chunk = nextChunk(file);
    if (!std::ranges::equal(chunk.id, TrackId)) continue;  // chunks of other kinds are skipped, as the format asks
    TrackSysex joiner(result.tracks, result, messages);
    readTrackEvents(chunk.body, joiner);
    ++result.tracks;
  }
  if (format != SequentialFormat)
    std::stable_sort(messages.begin(), messages.end(),
                     [](const TimedMessage& a, const TimedMessage& b) { return a.tick < b.tick; });
  for (const TimedMessage& m : messages) result.sysex.insert(result.sysex.end(), m.bytes.begin(), m.bytes.end());
}

// The MIDI file inside a RIFF "RMID" file: its "data" chunk.
std::span<const Byte> riffMidiData(std::span<const Byte> bytes, std::size_t& base) {
  Cursor riff(bytes, 0);
  riff.skip(RiffId.size(), "the RIFF header");
  const std::uint32_t length = riff.littleEndian32("the RIFF length");
  riff.skip(RiffMidiForm.size(), "the RIFF form");
  if (length < RiffMidiForm.size() || length > bytes.size() - ChunkHeaderLength)
    throw Fault(0, "the RIFF file claims " + std::to_string(length) + " bytes, but holds " +
                       std::to_string(bytes.size() - ChunkHeaderLength));
  Cursor chunks(bytes.subspan(RiffFormEnd, length - RiffMidiForm.size()), RiffFormEnd);
  while (!chunks.atEnd()) {
    const std::size_t at = chunks.offset();
    const auto id = chunks.take(4, "a RIFF chunk id");
    const std::uint32_t size = chunks.littleEndian32("a RIFF chunk length");
    if (size > chunks.remaining())
      throw Fault(at, "a RIFF chunk claims " + std::to_string(size) + " bytes, but only " +
                          std::to_string(chunks.remaining()) + " follow");
    base = chunks.offset();
    const auto body = chunks.take(size, "a RIFF chunk");
    if (std::ranges::equal(id, RiffDataId)) return body;
    if (size % 2 != 0 && !chunks.atEnd()) chunks.skip(1, "a RIFF pad byte");
  }
  throw Fault(0, "the RIFF MIDI file holds no \"data\" chunk");
}

void appendVarLength(Bytes& out, std::uint32_t value) {
  Byte groups[MaxLengthBytes + 1];
  int n = 0;
  do {
    groups[n++] = static_cast<Byte>(value & midi_byte::DataMask);
    value >>= 7;
  } while (value != 0 && n <= MaxLengthBytes);
  while (n-- > 0) out.push_back(static_cast<Byte>(groups[n] | (n > 0 ? LengthContinues : 0)));
}

void appendBigEndian(Bytes& out, std::uint32_t value, int width) {
  for (int shift = 8 * (width - 1); shift >= 0; shift -= 8) out.push_back(static_cast<Byte>(value >> shift));
}

void appendId(Bytes& out, std::string_view id) { out.insert(out.end(), id.begin(), id.end()); }

Bytes trackEvents(std::span<const Byte> stream, std::uint32_t spacing) {
  Bytes track;
  appendVarLength(track, 0);
  track.insert(track.end(), {Meta, MetaTempo, static_cast<Byte>(TempoLength)});
  appendBigEndian(track, smf::MicrosecondsPerQuarter, TempoLength);
  bool first = true;
  for (const auto message : sysexMessages(stream)) {
    appendVarLength(track, first ? 0 : spacing);
    first = false;
    track.push_back(midi_byte::SysexStart);
    appendVarLength(track, static_cast<std::uint32_t>(message.size() - 1));
    track.insert(track.end(), message.begin() + 1, message.end());
  }
  appendVarLength(track, first ? 0 : spacing);
  track.insert(track.end(), {Meta, MetaEndOfTrack, 0});
  return track;
}

}  // namespace

bool isMidiFile(std::span<const Byte> bytes) {
  return startsWith(bytes, 0, HeaderId) || (startsWith(bytes, 0, RiffId) && startsWith(bytes, 8, RiffMidiForm));
}

MidiFileSysex readMidiFileSysex(std::span<const Byte> file) {
  MidiFileSysex result;
  try {
    if (file.size() > smf::MaxFileSize)
      throw Fault(0, "the file is " + std::to_string(file.size()) + " bytes, more than a MIDI file of SysEx dumps (" +
                         std::to_string(smf::MaxFileSize >> 20) + " MB) can be");
    std::size_t base = 0;
    const auto smf = startsWith(file, 0, RiffId) ? riffMidiData(file, base) : file;
    readStandardMidiFile(smf, base, result);
  } catch (const Fault& fault) {
    result = {};
    result.error = fault.what();
  }
  return result;
}

std::vector<std::span<const Byte>> sysexMessages(std::span<const Byte> stream) {
  std::vector<std::span<const Byte>> messages;
  std::size_t start = 0;
  bool open = false;
  for (std::size_t i = 0; i < stream.size(); ++i) {
    const Byte b = stream[i];
    if (b == midi_byte::SysexStart) {
      start = i;
      open = true;
    } else if (open && b == midi_byte::SysexEnd) {
      messages.push_back(stream.subspan(start, i + 1 - start));
      open = false;
    } else if (!isDataByte(b)) {
      open = false;
    }
  }
  return messages;
}

Bytes midiFileBytes(std::span<const Byte> stream, int spacingMs) {
  const Bytes track = trackEvents(stream, static_cast<std::uint32_t>(std::max(spacingMs, 0)));
  Bytes file;
  appendId(file, HeaderId);
  appendBigEndian(file, HeaderLength, 4);
  appendBigEndian(file, 0, 2);  // format 0: one track
  appendBigEndian(file, 1, 2);
  appendBigEndian(file, smf::TicksPerQuarter, 2);
  appendId(file, TrackId);
  appendBigEndian(file, static_cast<std::uint32_t>(track.size()), 4);
  file.insert(file.end(), track.begin(), track.end());
  return file;
}

bool hasMidiFileExtension(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext == ".mid" || ext == ".midi";
}

}  // namespace quillon
