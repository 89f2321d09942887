#pragma once

// A camera on another device of the local network, reached over plain HTTP
// (requests and replies in CaptureRemoteCameraProtocol.h). The browser makes
// one per resolved service; the registry lists it like a built-in camera.
//
// The live picture comes from a preview poll on a background queue: one
// request after another while they succeed, one a second while they fail
// or while paused. Eleven failures in a row end the poll and mark the source
// not ready, with the error "The remote camera does not answer." — the same
// error a set-up whose status request fails leaves behind. The error goes
// as soon as the camera answers again.
//
// Status, camera-switch, mode and focus requests run on the calling (main)
// thread and end within remotecamera::kRequestLimitSeconds, answered or not.
// A client runs at most one preview poll however often it is set up.

#include "app/capture/CaptureController.h"
#include "app/capture/CaptureRemoteCameraProtocol.h"
#include "platform/foundation/Value.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace ui {
class ImageView;
}

class CaptureRemoteCameraClient : public CaptureController {
public:
    // Made with std::make_shared: the preview poll and the capture hold the
    // source weakly. The base address (scheme http, host and port of the
    // service) and the service's name. The identifier is the address's host; an address that
    // is not an http(s) URL counts as none, and such a source sends nothing.
    CaptureRemoteCameraClient(std::string remoteURL, std::string name);
    ~CaptureRemoteCameraClient() override;

    void initCaptureDevice() override;
    // Asks for the status; on an answer the source is ready, polls its
    // preview and tells the delegate of its position. Main thread.
    void initConnection();
    // The poll gave up: not ready, failures counted from zero again.
    void restartConnection();
    // Starts the preview poll unless it already runs.
    void liveImageRunLoop();

    // Asynchronous: the picture (or a null image) arrives through the
    // delegate, from a background queue.
    void captureImage() override;
    void switchCaptureDevice() override;
    void setFocusMode(int64_t mode) override;
    void setExposureMode(int64_t mode) override;
    void setWhiteBalanceMode(int64_t mode) override;
    // `point` in the image view's coordinates.
    bool focusAtPoint(graphics::Point point) override;
    // Copies the held status object into the capability and mode fields.
    void checkDeviceCapabilities();

    void stopCameraCapture() override;
    void pauseCameraCapture() override;
    void resumeCameraCapture() override;

    std::string getCaptureSourceName() const override;  // the service name, or "Remote Camera"
    graphics::Image getCaptureSourceMenuIcon() const override;

    const std::string& remoteCameraURL() const { return remoteCameraURL_; }
    const std::string& name() const { return name_; }
    // The last status object received; none before the first or after a
    // reply that was not a JSON object.
    std::optional<foundation::Value> remoteCameraStatus() const;
    graphics::Size imageCaptureSize() const { return imageCaptureSize_; }
    int32_t heartBeatCounter() const { return heartBeatCounter_.load(); }
    bool isPause() const { return isPause_.load(); }
    bool isStopped() const;
    // Whether a preview poll is running now (tests and diagnostics).
    bool isPolling() const;
    std::shared_ptr<ui::ImageView> imageView() const { return imageView_; }

private:
    struct Reply;
    // One GET of the protocol; `limitSeconds` bounds the whole exchange.
    Reply get(std::string_view path, std::string_view parameters, double limitSeconds) const;
    // A GET whose reply is a status object: stored (and copied into the
    // fields when `readCapabilities`). False when the request failed.
    bool requestStatus(std::string_view path, std::string_view parameters, bool readCapabilities);
    void sendMode(const char* path, const char* parameter, int64_t mode);
    void markNotAnswering();

    // One round of the preview poll, on a background queue.
    static void pollPreview(std::weak_ptr<CaptureRemoteCameraClient> weak);
    static void schedulePoll(std::weak_ptr<CaptureRemoteCameraClient> weak, double delaySeconds);
    // Whether the poll goes on; a poll that must end marks itself ended in
    // the same step, so a set-up racing with it starts a new one.
    bool continuePolling();

    std::shared_ptr<ui::ImageView> imageView_;
    const std::string remoteCameraURL_;                    // empty when there is no usable address
    std::optional<foundation::Value> remoteCameraStatus_;  // main thread
    graphics::Size imageCaptureSize_;
    std::atomic<int32_t> heartBeatCounter_{0};
    std::atomic<bool> isPause_{false};
    const std::string name_;

    mutable std::mutex pollMutex_;
    bool isStopped_ = false;  // guarded by pollMutex_
    bool polling_ = false;    // guarded by pollMutex_
};
