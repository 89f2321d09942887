#pragma once

// A row of item views from a data source laid out along one of twelve paths
// (CarouselLayout.h) and scrolled by changing one number, the scroll offset.
// Each item view sits in a container of its own whose layer gets the item's
// 3D transform; only the items near the centre exist as views, the others
// are recycled through two reuse pools.
//
// Scrolling (iCarouselScrolling.cpp): direct setting, timed scrolls with
// ease-in-out, the fling's deceleration with bounce at the ends, snapping,
// and one 1/60 s timer on the main run loop that drives them, started while
// the carousel is in a superview. Pan and tap gestures move and select.

#include "app/widgets/carousel/CarouselLayout.h"
#include "app/widgets/carousel/iCarouselProtocols.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Timer.h"
#include "platform/ui/View.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/gestures/GestureRecognizer.h"

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace ui {
class PanGestureRecognizer;
class TapGestureRecognizer;
}  // namespace ui

class iCarousel : public ui::View, public ui::GestureRecognizerDelegate {
public:
    explicit iCarousel(const graphics::Rect& frame = {});
    ~iCarousel() override;

    // ---- data source and delegate (not owned) ------------------------------------
    iCarouselDataSource* dataSource() const { return dataSource_; }
    void setDataSource(iCarouselDataSource* dataSource);
    iCarouselDelegate* delegate() const { return delegate_; }
    void setDelegate(iCarouselDelegate* delegate);

    // ---- options ------------------------------------------------------------------
    iCarouselType type() const { return type_; }
    void setType(iCarouselType type);
    bool isVertical() const { return vertical_; }
    void setVertical(bool vertical);
    graphics::Size contentOffset() const { return contentOffset_; }
    void setContentOffset(graphics::Size offset);
    graphics::Size viewpointOffset() const { return viewpointOffset_; }
    void setViewpointOffset(graphics::Size offset);
    double perspective() const { return perspective_; }
    void setPerspective(double perspective) { perspective_ = perspective; }

    bool decelerating() const { return decelerating_; }
    bool scrolling() const { return scrolling_; }
    bool dragging() const { return dragging_; }
    bool wrapEnabled() const { return wrapEnabled_; }
    bool scrollEnabled = true;
    bool bounces = true;
    bool stopAtItemBoundary = true;
    bool scrollToItemBoundary = true;
    bool ignorePerpendicularSwipes = true;
    bool centerItemWhenSelected = true;
    // A linear row that does not wrap: no room shows before its first item
    // or after its last while the row is longer than the view (the ends
    // `endInset` points from its edges); there the row stays and the
    // current item moves along it instead of standing in the centre. A row
    // shorter than the view starts at its leading edge. Off by default.
    bool keepsEndsInView = false;
    double endInset = 0;
    double decelerationRate = static_cast<double>(0.95f);
    double bounceDistance = 1.0;
    double scrollSpeed = 1.0;

    // ---- state --------------------------------------------------------------------
    int64_t numberOfItems() const { return numberOfItems_; }
    int64_t numberOfPlaceholders() const { return numberOfPlaceholders_; }
    int64_t numberOfVisibleItems() const { return numberOfVisibleItems_; }
    double itemWidth() const { return itemWidth_; }
    double scrollOffset() const { return scrollOffset_; }
    double offsetMultiplier() const { return offsetMultiplier_; }
    double startVelocity() const { return startVelocity_; }
    double toggle() const { return toggle_; }
    ui::View& contentView() const { return *contentView_; }
    int64_t currentItemIndex() const;
    void setCurrentItemIndex(int64_t index);
    ui::ViewPtr currentItemView() const;
    // Loaded indexes, ascending, and their views in that order.
    std::vector<int64_t> indexesForVisibleItems() const;
    std::vector<ui::ViewPtr> visibleItemViews() const;
    ui::ViewPtr itemViewAtIndex(int64_t index) const;
    // The index of a loaded item view, or kNotFound.
    int64_t indexOfItemView(const ui::View* view) const;
    // The index of the view or of its nearest ancestor that is an item view
    // (up to the content view), or kNotFound.
    int64_t indexOfItemViewOrSubview(const ui::View* view) const;
    // How many item views wait in the reuse pools.
    size_t pooledItemViewCount() const { return itemViewPool_.size(); }
    size_t pooledPlaceholderViewCount() const { return placeholderViewPool_.size(); }

    // ---- data ---------------------------------------------------------------------
    void reloadData();
    void reloadItemAtIndex(int64_t index, bool animated);
    void insertItemAtIndex(int64_t index, bool animated);
    void removeItemAtIndex(int64_t index, bool animated);

    // ---- layout -------------------------------------------------------------------
    double offsetForItemAtIndex(int64_t index) const;
    int64_t clampedIndex(int64_t index) const;
    double clampedOffset(double offset) const;
    void layOutItemViews();
    void layoutSubviews() override;

    // ---- scrolling (iCarouselScrolling.cpp) ---------------------------------------------
    void setScrollOffset(double offset);
    void scrollByOffset(double offset, double duration);
    void scrollToOffset(double offset, double duration);
    void scrollByNumberOfItems(int64_t count, double duration);
    void scrollToItemAtIndex(int64_t index, double duration);
    // 0.4 s when animated, at once otherwise.
    void scrollToItemAtIndexAnimated(int64_t index, bool animated);
    int64_t minScrollDistanceFromIndex(int64_t fromIndex, int64_t toIndex) const;
    double minScrollDistanceFromOffset(double fromOffset, double toOffset) const;
    // One tick of the animation timer; the timer calls it every 1/60 s.
    void step();
    bool isAnimating() const { return timer_ != nullptr; }
    void didMoveToSuperview() override;

    // ---- wheel and keys (iCarouselScrolling.cpp) ----------------------------------------
    // The wheel scrolls the carousel along its axis (a vertical turn moves a
    // sideways carousel too) and, once it has rested kWheelSettleDelay
    // seconds, centres the next item in the turn's direction. The arrows
    // along the axis move to the previous or next item.
    static constexpr double kWheelSettleDelay = 0.2;
    static constexpr double kKeyScrollDuration = 0.2;
    bool scrollWheel(const ui::WheelEvent& event) override;
    bool handleKeyEquivalent(const ui::KeyPress& press) override;

    // ---- gestures -----------------------------------------------------------------------
    bool gestureRecognizerShouldBegin(ui::GestureRecognizer& recognizer) override;
    bool shouldReceiveTouch(ui::GestureRecognizer& recognizer, const ui::Touch& touch) override;

protected:
    void boundsSizeDidChange(graphics::Size oldSize) override;

private:
    // Layout (iCarousel.cpp).
    carousel::LayoutState layoutState() const;
    carousel::OptionLookup optionLookup() const;
    double valueForOption(iCarouselOption option, double defaultValue) const;
    bool askWrap(bool defaultValue) const;
    void updateItemWidth();
    // How far the row is moved along its path (keepsEndsInView), in points.
    double endShift() const;
    // Where a wheel turn comes to rest (iCarouselScrolling.cpp).
    void settleAfterWheel(bool forward);
    void updateNumberOfVisibleItems();
    double alphaForItemWithOffset(double offset) const;
    graphics::Transform3D transformForItemWithOffset(double offset) const;
    void transformItemView(const ui::ViewPtr& view, int64_t index);
    void transformItemViews();
    void depthSortViews();
    void warnAboutLegacyOperations() const;

    // Items (iCarouselItems.cpp).
    ui::ViewPtr containView(const ui::ViewPtr& view);
    ui::ViewPtr loadViewAtIndex(int64_t index, ui::View* container = nullptr);
    void loadUnloadViews();
    void queueView(int64_t index, ui::ViewPtr view);
    ui::ViewPtr dequeueView(int64_t index);
    void shiftKeys(int64_t from, int64_t by);

    // Scrolling (iCarouselScrolling.cpp).
    void didScroll();
    void startAnimation();
    void stopAnimation();
    void startDecelerating();
    // Centres the current item: a 0.01 s nudge when it is nearly there.
    void snapToCurrentItem();
    // Within 0.01 of the current item.
    bool nearlyCentred() const;
    bool offsetOutsideItems() const;
    void didPan(ui::PanGestureRecognizer& pan);
    void didTap(ui::TapGestureRecognizer& tap);
    double now() const;

    // Runs work with implicit animation off (nested pairs count).
    template <class F>
    void withoutAnimation(F&& work) {
        if (animationDisableCount_++ == 0)
            ui::performWithoutAnimation(work);
        else
            work();
        --animationDisableCount_;
    }

    iCarouselDataSource* dataSource_ = nullptr;
    iCarouselDelegate* delegate_ = nullptr;
    iCarouselType type_ = iCarouselTypeLinear;
    bool vertical_ = false;
    bool wrapEnabled_ = false;
    bool decelerating_ = false;
    bool scrolling_ = false;
    bool dragging_ = false;
    bool didDrag_ = false;
    double perspective_ = static_cast<double>(-1.0f / 500.0f);
    graphics::Size contentOffset_;
    graphics::Size viewpointOffset_;
    int64_t numberOfItems_ = 0;
    int64_t numberOfPlaceholders_ = 0;
    int64_t numberOfPlaceholdersToShow_ = 0;
    int64_t numberOfVisibleItems_ = 0;
    int64_t previousItemIndex_ = 0;
    double itemWidth_ = 0;
    double scrollOffset_ = 0;
    double offsetMultiplier_ = 1.0;
    double startVelocity_ = 0;
    double startOffset_ = 0;
    double endOffset_ = 0;
    double scrollDuration_ = 0;
    double startTime_ = 0;
    double previousTranslation_ = 0;
    double toggleTime_ = 0;
    double toggle_ = 0;
    int64_t animationDisableCount_ = 0;

    ui::ViewPtr contentView_;
    std::map<int64_t, ui::ViewPtr> itemViews_;
    std::vector<ui::ViewPtr> itemViewPool_;
    std::vector<ui::ViewPtr> placeholderViewPool_;
    foundation::TimerHandle timer_;
    foundation::TimerHandle wheelSettle_;
    foundation::LifeToken life_;
};
