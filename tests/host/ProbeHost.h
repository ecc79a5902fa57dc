// A host with the probe plug-in loaded and its log cleared, plus one block of audio to process.
#pragma once

#include <gtest/gtest.h>

#include "host/Plugin.h"
#include "tests/host/ModuleReference.h"

class ProbeHost : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(plugin.load(PROBE_PLUGIN), "");
        {
            const ModuleReference module(PROBE_PLUGIN);
            ASSERT_NE(module.handle, nullptr);
            pinAnswers = static_cast<VstIntPtr*>(module.symbol("probePinAnswers"));
        } // the host's own reference keeps it loaded
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
