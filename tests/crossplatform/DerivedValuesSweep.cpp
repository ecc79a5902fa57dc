// lyre-derived-sweep: the derived values and display texts over a dense grid of parameter
// values, hashed. Built for every platform from the same sources; run with
// --x87-precision 24 to see what a host's 24-bit control word does to them.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "editor/DisplayText.h"
#include "engine/ParameterMapping.h"
#include "engine/ParameterText.h"
#include "host/workload/ByteHash.h"
#include "host/workload/X87ControlWord.h"
#include "tests/crossplatform/DerivedValues.h"

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--x87-precision") == 0) {
        const auto word =
            lyreworkload::withPrecision(lyreworkload::readX87ControlWord(), std::atoi(argv[2]));
        if (!word || !lyreworkload::kHasX87) {
            std::fprintf(stderr, "lyre-derived-sweep: precision must be 24, 53 or 64\n");
            return 2;
        }
        lyreworkload::writeX87ControlWord(*word);
    } else if (argc != 1) {
        std::fprintf(stderr, "usage: lyre-derived-sweep [--x87-precision 24|53|64]\n");
        return 2;
    }
    const std::uint16_t before = lyreworkload::readX87ControlWord();
    const derived::Sweep sweep = derived::sweep();
    const bool kept = lyreworkload::readX87ControlWord() == before;

    lyreworkload::ByteHash values, texts;
    values.add(sweep.values.data(), sweep.values.size() * sizeof(float));
    for (const std::string& text : sweep.texts) {
        texts.add(text.data(), text.size());
        texts.add("\n", 1);
    }
    std::printf("derived %s %zu\n", values.hex().c_str(), sweep.values.size());
    std::printf("texts %s %zu\n", texts.hex().c_str(), sweep.texts.size());
    std::printf("x87-control-word %s\n", kept ? "kept" : "changed");
    return kept ? 0 : 1;
}
