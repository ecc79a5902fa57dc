#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "AllocationCounter.h"
#include "engine/Lyrebloom.h"

namespace {

VstIntPtr VSTCALLBACK host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

TEST(RealtimeSafety, ProcessingAndParameterChangesNeverAllocate) {
    Lyrebloom fx(host);
    std::vector<float> inL(4096, 0.1f), inR(4096, -0.1f), outL(4096), outR(4096);
    float* in[2] = {inL.data(), inR.data()};
    float* out[2] = {outL.data(), outR.data()};
    char text[64];
    const float values[] = {0.0f,          0.3f,   1.0f, 0.49f,
                            25.0f / 48.0f, -1e-9f, 2.0f, std::numeric_limits<float>::quiet_NaN()};

    alloccount::begin();
    fx.resume();
    for (int round = 0; round < 8; ++round) {
        for (int p = 0; p < 9; ++p)
            fx.setParameter(p, values[(round + p) % 8]);
        fx.processReplacing(in, out, 4096);
        fx.processReplacing(in, out, 1);
        fx.getParameterDisplay(round % 8, text);
        fx.suspend();
        fx.resume();
    }
    const long allocations = alloccount::end();
    EXPECT_EQ(allocations, 0);

    // The counter itself works: a plain vector allocation is seen.
    alloccount::begin();
    std::vector<int> probe(16);
    EXPECT_GE(alloccount::end(), 1);
}

} // namespace
