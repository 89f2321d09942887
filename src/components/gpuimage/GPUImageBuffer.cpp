#include "components/gpuimage/GPUImageBuffer.h"

#include <algorithm>

namespace gpuimage {

using graphics::Size;

GPUImageBuffer::GPUImageBuffer() {
    runSynchronouslyOnContextQueue([&] {
        if (!hasProgram() || !GPUImageContext::useImageProcessingContext()) return;
        bufferedTextures_.emplace_back(generateTexture());
    });
}

GPUImageBuffer::~GPUImageBuffer() {
    runSynchronouslyOnContextQueue([&] { deleteGLObjects(bufferedTextures_); });
}

GLuint GPUImageBuffer::generateTexture() {
    GLuint name = 0;
    runSynchronouslyOnContextQueue([&] {
        if (!GPUImageContext::useImageProcessingContext()) return;
        glActiveTexture(GL_TEXTURE0);
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        applyTextureSampling(outputTextureOptions_);
        const Size size = sizeOfFBO();
        if (size.width >= 1 && size.height >= 1)
            glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(outputTextureOptions_.internalFormat),
                         static_cast<int>(size.width), static_cast<int>(size.height), 0, outputTextureOptions_.format,
                         outputTextureOptions_.type, nullptr);
        glBindTexture(GL_TEXTURE_2D, 0);
    });
    return name;
}

void GPUImageBuffer::allocateBufferedTextures(Size size) {
    const int width = static_cast<int>(size.width), height = static_cast<int>(size.height);
    if (width < 1 || height < 1) return;
    glActiveTexture(GL_TEXTURE0);
    for (const auto& texture : bufferedTextures_) {
        glBindTexture(GL_TEXTURE_2D, texture.get());
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(outputTextureOptions_.internalFormat), width, height, 0,
                     outputTextureOptions_.format, outputTextureOptions_.type, nullptr);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    bufferedTextureSize_ = Size{double(width), double(height)};
}

void GPUImageBuffer::setBufferSize(unsigned newBufferSize) {
    if (newBufferSize == 0 || newBufferSize == bufferSize_) return;
    runSynchronouslyOnContextQueue([&] {
        if (!GPUImageContext::useImageProcessingContext()) return;
        while (bufferedTextures_.size() < newBufferSize) bufferedTextures_.emplace_back(generateTexture());
        while (bufferedTextures_.size() > newBufferSize) bufferedTextures_.pop_back();
    });
    bufferSize_ = newBufferSize;
}

GLuint GPUImageBuffer::textureForOutput() { return bufferedTextures_.empty() ? 0 : bufferedTextures_.front().get(); }

void GPUImageBuffer::createFilterFBOofSize(Size) {
    runSynchronouslyOnContextQueue([&] {
        if (!GPUImageContext::useImageProcessingContext()) return;
        GLuint name = 0;
        glGenFramebuffers(1, &name);
        filterFramebuffer_.reset(name);
    });
}

void GPUImageBuffer::newFrameReadyAtTime(FrameTime frameTime, int) {
    if (!hasProgram() || bufferedTextures_.empty()) return;
    const Size size = sizeOfFBO();
    // A new frame size: every texture of the ring takes it before any is handed out.
    if (size != bufferedTextureSize_ && GPUImageContext::useImageProcessingContext()) allocateBufferedTextures(size);

    outputTextureRetainCount_ = static_cast<unsigned>(targetEntries().size());
    notifyTargetsAboutNewOutputTexture();
    informTargetsAboutNewFrameAtTime(frameTime);

    if (bufferSize_ < 2) {
        glFinish();  // the targets have drawn from the texture about to be overwritten
    } else {
        std::rotate(bufferedTextures_.begin(), bufferedTextures_.begin() + 1, bufferedTextures_.end());
    }
    renderToTextureWithVertices(kGPUImageQuadVertices.data(), textureCoordinatesForRotation(inputRotation_).data(),
                                filterSourceTexture_);
}

void GPUImageBuffer::setFilterFBO() {
    GPUImageFilter::setFilterFBO();
    if (bufferedTextures_.empty()) return;
    // Each frame goes into the newest texture of the ring.
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, bufferedTextures_.back().get(), 0);
    if (auto incomplete = incompleteFramebufferError()) setError(*incomplete);
}

}  // namespace gpuimage
