#pragma once

// The movie sizes this machine can export, for code that must cap picture
// sizes without knowing the renderers (capture, paste, imports). The movie
// renderer's class operations of the same names answer from here.

#include "platform/graphics/Geometry.h"

#include <string>
#include <vector>

class MovieResolution {
public:
    // The largest movie size: 3840×2160, 1920×1080, 1280×720, 960×540,
    // 640×480 or 640×360, the first whose export preset exists; (0, 0) when none.
    static graphics::Size getMaximumResolutionAvailable();
    // True for 640×360, 640×480, 960×540, 1280×720 and 1920×1080 when their
    // export preset exists; false for every other size.
    static bool isResolutionAvailable(graphics::Size size);

    // The same answers over a given preset list.
    static graphics::Size maximumResolutionForPresets(const std::vector<std::string>& presets);
    static bool isResolutionAvailableForPresets(graphics::Size size, const std::vector<std::string>& presets);
};
