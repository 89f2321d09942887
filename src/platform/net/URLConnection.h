#pragma once

// Loads a URLRequest in the background and hands the answer to a queue.
//
//     net::URLConnection::sendAsynchronousRequest(request, foundation::DispatchQueue::main(),
//         [](const std::optional<net::HTTPURLResponse>& response, const foundation::Bytes& data,
//            const std::optional<foundation::Error>& error) { ... });
//
// The transfer runs on a global background queue through libcurl; the
// completion runs exactly once on the given queue: with the response and its
// body, or with an error of the URL domain (URLError.h) and neither. Any HTTP
// status is a response, not an error. Redirects (301, 302, 303, 307, 308) are
// followed here, up to kMaximumRedirects; credentials are not carried to
// another origin. TLS peers are always verified.

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"
#include "platform/net/HTTPURLResponse.h"
#include "platform/net/URLRequest.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace net {

namespace detail {
struct TransferProgress;
}

// What a finished load produced: a response and its body, or an error and
// neither.
struct URLLoadResult {
    std::optional<HTTPURLResponse> response;
    foundation::Bytes data;
    std::optional<foundation::Error> error;
};

class URLConnection : public std::enable_shared_from_this<URLConnection> {
public:
    using Completion = std::function<void(const std::optional<HTTPURLResponse>& response, const foundation::Bytes& data,
                                          const std::optional<foundation::Error>& error)>;
    // Bytes done so far and the total expected (kURLResponseUnknownLength
    // while the total is not known).
    using ProgressHandler = std::function<void(int64_t bytesDone, int64_t bytesExpected)>;

    static constexpr int kMaximumRedirects = 16;

    // Starts at once; the returned connection may be kept to cancel it.
    static std::shared_ptr<URLConnection> sendAsynchronousRequest(URLRequest request, foundation::DispatchQueue queue,
                                                                  Completion completion);
    static std::shared_ptr<URLConnection> sendAsynchronousRequest(URLRequest request, Completion completion) {
        return sendAsynchronousRequest(std::move(request), foundation::DispatchQueue::main(), std::move(completion));
    }

    // Loads on the calling thread and returns the outcome, redirects followed
    // as above. The whole exchange (connecting, redirects, body) ends within
    // `wholeRequestLimitSeconds` of real time, however busy the line: past
    // that it fails with kURLErrorTimedOut. For callers that must not be held
    // up by a peer that stalls or trickles.
    static URLLoadResult sendSynchronousRequest(const URLRequest& request, double wholeRequestLimitSeconds);

    // A connection to configure (progress handlers) before start().
    static std::shared_ptr<URLConnection> create(URLRequest request);

    // Progress reports run on the completion queue, before the completion.
    void setUploadProgressHandler(ProgressHandler handler);
    void setDownloadProgressHandler(ProgressHandler handler);

    // Starts the transfer; a second call throws std::logic_error.
    void start(foundation::DispatchQueue queue, Completion completion);

    // Stops the transfer; the completion then reports kURLErrorCancelled.
    // A transfer that has already finished is not affected.
    void cancel();
    bool isCancelled() const { return cancelled_.load(); }

    const URLRequest& originalRequest() const { return request_; }

    // A PEM file of certificate authorities to trust besides the system's
    // (the loopback HTTPS servers of tests); nullopt for the system's only.
    static void setAdditionalCertificateAuthorityFile(std::optional<std::string> path);
    static std::optional<std::string> additionalCertificateAuthorityFile();

private:
    explicit URLConnection(URLRequest request) : request_(std::move(request)) {}
    void run();
    void reportProgress(const detail::TransferProgress& progress);
    void finish(std::optional<HTTPURLResponse> response, foundation::Bytes data,
                std::optional<foundation::Error> error);

    const URLRequest request_;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> started_{false};

    // Set before start, read by the transfer thread afterwards.
    std::optional<foundation::DispatchQueue> queue_;
    Completion completion_;
    ProgressHandler uploadProgress_;
    ProgressHandler downloadProgress_;
};

}  // namespace net
