#pragma once

// The small pictures of the in-app file chooser, drawn here as template
// images (shape only: the view that shows one tints it).

#include "platform/graphics/Image.h"

namespace library {

enum class ChooserGlyph { Folder, Document, WayUp, Home, Documents, Downloads };

// A square picture `points` wide, drawn at twice that many pixels so it
// stays sharp on dense screens.
graphics::Image chooserGlyph(ChooserGlyph glyph, double points = 24);

}  // namespace library
