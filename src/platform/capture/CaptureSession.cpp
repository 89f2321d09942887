#include "platform/capture/CaptureSession.h"

#include "platform/capture/SensorOrientation.h"
#include "platform/capture/VideoPreviewLayer.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/ui/host/Application.h"

#include <algorithm>

namespace capture {

// Frame times count nanoseconds of the run loop's clock.
constexpr int32_t kPresentationTimescale = 1000000000;

// What the camera's thread needs of the session: shared, so a frame in
// flight outlives a session that is torn down meanwhile.
struct SessionPipe {
    std::atomic<bool> active{false};
    // Changes whenever streaming stops, so that a frame still on its way
    // from the previous stream is not taken for one of the next.
    std::atomic<uint64_t> generation{0};
    std::atomic<int> orientation{3};
    std::atomic<int64_t> position{static_cast<int64_t>(DevicePosition::Back)};
    std::atomic<int64_t> frameNumber{0};
    std::atomic<int> rowAlignment{4};

    std::mutex mutex;  // guards what follows
    std::vector<std::weak_ptr<VideoDataOutput>> videoOutputs;
    std::vector<std::shared_ptr<PreviewFeed>> previewFeeds;
    CaptureDevicePtr device;
    graphics::Size stillSize;

    DevicePosition devicePosition() const { return static_cast<DevicePosition>(position.load()); }

    void deliver(const QImage& cameraFrame, uint64_t stream) {
        if (!active.load() || stream != generation.load() || cameraFrame.isNull()) return;
        const DevicePosition where = devicePosition();
        QImage viewed = viewedFrame(cameraFrame, where);
        std::vector<std::shared_ptr<VideoDataOutput>> outputs;
        std::vector<std::shared_ptr<PreviewFeed>> feeds;
        {
            std::lock_guard lock(mutex);
            for (auto& weak : videoOutputs) {
                if (auto output = weak.lock()) outputs.push_back(std::move(output));
            }
            feeds = previewFeeds;
        }
        for (auto& feed : feeds) feed->offer(viewed);
        if (outputs.empty()) return;
        auto buffer = std::make_shared<const SampleBuffer>(
            std::move(viewed), sensorFrameOrientation(orientation.load(), where), frameNumber.fetch_add(1),
            media::MediaTime::fromSeconds(foundation::RunLoop::main().now(), kPresentationTimescale),
            rowAlignment.load());
        for (auto& output : outputs) output->offer(buffer);
    }
};

// ---- input and buffers ---------------------------------------------------------------

foundation::Result<std::shared_ptr<CaptureDeviceInput>> CaptureDeviceInput::create(const CaptureDevicePtr& device) {
    if (!device) return foundation::Error(kCaptureErrorDomain, kCaptureErrorDeviceNotAvailable, "No camera was given.");
    if (!device->isConnected()) return cameraNotConnectedError();
    if (auto status = device->open(); !status) return status.error();
    return std::make_shared<CaptureDeviceInput>(device);
}

// ---- outputs -----------------------------------------------------------------------------

void VideoDataOutput::setSampleBufferDelegate(Delegate delegate, foundation::DispatchQueue queue) {
    std::lock_guard lock(mutex_);
    delegate_ = std::move(delegate);
    queue_ = std::move(queue);
}

void VideoDataOutput::offer(const std::shared_ptr<const SampleBuffer>& buffer) {
    Delegate delegate;
    std::optional<foundation::DispatchQueue> queue;
    {
        std::lock_guard lock(mutex_);
        delegate = delegate_;
        queue = queue_;
    }
    if (!delegate || !queue) return;
    if (discardsLate_.load() && inFlight_->load() > 0) return;
    inFlight_->fetch_add(1);
    queue->async([delegate = std::move(delegate), buffer, counter = inFlight_]() {
        delegate(*buffer);
        counter->fetch_sub(1);
    });
}

bool VideoDataOutput::setPixelFormat(const std::string& format) { return format == kPixelFormatBGRA; }

bool StillImageOutput::setOutputPixelFormat(const std::string& format) {
    const auto formats = availableImageDataPixelFormatTypes();
    if (!format.empty() && std::find(formats.begin(), formats.end(), format) == formats.end()) return false;
    outputPixelFormat_ = format;
    return true;
}

void StillImageOutput::captureUpright(
    std::function<void(foundation::Result<QImage>, graphics::ImageOrientation)> done) {
    auto fail = [&done](foundation::Error error) {
        foundation::DispatchQueue::global().async(
            [done = std::move(done), error = std::move(error)] { done(error, graphics::ImageOrientation::Up); });
    };
    auto pipe = pipe_.lock();
    CaptureDevicePtr device;
    graphics::Size size;
    if (pipe) {
        std::lock_guard lock(pipe->mutex);
        device = pipe->device;
        size = pipe->stillSize;
    }
    if (!pipe || !pipe->active.load() || !device)
        return fail({kCaptureErrorDomain, kCaptureErrorNoInput, "The session has no running camera."});
    if (!device->isConnected()) return fail(cameraNotConnectedError());

    capturing_->fetch_add(1);
    const DevicePosition where = pipe->devicePosition();
    const graphics::ImageOrientation sensor = sensorFrameOrientation(pipe->orientation.load(), where);
    // The driver may answer on any thread (Qt's and the synthetic one's on
    // the main one); the conversion and `done` run on a global queue either
    // way, and the output counts as capturing until `done` has returned.
    device->driver().captureStill(size, [done = std::move(done), where, sensor,
                                         counter = capturing_](foundation::Result<QImage> picture) {
        foundation::DispatchQueue::global().async([done, where, sensor, counter, picture = std::move(picture)] {
            if (picture.ok()) {
                done(viewedFrame(picture.value(), where).convertToFormat(QImage::Format_ARGB32_Premultiplied), sensor);
            } else {
                done(picture.error(), sensor);
            }
            counter->fetch_sub(1);
        });
    });
}

void StillImageOutput::captureStillImageAsynchronously(Completion completion) {
    captureUpright(
        [completion = std::move(completion)](foundation::Result<QImage> upright, graphics::ImageOrientation sensor) {
            if (!upright.ok()) return completion(upright.error());
            completion(graphics::Image(sensorFrameFromUpright(upright.value(), sensor)).jpegData(0.95));
        });
}

void StillImageOutput::captureStillSampleBufferAsynchronously(SampleCompletion completion) {
    captureUpright([completion = std::move(completion)](foundation::Result<QImage> upright,
                                                        graphics::ImageOrientation sensor) {
        if (!upright.ok()) return completion(upright.error());
        auto buffer =
            std::make_shared<const SampleBuffer>(std::move(upright.value()), sensor, 0, media::MediaTime::make(1, 30));
        buffer->pixelBuffer();  // converted here, off the caller's queue
        completion(SampleBufferPtr(buffer));
    });
}

// ---- session -------------------------------------------------------------------------------

std::shared_ptr<CaptureSession> CaptureSession::create() {
    return std::shared_ptr<CaptureSession>(new CaptureSession());
}

CaptureSession::CaptureSession() : pipe_(std::make_shared<SessionPipe>()) {}

CaptureSession::~CaptureSession() {
    audioCapture_.reset();
    stopStreaming();
}

CaptureDevicePtr CaptureSession::currentDevice() const { return inputs_.empty() ? nullptr : inputs_.front()->device(); }

bool CaptureSession::canSetSessionPreset(const std::string& preset) const {
    auto device = currentDevice();
    if (!device) return preset == kSessionPresetPhoto || sizeOfSessionPreset(preset).has_value();
    return device->supportsSessionPreset(preset);
}

bool CaptureSession::setSessionPreset(const std::string& preset) {
    if (!canSetSessionPreset(preset)) return false;
    preset_ = preset;
    reconfigure();
    return true;
}

bool CaptureSession::canAddInput(const CaptureDeviceInputPtr& input) const {
    return input && inputs_.empty() && input->device()->isConnected() &&
           (preset_.empty() || input->device()->supportsSessionPreset(preset_));
}

bool CaptureSession::addInput(const CaptureDeviceInputPtr& input) {
    if (!canAddInput(input)) return false;
    inputs_.push_back(input);
    reconfigure();
    return true;
}

void CaptureSession::removeInput(const CaptureDeviceInputPtr& input) {
    auto found = std::find(inputs_.begin(), inputs_.end(), input);
    if (found == inputs_.end()) return;
    inputs_.erase(found);
    reconfigure();
}

bool CaptureSession::canAddOutput(const std::shared_ptr<CaptureOutput>& output) const {
    return output && std::find(outputs_.begin(), outputs_.end(), output) == outputs_.end();
}

bool CaptureSession::addOutput(const std::shared_ptr<CaptureOutput>& output) {
    if (!canAddOutput(output)) return false;
    outputs_.push_back(output);
    reconfigureAudio();
    if (auto still = std::dynamic_pointer_cast<StillImageOutput>(output)) still->pipe_ = pipe_;
    if (auto video = std::dynamic_pointer_cast<VideoDataOutput>(output)) {
        std::lock_guard lock(pipe_->mutex);
        pipe_->videoOutputs.push_back(video);
    }
    return true;
}

void CaptureSession::removeOutput(const std::shared_ptr<CaptureOutput>& output) {
    auto found = std::find(outputs_.begin(), outputs_.end(), output);
    if (found == outputs_.end()) return;
    outputs_.erase(found);
    reconfigureAudio();
    if (auto still = std::dynamic_pointer_cast<StillImageOutput>(output)) still->pipe_.reset();
    std::lock_guard lock(pipe_->mutex);
    auto& videos = pipe_->videoOutputs;
    videos.erase(std::remove_if(videos.begin(), videos.end(),
                                [&](const auto& weak) {
                                    auto locked = weak.lock();
                                    return !locked || locked == output;
                                }),
                 videos.end());
}

void CaptureSession::beginConfiguration() { ++configurationDepth_; }

void CaptureSession::commitConfiguration() {
    if (configurationDepth_ == 0) return;
    if (--configurationDepth_ == 0) reconfigure();
}

void CaptureSession::startRunning() {
    if (running_) return;
    running_ = true;
    pipe_->orientation.store(static_cast<int>(ui::Application::shared().statusBarOrientation()));
    reconfigure();
}

void CaptureSession::stopRunning() {
    if (!running_) return;
    running_ = false;
    stopStreaming();
    audioCapture_.reset();
}

int CaptureSession::interfaceOrientation() const { return pipe_->orientation.load(); }

void CaptureSession::setInterfaceOrientation(int orientation) {
    if (orientation >= 1 && orientation <= 4) pipe_->orientation.store(orientation);
}

void CaptureSession::attachPreviewLayer(const std::shared_ptr<VideoPreviewLayer>& layer) {
    std::lock_guard lock(pipe_->mutex);
    pipe_->previewFeeds.push_back(layer->feed());
}

void CaptureSession::detachPreviewLayer(const VideoPreviewLayer* layer) {
    std::lock_guard lock(pipe_->mutex);
    auto& feeds = pipe_->previewFeeds;
    feeds.erase(std::remove(feeds.begin(), feeds.end(), layer->feed()), feeds.end());
}

graphics::Size CaptureSession::videoSizeFor(const CaptureDevice& device) const {
    if (auto size = sizeOfSessionPreset(preset_)) return *size;
    // The photo preset streams the largest video size the camera offers.
    for (const char* preset : {kSessionPreset1920x1080, kSessionPreset1280x720, kSessionPreset640x480}) {
        if (device.supportsSessionPreset(preset)) return *sizeOfSessionPreset(preset);
    }
    return {640, 480};
}

void CaptureSession::stopStreaming() {
    pipe_->active.store(false);
    pipe_->generation.fetch_add(1);
    if (streamingDevice_) streamingDevice_->driver().stopStreaming();
    streamingDevice_.reset();
    streamSize_ = {};
    std::lock_guard lock(pipe_->mutex);
    pipe_->device.reset();
}

void CaptureSession::reconfigure() {
    if (configurationDepth_ > 0) return;
    reconfigureVideo();
    reconfigureAudio();
}

void CaptureSession::reconfigureVideo() {
    auto device = currentDevice();
    if (!running_ || !device || !device->isConnected()) {
        stopStreaming();
        return;
    }
    const graphics::Size size = videoSizeFor(*device);
    const graphics::Size still = preset_ == kSessionPresetPhoto ? device->capabilities().photoSize : size;
    {
        std::lock_guard lock(pipe_->mutex);
        pipe_->stillSize = still;
    }
    if (streamingDevice_ == device && streamSize_ == size) return;
    stopStreaming();
    pipe_->position.store(static_cast<int64_t>(device->position()));
    pipe_->rowAlignment.store(device->capabilities().bytesPerRowAlignment);
    {
        std::lock_guard lock(pipe_->mutex);
        pipe_->device = device;
        pipe_->stillSize = still;
    }
    streamingDevice_ = device;
    streamSize_ = size;
    pipe_->active.store(true);
    std::weak_ptr<SessionPipe> weak = pipe_;
    device->startStreaming(size, [weak, stream = pipe_->generation.load()](QImage frame) {
        if (auto pipe = weak.lock()) pipe->deliver(frame, stream);
    });
}

}  // namespace capture
