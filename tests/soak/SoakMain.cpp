// The soak executable: the GoogleTest suites, or one of the helper roles that the tests start
// as separate processes sharing the per-user store.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "SoakSupport.h"
#include "StoreWriter.h"
#include "ToolkitTestSupport.h"
#include "engine/Lyrebloom.h"
#include "presets/CPresetSystemEditor.h"

namespace {

CPresetSystemEditor* editorOf(Lyrebloom& fx) {
    return dynamic_cast<CPresetSystemEditor*>(fx.getEditor());
}

// Another instance stores memory A or B holding stamp n.
int storeMemo(const char* which, std::uint32_t n) {
    Lyrebloom fx(soak::quietHost);
    fx.loadCurrentProgram(soak::stampedProgram(n));
    if (!editorOf(fx)) return 2;
    std::strcmp(which, "A") == 0 ? editorOf(fx)->storeMemoA() : editorOf(fx)->storeMemoB();
    return 0;
}

// Another instance recalls memory A or B and finds stamp n in it.
int checkMemo(const char* which, std::uint32_t n) {
    Lyrebloom fx(soak::quietHost);
    if (!editorOf(fx)) return 2;
    std::strcmp(which, "A") == 0 ? editorOf(fx)->recallMemoA() : editorOf(fx)->recallMemoB();
    const std::int64_t found = soak::stampOf(fx.currentProgram());
    if (found == n) return 0;
    std::fprintf(stderr, "memory %s holds stamp %lld, expected %u\n", which,
                 static_cast<long long>(found), n);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--store-memo") == 0)
        return storeMemo(argv[2], static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 10)));
    if (argc == 4 && std::strcmp(argv[1], "--check-memo") == 0)
        return checkMemo(argv[2], static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 10)));
    if (argc == 5 && std::strcmp(argv[1], "--store-writer") == 0)
        return storewriter::run(std::atoi(argv[2]), std::atoi(argv[3]), std::atof(argv[4]));
    ::testing::InitGoogleTest(&argc, argv);
    releaseLibraryCachesAtExit();
    return RUN_ALL_TESTS();
}
