#include "platform/net/URLConnection.h"

#include "platform/net/URLLoad.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace net {

namespace {

std::mutex gSettingsMutex;
std::optional<std::string> gAdditionalAuthorities;

}  // namespace

void URLConnection::setAdditionalCertificateAuthorityFile(std::optional<std::string> path) {
    std::lock_guard lock(gSettingsMutex);
    gAdditionalAuthorities = std::move(path);
}

std::optional<std::string> URLConnection::additionalCertificateAuthorityFile() {
    std::lock_guard lock(gSettingsMutex);
    return gAdditionalAuthorities;
}

std::shared_ptr<URLConnection> URLConnection::create(URLRequest request) {
    return std::shared_ptr<URLConnection>(new URLConnection(std::move(request)));
}

std::shared_ptr<URLConnection> URLConnection::sendAsynchronousRequest(URLRequest request,
                                                                      foundation::DispatchQueue queue,
                                                                      Completion completion) {
    auto connection = create(std::move(request));
    connection->start(std::move(queue), std::move(completion));
    return connection;
}

void URLConnection::setUploadProgressHandler(ProgressHandler handler) {
    if (started_) throw std::logic_error("URLConnection: progress handlers are set before start");
    uploadProgress_ = std::move(handler);
}

void URLConnection::setDownloadProgressHandler(ProgressHandler handler) {
    if (started_) throw std::logic_error("URLConnection: progress handlers are set before start");
    downloadProgress_ = std::move(handler);
}

void URLConnection::start(foundation::DispatchQueue queue, Completion completion) {
    if (started_.exchange(true)) throw std::logic_error("URLConnection: started twice");
    queue_ = std::move(queue);
    completion_ = std::move(completion);
    auto self = shared_from_this();
    foundation::DispatchQueue::global().async([self] { self->run(); });
}

void URLConnection::cancel() { cancelled_ = true; }

void URLConnection::reportProgress(const detail::TransferProgress& progress) {
    auto post = [this](const ProgressHandler& handler, int64_t done, int64_t expected) {
        if (!handler) return;
        queue_->async([handler, done, expected] { handler(done, expected); });
    };
    post(uploadProgress_, progress.bytesSent,
         progress.bytesToSend > 0 ? progress.bytesToSend : kURLResponseUnknownLength);
    post(downloadProgress_, progress.bytesReceived,
         progress.bytesToReceive > 0 ? progress.bytesToReceive : kURLResponseUnknownLength);
}

URLLoadResult URLConnection::sendSynchronousRequest(const URLRequest& request, double wholeRequestLimitSeconds) {
    detail::TransferControl control;
    control.additionalCertificateAuthorities = additionalCertificateAuthorityFile();
    control.deadline =
        std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                               std::chrono::duration<double>(std::max(0.0, wholeRequestLimitSeconds)));
    return detail::loadFollowingRedirects(request, control);
}

void URLConnection::run() {
    detail::TransferControl control;
    control.cancelled = &cancelled_;
    control.additionalCertificateAuthorities = additionalCertificateAuthorityFile();
    detail::TransferProgress lastReported;
    if (uploadProgress_ || downloadProgress_) {
        control.onProgress = [this, &lastReported](const detail::TransferProgress& progress) {
            // Only changes of the side someone listens to are worth a queue hop.
            bool upload = uploadProgress_ && (progress.bytesSent != lastReported.bytesSent ||
                                              progress.bytesToSend != lastReported.bytesToSend);
            bool download = downloadProgress_ && (progress.bytesReceived != lastReported.bytesReceived ||
                                                  progress.bytesToReceive != lastReported.bytesToReceive);
            lastReported = progress;
            if (upload || download) reportProgress(progress);
        };
    }
    URLLoadResult result = detail::loadFollowingRedirects(request_, control);
    finish(std::move(result.response), std::move(result.data), std::move(result.error));
}

void URLConnection::finish(std::optional<HTTPURLResponse> response, foundation::Bytes data,
                           std::optional<foundation::Error> error) {
    Completion completion = std::move(completion_);
    completion_ = nullptr;
    auto self = shared_from_this();
    queue_->async([self, completion = std::move(completion), response = std::move(response), data = std::move(data),
                   error = std::move(error)] {
        if (completion) completion(response, data, error);
        // Handlers may hold whoever holds this connection; let go of them now.
        self->uploadProgress_ = nullptr;
        self->downloadProgress_ = nullptr;
    });
}

}  // namespace net
