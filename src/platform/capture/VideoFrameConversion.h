#pragma once

// Camera frames of Qt Multimedia into the pixels the capture layer hands
// out: BGRA with premultiplied alpha, upright (the frame's rotation and
// mirroring applied).

#include "platform/foundation/Error.h"

#include <QImage>
#include <QVideoFrame>

namespace capture {

// Converts planar and packed YUV (NV12, NV21, I420, YV12, 4:2:2, YUYV, UYVY,
// P010, P016), grey and the 32-bit RGB layouts with swscale; JPEG frames
// through Qt's decoder. Straight alpha is premultiplied.
foundation::Result<QImage> imageFromVideoFrame(const QVideoFrame& frame);

}  // namespace capture
