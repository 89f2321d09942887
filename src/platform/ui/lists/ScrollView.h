#pragma once

// A view that shows a larger content area through its bounds: the content
// offset is the bounds origin. The user drags the content with a pan
// recogniser; on release it decelerates, bounces back from beyond the edges
// or settles on a page. All motion runs on the main run loop's clock, one
// step per display frame, and every step that changes the offset is told to
// the delegate, so a listener can follow the position as it moves.

#include "platform/foundation/Timer.h"
#include "platform/ui/View.h"
#include "platform/ui/gestures/GestureRecognizer.h"

#include <memory>

namespace ui {

class ScrollView;
class PanGestureRecognizer;

class ScrollViewDelegate {
public:
    virtual ~ScrollViewDelegate() = default;
    // Every change of the content offset, by hand, by motion or by code.
    virtual void scrollViewDidScroll(ScrollView& scrollView) { (void)scrollView; }
    virtual void scrollViewWillBeginDragging(ScrollView& scrollView) { (void)scrollView; }
    // The finger lifted. `velocity` is in points per second of the content
    // offset; the delegate may change where the motion should come to rest.
    virtual void scrollViewWillEndDragging(ScrollView& scrollView, graphics::Point velocity,
                                           graphics::Point& targetContentOffset) {
        (void)scrollView, (void)velocity, (void)targetContentOffset;
    }
    virtual void scrollViewDidEndDragging(ScrollView& scrollView, bool willDecelerate) {
        (void)scrollView, (void)willDecelerate;
    }
    virtual void scrollViewWillBeginDecelerating(ScrollView& scrollView) { (void)scrollView; }
    // Comes after every willBeginDecelerating, also when a touch or code stops the motion early.
    virtual void scrollViewDidEndDecelerating(ScrollView& scrollView) { (void)scrollView; }
    // An animated setContentOffset or scrollRectToVisible reached its end.
    virtual void scrollViewDidEndScrollingAnimation(ScrollView& scrollView) { (void)scrollView; }
};

class ScrollView : public View, private GestureRecognizerDelegate {
public:
    // Velocity kept per millisecond of free motion.
    static constexpr double kDecelerationRateNormal = 0.998;
    static constexpr double kDecelerationRateFast = 0.99;
    // Duration of setContentOffset(..., true) and scrollRectToVisible(..., true).
    static constexpr double kScrollAnimationDuration = 0.3;
    // Motion steps per second.
    static constexpr double kFrameRate = 60.0;
    // A line of text: the step of a wheel's notch (times the desktop's lines
    // per notch) and the overlap kept by Page Up and Page Down.
    static constexpr double kLineHeight = 20.0;
    // How long a wheel must rest before a paging scroll view settles on a page.
    static constexpr double kWheelSettleDelay = 0.2;

    ScrollView();
    explicit ScrollView(const graphics::Rect& frame);
    ~ScrollView() override;

    // ---- content -------------------------------------------------------------
    graphics::Point contentOffset() const { return bounds().origin; }
    // Stops any running motion first. Animated, the offset moves with an
    // ease-in-ease-out curve and the delegate hears of every step.
    void setContentOffset(graphics::Point offset, bool animated = false);
    graphics::Size contentSize() const { return contentSize_; }
    void setContentSize(graphics::Size size);
    // Extra scrollable space around the content; the offset at rest ranges
    // from (-left, -top) to the far edge plus right and bottom.
    graphics::EdgeInsets contentInset() const { return contentInset_; }
    void setContentInset(const graphics::EdgeInsets& insets);
    // Scrolls as little as needed to show `rect` (content coordinates).
    void scrollRectToVisible(const graphics::Rect& rect, bool animated);

    // The smallest and largest offsets at rest.
    graphics::Point minimumContentOffset() const;
    graphics::Point maximumContentOffset() const;

    // ---- stepwise scrolling (a mouse wheel) ------------------------------------------
    // Whether scrolling is on and the offset has room to change by `delta`
    // on an axis that `delta` moves, without going past the content's edges.
    bool canScrollBy(graphics::Point delta) const;
    // Changes the offset by `delta`, kept within the content (no bounce);
    // running motion stops first, and the delegate hears of the change.
    void scrollBy(graphics::Point delta);
    // scrollBy for a wheel or trackpad: a paging scroll view then settles,
    // animated, on the nearest page once the wheel has rested
    // kWheelSettleDelay seconds.
    void scrollByWheel(graphics::Point delta);
    // The wheel over this view: scrollByWheel when it can move that way
    // (Control held is no scrolling); otherwise the enclosing views get it.
    bool scrollWheel(const WheelEvent& event) override;

    // Page Up / Page Down move by a page (a page of a paging view, else the
    // visible extent less a line), Home / End go to the start / end; along
    // the axis that scrolls (vertical when both do). False when scrolling is
    // off or there is no room that way, so an enclosing view may take the key.
    bool handleKeyEquivalent(const KeyPress& press) override;

    // ---- behaviour ---------------------------------------------------------------
    bool isScrollEnabled() const { return scrollEnabled_; }
    void setScrollEnabled(bool enabled);
    // Stops at multiples of the bounds size.
    bool isPagingEnabled() const { return pagingEnabled_; }
    void setPagingEnabled(bool enabled) { pagingEnabled_ = enabled; }
    // Lets the content go past its edges while dragged and spring back.
    bool bounces() const { return bounces_; }
    void setBounces(bool bounces) { bounces_ = bounces; }
    // Drags along an axis even when the content fits (bouncing needed).
    bool alwaysBounceVertical() const { return alwaysBounceVertical_; }
    void setAlwaysBounceVertical(bool bounce) { alwaysBounceVertical_ = bounce; }
    bool alwaysBounceHorizontal() const { return alwaysBounceHorizontal_; }
    void setAlwaysBounceHorizontal(bool bounce) { alwaysBounceHorizontal_ = bounce; }
    double decelerationRate() const { return decelerationRate_; }
    void setDecelerationRate(double rate);

    // ---- state -----------------------------------------------------------------
    bool isTracking() const { return tracking_; }
    bool isDragging() const { return dragging_; }
    bool isDecelerating() const { return motion_ == Motion::Decelerating; }
    // An animated offset change is running.
    bool isScrollAnimating() const { return motion_ == Motion::Animating; }

    ScrollViewDelegate* delegate() const { return delegate_; }
    // Not owned: clear it before the delegate goes away.
    void setDelegate(ScrollViewDelegate* delegate) { delegate_ = delegate; }

    // The recogniser that drags the content. The scroll view is its delegate.
    PanGestureRecognizer& panGestureRecognizer() const { return *pan_; }

protected:
    // Called after every change of the offset, before the delegate hears of
    // it; subclasses that place content by the visible area hook in here.
    virtual void contentOffsetDidChange() {}
    void boundsSizeDidChange(graphics::Size oldSize) override;
    // True while the current touch came down on moving content and stopped
    // it: such a touch only stops the motion and selects nothing.
    bool touchStoppedMotion() const { return touchStoppedMotion_; }
    // After the content shrank: an offset at rest beyond the new end moves
    // back to it (lists whose last rows were deleted).
    void settleIntoContent();
    // Whether a drag that began on `view` (in the content) scrolls and so
    // takes the touches from it; true for every view here.
    virtual bool touchesShouldCancelInContentView(View* view) {
        (void)view;
        return true;
    }

private:
    enum class Motion { None, Decelerating, Animating };
    // The free motion of one axis after the finger lifted.
    struct Axis {
        enum class Kind { Idle, Decay, Spring, Tween } kind = Kind::Idle;
        double startTime = 0;
        double origin = 0;    // position at startTime
        double velocity = 0;  // points per second at startTime
        double target = 0;    // springs and tweens come to rest here
        double minimum = 0, maximum = 0;
        // The position at `time`; moves the axis on to its next phase (a
        // decay that hits an edge turns into a spring) and to Idle at rest.
        double step(double time, bool bounces, double rate);
        void springFrom(double time, double position, double velocity, double target);
    };

    void setUp();
    bool canScrollHorizontally() const;
    bool canScrollVertically() const;
    // Sets the offset and tells the delegate when it changed.
    void applyOffset(graphics::Point offset);
    graphics::Point clampedOffset(graphics::Point offset) const;
    // Where a drag moves the content, resisting past the edges.
    double rubberBand(double offset, double minimum, double maximum, double extent) const;

    void panChanged();
    void beginDragging();
    void continueDragging();
    void endDragging();
    // Stops free motion and animations (a touch or code took over).
    void stopMotion();
    // Springs back to the nearest offset at rest when left past an edge.
    void settleIfOutOfRange();
    void startMotion(Motion motion);
    void tick();
    void finishMotion();
    // Ends the motion, its timer and its axes without a word to the
    // delegate; returns the motion that ran.
    Motion haltMotion();
    graphics::Point pageTarget(graphics::Point offset, graphics::Point velocity) const;
    void settleOnPage();

    bool gestureRecognizerShouldBegin(GestureRecognizer& recognizer) override;

    friend class ScrollViewPanGestureRecognizer;

    std::shared_ptr<PanGestureRecognizer> pan_;
    ScrollViewDelegate* delegate_ = nullptr;
    graphics::Size contentSize_;
    graphics::EdgeInsets contentInset_;
    double decelerationRate_ = kDecelerationRateNormal;
    bool scrollEnabled_ = true;
    bool pagingEnabled_ = false;
    bool bounces_ = true;
    bool alwaysBounceVertical_ = false;
    bool alwaysBounceHorizontal_ = false;
    bool tracking_ = false;
    bool dragging_ = false;
    bool touchStoppedMotion_ = false;

    // The view the current touch came down on.
    std::weak_ptr<View> touchedView_;
    // Dragging: the offset when the drag began, and the axes it may move.
    graphics::Point dragStartOffset_;
    bool dragHorizontal_ = false;
    bool dragVertical_ = false;

    Motion motion_ = Motion::None;
    Axis axisX_, axisY_;
    foundation::TimerHandle timer_;
    foundation::TimerHandle wheelSettle_;
};

}  // namespace ui
