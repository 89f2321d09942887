#include "app/widgets/PagedView.h"

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/ui/Label.h"
#include "platform/ui/PageControl.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "support/Process.h"
#include "support/TouchDriver.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

using graphics::Point;
using graphics::Rect;

class Page : public ui::Label, public ReusableObject {
public:
    std::string reuseIdentifier() const override { return "page"; }
    void prepareForReuse() override { ++prepared; }
    int prepared = 0;
};

// Hands out labelled pages, reusing what the paged view put aside, and
// remembers every request.
class Pages : public PagedViewDelegate {
public:
    int64_t numberOfPagesInPagedView(PagedView&) override { return count; }
    ui::ViewPtr pagedView(PagedView& pagedView, int64_t index) override {
        asked.push_back(index);
        auto page = std::dynamic_pointer_cast<Page>(pagedView.dequeueReusableViewWithIdentifier("page"));
        if (page) reused.push_back(page.get());
        if (!page) page = ui::makeView<Page>();
        page->setText("Page " + std::to_string(index + 1));
        page->setTag(static_cast<int>(index));
        page->setTextAlignment(graphics::TextAlignment::Center);
        page->setFont(graphics::Font::systemFont(48));
        static const graphics::Color colours[] = {graphics::Color::rgb(0.95, 0.80, 0.55),
                                                  graphics::Color::rgb(0.60, 0.80, 0.95),
                                                  graphics::Color::rgb(0.70, 0.90, 0.70)};
        page->setBackgroundColor(colours[index % 3]);
        return page;
    }
    int64_t count = 5;
    std::vector<int64_t> asked;
    std::vector<ui::View*> reused;
};

class PagedViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        graphics::ensureGuiApplication();
        window = std::make_shared<ui::Window>(Rect(0, 0, 400, 300));
        root = std::make_shared<ui::ViewController>();
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        paged = ui::makeView<PagedView>(Rect(0, 0, 400, 300));
        paged->setDelegate(&pages);
        root->view()->addSubview(paged);
    }
    void TearDown() override { window.reset(); }

    std::set<int64_t> loaded() const {
        std::set<int64_t> indexes;
        for (auto& [index, view] : paged->pageViewDictionary()) {
            EXPECT_EQ(view->superview(), &paged->scrollView()) << "page " << index;
            indexes.insert(index);
        }
        // Nothing else lingers in the scroll view.
        size_t pagesInTree = 0;
        for (auto& view : paged->scrollView().subviews())
            if (dynamic_cast<Page*>(view.get())) ++pagesInTree;
        EXPECT_EQ(pagesInTree, indexes.size());
        return indexes;
    }
    void advance(double seconds) { foundation::RunLoop::main().advance(seconds); }

    testsupport::VirtualClockScope clock;
    Pages pages;
    std::shared_ptr<ui::Window> window;
    std::shared_ptr<ui::ViewController> root;
    std::shared_ptr<PagedView> paged;
};

}  // namespace

TEST_F(PagedViewTest, NoPagesShowAHiddenIndicatorOfOnePage) {
    pages.count = 0;
    paged->layoutIfNeeded();
    EXPECT_EQ(paged->pageControl().numberOfPages(), 1);
    EXPECT_TRUE(paged->pageControl().isHidden());
    EXPECT_TRUE(loaded().empty());
    EXPECT_TRUE(pages.asked.empty());
    EXPECT_EQ(paged->indexForSelectedPage(), PagedView::kNotFound);

    pages.count = 1;
    paged->reloadData();
    EXPECT_TRUE(paged->pageControl().isHidden());
    EXPECT_EQ(loaded(), (std::set<int64_t>{0}));
}

TEST_F(PagedViewTest, FirstLayoutLoadsTheFirstPageAndItsNeighbourSideBySide) {
    paged->layoutIfNeeded();
    EXPECT_TRUE(paged->scrollView().isPagingEnabled());
    EXPECT_EQ(paged->scrollView().contentSize(), (graphics::Size{2000, 300}));
    EXPECT_EQ(paged->pageControl().numberOfPages(), 5);
    EXPECT_FALSE(paged->pageControl().isHidden());
    EXPECT_EQ(loaded(), (std::set<int64_t>{0, 1}));
    EXPECT_EQ(paged->pageViewDictionary().at(1)->frame(), Rect(400, 0, 400, 300));
    // A second layout does not reload.
    pages.asked.clear();
    paged->setNeedsLayout();
    paged->layoutIfNeeded();
    EXPECT_TRUE(pages.asked.empty());
}

TEST_F(PagedViewTest, KeepsOnlyTheCurrentPageAndItsNeighbours) {
    paged->layoutIfNeeded();
    paged->scrollToPageAtIndex(2, false);
    EXPECT_EQ(paged->indexForSelectedPage(), 2);
    EXPECT_EQ(paged->pageControl().currentPage(), 2);
    EXPECT_EQ(loaded(), (std::set<int64_t>{1, 2, 3}));

    ui::ViewPtr page1 = paged->pageViewDictionary().at(1);
    ui::ViewPtr page3 = paged->pageViewDictionary().at(3);
    auto* page2 = static_cast<Page*>(paged->pageViewDictionary().at(2).get());
    int preparedBefore = page2->prepared;
    pages.asked.clear();
    pages.reused.clear();
    paged->scrollToPageAtIndex(4, false);
    EXPECT_EQ(loaded(), (std::set<int64_t>{3, 4}));
    EXPECT_EQ(page1->superview(), nullptr);
    // Page 3 stays as it was; only page 4 was asked for, and it got the
    // view put aside last (page 2's replaced page 1's under one identifier).
    EXPECT_EQ(paged->pageViewDictionary().at(3), page3);
    EXPECT_EQ(pages.asked, (std::vector<int64_t>{4}));
    EXPECT_EQ(pages.reused, (std::vector<ui::View*>{page2}));
    EXPECT_EQ(page2->prepared, preparedBefore + 1);
    EXPECT_EQ(paged->pageViewDictionary().at(4).get(), page2);
    EXPECT_EQ(page2->frame(), Rect(1600, 0, 400, 300));
    // What was put aside served this pass only.
    EXPECT_EQ(paged->dequeueReusableViewWithIdentifier("page"), nullptr);

    // Out of range: nothing moves.
    paged->scrollToPageAtIndex(5, false);
    paged->scrollToPageAtIndex(-1, false);
    EXPECT_EQ(paged->indexForSelectedPage(), 4);
}

TEST_F(PagedViewTest, ReloadAsksAgainForEveryVisiblePage) {
    paged->layoutIfNeeded();
    paged->scrollToPageAtIndex(2, false);
    pages.asked.clear();
    pages.reused.clear();
    paged->reloadData();
    EXPECT_EQ(pages.asked, (std::vector<int64_t>{1, 2, 3}));
    // Each page went aside and came straight back for its own index.
    EXPECT_EQ(pages.reused.size(), 3u);
    EXPECT_EQ(loaded(), (std::set<int64_t>{1, 2, 3}));
}

TEST_F(PagedViewTest, ShrinkingCountDropsPagesPastTheEnd) {
    paged->layoutIfNeeded();
    paged->scrollToPageAtIndex(4, false);
    pages.count = 2;
    paged->reloadData();
    // The view does not stay blank past the last page: it shows the new last one.
    EXPECT_EQ(paged->scrollView().contentOffset().x, 400);
    EXPECT_EQ(paged->indexForSelectedPage(), 1);
    EXPECT_EQ(paged->pageControl().currentPage(), 1);
    EXPECT_EQ(loaded(), (std::set<int64_t>{0, 1}));
}

TEST_F(PagedViewTest, SelectedPageFromTheOffset) {
    paged->layoutIfNeeded();
    paged->scrollView().setContentOffset(Point{599, 0});
    EXPECT_EQ(paged->indexForSelectedPage(), 1);
    paged->scrollView().setContentOffset(Point{2000, 0});
    EXPECT_EQ(paged->indexForSelectedPage(), PagedView::kNotFound);
    paged->scrollView().setContentOffset(Point{-500, 0});
    EXPECT_EQ(paged->indexForSelectedPage(), PagedView::kNotFound);
    // A paged view not yet laid out has pages of no width.
    PagedView unsized;
    unsized.setDelegate(&pages);
    EXPECT_EQ(unsized.indexForSelectedPage(), 0);
}

TEST_F(PagedViewTest, IndicatorFollowsAFlickAndTouchesComeBack) {
    paged->layoutIfNeeded();
    testsupport::TouchDriver fingers(*window);
    auto finger = fingers.touchDown({300, 150});
    fingers.moveTo(finger, {250, 150});
    fingers.wait(1.0 / 60);
    fingers.moveTo(finger, {150, 150});
    fingers.wait(1.0 / 60);
    EXPECT_FALSE(paged->scrollView().isUserInteractionEnabled());
    fingers.touchUp(finger);
    advance(2);
    EXPECT_EQ(paged->scrollView().contentOffset().x, 400);
    EXPECT_EQ(paged->pageControl().currentPage(), 1);
    EXPECT_EQ(loaded(), (std::set<int64_t>{0, 1, 2}));
    EXPECT_TRUE(paged->scrollView().isUserInteractionEnabled());

    // A drag that comes back to rest exactly on its page starts no
    // deceleration; the view must still take touches afterwards.
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
    paged->layoutIfNeeded();
    testsupport::TouchDriver fingers(*window);
    // Right of the dots' middle: one page on.
    Rect dots = paged->pageControl().convertRectToView(paged->pageControl().bounds(), nullptr);
    fingers.tap({dots.midX() + 30, dots.midY()});
    advance(1);
    EXPECT_EQ(paged->scrollView().contentOffset().x, 400);
    EXPECT_EQ(paged->indexForSelectedPage(), 1);
    EXPECT_EQ(loaded(), (std::set<int64_t>{0, 1, 2}));

    // An animated jump to a distant page has its pages once it arrives.
    paged->scrollToPageAtIndex(4, true);
    advance(1);
    EXPECT_EQ(paged->pageControl().currentPage(), 4);
    EXPECT_EQ(loaded(), (std::set<int64_t>{3, 4}));
}

TEST_F(PagedViewTest, RendersThePageAndIndicator) {
    window->setBackgroundColor(graphics::Color::white());
    paged->layoutIfNeeded();
    paged->scrollToPageAtIndex(1, false);
    graphics::Image image = window->renderImage();
    // The middle of the screen is page 2's colour, not page 1's.
    graphics::RGBA middle = image.pixelAt(200, 100);
    EXPECT_NEAR(middle.r, 153, 3);
    EXPECT_NEAR(middle.b, 242, 3);
    auto png = image.pngData();
    ASSERT_TRUE(png.ok());
    ASSERT_TRUE(
        foundation::writeFileAtomically(testsupport::artifactsDirectory() + "/PagedView-page2.png", *png).ok());
}
