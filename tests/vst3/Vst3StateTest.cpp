// The component state is the VST 2.4 chunk: either interface reads what the other wrote, and a
// state that is refused changes nothing.
#include <algorithm>
#include <cstring>

#include "presets/ChunkFormat.h"
#include "tests/vst3/Vst3Fixture.h"

namespace {

std::vector<double> values(lyrehost::Vst3Plugin& plugin) {
    std::vector<double> v;
    for (v3_param_id id = 0; id <= 8; ++id)
        v.push_back(plugin.normalized(id));
    return v;
}

TEST(Vst3State, TheSameBytesBothWays) {
    // VST 2.4 to VST 3: edits in two programs, another current program.
    auto vst2 = loadVst2();
    startVst2(*vst2, 44100.0f, 512);
    vst2->setParameter(2, 0.8125f);
    auto before = vst2Chunk(*vst2);
    std::int32_t program = 3;
    std::memcpy(before.data() + 12, &program, sizeof program);
    vst2->dispatch(effSetChunk, 0, static_cast<VstIntPtr>(before.size()), before.data());
    vst2->setParameter(5, 0.125f);
    const auto fromVst2 = vst2Chunk(*vst2);
    ASSERT_EQ(fromVst2.size(), chunk::kSize);

    auto vst3 = loadBundle();
    ASSERT_EQ(vst3->start(44100.0, 512), vst3::kResultOk);
    ASSERT_EQ(vst3->setComponentState(fromVst2), vst3::kResultOk);
    EXPECT_EQ(vst3->componentState(), fromVst2);
    EXPECT_EQ(vst3->normalized(5), 0.125);
    EXPECT_EQ(vst3->normalized(8), 3.0 / 5.0);
    for (VstInt32 i = 0; i < 8; ++i)
        EXPECT_EQ(vst3->normalized(static_cast<v3_param_id>(i)), vst2->getParameter(i)) << i;

    // VST 3 to VST 2.4: a host edit and a program switch through the program parameter.
    auto* controller = vst3->controller();
    ASSERT_EQ(v3_cpp_obj(controller)->set_parameter_normalised(controller, 8, 1.0 / 5.0),
              vst3::kResultOk);
    ASSERT_EQ(v3_cpp_obj(controller)->set_parameter_normalised(controller, 3, 0.375),
              vst3::kResultOk);
    const auto fromVst3 = vst3->componentState();
    auto other = loadVst2();
    startVst2(*other, 44100.0f, 512);
    ASSERT_EQ(other->dispatch(effSetChunk, 0, static_cast<VstIntPtr>(fromVst3.size()),
                              const_cast<std::uint8_t*>(fromVst3.data())),
              0);
    EXPECT_EQ(vst2Chunk(*other), fromVst3);
    EXPECT_EQ(other->getParameter(3), 0.375f);
}

TEST(Vst3State, RefusedStatesChangeNothing) {
    auto vst3 = loadBundle();
    ASSERT_EQ(vst3->start(44100.0, 512), vst3::kResultOk);
    auto* controller = vst3->controller();
    v3_cpp_obj(controller)->set_parameter_normalised(controller, 1, 0.625);
    const auto state = vst3->componentState();
    ASSERT_EQ(state.size(), chunk::kSize);
    const auto before = values(*vst3);
    auto* component = vst3->component();

    auto refused = [&](lyrehost::vst3host::MemoryStream stream, const char* what) {
        EXPECT_NE(v3_cpp_obj(component)->set_state(component, stream.stream()), vst3::kResultOk)
            << what;
        lyrehost::vst3host::MemoryStream again = stream;
        again.position = 0;
        again.moved = 0;
        EXPECT_NE(v3_cpp_obj(controller)->set_component_state(controller, again.stream()),
                  vst3::kResultOk)
            << what;
        EXPECT_EQ(vst3->componentState(), state) << what;
        EXPECT_EQ(values(*vst3), before) << what;
    };
    const std::vector<BadChunk> bad = badChunks(state);
    for (const BadChunk& b : bad)
        refused(lyrehost::vst3host::MemoryStream(b.bytes), b.what);
    lyrehost::vst3host::MemoryStream broken(bad[0].bytes);
    broken.failAfter = 200;
    refused(broken, "a stream that fails half-way");
    EXPECT_NE(v3_cpp_obj(component)->set_state(component, nullptr), vst3::kResultOk);

    // Read from the current position, as a host's sub-stream of its own file; trailing bytes
    // of a newer writer are left alone.
    std::vector<std::uint8_t> framed(16 + chunk::kSize + 8, 0xEE);
    std::memcpy(framed.data() + 16, state.data(), chunk::kSize);
    lyrehost::vst3host::MemoryStream positioned(framed);
    positioned.position = 16;
    EXPECT_EQ(v3_cpp_obj(component)->set_state(component, positioned.stream()), vst3::kResultOk);
    EXPECT_EQ(positioned.position, 16 + static_cast<std::int64_t>(chunk::kSize));
    lyrehost::vst3host::MemoryStream appended(std::vector<std::uint8_t>(5, 0xEE));
    appended.position = 5;
    ASSERT_EQ(v3_cpp_obj(component)->get_state(component, appended.stream()), vst3::kResultOk);
    EXPECT_EQ(std::vector<std::uint8_t>(appended.bytes.begin() + 5, appended.bytes.end()), state);
}

} // namespace
