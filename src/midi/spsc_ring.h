#pragma once
// Fixed-capacity single-producer single-consumer ring. The producer (a MIDI
// thread) and the consumer (the GUI thread) each own one index; the other side
// only reads it, so neither locks nor allocates after construction.

#include <atomic>
#include <cstddef>
#include <new>
#include <vector>

namespace quillon::midi {

template <typename T>
class SpscRing {
 public:
  explicit SpscRing(std::size_t capacity) : slots_(capacity == 0 ? 1 : capacity) {}
  SpscRing(const SpscRing&) = delete;
  SpscRing& operator=(const SpscRing&) = delete;

  std::size_t capacity() const { return slots_.size(); }

  // Producer side. False when the ring is full; the item is not taken.
  bool push(const T& item) {
    const std::size_t write = write_.load(std::memory_order_relaxed);
    if (write - read_.load(std::memory_order_acquire) == slots_.size()) return false;
    slots_[write % slots_.size()] = item;
    write_.store(write + 1, std::memory_order_release);
    return true;
  }
  // Producer side: true when a push would fail.
  bool full() const {
    return write_.load(std::memory_order_relaxed) - read_.load(std::memory_order_acquire) == slots_.size();
  }

  // Consumer side. False when the ring is empty.
  bool pop(T& out) {
    const std::size_t read = read_.load(std::memory_order_relaxed);
    if (write_.load(std::memory_order_acquire) == read) return false;
    out = slots_[read % slots_.size()];
    read_.store(read + 1, std::memory_order_release);
    return true;
  }

  // Either side; exact for the consumer, a lower bound for the producer.
  std::size_t size() const { return write_.load(std::memory_order_acquire) - read_.load(std::memory_order_acquire); }

 private:
  // The indices only grow; the slot is index modulo capacity, so all
  // `capacity` slots are usable and full and empty are never confused.
  static constexpr std::size_t CacheLine = 64;
  std::vector<T> slots_;
  alignas(CacheLine) std::atomic<std::size_t> write_{0};
  alignas(CacheLine) std::atomic<std::size_t> read_{0};
};

}  // namespace quillon::midi
