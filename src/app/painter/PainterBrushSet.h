#pragma once

// The painter's starting brushes and palette. Each drawing tool takes its
// colour from the palette slot that the tool-to-slot list names (brush
// slot 0, pen 1, fountain pen 2 at first), so the brushes, the tool bar's
// colour bars and the stored list never disagree.

#include "app/painter/PainterBrush.h"
#include "platform/graphics/Color.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace painterbrushes {

inline constexpr int kPaletteSlots = 9;
inline constexpr int kDrawingTools = 3;  // brush, pen, fountain pen

// The nine first-run palette colours, slot order.
std::vector<graphics::Color> defaultPaletteColors();
// Palette slot per drawing tool (brush, pen, fountain pen).
using ColorToolList = std::array<int, kDrawingTools>;
inline constexpr ColorToolList kDefaultColorToolList{0, 1, 2};

// The brush type of a tool index 0 to 3 (brush, pen, fountain pen, eraser).
std::optional<int64_t> brushTypeForTool(int64_t toolIndex);

// The five brushes (200, 300, 400, 100, 500) with their sizes and tips;
// drawing tool i is coloured by palette[colorToolList[i]] (a slot outside
// the palette leaves black).
PainterBrushes makeBrushes(const std::vector<graphics::Color>& palette, const ColorToolList& colorToolList,
                           const graphics::Image& penTip, const graphics::Image& brushTip);

}  // namespace painterbrushes
