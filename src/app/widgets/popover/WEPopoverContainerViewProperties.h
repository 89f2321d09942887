#pragma once

// The look of an arrow popover's panel: which pictures it draws and how far
// body, arrow and content keep from each other.

#include <cstdint>
#include <memory>
#include <string>

class WEPopoverContainerViewProperties {
public:
    std::string bgImageName;
    std::string upArrowImageName;
    std::string downArrowImageName;
    std::string leftArrowImageName;
    std::string rightArrowImageName;

    // Inset of the panel body within the background rect, on each side.
    double leftBgMargin = 0;
    double rightBgMargin = 0;
    double topBgMargin = 0;
    double bottomBgMargin = 0;

    // The stretch caps of the background picture.
    int64_t topBgCapSize = 0;
    int64_t leftBgCapSize = 0;

    // The extra least distance between the arrow and the ends of the side of
    // the body that carries it.
    double arrowMargin = 0;

    // Space between body and content.
    double leftContentMargin = 0;
    double rightContentMargin = 0;
    double topContentMargin = 0;
    double bottomContentMargin = 0;
};

using WEPopoverContainerViewPropertiesPtr = std::shared_ptr<WEPopoverContainerViewProperties>;
