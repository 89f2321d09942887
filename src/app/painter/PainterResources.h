#pragma once

// The painter's pictures among the application's resources, by the names
// the screens use, and the few views made straight from them.

#include "platform/graphics/Image.h"
#include "platform/ui/controls/ImageView.h"

#include <memory>

namespace painterresources {

inline constexpr const char* kColorWheel = "pickerColorWheel.png";
inline constexpr const char* kKnob = "colorPickerKnob.png";
inline constexpr const char* kCheckerboard = "checkerboard.png";
inline constexpr const char* kPenTip = "Brush.png";
inline constexpr const char* kBrushTip = "Particle_test.png";

// The knob's size, also when its picture is missing.
inline constexpr double kKnobSide = 28;

// The picture, or a null image when the resources lack it.
graphics::Image image(const char* name);
// The knob picture in a view of its size that takes no touches.
std::shared_ptr<ui::ImageView> makeKnobView();
// The checkerboard as a pattern colour (light grey when the picture is missing).
graphics::Color checkerboardColor();

}  // namespace painterresources
