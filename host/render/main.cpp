// lyrebloom-render: runs audio through the Lyrebloom plug-in from the command line.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "host/render/Render.h"
#include "host/render/RenderOptions.h"

int main(int argc, char** argv) {
    try {
        const lyrerender::RenderOptions options =
            lyrerender::parseOptions(std::vector<std::string>(argv + 1, argv + argc));
        if (options.help) {
            std::cout << lyrerender::usage();
            return 0;
        }
        std::cout << lyrerender::run(options);
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "lyrebloom-render: " << error.what() << '\n';
        return 1;
    }
}
