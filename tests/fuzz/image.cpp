// JPEG and PNG pictures: imported photos, downloaded pictures, a remote
// camera's frames, the project's own picture files. Whole files through the
// decoders the application uses (full size, thumbnail size, YCbCr planes,
// headers alone) and the same bytes arriving in two pieces through the
// incremental decoder of downloads.

#include "FuzzTarget.h"

#include "platform/graphics/Image.h"
#include "platform/graphics/IncrementalImageSource.h"
#include "platform/graphics/JpegCodec.h"

TOLLIVAR_FUZZ_TARGET(image) {
    if (auto image = graphics::Image::decode(data, size); image.ok()) (void)image->normalized();
    if (graphics::jpeg::looksLikeJpeg(data, size)) {
        (void)graphics::jpeg::readHeader(data, size);
        (void)graphics::jpeg::exifOrientation(data, size);
        (void)graphics::jpeg::decodeForMaximumSize(data, size, 64, 64);
        (void)graphics::jpeg::decodePlanes420(data, size);
    }
    graphics::IncrementalImageSource source;
    source.updateData(data, size / 2, false);
    (void)source.createImage();
    source.updateData(data, size, true);
    (void)source.createImage();
    return 0;
}
