#include "app/widgets/views/PagedView.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/ui/Window.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/PageControl.h"
#include "support/Process.h"
#include "support/TouchDriver.h"
#include "support/VirtualClock.h"
#include "support/WindowFixture.h"

#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace {

using graphics::Rect;

class Page : public ui::Label, public ReusableObject {
public:
    std::string reuseIdentifier() const override { return "page"; }
    void prepareForReuse() override { ++prepared; }
    int prepared = 0;
};

// Labelled pages that reuse what the paged view put aside; every request is noted.
class Pages : public PagedViewDelegate {
public:
    int64_t numberOfPagesInPagedView(PagedView&) override { return count; }
    ui::ViewPtr pagedView(PagedView& pagedView, int64_t index) override {
        asked.push_back(index);
        auto page = std::dynamic_pointer_cast<Page>(pagedView.dequeueReusableViewWithIdentifier("page"));
        if (page) reused.push_back(page.get());
        if (!page) page = ui::makeView<Page>();
        page->setText("Page " + std::to_string(index + 1));
        page->setTextAlignment(graphics::TextAlignment::Center);
        page->setFont(graphics::Font::systemFont(48));
        page->setBackgroundColor(index % 2 ? graphics::Color::rgb(0.6, 0.8, 0.95)
                                           : graphics::Color::rgb(0.95, 0.8, 0.55));
        return page;
    }
    int64_t count = 5;
    std::vector<int64_t> asked;
    std::vector<ui::View*> reused;
};

class PagedViewTest : public testsupport::WindowFixture {
protected:
    PagedViewTest() : WindowFixture(Rect(0, 0, 400, 300)) {}
    void SetUp() override {
        window->setRootViewController(std::make_shared<ui::ViewController>());
        paged = ui::makeView<PagedView>(Rect(0, 0, 400, 300));
        paged->setDelegate(&pages);
        window->rootViewController()->view()->addSubview(paged);
        paged->layoutIfNeeded();
    }

    // The loaded pages' indexes, checking that exactly they are in the tree.
    std::set<int64_t> loaded() const {
        std::set<int64_t> indexes;
        for (auto& [index, view] : paged->pageViewDictionary()) {
            EXPECT_EQ(view->superview(), &paged->scrollView()) << "page " << index;
            EXPECT_EQ(view->frame(), Rect(400.0 * static_cast<double>(index), 0, 400, 300));
            indexes.insert(index);
        }
        size_t inTree = 0;
        for (auto& view : paged->scrollView().subviews()) inTree += dynamic_cast<Page*>(view.get()) != nullptr;
        EXPECT_EQ(inTree, indexes.size());
        return indexes;
    }

    Pages pages;
    std::shared_ptr<PagedView> paged;
};

}  // namespace

TEST_F(PagedViewTest, KeepsTheCurrentPageAndItsNeighboursAndRecyclesTheRest) {
    // The first layout loaded page 0 and its neighbour, and does not repeat.
    EXPECT_EQ(paged->scrollView().contentSize(), (graphics::Size{2000, 300}));
    EXPECT_FALSE(paged->pageControl().isHidden());
    EXPECT_EQ(pages.asked, (std::vector<int64_t>{0, 1}));
    paged->setNeedsLayout();
    paged->layoutIfNeeded();
    EXPECT_EQ(pages.asked.size(), 2u);

    paged->scrollToPageAtIndex(2, false);
    EXPECT_EQ(paged->pageControl().currentPage(), 2);
    EXPECT_EQ(loaded(), (std::set<int64_t>{1, 2, 3}));

    ui::ViewPtr page1 = paged->pageViewDictionary().at(1);
    auto* page2 = static_cast<Page*>(paged->pageViewDictionary().at(2).get());
    int preparedBefore = page2->prepared;
    pages.asked.clear();
    pages.reused.clear();
    paged->scrollToPageAtIndex(4, false);
    EXPECT_EQ(loaded(), (std::set<int64_t>{3, 4}));
    EXPECT_EQ(page1->superview(), nullptr);
    // Only page 4 was new; it got the view put aside last (page 2's
    // replaced page 1's under the one identifier), prepared for reuse.
    EXPECT_EQ(pages.asked, (std::vector<int64_t>{4}));
    EXPECT_EQ(pages.reused, (std::vector<ui::View*>{page2}));
    EXPECT_EQ(page2->prepared, preparedBefore + 1);
    // What was put aside served that pass only.
    EXPECT_EQ(paged->dequeueReusableViewWithIdentifier("page"), nullptr);

    paged->scrollToPageAtIndex(5, false);
    EXPECT_EQ(paged->indexForSelectedPage(), 4);

    // A reload asks again for every visible page.
    pages.asked.clear();
    paged->reloadData();
    EXPECT_EQ(pages.asked, (std::vector<int64_t>{3, 4}));
    EXPECT_EQ(loaded(), (std::set<int64_t>{3, 4}));
}

TEST_F(PagedViewTest, ShrinkingCountDropsPagesPastTheEndDownToNone) {
    paged->scrollToPageAtIndex(4, false);
    pages.count = 2;
    paged->reloadData();
    // Not left blank past the end: the new last page shows.
    EXPECT_EQ(paged->indexForSelectedPage(), 1);
    EXPECT_EQ(paged->pageControl().currentPage(), 1);
    EXPECT_EQ(loaded(), (std::set<int64_t>{0, 1}));

    pages.count = 0;
    paged->reloadData();
    EXPECT_EQ(paged->pageControl().numberOfPages(), 1);
    EXPECT_TRUE(paged->pageControl().isHidden());
    EXPECT_TRUE(loaded().empty());
    EXPECT_EQ(paged->indexForSelectedPage(), foundation::kNotFound);
}

TEST_F(PagedViewTest, IndicatorFollowsAFlickAndTouchesComeBack) {
    testsupport::TouchDriver fingers(*window);
    auto finger = fingers.touchDown({300, 150});
    for (double x : {250.0, 150.0}) {
        fingers.moveTo(finger, {x, 150});
        fingers.wait(1.0 / 60);
    }
    EXPECT_FALSE(paged->scrollView().isUserInteractionEnabled());
    fingers.touchUp(finger);
    advance(2);
    EXPECT_EQ(paged->scrollView().contentOffset().x, 400);
    EXPECT_EQ(paged->pageControl().currentPage(), 1);
    EXPECT_EQ(loaded(), (std::set<int64_t>{0, 1, 2}));
    EXPECT_TRUE(paged->scrollView().isUserInteractionEnabled());

    // Dragged away and back to rest on its page: no deceleration follows,
    // and the view must still take touches.
    finger = fingers.touchDown({200, 150});
    fingers.moveTo(finger, {150, 150});
    fingers.wait(0.2);
    fingers.moveTo(finger, {200, 150});
    fingers.wait(0.5);
    fingers.touchUp(finger);
    advance(1);
    EXPECT_EQ(paged->pageControl().currentPage(), 1);
    EXPECT_TRUE(paged->scrollView().isUserInteractionEnabled());
}

TEST_F(PagedViewTest, IndicatorTapTurnsThePageAndLoadsAroundIt) {
    testsupport::TouchDriver fingers(*window);
    // Right of the dots' middle: one page on.
    Rect dots = paged->pageControl().convertRectToView(paged->pageControl().bounds(), nullptr);
    fingers.tap({dots.midX() + 30, dots.midY()});
    advance(1);
    EXPECT_EQ(paged->indexForSelectedPage(), 1);
    EXPECT_EQ(loaded(), (std::set<int64_t>{0, 1, 2}));

    // An animated jump to a distant page has its pages once it arrives.
    paged->scrollToPageAtIndex(4, true);
    advance(1);
    EXPECT_EQ(paged->pageControl().currentPage(), 4);
    EXPECT_EQ(loaded(), (std::set<int64_t>{3, 4}));
}

TEST_F(PagedViewTest, RendersThePageAndIndicator) {
    paged->scrollToPageAtIndex(1, false);
    graphics::Image image = window->renderImage();
    graphics::RGBA middle = image.pixelAt(200, 60);
    EXPECT_NEAR(middle.r, 153, 3);  // page 2's colour, not page 1's
    EXPECT_NEAR(middle.b, 242, 3);
    auto png = image.pngData();
    ASSERT_TRUE(png.ok());
    ASSERT_TRUE(foundation::writeFileAtomically(testsupport::artifactsDirectory() + "/PagedView.png", *png).ok());
}
