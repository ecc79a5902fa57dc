#include "host/render/ParameterNames.h"

#include <algorithm>
#include <cctype>

namespace lyrerender {
namespace {

std::string folded(const std::string& name) {
    std::string out;
    for (const unsigned char c : name)
        if (!std::isspace(c)) out += static_cast<char>(std::tolower(c));
    return out;
}

std::string withoutSpaces(std::string name) {
    name.erase(std::remove_if(name.begin(), name.end(),
                              [](unsigned char c) { return std::isspace(c) != 0; }),
               name.end());
    return name;
}

} // namespace

std::vector<std::string> parameterNames(lyrehost::Plugin& plugin) {
    std::vector<std::string> names;
    for (VstInt32 i = 0; i < plugin.numParams(); ++i)
        names.push_back(withoutSpaces(plugin.parameterName(i)));
    return names;
}

int findParameter(const std::vector<std::string>& names, const std::string& wanted) {
    const std::string key = folded(wanted);
    if (key.empty()) return -1;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (folded(names[i]) == key) return static_cast<int>(i);
    return -1;
}

} // namespace lyrerender
