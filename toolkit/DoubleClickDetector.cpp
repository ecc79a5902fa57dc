#include "toolkit/DoubleClickDetector.h"

#include <cmath>

namespace {
constexpr double kDoubleClickSeconds = 0.4;
constexpr double kDoubleClickDistance = 4.0;
} // namespace

bool DoubleClickDetector::press(double timeSeconds, double x, double y) {
    const bool isDouble = lastTime >= 0 && timeSeconds - lastTime <= kDoubleClickSeconds &&
                          std::fabs(x - lastX) <= kDoubleClickDistance &&
                          std::fabs(y - lastY) <= kDoubleClickDistance;
    // A double click consumes the pair; a third press starts over.
    lastTime = isDouble ? -1 : timeSeconds;
    lastX = x;
    lastY = y;
    return isDouble;
}
