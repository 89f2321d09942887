#include "app/widgets/views/PagedView.h"

#include "platform/ui/controls/Control.h"
#include "platform/ui/controls/PageControl.h"

#include <algorithm>
#include <cmath>

using graphics::Point;
using graphics::Rect;
using graphics::Size;

PagedView::PagedView() { setUp(); }

PagedView::PagedView(const Rect& frame) : View(frame) { setUp(); }

PagedView::~PagedView() {
    // Others may still hold the subviews; they must not call back into a
    // view that is gone.
    scrollView_->setDelegate(nullptr);
    pageControl_->removeTarget(this, ui::ControlEventAllEvents);
}

void PagedView::setUp() {
    Rect area = bounds();
    scrollView_ = ui::makeView<ui::ScrollView>(area);
    scrollView_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    addSubview(scrollView_);

    double height = ui::PageControl::kHeight;
    pageControl_ = ui::makeView<ui::PageControl>(Rect(0, area.height() - height, area.width(), height));
    pageControl_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleTopMargin);
    addSubview(pageControl_);
}

int64_t PagedView::pageCount() const {
    if (!delegate_) return 0;
    return std::max<int64_t>(delegate_->numberOfPagesInPagedView(const_cast<PagedView&>(*this)), 0);
}

Size PagedView::pageSize() const { return scrollView_->frame().size; }

void PagedView::reloadData() {
    if (!pageViews_) {
        pageViews_.emplace();
        pageControl_->addTarget(
            this, [this](ui::Control&) { pageChanged(); }, ui::ControlEventValueChanged);
        scrollView_->setDelegate(this);
        scrollView_->setPagingEnabled(true);
    }
    int64_t count = pageCount();
    Size page = pageSize();
    pageControl_->setNumberOfPages(static_cast<int>(std::clamp<int64_t>(count, 1, std::numeric_limits<int>::max())));
    scrollView_->setContentSize(Size{page.width * static_cast<double>(count), page.height});
    // After the pages shrank the offset may lie past the last page, which
    // would leave the view blank with the indicator on a page not shown.
    Point offset = scrollView_->contentOffset();
    double lastPage = page.width * static_cast<double>(std::max<int64_t>(count - 1, 0));
    if (offset.x > lastPage) scrollView_->setContentOffset(Point{lastPage, offset.y});
    showSelectedPageInIndicator();
    pageControl_->setHidden(count < 2);
    loadViewsForVisiblePages(true);
}

void PagedView::layoutSubviews() {
    if (!pageViews_) reloadData();
}

void PagedView::scrollToPageAtIndex(int64_t index, bool animated) {
    if (index < 0 || index >= pageCount()) return;
    Size page = pageSize();
    scrollView_->setUserInteractionEnabled(false);
    scrollView_->scrollRectToVisible(Rect(Point{static_cast<double>(index) * page.width, 0}, page), animated);
    pageControl_->setCurrentPage(static_cast<int>(std::min<int64_t>(index, std::numeric_limits<int>::max())));
    loadViewsForVisiblePages(false);
    scrollView_->setUserInteractionEnabled(true);
}

bool PagedView::handleKeyEquivalent(const ui::KeyPress& press) {
    if (!press.text.empty() || press.modifiers != ui::KeyModifierNone) return false;
    const int64_t step = press.key == ui::Key::Left                                    ? -1
                         : press.key == ui::Key::Right || press.key == ui::Key::Return ? 1
                                                                                       : 0;
    const int64_t current = indexForSelectedPage();
    if (step == 0 || current == foundation::kNotFound) return false;
    const int64_t target = current + step;
    if (target < 0 || target >= pageCount()) return press.key != ui::Key::Return;
    scrollToPageAtIndex(target, true);
    return true;
}

int64_t PagedView::indexForSelectedPage() const {
    int64_t count = pageCount();
    double width = pageSize().width;
    // Pages of no width all sit at offset 0: the first one is showing.
    if (width <= 0) return count > 0 ? 0 : foundation::kNotFound;
    double page = std::trunc(scrollView_->contentOffset().x / width);
    if (!(page >= 0) || page >= static_cast<double>(count)) return foundation::kNotFound;
    return static_cast<int64_t>(page);
}

ui::ViewPtr PagedView::dequeueReusableViewWithIdentifier(const std::string& identifier) {
    auto found = reuseViews_.find(identifier);
    if (found == reuseViews_.end()) return nullptr;
    ui::ViewPtr view = found->second;
    reuseViews_.erase(found);
    if (auto* reusable = dynamic_cast<ReusableObject*>(view.get())) reusable->prepareForReuse();
    return view;
}

std::map<int64_t, ui::ViewPtr> PagedView::pageViewDictionary() const {
    return pageViews_ ? *pageViews_ : std::map<int64_t, ui::ViewPtr>{};
}

void PagedView::pageChanged() { scrollToPageAtIndex(pageControl_->currentPage(), true); }

void PagedView::loadViewsForVisiblePages(bool reload) {
    // Before the first reload there is nowhere to keep pages.
    if (!pageViews_) return;
    int64_t current = indexForSelectedPage();
    if (current == foundation::kNotFound) current = -2;
    int64_t count = pageCount();
    int64_t limit = count;
    if (!pageViews_->empty()) limit = std::max(limit, pageViews_->rbegin()->first + 1);
    for (int64_t i = 0; i < limit; ++i) {
        bool wanted = i < count && current - 1 <= i && i <= current + 1;
        if (wanted) {
            if (reload) unloadPage(i);
            loadPage(i);
        } else {
            unloadPage(i);
        }
    }
    // A view put aside is only worth keeping for the loads of this pass.
    reuseViews_.clear();
}

void PagedView::loadPage(int64_t index) {
    if (pageViews_->count(index) || !delegate_) return;
    ui::ViewPtr view = delegate_->pagedView(*this, index);
    if (!view) return;
    Size page = pageSize();
    view->setFrame(Rect(Point{static_cast<double>(index) * page.width, 0}, page));
    scrollView_->addSubview(view);
    (*pageViews_)[index] = view;
}

void PagedView::unloadPage(int64_t index) {
    auto found = pageViews_->find(index);
    if (found == pageViews_->end()) return;
    ui::ViewPtr view = found->second;
    pageViews_->erase(found);
    if (auto* reusable = dynamic_cast<ReusableObject*>(view.get())) reuseViews_[reusable->reuseIdentifier()] = view;
    view->removeFromSuperview();
}

void PagedView::showSelectedPageInIndicator() {
    int64_t current = indexForSelectedPage();
    if (current == foundation::kNotFound) current = std::max<int64_t>(pageCount() - 1, 0);
    pageControl_->setCurrentPage(static_cast<int>(std::min<int64_t>(current, std::numeric_limits<int>::max())));
}

void PagedView::settle() {
    showSelectedPageInIndicator();
    loadViewsForVisiblePages(false);
    scrollView_->setUserInteractionEnabled(true);
}

void PagedView::scrollViewWillBeginDragging(ui::ScrollView& scrollView) {
    if (&scrollView == scrollView_.get()) scrollView_->setUserInteractionEnabled(false);
}

void PagedView::scrollViewDidEndDragging(ui::ScrollView& scrollView, bool willDecelerate) {
    // A finger that lifts with the content already at rest on a page starts
    // no deceleration; without this the view would stay deaf to touches.
    if (&scrollView == scrollView_.get() && !willDecelerate) settle();
}

void PagedView::scrollViewDidEndDecelerating(ui::ScrollView& scrollView) {
    if (&scrollView == scrollView_.get()) settle();
}

void PagedView::scrollViewDidEndScrollingAnimation(ui::ScrollView& scrollView) {
    // An animated scroll to a distant page arrives after the pages were
    // loaded around the old position; load them where it came to rest.
    if (&scrollView == scrollView_.get()) settle();
}
