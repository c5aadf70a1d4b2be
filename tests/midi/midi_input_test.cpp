#include <QSignalSpy>

#include <gtest/gtest.h>

#include <thread>

#include "fake_backend.h"
#include "midi/midi_ports.h"
#include "test_support.h"

namespace quillon {
namespace {

using testing::errorText;
using testing::FakeBackend;

// An input port on the fake backend, opened and started.
struct OpenInput {
  FakeBackend backend;
  MidiInputPort in{backend};
  explicit OpenInput(int bufferSize = 1024, int bufferCount = 128, int capacity = MidiInputPort::DefaultCapacity) {
    in.SetSysexBufferSize(bufferSize);
    in.SetSysexBufferCount(bufferCount);
    in.SetCapacity(capacity);
    in.Open();
    in.Start();
  }
};

Bytes sysexOfLength(std::size_t length) {
  Bytes m(length);
  for (std::size_t i = 0; i < length; ++i) m[i] = static_cast<Byte>(i % 0x80);
  m.front() = 0xF0;
  m.back() = 0xF7;
  return m;
}

std::vector<TMyMidiEvent> takeAll(MidiInputPort& in) {
  std::vector<TMyMidiEvent> events;
  while (auto e = in.TakeEvent()) events.push_back(std::move(*e));
  return events;
}

TEST(MidiInputDevice, ConstructorSelectsDeviceZero) {
  FakeBackend backend;
  MidiInputPort in(backend);
  EXPECT_EQ(in.DeviceID(), 0);
  EXPECT_EQ(in.ProductName(), "In A");
  EXPECT_EQ(in.Capacity(), 1024);
  EXPECT_EQ(in.SysexBufferSize(), 4096);
  EXPECT_EQ(in.SysexBufferCount(), 16);

  FakeBackend none;
  none.inputs.clear();
  EXPECT_EQ(errorText<EMidiInputError>([&] { MidiInputPort empty(none); }), "Midi-In device Invalid:0");
}

TEST(MidiInputDevice, RefusesBadNumbersNamesAndChangesWhileOpen) {
  FakeBackend backend;
  MidiInputPort in(backend);
  EXPECT_EQ(errorText<EMidiInputError>([&] { in.SetDeviceID(2); }), "Midi-In device Invalid:2");
  EXPECT_EQ(errorText<EMidiInputError>([&] { in.SetProductName("Keys"); }), "MIDI Input Device Keys not installed ");
  in.SetProductName("In B");
  EXPECT_EQ(in.DeviceID(), 1);

  in.Open();
  EXPECT_EQ(backend.openedInput, 1u);
  EXPECT_EQ(errorText<EMidiInputError>([&] { in.SetDeviceID(0); }), "Change to DeviceID while device was open");
  EXPECT_EQ(errorText<EMidiInputError>([&] { in.SetProductName("In A"); }),
            "Change to ProductName while device was open");
  EXPECT_EQ(errorText<EMidiInputError>([&] { in.SetSysexBufferSize(10); }),
            "Change to SysexBufferSize while device was open");
  EXPECT_EQ(errorText<EMidiInputError>([&] { in.SetSysexBufferCount(10); }),
            "Change to SysexBuffercount while device was open");
  in.Close();
  in.SetSysexBufferSize(10);  // allowed again once closed
  EXPECT_EQ(in.SysexBufferSize(), 10);
}

TEST(MidiInputDevice, OpenFailureLeavesThePortClosed) {
  FakeBackend backend;
  MidiInputPort in(backend);
  backend.openError = "No MIDI input port";
  EXPECT_EQ(errorText<EMidiInputError>([&] { in.Open(); }), "No MIDI input port");
  EXPECT_FALSE(in.IsOpen());
  EXPECT_EQ(in.PendingCount(), 0);
  EXPECT_FALSE(in.TakeEvent());
}

TEST(MidiInputQueue, NothingIsTakenFromAClosedOrEmptyPort) {
  FakeBackend backend;
  MidiInputPort in(backend);
  EXPECT_EQ(in.PendingCount(), 0);
  EXPECT_FALSE(in.TakeEvent());
  in.Open();
  EXPECT_FALSE(in.TakeEvent());
  backend.inject({0x90, 60, 100});  // not started yet: nothing is received
  EXPECT_EQ(in.PendingCount(), 0);
  in.Start();
  backend.inject({0x90, 60, 100});
  EXPECT_EQ(in.PendingCount(), 1);
  in.Close();
  EXPECT_EQ(in.PendingCount(), 0);
  EXPECT_FALSE(in.TakeEvent());
  EXPECT_FALSE(backend.inputOpen());
}

TEST(MidiInputQueue, ShortMessagesKeepTheirBytesAndOrder) {
  OpenInput port;
  port.backend.inject({0x90, 0x3C, 0x64});
  port.backend.inject({0xC2, 0x05});
  port.backend.inject({0xFE});
  port.in.Stop();
  port.backend.inject({0x80, 0x3C, 0x00});  // stopped: not received
  const auto events = takeAll(port.in);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].StatusByte, 0x90);
  EXPECT_EQ(events[0].DataByte1, 0x3C);
  EXPECT_EQ(events[0].DataByte2, 0x64);
  EXPECT_EQ(events[0].SysexSize, 0);
  EXPECT_TRUE(events[0].SysexData.empty());
  EXPECT_EQ(events[1].StatusByte, 0xC2);
  EXPECT_EQ(events[1].DataByte2, 0);
  EXPECT_EQ(events[2].StatusByte, 0xFE);
  EXPECT_LE(events[0].TimeStamp, events[2].TimeStamp);
}

TEST(MidiInputQueue, SysexOnlyDropsShortMessages) {
  OpenInput port;
  port.in.SetSysexOnly(true);
  port.backend.inject({0x90, 0x3C, 0x64});
  port.backend.inject(sysexOfLength(15));
  const auto events = takeAll(port.in);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].SysexSize, 15);
}

TEST(MidiInputSysex, OneBufferHoldsExactlyItsSize) {
  OpenInput port(1024);
  const Bytes exact = sysexOfLength(1024);
  port.backend.inject(exact);
  const auto events = takeAll(port.in);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].StatusByte, 0xF0);
  EXPECT_EQ(events[0].DataByte1, 0);
  EXPECT_EQ(events[0].SysexSize, 1024);
  EXPECT_EQ(events[0].SysexData, exact);
}

TEST(MidiInputSysex, LongerMessagesArriveAsBufferSizedEvents) {
  OpenInput port(1024);
  const Bytes message = sysexOfLength(1025);
  port.backend.inject(message);
  const auto events = takeAll(port.in);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].SysexSize, 1024);
  EXPECT_EQ(events[0].SysexData, Bytes(message.begin(), message.begin() + 1024));
  EXPECT_EQ(events[1].SysexSize, 1);
  EXPECT_EQ(events[1].SysexData, Bytes{0xF7});  // later parts do not start with F0

  const Bytes big = sysexOfLength(4096);
  port.backend.inject(big);
  Bytes joined;
  for (const auto& e : takeAll(port.in)) {
    EXPECT_EQ(e.SysexSize, 1024);
    joined.insert(joined.end(), e.SysexData.begin(), e.SysexData.end());
  }
  EXPECT_EQ(joined, big);
}

// MIDI lets real-time bytes into a SysEx message without ending it: they
// come out as events of their own, before the message, which is whole without
// them, also where it fills a buffer only once they are taken out.
TEST(MidiInputSysex, RealTimeBytesInsideComeOutAsTheirOwnEvents) {
  OpenInput port(8);
  const Bytes clean = sysexOfLength(8);
  Bytes interrupted = clean;
  interrupted.insert(interrupted.begin() + 3, 0xF8);
  interrupted.insert(interrupted.end() - 1, 0xFE);
  port.backend.inject(interrupted);
  const auto events = takeAll(port.in);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].StatusByte, 0xF8);
  EXPECT_EQ(events[1].StatusByte, 0xFE);
  EXPECT_EQ(events[2].SysexData, clean);
}

TEST(MidiInputSysex, BuffersAreReusedAndTheirCountLimitsWhatWaits) {
  OpenInput port(64, 2);
  QSignalSpy overflow(&port.in, &MidiInputPort::OnOverflow);
  const Bytes a = sysexOfLength(20);
  port.backend.inject(a);
  port.backend.inject(a);
  port.backend.inject(a);  // both buffers are still waiting to be taken
  EXPECT_EQ(port.in.PendingCount(), 2);
  EXPECT_EQ(port.in.DroppedCount(), 1u);
  testing::drainEvents();
  EXPECT_EQ(overflow.count(), 1);

  // Taking an event frees its buffer for the next message, many times over.
  for (int i = 0; i < 50; ++i) {
    ASSERT_TRUE(port.in.TakeEvent());
    port.backend.inject(sysexOfLength(30 + i % 30));
  }
  const auto rest = takeAll(port.in);
  ASSERT_EQ(rest.size(), 2u);
  EXPECT_EQ(rest[1].SysexData, sysexOfLength(30 + 49 % 30));
  EXPECT_EQ(port.in.DroppedCount(), 1u);
}

TEST(MidiInputNotify, OneNotificationPerBatchAndAgainWhileEventsRemain) {
  OpenInput port;
  int calls = 0;
  QObject::connect(&port.in, &MidiInputPort::OnMidiInput, [&] {
    ++calls;
    port.in.TakeEvent();  // takes one and stops, as a handler may
  });
  for (Byte i = 0; i < 5; ++i) port.backend.inject({0x90, i, 1});
  EXPECT_EQ(calls, 0);  // nothing is raised inside the backend's call
  EXPECT_TRUE(testing::processEventsUntil([&] { return port.in.PendingCount() == 0; }));
  EXPECT_EQ(calls, 5);
  testing::drainEvents();
  EXPECT_EQ(calls, 5);  // no empty notifications afterwards
}

TEST(MidiInputNotify, FullQueueDropsRaisesOverflowAndKeepsTheRest) {
  OpenInput port(1024, 128, 8);
  QSignalSpy overflow(&port.in, &MidiInputPort::OnOverflow);
  for (int i = 0; i < 12; ++i) port.backend.inject({0xB0, 7, static_cast<Byte>(i)});
  EXPECT_EQ(port.in.PendingCount(), 8);
  EXPECT_EQ(port.in.DroppedCount(), 4u);
  testing::drainEvents();
  EXPECT_EQ(overflow.count(), 1);
  const auto events = takeAll(port.in);
  ASSERT_EQ(events.size(), 8u);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(events[i].DataByte2, i);
  port.backend.inject({0xB0, 7, 99});  // room again
  EXPECT_EQ(port.in.PendingCount(), 1);
}

TEST(MidiInputNotify, EventsFromAnotherThreadArriveWholeAndInOrder) {
  OpenInput port(256, 16, 64);
  constexpr int Count = 5000;
  std::vector<TMyMidiEvent> got;
  QObject::connect(&port.in, &MidiInputPort::OnMidiInput, [&] {
    while (auto e = port.in.TakeEvent()) got.push_back(std::move(*e));
  });
  std::thread producer([&] {
    for (int i = 0; i < Count; ++i) {
      // Wait for room rather than overflow: the test is about crossing threads.
      while (port.in.PendingCount() >= 60) std::this_thread::yield();
      if (i % 100 == 0)
        port.backend.inject(sysexOfLength(200));
      else
        port.backend.inject({0x90, static_cast<Byte>(i % 128), static_cast<Byte>(i / 128 % 128)});
    }
  });
  const bool done = testing::processEventsUntil([&] { return got.size() == static_cast<std::size_t>(Count); }, 10000);
  producer.join();
  ASSERT_TRUE(done) << got.size();
  for (int i = 0; i < Count; ++i) {
    if (i % 100 == 0) {
      ASSERT_EQ(got[i].SysexData, sysexOfLength(200)) << i;
    } else {
      ASSERT_EQ(got[i].DataByte1, i % 128) << i;
      ASSERT_EQ(got[i].DataByte2, i / 128 % 128) << i;
    }
  }
  EXPECT_EQ(port.in.DroppedCount(), 0u);
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

TEST(MidiInputNotify, AHandlerThatTakesNothingIsAskedAgainOnlyByNewEvents) {
  OpenInput port;
  int calls = 0;
  QObject::connect(&port.in, &MidiInputPort::OnMidiInput, [&] { ++calls; });
  port.backend.inject({0x90, 1, 1});
  testing::drainEvents();
  EXPECT_EQ(calls, 1);  // not a loop of notifications while the event waits
  port.backend.inject({0x90, 2, 1});
  testing::drainEvents();
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(port.in.PendingCount(), 2);
}

}  // namespace
}  // namespace quillon
