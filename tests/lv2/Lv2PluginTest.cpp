// The LV2 module loaded through lv2_descriptor as a host loads it: control ports read once a
// block give the VST 2.4 module's bytes, and the state extension carries its chunk.
#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstring>
#include <map>
#include <random>
#include <string>

#include "host/SharedLibrary.h"
#include "tests/vst3/Vst3Fixture.h"

namespace {

// A host's URID map and one instance, with every port connected to host memory.
class Lv2Host {
  public:
    explicit Lv2Host(bool withMap) {
        EXPECT_EQ(library_.open(LYREBLOOM_LV2_BUNDLE "/lyrebloom.so"), "");
        auto entry = reinterpret_cast<const LV2_Descriptor* (*)(uint32_t)>(
            library_.symbol("lv2_descriptor"));
        descriptor_ = entry ? entry(0) : nullptr;
        if (!descriptor_) return;
        const LV2_Feature map{LV2_URID__map, &map_};
        const LV2_Feature* features[] = {withMap ? &map : nullptr, nullptr};
        instance_ = descriptor_->instantiate(descriptor_, 44100.0, LYREBLOOM_LV2_BUNDLE, features);
        EXPECT_NE(instance_, nullptr);
        state_ = static_cast<const LV2_State_Interface*>(
            descriptor_->extension_data(LV2_STATE__interface));
        for (uint32_t port = 4; port < 12; ++port)
            descriptor_->connect_port(instance_, port, &controls[port - 4]);
        descriptor_->activate(instance_);
    }
    ~Lv2Host() {
        if (!instance_) return;
        descriptor_->deactivate(instance_);
        descriptor_->cleanup(instance_);
    }

    void run(float* inL, float* inR, float* outL, float* outR, uint32_t frames) {
        float* ports[] = {inL, inR, outL, outR};
        for (uint32_t port = 0; port < 4; ++port)
            descriptor_->connect_port(instance_, port, ports[port]);
        descriptor_->run(instance_, frames);
    }

    LV2_State_Status save() {
        saved.clear();
        return state_->save(instance_, store, this, 0, nullptr);
    }
    LV2_State_Status restore(const std::vector<std::uint8_t>& bytes, const char* type) {
        toRestore = bytes;
        restoreType = uri(type);
        return state_->restore(instance_, retrieve, this, 0, nullptr);
    }

    // Output, Mix, Decay, Damp, Transpose (semitones), Tune, Detune, Enabled.
    float controls[8] = {0.5f, 0.25f, 0.25f, 0.25f, 0.0f, 0.5f, 0.0f, 1.0f};
    std::vector<std::uint8_t> saved, toRestore;
    LV2_URID restoreType = 0;

  private:
    LV2_URID uri(const char* text) { return ids_.emplace(text, ids_.size() + 1).first->second; }
    static LV2_URID mapUri(LV2_URID_Map_Handle handle, const char* text) {
        return static_cast<Lv2Host*>(handle)->uri(text);
    }
    static LV2_State_Status store(LV2_State_Handle handle, uint32_t key, const void* value,
                                  size_t size, uint32_t type, uint32_t flags) {
        auto& self = *static_cast<Lv2Host*>(handle);
        EXPECT_EQ(key, self.uri("https://www.ostrandia.de/plugins/lyrebloom#chunk"));
        EXPECT_EQ(type, self.uri(LV2_ATOM__Chunk));
        EXPECT_EQ(flags, static_cast<uint32_t>(LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE));
        const auto* bytes = static_cast<const std::uint8_t*>(value);
        self.saved.assign(bytes, bytes + size);
        return LV2_STATE_SUCCESS;
    }
    static const void* retrieve(LV2_State_Handle handle, uint32_t, size_t* size, uint32_t* type,
                                uint32_t* flags) {
        auto& self = *static_cast<Lv2Host*>(handle);
        *size = self.toRestore.size();
        *type = self.restoreType;
        *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
        return self.toRestore.data();
    }

    lyrehost::SharedLibrary library_;
    const LV2_Descriptor* descriptor_ = nullptr;
    LV2_Handle instance_ = nullptr;
    const LV2_State_Interface* state_ = nullptr;
    std::map<std::string, LV2_URID> ids_;
    LV2_URID_Map map_{this, mapUri};
};

// Controls changed between blocks of random sizes (in place), against a VST 2.4 host that
// sets the same values before the same blocks.
TEST(Lv2Process, ControlsPerBlockGiveTheVst2Bytes) {
    auto vst2 = loadVst2();
    startVst2(*vst2, 44100.0f, 8192);
    Lv2Host lv2(false);
    std::mt19937 random(9);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::vector<float> inL(8192), inR(8192), ioL(8192), ioR(8192), outL(8192), outR(8192);
    int changes = 0;
    for (int block = 0; block < 120; ++block) {
        const auto frames = static_cast<uint32_t>(1 + random() % 6000);
        for (uint32_t i = 0; i < frames; ++i) {
            inL[i] = ioL[i] = random() % 50 == 0 ? unit(random) - 0.5f : 0.0f;
            inR[i] = ioR[i] = 0.5f * inL[i];
        }
        if (random() % 2) {
            const int index = static_cast<int>(random() % 8);
            float normal = unit(random);
            if (index == 4) {
                const int semitones = static_cast<int>(random() % 49) - 24;
                lv2.controls[4] = static_cast<float>(semitones);
                normal = static_cast<float>((semitones + 24) / 48.0);
            } else if (index == 7) {
                lv2.controls[7] = lv2.controls[7] < 0.5f ? 1.0f : 0.0f;
                normal = lv2.controls[7] < 0.5f ? 1.0f : 0.0f;
            } else {
                lv2.controls[index] = normal;
            }
            vst2->setParameter(index, normal);
            ++changes;
        }
        lv2.run(ioL.data(), ioR.data(), ioL.data(), ioR.data(), frames);
        float* in[2] = {inL.data(), inR.data()};
        float* out[2] = {outL.data(), outR.data()};
        vst2->processReplacing(in, out, static_cast<VstInt32>(frames));
        ASSERT_EQ(0, std::memcmp(ioL.data(), outL.data(), frames * sizeof(float))) << block;
        ASSERT_EQ(0, std::memcmp(ioR.data(), outR.data(), frames * sizeof(float))) << block;
    }
    EXPECT_GT(changes, 40);
}

TEST(Lv2State, IsTheVst2ChunkAndRefusesAnythingElse) {
    auto vst2 = loadVst2();
    startVst2(*vst2, 44100.0f, 64);
    vst2->setParameter(2, 0.9f);
    vst2->setParameter(4, 0.75f);
    const std::vector<std::uint8_t> chunk = vst2Chunk(*vst2);

    Lv2Host lv2(true);
    ASSERT_EQ(lv2.restore(chunk, LV2_ATOM__Chunk), LV2_STATE_SUCCESS);
    ASSERT_EQ(lv2.save(), LV2_STATE_SUCCESS);
    EXPECT_EQ(lv2.saved, chunk);

    for (const BadChunk& b : badChunks(chunk)) {
        EXPECT_NE(lv2.restore(b.bytes, LV2_ATOM__Chunk), LV2_STATE_SUCCESS) << b.what;
        ASSERT_EQ(lv2.save(), LV2_STATE_SUCCESS);
        EXPECT_EQ(lv2.saved, chunk) << b.what;
    }
    EXPECT_EQ(lv2.restore(chunk, LV2_ATOM__String), LV2_STATE_ERR_BAD_TYPE);

    // Without the host's URID map (lv2apply): it runs, its state is unavailable.
    Lv2Host bare(false);
    EXPECT_EQ(bare.save(), LV2_STATE_ERR_NO_FEATURE);
    EXPECT_EQ(bare.restore(chunk, LV2_ATOM__Chunk), LV2_STATE_ERR_NO_FEATURE);
    std::vector<float> silence(64), outL(64, 9.0f), outR(64, 9.0f);
    bare.run(silence.data(), silence.data(), outL.data(), outR.data(), 64);
    // Silence in, the effect's own denormal guard out: nothing audible.
    for (float x : outL)
        EXPECT_LT(std::fabs(x), 1e-6f);
}

} // namespace
