// Feeds every file of the given corpus folders (or single files) to the fuzz target once, in
// name order, for builds without libFuzzer (Windows). A failed check aborts the process, so
// the exit status says whether every input passed.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const fs::path path = fs::u8path(argv[i]);
        if (fs::is_directory(path)) {
            for (const fs::directory_entry& entry : fs::directory_iterator(path))
                if (entry.is_regular_file()) inputs.push_back(entry.path());
        } else if (fs::is_regular_file(path)) {
            inputs.push_back(path);
        } else {
            std::fprintf(stderr, "no such corpus: %s\n", argv[i]);
            return 2;
        }
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "usage: %s CORPUS-FOLDER-OR-FILE...\n", argc > 0 ? argv[0] : "replay");
        return 2;
    }
    std::sort(inputs.begin(), inputs.end());
    for (const fs::path& input : inputs) {
        std::ifstream in(input, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
        // An empty input still gets a valid pointer.
        const std::uint8_t none = 0;
        LLVMFuzzerTestOneInput(bytes.empty() ? &none
                                             : reinterpret_cast<const std::uint8_t*>(bytes.data()),
                               bytes.size());
        std::printf("%s: %zu bytes passed\n", input.filename().string().c_str(), bytes.size());
    }
    std::printf("%zu inputs passed\n", inputs.size());
    return 0;
}
