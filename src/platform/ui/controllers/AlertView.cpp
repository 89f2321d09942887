#include "platform/ui/controllers/AlertView.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Window.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/controllers/BarButtonItem.h"

#include <algorithm>
#include <cmath>

namespace ui {

using graphics::Color;
using graphics::Point;
using graphics::Rect;
using graphics::Size;

namespace {

constexpr double kPadding = 16.0;
constexpr double kTopPadding = 20.0;
constexpr double kTextGap = 4.0;
constexpr double kButtonHeight = 44.0;
constexpr double kWindowMargin = 20.0;
constexpr double kCornerRadius = 7.0;
const Color kBackdropDimming = Color::grey(0.0, 0.4);
const Color kSeparatorColor = Color::grey(0.0, 0.2);
const Color kButtonHighlight = Color::grey(0.0, 0.1);

// The full-window view around a panel: catches every touch outside it.
class PanelBackdrop : public View {
public:
    PanelBackdrop(ButtonPanel* panel, const Rect& frame) : View(frame), panel_(panel) {}
    void touchesBegan(const TouchSet&, const Event&) override {}
    void touchesMoved(const TouchSet&, const Event&) override {}
    void touchesCancelled(const TouchSet&, const Event&) override {}
    void touchesEnded(const TouchSet& touches, const Event&) override {
        if (touches.empty() || !panel_) return;
        View* panel = panel_;
        if (panel->superview() == this && panel->frame().contains(touches.front()->locationInView(this))) return;
        ViewPtr keep = panel->sharedFromThis();
        panel_->backdropTapped();
    }
    ButtonPanel* panel_;
};

ViewPtr separator(const Rect& frame) {
    auto line = makeView<View>(frame);
    line->setBackgroundColor(kSeparatorColor);
    line->setUserInteractionEnabled(false);
    return line;
}

}  // namespace

// ---- panels --------------------------------------------------------------------------------

ButtonPanel::ButtonPanel(std::string title) : title_(std::move(title)) { setOpaque(false); }

ButtonPanel::~ButtonPanel() {
    if (auto* backdrop = dynamic_cast<PanelBackdrop*>(backdrop_.get())) backdrop->panel_ = nullptr;
}

std::vector<std::shared_ptr<ButtonPanel>>& ButtonPanel::shownPanels() {
    static std::vector<std::shared_ptr<ButtonPanel>> panels;
    return panels;
}

void ButtonPanel::setTitle(std::string title) {
    title_ = std::move(title);
    relayout();
}

int ButtonPanel::addButtonWithTitle(std::string title) {
    buttons_.push_back(std::move(title));
    relayout();
    return numberOfButtons() - 1;
}

std::string ButtonPanel::buttonTitleAtIndex(int index) const {
    if (index < 0 || index >= numberOfButtons()) return {};
    return buttons_[static_cast<size_t>(index)];
}

void ButtonPanel::setCancelButtonIndex(int index) {
    cancelIndex_ = index >= 0 && index < numberOfButtons() ? index : kNoButtonIndex;
    relayout();
}

int ButtonPanel::firstOtherButtonIndex() const {
    for (int i = 0; i < numberOfButtons(); ++i) {
        if (i != cancelIndex_) return i;
    }
    return kNoButtonIndex;
}

View* ButtonPanel::buttonViewAtIndex(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= buttonViews_.size()) return nullptr;
    return buttonViews_[static_cast<size_t>(index)].get();
}

ViewPtr ButtonPanel::makeButton(int index, bool bold, std::optional<Color> color, Color highlight) {
    auto button = makeView<detail::TextButtonView>();
    button->title = buttonTitleAtIndex(index);
    button->font = bold ? graphics::Font::boldSystemFont(17) : graphics::Font::systemFont(17);
    button->titleColor = std::move(color);
    button->highlightFill = highlight;
    button->onTap = [this, index] { clickButtonAtIndex(index); };
    return button;
}

void ButtonPanel::relayout() {
    if (!isVisible() || !backdrop_) return;
    layoutPanel(backdrop_->bounds());
}

void ButtonPanel::present(Window* window, bool animated) {
    if (state_ != State::Hidden) return;
    auto self = std::static_pointer_cast<ButtonPanel>(sharedFromThis());
    auto& panels = shownPanels();
    // A newer panel hides the one below until it goes.
    if (!panels.empty() && panels.back()->backdrop_) panels.back()->backdrop_->setHidden(true);
    panels.push_back(self);
    state_ = State::Presenting;
    notifyWillPresent();
    if (state_ != State::Presenting) return;  // dismissed from willPresent
    if (window) {
        // A panel shown again starts from its plain geometry.
        setTransform(graphics::AffineTransform::identity());
        setAlpha(1);
        backdrop_ = makeView<PanelBackdrop>(this, window->bounds());
        backdrop_->setAutoresizingMask(AutoresizingFlexibleWidth | AutoresizingFlexibleHeight);
        layoutPanel(backdrop_->bounds());
        backdrop_->addSubview(self);
        window->addSubview(backdrop_);
    }
    // Weak: the animation lives in this panel's layer, and a panel dismissed
    // before its animation ends must not be kept alive by it.
    std::weak_ptr<ButtonPanel> weak = self;
    auto finish = [weak](bool) {
        auto self = weak.lock();
        if (!self || self->state_ != State::Presenting) return;
        self->state_ = State::Visible;
        self->notifyDidPresent();
    };
    if (!animated || !backdrop_) {
        if (backdrop_) applyShownLook(*backdrop_);
        return finish(true);
    }
    applyHiddenLook(*backdrop_);
    ViewPtr backdrop = backdrop_;
    animate(
        transitionDuration(), 0, AnimationOptionCurveEaseOut, [&] { applyShownLook(*backdrop); }, finish);
}

void ButtonPanel::dismissWithClickedButtonIndex(int buttonIndex, bool animated) {
    if (state_ == State::Hidden || state_ == State::Dismissing) return;
    auto self = std::static_pointer_cast<ButtonPanel>(sharedFromThis());
    state_ = State::Dismissing;
    notifyWillDismiss(buttonIndex);
    // The list of shown panels keeps this one alive until the end.
    std::weak_ptr<ButtonPanel> weak = self;
    auto finish = [weak, buttonIndex](bool) {
        auto self = weak.lock();
        if (!self || self->state_ != State::Dismissing) return;
        if (self->backdrop_) {
            self->removeFromSuperview();
            self->backdrop_->removeFromSuperview();
            self->backdrop_.reset();
        }
        self->buttonViews_.clear();
        auto& panels = shownPanels();
        panels.erase(std::remove(panels.begin(), panels.end(), self), panels.end());
        if (!panels.empty() && panels.back()->backdrop_) panels.back()->backdrop_->setHidden(false);
        self->state_ = State::Hidden;
        self->notifyDidDismiss(buttonIndex);
    };
    if (!animated || !backdrop_) return finish(true);
    ViewPtr backdrop = backdrop_;
    // While it fades the panel takes no more clicks, nor keeps them from the
    // screen: the click after Escape or a button goes where it is aimed.
    backdrop->setUserInteractionEnabled(false);
    animate(
        transitionDuration(), 0, AnimationOptionCurveEaseIn, [&] { applyHiddenLook(*backdrop); }, finish);
}

void ButtonPanel::clickButtonAtIndex(int buttonIndex) {
    if (!isVisible() || buttonIndex < 0 || buttonIndex >= numberOfButtons()) return;
    ViewPtr keep = sharedFromThis();
    notifyClicked(buttonIndex);
    dismissWithClickedButtonIndex(buttonIndex, true);
}

int ButtonPanel::defaultButtonIndex() const {
    if (int other = firstOtherButtonIndex(); other != kNoButtonIndex) return other;
    for (int i = 0; i < numberOfButtons(); ++i) {
        if (i != cancelIndex_) return i;
    }
    return cancelIndex_;
}

bool ButtonPanel::handleKey(Key key) {
    if (!isVisible()) return true;
    ViewPtr keep = sharedFromThis();
    if (key == Key::Return) {
        if (int index = defaultButtonIndex(); index != kNoButtonIndex) clickButtonAtIndex(index);
    } else if (key == Key::Escape) {
        if (cancelIndex_ != kNoButtonIndex)
            clickButtonAtIndex(cancelIndex_);
        else
            cancel();
    }
    return true;
}

ButtonPanel* ButtonPanel::frontmostPanelInWindow(const Window* window) {
    auto& panels = shownPanels();
    for (auto it = panels.rbegin(); it != panels.rend(); ++it) {
        ButtonPanel& panel = **it;
        if (panel.isVisible() && panel.backdrop_ && panel.backdrop_->window() == window) return &panel;
    }
    return nullptr;
}

// ---- alert ------------------------------------------------------------------------------------

void AlertViewDelegate::alertViewCancel(AlertView& alertView) {
    alertView.dismissWithClickedButtonIndex(alertView.cancelButtonIndex(), false);
}

AlertView::AlertView() : DelegatingButtonPanel({}, nullptr) { setDrawsContent(true); }

AlertView::AlertView(std::string title, std::string message, AlertViewDelegate* delegate,
                     std::optional<std::string> cancelButtonTitle, std::vector<std::string> otherButtonTitles)
    : DelegatingButtonPanel(std::move(title), delegate), message_(std::move(message)) {
    setDrawsContent(true);
    if (cancelButtonTitle) {
        buttons_.push_back(std::move(*cancelButtonTitle));
        cancelIndex_ = 0;
    }
    for (auto& other : otherButtonTitles) buttons_.push_back(std::move(other));
}

AlertView::~AlertView() = default;

void AlertView::setMessage(std::string message) {
    message_ = std::move(message);
    relayout();
}

void AlertView::show() { present(Window::keyWindow(), true); }

void AlertView::cancel() {
    if (!isVisible()) return;
    if (delegate)
        delegate->alertViewCancel(*this);
    else
        dismissWithClickedButtonIndex(cancelButtonIndex(), false);
}

std::vector<std::shared_ptr<AlertView>> AlertView::visibleAlerts() {
    std::vector<std::shared_ptr<AlertView>> alerts;
    for (const auto& panel : shownPanels()) {
        if (auto alert = std::dynamic_pointer_cast<AlertView>(panel); alert && alert->isVisible())
            alerts.push_back(alert);
    }
    return alerts;
}

void AlertView::layoutPanel(const Rect& windowBounds) {
    for (ViewPtr child : std::vector<ViewPtr>(subviews())) child->removeFromSuperview();
    buttonViews_.assign(buttons_.size(), nullptr);

    const double textWidth = kWidth - 2 * kPadding;
    const double maxHeight = std::max(kButtonHeight * 2, windowBounds.height() - 2 * kWindowMargin);
    // Two buttons sit side by side (cancel on the left); more stack up, cancel last.
    const int count = numberOfButtons();
    const bool sideBySide = count == 2;
    const int rows = sideBySide ? 1 : count;
    const double buttonsHeight = rows * kButtonHeight;

    auto titleView = makeView<detail::TextBlockView>();
    titleView->text = title();
    titleView->font = graphics::Font::boldSystemFont(17);
    auto messageView = makeView<detail::TextBlockView>();
    messageView->text = message_;
    messageView->font = graphics::Font::systemFont(13);
    double titleHeight = title().empty() ? 0 : titleView->sizeThatFits(Size{textWidth, 0}).height;
    double messageHeight = message_.empty() ? 0 : messageView->sizeThatFits(Size{textWidth, 0}).height;
    double gap = titleHeight > 0 && messageHeight > 0 ? kTextGap : 0;
    double textHeight = titleHeight + gap + messageHeight;
    double contentHeight = textHeight > 0 ? kTopPadding * 2 + textHeight : kTopPadding;
    // A message too long for the window is cut rather than pushing the buttons off screen.
    double overflow = contentHeight + buttonsHeight - maxHeight;
    if (overflow > 0) {
        messageHeight = std::max(0.0, messageHeight - overflow);
        contentHeight -= std::min(overflow, contentHeight);
    }
    const double height = std::max(contentHeight, kTopPadding) + buttonsHeight;
    setFrame(Rect(std::round(windowBounds.midX() - kWidth / 2), std::round(windowBounds.midY() - height / 2), kWidth,
                  height));

    double y = kTopPadding;
    if (titleHeight > 0) {
        titleView->setFrame(Rect(kPadding, y, textWidth, titleHeight));
        addSubview(titleView);
        y += titleHeight + gap;
    }
    if (messageHeight > 0) {
        messageView->setFrame(Rect(kPadding, y, textWidth, messageHeight));
        addSubview(messageView);
    }

    std::vector<int> order;
    for (int i = 0; i < count; ++i) {
        if (i != cancelIndex_) order.push_back(i);
    }
    if (cancelIndex_ != kNoButtonIndex) {
        if (sideBySide)
            order.insert(order.begin(), cancelIndex_);
        else
            order.push_back(cancelIndex_);
    }
    double top = height - buttonsHeight;
    for (size_t slot = 0; slot < order.size(); ++slot) {
        int index = order[slot];
        Rect frame = sideBySide ? Rect(slot * kWidth / 2, top, kWidth / 2, kButtonHeight)
                                : Rect(0, top + slot * kButtonHeight, kWidth, kButtonHeight);
        ViewPtr button = makeButton(index, index == cancelIndex_, std::nullopt, kButtonHighlight);
        button->setFrame(frame);
        addSubview(button);
        buttonViews_[static_cast<size_t>(index)] = button;
        addSubview(separator(Rect(frame.minX(), frame.minY(), frame.width(), 0.5)));
    }
    if (sideBySide) addSubview(separator(Rect(kWidth / 2, top, 0.5, kButtonHeight)));
    setNeedsDisplay();
}

void AlertView::applyHiddenLook(View& backdrop) {
    backdrop.setBackgroundColor(Color::clear());
    setAlpha(0);
    setTransform(graphics::AffineTransform::makeScale(1.2, 1.2));
}

void AlertView::applyShownLook(View& backdrop) {
    backdrop.setBackgroundColor(kBackdropDimming);
    setAlpha(1);
    setTransform(graphics::AffineTransform::identity());
}

void AlertView::drawRect(graphics::GraphicsContext& context, const Rect&) {
    context.setFillColor(Color::grey(0.97, 0.98));
    context.fillPath(graphics::Path::roundedRect(bounds(), kCornerRadius));
}

void AlertView::notifyWillPresent() {
    if (delegate) delegate->willPresentAlertView(*this);
}
void AlertView::notifyDidPresent() {
    if (delegate) delegate->didPresentAlertView(*this);
}

}  // namespace ui
