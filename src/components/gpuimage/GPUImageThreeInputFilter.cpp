#include "components/gpuimage/GPUImageThreeInputFilter.h"

#include "components/gpuimage/GPUImageFilterShaders.h"

#include <algorithm>

namespace gpuimage {

GPUImageThreeInputFilter::GPUImageThreeInputFilter(const std::string& fragmentShader)
    : GPUImageThreeInputFilter(kGPUImageThreeInputTextureVertexShaderString, fragmentShader) {}

GPUImageThreeInputFilter::GPUImageThreeInputFilter(const std::string& vertexShader, const std::string& fragmentShader)
    : GPUImageTwoInputFilter(vertexShader, fragmentShader, {"inputTextureCoordinate3"}) {
    runSynchronouslyOnContextQueue([&] {
        if (!hasProgram() || !GPUImageContext::useImageProcessingContext()) return;
        filterThirdTextureCoordinateAttribute_ =
            static_cast<GLint>(filterProgram_->attributeIndex("inputTextureCoordinate3"));
        filterInputTextureUniform3_ = filterProgram_->uniformIndex("inputImageTexture3");
        glEnableVertexAttribArray(static_cast<GLuint>(filterThirdTextureCoordinateAttribute_));
    });
}

int GPUImageThreeInputFilter::nextAvailableTextureIndex() {
    if (hasSetSecondTexture_) return 2;
    return GPUImageTwoInputFilter::nextAvailableTextureIndex();
}

void GPUImageThreeInputFilter::setInputTexture(GLuint texture, int textureIndex) {
    if (textureIndex < 2) {
        GPUImageTwoInputFilter::setInputTexture(texture, textureIndex);
        if (textureIndex == 1) hasSetSecondTexture_ = true;
    } else {
        filterSourceTexture3_ = texture;
    }
}

void GPUImageThreeInputFilter::setInputRotation(GPUImageRotationMode rotation, int textureIndex) {
    if (textureIndex < 2)
        GPUImageTwoInputFilter::setInputRotation(rotation, textureIndex);
    else
        inputRotation3_ = rotation;
}

void GPUImageThreeInputFilter::setTextureDelegate(std::weak_ptr<GPUImageTextureDelegate> delegate, int textureIndex) {
    if (textureIndex < 2)
        GPUImageTwoInputFilter::setTextureDelegate(std::move(delegate), textureIndex);
    else
        thirdTextureDelegate_ = std::move(delegate);
}

void GPUImageThreeInputFilter::releaseInputTexturesIfNeeded() {
    if (!shouldConserveMemoryForNextFrame_) return;
    if (auto delegate = thirdTextureDelegate_.lock()) delegate->textureNoLongerNeededForTarget(this);
    GPUImageTwoInputFilter::releaseInputTexturesIfNeeded();
}

void GPUImageThreeInputFilter::bindAdditionalInputs() {
    GPUImageTwoInputFilter::bindAdditionalInputs();
    glActiveTexture(GL_TEXTURE4);
    glBindTexture(GL_TEXTURE_2D, filterSourceTexture3_);
    glUniform1i(filterInputTextureUniform3_, 4);
    glEnableVertexAttribArray(static_cast<GLuint>(filterThirdTextureCoordinateAttribute_));
    glVertexAttribPointer(static_cast<GLuint>(filterThirdTextureCoordinateAttribute_), 2, GL_FLOAT, GL_FALSE, 0,
                          textureCoordinatesForRotation(inputRotation3_).data());
}

bool GPUImageThreeInputFilter::markFrame(FrameTime frameTime, int textureIndex) {
    bool* received[3] = {&hasReceivedFirstFrame_, &hasReceivedSecondFrame_, &hasReceivedThirdFrame_};
    const bool disabled[3] = {firstFrameCheckDisabled_, secondFrameCheckDisabled_, thirdFrameCheckDisabled_};
    FrameTime* times[3] = {&firstFrameTime_, &secondFrameTime_, &thirdFrameTime_};
    const int index = std::min(textureIndex, 2);
    *received[index] = true;
    *times[index] = frameTime;
    for (int other = 0; other < 3; ++other)
        if (other != index && disabled[other]) *received[other] = true;
    // Input 0 compares with input 1's time, the others with input 0's.
    const FrameTime& other = index == 0 ? secondFrameTime_ : firstFrameTime_;
    const bool stillRule = !isIndefiniteFrameTime(frameTime) && isIndefiniteFrameTime(other);
    return (hasReceivedFirstFrame_ && hasReceivedSecondFrame_ && hasReceivedThirdFrame_) || stillRule;
}

void GPUImageThreeInputFilter::newFrameReadyAtTime(FrameTime frameTime, int textureIndex) {
    if (!hasProgram()) return;
    outputTextureRetainCount_ = static_cast<unsigned>(targetEntries().size());
    if (hasReceivedFirstFrame_ && hasReceivedSecondFrame_ && hasReceivedThirdFrame_) return;
    if (!markFrame(frameTime, textureIndex)) return;
    // The targets get the incoming time, not the stored first one.
    GPUImageFilter::newFrameReadyAtTime(frameTime, 0);
    hasReceivedFirstFrame_ = false;
    hasReceivedSecondFrame_ = false;
    hasReceivedThirdFrame_ = false;
}

}  // namespace gpuimage
