// The fixed workload: the demo phrase and a seeded random session (glides, program switches,
// transposition changes, resets, sample-rate changes, a mono stretch, odd block sizes), then a
// sweep of every parameter's host text. Two builds of the plug-in that give the same hashes
// computed the same bytes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>

#include "host/Plugin.h"
#include "host/clap/ClapPlugin.h"
#include "host/vst3/Vst3Plugin.h"
#include "host/workload/ByteHash.h"

namespace lyreworkload {

struct WorkloadOptions {
    std::uint64_t seed = 0x4C79726562ull;
    // Set into the x87 control word for the whole session (after the input is made), as a
    // host might leave it; nothing keeps the current word.
    std::optional<std::uint16_t> hostControlWord;
    // Receives every output frame as two little-endian floats (left, right); may be null.
    std::FILE* raw = nullptr;
    // The session as a VST 3 host can give it, so that the VST 2.4 and VST 3 interfaces can be
    // compared: the rate changes while the plug-in is off (suspend, rate, resume), values stay
    // within [0, 1], the output stays stereo, and texts carry no padding spaces.
    bool asVst3Host = false;
};

struct WorkloadTotals {
    ByteHash input;
    ByteHash output;
    ByteHash texts;
    std::uint64_t frames = 0;
    std::uint64_t blocks = 0;
    std::uint64_t textCount = 0;
    std::uint64_t parameterChanges = 0;
    std::uint64_t programSwitches = 0;
    std::uint64_t resets = 0;
    std::uint64_t transpositions = 0;
    std::uint64_t sampleRates = 0;
    // Calls after which the host's x87 control word was not what it was before the call.
    std::uint64_t controlWordChanges = 0;
    bool rawWriteFailed = false;
};

// The plug-in must be loaded and not yet opened.
WorkloadTotals runWorkload(lyrehost::Plugin& plugin, const WorkloadOptions& options);
// The VST 3 plug-in must be loaded and not started; the session runs with asVst3Host set.
WorkloadTotals runWorkload(lyrehost::Vst3Plugin& plugin, WorkloadOptions options);
// The CLAP plug-in must be loaded and not activated; the session runs with asVst3Host set
// (the same limits hold for a CLAP host).
WorkloadTotals runWorkload(lyrehost::ClapPlugin& plugin, WorkloadOptions options);

} // namespace lyreworkload
