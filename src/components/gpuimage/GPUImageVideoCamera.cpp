#include "components/gpuimage/GPUImageVideoCamera.h"

#include "components/gpuimage/GPUImageContext.h"
#include "components/gpuimage/GPUImageFilter.h"
#include "components/gpuimage/GPUImageLog.h"
#include "components/gpuimage/GPUImageUpload.h"
#include "platform/foundation/Localized.h"

#include <chrono>

namespace gpuimage {

namespace {

using capture::DevicePosition;

constexpr std::array<float, 8> kConversionTextureCoordinates = {0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f};

// The last camera at the position, as the platform lists them.
capture::CaptureDevicePtr lastDeviceAt(DevicePosition position) {
    capture::CaptureDevicePtr found;
    for (const auto& device : capture::videoDevices()) {
        if (device->position() == position) found = device;
    }
    return found;
}

}  // namespace

std::optional<GPUImageRotationMode> GPUImageVideoCamera::rotationFor(DevicePosition position, bool mirrored,
                                                                     int interfaceOrientation) {
    if (interfaceOrientation < 1 || interfaceOrientation > 4) return std::nullopt;
    // Columns: portrait, upside down, landscape right, landscape left. A
    // mirrored back camera is its unmirrored picture flipped left to right.
    static constexpr int kBack[4] = {2, 1, 0, 7};
    static constexpr int kBackMirrored[4] = {5, 6, 4, 3};
    static constexpr int kFront[4] = {2, 1, 7, 0};
    static constexpr int kFrontMirrored[4] = {5, 6, 3, 4};
    const int* row =
        position == DevicePosition::Back ? (mirrored ? kBackMirrored : kBack) : (mirrored ? kFrontMirrored : kFront);
    return static_cast<GPUImageRotationMode>(row[interfaceOrientation - 1]);
}

std::shared_ptr<GPUImageVideoCamera> GPUImageVideoCamera::create() {
    return create(capture::kSessionPreset640x480, DevicePosition::Back);
}

std::shared_ptr<GPUImageVideoCamera> GPUImageVideoCamera::create(const std::string& sessionPreset,
                                                                 DevicePosition cameraPosition) {
    return create(sessionPreset, lastDeviceAt(cameraPosition));
}

std::shared_ptr<GPUImageVideoCamera> GPUImageVideoCamera::create(const std::string& sessionPreset,
                                                                 const capture::CaptureDevicePtr& device) {
    auto camera = std::shared_ptr<GPUImageVideoCamera>(new GPUImageVideoCamera());
    if (!camera->setUp(sessionPreset, device)) return nullptr;
    return camera;
}

bool GPUImageVideoCamera::setUp(const std::string& sessionPreset, DevicePosition cameraPosition) {
    return setUp(sessionPreset, lastDeviceAt(cameraPosition));
}

bool GPUImageVideoCamera::setUp(const std::string& sessionPreset, const capture::CaptureDevicePtr& device) {
    runSynchronouslyOnContextQueue([&] {
        if (!GPUImageContext::useImageProcessingContext()) {
            if (auto failure = GPUImageContext::contextError()) setError(*failure);
            return;
        }
        if (captureAsYUV_) {
            auto program =
                linkedProgramForShaders(kGPUImageVertexShaderString, kGPUImageYUVConversionFragmentShaderString);
            if (!program.ok()) return setError(program.error());
            yuvConversionProgram_ = program.value();
            yuvConversionPositionAttribute_ = GLint(yuvConversionProgram_->attributeIndex("position"));
            yuvConversionTextureCoordinateAttribute_ =
                GLint(yuvConversionProgram_->attributeIndex("inputTextureCoordinate"));
            yuvConversionLuminanceTextureUniform_ = yuvConversionProgram_->uniformIndex("luminanceTexture");
            yuvConversionChrominanceTextureUniform_ = yuvConversionProgram_->uniformIndex("chrominanceTexture");
            yuvConversionMatrixUniform_ = yuvConversionProgram_->uniformIndex("colorConversionMatrix");
            yuvConversionLumaOffsetUniform_ = yuvConversionProgram_->uniformIndex("lumaOffset");
            GPUImageContext::setActiveShaderProgram(yuvConversionProgram_);
            glEnableVertexAttribArray(GLuint(yuvConversionPositionAttribute_));
            glEnableVertexAttribArray(GLuint(yuvConversionTextureCoordinateAttribute_));
        }
        // Frames are uploaded into this texture (there is no texture cache).
        initializeOutputTextureIfNeeded();
    });

    inputCamera_ = device;
    if (!inputCamera_) return false;

    captureSession_ = capture::CaptureSession::create();
    captureSession_->beginConfiguration();
    if (auto input = capture::CaptureDeviceInput::create(inputCamera_); input.ok()) {
        if (captureSession_->canAddInput(input.value())) {
            captureSession_->addInput(input.value());
            videoInput_ = input.value();
        }
    }
    videoOutput_ = std::make_shared<capture::VideoDataOutput>();
    // Late frames are dropped by the one-in-flight test of captureOutput,
    // not by the output.
    videoOutput_->setAlwaysDiscardsLateVideoFrames(false);
    // Without a texture cache planar frames would need two uploads and a
    // pass; the camera asks for the BGRA it can upload at once.
    videoOutput_->setPixelFormat(capture::kPixelFormatBGRA);
    std::weak_ptr<GPUImageOutput> weak = weak_from_this();
    videoOutput_->setSampleBufferDelegate(
        [weak](const capture::SampleBuffer& buffer) {
            if (auto self = std::static_pointer_cast<GPUImageVideoCamera>(weak.lock())) self->captureOutput(buffer);
        },
        foundation::DispatchQueue::global(foundation::QueuePriority::High));
    if (!captureSession_->canAddOutput(videoOutput_)) {
        gpuLog("Couldn't add video output");
        captureSession_->commitConfiguration();
        return false;
    }
    captureSession_->addOutput(videoOutput_);
    captureSessionPreset_ = sessionPreset;
    captureSession_->setSessionPreset(sessionPreset);
    captureSession_->commitConfiguration();
    return true;
}

GPUImageVideoCamera::~GPUImageVideoCamera() {
    stopCameraCapture();
    if (videoOutput_) videoOutput_->setSampleBufferDelegate(nullptr, foundation::DispatchQueue::global());
    removeInputsAndOutputs();
    runSynchronouslyOnContextQueue(
        [&] { deleteGLObjects(yuvConversionFramebuffer_, luminanceTexture_, chrominanceTexture_); });
}

// ---- session ---------------------------------------------------------------------------

void GPUImageVideoCamera::startCameraCapture() {
    if (!captureSession_ || captureSession_->isRunning()) return;
    captureSession_->startRunning();
    // The sensor lays frames down for the orientation the camera turns back.
    if (outputImageOrientation_ >= 1 && outputImageOrientation_ <= 4) {
        captureSession_->setInterfaceOrientation(outputImageOrientation_);
    }
    sessionRunning_.store(true);
}

void GPUImageVideoCamera::stopCameraCapture() {
    sessionRunning_.store(false);
    if (captureSession_ && captureSession_->isRunning()) captureSession_->stopRunning();
}

DevicePosition GPUImageVideoCamera::cameraPosition() const {
    return videoInput_ ? videoInput_->device()->position() : DevicePosition::Unspecified;
}

bool GPUImageVideoCamera::isBackFacingCameraPresent() { return lastDeviceAt(DevicePosition::Back) != nullptr; }

bool GPUImageVideoCamera::isFrontFacingCameraPresent() { return lastDeviceAt(DevicePosition::Front) != nullptr; }

void GPUImageVideoCamera::rotateCamera() {
    if (!isFrontFacingCameraPresent() || !captureSession_) return;
    const DevicePosition wanted =
        cameraPosition() == DevicePosition::Back ? DevicePosition::Front : DevicePosition::Back;
    switchToCamera(lastDeviceAt(wanted));
}

bool GPUImageVideoCamera::switchToCamera(const capture::CaptureDevicePtr& device, foundation::Error* why) {
    const auto refused = [why](foundation::Error error) {
        if (why) *why = std::move(error);
        return false;
    };
    if (!device || !captureSession_)
        return refused(
            {capture::kCaptureErrorDomain, capture::kCaptureErrorDeviceNotAvailable, "No camera was given."});
    if (videoInput_ && videoInput_->device() == device) return true;
    auto input = capture::CaptureDeviceInput::create(device);
    if (!input.ok()) return refused(input.error());
    const auto previous = videoInput_;
    if (!useInput(input.value())) {
        // Gone meanwhile, or it does not film at the session's preset.
        if (!device->isConnected()) return refused(capture::cameraNotConnectedError());
        return refused({capture::kCaptureErrorDomain, capture::kCaptureErrorDeviceNotAvailable,
                        foundation::localized("The camera cannot film at this picture size.")});
    }
    if (auto failed = device->failure()) {
        // It opened, but its start failed: no picture would come from it.
        const foundation::Error failure = *failed;
        if (previous) useInput(previous);
        return refused(failure);
    }
    return true;
}

bool GPUImageVideoCamera::useInput(const capture::CaptureDeviceInputPtr& input) {
    captureSession_->beginConfiguration();
    if (videoInput_) captureSession_->removeInput(videoInput_);
    const bool taken = captureSession_->canAddInput(input);
    if (taken) {
        captureSession_->addInput(input);
        videoInput_ = input;
    } else if (videoInput_) {
        captureSession_->addInput(videoInput_);
    }
    captureSession_->commitConfiguration();
    // The camera in use, whether or not the session took the new one.
    if (videoInput_) inputCamera_ = videoInput_->device();
    setOutputImageOrientation(outputImageOrientation_);
    return taken;
}

void GPUImageVideoCamera::setCaptureSessionPreset(const std::string& preset) {
    if (!captureSession_) return;
    captureSession_->beginConfiguration();
    captureSessionPreset_ = preset;
    captureSession_->setSessionPreset(preset);
    captureSession_->commitConfiguration();
}

void GPUImageVideoCamera::setFrameRate(int frameRate) {
    frameRate_ = frameRate;
    if (!inputCamera_ || !inputCamera_->lockForConfiguration()) return;
    const media::MediaTime duration =
        frameRate > 0 ? media::MediaTime::make(1, frameRate) : media::MediaTime::invalid();
    inputCamera_->setActiveVideoMinFrameDuration(duration);
    inputCamera_->setActiveVideoMaxFrameDuration(duration);
    inputCamera_->unlockForConfiguration();
}

// ---- orientation ------------------------------------------------------------------------

void GPUImageVideoCamera::setOutputImageOrientation(int orientation) {
    outputImageOrientation_ = orientation;
    if (captureSession_ && orientation >= 1 && orientation <= 4) captureSession_->setInterfaceOrientation(orientation);
    updateOrientationSendToTargets();
}

void GPUImageVideoCamera::setHorizontallyMirrorFrontFacingCamera(bool mirror) {
    horizontallyMirrorFrontFacingCamera_ = mirror;
    updateOrientationSendToTargets();
}

void GPUImageVideoCamera::setHorizontallyMirrorRearFacingCamera(bool mirror) {
    horizontallyMirrorRearFacingCamera_ = mirror;
    updateOrientationSendToTargets();
}

void GPUImageVideoCamera::updateOrientationSendToTargets() {
    runSynchronouslyOnContextQueue([&] {
        const DevicePosition position = cameraPosition();
        const bool mirrored = position == DevicePosition::Back ? horizontallyMirrorRearFacingCamera_
                                                               : horizontallyMirrorFrontFacingCamera_;
        if (auto rotation = rotationFor(position, mirrored, outputImageOrientation_)) outputRotation_ = *rotation;
        for (const auto& entry : targetEntries()) entry.target->setInputRotation(outputRotation_, entry.textureIndex);
    });
}

void GPUImageVideoCamera::addTarget(const std::shared_ptr<GPUImageInput>& target, int textureLocation) {
    GPUImageOutput::addTarget(target, textureLocation);
    if (!target) return;
    runSynchronouslyOnContextQueue([&] { target->setInputRotation(outputRotation_, textureLocation); });
}

// ---- audio -----------------------------------------------------------------------------

void GPUImageVideoCamera::setAudioEncodingTarget(std::shared_ptr<GPUImageAudioEncodingTarget> target) {
    if (target) {
        audioSampleRate_ = target->audioSampleRate();
        if (audioOutput_) audioOutput_->setAudioFormat({audioSampleRate_, 1});
        if (addAudioInputsAndOutputs()) addedAudioInputsDueToEncodingTarget_ = true;
    } else {
        if (addedAudioInputsDueToEncodingTarget_) removeAudioInputsAndOutputs();
        addedAudioInputsDueToEncodingTarget_ = false;
    }
    GPUImageOutput::setAudioEncodingTarget(std::move(target));
}

bool GPUImageVideoCamera::addAudioInputsAndOutputs() {
    if (audioOutput_ || !captureSession_) return false;
    auto microphone = media::AudioInput::shared();
    if (!microphone) return false;
    captureSession_->beginConfiguration();
    microphone_ = std::move(microphone);
    if (auto input = capture::AudioDeviceInput::create(microphone_); input.ok()) {
        if (captureSession_->canAddInput(input.value())) {
            captureSession_->addInput(input.value());
            audioInput_ = input.value();
        }
    }
    audioOutput_ = std::make_shared<capture::AudioDataOutput>();
    audioOutput_->setAudioFormat({audioSampleRate_, 1});
    std::weak_ptr<GPUImageOutput> weak = weak_from_this();
    audioOutput_->setSampleBufferDelegate(
        [weak](const media::AudioSampleBuffer& buffer) {
            if (auto self = std::static_pointer_cast<GPUImageVideoCamera>(weak.lock()))
                self->processAudioSampleBuffer(buffer);
        },
        foundation::DispatchQueue::global(foundation::QueuePriority::Low));
    if (captureSession_->canAddOutput(audioOutput_)) {
        captureSession_->addOutput(audioOutput_);
    } else {
        gpuLog("Couldn't add audio output");
    }
    captureSession_->commitConfiguration();
    return true;
}

bool GPUImageVideoCamera::removeAudioInputsAndOutputs() {
    if (!audioOutput_ || !captureSession_) return false;
    captureSession_->beginConfiguration();
    if (audioInput_) captureSession_->removeInput(audioInput_);
    captureSession_->removeOutput(audioOutput_);
    captureSession_->commitConfiguration();
    // Runs already on their way to the audio queue go nowhere.
    audioOutput_->setSampleBufferDelegate(nullptr, foundation::DispatchQueue::global());
    audioInput_.reset();
    audioOutput_.reset();
    microphone_.reset();
    return true;
}

void GPUImageVideoCamera::processAudioSampleBuffer(const media::AudioSampleBuffer& buffer) {
    if (!sessionRunning_.load()) return;
    if (auto target = audioEncodingTarget()) target->processAudioBuffer(buffer);
}

void GPUImageVideoCamera::removeInputsAndOutputs() {
    if (!captureSession_) return;
    captureSession_->beginConfiguration();
    if (videoInput_) {
        captureSession_->removeInput(videoInput_);
        captureSession_->removeOutput(videoOutput_);
        videoInput_.reset();
    }
    if (microphone_) removeAudioInputsAndOutputs();
    captureSession_->commitConfiguration();
}

// ---- benchmark -------------------------------------------------------------------------

double GPUImageVideoCamera::averageFrameDurationDuringCapture() const {
    const uint64_t frames = numberOfFramesCaptured_.load();
    if (frames <= 5) return 0;
    return totalFrameTimeDuringCapture_.load() / double(frames - 5) * 1000.0;
}

void GPUImageVideoCamera::resetBenchmarkAverage() {
    numberOfFramesCaptured_.store(0);
    totalFrameTimeDuringCapture_.store(0);
}

void GPUImageVideoCamera::noteFrameTime(double seconds) {
    if (numberOfFramesCaptured_.fetch_add(1) + 1 > 5) totalFrameTimeDuringCapture_.fetch_add(seconds);
}

// ---- frame path ------------------------------------------------------------------------

void GPUImageVideoCamera::captureOutput(const capture::SampleBuffer& sampleBuffer) {
    if (!sessionRunning_.load()) return;
    // One frame queued or in work; a frame that finds it taken is dropped.
    if (!frameRenderingSemaphore_.wait(0)) return;
    // The pixels are laid out here, on the capture queue, not on the
    // context queue where they would hold up every GL client.
    sampleBuffer.pixelBuffer();
    std::weak_ptr<GPUImageOutput> weak = weak_from_this();
    runAsynchronouslyOnContextQueue(
        [weak, buffer = sampleBuffer.shared_from_this(), semaphore = frameRenderingSemaphore_]() mutable {
            if (auto self = std::static_pointer_cast<GPUImageVideoCamera>(weak.lock())) {
                self->processFrameOnContextQueue(*buffer);
            }
            buffer.reset();
            semaphore.signal();
        });
}

void GPUImageVideoCamera::processFrameOnContextQueue(const capture::SampleBuffer& sampleBuffer) {
    runSynchronouslyOnContextQueue([&] {
        if (auto* delegate = delegate_.load()) delegate->willOutputSampleBuffer(sampleBuffer);
        processVideoSampleBuffer(sampleBuffer);
    });
}

void GPUImageVideoCamera::processVideoSampleBuffer(const capture::SampleBuffer& sampleBuffer) {
    runSynchronouslyOnContextQueue([&] {
        if (capturePaused_.load() || failed()) return;
        const auto start = std::chrono::steady_clock::now();
        preferredConversion_ = yuvConversionFor(sampleBuffer.pixelFormat(), sampleBuffer.ycbcrMatrix());
        const FrameTime time = sampleBuffer.presentationTime();
        if (!GPUImageContext::useImageProcessingContext()) return;
        if (sampleBuffer.isPlanar()) {
            if (!captureAsYUV_ || !yuvConversionProgram_) return;
            uploadPlanes(sampleBuffer);
            if (!allTargetsWantMonochromeData()) convertYUVToRGBOutput();
            updateTargetsForVideoCamera(sampleBuffer.width(), sampleBuffer.height(), time);
        } else {
            uploadBGRA(sampleBuffer);
            const graphics::Size size{double(sampleBuffer.width()), double(sampleBuffer.height())};
            const auto entries = targetEntries();
            for (const auto& entry : entries) {
                if (!entry.target->enabled() || entry.target.get() == targetToIgnoreForUpdates()) continue;
                entry.target->setInputSize(size, entry.textureIndex);
                entry.target->newFrameReadyAtTime(time, entry.textureIndex);
            }
        }
        if (runBenchmark_) {
            noteFrameTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
    });
}

void GPUImageVideoCamera::uploadBGRA(const capture::SampleBuffer& sampleBuffer) {
    initializeOutputTextureIfNeeded();
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, outputTexture_.get());
    uploadTexturePixels({sampleBuffer.width(), sampleBuffer.height(), sampleBuffer.bytesPerRow(), 4, GL_RGBA,
                         GL_BGRA_EXT, sampleBuffer.baseAddress()});
}

void GPUImageVideoCamera::uploadPlanes(const capture::SampleBuffer& sampleBuffer) {
    const int width = sampleBuffer.width(), height = sampleBuffer.height();
    if (width != imageBufferWidth_ || height != imageBufferHeight_) {
        imageBufferWidth_ = width;
        imageBufferHeight_ = height;
        destroyYUVConversionFBO();
        createYUVConversionFBO();
    }
    auto upload = [](gl::es2::Texture& texture, GLenum unit, const capture::PixelPlane& plane, int bytesPerPixel,
                     GLenum format) {
        if (!texture) {
            GLuint name = 0;
            glGenTextures(1, &name);
            texture.reset(name);
        }
        glActiveTexture(unit);
        glBindTexture(GL_TEXTURE_2D, texture.get());
        applyTextureSampling(GPUTextureOptions{});
        uploadTexturePixels(
            {plane.width, plane.height, plane.bytesPerRow, bytesPerPixel, format, format, plane.bytes.data()});
    };
    upload(luminanceTexture_, GL_TEXTURE4, sampleBuffer.plane(0), 1, GL_LUMINANCE);
    upload(chrominanceTexture_, GL_TEXTURE5, sampleBuffer.plane(1), 2, GL_LUMINANCE_ALPHA);
}

void GPUImageVideoCamera::convertYUVToRGBOutput() {
    GPUImageContext::setActiveShaderProgram(yuvConversionProgram_);
    setYUVConversionFBO();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glActiveTexture(GL_TEXTURE4);
    glBindTexture(GL_TEXTURE_2D, luminanceTexture_.get());
    glUniform1i(yuvConversionLuminanceTextureUniform_, 4);
    glActiveTexture(GL_TEXTURE5);
    glBindTexture(GL_TEXTURE_2D, chrominanceTexture_.get());
    glUniform1i(yuvConversionChrominanceTextureUniform_, 5);
    glUniformMatrix3fv(yuvConversionMatrixUniform_, 1, GL_FALSE, &preferredConversion_.matrix->one.one);
    glUniform1f(yuvConversionLumaOffsetUniform_, preferredConversion_.lumaOffset);
    glVertexAttribPointer(GLuint(yuvConversionPositionAttribute_), 2, GL_FLOAT, GL_FALSE, 0,
                          kGPUImageQuadVertices.data());
    glVertexAttribPointer(GLuint(yuvConversionTextureCoordinateAttribute_), 2, GL_FLOAT, GL_FALSE, 0,
                          kConversionTextureCoordinates.data());
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

void GPUImageVideoCamera::createYUVConversionFBO() {
    initializeOutputTextureIfNeeded();
    glActiveTexture(GL_TEXTURE1);
    bindNewFramebuffer(yuvConversionFramebuffer_);
    glBindTexture(GL_TEXTURE_2D, outputTexture_.get());
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, imageBufferWidth_, imageBufferHeight_, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 nullptr);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, outputTexture_.get(), 0);
    notifyTargetsAboutNewOutputTexture();
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        setError(foundation::Error(kGPUImageErrorDomain, kGPUImageErrorIncompleteFramebuffer,
                                   "Incomplete filter FBO: " + std::to_string(status)));
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

void GPUImageVideoCamera::setYUVConversionFBO() {
    if (!yuvConversionFramebuffer_) createYUVConversionFBO();
    glBindFramebuffer(GL_FRAMEBUFFER, yuvConversionFramebuffer_.get());
    glViewport(0, 0, imageBufferWidth_, imageBufferHeight_);
}

void GPUImageVideoCamera::destroyYUVConversionFBO() {
    runSynchronouslyOnContextQueue([&] {
        if (!GPUImageContext::useImageProcessingContext()) return;
        yuvConversionFramebuffer_.reset();
        outputTexture_.reset();
    });
}

void GPUImageVideoCamera::updateTargetsForVideoCamera(int width, int height, FrameTime time) {
    const graphics::Size size{double(width), double(height)};
    const auto entries = targetEntries();
    for (const auto& entry : entries) {
        GPUImageInput& target = *entry.target;
        if (!target.enabled()) continue;
        target.setInputRotation(outputRotation_, entry.textureIndex);
        if (&target == targetToIgnoreForUpdates()) {
            target.setInputTexture(outputTexture_.get(), entry.textureIndex);
            continue;
        }
        target.setInputSize(size, entry.textureIndex);
        // A target that reads only brightness takes the luma plane as it is.
        const bool monochrome = target.wantsMonochromeInput() && captureAsYUV_;
        target.setCurrentlyReceivingMonochromeInput(monochrome);
        target.setInputTexture(monochrome ? luminanceTexture_.get() : outputTexture_.get(), entry.textureIndex);
        target.newFrameReadyAtTime(time, entry.textureIndex);
    }
}

}  // namespace gpuimage
