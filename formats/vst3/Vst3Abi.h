// The VST 3 binary interface as Debian's travesty declares it, plus the few values it lacks.
// Vst3AbiChecks.cpp holds the build to the published sizes, offsets, slots and IDs.
#pragma once

#include <cstdint>

#include <travesty/audio_processor.h>
#include <travesty/base.h>
#include <travesty/bstream.h>
#include <travesty/component.h>
#include <travesty/edit_controller.h>
#include <travesty/factory.h>
#include <travesty/host.h>
#include <travesty/unit.h>
#include <travesty/view.h>

// travesty gives these two host interfaces no C++ form; they extend FUnknown alone.
struct v3_bstream_cpp : v3_funknown {
    v3_bstream stream;
};
struct v3_component_handler_cpp : v3_funknown {
    v3_component_handler handler;
};

namespace vst3 {

// travesty's results as v3_result values: its enumerators of the Windows failures (0x80004002
// and up) do not fit an int, and every use would narrow them.
inline constexpr v3_result kResultOk = V3_OK;
inline constexpr v3_result kResultFalse = V3_FALSE;
inline constexpr v3_result kNoInterface = static_cast<v3_result>(V3_NO_INTERFACE);
inline constexpr v3_result kInvalidArgument = static_cast<v3_result>(V3_INVALID_ARG);
inline constexpr v3_result kNotImplemented = static_cast<v3_result>(V3_NOT_IMPLEMENTED);
inline constexpr v3_result kInternalError = static_cast<v3_result>(V3_INTERNAL_ERR);
inline constexpr v3_result kNotInitialized = static_cast<v3_result>(V3_NOT_INITIALIZED);
inline constexpr v3_result kOutOfMemory = static_cast<v3_result>(V3_NOMEM);

// travesty names the results but not the factory and class constants hosts check.
inline constexpr int32_t kFactoryUnicode = 16;
inline constexpr int32_t kManyInstances = 0x7FFFFFFF;
inline constexpr uint64_t kSpeakerArrStereo = V3_SPEAKER_L | V3_SPEAKER_R;
inline constexpr uint64_t kSpeakerArrMono = V3_SPEAKER_M;
inline constexpr int32_t kRootUnitId = 0;
inline constexpr int32_t kNoParentUnitId = -1;
inline constexpr uint32_t kNoTail = 0;

// An ID from its four declared words, in this platform's byte order (COM order on Windows).
struct Tuid {
    uint8_t bytes[16];
};
constexpr Tuid makeTuid(uint32_t l1, uint32_t l2, uint32_t l3, uint32_t l4) {
    const uint32_t words[4] = {l1, l2, l3, l4};
    Tuid id{};
    for (int w = 0; w < 4; ++w)
        for (int b = 0; b < 4; ++b)
            id.bytes[4 * w + b] = static_cast<uint8_t>(words[w] >> (24 - 8 * b));
#if V3_COM_COMPAT
    const uint8_t l1Bytes[4] = {id.bytes[3], id.bytes[2], id.bytes[1], id.bytes[0]};
    const uint8_t l2Bytes[4] = {id.bytes[5], id.bytes[4], id.bytes[7], id.bytes[6]};
    for (int b = 0; b < 4; ++b) {
        id.bytes[b] = l1Bytes[b];
        id.bytes[4 + b] = l2Bytes[b];
    }
#endif
    return id;
}

constexpr bool sameId(const uint8_t* a, const uint8_t* b) {
    for (int i = 0; i < 16; ++i)
        if (a[i] != b[i]) return false;
    return true;
}

// The class ID of the plug-in: "VST", the VST 2 unique ID 'ZmLy' and "zem lyreb", so that hosts
// take it for the replacement of the VST 2 plug-in.
inline constexpr uint32_t kClassIdWords[4] = {0x5653545A, 0x6D4C797A, 0x656D206C, 0x79726562};
inline constexpr Tuid kClassId =
    makeTuid(kClassIdWords[0], kClassIdWords[1], kClassIdWords[2], kClassIdWords[3]);
inline constexpr char kClassIdText[] = "5653545A6D4C797A656D206C79726562";

} // namespace vst3
