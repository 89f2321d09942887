#pragma once

// The theme tests run against the theme resources the build draws, with text
// drawn headless; pictures are compared with reviewed references.

#include "platform/graphics/Image.h"

#include <string>

namespace themetest {

// The mean absolute difference of two pictures of one size, over every
// channel, from 0 (equal) to 1; 1 when the sizes differ.
double meanDifference(const graphics::Image& a, const graphics::Image& b);

// Compares a picture with the reference PNG of that name under
// tests/app/render/themes/references/, writing the picture among the test
// artifacts for a look. With TOLLIVAR_UPDATE_REFERENCES=1 in the environment
// the reference is written instead (to be reviewed before it is committed).
// The mean difference, or 1 when there is no reference.
double compareWithReference(const graphics::Image& picture, const std::string& name);

}  // namespace themetest
