#pragma once
// quillon-jvsim's work: messages from the input port go to the model on the
// main thread; its answers go out, shaped by the fault-injection options.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <iosfwd>
#include <memory>
#include <mutex>

#include "midi/model/virtual_module.h"
#include "options.h"

class RtMidiIn;
class RtMidiOut;

namespace quillon::jvsim {

// Messages handed over by RtMidi's input thread. With the cable modelled, a
// message is taken only once a MIDI cable would have carried it (the cable
// carries one byte after another), and what does not fit the module's small
// receive buffer behind the messages still waiting is lost, as on the module.
class Inbox {
 public:
  void modelCable(std::size_t bufferBytes) { bufferBytes_ = bufferBytes; }
  void put(Bytes message);
  // Waits up to `timeoutMs` for a message.
  std::optional<Bytes> take(int timeoutMs);
  // Messages lost to a full buffer since the last call.
  long takeOverflows();

 private:
  using Clock = std::chrono::steady_clock;
  struct Arrival {
    Bytes message;
    Clock::time_point carried;  // when its last byte is in
  };
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<Arrival> messages_;
  std::size_t bufferBytes_ = 0;  // 0: no cable, every message at once
  std::size_t waitingBytes_ = 0;
  Clock::time_point cableFree_{};
  long overflows_ = 0;
};

// What becomes of the Nth answer.
enum class AnswerFate { Send, Drop, Corrupt };
class FaultPlan {
 public:
  FaultPlan(int dropEvery, int corruptEvery) : dropEvery_(dropEvery), corruptEvery_(corruptEvery) {}
  AnswerFate next();

 private:
  int dropEvery_;
  int corruptEvery_;
  long count_ = 0;
};

class Simulator {
 public:
  Simulator(const Options& options, std::ostream& log);
  ~Simulator();
  // Opens the ports; throws std::runtime_error with the reason.
  void open();
  // Runs until `stop` is set; a dump starts when its time comes or `dumpNow` is set.
  void run(const std::atomic<bool>& stop, const std::atomic<bool>& dumpNow);
  std::string apiName() const;
  jv::VirtualModule& module() { return module_; }

 private:
  void handle(const Bytes& message);
  void sendAnswer(Bytes answer);
  // The fault options' say over one outgoing data set: false when it is dropped.
  bool shape(Bytes& answer, const char* what);
  void sendDumpMessage(Bytes message);
  void pauseForWire(std::size_t bytes);
  void send(const Bytes& message);
  void logLine(const char* direction, const Bytes& message, const char* what);

  Options options_;
  std::ostream& log_;
  jv::VirtualModule module_;
  FaultPlan faults_;
  long dataSets_ = 0;  // data sets received, for --lose-every
  bool notePlayed_ = false;
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
  Inbox inbox_;
  std::unique_ptr<RtMidiIn> in_;
  std::unique_ptr<RtMidiOut> out_;
};

// The ports as RtMidi lists them to other programs on JACK.
std::string jackInputPortName(const std::string& name);
std::string jackOutputPortName(const std::string& name);

}  // namespace quillon::jvsim
