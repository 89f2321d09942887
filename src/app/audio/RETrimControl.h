#pragma once

// A horizontal control with two handles over a track for choosing a part of
// a media item of known length: the left handle sets where the part begins,
// the right one where it ends, and dragging the band between them moves
// both. While a handle moves a small time label floats above it; while the
// band moves one longer label shows both times. Positions are kept as
// percentages of the length and reported in seconds after every step.
//
// An item of length 0 has no part to choose: the control shows both handles
// at the start, takes no touches and reports nothing.
//
// Main thread only.

#include "app/audio/TrimGeometry.h"
#include "platform/ui/View.h"

#include <cstdint>
#include <memory>
#include <string>

namespace ui {
class GestureRecognizer;
class ImageView;
class Label;
}  // namespace ui

class RETrimControl;

class RETrimControlDelegate {
public:
    virtual ~RETrimControlDelegate() = default;
    virtual void trimControl(RETrimControl& trimControl, double didChangeLeftValue, double rightValue) = 0;
};

// The time label above a handle.
class RETrimPopover : public ui::View {
public:
    static constexpr double kWidth = 40, kHeight = 28;
    explicit RETrimPopover(const graphics::Rect& frame, const std::string& resourceBundle = "RETrimControl.bundle");
    ui::Label* timeLabel() const { return timeLabel_; }
    void drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect) override;

private:
    ui::Label* timeLabel_ = nullptr;
};

class RETrimControl : public ui::View {
public:
    static constexpr const char* kDefaultResourceBundle = "RETrimControl.bundle";
    static constexpr double kDefaultThreshold = 22;
    static constexpr double kBandHeight = 50;
    static constexpr double kLongPopoverWidth = 90;
    static constexpr double kHidePopoverSeconds = 0.3;

    RETrimControl(const graphics::Rect& frame, float lengthInSec, float maxAvailableLengthInSec, float leftValueInSec,
                  float rightValueInSec);
    RETrimControl(const graphics::Rect& frame, std::string resourceBundle, float lengthInSec,
                  float maxAvailableLengthInSec, float leftValueInSec, float rightValueInSec);

    // The handles' positions in seconds.
    double leftValue() const;
    double rightValue() const;
    // ... and as percentages of the length.
    double leftPercent() const { return values_.left; }
    double rightPercent() const { return values_.right; }

    double length() const { return length_; }
    void setLength(double length) { length_ = length; }
    double maxAvailableLength() const { return maxAvailableLength_; }
    double threshold() const { return threshold_; }
    void setThreshold(double threshold);
    const std::string& resourceBundle() const { return resourceBundle_; }
    RETrimControlDelegate* delegate() const { return delegate_; }
    // Not retained.
    void setDelegate(RETrimControlDelegate* delegate) { delegate_ = delegate; }

    // The picture "<bundle>/<name>" among the resources; a plain drawn one
    // when the resources lack it.
    graphics::Image bundleImageNamed(const std::string& name) const;
    // The label text of a time (see trim::timeText).
    std::string stringFromTime(float seconds) const { return trim::timeText(seconds, length_); }

    void handleLeftPan(ui::GestureRecognizer& recognizer);
    void handleRightPan(ui::GestureRecognizer& recognizer);
    void handleMiddlePan(ui::GestureRecognizer& recognizer);
    void hidePopover(ui::View& popover);
    void notifyDelegate();
    void layoutSubviews() override;

    // The views, for the screen and tests.
    ui::View* sliderMiddleView() const { return sliderMiddleView_; }
    ui::View* leftThumbView() const { return leftThumbView_; }
    ui::View* rightThumbView() const { return rightThumbView_; }
    RETrimPopover* leftPopover() const { return leftPopover_; }
    RETrimPopover* rightPopover() const { return rightPopover_; }
    ui::View* popoverViewLong() const { return popoverViewLong_; }
    ui::Label* timeLabelLong() const { return timeLabelLong_; }

private:
    bool hasLength() const { return length_ > 0; }
    void showPopover(ui::View& popover, double x);
    void handleThumbPan(ui::GestureRecognizer& recognizer, bool left);
    // Applies a handle step; false when it was refused.
    bool applyHandleStep(ui::GestureRecognizer& recognizer, bool left);

    ui::View* outerView_ = nullptr;
    ui::View* innerView_ = nullptr;
    ui::View* sliderMiddleView_ = nullptr;
    ui::View* leftThumbView_ = nullptr;
    ui::View* rightThumbView_ = nullptr;
    RETrimPopover* leftPopover_ = nullptr;
    RETrimPopover* rightPopover_ = nullptr;
    ui::View* popoverViewLong_ = nullptr;
    ui::Label* timeLabelLong_ = nullptr;

    int64_t maxValue_ = 100;
    int64_t minValue_ = 0;
    trim::Values values_;
    double maxAvailableLength_ = 0;
    RETrimControlDelegate* delegate_ = nullptr;
    double length_ = 0;
    double threshold_ = kDefaultThreshold;
    std::string resourceBundle_;
};
