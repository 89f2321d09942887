#pragma once

// Where a carousel's items go: offsets, clamping, how many index slots are
// considered, fading, the twelve item transforms and the depth order. Plain
// functions of numbers; the view (iCarousel) feeds them its state.

#include "app/widgets/carousel/iCarouselTypes.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Transform3D.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace carousel {

// Asks for an option's value given its default (the delegate's override or
// the default itself).
using OptionLookup = std::function<double(iCarouselOption option, double defaultValue)>;

// The defaults every option lookup starts from.
double defaultOptionValue(iCarouselOption option, iCarouselType type);
// Types 1 to 6 wrap unless told otherwise.
bool wrapsByDefault(iCarouselType type);

// The part of a carousel's state the layout reads.
struct LayoutState {
    iCarouselType type = iCarouselTypeLinear;
    bool vertical = false;
    bool wrap = false;
    int64_t numberOfItems = 0;
    int64_t numberOfPlaceholdersToShow = 0;
    double itemWidth = 0;
    double perspective = static_cast<double>(-1.0f / 500.0f);
    graphics::Size viewpointOffset;
    graphics::Size bounds;
    double toggle = 0;
};

// Rounds half away from zero in single precision, as the offsets are kept.
int64_t roundedOffset(double offset);

// index − scrollOffset, brought to the nearer side of a wrapping ring; 0
// for a carousel of one slot.
double offsetForItem(int64_t index, double scrollOffset, const LayoutState& state);
// Without wrap into 0…n−1 (−1 when empty); with wrap modulo n (0 when empty).
int64_t clampedIndex(int64_t index, int64_t numberOfItems, bool wrap);
double clampedOffset(double offset, int64_t numberOfItems, bool wrap);
// The item at the centre for a scroll offset.
int64_t currentItemIndex(double scrollOffset, int64_t numberOfItems, bool wrap);

// Positions on a circular path (types 1 to 6); the item count for others.
int64_t circularItemCount(const LayoutState& state, const OptionLookup& option);
// Index slots around the centre considered for loading, before the data
// source's override and the clamp to the item count.
int64_t computedVisibleItemCount(const LayoutState& state, const OptionLookup& option);
// The final count: at most 30, the visible-items option, the data source's
// override (when given), then within 0 … items + placeholders.
int64_t numberOfVisibleItems(const LayoutState& state, const OptionLookup& option,
                             std::optional<int64_t> dataSourceOverride);

// The opacity of an item at an offset from the fade options.
double alphaForOffset(double offset, const LayoutState& state, const OptionLookup& option);

// The base every item transform starts from: perspective and viewpoint.
graphics::Transform3D baseTransform(const LayoutState& state);
// The transform of an item at `offset`; `custom` answers for type 11 (the
// linear path when it is absent or answers nothing).
using CustomTransform =
    std::function<std::optional<graphics::Transform3D>(double offset, const graphics::Transform3D& base)>;
graphics::Transform3D itemTransform(double offset, const LayoutState& state, const OptionLookup& option,
                                    const CustomTransform& custom = {});

// The toggle an item at `offset` leaves while the path moves (tilted flow).
double toggleForOffset(double offset);

// Back-to-front drawing order of loaded items given their transforms and the
// transform of the centre item (when loaded): farther (lower z) first; at
// equal depth the one farther sideways from the centre first. Ties keep the
// later item first. Returns positions into `transforms`.
std::vector<size_t> depthOrder(const std::vector<graphics::Transform3D>& transforms,
                               const std::optional<graphics::Transform3D>& centre);

// How far a linear row that keeps its ends in view is moved along its path
// at a scroll offset: so far that no room shows before its first item or
// after its last (items `spacing` × itemWidth apart, the ends `inset` from
// the view's edges), and no farther. Between the ends the current item
// stands in the centre (0); near them the row stays and the current item
// moves along it. A row shorter than the view starts at its leading edge.
// 0 for an empty row or one without an item width.
double endShift(double scrollOffset, const LayoutState& state, double spacing, double inset);

// The scroll offsets between which such a row visibly moves; outside them
// it stands at one of its ends. None when the row fits in the view.
std::optional<std::pair<double, double>> movingOffsets(const LayoutState& state, double spacing, double inset);

// The index slots to consider around the centre, first to last (clamped
// into the ring when wrapping).
std::vector<int64_t> candidateIndexes(int64_t currentIndex, int64_t visibleCount, const LayoutState& state);

}  // namespace carousel
