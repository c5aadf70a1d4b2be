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
inline constexpr const char* NotABank =
    "The list holds no User or Card performances: fetch or open a bank first (a Temporary Performance goes with Send "
    "to Temp or Save To JV-XP).";
}  // namespace bank_text

inline constexpr int BankPerformanceCount = address::MemoryPerformanceCount;
inline constexpr int BankPatchCount = address::MemoryPatchCount;
inline constexpr int FirstSlot = 1;
inline constexpr int LastSlot = BankPerformanceCount;

// What a read-back found, performances 0-based.
// Three outcomes: the module holds what was sent; it holds something else
// (differing); or some of it could not be read back (missing), which says
// nothing about what the module holds.
struct BankCheck {
  bool answered = false;       // anything came back at all
  std::vector<int> differing;  // came back, and some block differs from what was sent
  std::vector<int> missing;    // some block did not come back whole, even when asked a second time
  std::string missingBlocks;   // which blocks, and why, for the user
  bool ok() const { return answered && differing.empty() && missing.empty(); }
  bool differs() const { return !differing.empty(); }
  bool unreadable() const { return !differs() && !ok(); }
};

// "3, 7, 12": performances numbered from 1 as the user counts them.
std::string performanceNumbers(const std::vector<int>& performances);

// Whether the list is a bank (User or Card performances), which Send User /
// Card All may write into the module's memory.
bool listIsBank(const PerformanceStore& s);
// Why Send User / Card All may not send the list (no list, no bank, an
// incomplete performance); empty when it may.
std::string whyBankUnsendable(const PerformanceStore& s);

// One fetched patch-name entry: "U:" or "R:", m + 1, a blank, the 12 characters.
std::string patchNameEntry(BankArea bank, int patch, const NameBytes& name);

class BankTransfer {
 public:
  BankTransfer(Sender& sender, EngineHost& host) : sender_(sender), host_(host) {}

  // Get User All / Get Card All: 32 x (common + 16 parts) into the list.
  // True when something arrived and replaced the list; false when it could
  // not start or nothing came (the list is then as it was). Incomplete
  // performances are marked in ListInfo and named to the user.
  bool getBank(BankArea bank, TransferView& view);
  // Get Usernames / Get Cardnames: fills `entries` with the 128 entries; true
  // only when all 128 arrived. Otherwise the user is told how many did, and
  // the caller writes nothing ("User.ini" keeps its old section).
  bool getPatchNames(BankArea bank, TransferView& view, std::vector<std::string>& entries);
  // The current name of slot 1..32 (12 characters; blanks when none came).
  std::string readSlotName(BankArea bank, int slot);
  // The Temporary Performance into slot 1..32: 17 data sets. False when it
  // could not start or was cancelled (the user was told).
  bool storePerformance(BankArea bank, int slot, TransferView& view);
  // Send User All / Send Card All: list entries 0 .. PerformanceCount-1 into
  // the bank's slots 1 .. PerformanceCount; only a bank of whole performances.
  bool sendBank(BankArea bank, TransferView& view);
  // Reads back what was sent and compares it; the list and its flags are left
  // as they were. A module acknowledges no data set, so this is the only proof.
  BankCheck verifyStore(BankArea bank, int slot, const PerformanceRecord& sent, TransferView& view);
  BankCheck verifyBank(BankArea bank, std::span<const PerformanceRecord> sent, TransferView& view);

  // After getBank: the performances (0-based) asked for that did not arrive whole.
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
  // What the last command's outcome said is forgotten before a new one.
  void resetOutcome();
  // Keeps the outcome; later answers are late.
  void endCommand(TransferSession& session);
  void fetchPerformances(TransferSession& session, BankArea bank, int first, int count, TransferView& view);
  // Asks once more for the blocks of performances first .. first+count-1 that did not come whole.
  void refetchMissing(TransferSession& session, BankArea bank, int first, int count);
  void noteArrivals(const TransferSession& session, BankArea bank, int first, int count);
  int wholeSoFar(const TransferSession& session, BankArea bank, int first, int last) const;
  // Returns the blocks that left before a cancel stopped it (17 when whole);
  // `countBlocks`: the wait window counts them (a store of one performance).
  int sendPerformance(TransferSession& session, BankArea bank, int number, const PerformanceRecord& record,
                      TransferView& view, bool countBlocks = false);
  void clearBankList(BankArea bank);
  void finishBankList(BankArea bank);
  std::string cancelledFetchText() const;
  BankCheck readBack(BankArea bank, int first, std::span<const PerformanceRecord> sent, TransferView& view);
  bool isWhole(int number) const;

  Sender& sender_;
  EngineHost& host_;
  int firstAsked_ = 0;  // the last fetch asked for performances firstAsked_ .. requested_-1
  int requested_ = 0;
  std::array<std::uint32_t, BankPerformanceCount> received_{};  // blocks that arrived whole, per performance
  int namesArrived_ = 0;
  int performancesSent_ = 0;
  bool timedOut_ = false;
  bool cancelledByUser_ = false;
};

}  // namespace quillon
