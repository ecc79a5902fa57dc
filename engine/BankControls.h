// Derived parameter values, written by any thread that changes a parameter and read by the
// audio thread at the start of each block. Each is one lock-free 32-bit store.
#pragma once

#include <atomic>
#include <cstdint>

// A derived value whose every store also bumps its controls' change counter, so the audio
// thread can tell with one load whether anything changed since its last block.
template <class T> class Control {
  public:
    Control(T initial, std::atomic<std::uint32_t>& changes) : value_(initial), changes_(changes) {}
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    void store(T value, std::memory_order order = std::memory_order_seq_cst) {
        value_.store(value, order);
        changes_.fetch_add(1, std::memory_order_release);
    }
    T load(std::memory_order order = std::memory_order_seq_cst) const { return value_.load(order); }

    static_assert(std::atomic<T>::is_always_lock_free);

  private:
    std::atomic<T> value_;
    std::atomic<std::uint32_t>& changes_;
};

struct BankControls {
    // Declared first: the controls below refer to it.
    std::atomic<std::uint32_t> changes{0};

    Control<float> outputGain{0.0f, changes};
    Control<float> mix{0.0f, changes};
    Control<float> feedbackGain{0.0f, changes};
    // All twelve strings share one damping coefficient.
    Control<float> damping{0.0f, changes};
    // Transposition target; the current value always follows it at once.
    Control<float> transposition{1.0f, changes};
    Control<float> tuningTarget{1.0f, changes};
    Control<float> detuneTarget{0.0f, changes};
    Control<std::int32_t> bypass{0, changes};

    static_assert(std::atomic<std::uint32_t>::is_always_lock_free);
};
