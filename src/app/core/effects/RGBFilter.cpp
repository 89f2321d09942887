#include "app/core/effects/RGBFilter.h"

// The base filter has no effect; the movie-effect wrapper may run without one.
void RGBFilter::processFilter(uint8_t*, int32_t, int32_t) {}
void RGBFilter::processFilter(const uint8_t*, uint8_t*, int32_t, int32_t) {}
void RGBFilter::processFilter(const uint8_t*, uint8_t*, graphics::Size, graphics::Rect) {}
