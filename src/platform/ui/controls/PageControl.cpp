#include "platform/ui/controls/PageControl.h"

#include "platform/graphics/GraphicsContext.h"

#include <algorithm>

namespace ui {

using graphics::Color;
using graphics::Rect;
using graphics::Size;

PageControl::PageControl() : PageControl(Rect()) {}

PageControl::PageControl(const Rect& frame) : Control(frame) {
    setDrawsContent(true);
    setOpaque(false);
    setContentMode(ContentMode::Redraw);
}

void PageControl::setNumberOfPages(int pages) {
    numberOfPages_ = std::max(0, pages);
    currentPage_ = std::clamp(currentPage_, 0, std::max(0, numberOfPages_ - 1));
    displayedPage_ = std::clamp(displayedPage_, 0, std::max(0, numberOfPages_ - 1));
    setNeedsDisplay();
}

void PageControl::setCurrentPage(int page) {
    currentPage_ = std::clamp(page, 0, std::max(0, numberOfPages_ - 1));
    displayedPage_ = currentPage_;
    setNeedsDisplay();
}

void PageControl::setHidesForSinglePage(bool hides) {
    hidesForSinglePage_ = hides;
    setNeedsDisplay();
}

void PageControl::updateCurrentPageDisplay() {
    displayedPage_ = currentPage_;
    setNeedsDisplay();
}

void PageControl::setPageIndicatorTintColor(std::optional<Color> color) {
    pageTint_ = std::move(color);
    setNeedsDisplay();
}

void PageControl::setCurrentPageIndicatorTintColor(std::optional<Color> color) {
    currentPageTint_ = std::move(color);
    setNeedsDisplay();
}

Size PageControl::sizeForNumberOfPages(int pageCount) const {
    if (pageCount <= 0) return Size{0, kHeight};
    return Size{pageCount * kDotDiameter + (pageCount - 1) * kDotSpacing, kHeight};
}

Size PageControl::sizeThatFits(Size) const { return sizeForNumberOfPages(numberOfPages_); }

void PageControl::drawRect(graphics::GraphicsContext& context, const Rect&) {
    if (numberOfPages_ == 0 || (hidesForSinglePage_ && numberOfPages_ == 1)) return;
    Rect b = bounds();
    Size row = sizeForNumberOfPages(numberOfPages_);
    double x = b.midX() - row.width / 2;
    double y = b.midY() - kDotDiameter / 2;
    for (int page = 0; page < numberOfPages_; ++page) {
        bool current = page == displayedPage_;
        context.setFillColor(current ? currentPageTint_.value_or(Color::white())
                                     : pageTint_.value_or(Color::grey(1.0, 0.2)));
        context.fillEllipse(Rect(x, y, kDotDiameter, kDotDiameter));
        x += kDotDiameter + kDotSpacing;
    }
}

void PageControl::endTrackingWithTouch(const Touch& touch, const Event&) {
    if (!isPointInsideTrackingArea(touch.locationInView(this)) || numberOfPages_ == 0) return;
    // Left or right of the dot shown as current.
    Size row = sizeForNumberOfPages(numberOfPages_);
    double dotCentre =
        bounds().midX() - row.width / 2 + displayedPage_ * (kDotDiameter + kDotSpacing) + kDotDiameter / 2;
    int step = touch.locationInView(this).x < dotCentre ? -1 : 1;
    int page = std::clamp(currentPage_ + step, 0, numberOfPages_ - 1);
    if (page == currentPage_) return;
    currentPage_ = page;
    if (!defersCurrentPageDisplay_) displayedPage_ = page;
    setNeedsDisplay();
    sendActionsForControlEvents(ControlEventValueChanged);
}

}  // namespace ui
