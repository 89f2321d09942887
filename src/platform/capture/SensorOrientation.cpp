#include "platform/capture/SensorOrientation.h"

namespace capture {

namespace {

using graphics::ImageOrientation;

// Clockwise quarter turns of the held phone away from the landscape in
// which its back sensor lies along the scene (interface orientation 3).
int quarterTurns(int interfaceOrientation) {
    switch (interfaceOrientation) {
        case 1:
            return 1;
        case 2:
            return 3;
        case 3:
            return 0;
        case 4:
            return 2;
        default:
            return -1;
    }
}

// The inverse of an orientation: quarter turns go the other way round, the
// mirrored orientations undo themselves.
ImageOrientation inverse(ImageOrientation orientation) {
    switch (orientation) {
        case ImageOrientation::Left:
            return ImageOrientation::Right;
        case ImageOrientation::Right:
            return ImageOrientation::Left;
        default:
            return orientation;
    }
}

}  // namespace

ImageOrientation sensorFrameOrientation(int interfaceOrientation, DevicePosition position) {
    // The back sensor's frame needs the held turn undone; the front sensor
    // faces the other way, so its frame is also flipped top to bottom.
    static constexpr ImageOrientation kBack[] = {ImageOrientation::Up, ImageOrientation::Right, ImageOrientation::Down,
                                                 ImageOrientation::Left};
    static constexpr ImageOrientation kFront[] = {ImageOrientation::DownMirrored, ImageOrientation::LeftMirrored,
                                                  ImageOrientation::UpMirrored, ImageOrientation::RightMirrored};
    const int turns = quarterTurns(interfaceOrientation);
    if (turns < 0) return ImageOrientation::Right;
    switch (position) {
        case DevicePosition::Front:
            return kFront[turns];
        case DevicePosition::Back:
        case DevicePosition::Unspecified:
            return kBack[turns];
    }
    return ImageOrientation::Right;
}

QImage sensorFrameFromUpright(const QImage& upright, ImageOrientation orientation) {
    if (orientation == ImageOrientation::Up) return upright;
    return graphics::Image(upright, 1.0, inverse(orientation)).normalized().bitmap();
}

QImage viewedFrame(const QImage& cameraFrame, DevicePosition position) {
    return position == DevicePosition::Front ? cameraFrame.mirrored(true, false) : cameraFrame;
}

}  // namespace capture
