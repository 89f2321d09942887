#include "platform/ui/ToolTip.h"

#include "platform/ui/Window.h"
#include "platform/ui/controls/Label.h"

#include <algorithm>

namespace ui {

namespace {

constexpr const char* kShowPerform = "show";
// Below the pointer's arrow, which hangs down from the pointed-at spot.
constexpr double kBelowPointer = 22;
constexpr double kAbovePointer = 6;
constexpr double kMargin = 4;
constexpr double kPaddingX = 8, kPaddingY = 4;

}  // namespace

graphics::Rect toolTipFrame(graphics::Size size, graphics::Point pointer, const graphics::Rect& bounds) {
    double y = pointer.y + kBelowPointer;
    if (y + size.height > bounds.maxY() - kMargin) y = pointer.y - kAbovePointer - size.height;
    const double x = std::max(bounds.minX() + kMargin, std::min(pointer.x, bounds.maxX() - kMargin - size.width));
    return {x, std::max(bounds.minY() + kMargin, y), size.width, size.height};
}

ToolTipTracker::ToolTipTracker(Window& window) : window_(window) {}

ToolTipTracker::~ToolTipTracker() = default;

void ToolTipTracker::pointerMoved(View* hit, graphics::Point location) {
    View* owner = hit;
    while (owner && owner->toolTip().empty()) owner = owner->superview();
    location_ = location;
    // Moving on one view keeps its tip (and the time it has rested there).
    if (owner == owner_.lock().get()) return;
    hide();
    owner_ = owner ? owner->weak_from_this() : std::weak_ptr<View>();
    if (owner) life_.performAfter(kDelay, [this] { show(); }, kShowPerform);
}

void ToolTipTracker::pointerLeft() {
    hide();
    owner_.reset();
}

void ToolTipTracker::dismiss() { hide(); }

std::optional<std::string> ToolTipTracker::shownText() const {
    if (!tip_ || tip_->superview() != &window_) return std::nullopt;
    return label_->text();
}

void ToolTipTracker::show() {
    auto owner = owner_.lock();
    if (!owner || owner->window() != &window_ || owner->toolTip().empty()) return;
    if (!tip_) {
        tip_ = makeView<View>();
        // Light with a dark edge, so that it stands out on dark screens and
        // light sheets alike.
        tip_->setBackgroundColor(graphics::Color::grey(0.98));
        tip_->layer().setCornerRadius(4);
        tip_->layer().setBorderWidth(1);
        tip_->layer().setBorderColor(graphics::Color::grey(0.35));
        tip_->setUserInteractionEnabled(false);
        label_ = makeView<Label>();
        label_->setFont(graphics::Font::systemFont(13));
        label_->setTextColor(graphics::Color::grey(0.1));
        tip_->addSubview(label_);
    }
    label_->setText(owner->toolTip());
    label_->sizeToFit();
    const graphics::Size text = label_->bounds().size;
    label_->setFrame({kPaddingX, kPaddingY, text.width, text.height});
    tip_->setFrame(toolTipFrame({text.width + 2 * kPaddingX, text.height + 2 * kPaddingY}, location_,
                                window_.bounds()));
    // Over everything the window shows, a sheet or an alert included.
    window_.addSubview(tip_);
}

void ToolTipTracker::hide() {
    life_.cancelPerforms(kShowPerform);
    if (tip_ && tip_->superview()) tip_->removeFromSuperview();
}

}  // namespace ui
