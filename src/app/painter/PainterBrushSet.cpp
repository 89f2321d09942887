#include "app/painter/PainterBrushSet.h"

namespace painterbrushes {

std::vector<graphics::Color> defaultPaletteColors() {
    static constexpr int kBytes[kPaletteSlots][3] = {{228, 73, 19},   {253, 182, 50},  {40, 127, 136},
                                                     {106, 128, 19},  {184, 143, 170}, {0, 0, 0},
                                                     {178, 173, 163}, {246, 246, 246}, {138, 122, 86}};
    std::vector<graphics::Color> colors;
    for (const auto& rgb : kBytes)
        colors.push_back(graphics::Color::rgb(rgb[0] / 255.0, rgb[1] / 255.0, rgb[2] / 255.0));
    return colors;
}

std::optional<int64_t> brushTypeForTool(int64_t toolIndex) {
    static constexpr int64_t kTypes[] = {kBrushTypeBrush, kBrushTypePen, kBrushTypeFountainPen, kBrushTypeEraser};
    if (toolIndex < 0 || toolIndex >= 4) return std::nullopt;
    return kTypes[toolIndex];
}

PainterBrushes makeBrushes(const std::vector<graphics::Color>& palette, const ColorToolList& colorToolList,
                           const graphics::Image& penTip, const graphics::Image& brushTip) {
    auto colorOfTool = [&](int tool) {
        const int slot = colorToolList[tool];
        return slot >= 0 && slot < static_cast<int>(palette.size()) ? palette[slot] : graphics::Color::black();
    };
    PainterBrushes brushes;
    brushes[kBrushTypeBrush] = PainterBrush::create(kBrushTypeBrush, 2, colorOfTool(0), brushTip);
    brushes[kBrushTypePen] = PainterBrush::create(kBrushTypePen, 15, colorOfTool(1), penTip);
    brushes[kBrushTypeFountainPen] = PainterBrush::create(kBrushTypeFountainPen, 10, colorOfTool(2), penTip);
    brushes[kBrushTypeEraser] = PainterBrush::create(kBrushTypeEraser, 5, graphics::Color::clear());
    brushes[kBrushTypeMove] = PainterBrush::create(kBrushTypeMove, 0, graphics::Color::clear());
    return brushes;
}

}  // namespace painterbrushes
