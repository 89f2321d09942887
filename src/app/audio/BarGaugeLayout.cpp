#include "app/audio/BarGaugeLayout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

int32_t cutToInt32(double value) {
    if (std::isnan(value)) return 0;
    constexpr double lowest = std::numeric_limits<int32_t>::min();
    constexpr double highest = std::numeric_limits<int32_t>::max();
    return int32_t(std::trunc(std::clamp(value, lowest, highest)));
}

}  // namespace

int32_t barGaugeOnIndex(float value, float minLimit, int32_t numBars) { return value >= minLimit ? 0 : numBars; }

int32_t barGaugeOffIndex(float value, float minLimit, float maxLimit, int32_t numBars) {
    return cutToInt32(double(value - minLimit) / double(maxLimit - minLimit) * numBars);
}

int32_t barGaugeZoneIndex(float threshold, int32_t numBars) {
    return threshold > 0 ? cutToInt32(double(threshold) * numBars) : -1;
}

BarGaugeGeometry barGaugeGeometry(const graphics::Rect& bounds, int32_t numBars) {
    BarGaugeGeometry geometry;
    const double w = bounds.size.width;
    const double h = bounds.size.height;
    geometry.vertical = h >= w;
    if (numBars < 1) return geometry;
    if (geometry.vertical) {
        geometry.step = std::floor(h / numBars);
        geometry.gaugeArea = graphics::Rect(bounds.origin.x, bounds.origin.y, w, geometry.step * numBars);
        geometry.barSize = graphics::Size{w - 2, geometry.step};
    } else {
        geometry.step = std::floor(w / numBars);
        geometry.gaugeArea = graphics::Rect(bounds.origin.x, bounds.origin.y, geometry.step * numBars, h);
        geometry.barSize = graphics::Size{geometry.step, h - 2};
    }
    return geometry;
}

graphics::Rect barGaugeBarRect(const BarGaugeGeometry& geometry, int32_t index, bool reverse) {
    const graphics::Rect& area = geometry.gaugeArea;
    const double offset = index * geometry.step;
    graphics::Point origin;
    if (geometry.vertical) {
        origin.x = area.origin.x + 1;
        origin.y = reverse ? area.origin.y + offset : area.origin.y + area.size.height - (geometry.step + offset);
    } else {
        origin.y = area.origin.y + 1;
        origin.x = reverse ? area.origin.x + area.size.width - (geometry.step + offset) : area.origin.x + offset;
    }
    return graphics::Rect(origin, geometry.barSize);
}
