#pragma once

// A row of dots, one per page, the current page's dot highlighted. A tap
// on the right of the current dot moves one page on, on the left one page
// back, and sends ValueChanged.

#include "platform/graphics/Color.h"
#include "platform/ui/controls/Control.h"

#include <optional>

namespace ui {

class PageControl : public Control {
public:
    static constexpr double kDotDiameter = 7;
    static constexpr double kDotSpacing = 9;
    static constexpr double kHeight = 37;

    PageControl();
    explicit PageControl(const graphics::Rect& frame);

    int numberOfPages() const { return numberOfPages_; }
    // Negative counts as 0; the current page moves into the new range.
    void setNumberOfPages(int pages);
    int currentPage() const { return currentPage_; }
    // Clamped to the pages there are.
    void setCurrentPage(int page);
    bool hidesForSinglePage() const { return hidesForSinglePage_; }
    void setHidesForSinglePage(bool hides);
    // When set, a tap changes currentPage but the dots keep showing the old
    // page until updateCurrentPageDisplay.
    bool defersCurrentPageDisplay() const { return defersCurrentPageDisplay_; }
    void setDefersCurrentPageDisplay(bool defers) { defersCurrentPageDisplay_ = defers; }
    void updateCurrentPageDisplay();
    // The page whose dot is highlighted now.
    int displayedPage() const { return displayedPage_; }

    // Other pages' dots: white at a fifth opacity when unset.
    const std::optional<graphics::Color>& pageIndicatorTintColor() const { return pageTint_; }
    void setPageIndicatorTintColor(std::optional<graphics::Color> color);
    // The current page's dot: white when unset.
    const std::optional<graphics::Color>& currentPageIndicatorTintColor() const { return currentPageTint_; }
    void setCurrentPageIndicatorTintColor(std::optional<graphics::Color> color);

    // The size that shows a number of pages' dots.
    graphics::Size sizeForNumberOfPages(int pageCount) const;
    graphics::Size sizeThatFits(graphics::Size size) const override;
    void drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect) override;

    void endTrackingWithTouch(const Touch& touch, const Event& event) override;

private:
    int numberOfPages_ = 0;
    int currentPage_ = 0;
    int displayedPage_ = 0;
    bool hidesForSinglePage_ = false;
    bool defersCurrentPageDisplay_ = false;
    std::optional<graphics::Color> pageTint_;
    std::optional<graphics::Color> currentPageTint_;
};

}  // namespace ui
