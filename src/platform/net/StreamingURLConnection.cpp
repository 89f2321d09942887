#include "platform/net/StreamingURLConnection.h"

#include "platform/net/URLLoad.h"

#include <stdexcept>

namespace net {

std::shared_ptr<StreamingURLConnection> StreamingURLConnection::create(
    URLRequest request, std::shared_ptr<StreamingURLConnectionDelegate> delegate) {
    return std::shared_ptr<StreamingURLConnection>(new StreamingURLConnection(std::move(request), std::move(delegate)));
}

void StreamingURLConnection::start(foundation::DispatchQueue queue, foundation::QueuePriority priority) {
    if (started_.exchange(true)) throw std::logic_error("StreamingURLConnection: started twice");
    queue_ = std::move(queue);
    auto self = shared_from_this();
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

void StreamingURLConnection::run() {
    detail::TransferControl control;
    control.cancelled = &cancelled_;
    control.additionalCertificateAuthorities = URLConnection::additionalCertificateAuthorityFile();
    control.onBodyChunk = [this](const uint8_t* data, size_t length) {
        // Cancelled while waiting: the transfer loop notices and stops.
        if (length == 0 || !admit(length)) return;
        post([chunk = foundation::Bytes(data, data + length)](
                 StreamingURLConnectionDelegate& delegate,
                 StreamingURLConnection& connection) { delegate.connectionDidReceiveData(connection, chunk); },
             false, length);
    };
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
