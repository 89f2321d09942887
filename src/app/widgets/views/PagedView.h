#pragma once

// Full-size pages side by side in a paging scroll view, with a page
// indicator. Pages come from a data source; only the current page and its
// two neighbours are in the view tree, and pages that go off screen are
// kept for reuse when they are ReusableObjects.

#include "app/widgets/views/ReusableObject.h"
#include "platform/foundation/NotFound.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/View.h"
#include "platform/ui/lists/ScrollView.h"

#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace ui {
class PageControl;
}

class PagedView;

class PagedViewDelegate {
public:
    virtual ~PagedViewDelegate() = default;
    virtual int64_t numberOfPagesInPagedView(PagedView& pagedView) = 0;
    // The view of a page, or null for an empty page.
    virtual ui::ViewPtr pagedView(PagedView& pagedView, int64_t viewForPageAtIndex) = 0;
};

class PagedView : public ui::View, private ui::ScrollViewDelegate {
public:
    PagedView();
    explicit PagedView(const graphics::Rect& frame);
    ~PagedView() override;

    ui::ScrollView& scrollView() const { return *scrollView_; }
    ui::PageControl& pageControl() const { return *pageControl_; }

    PagedViewDelegate* delegate() const { return delegate_; }
    // Not owned: clear it before the data source goes away.
    void setDelegate(PagedViewDelegate* delegate) { delegate_ = delegate; }

    // Asks the data source again for the count and for every visible page.
    void reloadData();
    void layoutSubviews() override;
    // Pages at or beyond the count are ignored.
    void scrollToPageAtIndex(int64_t index, bool animated);
    // The page the content offset is on, or foundation::kNotFound past the last page.
    int64_t indexForSelectedPage() const;
    // The keyboard turns the pages: Left and Right to the previous and next
    // page, Return to the next one (a page's own controls take it first).
    bool handleKeyEquivalent(const ui::KeyPress& press) override;
    // A view put aside during the current loading pass, or null.
    ui::ViewPtr dequeueReusableViewWithIdentifier(const std::string& identifier);

    // The page views in the tree now, by page index.
    std::map<int64_t, ui::ViewPtr> pageViewDictionary() const;

private:
    void setUp();
    int64_t pageCount() const;
    graphics::Size pageSize() const;
    void pageChanged();
    void loadViewsForVisiblePages(bool reload);
    void loadPage(int64_t index);
    void unloadPage(int64_t index);
    // The indicator, the visible pages and the touches follow the offset
    // the scroll view came to rest at.
    void settle();
    void showSelectedPageInIndicator();

    void scrollViewWillBeginDragging(ui::ScrollView& scrollView) override;
    void scrollViewDidEndDragging(ui::ScrollView& scrollView, bool willDecelerate) override;
    void scrollViewDidEndDecelerating(ui::ScrollView& scrollView) override;
    void scrollViewDidEndScrollingAnimation(ui::ScrollView& scrollView) override;

    std::shared_ptr<ui::ScrollView> scrollView_;
    std::shared_ptr<ui::PageControl> pageControl_;
    // Absent until the first reload wires everything up.
    std::optional<std::map<int64_t, ui::ViewPtr>> pageViews_;
    std::map<std::string, ui::ViewPtr> reuseViews_;
    PagedViewDelegate* delegate_ = nullptr;
};
