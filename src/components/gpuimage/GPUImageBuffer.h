#pragma once

// Delays a video stream by `bufferSize` frames: each incoming frame is drawn
// into the newest of a ring of textures while the targets are handed the
// oldest, stamped with the incoming frame's time. With size n the targets see
// the frame received n frames earlier.
//
// The ring belongs to the buffer alone (never the filter's own output
// texture, which the filter base may delete) and is reallocated whenever the
// frame size changes, so no texture is left at a stale or zero size.

#include "components/gpuimage/GPUImageFilter.h"

#include <vector>

namespace gpuimage {

class GPUImageBuffer : public GPUImageFilter {
public:
    GPUImageBuffer();
    ~GPUImageBuffer() override;

    unsigned bufferSize() const { return bufferSize_; }
    // 0 and the current size are ignored; growing adds textures at the new
    // end, shrinking drops them from the end.
    void setBufferSize(unsigned newBufferSize);

    GLuint textureForOutput() override;
    void newFrameReadyAtTime(FrameTime frameTime, int textureIndex) override;
    // Only the framebuffer: frames are drawn into the ring's textures.
    void createFilterFBOofSize(graphics::Size size) override;
    // Binds the framebuffer with the newest texture of the ring attached.
    void setFilterFBO() override;
    void prepareForImageCapture() override {}

    // On the context queue: a texture with this output's sampling, at the
    // current frame size.
    GLuint generateTexture();

private:
    // On the context queue: gives every texture of the ring the frame size.
    void allocateBufferedTextures(graphics::Size size);

    // Oldest first; touched on the context queue only.
    std::vector<gl::es2::Texture> bufferedTextures_;
    graphics::Size bufferedTextureSize_;
    unsigned bufferSize_ = 1;
};

}  // namespace gpuimage
