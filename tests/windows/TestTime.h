#pragma once
// How many times longer a wait in a Windows test may last: a 32-bit test program runs under
// qemu-i386 on a kernel that runs no 32-bit code (cmake/run-i386.sh sets the factor there).
#include <cstdlib>

inline int testTimeFactor() {
    const char* text = std::getenv("LYRE_TEST_TIME_FACTOR");
    const int factor = text ? std::atoi(text) : 1;
    return factor > 0 ? factor : 1;
}
