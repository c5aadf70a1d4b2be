#pragma once
// The one road to the module: data sets mirrored into the store and logged,
// data requests that start the response timer, channel messages and the test
// note. Nothing here waits; callers pace themselves with WaitMs.

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "engine/engine_settings.h"
#include "engine/host.h"
#include "engine/message_log.h"
#include "engine/store.h"
#include "engine/transfer_session.h"

namespace quillon {

namespace sender_text {
inline constexpr const char* SendMidiClosed = "Stuur Sys WR Midi Closed";
inline constexpr const char* RequestMidiClosed = "RQ sys Midi Closed ";
inline constexpr const char* FastFallback =
    "The module missed an answer at full speed; the rest of this transfer is paced by the delay setting.";
}  // namespace sender_text

inline constexpr std::size_t SentLogLineLength = 250;  // line 1 grows while shorter
inline constexpr int ResponseTimeoutMs = 1500;         // a module silent this long after a request is not answering
inline constexpr int LastAnswerGraceMs = 500;          // far above a round trip, well below the response timeout
inline constexpr int ChordIntervals[] = {0, 10, 14, 15, 19};

class Sender {
 public:
  Sender(PerformanceStore& store, EngineHost& host, const EngineSettings& settings, MessageLogLines& log)
      : store_(store), host_(host), settings_(settings), log_(log) {}

  void SendSysexData(const SysexAddress& address, std::span<const Byte> data, int count);
  // The editors' call: nothing while a window fills its controls. Sends
  // SendLength bytes of `data` at the shared address buffer.
  void SendEditParameter(std::span<const Byte> data);
  // One RQ1, counted by the running session; outside a session nothing is asked.
  void RequestSysexData(const SysexAddress& address, std::uint32_t size);
  void SendShortMidi(Byte status, Byte data1, Byte data2);
  void PlayTestNote();
  // The monitor channel moves to `channel` (held in 1..16). Test notes left
  // sounding on the old channel would hang: with a note monitor every channel
  // is silenced first, once per move; staying on the channel sends nothing.
  void moveMonitorChannel(int channel);
  // All Sound Off on the 16 channels, first to last.
  void silenceAllChannels();
  void WaitMs(int ms) { host_.waitMs(ms); }
  void ShowInfo(const std::string& text) { host_.showInfo(text); }
  void DebugLine(const std::string& text) { host_.debugLine(text); }

  // The pause after each message of a sequence: SysDly from the moment the
  // cable is free again (the message itself and, after a request, its answer),
  // so that the gap the module needs survives any interface's queue.
  void pace() { host_.waitMs(wireBusyMs_ + settings_.sysDly); }
  // How long the cable is busy with the last message and its answer.
  int wireBusyMs() const { return wireBusyMs_; }

  const EngineSettings& settings() const { return settings_; }
  PerformanceStore& store() { return store_; }
  EngineHost& host() { return host_; }
  TransferSessions& sessions() { return sessions_; }
  const TransferSessions& sessions() const { return sessions_; }

 private:
  void followEditedPartChannel();
  void logSentMessage(const Bytes& message);

  PerformanceStore& store_;
  EngineHost& host_;
  const EngineSettings& settings_;
  MessageLogLines& log_;
  TransferSessions sessions_;
  int wireBusyMs_ = 0;
};

// Paces one run of requests of the running session. By default as
// Sender::pace; with fast transfers on, the wait ends as soon as the answer
// has arrived whole, and lasts no longer than the paced one. A module that
// misses an answer then is asked at the paced rhythm for the rest of the run
// (said once). Data sets are always paced (Sender::pace).
class RequestPacer {
 public:
  RequestPacer(Sender& sender, TransferSession& session)
      : sender_(sender), session_(session), fast_(sender.settings().fastTransfers) {}
  void afterRequest();
  // At the end of a run: answers may still be on their way (the next
  // request's wait would have taken them in). While nothing came at all, the
  // response timer decides (a slow link is no silent module); then it waits
  // while answers keep coming, with the timer stopped, so that a lost answer is
  // counted as lost, not reported as a silent module. `done` says when nothing
  // is awaited any more; by default the last request's answer.
  void awaitLastAnswer(const std::function<bool()>& done = {});

 private:
  Sender& sender_;
  TransferSession& session_;
  bool fast_;
};

// " F0 41 ..." : a blank and two upper-case hex digits per byte.
std::string sentLogText(std::span<const Byte> bytes);

}  // namespace quillon
