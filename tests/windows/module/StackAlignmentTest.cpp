// A host built with another compiler may call in with the stack aligned to 4, 8 or 12 bytes
// rather than 16, and the bank picks its AVX2 kernels when the processor has them: neither may
// fault or change a single output sample.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "LoadedModule.h"
#if defined(__i386__)
#include "MisalignedCall.h"
#endif

namespace {

// Every call into the module goes through here: directly (misalignment < 0) or, on 32-bit x86,
// with the stack offset by `misalignment` bytes at the call.
class HostCalls {
  public:
    explicit HostCalls(int misalignment) : misalignment_(misalignment) {}

    AEffect* entry(PluginMainProc main) const {
        if (misalignment_ < 0) return main(plainHost);
        return reinterpret_cast<AEffect*>(
            call(reinterpret_cast<const void*>(main), {word(reinterpret_cast<void*>(plainHost))}));
    }
    VstIntPtr dispatch(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                       float opt) const {
        if (misalignment_ < 0) return e->dispatcher(e, opcode, index, value, ptr, opt);
        return static_cast<VstIntPtr>(
            call(reinterpret_cast<const void*>(e->dispatcher),
                 {word(e), static_cast<std::uint32_t>(opcode), static_cast<std::uint32_t>(index),
                  static_cast<std::uint32_t>(value), word(ptr), bits(opt)}));
    }
    void setParameter(AEffect* e, VstInt32 index, float value) const {
        if (misalignment_ < 0) return e->setParameter(e, index, value);
        call(reinterpret_cast<const void*>(e->setParameter),
             {word(e), static_cast<std::uint32_t>(index), bits(value)});
    }
    void process(AEffect* e, float** in, float** out, VstInt32 frames) const {
        if (misalignment_ < 0) return e->processReplacing(e, in, out, frames);
        call(reinterpret_cast<const void*>(e->processReplacing),
             {word(e), word(in), word(out), static_cast<std::uint32_t>(frames)});
    }

  private:
    static std::uint32_t bits(float f) {
        std::uint32_t u;
        std::memcpy(&u, &f, sizeof u);
        return u;
    }
    static std::uint32_t word(const void* p) {
        return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(p));
    }
    std::uint32_t call(const void* function, std::initializer_list<std::uint32_t> args) const {
#if defined(__i386__)
        return lyreCallMisaligned(function, args.begin(), static_cast<int>(args.size()),
                                  misalignment_);
#else
        (void)function;
        (void)args;
        ADD_FAILURE() << "misaligned calls exist only on 32-bit x86";
        return 0;
#endif
    }

    int misalignment_;
};

// A session a host could run: set-up, parameter moves that start glides and a transposition
// change, and blocks of odd sizes over noise with a few impulses. Returns both output channels.
std::vector<float> renderSession(const HostCalls& calls) {
    LoadedModule module(builtModulePath());
    EXPECT_NE(module.handle(), nullptr);
    if (!module.handle()) return {};
    AEffect* e = calls.entry(module.entry("VSTPluginMain"));
    EXPECT_NE(e, nullptr);
    if (!e) return {};
    calls.dispatch(e, effOpen, 0, 0, nullptr, 0.0f);
    calls.dispatch(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    calls.dispatch(e, effSetBlockSize, 0, 512, nullptr, 0.0f);
    calls.dispatch(e, effMainsChanged, 0, 1, nullptr, 0.0f);

    std::vector<float> result;
    std::uint32_t seed = 12345;
    const int blockSizes[] = {1, 17, 64, 333, 512, 7, 128, 255, 3, 500};
    int block = 0;
    for (int round = 0; round < 4; ++round) {
        for (int frames : blockSizes) {
            if (block == 3) calls.setParameter(e, 2, 0.93f); // Decay
            if (block == 9) calls.setParameter(e, 6, 0.7f);  // Detune glides
            if (block == 15) calls.setParameter(e, 4, 0.6f); // Transpose
            if (block == 22) calls.setParameter(e, 5, 0.2f); // Tune glides
            ++block;
            std::vector<float> inL(frames), inR(frames), outL(frames), outR(frames);
            for (int i = 0; i < frames; ++i) {
                seed = seed * 1664525u + 1013904223u;
                inL[i] = static_cast<float>(seed >> 8) / 16777216.0f - 0.5f;
                inR[i] = (i == 0 && block % 5 == 0) ? 1.0f : 0.25f * inL[i];
            }
            float* in[2] = {inL.data(), inR.data()};
            float* out[2] = {outL.data(), outR.data()};
            calls.process(e, in, out, frames);
            result.insert(result.end(), outL.begin(), outL.end());
            result.insert(result.end(), outR.begin(), outR.end());
        }
    }
    calls.dispatch(e, effMainsChanged, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(calls.dispatch(e, effClose, 0, 0, nullptr, 0.0f), 1);
    return result;
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

TEST(StackAlignment, SessionRingsAndStaysFinite) {
    RecordProperty("avx2", __builtin_cpu_supports("avx2") ? "yes" : "no");
    const std::vector<float> out = renderSession(HostCalls(-1));
    ASSERT_FALSE(out.empty());
    double energy = 0.0;
    for (float v : out) {
        ASSERT_TRUE(std::isfinite(v));
        energy += static_cast<double>(v) * v;
    }
    EXPECT_GT(energy, 1.0);
    EXPECT_TRUE(sameBits(out, renderSession(HostCalls(-1)))) << "two identical sessions differ";
}

#if defined(__i386__)
TEST(StackAlignment, MisalignedHostStackGivesTheSameOutput) {
    const std::vector<float> reference = renderSession(HostCalls(0));
    ASSERT_FALSE(reference.empty());
    EXPECT_TRUE(sameBits(reference, renderSession(HostCalls(-1))));
    for (int misalignment : {4, 8, 12}) {
        SCOPED_TRACE(misalignment);
        EXPECT_TRUE(sameBits(reference, renderSession(HostCalls(misalignment))));
    }
}

// The thunk itself must do what it claims, or the test above proves nothing.
TEST(StackAlignment, ThunkMisalignsTheStack) {
    for (int misalignment : {0, 4, 8, 12}) {
        const std::uint32_t sp = lyreCallMisaligned(
            reinterpret_cast<const void*>(lyreStackPointerAtCall), nullptr, 0, misalignment);
        EXPECT_EQ(sp % 16, static_cast<std::uint32_t>(misalignment));
    }
}
#endif

} // namespace
