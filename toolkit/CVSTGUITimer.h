// A repeating timer run from the frame's idle pass on the UI thread; there is no timer thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "toolkit/CBaseObject.h"

class CVSTGUITimer : public CBaseObject {
  public:
    using Callback = std::function<void(CVSTGUITimer*)>;
    using Clock = std::chrono::steady_clock;

    CVSTGUITimer(Callback callback, uint32_t intervalMs, bool startNow = false);
    ~CVSTGUITimer() override;
    CVSTGUITimer(const CVSTGUITimer&) = delete;
    CVSTGUITimer& operator=(const CVSTGUITimer&) = delete;

    bool start();
    bool stop();
    bool isRunning() const { return running; }
    uint32_t getFireTime() const { return intervalMs; }

    // Fires every running timer whose interval has passed (once each, however late).
    static void fireDueTimers(Clock::time_point now = Clock::now());

  private:
    Callback callback;
    uint32_t intervalMs;
    bool running = false;
    Clock::time_point due;
};
