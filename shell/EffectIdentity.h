// What the effect tells the host about itself, and how its pins and buffers are chosen.
#pragma once

#include "shell/ProjectVersion.h"
#include "shell/vst2.h"

namespace identity {

inline constexpr char kEffectName[] = "ZEM Lyrebloom";
inline constexpr char kVendorString[] = "www.ostrandia.de";
inline constexpr char kProductString[] = "ZEM Lyrebloom - string rezonator plug-in";
inline constexpr VstInt32 kVendorVersion = version::kVendorNumber;
inline constexpr VstInt32 kUniqueID = fourCharCode('Z', 'm', 'L', 'y');
static_assert(sizeof(kVendorString) - 1 == 16, "the maker's domain is 16 characters");

// Fills label and flags of pin 0 or 1; any other index answers false and writes nothing.
bool describePin(VstInt32 index, bool input, VstPinProperties* properties);

struct StereoChoice {
    bool inputStereo;
    bool outputStereo;
    bool accepted;
};
// Only the channel counts matter; unsupported pairs fall back to full stereo.
StereoChoice chooseArrangement(const VstSpeakerArrangement* input,
                               const VstSpeakerArrangement* output);

// The second channel's buffer, or the first one when the second may not be used.
template <typename Sample> Sample* secondChannel(Sample** buffers, bool connected, bool stereo) {
    return connected && buffers[1] && stereo ? buffers[1] : buffers[0];
}

} // namespace identity
