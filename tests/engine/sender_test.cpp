#include "engine/sender.h"

#include <gtest/gtest.h>

#include "engine/midi_message.h"
#include "recording_host.h"

namespace quillon {
namespace {

class SenderTest : public ::testing::Test {
 protected:
  SenderTest() { store.LogEnabled = true; }
  PerformanceStore store;
  testing::RecordingHost host;
  EngineSettings settings;
  MessageLogLines log{host};
  Sender sender{store, host, settings, log};

  void sendLevel(Byte value) {
    store.SysexAddressBuffer = address::temporaryPart(0, part::Level);
    store.SendLength = 1;
    sender.SendEditParameter(std::span(&value, 1));
  }
};

TEST_F(SenderTest, ParameterDT1IsSentMirroredAndLoggedByteForByte) {
  sendLevel(0x64);
  ASSERT_EQ(host.wire.size(), 1u);
  EXPECT_EQ(host.wire[0], (Bytes{0xF0, 0x41, 0x10, 0x6A, 0x12, 0x01, 0x00, 0x10, 0x06, 0x64, 0x05, 0xF7}));
  EXPECT_EQ(host.sent, (std::vector<std::string>{" F0 41 10 6A 12 01 00 10 06 64 05 F7", ""}));
  EXPECT_EQ(store.TempPerformance.parts[0][part::Level], 0x64);
  EXPECT_EQ(store.selectedPerformance().parts[0][part::Level], 0x64);
  EXPECT_TRUE(store.UnsavedChanges);
  EXPECT_EQ(host.outLights.front(), LedColour::Lime);
}

TEST_F(SenderTest, ADataByteOf80hOrMoreIsRefusedNotSentNorMirrored) {
  sendLevel(0x90);
  EXPECT_TRUE(host.wire.empty());
  EXPECT_EQ(host.infos, (std::vector<std::string>{"SysEx not built: data byte 0 is 90h, not a 7-bit data byte"}));
  EXPECT_FALSE(store.UnsavedChanges);
}

TEST_F(SenderTest, NothingLeavesWhileUpdatingOrFillingAForm) {
  settings.noteOn = true;
  store.Updating = true;
  sendLevel(0x10);
  store.Updating = false;
  store.FormFilling = true;
  sendLevel(0x10);
  EXPECT_TRUE(host.wire.empty());
  EXPECT_TRUE(host.sent.empty());
  EXPECT_FALSE(store.UnsavedChanges);
  EXPECT_EQ(store.TempPerformance.parts[0][part::Level], 0);
}

TEST_F(SenderTest, ClosedPortsStillEditTheStoreAndSayItOncePerChange) {
  settings.noteOn = true;
  store.MidiClosed = true;
  sendLevel(1);
  sendLevel(2);
  EXPECT_TRUE(host.wire.empty());
  EXPECT_EQ(host.infos, (std::vector<std::string>{"Stuur Sys WR Midi Closed", "Stuur Sys WR Midi Closed"}));
  EXPECT_EQ(store.TempPerformance.parts[0][part::Level], 2);
  EXPECT_TRUE(store.UnsavedChanges);
  EXPECT_EQ(host.sent.size(), 4u);
}

TEST_F(SenderTest, LongMessagesSpillIntoTheSecondLogLineOnlyPast84Bytes) {
  const Bytes common(68, 0x01);
  sender.SendSysexData(address::temporaryCommon(), common, 68);
  ASSERT_EQ(host.sent.size(), 2u);
  EXPECT_EQ(host.sent[0].size(), 237u);
  EXPECT_EQ(host.sent[1], "");

  host.sent.clear();
  const Bytes big(75, 0x01);  // 86 bytes on the wire
  sender.SendSysexData(address::temporaryCommon(), big, 75);
  EXPECT_EQ(host.sent[0].size(), 252u);
  const Bytes wire = host.wire.back();
  EXPECT_EQ(host.sent[1], " " + hex2(wire[wire.size() - 2]) + " F7");
}

TEST_F(SenderTest, MemosHoldAt111LinesAndAreEmptiedIndependently) {
  log.AddReceivedLine("in");
  for (int i = 0; i < 111; ++i) log.AddSentLine("line " + std::to_string(i));
  EXPECT_EQ(host.sent.size(), 111u);
  log.AddSentLine("fresh");
  EXPECT_EQ(host.sent, (std::vector<std::string>{"fresh"}));
  EXPECT_EQ(host.received, (std::vector<std::string>{"in"}));
}

TEST_F(SenderTest, TestNoteFollowsTheDT1OnTheEditedPartsChannel) {
  settings.noteOn = true;
  store.TempPerformance.parts[5][part::ReceiveChannel] = 2;  // channel 3
  store.EditedPart = 5;
  store.SysexAddressBuffer = address::temporaryPart(5, part::Pan);
  const Byte pan = 0x40;
  sender.SendEditParameter(std::span(&pan, 1));
  ASSERT_EQ(host.wire.size(), 3u);
  EXPECT_EQ(host.wire[0][7], 0x15);
  EXPECT_EQ(host.wire[1], (Bytes{0xB2, 0x78, 0x00}));
  EXPECT_EQ(host.wire[2], (Bytes{0x92, 65, 64}));
  EXPECT_EQ(host.monitorChannel(), 3);

  // A transfer's data sets are no edits to listen to.
  host.wire.clear();
  SessionScope sending(sender.sessions(), TransferKind::SendTemp);
  sender.SendEditParameter(std::span(&pan, 1));
  EXPECT_EQ(host.wire.size(), 1u);
}

TEST_F(SenderTest, ChordSendsFiveNotesAndDropsThoseAbove127) {
  host.setChord(true);
  sender.SendShortMidi(0x90, 60, 100);
  EXPECT_EQ(host.wire,
            (std::vector<Bytes>{{0x90, 60, 100}, {0x90, 70, 100}, {0x90, 74, 100}, {0x90, 75, 100}, {0x90, 79, 100}}));
  host.wire.clear();
  sender.SendShortMidi(0x93, 110, 1);
  EXPECT_EQ(host.wire, (std::vector<Bytes>{{0x93, 110, 1}, {0x93, 120, 1}, {0x93, 124, 1}, {0x93, 125, 1}}));
  host.wire.clear();
  sender.SendShortMidi(0xB0, 7, 100);
  EXPECT_EQ(host.wire.size(), 1u);
  EXPECT_EQ(host.shown.back(), "b0  7 64");
  store.MidiClosed = true;
  sender.SendShortMidi(0x90, 60, 100);
  EXPECT_EQ(host.wire.size(), 1u);
}

TEST_F(SenderTest, RequestsStartTheTimerUnlessCancelledOrClosed) {
  // Outside a transfer no one would take the answer: nothing leaves.
  sender.RequestSysexData(address::temporaryCommon(), 0x40);
  EXPECT_TRUE(host.wire.empty());
  SessionScope fetch(sender.sessions(), TransferKind::GetTemp);
  sender.RequestSysexData(address::temporaryCommon(), 0x40);
  EXPECT_EQ(host.timerStarts, 1);
  ASSERT_EQ(host.wire.size(), 1u);
  EXPECT_EQ(host.sent.back(), " F0 41 10 6A 11 01 00 00 00 00 00 00 40 3F F7");

  fetch->cancel();
  sender.RequestSysexData(address::temporaryPart(0), 0x13);
  EXPECT_EQ(host.wire.size(), 1u);
  EXPECT_EQ(host.timerStarts, 1);
  EXPECT_EQ(host.sent.size(), 3u);  // logged all the same

  store.MidiClosed = true;
  sender.RequestSysexData(address::temporaryPart(0), 0x13);
  EXPECT_EQ(host.infos, (std::vector<std::string>{"RQ sys Midi Closed "}));
  EXPECT_EQ(host.wire.size(), 1u);
}

TEST_F(SenderTest, UnitIdSetsTheDeviceByte) {
  settings.unitId = 32;
  SessionScope fetch(sender.sessions(), TransferKind::GetTemp);
  sender.RequestSysexData(address::temporaryCommon(), 0x44);
  EXPECT_EQ(host.wire[0][roland::PosDevice], 0x1F);
}

}  // namespace
}  // namespace quillon
