#include "platform/ui/controllers/ActionSheet.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <cmath>

namespace ui {

using graphics::Color;
using graphics::Rect;
using graphics::Size;

namespace {

constexpr double kRowHeight = 44.0;
constexpr double kMargin = 8.0;
constexpr double kMaxBottomWidth = 400.0;
constexpr double kPopoverWidth = 272.0;
constexpr double kPopoverGap = 10.0;
constexpr double kTitlePadding = 14.0;
constexpr double kGroupRadius = 6.0;
const Color kDestructiveColor = Color::rgb(1.0, 0.23, 0.19);
const Color kBackdropDimming = Color::grey(0.0, 0.4);

ViewPtr separator(const Rect& frame, bool dark) {
    auto line = makeView<View>(frame);
    line->setBackgroundColor(dark ? Color::grey(1.0, 0.2) : Color::grey(0.0, 0.2));
    line->setUserInteractionEnabled(false);
    return line;
}

}  // namespace

void ActionSheetDelegate::actionSheetCancel(ActionSheet& actionSheet) {
    actionSheet.dismissWithClickedButtonIndex(actionSheet.cancelButtonIndex(), false);
}

ActionSheet::ActionSheet() : DelegatingButtonPanel({}, nullptr) { setDrawsContent(true); }

ActionSheet::ActionSheet(std::string title, ActionSheetDelegate* delegate, std::optional<std::string> cancelButtonTitle,
                         std::optional<std::string> destructiveButtonTitle, std::vector<std::string> otherButtonTitles)
    : DelegatingButtonPanel(std::move(title), delegate) {
    setDrawsContent(true);
    if (destructiveButtonTitle) {
        buttons_.push_back(std::move(*destructiveButtonTitle));
        destructiveIndex_ = 0;
    }
    for (auto& other : otherButtonTitles) buttons_.push_back(std::move(other));
    if (cancelButtonTitle) {
        buttons_.push_back(std::move(*cancelButtonTitle));
        cancelIndex_ = numberOfButtons() - 1;
    }
}

ActionSheet::~ActionSheet() = default;

void ActionSheet::setDestructiveButtonIndex(int index) {
    destructiveIndex_ = index >= 0 && index < numberOfButtons() ? index : kNoButtonIndex;
    relayout();
}

int ActionSheet::firstOtherButtonIndex() const {
    for (int i = 0; i < numberOfButtons(); ++i) {
        if (i != cancelIndex_ && i != destructiveIndex_) return i;
    }
    return kNoButtonIndex;
}

void ActionSheet::setActionSheetStyle(ActionSheetStyle style) {
    style_ = style;
    relayout();
}

void ActionSheet::showInView(View* view) {
    anchor_.reset();
    present(view ? view->window() : Window::keyWindow(), true);
}

void ActionSheet::showFromRect(const Rect& rect, View* view, bool animated) {
    Window* window = view ? view->window() : nullptr;
    anchor_ = window ? view->convertRectToView(rect, nullptr) : rect;
    present(window, animated);
}

void ActionSheet::showFromBarButtonItem(BarButtonItem& item, bool animated) {
    View* button = item.view();
    if (!button || !button->window()) {
        anchor_.reset();
        return present(Window::keyWindow(), animated);
    }
    showFromRect(button->bounds(), button, animated);
}

void ActionSheet::cancel() {
    if (!isVisible()) return;
    if (delegate)
        delegate->actionSheetCancel(*this);
    else
        dismissWithClickedButtonIndex(cancelButtonIndex(), false);
}

std::vector<std::shared_ptr<ActionSheet>> ActionSheet::visibleSheets() {
    std::vector<std::shared_ptr<ActionSheet>> sheets;
    for (const auto& panel : shownPanels()) {
        if (auto sheet = std::dynamic_pointer_cast<ActionSheet>(panel); sheet && sheet->isVisible())
            sheets.push_back(sheet);
    }
    return sheets;
}

void ActionSheet::backdropTapped() {
    // Outside a popover means "cancel"; a sheet along the bottom waits for a choice.
    if (isPopover() && cancelButtonIndex() != kNoButtonIndex) clickButtonAtIndex(cancelButtonIndex());
}

void ActionSheet::layoutPanel(const Rect& windowBounds) {
    for (ViewPtr child : std::vector<ViewPtr>(subviews())) child->removeFromSuperview();
    buttonViews_.assign(buttons_.size(), nullptr);
    const bool dark = isDark();
    const bool popover = isPopover();
    const double width = popover ? kPopoverWidth : std::min(kMaxBottomWidth, windowBounds.width() - 2 * kMargin);

    auto titleView = makeView<detail::TextBlockView>();
    titleView->text = title();
    titleView->font = graphics::Font::systemFont(13);
    titleView->color = dark ? Color::grey(0.75) : Color::grey(0.45);
    double titleHeight = 0;
    if (!title().empty()) {
        titleHeight = std::max(kRowHeight,
                               titleView->sizeThatFits(Size{width - 2 * kTitlePadding, 0}).height + 2 * kTitlePadding);
    }
    std::vector<int> rows;
    for (int i = 0; i < numberOfButtons(); ++i) {
        if (i != cancelIndex_) rows.push_back(i);
    }
    const bool cancelApart = cancelIndex_ != kNoButtonIndex && !popover;
    double mainHeight = titleHeight + kRowHeight * static_cast<double>(rows.size());
    double height = mainHeight + (cancelApart ? kMargin + kRowHeight : 0) + (popover ? 0 : kMargin);
    mainGroup_ = Rect(0, 0, width, mainHeight);
    cancelGroup_ = cancelApart ? std::optional(Rect(0, mainHeight + kMargin, width, kRowHeight)) : std::nullopt;

    Rect frame(windowBounds.midX() - width / 2, windowBounds.maxY() - height, width, height);
    if (popover) {
        // Below the anchor when there is room, else above it; always inside the window.
        const Rect& a = *anchor_;
        double y = a.maxY() + kPopoverGap;
        if (y + height > windowBounds.maxY() - kMargin) y = a.minY() - kPopoverGap - height;
        y = std::clamp(y, windowBounds.minY() + kMargin,
                       std::max(windowBounds.minY() + kMargin, windowBounds.maxY() - kMargin - height));
        double x = std::clamp(a.midX() - width / 2, windowBounds.minX() + kMargin,
                              std::max(windowBounds.minX() + kMargin, windowBounds.maxX() - kMargin - width));
        frame = Rect(x, y, width, height);
    }
    setFrame(Rect(std::round(frame.minX()), std::round(frame.minY()), width, height));
    // With no dimming around it, a popover stands off the screen by its shadow.
    layer().setShadowOpacity(popover ? 0.3 : 0.0);
    layer().setShadowRadius(10);
    layer().setShadowOffset(Size{0, 2});

    if (titleHeight > 0) {
        titleView->setFrame(
            Rect(kTitlePadding, kTitlePadding, width - 2 * kTitlePadding, titleHeight - 2 * kTitlePadding));
        addSubview(titleView);
    }
    const Color highlight = dark ? Color::grey(1.0, 0.15) : Color::grey(0.0, 0.1);
    const std::optional<Color> plain = dark ? std::optional(Color::white()) : std::nullopt;
    double y = titleHeight;
    for (size_t i = 0; i < rows.size(); ++i) {
        int index = rows[i];
        std::optional<Color> color = index == destructiveIndex_ ? std::optional(kDestructiveColor) : plain;
        ViewPtr button = makeButton(index, false, color, highlight);
        button->setFrame(Rect(0, y, width, kRowHeight));
        addSubview(button);
        buttonViews_[static_cast<size_t>(index)] = button;
        if (y > 0) addSubview(separator(Rect(0, y, width, 0.5), dark));
        y += kRowHeight;
    }
    if (cancelGroup_) {
        ViewPtr button = makeButton(cancelIndex_, true, plain, highlight);
        button->setFrame(*cancelGroup_);
        addSubview(button);
        buttonViews_[static_cast<size_t>(cancelIndex_)] = button;
    }
    setNeedsDisplay();
}

void ActionSheet::drawRect(graphics::GraphicsContext& context, const Rect&) {
    Color fill = isDark() ? Color::grey(0.1, style_ == ActionSheetStyle::BlackTranslucent ? 0.85 : 1.0)
                          : Color::grey(0.97, 0.98);
    context.setFillColor(fill);
    if (mainGroup_.height() > 0) context.fillPath(graphics::Path::roundedRect(mainGroup_, kGroupRadius));
    if (cancelGroup_) context.fillPath(graphics::Path::roundedRect(*cancelGroup_, kGroupRadius));
}

void ActionSheet::applyHiddenLook(View& backdrop) {
    backdrop.setBackgroundColor(Color::clear());
    if (isPopover()) {
        setAlpha(0);
    } else {
        View* parent = superview();
        double offset = parent ? parent->bounds().maxY() - frame().minY() : frame().height();
        setTransform(graphics::AffineTransform::makeTranslation(0, offset));
    }
}

void ActionSheet::applyShownLook(View& backdrop) {
    backdrop.setBackgroundColor(isPopover() ? Color::clear() : kBackdropDimming);
    setAlpha(1);
    setTransform(graphics::AffineTransform::identity());
}

void ActionSheet::notifyWillPresent() {
    if (delegate) delegate->willPresentActionSheet(*this);
}
void ActionSheet::notifyDidPresent() {
    if (delegate) delegate->didPresentActionSheet(*this);
}

}  // namespace ui
