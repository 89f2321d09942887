#pragma once

// What the render cache's currency test asks of a movie file: the size of
// its pictures, the shortest time a picture is shown, and whether it is a
// movie this system can play and share ("compatible": an H.264 video track
// whose first picture decodes).

#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"

#include <string>

namespace media {

struct MovieProbe {
    graphics::Size naturalSize;  // (0, 0) without a video track
    bool hasVideoTrack = false;
    // The shortest gap between two pictures of the first video track, or
    // the one picture's length; 0 when the track says nothing.
    double minFrameDurationSeconds = 0;
    bool compatible = false;
};

// Fails (kMediaErrorDomain) only for a file that cannot be read at all.
foundation::Result<MovieProbe> probeMovie(const std::string& path);

}  // namespace media
