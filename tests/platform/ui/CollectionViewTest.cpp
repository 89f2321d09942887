// Collection views with the flow layout: where items go, what the data source
// is asked, reuse, item changes, selection by touch, and a picture of a grid.

#include "ControlsTestSupport.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/lists/CollectionView.h"
#include "support/HostInput.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

using graphics::Color;
using graphics::Point;
using graphics::Rect;
using graphics::Size;
using ui::IndexPath;

namespace {

class Tile : public ui::CollectionViewCell {
public:
    Tile() {
        label = ui::makeView<ui::Label>();
        label->setTextAlignment(graphics::TextAlignment::Center);
        label->setTextColor(Color::white());
        label->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
        contentView().addSubview(label);
        auto selection = ui::makeView<ui::View>();
        selection->setBackgroundColor(Color::rgb(1, 0.8, 0));
        setSelectedBackgroundView(selection);
    }
    void layoutSubviews() override {
        CollectionViewCell::layoutSubviews();
        label->setFrame(contentView().bounds());
    }
    void prepareForReuse() override { ++reuses; }
    std::shared_ptr<ui::Label> label;
    int reuses = 0;
};

// Numbered items in sections; records what the collection view asks and tells.
class Items : public ui::CollectionViewDataSource, public ui::CollectionViewDelegateFlowLayout {
public:
    std::vector<std::vector<int>> sections{{}};
    std::vector<IndexPath> asked;
    std::vector<std::string> log;
    bool sizeByWidth = false;
    std::optional<IndexPath> refused;

    explicit Items(int count) {
        for (int i = 0; i < count; ++i) sections[0].push_back(i);
    }
    size_t numberOfSectionsInCollectionView(ui::CollectionView&) override { return sections.size(); }
    size_t numberOfItemsInSection(ui::CollectionView&, size_t s) override { return sections[s].size(); }
    ui::CollectionViewCellPtr cellForItemAtIndexPath(ui::CollectionView& view, const IndexPath& p) override {
        asked.push_back(p);
        auto cell = std::static_pointer_cast<Tile>(view.dequeueReusableCellWithReuseIdentifier("Tile", p));
        cell->label->setText(std::to_string(sections[p.section][p.row]));
        cell->setBackgroundColor(Color::hsb(double(sections[p.section][p.row] % 12) / 12.0, 0.6, 0.8));
        return cell;
    }
    // The project grid's rule: 15% of the width, at least 100 points.
    std::optional<Size> sizeForItemAtIndexPath(ui::CollectionView& view, ui::CollectionViewFlowLayout&,
                                               const IndexPath&) override {
        if (!sizeByWidth) return std::nullopt;
        double side = std::max(100.0, double(float(view.bounds().size.width * 0.15f)));
        return Size{side, side};
    }
    bool shouldSelectItemAtIndexPath(ui::CollectionView&, const IndexPath& p) override { return p != refused; }
    void didSelectItemAtIndexPath(ui::CollectionView&, const IndexPath& p) override {
        log.push_back("select " + p.toString());
    }
    void didDeselectItemAtIndexPath(ui::CollectionView&, const IndexPath& p) override {
        log.push_back("deselect " + p.toString());
    }
};

class CollectionViewTest : public ::testing::Test {
protected:
    void SetUp() override { graphics::ensureGuiApplication(); }
    void TearDown() override {
        if (view) {
            view->setDataSource(nullptr);
            view->setDelegate(nullptr);
        }
        ui::GestureArena::shared().resetForTesting();
    }
    void show(Items& items, Size size = Size{320, 480}) {
        layout = std::make_shared<ui::CollectionViewFlowLayout>();
        layout->setItemSize(Size{100, 100});
        view = std::make_shared<ui::CollectionView>(Rect(Point{}, size), layout);
        view->registerClass(
            [this] {
                ++cellsMade;
                return std::make_shared<Tile>();
            },
            "Tile");
        view->setDataSource(&items);
        view->setDelegate(&items);
        window->addSubview(view);
        window->layoutIfNeeded();
    }
    Rect frameOf(size_t item, size_t section = 0) const {
        auto attributes = view->layoutAttributesForItemAtIndexPath(IndexPath{section, item});
        return attributes ? attributes->frame : Rect::null();
    }
    Point centreOf(size_t item) const {
        Rect f = frameOf(item);
        return view->convertPointToView(Point{f.midX(), f.midY()}, nullptr);
    }
    std::vector<std::string> visibleTexts() const {
        std::vector<std::string> texts;
        for (const auto& cell : view->visibleCells())
            texts.push_back(std::static_pointer_cast<Tile>(cell)->label->text());
        return texts;
    }
    void run(double seconds) { foundation::RunLoop::main().advance(seconds); }

    testsupport::VirtualClockScope clock{20};
    std::shared_ptr<ui::Window> window = std::make_shared<ui::Window>(Rect(0, 0, 1024, 768));
    testsupport::TouchDriver fingers{*window};
    std::shared_ptr<ui::CollectionViewFlowLayout> layout;
    std::shared_ptr<ui::CollectionView> view;
    int cellsMade = 0;
};

// ---- layout --------------------------------------------------------------------------

TEST_F(CollectionViewTest, TheWheelScrollsAndSelectsNothingAndAClickStillSelects) {
    Items items(60);
    show(items);
    fingers.tap(centreOf(1));
    items.log.clear();
    {
        testsupport::HostInput wheel(window);
        EXPECT_TRUE(wheel.turn(centreOf(4), -5));
    }
    run(1);
    EXPECT_EQ(view->contentOffset(), (Point{0, 300}));
    EXPECT_TRUE(items.log.empty());
    EXPECT_EQ(view->indexPathsForSelectedItems(), std::vector<IndexPath>{(IndexPath{0, 1})});
    fingers.tap(centreOf(16));
    EXPECT_EQ(view->indexPathsForSelectedItems(), std::vector<IndexPath>{(IndexPath{0, 16})});
}

TEST_F(CollectionViewTest, FullLinesSpreadToTheEdgesAndTheLastKeepsTheColumns) {
    Items items(8);
    show(items, Size{340, 480});
    // Three 100-point items fit in 340 with at least 10 between; the 20 left over widen the gaps.
    EXPECT_EQ(frameOf(0), Rect(0, 0, 100, 100));
    EXPECT_EQ(frameOf(1), Rect(120, 0, 100, 100));
    EXPECT_EQ(frameOf(2), Rect(240, 0, 100, 100));
    EXPECT_EQ(frameOf(3), Rect(0, 110, 100, 100));
    EXPECT_EQ(frameOf(7), Rect(120, 220, 100, 100)) << "the last line left the columns";
    EXPECT_EQ(view->contentSize(), (Size{340, 320}));
    EXPECT_FALSE(view->layoutAttributesForItemAtIndexPath({0, 8}));
}

TEST_F(CollectionViewTest, ASectionsOnlyLineTakesTheColumnsOfAFullLine) {
    // Two items where three fit: they stand in the first two columns, not at
    // both edges, so a short grid (a browser with one project) reads naturally.
    Items items(2);
    show(items, Size{340, 480});
    EXPECT_EQ(frameOf(0), Rect(0, 0, 100, 100));
    EXPECT_EQ(frameOf(1), Rect(120, 0, 100, 100));
    Items one(1);
    show(one, Size{340, 480});
    EXPECT_EQ(frameOf(0), Rect(0, 0, 100, 100));
}

TEST_F(CollectionViewTest, InsetsSpacingsAndSections) {
    Items items(2);
    items.sections.push_back({2, 3, 4});
    show(items);
    layout->setSectionInset(graphics::EdgeInsets{10, 20, 30, 20});
    layout->setMinimumLineSpacing(5);
    // 280 points across hold two items.
    EXPECT_EQ(frameOf(0), Rect(20, 10, 100, 100));
    EXPECT_EQ(frameOf(1), Rect(200, 10, 100, 100)) << "a lone full line did not reach the right inset";
    // Section 0 takes 10 + 100 + 30 points; section 1 two lines 5 apart.
    EXPECT_EQ(frameOf(0, 1), Rect(20, 140 + 10, 100, 100));
    EXPECT_EQ(frameOf(2, 1), Rect(20, 140 + 10 + 105, 100, 100));
    EXPECT_EQ(view->contentSize().height, 140.0 + 10 + 205 + 30);
}

TEST_F(CollectionViewTest, TheDelegateSizesItemsAsTheProjectGridDoes) {
    Items items(10);
    items.sizeByWidth = true;
    show(items);
    EXPECT_EQ(frameOf(0).size, (Size{100, 100})) << "320 x 0.15 is raised to 100";
    view->setFrame(Rect(0, 0, 1024, 768));
    window->layoutIfNeeded();
    EXPECT_NEAR(frameOf(0).size.width, 153.6, 1e-4);
    // Six fit across 1024: the gaps share what is left.
    EXPECT_NEAR(frameOf(5).maxX(), 1024.0, 1e-6);
    EXPECT_NEAR(frameOf(6).minY(), frameOf(0).maxY() + 10, 1e-6);
    EXPECT_EQ(view->cellForItemAtIndexPath({0, 0})->frame(), frameOf(0)) << "cells kept their old places";
}

TEST_F(CollectionViewTest, HorizontalGridsFillColumnsTopToBottom) {
    Items items(7);
    show(items, Size{480, 320});
    layout->setScrollDirection(ui::CollectionViewScrollDirection::Horizontal);
    EXPECT_EQ(frameOf(0), Rect(0, 0, 100, 100));
    EXPECT_EQ(frameOf(1), Rect(0, 110, 100, 100));
    EXPECT_EQ(frameOf(3), Rect(110, 0, 100, 100));
    EXPECT_EQ(view->contentSize(), (Size{320, 320}));
    EXPECT_DOUBLE_EQ(view->maximumContentOffset().x, 0.0) << "content narrower than the view scrolled";
}

// ---- data source, reuse and visible cells --------------------------------------------------

TEST_F(CollectionViewTest, OnlyItemsInSightGetCellsAndCellsAreReused) {
    Items items(300);
    show(items, Size{320, 480});
    // Rows of three at 110-point steps: 480 points show rows 0 to 4.
    EXPECT_EQ(items.asked.size(), 15u);
    EXPECT_EQ(view->contentSize().height, 100.0 * 110 - 10);
    for (int step = 1; step <= 60; ++step) view->setContentOffset(Point{0, step * 97.0});
    EXPECT_LE(cellsMade, 21);
    auto visible = view->indexPathsForVisibleItems();
    ASSERT_FALSE(visible.empty());
    // Row 52 ends where the sight begins (5820); row 53 is the first in it.
    EXPECT_EQ(visible.front(), (IndexPath{0, 159}));
    int reuses = 0;
    for (const auto& cell : view->visibleCells()) {
        reuses += std::static_pointer_cast<Tile>(cell)->reuses;
        EXPECT_EQ(cell->frame(), frameOf(view->indexPathForCell(cell.get())->row));
    }
    EXPECT_GT(reuses, 0);
    EXPECT_THROW(view->dequeueReusableCellWithReuseIdentifier("Unknown", {0, 0}), std::invalid_argument);
}

TEST_F(CollectionViewTest, ScrollToItemCentresIt) {
    Items items(300);
    show(items);
    view->scrollToItemAtIndexPath({0, 60}, ui::CollectionViewScrollPositionCenteredVertically, false);
    EXPECT_DOUBLE_EQ(view->contentOffset().y, frameOf(60).midY() - 240);
    EXPECT_TRUE(view->cellForItemAtIndexPath({0, 60}));
    view->scrollToItemAtIndexPath({0, 0}, ui::CollectionViewScrollPositionCenteredVertically, false);
    EXPECT_DOUBLE_EQ(view->contentOffset().y, 0.0) << "scrolled before the start of the content";
}

// ---- changes ----------------------------------------------------------------------------

TEST_F(CollectionViewTest, InsertedAndDeletedItemsAnimateAndTheRestMoveUp) {
    Items items(6);
    show(items);
    auto third = view->cellForItemAtIndexPath({0, 2});
    auto doomed = view->cellForItemAtIndexPath({0, 0});
    view->selectItemAtIndexPath({0, 2}, false, ui::CollectionViewScrollPositionNone);
    items.sections[0].erase(items.sections[0].begin());
    bool finished = false;
    view->performBatchUpdates([&] { view->deleteItemsAtIndexPaths({{0, 0}}); }, [&](bool done) { finished = done; });
    EXPECT_EQ(view->numberOfItemsInSection(0), 5u);
    EXPECT_EQ(view->cellForItemAtIndexPath({0, 1}), third);
    EXPECT_EQ(view->indexPathsForSelectedItems(), (std::vector<IndexPath>{{0, 1}})) << "selection left its item";
    EXPECT_EQ(doomed->superview(), view.get());
    EXPECT_FALSE(finished);
    run(0.35);
    EXPECT_TRUE(finished);
    EXPECT_EQ(doomed->superview(), nullptr);
    EXPECT_EQ(third->frame(), frameOf(1));

    items.sections[0].insert(items.sections[0].begin() + 1, 99);
    view->insertItemsAtIndexPaths({{0, 1}});
    auto fresh = view->cellForItemAtIndexPath({0, 1});
    ASSERT_TRUE(fresh);
    EXPECT_EQ(std::static_pointer_cast<Tile>(fresh)->label->text(), "99");
    EXPECT_DOUBLE_EQ(fresh->layer().presentation().opacity, 0.0);
    run(0.35);
    EXPECT_DOUBLE_EQ(fresh->layer().presentation().opacity, 1.0);
    EXPECT_EQ(visibleTexts(), (std::vector<std::string>{"1", "99", "2", "3", "4", "5"}));
}

TEST_F(CollectionViewTest, ChangesThatDisagreeWithTheDataSourceAreRefused) {
    Items items(6);
    show(items);
    items.sections[0].pop_back();
    EXPECT_THROW(view->insertItemsAtIndexPaths({{0, 0}}), std::logic_error);
    EXPECT_EQ(view->numberOfItemsInSection(0), 5u) << "the view kept stale counts";
    EXPECT_THROW(view->deleteItemsAtIndexPaths({{0, 7}}), std::logic_error);
}

TEST_F(CollectionViewTest, ReloadDataShowsNewDataAndForgetsTheSelection) {
    Items items(4);
    show(items);
    view->selectItemAtIndexPath({0, 1}, false, ui::CollectionViewScrollPositionNone);
    items.sections[0] = {7, 8};
    view->reloadData();
    EXPECT_EQ(visibleTexts(), (std::vector<std::string>{"7", "8"}));
    EXPECT_TRUE(view->indexPathsForSelectedItems().empty());
    EXPECT_EQ(cellsMade, 4);
}

// ---- selection ---------------------------------------------------------------------------

TEST_F(CollectionViewTest, TapsSelectItemsUnlessTheDelegateRefuses) {
    Items items(9);
    show(items);
    fingers.tap(centreOf(4));
    EXPECT_EQ(view->indexPathsForSelectedItems(), (std::vector<IndexPath>{{0, 4}}));
    EXPECT_TRUE(view->cellForItemAtIndexPath({0, 4})->isSelected());
    fingers.tap(centreOf(5));
    EXPECT_EQ(items.log, (std::vector<std::string>{"select [0, 4]", "deselect [0, 4]", "select [0, 5]"}));
    items.refused = IndexPath{0, 6};
    fingers.tap(centreOf(6));
    EXPECT_EQ(view->indexPathsForSelectedItems(), (std::vector<IndexPath>{{0, 5}}));
    // Between items there is nothing to select.
    Rect gap = frameOf(0);
    fingers.tap(view->convertPointToView(Point{gap.maxX() + 5, gap.midY()}, nullptr));
    EXPECT_EQ(items.log.size(), 3u);

    view->setAllowsMultipleSelection(true);
    fingers.tap(centreOf(0));
    fingers.tap(centreOf(5));
    EXPECT_EQ(view->indexPathsForSelectedItems(), (std::vector<IndexPath>{{0, 0}}));
}

TEST_F(CollectionViewTest, ADragSelectsNothing) {
    Items items(60);
    show(items);
    fingers.drag({centreOf(7), {centreOf(7).x, centreOf(7).y - 150}}, 0.3);
    EXPECT_TRUE(view->indexPathsForSelectedItems().empty());
    EXPECT_GT(view->contentOffset().y, 0.0);
    for (const auto& cell : view->visibleCells()) EXPECT_FALSE(cell->isHighlighted());
}

// ---- picture -------------------------------------------------------------------------------

TEST_F(CollectionViewTest, GridRendersToAPicture) {
    Items items(14);
    show(items, Size{340, 480});
    layout->setSectionInset(graphics::EdgeInsets{10, 10, 10, 10});
    layout->setItemSize(Size{96, 96});
    view->selectItemAtIndexPath({0, 4}, false, ui::CollectionViewScrollPositionNone);
    graphics::Image image = ui::renderView(*view);
    controltest::savePicture(image, "collection-grid.png");

    auto pixel = [&](Point p) { return image.pixelAt(int(p.x), int(p.y)); };
    Rect gapBetween(frameOf(0).maxX(), frameOf(0).minY(), frameOf(1).minX() - frameOf(0).maxX(), 96);
    EXPECT_EQ(pixel({gapBetween.midX(), gapBetween.midY()}).r, 0) << "the black background does not show between items";
    Rect selected = frameOf(4);
    auto corner = pixel({selected.minX() + 3, selected.minY() + 3});
    EXPECT_EQ(int(corner.r), 255) << "the selected item's background is not yellow";
    EXPECT_NEAR(int(corner.g), 204, 2);
    Rect plain = frameOf(0);
    auto other = pixel({plain.minX() + 3, plain.minY() + 3});
    EXPECT_NE(int(other.g), 204) << "an unselected item shows the selection";

    // Scrolled by one line, the second line's items are drawn where the first were.
    auto itemThree = pixel({frameOf(3).minX() + 3, frameOf(3).minY() + 3});
    view->setContentOffset(Point{0, frameOf(3).minY() - frameOf(0).minY()});
    graphics::Image scrolled = ui::renderView(*view);
    auto moved = scrolled.pixelAt(int(plain.minX() + 3), int(plain.minY() + 3));
    EXPECT_EQ(moved.r, itemThree.r);
    EXPECT_EQ(moved.g, itemThree.g);
    EXPECT_EQ(moved.b, itemThree.b);
}

TEST_F(CollectionViewTest, MovedAndReloadedItemsKeepOrRenewTheirCells) {
    Items items(5);
    show(items);
    auto first = view->cellForItemAtIndexPath({0, 0});
    auto second = view->cellForItemAtIndexPath({0, 1});
    items.sections[0] = {1, 2, 3, 0, 4};
    view->moveItemAtIndexPath({0, 0}, {0, 3});
    run(0.35);
    EXPECT_EQ(view->cellForItemAtIndexPath({0, 3}), first);
    EXPECT_EQ(first->frame(), frameOf(3));
    EXPECT_EQ(view->cellForItemAtIndexPath({0, 0}), second);

    items.sections[0][1] = 42;
    view->reloadItemsAtIndexPaths({{0, 1}});
    run(0.35);
    EXPECT_EQ(visibleTexts(), (std::vector<std::string>{"1", "42", "3", "0", "4"}));
}

}  // namespace
