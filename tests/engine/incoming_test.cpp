#include "engine/incoming.h"

#include <gtest/gtest.h>

#include <optional>

#include "recording_host.h"

namespace quillon {
namespace {

class IncomingTest : public ::testing::Test {
 protected:
  IncomingTest() {
    store.LogEnabled = true;
    listening.emplace(sender.sessions(), TransferKind::Listen);
  }
  PerformanceStore store;
  testing::RecordingHost host;
  EngineSettings settings;
  MessageLogLines log{host};
  Sender sender{store, host, settings, log};
  IncomingHandler handler{store, host, sender, log};
  testing::QueueSource queue;
  // Takes whatever comes, so each test sees the decoder alone.
  std::optional<SessionScope> listening;

  void receive(const SysexAddress& a, const Bytes& data) {
    queue.pushSysex(buildDT1(0x10, a, data));
    handler.HandleModuleInput(queue);
  }
};

TEST_F(IncomingTest, TemporaryPartByteIsStoredAndTraced) {
  host.timerRunning = true;
  receive(address::temporaryPart(0, part::Level), {0x64});
  EXPECT_EQ(store.TempPerformance.parts[0][part::Level], 0x64);
  EXPECT_FALSE(host.timerRunning);
  EXPECT_EQ(host.inLights.front(), LedColour::Lime);
  ASSERT_EQ(host.received.size(), 3u);
  EXPECT_EQ(host.received[0], "PP06 64 ");
  EXPECT_EQ(host.received[1], "1 = F0 41 10 6A 12 01 00 10 06 64 05 F7 ");
  EXPECT_EQ(host.received[2], "12");
}

TEST_F(IncomingTest, UserCommonFillsItsEntryAndLabelsTheLogWithTheRequestedNumber) {
  store.NoPerformance = true;
  store.SysexAddressBuffer = address::memoryCommon(address::AreaUserPerformance, 5);
  Bytes data(64);
  for (int k = 0; k < 64; ++k) data[k] = static_cast<Byte>(k + 1);
  receive(address::memoryCommon(address::AreaUserPerformance, 5), data);
  EXPECT_EQ(store.PerformanceList[5].common[63], 64);
  EXPECT_EQ(store.PerformanceCount, 6);
  EXPECT_TRUE(store.FromUser);
  EXPECT_FALSE(store.NoPerformance);
  const Bytes sent = buildDT1(0x10, address::memoryCommon(address::AreaUserPerformance, 5), data);
  EXPECT_EQ(host.received[host.received.size() - 2], "1 = userperform data 5" + hex2(sent[sent.size() - 2]) + " F7 ");
}

TEST_F(IncomingTest, NamesOnlyFillsMemoryNamesAndRefusesTheRest) {
  store.NamesOnly = true;
  store.PerformanceCount = 2;
  Bytes data(64, 'N');
  receive(address::memoryCommon(address::AreaCardPerformance, 5), data);
  EXPECT_EQ(nameText(store.MemoryNames[5]), "NNNNNNNNNNNN");
  EXPECT_EQ(store.PerformanceList[5].common[0], 0);
  EXPECT_EQ(store.PerformanceCount, 2);
  EXPECT_TRUE(store.FromCard);
  // Bytes 12.. were refused, so the summary ends in the error text, then checksum and F7.
  EXPECT_EQ(host.received[host.received.size() - 2].substr(0, 32), "1 = Undefined $21~$7F data error");
}

TEST_F(IncomingTest, PatchNamesFillTwelveBytesAndIgnoreAThirteenth) {
  Bytes name(13, 'P');
  name[12] = 'X';
  receive(address::memoryPatch(address::AreaUserPatch, 127), name);
  EXPECT_EQ(nameText(store.ReceivedPatchNames[127]), "PPPPPPPPPPPP");
  receive(address::memoryPatch(address::AreaCardPatch, 3), Bytes(12, 'C'));
  EXPECT_EQ(nameText(store.ReceivedPatchNames[3]), "CCCCCCCCCCCC");
  EXPECT_NE(host.received[host.received.size() - 2].find("Cardpatch data"), std::string::npos);
}

TEST_F(IncomingTest, SystemBytesPastOffset39EndTheRunWithoutALogLine) {
  queue.pushSysex(buildDT1(0x10, {address::AreaSystem, 0, 0, 0x26}, Bytes{1, 2, 3}));
  queue.pushShort(0x90, 60, 1);
  handler.HandleModuleInput(queue);
  EXPECT_EQ(store.SystemImage[38], 1);
  EXPECT_EQ(store.SystemImage[39], 2);
  EXPECT_EQ(store.SystemImage[40], 0);
  EXPECT_TRUE(host.received.empty());
  EXPECT_EQ(queue.events.size(), 1u);  // left for the next notification
}

// Only a DT1 for this model with a right checksum is data: the rest is logged and stored nowhere.
TEST_F(IncomingTest, WhatIsNoValidDataSetIsIgnoredAndSaysWhy) {
  Bytes badSum = buildDT1(0x10, address::temporaryPart(0), Bytes(19, 0x22));
  badSum[roland::PosData + 3] ^= 1;  // a flipped byte under the old checksum
  Bytes otherModel = buildDT1(0x10, address::temporaryPart(0), Bytes(19, 0x22));
  otherModel[roland::PosModel] = 0x16;
  const std::vector<std::pair<Bytes, std::string>> ignored{
      {buildRQ1(0x10, address::temporaryPart(0), 19), "a data request, not data (a MIDI loop?)"},
      {badSum, "bad checksum"},
      {otherModel, "not a JV-XP message"},
      {Bytes{0xF0}, "too short for a data set"}};
  for (const auto& [message, reason] : ignored) {
    host.received.clear();
    queue.pushSysex(message);
    handler.HandleModuleInput(queue);
    EXPECT_EQ(host.received, (std::vector<std::string>{std::to_string(handler.SysexInCount) + " = Ignored: " + reason,
                                                       sentLogText(message).substr(1) + " "}));
  }
  EXPECT_EQ(store.TempPerformance.parts[0], PerfPartRecord{});
}

// A block arrived when it came at the length requested, in one answer or in pieces.
TEST_F(IncomingTest, ABlockArrivesOnlyAtTheRequestedLength) {
  listening.reset();
  SessionScope fetch(sender.sessions(), TransferKind::GetTemp);
  fetch->noteRequest(address::temporaryCommon(), 68);
  fetch->noteRequest(address::temporaryPart(2), 26);
  receive(address::temporaryCommon(), Bytes(64, 0x01));  // a JV 1080 answering a JV 2080 request
  receive(address::temporaryPart(2), Bytes(13, 0x02));   // half of it
  EXPECT_FALSE(fetch->answered(address::temporaryCommon()) || fetch->answered(address::temporaryPart(2)));
  EXPECT_TRUE(fetch->partlyAnswered(address::temporaryCommon()));
  receive(address::temporaryPart(2, 13), Bytes(13, 0x03));
  receive(address::temporaryCommon(64), Bytes(4, 0x04));
  EXPECT_TRUE(fetch->answered(address::temporaryCommon()) && fetch->answered(address::temporaryPart(2)));
  EXPECT_EQ(fetch->requestsAnswered(), 2);
}

// Only the answers a transfer asked for change the store: a late one, one
// for another slot or length, or one with no transfer running is logged and dropped.
TEST_F(IncomingTest, AnswersNobodyAskedForChangeNothing) {
  listening.reset();
  const PerformanceStore before = store;
  receive(address::temporaryPart(0), Bytes(19, 0x22));
  EXPECT_EQ(host.received.front(), "1 = Ignored: " + std::string(incoming::NotAskedFor));
  {
    SessionScope slotName(sender.sessions(), TransferKind::SlotName);
    slotName->noteRequest(address::memoryCommon(address::AreaUserPerformance, 8), PerformanceNameLength);
    receive(address::memoryCommon(address::AreaUserPerformance, 3), Bytes(12, 'L'));  // another slot's, late
    receive(address::memoryCommon(address::AreaUserPerformance, 8), Bytes(64, 'C'));  // a bank fetch's common block
    EXPECT_FALSE(slotName->anyAnswer());
  }
  receive(address::memoryPart(address::AreaCardPerformance, 2, 0), Bytes(19, 0x33));
  EXPECT_EQ(store.TempPerformance, before.TempPerformance);
  EXPECT_EQ(store.PerformanceList, before.PerformanceList);
  EXPECT_EQ(store.PerformanceCount, before.PerformanceCount);
  EXPECT_FALSE(store.FromUser || store.FromCard);
  EXPECT_EQ(handler.IgnoredCount, 4);
}

TEST_F(IncomingTest, AreaLabelsReplaceTheSummary) {
  const std::vector<std::pair<Byte, std::string>> labels{{address::AreaRhythmData, "Rhythmdata"},
                                                         {address::AreaPatchData, "Patchdata"},
                                                         {0x07, "Undefined $04~$09 data"},
                                                         {0x15, "Undefined $12~$19 data"},
                                                         {0x40, "Undefined $21~$7F data"}};
  for (const auto& [area, label] : labels) {
    host.received.clear();
    receive({area, 0, 0, 0}, {0x11});
    EXPECT_EQ(host.received.at(0).substr(host.received[0].find('=') + 2, label.size()), label) << int(area);
  }
  host.received.clear();
  receive({0x0B, 0, 0, 0}, {0x11});  // no label for 0A..0F: the hex stays
  EXPECT_NE(host.received.at(0).find("F0 41 10 6A 12 0B"), std::string::npos);
}

TEST_F(IncomingTest, OutOfRecordOffsetsAreRefusedByteByByte) {
  receive(address::temporaryPart(3, part::LastOffset), {0x21, 0x22});
  EXPECT_EQ(store.TempPerformance.parts[3][part::LastOffset], 0x21);
  EXPECT_EQ(store.TempPerformance.parts[4][0], 0);
  EXPECT_NE(host.received[host.received.size() - 2].find("Undefined $21~$7F data error"), std::string::npos);
  receive(address::memoryCommon(address::AreaUserPerformance, 40), {0x33});  // number 40 is no performance
  for (const auto& entry : store.PerformanceList) EXPECT_NE(entry.common[0], 0x33);
}

TEST_F(IncomingTest, OverlongMessagesAreLoggedOnceAndNotDecoded) {
  Bytes longMsg = buildDT1(0x10, address::temporaryCommon(), Bytes(200, 0x05));
  queue.pushSysex(longMsg);
  queue.pushSysex(buildDT1(0x10, address::temporaryCommon(part::Level), Bytes{0x09}));
  handler.HandleModuleInput(queue);
  EXPECT_TRUE(host.infos.empty());
  EXPECT_EQ(store.TempPerformance.common[0], 0);
  EXPECT_EQ(host.received.at(0), "1 = message of 211 bytes, longer than 146: not decoded");
  EXPECT_EQ(store.TempPerformance.common[part::Level], 0x09);  // the next one is handled
}

TEST_F(IncomingTest, ShortMessagesAreShownAndPassedOnToTheMonitorChannel) {
  host.setMonitorChannel(3);
  queue.pushShort(0x90, 0x3C, 0x64);
  queue.pushShort(0x94, 0x3C, 0x00);  // channel 5 in
  store.Updating = true;
  handler.HandleModuleInput(queue);
  EXPECT_EQ(host.shown, (std::vector<std::string>{"90 3c 64", "92 3c 64"}));  // seen in, then sent out
  EXPECT_EQ(host.wire, (std::vector<Bytes>{{0x92, 0x3C, 0x64}}));
  EXPECT_FALSE(store.Updating);
  EXPECT_EQ(queue.events.size(), 1u);  // one short message per run
  handler.HandleModuleInput(queue);
  EXPECT_EQ(host.wire.back(), (Bytes{0x92, 0x3C, 0x00}));  // keeps its type, takes the channel

  host.shown.clear();
  queue.pushShort(status::TimeCode, 0x12, 0);
  handler.HandleModuleInput(queue);
  EXPECT_TRUE(host.shown.size() == 1u && host.shown[0] == "f1 12  0");  // only the pass-on is shown
  EXPECT_EQ(host.wire.back(), (Bytes{status::TimeCode, 0x12, 0}));      // system messages pass unchanged

  host.setMidiThru(false);
  const auto sentBefore = host.wire.size();
  queue.pushShort(0x80, 1, 2);
  handler.HandleModuleInput(queue);
  EXPECT_EQ(host.wire.size(), sentBefore);
}

TEST_F(IncomingTest, KeyboardInputSkipsSysexAndSensingAndFeedsTheMixer) {
  host.setMonitorChannel(2);
  queue.pushSysex({0xF0, 0x7E, 0xF7});
  queue.pushShort(status::ActiveSensing, 0, 0);
  queue.pushShort(0xB5, controller::Volume, 100);
  queue.pushShort(0x90, 1, 1);
  host.mixerSetsValue = 50;
  handler.HandleKeyboardInput(queue);
  EXPECT_EQ(host.inLights, (std::vector<LedColour>{LedColour::Yellow, LedColour::Red}));
  EXPECT_EQ(host.mixerSaw, (std::vector<Bytes>{{0xB1, controller::Volume, 100}}));
  EXPECT_EQ(host.wire, (std::vector<Bytes>{{0xB1, controller::Volume, 50}}));
  EXPECT_EQ(host.outLights.front(), LedColour::Yellow);
  EXPECT_EQ(queue.events.size(), 1u);
}

TEST_F(IncomingTest, OverflowIsReported) {
  handler.HandleOverflow();
  EXPECT_EQ(host.infos, (std::vector<std::string>{"Midi-Sysex Overflow"}));
}

// A dump collected apart: every SysEx message of both inputs reaches the
// listener as it came, damaged ones too, and the store stays as it was.
TEST_F(IncomingTest, AListeningSessionHearsEverySysexAndTheStoreStaysAsItWas) {
  std::vector<Bytes> heard;
  listening->session().listenWith([&](std::span<const Byte> m) { heard.emplace_back(m.begin(), m.end()); });
  const PerformanceStore before = store;
  Bytes damaged = buildDT1(0x10, address::temporaryPart(0, part::Level), Bytes{0x64});
  damaged[damaged.size() - 2] ^= 1;
  receive(address::temporaryPart(0, part::Level), {0x64});
  queue.pushSysex(damaged);
  handler.HandleModuleInput(queue);
  queue.pushSysex(buildDT1(0x10, address::memoryCommon(address::AreaUserPerformance, 2), Bytes(64, 0x20)));
  handler.HandleKeyboardInput(queue);
  ASSERT_EQ(heard.size(), 3u);
  EXPECT_EQ(heard[1], damaged);
  EXPECT_EQ(store.TempPerformance, before.TempPerformance);
  EXPECT_EQ(store.PerformanceList[2], before.PerformanceList[2]);
  EXPECT_EQ(handler.IgnoredCount, 0);
  ASSERT_GE(host.received.size(), 2u);
  EXPECT_EQ(host.received[1], "2 = Received for the dump: 12 bytes");
}

}  // namespace
}  // namespace quillon
