#pragma once

// Pictures of the audio pickers: album artwork with its placeholders, and
// the tab images, each taken from the resources when they have it.

#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/library/MediaItem.h"

#include <string>

// The item's artwork at `size`, else "AlbumArtPlaceholder.png" (or the
// large one for the album header).
graphics::Image albumArtwork(const library::MediaItem* item, graphics::Size size, bool large);
// The tab picture of that name, else a plain drawn one.
graphics::Image pickerTabImage(const std::string& name);
