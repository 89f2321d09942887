#include "app/capture/CaptureRemoteCameraProtocol.h"

#include "components/sbjson/NSString_SBJSON.h"

#include <charconv>
#include <cmath>

namespace remotecamera {

std::string requestURL(std::string_view base, std::string_view path, std::string_view parameters) {
    std::string_view fragment;
    if (size_t hash = base.find('#'); hash != std::string_view::npos) {
        fragment = base.substr(hash);
        base = base.substr(0, hash);
    }
    std::string_view query;
    if (size_t question = base.find('?'); question != std::string_view::npos) {
        query = base.substr(question);
        base = base.substr(0, question);
    }
    // The path starts after the authority; an address without one gets "/".
    size_t scheme = base.find("://");
    size_t pathStart = scheme == std::string_view::npos ? 0 : base.find('/', scheme + 3);
    std::string url(base);
    if (pathStart == std::string_view::npos) url += '/';
    if (url.empty() || url.back() != '/') url += '/';
    url += path;
    url += query;
    url += fragment;
    if (!parameters.empty()) {
        url += query.empty() ? "?" : "&";
        url += parameters;
    }
    return url;
}

std::string decimal(double value) {
    if (!std::isfinite(value)) value = 0;
    char text[400];
    auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
    if (error != std::errc()) return "0.000000";
    return std::string(text, end);
}

std::string captureParameters(double width, double height) {
    return "Width=" + decimal(width) + "&Height=" + decimal(height);
}

std::string focusPointParameters(double x, double y) { return "X=" + decimal(x) + "&Y=" + decimal(y); }

std::string modeParameters(std::string_view name, int64_t mode) {
    return std::string(name) + "=" + std::to_string(static_cast<int32_t>(mode));
}

std::optional<foundation::Value> parseStatusObject(std::string_view text) {
    std::optional<foundation::Value> value = sbjson::NSString_SBJSON::JSONValue(text);
    if (!value || !value->isDictionary()) return std::nullopt;
    return value;
}

Status readStatus(const std::optional<foundation::Value>& statusObject) {
    Status status;
    if (!statusObject) return status;
    foundation::Dictionary object = statusObject->asDictionary();
    auto flag = [&](const char* key) { return object[key].asBool(); };
    auto number = [&](const char* key) { return static_cast<int32_t>(object[key].asInt()); };
    status.focusModeSupported = flag("AVCaptureFocusModeLocked") && flag("AVCaptureFocusModeContinuousAutoFocus");
    status.exposureModeSupported =
        flag("AVCaptureExposureModeLocked") && flag("AVCaptureExposureModeContinuousAutoExposure");
    status.whiteBalanceModeSupported =
        flag("AVCaptureWhiteBalanceModeLocked") && flag("AVCaptureWhiteBalanceModeContinuousAutoWhiteBalance");
    status.multipleCaptureDevicesAvailable = flag("MULTIPLE_CAPTURE_DEVICE_AVAILABLE");
    status.position = number("AVCaptureDevicePosition");
    status.focusMode = number("AVCaptureFocusMode");
    status.exposureMode = number("AVCaptureExposureMode");
    status.whiteBalanceMode = number("AVCaptureWhiteBalanceMode");
    return status;
}

}  // namespace remotecamera
