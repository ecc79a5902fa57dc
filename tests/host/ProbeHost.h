// A host with the probe plug-in loaded and its log cleared, plus one block of audio to process.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include "host/Plugin.h"

class ProbeHost : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(plugin.load(PROBE_PLUGIN), "");
        void* module = dlopen(PROBE_PLUGIN, RTLD_NOW | RTLD_NOLOAD);
        ASSERT_NE(module, nullptr);
        pinAnswers = static_cast<VstIntPtr*>(dlsym(module, "probePinAnswers"));
        dlclose(module); // the host's own reference keeps it loaded
        ASSERT_NE(pinAnswers, nullptr);
        plugin.log().clear();
    }

    void processBlock() {
        float* in[2] = {input[0], input[1]};
        float* out[2] = {output[0], output[1]};
        plugin.processReplacing(in, out, kFrames);
    }

    static constexpr int kFrames = 16;
    lyrehost::Plugin plugin;
    VstIntPtr* pinAnswers = nullptr;
    float input[2][kFrames] = {};
    float output[2][kFrames] = {};
};
