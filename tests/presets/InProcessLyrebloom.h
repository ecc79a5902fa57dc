// An effect built directly (linked statically), with its preset-system editor object.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "engine/Lyrebloom.h"
#include "presets/CPresetSystemEditor.h"

inline VstIntPtr VSTCALLBACK quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*,
                                       float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

struct Instance {
    Instance()
        : effect(std::make_unique<Lyrebloom>(quietHost)),
          editor(dynamic_cast<CPresetSystemEditor*>(effect->getEditor())) {}

    ProgramBank programs() const { return effect->programs(); }
    int current() const { return effect->getCurrentProgramIndex(); }

    std::unique_ptr<Lyrebloom> effect;
    CPresetSystemEditor* editor;
};

#define ASSERT_PRESET_EDITOR(instance)                                                             \
    ASSERT_NE((instance).editor, nullptr) << "the editor object must be a CPresetSystemEditor"

inline bool sameProgram(const ProgramRecord& a, const ProgramRecord& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

inline std::string nameOf(const ProgramRecord& program) {
    return std::string(program.name, strnlen(program.name, kProgramNameBytes));
}
