#pragma once

// The application's one accent colour: selection rings and frames (the
// grids' tint), selected buttons, the pass-code marks, progress bars.

#include "platform/graphics/Color.h"

inline const graphics::Color kAccentColor = graphics::Color::rgb8(212, 3, 215);
