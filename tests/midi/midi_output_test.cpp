#include <QSignalSpy>

#include <gtest/gtest.h>

#include "engine/performance.h"
#include "fake_backend.h"
#include "midi/midi_ports.h"
#include "test_support.h"

namespace quillon {
namespace {

using testing::errorText;
using testing::FakeBackend;

TEST(MidiOutputDevice, NumberAndNameSelectEachOther) {
  FakeBackend backend;
  MidiOutputPort out(backend);
  EXPECT_EQ(out.DeviceCount(), 3);
  out.SetDeviceID(2);
  EXPECT_EQ(out.ProductName(), "Out C");
  out.SetProductName("Out B");
  EXPECT_EQ(out.DeviceID(), 1);
  EXPECT_EQ(out.DeviceNames(), backend.outputs);
}

TEST(MidiOutputDevice, RefusesBadNumbersNamesAndChangesWhileOpen) {
  FakeBackend backend;
  MidiOutputPort out(backend);
  EXPECT_EQ(errorText<EmidioutputError>([&] { out.SetDeviceID(3); }), "Midi-Out Invalid ID: 3");
  EXPECT_EQ(errorText<EmidioutputError>([&] { out.SetProductName("Out Z"); }),
            "MIDI output Device Out Z not installed");
  EXPECT_EQ(out.DeviceID(), 0);  // a refused change leaves the choice as it was

  out.Open();
  EXPECT_EQ(errorText<EmidioutputError>([&] { out.SetDeviceID(1); }), "Change to DeviceID while device was open");
  EXPECT_EQ(errorText<EmidioutputError>([&] { out.SetDeviceID(99); }), "Change to DeviceID while device was open");
  EXPECT_EQ(errorText<EmidioutputError>([&] { out.SetProductName("Out A"); }),
            "Change to ProductName while device was open");
}

TEST(MidiOutputDevice, OpenFollowsTheNameWhenTheListHasMoved) {
  FakeBackend backend;
  MidiOutputPort out(backend);
  out.SetProductName("Out C");
  backend.outputs = {"Out C", "Out A"};  // a device went away before Open
  out.Open();
  EXPECT_EQ(backend.openedOutput, 0u);
  EXPECT_EQ(out.DeviceID(), 0);
  out.Close();

  backend.outputs = {"Out A"};
  EXPECT_EQ(errorText<EmidioutputError>([&] { out.Open(); }), "MIDI output Device Out C not installed");
  EXPECT_FALSE(out.IsOpen());
}

TEST(MidiOutputDevice, PlatformErrorsCarryTheirTextAndKeepTheState) {
  FakeBackend backend;
  MidiOutputPort out(backend);
  backend.openError = "The device is already in use.";
  EXPECT_EQ(errorText<EmidioutputError>([&] { out.Open(); }), "The device is already in use.");
  EXPECT_FALSE(out.IsOpen());

  backend.openError.clear();
  out.Open();
  backend.sendError = "MIDI device Out A is no longer available";
  EXPECT_EQ(errorText<EmidioutputError>([&] { out.SendShortMessage(0x90, 60, 100); }),
            "MIDI device Out A is no longer available");
  EXPECT_TRUE(out.IsOpen());
}

TEST(MidiOutputSend, ClosedPortRefusesEverySend) {
  FakeBackend backend;
  MidiOutputPort out(backend);
  TMyMidiEvent note;
  note.StatusByte = 0x90;
  EXPECT_EQ(errorText<EmidioutputError>([&] { out.SendEvent(note); }), "MIDI Output device not open");
  EXPECT_EQ(errorText<EmidioutputError>([&] { out.SendShortMessage(0x90, 1, 2); }), "MIDI Output device not open");
  const Bytes sysex{0xF0, 0x41, 0xF7};
  EXPECT_EQ(errorText<EmidioutputError>([&] { out.SendLongMessage(sysex.data(), 3); }), "MIDI Output device not open");
  EXPECT_TRUE(backend.sent.empty());
  // Closing silences every channel, as a reset of the device would, and only then closes.
  out.Open();
  out.Close();
  EXPECT_EQ(errorText<EmidioutputError>([&] { out.SendEvent(note); }), "MIDI Output device not open");
  std::vector<Bytes> reset;
  for (Byte c = 0; c < 16; ++c) {
    reset.push_back({static_cast<Byte>(0xB0 | c), 123, 0});
    reset.push_back({static_cast<Byte>(0xB0 | c), 120, 0});
  }
  EXPECT_EQ(backend.sent, reset);
  out.Close();  // a closed port sends nothing more
  EXPECT_EQ(backend.sent.size(), reset.size());
}

TEST(MidiOutputSend, ShortMessagesTakeTheirLengthFromTheStatus) {
  FakeBackend backend;
  MidiOutputPort out(backend);
  out.Open();
  out.SendShortMessage(0x92, 0x3C, 0x64);  // note-on
  out.SendShortMessage(0xC5, 0x10, 0x7F);  // program change: one data byte
  out.SendShortMessage(0xB0, 0x78, 0x00);  // all sound off
  out.SendShortMessage(0xF8, 0x11, 0x22);  // clock: status alone
  out.SendShortMessage(0xF1, 0x05, 0x00);  // time code quarter frame
  const std::vector<Bytes> expected{{0x92, 0x3C, 0x64}, {0xC5, 0x10}, {0xB0, 0x78, 0x00}, {0xF8}, {0xF1, 0x05}};
  EXPECT_EQ(backend.sent, expected);
}

TEST(MidiOutputSend, LongMessagesAndEventsAreCopiedWholeAndNotifyLater) {
  FakeBackend backend;
  MidiOutputPort out(backend);
  QSignalSpy done(&out, &MidiOutputPort::Onmidioutput);
  out.Open();
  Bytes message = buildDT1(0x10, address::temporaryPart(0, part::Level), Bytes{0x64});
  out.SendLongMessage(message.data(), static_cast<std::uint16_t>(message.size()));
  const Bytes copy = message;
  message.assign(message.size(), 0);  // the caller may reuse its buffer at once
  EXPECT_EQ(done.count(), 0);         // the notice comes through the event loop
  testing::drainEvents();
  EXPECT_EQ(done.count(), 1);

  TMyMidiEvent sysex;
  sysex.StatusByte = 0xF0;
  sysex.SysexData = copy;
  sysex.SysexSize = static_cast<std::uint16_t>(copy.size());
  out.SendEvent(sysex);
  TMyMidiEvent cc;
  cc.StatusByte = 0xB3;
  cc.DataByte1 = 7;
  cc.DataByte2 = 100;
  out.SendEvent(cc);
  ASSERT_EQ(backend.sent.size(), 3u);
  EXPECT_EQ(backend.sent[0], copy);
  EXPECT_EQ(backend.sent[1], copy);
  EXPECT_EQ(backend.sent[2], (Bytes{0xB3, 7, 100}));
}

}  // namespace
}  // namespace quillon
