#include "app/widgets/grid/KWGridCollectionViewController.h"
#include "app/widgets/grid/KWGridItem.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/ui/Window.h"
#include "support/Process.h"
#include "support/TouchDriver.h"
#include "support/VirtualClock.h"

#include <algorithm>
#include <array>
#include <gtest/gtest.h>
#include <vector>

namespace {

using graphics::Point;
using graphics::Rect;
using GridItem = KWGridCollectionViewController::GridItem;

// A grid of coloured items, as a screen built on the base makes one.
class ColourGrid : public KWGridCollectionViewController {
public:
    explicit ColourGrid(size_t count) {
        for (size_t i = 0; i < count; ++i) {
            auto item = std::make_shared<KWGridItem>();
            auto shade = static_cast<uint8_t>(40 + (i * 37) % 200);
            item->thumbImage = graphics::Image::filled(64, 48, {shade, 120, static_cast<uint8_t>(255 - shade), 255});
            items.push_back(item);
        }
    }
    std::vector<GridItem> getGridItems() override { return {items.begin(), items.end()}; }
    void prepareCell(KWGridCollectionViewCell& cell, const ui::IndexPath& indexPath) override {
        cell.imageViewThumbnail().setImage(items[indexPath.row]->thumbImage);
    }
    std::vector<std::shared_ptr<KWGridItem>> items;
};

class GridCollectionTest : public ::testing::Test {
protected:
    void SetUp() override { graphics::ensureGuiApplication(); }

    // Shows the grid filling a window of that size.
    void show(const std::shared_ptr<KWGridCollectionViewController>& shown, graphics::Size size) {
        grid = shown;
        window = std::make_shared<ui::Window>(Rect(Point{}, size));
        window->setRootViewController(grid);
        window->makeKeyAndVisible();
        grid->view()->setFrame(Rect(Point{}, size));
        grid->view()->layoutIfNeeded();
    }
    Rect cellFrame(size_t row) const {
        return grid->collectionView()
            .layoutAttributesForItemAtIndexPath(ui::IndexPath::indexPathForItem(row, 0))
            ->frame;
    }
    std::vector<size_t> selectedRows() const {
        std::vector<size_t> rows;
        for (auto& path : grid->collectionView().indexPathsForSelectedItems()) rows.push_back(path.row);
        return rows;
    }

    testsupport::VirtualClockScope clock;
    std::shared_ptr<KWGridCollectionViewController> grid;
    std::shared_ptr<ui::Window> window;
};

}  // namespace

TEST_F(GridCollectionTest, SquareCellsInAlignedRows) {
    show(std::make_shared<ColourGrid>(3), {320, 480});
    EXPECT_EQ(cellFrame(0).size, (graphics::Size{100, 100}));  // 48 raised to 100

    auto colours = std::make_shared<ColourGrid>(20);
    show(colours, {1024, 768});
    EXPECT_EQ(cellFrame(0).size, (graphics::Size{1024.0f * 0.15f, 1024.0f * 0.15f}));
    EXPECT_FLOAT_EQ(cellFrame(0).width(), 153.6f);
    // Six fit across 1024 points, the seventh starts the next row.
    EXPECT_EQ(cellFrame(5).minY(), cellFrame(0).minY());
    EXPECT_LE(cellFrame(5).maxX(), 1024);
    EXPECT_DOUBLE_EQ(cellFrame(6).minX(), cellFrame(0).minX());
    EXPECT_GT(cellFrame(6).minY(), cellFrame(0).maxY());
    // The short last row keeps the columns above.
    EXPECT_DOUBLE_EQ(cellFrame(19).minX(), cellFrame(1).minX());
    // Every cell is a thumbnail cell dressed for its own item.
    for (auto& cell : grid->collectionView().visibleCells()) {
        auto* gridCell = dynamic_cast<KWGridCollectionViewCell*>(cell.get());
        ASSERT_NE(gridCell, nullptr);
        size_t row = grid->collectionView().indexPathForCell(cell.get())->row;
        EXPECT_EQ(gridCell->imageViewThumbnail().image().pixelAt(0, 0), colours->items[row]->thumbImage.pixelAt(0, 0));
    }

    show(std::make_shared<KWGridCollectionViewController>(), {1024, 768});
    EXPECT_EQ(grid->collectionView().numberOfItemsInSection(0), 0u);
}

TEST_F(GridCollectionTest, ATapHandsTheTappedItemToTheHandler) {
    auto colours = std::make_shared<ColourGrid>(10);
    show(colours, {1024, 768});
    testsupport::TouchDriver fingers(*window);
    auto tapCell = [&](size_t row) {
        Rect frame = cellFrame(row);
        fingers.tap(grid->collectionView().convertPointToView({frame.midX(), frame.midY()}, nullptr));
        fingers.wait(1);
    };
    // Without a handler a tap only selects.
    tapCell(2);
    EXPECT_EQ(selectedRows(), (std::vector<size_t>{2}));

    std::vector<GridItem> chosen;
    grid->setSelectionHandler([&](const GridItem& item) { chosen.push_back(item); });
    tapCell(7);
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0].get(), colours->items[7].get());
}

TEST_F(GridCollectionTest, SelectingAnItemSelectsAndCentresItsCell) {
    auto colours = std::make_shared<ColourGrid>(60);
    show(colours, {1024, 768});
    ui::CollectionView& view = grid->collectionView();

    // An equal copy is not the listed item: nothing happens.
    auto stranger = std::make_shared<KWGridItem>(*colours->items[40]);
    grid->setSelectedItem(stranger);
    grid->scrollToItem(stranger);
    EXPECT_TRUE(selectedRows().empty());
    EXPECT_EQ(view.contentOffset().y, 0);

    grid->scrollToItem(colours->items[30]);
    EXPECT_DOUBLE_EQ(view.contentOffset().y + 384, cellFrame(30).midY());
    EXPECT_TRUE(selectedRows().empty());

    grid->setSelectedItem(colours->items[42]);
    EXPECT_EQ(selectedRows(), (std::vector<size_t>{42}));
    EXPECT_DOUBLE_EQ(view.contentOffset().y + 384, cellFrame(42).midY());
    EXPECT_TRUE(view.cellForItemAtIndexPath(ui::IndexPath::indexPathForItem(42, 0))->isSelected());

    // The picture: thumbnails in their cells, a frame around the selected one.
    graphics::Image image = window->renderImage();
    auto pixel = [&](double x, double y) {
        Point p = view.convertPointToView({x, y}, nullptr);
        return image.pixelAt(static_cast<int>(p.x), static_cast<int>(p.y));
    };
    EXPECT_EQ(pixel(cellFrame(41).midX(), cellFrame(41).midY()), colours->items[41]->thumbImage.pixelAt(0, 0));
    // The frame is white inside a dark edge: not the grid's tint, which is
    // the keyboard's focus ring.
    graphics::RGBA frame = pixel(cellFrame(42).midX(), cellFrame(42).minY() + 2);
    EXPECT_GT(std::min({frame.r, frame.g, frame.b}), 240);
    graphics::RGBA edge = pixel(cellFrame(42).midX(), cellFrame(42).minY());
    EXPECT_LT(edge.r, frame.r - 40);
    auto png = image.pngData();
    ASSERT_TRUE(png.ok());
    std::string path = testsupport::artifactsDirectory() + "/KWGridCollectionViewController.png";
    ASSERT_TRUE(foundation::writeFileAtomically(path, *png).ok());
}
