// The sound through the VST 3 interface against the VST 2.4 module: the whole workload, and
// host parameter queues against a VST 2.4 host that splits its blocks at the same points.
#include <algorithm>
#include <cstring>
#include <random>

#include "tests/vst3/Vst3Fixture.h"

namespace {

TEST(Vst3Process, WorkloadGivesTheVst2Bytes) {
    auto plugin = loadBundle();
    expectWorkloadOfVst2(*plugin);
}

// Random queues (several points per parameter, points on the first and last sample, jumps on
// adjacent samples, repeated offsets) in blocks processed in place, against sub-blocks split
// at the change points with setParameter before each.
TEST(Vst3Process, QueuesAreSampleAccurate) {
    constexpr int kBlock = 512, kBlocks = 120;
    auto vst2 = loadVst2();
    auto vst3 = loadBundle();
    startVst2(*vst2, 48000.0f, kBlock);
    ASSERT_EQ(vst3->start(48000.0, kBlock), vst3::kResultOk);

    std::mt19937 random(19);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::vector<float> inL(kBlock), inR(kBlock), ioL(kBlock), ioR(kBlock), outL(kBlock),
        outR(kBlock);
    std::size_t splits = 0;
    for (int block = 0; block < kBlocks; ++block) {
        for (int i = 0; i < kBlock; ++i) {
            inL[i] = (random() % 50 == 0) ? unit(random) - 0.5f : 0.0f;
            inR[i] = 0.3f * inL[i] + ((random() % 70 == 0) ? unit(random) - 0.5f : 0.0f);
        }
        lyrehost::vst3host::ParamChanges changes;
        // (offset, index, value) in the order the plug-in must apply them.
        std::vector<std::tuple<int, int, float>> points;
        const int queues = static_cast<int>(random() % 4);
        for (int q = 0; q < queues; ++q) {
            const int index = static_cast<int>(random() % 8);
            auto& queue = changes.queueFor(static_cast<v3_param_id>(index));
            if (!queue.points.empty()) continue;
            int offset = random() % 3 == 0 ? 0 : static_cast<int>(random() % kBlock);
            const int count = 1 + static_cast<int>(random() % 3);
            for (int k = 0; k < count && offset < kBlock; ++k) {
                const float value = index == 7 ? static_cast<float>(random() % 2) : unit(random);
                queue.points.emplace_back(offset, value);
                // The same sample again, the next one (a jump), or further on.
                const int step = static_cast<int>(random() % 3);
                offset += step < 2 ? step : 2 + static_cast<int>(random() % 200);
                if (k == 1) offset = std::min(offset, kBlock - 1);
            }
        }
        for (std::size_t q = 0; q < changes.queues.size(); ++q)
            for (const auto& [offset, value] : changes.queues[q].points)
                points.emplace_back(offset, static_cast<int>(changes.queues[q].id),
                                    static_cast<float>(value));
        // Per sample, queue order then point order: a stable sort by offset keeps it.
        std::stable_sort(points.begin(), points.end(), [](const auto& a, const auto& b) {
            return std::get<0>(a) < std::get<0>(b);
        });

        std::copy(inL.begin(), inL.end(), ioL.begin());
        std::copy(inR.begin(), inR.end(), ioR.begin());
        float* io[2] = {ioL.data(), ioR.data()};
        ASSERT_EQ(vst3->process(io, io, kBlock, &changes), vst3::kResultOk);

        std::size_t next = 0;
        splits += processSplit(*vst2, inL, inR, outL, outR, kBlock, [&](int at) {
            for (; next < points.size() && std::get<0>(points[next]) <= at; ++next)
                vst2->setParameter(std::get<1>(points[next]), std::get<2>(points[next]));
            return next < points.size() ? std::get<0>(points[next]) : kBlock;
        });
        ASSERT_EQ(0, std::memcmp(ioL.data(), outL.data(), kBlock * sizeof(float))) << block;
        ASSERT_EQ(0, std::memcmp(ioR.data(), outR.data(), kBlock * sizeof(float))) << block;
    }
    EXPECT_GT(splits, 100u);
}

} // namespace
