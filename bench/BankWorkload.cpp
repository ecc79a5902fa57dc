// A small fixed workload for counting instructions under callgrind:
//   bank_workload baseline|shipped steady|tuning|detune [block frames] [seconds]
// Processes that many seconds of stereo audio at 44100 Hz; only lyreWorkload() is meant to be
// counted (callgrind --toggle-collect=lyreWorkload).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "bench/baseline/BankDriver.h"
#include "bench/baseline/BaselineBank.h"
#include "engine/FactoryPrograms.h"
#include "engine/ResonatorBank.h"

namespace {

constexpr float kRate = 44100.0f;

struct Workload {
    int glideParameter; // -1: none
    int frames;
    long samples;
    std::vector<float> inL, inR, outL, outR;
};

template <class Bank>
__attribute__((noinline)) void play(Bank& bank, BankDriver<Bank>& driver, Workload& w) {
    bool high = false;
    for (long done = 0; done < w.samples;) {
        // Swap the glide's target every 4096 samples, before it can arrive.
        if (w.glideParameter >= 0 && done % 4096 < w.frames) {
            high = !high;
            driver.setParameter(w.glideParameter, high ? 1.0f : 0.0f);
        }
        const int at = static_cast<int>(done % 4096);
        bank.process(&w.inL[at], &w.inR[at], &w.outL[at], &w.outR[at], w.frames, kRate);
        done += w.frames;
    }
}

template <class Bank> void prepare(Bank& bank, BankDriver<Bank>& driver, Workload& w) {
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
    BankDriver<Bank> driver(*bank);
    prepare(*bank, driver, w);
    struct Context {
        Bank* bank;
        BankDriver<Bank>* driver;
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
        std::fprintf(stderr, "usage: %s baseline|shipped steady|tuning|detune [frames] [seconds]\n",
                     argv[0]);
        return 2;
    }
    Workload w;
    w.glideParameter = !std::strcmp(argv[2], "tuning")   ? kTune
                       : !std::strcmp(argv[2], "detune") ? kDetune
                                                         : -1;
    w.frames = argc > 3 ? std::atoi(argv[3]) : 512;
    const double seconds = argc > 4 ? std::atof(argv[4]) : 1.0;
    if (w.frames < 1 || w.frames > 4096 || seconds <= 0) return 2;
    w.samples = static_cast<long>(seconds * kRate) / w.frames * w.frames;
    w.inL.resize(8192);
    w.inR.resize(8192);
    w.outL.resize(8192);
    w.outR.resize(8192);
    for (int n = 0; n < 8192; ++n) {
        w.inL[n] = static_cast<float>((n * 7919) % 1000) / 1000.0f - 0.5f;
        w.inR[n] = static_cast<float>((n * 104729) % 997) / 997.0f - 0.5f;
    }
    return !std::strcmp(argv[1], "baseline") ? runWith<BaselineBank>(w) : runWith<ResonatorBank>(w);
}
