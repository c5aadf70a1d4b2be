#include "engine/transfer_session.h"

#include <algorithm>

namespace quillon {

namespace {
constexpr int BitsPerAddressByte = 7;

// The module's addresses count in 7-bit bytes: as one number, a range of
// bytes that runs past an offset of 7Fh goes on into the next block.
std::uint32_t linear(const SysexAddress& a) {
  std::uint32_t value = 0;
  for (Byte b : a.bytes) value = (value << BitsPerAddressByte) | (b & 0x7F);
  return value;
}
}  // namespace

void TransferSession::noteRequest(const SysexAddress& address, std::uint32_t size) {
  const std::uint32_t start = linear(address);
  Request& r = requests_[start];
  if (r.size != size) r = {size, std::vector<bool>(size, false), false};
  lastRequest_ = start;
  requested_ = true;
}

bool TransferSession::takeAnswer(const SysexAddress& address, std::size_t length) {
  if (kind_ == TransferKind::Listen) {
    anyAnswer_ = true;
    return true;
  }
  // Once cancelled, timed out or closed, the user was told what arrived.
  if (length == 0 || requests_.empty() || closed_ || stopped()) return false;
  const std::uint32_t first = linear(address);
  auto it = requests_.upper_bound(first);
  if (it == requests_.begin()) return false;
  --it;
  Request& r = it->second;
  const std::uint32_t from = first - it->first;
  if (from + length > r.size) return false;
  std::fill_n(r.arrived.begin() + from, length, true);
  anyAnswer_ = true;
  if (!r.whole && std::all_of(r.arrived.begin(), r.arrived.end(), [](bool b) { return b; })) {
    r.whole = true;
    ++answered_;
  }
  return true;
}

void TransferSession::listenWith(Listener listener) {
  if (kind_ == TransferKind::Listen) listener_ = std::move(listener);
}

void TransferSession::hear(std::span<const Byte> message) {
  anyAnswer_ = true;
  if (listener_) listener_(message);
}

const TransferSession::Request* TransferSession::requestAt(const SysexAddress& address) const {
  const auto it = requests_.find(linear(address));
  return it == requests_.end() ? nullptr : &it->second;
}

bool TransferSession::answered(const SysexAddress& address) const {
  const Request* r = requestAt(address);
  return r && r->whole;
}

bool TransferSession::partlyAnswered(const SysexAddress& address) const {
  const Request* r = requestAt(address);
  return r && !r->whole && std::find(r->arrived.begin(), r->arrived.end(), true) != r->arrived.end();
}

bool TransferSession::lastRequestAnswered() const {
  if (!requested_) return false;
  const auto it = requests_.find(lastRequest_);
  return it != requests_.end() && it->second.whole;
}

TransferResult TransferSession::result(bool whole) const {
  if (cancelledByUser_) return TransferResult::Cancelled;
  if (whole) return TransferResult::Complete;
  if (isFetch(kind_) && !anyAnswer_) return TransferResult::NoAnswer;
  return TransferResult::Incomplete;
}

SessionScope::SessionScope(TransferSessions& sessions, TransferKind kind)
    : sessions_(sessions), session_(kind), started_(sessions.current_ == nullptr) {
  if (!started_) return;
  sessions_.current_ = &session_;
  sessions_.unansweredEnd_ = false;
}

SessionScope::~SessionScope() {
  if (!started_) return;
  sessions_.current_ = nullptr;
  sessions_.unansweredEnd_ = session_.anyRequest() && !session_.anyAnswer() && !session_.stopped();
}

}  // namespace quillon
