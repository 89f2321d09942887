#pragma once

// Whether this machine renders 3840×2160 movies. Phone-family model strings
// ("iPhone7,2", "iPad4,1", "iPod6,1") answer by their major number; a model
// string without a family word (a desktop's "x86_64") answers by whether the
// H.264 encoder opens at 3840×2160 here.

#include <string>

class Check4KReady {
public:
    // The machine's hardware model string (uname's machine field).
    static std::string platform();
    static bool canRender4KResolution();

    // The rule for a given model string; `encoderOpensAt4K` answers for
    // model strings of no known family.
    static bool canRender4KResolutionForModel(const std::string& model, bool encoderOpensAt4K);
};
