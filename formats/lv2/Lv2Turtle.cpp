// lyrebloom-lv2-ttl DIR: writes the bundle's descriptions (manifest.ttl, lyrebloom.ttl,
// presets.ttl) from the effect's own tables, so that names, defaults and programs cannot
// drift from what the module does. Run by the build.
#include <cctype>
#include <cstdio>
#include <string>

#include "engine/FactoryPrograms.h"
#include "engine/ParameterText.h"
#include "engine/Parameters.h"
#include "formats/common/ParameterText.h"
#include "formats/lv2/Lv2Ports.h"
#include "shell/ProjectVersion.h"

namespace {

using namespace lyrelv2;

constexpr const char* kPrefixes = "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
                                  "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
                                  "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                                  "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
                                  "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                                  "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
                                  "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
                                  "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
                                  "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
                                  "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
                                  "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

std::string symbolOf(uint32_t port) {
    if (port == kEnabled) return "enabled";
    std::string s = lyreformat::trimmed(paramtext::name(parameterOfPort(port)));
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string number(float x) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(x));
    std::string s = text;
    return s.find_first_of(".e") == std::string::npos ? s + ".0" : s;
}

bool write(const std::string& path, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && ok;
}

std::string audioPort(uint32_t index, bool input, const char* symbol, const char* name) {
    return std::string("[\n    a lv2:AudioPort, ") + (input ? "lv2:InputPort" : "lv2:OutputPort") +
           " ;\n    lv2:index " + std::to_string(index) + " ;\n    lv2:symbol \"" + symbol +
           "\" ;\n    lv2:name \"" + name + "\"\n  ]";
}

std::string controlPort(uint32_t port) {
    const float normal = kFactoryPrograms[0].values[parameterOfPort(port)];
    std::string text = "[\n    a lv2:ControlPort, lv2:InputPort ;\n    lv2:index " +
                       std::to_string(port) + " ;\n    lv2:symbol \"" + symbolOf(port) +
                       "\" ;\n    lv2:name ";
    if (port == kEnabled) {
        text += "\"Enabled\" ;\n    lv2:designation lv2:enabled ;\n"
                "    lv2:portProperty lv2:toggled ;\n";
    } else {
        text += quoted(lyreformat::trimmed(paramtext::name(parameterOfPort(port)))) + " ;\n";
    }
    const bool transpose = parameterOfPort(port) == kTranspose;
    if (transpose) {
        text += "    lv2:portProperty lv2:integer ;\n    units:unit units:semitone12TET ;\n";
        for (int step : {-24, -12, 0, 12, 24})
            text += "    lv2:scalePoint [ rdfs:label " +
                    quoted((step > 0 ? "+" : "") + std::to_string(step)) + " ; rdf:value " +
                    std::to_string(step) + ".0 ] ;\n";
    }
    text += "    lv2:default " + number(portValue(port, normal)) + " ;\n";
    text += std::string("    lv2:minimum ") + (transpose ? "-24.0" : "0.0") + " ;\n";
    text += std::string("    lv2:maximum ") + (transpose ? "24.0" : "1.0") + "\n  ]";
    return text;
}

std::string pluginTurtle() {
    std::string text = kPrefixes;
    text += std::string("<") + kChunkUri +
            ">\n  a rdf:Property ;\n  rdfs:label \"ZEM Lyrebloom state\" ;\n"
            "  rdfs:range atom:Chunk .\n\n";
    text += std::string("<") + kPluginUri +
            ">\n  a lv2:Plugin, lv2:ReverbPlugin, doap:Project ;\n"
            "  doap:name \"ZEM Lyrebloom\" ;\n  lv2:minorVersion " +
            std::to_string(version::kMinor) + " ;\n  lv2:microVersion " +
            std::to_string(version::kPatch) +
            " ;\n"
            "  lv2:optionalFeature lv2:hardRTCapable, urid:map ;\n"
            "  lv2:extensionData state:interface ;\n  ui:ui <" +
            kUiUri + "> ;\n  lv2:port ";
    text += audioPort(kInputLeft, true, "in_l", "Input L") + ", " +
            audioPort(kInputRight, true, "in_r", "Input R") + ", " +
            audioPort(kOutputLeft, false, "out_l", "Output L") + ", " +
            audioPort(kOutputRight, false, "out_r", "Output R");
    for (uint32_t port = kFirstControl; port < kPortCount; ++port)
        text += ", " + controlPort(port);
    text += " .\n\n";
    // The editor: embedded in the host's X11 window, kept running by idle calls; its size
    // follows the host's scale (an option, mapped through urid:map) or the user's choice.
    text += std::string("<") + kUiUri +
            ">\n  a ui:X11UI ;\n  lv2:requiredFeature ui:idleInterface ;\n"
            "  lv2:optionalFeature ui:parent, ui:resize, ui:touch, ui:noUserResize, "
            "opts:options, urid:map ;\n"
            "  opts:supportedOption ui:scaleFactor ;\n"
            "  lv2:extensionData ui:idleInterface, opts:interface .\n";
    return text;
}

std::string presetUri(int k) {
    return std::string("<") + kPluginUri + "#program" + std::to_string(k) + ">";
}

std::string presetsTurtle() {
    std::string text = kPrefixes;
    for (int k = 0; k < 6; ++k) {
        text += presetUri(k) + "\n  a pset:Preset ;\n  lv2:appliesTo <" + kPluginUri +
                "> ;\n  rdfs:label " + quoted(kFactoryPrograms[k].name) + " ;\n  lv2:port ";
        for (uint32_t port = kFirstControl; port < kPortCount; ++port) {
            const float x = kFactoryPrograms[k].values[parameterOfPort(port)];
            text += std::string(port == kFirstControl ? "" : ", ") + "[ lv2:symbol \"" +
                    symbolOf(port) + "\" ; pset:value " + number(portValue(port, x)) + " ]";
        }
        text += " .\n\n";
    }
    return text;
}

std::string manifestTurtle() {
    std::string text = kPrefixes;
    text += std::string("<") + kPluginUri +
            ">\n  a lv2:Plugin ;\n  lv2:binary <lyrebloom.so> ;\n"
            "  rdfs:seeAlso <lyrebloom.ttl> .\n\n";
    text += std::string("<") + kUiUri +
            ">\n  a ui:X11UI ;\n  ui:binary <lyrebloom_ui.so> ;\n"
            "  rdfs:seeAlso <lyrebloom.ttl> .\n\n";
    for (int k = 0; k < 6; ++k)
        text += presetUri(k) + "\n  a pset:Preset ;\n  lv2:appliesTo <" + kPluginUri +
                "> ;\n  rdfs:seeAlso <presets.ttl> .\n\n";
    return text;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: lyrebloom-lv2-ttl BUNDLE-DIR\n", stderr);
        return 2;
    }
    const std::string dir = argv[1];
    const bool ok = write(dir + "/manifest.ttl", manifestTurtle()) &&
                    write(dir + "/lyrebloom.ttl", pluginTurtle()) &&
                    write(dir + "/presets.ttl", presetsTurtle());
    if (!ok) std::fprintf(stderr, "lyrebloom-lv2-ttl: cannot write into %s\n", dir.c_str());
    return ok ? 0 : 1;
}
