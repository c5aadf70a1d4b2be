#include "midi/module_finder.h"

#include <algorithm>

#include "midi/event_wait.h"
#include "midi/midi_ports.h"

namespace quillon {

namespace {
// Long enough for any answer; a flooding input loses events, never the search.
constexpr int FinderSysexBufferSize = 1024;
constexpr int FinderSysexBufferCount = 32;

bool listed(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}
}  // namespace

ModuleFinder::ModuleFinder(TransferSessions& sessions, midi::MidiBackend& backend, QObject* parent)
    : QObject(parent), sessions_(sessions), backend_(backend) {}

ModuleFinder::~ModuleFinder() { closeAll(); }

void ModuleFinder::cancel() {
  if (!running_) return;
  cancelled_ = true;
  search_->cancel();
  endWaitsEarly();
}

bool ModuleFinder::run(int sysDly, std::optional<int> onlyOutput, bool askIdentity) {
  if (running_) return false;
  // A session of its own: no other transfer starts, and the editing windows send nothing meanwhile.
  SessionScope scope(sessions_, TransferKind::FindModule);
  if (!scope.started()) return false;
  search_ = std::make_unique<ModuleSearch>(backend_.outputNames(), backend_.inputNames(), onlyOutput);
  running_ = true;
  cancelled_ = false;
  openInputs();
  const std::vector<SearchProbe>& probes = search_->probes();
  const int total = static_cast<int>(probes.size());
  std::unique_ptr<MidiOutputPort> out;
  int current = -1;
  for (int i = 0; i < total && !cancelled_; ++i) {
    const SearchProbe& p = probes[static_cast<std::size_t>(i)];
    if (p.output != current) {
      out.reset();
      current = p.output;
      out = openOutput(current);
      if (out && askIdentity && send(*out, current, module_search::IdentityRequest, 0)) waitInEventLoop(sysDly);
    }
    emit progress(i, total, QString::fromStdString(search_->outputName(current)));
    if (!out || !search_->outputUsable(current)) continue;
    if (send(*out, current, ModuleSearch::requestFor(p.unitId), p.unitId)) waitInEventLoop(sysDly);
  }
  out.reset();
  if (!cancelled_) waitInEventLoop(LateAnswerMs);
  emit progress(total, total, {});
  // Ports that went while it ran heard nothing more; say so.
  const auto outputs = backend_.outputNames();
  for (int o : search_->outputsAsked())
    if (!listed(outputs, search_->outputName(o))) search_->outputFailed(o, "it went away during the search");
  const auto inputs = backend_.inputNames();
  for (std::size_t i = 0; i < inputs_.size(); ++i) {
    if (!inputs_[i]) continue;
    drain(static_cast<int>(i));
    if (!listed(inputs, search_->inputName(static_cast<int>(i))))
      search_->inputFailed(static_cast<int>(i), "it went away during the search");
    search_->inputLost(static_cast<int>(i), inputs_[i]->DroppedCount());
  }
  closeAll();
  running_ = false;
  return true;
}

void ModuleFinder::openInputs() {
  inputs_.clear();
  const auto names = backend_.inputNames();
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (ModuleSearch::isProgramPort(names[i])) {
      inputs_.push_back(nullptr);
      continue;
    }
    auto port = std::make_unique<MidiInputPort>(backend_);
    try {
      port->SetProductName(names[i]);
      port->SetSysexBufferSize(FinderSysexBufferSize);
      port->SetSysexBufferCount(FinderSysexBufferCount);
      port->Open();
      port->Start();
    } catch (const std::exception& e) {
      search_->inputFailed(static_cast<int>(i), e.what());
      inputs_.push_back(nullptr);
      continue;
    }
    const int input = static_cast<int>(i);
    connect(port.get(), &MidiInputPort::OnMidiInput, this, [this, input] { drain(input); });
    inputs_.push_back(std::move(port));
  }
}

void ModuleFinder::drain(int input) {
  MidiInputPort* port = inputs_.at(static_cast<std::size_t>(input)).get();
  if (!port || !search_) return;
  while (auto event = port->TakeEvent()) {
    if (event->isSysex()) {
      search_->hear(input, event->SysexData);
      continue;
    }
    const Bytes bytes{event->StatusByte, event->DataByte1, event->DataByte2};
    const auto length = static_cast<std::size_t>(std::max(1, midi::shortMessageLength(event->StatusByte)));
    search_->hear(input, std::span<const Byte>(bytes).first(std::min(length, bytes.size())));
  }
}

std::unique_ptr<MidiOutputPort> ModuleFinder::openOutput(int output) {
  auto port = std::make_unique<MidiOutputPort>(backend_);
  try {
    // By name: the ports this search opened are in the lists now, and numbers have moved.
    port->SetProductName(search_->outputName(output));
    port->SetSilenceOnClose(false);
    port->Open();
  } catch (const std::exception& e) {
    search_->outputFailed(output, e.what());
    return nullptr;
  }
  connect(port.get(), &MidiOutputPort::OnLost, this,
          [this, output](const QString& why) { search_->outputFailed(output, why.toStdString()); });
  return port;
}

bool ModuleFinder::send(MidiOutputPort& port, int output, std::span<const Byte> message, int unitId) {
  if (!search_->outputUsable(output)) return false;
  try {
    port.SendLongMessage(message);
  } catch (const std::exception& e) {
    search_->outputFailed(output, e.what());
    return false;
  }
  search_->sent(output, message, unitId);
  return true;
}

void ModuleFinder::closeAll() {
  // Closed ports hear nothing more; their queues go with them.
  inputs_.clear();
}

}  // namespace quillon
