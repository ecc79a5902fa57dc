// Every derived value and display text over a fixed grid: the parameter grid, then each
// function's results in a fixed order. The same grid on every platform.
#pragma once

#include <string>
#include <vector>

#include "editor/DisplayText.h"
#include "engine/ParameterMapping.h"
#include "engine/ParameterText.h"

namespace derived {

struct Sweep {
    std::vector<float> values;
    std::vector<std::string> texts;
};

// Grid point k of n in [0, 1], as a float.
inline float gridPoint(int k, int n) {
    return static_cast<float>(static_cast<double>(k) / static_cast<double>(n));
}

inline Sweep sweep(int points = 100000) {
    Sweep out;
    out.values.reserve(static_cast<std::size_t>(points) * 12 + 64);
    for (int step = 0; step <= 48; ++step)
        out.values.push_back(mapping::transpositionRatio(step));
    // The decay mapping at eight transpositions across the range, down to 4 octaves below.
    const int steps[] = {0, 7, 12, 23, 24, 31, 41, 48};
    for (int k = 0; k <= points; ++k) {
        const float x = gridPoint(k, points);
        for (int step : steps)
            out.values.push_back(mapping::feedbackGain(x, mapping::transpositionRatio(step)));
        out.values.push_back(mapping::dampingCoefficient(x));
        out.values.push_back(mapping::tuningRatio(x));
        out.values.push_back(mapping::outputGain(x));
    }
    char text[64];
    const int textPoints = points / 10;
    for (int k = 0; k <= textPoints; ++k) {
        const float x = gridPoint(k, textPoints);
        for (int index = 0; index < 8; ++index) {
            paramtext::display(index, x, text);
            out.texts.emplace_back(text);
        }
        displaytext::decibels(mapping::outputGain(x), text);
        out.texts.emplace_back(text);
        displaytext::percent(x, text);
        out.texts.emplace_back(text);
        displaytext::cents(x, text);
        out.texts.emplace_back(text);
        displaytext::semitones(x, text);
        out.texts.emplace_back(text);
    }
    return out;
}

} // namespace derived
