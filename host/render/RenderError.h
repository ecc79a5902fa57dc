// A failure the render tool reports as one line and a non-zero exit.
#pragma once

#include <stdexcept>

namespace lyrerender {

class RenderError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

} // namespace lyrerender
