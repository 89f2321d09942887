#include "platform/net/StreamingURLConnection.h"

#include "platform/net/URLError.h"
#include "platform/net/URLLoad.h"
#include "platform/net/URLParsing.h"

#include <stdexcept>

namespace net {

std::shared_ptr<StreamingURLConnection> StreamingURLConnection::create(
    URLRequest request, std::shared_ptr<StreamingURLConnectionDelegate> delegate) {
    return std::shared_ptr<StreamingURLConnection>(new StreamingURLConnection(std::move(request), std::move(delegate)));
}

void StreamingURLConnection::start(foundation::DispatchQueue queue, foundation::QueuePriority priority) {
    if (started_.exchange(true)) throw std::logic_error("StreamingURLConnection: started twice");
    queue_ = std::move(queue);
    delegateHandlesRedirects_ = delegate_ && delegate_->connectionHandlesRedirects();
    priority_ = priority;
    auto self = shared_from_this();
    if (delegateHandlesRedirects_)
        foundation::DispatchQueue::global(priority).async([self] { self->runHop(self->request_, 0); });
    else
        foundation::DispatchQueue::global(priority).async([self] { self->run(); });
}

void StreamingURLConnection::cancel() {
    {
        std::lock_guard lock(flightMutex_);
        cancelled_ = true;
    }
    flightDrained_.notify_all();
    ended_ = true;
    delegate_.reset();
}

size_t StreamingURLConnection::bytesInFlight() const {
    std::lock_guard lock(flightMutex_);
    return bytesInFlight_;
}

bool StreamingURLConnection::admit(size_t length) {
    std::unique_lock lock(flightMutex_);
    flightDrained_.wait(lock, [&] { return bytesInFlight_ < kMaximumBytesInFlight || cancelled_; });
    if (cancelled_) return false;
    bytesInFlight_ += length;
    return true;
}

template <typename Message>
void StreamingURLConnection::post(Message message, bool last, size_t bodyBytes) {
    queue_->async([self = shared_from_this(), message = std::move(message), last, bodyBytes] {
        if (bodyBytes) {
            {
                std::lock_guard lock(self->flightMutex_);
                self->bytesInFlight_ -= bodyBytes;
            }
            self->flightDrained_.notify_all();
        }
        if (self->ended_) return;  // cancelled meanwhile: the rest is dropped
        // Held for the call: the delegate may cancel, or drop its last
        // reference to itself, from inside its own message.
        std::shared_ptr<StreamingURLConnectionDelegate> delegate = self->delegate_;
        if (last) {
            self->ended_ = true;
            self->delegate_.reset();
        }
        if (delegate) message(*delegate, *self);
    });
}

std::function<void(const detail::TransferProgress&)> StreamingURLConnection::sentBodyReporter() {
    return [this, lastSent = int64_t(0)](const detail::TransferProgress& progress) mutable {
        if (progress.bytesSent == lastSent) return;
        int64_t written = progress.bytesSent - lastSent;
        lastSent = progress.bytesSent;
        post([written, total = progress.bytesSent, expected = progress.bytesToSend](
                 StreamingURLConnectionDelegate& delegate, StreamingURLConnection& connection) {
            delegate.connectionDidSendBodyData(connection, written, total, expected);
        });
    };
}

detail::TransferControl StreamingURLConnection::transferControl() {
    detail::TransferControl control;
    control.cancelled = &cancelled_;
    control.additionalCertificateAuthorities = URLConnection::additionalCertificateAuthorityFile();
    control.onProgress = sentBodyReporter();
    control.onBodyChunk = [this](const uint8_t* data, size_t length) {
        // Cancelled while waiting: the transfer loop notices and stops.
        if (length == 0 || !admit(length)) return;
        post([chunk = foundation::Bytes(data, data + length)](
                 StreamingURLConnectionDelegate& delegate,
                 StreamingURLConnection& connection) { delegate.connectionDidReceiveData(connection, chunk); },
             false, length);
    };
    return control;
}

namespace {

// The redirects a delegate that handles them is offered; 308 stays final.
std::optional<RedirectStep> offeredRedirect(int statusCode, const HTTPHeaders& headers, const URLRequest& hop) {
    if (statusCode == 308) return std::nullopt;
    return redirectFor(statusCode, headers.value("Location"), hop.url, hop.httpMethod);
}

}  // namespace

void StreamingURLConnection::runHop(URLRequest hop, int redirects) {
    auto fail = [this](foundation::Error error) {
        post(
            [error = std::move(error)](StreamingURLConnectionDelegate& delegate, StreamingURLConnection& connection) {
                delegate.connectionDidFailWithError(connection, error);
            },
            true);
    };
    foundation::Result<URLOrigin> origin = originOfURL(hop.url);
    if (!origin) return fail(origin.error());
    if (cancelled_) return;

    detail::TransferControl control = transferControl();
    control.onResponseHead = [this, &hop](int statusCode, const HTTPHeaders& headers) {
        if (offeredRedirect(statusCode, headers, hop)) return false;
        post([response = HTTPURLResponse{hop.url, statusCode, headers}](StreamingURLConnectionDelegate& delegate,
                                                                        StreamingURLConnection& connection) {
            delegate.connectionDidReceiveResponse(connection, response);
        });
        return true;
    };
    detail::TransferOutcome outcome = detail::performTransfer(hop, origin->host, control);
    if (outcome.error) return fail(*outcome.error);

    if (std::optional<RedirectStep> step = offeredRedirect(outcome.statusCode, outcome.headers, hop)) {
        if (redirects == URLConnection::kMaximumRedirects) return fail(urlError(kURLErrorHTTPTooManyRedirects));
        foundation::Result<URLRequest> next = detail::requestAfterRedirect(hop, *origin, *step);
        if (!next) return fail(next.error());
        queue_->async([self = shared_from_this(), proposed = std::move(*next),
                       response = HTTPURLResponse{hop.url, outcome.statusCode, std::move(outcome.headers)},
                       body = std::move(outcome.body), redirects]() mutable {
            self->offerRedirect(std::move(proposed), std::move(response), std::move(body), redirects);
        });
        return;
    }
    post([](StreamingURLConnectionDelegate& delegate,
            StreamingURLConnection& connection) { delegate.connectionDidFinishLoading(connection); },
         true);
}

void StreamingURLConnection::offerRedirect(URLRequest proposed, HTTPURLResponse response, foundation::Bytes body,
                                           int redirects) {
    if (ended_) return;
    std::shared_ptr<StreamingURLConnectionDelegate> delegate = delegate_;
    std::optional<URLRequest> next = delegate->connectionWillSendRequest(*this, proposed, response);
    if (ended_) return;  // cancelled from inside
    if (next) {
        foundation::DispatchQueue::global(priority_).async(
            [self = shared_from_this(), next = std::move(*next), redirects]() mutable {
                self->runHop(std::move(next), redirects + 1);
            });
        return;
    }
    // Refused: the redirect answer is the final one.
    delegate->connectionDidReceiveResponse(*this, response);
    if (ended_) return;
    if (!body.empty()) delegate->connectionDidReceiveData(*this, body);
    if (ended_) return;
    ended_ = true;
    delegate_.reset();
    delegate->connectionDidFinishLoading(*this);
}

void StreamingURLConnection::run() {
    detail::TransferControl control = transferControl();
    bool announced = false;
    auto announce = [this, &announced](const HTTPURLResponse& response) {
        announced = true;
        post([response](StreamingURLConnectionDelegate& delegate, StreamingURLConnection& connection) {
            delegate.connectionDidReceiveResponse(connection, response);
        });
        return true;
    };

    URLLoadResult result = detail::loadFollowingRedirects(request_, control, announce);
    if (result.error) {
        post(
            [error = *result.error](StreamingURLConnectionDelegate& delegate, StreamingURLConnection& connection) {
                delegate.connectionDidFailWithError(connection, error);
            },
            true);
        return;
    }
    // An answer whose head was never seen on its own (there is none today)
    // still reaches the delegate whole.
    if (!announced && result.response) {
        announce(*result.response);
        if (!result.data.empty()) control.onBodyChunk(result.data.data(), result.data.size());
    }
    post([](StreamingURLConnectionDelegate& delegate,
            StreamingURLConnection& connection) { delegate.connectionDidFinishLoading(connection); },
         true);
}

}  // namespace net
