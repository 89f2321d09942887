#include "components/gpuimage/GPUImageAverageColor.h"

#include "components/gpuimage/GPUImageFilterShaders.h"

namespace gpuimage {

using foundation::Error;

GPUImageAverageColor::GPUImageAverageColor()
    : GPUImageFilter(kGPUImageColorAveragingVertexShaderString, kGPUImageColorAveragingFragmentShaderString) {
    runSynchronouslyOnContextQueue([&] {
        if (!hasProgram()) return;
        texelWidthUniform_ = filterProgram_->uniformIndex("texelWidth");
        texelHeightUniform_ = filterProgram_->uniformIndex("texelHeight");
    });
    // The block gets this filter as its output, so it holds no reference.
    setFrameProcessingCompletionBlock([](GPUImageOutput& output, FrameTime frameTime) {
        static_cast<GPUImageAverageColor&>(output).extractAverageColorAtFrameTime(frameTime);
    });
}

GPUImageAverageColor::~GPUImageAverageColor() {
    runSynchronouslyOnContextQueue([&] { deleteGLObjects(stageFramebuffers_, stageTextures_); });
}

void GPUImageAverageColor::setColorAverageProcessingFinishedBlock(ColorAverageProcessingFinishedBlock block) {
    runSynchronouslyOnContextQueue([&] { colorAverageProcessingFinishedBlock_ = std::move(block); });
}

void GPUImageAverageColor::buildStageTextures() {
    const int width = static_cast<int>(inputTextureSize_.width);
    const int height = static_cast<int>(inputTextureSize_.height);
    if (width < 1 || height < 1) return;
    runSynchronouslyOnContextQueue([&] {
        if (!GPUImageContext::useImageProcessingContext()) return;
        stageSizes_ = averageColorStageSizes(width, height);
        reduces_ = !stageSizes_.empty();
        if (!reduces_) stageSizes_.push_back({width, height});
        for (size_t i = 0; i < stageSizes_.size(); ++i) {
            bindNewTexture(stageTextures_.emplace_back());
            // Linear filtering is what makes four taps average sixteen texels.
            applyTextureSampling(outputTextureOptions_);
        }
        glBindTexture(GL_TEXTURE_2D, 0);
    });
}

void GPUImageAverageColor::createFilterFBOofSize(graphics::Size) {
    runSynchronouslyOnContextQueue([&] {
        if (!GPUImageContext::useImageProcessingContext()) return;
        glActiveTexture(GL_TEXTURE1);
        for (size_t i = 0; i < stageTextures_.size(); ++i) {
            bindNewFramebuffer(stageFramebuffers_.emplace_back());
            glBindTexture(GL_TEXTURE_2D, stageTextures_[i].get());
            glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(outputTextureOptions_.internalFormat),
                         stageSizes_[i].width, stageSizes_[i].height, 0, outputTextureOptions_.format,
                         outputTextureOptions_.type, nullptr);
            glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, stageTextures_[i].get(), 0);
            if (auto incomplete = incompleteFramebufferError()) {
                setError(*incomplete);
                break;
            }
        }
        glBindTexture(GL_TEXTURE_2D, 0);
    });
}

void GPUImageAverageColor::destroyFilterFBO() {
    runSynchronouslyOnContextQueue([&] {
        if (GPUImageContext::useImageProcessingContext()) stageFramebuffers_.clear();
    });
}

void GPUImageAverageColor::deleteOutputTexture() {
    runSynchronouslyOnContextQueue([&] {
        if (!GPUImageContext::useImageProcessingContext()) return;
        stageTextures_.clear();
        stageSizes_.clear();
    });
}

void GPUImageAverageColor::recreateFilterFBO() {
    // Always, also when nothing existed yet: the stages follow the input size.
    cachedMaximumOutputSize_ = graphics::Size{};
    destroyFilterFBO();
    deleteOutputTexture();
    buildStageTextures();
    createFilterFBOofSize(inputTextureSize_);
}

void GPUImageAverageColor::renderToTextureWithVertices(const float* vertices, const float* textureCoordinates,
                                                       GLuint sourceTexture) {
    if (preventRendering_ || !hasProgram() || failed()) return;
    if (!GPUImageContext::useImageProcessingContext()) return;
    if (inputTextureSize_.width < 1 || inputTextureSize_.height < 1) return;
    // A conserve-memory clean-up dropped the stages: make them again.
    if (stageFramebuffers_.empty()) recreateFilterFBO();
    if (failed() || stageFramebuffers_.size() != stageSizes_.size()) return;

    GPUImageContext::setActiveShaderProgram(filterProgram_);
    setUniformsForProgramAtIndex(0);
    glEnableVertexAttribArray(static_cast<GLuint>(filterPositionAttribute_));
    glEnableVertexAttribArray(static_cast<GLuint>(filterTextureCoordinateAttribute_));
    glVertexAttribPointer(static_cast<GLuint>(filterPositionAttribute_), 2, GL_FLOAT, GL_FALSE, 0, vertices);
    glVertexAttribPointer(static_cast<GLuint>(filterTextureCoordinateAttribute_), 2, GL_FLOAT, GL_FALSE, 0,
                          textureCoordinates);

    GLuint source = sourceTexture;
    for (size_t i = 0; i < stageSizes_.size(); ++i) {
        const StageSize size = stageSizes_[i];
        glBindFramebuffer(GL_FRAMEBUFFER, stageFramebuffers_[i].get());
        glViewport(0, 0, size.width, size.height);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glActiveTexture(GL_TEXTURE2);
        glBindTexture(GL_TEXTURE_2D, source);
        glUniform1i(filterInputTextureUniform_, 2);
        glUniform1f(texelWidthUniform_, averageColorTapOffset(size.width, reduces_));
        glUniform1f(texelHeightUniform_, averageColorTapOffset(size.height, reduces_));
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        source = stageTextures_[i].get();
    }
    // The last stage stays bound for the read-back.
}

void GPUImageAverageColor::extractAverageColorAtFrameTime(FrameTime frameTime) {
    if (failed() || stageSizes_.empty() || stageFramebuffers_.size() != stageSizes_.size()) return;
    if (outputTextureOptions_.internalFormat != GL_RGBA || outputTextureOptions_.type != GL_UNSIGNED_BYTE) {
        const char* text = outputTextureOptions_.internalFormat != GL_RGBA
                               ? "The output texture internal format for this filter must be GL_RGBA."
                               : "The type of the output texture of this filter must be GL_UNSIGNED_BYTE.";
        setError(Error(kGPUImageErrorDomain, kGPUImageErrorOutputFormat, text));
        return;
    }
    const StageSize last = stageSizes_.back();
    const size_t pixelCount = static_cast<size_t>(last.width) * static_cast<size_t>(last.height);
    // Sized for the current last stage: a later, larger input must not overrun it.
    rawImagePixels_.resize(pixelCount * 4);
    glBindFramebuffer(GL_FRAMEBUFFER, stageFramebuffers_.back().get());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, last.width, last.height, GL_RGBA, GL_UNSIGNED_BYTE, rawImagePixels_.data());
    const auto mean = meanOfRgbaPixels(rawImagePixels_.data(), pixelCount);
    if (colorAverageProcessingFinishedBlock_)
        colorAverageProcessingFinishedBlock_(mean[0], mean[1], mean[2], mean[3], frameTime);
}

}  // namespace gpuimage
