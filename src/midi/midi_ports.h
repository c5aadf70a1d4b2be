#pragma once
// The MIDI port classes: MidiOutputPort sends to the module, MidiInputPort receives
// from it and hands each event to the GUI thread. Both wrap one device of a
// MidiBackend; by default the process's devices (device 0 is the virtual module).

#include <QObject>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "midi/midi_backend.h"
#include "midi/midi_event.h"
#include "midi/spsc_ring.h"

namespace quillon {

class EmidioutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class EMidiInputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class MidiOutputPort : public QObject {
  Q_OBJECT

 public:
  explicit MidiOutputPort(QObject* parent = nullptr);
  explicit MidiOutputPort(midi::MidiBackend& backend, QObject* parent = nullptr);
  ~MidiOutputPort() override;

  std::uint16_t DeviceID() const { return deviceId_; }
  void SetDeviceID(std::uint16_t id);
  const std::string& ProductName() const { return productName_; }
  void SetProductName(const std::string& name);
  // The backend's current list; devices come and go while the program runs.
  int DeviceCount() const;
  std::vector<std::string> DeviceNames() const { return backend_.outputNames(); }

  void Open();
  // Silences all 16 channels first, as the platform's reset would: a note
  // still sounding is never left behind by a closed port.
  void Close();
  bool IsOpen() const { return connection_ != nullptr; }
  // Off: closing sends nothing (a port that may only carry requests).
  void SetSilenceOnClose(bool on) { silenceOnClose_ = on; }

  void SendShortMessage(Byte status, Byte data1, Byte data2);
  void SendLongMessage(const Byte* buffer, std::uint16_t length);
  void SendLongMessage(std::span<const Byte> message);
  void SendEvent(const TMyMidiEvent& event);

 signals:
  // A long message has been handed to the device.
  void Onmidioutput();
  // The connection is lost for good (the MIDI server shut down); the port is
  // still open and every send fails until it is closed.
  void OnLost(const QString& why);

 private:
  void send(std::span<const Byte> bytes);
  void silenceAllChannels();

  midi::MidiBackend& backend_;
  std::uint16_t deviceId_ = 0;
  std::string productName_;
  std::unique_ptr<midi::OutputConnection> connection_;
  // A send failed: closing does not try to silence a device that takes nothing.
  bool failed_ = false;
  bool silenceOnClose_ = true;
};

class MidiInputPort : public QObject {
  Q_OBJECT

 public:
  static constexpr int DefaultCapacity = 1024;
  static constexpr int DefaultSysexBufferSize = 4096;
  static constexpr int DefaultSysexBufferCount = 16;

  // Both select device 0, and so raise when there is no input device at all.
  explicit MidiInputPort(QObject* parent = nullptr);
  explicit MidiInputPort(midi::MidiBackend& backend, QObject* parent = nullptr);
  ~MidiInputPort() override;

  std::uint16_t DeviceID() const { return deviceId_; }
  void SetDeviceID(std::uint16_t id);
  const std::string& ProductName() const { return productName_; }
  void SetProductName(const std::string& name);
  int DeviceCount() const;
  std::vector<std::string> DeviceNames() const { return backend_.inputNames(); }

  // Queue length in events; takes effect at the next Open.
  int Capacity() const { return capacity_; }
  void SetCapacity(int events) { capacity_ = events > 0 ? events : 1; }
  int SysexBufferSize() const { return sysexBufferSize_; }
  void SetSysexBufferSize(int bytes);
  int SysexBufferCount() const { return sysexBufferCount_; }
  void SetSysexBufferCount(int count);
  // Short messages are dropped when set.
  bool SysexOnly() const { return sysexOnly_.load(std::memory_order_relaxed); }
  void SetSysexOnly(bool only) { sysexOnly_.store(only, std::memory_order_relaxed); }

  void Open();
  void Close();
  bool IsOpen() const { return connection_ != nullptr; }
  void Start();
  void Stop();

  int PendingCount() const;
  std::optional<TMyMidiEvent> TakeEvent();
  // Events lost to a full queue or to no free SysEx buffer since Open.
  std::uint64_t DroppedCount() const { return dropped_.load(std::memory_order_relaxed); }

 signals:
  void OnMidiInput();  // events are waiting
  void OnOverflow();   // the queue was full and an event was lost

 private:
  // One queue record, as the ring holds it.
  struct Record {
    std::uint32_t timeStamp = 0;
    std::uint32_t shortMessage = 0;
    std::int32_t sysexBuffer = NoBuffer;
    std::uint16_t sysexLength = 0;
  };
  static constexpr std::int32_t NoBuffer = -1;
  using Clock = std::chrono::steady_clock;

  // Producer side: the backend's thread.
  void received(std::span<const Byte> message);
  bool queueShort(std::span<const Byte> message, std::uint32_t time);
  std::uint64_t queueSysexWithoutRealTime(std::span<const Byte> message, std::uint32_t time);
  void notifyInput();
  void notifyOverflow();
  std::uint32_t elapsedMs() const;

  // Consumer side: the GUI thread.
  void deliverInput();
  void deliverOverflow();
  bool hasInputHandler() const;

  midi::MidiBackend& backend_;
  std::uint16_t deviceId_ = 0;
  std::string productName_;
  int capacity_ = DefaultCapacity;
  int sysexBufferSize_ = DefaultSysexBufferSize;
  int sysexBufferCount_ = DefaultSysexBufferCount;

  // Made at Open, before the connection, and released after it is gone.
  std::unique_ptr<midi::SpscRing<Record>> queue_;
  std::vector<Bytes> sysexBuffers_;
  // Free SysEx buffers go back from the GUI thread to the backend's thread.
  std::unique_ptr<midi::SpscRing<std::int32_t>> freeBuffers_;
  std::unique_ptr<midi::InputConnection> connection_;

  std::atomic<bool> started_{false};
  std::atomic<bool> sysexOnly_{false};
  std::atomic<bool> inputNotified_{false};
  std::atomic<bool> overflowNotified_{false};
  std::atomic<std::uint64_t> dropped_{0};
  std::uint64_t taken_ = 0;                // events taken on the GUI thread, to see a handler's progress
  std::atomic<Clock::rep> startTicks_{0};  // when Start ran, read by the backend's thread
};

}  // namespace quillon
