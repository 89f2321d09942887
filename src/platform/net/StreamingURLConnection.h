#pragma once

// Loads a URLRequest in the background and hands its answer over piece by
// piece, as it arrives: first the response, then the body in chunks, then
// either the end or a failure.
//
//     class Loader : public net::StreamingURLConnectionDelegate { ... };
//     auto connection = net::StreamingURLConnection::create(request, loader);
//     connection->start();
//
// Every message runs on the delegate queue (the main queue unless start()
// names another serial queue), in order, and the connection ends with
// exactly one of connectionDidFinishLoading, connectionDidFailWithError or
// cancel(). Until it ends the connection keeps its delegate alive, and the
// running transfer keeps the connection alive; afterwards it lets go of the
// delegate. Any HTTP status is a response; transport failures, bodies cut
// short and time-outs are URL-domain errors (URLError.h). Redirects are
// followed as URLConnection follows them and are never announced, unless the
// delegate takes them over (connectionHandlesRedirects). A delegate
// queue that falls behind holds the transfer back: at most about
// kMaximumBytesInFlight of the body wait for delivery at any time.

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"
#include "platform/net/HTTPURLResponse.h"
#include "platform/net/URLRequest.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace net {

namespace detail {
struct TransferControl;
struct TransferProgress;
}  // namespace detail

class StreamingURLConnection;

class StreamingURLConnectionDelegate {
public:
    virtual ~StreamingURLConnectionDelegate() = default;
    // The head of the answer, once, before any data.
    virtual void connectionDidReceiveResponse(StreamingURLConnection&, const HTTPURLResponse&) {}
    // The next piece of the body; pieces arrive in order, none empty.
    virtual void connectionDidReceiveData(StreamingURLConnection&, const foundation::Bytes&) {}
    virtual void connectionDidFinishLoading(StreamingURLConnection&) {}
    virtual void connectionDidFailWithError(StreamingURLConnection&, const foundation::Error&) {}

    // Asked once, at start: true hands every 301, 302, 303 and 307 answer
    // with a usable Location to connectionWillSendRequest instead of
    // following it here. 308 then counts as a final answer (resumable
    // uploads use it for "incomplete").
    virtual bool connectionHandlesRedirects() const { return false; }
    // The request the connection would send next (method, body and
    // credentials already adjusted for the redirect); the answer is sent
    // instead. nullopt ends the load with the redirect answer itself as the
    // response.
    virtual std::optional<URLRequest> connectionWillSendRequest(StreamingURLConnection&, const URLRequest& proposed,
                                                                const HTTPURLResponse& redirectResponse) {
        (void)redirectResponse;
        return proposed;
    }
    // Progress of the request body: bytes sent since the last report, in
    // total, and the total expected.
    virtual void connectionDidSendBodyData(StreamingURLConnection&, int64_t bytesWritten, int64_t totalBytesWritten,
                                           int64_t totalBytesExpectedToWrite) {
        (void)bytesWritten, (void)totalBytesWritten, (void)totalBytesExpectedToWrite;
    }
};

class StreamingURLConnection : public std::enable_shared_from_this<StreamingURLConnection> {
public:
    static constexpr size_t kMaximumBytesInFlight = size_t(4) << 20;

    static std::shared_ptr<StreamingURLConnection> create(URLRequest request,
                                                          std::shared_ptr<StreamingURLConnectionDelegate> delegate);

    // Starts the transfer on a background thread of `priority`; a second call
    // throws std::logic_error. `queue` must be serial.
    void start(foundation::DispatchQueue queue = foundation::DispatchQueue::main(),
               foundation::QueuePriority priority = foundation::QueuePriority::Default);

    // Called on the delegate queue: stops the transfer; no further message
    // reaches the delegate, which is let go at once. Harmless after the end.
    void cancel();

    // On the delegate queue: whether the connection has ended (finished,
    // failed or cancelled) as far as the delegate is concerned.
    bool hasEnded() const { return ended_; }
    const URLRequest& originalRequest() const { return request_; }
    // Body bytes handed to the delegate queue and not yet delivered.
    size_t bytesInFlight() const;

private:
    StreamingURLConnection(URLRequest request, std::shared_ptr<StreamingURLConnectionDelegate> delegate)
        : request_(std::move(request)), delegate_(std::move(delegate)) {}

    void run();
    // One exchange of a connection whose delegate handles redirects; a
    // redirect goes to the delegate queue, which starts the next hop.
    void runHop(URLRequest hop, int redirects);
    void offerRedirect(URLRequest proposed, HTTPURLResponse response, foundation::Bytes body, int redirects);
    // Cancel flag, trusted authorities, sent-body reports and body delivery
    // of a transfer of this connection.
    detail::TransferControl transferControl();
    // A callback for the transfer's progress that reports sent body bytes.
    std::function<void(const detail::TransferProgress&)> sentBodyReporter();
    // Posts one message to the delegate queue; `last` ends the connection
    // before the message is delivered.
    template <typename Message>
    void post(Message message, bool last = false, size_t bodyBytes = 0);
    // On the transfer thread: waits until the body may go ahead by `length`
    // bytes; false when cancelled meanwhile.
    bool admit(size_t length);

    const URLRequest request_;
    std::atomic<bool> started_{false};
    std::atomic<bool> cancelled_{false};
    std::optional<foundation::DispatchQueue> queue_;  // set before the transfer starts
    bool delegateHandlesRedirects_ = false;           // likewise
    foundation::QueuePriority priority_ = foundation::QueuePriority::Default;

    mutable std::mutex flightMutex_;
    std::condition_variable flightDrained_;
    size_t bytesInFlight_ = 0;

    // Touched on the delegate queue only.
    std::shared_ptr<StreamingURLConnectionDelegate> delegate_;
    bool ended_ = false;
};

}  // namespace net
