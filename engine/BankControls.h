// Derived parameter values, written by any thread that changes a parameter and read by the
// audio thread at the start of each block. Each is one lock-free 32-bit store.
#pragma once

#include <atomic>
#include <cstdint>

struct BankControls {
    std::atomic<float> outputGain{0.0f};
    std::atomic<float> mix{0.0f};
    std::atomic<float> feedbackGain{0.0f};
    // All twelve strings share one damping coefficient.
    std::atomic<float> damping{0.0f};
    // Transposition target; the current value always follows it at once.
    std::atomic<float> transposition{1.0f};
    std::atomic<float> tuningTarget{1.0f};
    std::atomic<float> detuneTarget{0.0f};
    std::atomic<std::int32_t> bypass{0};

    static_assert(std::atomic<float>::is_always_lock_free);
    static_assert(std::atomic<std::int32_t>::is_always_lock_free);
};
