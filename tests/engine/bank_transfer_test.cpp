// User and Card bank transfers against the virtual module: what the module
// holds arrives byte for byte, cancel and lost answers leave the list as they
// should, a stored slot lands at its addresses, names come only when whole.

#include "engine/bank_transfer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <iterator>

#include "engine/incoming.h"
#include "midi/model/virtual_module.h"
#include "recording_host.h"

namespace quillon {
namespace {

constexpr int TimeoutMs = 1500;

// The module behind the port: answers are handed to the incoming handler
// during the waits, as the event loop would. Every `dropEvery`th answer is lost.
class ModuleHost : public testing::RecordingHost {
 public:
  explicit ModuleHost(jv::VirtualModule& module) : module_(module) {}
  void attach(IncomingHandler& incoming, std::function<void()> onTimeout) {
    incoming_ = &incoming;
    onTimeout_ = std::move(onTimeout);
  }
  void sendLong(std::span<const Byte> m) override {
    RecordingHost::sendLong(m);
    for (Bytes& answer : module_.receive(m).answers)
      if (!silent && !(dropEvery > 0 && ++answers_ % dropEvery == 0)) {
        if (latencyMs > 0)
          onTheLink_.push_back({clockMs_ + latencyMs, std::move(answer)});
        else
          pending_.pushSysex(std::move(answer));
      }
  }
  void startResponseTimer() override {
    if (!timerRunning) silentMs_ = 0;
    RecordingHost::startResponseTimer();
  }
  void waitMs(int ms) override {
    RecordingHost::waitMs(ms);
    deliver(ms);
  }
  void waitMsUntil(int ms, const std::function<bool()>& done) override {
    deliver(ms);
    if (!done()) RecordingHost::waitMs(ms);
  }

  bool silent = false;
  int dropEvery = 0;
  bool oneWaitLate = false;  // a module a little slower than SysDly: each answer comes during the next wait
  int latencyMs = 0;         // a slow link: each answer arrives this long after its request

 private:
  void deliver(int ms) {
    clockMs_ += ms;
    while (!onTheLink_.empty() && onTheLink_.front().first <= clockMs_) {
      pending_.pushSysex(std::move(onTheLink_.front().second));
      onTheLink_.pop_front();
    }
    testing::QueueSource& ready = oneWaitLate ? late_ : pending_;
    if (!ready.events.empty()) incoming_->HandleModuleInput(ready);
    if (oneWaitLate) {
      std::move(pending_.events.begin(), pending_.events.end(), std::back_inserter(late_.events));
      pending_.events.clear();
    }
    if (timerRunning && (silentMs_ += ms) >= TimeoutMs) onTimeout_();
  }
  jv::VirtualModule& module_;
  IncomingHandler* incoming_ = nullptr;
  std::function<void()> onTimeout_;
  testing::QueueSource pending_;
  testing::QueueSource late_;
  std::deque<std::pair<int, Bytes>> onTheLink_;  // due time, answer
  int clockMs_ = 0;
  int answers_ = 0;
  int silentMs_ = 0;
};

struct DoneView : TransferView {
  std::function<void(int)> onDone;
  void performanceDone(int n) override {
    if (onDone) onDone(n);
  }
};

// Bytes no two blocks share, so a block stored at the wrong place shows.
void fillBank(jv::VirtualModule& module, Byte area) {
  for (int n = 0; n < BankPerformanceCount; ++n)
    for (int block = 0; block < TempBlockCount; ++block) {
      auto bytes = module.blockAt(performanceBlockAddress(area, n, block));
      for (std::size_t k = 0; k < bytes.size(); ++k)
        bytes[k] = static_cast<Byte>((n * 37 + block * 11 + static_cast<int>(k)) & midi_byte::DataMask);
    }
}

class BankTransferTest : public ::testing::TestWithParam<ModuleType> {
 protected:
  BankTransferTest() : module(GetParam()), host(module) {
    settings.sizes = blockSizesFor(GetParam());
    settings.noteOn = false;
    host.attach(incoming, [this] { runningTransferTimedOut(sender, view); });
    fillBank(module, address::AreaUserPerformance);
    fillBank(module, address::AreaCardPerformance);
  }
  // The list entry n holds what the module holds in `area`, at this type's lengths.
  bool entryMatchesModule(Byte area, int n) {
    for (int block = 0; block < TempBlockCount; ++block) {
      const auto held = module.blockAt(performanceBlockAddress(area, n, block));
      const auto got = blockBytes(store.PerformanceList[static_cast<std::size_t>(n)], block);
      if (!std::equal(held.begin(), held.end(), got.begin())) return false;
    }
    return true;
  }

  jv::VirtualModule module;
  ModuleHost host;
  PerformanceStore store;
  EngineSettings settings;
  MessageLogLines log{host};
  Sender sender{store, host, settings, log};
  IncomingHandler incoming{store, host, sender, log};
  BankTransfer bank{sender, host};
  DoneView view;
};

TEST_P(BankTransferTest, GetAllFetchesEveryByteOfTheBankPacedAndFast) {
  for (bool fast : {false, true}) {
    settings.fastTransfers = fast;
    host.waits.clear();
    for (BankArea b : {BankArea::User, BankArea::Card}) {
      ASSERT_TRUE(bank.getBank(b, view));
      for (int n = 0; n < BankPerformanceCount; ++n) EXPECT_TRUE(entryMatchesModule(performanceAreaOf(b), n)) << n;
      EXPECT_EQ(store.PerformanceCount, BankPerformanceCount);
      EXPECT_EQ(store.FromCard, b == BankArea::Card);
      EXPECT_TRUE(bank.incompletePerformances().empty());
      EXPECT_TRUE(store.ListInfo[31].complete);
      EXPECT_FALSE(store.Updating);
      EXPECT_EQ(store.SysexAddressBuffer.sub(), 0) << "the editors' buffer points at the Temporary Performance again";
    }
    // Paced: SysDly after each of the 544 requests. Fast: every answer is in at once, no wait runs out.
    EXPECT_EQ(host.waits.size(), fast ? 0u : 2u * BankPerformanceCount * TempBlockCount);
  }
  EXPECT_TRUE(host.infos.empty());
}

TEST_P(BankTransferTest, CancelAfterPerformance5LeavesEntries0To5AndClearsTheRest) {
  store.PerformanceList[20].parts[3][part::Level] = 99;  // an older list must not show through
  view.onDone = [this](int n) {
    if (n == 5) cancelRunningTransfer(sender);
  };
  ASSERT_TRUE(bank.getBank(BankArea::User, view));
  for (int n = 0; n <= 5; ++n) EXPECT_TRUE(entryMatchesModule(address::AreaUserPerformance, n));
  for (int n = 6; n < BankPerformanceCount; ++n) EXPECT_EQ(store.PerformanceList[n], PerformanceRecord{}) << n;
  EXPECT_EQ(store.PerformanceCount, 6);
  EXPECT_TRUE(bank.incompletePerformances().empty());
  EXPECT_EQ(host.wire.size(), 6u * TempBlockCount);
  // The next command is not silenced by the cancel.
  EXPECT_EQ(bank.readSlotName(BankArea::User, 7),
            performanceName(module.performance(address::AreaUserPerformance, 6).common));
}

TEST_P(BankTransferTest, LostAnswersAreNamedAndMarkedIncomplete) {
  host.dropEvery = 100;
  ASSERT_TRUE(bank.getBank(BankArea::Card, view));
  const auto incomplete = bank.incompletePerformances();
  ASSERT_EQ(incomplete.size(), 5u);  // answers 100, 200 .. 500 of 544
  EXPECT_EQ(incomplete[0], 99 / TempBlockCount);
  EXPECT_FALSE(store.ListInfo[incomplete[0]].complete);
  EXPECT_NE(store.ListInfo[incomplete[0]].problem.find("part"), std::string::npos);
  EXPECT_TRUE(store.ListInfo[0].complete);
  ASSERT_EQ(host.infos.size(), 1u);
  EXPECT_NE(host.infos[0].find(performanceNumbers(incomplete)), std::string::npos);
}

// A module that misses an answer at full speed is asked at the paced rhythm
// for the rest of the fetch, and the user is told once.
TEST_P(BankTransferTest, AMissedAnswerInFastModePacesTheRestAndSaysSoOnce) {
  settings.fastTransfers = true;
  host.dropEvery = 100;
  ASSERT_TRUE(bank.getBank(BankArea::User, view));
  EXPECT_EQ(std::count(host.debug.begin(), host.debug.end(), std::string(sender_text::FastFallback)), 1);
  // The requests after the 100th each wait their paced time; before it none waited.
  const int pacedRequests = BankPerformanceCount * TempBlockCount - 100;
  EXPECT_GE(static_cast<int>(host.waits.size()), pacedRequests);
  EXPECT_LE(static_cast<int>(host.waits.size()), 2 * pacedRequests + 2);
  EXPECT_EQ(bank.incompletePerformances().size(), 5u);
}

TEST_P(BankTransferTest, StoringIntoCardSlot32UsesItsAddressesAndTheModuleHoldsIt) {
  ASSERT_TRUE(bank.getBank(BankArea::User, view));
  store.TempPerformance = store.PerformanceList[4];
  host.wire.clear();
  ASSERT_TRUE(bank.storePerformance(BankArea::Card, LastSlot, view));
  ASSERT_EQ(host.wire.size(), static_cast<std::size_t>(TempBlockCount));
  EXPECT_EQ(Bytes(host.wire[0].begin() + 5, host.wire[0].begin() + 9), (Bytes{0x20, 0x1F, 0x00, 0x00}));
  for (int p = 0; p < address::PartCount; ++p)
    EXPECT_EQ(Bytes(host.wire[1 + p].begin() + 5, host.wire[1 + p].begin() + 9),
              (Bytes{0x20, 0x1F, static_cast<Byte>(0x10 + p), 0x00}));
  const BankCheck check = bank.verifyStore(BankArea::Card, LastSlot, store.TempPerformance, view);
  EXPECT_TRUE(check.ok());
  EXPECT_TRUE(store.FromUser);  // the read-back left the list as it was
  module.performance(address::AreaCardPerformance, 31).parts[7][part::Pan] ^= 1;
  const BankCheck changed = bank.verifyStore(BankArea::Card, LastSlot, store.TempPerformance, view);
  EXPECT_EQ(changed.differing, std::vector<int>{31});
}

TEST_P(BankTransferTest, PatchNamesComeOnlyWhenAll128Arrived) {
  std::vector<std::string> entries;
  ASSERT_TRUE(bank.getPatchNames(BankArea::Card, view, entries));
  ASSERT_EQ(entries.size(), 128u);
  EXPECT_EQ(entries[127], "R:128 " + nameText(module.patchName(address::AreaCardPatch, 127)));
  host.dropEvery = 40;
  EXPECT_FALSE(bank.getPatchNames(BankArea::User, view, entries));
  EXPECT_EQ(bank.namesArrived(), 125);
  EXPECT_EQ(host.infos, std::vector<std::string>{bank.namesMissingText()});
  // Each answer a wait late: counted by its address all the same.
  host.dropEvery = 0;
  host.oneWaitLate = true;
  host.infos.clear();
  EXPECT_TRUE(bank.getPatchNames(BankArea::User, view, entries));
  EXPECT_EQ(entries[127], "U:128 " + nameText(module.patchName(address::AreaUserPatch, 127)));
  EXPECT_TRUE(host.infos.empty());
}

TEST_P(BankTransferTest, AReadBackThatLosesAnswersAsksAgainAndNeverSaysDiffers) {
  host.dropEvery = 3;
  const BankCheck check =
      bank.verifyStore(BankArea::User, 4, module.performance(address::AreaUserPerformance, 3), view);
  EXPECT_GT(host.wire.size(), static_cast<std::size_t>(TempBlockCount));  // the lost blocks were asked for again
  EXPECT_TRUE(check.answered && check.unreadable() && !check.differs());
  EXPECT_NE(bank.verifyText(check).find("Could not read back"), std::string::npos);
  EXPECT_NE(check.missingBlocks.find("performance 4: "), std::string::npos);
}

TEST_P(BankTransferTest, ASlowLinkIsNoSilentModule) {
  host.latencyMs = 1400;  // within the response timeout
  std::vector<std::string> entries;
  EXPECT_TRUE(bank.getPatchNames(BankArea::User, view, entries));
  EXPECT_EQ(bank.namesArrived(), BankPatchCount);
  BankCheck check = bank.verifyStore(BankArea::User, 4, module.performance(address::AreaUserPerformance, 3), view);
  EXPECT_TRUE(check.ok()) << bank.verifyText(check);
  EXPECT_TRUE(host.infos.empty()) << host.infos.front();
}

TEST_P(BankTransferTest, ASilentModuleIsReportedOnceAndClosedPortsStopAtOnce) {
  host.silent = true;
  std::vector<std::string> entries;
  EXPECT_FALSE(bank.getPatchNames(BankArea::User, view, entries));
  EXPECT_EQ(bank.namesArrived(), 0);
  EXPECT_EQ(std::count(host.infos.begin(), host.infos.end(), notRespondingText(noResponseFacts(sender))), 1);
  const std::size_t requests = host.wire.size();
  EXPECT_LT(requests, 128u);
  // The next fetch asks again, and bringing nothing it leaves the list as it was.
  store.PerformanceCount = 3;
  store.PerformanceList[2].parts[5][part::Level] = 77;
  host.infos.clear();
  EXPECT_FALSE(bank.getBank(BankArea::User, view));
  EXPECT_GT(host.wire.size(), requests);
  EXPECT_EQ(store.PerformanceCount, 3);
  EXPECT_EQ(store.PerformanceList[2].parts[5][part::Level], 77);
  EXPECT_EQ(host.infos, std::vector<std::string>{notRespondingText(noResponseFacts(sender))});
  host.infos.clear();
  host.wire.clear();
  store.MidiClosed = true;
  EXPECT_FALSE(bank.getPatchNames(BankArea::Card, view, entries));
  EXPECT_EQ(host.infos, std::vector<std::string>{bank_text::GetNamesMidiClosed});
  EXPECT_TRUE(host.wire.empty());
}

INSTANTIATE_TEST_SUITE_P(Sizes, BankTransferTest, ::testing::Values(ModuleType::JV1080, ModuleType::JV2080));

}  // namespace
}  // namespace quillon
