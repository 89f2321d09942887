#include "app/capture/CaptureLocalCameraGeometry.h"

graphics::ImageOrientation imageOrientationForInterface(int interfaceOrientation, int64_t position) {
    using O = graphics::ImageOrientation;
    // Rows: interface orientation 1-4; columns: back, front.
    static constexpr O kTable[4][2] = {
        {O::Right, O::LeftMirrored},
        {O::Left, O::RightMirrored},
        {O::Up, O::DownMirrored},
        {O::Down, O::UpMirrored},
    };
    if (interfaceOrientation < 1 || interfaceOrientation > 4 || position < 1 || position > 2) return O::Right;
    return kTable[interfaceOrientation - 1][position - 1];
}

graphics::Point pointOfInterestForViewPoint(graphics::Point point, graphics::Size viewSize,
                                            capture::VideoGravity gravity, bool mirrored,
                                            std::optional<graphics::Size> cleanAperture) {
    const double width = viewSize.width, height = viewSize.height;
    double x = point.x;
    const double y = point.y;
    if (width <= 0 || height <= 0) return {0.5, 0.5};
    if (mirrored) x = width - x;
    if (gravity == capture::VideoGravity::Resize) return {y / height, 1 - x / width};
    if (!cleanAperture || cleanAperture->width <= 0 || cleanAperture->height <= 0) return {0.5, 0.5};

    const double apertureWidth = cleanAperture->width, apertureHeight = cleanAperture->height;
    const double apertureRatio = apertureHeight / apertureWidth;
    const double viewRatio = width / height;
    graphics::Point result{0.5, 0.5};
    if (gravity == capture::VideoGravity::ResizeAspect) {
        if (viewRatio > apertureRatio) {
            const double pictureWidth = height * apertureRatio;
            const double bar = (width - pictureWidth) / 2;
            if (x >= bar && x <= bar + pictureWidth) result = {y / height, 1 - (x - bar) / pictureWidth};
        } else {
            const double pictureHeight = width / apertureRatio;
            const double bar = (height - pictureHeight) / 2;
            if (y >= bar && y <= bar + pictureHeight) result = {(y - bar) / pictureHeight, 1 - x / width};
        }
    } else if (gravity == capture::VideoGravity::ResizeAspectFill) {
        if (viewRatio > apertureRatio) {
            const double pictureHeight = apertureWidth * (width / apertureHeight);
            result = {(y + (pictureHeight - height) / 2) / pictureHeight, (width - x) / width};
        } else {
            const double pictureWidth = apertureHeight * (height / apertureWidth);
            result = {y / height, 1 - (x + (pictureWidth - width) / 2) / pictureWidth};
        }
    }
    return result;
}
