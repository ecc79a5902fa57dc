// processReplacing throughput: steady state and with the tuning or detune glide running.
#include <benchmark/benchmark.h>

#include <vector>

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

} // namespace

// Blocks of 1 and 32 show what each block costs on top of its samples.
BENCHMARK(steady)->ArgsProduct({{1, 32, 512}, {44100}})->Unit(benchmark::kMicrosecond);
BENCHMARK(tuningGlide)->ArgsProduct({{1, 32, 512}, {44100}})->Unit(benchmark::kMicrosecond);
BENCHMARK(detuneGlide)->ArgsProduct({{1, 32, 512}, {44100}})->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
