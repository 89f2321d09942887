#pragma once

// Text in runs of their own font and colour (a label that shows "Frames" in
// one face and " 24  " in a larger one), laid out on shared baselines.

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Geometry.h"

#include <optional>
#include <string>
#include <vector>

namespace graphics {
class GraphicsContext;
}

namespace ui {

struct TextRun {
    std::string text;
    // The showing view's font and colour when unset.
    std::optional<graphics::Font> font;
    std::optional<graphics::Color> color;
};

using AttributedText = std::vector<TextRun>;

// The runs' texts joined.
std::string plainText(const AttributedText& text);

struct AttributedTextLayout {
    struct Span {
        std::string text;
        graphics::Font font;
        graphics::Color color;
        double x = 0;  // from the line's start
        double width = 0;
    };
    struct Line {
        std::vector<Span> spans;
        double width = 0;
        double ascent = 0;  // the tallest font's ascender
        double height = 0;  // the tallest font's line height
    };
    std::vector<Line> lines;
    // Rounded up to whole points.
    graphics::Size size;
};

// Breaks the runs into lines at spaces and line breaks within `width`
// (infinite: only at line breaks), keeping at most `numberOfLines` (0: all).
// Lines left over are dropped; a line too long for the width is cut when drawn.
AttributedTextLayout layoutAttributedText(const AttributedText& text, const graphics::Font& defaultFont,
                                          const graphics::Color& defaultColor, double width, int numberOfLines);

// Draws from the top of `rect`, each line aligned within its width and cut at its sides.
void drawAttributedText(graphics::GraphicsContext& context, const AttributedTextLayout& layout,
                        const graphics::Rect& rect, graphics::TextAlignment alignment);

}  // namespace ui
