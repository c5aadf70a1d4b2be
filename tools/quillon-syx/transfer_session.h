#pragma once
// What the module transfers of quillon-syx share: the console host, the
// options, and the engine wired to two ports.

#include <QTimer>

#include <algorithm>
#include <functional>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/bank_transfer.h"
#include "engine/incoming.h"
#include "engine/temp_transfer.h"
#include "midi/event_wait.h"
#include "midi/module_link.h"

namespace quillon::cli {

// The engine's host without windows: messages go to stderr, the log stays off,
// and the response timer is a plain Qt timer. MIDI thru stays off: a tool has
// no keyboard to pass on, and in a MIDI loop every message would bounce back.
class ConsoleHost : public BasicHost {
 public:
  ConsoleHost() {
    setMidiThru(false);
    responseTimer_.setInterval(ResponseTimeoutMs);
    responseTimer_.setSingleShot(true);
    QObject::connect(&responseTimer_, &QTimer::timeout, [this] {
      if (onTimeout_) onTimeout_();
    });
  }
  void attach(ModuleLink& link) { link_ = &link; }
  void onResponseTimeout(std::function<void()> f) { onTimeout_ = std::move(f); }

  void showInfo(const std::string& text) override {
    std::string shown = text;
    std::replace(shown.begin(), shown.end(), '\r', '\n');
    std::cerr << shown << '\n';
    if (text.find(transfer_text::NotResponding) != std::string::npos) ++timeoutsShown_;
  }
  void appendLogLine(LogMemo, const std::string&) override {}
  void clearLog(LogMemo) override {}
  void debugLine(const std::string&) override {}
  void transferNote(const std::string& text) override { std::cerr << text << '\n'; }
  void lightOut(LedColour) override {}
  void lightIn(LedColour) override {}
  void showShortMessage(Byte, Byte, Byte) override {}
  void startResponseTimer() override {
    if (!responseTimer_.isActive()) responseTimer_.start();
  }
  void stopResponseTimer() override { responseTimer_.stop(); }
  // A transfer whose ports were lost ends at its next wait, with why, as a
  // failed send ends it: the command's error.
  void waitMs(int ms) override {
    waitInEventLoop(ms);
    throwIfLost();
  }
  void waitMsUntil(int ms, const std::function<bool()>& done) override {
    waitInEventLoopUntil(ms, done);
    throwIfLost();
  }
  void endWaitEarly() override { endWaitsEarly(); }
  void portsLost(std::string why) { lost_ = std::move(why); }
  std::string moduleOutputName() const override { return link_ ? link_->outputName() : std::string(); }
  std::string moduleInputName() const override { return link_ ? link_->inputName() : std::string(); }
  void sendLong(std::span<const Byte> message) override { link_->sendLong(message); }
  void sendShort(Byte status, Byte data1, Byte data2) override { link_->sendShort(status, data1, data2); }

  bool responseTimerRunning() const { return responseTimer_.isActive(); }
  int timeoutsShown() const { return timeoutsShown_; }

 private:
  void throwIfLost() const {
    if (!lost_.empty()) throw std::runtime_error("the MIDI ports were closed: " + lost_);
  }

  ModuleLink* link_ = nullptr;
  QTimer responseTimer_;
  std::function<void()> onTimeout_;
  int timeoutsShown_ = 0;
  std::string lost_;
};

struct TransferOptions {
  std::string in, out;
  std::optional<int> unitId;
  std::optional<ModuleType> type;
  std::optional<int> delay;
  bool verify = false;
  std::optional<bool> fast;  // --fast or --paced; else the settings say
  std::optional<BankArea> bank;
  std::optional<int> slot;
  std::string iniFolder;      // get-names --write-ini
  std::optional<int> idleMs;  // receive --idle
  std::vector<std::string> positional;
};

// Options and positional arguments after the command; an error text on failure.
std::string parseTransferOptions(const std::vector<std::string>& args, TransferOptions& o);
// The settings' values under the options given on the command line.
EngineSettings engineSettings(const TransferOptions& o);

// The engine wired to the two ports the options name.
class Session {
 public:
  explicit Session(const EngineSettings& settings)
      : settings_(settings),
        log_(host_),
        sender_(store_, host_, settings_, log_),
        incoming_(store_, host_, sender_, log_),
        link_(store_, incoming_),
        transfer_(sender_, host_),
        bank_(sender_, host_) {
    store_.LogEnabled = false;
    host_.attach(link_);
    host_.onResponseTimeout([this] { runningTransferTimedOut(sender_, view_); });
    QObject::connect(&link_, &ModuleLink::portsLost, [this](const QString& why) {
      host_.portsLost(why.toStdString());
      cancelRunningTransfer(sender_);
    });
  }

  // "" or why the ports could not be opened.
  std::string open(const TransferOptions& o);
  // The input alone, for listening: "" or why it could not be opened.
  std::string openInput(const TransferOptions& o);
  // The response timer may still run when the last request went unanswered:
  // let it decide before the program ends, as the windows would.
  void settle();

  PerformanceStore& store() { return store_; }
  TempTransfer& transfer() { return transfer_; }
  BankTransfer& bank() { return bank_; }
  const EngineSettings& settings() const { return settings_; }
  const IncomingHandler& incoming() const { return incoming_; }
  TransferView& view() { return view_; }
  ModuleLink& link() { return link_; }
  TransferSessions& sessions() { return sender_.sessions(); }
  ConsoleHost& host() { return host_; }

 private:
  EngineSettings settings_;
  PerformanceStore store_;
  ConsoleHost host_;
  MessageLogLines log_;
  Sender sender_;
  IncomingHandler incoming_;
  ModuleLink link_;
  TempTransfer transfer_;
  BankTransfer bank_;
  TransferView view_;
};
// Says how many incoming messages were no data for us, and the last reason.
void reportIgnored(const Session& session);

}  // namespace quillon::cli
