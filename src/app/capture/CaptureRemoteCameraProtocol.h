#pragma once

// What a remote camera's application and this client say to each other: the
// addresses of the requests and the status object of the replies. Plain
// functions, so the client stays about threads and views.

#include "platform/foundation/Value.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace remotecamera {

// The DNS service the remote camera advertises.
inline constexpr const char* kServiceType = "_MARROWICK_REMOTE_CAMERA._tcp.";
inline constexpr const char* kServiceDomain = "local";
// How long the browser waits for a found service to resolve.
inline constexpr double kResolveTimeoutSeconds = 30.0;

// Requests made on the main thread (status, camera switch, modes, focus)
// and preview requests give up after this many seconds of real time in all,
// so that a camera that stalls frees the screen within 3 s and the preview
// poll counts it as a failure.
inline constexpr double kRequestLimitSeconds = 2.5;
// A full-size capture may take longer on a slow line.
inline constexpr double kCaptureLimitSeconds = 60.0;
// Consecutive failed previews after which the source counts as gone.
inline constexpr int32_t kMaximumFailedPreviews = 11;
// The pause after a failed preview, and the poll interval while paused.
inline constexpr double kPollRetrySeconds = 1.0;

// Text of the error a source reports while its camera does not answer.
inline constexpr const char* kNotAnsweringText = "The remote camera does not answer.";
inline constexpr const char* kErrorDomain = "CaptureRemoteCameraClient";
inline constexpr int64_t kNotAnsweringCode = 1;

// `base` with `path` appended as a path component, then `parameters` after
// "?" or, when `base` already carries a query, after "&". A fragment of the
// base stays at the end.
std::string requestURL(std::string_view base, std::string_view path, std::string_view parameters = {});

// A number as printf's "%f" writes it in the C locale (six decimals, a
// point), whatever the process's locale says.
std::string decimal(double value);

// The parameters of the requests that carry some.
std::string captureParameters(double width, double height);       // "Width=%f&Height=%f"
std::string focusPointParameters(double x, double y);             // "X=%f&Y=%f"
std::string modeParameters(std::string_view name, int64_t mode);  // "<name>=%d"

// What a status object says, every flag false and every number 0 when there
// is none (a reply that is not a JSON object).
struct Status {
    bool focusModeSupported = false;
    bool exposureModeSupported = false;
    bool whiteBalanceModeSupported = false;
    bool multipleCaptureDevicesAvailable = false;
    int32_t position = 0;
    int32_t focusMode = 0;
    int32_t exposureMode = 0;
    int32_t whiteBalanceMode = 0;

    bool operator==(const Status&) const = default;
};

// The status object of a reply's text (read as UTF-8 JSON); none when the
// text holds no JSON object.
std::optional<foundation::Value> parseStatusObject(std::string_view text);
Status readStatus(const std::optional<foundation::Value>& statusObject);

}  // namespace remotecamera
