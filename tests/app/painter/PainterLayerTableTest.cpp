#include "FakeCanvas.h"
#include "PainterScreenFixture.h"
#include "app/core/ProjectModel.h"
#include "app/painter/PaintToolViewController.h"
#include "app/painter/PainterLayerManager.h"
#include "app/painter/PainterLayerTableViewController.h"
#include "app/painter/StrokeCanvasView.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/Slider.h"
#include "platform/ui/controls/Switch.h"
#include "platform/ui/lists/TableViewCell.h"
#include "support/TempAppFolders.h"
#include "support/WindowFixture.h"

#include <gtest/gtest.h>

namespace {

class PainterLayerTableTest : public testsupport::WindowFixture {
protected:
    void SetUp() override {
        canvas = std::make_shared<FakeCanvas>();
        container = std::make_shared<ui::View>(graphics::Rect{0, 0, 64, 36});
        container->addSubview(canvas);
        manager.setPaintingCanvas(canvas);
        manager.setViewCanvas(container.get());
        table->setLayerManager(&manager);
        navigation = std::make_shared<ui::NavigationController>(table);
        window->setRootViewController(navigation);
        table->viewWillAppear(false);
    }
    void TearDown() override {
        window->setRootViewController(nullptr);
        testsupport::WindowFixture::TearDown();
    }
    static void press(ui::BarButtonItem* item) { item->action()(*item); }
    size_t rows() { return table->numberOfRowsInSection(table->tableView(), 0); }
    std::optional<size_t> selectedRow() {
        auto selected = table->tableView().indexPathForSelectedRow();
        return selected ? std::optional<size_t>(selected->row) : std::nullopt;
    }

    testsupport::TempAppFolders folders;
    std::shared_ptr<FakeCanvas> canvas;
    std::shared_ptr<ui::View> container;
    PainterLayerManager manager{ProjectModel::create()};
    std::shared_ptr<PainterLayerTableViewController> table = std::make_shared<PainterLayerTableViewController>();
    std::shared_ptr<ui::NavigationController> navigation;
};

TEST_F(PainterLayerTableTest, BarButtonsSliderAndSwitchesWorkOnTheSelectedLayer) {
    EXPECT_EQ(table->preferredContentSize, (graphics::Size{320, 500}));
    EXPECT_EQ(rows(), 1u);
    EXPECT_EQ(selectedRow(), 0u);
    EXPECT_FALSE(table->deleteBtn()->isEnabled()) << "the only layer stays";

    canvas->strokes = FakeCanvas::bytes("a");
    press(table->addBtn());
    advance(0.5);
    ASSERT_EQ(rows(), 2u);
    EXPECT_EQ(manager.layers()[0]->name, "Draw Layer 1");
    EXPECT_EQ(selectedRow(), 0u) << "the new layer is selected";
    EXPECT_TRUE(table->deleteBtn()->isEnabled());
    EXPECT_TRUE(table->exportBtn()->isEnabled() && table->duplicateBtn()->isEnabled() &&
                table->importBtn()->isEnabled());

    // The slider sets the selected layer's opacity; the row's switch, beside its name, hides it.
    table->tableView().selectRowAtIndexPath(ui::IndexPath::indexPathForRow(1, 0), false,
                                            ui::TableViewScrollPosition::None);
    table->updateButtonStates(1);
    table->sliderOpacity()->setValue(0.25);
    table->sliderOpacity()->sendActionsForControlEvents(ui::ControlEventValueChanged);
    EXPECT_FLOAT_EQ(manager.layers()[1]->obacity, 0.25f);
    ui::prepareForRendering(*window, 1.0);
    auto cell = std::dynamic_pointer_cast<PainterLayerTableCell>(
        table->tableView().cellForRowAtIndexPath(ui::IndexPath::indexPathForRow(1, 0)));
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->textLabel()->text(), "Layer");
    EXPECT_LE(inWindow(cell->textLabel()).maxX(), inWindow(cell->layerEnabled()).minX());
    tap(cell->layerEnabled());
    advance(1);
    EXPECT_FALSE(manager.layers()[1]->isEnabled);

    // Closing the list makes the selected layer active.
    WEPopoverController popover;
    EXPECT_TRUE(table->popoverControllerShouldDismissPopover(popover));
    table->popoverControllerDidDismissPopover(popover);
    EXPECT_EQ(manager.getActiveLayerIndex(), 1u);
    EXPECT_EQ(canvas->strokes, FakeCanvas::bytes("a"));

    press(table->deleteBtn());
    EXPECT_EQ(rows(), 1u);
    EXPECT_EQ(manager.layers()[0]->name, "Draw Layer 1");
    EXPECT_FALSE(table->deleteBtn()->isEnabled());
}

class PainterLayerListTest : public PainterScreenFixture {};

// The list opened from the painter's button, no row touched, acts on the
// active layer: the slider drawn under it sets that layer's opacity, and "+"
// adds a layer in front of it.
TEST_F(PainterLayerListTest, OpenedFromThePainterItActsOnTheActiveLayerAtOnce) {
    addFrames(1);
    ASSERT_TRUE(open(0, false));
    advance(1);  // its stored layers are back
    PainterLayerManager& layers = *painter->layerManager();
    ASSERT_TRUE(layers.addLayerAtIndex(0));
    layers.setActiveLayerAtIndex(1);
    const PainterLayerPtr layer = layers.layers().at(1);
    tap(painter->toolPalette()->btnLayer());
    advance(1);
    ui::prepareForRendering(*window, 1.0);  // laid out as drawn
    ui::Slider& slider = *painter->layerTable()->sliderOpacity();
    const graphics::Rect track = slider.trackRectForBounds(slider.bounds());
    const graphics::Rect thumb = slider.thumbRectForBounds(slider.bounds(), track, slider.value());
    const graphics::Point from = inWindow(slider, {thumb.midX(), thumb.midY()});
    fingers.drag({from, {from.x - track.size.width * 0.6, from.y}}, 0.3);
    advance(0.5);
    for (const PainterLayerPtr& each : layers.layers()) EXPECT_EQ(each->obacity < 0.5f, each == layer);
    tap(painter->layerTable()->addBtn()->view());
    advance(1);
    ASSERT_EQ(layers.layers().size(), 3u);
    EXPECT_EQ(layers.layers().at(2), layer) << "the new layer stands in front of it";
}

// Opened, closed (by Escape, then by a tap outside) and opened again, the
// list draws every row at its own width with the switch and the reorder
// handle inside it; a tap on a switch where it is drawn hides that layer.
TEST_F(PainterLayerListTest, EveryOpeningShowsTheSwitchesAndHandlesInsideTheList) {
    addFrames(1);
    ASSERT_TRUE(open(0, false));
    advance(1);
    PainterLayerManager& layers = *painter->layerManager();
    ASSERT_TRUE(layers.addLayerAtIndex(0));
    layers.setActiveLayerAtIndex(1);
    ui::TableView& table = painter->layerTable()->tableView();
    for (int opening = 0; opening < 6; ++opening) {
        SCOPED_TRACE("opening " + std::to_string(opening + 1));
        tap(painter->toolPalette()->btnLayer());
        advance(1);
        ui::prepareForRendering(*window, 1.0);
        ASSERT_NE(table.window(), nullptr) << "the list is not on screen";
        const graphics::Rect list = inWindow(&table);
        EXPECT_EQ(list.size.width, 320);
        const auto selected = table.indexPathForSelectedRow();
        EXPECT_EQ(selected ? std::optional(selected->row) : std::nullopt, layers.getActiveLayerIndex());
        const auto rowAt = [&](size_t row) {
            return std::dynamic_pointer_cast<PainterLayerTableCell>(
                table.cellForRowAtIndexPath(ui::IndexPath::indexPathForRow(row, 0)));
        };
        ASSERT_EQ(table.visibleCells().size(), 2u);
        for (size_t row : {0, 1}) {
            EXPECT_EQ(inWindow(rowAt(row).get()).size.width, list.size.width);
            EXPECT_TRUE(list.contains(inWindow(rowAt(row)->layerEnabled()))) << "the switch is outside the list";
        }
        // The second row's switch, tapped where it is drawn, flips its layer
        // and its picture there (left of its middle: the track when on, the
        // knob when off).
        const bool shown = layers.layers()[1]->isEnabled;
        const graphics::Rect drawn = inWindow(rowAt(1)->layerEnabled());
        const auto pixel = [&] { return ui::renderView(*window).pixelAt(int(drawn.minX() + 15), int(drawn.midY())); };
        const graphics::RGBA before = pixel();
        tap(rowAt(1)->layerEnabled());
        advance(1);
        EXPECT_NE(layers.layers()[1]->isEnabled, shown);
        EXPECT_NE(pixel(), before) << "the switch is not drawn there";
        // The first row's handle, at the list's right edge, drags it below the second.
        const std::vector<PainterLayerPtr> order = layers.layers();
        const graphics::Rect first = inWindow(rowAt(0).get());
        const graphics::Point handle{list.maxX() - ui::TableViewCell::kEditingControlWidth / 2, first.midY()};
        fingers.drag({handle, {handle.x, handle.y + first.size.height}}, 0.5);
        advance(1);
        EXPECT_TRUE(layers.layers() == (std::vector<PainterLayerPtr>{order[1], order[0]})) << "the handle did not act";
        if (opening % 2 == 0) {
            EXPECT_TRUE(fingers.press(ui::Key::Escape));
        } else {
            fingers.tap({list.maxX() + 100, list.maxY() - 10});
        }
        advance(1);
        EXPECT_EQ(table.window(), nullptr) << "the list did not close";
    }
}

// A stroke on "Layer" undone, another layer chosen in the list, Redo: the
// chosen layer gains nothing, and the stroke stays undone on "Layer" (its
// redo went with the change of layer), in the painter and in the files.
TEST_F(PainterLayerListTest, RedoAfterAnotherLayerIsChosenPutsNoStrokeOnIt) {
    addFrames(1);
    ASSERT_TRUE(open(0, false));
    advance(1);
    PainterLayerManager& layers = *painter->layerManager();
    ui::TableView& table = painter->layerTable()->tableView();
    const auto closeList = [&] {  // by a tap beside it
        const graphics::Rect list = inWindow(&table);
        fingers.tap({list.maxX() + 100, list.maxY() - 10});
        advance(1);
        ASSERT_EQ(table.window(), nullptr) << "the list did not close";
    };
    const auto choose = [&](size_t row) {
        tap(painter->toolPalette()->btnLayer());
        advance(1);
        ui::prepareForRendering(*window, 1.0);
        tap(table.cellForRowAtIndexPath(ui::IndexPath::indexPathForRow(row, 0)).get());
        advance(1);
        closeList();
        ASSERT_EQ(layers.getActiveLayerIndex(), row);
    };
    tap(painter->toolPalette()->btnLayer());
    advance(1);
    tap(painter->layerTable()->addBtn()->view());
    advance(1);
    closeList();
    ASSERT_EQ(layers.layers().size(), 2u);
    choose(1);
    const PainterLayerPtr drawnOn = layers.currentLayer(), other = layers.layers().at(0);
    ASSERT_EQ(drawnOn->name, "Layer");
    const auto& strokes = static_cast<StrokeCanvasView*>(painter->drawingView())->strokeBuffer();
    drawLine({100, 100}, {400, 300});
    ASSERT_EQ(strokes.size(), 1u);
    tap(painter->toolPalette()->btnUndo());
    ASSERT_TRUE(strokes.empty());
    choose(0);
    tap(painter->toolPalette()->btnRedo());
    EXPECT_TRUE(strokes.empty()) << other->name << " gained a stroke drawn on " << drawnOn->name;
    choose(1);
    EXPECT_TRUE(strokes.empty());
    tap(painter->toolPalette()->btnRedo());
    EXPECT_TRUE(strokes.empty());
    tap(painter->toolPalette()->btnBack());
    ASSERT_EQ(completions, 1);
    for (const PainterLayerPtr& layer : {drawnOn, other}) {
        const auto file = fileData(PainterLayerManager::layerStrokesFileName(frameID(0), layer->UUID));
        EXPECT_TRUE(!file || decodeStrokeBuffer(*file).value().empty()) << layer->name;
    }
}

// Eleven layers in the list opened from the painter, at the tablet's and
// the phone's window: each row draws its layer's whole name, inside the row
// and left of its switch.
using LayerNamesTest = testsupport::AtTabletAndPhone<PainterScreenFixture>;

TEST_P(LayerNamesTest, EveryRowDrawsItsLayersWholeName) {
    addFrames(1);
    ASSERT_TRUE(open(0, false));
    advance(1);
    PainterLayerManager& layers = *painter->layerManager();
    while (layers.layers().size() < 11) ASSERT_TRUE(layers.addLayerAtIndex(0));
    tap(painter->toolPalette()->btnLayer());
    advance(1);
    savePicture(std::string("painter-layer-names-") + (GetParam() ? "phone" : "tablet") + ".png");
    ui::TableView& table = painter->layerTable()->tableView();
    for (size_t row = 0; row < layers.layers().size(); ++row) {
        const ui::IndexPath path = ui::IndexPath::indexPathForRow(row, 0);
        table.scrollToRowAtIndexPath(path, ui::TableViewScrollPosition::Middle, false);
        ui::prepareForRendering(*window, 1.0);
        auto cell = std::dynamic_pointer_cast<PainterLayerTableCell>(table.cellForRowAtIndexPath(path));
        ASSERT_NE(cell, nullptr);
        std::string name;
        for (const std::string& line : cell->textLabel()->drawnLines().lines) name += (name.empty() ? "" : " ") + line;
        graphics::Rect room = inWindow(cell.get());  // left of the switch
        room.size.width = inWindow(cell->layerEnabled()).minX() - room.minX();
        drawnSideBySide({cell->textLabel()}, room);
        EXPECT_EQ(name, layers.layers()[row]->name);
    }
}

INSTANTIATE_TEST_SUITE_P(TabletAndPhone, LayerNamesTest, ::testing::Bool(), testsupport::tabletOrPhone);

}  // namespace
