#include "ControlsTestSupport.h"
#include "app/painter/PainterBrushSet.h"
#include "app/painter/PainterToolLayout.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/lists/TableView.h"

#include <gtest/gtest.h>

namespace {

using paintertest::bytesOf;

TEST(ToolBarArithmetic, SlotsOverTheWidth) {
    struct Case {
        double width;
        int count;
        double slotWidth;
        std::array<int, 8> slotOfButton;
    };
    const std::array<int, 8> eight{0, 1, 2, 3, 4, 5, 6, 7}, ten{0, 2, 3, 4, 5, 6, 8, 9};
    const Case cases[] = {
        {1024, 10, 102.4, ten}, {768, 10, 76.8, ten}, {568, 8, 71, eight},
        {320, 8, 40, eight},    {640, 8, 80, eight},  {648, 10, 64.8, ten},  // just above 80 a slot
    };
    for (const Case& c : cases) {
        const auto bar = painterlayout::toolBarSlots(c.width);
        EXPECT_EQ(bar.slotCount, c.count) << c.width;
        EXPECT_DOUBLE_EQ(bar.slotWidth, c.slotWidth) << c.width;
        EXPECT_EQ(bar.slotOfButton, c.slotOfButton) << c.width;
    }
    const auto wide = painterlayout::toolBarSlots(1024);
    EXPECT_EQ(painterlayout::colorBarFrame(wide, painterlayout::kPen, {0, 84, 50, 6}),
              (graphics::Rect{3 * 102.4 + 5, 84, 92.4, 6}));
}

TEST(ToolBarArithmetic, SliderSteps) {
    const std::pair<double, double> whole[] = {{15.5, 16}, {15.4, 15}, {2.5, 3}, {59.99, 60}, {1.0, 1}};
    for (const auto& [value, expected] : whole) EXPECT_EQ(painterlayout::wholeSliderValue(value), expected) << value;
    const std::pair<double, int64_t> sizes[] = {{15.9, 15}, {16, 16}, {1.2, 1}};
    for (const auto& [value, expected] : sizes) EXPECT_EQ(painterlayout::brushSizeFromSlider(value), expected) << value;
    // The preview disc: half of an odd size is taken as a whole number.
    EXPECT_EQ(painterlayout::sizeDiscRect({90, 90}, 15), (graphics::Rect{38, 38, 15, 15}));
    EXPECT_EQ(painterlayout::sizeDiscRect({90, 90}, 16), (graphics::Rect{37, 37, 16, 16}));
}

TEST(BrushSet, DrawingToolsFollowTheirPaletteSlots) {
    const auto palette = painterbrushes::defaultPaletteColors();
    struct Case {
        const char* what;
        painterbrushes::ColorToolList list;
        graphics::RGBA brush, pen, fountain;
    };
    const Case cases[] = {
        {"first run: brush 0, pen 1, fountain pen 2",
         painterbrushes::kDefaultColorToolList,
         {228, 73, 19, 255},
         {253, 182, 50, 255},
         {40, 127, 136, 255}},
        {"a stored list", {5, 5, 8}, {0, 0, 0, 255}, {0, 0, 0, 255}, {138, 122, 86, 255}},
        {"a slot beyond the palette is black", {12, 1, 2}, {0, 0, 0, 255}, {253, 182, 50, 255}, {40, 127, 136, 255}},
    };
    for (const Case& c : cases) {
        auto brushes = painterbrushes::makeBrushes(palette, c.list, {}, {});
        EXPECT_EQ(bytesOf(brushes.at(kBrushTypeBrush)->color), c.brush) << c.what;
        EXPECT_EQ(bytesOf(brushes.at(kBrushTypePen)->color), c.pen) << c.what;
        EXPECT_EQ(bytesOf(brushes.at(kBrushTypeFountainPen)->color), c.fountain) << c.what;
    }
    auto brushes = painterbrushes::makeBrushes(palette, painterbrushes::kDefaultColorToolList, {}, {});
    const std::pair<int64_t, int64_t> sizes[] = {{kBrushTypeBrush, 2},
                                                 {kBrushTypePen, 15},
                                                 {kBrushTypeFountainPen, 10},
                                                 {kBrushTypeEraser, 5},
                                                 {kBrushTypeMove, 0}};
    for (const auto& [type, size] : sizes) {
        EXPECT_EQ(brushes.at(type)->type, type);
        EXPECT_EQ(brushes.at(type)->size, size) << type;
        EXPECT_EQ(brushes.at(type)->defaultSize, size) << type;
    }
    EXPECT_EQ(brushes.at(kBrushTypeEraser)->color, graphics::Color::clear());
    const std::pair<int64_t, std::optional<int64_t>> tools[] = {{0, kBrushTypeBrush},       {1, kBrushTypePen},
                                                                {2, kBrushTypeFountainPen}, {3, kBrushTypeEraser},
                                                                {4, std::nullopt},          {-1, std::nullopt}};
    for (const auto& [tool, type] : tools) EXPECT_EQ(painterbrushes::brushTypeForTool(tool), type) << tool;
}

class ToolBarTest : public paintertest::ControlsTest {
protected:
    explicit ToolBarTest(bool phone = false) : ControlsTest(phone) {}
    void SetUp() override {
        ControlsTest::SetUp();
        showControls();
    }
    PainterToolSizeViewController* sizePopover() {
        if (!toolBar->popoverController()) return nullptr;
        return dynamic_cast<PainterToolSizeViewController*>(
            toolBar->popoverController()->contentViewController().get());
    }
    PainterToolSizeViewController& openSizePopover(ui::Button* button) {
        if (toolBar->currentSelectedTool() != button) tap(button);
        tap(button);
        settle();
        auto* popover = sizePopover();
        if (!popover) throw std::runtime_error("no size popover");
        return *popover;
    }
};

class PhoneToolBarTest : public ToolBarTest {
protected:
    PhoneToolBarTest() : ToolBarTest(true) {}
};

TEST_F(ToolBarTest, TenSlotsOnTheTablet) {
    struct Placed {
        ui::Button* button;
        double x;
    };
    const Placed placed[] = {{toolBar->btnBack(), 0},     {toolBar->btnBrush(), 204.8},
                             {toolBar->btnPen(), 307.2},  {toolBar->btnFountainPen(), 409.6},
                             {toolBar->btnEraser(), 512}, {toolBar->btnMove(), 614.4},
                             {toolBar->btnUndo(), 819.2}, {toolBar->btnRedo(), 921.6},
                             {toolBar->btnLayer(), 102.4}};
    for (const Placed& p : placed) {
        EXPECT_NEAR(p.button->frame().minX(), p.x, 1e-9) << p.x;
        EXPECT_NEAR(p.button->frame().width(), 102.4, 1e-9) << p.x;
    }
    EXPECT_NEAR(toolBar->viewToolColorFountainPen()->frame().minX(), 414.6, 1e-9);
    EXPECT_NEAR(toolBar->viewToolColorFountainPen()->frame().width(), 92.4, 1e-9);
    EXPECT_TRUE(toolBar->btnStamp()->isHidden());
}

TEST_F(PhoneToolBarTest, EightSlotsOnThePhone) {
    ui::Button* const order[] = {toolBar->btnBack(),        toolBar->btnBrush(),  toolBar->btnPen(),
                                 toolBar->btnFountainPen(), toolBar->btnEraser(), toolBar->btnMove(),
                                 toolBar->btnUndo(),        toolBar->btnRedo()};
    for (int i = 1; i < 8; ++i) {
        EXPECT_DOUBLE_EQ(order[i]->frame().minX(), 71.0 * i) << i;
        EXPECT_DOUBLE_EQ(order[i]->frame().width(), 71) << i;
    }
    EXPECT_DOUBLE_EQ(toolBar->viewToolColorBrush()->frame().minX(), 76);
    EXPECT_DOUBLE_EQ(toolBar->viewToolColorBrush()->frame().width(), 61);
    // The layer button shares the back button's slot: back on its left
    // half, layer on its right.
    EXPECT_EQ(toolBar->btnBack()->frame().minX(), 0);
    EXPECT_EQ(toolBar->btnBack()->frame().maxX(), 35.5);
    EXPECT_EQ(toolBar->btnLayer()->frame().minX(), 35.5);
    EXPECT_EQ(toolBar->btnLayer()->frame().maxX(), 71);
}

TEST_F(ToolBarTest, ButtonsSendTheirCodes) {
    struct Case {
        const char* what;
        ui::Button* button;
        std::vector<int64_t> codes;
        ui::Button* selected;
    };
    const Case cases[] = {
        {"pen while the brush is selected", toolBar->btnPen(), {3}, toolBar->btnPen()},
        {"fountain pen", toolBar->btnFountainPen(), {4}, toolBar->btnFountainPen()},
        {"eraser", toolBar->btnEraser(), {5}, toolBar->btnEraser()},
        {"brush", toolBar->btnBrush(), {2}, toolBar->btnBrush()},
        {"move", toolBar->btnMove(), {20}, toolBar->btnMove()},
        {"brush after move", toolBar->btnBrush(), {2}, toolBar->btnBrush()},
        {"undo keeps the tool", toolBar->btnUndo(), {10}, toolBar->btnBrush()},
        {"redo", toolBar->btnRedo(), {15}, toolBar->btnBrush()},
        {"pen selected again", toolBar->btnPen(), {3}, toolBar->btnPen()},
        {"pen again opens its size and sends nothing", toolBar->btnPen(), {}, toolBar->btnPen()},
    };
    for (const Case& c : cases) {
        codes.codes.clear();
        tap(c.button);
        settle();
        EXPECT_EQ(codes.codes, c.codes) << c.what;
        EXPECT_EQ(toolBar->currentSelectedTool(), c.selected) << c.what;
        EXPECT_TRUE(c.selected->isSelected()) << c.what;
        if (toolBar->popoverController() && toolBar->popoverController()->isPopoverVisible())
            tapOutsidePopover(*toolBar->popoverController());
    }
    ASSERT_NE(sizePopover(), nullptr);
    EXPECT_EQ(sizePopover()->brush(), brushes[kBrushTypePen]);
    // Close toggles the button's selection, disables it and sends 0 once.
    codes.codes.clear();
    tap(toolBar->btnBack());
    tap(toolBar->btnBack());
    EXPECT_EQ(codes.codes, (std::vector<int64_t>{0}));
    EXPECT_FALSE(toolBar->btnBack()->isEnabled());
    EXPECT_TRUE(toolBar->btnBack()->isSelected());
}

TEST_F(ToolBarTest, StateOperations) {
    toolBar->enableTool(10, false);
    toolBar->enableTool(15, false);
    toolBar->enableTool(20, false);  // not a code with a button to disable
    EXPECT_FALSE(toolBar->btnUndo()->isEnabled());
    EXPECT_FALSE(toolBar->btnRedo()->isEnabled());
    EXPECT_TRUE(toolBar->btnMove()->isEnabled());
    toolBar->enableTool(10, true);
    EXPECT_TRUE(toolBar->btnUndo()->isEnabled());

    toolBar->setSelectedTool(3);
    EXPECT_EQ(toolBar->currentSelectedTool(), toolBar->btnEraser());
    toolBar->setSelectedTool(7);
    EXPECT_FALSE(toolBar->btnEraser()->isSelected());

    toolBar->setColor(graphics::Color::rgb(0, 0, 1), 1);
    toolBar->setColor(graphics::Color::rgb(0, 1, 0), 3);  // the eraser has no colour bar
    EXPECT_EQ(toolBar->viewToolColorPen()->backgroundColor(), graphics::Color::rgb(0, 0, 1));
    EXPECT_EQ(bytesOf(*toolBar->viewToolColorBrush()->backgroundColor()), (graphics::RGBA{228, 73, 19, 255}));
    EXPECT_EQ(bytesOf(*toolBar->viewToolColorFountainPen()->backgroundColor()), (graphics::RGBA{40, 127, 136, 255}));

    for (int index : {0, 1, 2, 3, 4, 5}) toolBar->hideTool(index);
    for (ui::View* hidden : std::initializer_list<ui::View*>{
             toolBar->btnBrush(), toolBar->viewToolColorBrush(), toolBar->btnPen(), toolBar->viewToolColorPen(),
             toolBar->btnFountainPen(), toolBar->viewToolColorFountainPen(), toolBar->btnEraser(), toolBar->btnMove()})
        EXPECT_TRUE(hidden->isHidden());
    for (ui::View* shown : std::initializer_list<ui::View*>{toolBar->btnBack(), toolBar->btnUndo(), toolBar->btnRedo(),
                                                            toolBar->btnLayer()})
        EXPECT_FALSE(shown->isHidden());
}

TEST_F(ToolBarTest, SizePopoverStepsInWholePoints) {
    auto& popover = openSizePopover(toolBar->btnPen());
    auto& pen = *brushes[kBrushTypePen];
    EXPECT_DOUBLE_EQ(popover.sliderSize()->value(), 15);
    struct Step {
        const char* what;
        std::function<void()> act;
        double slider;
        int64_t size;
    };
    auto slide = [&](double value) {
        popover.sliderSize()->setValue(value);
        popover.sliderSize()->sendActionsForControlEvents(ui::ControlEventValueChanged);
    };
    const Step steps[] = {
        {"plus on 15", [&] { tap(popover.btnPlus()); }, 16, 16},
        {"slider to 15.5", [&] { slide(15.5); }, 16, 16},
        {"slider to 15.4", [&] { slide(15.4); }, 15, 15},
        {"minus", [&] { tap(popover.btnMinus()); }, 14, 14},
        {"beyond the top", [&] { slide(500); }, PainterToolSizeViewController::kMaximumSize, 60},
        {"plus at the top", [&] { tap(popover.btnPlus()); }, PainterToolSizeViewController::kMaximumSize, 60},
        {"below the bottom", [&] { slide(-3); }, PainterToolSizeViewController::kMinimumSize, 1},
        {"minus at the bottom", [&] { tap(popover.btnMinus()); }, PainterToolSizeViewController::kMinimumSize, 1},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_DOUBLE_EQ(popover.sliderSize()->value(), step.slider) << step.what;
        EXPECT_EQ(pen.size, step.size) << step.what;
    }
    EXPECT_EQ(pen.defaultSize, 15);
    EXPECT_EQ(popover.viewBrush()->brush().get(), &pen);
}

TEST_F(ToolBarTest, TheErasersPopoverMakesItWhiteForGood) {
    auto& eraser = *brushes[kBrushTypeEraser];
    EXPECT_EQ(eraser.color, graphics::Color::clear());
    openSizePopover(toolBar->btnEraser());
    EXPECT_EQ(eraser.color, graphics::Color::white());
    tapOutsidePopover(*toolBar->popoverController());
    tap(toolBar->btnPen());
    EXPECT_EQ(eraser.color, graphics::Color::white());
    EXPECT_NE(brushes[kBrushTypePen]->color, graphics::Color::white());  // only the eraser turns white
}

TEST_F(ToolBarTest, SizePreviewDrawsTheBrushDisc) {
    auto brush = PainterBrush::create(kBrushTypePen, 20, graphics::Color::rgb(1, 0, 0));
    PainterToolSizeBrushView view({0, 0, 90, 90});
    graphics::GraphicsContext empty({90, 90});
    view.drawRect(empty, view.bounds());  // nothing without a brush
    EXPECT_EQ(empty.makeImage().pixelAt(45, 45).a, 0);
    view.setBrush(brush);
    graphics::GraphicsContext context({90, 90});
    view.drawRect(context, view.bounds());
    const graphics::Image drawn = context.makeImage();
    EXPECT_EQ(drawn.pixelAt(45, 45), (graphics::RGBA{255, 0, 0, 255}));
    EXPECT_EQ(drawn.pixelAt(36, 45), (graphics::RGBA{255, 0, 0, 255}));  // inside the 20-point disc
    EXPECT_EQ(drawn.pixelAt(33, 45).a, 0);                               // outside it
    EXPECT_EQ(drawn.pixelAt(20, 20).a, 0);
    // The outline: black at 0.3 (77 of 255) at most, spread over the pixels its edge crosses.
    int ringAlpha = 0;
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(drawn.pixelAt(x, 45).r, 0) << x;
        ringAlpha = std::max<int>(ringAlpha, drawn.pixelAt(x, 45).a);
    }
    EXPECT_GT(ringAlpha, 30);
    EXPECT_LE(ringAlpha, 78);
}

// A layer list stand-in: a table as its view, and a popover delegate.
class LayerList : public ui::ViewController, public WEPopoverControllerDelegate {
public:
    void loadView() override {
        auto table = ui::makeView<ui::TableView>();
        table->setFrame({0, 0, 320, 500});
        setView(table);
        preferredContentSize = {320, 500};
    }
    bool popoverControllerShouldDismissPopover(WEPopoverController&) override { return true; }
    void popoverControllerDidDismissPopover(WEPopoverController&) override { ++dismissed; }
    int dismissed = 0;
};

TEST_F(ToolBarTest, LayerButtonOpensTheListUnderIt) {
    tap(toolBar->btnLayer());  // without a list nothing opens
    EXPECT_FALSE(toolBar->popoverController());
    auto list = std::make_shared<LayerList>();
    toolBar->setPainterLayerTableViewController(list);
    tap(toolBar->btnLayer());
    settle();
    const auto& popover = toolBar->popoverController();
    ASSERT_TRUE(popover);
    EXPECT_TRUE(popover->isPopoverVisible());
    EXPECT_EQ(popover->delegate(), list.get());
    EXPECT_EQ(popover->popoverArrowDirection(), kPopoverArrowDirectionUp);
    EXPECT_TRUE(list->view()->window());
    // The list keeps its size below the navigation bar.
    EXPECT_EQ(list->view()->frame().size, (graphics::Size{320, 500}));
    EXPECT_EQ(popover->contentViewController()->preferredContentSize, (graphics::Size{320, 544}));
    tapOutsidePopover(*popover);
    EXPECT_EQ(list->dismissed, 1);
    EXPECT_TRUE(codes.codes.empty());
}

}  // namespace
