#pragma once

// One entry of a thumbnail grid: a title and a small picture.

#include "platform/graphics/Image.h"

#include <string>

class KWGridItem {
public:
    virtual ~KWGridItem() = default;

    std::string title;
    graphics::Image thumbImage;
};
