#include "ControlsTestSupport.h"

#include "app/painter/PainterBrushSet.h"
#include "app/painter/PainterResources.h"
#include "platform/ui/host/Device.h"

#include <cmath>

namespace paintertest {

graphics::RGBA bytesOf(const graphics::Color& color) {
    const auto rgba = color.rgba().value_or(graphics::RGBAComponents{});
    auto byte = [](double value) { return static_cast<uint8_t>(std::lround(value * 255)); };
    return {byte(rgba.red), byte(rgba.green), byte(rgba.blue), byte(rgba.alpha)};
}

ControlsTest::ControlsTest(bool phone)
    : WindowFixture(phone ? graphics::Rect(0, 0, 568, 320) : graphics::Rect(0, 0, 1024, 768)), phone_(phone) {}

void ControlsTest::SetUp() {
    if (phone_) {
        ui::Device::current().setUserInterfaceIdiom(ui::UserInterfaceIdiom::Phone);
        ui::Device::current().setScreenBounds(graphics::Rect(0, 0, 568, 320));
    }
    root = std::make_shared<ui::ViewController>();
    root->view()->setBackgroundColor(graphics::Color::grey(0.3));
    window->setRootViewController(root);
    window->layoutIfNeeded();
}

void ControlsTest::TearDown() {
    toolBar.reset();
    palette.reset();
    root.reset();
    WindowFixture::TearDown();
}

void ControlsTest::show(ui::ViewController& controller, const graphics::Rect& frame) {
    controller.view()->setFrame(frame);
    root->view()->addSubview(controller.viewPtr());
    window->layoutIfNeeded();
}

void ControlsTest::showControls() {
    const graphics::Rect bounds = root->view()->bounds();
    toolBar = std::make_shared<PaintToolViewController>();
    toolBar->setDelegate(&codes);
    show(*toolBar, {0, 0, bounds.width(), toolBar->view()->bounds().height()});
    toolBar->viewWillAppear(false);
    palette = std::make_shared<ColorPaletteViewController>();
    palette->setDelegate(&paletteReports);
    const double paletteHeight = palette->view()->bounds().height();
    show(*palette, {0, bounds.height() - paletteHeight, bounds.width(), paletteHeight});
    const auto colors = painterbrushes::defaultPaletteColors();
    for (int slot = 0; slot < painterbrushes::kPaletteSlots; ++slot) palette->setColor(colors[slot], slot);
    palette->setSelectedColorAtIndex(0);
    brushes = painterbrushes::makeBrushes(colors, painterbrushes::kDefaultColorToolList,
                                          painterresources::image(painterresources::kPenTip),
                                          painterresources::image(painterresources::kBrushTip));
    for (int64_t type : {kBrushTypeBrush, kBrushTypePen, kBrushTypeFountainPen, kBrushTypeEraser})
        toolBar->setBrush(brushes[type], type);
    toolBar->setSelectedTool(0);
    codes.codes.clear();
    paletteReports.reports.clear();
}

void ControlsTest::tapOutsidePopover(const WEPopoverController& popover) {
    ASSERT_TRUE(popover.view());
    const graphics::Rect panel = inWindow(popover.view().get());
    const graphics::Rect area = window->bounds();
    for (graphics::Point corner :
         {graphics::Point{3, 3}, graphics::Point{area.width() - 3, 3}, graphics::Point{3, area.height() - 3},
          graphics::Point{area.width() - 3, area.height() - 3}}) {
        if (panel.contains(corner)) continue;
        fingers.tap(corner);
        settle();
        return;
    }
    FAIL() << "the popover covers the window";
}

}  // namespace paintertest
