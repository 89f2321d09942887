#pragma once

// The arithmetic of a carousel's movement: easing, the fling's deceleration
// and its bounce band, snapping distances and the shortest way round a ring.
// Offsets and distances are in items, velocities in items per second.

#include <cstdint>

namespace carousel {

// 0.5·(2t)³ below one half, 0.5·(2t − 2)³ + 1 above (single precision).
double easeInOut(double t);

// Seconds of a snapping scroll (0.4 s as the platform's float constant).
extern const double kSnapDuration;
// Seconds of the short final nudge onto an item already within 0.01.
extern const double kNudgeDuration;
// The animation timer's interval.
constexpr double kStepInterval = 1.0 / 60.0;

// How far a fling at `velocity` travels before it stops: v ÷ (60 × (1 − rate)).
double decelerationDistance(double velocity, double decelerationRate);
// Whether the pan's end starts a fling: |v| > 2 and it would move > 0.1 items.
bool shouldDecelerate(double velocity, double decelerationRate);
// Whether the pan's end moves on to the next item instead of snapping back.
bool shouldScroll(double velocity, double scrollOffset, int64_t currentIndex);

struct DecelerationPlan {
    double startOffset = 0;
    double endOffset = 0;
    double duration = 0;
    // False when the fling would not move at all.
    bool moves = false;
};

struct DecelerationLimits {
    bool stopAtItemBoundary = true;
    bool wrap = false;
    bool bounces = true;
    double bounceDistance = 1.0;
    int64_t numberOfItems = 0;
};

// Where a fling from `offset` ends (rounded outward to an item when asked,
// kept within the bounce band or the items) and how long it takes.
DecelerationPlan planDeceleration(double offset, double velocity, double decelerationRate,
                                  const DecelerationLimits& limits);

// The fling's offset `elapsed` seconds into the plan (constant deceleration
// that comes to rest at the end).
double decelerationOffsetAt(const DecelerationPlan& plan, double velocity, double elapsed);

// The shortest signed distance between two positions; round the ring when
// wrapping and that is strictly shorter.
int64_t minScrollDistance(int64_t fromIndex, int64_t toIndex, int64_t numberOfItems, bool wrap);
double minScrollDistance(double fromOffset, double toOffset, int64_t numberOfItems, bool wrap);

// The offset a timed scroll by `count` items heads for: the next whole
// items forward, backward, or the nearest for 0.
double scrollTargetForItems(double offset, int64_t count);

// The drag's resistance past an end: 1 inside the items, falling to 0 at
// the bounce distance.
double panResistance(double offset, double clamped, double bounceDistance);

// Seconds of the toggle animation for the fling velocity (0.2 to 0.4 s).
double toggleDuration(double velocity);

}  // namespace carousel
