// A small fixed workload for counting instructions under callgrind:
//   bank_workload baseline|shipped|effect steady|tuning|detune [block frames] [seconds] [rate]
// Processes that many seconds of stereo audio at the rate (default 44100 Hz); only lyreWorkload()
// is meant to be counted (callgrind --toggle-collect=lyreWorkload). "effect" runs the whole effect
// path, Lyrebloom::processReplacing with its two pin queries, against a host that answers 0;
// "vst2" the same through the effect's VST 2.4 record as a host calls it, "vst3" through its
// VST 3 interface (IAudioProcessor::process).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "bench/Vst3Path.h"
#include "bench/baseline/BankDriver.h"
#include "bench/baseline/BaselineBank.h"
#include "engine/FactoryPrograms.h"
#include "engine/Lyrebloom.h"
#include "engine/ResonatorBank.h"

namespace {

// The sample rate of the run: 44100 Hz unless given.
float rate = 44100.0f;

struct Workload {
    int glideParameter; // -1: none
    int frames;
    long samples;
    std::vector<float> inL, inR, outL, outR;
};

VstIntPtr VSTCALLBACK host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0; // 0 to a pin query: connected
}

// The effect behind the bank's interface, so the same loop drives both.
class EffectPath {
  public:
    EffectPath() { effect_.setSampleRate(rate); }
    void process(const float* inL, const float* inR, float* outL, float* outR, std::int32_t frames,
                 float) {
        float* in[2] = {const_cast<float*>(inL), const_cast<float*>(inR)};
        float* out[2] = {outL, outR};
        effect_.processReplacing(in, out, frames);
    }
    void requestFullReset() { effect_.resume(); }
    void setParameter(int index, float x) { effect_.setParameter(index, x); }
    void setAll(const float (&values)[kNumParams]) {
        for (int p = 0; p < kNumParams; ++p)
            setParameter(p, values[p]);
    }

  private:
    Lyrebloom effect_{host};
};

// The effect through its VST 2.4 record as a host calls it: processReplacing and setParameter
// through the record's pointers, the pin queries answered by a host callback.
class Vst2Bank {
  public:
    Vst2Bank() {
        AEffect* e = effect_.getAeffect();
        e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, rate);
        e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
    }
    void process(const float* inL, const float* inR, float* outL, float* outR, std::int32_t frames,
                 float) {
        float* in[2] = {const_cast<float*>(inL), const_cast<float*>(inR)};
        float* out[2] = {outL, outR};
        AEffect* e = effect_.getAeffect();
        e->processReplacing(e, in, out, frames);
    }
    void requestFullReset() {
        AEffect* e = effect_.getAeffect();
        e->dispatcher(e, effMainsChanged, 0, 0, nullptr, 0.0f);
        e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
    }
    void setParameter(int index, float x) {
        AEffect* e = effect_.getAeffect();
        e->setParameter(e, index, x);
    }
    void setAll(const float (&values)[kNumParams]) {
        for (int p = 0; p < kNumParams; ++p)
            setParameter(p, values[p]);
    }

  private:
    static VstIntPtr VSTCALLBACK pinHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*,
                                         float) {
        switch (opcode) {
        case audioMasterVersion:
            return 2400;
        case audioMasterPinConnected:
            return 0; // connected
        default:
            return 0;
        }
    }
    Lyrebloom effect_{pinHost};
};

// The same effect through its VST 3 interface; changes arrive with the next block.
class Vst3Bank {
  public:
    void process(const float* inL, const float* inR, float* outL, float* outR, std::int32_t frames,
                 float) {
        path_.process(inL, inR, outL, outR, frames);
    }
    void requestFullReset() { path_.reset(); }
    void setParameter(int index, float x) { path_.setParameter(index, x); }
    void setAll(const float (&values)[kNumParams]) {
        for (int p = 0; p < kNumParams; ++p)
            setParameter(p, values[p]);
    }

  private:
    Vst3Path path_{rate};
};

template <class Bank> struct DriverOf { using type = BankDriver<Bank>; };
template <> struct DriverOf<EffectPath> {
    struct type {
        explicit type(EffectPath& effect) : effect(effect) {}
        void setParameter(int index, float x) { effect.setParameter(index, x); }
        void setAll(const float (&values)[kNumParams]) { effect.setAll(values); }
        EffectPath& effect;
    };
};
template <> struct DriverOf<Vst2Bank> {
    struct type {
        explicit type(Vst2Bank& effect) : effect(effect) {}
        void setParameter(int index, float x) { effect.setParameter(index, x); }
        void setAll(const float (&values)[kNumParams]) { effect.setAll(values); }
        Vst2Bank& effect;
    };
};
template <> struct DriverOf<Vst3Bank> {
    struct type {
        explicit type(Vst3Bank& effect) : effect(effect) {}
        void setParameter(int index, float x) { effect.setParameter(index, x); }
        void setAll(const float (&values)[kNumParams]) { effect.setAll(values); }
        Vst3Bank& effect;
    };
};
template <class Bank> using Driver = typename DriverOf<Bank>::type;

template <class Bank>
__attribute__((noinline)) void play(Bank& bank, Driver<Bank>& driver, Workload& w) {
    bool high = false;
    for (long done = 0; done < w.samples;) {
        // Swap the glide's target every 4096 samples, before it can arrive.
        if (w.glideParameter >= 0 && done % 4096 < w.frames) {
            high = !high;
            driver.setParameter(w.glideParameter, high ? 1.0f : 0.0f);
        }
        const int at = static_cast<int>(done % 4096);
        bank.process(&w.inL[at], &w.inR[at], &w.outL[at], &w.outR[at], w.frames, rate);
        done += w.frames;
    }
}

template <class Bank> void prepare(Bank& bank, Driver<Bank>& driver, Workload& w) {
    driver.setAll(kFactoryPrograms[0].values);
    bank.requestFullReset();
    const int frames = w.frames;
    w.frames = 512;
    const long samples = w.samples;
    w.samples = 8192;
    const int glide = w.glideParameter;
    w.glideParameter = -1;
    play(bank, driver, w); // ring the strings first
    w.frames = frames;
    w.samples = samples;
    w.glideParameter = glide;
}

} // namespace

extern "C" __attribute__((noinline)) void lyreWorkload(void (*run)(void*), void* context) {
    run(context);
}

template <class Bank> int runWith(Workload& w) {
    auto bank = std::make_unique<Bank>();
    Driver<Bank> driver(*bank);
    prepare(*bank, driver, w);
    struct Context {
        Bank* bank;
        Driver<Bank>* driver;
        Workload* w;
    } context{bank.get(), &driver, &w};
    lyreWorkload(
        [](void* p) {
            auto* c = static_cast<Context*>(p);
            play(*c->bank, *c->driver, *c->w);
        },
        &context);
    double check = 0;
    for (float v : w.outL)
        check += v;
    std::printf("%ld stereo samples, checksum %.9g\n", w.samples, check);
    return 0;
}

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(
            stderr,
            "usage: %s baseline|shipped|effect|vst2|vst3 steady|tuning|detune [frames] [seconds] "
            "[rate]\n",
            argv[0]);
        return 2;
    }
    Workload w;
    w.glideParameter = !std::strcmp(argv[2], "tuning")   ? kTune
                       : !std::strcmp(argv[2], "detune") ? kDetune
                                                         : -1;
    w.frames = argc > 3 ? std::atoi(argv[3]) : 512;
    const double seconds = argc > 4 ? std::atof(argv[4]) : 1.0;
    if (argc > 5) rate = static_cast<float>(std::atof(argv[5]));
    if (w.frames < 1 || w.frames > 4096 || seconds <= 0 || !(rate >= 8000.0f && rate <= 384000.0f))
        return 2;
    w.samples = static_cast<long>(seconds * rate) / w.frames * w.frames;
    w.inL.resize(8192);
    w.inR.resize(8192);
    w.outL.resize(8192);
    w.outR.resize(8192);
    for (int n = 0; n < 8192; ++n) {
        w.inL[n] = static_cast<float>((n * 7919) % 1000) / 1000.0f - 0.5f;
        w.inR[n] = static_cast<float>((n * 104729) % 997) / 997.0f - 0.5f;
    }
    if (!std::strcmp(argv[1], "baseline")) return runWith<BaselineBank>(w);
    if (!std::strcmp(argv[1], "effect")) return runWith<EffectPath>(w);
    if (!std::strcmp(argv[1], "vst2")) return runWith<Vst2Bank>(w);
    if (!std::strcmp(argv[1], "vst3")) return runWith<Vst3Bank>(w);
    return runWith<ResonatorBank>(w);
}
