// The movie writer's GL side: its program, its framebuffer, and drawing a
// frame into a BGRA pixel buffer.

#include "components/gpuimage/GPUImageFilter.h"
#include "components/gpuimage/GPUImageMovieWriter.h"
#include "components/gpuimage/GPUImageRawDataOutput.h"

namespace gpuimage {

namespace {

// Pixel buffers kept for reuse; live writing may hold a few at once.
constexpr size_t kPixelBufferPoolSize = 4;

}  // namespace

void GPUImageMovieWriter::setUpProgram() {
    runSynchronouslyOnContextQueue([&] {
        if (!GPUImageContext::useImageProcessingContext()) {
            std::lock_guard lock(mutex_);
            error_ = GPUImageContext::contextError();
            return;
        }
        // Reading BGRA straight from the framebuffer is much faster than
        // RGBA; where it is not offered the shader swaps the channels.
        readsBgra_ = GPUImageContext::deviceSupportsOpenGLESExtension("GL_EXT_read_format_bgra");
        auto linked = linkedProgramForShaders(
            kGPUImageVertexShaderString,
            readsBgra_ ? kGPUImagePassthroughFragmentShaderString : kGPUImageColorSwizzlingFragmentShaderString);
        if (!linked) {
            std::lock_guard lock(mutex_);
            error_ = linked.error();
            return;
        }
        const std::shared_ptr<GLProgram>& program = *linked;
        colorSwizzlingProgram_ = program;
        positionAttribute_ = static_cast<GLint>(program->attributeIndex("position"));
        textureCoordinateAttribute_ = static_cast<GLint>(program->attributeIndex("inputTextureCoordinate"));
        inputTextureUniform_ = program->uniformIndex("inputImageTexture");
        GPUImageContext::setActiveShaderProgram(program);
        glEnableVertexAttribArray(static_cast<GLuint>(positionAttribute_));
        glEnableVertexAttribArray(static_cast<GLuint>(textureCoordinateAttribute_));
    });
}

bool GPUImageMovieWriter::createDataFBO() {
    const int width = static_cast<int>(videoSize_.width);
    const int height = static_cast<int>(videoSize_.height);
    glActiveTexture(GL_TEXTURE1);
    bindNewFramebuffer(movieFramebuffer_);
    const GLuint texture = bindNewTexture(movieRenderTexture_);
    applyTextureSampling(GPUTextureOptions{});
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    auto incomplete = incompleteFramebufferError();
    if (!incomplete) return true;
    std::lock_guard lock(mutex_);
    error_ = *incomplete;
    movieFramebuffer_.reset();
    movieRenderTexture_.reset();
    return false;
}

void GPUImageMovieWriter::destroyDataFBO() {
    runSynchronouslyOnContextQueue(
        [&] { deleteGLObjects(movieFramebuffer_, movieRenderTexture_, inputReadFramebuffer_); });
}

bool GPUImageMovieWriter::readInputTexture(media::PixelBuffer& buffer) {
    const int width = static_cast<int>(videoSize_.width);
    const int height = static_cast<int>(videoSize_.height);
    if (!readsBgra_ || inputRotation_ != GPUImageRotationMode::NoRotation || inputSize_ != videoSize_ ||
        !inputTextureForMovieRendering_)
        return false;
    if (!inputReadFramebuffer_)
        bindNewFramebuffer(inputReadFramebuffer_);
    else
        glBindFramebuffer(GL_FRAMEBUFFER, inputReadFramebuffer_.get());
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, inputTextureForMovieRendering_, 0);
    bool read = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (read) {
        // A texture the driver cannot read as BGRA bytes (floats) reports
        // an error and goes through the draw instead.
        while (glGetError() != GL_NO_ERROR) {
        }
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glReadPixels(0, 0, width, height, GL_BGRA_EXT, GL_UNSIGNED_BYTE, buffer.bytes.data());
        read = glGetError() == GL_NO_ERROR;
    }
    // The texture is its owner's, who may delete it or use its name again.
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    return read;
}

bool GPUImageMovieWriter::renderAndReadBack(media::PixelBuffer& buffer) {
    if (!colorSwizzlingProgram_ || !GPUImageContext::useImageProcessingContext()) return false;
    // An unturned input of the movie's size is the picture already: drawing
    // it into the writer's framebuffer would only copy it, and on a software
    // renderer that copy costs as much as encoding the frame.
    if (readInputTexture(buffer)) return true;
    if (!movieFramebuffer_ && !createDataFBO()) return false;
    const int width = static_cast<int>(videoSize_.width);
    const int height = static_cast<int>(videoSize_.height);
    GPUImageContext::setActiveShaderProgram(colorSwizzlingProgram_);
    glBindFramebuffer(GL_FRAMEBUFFER, movieFramebuffer_.get());
    glViewport(0, 0, width, height);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glActiveTexture(GL_TEXTURE4);
    glBindTexture(GL_TEXTURE_2D, inputTextureForMovieRendering_);
    glUniform1i(inputTextureUniform_, 4);
    glVertexAttribPointer(static_cast<GLuint>(positionAttribute_), 2, GL_FLOAT, GL_FALSE, 0,
                          kGPUImageQuadVertices.data());
    glVertexAttribPointer(static_cast<GLuint>(textureCoordinateAttribute_), 2, GL_FLOAT, GL_FALSE, 0,
                          textureCoordinatesForRotationMode(inputRotation_).data());
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    // Rows as drawn: the pipeline keeps a picture's top row at row 0.
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, readsBgra_ ? GL_BGRA_EXT : GL_RGBA, GL_UNSIGNED_BYTE, buffer.bytes.data());
    return true;
}

std::shared_ptr<media::PixelBuffer> GPUImageMovieWriter::takePixelBuffer() {
    {
        std::lock_guard lock(mutex_);
        if (!freeBuffers_.empty()) {
            auto buffer = std::move(freeBuffers_.back());
            freeBuffers_.pop_back();
            return buffer;
        }
    }
    auto buffer = std::make_shared<media::PixelBuffer>(
        media::PixelBuffer::create(static_cast<int>(videoSize_.width), static_cast<int>(videoSize_.height)));
    buffer->pixelFormat = media::kPixelFormat32BGRA;
    return buffer;
}

void GPUImageMovieWriter::returnPixelBuffer(std::shared_ptr<media::PixelBuffer> buffer) {
    std::lock_guard lock(mutex_);
    if (freeBuffers_.size() < kPixelBufferPoolSize) freeBuffers_.push_back(std::move(buffer));
}

}  // namespace gpuimage
