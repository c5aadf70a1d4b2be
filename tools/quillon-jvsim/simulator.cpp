#include "simulator.h"

#include <RtMidi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iomanip>
#include <iterator>
#include <ostream>
#include <stdexcept>
#include <thread>
#include <utility>

#include "engine/midi_message.h"
#include "midi/rtmidi_apis.h"

namespace quillon::jvsim {

namespace {

// The module's receive buffer: a few dozen requests; a burst beyond it is lost.
constexpr std::size_t ReceiveBufferBytes = 1024;
constexpr std::size_t LoggedBytes = 16;
const std::string InPort = "in";
const std::string OutPort = "out";

const char* outcomeText(jv::Outcome outcome) {
  switch (outcome) {
    case jv::Outcome::Stored: return "stored";
    case jv::Outcome::Answered: return "answered";
    case jv::Outcome::NotForUs: return "not for this unit";
    case jv::Outcome::BadChecksum: return "bad checksum, ignored";
    case jv::Outcome::Malformed: return "ignored";
    case jv::Outcome::Unmapped: return "address not held, ignored";
    case jv::Outcome::Played: return "control change kept";
  }
  return "";
}

void onInput(double, std::vector<unsigned char>* message, void* inbox) {
  if (message && !message->empty()) static_cast<Inbox*>(inbox)->put(*message);
}

std::vector<RtMidi::Api> apisToTry(const std::string& name) {
  if (name.empty()) return midi::preferredRtMidiApis();
  const auto api = midi::rtMidiApiByName(name);
  if (!api) throw std::runtime_error("unknown MIDI API " + name);
  return {*api};
}

// A clock byte after the header and an active-sensing byte before the checksum,
// where a merger may put them: MIDI lets real-time bytes into any message.
Bytes withRealTimeInside(Bytes answer) {
  constexpr Byte Clock = 0xF8;
  constexpr Byte ActiveSensing = 0xFE;
  if (answer.size() <= roland::PosData + 2) return answer;
  answer.insert(answer.end() - 2, ActiveSensing);
  answer.insert(answer.begin() + roland::PosData, Clock);
  return answer;
}

}  // namespace

void Inbox::put(Bytes message) {
  {
    std::lock_guard lock(mutex_);
    Clock::time_point carried = Clock::now();
    if (bufferBytes_ > 0) {
      if (waitingBytes_ + message.size() > bufferBytes_) {
        ++overflows_;
        return;
      }
      // Bytes written faster than the cable carries them queue on the cable.
      carried = std::max(carried, cableFree_) + std::chrono::microseconds(midi_wire::microseconds(message.size()));
      cableFree_ = carried;
      waitingBytes_ += message.size();
    }
    messages_.push_back({std::move(message), carried});
  }
  ready_.notify_one();
}

std::optional<Bytes> Inbox::take(int timeoutMs) {
  std::unique_lock lock(mutex_);
  if (!ready_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !messages_.empty(); }))
    return std::nullopt;
  const Clock::time_point carried = messages_.front().carried;
  lock.unlock();
  std::this_thread::sleep_until(carried);
  lock.lock();
  Bytes message = std::move(messages_.front().message);
  messages_.pop_front();
  waitingBytes_ -= bufferBytes_ > 0 ? message.size() : 0;
  return message;
}

long Inbox::takeOverflows() {
  std::lock_guard lock(mutex_);
  return std::exchange(overflows_, 0);
}

AnswerFate FaultPlan::next() {
  ++count_;
  if (dropEvery_ > 0 && count_ % dropEvery_ == 0) return AnswerFate::Drop;
  if (corruptEvery_ > 0 && count_ % corruptEvery_ == 0) return AnswerFate::Corrupt;
  return AnswerFate::Send;
}

std::string jackInputPortName(const std::string& name) { return name + "-in:" + InPort; }
std::string jackOutputPortName(const std::string& name) { return name + "-out:" + OutPort; }

Simulator::Simulator(const Options& options, std::ostream& log)
    : options_(options),
      log_(log),
      module_(options.type, options.unitId),
      faults_(options.dropEvery, options.corruptEvery) {
  if (options_.wireSpeed) inbox_.modelCable(ReceiveBufferBytes);
}

Simulator::~Simulator() = default;

void Simulator::open() {
  std::string reasons;
  for (RtMidi::Api api : apisToTry(options_.api)) {
    try {
      auto in = std::make_unique<RtMidiIn>(api, options_.name + "-in");
      auto out = std::make_unique<RtMidiOut>(api, options_.name + "-out");
      in->ignoreTypes(false, false, false);
      in->setCallback(&onInput, &inbox_);
      in->openVirtualPort(InPort);
      out->openVirtualPort(OutPort);
      in_ = std::move(in);
      out_ = std::move(out);
      return;
    } catch (const RtMidiError& e) {
      reasons += "\n  " + midi::rtMidiApiName(api) + ": " + e.getMessage();
    }
  }
  throw std::runtime_error("no MIDI API could open ports:" + reasons);
}

std::string Simulator::apiName() const { return in_ ? midi::rtMidiApiName(in_->getCurrentApi()) : ""; }

void Simulator::run(const std::atomic<bool>& stop, const std::atomic<bool>& dumpNow) {
  constexpr int PollMs = 50;  // how soon a signal is noticed
  std::vector<Bytes> dump;
  for (const jv::DumpArea area : options_.dumpAreas) {
    auto messages = module_.bulkDump(area);
    std::move(messages.begin(), messages.end(), std::back_inserter(dump));
  }
  const auto dumpAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(options_.dumpAfterMs);
  std::size_t dumped = 0;
  while (!stop.load()) {
    // Requests are still answered between the messages of a dump.
    const bool dumping = dumped < dump.size() && (dumpNow.load() || std::chrono::steady_clock::now() >= dumpAt);
    if (dumping) {
      sendDumpMessage(std::move(dump[dumped++]));
      if (dumped == dump.size()) log_ << "dump sent: " << dumped << " messages" << std::endl;
    }
    if (auto message = inbox_.take(dumping ? 0 : PollMs)) handle(*message);
    if (const long lost = inbox_.takeOverflows(); lost > 0)
      log_ << "receive buffer full: " << lost << (lost == 1 ? " message" : " messages") << " lost" << std::endl;
  }
}

void Simulator::sendDumpMessage(Bytes message) {
  if (!shape(message, "dump")) return;
  send(message);
  pauseForWire(message.size());
}

void Simulator::pauseForWire(std::size_t bytes) {
  std::this_thread::sleep_for(std::chrono::microseconds(midi_wire::microseconds(bytes)));
}

bool Simulator::shape(Bytes& answer, const char* what) {
  switch (faults_.next()) {
    case AnswerFate::Drop: logLine("out", answer, "dropped"); return false;
    case AnswerFate::Corrupt:
      answer[answer.size() - 2] ^= 1;  // the checksum byte
      logLine("out", answer, "corrupted");
      return true;
    case AnswerFate::Send: logLine("out", answer, what); return true;
  }
  return true;
}

void Simulator::handle(const Bytes& message) {
  if (options_.echo) send(message);
  const bool isDataSet = message.size() > roland::PosCommand && message.front() == midi_byte::SysexStart &&
                         message[roland::PosCommand] == roland::CommandDT1;
  if (isDataSet && options_.loseEvery > 0 && ++dataSets_ % options_.loseEvery == 0) {
    logLine("in ", message, "lost");
    return;
  }
  jv::Reply reply = module_.receive(message);
  logLine("in ", message, message.front() == midi_byte::SysexStart ? outcomeText(reply.outcome) : "short message");
  if (options_.silent) return;
  for (Bytes& answer : reply.answers) sendAnswer(std::move(answer));
}

void Simulator::sendAnswer(Bytes answer) {
  if (options_.playNote && !notePlayed_) {
    constexpr Byte Note = 0x3C;
    constexpr Byte Velocity = 0x40;
    const Bytes noteOn{status::NoteOn, Note, Velocity};
    logLine("out", noteOn, "note played");
    send(noteOn);
    notePlayed_ = true;
  }
  if (!shape(answer, "answer")) return;
  if (options_.clockInside) answer = withRealTimeInside(std::move(answer));
  if (options_.replyDelayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(options_.replyDelayMs));
  // The answer is whole at the other end only once the cable has carried it.
  if (options_.wireSpeed) pauseForWire(answer.size());
  send(answer);
}

void Simulator::send(const Bytes& message) {
  try {
    out_->sendMessage(message.data(), message.size());
  } catch (const RtMidiError& e) {
    log_ << "quillon-jvsim: send failed: " << e.getMessage() << std::endl;
  }
}

void Simulator::logLine(const char* direction, const Bytes& message, const char* what) {
  if (!options_.verbose) return;
  char hex[4];
  std::string bytes;
  for (std::size_t i = 0; i < message.size() && i < LoggedBytes; ++i) {
    std::snprintf(hex, sizeof hex, "%02X ", message[i]);
    bytes += hex;
  }
  if (message.size() > LoggedBytes) bytes += "... ";
  // The time (ms since the start) lets a test measure the gaps between messages.
  const auto since = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started_).count();
  log_ << direction << ' ' << message.size() << " bytes: " << bytes << "(" << what << ") at " << std::fixed
       << std::setprecision(1) << since << " ms" << std::defaultfloat << std::endl;
}

}  // namespace quillon::jvsim
