#include "midi/virtual_backend.h"

#include <gtest/gtest.h>

#include "engine/demo_performances.h"
#include "fake_backend.h"
#include "midi/midi_ports.h"
#include "test_support.h"

namespace quillon {
namespace {

struct VirtualPorts {
  midi::VirtualModuleBackend backend;
  MidiOutputPort out{backend};
  MidiInputPort in{backend};
  std::vector<Bytes> received;
  VirtualPorts() {
    QObject::connect(&in, &MidiInputPort::OnMidiInput, [this] {
      while (auto e = in.TakeEvent()) received.push_back(e->SysexData);
    });
    in.SetSysexBufferSize(1024);
    in.SetSysexBufferCount(128);
    in.Open();
    in.Start();
    out.Open();
  }
  void send(const Bytes& m) { out.SendLongMessage(m); }
};

TEST(VirtualModuleDevice, IsDeviceZeroOfBothSystemLists) {
  MidiInputPort in;
  MidiOutputPort out;
  out.SetDeviceID(0);
  EXPECT_EQ(in.ProductName(), "Quillon virtual module");
  EXPECT_EQ(out.ProductName(), "Quillon virtual module");
  EXPECT_EQ(in.DeviceNames().front(), "Quillon virtual module");
  EXPECT_EQ(out.DeviceNames().front(), "Quillon virtual module");
}

// The platform's clients (JACK's threads and memory) are not started for a
// program that plays only the built-in module: its ports are found, by place
// or by name, without listing the platform's.
TEST(VirtualModuleDevice, ChoosingItNeverListsThePlatformsPorts) {
  struct CountingPlatform : testing::FakeBackend {
    int listings = 0;
    std::vector<std::string> outputNames() override { return ++listings, outputs; }
    std::vector<std::string> inputNames() override { return ++listings, inputs; }
  } platform;
  midi::CombinedBackend devices({&midi::virtualModuleBackend(), &platform});
  MidiOutputPort out(devices);
  MidiInputPort in(devices);
  out.SetDeviceID(0);
  in.SetProductName("Quillon virtual module");
  out.Open();
  in.Open();
  EXPECT_EQ(platform.listings, 0);
  out.Close();
  out.SetProductName("Out B");
  out.Open();
  EXPECT_GT(platform.listings, 0);
  EXPECT_EQ(platform.openedOutput, 1u);
}

TEST(VirtualModuleDevice, AnswersArriveThroughTheEventLoopNotInsideSend) {
  VirtualPorts ports;
  ports.send(buildRQ1(0x10, address::temporaryCommon(), 0x40));
  EXPECT_EQ(ports.in.PendingCount(), 0);
  ASSERT_TRUE(testing::processEventsUntil([&] { return !ports.received.empty(); }));
  const auto& common = demoPerformance(0).common;
  EXPECT_EQ(ports.received.front(), buildDT1(0x10, address::temporaryCommon(), std::span(common).first(64)));
}

TEST(VirtualModuleDevice, StoredEditIsFetchedBackAndOtherUnitsGetNoAnswer) {
  VirtualPorts ports;
  ports.send(buildDT1(0x10, address::temporaryPart(3, part::Pan), Bytes{0x20}));
  ports.send(buildRQ1(0x11, address::temporaryPart(3), 0x13));  // unit 18: not this module
  ports.send(buildRQ1(0x10, address::temporaryPart(3), 0x13));
  ports.out.SendShortMessage(0x90, 60, 100);  // notes are taken silently
  ASSERT_TRUE(testing::processEventsUntil([&] { return !ports.received.empty(); }));
  testing::drainEvents();
  ASSERT_EQ(ports.received.size(), 1u);
  DT1Message dt1;
  ASSERT_EQ(parseDT1(ports.received[0], dt1), DT1Check::Ok);
  EXPECT_EQ(dt1.data.size(), 19u);
  EXPECT_EQ(dt1.data[part::Pan], 0x20);
}

TEST(VirtualModuleDevice, ClosingTheInputBeforeDeliveryIsSafe) {
  VirtualPorts ports;
  ports.send(buildRQ1(0x10, address::temporaryCommon(), 0x40));
  ports.in.Close();
  testing::drainEvents();
  EXPECT_TRUE(ports.received.empty());
}

}  // namespace
}  // namespace quillon
