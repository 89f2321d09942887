// Table views: what the data source is asked, cell reuse, row changes with
// their animations, selection by touch, editing, swipe to delete, dragging
// rows, and a picture of a grouped table.

#include "ControlsTestSupport.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/lists/TableView.h"
#include "support/HostInput.h"

#include <gtest/gtest.h>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

using graphics::Point;
using graphics::Rect;
using graphics::Size;
using ui::IndexPath;

namespace {

class Cell : public ui::TableViewCell {
public:
    using TableViewCell::TableViewCell;
    int reuses = 0;
    void prepareForReuse() override { ++reuses; }
};

// A list of names in sections, which records what the table asks of it.
class Rows : public ui::TableViewDataSource, public ui::TableViewDelegate {
public:
    std::vector<std::vector<std::string>> sections{{}};
    std::vector<IndexPath> asked;  // cellForRowAtIndexPath calls
    std::vector<std::string> log;  // selection and editing calls
    int cellsMade = 0;
    bool editable = false;
    bool movable = false;
    std::optional<IndexPath> redirect;
    bool refuseSelection = false;

    explicit Rows(size_t count) {
        for (size_t i = 0; i < count; ++i) sections[0].push_back("Row " + std::to_string(i));
    }
    const std::string& at(const IndexPath& p) const { return sections[p.section][p.row]; }

    size_t numberOfSectionsInTableView(ui::TableView&) override { return sections.size(); }
    size_t numberOfRowsInSection(ui::TableView&, size_t section) override { return sections[section].size(); }
    ui::TableViewCellPtr cellForRowAtIndexPath(ui::TableView& table, const IndexPath& path) override {
        asked.push_back(path);
        auto cell = table.dequeueReusableCellWithIdentifier("Cell");
        if (!cell) {
            ++cellsMade;
            cell = std::make_shared<Cell>(ui::TableViewCellStyle::Default, "Cell");
        }
        cell->textLabel()->setText(at(path));
        return cell;
    }
    bool canEditRowAtIndexPath(ui::TableView&, const IndexPath&) override { return editable; }
    bool canMoveRowAtIndexPath(ui::TableView&, const IndexPath&) override { return movable; }
    void commitEditingStyle(ui::TableView& table, ui::TableViewCellEditingStyle style, const IndexPath& path) override {
        log.push_back("commit " + std::string(style == ui::TableViewCellEditingStyle::Delete ? "delete " : "insert ") +
                      at(path));
        if (style == ui::TableViewCellEditingStyle::Delete) {
            sections[path.section].erase(sections[path.section].begin() + std::ptrdiff_t(path.row));
            table.deleteRowsAtIndexPaths({path}, ui::TableViewRowAnimation::Fade);
        }
    }
    void moveRowAtIndexPath(ui::TableView&, const IndexPath& from, const IndexPath& to) override {
        log.push_back("move " + from.toString() + " to " + to.toString());
        std::string name = at(from);
        sections[from.section].erase(sections[from.section].begin() + std::ptrdiff_t(from.row));
        sections[to.section].insert(sections[to.section].begin() + std::ptrdiff_t(to.row), name);
    }

    std::optional<IndexPath> willSelectRowAtIndexPath(ui::TableView&, const IndexPath& path) override {
        log.push_back("willSelect " + at(path));
        if (refuseSelection) return std::nullopt;
        return redirect ? *redirect : path;
    }
    void didSelectRowAtIndexPath(ui::TableView&, const IndexPath& path) override {
        log.push_back("didSelect " + at(path));
    }
    void didDeselectRowAtIndexPath(ui::TableView&, const IndexPath& path) override {
        log.push_back("didDeselect " + at(path));
    }
};

class TableViewTest : public ::testing::Test {
protected:
    void SetUp() override { graphics::ensureGuiApplication(); }
    void TearDown() override {
        if (table) {
            table->setDataSource(nullptr);
            table->setDelegate(nullptr);
        }
        ui::GestureArena::shared().resetForTesting();
    }
    // Anything that is both data source and delegate can fill the table.
    template <class Source>
    void show(Source& rows, ui::TableViewStyle style = ui::TableViewStyle::Plain) {
        table = std::make_shared<ui::TableView>(Rect(0, 0, 320, 480), style);
        table->setDataSource(&rows);
        table->setDelegate(&rows);
        window->addSubview(table);
        window->layoutIfNeeded();
    }
    std::vector<std::string> visibleTexts() const {
        std::vector<std::string> texts;
        for (const auto& cell : table->visibleCells()) texts.push_back(cell->textLabel()->text());
        return texts;
    }
    // The point of a row's middle in the window, at x.
    Point rowPoint(size_t row, double x = 160, size_t section = 0) const {
        Rect r = table->rectForRowAtIndexPath(IndexPath{section, row});
        return table->convertPointToView(Point{x, r.midY()}, nullptr);
    }
    void run(double seconds) { foundation::RunLoop::main().advance(seconds); }

    testsupport::VirtualClockScope clock{50};
    std::shared_ptr<ui::Window> window = std::make_shared<ui::Window>(Rect(0, 0, 320, 480));
    testsupport::TouchDriver fingers{*window};
    std::shared_ptr<ui::TableView> table;
};

// ---- data source and reuse ------------------------------------------------------------

TEST_F(TableViewTest, AsksOnlyForTheRowsInSightAndReusesCells) {
    Rows rows(1000);
    show(rows);
    EXPECT_EQ(table->contentSize(), (Size{320, 44000}));
    // 480 points hold rows 0 to 10 (the 11th partly).
    ASSERT_EQ(rows.asked.size(), 11u);
    EXPECT_EQ(rows.asked.front(), (IndexPath{0, 0}));
    EXPECT_EQ(rows.asked.back(), (IndexPath{0, 10}));

    for (int step = 1; step <= 200; ++step) table->setContentOffset(Point{0, step * 100.0});
    EXPECT_LE(rows.cellsMade, 13) << "cells were not reused";
    EXPECT_EQ(table->indexPathsForVisibleRows().front(), (IndexPath{0, 454}));
    EXPECT_EQ(table->indexPathsForVisibleRows().back(), (IndexPath{0, 465}));
    EXPECT_EQ(visibleTexts().front(), "Row 454");
    int reuses = 0;
    for (const auto& cell : table->visibleCells()) {
        reuses += std::static_pointer_cast<Cell>(cell)->reuses;
        EXPECT_EQ(cell->frame(), table->rectForRowAtIndexPath(*table->indexPathForCell(cell.get())));
    }
    EXPECT_GT(reuses, 0) << "reused cells were not prepared";
    EXPECT_EQ(table->subviews().size(), table->visibleCells().size()) << "recycled cells stayed in the table";
}

TEST_F(TableViewTest, TheWheelScrollsAndSelectsNothingAndAClickStillSelects) {
    Rows rows(60);
    show(rows);
    fingers.tap(rowPoint(1));
    rows.log.clear();
    {
        testsupport::HostInput wheel(window);
        EXPECT_TRUE(wheel.turn(rowPoint(3), -5));
    }
    run(1);
    EXPECT_EQ(table->contentOffset(), (Point{0, 300}));
    EXPECT_TRUE(rows.log.empty());
    EXPECT_EQ(table->indexPathForSelectedRow(), (IndexPath{0, 1}));
    fingers.tap(rowPoint(10));
    EXPECT_EQ(table->indexPathForSelectedRow(), (IndexPath{0, 10}));
}

TEST_F(TableViewTest, ReloadDataAsksAgainAndShowsTheNewData) {
    Rows rows(3);
    show(rows);
    EXPECT_EQ(visibleTexts(), (std::vector<std::string>{"Row 0", "Row 1", "Row 2"}));
    rows.sections[0] = {"a", "b"};
    table->reloadData();
    EXPECT_EQ(visibleTexts(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(table->numberOfRowsInSection(0), 2u);
    EXPECT_EQ(rows.cellsMade, 3) << "reload made new cells instead of reusing";
}

TEST_F(TableViewTest, SectionsHeadersAndRowHeightsPlaceTheRows) {
    class Titled : public Rows {
    public:
        using Rows::Rows;
        std::optional<std::string> titleForHeaderInSection(ui::TableView&, size_t s) override {
            if (s == 1) return std::nullopt;
            return "Section " + std::to_string(s);
        }
        std::optional<double> heightForRowAtIndexPath(ui::TableView&, const IndexPath& p) override {
            if (p.section == 1) return 100.0;
            return std::nullopt;
        }
    } rows(2);
    rows.sections.push_back({"x", "y"});
    show(rows);
    EXPECT_EQ(table->rectForHeaderInSection(0), Rect(0, 0, 320, 22));
    EXPECT_EQ(table->rectForRowAtIndexPath({0, 1}), Rect(0, 66, 320, 44));
    EXPECT_EQ(table->rectForHeaderInSection(1).size.height, 0.0) << "an untitled plain section got a header";
    EXPECT_EQ(table->rectForRowAtIndexPath({1, 1}), Rect(0, 210, 320, 100));
    EXPECT_EQ(table->rectForRowAtIndexPath({1, 2}), Rect()) << "a row that does not exist has a place";
    EXPECT_EQ(table->contentSize().height, 310.0);
    EXPECT_EQ(table->indexPathForRowAtPoint({10, 209}), (IndexPath{1, 0}));
    EXPECT_EQ(table->indexPathForRowAtPoint({10, 10}), std::nullopt) << "a header is no row";
    EXPECT_EQ(table->indexPathForRowAtPoint({10, 400}), std::nullopt);
}

TEST_F(TableViewTest, ANewRowHeightMovesTheRowsButKeepsCellsAndSelection) {
    Rows rows(5);
    show(rows);
    table->selectRowAtIndexPath({0, 3}, false, ui::TableViewScrollPosition::None);
    auto cell = table->cellForRowAtIndexPath({0, 3});
    size_t asked = rows.asked.size();
    table->setRowHeight(60);
    EXPECT_EQ(table->cellForRowAtIndexPath({0, 3}), cell);
    EXPECT_EQ(cell->frame(), Rect(0, 180, 320, 60));
    EXPECT_EQ(table->indexPathForSelectedRow(), (IndexPath{0, 3}));
    EXPECT_EQ(rows.asked.size(), asked) << "the rows were asked for again";
    EXPECT_EQ(table->contentSize().height, 300.0);
}

TEST_F(TableViewTest, RegisteredFactoriesMakeCellsAndUnknownIdentifiersAreRefused) {
    Rows rows(0);
    show(rows);
    int made = 0;
    table->registerClass(
        [&] {
            ++made;
            return std::make_shared<ui::TableViewCell>();
        },
        "Made");
    auto cell = table->dequeueReusableCellWithIdentifier("Made", IndexPath{0, 0});
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->reuseIdentifier(), "Made");
    EXPECT_EQ(made, 1);
    EXPECT_EQ(table->dequeueReusableCellWithIdentifier("Other"), nullptr);
    EXPECT_THROW(table->dequeueReusableCellWithIdentifier("Other", IndexPath{0, 0}), std::invalid_argument);
}

// ---- changes ----------------------------------------------------------------------------

TEST_F(TableViewTest, InsertedRowsFadeInAndTheOthersMakeWay) {
    Rows rows(3);
    show(rows);
    table->selectRowAtIndexPath({0, 1}, false, ui::TableViewScrollPosition::None);
    auto oldRow1 = table->cellForRowAtIndexPath({0, 1});
    rows.sections[0].insert(rows.sections[0].begin() + 1, "new");
    table->insertRowsAtIndexPaths({{0, 1}}, ui::TableViewRowAnimation::Fade);

    auto inserted = table->cellForRowAtIndexPath({0, 1});
    ASSERT_TRUE(inserted);
    EXPECT_EQ(inserted->textLabel()->text(), "new");
    EXPECT_EQ(table->cellForRowAtIndexPath({0, 2}), oldRow1) << "the moved row lost its cell";
    EXPECT_EQ(table->indexPathForSelectedRow(), (IndexPath{0, 2}))
        << "the selection stayed with the place, not the row";
    EXPECT_DOUBLE_EQ(inserted->layer().presentation().opacity, 0.0);
    EXPECT_DOUBLE_EQ(oldRow1->layer().presentation().position.y, 44 + 22) << "slid before the animation ran";
    run(0.15);
    EXPECT_GT(oldRow1->layer().presentation().position.y, 66.0);
    EXPECT_LT(oldRow1->layer().presentation().position.y, 110.0);
    run(0.2);
    EXPECT_DOUBLE_EQ(inserted->layer().presentation().opacity, 1.0);
    EXPECT_EQ(oldRow1->frame(), Rect(0, 88, 320, 44));
    EXPECT_EQ(visibleTexts(), (std::vector<std::string>{"Row 0", "new", "Row 1", "Row 2"}));
}

TEST_F(TableViewTest, DeletedRowsFadeOutBeforeTheirCellsAreReused) {
    Rows rows(4);
    show(rows);
    auto doomed = table->cellForRowAtIndexPath({0, 1});
    rows.sections[0].erase(rows.sections[0].begin() + 1);
    table->deleteRowsAtIndexPaths({{0, 1}}, ui::TableViewRowAnimation::Automatic);
    EXPECT_EQ(table->numberOfRowsInSection(0), 3u);
    EXPECT_EQ(visibleTexts(), (std::vector<std::string>{"Row 0", "Row 2", "Row 3"}));
    EXPECT_EQ(doomed->superview(), table.get()) << "the deleted row vanished without its fade";
    run(0.35);
    EXPECT_EQ(doomed->superview(), nullptr);
    EXPECT_EQ(table->dequeueReusableCellWithIdentifier("Cell"), doomed);
    EXPECT_DOUBLE_EQ(doomed->alpha(), 1.0) << "a reused cell came back invisible";
}

TEST_F(TableViewTest, BatchedChangesUseOldPathsForDeletesAndNewOnesForInserts) {
    Rows rows(5);
    show(rows);
    rows.sections[0] = {"Row 0", "Row 2", "A", "Row 3", "B"};
    table->beginUpdates();
    table->deleteRowsAtIndexPaths({{0, 1}, {0, 4}}, ui::TableViewRowAnimation::None);
    table->insertRowsAtIndexPaths({{0, 2}, {0, 4}}, ui::TableViewRowAnimation::None);
    EXPECT_EQ(table->numberOfRowsInSection(0), 5u) << "changes applied before endUpdates";
    table->endUpdates();
    EXPECT_EQ(visibleTexts(), (std::vector<std::string>{"Row 0", "Row 2", "A", "Row 3", "B"}));
    for (const auto& path : table->indexPathsForVisibleRows())
        EXPECT_EQ(table->cellForRowAtIndexPath(path)->frame(), table->rectForRowAtIndexPath(path));
}

TEST_F(TableViewTest, ReloadingAndMovingSingleRows) {
    Rows rows(3);
    show(rows);
    auto row0 = table->cellForRowAtIndexPath({0, 0});
    rows.sections[0][1] = "changed";
    table->reloadRowsAtIndexPaths({{0, 1}}, ui::TableViewRowAnimation::None);
    EXPECT_EQ(visibleTexts(), (std::vector<std::string>{"Row 0", "changed", "Row 2"}));

    rows.sections[0] = {"changed", "Row 2", "Row 0"};
    table->moveRowAtIndexPath({0, 0}, {0, 2});
    run(0.35);
    EXPECT_EQ(table->cellForRowAtIndexPath({0, 2}), row0);
    EXPECT_EQ(visibleTexts(), (std::vector<std::string>{"changed", "Row 2", "Row 0"}));
}

TEST_F(TableViewTest, DeletingTheLastRowsBringsTheEndBackIntoSight) {
    Rows rows(100);
    show(rows);
    table->scrollToRowAtIndexPath({0, 99}, ui::TableViewScrollPosition::Bottom, false);
    EXPECT_DOUBLE_EQ(table->contentOffset().y, 4400.0 - 480.0);
    std::vector<IndexPath> doomed;
    for (size_t row = 80; row < 100; ++row) doomed.push_back({0, row});
    rows.sections[0].resize(80);
    table->deleteRowsAtIndexPaths(doomed, ui::TableViewRowAnimation::None);
    EXPECT_DOUBLE_EQ(table->contentOffset().y, 80 * 44.0 - 480.0) << "the table shows empty space past its end";
    ASSERT_FALSE(table->visibleCells().empty());
    EXPECT_EQ(table->indexPathsForVisibleRows().back(), (IndexPath{0, 79}));
}

TEST_F(TableViewTest, ChangesThatDisagreeWithTheDataSourceAreRefused) {
    Rows rows(3);
    show(rows);
    rows.sections[0].push_back("extra");
    rows.sections[0].push_back("another");
    EXPECT_THROW(table->insertRowsAtIndexPaths({{0, 3}}, ui::TableViewRowAnimation::Fade), std::logic_error);
    EXPECT_EQ(table->numberOfRowsInSection(0), 5u) << "the table kept stale data after the refusal";
    EXPECT_THROW(table->deleteRowsAtIndexPaths({{0, 9}}, ui::TableViewRowAnimation::Fade), std::logic_error);
}

TEST_F(TableViewTest, TheSectionIndexJumpsToSectionsWithoutScrollingOrSelecting) {
    class Lettered : public Rows {
    public:
        using Rows::Rows;
        std::vector<std::string> sectionIndexTitlesForTableView(ui::TableView&) override {
            return {"A", "B", "C", "D", "E"};
        }
        std::vector<size_t> titlesAsked;
        size_t sectionForSectionIndexTitle(ui::TableView&, const std::string&, size_t atIndex) override {
            titlesAsked.push_back(atIndex);
            return atIndex;
        }
    } rows(20);
    for (int s = 1; s < 5; ++s) rows.sections.push_back(rows.sections[0]);
    show(rows);
    EXPECT_EQ(table->sectionIndexTitles().size(), 5u);
    // Five 14-point titles centred in 480 points: "C" lies between 233 and 247.
    fingers.tap({312, 240});
    EXPECT_DOUBLE_EQ(table->contentOffset().y, table->rectForSection(2).minY());
    EXPECT_TRUE(table->indexPathsForSelectedRows().empty());

    fingers.drag({{312, 212}, {312, 268}}, 0.3);
    EXPECT_EQ(rows.titlesAsked.back(), 4u);
    EXPECT_DOUBLE_EQ(table->contentOffset().y, table->rectForSection(4).minY());
    EXPECT_FALSE(table->isDecelerating()) << "the slide over the index scrolled the table";
    EXPECT_TRUE(rows.log.empty());
}

// ---- selection ---------------------------------------------------------------------------

TEST_F(TableViewTest, TapsSelectRowsAndTellTheDelegate) {
    Rows rows(5);
    show(rows);
    fingers.tap(rowPoint(1));
    EXPECT_EQ(table->indexPathForSelectedRow(), (IndexPath{0, 1}));
    EXPECT_TRUE(table->cellForRowAtIndexPath({0, 1})->isSelected());
    fingers.tap(rowPoint(3));
    EXPECT_FALSE(table->cellForRowAtIndexPath({0, 1})->isSelected());
    EXPECT_EQ(rows.log, (std::vector<std::string>{"willSelect Row 1", "didSelect Row 1", "willSelect Row 3",
                                                  "didDeselect Row 1", "didSelect Row 3"}));

    rows.log.clear();
    rows.redirect = IndexPath{0, 0};
    fingers.tap(rowPoint(4));
    EXPECT_EQ(table->indexPathsForSelectedRows(), (std::vector<IndexPath>{{0, 0}}));
    rows.redirect.reset();
    rows.refuseSelection = true;
    fingers.tap(rowPoint(2));
    EXPECT_EQ(table->indexPathsForSelectedRows(), (std::vector<IndexPath>{{0, 0}}));
    EXPECT_EQ(rows.log.back(), "willSelect Row 2");
}

TEST_F(TableViewTest, MultipleSelectionTogglesRows) {
    Rows rows(5);
    show(rows);
    table->setAllowsMultipleSelection(true);
    fingers.tap(rowPoint(0));
    fingers.tap(rowPoint(2));
    EXPECT_EQ(table->indexPathsForSelectedRows(), (std::vector<IndexPath>{{0, 0}, {0, 2}}));
    fingers.tap(rowPoint(0));
    EXPECT_EQ(table->indexPathsForSelectedRows(), (std::vector<IndexPath>{{0, 2}}));
    EXPECT_EQ(rows.log.back(), "didDeselect Row 0");
}

TEST_F(TableViewTest, DraggingOrStoppingAGlideSelectsNothing) {
    Rows rows(100);
    show(rows);
    auto touch = fingers.touchDown(rowPoint(5));
    EXPECT_TRUE(table->cellForRowAtIndexPath({0, 5})->isHighlighted());
    for (int i = 1; i <= 5; ++i) {
        fingers.wait(1.0 / 60.0);
        fingers.moveTo(touch, {160, rowPoint(5).y - 10.0 * i});
    }
    EXPECT_FALSE(table->cellForRowAtIndexPath({0, 5})->isHighlighted()) << "the drag left the row highlighted";
    fingers.touchUp(touch);
    EXPECT_TRUE(table->indexPathsForSelectedRows().empty());

    fingers.drag({{160, 400}, {160, 100}}, 0.1);
    run(0.1);
    ASSERT_TRUE(table->isDecelerating());
    fingers.tap({160, 200});
    EXPECT_TRUE(table->indexPathsForSelectedRows().empty()) << "the tap that stopped the glide selected a row";
    EXPECT_TRUE(rows.log.empty());
    fingers.tap({160, 200});
    EXPECT_EQ(table->indexPathsForSelectedRows().size(), 1u) << "the next tap on still rows selected nothing";
}

// ---- editing -----------------------------------------------------------------------------

TEST_F(TableViewTest, EditingModeDeletesThroughTheControlAndItsConfirmation) {
    Rows rows(4);
    rows.editable = true;
    show(rows);
    table->setEditing(true, false);
    window->layoutIfNeeded();
    auto cell = table->cellForRowAtIndexPath({0, 2});
    EXPECT_TRUE(cell->isEditing());
    EXPECT_EQ(cell->contentView().frame().origin.x, ui::TableViewCell::kEditingControlWidth) << "content not indented";

    fingers.tap(rowPoint(2, 19));
    EXPECT_EQ(table->indexPathForDeleteConfirmation(), (IndexPath{0, 2}));
    EXPECT_TRUE(rows.log.empty()) << "the control deleted without confirmation";
    fingers.tap(rowPoint(2, 300));
    EXPECT_EQ(rows.log, (std::vector<std::string>{"commit delete Row 2"}));
    EXPECT_EQ(table->numberOfRowsInSection(0), 3u);
    EXPECT_FALSE(table->indexPathForDeleteConfirmation());

    table->setEditing(false, false);
    EXPECT_FALSE(table->cellForRowAtIndexPath({0, 0})->isEditing());
}

TEST_F(TableViewTest, AnimatedEditingSlidesTheContentAside) {
    Rows rows(3);
    rows.editable = true;
    show(rows);
    auto cell = table->cellForRowAtIndexPath({0, 0});
    auto contentLeft = [&] {
        const ui::LayerState state = cell->contentView().layer().presentation();
        return state.position.x - state.anchorPoint.x * state.bounds.size.width;
    };
    table->setEditing(true, true);
    EXPECT_DOUBLE_EQ(cell->contentView().frame().minX(), ui::TableViewCell::kEditingControlWidth);
    run(0.15);
    EXPECT_GT(contentLeft(), 0.0);
    EXPECT_LT(contentLeft(), ui::TableViewCell::kEditingControlWidth);
    run(0.2);
    EXPECT_DOUBLE_EQ(contentLeft(), ui::TableViewCell::kEditingControlWidth);
}

TEST_F(TableViewTest, SwipeLeftOffersDeleteAndATapElsewhereTakesItBack) {
    Rows rows(4);
    rows.editable = true;
    show(rows);
    fingers.drag({rowPoint(1, 280), rowPoint(1, 120)}, 0.1);
    ASSERT_EQ(table->indexPathForDeleteConfirmation(), (IndexPath{0, 1}));
    EXPECT_TRUE(table->cellForRowAtIndexPath({0, 1})->showingDeleteConfirmation());
    EXPECT_TRUE(table->indexPathsForSelectedRows().empty());
    EXPECT_EQ(table->contentOffset(), (Point{0, 0})) << "the sideways swipe scrolled the table";

    fingers.tap(rowPoint(3));
    EXPECT_FALSE(table->indexPathForDeleteConfirmation());
    EXPECT_TRUE(table->indexPathsForSelectedRows().empty()) << "the tap that closed the button also selected";

    fingers.drag({rowPoint(3, 280), rowPoint(3, 120)}, 0.1);
    run(0.35);
    fingers.tap(rowPoint(3, 310));
    EXPECT_EQ(rows.log, (std::vector<std::string>{"commit delete Row 3"}));
    EXPECT_EQ(table->numberOfRowsInSection(0), 3u);
}

TEST_F(TableViewTest, RowsThatCannotBeEditedIgnoreSwipes) {
    Rows rows(4);
    show(rows);
    fingers.drag({rowPoint(1, 280), rowPoint(1, 120)}, 0.1);
    EXPECT_FALSE(table->indexPathForDeleteConfirmation());
    EXPECT_FALSE(table->cellForRowAtIndexPath({0, 1})->isEditing());
}

TEST_F(TableViewTest, DraggingARowByItsReorderControlMovesIt) {
    class Layers : public Rows {
    public:
        using Rows::Rows;
        ui::TableViewCellEditingStyle editingStyleForRowAtIndexPath(ui::TableView&, const IndexPath&) override {
            return ui::TableViewCellEditingStyle::None;
        }
        bool shouldIndentWhileEditingRowAtIndexPath(ui::TableView&, const IndexPath&) override { return false; }
    } rows(5);
    rows.editable = rows.movable = true;
    show(rows);
    table->setEditing(true, false);
    window->layoutIfNeeded();
    auto dragged = table->cellForRowAtIndexPath({0, 0});
    EXPECT_EQ(dragged->contentView().frame().origin.x, 0.0) << "indented although the delegate said no";

    Point start = rowPoint(0, 300);
    fingers.drag({start, {300, start.y + 3 * 44}}, 0.5);
    run(0.3);
    EXPECT_EQ(rows.log, (std::vector<std::string>{"move [0, 0] to [0, 3]"}));
    EXPECT_EQ(rows.sections[0], (std::vector<std::string>{"Row 1", "Row 2", "Row 3", "Row 0", "Row 4"}));
    EXPECT_EQ(visibleTexts(), rows.sections[0]);
    EXPECT_EQ(dragged->frame(), table->rectForRowAtIndexPath({0, 3}));
    EXPECT_EQ(table->contentOffset(), (Point{0, 0})) << "the row drag also scrolled the table";
}

// ---- cells -----------------------------------------------------------------------------

TEST(TableViewCellTest, StylesPlaceImageLabelsAndAccessory) {
    graphics::ensureGuiApplication();
    auto cell = std::make_shared<ui::TableViewCell>(ui::TableViewCellStyle::Subtitle, "c");
    cell->setFrame(Rect(0, 0, 320, 60));
    cell->imageView()->setImage(graphics::Image::filled(40, 40, graphics::RGBA{255, 0, 0, 255}));
    cell->textLabel()->setText("Title");
    cell->detailTextLabel()->setText("Detail");
    cell->setAccessoryType(ui::TableViewCellAccessoryType::DisclosureIndicator);
    cell->layoutIfNeeded();
    EXPECT_EQ(cell->imageView()->frame(), Rect(15, 10, 40, 40));
    Rect title = cell->textLabel()->frame(), detail = cell->detailTextLabel()->frame();
    EXPECT_DOUBLE_EQ(title.minX(), 70.0) << "the text does not start after the image";
    EXPECT_DOUBLE_EQ(detail.minY(), title.maxY()) << "the subtitle is not under the title";
    EXPECT_NEAR(title.minY() + detail.maxY(), 60.0, 1.0) << "the two lines are not centred together";
    EXPECT_LE(cell->contentView().frame().maxX(), 320.0 - 30) << "the content runs under the disclosure indicator";

    auto value = std::make_shared<ui::TableViewCell>(ui::TableViewCellStyle::Value1, "v");
    value->setFrame(Rect(0, 0, 320, 44));
    value->textLabel()->setText("Speed");
    value->detailTextLabel()->setText("5 fps");
    value->layoutIfNeeded();
    EXPECT_DOUBLE_EQ(value->detailTextLabel()->frame().maxX(), 320.0 - 15) << "the value is not flush right";
    EXPECT_LT(value->textLabel()->frame().maxX(), value->detailTextLabel()->frame().minX());
    EXPECT_EQ(value->imageView()->frame().size, (Size{0, 0})) << "an empty image view takes room";

    auto plain = std::make_shared<ui::TableViewCell>();
    EXPECT_EQ(plain->detailTextLabel(), nullptr) << "the default style has no detail label";
}

// ---- picture ---------------------------------------------------------------------------

TEST_F(TableViewTest, EditingTableRendersItsControls) {
    class Titled : public Rows {
    public:
        using Rows::Rows;
        std::optional<std::string> titleForHeaderInSection(ui::TableView&, size_t s) override {
            return s == 0 ? "Layers" : "Hidden";
        }
    } rows(4);
    rows.sections.push_back({"Row A", "Row B"});
    rows.editable = rows.movable = true;
    show(rows);
    table->setEditing(true, false);
    fingers.tap(rowPoint(1, 19));
    run(0.35);
    graphics::Image image = window->renderImage();
    controltest::savePicture(image, "table-editing.png");

    auto pixel = [&](Point p) { return image.pixelAt(int(p.x), int(p.y)); };
    auto control = pixel(rowPoint(0, 19 - 8));
    EXPECT_EQ(int(control.r), 255) << "no red delete control";
    EXPECT_LT(int(control.g), 100);
    auto confirm = pixel(rowPoint(1, 318));
    EXPECT_EQ(int(confirm.r), 255) << "no delete button on the second row";
    EXPECT_LT(int(confirm.b), 100);
    auto header = pixel(table->convertPointToView(Point{300, table->rectForHeaderInSection(1).midY()}, nullptr));
    EXPECT_NEAR(int(header.r), 247, 2) << "the plain header strip is missing";
}

TEST_F(TableViewTest, GroupedTableRendersToAPicture) {
    class Settings : public ui::TableViewDataSource, public ui::TableViewDelegate {
    public:
        size_t numberOfSectionsInTableView(ui::TableView&) override { return 2; }
        size_t numberOfRowsInSection(ui::TableView&, size_t s) override { return s == 0 ? 3 : 2; }
        std::optional<std::string> titleForHeaderInSection(ui::TableView&, size_t s) override {
            return s == 0 ? "Movie" : "Sharing";
        }
        std::optional<std::string> titleForFooterInSection(ui::TableView&, size_t s) override {
            if (s == 1) return "Uploads continue in the background.";
            return std::nullopt;
        }
        ui::TableViewCellPtr cellForRowAtIndexPath(ui::TableView&, const IndexPath& p) override {
            static const char* titles[2][3] = {{"Theme", "Speed", "Loop"}, {"Dropbox", "YouTube", ""}};
            auto style = p.section == 0 ? ui::TableViewCellStyle::Value1 : ui::TableViewCellStyle::Subtitle;
            auto cell = std::make_shared<ui::TableViewCell>(style, "");
            cell->textLabel()->setText(titles[p.section][p.row]);
            if (p.section == 0) {
                cell->detailTextLabel()->setText(p.row == 1 ? "5 fps" : "Classic");
                cell->setAccessoryType(ui::TableViewCellAccessoryType::DisclosureIndicator);
            } else {
                cell->detailTextLabel()->setText("Not signed in");
                if (p.row == 0) cell->setAccessoryType(ui::TableViewCellAccessoryType::Checkmark);
            }
            return cell;
        }
    } settings;
    show(settings, ui::TableViewStyle::Grouped);
    table->selectRowAtIndexPath({0, 1}, false, ui::TableViewScrollPosition::None);

    graphics::Image image = window->renderImage();
    controltest::savePicture(image, "table-grouped.png");

    auto grey = [&](Point p) { return int(image.pixelAt(int(p.x), int(p.y)).r); };
    Rect selected = table->rectForRowAtIndexPath({0, 1});
    Rect plain = table->rectForRowAtIndexPath({0, 0});
    EXPECT_NEAR(grey({300, selected.midY() - 15}), 217, 2) << "the selected row is not grey";
    EXPECT_EQ(grey({300, plain.midY() - 15}), 255) << "an unselected row is not white";
    EXPECT_NEAR(grey({5, table->rectForHeaderInSection(0).minY() + 2}), 239, 2) << "the grouped background is missing";
    EXPECT_LT(grey({40, plain.maxY() - 1}), 230) << "no separator under the row";
    EXPECT_EQ(grey({5, plain.maxY() - 1}), 255) << "the separator is not inset";
}

}  // namespace
