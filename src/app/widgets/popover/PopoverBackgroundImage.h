#pragma once

// A picture that stretches only between its caps, as popover backgrounds
// need: the corners keep their size and the edges stretch along one axis.

#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"

#include <string>

namespace graphics {
class GraphicsContext;
}

struct PopoverBackgroundImage {
    graphics::Image image;
    // In points; the part between the caps stretches. Zero caps on an axis
    // stretch the whole picture along it.
    graphics::EdgeInsets capInsets;

    bool isNull() const { return image.isNull(); }

    // The platform's older form: a left and a top cap, the stretching part
    // one point wide and high after them.
    static PopoverBackgroundImage stretchable(graphics::Image image, double leftCapWidth, double topCapHeight);

    // Draws the picture into the rectangle; caps larger than the rectangle
    // are shrunk in proportion so that nothing overlaps.
    void draw(graphics::GraphicsContext& context, const graphics::Rect& rect, double alpha = 1.0) const;
};

// A picture of the application's resources by file name; null when missing.
graphics::Image popoverImageNamed(const std::string& name);
