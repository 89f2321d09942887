#pragma once

// Pictures among the application's resources, looked up by name as the
// screens give it: with its extension, or without one for a PNG.

#include "platform/graphics/Image.h"

#include <optional>
#include <string_view>

std::optional<graphics::Image> bundleImageNamed(std::string_view name);
