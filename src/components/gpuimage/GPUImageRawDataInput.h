#pragma once

// A source over a caller's pixel bytes: uploads them as a texture and pushes
// them to its targets. Rows are tightly packed, top row first.

#include "components/gpuimage/GPUImageOutput.h"
#include "platform/foundation/DispatchSemaphore.h"

#include <cstdint>

namespace gpuimage {

class GPUImageRawDataInput : public GPUImageOutput {
public:
    // Uploads at once; `bytes` holds width × height pixels of the format.
    GPUImageRawDataInput(const uint8_t* bytes, graphics::Size size, GLenum pixelFormat = GL_BGRA_EXT,
                         GLenum pixelType = GL_UNSIGNED_BYTE);

    void uploadBytes(const uint8_t* bytes);
    void updateDataFromBytes(const uint8_t* bytes, graphics::Size size);
    // Pushes the uploaded picture to every target, asynchronously on the
    // context queue; skipped while the previous push is still queued.
    void processData();

    graphics::Size outputImageSize() const { return uploadedImageSize_; }
    GLenum pixelFormat() const { return pixelFormat_; }
    void setPixelFormat(GLenum format) { pixelFormat_ = format; }
    GLenum pixelType() const { return pixelType_; }
    void setPixelType(GLenum type) { pixelType_ = type; }

private:
    graphics::Size uploadedImageSize_;
    foundation::DispatchSemaphore dataUpdateSemaphore_{1};
    GLenum pixelFormat_;
    GLenum pixelType_;
};

}  // namespace gpuimage
