#include "host/render/Render.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "host/Plugin.h"
#include "host/render/AudioSource.h"
#include "host/render/DemoExcitation.h"
#include "host/render/LevelMeter.h"
#include "host/render/OutputFile.h"
#include "host/render/ParameterNames.h"
#include "host/render/PluginLocation.h"
#include "host/render/ProgramFiles.h"
#include "host/render/ProgramSetup.h"
#include "host/render/ProgressBar.h"
#include "host/render/RenderError.h"

namespace lyrerender {
namespace {

std::unique_ptr<AudioSource> openSource(const RenderOptions& options) {
    if (options.input.empty())
        return makeMemorySource(demoExcitation(options.demoRate), options.demoRate);
    return openAudioFile(options.input);
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

// Resolves every name before any value is applied, so a typo fails the whole render.
std::vector<int> resolveSettings(lyrehost::Plugin& plugin,
                                 const std::vector<ParameterSetting>& settings) {
    const std::vector<std::string> names = parameterNames(plugin);
    std::vector<int> indexes;
    for (const ParameterSetting& setting : settings) {
        const int index = findParameter(names, setting.name);
        if (index < 0)
            throw RenderError("unknown parameter '" + setting.name + "' (valid: " + joined(names) +
                              ")");
        indexes.push_back(index);
    }
    return indexes;
}

// Channel buffers for one block. Pins beyond the first two read silence and write to scratch.
struct BlockBuffers {
    BlockBuffers(std::size_t frames, int channels, int pinsIn, int pinsOut)
        : inLeft(frames), inRight(frames), outLeft(frames), outRight(frames), silent(frames),
          scratch(frames) {
        inputs.assign(static_cast<std::size_t>(std::max(2, pinsIn)), silent.data());
        outputs.assign(static_cast<std::size_t>(std::max(2, pinsOut)), scratch.data());
        inputs[0] = inLeft.data();
        inputs[1] = channels == 1 ? inLeft.data() : inRight.data();
        outputs[0] = outLeft.data();
        outputs[1] = outRight.data();
    }

    std::vector<float> inLeft, inRight, outLeft, outRight, silent, scratch;
    std::vector<float*> inputs, outputs;
};

void loadPlugin(lyrehost::Plugin& plugin, const RenderOptions& options) {
    if (const std::string error = plugin.load(locatePlugin(options.pluginPath)); !error.empty())
        throw RenderError("cannot load the plug-in: " + error);
    plugin.open();
}

// Programs first, then the single values on top. Parameter names are checked before any
// program or value is set.
void applyState(lyrehost::Plugin& plugin, const RenderOptions& options) {
    const std::vector<int> indexes = resolveSettings(plugin, options.settings);
    applyProgramOptions(plugin, options);
    for (std::size_t i = 0; i < indexes.size(); ++i)
        plugin.setParameter(indexes[i], options.settings[i].value);
}

// What a host does before the first block: open, rate, block size, channel layout, programs,
// parameters and resume.
void startPlugin(lyrehost::Plugin& plugin, const RenderOptions& options, double rate,
                 int channels) {
    loadPlugin(plugin, options);
    plugin.setSampleRate(static_cast<float>(rate));
    plugin.setBlockSize(options.blockSize);
    plugin.setSpeakerArrangement(channels, 2);
    applyState(plugin, options);
    plugin.resume();
}

// The source, then the tail of silence, block by block into the output file.
LevelMeter processAll(lyrehost::Plugin& plugin, AudioSource& source, OutputFile& output,
                      const RenderOptions& options) {
    const auto block = static_cast<std::size_t>(options.blockSize);
    BlockBuffers buffers(block, source.channels(), plugin.numInputs(), plugin.numOutputs());
    std::int64_t tailLeft = std::llround(options.tailSeconds * source.sampleRate());
    ProgressBar progress(source.frames() + tailLeft, source.sampleRate());
    LevelMeter meter;
    bool sourceDone = false;
    for (;;) {
        std::size_t frames = 0;
        if (!sourceDone) {
            frames = source.read(buffers.inLeft.data(), buffers.inRight.data(), block);
            sourceDone = frames == 0;
        }
        if (sourceDone) {
            frames = static_cast<std::size_t>(std::min<std::int64_t>(tailLeft, options.blockSize));
            tailLeft -= static_cast<std::int64_t>(frames);
            std::fill_n(buffers.inLeft.begin(), frames, 0.0f);
            std::fill_n(buffers.inRight.begin(), frames, 0.0f);
        }
        if (frames == 0) break;
        plugin.processReplacing(buffers.inputs.data(), buffers.outputs.data(),
                                static_cast<VstInt32>(frames));
        // A mono-output plug-in: both sides get its one channel.
        if (plugin.numOutputs() < 2)
            std::copy_n(buffers.outLeft.begin(), frames, buffers.outRight.begin());
        output.write(buffers.outLeft.data(), buffers.outRight.data(), frames);
        meter.add(buffers.outLeft.data(), buffers.outRight.data(), frames);
        progress.update(static_cast<std::int64_t>(meter.frames()));
    }
    progress.finish();
    return meter;
}

} // namespace

std::string render(const RenderOptions& options) {
    const std::unique_ptr<AudioSource> source = openSource(options);
    OutputFile output(options.output, source->sampleRate());
    lyrehost::Plugin plugin;
    startPlugin(plugin, options, source->sampleRate(), source->channels());
    const Bytes chunk = currentChunk(plugin).bytes(); // rendering leaves the programs alone
    const LevelMeter meter = processAll(plugin, *source, output, options);
    plugin.suspend();
    plugin.unload();
    if (!options.saveChunkFile.empty()) writeFileAtomically(options.saveChunkFile, chunk);
    output.commit();
    return options.output + ": " + meter.summary(source->sampleRate());
}

std::string listPrograms(const RenderOptions& options) {
    lyrehost::Plugin plugin;
    loadPlugin(plugin, options);
    applyState(plugin, options);
    std::string text;
    const std::vector<std::string> names = programNames(plugin);
    for (std::size_t i = 0; i < names.size(); ++i)
        text += std::to_string(i) + " " + names[i] + "\n";
    return text;
}

std::string saveChunk(const RenderOptions& options) {
    lyrehost::Plugin plugin;
    loadPlugin(plugin, options);
    applyState(plugin, options);
    writeFileAtomically(options.saveChunkFile, currentChunk(plugin).bytes());
    return options.saveChunkFile + ": " + std::to_string(kChunkBytes) + " bytes, program " +
           std::to_string(currentChunk(plugin).currentProgram());
}

std::string run(const RenderOptions& options) {
    if (options.listPrograms) return listPrograms(options);
    if (options.output.empty()) return saveChunk(options) + "\n";
    return render(options) + "\n";
}

} // namespace lyrerender
