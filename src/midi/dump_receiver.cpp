#include "midi/dump_receiver.h"

#include <algorithm>

#include "midi/module_link.h"

namespace quillon {

namespace {

constexpr int MsPerSecond = 1000;
constexpr int MsPerTenth = 100;

// "3 s", "1.5 s".
std::string secondsText(int ms) {
  std::string text = std::to_string(ms / MsPerSecond);
  if (const int tenths = ms % MsPerSecond / MsPerTenth; tenths != 0) text += "." + std::to_string(tenths);
  return text + " s";
}

}  // namespace

DumpReceiver::DumpReceiver(TransferSessions& sessions, ModuleLink& link, QObject* parent)
    : QObject(parent), sessions_(sessions), link_(link) {
  quiet_.setSingleShot(true);
  connect(&quiet_, &QTimer::timeout, this, [this] { end(End::Quiet); });
  portCheck_.setInterval(PortCheckMs);
  connect(&portCheck_, &QTimer::timeout, this, &DumpReceiver::checkPort);
}

DumpReceiver::~DumpReceiver() = default;

bool DumpReceiver::start(BlockSizes sizes, int quietMs) {
  if (receiving()) return false;
  end_ = End::NotStarted;
  refusal_.clear();
  if (!link_.isOpen()) {
    refusal_ = dump_text::MidiClosed;
    return false;
  }
  auto scope = std::make_unique<SessionScope>(sessions_, TransferKind::Listen);
  if (!scope->started()) {
    refusal_ = session_text::Busy;
    return false;
  }
  capture_ = std::make_unique<DumpCapture>(sizes);
  scope_ = std::move(scope);
  scope_->session().listenWith([this](std::span<const Byte> m) { hear(m); });
  quietMs_ = quietMs;
  inputName_ = link_.inputName();
  droppedBefore_ = droppedAfter_ = link_.input().DroppedCount();
  end_ = End::Running;
  portCheck_.start();
  return true;
}

void DumpReceiver::setQuietMs(int ms) {
  quietMs_ = ms;
  if (quiet_.isActive()) quiet_.start(quietMs_);
}

void DumpReceiver::hear(std::span<const Byte> message) {
  capture_->take(message);
  quiet_.start(quietMs_);
  emit messageArrived();
}

void DumpReceiver::checkPort() {
  // Closed ports, or the device is no longer listed: nothing more can come.
  const bool listed = link_.isOpen() && std::ranges::count(link_.input().DeviceNames(), inputName_) > 0;
  if (!listed) end(End::PortGone);
}

void DumpReceiver::end(End why) {
  if (!receiving()) return;
  quiet_.stop();
  portCheck_.stop();
  droppedAfter_ = link_.isOpen() ? link_.input().DroppedCount() : droppedBefore_;
  capture_->finish();
  // Messages still queued at the port come after the end: the session is gone, so they change nothing.
  scope_.reset();
  end_ = why;
  emit ended();
}

std::uint64_t DumpReceiver::lostEvents() const {
  const std::uint64_t now = receiving() && link_.isOpen() ? link_.input().DroppedCount() : droppedAfter_;
  return now - droppedBefore_;
}

std::string DumpReceiver::endText() const {
  std::string text;
  switch (end_) {
    case End::Running: text = "Receiving"; break;
    case End::Done: text = "Ended when asked"; break;
    case End::Quiet: text = "Ended after " + secondsText(quietMs_) + " without a message"; break;
    case End::PortGone: text = "The input port \"" + inputName_ + "\" went away; what arrived whole is kept"; break;
    case End::NotStarted: return refusal_;
  }
  if (const std::uint64_t lost = lostEvents(); lost > 0)
    text += "; " + std::to_string(lost) + " event(s) were lost to a full input queue";
  return text + ".";
}

}  // namespace quillon
