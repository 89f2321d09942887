#include "app/widgets/popover/PopoverBackgroundImage.h"

#include "platform/foundation/Bundle.h"
#include "platform/graphics/GraphicsContext.h"

#include <algorithm>
#include <array>
#include <cmath>

using graphics::EdgeInsets;
using graphics::Rect;

PopoverBackgroundImage PopoverBackgroundImage::stretchable(graphics::Image image, double leftCapWidth,
                                                           double topCapHeight) {
    PopoverBackgroundImage result;
    graphics::Size size = image.size();
    result.image = std::move(image);
    if (leftCapWidth > 0) {
        result.capInsets.left = std::min(leftCapWidth, size.width);
        result.capInsets.right = std::max(0.0, size.width - result.capInsets.left - 1);
    }
    if (topCapHeight > 0) {
        result.capInsets.top = std::min(topCapHeight, size.height);
        result.capInsets.bottom = std::max(0.0, size.height - result.capInsets.top - 1);
    }
    return result;
}

namespace {

// The three spans (start cap, middle, end cap) of one axis.
std::array<double, 4> spans(double start, double length, double capStart, double capEnd) {
    double caps = capStart + capEnd;
    if (caps > length && caps > 0) {
        capStart *= length / caps;
        capEnd *= length / caps;
    }
    return {start, start + capStart, start + length - capEnd, start + length};
}

}  // namespace

void PopoverBackgroundImage::draw(graphics::GraphicsContext& context, const Rect& rect, double alpha) const {
    if (image.isNull() || rect.isEmpty()) return;
    const graphics::Image upright = image.normalized();
    const graphics::Size size = upright.size();
    const double scale = upright.scale();
    const EdgeInsets& c = capInsets;
    const auto srcX = spans(0, size.width, c.left, c.right);
    const auto srcY = spans(0, size.height, c.top, c.bottom);
    const auto dstX = spans(rect.minX(), rect.width(), c.left, c.right);
    const auto dstY = spans(rect.minY(), rect.height(), c.top, c.bottom);
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            Rect source(srcX[column] * scale, srcY[row] * scale, (srcX[column + 1] - srcX[column]) * scale,
                        (srcY[row + 1] - srcY[row]) * scale);
            Rect target(dstX[column], dstY[row], dstX[column + 1] - dstX[column], dstY[row + 1] - dstY[row]);
            if (source.width() < 1 || source.height() < 1 || target.isEmpty()) continue;
            graphics::Image tile = upright.cropped(source.integral());
            if (tile.isNull()) continue;
            context.drawImage(tile, target, graphics::BlendMode::Normal, alpha);
        }
    }
}

graphics::Image popoverImageNamed(const std::string& name) {
    auto path = foundation::Bundle::main().pathForResource(name);
    if (!path) return {};
    auto image = graphics::Image::load(*path);
    return image ? *image : graphics::Image();
}
