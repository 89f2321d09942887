#include "components/gpuimage/GPUImageRawDataInput.h"

namespace gpuimage {

GPUImageRawDataInput::GPUImageRawDataInput(const uint8_t* bytes, graphics::Size size, GLenum pixelFormat,
                                           GLenum pixelType)
    : uploadedImageSize_(size), pixelFormat_(pixelFormat), pixelType_(pixelType) {
    uploadBytes(bytes);
}

void GPUImageRawDataInput::uploadBytes(const uint8_t* bytes) {
    // On the context queue, where the context is current, rather than on
    // the caller's thread.
    runSynchronouslyOnContextQueue([&] {
        uploadToOutputTexture(static_cast<int>(uploadedImageSize_.width), static_cast<int>(uploadedImageSize_.height),
                              pixelFormat_ == GL_RGB ? GL_RGB : GL_RGBA, pixelFormat_, pixelType_, bytes);
    });
}

void GPUImageRawDataInput::updateDataFromBytes(const uint8_t* bytes, graphics::Size size) {
    runSynchronouslyOnContextQueue([&] {
        uploadedImageSize_ = size;
        uploadBytes(bytes);
    });
}

void GPUImageRawDataInput::processData() {
    if (!dataUpdateSemaphore_.wait(0)) return;
    auto push = [this] {
        if (!failed()) {
            auto entries = targetEntries();
            for (const auto& entry : entries) {
                entry.target->setInputSize(uploadedImageSize_, entry.textureIndex);
                entry.target->newFrameReadyAtTime(FrameTime::invalid(), entry.textureIndex);
            }
        }
        dataUpdateSemaphore_.signal();
    };
    runOnQueueWhileAlive(push);
}

}  // namespace gpuimage
