#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

#include "engine/Lyrebloom.h"

namespace {

VstIntPtr VSTCALLBACK host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// An audio thread keeps processing while a host thread sweeps every parameter (Transpose
// included, so line resets are requested mid-stream), changes the sample rate, suspends and
// resumes, and a third thread reads values and texts. Run under ThreadSanitizer in CI.
TEST(ConcurrencyStress, AudioThreadAgainstParameterAndStateChanges) {
    Lyrebloom fx(host);
    std::atomic<bool> stop{false};
    std::atomic<long> blocks{0};
    bool outputStayedFinite = true;

    std::thread audio([&] {
        std::vector<float> inL(256), inR(256), outL(256), outR(256);
        float* in[2] = {inL.data(), inR.data()};
        float* out[2] = {outL.data(), outR.data()};
        long n = 0;
        while (!stop.load()) {
            for (int i = 0; i < 256; ++i)
                inL[i] = inR[i] = ((n * 31 + i) % 97) / 97.0f - 0.5f;
            fx.processReplacing(in, out, 1 + static_cast<int>(n % 256));
            for (float v : outL)
                outputStayedFinite &= std::isfinite(v);
            ++n;
            blocks.store(n);
        }
    });
    std::thread readers([&] {
        char text[64];
        while (!stop.load())
            for (int p = 0; p < 8; ++p) {
                fx.getParameterDisplay(p, text);
                (void)fx.getParameter(p);
            }
    });

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (int sweep = 0; sweep < 200 || blocks.load() < 2000; ++sweep) {
        for (int p = 0; p < 8; ++p)
            fx.setParameter(p, ((sweep * 7 + p * 13) % 101) / 100.0f);
        fx.setParameter(kDecay, std::min(1.0f, (sweep % 10) / 10.0f));
        fx.setParameter(kOutput, 0.5f);
        if (sweep % 17 == 0) fx.setSampleRate(sweep % 2 ? 48000.0f : 44100.0f);
        if (sweep % 23 == 0) {
            fx.suspend();
            fx.resume();
        }
        if (std::chrono::steady_clock::now() > deadline) break;
    }
    stop.store(true);
    audio.join();
    readers.join();
    EXPECT_GE(blocks.load(), 2000);
    EXPECT_TRUE(outputStayedFinite);
}

} // namespace
