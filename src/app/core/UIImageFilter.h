#pragma once

// Runs a pixel filter over a picture: the movie effect applied to every frame
// picture handed out by the image producer.

#include "app/core/effects/RGBFilter.h"
#include "platform/graphics/Image.h"

#include <memory>

class UIImageFilter {
public:
    // A wrapper without a filter redraws pictures unchanged.
    explicit UIImageFilter(std::shared_ptr<RGBFilter> filter = nullptr);

    const std::shared_ptr<RGBFilter>& filter() const { return filter_; }

    // A new picture (scale 1) made from a copy of the stored pixels, in red,
    // green, blue, alpha order (premultiplied), after the filter ran over them.
    // The orientation is kept, so a sideways camera picture stays the right
    // way up. A null picture gives a null picture.
    graphics::Image processImage(const graphics::Image& image) const;

private:
    std::shared_ptr<RGBFilter> filter_;
};
