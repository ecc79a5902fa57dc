// What hosts read from the bundle and what they may throw at it.
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

#include "tests/vst3/Vst3Fixture.h"

namespace {

using lyrehost::vst3host::HandlerCall;
using lyrehost::vst3host::narrow;
using lyrehost::vst3host::widen;

std::string trimmed(std::string s) {
    s.erase(0, s.find_first_not_of(' '));
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

TEST(Vst3Interface, DescribesTheVst2Effect) {
    auto vst3 = loadBundle();
    auto vst2 = loadVst2();
    EXPECT_EQ(vst3->className(), "ZEM Lyrebloom");

    // The class ID hosts use to replace the VST 2.4 plug-in, in the bundle's module info too.
    v3_class_info info{};
    ASSERT_EQ(v3_cpp_obj(vst3->factory())->get_class_info(vst3->factory(), 0, &info),
              vst3::kResultOk);
    EXPECT_TRUE(vst3::sameId(info.class_id,
                             vst3::makeTuid(0x5653545A, 0x6D4C797A, 0x656D206C, 0x79726562).bytes));
    std::ifstream json(std::string(LYREBLOOM_VST3_BUNDLE) + "/Contents/Resources/moduleinfo.json");
    std::stringstream text;
    text << json.rdbuf();
    EXPECT_NE(text.str().find("\"CID\": \"5653545A6D4C797A656D206C79726562\""), std::string::npos);

    // Eight parameters with the VST 2.4 names and units, then the program list's parameter.
    ASSERT_EQ(vst3->parameterCount(), 9);
    int bypassFlags = 0;
    for (int i = 0; i < 8; ++i) {
        const v3_param_info p = vst3->parameterInfo(i);
        EXPECT_EQ(p.param_id, static_cast<v3_param_id>(i));
        EXPECT_EQ(narrow(p.title), trimmed(vst2->parameterName(i)));
        EXPECT_EQ(narrow(p.units), trimmed(vst2->parameterLabel(i)));
        EXPECT_TRUE(p.flags & V3_PARAM_CAN_AUTOMATE);
        bypassFlags += (p.flags & V3_PARAM_IS_BYPASS) != 0;
        EXPECT_EQ(p.step_count, i == 4 ? 48 : i == 7 ? 1 : 0) << i;
    }
    EXPECT_EQ(bypassFlags, 1);
    EXPECT_TRUE(vst3->parameterInfo(7).flags & V3_PARAM_IS_BYPASS);
    const v3_param_info program = vst3->parameterInfo(8);
    EXPECT_EQ(program.flags, V3_PARAM_PROGRAM_CHANGE | V3_PARAM_IS_LIST);
    EXPECT_EQ(program.step_count, 5);

    // Every Transpose step shows the VST 2.4 text of that step.
    for (int step = 0; step <= 48; ++step) {
        vst2->setParameter(4, static_cast<float>(step / 48.0));
        EXPECT_EQ(vst3->valueText(4, step / 48.0), trimmed(vst2->parameterDisplay(4)));
    }

    // The program list: six names, as the VST 2.4 menu lists them.
    void* units = nullptr;
    ASSERT_EQ(reinterpret_cast<v3_funknown*>(*vst3->component())
                  ->query_interface(vst3->component(), v3_unit_information_iid, &units),
              vst3::kResultOk);
    auto** unitInfo = static_cast<v3_unit_information**>(units);
    v3_program_list_info list{};
    ASSERT_EQ(v3_cpp_obj(unitInfo)->get_program_list_info(unitInfo, 0, &list), vst3::kResultOk);
    EXPECT_EQ(list.programCount, 6);
    for (int k = 0; k < 6; ++k) {
        v3_str_128 name{};
        ASSERT_EQ(v3_cpp_obj(unitInfo)->get_program_name(unitInfo, list.id, k, name),
                  vst3::kResultOk);
        char vst2Name[64] = {};
        vst2->dispatch(effGetProgramNameIndexed, k, 0, vst2Name);
        EXPECT_EQ(narrow(name), vst2Name);
        EXPECT_EQ(vst3->valueText(8, k / 5.0), vst2Name);
    }
    v3_str_128 name{};
    EXPECT_NE(v3_cpp_obj(unitInfo)->get_program_name(unitInfo, list.id, 6, name), vst3::kResultOk);
    EXPECT_NE(v3_cpp_obj(unitInfo)->get_program_name(unitInfo, list.id + 1, 0, name),
              vst3::kResultOk);
    reinterpret_cast<v3_funknown*>(*unitInfo)->unref(unitInfo);
    EXPECT_EQ(v3_cpp_obj(vst3->processor())->get_latency_samples(vst3->processor()), 0u);
    EXPECT_GT(v3_cpp_obj(vst3->processor())->get_tail_samples(vst3->processor()), 44100u);
}

TEST(Vst3Interface, TypedValuesSetTheValueOfTheirText) {
    auto vst3 = loadBundle();
    auto* c = vst3->controller();
    auto typed = [&](v3_param_id id, const char* text, double* value) {
        v3_str_128 s{};
        widen(text, s);
        return v3_cpp_obj(c)->get_parameter_value_for_string(c, id, s, value);
    };
    struct Case {
        v3_param_id id;
        const char* text;
        const char* shown;
    };
    for (const Case& k : {Case{2, "25", "25.0"}, Case{2, "25 %", "25.0"}, Case{0, "-6", "-6.0"},
                          Case{0, "-6 dB", "-6.0"}, Case{0, "-oo", "-oo"}, Case{4, "7", "7"},
                          Case{4, "-24 st", "-24"}, Case{5, "-33.3", "-33.3"},
                          Case{7, "bypassed", "bypassed"}, Case{1, "150", "100.0"}}) {
        double value = -1.0;
        ASSERT_EQ(typed(k.id, k.text, &value), vst3::kResultOk) << k.text;
        EXPECT_GE(value, 0.0);
        EXPECT_LE(value, 1.0);
        EXPECT_EQ(vst3->valueText(k.id, value), k.shown) << k.text;
    }
    double value = 0.5;
    for (const char* bad : {"", "abc", "25 dB", "7 semitones", "nan"})
        EXPECT_EQ(typed(2, bad, &value), vst3::kResultFalse) << bad;
    EXPECT_EQ(value, 0.5);
    EXPECT_NE(typed(9, "25", &value), vst3::kResultOk);
    EXPECT_NE(v3_cpp_obj(c)->get_parameter_value_for_string(c, 2, nullptr, &value),
              vst3::kResultOk);
}

TEST(Vst3Interface, RefusesBadInputAndKeepsGoing) {
    auto vst3 = loadBundle();
    auto* component = vst3->component();
    auto* processor = vst3->processor();
    auto* c = vst3->controller();
    void* obj = reinterpret_cast<void*>(1);
    const v3_tuid unknown = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    EXPECT_EQ(reinterpret_cast<v3_funknown*>(*component)->query_interface(component, unknown, &obj),
              vst3::kNoInterface);
    EXPECT_EQ(obj, nullptr);
    EXPECT_NE(v3_cpp_obj(vst3->factory())
                  ->create_instance(vst3->factory(), unknown, v3_component_iid, &obj),
              vst3::kResultOk);
    EXPECT_EQ(obj, nullptr);

    // Any order of the switches a host may use, before and after setup.
    EXPECT_EQ(v3_cpp_obj(component)->set_active(component, 0), vst3::kResultOk);
    EXPECT_EQ(v3_cpp_obj(processor)->set_processing(processor, 0), vst3::kResultOk);
    EXPECT_EQ(v3_cpp_obj(processor)->set_processing(processor, 1), vst3::kResultOk);
    EXPECT_NE(v3_cpp_obj(processor)->setup_processing(processor, nullptr), vst3::kResultOk);
    EXPECT_EQ(v3_cpp_obj_initialize(component, vst3->application().context()), vst3::kResultOk);

    // Only stereo out; a refused arrangement leaves stereo in and out.
    v3_speaker_arrangement mono = vst3::kSpeakerArrMono, stereo = vst3::kSpeakerArrStereo;
    EXPECT_EQ(v3_cpp_obj(processor)->set_bus_arrangements(processor, &stereo, 1, &mono, 1),
              vst3::kResultFalse);
    EXPECT_EQ(v3_cpp_obj(processor)->set_bus_arrangements(processor, nullptr, 0, &stereo, 1),
              vst3::kResultFalse);
    v3_speaker_arrangement got = 0;
    EXPECT_EQ(v3_cpp_obj(processor)->get_bus_arrangement(processor, V3_INPUT, 0, &got),
              vst3::kResultOk);
    EXPECT_EQ(got, stereo);
    EXPECT_NE(v3_cpp_obj(processor)->get_bus_arrangement(processor, V3_OUTPUT, 1, &got),
              vst3::kResultOk);
    v3_bus_info bus{};
    EXPECT_NE(v3_cpp_obj(component)->get_bus_info(component, V3_EVENT, V3_INPUT, 0, &bus),
              vst3::kResultOk);
    EXPECT_NE(v3_cpp_obj(component)->get_bus_info(component, V3_AUDIO, V3_INPUT, 0, nullptr),
              vst3::kResultOk);
    EXPECT_EQ(v3_cpp_obj(processor)->can_process_sample_size(processor, V3_SAMPLE_64),
              vst3::kResultFalse);
    ASSERT_EQ(vst3->start(48000.0, 256), vst3::kResultOk);

    // Unknown IDs, out-of-range and NaN values.
    EXPECT_NE(v3_cpp_obj(c)->set_parameter_normalised(c, 9, 0.5), vst3::kResultOk);
    EXPECT_NE(v3_cpp_obj(c)->set_parameter_normalised(c, 0x80000000u, 0.5), vst3::kResultOk);
    EXPECT_EQ(v3_cpp_obj(c)->set_parameter_normalised(c, 1, 1.7), vst3::kResultOk);
    EXPECT_EQ(vst3->normalized(1), 1.0);
    v3_param_info info{};
    EXPECT_NE(v3_cpp_obj(c)->get_parameter_info(c, 9, &info), vst3::kResultOk);
    EXPECT_NE(v3_cpp_obj(c)->get_parameter_info(c, 0, nullptr), vst3::kResultOk);
    EXPECT_NE(v3_cpp_obj(c)->get_parameter_string_for_value(c, 42, 0.5, info.title),
              vst3::kResultOk);

    // A flush delivers its changes and touches no audio; so does a block without buffers.
    lyrehost::vst3host::ParamChanges changes;
    changes.queueFor(2).points = {{0, 0.25}, {0, -3.0}};
    changes.queueFor(77).points = {{0, 0.5}};
    EXPECT_EQ(vst3->flush(changes), vst3::kResultOk);
    EXPECT_EQ(vst3->normalized(2), 0.0);
    v3_process_data data{};
    data.nframes = 64;
    data.num_input_buses = data.num_output_buses = 1;
    EXPECT_EQ(v3_cpp_obj(processor)->process(processor, &data), vst3::kResultOk);
    EXPECT_NE(v3_cpp_obj(processor)->process(processor, nullptr), vst3::kResultOk);

    // Still processing normally afterwards.
    std::vector<float> l(256, 0.25f), r(256, -0.25f);
    float* io[2] = {l.data(), r.data()};
    EXPECT_EQ(vst3->process(io, io, 256), vst3::kResultOk);
    for (float x : l)
        ASSERT_TRUE(std::isfinite(x));
}

TEST(Vst3Interface, ProgramChangeIsTheVst2ProgramSwitch) {
    auto vst3 = loadBundle();
    auto* c = vst3->controller();
    ASSERT_EQ(vst3->start(44100.0, 512), vst3::kResultOk);
    // An edit in program 0, a switch to 2 and an edit there, back to 0: each keeps its edit.
    v3_cpp_obj(c)->set_parameter_normalised(c, 2, 0.9);
    v3_cpp_obj(c)->set_parameter_normalised(c, 8, 2.0 / 5.0);
    EXPECT_EQ(vst3->normalized(8), 2.0 / 5.0);
    EXPECT_NE(vst3->normalized(2), static_cast<double>(0.9f));
    v3_cpp_obj(c)->set_parameter_normalised(c, 2, 0.1);
    v3_cpp_obj(c)->set_parameter_normalised(c, 8, 0.0);
    EXPECT_EQ(vst3->normalized(2), static_cast<double>(0.9f));
    v3_cpp_obj(c)->set_parameter_normalised(c, 8, 0.4);
    EXPECT_EQ(vst3->normalized(2), static_cast<double>(0.1f));
    // The host switched from inside its own locks: no call back into it now; the next block
    // reports every value as an output change instead, once.
    EXPECT_TRUE(vst3->handler().calls.empty());
    std::vector<float> l(64), r(64);
    float* io[2] = {l.data(), r.data()};
    lyrehost::vst3host::ParamChanges reported;
    ASSERT_EQ(vst3->process(io, io, 64, nullptr, &reported), vst3::kResultOk);
    ASSERT_EQ(reported.queues.size(), 8u);
    for (const auto& queue : reported.queues) {
        ASSERT_EQ(queue.points.size(), 1u);
        EXPECT_EQ(queue.points[0].second, vst3->normalized(queue.id)) << queue.id;
    }
    EXPECT_EQ(reported.queues[2].points[0].second, static_cast<double>(0.1f));
    lyrehost::vst3host::ParamChanges again;
    ASSERT_EQ(vst3->process(io, io, 64, nullptr, &again), vst3::kResultOk);
    EXPECT_TRUE(again.empty());
    // The handler is released when the host clears it.
    EXPECT_GT(vst3->handler().references, 0);
    v3_cpp_obj(c)->set_component_handler(c, nullptr);
    EXPECT_EQ(vst3->handler().references, 0);
}

} // namespace
