#include "components/gpuimage/GPUImageRawDataOutput.h"

#include "components/gpuimage/GPUImageFilter.h"
#include "components/gpuimage/GPUImageLog.h"

#include <algorithm>
#include <cmath>

namespace gpuimage {

using foundation::Error;

const char* const kGPUImageColorSwizzlingFragmentShaderString = R"(
varying highp vec2 textureCoordinate;
uniform sampler2D inputImageTexture;
void main() {
    gl_FragColor = texture2D(inputImageTexture, textureCoordinate).bgra;
}
)";

GPUImageRawDataOutput::GPUImageRawDataOutput(graphics::Size imageSize, bool resultsInBGRAFormat)
    : imageSize_(imageSize), outputBGRA_(resultsInBGRAFormat) {
    runSynchronouslyOnContextQueue([&] {
        // The framebuffer is read as BGRA, the fast read-back here: the bytes
        // come out RGBA when the draw exchanges red and blue.
        readFormat_ = GPUImageContext::deviceSupportsOpenGLESExtension("GL_EXT_read_format_bgra")
                          ? static_cast<GLenum>(GL_BGRA_EXT)
                          : static_cast<GLenum>(GL_RGBA);
        bool swizzle = outputBGRA_ != (readFormat_ == GL_BGRA_EXT);
        auto linked =
            linkedProgramForShaders(kGPUImageVertexShaderString, swizzle ? kGPUImageColorSwizzlingFragmentShaderString
                                                                         : kGPUImagePassthroughFragmentShaderString);
        if (!linked.ok()) {
            error_ = linked.error();
            return;
        }
        const auto& program = linked.value();
        dataProgram_ = program;
        dataPositionAttribute_ = static_cast<GLint>(program->attributeIndex("position"));
        dataTextureCoordinateAttribute_ = static_cast<GLint>(program->attributeIndex("inputTextureCoordinate"));
        dataInputTextureUniform_ = program->uniformIndex("inputImageTexture");
    });
}

GPUImageRawDataOutput::~GPUImageRawDataOutput() { destroyDataFBO(); }

void GPUImageRawDataOutput::newFrameReadyAtTime(FrameTime, int) {
    hasReadFromTheCurrentFrame_ = false;
    if (newFrameAvailableBlock_) newFrameAvailableBlock_();
}

void GPUImageRawDataOutput::setInputTexture(GLuint texture, int) { inputTextureForDisplay_ = texture; }

void GPUImageRawDataOutput::setTextureDelegate(std::weak_ptr<GPUImageTextureDelegate> delegate, int) {
    textureDelegate_ = std::move(delegate);
}

void GPUImageRawDataOutput::setInputRotation(GPUImageRotationMode rotation, int) { inputRotation_ = rotation; }

void GPUImageRawDataOutput::setNewFrameAvailableBlock(std::function<void()> block) {
    runSynchronouslyOnContextQueue([&] { newFrameAvailableBlock_ = std::move(block); });
}

std::optional<Error> GPUImageRawDataOutput::error() const {
    std::optional<Error> copy;
    runSynchronouslyOnContextQueue([&] { copy = error_; });
    return copy;
}

void GPUImageRawDataOutput::createDataFBO() {
    int width = static_cast<int>(imageSize_.width), height = static_cast<int>(imageSize_.height);
    glActiveTexture(GL_TEXTURE1);
    bindNewFramebuffer(dataFramebuffer_);
    const GLuint renderbuffer = bindNewRenderbuffer(dataRenderbuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8_OES, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffer);
    if (auto incomplete = incompleteFramebufferError()) error_ = incomplete;
}

void GPUImageRawDataOutput::destroyDataFBO() {
    runSynchronouslyOnContextQueue([&] { deleteGLObjects(dataFramebuffer_, dataRenderbuffer_); });
}

void GPUImageRawDataOutput::setFilterFBO() {
    if (!dataFramebuffer_) createDataFBO();
    glBindFramebuffer(GL_FRAMEBUFFER, dataFramebuffer_.get());
    glViewport(0, 0, static_cast<int>(imageSize_.width), static_cast<int>(imageSize_.height));
}

void GPUImageRawDataOutput::renderAtInternalSize() {
    GPUImageContext::setActiveShaderProgram(dataProgram_);
    setFilterFBO();
    if (error_) return;
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glActiveTexture(GL_TEXTURE4);
    glBindTexture(GL_TEXTURE_2D, inputTextureForDisplay_);
    glUniform1i(dataInputTextureUniform_, 4);
    // The input's rotation is left to the filters before this output.
    const auto& coordinates = textureCoordinatesForRotationMode(GPUImageRotationMode::NoRotation);
    glVertexAttribPointer(static_cast<GLuint>(dataPositionAttribute_), 2, GL_FLOAT, GL_FALSE, 0,
                          kGPUImageQuadVertices.data());
    glVertexAttribPointer(static_cast<GLuint>(dataTextureCoordinateAttribute_), 2, GL_FLOAT, GL_FALSE, 0,
                          coordinates.data());
    glEnableVertexAttribArray(static_cast<GLuint>(dataPositionAttribute_));
    glEnableVertexAttribArray(static_cast<GLuint>(dataTextureCoordinateAttribute_));
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

const uint8_t* GPUImageRawDataOutput::rawBytesForImage() {
    const uint8_t* bytes = nullptr;
    runSynchronouslyOnContextQueue([&] {
        if (error_ || !dataProgram_ || !GPUImageContext::useImageProcessingContext()) return;
        int width = static_cast<int>(imageSize_.width), height = static_cast<int>(imageSize_.height);
        if (width < 1 || height < 1) return;
        size_t length = static_cast<size_t>(width) * height * 4;
        if (rawBytes_.size() != length) {
            rawBytes_.assign(length, 0);
            hasReadFromTheCurrentFrame_ = false;
        }
        if (!hasReadFromTheCurrentFrame_) {
            renderAtInternalSize();
            if (error_) return;
            glPixelStorei(GL_PACK_ALIGNMENT, 4);
            glReadPixels(0, 0, width, height, readFormat_, GL_UNSIGNED_BYTE, rawBytes_.data());
            hasReadFromTheCurrentFrame_ = true;
        }
        bytes = rawBytes_.data();
    });
    return bytes;
}

GPUByteColorVector GPUImageRawDataOutput::colorAtLocation(graphics::Point location) {
    const uint8_t* bytes = rawBytesForImage();
    if (!bytes) return {};
    int width = static_cast<int>(imageSize_.width), height = static_cast<int>(imageSize_.height);
    // Rows are stored top row first, so y counts from the top as given; each
    // coordinate is rounded to its pixel and clamped to the picture.
    long x = std::clamp(std::lround(location.x), 0L, static_cast<long>(width - 1));
    long y = std::clamp(std::lround(location.y), 0L, static_cast<long>(height - 1));
    const uint8_t* pixel = bytes + 4 * (static_cast<size_t>(y) * width + static_cast<size_t>(x));
    GPUByteColorVector color{pixel[0], pixel[1], pixel[2], pixel[3]};
    if (outputBGRA_) std::swap(color.red, color.blue);
    return color;
}

void GPUImageRawDataOutput::setImageSize(graphics::Size size) {
    runSynchronouslyOnContextQueue([&] {
        imageSize_ = size;
        destroyDataFBO();
        rawBytes_.clear();
        rawBytes_.shrink_to_fit();
    });
}

}  // namespace gpuimage
