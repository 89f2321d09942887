#pragma once

// Failures of URL loading, in the platform's URL error domain with its codes
// and texts, so that callers written against those codes keep working.

#include "platform/foundation/Error.h"

#include <cstdint>
#include <string>

namespace net {

inline constexpr const char* kURLErrorDomain = "NSURLErrorDomain";

inline constexpr int64_t kURLErrorUnknown = -1;
inline constexpr int64_t kURLErrorCancelled = -999;
inline constexpr int64_t kURLErrorBadURL = -1000;
inline constexpr int64_t kURLErrorTimedOut = -1001;
inline constexpr int64_t kURLErrorUnsupportedURL = -1002;
inline constexpr int64_t kURLErrorCannotFindHost = -1003;
inline constexpr int64_t kURLErrorCannotConnectToHost = -1004;
inline constexpr int64_t kURLErrorNetworkConnectionLost = -1005;
inline constexpr int64_t kURLErrorHTTPTooManyRedirects = -1007;
inline constexpr int64_t kURLErrorNotConnectedToInternet = -1009;
inline constexpr int64_t kURLErrorBadServerResponse = -1011;
inline constexpr int64_t kURLErrorDataLengthExceedsMaximum = -1103;
inline constexpr int64_t kURLErrorSecureConnectionFailed = -1200;
inline constexpr int64_t kURLErrorServerCertificateUntrusted = -1202;

// An error of the URL domain with the platform's description for `code`.
// `host` fills the texts that name the server.
foundation::Error urlError(int64_t code, const std::string& host = {});

// The URL error for a failed libcurl transfer: `curlCode` is the CURLcode,
// `osErrno` the system error curl saw (CURLINFO_OS_ERRNO; 0 when none), which
// tells "no network at all" apart from "nobody listening". The curl text goes
// along as the underlying error.
foundation::Error urlErrorForTransferFailure(int curlCode, long osErrno, const std::string& host);

}  // namespace net
