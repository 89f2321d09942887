#pragma once

// The carousel's layout types and options, shared by the view and by the
// plain layout and scrolling functions.

#include <cstdint>

enum iCarouselType : int32_t {
    iCarouselTypeLinear = 0,
    iCarouselTypeRotary,
    iCarouselTypeInvertedRotary,
    iCarouselTypeCylinder,
    iCarouselTypeInvertedCylinder,
    iCarouselTypeWheel,
    iCarouselTypeInvertedWheel,
    iCarouselTypeTiltedFlow,
    iCarouselTypeTiltedFlowToggle,
    iCarouselTypeDepthStack,
    iCarouselTypeInvertedDepthStack,
    iCarouselTypeCustom,
};

enum iCarouselOption : int32_t {
    iCarouselOptionWrap = 0,
    iCarouselOptionShowBackfaces,
    iCarouselOptionOffsetMultiplier,
    iCarouselOptionVisibleItems,
    iCarouselOptionCount,
    iCarouselOptionArc,
    iCarouselOptionAngle,
    iCarouselOptionRadius,
    iCarouselOptionTilt,
    iCarouselOptionSpacing,
    iCarouselOptionFadeMin,
    iCarouselOptionFadeMax,
    iCarouselOptionFadeRange,
};
