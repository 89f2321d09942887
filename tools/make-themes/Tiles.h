#pragma once

// The small pictures of the pickers and the card chooser.

#include "platform/graphics/Image.h"

#include <string>

namespace themes {

// A card background scaled down, with a caption bar when a caption is given.
graphics::Image themeThumbnail(const graphics::Image& background, const std::string& caption);
graphics::Image noThemeTile();
graphics::Image fadeTile(int fade);                                              // 0 to 3
graphics::Image effectTile(int effect);                                          // 0 to 7
graphics::Image maskTile(int mask);                                              // 0 to 2
graphics::Image foregroundTile(int foreground, const graphics::Image& overlay);  // 20 to 37
// The card chooser's backdrop.
graphics::Image galleryBackground();

}  // namespace themes
