#pragma once

// A brush of the painter: its kind, size, colour and tip picture. The tool
// bar and the canvases keep brushes by their type code.

#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"

#include <cstdint>
#include <map>
#include <memory>

// Brush type codes, shared by brushes and recorded strokes.
inline constexpr int64_t kBrushTypeEraser = 100;
inline constexpr int64_t kBrushTypeBrush = 200;
inline constexpr int64_t kBrushTypePen = 300;
inline constexpr int64_t kBrushTypeFountainPen = 400;
inline constexpr int64_t kBrushTypeMove = 500;

class PainterBrush {
public:
    int64_t type = kBrushTypeBrush;
    int64_t size = 0;         // diameter of the stamp in points
    int64_t defaultSize = 0;  // the size the brush was set up with
    graphics::Color color = graphics::Color::rgb(0, 0, 0);
    graphics::Image image;  // the tip; null for the eraser and the move brush
    double angle = 0;

    static std::shared_ptr<PainterBrush> create(int64_t type, int64_t size, graphics::Color color,
                                                graphics::Image image = {}) {
        auto brush = std::make_shared<PainterBrush>();
        brush->type = type;
        brush->size = size;
        brush->defaultSize = size;
        brush->color = color;
        brush->image = std::move(image);
        return brush;
    }
};

using PainterBrushes = std::map<int64_t, std::shared_ptr<PainterBrush>>;
