#include "components/gpuimage/GPUImageOutput.h"

#include "components/gpuimage/GPUImageLog.h"
#include "platform/ui/host/Device.h"

#include <algorithm>

namespace gpuimage {

using graphics::Size;

GPUImageOutput::GPUImageOutput() = default;

GPUImageOutput::~GPUImageOutput() {
    // Targets are let go without being told: they may be going away too.
    runSynchronouslyOnContextQueue([&] {
        targets_.clear();
        if (outputTexture_ && !GPUImageContext::useImageProcessingContext()) outputTexture_.release();
        outputTexture_.reset();
    });
}

std::vector<std::shared_ptr<GPUImageInput>> GPUImageOutput::targets() const {
    std::vector<std::shared_ptr<GPUImageInput>> list;
    runSynchronouslyOnContextQueue([&] {
        for (const auto& entry : targets_) list.push_back(entry.target);
    });
    return list;
}

std::vector<int> GPUImageOutput::targetTextureIndices() const {
    std::vector<int> list;
    runSynchronouslyOnContextQueue([&] {
        for (const auto& entry : targets_) list.push_back(entry.textureIndex);
    });
    return list;
}

void GPUImageOutput::addTarget(const std::shared_ptr<GPUImageInput>& target) {
    if (!target) return;
    runSynchronouslyOnContextQueue([&] {
        addTarget(target, target->nextAvailableTextureIndex());
        if (target->shouldIgnoreUpdatesToThisTarget()) targetToIgnoreForUpdates_ = target.get();
    });
}

void GPUImageOutput::addTarget(const std::shared_ptr<GPUImageInput>& target, int textureLocation) {
    if (!target) return;
    runSynchronouslyOnContextQueue([&] {
        bool attached = std::any_of(targets_.begin(), targets_.end(),
                                    [&](const TargetEntry& entry) { return entry.target == target; });
        if (attached) return;
        cachedMaximumOutputSize_ = Size{};
        setInputTextureForTarget(*target, textureLocation);
        target->setTextureDelegate(weakTextureDelegate(), textureLocation);
        targets_.push_back({target, textureLocation});
        allTargetsWantMonochromeData_ = allTargetsWantMonochromeData_ && target->wantsMonochromeInput();
    });
}

void GPUImageOutput::removeTarget(const std::shared_ptr<GPUImageInput>& target) {
    if (!target) return;
    runSynchronouslyOnContextQueue([&] {
        auto at = std::find_if(targets_.begin(), targets_.end(),
                               [&](const TargetEntry& entry) { return entry.target == target; });
        if (at == targets_.end()) return;
        if (targetToIgnoreForUpdates_ == target.get()) targetToIgnoreForUpdates_ = nullptr;
        cachedMaximumOutputSize_ = Size{};
        int index = at->textureIndex;
        target->setInputTexture(0, index);
        target->setInputSize(Size{}, index);
        target->setTextureDelegate({}, index);
        target->setInputRotation(GPUImageRotationMode::NoRotation, index);
        targets_.erase(at);
        target->endProcessing();
    });
}

void GPUImageOutput::removeAllTargets() {
    runSynchronouslyOnContextQueue([&] {
        cachedMaximumOutputSize_ = Size{};
        // Taken out first: a target's reset may reach back into this list.
        auto detached = std::move(targets_);
        targets_.clear();
        for (const auto& entry : detached) {
            entry.target->setInputTexture(0, entry.textureIndex);
            entry.target->setInputSize(Size{}, entry.textureIndex);
            entry.target->setTextureDelegate({}, entry.textureIndex);
            entry.target->setInputRotation(GPUImageRotationMode::NoRotation, entry.textureIndex);
        }
        targetToIgnoreForUpdates_ = nullptr;
        allTargetsWantMonochromeData_ = true;
    });
}

void GPUImageOutput::setInputTextureForTarget(GPUImageInput& target, int textureIndex) {
    target.setInputTexture(textureForOutput(), textureIndex);
}

void GPUImageOutput::notifyTargetsAboutNewOutputTexture() {
    for (const auto& entry : targets_) setInputTextureForTarget(*entry.target, entry.textureIndex);
}

void applyTextureSampling(const GPUTextureOptions& options) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(options.minFilter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(options.magFilter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(options.wrapS));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(options.wrapT));
}

namespace {

template <class Handle, class Generate, class Bind>
GLuint bindNew(Handle& handle, Generate generate, Bind bind) {
    GLuint name = 0;
    generate(1, &name);
    handle.reset(name);
    bind(name);
    return name;
}

}  // namespace

GLuint bindNewFramebuffer(gl::es2::Framebuffer& framebuffer) {
    return bindNew(framebuffer, glGenFramebuffers, [](GLuint name) { glBindFramebuffer(GL_FRAMEBUFFER, name); });
}

GLuint bindNewRenderbuffer(gl::es2::Renderbuffer& renderbuffer) {
    return bindNew(renderbuffer, glGenRenderbuffers, [](GLuint name) { glBindRenderbuffer(GL_RENDERBUFFER, name); });
}

GLuint bindNewTexture(gl::es2::Texture& texture) {
    return bindNew(texture, glGenTextures, [](GLuint name) { glBindTexture(GL_TEXTURE_2D, name); });
}

void GPUImageOutput::initializeOutputTextureIfNeeded() {
    runSynchronouslyOnContextQueue([&] {
        if (outputTexture_ || !GPUImageContext::useImageProcessingContext()) return;
        glActiveTexture(GL_TEXTURE0);
        bindNewTexture(outputTexture_);
        applyTextureSampling(outputTextureOptions_);
        glBindTexture(GL_TEXTURE_2D, 0);
    });
}

bool GPUImageOutput::uploadToOutputTexture(int width, int height, GLint internalFormat, GLenum format, GLenum type,
                                           const void* bytes) {
    if (!GPUImageContext::useImageProcessingContext()) {
        if (auto failure = GPUImageContext::contextError()) setError(*failure);
        return false;
    }
    initializeOutputTextureIfNeeded();
    glBindTexture(GL_TEXTURE_2D, outputTexture_.get());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, format, type, bytes);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, 0);
    return true;
}

void GPUImageOutput::deleteOutputTexture() {
    runSynchronouslyOnContextQueue([&] {
        if (!GPUImageContext::useImageProcessingContext()) return;
        outputTexture_.reset();
    });
}

void GPUImageOutput::conserveMemoryForNextFrame() {
    shouldConserveMemoryForNextFrame_ = true;
    runSynchronouslyOnContextQueue([&] {
        for (const auto& entry : targets_)
            if (entry.target.get() != targetToIgnoreForUpdates_) entry.target->conserveMemoryForNextFrame();
    });
}

void GPUImageOutput::textureNoLongerNeededForTarget(GPUImageInput*) {
    if (outputTextureRetainCount_ == 0) return;
    if (--outputTextureRetainCount_ == 0) cleanupOutputImage();
}

void GPUImageOutput::cleanupOutputImage() { gpuLog("WARNING: Undefined image cleanup"); }

graphics::Image GPUImageOutput::newCGImageFromCurrentlyProcessedOutputWithOrientation(graphics::ImageOrientation) {
    return {};
}

graphics::Image GPUImageOutput::newCGImageFromCurrentlyProcessedOutput() {
    using ui::DeviceOrientation;
    auto orientation = graphics::ImageOrientation::Up;
    switch (ui::Device::current().orientation()) {
        case DeviceOrientation::Portrait:
            orientation = graphics::ImageOrientation::Up;
            break;
        case DeviceOrientation::PortraitUpsideDown:
            orientation = graphics::ImageOrientation::Down;
            break;
        case DeviceOrientation::LandscapeLeft:
            orientation = graphics::ImageOrientation::Left;
            break;
        case DeviceOrientation::LandscapeRight:
            orientation = graphics::ImageOrientation::Right;
            break;
        default:
            break;
    }
    return imageFromCurrentlyProcessedOutputWithOrientation(orientation);
}

graphics::Image GPUImageOutput::imageFromCurrentlyProcessedOutputWithOrientation(
    graphics::ImageOrientation orientation) {
    graphics::Image image = newCGImageFromCurrentlyProcessedOutputWithOrientation(orientation);
    if (image.isNull()) return image;
    return image.withScale(1.0).withOrientation(orientation);
}

void GPUImageOutput::setAudioEncodingTarget(std::shared_ptr<GPUImageAudioEncodingTarget> target) {
    if (target && !target->hasAudioTrack()) target->setHasAudioTrack(true);
    std::lock_guard lock(audioEncodingTargetMutex_);
    audioEncodingTarget_ = std::move(target);
}

std::shared_ptr<GPUImageAudioEncodingTarget> GPUImageOutput::audioEncodingTarget() const {
    std::lock_guard lock(audioEncodingTargetMutex_);
    return audioEncodingTarget_;
}

void GPUImageOutput::setFrameProcessingCompletionBlock(FrameProcessingCompletionBlock block) {
    runSynchronouslyOnContextQueue([&] { frameProcessingCompletionBlock_ = std::move(block); });
}

std::optional<foundation::Error> GPUImageOutput::error() const {
    std::optional<foundation::Error> copy;
    runSynchronouslyOnContextQueue([&] { copy = error_; });
    return copy;
}

void GPUImageOutput::setError(foundation::Error error) {
    runSynchronouslyOnContextQueue([&] { error_ = std::move(error); });
}

void GPUImageOutput::runOnQueueWhileAlive(std::function<void()> work) {
    std::weak_ptr<GPUImageOutput> weak = weak_from_this();
    if (weak.expired()) {
        // Not shared (yet): a subclass's constructor setting its defaults.
        runSynchronouslyOnContextQueue(work);
        return;
    }
    runAsynchronouslyOnContextQueue([weak, work = std::move(work)] {
        if (auto self = weak.lock()) work();
    });
}

std::weak_ptr<GPUImageTextureDelegate> GPUImageOutput::weakTextureDelegate() {
    std::weak_ptr<GPUImageOutput> self = weak_from_this();
    return self;
}

}  // namespace gpuimage
