#include "platform/net/URLError.h"

#include "platform/foundation/Localized.h"

#include <cerrno>
#include <curl/curl.h>
#include <memory>

namespace net {

namespace {

std::string descriptionFor(int64_t code, const std::string& host) {
    using foundation::localized;
    switch (code) {
        case kURLErrorCancelled:
            return localized("cancelled");
        case kURLErrorBadURL:
            return localized("bad URL");
        case kURLErrorTimedOut:
            return localized("The request timed out.");
        case kURLErrorUnsupportedURL:
            return localized("unsupported URL");
        case kURLErrorCannotFindHost:
            return localized("A server with the specified hostname could not be found.");
        case kURLErrorCannotConnectToHost:
            return localized("Could not connect to the server.");
        case kURLErrorNetworkConnectionLost:
            return localized("The network connection was lost.");
        case kURLErrorHTTPTooManyRedirects:
            return localized("too many HTTP redirects");
        case kURLErrorNotConnectedToInternet:
            return localized("The Internet connection appears to be offline.");
        case kURLErrorBadServerResponse:
            return localized("bad server response");
        case kURLErrorDataLengthExceedsMaximum:
            return localized("resource exceeds maximum size");
        case kURLErrorSecureConnectionFailed:
            return localized("An SSL error has occurred and a secure connection to the server cannot be made.");
        case kURLErrorServerCertificateUntrusted:
            return foundation::localizedFormat(
                "The certificate for this server is invalid. You might be connecting to a server that is pretending to "
                "be "
                "\u201c%@\u201d which could put your confidential information at risk.",
                {host});
        default:
            return localized("unknown error");
    }
}

int64_t codeForCurl(int curlCode, long osErrno) {
    switch (static_cast<CURLcode>(curlCode)) {
        case CURLE_ABORTED_BY_CALLBACK:
            return kURLErrorCancelled;
        case CURLE_URL_MALFORMAT:
            return kURLErrorBadURL;
        case CURLE_UNSUPPORTED_PROTOCOL:
            return kURLErrorUnsupportedURL;
        case CURLE_OPERATION_TIMEDOUT:
            return kURLErrorTimedOut;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            return kURLErrorCannotFindHost;
        case CURLE_COULDNT_CONNECT:
            // A machine without any route out says so before anyone could refuse.
            if (osErrno == ENETUNREACH || osErrno == ENETDOWN) return kURLErrorNotConnectedToInternet;
            return kURLErrorCannotConnectToHost;
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_GOT_NOTHING:
        case CURLE_PARTIAL_FILE:
            return kURLErrorNetworkConnectionLost;
        case CURLE_WEIRD_SERVER_REPLY:
        case CURLE_BAD_CONTENT_ENCODING:
            return kURLErrorBadServerResponse;
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
            return kURLErrorServerCertificateUntrusted;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_USE_SSL_FAILED:
            return kURLErrorSecureConnectionFailed;
        default:
            return kURLErrorUnknown;
    }
}

}  // namespace

foundation::Error urlError(int64_t code, const std::string& host) {
    return foundation::Error(kURLErrorDomain, code, descriptionFor(code, host));
}

foundation::Error urlErrorForTransferFailure(int curlCode, long osErrno, const std::string& host) {
    foundation::Error error = urlError(codeForCurl(curlCode, osErrno), host);
    error.underlying =
        std::make_shared<foundation::Error>("libcurl", curlCode, curl_easy_strerror(static_cast<CURLcode>(curlCode)));
    return error;
}

}  // namespace net
