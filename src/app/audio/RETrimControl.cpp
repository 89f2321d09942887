#include "app/audio/RETrimControl.h"

#include "app/core/BundleImage.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/gestures/PanGestureRecognizer.h"

#include <cmath>

namespace {

constexpr double kTrackHeight = 9;
constexpr double kHandleCenterY = 37;
constexpr double kLabelY = 6, kLabelHeight = 10;
constexpr double kPopoverOffsetX = -9, kPopoverOffsetY = -28;
constexpr double kLongPopoverCenterOffset = 34;
// The pictures' left cap; the column after it is what stretches.
constexpr double kLeftCap = 5;

// A picture stretched to its view's width: the left cap and the right end
// stay as drawn, the column between them stretches.
class CappedImageView : public ui::View {
public:
    CappedImageView(const graphics::Rect& frame, graphics::Image image) : ui::View(frame), image_(std::move(image)) {
        setDrawsContent(true);
        setOpaque(false);
        setContentMode(ui::ContentMode::Redraw);
    }
    void drawRect(graphics::GraphicsContext& context, const graphics::Rect&) override {
        const graphics::Size size = image_.size();
        const graphics::Rect box = bounds();
        if (image_.isNull() || size.width <= kLeftCap + 1) {
            context.drawImage(image_, box);
            return;
        }
        const double right = size.width - kLeftCap - 1;
        const double scale = image_.scale();
        auto part = [&](double x, double width) {
            return image_.cropped(graphics::Rect(x * scale, 0, width * scale, size.height * scale)).withScale(scale);
        };
        const double middle = std::max(0.0, box.size.width - kLeftCap - right);
        context.drawImage(part(0, kLeftCap), graphics::Rect(0, 0, kLeftCap, box.size.height));
        context.drawImage(part(kLeftCap, 1), graphics::Rect(kLeftCap, 0, middle, box.size.height));
        context.drawImage(part(kLeftCap + 1, right), graphics::Rect(kLeftCap + middle, 0, right, box.size.height));
    }

private:
    graphics::Image image_;
};

std::shared_ptr<ui::Label> makeTimeLabel(double width) {
    auto label = ui::makeView<ui::Label>(graphics::Rect(0, kLabelY, width, kLabelHeight));
    label->setFont(graphics::Font::boldSystemFont(12));
    label->setTextColor(graphics::Color::white());
    label->setTextAlignment(graphics::TextAlignment::Center);
    label->setBackgroundColor(graphics::Color::clear());
    return label;
}

// The pictures drawn plainly, for resources that lack them.
graphics::Image drawnImage(const std::string& name) {
    if (name == "Slider") {
        graphics::GraphicsContext context(graphics::Size{trim::kHandleWidth, trim::kHandleHeight}, 2.0);
        context.setFillColor(graphics::Color::rgb8(250, 196, 40));
        context.fillRect(graphics::Rect(8, 6, 9, trim::kHandleHeight - 12));
        context.setFillColor(graphics::Color::rgb8(120, 80, 0));
        for (double y : {30.0, 36.0, 42.0}) context.fillRect(graphics::Rect(10, y, 5, 1.5));
        return context.makeImage();
    }
    if (name == "SliderMiddle") {
        graphics::GraphicsContext context(graphics::Size{4, 4}, 1.0);
        context.setFillColor(graphics::Color::rgb8(250, 196, 40).withAlpha(0.22));
        context.fillRect(graphics::Rect(0, 0, 4, 4));
        return context.makeImage();
    }
    graphics::GraphicsContext context(graphics::Size{2 * kLeftCap + 1, kTrackHeight}, 2.0);
    context.setFillColor(name == "Inner" ? graphics::Color::rgb8(250, 196, 40) : graphics::Color::rgb8(90, 90, 96));
    context.fillRect(graphics::Rect(0, 2, 2 * kLeftCap + 1, kTrackHeight - 4));
    return context.makeImage();
}

}  // namespace

RETrimPopover::RETrimPopover(const graphics::Rect& frame, const std::string& resourceBundle) : ui::View(frame) {
    (void)resourceBundle;  // the label is drawn; the bundle holds no popover picture
    setDrawsContent(true);
    setOpaque(false);
    auto label = makeTimeLabel(frame.size.width);
    timeLabel_ = label.get();
    addSubview(label);
    setAlpha(0);
}

void RETrimPopover::drawRect(graphics::GraphicsContext& context, const graphics::Rect&) {
    context.setFillColor(graphics::Color::rgb8(30, 30, 34).withAlpha(0.85));
    graphics::Rect box = bounds();
    box.size.height -= 6;
    context.fillRect(box);
}

RETrimControl::RETrimControl(const graphics::Rect& frame, float lengthInSec, float maxAvailableLengthInSec,
                             float leftValueInSec, float rightValueInSec)
    : RETrimControl(frame, kDefaultResourceBundle, lengthInSec, maxAvailableLengthInSec, leftValueInSec,
                    rightValueInSec) {}

RETrimControl::RETrimControl(const graphics::Rect& frame, std::string resourceBundle, float lengthInSec,
                             float maxAvailableLengthInSec, float leftValueInSec, float rightValueInSec)
    : ui::View(frame),
      maxAvailableLength_(maxAvailableLengthInSec),
      length_(lengthInSec),
      resourceBundle_(std::move(resourceBundle)) {
    const double width = frame.size.width, height = frame.size.height;

    auto outer = std::make_shared<CappedImageView>(
        graphics::Rect(threshold_, height / 2 - 4, width - 1 - 2 * threshold_, kTrackHeight),
        bundleImageNamed("Outer"));
    outerView_ = outer.get();
    addSubview(outer);

    auto middle = ui::makeView<ui::View>(graphics::Rect(0, 0, width, height));
    middle->setBackgroundColor(graphics::Color::pattern(bundleImageNamed("SliderMiddle")));
    middle->addGestureRecognizer(std::make_shared<ui::PanGestureRecognizer>(
        [this](ui::GestureRecognizer& recognizer) { handleMiddlePan(recognizer); }));
    sliderMiddleView_ = middle.get();
    addSubview(middle);

    values_.left = trim::percentForSeconds(leftValueInSec, lengthInSec);
    values_.right = hasLength() ? trim::percentForSeconds(rightValueInSec, lengthInSec) : 0.0;

    auto makeThumb = [&](double x, ui::ContentMode mode, bool left) {
        auto thumb = ui::makeView<ui::ImageView>(bundleImageNamed("Slider"));
        thumb->setFrame(graphics::Rect(x, 0, trim::kHandleWidth, trim::kHandleHeight));
        thumb->setContentMode(mode);
        thumb->setUserInteractionEnabled(true);
        thumb->setClipsToBounds(true);
        thumb->addGestureRecognizer(
            std::make_shared<ui::PanGestureRecognizer>([this, left](ui::GestureRecognizer& recognizer) {
                left ? handleLeftPan(recognizer) : handleRightPan(recognizer);
            }));
        return thumb;
    };
    auto leftThumb = makeThumb(0, ui::ContentMode::Left, true);
    leftThumbView_ = leftThumb.get();
    addSubview(leftThumb);
    auto rightThumb = makeThumb(width - trim::kHandleWidth, ui::ContentMode::Right, false);
    rightThumbView_ = rightThumb.get();
    addSubview(rightThumb);

    auto inner = std::make_shared<CappedImageView>(graphics::Rect(10, height / 2 - 4, width - 21, kTrackHeight),
                                                   bundleImageNamed("Inner"));
    inner->setUserInteractionEnabled(false);
    innerView_ = inner.get();
    addSubview(inner);

    const graphics::Rect popoverFrame(kPopoverOffsetX, kPopoverOffsetY, RETrimPopover::kWidth, RETrimPopover::kHeight);
    auto leftPopover = std::make_shared<RETrimPopover>(popoverFrame, resourceBundle_);
    leftPopover_ = leftPopover.get();
    addSubview(leftPopover);
    auto rightPopover = std::make_shared<RETrimPopover>(popoverFrame, resourceBundle_);
    rightPopover_ = rightPopover.get();
    addSubview(rightPopover);

    auto longPopover = std::make_shared<RETrimPopover>(
        graphics::Rect(kPopoverOffsetX, kPopoverOffsetY, kLongPopoverWidth, RETrimPopover::kHeight), resourceBundle_);
    popoverViewLong_ = longPopover.get();
    timeLabelLong_ = longPopover->timeLabel();
    addSubview(longPopover);

    if (!hasLength()) setUserInteractionEnabled(false);
}

double RETrimControl::leftValue() const { return trim::secondsForPercent(values_.left, length_); }
double RETrimControl::rightValue() const { return trim::secondsForPercent(values_.right, length_); }

void RETrimControl::setThreshold(double threshold) {
    threshold_ = threshold;
    setNeedsLayout();
}

graphics::Image RETrimControl::bundleImageNamed(const std::string& name) const {
    if (auto image = ::bundleImageNamed(resourceBundle_ + "/" + name)) return *image;
    return drawnImage(name);
}

void RETrimControl::layoutSubviews() {
    const double width = bounds().size.width, height = bounds().size.height;
    const float leftX = trim::handleX(values_.left, width);
    const float rightX = trim::handleX(values_.right, width);
    leftThumbView_->setCenter(graphics::Point{leftX + 12, kHandleCenterY});
    rightThumbView_->setCenter(graphics::Point{rightX + 12, kHandleCenterY});
    sliderMiddleView_->setFrame(graphics::Rect(
        leftX + trim::kHandleWidth, 0, std::max(0.0, double(rightX - leftX) - trim::kHandleWidth), kBandHeight));
    graphics::Rect inner = innerView_->frame();
    inner.origin.x = leftX + threshold_;
    inner.size.width = std::max(0.0, rightX + trim::kHandleWidth - threshold_ - inner.origin.x);
    innerView_->setFrame(inner);
    outerView_->setFrame(graphics::Rect(threshold_, height / 2 - 4, width - 1 - 2 * threshold_, kTrackHeight));
}

bool RETrimControl::applyHandleStep(ui::GestureRecognizer& recognizer, bool left) {
    auto& pan = static_cast<ui::PanGestureRecognizer&>(recognizer);
    const double delta = trim::percentDelta(pan.translationInView(this).x, bounds().size.width);
    auto next = left ? trim::stepLeft(values_, delta, length_, maxAvailableLength_)
                     : trim::stepRight(values_, delta, length_, maxAvailableLength_);
    if (!next) return false;
    const double handleBefore = (left ? leftThumbView_ : rightThumbView_)->frame().origin.x;
    values_ = *next;
    pan.setTranslation(graphics::Point{0, 0}, this);
    setNeedsLayout();
    RETrimPopover* popover = left ? leftPopover_ : rightPopover_;
    popover->timeLabel()->setText(stringFromTime(static_cast<float>(left ? leftValue() : rightValue())));
    showPopover(*popover, handleBefore + kPopoverOffsetX);
    notifyDelegate();
    return true;
}

void RETrimControl::handleLeftPan(ui::GestureRecognizer& recognizer) { handleThumbPan(recognizer, true); }

void RETrimControl::handleRightPan(ui::GestureRecognizer& recognizer) { handleThumbPan(recognizer, false); }

void RETrimControl::handleThumbPan(ui::GestureRecognizer& recognizer, bool left) {
    if (!hasLength()) return;
    if (recognizer.state() == ui::GestureState::Began || recognizer.state() == ui::GestureState::Changed)
        applyHandleStep(recognizer, left);
    else if (recognizer.state() == ui::GestureState::Ended)
        hidePopover(left ? *leftPopover_ : *rightPopover_);
}

void RETrimControl::handleMiddlePan(ui::GestureRecognizer& recognizer) {
    if (!hasLength()) return;
    if (recognizer.state() == ui::GestureState::Ended) {
        hidePopover(*popoverViewLong_);
        return;
    }
    if (recognizer.state() != ui::GestureState::Began && recognizer.state() != ui::GestureState::Changed) return;
    auto& pan = static_cast<ui::PanGestureRecognizer&>(recognizer);
    const trim::BandStep step =
        trim::stepBand(values_, trim::percentDelta(pan.translationInView(this).x, bounds().size.width));
    values_ = step.values;
    setNeedsLayout();
    if (step.pinned) return;
    pan.setTranslation(graphics::Point{0, 0}, this);
    const double leftX = leftThumbView_->frame().origin.x, rightX = rightThumbView_->frame().origin.x;
    timeLabelLong_->setText(stringFromTime(static_cast<float>(leftValue())) + "  —  " +
                            stringFromTime(static_cast<float>(rightValue())));
    showPopover(*popoverViewLong_, leftX - kLongPopoverCenterOffset + std::floor((rightX - leftX) / 2));
    notifyDelegate();
}

void RETrimControl::showPopover(ui::View& popover, double x) {
    graphics::Rect frame = popover.frame();
    frame.origin.x = x;
    popover.setFrame(frame);
    popover.setAlpha(1);
}

void RETrimControl::hidePopover(ui::View& popover) {
    std::weak_ptr<ui::View> weak = popover.sharedFromThis();
    ui::animate(kHidePopoverSeconds, 0, ui::AnimationOptionAllowUserInteraction, [weak] {
        if (auto view = weak.lock()) view->setAlpha(0);
    });
}

void RETrimControl::notifyDelegate() {
    if (delegate_ && hasLength()) delegate_->trimControl(*this, leftValue(), rightValue());
}
