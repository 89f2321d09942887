#pragma once

// Geometry and arithmetic of the painter's tool bar, palette and brush-size
// popover, as plain functions.

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"

#include <array>
#include <cstdint>

namespace painterlayout {

// The eight buttons the tool bar spreads over its width, left to right.
enum ToolBarButton { kBack, kBrush, kPen, kFountainPen, kEraser, kMove, kUndo, kRedo, kToolBarButtonCount };

struct ToolBarSlots {
    double slotWidth = 0;
    int slotCount = 0;
    // The slot each button takes; on a wide bar an empty slot follows the
    // back button and another the move button.
    std::array<int, kToolBarButtonCount> slotOfButton{};
    // The x of a button's slot.
    double x(ToolBarButton button) const { return slotWidth * slotOfButton[button]; }
};

// Eight slots of width / 8, or ten of width / 10 where eight would be wider
// than kMaximumSlotWidth.
inline constexpr double kMaximumSlotWidth = 80;
ToolBarSlots toolBarSlots(double width);

// The colour bar under a drawing tool's button: 5 points in from either
// side of its slot, keeping the bar's own y and height.
graphics::Rect colorBarFrame(const ToolBarSlots& toolBar, ToolBarButton button, const graphics::Rect& bar);

// The ground of the tool bar and the palette: opaque, since on a phone's
// window they lie over the canvas and its strokes would show through.
graphics::Color barColor();

// The tool bar's and the palette's own heights.
double toolBarHeight(bool phone);
struct PaletteLayout {
    graphics::Size size;
    std::array<graphics::Rect, 9> slotFrames;
    graphics::Rect hide;
};
PaletteLayout paletteLayout(double width, bool phone);

// The size slider's value taken to the nearest whole number, halves away
// from zero, and the brush size it gives (truncated toward zero).
double wholeSliderValue(double value);
int64_t brushSizeFromSlider(double value);

// The size preview's disc: `size` across, centred in the bounds with the
// half size taken as a whole number.
graphics::Rect sizeDiscRect(graphics::Size bounds, int64_t size);

// Whether the device is a phone (the controls are smaller there).
bool isPhone();

}  // namespace painterlayout
