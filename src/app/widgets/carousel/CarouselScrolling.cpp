#include "app/widgets/carousel/CarouselScrolling.h"

#include "app/widgets/carousel/CarouselLayout.h"

#include <algorithm>
#include <cmath>

namespace carousel {

const double kSnapDuration = static_cast<double>(0.4f);
const double kNudgeDuration = 0.01;

double easeInOut(double t) {
    const float time = static_cast<float>(t);
    if (time < 0.5f) return 0.5f * std::pow(time * 2.0f, 3.0f);
    return 0.5f * std::pow(time * 2.0f - 2.0f, 3.0f) + 1.0f;
}

double decelerationDistance(double velocity, double decelerationRate) {
    if (velocity == 0) return 0;
    const double square = static_cast<double>(std::pow(static_cast<float>(velocity), 2.0f));
    return square / (2.0 * velocity * 30.0 * (1.0 - decelerationRate));
}

bool shouldDecelerate(double velocity, double decelerationRate) {
    return std::fabs(static_cast<float>(velocity)) > 2.0f &&
           std::fabs(static_cast<float>(decelerationDistance(velocity, decelerationRate))) > 0.1f;
}

bool shouldScroll(double velocity, double scrollOffset, int64_t currentIndex) {
    return std::fabs(static_cast<float>(velocity)) > 2.0f &&
           std::fabs(static_cast<float>(scrollOffset - static_cast<double>(currentIndex))) > 0.1f;
}

DecelerationPlan planDeceleration(double offset, double velocity, double decelerationRate,
                                  const DecelerationLimits& limits) {
    DecelerationPlan plan;
    double distance = decelerationDistance(velocity, decelerationRate);
    plan.startOffset = offset;
    plan.endOffset = offset + distance;
    if (limits.stopAtItemBoundary) {
        const float end = static_cast<float>(plan.endOffset);
        plan.endOffset = static_cast<double>(distance > 0 ? std::ceil(end) : std::floor(end));
    }
    if (!limits.wrap) {
        if (limits.bounces) {
            const float upper =
                static_cast<float>(static_cast<double>(limits.numberOfItems - 1) + limits.bounceDistance);
            plan.endOffset = static_cast<double>(std::fmax(static_cast<float>(-limits.bounceDistance),
                                                           std::fmin(upper, static_cast<float>(plan.endOffset))));
        } else {
            plan.endOffset = clampedOffset(plan.endOffset, limits.numberOfItems, false);
        }
    }
    distance = plan.endOffset - plan.startOffset;
    plan.duration =
        static_cast<double>(std::fabs(static_cast<float>(distance)) / std::fabs(static_cast<float>(0.5 * velocity)));
    plan.moves = distance != 0 && std::isfinite(plan.duration);
    return plan;
}

double decelerationOffsetAt(const DecelerationPlan& plan, double velocity, double elapsed) {
    const double time = std::min(plan.duration, elapsed);
    const double acceleration = plan.duration > 0 ? -velocity / plan.duration : 0;
    const double square = static_cast<double>(std::pow(static_cast<float>(time), 2.0f));
    return plan.startOffset + velocity * time + 0.5 * acceleration * square;
}

int64_t minScrollDistance(int64_t fromIndex, int64_t toIndex, int64_t numberOfItems, bool wrap) {
    const int64_t direct = toIndex - fromIndex;
    if (!wrap) return direct;
    int64_t wrapped = std::min(fromIndex, toIndex) + numberOfItems - std::max(fromIndex, toIndex);
    if (toIndex > fromIndex) wrapped = -wrapped;
    return std::llabs(wrapped) < std::llabs(direct) ? wrapped : direct;
}

double minScrollDistance(double fromOffset, double toOffset, int64_t numberOfItems, bool wrap) {
    const double direct = toOffset - fromOffset;
    if (!wrap) return direct;
    double wrapped =
        std::min(fromOffset, toOffset) + static_cast<double>(numberOfItems) - std::max(fromOffset, toOffset);
    if (toOffset > fromOffset) wrapped = -wrapped;
    return std::fabs(static_cast<float>(wrapped)) < std::fabs(static_cast<float>(direct)) ? wrapped : direct;
}

double scrollTargetForItems(double offset, int64_t count) {
    const float current = static_cast<float>(offset);
    const float items = static_cast<float>(count);
    if (count > 0) return static_cast<double>(std::floor(current) + items);
    if (count < 0) return static_cast<double>(std::ceil(current) + items);
    return static_cast<double>(std::round(current));
}

double panResistance(double offset, double clamped, double bounceDistance) {
    if (!(bounceDistance > 0)) return 1.0;
    return 1.0 - std::min(std::fabs(offset - clamped), bounceDistance) / bounceDistance;
}

double toggleDuration(double velocity) {
    const double shortest = static_cast<double>(0.2f);
    if (velocity == 0) return static_cast<double>(0.4f);
    return shortest + shortest * std::min(1.0, std::max(0.0, 1.0 / std::fabs(velocity)));
}

}  // namespace carousel
