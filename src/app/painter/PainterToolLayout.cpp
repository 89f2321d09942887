#include "app/painter/PainterToolLayout.h"

#include "platform/ui/host/Device.h"

#include <cmath>

namespace painterlayout {

ToolBarSlots toolBarSlots(double width) {
    ToolBarSlots bar;
    bar.slotCount = kToolBarButtonCount;
    bar.slotWidth = width / static_cast<double>(kToolBarButtonCount);
    for (int button = 0; button < kToolBarButtonCount; ++button) bar.slotOfButton[button] = button;
    if (bar.slotWidth > kMaximumSlotWidth) {
        bar.slotCount = kToolBarButtonCount + 2;
        bar.slotWidth = width / bar.slotCount;
        for (int button = 0; button < kToolBarButtonCount; ++button)
            bar.slotOfButton[button] = button + (button > kBack ? 1 : 0) + (button > kMove ? 1 : 0);
    }
    return bar;
}

graphics::Rect colorBarFrame(const ToolBarSlots& toolBar, ToolBarButton button, const graphics::Rect& bar) {
    return {toolBar.x(button) + 5, bar.origin.y, toolBar.slotWidth - 10, bar.size.height};
}

graphics::Color barColor() { return graphics::Color::grey(0.1); }

double toolBarHeight(bool phone) { return phone ? 60 : 96; }

PaletteLayout paletteLayout(double width, bool phone) {
    PaletteLayout layout;
    const double side = phone ? 40 : 60;
    const double gap = phone ? 12 : 24;
    layout.size = {width, phone ? 80.0 : 96.0};
    const double row = 9 * side + 8 * gap;
    const double y = (layout.size.height - side) / 2;
    double x = std::round((width - row) / 2);
    for (auto& slot : layout.slotFrames) {
        slot = {x, y, side, side};
        x += side + gap;
    }
    layout.hide = {width - side - gap / 2, y, side, side};
    return layout;
}

double wholeSliderValue(double value) { return std::round(value); }

int64_t brushSizeFromSlider(double value) { return static_cast<int64_t>(std::trunc(value)); }

graphics::Rect sizeDiscRect(graphics::Size bounds, int64_t size) {
    const int64_t half = size / 2;
    return {bounds.width / 2 - static_cast<double>(half), bounds.height / 2 - static_cast<double>(half),
            static_cast<double>(size), static_cast<double>(size)};
}

bool isPhone() { return ui::Device::current().userInterfaceIdiom() == ui::UserInterfaceIdiom::Phone; }

}  // namespace painterlayout
