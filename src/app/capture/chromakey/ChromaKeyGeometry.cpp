#include "app/capture/chromakey/ChromaKeyGeometry.h"

namespace chromakeygeometry {

graphics::Point pointOfInterest(graphics::Point point, graphics::Size viewSize,
                                std::optional<graphics::Size> aperture) {
    const double W = viewSize.width, H = viewSize.height;
    if (!aperture || aperture->width <= 0 || aperture->height <= 0 || W <= 0 || H <= 0) return {0.5, 0.5};
    const double w = aperture->width, h = aperture->height;
    const double apertureRatio = h / w;
    const double viewRatio = W / H;
    if (viewRatio > apertureRatio) {
        const double y2 = w * (W / h);
        return {(point.y + (y2 - H) / 2) / y2, (W - point.x) / W};
    }
    const double x2 = h * (H / w);
    return {point.y / H, 1 - (point.x + (x2 - W) / 2) / x2};
}

}  // namespace chromakeygeometry
