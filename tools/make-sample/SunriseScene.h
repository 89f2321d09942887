#pragma once

// The introduction project's little film, a sun rising over rolling hills
// while two clouds drift by, and the launch pictures drawn in the same style.

#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"

#include <string>

namespace sample {

// The scene at time `t` from 0 (dawn) to 1 (morning), `size` in pixels.
graphics::Image drawSunrise(graphics::Size size, double t);

// The morning scene with the application's name over it.
graphics::Image drawLaunchPicture(graphics::Size size, const std::string& title);

// A landscape picture turned a quarter to the left: upright, the landscape
// picture's top along its left edge.
graphics::Image turnedUpright(const graphics::Image& landscape);

}  // namespace sample
