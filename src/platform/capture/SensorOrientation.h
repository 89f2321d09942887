#pragma once

// How a phone's camera sensor lays its pixels down.
//
// A phone's sensor is fixed in the phone, so its frames come turned against
// the scene by the way the phone is held, and the front sensor's frames are
// mirrored as well. The system above takes each frame with the orientation
// that turns it back for the interface orientation and camera in use. Our
// cameras (webcams) deliver upright frames, so before a frame leaves this
// layer it is turned as the phone's sensor would have written it: the
// picture the system stores then equals what the preview showed.

#include "platform/capture/CaptureTypes.h"
#include "platform/graphics/Image.h"

#include <QImage>

namespace capture {

// The orientation that makes a sensor frame upright, for the interface
// orientation (1 portrait, 2 upside down, 3 and 4 the two landscapes, in the
// platform's values) and the camera's position.
graphics::ImageOrientation sensorFrameOrientation(int interfaceOrientation, DevicePosition position);

// The frame as the sensor writes it: `upright` (the view the user sees, a
// front camera's as in a mirror) turned back by the inverse of `orientation`.
QImage sensorFrameFromUpright(const QImage& upright, graphics::ImageOrientation orientation);

// What the user sees of a camera: a front camera mirrors like a mirror.
QImage viewedFrame(const QImage& cameraFrame, DevicePosition position);

}  // namespace capture
