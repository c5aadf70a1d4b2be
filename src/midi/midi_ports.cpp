#include "midi/midi_ports.h"

#include <QMetaMethod>
#include <QMetaObject>

#include <algorithm>
#include <array>

namespace quillon {

namespace {

// Runs a backend call and raises its failure as the port's own exception.
template <typename Error, typename F>
auto onPlatform(F&& call) {
  try {
    return call();
  } catch (const midi::MidiBackendError& e) {
    throw Error(e.what());
  }
}

// Device number of `name` in `names`, if any.
std::optional<std::size_t> indexOf(const std::vector<std::string>& names, const std::string& name) {
  const auto it = std::find(names.begin(), names.end(), name);
  if (it == names.end()) return std::nullopt;
  return static_cast<std::size_t>(it - names.begin());
}

// Device lists may change between choosing a device and opening it; the name
// is what the user chose, so it wins over a number that now means another device.
template <typename Error>
std::uint16_t currentDeviceNumber(const std::vector<std::string>& names, std::uint16_t id, const std::string& name,
                                  const std::string& notInstalled) {
  if (name.empty() || (id < names.size() && names[id] == name)) return id;
  if (auto found = indexOf(names, name)) return static_cast<std::uint16_t>(*found);
  throw Error(notInstalled);
}

constexpr const char* WhileOpenDeviceID = "Change to DeviceID while device was open";
constexpr const char* WhileOpenProductName = "Change to ProductName while device was open";
constexpr const char* OutputNotOpen = "MIDI Output device not open";

std::string outputNotInstalled(const std::string& name) { return "MIDI output Device " + name + " not installed"; }
std::string inputNotInstalled(const std::string& name) { return "MIDI Input Device " + name + " not installed "; }

}  // namespace

// ---------------------------------------------------------------- MidiOutputPort

MidiOutputPort::MidiOutputPort(QObject* parent) : MidiOutputPort(midi::systemMidiBackend(), parent) {}

MidiOutputPort::MidiOutputPort(midi::MidiBackend& backend, QObject* parent) : QObject(parent), backend_(backend) {
  setObjectName(QStringLiteral("TMidiOutput"));
}

MidiOutputPort::~MidiOutputPort() { Close(); }

int MidiOutputPort::DeviceCount() const {
  return static_cast<int>(onPlatform<EmidioutputError>([&] { return backend_.outputNames(); }).size());
}

void MidiOutputPort::SetDeviceID(std::uint16_t id) {
  if (IsOpen()) throw EmidioutputError(WhileOpenDeviceID);
  const auto names = onPlatform<EmidioutputError>([&] { return backend_.outputNamesFor(std::size_t{id}); });
  if (id >= names.size()) throw EmidioutputError("Midi-Out Invalid ID: " + std::to_string(id));
  deviceId_ = id;
  productName_ = names[id];
}

void MidiOutputPort::SetProductName(const std::string& name) {
  if (IsOpen()) throw EmidioutputError(WhileOpenProductName);
  const auto names = onPlatform<EmidioutputError>([&] { return backend_.outputNamesFor(name); });
  const auto found = indexOf(names, name);
  if (!found) throw EmidioutputError(outputNotInstalled(name));
  deviceId_ = static_cast<std::uint16_t>(*found);
  productName_ = name;
}

void MidiOutputPort::Open() {
  if (IsOpen()) return;
  const auto names = onPlatform<EmidioutputError>([&] { return backend_.outputNamesFor(productName_); });
  const std::uint16_t id =
      currentDeviceNumber<EmidioutputError>(names, deviceId_, productName_, outputNotInstalled(productName_));
  if (id >= names.size()) throw EmidioutputError("Midi-Out Invalid ID: " + std::to_string(id));
  connection_ = onPlatform<EmidioutputError>([&] { return backend_.openOutput(id, names[id]); });
  failed_ = false;
  // Told on the backend's thread; the GUI thread hears of it while the port lives.
  connection_->setLostHandler([this](const std::string& why) {
    QMetaObject::invokeMethod(
        this,
        [this, text = QString::fromStdString(why)] {
          if (IsOpen()) emit OnLost(text);
        },
        Qt::QueuedConnection);
  });
  deviceId_ = id;
  productName_ = names[id];
}

void MidiOutputPort::Close() {
  if (!connection_) return;
  if (!failed_ && silenceOnClose_) silenceAllChannels();
  connection_.reset();
}

void MidiOutputPort::silenceAllChannels() {
  for (int channel = 1; channel <= MidiChannels; ++channel) {
    for (const Byte number : {controller::AllNotesOff, controller::AllSoundOff}) {
      const std::array<Byte, 3> message{onChannel(status::ControlChange, channel), number, 0};
      try {
        connection_->send(message);
      } catch (const midi::MidiBackendError&) {
        return;  // a device that is gone has nothing left sounding
      }
    }
  }
}

void MidiOutputPort::send(std::span<const Byte> bytes) {
  if (!IsOpen()) throw EmidioutputError(OutputNotOpen);
  try {
    connection_->send(bytes);
  } catch (const midi::MidiBackendError& e) {
    failed_ = true;
    throw EmidioutputError(e.what());
  }
}

void MidiOutputPort::SendShortMessage(Byte status, Byte data1, Byte data2) {
  const std::array<Byte, 3> bytes{status, data1, data2};
  send(std::span<const Byte>(bytes).first(static_cast<std::size_t>(midi::shortMessageLength(status))));
}

void MidiOutputPort::SendLongMessage(const Byte* buffer, std::uint16_t length) {
  SendLongMessage(std::span<const Byte>(buffer, length));
}

void MidiOutputPort::SendLongMessage(std::span<const Byte> message) {
  send(message);
  // The bytes are copied by the backend; tell listeners once the loop runs,
  // as the platform's completion notice would.
  QMetaObject::invokeMethod(this, &MidiOutputPort::Onmidioutput, Qt::QueuedConnection);
}

void MidiOutputPort::SendEvent(const TMyMidiEvent& event) {
  if (!IsOpen()) throw EmidioutputError(OutputNotOpen);
  if (event.isSysex())
    SendLongMessage(
        std::span<const Byte>(event.SysexData).first(std::min<std::size_t>(event.SysexSize, event.SysexData.size())));
  else
    SendShortMessage(event.StatusByte, event.DataByte1, event.DataByte2);
}

// ----------------------------------------------------------------- MidiInputPort

MidiInputPort::MidiInputPort(QObject* parent) : MidiInputPort(midi::systemMidiBackend(), parent) {}

MidiInputPort::MidiInputPort(midi::MidiBackend& backend, QObject* parent) : QObject(parent), backend_(backend) {
  setObjectName(QStringLiteral("TMidiInput"));
  SetDeviceID(0);
}

MidiInputPort::~MidiInputPort() { Close(); }

int MidiInputPort::DeviceCount() const {
  return static_cast<int>(onPlatform<EMidiInputError>([&] { return backend_.inputNames(); }).size());
}

void MidiInputPort::SetDeviceID(std::uint16_t id) {
  if (IsOpen()) throw EMidiInputError(WhileOpenDeviceID);
  const auto names = onPlatform<EMidiInputError>([&] { return backend_.inputNamesFor(std::size_t{id}); });
  if (id >= names.size()) throw EMidiInputError("Midi-In device Invalid:" + std::to_string(id));
  deviceId_ = id;
  productName_ = names[id];
}

void MidiInputPort::SetProductName(const std::string& name) {
  if (IsOpen()) throw EMidiInputError(WhileOpenProductName);
  const auto names = onPlatform<EMidiInputError>([&] { return backend_.inputNamesFor(name); });
  const auto found = indexOf(names, name);
  if (!found) throw EMidiInputError(inputNotInstalled(name));
  deviceId_ = static_cast<std::uint16_t>(*found);
  productName_ = name;
}

void MidiInputPort::SetSysexBufferSize(int bytes) {
  if (IsOpen()) throw EMidiInputError("Change to SysexBufferSize while device was open");
  sysexBufferSize_ = std::max(bytes, 1);
}

void MidiInputPort::SetSysexBufferCount(int count) {
  if (IsOpen()) throw EMidiInputError("Change to SysexBuffercount while device was open");
  sysexBufferCount_ = std::max(count, 1);
}

void MidiInputPort::Open() {
  if (IsOpen()) return;
  const auto names = onPlatform<EMidiInputError>([&] { return backend_.inputNamesFor(productName_); });
  const std::uint16_t id =
      currentDeviceNumber<EMidiInputError>(names, deviceId_, productName_, inputNotInstalled(productName_));
  if (id >= names.size()) throw EMidiInputError("Midi-In device Invalid:" + std::to_string(id));

  queue_ = std::make_unique<midi::SpscRing<Record>>(static_cast<std::size_t>(capacity_));
  sysexBuffers_.assign(static_cast<std::size_t>(sysexBufferCount_), Bytes(static_cast<std::size_t>(sysexBufferSize_)));
  freeBuffers_ = std::make_unique<midi::SpscRing<std::int32_t>>(sysexBuffers_.size());
  for (std::int32_t i = 0; i < sysexBufferCount_; ++i) freeBuffers_->push(i);
  dropped_ = 0;
  started_ = false;
  inputNotified_ = false;
  overflowNotified_ = false;
  try {
    connection_ = onPlatform<EMidiInputError>([&] {
      return backend_.openInput(id, names[id], [this](std::span<const Byte> message) { received(message); });
    });
  } catch (...) {
    Close();
    throw;
  }
  deviceId_ = id;
  productName_ = names[id];
}

void MidiInputPort::Close() {
  started_ = false;
  connection_.reset();  // no callback runs after this
  queue_.reset();
  freeBuffers_.reset();
  sysexBuffers_.clear();
}

void MidiInputPort::Start() {
  if (!IsOpen()) return;
  startTicks_.store(Clock::now().time_since_epoch().count(), std::memory_order_relaxed);
  started_.store(true, std::memory_order_release);
}

void MidiInputPort::Stop() { started_.store(false, std::memory_order_release); }

int MidiInputPort::PendingCount() const { return queue_ ? static_cast<int>(queue_->size()) : 0; }

std::optional<TMyMidiEvent> MidiInputPort::TakeEvent() {
  Record record;
  if (!queue_ || !queue_->pop(record)) return std::nullopt;
  ++taken_;
  TMyMidiEvent event;
  event.TimeStamp = record.timeStamp;
  if (record.sysexBuffer == NoBuffer) {
    event.StatusByte = midi::packedStatus(record.shortMessage);
    event.DataByte1 = midi::packedData1(record.shortMessage);
    event.DataByte2 = midi::packedData2(record.shortMessage);
    return event;
  }
  const Bytes& buffer = sysexBuffers_[static_cast<std::size_t>(record.sysexBuffer)];
  event.StatusByte = midi_byte::SysexStart;
  event.SysexSize = record.sysexLength;
  event.SysexData.assign(buffer.begin(), buffer.begin() + record.sysexLength);
  freeBuffers_->push(record.sysexBuffer);  // the buffer serves the next message
  return event;
}

// Backend thread from here to deliverInput.

std::uint32_t MidiInputPort::elapsedMs() const {
  const Clock::duration since(Clock::now().time_since_epoch().count() - startTicks_.load(std::memory_order_relaxed));
  return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

void MidiInputPort::received(std::span<const Byte> message) {
  if (!started_.load(std::memory_order_acquire) || message.empty()) return;
  const std::uint32_t time = elapsedMs();
  std::uint64_t lost = 0;
  bool queued = false;
  const auto count = [&](bool ok, std::uint64_t lostIfNot) {
    queued = queued || ok;
    if (!ok) lost += lostIfNot;
  };
  if (message.front() == midi_byte::SysexStart) {
    // Real-time bytes inside are events of their own, at the moment they came:
    // before the message they interrupted ends.
    for (const Byte b : message)
      if (midi_byte::isRealTime(b) && !sysexOnly_.load(std::memory_order_relaxed))
        count(queueShort(std::span(&b, 1), time), 1);
    const std::uint64_t chunksLost = queueSysexWithoutRealTime(message, time);
    count(chunksLost == 0, chunksLost);
  } else if (!sysexOnly_.load(std::memory_order_relaxed)) {
    count(queueShort(message, time), 1);
  }
  if (queued) notifyInput();
  if (lost > 0) {
    dropped_.fetch_add(lost, std::memory_order_relaxed);
    notifyOverflow();
  }
}

// A message longer than one buffer goes as several buffer-sized events.
// Returns how many of them were lost to a full queue or no free buffer.
std::uint64_t MidiInputPort::queueSysexWithoutRealTime(std::span<const Byte> message, std::uint32_t time) {
  const std::size_t capacity = sysexBuffers_.front().size();
  std::size_t kept = 0;
  for (const Byte b : message) kept += midi_byte::isRealTime(b) ? 0 : 1;
  const std::uint64_t chunks = (kept + capacity - 1) / capacity;
  std::size_t next = 0;  // position in `message`
  for (std::uint64_t chunk = 0; chunk < chunks; ++chunk) {
    // Only this thread pushes, so a ring that is not full now still has room below.
    std::int32_t buffer = NoBuffer;
    if (queue_->full() || !freeBuffers_->pop(buffer)) return chunks - chunk;
    Bytes& into = sysexBuffers_[static_cast<std::size_t>(buffer)];
    std::size_t length = 0;
    for (; next < message.size() && length < capacity; ++next)
      if (!midi_byte::isRealTime(message[next])) into[length++] = message[next];
    queue_->push(Record{time, 0, buffer, static_cast<std::uint16_t>(length)});
  }
  return 0;
}

bool MidiInputPort::queueShort(std::span<const Byte> message, std::uint32_t time) {
  const auto at = [&](std::size_t i) { return i < message.size() ? message[i] : Byte{0}; };
  return queue_->push(Record{time, midi::packShortMessage(at(0), at(1), at(2)), NoBuffer, 0});
}

void MidiInputPort::notifyInput() {
  // One notification in flight is enough: its handler drains the queue and
  // asks again while events remain.
  if (!inputNotified_.exchange(true, std::memory_order_acq_rel))
    QMetaObject::invokeMethod(this, &MidiInputPort::deliverInput, Qt::QueuedConnection);
}

void MidiInputPort::notifyOverflow() {
  if (!overflowNotified_.exchange(true, std::memory_order_acq_rel))
    QMetaObject::invokeMethod(this, &MidiInputPort::deliverOverflow, Qt::QueuedConnection);
}

// GUI thread.

bool MidiInputPort::hasInputHandler() const {
  return isSignalConnected(QMetaMethod::fromSignal(&MidiInputPort::OnMidiInput));
}

void MidiInputPort::deliverInput() {
  inputNotified_.store(false, std::memory_order_release);
  if (!IsOpen() || PendingCount() == 0 || !hasInputHandler()) return;
  const std::uint64_t takenBefore = taken_;
  emit OnMidiInput();
  // A handler may stop early; what it left must not wait for the next event.
  // One that took nothing is not ready: asking again at once would only spin,
  // so the next arriving event asks instead.
  if (IsOpen() && PendingCount() > 0 && taken_ != takenBefore) notifyInput();
}

void MidiInputPort::deliverOverflow() {
  overflowNotified_.store(false, std::memory_order_release);
  if (IsOpen()) emit OnOverflow();
}

}  // namespace quillon
