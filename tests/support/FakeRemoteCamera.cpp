#include "support/FakeRemoteCamera.h"

#include <cstdio>

namespace testsupport {

const std::vector<std::string>& FakeRemoteCamera::paths() {
    static const std::vector<std::string> all = {"status",    "preview",      "capture",      "switchcamera",
                                                 "focusmode", "focusatpoint", "exposuremode", "whitebalancemode"};
    return all;
}

std::string FakeRemoteCamera::statusText(int position, int focusMode, int exposureMode, int whiteBalanceMode,
                                         bool multipleCameras) {
    char text[640];
    std::snprintf(text, sizeof text,
                  "{\"AVCaptureFocusModeLocked\": true, \"AVCaptureFocusModeContinuousAutoFocus\": true, "
                  "\"AVCaptureExposureModeLocked\": true, \"AVCaptureExposureModeContinuousAutoExposure\": true, "
                  "\"AVCaptureWhiteBalanceModeLocked\": true, "
                  "\"AVCaptureWhiteBalanceModeContinuousAutoWhiteBalance\": true, "
                  "\"MULTIPLE_CAPTURE_DEVICE_AVAILABLE\": %s, \"AVCaptureDevicePosition\": %d, "
                  "\"AVCaptureFocusMode\": %d, \"AVCaptureExposureMode\": %d, \"AVCaptureWhiteBalanceMode\": %d}",
                  multipleCameras ? "true" : "false", position, focusMode, exposureMode, whiteBalanceMode);
    return text;
}

std::string FakeRemoteCamera::picture() {
    static const unsigned char kPng[] = {0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49,
                                         0x48, 0x44, 0x52, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x03, 0x08, 0x02,
                                         0x00, 0x00, 0x00, 0x3b, 0x96, 0x39, 0x91, 0x00, 0x00, 0x00, 0x10, 0x49, 0x44,
                                         0x41, 0x54, 0x78, 0x9c, 0x63, 0x38, 0x21, 0x27, 0x07, 0x47, 0x0c, 0x38, 0x39,
                                         0x00, 0xf5, 0xc7, 0x0c, 0x31, 0x07, 0xeb, 0xad, 0x99, 0x00, 0x00, 0x00, 0x00,
                                         0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
    return std::string(reinterpret_cast<const char*>(kPng), sizeof kPng);
}

FakeRemoteCamera::FakeRemoteCamera() : status_(statusText()), picture_(picture()) {
    for (const std::string& path : paths()) {
        bool isPicture = path == "preview" || path == "capture";
        server_.on("GET", "/" + path, [this, path, isPicture](const HttpExchange&) { return answer(path, isPicture); });
    }
}

FakeRemoteCamera::~FakeRemoteCamera() { release(); }

std::string FakeRemoteCamera::baseURL(std::string_view suffix) const {
    return "http://127.0.0.1:" + std::to_string(port()) + std::string(suffix);
}

void FakeRemoteCamera::setStatus(std::string text) {
    std::lock_guard lock(mutex_);
    status_ = std::move(text);
}

void FakeRemoteCamera::setPicture(std::string bytes) {
    std::lock_guard lock(mutex_);
    picture_ = std::move(bytes);
}

void FakeRemoteCamera::failNext(const std::string& path, int count) {
    std::lock_guard lock(mutex_);
    failures_[path] = count;
}

void FakeRemoteCamera::stall(const std::string& path) {
    std::lock_guard lock(mutex_);
    stalled_.insert(path);
    releasing_ = false;
}

void FakeRemoteCamera::release() {
    {
        std::lock_guard lock(mutex_);
        stalled_.clear();
        releasing_ = true;
    }
    released_.notify_all();
}

HttpReply FakeRemoteCamera::answer(const std::string& path, bool isPicture) {
    std::unique_lock lock(mutex_);
    if (stalled_.count(path)) released_.wait(lock, [this] { return releasing_; });
    auto failing = failures_.find(path);
    if (failing != failures_.end() && failing->second != 0) {
        if (failing->second > 0) --failing->second;
        return HttpReply::cutOff();
    }
    if (isPicture) return HttpReply{200, picture_, "image/png"};
    return HttpReply{200, status_, "application/json"};
}

std::vector<std::string> FakeRemoteCamera::targets() const {
    std::vector<std::string> all;
    for (const HttpExchange& exchange : server_.requests()) all.push_back(exchange.target);
    return all;
}

std::vector<std::string> FakeRemoteCamera::targets(const std::string& path) const {
    std::vector<std::string> some;
    for (const HttpExchange& exchange : server_.requests())
        if (exchange.path == "/" + path) some.push_back(exchange.target);
    return some;
}

size_t FakeRemoteCamera::requestCount(const std::string& path) const { return targets(path).size(); }

}  // namespace testsupport
