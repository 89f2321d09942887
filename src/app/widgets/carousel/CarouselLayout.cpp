#include "app/widgets/carousel/CarouselLayout.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace carousel {

using graphics::Transform3D;

namespace {

constexpr double kMaxVisibleItems = 30;
// Single-precision constants widened, as the layout has always used them.
const double kDepthStep = static_cast<double>(0.01f);
const double kFlowTilt = static_cast<double>(0.9f);
const double kStackTilt = static_cast<double>(0.3f);

// A count from a computed double: NaN (an empty extent over a zero item
// width) counts nothing, and a huge value cannot overflow the conversion.
int64_t toCount(double value) {
    if (std::isnan(value)) return 0;
    return static_cast<int64_t>(std::clamp(value, -1e12, 1e12));
}

double along(graphics::Size size, bool vertical) { return vertical ? size.height : size.width; }

bool isCircular(iCarouselType type) { return type >= iCarouselTypeRotary && type <= iCarouselTypeInvertedWheel; }

}  // namespace

bool wrapsByDefault(iCarouselType type) { return isCircular(type); }

double defaultOptionValue(iCarouselOption option, iCarouselType type) {
    const bool flow = type == iCarouselTypeTiltedFlow || type == iCarouselTypeTiltedFlowToggle;
    switch (option) {
        case iCarouselOptionWrap:
            return wrapsByDefault(type) ? 1 : 0;
        case iCarouselOptionShowBackfaces:
            return type == iCarouselTypeInvertedCylinder ? 0 : 1;
        case iCarouselOptionOffsetMultiplier:
            return flow ? 2.0 : 1.0;
        case iCarouselOptionArc:
            return 2 * M_PI;
        case iCarouselOptionTilt:
            return (type == iCarouselTypeDepthStack || type == iCarouselTypeInvertedDepthStack) ? kStackTilt
                                                                                                : kFlowTilt;
        case iCarouselOptionSpacing:
            return flow ? 0.25 : 1.0;
        case iCarouselOptionFadeMin:
            return type == iCarouselTypeInvertedDepthStack ? 0 : -std::numeric_limits<double>::infinity();
        case iCarouselOptionFadeMax:
            return type == iCarouselTypeDepthStack ? 0 : std::numeric_limits<double>::infinity();
        case iCarouselOptionFadeRange:
            return 1.0;
        case iCarouselOptionVisibleItems:
        case iCarouselOptionCount:
        case iCarouselOptionAngle:
        case iCarouselOptionRadius:
            break;  // computed from the layout
    }
    return 0;
}

int64_t roundedOffset(double offset) { return static_cast<int64_t>(std::round(static_cast<float>(offset))); }

double offsetForItem(int64_t index, double scrollOffset, const LayoutState& state) {
    const int64_t n = state.numberOfItems;
    double offset = static_cast<double>(index) - scrollOffset;
    if (state.wrap) {
        const int64_t half = n / 2;
        if (offset > static_cast<double>(half))
            offset -= static_cast<double>(n);
        else if (offset < -static_cast<double>(half))
            offset += static_cast<double>(n);
    }
    if (n + state.numberOfPlaceholdersToShow == 1) offset = 0;
    return offset;
}

int64_t clampedIndex(int64_t index, int64_t numberOfItems, bool wrap) {
    if (wrap) {
        if (numberOfItems == 0) return 0;
        const float turns = std::floor(static_cast<float>(index) / static_cast<float>(numberOfItems));
        return index - numberOfItems * static_cast<int64_t>(turns);
    }
    return std::min(std::max<int64_t>(index, 0), numberOfItems - 1);
}

double clampedOffset(double offset, int64_t numberOfItems, bool wrap) {
    if (wrap) {
        if (numberOfItems == 0) return 0;
        const float turns = std::floor(static_cast<float>(offset) / static_cast<float>(numberOfItems));
        return offset - static_cast<double>(numberOfItems) * static_cast<double>(turns);
    }
    return static_cast<double>(
        std::fmin(std::fmax(0.0f, static_cast<float>(offset)), static_cast<float>(numberOfItems - 1)));
}

int64_t currentItemIndex(double scrollOffset, int64_t numberOfItems, bool wrap) {
    return clampedIndex(roundedOffset(scrollOffset), numberOfItems, wrap);
}

int64_t circularItemCount(const LayoutState& state, const OptionLookup& option) {
    const int64_t slots = state.numberOfItems + state.numberOfPlaceholdersToShow;
    if (!isCircular(state.type)) return slots;
    const double spacing = option(iCarouselOptionSpacing, 1.0);
    const double width = along(state.bounds, state.vertical);
    double count = std::ceil(width / (spacing * state.itemWidth)) * M_PI;
    if (!(count >= 12)) count = 12;  // also when the width gave no number
    const int64_t computed = count > kMaxVisibleItems ? 30 : toCount(count);
    return toCount(option(iCarouselOptionCount, static_cast<double>(std::min(computed, slots))));
}

int64_t computedVisibleItemCount(const LayoutState& state, const OptionLookup& option) {
    const double width = state.itemWidth;
    switch (state.type) {
        case iCarouselTypeLinear:
        case iCarouselTypeTiltedFlow:
        case iCarouselTypeTiltedFlowToggle: {
            const double spacing =
                option(iCarouselOptionSpacing, defaultOptionValue(iCarouselOptionSpacing, state.type));
            const double extent = along(state.bounds, state.vertical);
            const double count = std::ceil((extent - width) / (spacing * width)) + 2;
            return toCount(std::min(count, kMaxVisibleItems));
        }
        case iCarouselTypeRotary:
        case iCarouselTypeCylinder:
            return circularItemCount(state, option);
        case iCarouselTypeInvertedRotary:
        case iCarouselTypeInvertedCylinder:
            return toCount(std::ceil(static_cast<double>(circularItemCount(state, option)) * 0.5));
        case iCarouselTypeWheel:
        case iCarouselTypeInvertedWheel: {
            const int64_t count = circularItemCount(state, option);
            const double spacing = option(iCarouselOptionSpacing, 1.0);
            const double arc = option(iCarouselOptionArc, 2 * M_PI);
            const double radius = option(iCarouselOptionRadius, static_cast<double>(count) * spacing * width / arc);
            const double halfSide = std::min(state.bounds.width, state.bounds.height) / 2;
            if (radius - width / 2 < halfSide) return count;
            return toCount(std::ceil(static_cast<double>(count) * 0.5)) + 1;
        }
        default:
            return 30;
    }
}

int64_t numberOfVisibleItems(const LayoutState& state, const OptionLookup& option,
                             std::optional<int64_t> dataSourceOverride) {
    int64_t count = std::min<int64_t>(computedVisibleItemCount(state, option), 30);
    count = toCount(option(iCarouselOptionVisibleItems, static_cast<double>(count)));
    if (dataSourceOverride) count = *dataSourceOverride;
    return std::clamp<int64_t>(count, 0, state.numberOfItems + state.numberOfPlaceholdersToShow);
}

double alphaForOffset(double offset, const LayoutState& state, const OptionLookup& option) {
    const double fadeMin = option(iCarouselOptionFadeMin, defaultOptionValue(iCarouselOptionFadeMin, state.type));
    const double fadeMax = option(iCarouselOptionFadeMax, defaultOptionValue(iCarouselOptionFadeMax, state.type));
    const double fadeRange = option(iCarouselOptionFadeRange, 1.0);
    double distance = 0;
    if (offset > fadeMax)
        distance = offset - fadeMax;
    else if (offset < fadeMin)
        distance = fadeMin - offset;
    else
        return 1.0;
    return 1.0 -
           static_cast<double>(std::fmin(static_cast<float>(distance), static_cast<float>(fadeRange))) / fadeRange;
}

Transform3D baseTransform(const LayoutState& state) {
    Transform3D base;
    base.m34 = state.perspective;
    return base.translated(-state.viewpointOffset.width, -state.viewpointOffset.height, 0);
}

double toggleForOffset(double offset) {
    const double clamped = static_cast<double>(std::fmax(-1.0f, std::fmin(1.0f, static_cast<float>(offset))));
    if (offset > 0) return (offset > 0.5 ? 1.0 : -0.0) - clamped;
    return (offset > -0.5 ? -0.0 : -1.0) - clamped;
}

namespace {

// The tilted-flow position of an item: how far it has turned (−1 to 1),
// following the toggle near the centre in the toggling flow.
double flowTurn(double offset, const LayoutState& state) {
    double c = static_cast<double>(std::fmax(-1.0f, std::fmin(1.0f, static_cast<float>(offset))));
    if (state.type != iCarouselTypeTiltedFlowToggle) return c;
    const double toggle = state.toggle;
    if (toggle >= 0) {
        if (offset <= -0.5)
            c = -1;
        else if (offset <= 0.5)
            c = -toggle;
        else if (offset <= 1.5)
            c = 1 - toggle;
    } else {
        if (offset > 0.5)
            c = 1;
        else if (offset > -0.5)
            c = -toggle;
        else if (offset > -1.5)
            c = -1 - toggle;
    }
    return c;
}

}  // namespace

Transform3D itemTransform(double offset, const LayoutState& state, const OptionLookup& option,
                          const CustomTransform& custom) {
    const Transform3D base = baseTransform(state);
    const double w = state.itemWidth;
    const bool v = state.vertical;
    const iCarouselType type = state.type;
    switch (type) {
        case iCarouselTypeCustom:
            if (custom)
                if (auto transform = custom(offset, base)) return *transform;
            [[fallthrough]];
        case iCarouselTypeLinear: {
            const double d = option(iCarouselOptionSpacing, 1.0) * w * offset;
            return v ? base.translated(0, d, 0) : base.translated(d, 0, 0);
        }
        case iCarouselTypeRotary:
        case iCarouselTypeInvertedRotary: {
            const double n = static_cast<double>(circularItemCount(state, option));
            const double s = option(iCarouselOptionSpacing, 1.0);
            const double arc = option(iCarouselOptionArc, 2 * M_PI);
            const float half = static_cast<float>(s * w / 2);
            const double r0 = std::fmax(half, static_cast<float>(half / std::tan(static_cast<float>(arc / 2 / n))));
            double r = option(iCarouselOptionRadius, r0);
            double a = option(iCarouselOptionAngle, offset / n * arc);
            if (type == iCarouselTypeInvertedRotary) r = -r, a = -a;
            return v ? base.translated(0, r * std::sin(a), r * std::cos(a) - r)
                     : base.translated(r * std::sin(a), 0, r * std::cos(a) - r);
        }
        case iCarouselTypeCylinder:
        case iCarouselTypeInvertedCylinder: {
            const double n = static_cast<double>(circularItemCount(state, option));
            const double s = option(iCarouselOptionSpacing, 1.0);
            const double arc = option(iCarouselOptionArc, 2 * M_PI);
            const double r0 = std::fmax(static_cast<float>(kDepthStep),
                                        static_cast<float>((s * w / 2) / std::tan(static_cast<float>(arc / 2 / n))));
            double r = option(iCarouselOptionRadius, r0);
            double a = option(iCarouselOptionAngle, offset / n * arc);
            if (type == iCarouselTypeInvertedCylinder) r = -r, a = -a;
            Transform3D t = base.translated(0, 0, -r);
            t = v ? t.rotated(a, -1, 0, 0) : t.rotated(a, 0, 1, 0);
            return t.translated(0, 0, r + kDepthStep);
        }
        case iCarouselTypeWheel:
        case iCarouselTypeInvertedWheel: {
            const double n = static_cast<double>(circularItemCount(state, option));
            const double s = option(iCarouselOptionSpacing, 1.0);
            const double arc = option(iCarouselOptionArc, 2 * M_PI);
            double r = option(iCarouselOptionRadius, n * s * w / arc);
            double a = option(iCarouselOptionAngle, arc / n);
            if (type == iCarouselTypeInvertedWheel) r = -r, a = -a;
            if (v) return base.translated(-r, 0, 0).rotated(a * offset, 0, 0, 1).translated(r, 0, offset * kDepthStep);
            return base.translated(0, r, 0).rotated(a * offset, 0, 0, 1).translated(0, -r, offset * kDepthStep);
        }
        case iCarouselTypeTiltedFlow:
        case iCarouselTypeTiltedFlowToggle: {
            const double tilt = option(iCarouselOptionTilt, kFlowTilt);
            const double s = option(iCarouselOptionSpacing, 0.25);
            const double c = flowTurn(offset, state);
            const double x = w * (offset * s + c * tilt * 0.5);
            const double z = w * std::fabs(c) * -0.5;
            const double angle = -M_PI_2 * tilt * c;
            return v ? base.translated(0, x, z).rotated(angle, -1, 0, 0)
                     : base.translated(x, 0, z).rotated(angle, 0, 1, 0);
        }
        case iCarouselTypeDepthStack:
        case iCarouselTypeInvertedDepthStack: {
            double tilt = option(iCarouselOptionTilt, kStackTilt);
            const double s = option(iCarouselOptionSpacing, 1.0);
            double o = offset;
            if (type == iCarouselTypeInvertedDepthStack) o = -o, tilt = -tilt;
            return v ? base.translated(0, o * w * tilt, o * w * s) : base.translated(o * w * tilt, 0, o * w * s);
        }
    }
    return base;
}

std::vector<size_t> depthOrder(const std::vector<Transform3D>& transforms, const std::optional<Transform3D>& centre) {
    auto depth = [](const Transform3D& t) { return t.m13 + t.m23 + t.m33 + t.m43; };
    auto sideways = [](const Transform3D& t) { return t.m11 + t.m21 + t.m31 + t.m41; };
    const double centreX = centre ? sideways(*centre) : 0;
    // Reversed first, so a stable sort leaves equal items later-first.
    std::vector<size_t> order(transforms.size());
    std::iota(order.rbegin(), order.rend(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const double za = depth(transforms[a]), zb = depth(transforms[b]);
        if (za != zb) return za < zb;
        const float da = std::fabs(static_cast<float>(sideways(transforms[a]) - centreX));
        const float db = std::fabs(static_cast<float>(sideways(transforms[b]) - centreX));
        return da > db;
    });
    return order;
}

double endShift(double scrollOffset, const LayoutState& state, double spacing, double inset) {
    const double step = spacing * state.itemWidth;
    if (state.numberOfItems <= 0 || !(step > 0)) return 0;
    const double extent = state.vertical ? state.bounds.height : state.bounds.width;
    const double last = static_cast<double>(state.numberOfItems - 1);
    // The most the row may move back before its first item leaves room, and
    // the least it must so that its last item leaves none.
    const double most = inset - extent / 2 + step / 2 + scrollOffset * step;
    const double least = extent / 2 - inset - step / 2 - (last - scrollOffset) * step;
    if (least > most) return most;
    return std::clamp(0.0, least, most);
}

std::optional<std::pair<double, double>> movingOffsets(const LayoutState& state, double spacing, double inset) {
    const double step = spacing * state.itemWidth;
    if (state.numberOfItems <= 0 || !(step > 0)) return std::nullopt;
    const double extent = state.vertical ? state.bounds.height : state.bounds.width;
    // endShift is 0, and the current item in the centre, from here on.
    const double first = (extent / 2 - inset - step / 2) / step;
    const double last = static_cast<double>(state.numberOfItems - 1) - first;
    if (!(last > first)) return std::nullopt;
    return std::pair{first, last};
}

std::vector<int64_t> candidateIndexes(int64_t currentIndex, int64_t visibleCount, const LayoutState& state) {
    const int64_t placeholders = state.numberOfPlaceholdersToShow;
    int64_t start = currentIndex - visibleCount / 2;
    if (!state.wrap)
        start =
            std::max(-(placeholders + 1) / 2, std::min(state.numberOfItems - visibleCount + placeholders / 2, start));
    std::vector<int64_t> indexes;
    indexes.reserve(static_cast<size_t>(std::max<int64_t>(visibleCount, 0)));
    for (int64_t i = 0; i < visibleCount; ++i) {
        const int64_t index = start + i;
        indexes.push_back(state.wrap ? clampedIndex(index, state.numberOfItems, true) : index);
    }
    return indexes;
}

}  // namespace carousel
