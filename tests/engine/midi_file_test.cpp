#include "engine/midi_file.h"

#include <gtest/gtest.h>

#include "midi_file_builders.h"

namespace quillon {
namespace {

using namespace testing::smf_build;
using testing::append;

Bytes bank(int count, BlockSizes sizes) {
  Bytes file;
  for (int i = 0; i < count; ++i)
    append(file, testing::onePerformanceFile(address::AreaUserPerformance, i,
                                             testing::patternPerformance(i, "Bank " + std::to_string(i)), sizes));
  return file;
}

Bytes dt1(Byte number, Byte value) { return buildDT1(0x10, {0x10, number, 0, 0}, Bytes{value, value}); }

Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) append(out, p);
  return out;
}

TEST(MidiFile, BanksOfBothSizesGoThroughAMidiFileByteExact) {
  for (const BlockSizes sizes : {StandardBlockSizes, JV2080BlockSizes}) {
    const Bytes syx = bank(32, sizes);
    const MidiFileSysex back = readMidiFileSysex(midiFileBytes(syx, 40));
    ASSERT_TRUE(back.ok()) << back.error;
    EXPECT_EQ(back.sysex, syx);
    EXPECT_EQ(back.messages, 32 * 17);
    EXPECT_EQ(back.leftOut, 0);
  }
}

TEST(MidiFile, WrittenFileSpacesTheMessagesByTheDelayInMilliseconds) {
  const Bytes first = dt1(0, 1), second = dt1(1, 2);
  const Bytes written = midiFileBytes(concat({Bytes{0x00, 0x7E}, first, second}), 250);  // stray bytes are not written
  const Bytes tempo = meta(0, 0x51, {0x07, 0xA1, 0x20});  // 500000 us a quarter at 500 ticks: 1 tick = 1 ms
  const Bytes expected =
      concat({header(0, 1, 500), track({tempo, sysexEvent(0, first), sysexEvent(250, second), endOfTrack(250)})});
  EXPECT_EQ(written, expected);
  EXPECT_EQ(midiFileBytes({}, 40), concat({header(0, 1, 500), track({tempo, endOfTrack()})}));
}

TEST(MidiFile, OtherToolsConventionsAreRead) {
  const Bytes a = dt1(0, 1), b = dt1(1, 2), c = dt1(2, 3), early = dt1(3, 4);
  const Bytes aHead(a.begin(), a.begin() + 6), aTail(a.begin() + 6, a.end());
  const Bytes tempoMap = track({meta(0, 0x51, {0x07, 0xA1, 0x20}), meta(0, 0x58, {4, 2, 24, 8}),
                                meta(960, 0x51, {0x0F, 0x42, 0x40}), endOfTrack()});
  // A track name, notes in running status, a message split into an F0
  // packet and an F7 continuation with a note between, a whole message in an
  // F7 escape, a clock byte in an escape, a controller, a plain F0 event.
  const Bytes dump = track({meta(0, 0x03, {'J', 'V'}), event(96, {0x90, 60, 100}), event(0, {64, 90}),
                            sysexEvent(10, aHead), event(5, {0x80, 62, 0}), packet(5, aTail), packet(20, b),
                            packet(0, {0xF8}), event(10, {0xB0, 7, 100}), sysexEvent(10, c), endOfTrack()});
  const Bytes other = track({sysexEvent(50, early), endOfTrack()});  // earlier than the dump's messages
  const Bytes smf = concat({header(1, 3), tempoMap, dump, other});
  for (const Bytes& file : {smf, riffWrapped(smf)}) {
    const MidiFileSysex read = readMidiFileSysex(file);
    ASSERT_TRUE(read.ok()) << read.error;
    EXPECT_EQ(read.tracks, 3);
    EXPECT_EQ(read.sysex, concat({early, a, b, c}));
  }
  // Format 2 plays its tracks one after the other.
  const MidiFileSysex sequential = readMidiFileSysex(concat({header(2, 3), tempoMap, dump, other}));
  EXPECT_EQ(sequential.sysex, concat({a, b, c, early}));
}

TEST(MidiFile, MessagesThatNeverBecomeWholeAreLeftOutAndNamed) {
  const Bytes good = dt1(5, 5);
  const Bytes cut(good.begin(), good.end() - 3);
  const Bytes file = concat(
      {header(0, 1), track({sysexEvent(0, cut), sysexEvent(10, good), packet(0, {0x41, 0x90, 0x10}),
                            sysexEvent(10, concat({cut, Bytes{0x90, 0xF7}})), sysexEvent(5, cut), endOfTrack()})});
  const MidiFileSysex read = readMidiFileSysex(file);
  ASSERT_TRUE(read.ok()) << read.error;
  EXPECT_EQ(read.sysex, good);
  EXPECT_EQ(read.messages, 1);
  EXPECT_EQ(read.leftOut, 3);
  EXPECT_NE(read.firstLeftOut.find("cut off by the next SysEx message"), std::string::npos) << read.firstLeftOut;
}

TEST(MidiFile, MalformedFilesAreRefusedWithTheReason) {
  const Bytes msg = dt1(0, 0);
  Bytes longTrack = track({sysexEvent(0, msg), endOfTrack()});
  longTrack[7] += 9;  // its length claims more than the file holds
  Bytes shortF0 = track({sysexEvent(0, msg), endOfTrack()});
  shortF0[10] = 0x40;  // the F0 event's length runs past its track
  Bytes bigFile = header(0, 0);
  bigFile.resize(smf::MaxFileSize + 1);
  Bytes badRiff = riffWrapped(concat({header(0, 1), track({endOfTrack()})}));
  badRiff[5] = 0x10;
  struct Case {
    const char* what;
    Bytes file;
    const char* reason;
  } cases[] = {
      {"chunk length", concat({header(0, 1), longTrack}), "chunk claims"},
      {"running status trap", concat({header(0, 1), track({sysexEvent(0, msg), event(0, {60, 100}), endOfTrack()})}),
       "no running status"},
      {"F0 past its track", concat({header(0, 1), shortF0}), "runs past the end of its track"},
      {"missing tracks", concat({header(1, 3), track({endOfTrack()})}), "announces 3 tracks"},
      {"five-byte delta", concat({header(0, 1), track({Bytes{0x81, 0x81, 0x81, 0x81, 0x01}, endOfTrack()})}),
       "longer than four bytes"},
      {"not an event", concat({header(0, 1), track({event(0, {0xF4}), endOfTrack()})}), "F4h"},
      {"short header", concat({chunk("MThd", {0, 0}), track({endOfTrack()})}), "shorter than six"},
      {"too large", bigFile, "16 MB"},
      {"RIFF length", badRiff, "RIFF file claims"},
  };
  for (const Case& c : cases) {
    const MidiFileSysex read = readMidiFileSysex(c.file);
    EXPECT_FALSE(read.ok()) << c.what;
    EXPECT_NE(read.error.find(c.reason), std::string::npos) << c.what << ": " << read.error;
    EXPECT_TRUE(read.sysex.empty()) << c.what;
  }
}

TEST(MidiFile, AThousandTracksMergeInTimeOrder) {
  constexpr int Tracks = 1000;
  Bytes file = header(1, Tracks);
  Bytes expected;
  const auto message = [](int t) { return dt1(static_cast<Byte>(t % 32), static_cast<Byte>(t % 100)); };
  for (int t = 0; t < Tracks; ++t)
    append(file, track({sysexEvent(static_cast<std::uint32_t>(Tracks - t), message(t)), endOfTrack()}));
  for (int t = Tracks - 1; t >= 0; --t) append(expected, message(t));  // the last track plays first
  const MidiFileSysex read = readMidiFileSysex(file);
  ASSERT_TRUE(read.ok()) << read.error;
  EXPECT_EQ(read.tracks, Tracks);
  EXPECT_EQ(read.sysex, expected);
}

}  // namespace
}  // namespace quillon
