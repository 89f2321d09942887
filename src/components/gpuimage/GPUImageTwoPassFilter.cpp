#include "components/gpuimage/GPUImageTwoPassFilter.h"

namespace gpuimage {

using graphics::Size;

GPUImageTwoPassFilter::GPUImageTwoPassFilter(const std::string& firstStageVertexShader,
                                             const std::string& firstStageFragmentShader,
                                             const std::string& secondStageVertexShader,
                                             const std::string& secondStageFragmentShader)
    : GPUImageFilter(firstStageVertexShader, firstStageFragmentShader) {
    runSynchronouslyOnContextQueue([&] {
        if (!hasProgram()) return;
        auto linked = linkedProgramForShaders(secondStageVertexShader, secondStageFragmentShader);
        if (!linked.ok()) {
            setError(linked.error());
            return;
        }
        secondFilterProgram_ = linked.value();
        secondFilterPositionAttribute_ = static_cast<GLint>(secondFilterProgram_->attributeIndex("position"));
        secondFilterTextureCoordinateAttribute_ =
            static_cast<GLint>(secondFilterProgram_->attributeIndex("inputTextureCoordinate"));
        secondFilterInputTextureUniform_ = secondFilterProgram_->uniformIndex("inputImageTexture");
        secondFilterInputTextureUniform2_ = secondFilterProgram_->uniformIndex("inputImageTexture2");
        GPUImageContext::setActiveShaderProgram(secondFilterProgram_);
        glEnableVertexAttribArray(static_cast<GLuint>(secondFilterPositionAttribute_));
        glEnableVertexAttribArray(static_cast<GLuint>(secondFilterTextureCoordinateAttribute_));
    });
}

GPUImageTwoPassFilter::GPUImageTwoPassFilter(const std::string& firstStageFragmentShader,
                                             const std::string& secondStageFragmentShader)
    : GPUImageTwoPassFilter(kGPUImageVertexShaderString, firstStageFragmentShader, kGPUImageVertexShaderString,
                            secondStageFragmentShader) {}

GPUImageTwoPassFilter::~GPUImageTwoPassFilter() {
    runSynchronouslyOnContextQueue([&] { deleteGLObjects(secondFilterFramebuffer_, secondFilterOutputTexture_); });
}

void GPUImageTwoPassFilter::setFilterFBO() {
    const Size size = sizeOfFBO();
    if (!filterFramebuffer_) {
        GPUImageFilter::createFilterFBOofSize(size);
        setupFilterForSize(size);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, filterFramebuffer_.get());
    glViewport(0, 0, static_cast<int>(size.width), static_cast<int>(size.height));
}

void GPUImageTwoPassFilter::setSecondFilterFBO() {
    const Size size = sizeOfFBO();
    if (!secondFilterFramebuffer_) {
        createFilterFBOofSize(size);
        setupFilterForSize(size);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, secondFilterFramebuffer_.get());
    glViewport(0, 0, static_cast<int>(size.width), static_cast<int>(size.height));
}

void GPUImageTwoPassFilter::createFilterFBOofSize(Size) {
    runSynchronouslyOnContextQueue([&] {
        if (!GPUImageContext::useImageProcessingContext()) return;
        if (!filterFramebuffer_) GPUImageFilter::createFilterFBOofSize(sizeOfFBO());
        createSecondFilterFBOofSize(sizeOfFBO());
    });
}

void GPUImageTwoPassFilter::initializeSecondOutputTextureIfNeeded() {
    runSynchronouslyOnContextQueue([&] {
        if (secondFilterOutputTexture_ || !GPUImageContext::useImageProcessingContext()) return;
        bindNewTexture(secondFilterOutputTexture_);
        applyTextureSampling(GPUTextureOptions{});
    });
}

void GPUImageTwoPassFilter::createSecondFilterFBOofSize(Size size) {
    runSynchronouslyOnContextQueue([&] {
        if (!GPUImageContext::useImageProcessingContext()) return;
        bindNewFramebuffer(secondFilterFramebuffer_);
        initializeSecondOutputTextureIfNeeded();
        glBindTexture(GL_TEXTURE_2D, secondFilterOutputTexture_.get());
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(outputTextureOptions_.internalFormat),
                     static_cast<int>(size.width), static_cast<int>(size.height), 0, outputTextureOptions_.format,
                     outputTextureOptions_.type, nullptr);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, secondFilterOutputTexture_.get(),
                               0);
        notifyTargetsAboutNewOutputTexture();
        if (auto incomplete = incompleteFramebufferError()) setError(*incomplete);
        glBindTexture(GL_TEXTURE_2D, 0);
    });
}

void GPUImageTwoPassFilter::destroyFilterFBO() {
    runSynchronouslyOnContextQueue([&] {
        if (!GPUImageContext::useImageProcessingContext()) return;
        filterFramebuffer_.reset();
        secondFilterFramebuffer_.reset();
    });
}

void GPUImageTwoPassFilter::deleteOutputTexture() {
    runSynchronouslyOnContextQueue([&] {
        if (!GPUImageContext::useImageProcessingContext()) return;
        outputTexture_.reset();
        secondFilterOutputTexture_.reset();
    });
}

void GPUImageTwoPassFilter::recreateFilterFBO() {
    cachedMaximumOutputSize_ = Size{};
    destroyFilterFBO();
    deleteOutputTexture();
}

void GPUImageTwoPassFilter::renderToTextureWithVertices(const float* vertices, const float* textureCoordinates,
                                                        GLuint sourceTexture) {
    if (preventRendering_ || !secondFilterProgram_ || failed()) return;
    if (!GPUImageContext::useImageProcessingContext()) return;
    if (inputTextureSize_.width < 1 || inputTextureSize_.height < 1) return;
    // A monochrome input needs no first pass: the second reads it directly.
    if (!currentlyReceivingMonochromeInput_)
        GPUImageFilter::renderToTextureWithVertices(vertices, textureCoordinates, sourceTexture);
    if (failed()) return;

    GPUImageContext::setActiveShaderProgram(secondFilterProgram_);
    for (GLenum unit : {GL_TEXTURE2, GL_TEXTURE3}) {
        glActiveTexture(unit);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    setSecondFilterFBO();
    if (failed()) return;
    setUniformsForProgramAtIndex(1);

    glActiveTexture(GL_TEXTURE3);
    const float* coordinates = textureCoordinates;
    if (currentlyReceivingMonochromeInput_) {
        glBindTexture(GL_TEXTURE_2D, sourceTexture);
    } else {
        glBindTexture(GL_TEXTURE_2D, outputTexture_.get());
        coordinates = textureCoordinatesForRotation(GPUImageRotationMode::NoRotation).data();
    }
    glUniform1i(secondFilterInputTextureUniform_, 3);
    glEnableVertexAttribArray(static_cast<GLuint>(secondFilterPositionAttribute_));
    glEnableVertexAttribArray(static_cast<GLuint>(secondFilterTextureCoordinateAttribute_));
    glVertexAttribPointer(static_cast<GLuint>(secondFilterPositionAttribute_), 2, GL_FLOAT, GL_FALSE, 0, vertices);
    glVertexAttribPointer(static_cast<GLuint>(secondFilterTextureCoordinateAttribute_), 2, GL_FLOAT, GL_FALSE, 0,
                          coordinates);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);

    if (shouldConserveMemoryForNextFrame_) {
        if (auto delegate = firstTextureDelegate_.lock()) delegate->textureNoLongerNeededForTarget(this);
        filterFramebuffer_.reset();
        outputTexture_.reset();
        shouldConserveMemoryForNextFrame_ = false;
    }
}

void GPUImageTwoPassFilter::setAndExecuteUniformStateCallbackAtIndex(GLint uniform,
                                                                     const std::shared_ptr<GLProgram>& program,
                                                                     std::function<void()> apply) {
    if (program == filterProgram_) {
        GPUImageFilter::setAndExecuteUniformStateCallbackAtIndex(uniform, program, std::move(apply));
        return;
    }
    auto& stored = secondProgramUniformStateRestorationBlocks_[uniform];
    stored = std::move(apply);
    stored();
}

void GPUImageTwoPassFilter::setUniformsForProgramAtIndex(int programIndex) {
    if (programIndex == 0) {
        GPUImageFilter::setUniformsForProgramAtIndex(programIndex);
        return;
    }
    for (const auto& [uniform, apply] : secondProgramUniformStateRestorationBlocks_) apply();
}

}  // namespace gpuimage
