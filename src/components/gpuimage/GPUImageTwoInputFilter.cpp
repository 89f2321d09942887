#include "components/gpuimage/GPUImageTwoInputFilter.h"

#include "components/gpuimage/GPUImageFilterShaders.h"

namespace gpuimage {

namespace {

std::vector<std::string> withSecondCoordinate(const std::vector<std::string>& extraAttributes) {
    std::vector<std::string> attributes{"inputTextureCoordinate2"};
    attributes.insert(attributes.end(), extraAttributes.begin(), extraAttributes.end());
    return attributes;
}

}  // namespace

GPUImageTwoInputFilter::GPUImageTwoInputFilter(const std::string& fragmentShader)
    : GPUImageTwoInputFilter(kGPUImageTwoInputTextureVertexShaderString, fragmentShader) {}

GPUImageTwoInputFilter::GPUImageTwoInputFilter(const std::string& vertexShader, const std::string& fragmentShader,
                                               const std::vector<std::string>& extraAttributes)
    : GPUImageFilter(vertexShader, fragmentShader, withSecondCoordinate(extraAttributes)) {
    runSynchronouslyOnContextQueue([&] {
        if (!hasProgram() || !GPUImageContext::useImageProcessingContext()) return;
        filterSecondTextureCoordinateAttribute_ =
            static_cast<GLint>(filterProgram_->attributeIndex("inputTextureCoordinate2"));
        filterInputTextureUniform2_ = filterProgram_->uniformIndex("inputImageTexture2");
        glEnableVertexAttribArray(static_cast<GLuint>(filterSecondTextureCoordinateAttribute_));
    });
}

void GPUImageTwoInputFilter::setInputTexture(GLuint texture, int textureIndex) {
    if (textureIndex == 0) {
        filterSourceTexture_ = texture;
        hasSetFirstTexture_ = true;
    } else {
        filterSourceTexture2_ = texture;
    }
}

void GPUImageTwoInputFilter::setInputSize(graphics::Size size, int textureIndex) {
    if (textureIndex == 0) GPUImageFilter::setInputSize(size, textureIndex);
}

void GPUImageTwoInputFilter::setInputRotation(GPUImageRotationMode rotation, int textureIndex) {
    if (textureIndex == 0)
        inputRotation_ = rotation;
    else
        inputRotation2_ = rotation;
}

void GPUImageTwoInputFilter::setTextureDelegate(std::weak_ptr<GPUImageTextureDelegate> delegate, int textureIndex) {
    if (textureIndex == 0)
        firstTextureDelegate_ = std::move(delegate);
    else
        secondTextureDelegate_ = std::move(delegate);
}

void GPUImageTwoInputFilter::releaseInputTexturesIfNeeded() {
    if (!shouldConserveMemoryForNextFrame_) return;
    if (auto delegate = firstTextureDelegate_.lock()) delegate->textureNoLongerNeededForTarget(this);
    if (auto delegate = secondTextureDelegate_.lock()) delegate->textureNoLongerNeededForTarget(this);
    shouldConserveMemoryForNextFrame_ = false;
}

void GPUImageTwoInputFilter::bindAdditionalInputs() {
    glActiveTexture(GL_TEXTURE3);
    glBindTexture(GL_TEXTURE_2D, filterSourceTexture2_);
    glUniform1i(filterInputTextureUniform2_, 3);
    glEnableVertexAttribArray(static_cast<GLuint>(filterSecondTextureCoordinateAttribute_));
    glVertexAttribPointer(static_cast<GLuint>(filterSecondTextureCoordinateAttribute_), 2, GL_FLOAT, GL_FALSE, 0,
                          textureCoordinatesForRotation(inputRotation2_).data());
}

bool GPUImageTwoInputFilter::markFrame(FrameTime frameTime, int textureIndex) {
    if (textureIndex == 0) {
        hasReceivedFirstFrame_ = true;
        firstFrameTime_ = frameTime;
        if (secondFrameCheckDisabled_) hasReceivedSecondFrame_ = true;
    } else {
        hasReceivedSecondFrame_ = true;
        secondFrameTime_ = frameTime;
        if (firstFrameCheckDisabled_) hasReceivedFirstFrame_ = true;
    }
    // A frame with a real time does not wait for a still on the other input.
    const FrameTime& other = textureIndex == 0 ? secondFrameTime_ : firstFrameTime_;
    const bool stillRule = !isIndefiniteFrameTime(frameTime) && isIndefiniteFrameTime(other);
    return (hasReceivedFirstFrame_ && hasReceivedSecondFrame_) || stillRule;
}

void GPUImageTwoInputFilter::newFrameReadyAtTime(FrameTime frameTime, int textureIndex) {
    if (!hasProgram()) return;  // inert: no context or no program
    outputTextureRetainCount_ = static_cast<unsigned>(targetEntries().size());
    if (hasReceivedFirstFrame_ && hasReceivedSecondFrame_) return;
    if (!markFrame(frameTime, textureIndex)) return;
    const FrameTime passOn = isIndefiniteFrameTime(firstFrameTime_) ? secondFrameTime_ : firstFrameTime_;
    GPUImageFilter::newFrameReadyAtTime(passOn, 0);
    hasReceivedFirstFrame_ = false;
    hasReceivedSecondFrame_ = false;
}

}  // namespace gpuimage
