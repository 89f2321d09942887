#pragma once

// A source over a GL texture that outside code made in the shared context.
// The texture stays the caller's: this source never deletes it, also not
// when it goes away, so the caller's name never dangles.

#include "components/gpuimage/GPUImageOutput.h"

namespace gpuimage {

class GPUImageTextureInput : public GPUImageOutput {
public:
    GPUImageTextureInput(GLuint newInputTexture, graphics::Size newTextureSize);
    ~GPUImageTextureInput() override;

    // Asynchronously on the context queue: every target gets the texture's
    // size and a frame at the time given.
    void processTextureWithFrameTime(FrameTime frameTime);

    // Lets go of the caller's texture without deleting it.
    void deleteOutputTexture() override;
    graphics::Size textureSize() const { return textureSize_; }

private:
    graphics::Size textureSize_;
};

}  // namespace gpuimage
