// The layout arithmetic with numbers: offsets, clamping, slot counts,
// fading, the item transforms and the depth order.

#include "app/widgets/carousel/CarouselLayout.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <numbers>

using namespace carousel;

namespace {

double plainOption(iCarouselOption, double defaultValue) { return defaultValue; }

LayoutState stateOf(iCarouselType type, int64_t items, double itemWidth = 100, graphics::Size bounds = {320, 200}) {
    LayoutState state;
    state.type = type;
    state.numberOfItems = items;
    state.itemWidth = itemWidth;
    state.bounds = bounds;
    state.wrap = wrapsByDefault(type);
    return state;
}

}  // namespace

TEST(CarouselLayoutTest, ItemOffsetsWrapToTheNearerSide) {
    struct Case {
        int64_t items, placeholders;
        bool wrap;
        int64_t index;
        double scrollOffset, expected;
    };
    const Case cases[] = {
        {5, 0, true, 0, 4.0, 1.0},                                // −4 is below −2: 5 is added
        {5, 0, true, 4, 0.0, -1.0},                               // 4 is above 2: 5 is taken away
        {5, 0, true, 2, 0.0, 2.0},                                // exactly half stays
        {5, 0, false, 0, 4.0, -4.0},                              // no wrap: plain difference
        {10, 0, true, 9, 0.5, -1.5}, {1, 0, false, 0, 3.7, 0.0},  // a single slot never moves
        {1, 0, true, 0, -2.2, 0.0},  {0, 1, false, -1, 2.0, 0.0}, {1, 2, false, 0, 0.25, -0.25},
    };
    for (const Case& c : cases) {
        LayoutState state = stateOf(iCarouselTypeLinear, c.items);
        state.wrap = c.wrap;
        state.numberOfPlaceholdersToShow = c.placeholders;
        EXPECT_DOUBLE_EQ(offsetForItem(c.index, c.scrollOffset, state), c.expected)
            << c.items << " items, index " << c.index << " at " << c.scrollOffset;
    }
}

TEST(CarouselLayoutTest, ClampingKeepsIndexesInsideTheItems) {
    struct Case {
        int64_t items;
        bool wrap;
        int64_t index;
        int64_t expectedIndex;
        double offset, expectedOffset;
    };
    const Case cases[] = {
        {0, false, 3, -1, 2.5, -1.0},  // no items: −1 either way
        {0, true, 3, 0, 2.5, 0.0},    {5, false, -2, 0, -0.7, 0.0},  {5, false, 9, 4, 7.25, 4.0},
        {5, true, -1, 4, -0.5, 4.5},  {5, true, 12, 2, 12.25, 2.25}, {5, true, 5, 0, 5.0, 0.0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(clampedIndex(c.index, c.items, c.wrap), c.expectedIndex) << c.items << " " << c.index;
        EXPECT_DOUBLE_EQ(clampedOffset(c.offset, c.items, c.wrap), c.expectedOffset) << c.items << " " << c.offset;
    }
    // The centre rounds half away from zero, then clamps.
    EXPECT_EQ(currentItemIndex(2.5, 10, false), 3);
    EXPECT_EQ(currentItemIndex(-0.5, 10, true), 9);
    EXPECT_EQ(currentItemIndex(-0.4, 10, false), 0);
    EXPECT_EQ(currentItemIndex(0, 0, false), -1);
    EXPECT_EQ(currentItemIndex(0, 0, true), 0);
}

TEST(CarouselLayoutTest, VisibleSlotCountsPerType) {
    struct Case {
        iCarouselType type;
        int64_t items;
        double itemWidth;
        graphics::Size bounds;
        int64_t expected;
    };
    const Case cases[] = {
        {iCarouselTypeLinear, 50, 100, {320, 200}, 5},       // ceil(220 ÷ 100) + 2
        {iCarouselTypeLinear, 3, 100, {320, 200}, 3},        // no more than the items
        {iCarouselTypeLinear, 100, 10, {1024, 200}, 30},     // never more than 30
        {iCarouselTypeTiltedFlow, 50, 100, {320, 200}, 11},  // spacing 0.25: ceil(8.8) + 2
        {iCarouselTypeRotary, 50, 100, {320, 200}, 12},      // ceil(3.2)·π = 12.57 → 12
        {iCarouselTypeInvertedRotary, 50, 100, {320, 200}, 6},
        {iCarouselTypeCylinder, 50, 40, {320, 200}, 25},  // 8·π = 25.1
        {iCarouselTypeCylinder, 50, 20, {320, 200}, 30},  // above 30: 30
        {iCarouselTypeRotary, 7, 100, {320, 200}, 7},     // the ring holds the items only
        {iCarouselTypeWheel, 50, 100, {320, 200}, 7},     // radius 191 is beyond half the side: 6 + 1
        {iCarouselTypeWheel, 50, 10, {320, 200}, 30},     // 30 slots, radius 48 lies inside
        {iCarouselTypeDepthStack, 50, 100, {320, 200}, 30},
        {iCarouselTypeCustom, 12, 100, {320, 200}, 12},
    };
    for (const Case& c : cases) {
        const LayoutState state = stateOf(c.type, c.items, c.itemWidth, c.bounds);
        EXPECT_EQ(numberOfVisibleItems(state, plainOption, std::nullopt), c.expected) << "type " << c.type;
    }
    const LayoutState linear = stateOf(iCarouselTypeLinear, 50);
    EXPECT_EQ(numberOfVisibleItems(linear, plainOption, 8), 8);
    EXPECT_EQ(numberOfVisibleItems(linear, plainOption, 80), 50);
    EXPECT_EQ(numberOfVisibleItems(
                  linear, [](iCarouselOption o, double d) { return o == iCarouselOptionVisibleItems ? 2.9 : d; },
                  std::nullopt),
              2);
    // An item of no width over an empty extent counts nothing rather than overflowing.
    EXPECT_EQ(numberOfVisibleItems(stateOf(iCarouselTypeLinear, 5, 0, {0, 0}), plainOption, std::nullopt), 0);
}

TEST(CarouselLayoutTest, WrapAndFadeDefaults) {
    for (int type = 0; type <= 11; ++type)
        EXPECT_EQ(wrapsByDefault(static_cast<iCarouselType>(type)), type >= 1 && type <= 6) << type;

    struct Case {
        iCarouselType type;
        double offset, expected;
    };
    const Case cases[] = {
        {iCarouselTypeLinear, -25, 1.0},           {iCarouselTypeDepthStack, -3, 1.0},
        {iCarouselTypeDepthStack, 0.25, 0.75},     {iCarouselTypeDepthStack, 1.0, 0.0},
        {iCarouselTypeDepthStack, 4.0, 0.0},       {iCarouselTypeInvertedDepthStack, -0.5, 0.5},
        {iCarouselTypeInvertedDepthStack, 3, 1.0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(alphaForOffset(c.offset, stateOf(c.type, 10), plainOption), c.expected)
            << "type " << c.type << " offset " << c.offset;
}

TEST(CarouselLayoutTest, ItemTransformsPlaceItemsOnTheirPaths) {
    const double w = 100;
    const double flowTilt = static_cast<double>(0.9f);
    const double rotaryRadius = 50 / std::tan(static_cast<float>(M_PI / 12));  // 12 slots
    struct Case {
        iCarouselType type;
        bool vertical;
        double offset;
        double m41, m42, m43;
        double m33;
    };
    const Case cases[] = {
        {iCarouselTypeLinear, false, 1.5, 150, 0, 0, 1},
        {iCarouselTypeLinear, true, -2, 0, -200, 0, 1},
        {iCarouselTypeRotary, false, 3, rotaryRadius, 0, -rotaryRadius, 1},  // a quarter round the ring
        {iCarouselTypeInvertedRotary, false, 3, rotaryRadius, 0, rotaryRadius, 1},
        {iCarouselTypeCylinder, false, 6, 0, 0, -2 * rotaryRadius - 0.01, -1},  // half round: facing away
        {iCarouselTypeWheel, false, 0, 0, 0, 0, 1},
        {iCarouselTypeTiltedFlow, false, 0, 0, 0, 0, 1},
        {iCarouselTypeTiltedFlow, false, 2, w * (2 * 0.25 + flowTilt * 0.5), 0, -50, std::cos(M_PI_2 * flowTilt)},
        {iCarouselTypeDepthStack, false, 2, 2 * w * static_cast<double>(0.3f), 0, 200, 1},
        {iCarouselTypeInvertedDepthStack, true, 2, 0, 2 * w * static_cast<double>(0.3f), -200, 1},
        {static_cast<iCarouselType>(12), false, 2, 0, 0, 0, 1},  // unknown: the base
    };
    for (const Case& c : cases) {
        LayoutState state = stateOf(c.type, 20, w);
        state.vertical = c.vertical;
        const graphics::Transform3D t = itemTransform(c.offset, state, plainOption);
        EXPECT_NEAR(t.m41, c.m41, 1e-3) << "type " << c.type << " offset " << c.offset;
        EXPECT_NEAR(t.m42, c.m42, 1e-3) << "type " << c.type << " offset " << c.offset;
        EXPECT_NEAR(t.m43, c.m43, 1e-3) << "type " << c.type << " offset " << c.offset;
        EXPECT_NEAR(t.m33, c.m33, 1e-6) << "type " << c.type << " offset " << c.offset;
        // The perspective rides along, turned with the item.
        EXPECT_NEAR(t.m34, c.m33 * static_cast<double>(-1.0f / 500.0f), 1e-9);
    }

    // The wheel turns about the screen's normal by 2π ÷ 12 per item.
    const graphics::Transform3D wheel = itemTransform(1, stateOf(iCarouselTypeWheel, 20, w), plainOption);
    EXPECT_NEAR(std::fabs(std::atan2(wheel.m12, wheel.m11)), 2 * M_PI / 12, 1e-6);

    // Custom: the delegate's transform, or the linear path without one.
    LayoutState custom = stateOf(iCarouselTypeCustom, 20, w);
    custom.viewpointOffset = {10, 0};
    const graphics::Transform3D given = itemTransform(
        1, custom, plainOption,
        [](double o, const graphics::Transform3D& base) { return std::optional(base.translated(0, 0, o * 7)); });
    EXPECT_DOUBLE_EQ(given.m43, 7);
    EXPECT_DOUBLE_EQ(given.m41, -10);
    const graphics::Transform3D fallback =
        itemTransform(1, custom, plainOption, [](double, const graphics::Transform3D&) { return std::nullopt; });
    EXPECT_DOUBLE_EQ(fallback.m41, 90);
}

TEST(CarouselLayoutTest, TheTogglingFlowTurnsTheItemsNearTheCentreWithTheToggle) {
    const double tilt = static_cast<double>(0.9f);
    struct Case {
        double toggle, offset, turn;  // how far the item is turned (−1 to 1)
    };
    const Case cases[] = {
        {0.5, 0, -0.5}, {0.5, 1, 0.5},    {0.5, -1, -1}, {0.5, 2, 1},
        {-0.5, 0, 0.5}, {-0.5, -1, -0.5}, {-0.5, 1, 1},  {-0.5, -2, -1},
    };
    for (const Case& c : cases) {
        LayoutState state = stateOf(iCarouselTypeTiltedFlowToggle, 20);
        state.toggle = c.toggle;
        const graphics::Transform3D t = itemTransform(c.offset, state, plainOption);
        EXPECT_NEAR(t.m41, 100 * (c.offset * 0.25 + c.turn * tilt * 0.5), 1e-9) << c.toggle << " " << c.offset;
        EXPECT_NEAR(t.m43, 100 * std::fabs(c.turn) * -0.5, 1e-9) << c.toggle << " " << c.offset;
    }
    // What the items leave behind while the path moves: the centre's distance, mirrored.
    const std::pair<double, double> toggles[] = {{0.25, -0.25}, {0.75, 0.25}, {1.5, 0}, {-0.25, 0.25}, {-0.75, -0.25}};
    for (auto [offset, toggle] : toggles) EXPECT_DOUBLE_EQ(toggleForOffset(offset), toggle) << offset;
}

TEST(CarouselLayoutTest, DepthOrderDrawsFarAndSidewaysItemsFirst) {
    using graphics::Transform3D;
    const Transform3D near = Transform3D::makeTranslation(0, 0, 10);
    const Transform3D far = Transform3D::makeTranslation(0, 0, -10);
    const Transform3D left = Transform3D::makeTranslation(-200, 0, 0);
    const Transform3D right = Transform3D::makeTranslation(100, 0, 0);
    const Transform3D centre;
    EXPECT_EQ(depthOrder({near, far, centre}, centre), (std::vector<size_t>{1, 2, 0}));
    EXPECT_EQ(depthOrder({centre, right, left}, centre), (std::vector<size_t>{2, 1, 0}));
    // Ties keep the later item first.
    EXPECT_EQ(depthOrder({left, left, left}, centre), (std::vector<size_t>{2, 1, 0}));
}

TEST(CarouselLayoutTest, CandidateSlotsStayInsideTheItemsUnlessWrapping) {
    LayoutState state = stateOf(iCarouselTypeLinear, 10);
    EXPECT_EQ(candidateIndexes(0, 5, state), (std::vector<int64_t>{0, 1, 2, 3, 4}));
    EXPECT_EQ(candidateIndexes(9, 5, state), (std::vector<int64_t>{5, 6, 7, 8, 9}));
    state.numberOfPlaceholdersToShow = 2;
    EXPECT_EQ(candidateIndexes(0, 5, state), (std::vector<int64_t>{-1, 0, 1, 2, 3}));
    state.numberOfPlaceholdersToShow = 0;
    state.wrap = true;
    EXPECT_EQ(candidateIndexes(0, 5, state), (std::vector<int64_t>{8, 9, 0, 1, 2}));
}

TEST(CarouselLayoutTest, ARowThatKeepsItsEndsInViewMovesOnlyBetweenThem) {
    // Ten items 100 apart in a view 640 wide, the ends 20 from its edges.
    const LayoutState state = stateOf(iCarouselTypeLinear, 10, 100, {640, 90});
    struct Case {
        double offset;
        double firstItemStart;  // where item 0 begins in the view
    };
    const Case cases[] = {
        {0, 20},      // the first item at the start, not in the centre
        {1, 20},      // the row stays; the current item moves along it
        {2.5, 20},    // the centre is reached at offset 2.5
        {2.7, 0},     // between the ends the current item stands in the centre
        {4, -130},    //
        {6.5, -380},  // the last end is reached: its item ends 20 from the view's end
        {9, -380},    // and the row stays there
        {-0.5, 20},   // a bounce past an end shows no room either
        {9.6, -380},
    };
    for (const Case& c : cases) {
        const double shift = endShift(c.offset, state, 1.0, 20);
        const double firstItemStart = 320 + (0 - c.offset) * 100 - 50 + shift;
        EXPECT_NEAR(firstItemStart, c.firstItemStart, 1e-9) << c.offset;
        EXPECT_GE(firstItemStart + 10 * 100, 620 - 1e-9) << c.offset << ": room after the last item";
    }
    // A row shorter than the view starts at its leading edge, whatever is current.
    const LayoutState shortRow = stateOf(iCarouselTypeLinear, 3, 100, {640, 90});
    for (double offset : {0.0, 1.0, 2.0})
        EXPECT_NEAR(320 - offset * 100 - 50 + endShift(offset, shortRow, 1.0, 20), 20, 1e-9);
    // Downwards the same along the height; nothing for a row without items or width.
    LayoutState vertical = stateOf(iCarouselTypeLinear, 10, 100, {90, 640});
    vertical.vertical = true;
    EXPECT_DOUBLE_EQ(endShift(0, vertical, 1.0, 20), endShift(0, state, 1.0, 20));
    EXPECT_EQ(endShift(3, stateOf(iCarouselTypeLinear, 0), 1.0, 20), 0);
    EXPECT_EQ(endShift(3, stateOf(iCarouselTypeLinear, 10, 0), 1.0, 20), 0);
}
