#include "toolkit/CVSTGUITimer.h"

#include <algorithm>
#include <vector>

namespace {
std::vector<CVSTGUITimer*>& runningTimers() {
    static std::vector<CVSTGUITimer*> timers;
    return timers;
}
} // namespace

CVSTGUITimer::CVSTGUITimer(Callback callback, uint32_t intervalMs, bool startNow)
    : callback(std::move(callback)), intervalMs(intervalMs) {
    if (startNow) start();
}

CVSTGUITimer::~CVSTGUITimer() {
    stop();
}

bool CVSTGUITimer::start() {
    if (running) return true;
    running = true;
    due = Clock::now() + std::chrono::milliseconds(intervalMs);
    runningTimers().push_back(this);
    return true;
}

bool CVSTGUITimer::stop() {
    if (!running) return false;
    running = false;
    auto& timers = runningTimers();
    timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
    return true;
}

void CVSTGUITimer::fireDueTimers(Clock::time_point now) {
    // A callback may stop or delete any timer, so work on a snapshot and re-check membership.
    const std::vector<CVSTGUITimer*> snapshot = runningTimers();
    for (CVSTGUITimer* timer : snapshot) {
        const auto& timers = runningTimers();
        if (std::find(timers.begin(), timers.end(), timer) == timers.end()) continue;
        if (now < timer->due) continue;
        timer->due = now + std::chrono::milliseconds(timer->intervalMs);
        timer->remember();
        if (timer->callback) timer->callback(timer);
        timer->forget();
    }
}
