// The shipped bank against the plain reference bank, in one process, on the same input and in
// turn: steady state and each glide running, blocks of 1 to 4096 samples at 44100 and 96000 Hz,
// blocks of 1 against blocks of 512, and 64 instances processing one after another. Ends with a
// table of throughputs and ratios.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/baseline/BankDriver.h"
#include "bench/baseline/BaselineBank.h"
#include "engine/FactoryPrograms.h"
#include "engine/ResonatorBank.h"

namespace {

enum class Glide { None, Tuning, Detune };
const char* glideName(Glide g) {
    return g == Glide::None ? "steady" : g == Glide::Tuning ? "tuning-glide" : "detune-glide";
}

constexpr int kSamplesPerIteration = 4096;
constexpr int kInstances = 64;
constexpr int kInstanceBlock = 512;

struct Input {
    std::vector<float> left, right;
    Input() : left(kSamplesPerIteration), right(kSamplesPerIteration) {
        for (int n = 0; n < kSamplesPerIteration; ++n) {
            left[n] = static_cast<float>((n * 7919) % 1000) / 1000.0f - 0.5f;
            right[n] = static_cast<float>((n * 104729) % 997) / 997.0f - 0.5f;
        }
    }
};
const Input& input() {
    static const Input in;
    return in;
}

// A bank set to the first factory program, reset, and rung for a while.
template <class Bank> struct Player {
    std::unique_ptr<Bank> bank = std::make_unique<Bank>();
    BankDriver<Bank> driver{*bank};
    std::vector<float> outL = std::vector<float>(kSamplesPerIteration);
    std::vector<float> outR = std::vector<float>(kSamplesPerIteration);
    float rate;
    bool high = false;

    explicit Player(float sampleRate) : rate(sampleRate) {
        driver.setAll(kFactoryPrograms[0].values);
        bank->requestFullReset();
        play(kSamplesPerIteration, 512);
    }

    void play(int samples, int frames) {
        const Input& in = input();
        for (int n = 0; n + frames <= samples; n += frames)
            bank->process(&in.left[n], &in.right[n], &outL[n], &outR[n], frames, rate);
    }

    // Swaps the glide's target before it can arrive, so the glide never ends.
    void turn(Glide glide) {
        if (glide == Glide::None) return;
        high = !high;
        driver.setParameter(glide == Glide::Tuning ? kTune : kDetune, high ? 1.0f : 0.0f);
    }
};

double cpuSeconds() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// Runs `first` and `second` in turn, each timed on this thread's CPU clock, so that a busy
// machine slows both alike; reports each one's throughput and the median ratio of the pairs.
template <class First, class Second>
void inTurn(benchmark::State& state, double samplesPerRound, double rate, First first,
            Second second) {
    std::vector<double> ratios;
    double firstTime = 0, secondTime = 0;
    for (auto _ : state) {
        const double t0 = cpuSeconds();
        first();
        const double t1 = cpuSeconds();
        second();
        const double t2 = cpuSeconds();
        firstTime += t1 - t0;
        secondTime += t2 - t1;
        if (t2 > t1) ratios.push_back((t1 - t0) / (t2 - t1));
    }
    const double samples = samplesPerRound * static_cast<double>(state.iterations());
    state.counters["first"] = samples / firstTime;
    state.counters["second"] = samples / secondTime;
    state.counters["ratio"] = median(ratios);
    state.counters["rt_first"] = samples / firstTime / rate;
    state.counters["rt_second"] = samples / secondTime / rate;
}

// Baseline first, shipped second, in blocks of `frames`.
void blocks(benchmark::State& state, Glide glide, int frames, float rate) {
    Player<BaselineBank> baseline(rate);
    Player<ResonatorBank> shipped(rate);
    inTurn(
        state, kSamplesPerIteration, rate,
        [&] {
            baseline.turn(glide);
            baseline.play(kSamplesPerIteration, frames);
            benchmark::DoNotOptimize(baseline.outL.data());
        },
        [&] {
            shipped.turn(glide);
            shipped.play(kSamplesPerIteration, frames);
            benchmark::DoNotOptimize(shipped.outL.data());
        });
}

// The shipped bank in blocks of 1 first, in blocks of 512 second.
void blockSizes(benchmark::State& state, Glide glide, float rate) {
    Player<ResonatorBank> single(rate);
    Player<ResonatorBank> large(rate);
    inTurn(
        state, kSamplesPerIteration, rate,
        [&] {
            single.turn(glide);
            single.play(kSamplesPerIteration, 1);
            benchmark::DoNotOptimize(single.outL.data());
        },
        [&] {
            large.turn(glide);
            large.play(kSamplesPerIteration, 512);
            benchmark::DoNotOptimize(large.outL.data());
        });
}

template <class Bank> struct Crowd {
    std::vector<std::unique_ptr<Player<Bank>>> players;
    explicit Crowd(float rate) {
        for (int i = 0; i < kInstances; ++i)
            players.push_back(std::make_unique<Player<Bank>>(rate));
    }
    void play() {
        for (auto& p : players) {
            p->play(kInstanceBlock, kInstanceBlock);
            benchmark::DoNotOptimize(p->outL.data());
        }
    }
};

// 64 instances processing in turn, one block of 512 each.
void instances(benchmark::State& state, float rate) {
    Crowd<BaselineBank> baseline(rate);
    Crowd<ResonatorBank> shipped(rate);
    inTurn(
        state, kInstances * kInstanceBlock, rate, [&] { baseline.play(); },
        [&] { shipped.play(); });
}

// Engine memory of one instance: the object and its lines.
template <class Bank> std::size_t bytesPerInstance() {
    return sizeof(Bank) + sizeof(float) * strings::kCount * strings::kLineLength;
}

std::string caseName(const char* scenario, int rate, int frames) {
    return std::string(scenario) + "/" + std::to_string(rate) + "/" + std::to_string(frames);
}

struct Result {
    double first, second, ratio, rtFirst, rtSecond;
};

// Keeps every case's counters for the table at the end.
class Collector : public benchmark::ConsoleReporter {
  public:
    std::map<std::string, Result> results;

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
            const auto& c = run.counters;
            if (!c.count("ratio")) continue;
            results[run.run_name.function_name] = {c.at("first").value, c.at("second").value,
                                                   c.at("ratio").value, c.at("rt_first").value,
                                                   c.at("rt_second").value};
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

constexpr Glide kGlides[] = {Glide::None, Glide::Tuning, Glide::Detune};
constexpr int kRates[] = {44100, 96000};
constexpr int kFrames[] = {1, 32, 512, 4096};

void registerAll() {
    for (Glide g : kGlides)
        for (int rate : kRates)
            for (int frames : kFrames) {
                const auto r = static_cast<float>(rate);
                benchmark::RegisterBenchmark(caseName(glideName(g), rate, frames).c_str(),
                                             [=](benchmark::State& s) { blocks(s, g, frames, r); })
                    ->Unit(benchmark::kMicrosecond);
            }
    for (Glide g : kGlides)
        for (int rate : kRates) {
            const auto r = static_cast<float>(rate);
            benchmark::RegisterBenchmark(
                (std::string("blocks-of-1-vs-512/") + glideName(g) + "/" + std::to_string(rate))
                    .c_str(),
                [=](benchmark::State& s) { blockSizes(s, g, r); })
                ->Unit(benchmark::kMicrosecond);
        }
    benchmark::RegisterBenchmark(caseName("64-instances", 44100, kInstanceBlock).c_str(),
                                 [](benchmark::State& s) { instances(s, 44100.0f); })
        ->Unit(benchmark::kMicrosecond);
}

void printRow(const Collector& c, const std::string& name) {
    const auto it = c.results.find(name);
    if (it == c.results.end()) return;
    const Result& r = it->second;
    std::printf("%-26s %10.2f %10.2f %8.2fx %11.0fx %11.0fx\n", name.c_str(), r.first / 1e6,
                r.second / 1e6, r.ratio, r.rtFirst, r.rtSecond);
}

void printTable(const Collector& c) {
    std::printf("\nBaseline and shipped bank, measured in turn on the same input: stereo samples "
                "per second\n(millions), the median speed-up over all rounds, and the real-time "
                "factor (seconds of\nstereo audio per second of CPU)\n\n");
    std::printf("%-26s %10s %10s %9s %12s %12s\n", "scenario/Hz/block", "baseline", "shipped",
                "speed-up", "rt baseline", "rt shipped");
    for (Glide g : kGlides)
        for (int rate : kRates)
            for (int frames : kFrames)
                printRow(c, caseName(glideName(g), rate, frames));
    printRow(c, caseName("64-instances", 44100, kInstanceBlock));

    std::printf("\nShipped bank: cost per sample in blocks of 1 relative to blocks of 512\n");
    for (Glide g : kGlides)
        for (int rate : kRates) {
            const auto it = c.results.find(std::string("blocks-of-1-vs-512/") + glideName(g) + "/" +
                                           std::to_string(rate));
            if (it != c.results.end())
                std::printf("  %-14s %6d Hz: %5.2fx\n", glideName(g), rate, it->second.ratio);
        }
    std::printf("\nEngine memory per instance: baseline %zu bytes, shipped %zu bytes\n",
                bytesPerInstance<BaselineBank>(), bytesPerInstance<ResonatorBank>());
}

} // namespace

int main(int argc, char** argv) {
    registerAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    printTable(collector);
    benchmark::Shutdown();
    return 0;
}
