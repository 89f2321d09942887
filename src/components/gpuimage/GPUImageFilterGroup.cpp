#include "components/gpuimage/GPUImageFilterGroup.h"

namespace gpuimage {

void GPUImageFilterGroup::addTarget(const std::shared_ptr<GPUImageInput>& target, int textureLocation) {
    if (terminalFilter_) terminalFilter_->addTarget(target, textureLocation);
}

void GPUImageFilterGroup::removeTarget(const std::shared_ptr<GPUImageInput>& target) {
    if (terminalFilter_) terminalFilter_->removeTarget(target);
}

void GPUImageFilterGroup::removeAllTargets() {
    if (terminalFilter_) terminalFilter_->removeAllTargets();
}

void GPUImageFilterGroup::setTargetToIgnoreForUpdates(GPUImageInput* target) {
    if (terminalFilter_) terminalFilter_->setTargetToIgnoreForUpdates(target);
}

void GPUImageFilterGroup::setFrameProcessingCompletionBlock(FrameProcessingCompletionBlock block) {
    if (terminalFilter_) terminalFilter_->setFrameProcessingCompletionBlock(std::move(block));
}

void GPUImageFilterGroup::prepareForImageCapture() {
    if (terminalFilter_) terminalFilter_->prepareForImageCapture();
}

graphics::Image GPUImageFilterGroup::newCGImageFromCurrentlyProcessedOutputWithOrientation(
    graphics::ImageOrientation orientation) {
    if (!terminalFilter_) return {};
    return terminalFilter_->newCGImageFromCurrentlyProcessedOutputWithOrientation(orientation);
}

void GPUImageFilterGroup::forceProcessingAtSize(graphics::Size size) {
    for (const auto& filter : filters_) filter->forceProcessingAtSize(size);
}

void GPUImageFilterGroup::forceProcessingAtSizeRespectingAspectRatio(graphics::Size size) {
    for (const auto& filter : filters_) filter->forceProcessingAtSizeRespectingAspectRatio(size);
}

void GPUImageFilterGroup::newFrameReadyAtTime(FrameTime frameTime, int textureIndex) {
    outputTextureRetainCount_ = static_cast<unsigned>(initialFilters_.size());
    forEachInitialFilter([&](GPUImageInput& filter) {
        if (&filter != inputFilterToIgnoreForUpdates_.get()) filter.newFrameReadyAtTime(frameTime, textureIndex);
    });
}

void GPUImageFilterGroup::setInputTexture(GLuint texture, int textureIndex) {
    forEachInitialFilter([&](GPUImageInput& filter) { filter.setInputTexture(texture, textureIndex); });
}

void GPUImageFilterGroup::setTextureDelegate(std::weak_ptr<GPUImageTextureDelegate> delegate, int textureIndex) {
    firstTextureDelegate_ = std::move(delegate);
    forEachInitialFilter(
        [&](GPUImageInput& filter) { filter.setTextureDelegate(weakTextureDelegate(), textureIndex); });
}

void GPUImageFilterGroup::textureNoLongerNeededForTarget(GPUImageInput*) {
    if (outputTextureRetainCount_ == 0) return;
    if (--outputTextureRetainCount_ > 0) return;
    if (auto delegate = firstTextureDelegate_.lock()) delegate->textureNoLongerNeededForTarget(this);
}

void GPUImageFilterGroup::setInputSize(graphics::Size size, int textureIndex) {
    forEachInitialFilter([&](GPUImageInput& filter) { filter.setInputSize(size, textureIndex); });
}

void GPUImageFilterGroup::setInputRotation(GPUImageRotationMode rotation, int textureIndex) {
    forEachInitialFilter([&](GPUImageInput& filter) { filter.setInputRotation(rotation, textureIndex); });
}

void GPUImageFilterGroup::endProcessing() {
    if (isEndProcessing_) return;
    isEndProcessing_ = true;
    forEachInitialFilter([](GPUImageInput& filter) { filter.endProcessing(); });
}

void GPUImageFilterGroup::conserveMemoryForNextFrame() {
    forEachInitialFilter([](GPUImageInput& filter) { filter.conserveMemoryForNextFrame(); });
}

bool GPUImageFilterGroup::wantsMonochromeInput() {
    bool all = true;
    forEachInitialFilter([&](GPUImageInput& filter) { all = all && filter.wantsMonochromeInput(); });
    return all;
}

void GPUImageFilterGroup::setCurrentlyReceivingMonochromeInput(bool monochrome) {
    forEachInitialFilter([&](GPUImageInput& filter) { filter.setCurrentlyReceivingMonochromeInput(monochrome); });
}

}  // namespace gpuimage
