// A remote camera's answers: the status object of a status request (its
// flags and modes read as the client reads them) and the picture of a
// preview or capture request, decoded and turned upright as the client does.

#include "FuzzTarget.h"

#include "app/capture/CaptureRemoteCameraProtocol.h"
#include "platform/graphics/Image.h"

TOLLIVAR_FUZZ_TARGET(remote_camera) {
    std::optional<foundation::Value> status = remotecamera::parseStatusObject(fuzzing::text(data, size));
    (void)remotecamera::readStatus(status);
    if (auto picture = graphics::Image::decode(data, size); picture.ok()) (void)picture->normalized();
    return 0;
}
