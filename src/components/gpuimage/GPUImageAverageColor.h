#pragma once

// Measures the mean colour of each frame: the GPU reduces the input in
// stages, each a quarter of the input's width and height more than the one
// before (four bilinear taps per pixel cover a 4 × 4 block of the source),
// the small last stage is read back and averaged on the CPU, and the result
// (red, green, blue, alpha, each 0..1) goes with the frame time to the
// completion closure, on the context queue. It draws nothing for its targets.
//
// An input under 8 pixels on a side has no stage: it is copied as it is and
// all its pixels are averaged.

#include "components/gpuimage/AverageColorStages.h"
#include "components/gpuimage/GPUImageFilter.h"

#include <functional>
#include <vector>

namespace gpuimage {

class GPUImageAverageColor : public GPUImageFilter {
public:
    using ColorAverageProcessingFinishedBlock =
        std::function<void(double red, double green, double blue, double alpha, FrameTime frameTime)>;

    GPUImageAverageColor();
    ~GPUImageAverageColor() override;

    void setColorAverageProcessingFinishedBlock(ColorAverageProcessingFinishedBlock block);

    // The stage sizes in use, largest first (on the context queue).
    const std::vector<StageSize>& stageSizes() const { return stageSizes_; }

    // Orientation does not change a mean: the rotation stays none.
    void setInputRotation(GPUImageRotationMode, int) override {}
    void prepareForImageCapture() override {}

    void createFilterFBOofSize(graphics::Size size) override;
    void destroyFilterFBO() override;
    void deleteOutputTexture() override;
    void recreateFilterFBO() override;
    void renderToTextureWithVertices(const float* vertices, const float* textureCoordinates,
                                     GLuint sourceTexture) override;
    // On the context queue, with the last stage bound: reads it back and reports.
    void extractAverageColorAtFrameTime(FrameTime frameTime);

private:
    void buildStageTextures();

    GLint texelWidthUniform_ = -1;
    GLint texelHeightUniform_ = -1;
    // On the context queue only.
    std::vector<StageSize> stageSizes_;
    std::vector<gl::es2::Texture> stageTextures_;
    std::vector<gl::es2::Framebuffer> stageFramebuffers_;
    // Whether the stages reduce, or copy an input too small to reduce.
    bool reduces_ = false;
    std::vector<uint8_t> rawImagePixels_;
    ColorAverageProcessingFinishedBlock colorAverageProcessingFinishedBlock_;
};

}  // namespace gpuimage
