// The carousel view on a window and the virtual clock: loading and reuse,
// wrapping, fading, timed scrolls, flings, bounce, taps and item changes.

#include "app/widgets/carousel/iCarousel.h"
#include "platform/foundation/NotFound.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/compositing/Transition.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/controls/Slider.h"
#include "platform/ui/controls/Switch.h"
#include "support/WindowFixture.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

using graphics::Rect;

namespace {

// Coloured item views of 100×80; counts how many it had to make.
class Items : public iCarouselDataSource {
public:
    int64_t numberOfItemsInCarousel(iCarousel&) override { return count; }
    ui::ViewPtr carouselViewForItemAtIndex(iCarousel&, int64_t index, ui::ViewPtr view) override {
        asked.push_back(index);
        if (!view) {
            view = ui::makeView(Rect(0, 0, 100, 80));
            ++made;
        }
        const double hue = static_cast<double>(index % 6) / 6.0;
        view->setBackgroundColor(graphics::Color::rgb(0.3 + 0.7 * hue, 0.8 - 0.6 * hue, 0.5));
        view->layer().setBorderWidth(2);
        return view;
    }
    int64_t count = 20;
    int made = 0;
    std::vector<int64_t> asked;
};

// Three items with two placeholders beyond the ends.
class ItemsWithPlaceholders : public Items {
public:
    int64_t numberOfPlaceholdersInCarousel(iCarousel&) override { return 2; }
    ui::ViewPtr carouselPlaceholderViewAtIndex(iCarousel&, int64_t index, ui::ViewPtr view) override {
        placeholdersAsked.push_back(index);
        return view ? view : ui::makeView(Rect(0, 0, 100, 80));
    }
    std::vector<int64_t> placeholdersAsked;
};

// Writes down the events it gets, and answers options from a table.
class Recorder : public iCarouselDelegate {
public:
    void carouselWillBeginScrollingAnimation(iCarousel&) override { events.push_back("willBeginScrolling"); }
    void carouselDidEndScrollingAnimation(iCarousel&) override { events.push_back("didEndScrolling"); }
    void carouselDidScroll(iCarousel& carousel) override { offsets.push_back(carousel.scrollOffset()); }
    void carouselCurrentItemIndexDidChange(iCarousel& carousel) override {
        events.push_back("index " + std::to_string(carousel.currentItemIndex()));
    }
    void carouselWillBeginDragging(iCarousel&) override { events.push_back("willBeginDragging"); }
    void carouselDidEndDragging(iCarousel&, bool willDecelerate) override {
        events.push_back(willDecelerate ? "didEndDragging decelerating" : "didEndDragging");
    }
    void carouselWillBeginDecelerating(iCarousel&) override { events.push_back("willBeginDecelerating"); }
    void carouselDidEndDecelerating(iCarousel&) override { events.push_back("didEndDecelerating"); }
    void carouselDidSelectItemAtIndex(iCarousel&, int64_t index) override { selected.push_back(index); }
    std::optional<double> carouselValueForOption(iCarousel&, iCarouselOption option, double) override {
        auto it = options.find(option);
        return it == options.end() ? std::nullopt : std::optional(it->second);
    }
    bool implementsLegacyOperation(iCarouselLegacyOperation operation) const override {
        return legacy.count(operation) > 0;
    }
    bool carouselShouldWrap(iCarousel&) override { return shouldWrap; }

    std::vector<std::string> events;
    std::vector<double> offsets;
    std::vector<int64_t> selected;
    std::map<iCarouselOption, double> options;
    std::set<iCarouselLegacyOperation> legacy;
    bool shouldWrap = false;
};

class iCarouselTest : public testsupport::WindowFixture {
protected:
    iCarouselTest() : WindowFixture(Rect(0, 0, 320, 200)) {}
    void SetUp() override {
        window->setRootViewController(std::make_shared<ui::ViewController>());
        carousel = ui::makeView<iCarousel>(Rect(0, 0, 320, 200));
    }
    // Shows the carousel and lets the first layout's snap finish.
    void show(iCarouselType type = iCarouselTypeLinear) {
        carousel->setType(type);
        carousel->setDelegate(&recorder);
        carousel->setDataSource(&items);
        window->rootViewController()->view()->addSubview(carousel);
        carousel->layoutIfNeeded();
        advance(0.5);
        recorder.events.clear();
        recorder.offsets.clear();
    }
    std::vector<int64_t> loaded() const { return carousel->indexesForVisibleItems(); }
    ui::View* containerOf(int64_t index) const { return carousel->itemViewAtIndex(index)->superview(); }

    Items items;
    Recorder recorder;
    std::shared_ptr<iCarousel> carousel;
};

}  // namespace

TEST_F(iCarouselTest, NoItemsLoadNothing) {
    items.count = 0;
    show();
    EXPECT_TRUE(loaded().empty());
    EXPECT_EQ(carousel->currentItemIndex(), -1);
    EXPECT_EQ(carousel->currentItemView(), nullptr);
    carousel->setType(iCarouselTypeRotary);
    EXPECT_TRUE(carousel->wrapEnabled());
    EXPECT_EQ(carousel->currentItemIndex(), 0);
    EXPECT_TRUE(loaded().empty());
    // Nothing to remove: the count stays at 0.
    carousel->removeItemAtIndex(0, false);
    EXPECT_EQ(carousel->numberOfItems(), 0);
}

TEST_F(iCarouselTest, LinearLoadsTheSlotsAroundTheCentreAndReusesViews) {
    items.count = 30;
    show();
    EXPECT_EQ(carousel->itemWidth(), 100);
    EXPECT_EQ(carousel->numberOfVisibleItems(), 5);  // ceil(220 ÷ 100) + 2
    EXPECT_EQ(loaded(), (std::vector<int64_t>{0, 1, 2, 3, 4}));
    EXPECT_EQ(carousel->contentView().subviews().size(), 5u);
    for (int64_t index : loaded()) {
        ui::View* container = containerOf(index);
        EXPECT_EQ(container->superview(), &carousel->contentView());
        EXPECT_DOUBLE_EQ(container->layer().transform().m41, 100.0 * static_cast<double>(index));
        EXPECT_EQ(container->center(), (graphics::Point{160, 100}));
        EXPECT_EQ(carousel->indexOfItemViewOrSubview(carousel->itemViewAtIndex(index).get()), index);
        // Only the centred item takes touches.
        EXPECT_EQ(carousel->itemViewAtIndex(index)->isUserInteractionEnabled(), index == 0);
    }

    // Scrolling end to end makes no views beyond the first screenful.
    for (int step = 1; step <= 58; ++step) carousel->setScrollOffset(step * 0.5);
    EXPECT_EQ(carousel->currentItemIndex(), 29);
    EXPECT_EQ(loaded(), (std::vector<int64_t>{25, 26, 27, 28, 29}));
    EXPECT_LE(items.made, 6);
    EXPECT_EQ(carousel->contentView().subviews().size(), 5u);
    EXPECT_EQ(carousel->indexOfItemView(carousel->contentView().subviews().front().get()), foundation::kNotFound);
}

TEST_F(iCarouselTest, WrapFollowsTheTypeTheOptionAndTheOlderDelegate) {
    show();
    for (int type = 0; type <= 11; ++type) {
        carousel->setType(static_cast<iCarouselType>(type));
        EXPECT_EQ(carousel->wrapEnabled(), type >= 1 && type <= 6) << "type " << type;
    }
    recorder.options[iCarouselOptionWrap] = 1;
    carousel->setType(iCarouselTypeLinear);
    EXPECT_TRUE(carousel->wrapEnabled());

    // The older operation decides unless the option overrides it; setting
    // the delegate warns once.
    Recorder older;
    older.legacy = {iCarouselLegacyOperation::ShouldWrap};
    older.shouldWrap = false;
    testing::internal::CaptureStderr();
    carousel->setDelegate(&older);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log,
              "Warning: The carouselShouldWrap: delegate method is deprecated. Use "
              "carousel:valueForOption:withDefault: with iCarouselOptionWrap instead\n");
    carousel->setType(iCarouselTypeRotary);
    EXPECT_FALSE(carousel->wrapEnabled());
    older.options[iCarouselOptionWrap] = 1;
    carousel->layOutItemViews();
    EXPECT_TRUE(carousel->wrapEnabled());
}

TEST_F(iCarouselTest, EveryOlderOperationWarnsWithItsText) {
    const std::pair<iCarouselLegacyOperation, std::string> cases[] = {
        {iCarouselLegacyOperation::ItemAlphaForOffset,
         "Warning: The carousel:itemAlphaForOffset: delegate method is deprecated. Use "
         "carousel:valueForOption:withDefault: with iCarouselOptionFadeMin, iCarouselOptionFadeMax and "
         "iCarouselOptionFadeRange instead\n"},
        {iCarouselLegacyOperation::OffsetMultiplier,
         "Warning: The carouselOffsetMultiplier: delegate method is deprecated. Use "
         "carousel:valueForOption:withDefault: with iCarouselOptionOffsetMultiplier instead\n"},
        {iCarouselLegacyOperation::NumberOfVisibleItems,
         "Warning: The numberOfVisibleItemsInCarousel: dataSource method is deprecated. This value is now set "
         "automatically, but if you need to override it, use carousel:valueForOption:withDefault: with "
         "iCarouselOptionVisibleItems instead\n"},
        {iCarouselLegacyOperation::CurrentItemIndexUpdated,
         "Warning: The carouselCurrentItemIndexUpdated: delegate method is deprecated. Use "
         "carouselCurrentItemIndexDidChange: instead\n"},
        // Still honoured, but no warning.
        {iCarouselLegacyOperation::ValueForTransformOption, ""},
    };
    for (const auto& [operation, text] : cases) {
        Recorder older;
        older.legacy = {operation};
        testing::internal::CaptureStderr();
        carousel->setDelegate(&older);
        carousel->setDelegate(&older);  // unchanged: no second warning
        EXPECT_EQ(testing::internal::GetCapturedStderr(), text);
        carousel->setDelegate(nullptr);
    }
}

TEST_F(iCarouselTest, PlaceholdersFillTheEndsUnlessWrapping) {
    ItemsWithPlaceholders withPlaceholders;
    withPlaceholders.count = 3;
    carousel->setDataSource(&withPlaceholders);
    window->rootViewController()->view()->addSubview(carousel);
    carousel->layoutIfNeeded();
    EXPECT_EQ(carousel->numberOfPlaceholders(), 2);
    EXPECT_EQ(loaded(), (std::vector<int64_t>{-1, 0, 1, 2, 3}));
    EXPECT_EQ(withPlaceholders.placeholdersAsked, (std::vector<int64_t>{0, 1}));
    carousel->setType(iCarouselTypeRotary);
    EXPECT_EQ(loaded(), (std::vector<int64_t>{0, 1, 2}));
    EXPECT_EQ(carousel->pooledPlaceholderViewCount(), 2u);
    EXPECT_EQ(carousel->pooledItemViewCount(), 0u);
    carousel->setDataSource(nullptr);
}

TEST_F(iCarouselTest, ItemsFadedToNothingAreNotLoaded) {
    recorder.options[iCarouselOptionFadeMax] = 0.5;
    recorder.options[iCarouselOptionFadeRange] = 0.5;
    show();
    EXPECT_EQ(carousel->numberOfVisibleItems(), 5);
    EXPECT_EQ(loaded(), (std::vector<int64_t>{0}));
    carousel->setScrollOffset(0.75);  // item 1 at 0.25 shows; item 2 at 1.25 is gone
    EXPECT_EQ(loaded(), (std::vector<int64_t>{0, 1}));
    EXPECT_DOUBLE_EQ(containerOf(1)->alpha(), 1.0);
}

TEST_F(iCarouselTest, TimedScrollsEaseToTheirTargetAndReportInOrder) {
    show();
    carousel->scrollToItemAtIndexAnimated(3, true);
    EXPECT_TRUE(carousel->scrolling());
    advance(0.21);
    EXPECT_NEAR(carousel->scrollOffset(), 1.5, 1e-6);  // half-way at half time
    advance(0.29);
    EXPECT_DOUBLE_EQ(carousel->scrollOffset(), 3.0);
    EXPECT_FALSE(carousel->scrolling());
    EXPECT_EQ(recorder.events,
              (std::vector<std::string>{"willBeginScrolling", "index 1", "index 2", "index 3", "didEndScrolling"}));
    EXPECT_TRUE(std::is_sorted(recorder.offsets.begin(), recorder.offsets.end()));
    // Idle, the timer stops; away from the window it is gone as well.
    advance(0.1);
    EXPECT_FALSE(carousel->isAnimating());
    carousel->scrollByNumberOfItems(1, 0.4);
    EXPECT_TRUE(carousel->isAnimating());
    carousel->removeFromSuperview();
    EXPECT_FALSE(carousel->isAnimating());
}

TEST_F(iCarouselTest, ScrollByItemCounts) {
    show();
    struct Case {
        double from;
        int64_t count;
        double duration, expected;
    };
    const Case cases[] = {
        {2.4, 0, 0.4, 2},                                     // 0 items: the nearest one is centred
        {2.4, 1, 0.4, 3}, {2.6, -1, 0.4, 2}, {2.0, 2, 0, 4},  // at once: from the last index
        {5.0, 30, 0, 19},
    };
    for (const Case& c : cases) {
        carousel->setScrollOffset(c.from);
        carousel->scrollByNumberOfItems(c.count, c.duration);
        advance(0.5);
        EXPECT_DOUBLE_EQ(carousel->scrollOffset(), c.expected) << c.from << " by " << c.count;
    }
}

TEST_F(iCarouselTest, AWrappingScrollTakesTheShortWayRound) {
    items.count = 10;
    recorder.options[iCarouselOptionWrap] = 1;
    show();
    carousel->setCurrentItemIndex(9);
    recorder.offsets.clear();
    carousel->scrollToItemAtIndex(0, 0.4);
    advance(0.5);
    EXPECT_EQ(carousel->currentItemIndex(), 0);
    for (double offset : recorder.offsets) EXPECT_TRUE(offset >= 9 || offset < 0.5) << offset;
}

TEST_F(iCarouselTest, FlingsDecelerateSlowDragsSnapBack) {
    show();
    // 200 points in 0.1 s: about 20 items a second to the left.
    fingers.drag({{260, 100}, {60, 100}}, 0.1);
    EXPECT_TRUE(carousel->decelerating());
    EXPECT_EQ(recorder.events.front(), "willBeginDragging");
    EXPECT_NE(std::find(recorder.events.begin(), recorder.events.end(), "didEndDragging decelerating"),
              recorder.events.end());
    int ticks = 0;
    while (carousel->decelerating() && ticks++ < 300) advance(1.0 / 60);
    EXPECT_NEAR(carousel->scrollOffset(), std::round(carousel->scrollOffset()), 1e-4);
    // Already on the item: the closing snap is a nudge of 0.01 s.
    EXPECT_TRUE(carousel->scrolling());
    EXPECT_EQ(recorder.events.back(), "willBeginScrolling");
    advance(1.0 / 60);
    EXPECT_FALSE(carousel->scrolling());
    EXPECT_EQ(recorder.events.back(), "didEndScrolling");
    EXPECT_EQ(carousel->scrollOffset(), std::round(carousel->scrollOffset()));
    EXPECT_GE(carousel->currentItemIndex(), 6);
    EXPECT_NE(std::find(recorder.events.begin(), recorder.events.end(), "didEndDecelerating"), recorder.events.end());

    // A slow drag of 0.3 items ends without a fling and returns.
    const double start = carousel->scrollOffset();
    recorder.events.clear();
    fingers.drag({{200, 100}, {185, 100}, {170, 100}}, 1.0);
    EXPECT_FALSE(carousel->decelerating());
    // The finger's first points go to recognising the pan.
    EXPECT_GT(carousel->scrollOffset(), start + 0.1);
    EXPECT_LE(carousel->scrollOffset(), start + 0.3);
    EXPECT_EQ(recorder.events.back(), "willBeginScrolling");
    advance(0.5);
    EXPECT_DOUBLE_EQ(carousel->scrollOffset(), start);
}

TEST_F(iCarouselTest, DraggingPastTheFirstItemResistsAndReturns) {
    show();
    fingers.drag({{20, 100}, {120, 100}, {220, 100}, {310, 100}}, 1.5);
    const double lowest = *std::min_element(recorder.offsets.begin(), recorder.offsets.end());
    EXPECT_LT(lowest, -0.3);
    EXPECT_GE(lowest, -1.0);
    advance(1.0);
    EXPECT_DOUBLE_EQ(carousel->scrollOffset(), 0.0);
}

TEST_F(iCarouselTest, TapsSelectAndCentreExceptOnControls) {
    show();
    auto toggle = ui::makeView<ui::Switch>(Rect(0, 0, 51, 31));
    carousel->itemViewAtIndex(1)->addSubview(toggle);
    carousel->itemViewAtIndex(1)->setUserInteractionEnabled(true);
    auto slider = ui::makeView<ui::Slider>(Rect(0, 50, 100, 30));
    carousel->itemViewAtIndex(0)->addSubview(slider);

    fingers.tap({160 + 100 + 40, 100});  // item 1, beside its switch
    EXPECT_EQ(recorder.selected, (std::vector<int64_t>{1}));
    advance(0.5);
    EXPECT_EQ(carousel->currentItemIndex(), 1);

    fingers.tap(inWindow(*toggle, {25, 15}));  // the switch takes it
    EXPECT_EQ(recorder.selected, (std::vector<int64_t>{1}));

    carousel->setCurrentItemIndex(0);
    carousel->layoutIfNeeded();
    fingers.drag({inWindow(*slider, {10, 15}), inWindow(*slider, {90, 15})}, 0.3);
    EXPECT_EQ(carousel->scrollOffset(), 0.0);  // a pan on a slider does not scroll

    recorder.events.clear();
    fingers.drag({{160, 10}, {170, 190}}, 0.3);  // across the path: no pan
    EXPECT_EQ(carousel->scrollOffset(), 0.0);
    EXPECT_TRUE(recorder.events.empty());
}

TEST_F(iCarouselTest, InsertRemoveAndReloadItems) {
    show();
    ui::ViewPtr second = carousel->itemViewAtIndex(1);
    items.count = 21;
    carousel->insertItemAtIndex(1, false);
    EXPECT_EQ(carousel->numberOfItems(), 21);
    EXPECT_EQ(carousel->itemViewAtIndex(2), second);
    EXPECT_DOUBLE_EQ(containerOf(1)->alpha(), 1.0);

    items.count = 20;
    carousel->removeItemAtIndex(1, false);
    EXPECT_EQ(carousel->numberOfItems(), 20);
    EXPECT_EQ(carousel->itemViewAtIndex(1), second);
    EXPECT_EQ(loaded(), (std::vector<int64_t>{0, 1, 2, 3, 4}));

    // An animated reload cross-fades the container for 0.4 s.
    ui::View* container = containerOf(1);
    carousel->reloadItemAtIndex(1, true);
    const ui::FadeTransition* fade = ui::fadeTransitionOf(container->layer());
    ASSERT_NE(fade, nullptr);
    EXPECT_DOUBLE_EQ(fade->duration, 0.4);
    EXPECT_EQ(containerOf(1), container);
    // The data source made a new view; the old one waits in the pool.
    EXPECT_NE(carousel->itemViewAtIndex(1), second);
    EXPECT_EQ(carousel->pooledItemViewCount(), 1u);
    EXPECT_EQ(second->superview(), nullptr);
    advance(0.5);
    EXPECT_EQ(ui::fadeTransitionOf(container->layer()), nullptr);
    carousel->reloadItemAtIndex(12, true);  // not loaded: nothing happens
    EXPECT_EQ(items.asked.back(), 1);
}

TEST_F(iCarouselTest, ItemsFacingAwayHideWithoutBackfaces) {
    items.count = 12;
    recorder.options[iCarouselOptionShowBackfaces] = 0;
    show(iCarouselTypeCylinder);
    EXPECT_EQ(loaded().size(), 12u);
    std::set<int64_t> hidden;
    for (int64_t index : loaded())
        if (containerOf(index)->isHidden()) hidden.insert(index);
    EXPECT_FALSE(hidden.empty());
    EXPECT_FALSE(hidden.count(0));
    for (int64_t index : hidden) EXPECT_LE(containerOf(index)->layer().transform().m33, 0) << index;
    EXPECT_EQ(hidden, (std::set<int64_t>{4, 5, 6, 7, 8}));
    EXPECT_FALSE(containerOf(0)->layer().isDoubleSided());

    recorder.options[iCarouselOptionShowBackfaces] = 1;
    carousel->layOutItemViews();
    for (int64_t index : loaded()) EXPECT_FALSE(containerOf(index)->isHidden()) << index;
}

TEST_F(iCarouselTest, PicturesOfALinearAndARotaryCarousel) {
    window->rootViewController()->view()->setBackgroundColor(graphics::Color::white());
    items.count = 12;
    show();
    carousel->setCurrentItemIndex(1);
    savePicture("carousel-linear.png");
    carousel->setType(iCarouselTypeRotary);
    advance(0.5);
    savePicture("carousel-rotary.png");
    EXPECT_EQ(loaded().size(), 12u);
}
