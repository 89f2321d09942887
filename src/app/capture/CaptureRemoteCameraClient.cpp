#include "app/capture/CaptureRemoteCameraClient.h"

#include "app/core/BundleImage.h"
#include "app/core/MovieResolution.h"
#include "app/core/UIImage_ScaleAndRotate.h"
#include "app/widgets/alerts/Hudy.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Localized.h"
#include "platform/net/URLConnection.h"
#include "platform/net/URLParsing.h"
#include "platform/ui/controls/ImageView.h"

#include <algorithm>

namespace {

// The base address when it is one we can load; empty otherwise.
std::string usableAddress(std::string url) { return net::originOfURL(url) ? std::move(url) : std::string(); }

std::string hostOf(const std::string& url) {
    auto origin = net::originOfURL(url);
    return origin ? origin->host : std::string();
}

// A shared object used on a background queue lets go of it on the main
// queue, so that a source (a view controller with views) never ends on a
// background thread.
template <class T>
void releaseOnMain(std::shared_ptr<T>&& object) {
    if (!object) return;
    foundation::DispatchQueue::main().async([object = std::move(object)] {});
}

graphics::Image pictureFrom(const foundation::Bytes& data) {
    auto decoded = graphics::Image::decode(data);
    return decoded ? decoded->normalized() : graphics::Image();
}

// A photo becomes a frame, so it is held to the largest movie size as every
// other source's picture is: whatever size the other device sends, the
// frame stays one the painter can save and the program read again.
graphics::Image capturedPictureFrom(const foundation::Bytes& data) {
    auto decoded = graphics::Image::decode(data);
    if (!decoded) return {};
    const auto maximum = static_cast<int32_t>(MovieResolution::getMaximumResolutionAvailable().width);
    return UIImage_ScaleAndRotate::scaledAndRotatedImageWithMaxResolution(*decoded, maximum);
}

// Where in the picture the tap is, from 0 to 1; the middle while the view
// has no extent, so no address ever carries a division by zero.
double fraction(double value, double extent) {
    if (!(extent > 0)) return 0.5;
    return std::clamp(value / extent, 0.0, 1.0);
}

}  // namespace

struct CaptureRemoteCameraClient::Reply {
    bool ok = false;
    foundation::Bytes data;
    std::optional<foundation::Error> error;
};

CaptureRemoteCameraClient::CaptureRemoteCameraClient(std::string remoteURL, std::string name)
    : remoteCameraURL_(usableAddress(std::move(remoteURL))), name_(std::move(name)) {
    setCaptureSourceID(hostOf(remoteCameraURL_));
}

CaptureRemoteCameraClient::~CaptureRemoteCameraClient() = default;

std::optional<foundation::Value> CaptureRemoteCameraClient::remoteCameraStatus() const { return remoteCameraStatus_; }

bool CaptureRemoteCameraClient::isStopped() const {
    std::lock_guard lock(pollMutex_);
    return isStopped_;
}

bool CaptureRemoteCameraClient::isPolling() const {
    std::lock_guard lock(pollMutex_);
    return polling_;
}

CaptureRemoteCameraClient::Reply CaptureRemoteCameraClient::get(std::string_view path, std::string_view parameters,
                                                                double limitSeconds) const {
    net::URLRequest request(remotecamera::requestURL(remoteCameraURL_, path, parameters));
    // Previews change all the time; a cache in between must not answer.
    request.setValue("no-cache", "Cache-Control");
    net::URLLoadResult result = net::URLConnection::sendSynchronousRequest(request, limitSeconds);
    if (result.error) return Reply{false, {}, result.error};
    return Reply{true, std::move(result.data), std::nullopt};
}

void CaptureRemoteCameraClient::markNotAnswering() {
    setError(foundation::Error{remotecamera::kErrorDomain, remotecamera::kNotAnsweringCode,
                               foundation::localized(remotecamera::kNotAnsweringText)});
}

// ---- set-up ---------------------------------------------------------------------

void CaptureRemoteCameraClient::initCaptureDevice() {
    imageCaptureSize_ = MovieResolution::getMaximumResolutionAvailable();
    ui::View* area = view();
    if (!imageView_) {
        imageView_ = std::make_shared<ui::ImageView>(area->bounds());
        imageView_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
        imageView_->setContentMode(ui::ContentMode::ScaleAspectFill);
        imageView_->setClipsToBounds(true);
        imageView_->setUserInteractionEnabled(true);
    } else {
        imageView_->setFrame(area->bounds());
    }
    if (imageView_->superview() != area) area->addSubview(imageView_);
    setCaptureSourceViewCamera(imageView_);
    if (!remoteCameraURL_.empty()) initConnection();
}

bool CaptureRemoteCameraClient::requestStatus(std::string_view path, std::string_view parameters,
                                              bool readCapabilities) {
    Reply reply = get(path, parameters, remotecamera::kRequestLimitSeconds);
    if (!reply.ok) return false;
    remoteCameraStatus_ = remotecamera::parseStatusObject(
        std::string_view(reinterpret_cast<const char*>(reply.data.data()), reply.data.size()));
    if (readCapabilities) checkDeviceCapabilities();
    return true;
}

void CaptureRemoteCameraClient::initConnection() {
    if (remoteCameraURL_.empty()) return;
    if (!requestStatus("status", {}, true)) {
        isReadyToCapture_ = false;
        markNotAnswering();
        return;
    }
    setError(std::nullopt);
    isReadyToCapture_ = true;
    liveImageRunLoop();
    if (auto* receiver = delegate()) receiver->captureControllerDidInitCaptureDeviceWithPositon(*this, position());
}

void CaptureRemoteCameraClient::checkDeviceCapabilities() {
    remotecamera::Status status = remotecamera::readStatus(remoteCameraStatus_);
    isFocusModeSuported_ = status.focusModeSupported;
    isExposureModeSuported_ = status.exposureModeSupported;
    isWhiteBalanceModeSuported_ = status.whiteBalanceModeSupported;
    isMultipleCaptureDeviceAvaliable_ = status.multipleCaptureDevicesAvailable;
    position_ = status.position;
    focusMode_ = status.focusMode;
    exposureMode_ = status.exposureMode;
    whiteBalanceMode_ = status.whiteBalanceMode;
}

void CaptureRemoteCameraClient::restartConnection() {
    isReadyToCapture_ = false;
    heartBeatCounter_ = 0;
    markNotAnswering();
}

// ---- preview poll -----------------------------------------------------------------

void CaptureRemoteCameraClient::liveImageRunLoop() {
    {
        std::lock_guard lock(pollMutex_);
        isStopped_ = false;
        // A poll still running (even one waiting out its pause) carries on;
        // a second would double the requests and the failure count.
        if (polling_) return;
        polling_ = true;
    }
    schedulePoll(foundation::weakFrom(this), 0);
}

bool CaptureRemoteCameraClient::continuePolling() {
    std::lock_guard lock(pollMutex_);
    if (!isStopped_) return true;
    polling_ = false;
    return false;
}

void CaptureRemoteCameraClient::schedulePoll(std::weak_ptr<CaptureRemoteCameraClient> weak, double delaySeconds) {
    auto& queue = foundation::DispatchQueue::global(foundation::QueuePriority::Background);
    auto round = [weak = std::move(weak)] { pollPreview(weak); };
    if (delaySeconds > 0)
        queue.after(delaySeconds, std::move(round));
    else
        queue.async(std::move(round));
}

void CaptureRemoteCameraClient::pollPreview(std::weak_ptr<CaptureRemoteCameraClient> weak) {
    std::shared_ptr<CaptureRemoteCameraClient> client = weak.lock();
    if (!client) return;
    if (!client->continuePolling()) return releaseOnMain(std::move(client));
    if (client->isPause_) {
        schedulePoll(weak, remotecamera::kPollRetrySeconds);
        return releaseOnMain(std::move(client));
    }

    Reply reply = client->get("preview", {}, remotecamera::kRequestLimitSeconds);
    if (reply.ok) {
        // Counted here, where the order of answers is known; a reset queued
        // behind later failures would miscount them.
        client->heartBeatCounter_ = 0;
        graphics::Image picture = pictureFrom(reply.data);
        foundation::DispatchQueue::main().async([weak, picture = std::move(picture)] {
            auto source = weak.lock();
            if (!source) return;
            if (source->imageView_ && !picture.isNull()) source->imageView_->setImage(picture);
            source->setError(std::nullopt);
            if (!source->isReadyToCapture()) source->initConnection();
        });
        schedulePoll(weak, 0);
        return releaseOnMain(std::move(client));
    }

    if (client->heartBeatCounter_.fetch_add(1) + 1 >= remotecamera::kMaximumFailedPreviews) {
        // Ending and marking the source gone are one step for a set-up that
        // runs meanwhile: it either sees the poll running, before the source
        // is marked, or ended, and then starts its own.
        std::lock_guard lock(client->pollMutex_);
        client->polling_ = false;
        client->restartConnection();
        return releaseOnMain(std::move(client));
    }
    schedulePoll(weak, remotecamera::kPollRetrySeconds);
    releaseOnMain(std::move(client));
}

void CaptureRemoteCameraClient::stopCameraCapture() {
    std::lock_guard lock(pollMutex_);
    isStopped_ = true;
}

void CaptureRemoteCameraClient::pauseCameraCapture() { isPause_ = true; }
void CaptureRemoteCameraClient::resumeCameraCapture() { isPause_ = false; }

// ---- capture and controls -----------------------------------------------------------

void CaptureRemoteCameraClient::captureImage() {
    auto hud = std::make_shared<Hudy>();
    hud->caption = foundation::localized("Capturing image...");
    hud->isActivity = true;
    hud->dismissAfterTime = Hudy::kStaysUntilDismissed;
    std::weak_ptr<CaptureRemoteCameraClient> weak = foundation::weakFrom(this);
    foundation::DispatchQueue::global(foundation::QueuePriority::Background).async([weak, hud]() mutable {
        foundation::DispatchQueue::main().async([weak, hud] {
            if (auto source = weak.lock()) hud->showInView(source->view());
        });
        std::shared_ptr<CaptureRemoteCameraClient> client = weak.lock();
        if (!client) return releaseOnMain(std::move(hud));
        graphics::Image picture;
        if (!client->remoteCameraURL_.empty()) {
            const graphics::Size size = client->imageCaptureSize_;
            Reply reply = client->get("capture", remotecamera::captureParameters(size.width, size.height),
                                      remotecamera::kCaptureLimitSeconds);
            if (reply.ok) picture = capturedPictureFrom(reply.data);
        }
        // The HUD, a view controller, ends on the main queue with its dismissal.
        foundation::DispatchQueue::main().async([hud = std::move(hud)] { hud->dismiss(); });
        if (auto* receiver = client->delegate()) receiver->captureControllerDidTakeImage(*client, std::move(picture));
        releaseOnMain(std::move(client));
    });
}

void CaptureRemoteCameraClient::switchCaptureDevice() {
    if (!remoteCameraURL_.empty() && !requestStatus("switchcamera", {}, true)) return;
    if (auto* receiver = delegate()) receiver->captureControllerDidSwitchCaptureDevicePosition(*this, position());
}

void CaptureRemoteCameraClient::sendMode(const char* path, const char* parameter, int64_t mode) {
    if (remoteCameraURL_.empty()) return;
    requestStatus(path, remotecamera::modeParameters(parameter, mode), true);
}

void CaptureRemoteCameraClient::setFocusMode(int64_t mode) { sendMode("focusmode", "AVCaptureFocusMode", mode); }

void CaptureRemoteCameraClient::setExposureMode(int64_t mode) {
    sendMode("exposuremode", "AVCaptureExposureMode", mode);
}

void CaptureRemoteCameraClient::setWhiteBalanceMode(int64_t mode) {
    sendMode("whitebalancemode", "AVCaptureWhiteBalanceMode", mode);
}

bool CaptureRemoteCameraClient::focusAtPoint(graphics::Point point) {
    if (!isFocusModeSuported()) return false;
    if (remoteCameraURL_.empty()) return true;
    graphics::Size extent = imageView_ ? imageView_->frame().size : graphics::Size{};
    return requestStatus(
        "focusatpoint",
        remotecamera::focusPointParameters(fraction(point.x, extent.width), fraction(point.y, extent.height)), false);
}

std::string CaptureRemoteCameraClient::getCaptureSourceName() const { return name_.empty() ? "Remote Camera" : name_; }

graphics::Image CaptureRemoteCameraClient::getCaptureSourceMenuIcon() const {
    return bundleImageNamed("capturesource_icon_remote.png").value_or(graphics::Image());
}
