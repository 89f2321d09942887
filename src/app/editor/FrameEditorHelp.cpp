// The editor's help bubbles.

#include "app/editor/FrameEditorHelp.h"

#include "app/core/BundleImage.h"
#include "app/widgets/popover/FWTPopoverView.h"
#include "app/widgets/views/TouchPassthrough.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Font.h"
#include "platform/ui/View.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// The transparent layer under the bubbles: a tap on it closes the help and
// goes on to the control under it, so the help never takes a click meant
// for the editor; keys reach the editor as well.
class CloseLayer : public ui::Button {
public:
    CloseLayer(const graphics::Rect& frame, std::function<void()> touchedThrough,
               std::vector<ui::ViewPtr> toggleControls)
        : ui::Button(ui::ButtonType::Custom, frame) {
        passthrough_.letEverythingThrough(std::move(touchedThrough));
        passthrough_.setViews(std::move(toggleControls));
    }
    ui::View* hitTest(graphics::Point point, const ui::Event* event) override {
        if (passthrough_.isAskingBelow()) return nullptr;
        return passthrough_.route(*this, ui::Button::hitTest(point, event), point, event);
    }
    std::vector<ui::ViewPtr> viewsReachedThrough() const override { return passthrough_.viewsBelow(*this); }

private:
    TouchPassthrough passthrough_;
};

// A bubble keeps only the touches of its buttons: the rest of it, its text
// and the clear room around its body, lets them fall to the layer and
// through it to what the bubble covers.
class Bubble : public FWTPopoverView {
public:
    ui::View* hitTest(graphics::Point point, const ui::Event* event) override {
        ui::View* hit = FWTPopoverView::hitTest(point, event);
        for (ui::View* v = hit; v && v != this; v = v->superview())
            if (dynamic_cast<ui::Control*>(v)) return hit;
        return nullptr;
    }
};

}  // namespace

namespace frameeditorhelp {

namespace {

constexpr double kLabelInset = 5;
constexpr int kShortLines = 2;
constexpr int kExpandedLines = 10;

// The face of the short bubbles' text.
graphics::Font labelFont() { return graphics::Font("HelveticaNeue-Light", kFontSize); }

}  // namespace

double bubbleWidth(ui::UserInterfaceIdiom idiom) { return idiom == ui::UserInterfaceIdiom::Pad ? 200 : 150; }

// Opaque: a control under a bubble never shows through its text.
graphics::Color defaultColor() { return graphics::Color::hsb(0.75, 0.6, 0.7, 1.0); }

graphics::Color moreHelpColor() { return graphics::Color::hsb(0.225, 0.6, 0.7, 1.0); }

ShortBubble shortBubble(double textWidth, double bubbleWidth, bool hasBlock) {
    ShortBubble bubble;
    bubble.hasMoreButton = textWidth > bubbleWidth * kMoreButtonFactor || hasBlock;
    bubble.contentWidth = bubble.hasMoreButton ? bubbleWidth : textWidth;
    const double labelWidth = bubble.hasMoreButton ? bubbleWidth - kMoreImageInset : textWidth;
    bubble.labelFrame = graphics::Rect(kLabelInset, 0, labelWidth, kBubbleHeight);
    bubble.lines = kShortLines;
    return bubble;
}

FWTPopoverArrowDirection arrowDirection(FWTPopoverArrowDirection requested, const graphics::Rect& rect,
                                        graphics::Size viewSize) {
    if (requested != 0) return requested;
    FWTPopoverArrowDirection direction =
        rect.origin.x > viewSize.width / 2 ? FWTPopoverArrowDirectionRight : FWTPopoverArrowDirectionLeft;
    if (rect.origin.y > viewSize.height / 2) direction = FWTPopoverArrowDirectionDown;
    return direction;
}

namespace {

FWTPopoverArrowDirection opposite(FWTPopoverArrowDirection direction) {
    switch (direction) {
        case FWTPopoverArrowDirectionUp:
            return FWTPopoverArrowDirectionDown;
        case FWTPopoverArrowDirectionDown:
            return FWTPopoverArrowDirectionUp;
        case FWTPopoverArrowDirectionLeft:
            return FWTPopoverArrowDirectionRight;
        default:
            return FWTPopoverArrowDirectionLeft;
    }
}

bool isVertical(FWTPopoverArrowDirection direction) {
    return direction == FWTPopoverArrowDirectionUp || direction == FWTPopoverArrowDirectionDown;
}

// A rect's start and end across an arrow's side.
std::pair<double, double> across(const graphics::Rect& rect, FWTPopoverArrowDirection direction) {
    return isVertical(direction) ? std::pair{rect.minX(), rect.maxX()} : std::pair{rect.minY(), rect.maxY()};
}

}  // namespace

BubblePlace freePlace(FWTPopoverView& bubble, const graphics::Rect& rect, FWTPopoverArrowDirection wanted,
                      const graphics::Rect& viewBounds, const std::vector<graphics::Rect>& shownBodies) {
    // A bubble without an arrow stands where it was put.
    if (wanted != FWTPopoverArrowDirectionUp && wanted != FWTPopoverArrowDirectionDown &&
        wanted != FWTPopoverArrowDirectionLeft && wanted != FWTPopoverArrowDirectionRight)
        return {wanted, 0};
    // Where the arrow aims (a rect one point wide or high stands for a point).
    const graphics::Point aim{rect.width() == 1 ? rect.minX() : rect.midX(),
                              rect.height() == 1 ? rect.minY() : rect.midY()};
    // The arrow stays clear of the body's rounded corners.
    const double cornerRoom = 2 * bubble.backgroundHelper().cornerRadius;
    auto isClear = [&shownBodies](const graphics::Rect& body) {
        return std::none_of(shownBodies.begin(), shownBodies.end(),
                            [&body](const graphics::Rect& shown) { return shown.intersects(body); });
    };
    const FWTPopoverArrowDirection side =
        isVertical(wanted) ? FWTPopoverArrowDirectionLeft : FWTPopoverArrowDirectionUp;
    std::optional<FWTPopoverArrowDirection> fitting;
    for (FWTPopoverArrowDirection candidate : {wanted, opposite(wanted), side, opposite(side)}) {
        const FWTPopoverView::Placement placed = bubble.placementFromRect(rect, candidate, viewBounds);
        if (placed.movedAlongArrow(candidate)) continue;
        if (!fitting) fitting = candidate;
        // No slide, then the slides that just clear each bubble in the way, shortest first.
        const auto [start, end] = across(placed.body(), candidate);
        std::vector<double> slides{0};
        for (const graphics::Rect& shown : shownBodies) {
            if (!shown.intersects(placed.body())) continue;
            const auto [shownStart, shownEnd] = across(shown, candidate);
            slides.push_back(shownEnd - start);
            slides.push_back(shownStart - end);
        }
        std::stable_sort(slides.begin(), slides.end(), [](double a, double b) { return std::fabs(a) < std::fabs(b); });
        const double aimAcross = isVertical(candidate) ? aim.x : aim.y;
        for (double slide : slides) {
            const FWTPopoverView::Placement slid = bubble.placementFromRect(rect, candidate, viewBounds, slide);
            const auto [bodyStart, bodyEnd] = across(slid.body(), candidate);
            const bool arrowReaches = aimAcross >= bodyStart + cornerRoom && aimAcross <= bodyEnd - cornerRoom;
            if ((slide == 0 || viewBounds.contains(slid.adjustment.frame)) && arrowReaches && isClear(slid.body()))
                return {candidate, slide};
        }
    }
    return {fitting.value_or(wanted), 0};
}

double measureText(const std::string& text) { return graphics::Font::systemFont(kFontSize).sizeOfText(text).width; }

graphics::Size expandedTextSize(const std::string& text, const graphics::Font& font) {
    graphics::Size size = font.sizeOfText(text, kExpandedTextBounds.width);
    size.height = std::min(size.height, kExpandedTextBounds.height);
    return size;
}

ShortBubble wholeTextBubble(const std::string& text, double bubbleWidth, bool hasBlock) {
    ShortBubble bubble = shortBubble(measureText(text), bubbleWidth, hasBlock);
    const graphics::Font font = labelFont();
    const double width = bubble.labelFrame.width();
    const size_t lines = ui::layoutLabelText(text, font, width, 0, graphics::LineBreakMode::WordWrap).lines.size();
    if (lines <= static_cast<size_t>(bubble.lines)) return bubble;
    if (hasBlock) {
        // The more button stays beside the text, which takes the lines it needs.
        bubble.lines = static_cast<int>(lines);
        const double height = std::ceil(font.lineHeight() * static_cast<double>(lines));
        bubble.contentHeight = std::max(kBubbleHeight, height + 2 * kLabelInset);
        bubble.labelFrame = graphics::Rect(kLabelInset, 0, width, bubble.contentHeight);
        return bubble;
    }
    const graphics::Size whole = expandedTextSize(text, font);
    bubble.hasMoreButton = false;
    bubble.lines = kExpandedLines;
    bubble.contentWidth = whole.width;
    bubble.contentHeight = std::max(kBubbleHeight, whole.height + 2 * kLabelInset);
    bubble.labelFrame = graphics::Rect(kLabelInset, (bubble.contentHeight - whole.height) / 2, whole.width, whole.height);
    return bubble;
}

}  // namespace frameeditorhelp

namespace h = frameeditorhelp;

FrameEditorHelp::FrameEditorHelp() = default;

FrameEditorHelp::~FrameEditorHelp() {
    if (closeButton_) closeButton_->removeFromSuperview();
}

void FrameEditorHelp::addHelp(const std::string& text, const graphics::Rect& atRect) { addHelp(text, atRect, 0); }

void FrameEditorHelp::addHelp(const std::string& text, const graphics::Rect& atRect,
                              FWTPopoverArrowDirection withArrowPosition) {
    addHelp(text, atRect, withArrowPosition, std::nullopt, nullptr);
}

void FrameEditorHelp::addHelp(const std::string& text, const graphics::Rect& atRect,
                              FWTPopoverArrowDirection withArrowPosition, std::optional<graphics::Color> withColor,
                              std::function<void()> andBlock) {
    helpItems_.push_back({text, atRect, withArrowPosition, withColor, std::move(andBlock)});
}

void FrameEditorHelp::replaceHelpAtRect(const graphics::Rect& rect, const std::string& withHelp) {
    auto item = std::find_if(helpItems_.begin(), helpItems_.end(),
                             [&rect](const FrameEditorHelpItem& candidate) { return candidate.rect == rect; });
    if (item != helpItems_.end()) item->text = withHelp;
}

void FrameEditorHelp::showHelpInView(ui::View& view) {
    helpView_ = view.weak_from_this();
    if (closeButton_) closeButton_->removeFromSuperview();
    std::weak_ptr<FrameEditorHelp> weak = weak_from_this();
    auto close = [weak] {
        if (auto self = weak.lock()) self->actionClose();
    };
    closeButton_ = ui::makeView<CloseLayer>(view.frame(), close, toggleControls_);
    closeButton_->addTarget(
        this, [close](ui::Control&) { close(); }, ui::ControlEventTouchUpInside);
    view.addSubview(closeButton_);
    for (auto& old : popovers_) old->dismissPopoverAnimated(false);
    popovers_.clear();
    expanded_.assign(helpItems_.size(), false);
    // Each bubble keeps clear of those before it.
    std::vector<graphics::Rect> shownBodies;
    for (size_t i = 0; i < helpItems_.size(); ++i) {
        auto bubble = makeShortBubble(i);
        const h::BubblePlace place =
            h::freePlace(*bubble, helpItems_[i].rect, directionOf(i), view.bounds(), shownBodies);
        bubble->slide = place.slide;
        bubble->presentFromRect(helpItems_[i].rect, view, place.direction, true);
        shownBodies.push_back(bubble->bodyFrame());
        popovers_.push_back(std::move(bubble));
    }
}

void FrameEditorHelp::dismissHelp() {
    if (closeButton_) closeButton_->removeFromSuperview();
    closeButton_.reset();
    for (auto& bubble : popovers_) bubble->dismissPopoverAnimated(true);
    popovers_.clear();
    expanded_.clear();
}

void FrameEditorHelp::actionClose() { foundation::NotificationCenter::defaultCenter().post(kCloseNotification, this); }

void FrameEditorHelp::actionHelpBtn(size_t index) {
    if (index >= helpItems_.size()) return;
    if (helpItems_[index].block) {
        // The block may close the help and release it.
        auto block = helpItems_[index].block;
        block();
        return;
    }
    replaceBubble(index, makeExtendedBubble(index), true);
}

void FrameEditorHelp::actionCloseExtendedHelp(size_t index) {
    if (index >= helpItems_.size()) return;
    replaceBubble(index, makeShortBubble(index), false);
}

FWTPopoverArrowDirection FrameEditorHelp::directionOf(size_t index) const {
    auto view = helpView_.lock();
    const graphics::Size size = view ? view->bounds().size : graphics::Size{};
    return h::arrowDirection(helpItems_[index].arrowDirection, helpItems_[index].rect, size);
}

std::shared_ptr<FWTPopoverView> FrameEditorHelp::makeBubble(size_t index, graphics::Size contentSize) {
    std::shared_ptr<FWTPopoverView> bubble = ui::makeView<Bubble>();
    bubble->contentSize = contentSize;
    bubble->backgroundHelper().fillColor = helpItems_[index].color.value_or(h::defaultColor());
    return bubble;
}

std::shared_ptr<FWTPopoverView> FrameEditorHelp::makeShortBubble(size_t index) {
    const FrameEditorHelpItem& item = helpItems_[index];
    const double width = h::bubbleWidth(ui::Device::current().userInterfaceIdiom());
    const h::ShortBubble layout = h::wholeTextBubble(item.text, width, static_cast<bool>(item.block));
    auto bubble = makeBubble(index, {layout.contentWidth + 10, layout.contentHeight});
    const ui::ViewPtr& content = bubble->contentView();
    if (layout.hasMoreButton) {
        auto more = ui::makeView<ui::Button>(ui::ButtonType::Custom, graphics::Rect(0, 0, width, layout.contentHeight));
        more->setTag(static_cast<int>(index));
        std::weak_ptr<FrameEditorHelp> weak = weak_from_this();
        more->addTarget(
            this,
            [weak, index](ui::Control&) {
                if (auto self = weak.lock()) self->actionHelpBtn(index);
            },
            ui::ControlEventTouchUpInside);
        content->addSubview(more);
        if (auto image = bundleImageNamed(h::kMoreImage)) {
            auto imageView = ui::makeView<ui::ImageView>(*image);
            imageView->setFrame({width - h::kMoreImageInset, 0, image->size().width, image->size().height});
            imageView->setUserInteractionEnabled(false);
            content->addSubview(imageView);
        }
    }
    auto label = ui::makeView<ui::Label>(layout.labelFrame);
    label->setText(item.text);
    label->setFont(h::labelFont());
    label->setTextColor(graphics::Color::white());
    label->setBackgroundColor(graphics::Color::clear());
    label->setNumberOfLines(layout.lines);
    label->setUserInteractionEnabled(false);
    content->addSubview(label);
    return bubble;
}

std::shared_ptr<FWTPopoverView> FrameEditorHelp::makeExtendedBubble(size_t index) {
    const FrameEditorHelpItem& item = helpItems_[index];
    const graphics::Font font = graphics::Font::systemFont(h::kFontSize);
    const graphics::Size text = h::expandedTextSize(item.text, font);
    auto bubble = makeBubble(index, {text.width + 10, text.height + 10});
    const ui::ViewPtr& content = bubble->contentView();
    auto label = ui::makeView<ui::Label>(graphics::Rect(5, 5, text.width, text.height));
    label->setText(item.text);
    label->setFont(font);
    label->setTextColor(graphics::Color::white());
    label->setBackgroundColor(graphics::Color::clear());
    label->setNumberOfLines(h::kExpandedLines);
    label->setUserInteractionEnabled(false);
    content->addSubview(label);
    auto close = ui::makeView<ui::Button>(ui::ButtonType::Custom, graphics::Rect(0, 0, text.width, text.height));
    close->setTag(static_cast<int>(index));
    std::weak_ptr<FrameEditorHelp> weak = weak_from_this();
    close->addTarget(
        this,
        [weak, index](ui::Control&) {
            if (auto self = weak.lock()) self->actionCloseExtendedHelp(index);
        },
        ui::ControlEventTouchUpInside);
    content->addSubview(close);
    return bubble;
}

void FrameEditorHelp::replaceBubble(size_t index, std::shared_ptr<FWTPopoverView> bubble, bool expanded) {
    auto view = helpView_.lock();
    if (!view || index >= popovers_.size()) return;
    // The place of the bubble it replaces.
    bubble->slide = popovers_[index]->slide;
    bubble->presentFromRect(helpItems_[index].rect, *view, popovers_[index]->arrow().direction, true);
    popovers_[index]->dismissPopoverAnimated(false);
    popovers_[index] = std::move(bubble);
    expanded_[index] = expanded;
}
