#include "components/gpuimage/GPUImageTextureInput.h"

namespace gpuimage {

GPUImageTextureInput::GPUImageTextureInput(GLuint newInputTexture, graphics::Size newTextureSize)
    : textureSize_(newTextureSize) {
    runSynchronouslyOnContextQueue([&] {
        GPUImageOutput::deleteOutputTexture();
        outputTexture_.reset(newInputTexture);
    });
}

GPUImageTextureInput::~GPUImageTextureInput() { outputTexture_.release(); }

void GPUImageTextureInput::deleteOutputTexture() {
    runSynchronouslyOnContextQueue([&] { outputTexture_.release(); });
}

void GPUImageTextureInput::processTextureWithFrameTime(FrameTime frameTime) {
    runOnQueueWhileAlive([this, frameTime] {
        // A copy: a target may change the list while it handles the frame.
        const auto entries = targetEntries();
        for (const auto& entry : entries) {
            entry.target->setInputSize(textureSize_, entry.textureIndex);
            entry.target->newFrameReadyAtTime(frameTime, entry.textureIndex);
        }
    });
}

}  // namespace gpuimage
