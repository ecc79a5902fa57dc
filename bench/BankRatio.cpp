// The shipped bank against the plain reference bank without Google Benchmark, so it also runs in
// the Windows builds (under wine): the same cases as bank_vs_baseline at blocks of 512, each timed
// in alternated rounds on the same input; prints the median of the per-round ratios and the
// median nanoseconds per stereo sample of each.
//   bank_ratio [rounds, default 31] [plain | avx2: time a narrower kernel set than the widest]
#include <algorithm>
#include <chrono>
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

constexpr int kSamples = 8192;

struct Input {
    std::vector<float> left = std::vector<float>(kSamples), right = std::vector<float>(kSamples);
    Input() {
        for (int n = 0; n < kSamples; ++n) {
            left[n] = static_cast<float>((n * 7919) % 1000) / 1000.0f - 0.5f;
            right[n] = static_cast<float>((n * 104729) % 997) / 997.0f - 0.5f;
        }
    }
};

template <class Bank> struct Player {
    std::unique_ptr<Bank> bank = std::make_unique<Bank>();
    BankDriver<Bank> driver{*bank};
    std::vector<float> outL = std::vector<float>(kSamples), outR = std::vector<float>(kSamples);
    float rate;
    int glide; // parameter index, or -1
    bool high = false;
    Player(float sampleRate, int glideParameter) : rate(sampleRate), glide(glideParameter) {
        driver.setAll(kFactoryPrograms[0].values);
        bank->requestFullReset();
    }
    // One round: the glide's target swapped first, so it never arrives.
    void round(const Input& in, int samples, int frames) {
        if (glide >= 0) driver.setParameter(glide, (high = !high) ? 1.0f : 0.0f);
        for (int n = 0; n + frames <= samples; n += frames)
            bank->process(&in.left[n], &in.right[n], &outL[n], &outR[n], frames, rate);
    }
};

double seconds(auto&& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Median over the rounds of time(first) / time(second); the median times of each, per sample of
// a round, go to *perSample (nanoseconds).
double inTurn(int rounds, int samples, double* perSample, auto&& first, auto&& second) {
    std::vector<double> ratios, a, b;
    for (int r = 0; r < rounds + 1; ++r) {
        const double t1 = seconds(first), t2 = seconds(second);
        if (r == 0 || t2 <= 0) continue; // the first round only warms up
        ratios.push_back(t1 / t2);
        a.push_back(t1);
        b.push_back(t2);
    }
    perSample[0] = 1e9 * median(a) / samples;
    perSample[1] = 1e9 * median(b) / samples;
    return median(ratios);
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 31;
    using Set = ResonatorBank::KernelSet;
    const char* narrower = argc > 2 ? argv[2] : "";
    const Set set = ResonatorBank::useKernels(std::strcmp(narrower, "plain") == 0  ? Set::Plain
                                              : std::strcmp(narrower, "avx2") == 0 ? Set::Avx2
                                                                                   : Set::Avx512);
    const Input in;
    std::printf("%-22s %8s %14s %13s\n", "case (blocks of 512)", "speed-up", "baseline ns",
                "shipped ns");
    double ns[2];
    const struct {
        const char* name;
        int glide;
    } cases[] = {{"steady", -1}, {"tuning-glide", kTune}, {"detune-glide", kDetune}};
    for (const auto& c : cases)
        for (float rate : {44100.0f, 96000.0f}) {
            Player<BaselineBank> baseline(rate, c.glide);
            Player<ResonatorBank> shipped(rate, c.glide);
            const double ratio = inTurn(
                rounds, kSamples, ns, [&] { baseline.round(in, kSamples, 512); },
                [&] { shipped.round(in, kSamples, 512); });
            std::printf("%-14s %6.0f Hz %7.2fx %14.1f %13.1f\n", c.name, rate, ratio, ns[0], ns[1]);
        }
    std::printf("\nshipped, blocks of 1 against blocks of 512 (cost per sample)\n");
    for (const auto& c : cases) {
        Player<ResonatorBank> single(44100.0f, c.glide), large(44100.0f, c.glide);
        const double ratio = inTurn(
            rounds, kSamples, ns, [&] { single.round(in, kSamples, 1); },
            [&] { large.round(in, kSamples, 512); });
        std::printf("%-14s 44100 Hz %7.2fx\n", c.name, ratio);
    }
    std::vector<std::unique_ptr<Player<BaselineBank>>> baselines;
    std::vector<std::unique_ptr<Player<ResonatorBank>>> shippeds;
    for (int i = 0; i < 64; ++i) {
        baselines.push_back(std::make_unique<Player<BaselineBank>>(44100.0f, -1));
        shippeds.push_back(std::make_unique<Player<ResonatorBank>>(44100.0f, -1));
    }
    const double crowd = inTurn(
        rounds, 64 * 512, ns,
        [&] {
            for (auto& p : baselines)
                p->round(in, 512, 512);
        },
        [&] {
            for (auto& p : shippeds)
                p->round(in, 512, 512);
        });
    std::printf(
        "\n64 instances in turn, 44100 Hz, blocks of 512: %.2fx (%.1f and %.1f ns per sample)\n",
        crowd, ns[0], ns[1]);
    std::printf("kernels: %s\n", set == Set::Avx512 ? "AVX2, steady runs in AVX-512"
                                 : set == Set::Avx2 ? "AVX2"
                                                    : "plain");
    return 0;
}
