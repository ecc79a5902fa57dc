// processReplacing throughput: steady state and with the tuning or detune glide running.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/ClapPath.h"
#include "bench/Lv2Path.h"
#include "bench/Vst3Path.h"
#include "engine/Lyrebloom.h"

namespace {

VstIntPtr VSTCALLBACK host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

enum class Glide { None, Tuning, Detune };

void processBlocks(benchmark::State& state, Glide glide) {
    const int frames = static_cast<int>(state.range(0));
    const float rate = static_cast<float>(state.range(1));
    Lyrebloom fx(host);
    fx.setSampleRate(rate);
    fx.resume();
    std::vector<float> inL(frames), inR(frames), outL(frames), outR(frames);
    for (int n = 0; n < frames; ++n) {
        inL[n] = ((n * 7919) % 1000) / 1000.0f - 0.5f;
        inR[n] = -inL[n];
    }
    float* in[2] = {inL.data(), inR.data()};
    float* out[2] = {outL.data(), outR.data()};
    long long processed = 0;
    bool high = false;
    for (auto _ : state) {
        // Swap the glide's target before it can arrive, so the glide never stops.
        if (glide != Glide::None && processed % 4096 < frames) {
            high = !high;
            fx.setParameter(glide == Glide::Tuning ? kTune : kDetune, high ? 1.0f : 0.0f);
        }
        fx.processReplacing(in, out, frames);
        benchmark::DoNotOptimize(outL.data());
        processed += frames;
    }
    state.SetItemsProcessed(processed);
    state.counters["realtime_x"] =
        benchmark::Counter(static_cast<double>(processed) / rate, benchmark::Counter::kIsRate);
}

void steady(benchmark::State& s) {
    processBlocks(s, Glide::None);
}
void tuningGlide(benchmark::State& s) {
    processBlocks(s, Glide::Tuning);
}
void detuneGlide(benchmark::State& s) {
    processBlocks(s, Glide::Detune);
}

// The interfaces side by side on one steady workload: VST 2.4 processReplacing through the
// effect's record, VST 3 process through the module's factory object, CLAP process and LV2
// run through their interface objects.
template <class Path> void throughInterface(benchmark::State& state) {
    const int frames = static_cast<int>(state.range(0));
    constexpr float kRate = 44100.0f;
    Path path(kRate);
    std::vector<float> inL(frames), inR(frames), outL(frames), outR(frames);
    for (int n = 0; n < frames; ++n) {
        inL[n] = ((n * 7919) % 1000) / 1000.0f - 0.5f;
        inR[n] = -inL[n];
    }
    long long processed = 0;
    for (auto _ : state) {
        path.process(inL.data(), inR.data(), outL.data(), outR.data(), frames);
        benchmark::DoNotOptimize(outL.data());
        processed += frames;
    }
    state.SetItemsProcessed(processed);
}

class Vst2Path {
  public:
    explicit Vst2Path(float rate) : fx_(host) {
        fx_.getAeffect()->dispatcher(fx_.getAeffect(), effSetSampleRate, 0, 0, nullptr, rate);
        fx_.getAeffect()->dispatcher(fx_.getAeffect(), effMainsChanged, 0, 1, nullptr, 0.0f);
    }
    void process(const float* inL, const float* inR, float* outL, float* outR, int frames) {
        float* in[2] = {const_cast<float*>(inL), const_cast<float*>(inR)};
        float* out[2] = {outL, outR};
        AEffect* e = fx_.getAeffect();
        e->processReplacing(e, in, out, frames);
    }

  private:
    Lyrebloom fx_;
};

void vst2Interface(benchmark::State& s) {
    throughInterface<Vst2Path>(s);
}
void vst3Interface(benchmark::State& s) {
    throughInterface<Vst3Path>(s);
}
void clapInterface(benchmark::State& s) {
    throughInterface<ClapPath>(s);
}
void lv2Interface(benchmark::State& s) {
    throughInterface<Lv2Path>(s);
}

} // namespace

BENCHMARK(vst2Interface)->Arg(32)->Arg(512)->Unit(benchmark::kMicrosecond);
BENCHMARK(vst3Interface)->Arg(32)->Arg(512)->Unit(benchmark::kMicrosecond);
BENCHMARK(clapInterface)->Arg(32)->Arg(512)->Unit(benchmark::kMicrosecond);
BENCHMARK(lv2Interface)->Arg(32)->Arg(512)->Unit(benchmark::kMicrosecond);

// Blocks of 1 and 32 show what each block costs on top of its samples.
BENCHMARK(steady)->ArgsProduct({{1, 32, 512}, {44100}})->Unit(benchmark::kMicrosecond);
BENCHMARK(tuningGlide)->ArgsProduct({{1, 32, 512}, {44100}})->Unit(benchmark::kMicrosecond);
BENCHMARK(detuneGlide)->ArgsProduct({{1, 32, 512}, {44100}})->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
