#include "components/gpuimage/GPUImageFilter.h"

#include "components/gpuimage/GPUImageLog.h"

#include <algorithm>
#include <cmath>

namespace gpuimage {

using foundation::Error;
using graphics::Size;

const char* const kGPUImageVertexShaderString = R"(
attribute vec4 position;
attribute vec4 inputTextureCoordinate;
varying vec2 textureCoordinate;
void main() {
    gl_Position = position;
    textureCoordinate = inputTextureCoordinate.xy;
}
)";

const char* const kGPUImagePassthroughFragmentShaderString = R"(
varying highp vec2 textureCoordinate;
uniform sampler2D inputImageTexture;
void main() {
    gl_FragColor = texture2D(inputImageTexture, textureCoordinate);
}
)";

namespace {

// The largest size of `size`'s aspect ratio inside `bounds`.
Size aspectFitSize(Size size, Size bounds) {
    if (size.width <= 0 || size.height <= 0) return {};
    double scale = std::min(bounds.width / size.width, bounds.height / size.height);
    return {size.width * scale, size.height * scale};
}

}  // namespace

GPUImageFilter::GPUImageFilter(const std::string& vertexShader, const std::string& fragmentShader,
                               const std::vector<std::string>& extraAttributes) {
    setUpProgram(vertexShader, fragmentShader, extraAttributes);
}

GPUImageFilter::GPUImageFilter(const std::string& fragmentShader)
    : GPUImageFilter(kGPUImageVertexShaderString, fragmentShader) {}

GPUImageFilter::GPUImageFilter() : GPUImageFilter(kGPUImagePassthroughFragmentShaderString) {}

std::shared_ptr<GPUImageFilter> GPUImageFilter::createWithFragmentShaderFromFile(const std::string& name) {
    // A missing resource gives a shader that fails to compile: the filter
    // then carries the link error like any other.
    auto source = GLProgram::shaderSourceFromResource(name, "fsh");
    return std::make_shared<GPUImageFilter>(source.value_or(std::string()));
}

void GPUImageFilter::setUpProgram(const std::string& vertexShader, const std::string& fragmentShader,
                                  const std::vector<std::string>& extraAttributes) {
    runSynchronouslyOnContextQueue([&] {
        auto linked = linkedProgramForShaders(vertexShader, fragmentShader, extraAttributes);
        if (!linked.ok()) {
            setError(linked.error());
            return;
        }
        const auto& program = linked.value();
        filterProgram_ = program;
        filterPositionAttribute_ = static_cast<GLint>(program->attributeIndex("position"));
        filterTextureCoordinateAttribute_ = static_cast<GLint>(program->attributeIndex("inputTextureCoordinate"));
        filterInputTextureUniform_ = program->uniformIndex("inputImageTexture");
        GPUImageContext::setActiveShaderProgram(program);
        glEnableVertexAttribArray(static_cast<GLuint>(filterPositionAttribute_));
        glEnableVertexAttribArray(static_cast<GLuint>(filterTextureCoordinateAttribute_));
    });
}

GPUImageFilter::~GPUImageFilter() {
    runSynchronouslyOnContextQueue([&] { deleteGLObjects(filterFramebuffer_, outputTexture_); });
}

// Target side.

void GPUImageFilter::setInputTexture(GLuint texture, int) { filterSourceTexture_ = texture; }

void GPUImageFilter::setTextureDelegate(std::weak_ptr<GPUImageTextureDelegate> delegate, int) {
    firstTextureDelegate_ = std::move(delegate);
}

void GPUImageFilter::setInputRotation(GPUImageRotationMode rotation, int) { inputRotation_ = rotation; }

Size GPUImageFilter::rotatedSize(Size size, int) {
    return rotationSwapsWidthAndHeight(inputRotation_) ? Size{size.height, size.width} : size;
}

void GPUImageFilter::setInputSize(Size size, int textureIndex) {
    if (preventRendering_) return;
    if (overrideInputSize_) {
        if (isZeroSize(forcedMaximumSize_)) return;
        inputTextureSize_ = aspectFitSize(size, forcedMaximumSize_);
        return;
    }
    Size rotated = rotatedSize(size, textureIndex);
    if (isZeroSize(rotated)) {
        inputTextureSize_ = rotated;
    } else if (rotated != inputTextureSize_) {
        inputTextureSize_ = rotated;
        recreateFilterFBO();
    }
}

void GPUImageFilter::endProcessing() {
    if (isEndProcessing_) return;
    isEndProcessing_ = true;
    runSynchronouslyOnContextQueue([&] {
        for (const auto& entry : targetEntries()) entry.target->endProcessing();
    });
}

void GPUImageFilter::conserveMemoryForNextFrame() {
    if (overrideInputSize_) return;
    GPUImageOutput::conserveMemoryForNextFrame();
}

// Framebuffer.

Size GPUImageFilter::sizeOfFBO() {
    Size outputSize = maximumOutputSize();
    if (isZeroSize(outputSize) || inputTextureSize_.width < outputSize.width) return inputTextureSize_;
    return outputSize;
}

void GPUImageFilter::setFilterFBO() {
    Size size = sizeOfFBO();
    if (!filterFramebuffer_) {
        createFilterFBOofSize(size);
        setupFilterForSize(size);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, filterFramebuffer_.get());
    glViewport(0, 0, static_cast<int>(size.width), static_cast<int>(size.height));
}

void GPUImageFilter::setOutputFBO() { setFilterFBO(); }

void GPUImageFilter::createFilterFBOofSize(Size size) {
    runSynchronouslyOnContextQueue([&] {
        if (!GPUImageContext::useImageProcessingContext()) return;
        int width = static_cast<int>(size.width), height = static_cast<int>(size.height);
        glActiveTexture(GL_TEXTURE1);
        bindNewFramebuffer(filterFramebuffer_);

        initializeOutputTextureIfNeeded();
        glBindTexture(GL_TEXTURE_2D, outputTexture_.get());
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(outputTextureOptions_.internalFormat), width, height, 0,
                     outputTextureOptions_.format, outputTextureOptions_.type, nullptr);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, outputTexture_.get(), 0);
        notifyTargetsAboutNewOutputTexture();
        if (auto incomplete = incompleteFramebufferError()) setError(*incomplete);
        glBindTexture(GL_TEXTURE_2D, 0);
    });
}

void GPUImageFilter::destroyFilterFBO() {
    runSynchronouslyOnContextQueue([&] {
        if (!filterFramebuffer_ || !GPUImageContext::useImageProcessingContext()) return;
        filterFramebuffer_.reset();
    });
}

void GPUImageFilter::recreateFilterFBO() {
    cachedMaximumOutputSize_ = Size{};
    if (!filterFramebuffer_) return;
    destroyFilterFBO();
    deleteOutputTexture();
    setFilterFBO();
}

void GPUImageFilter::deleteOutputTexture() { GPUImageOutput::deleteOutputTexture(); }

void GPUImageFilter::cleanupOutputImage() {
    destroyFilterFBO();
    deleteOutputTexture();
}

void GPUImageFilter::releaseInputTexturesIfNeeded() {
    if (!shouldConserveMemoryForNextFrame_) return;
    if (auto delegate = firstTextureDelegate_.lock()) delegate->textureNoLongerNeededForTarget(this);
    shouldConserveMemoryForNextFrame_ = false;
}

// Processing.

void GPUImageFilter::renderToTextureWithVertices(const float* vertices, const float* textureCoordinates,
                                                 GLuint sourceTexture) {
    if (preventRendering_ || !filterProgram_ || failed()) return;
    if (!GPUImageContext::useImageProcessingContext()) return;
    if (inputTextureSize_.width < 1 || inputTextureSize_.height < 1) return;
    GPUImageContext::setActiveShaderProgram(filterProgram_);
    setFilterFBO();
    if (failed()) return;  // the framebuffer could not be completed
    setUniformsForProgramAtIndex(0);

    glClearColor(backgroundColor_[0], backgroundColor_[1], backgroundColor_[2], backgroundColor_[3]);
    glClear(GL_COLOR_BUFFER_BIT);

    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D, sourceTexture);
    glUniform1i(filterInputTextureUniform_, 2);
    bindAdditionalInputs();

    glEnableVertexAttribArray(static_cast<GLuint>(filterPositionAttribute_));
    glEnableVertexAttribArray(static_cast<GLuint>(filterTextureCoordinateAttribute_));
    glVertexAttribPointer(static_cast<GLuint>(filterPositionAttribute_), 2, GL_FLOAT, GL_FALSE, 0, vertices);
    glVertexAttribPointer(static_cast<GLuint>(filterTextureCoordinateAttribute_), 2, GL_FLOAT, GL_FALSE, 0,
                          textureCoordinates);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

void GPUImageFilter::newFrameReadyAtTime(FrameTime frameTime, int) {
    if (!filterProgram_) return;  // inert: no context or no program
    outputTextureRetainCount_ = static_cast<unsigned>(targetEntries().size());
    renderToTextureWithVertices(kGPUImageQuadVertices.data(), textureCoordinatesForRotation(inputRotation_).data(),
                                filterSourceTexture_);
    informTargetsAboutNewFrameAtTime(frameTime);
}

void GPUImageFilter::informTargetsAboutNewFrameAtTime(FrameTime frameTime) {
    if (failed()) return;  // nothing was drawn to pass on
    if (frameProcessingCompletionBlock_) frameProcessingCompletionBlock_(*this, frameTime);
    releaseInputTexturesIfNeeded();
    // A copy: a target may change this list while it handles the frame.
    auto entries = targetEntries();
    for (const auto& entry : entries) {
        if (entry.target.get() == targetToIgnoreForUpdates()) continue;
        entry.target->setInputSize(outputFrameSize(), entry.textureIndex);
        entry.target->newFrameReadyAtTime(frameTime, entry.textureIndex);
    }
}

void GPUImageFilter::forceProcessingAtSize(Size size) {
    runSynchronouslyOnContextQueue([&] {
        if (isZeroSize(size)) {
            overrideInputSize_ = false;
        } else {
            overrideInputSize_ = true;
            inputTextureSize_ = size;
            forcedMaximumSize_ = Size{};
        }
        destroyFilterFBO();
        for (const auto& entry : targetEntries()) entry.target->destroyFilterFBO();
    });
}

void GPUImageFilter::forceProcessingAtSizeRespectingAspectRatio(Size size) {
    runSynchronouslyOnContextQueue([&] {
        if (isZeroSize(size)) {
            overrideInputSize_ = false;
            inputTextureSize_ = Size{};
            forcedMaximumSize_ = Size{};
        } else {
            overrideInputSize_ = true;
            forcedMaximumSize_ = size;
        }
        destroyFilterFBO();
        for (const auto& entry : targetEntries()) entry.target->destroyFilterFBO();
    });
}

void GPUImageFilter::setBackgroundColor(float red, float green, float blue, float alpha) {
    // Stored on the queue, so a draw never sees half a colour.
    runSynchronouslyOnContextQueue([&] {
        backgroundColor_[0] = red;
        backgroundColor_[1] = green;
        backgroundColor_[2] = blue;
        backgroundColor_[3] = alpha;
    });
}

}  // namespace gpuimage
