// The sound through the CLAP interface against the VST 2.4 module: the whole workload, and
// events inside blocks against a VST 2.4 host that splits its blocks at the same points.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>
#include <random>

#include "engine/FactoryPrograms.h"
#include "tests/clap/ClapFixture.h"

namespace {

// Random value events (first and last sample, adjacent samples, repeated times, Transpose in
// semitones), in blocks processed in place, against sub-blocks split at the same points. Now and
// then a program is chosen: the audio thread never switches (a switch takes the program store's
// lock), so it happens in the main-thread pass after the block, and the next block reports
// every new value.
TEST(ClapProcess, EventsInsideBlocksAreSampleAccurate) {
    constexpr int kBlock = 256, kBlocks = 150;
    auto vst2 = loadVst2();
    auto clap = loadClap();
    startVst2(*vst2, 44100.0f, kBlock);
    ASSERT_TRUE(clap->activate(44100.0, kBlock));

    std::mt19937 random(20);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::vector<float> inL(kBlock), inR(kBlock), ioL(kBlock), ioR(kBlock), outL(kBlock),
        outR(kBlock);
    std::size_t splits = 0, switches = 0, current = 0;
    bool switched = false;
    std::array<std::array<float, 8>, 6> records{};
    for (std::size_t k = 0; k < records.size(); ++k)
        std::copy(std::begin(kFactoryPrograms[k].values), std::end(kFactoryPrograms[k].values),
                  records[k].begin());
    for (int block = 0; block < kBlocks; ++block) {
        for (int i = 0; i < kBlock; ++i) {
            inL[i] = (random() % 40 == 0) ? unit(random) - 0.5f : 0.0f;
            inR[i] = 0.3f * inL[i] + ((random() % 60 == 0) ? unit(random) - 0.5f : 0.0f);
        }
        std::vector<lyrehost::ClapEvent> events;
        const int count = static_cast<int>(random() % 5);
        uint32_t time = random() % 3 == 0 ? 0 : random() % kBlock;
        for (int k = 0; k < count && time < kBlock; ++k) {
            const int index = static_cast<int>(random() % 9);
            const float x = index == 7 ? static_cast<float>(random() % 2) : unit(random);
            const double value =
                index == 8 ? static_cast<double>(random() % 6) : clapValue(index, x);
            events.push_back(valueEvent(time, static_cast<clap_id>(index), value));
            const uint32_t step = random() % 3;
            time += step < 2 ? step : 2 + random() % 100;
        }

        std::copy(inL.begin(), inL.end(), ioL.begin());
        std::copy(inR.begin(), inR.end(), ioR.begin());
        float* io[2] = {ioL.data(), ioR.data()};
        std::vector<lyrehost::ClapEvent> reported;
        ASSERT_EQ(clap->process(io, io, kBlock, events, &reported), CLAP_PROCESS_CONTINUE);

        std::size_t next = 0;
        std::optional<std::size_t> chosen;
        splits += processSplit(*vst2, inL, inR, outL, outR, kBlock, [&](int at) {
            for (; next < events.size() && static_cast<int>(events[next].time) <= at; ++next) {
                const auto& e = events[next];
                if (e.id == 8) {
                    chosen = static_cast<std::size_t>(e.value);
                } else {
                    const auto i = static_cast<VstInt32>(e.id);
                    const float x = i == 4 ? static_cast<float>((e.value + 24.0) / 48.0)
                                           : static_cast<float>(e.value);
                    vst2->setParameter(i, x);
                    // Output, Mix and Bypass are shared by every program.
                    for (std::size_t k = 0; k < records.size(); ++k)
                        if (k == current || i == 0 || i == 1 || i == 7) records[k][i] = x;
                }
            }
            return next < events.size() ? static_cast<int>(events[next].time) : kBlock;
        });
        ASSERT_EQ(0, std::memcmp(ioL.data(), outL.data(), kBlock * sizeof(float))) << block;
        ASSERT_EQ(0, std::memcmp(ioR.data(), outR.data(), kBlock * sizeof(float))) << block;
        // Reported at the block's end, after its own events.
        if (switched) {
            ++switches;
            ASSERT_EQ(reported.size(), 8u) << block;
            for (const auto& e : reported)
                EXPECT_EQ(e.value, clapValue(static_cast<int>(e.id),
                                             vst2->getParameter(static_cast<VstInt32>(e.id))));
        }
        switched = false;

        // The last program chosen in the block; its record keeps the edits made while it was
        // current, and choosing the current program again changes nothing.
        EXPECT_EQ(clap->record().callbackRequests > 0, chosen.has_value()) << block;
        clap->runMainThreadCallback();
        if (chosen && *chosen != current) {
            current = *chosen;
            switched = true;
            for (VstInt32 i = 0; i < 8; ++i)
                vst2->setParameter(i, records[current][i]);
        }
    }
    EXPECT_GT(splits, 100u);
    EXPECT_GT(switches, 5u);
}

TEST(ClapProcess, WorkloadGivesTheVst2Bytes) {
    auto plugin = loadClap();
    expectWorkloadOfVst2(*plugin);
}

} // namespace
