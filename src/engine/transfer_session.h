#pragma once
// One exchange with the module at a time: a fetch, a send, a read-back or an
// effect window's re-read. The session knows every request it sent and takes
// only the answers to them; it is the one record of which bytes arrived.
// Answers that nobody asked for, or that come after the session ended, are
// left out of the store. While a session runs, no other one can start and the
// editing windows send nothing.

#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "engine/sysex.h"

namespace quillon {

enum class TransferKind {
  GetTemp,
  SendTemp,
  GetBank,
  SendBank,
  PatchNames,
  SlotName,
  Store,
  ReadBack,
  EffectFetch,
  Listen,      // takes whatever the module sends (a dump started on its panel); see listenWith
  FindModule,  // asks every port for the module; its own ports hear the answers, the store takes none
};

enum class TransferResult { Complete, Incomplete, Cancelled, NoAnswer };

// Whether a kind asks the module for data (its answers are awaited, and no
// parameter data set may leave while it waits).
constexpr bool isFetch(TransferKind kind) {
  return kind != TransferKind::SendTemp && kind != TransferKind::SendBank && kind != TransferKind::Store;
}

class TransferSession {
 public:
  explicit TransferSession(TransferKind kind) : kind_(kind) {}

  TransferKind kind() const { return kind_; }

  // A request of `size` bytes from `address` left for the module.
  void noteRequest(const SysexAddress& address, std::uint32_t size);
  // An answer with `length` data bytes at `address`: true, and its bytes
  // counted, when it lies within a request of this session.
  bool takeAnswer(const SysexAddress& address, std::size_t length);

  // Every byte of the request that began at `address` arrived.
  bool answered(const SysexAddress& address) const;
  // Some bytes of it came, not all (a cut message, another module type).
  bool partlyAnswered(const SysexAddress& address) const;
  bool lastRequestAnswered() const;
  bool anyRequest() const { return requested_; }
  int requestsAnswered() const { return answered_; }
  bool anyAnswer() const { return anyAnswer_; }

  // A Listen session with a listener hands it every SysEx message from the
  // inputs as it came, and the decoder stores none of them: a dump is
  // collected apart and the store changes only when the user takes it.
  using Listener = std::function<void(std::span<const Byte> message)>;
  void listenWith(Listener listener);
  bool hasListener() const { return static_cast<bool>(listener_); }
  void hear(std::span<const Byte> message);

  // The transfer has counted what came and goes on to report it: an answer
  // after this is late, and lands nowhere (a report's box runs its own loop).
  void close() { closed_ = true; }

  void cancel() { cancelledByUser_ = true; }
  void noAnswer() { timedOut_ = true; }
  bool cancelledByUser() const { return cancelledByUser_; }
  bool timedOut() const { return timedOut_; }
  // Nothing more is asked for or sent once the user cancelled or the module fell silent.
  bool stopped() const { return cancelledByUser_ || timedOut_; }
  // `whole`: everything the transfer needed arrived or left.
  TransferResult result(bool whole) const;

 private:
  struct Request {
    std::uint32_t size = 0;
    std::vector<bool> arrived;
    bool whole = false;
  };
  const Request* requestAt(const SysexAddress& address) const;

  TransferKind kind_;
  Listener listener_;
  std::map<std::uint32_t, Request> requests_;  // by the linear address of the first byte asked for
  std::uint32_t lastRequest_ = 0;
  bool requested_ = false;
  int answered_ = 0;
  bool anyAnswer_ = false;
  bool cancelledByUser_ = false;
  bool timedOut_ = false;
  bool closed_ = false;
};

// Which session runs now. Held by the sender, the one road to the module.
class TransferSessions {
 public:
  TransferSession* current() const { return current_; }
  bool running() const { return current_ != nullptr; }
  // Parameter data sets are held back while a fetch waits for its answers.
  bool fetching() const { return current_ && isFetch(current_->kind()); }
  // The last session ended before its module answered anything (a window's
  // short re-read does not wait for the response timeout); taken once.
  bool takeUnansweredEnd() { return std::exchange(unansweredEnd_, false); }

 private:
  friend class SessionScope;
  TransferSession* current_ = nullptr;
  bool unansweredEnd_ = false;
};

// Makes a session the running one for its lifetime. Check `started()`: a
// second session cannot start inside the first.
class SessionScope {
 public:
  SessionScope(TransferSessions& sessions, TransferKind kind);
  ~SessionScope();
  SessionScope(const SessionScope&) = delete;
  SessionScope& operator=(const SessionScope&) = delete;

  bool started() const { return started_; }
  TransferSession& session() { return session_; }
  TransferSession* operator->() { return &session_; }

 private:
  TransferSessions& sessions_;
  TransferSession session_;
  bool started_;
};

namespace session_text {
inline constexpr const char* Busy = "Another transfer is running: wait for it to end, or Cancel it.";
}

}  // namespace quillon
