#pragma once
// The module's User and Card banks: fetching all 32 performances of a bank,
// the names of its 128 patches or of one performance slot, storing the
// Temporary Performance into a slot, and sending a whole list into a bank.
// Requests are paced by RequestPacer (SysDly, or fast transfers), data sets by
// SysDly; the answers land in the store through the incoming handler, which
// also notes which blocks of which performance arrived whole.
//
// Fast transfers are EngineSettings::fastTransfers, kept by the settings under
// the value name "FastTransfers" (DeviceSettings::FastTransfers).

#include <span>
#include <string>
#include <vector>

#include "engine/temp_transfer.h"

namespace quillon {

enum class BankArea { User, Card };  // performances 10h / 20h, patch names 11h / 21h

constexpr Byte performanceAreaOf(BankArea bank) {
  return bank == BankArea::Card ? address::AreaCardPerformance : address::AreaUserPerformance;
}
constexpr Byte patchAreaOf(BankArea bank) {
  return bank == BankArea::Card ? address::AreaCardPatch : address::AreaUserPatch;
}
// The bank the list came from: Card when FromCard is set, else User.
BankArea bankOfList(const PerformanceStore& store);
const char* bankName(BankArea bank);  // "User" / "Card"

namespace bank_text {
inline constexpr const char* GetAllMidiClosed = "GUA Midi Closed\rSelect Midi Devices";
inline constexpr const char* GetNamesMidiClosed = "GUN Midi Closed\rSelect Midi Devices";
inline constexpr const char* SlotNameMidiClosed = "SJV Midi Closed\rSelect Midi Devices";
inline constexpr const char* StoreMidiClosed = "BSmem Midi Closed\rSelect Midi Devices";
inline constexpr const char* SendAllMidiClosed = "SUA Midi Closed\rSelect Midi Devices";
inline constexpr const char* NothingToSave = "There is no performance to Save.";
inline constexpr const char* UserSourceLabel = "User Performances form Synth";
inline constexpr const char* CardSourceLabel = "Card Performances form Synth";
inline constexpr const char* UserNamePrefix = "U:";
inline constexpr const char* CardNamePrefix = "R:";
}  // namespace bank_text

inline constexpr int BankPerformanceCount = address::MemoryPerformanceCount;
inline constexpr int BankPatchCount = address::MemoryPatchCount;
inline constexpr int FirstSlot = 1;
inline constexpr int LastSlot = BankPerformanceCount;

// What a read-back found, performances 0-based.
struct BankCheck {
  bool answered = false;         // anything came back at all
  std::vector<int> differing;    // came back, and some block differs from what was sent
  std::vector<int> missing;      // some block did not come back
  bool ok() const { return answered && differing.empty() && missing.empty(); }
};

// "3, 7, 12": performances numbered from 1 as the user counts them.
std::string performanceNumbers(const std::vector<int>& performances);

// One fetched patch-name entry: "U:" or "R:", m + 1, a blank, the 12 characters.
std::string patchNameEntry(BankArea bank, int patch, const NameBytes& name);

class BankTransfer {
 public:
  BankTransfer(Sender& sender, EngineHost& host) : sender_(sender), host_(host) {}

  // Get User All / Get Card All: 32 x (common + 16 parts) into the list.
  // False when it could not start (the user was told why). Incomplete
  // performances are marked in ListInfo and named to the user.
  bool getBank(BankArea bank, TransferView& view);
  // Get Usernames / Get Cardnames: fills `entries` with the 128 entries; true
  // only when all 128 arrived. Otherwise the user is told how many did, and
  // the caller writes nothing ("User.ini" keeps its old section).
  bool getPatchNames(BankArea bank, TransferView& view, std::vector<std::string>& entries);
  // The current name of slot 1..32 (12 characters; blanks when none came).
  std::string readSlotName(BankArea bank, int slot);
  // The Temporary Performance into slot 1..32: 17 data sets.
  bool storePerformance(BankArea bank, int slot, TransferView& view);
  // Send User All / Send Card All: list entries 0 .. PerformanceCount-1 into
  // the bank's slots 1 .. PerformanceCount.
  bool sendBank(BankArea bank, TransferView& view);
  // Reads back what was sent and compares it; the list and its flags are left
  // as they were. A module acknowledges no data set, so this is the only proof.
  BankCheck verifyStore(BankArea bank, int slot, const PerformanceRecord& sent, TransferView& view);
  BankCheck verifyBank(BankArea bank, std::span<const PerformanceRecord> sent, TransferView& view);

  // Cancel in the wait window: a fetch stops at the next performance, a send
  // after the block that is leaving; the running wait ends now.
  void cancel();
  // The response timer ran out: report once, stop the rest of the transfer.
  void responseTimeout(TransferView& view);

  // After getBank: the performances (0-based) that did not arrive whole. After
  // a cancel only those that were asked for count.
  std::vector<int> incompletePerformances() const;
  // Names them for the user; empty when the fetch was complete.
  std::string incompleteText() const;
  // After getPatchNames: how many of the 128 names arrived.
  int namesArrived() const { return namesArrived_; }
  std::string namesMissingText() const;
  // After sendBank or storePerformance: performances sent whole.
  int performancesSent() const { return performancesSent_; }
  bool cancelledByUser() const { return cancelledByUser_; }
  bool timedOut() const { return timedOut_; }
  std::string verifyText(const BankCheck& check) const;

 private:
  void startCommand();
  bool fetchPerformances(BankArea bank, int first, int count, TransferView& view);
  bool fetchBlock(const SysexAddress& address, int length, RequestPacer& pacer);
  // Returns the blocks that left before a cancel stopped it (17 when whole).
  int sendPerformance(BankArea bank, int number, const PerformanceRecord& record, TransferView& view);
  void clearBankList();
  void finishBankList(BankArea bank);
  BankCheck readBack(BankArea bank, int first, std::span<const PerformanceRecord> sent, TransferView& view);
  bool isWhole(int number) const;

  Sender& sender_;
  EngineHost& host_;
  int requested_ = 0;  // performances asked for by the last fetch
  int namesArrived_ = 0;
  int performancesSent_ = 0;
  bool timedOut_ = false;
  bool cancelledByUser_ = false;
};

}  // namespace quillon
