#pragma once

// One HTTP exchange through libcurl, without following redirects (the
// connection does that itself, so that it decides what a redirect may do to
// method, body and credentials). Blocks the calling thread; runs on a
// background queue.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"
#include "platform/net/HTTPHeaders.h"
#include "platform/net/URLRequest.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace net::detail {

struct TransferProgress {
    int64_t bytesSent = 0;
    int64_t bytesToSend = 0;
    int64_t bytesReceived = 0;
    int64_t bytesToReceive = 0;  // 0 while unknown

    bool operator==(const TransferProgress&) const = default;
};

// How often at most a running transfer reports progress (onProgress): each
// report is a hand-off to another thread, and a body comes and goes in
// pieces of 16 KiB to 512 KiB.
constexpr std::chrono::milliseconds kProgressInterval{20};

struct TransferControl {
    const std::atomic<bool>* cancelled = nullptr;
    // Called on the transferring thread when the counts changed: at once for
    // the first change and for the one that finishes sending or receiving,
    // otherwise at most every kProgressInterval, and once more with the last
    // counts before the transfer returns.
    std::function<void(const TransferProgress&)> onProgress;
    // A PEM file of certificate authorities trusted besides the system's.
    std::optional<std::string> additionalCertificateAuthorities;
    // When set, the transfer gives up with "timed out" at this moment however
    // busy the line is.
    std::optional<std::chrono::steady_clock::time_point> deadline;
    // When set, called on the transferring thread once the head of the final
    // (not 1xx) response is in, before any of its body. Answering true hands
    // the body to onBodyChunk piece by piece instead of collecting it in the
    // outcome, so a long body never has to fit in memory here.
    std::function<bool(int statusCode, const HTTPHeaders& headers)> onResponseHead;
    std::function<void(const uint8_t* data, size_t length)> onBodyChunk;
};

struct TransferOutcome {
    int statusCode = 0;
    HTTPHeaders headers;
    foundation::Bytes body;
    std::optional<foundation::Error> error;  // set when no complete response arrived
};

// `host` names the server in error texts.
TransferOutcome performTransfer(const URLRequest& request, const std::string& host, const TransferControl& control);

}  // namespace net::detail
