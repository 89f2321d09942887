#include "components/support/SDWebImageDownloader.h"

#include "components/support/ScaledImageForKey.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/net/URLError.h"
#include "platform/net/URLParsing.h"

#include <algorithm>

namespace support {

namespace {

constexpr const char* kTypeKey = "type";
constexpr const char* kPartialType = "partial";
// Orders partial pictures: decodes run side by side and may end out of turn.
constexpr const char* kSequenceKey = "sequence";

void postStop(const void* sender) {
    foundation::NotificationCenter::defaultCenter().post(SDWebImageDownloadStopNotification, sender);
}

foundation::Error statusError(int statusCode) {
    return foundation::Error(net::kURLErrorDomain, statusCode,
                             "The operation couldn\u2019t be completed. (" + std::string(net::kURLErrorDomain) +
                                 " error " + std::to_string(statusCode) + ".)");
}

}  // namespace

std::shared_ptr<SDWebImageDownloader> SDWebImageDownloader::downloaderWithURL(
    std::string url, std::weak_ptr<SDWebImageDownloaderDelegate> delegate, std::any userInfo, bool lowPriority) {
    std::shared_ptr<SDWebImageDownloader> downloader(new SDWebImageDownloader());
    downloader->url_ = std::move(url);
    downloader->delegate_ = std::move(delegate);
    downloader->userInfo_ = std::move(userInfo);
    downloader->lowPriority_ = lowPriority;
    if (foundation::RunLoop::isMainThread())
        downloader->start();
    else
        foundation::DispatchQueue::main().sync([&downloader] { downloader->start(); });
    return downloader;
}

void SDWebImageDownloader::start() {
    if (!net::originOfURL(url_)) {
        // No connection can be made for this address. Answered from the run
        // loop, so that the caller holds the downloader before it hears of it.
        connection_.reset();
        foundation::DispatchQueue::main().async([self = shared_from_this()] {
            if (self->cancelled_) return;
            if (auto delegate = self->delegate_.lock()) delegate->imageDownloaderDidFailWithError(*self, std::nullopt);
        });
        return;
    }
    connection_ = net::StreamingURLConnection::create(net::URLRequest(url_, kTimeoutSeconds), shared_from_this());
    // A low-priority download yields the network threads to the others.
    connection_->start(foundation::DispatchQueue::main(),
                       lowPriority_ ? foundation::QueuePriority::Low : foundation::QueuePriority::Default);
    foundation::NotificationCenter::defaultCenter().post(SDWebImageDownloadStartNotification, this);
}

void SDWebImageDownloader::cancel() {
    cancelled_ = true;
    partialSource_.reset();
    if (!connection_) return;
    connection_->cancel();
    connection_.reset();
    foundation::NotificationCenter::defaultCenter().post(SDWebImageDownloadStopNotification, this);
}

void SDWebImageDownloader::fail(const std::optional<foundation::Error>& error) {
    // The connection is let go before the delegate hears of it, so a cancel
    // from inside the message posts no second stop notification.
    if (connection_) connection_->cancel();
    connection_.reset();
    imageData_ = foundation::Bytes();
    partialSource_.reset();
    postStop(nullptr);
    if (auto delegate = delegate_.lock()) delegate->imageDownloaderDidFailWithError(*this, error);
}

void SDWebImageDownloader::connectionDidReceiveResponse(net::StreamingURLConnection&,
                                                        const net::HTTPURLResponse& response) {
    if (response.statusCode >= 400) {
        fail(statusError(response.statusCode));
        return;
    }
    int64_t length = response.expectedContentLength();
    expectedSize_ = length > 0 ? static_cast<uint64_t>(length) : 0;
    // The stated length only guides the first allocation, and only so far:
    // a server may claim gigabytes and send a few bytes.
    imageData_ = foundation::Bytes();
    imageData_.reserve(static_cast<size_t>(std::min<uint64_t>(expectedSize_, kMaximumReservedBytes)));
    partialSource_.reset();
}

void SDWebImageDownloader::connectionDidReceiveData(net::StreamingURLConnection&, const foundation::Bytes& data) {
    if (data.size() > kMaximumImageBytes - imageData_.size()) {
        fail(net::urlError(net::kURLErrorDataLengthExceedsMaximum));
        return;
    }
    imageData_.insert(imageData_.end(), data.begin(), data.end());
    if (progressive_ && expectedSize_ != 0) makePartialImage();
}

void SDWebImageDownloader::makePartialImage() {
    const uint64_t total = imageData_.size();
    if (!partialSource_) {
        partialSource_ = std::make_unique<graphics::IncrementalImageSource>();
        partialChanges_ = 0;
    }
    partialSource_->updateData(imageData_, total == expectedSize_);
    if (width_ + height_ == 0) {
        if (auto size = partialSource_->pixelSize()) {
            width_ = static_cast<uint64_t>(size->width);
            height_ = static_cast<uint64_t>(size->height);
        }
    }
    // The last arrival makes no partial picture: the whole one follows.
    if (width_ + height_ == 0 || total >= expectedSize_) return;
    // Both sides come from 31-bit header fields, so the product is exact.
    if (width_ == 0 || height_ == 0 || width_ * height_ > static_cast<uint64_t>(kMaximumPartialPixels)) return;
    // Arrivals that decode nothing new (most of them, for a progressive
    // picture between two scans) would only repeat the last partial picture.
    if (partialSource_->changeCount() == partialChanges_) return;
    graphics::Image partial = partialSource_->createImage();
    if (partial.isNull()) return;
    partialChanges_ = partialSource_->changeCount();

    const graphics::Size size{static_cast<double>(width_), static_cast<double>(height_)};
    graphics::GraphicsContext context(size, 1.0, false);
    if (context.pixelWidth() == 0) return;  // no memory for it: skipped, the download goes on
    context.drawImage(partial, graphics::Rect{0, 0, size.width, static_cast<double>(partial.pixelHeight())});
    graphics::Image drawn = context.makeImage();
    if (drawn.isNull()) return;
    SDWebImageDecoder::sharedImageDecoder().decodeImage(
        scaledImageForKey(url_, drawn), shared_from_this(),
        foundation::Dictionary{{kTypeKey, kPartialType}, {kSequenceKey, foundation::Value::integer(++partialsMade_)}});
}

void SDWebImageDownloader::connectionDidFinishLoading(net::StreamingURLConnection&) {
    connection_.reset();
    partialSource_.reset();
    finishing_ = true;
    postStop(nullptr);
    auto delegate = delegate_.lock();
    if (!delegate) return;
    delegate->imageDownloaderDidFinish(*this);
    if (cancelled_) return;
    SDWebImageDecoder::sharedImageDecoder().decodeImageData(url_, imageData_, shared_from_this(), {});
}

void SDWebImageDownloader::connectionDidFailWithError(net::StreamingURLConnection&, const foundation::Error& error) {
    fail(error);
}

void SDWebImageDownloader::imageDecoderDidFinishDecodingImage(SDWebImageDecoder&, const graphics::Image& image,
                                                              const foundation::Dictionary& userInfo) {
    if (cancelled_) return;
    auto delegate = delegate_.lock();
    if (!delegate) return;
    if (userInfo[kTypeKey].stringValue() == kPartialType) {
        // A partial picture that comes after a newer one, or after the
        // download ended, would take the picture backwards.
        int64_t sequence = userInfo[kSequenceKey].asInt();
        if (finishing_ || !connection_ || sequence <= partialsShown_) return;
        partialsShown_ = sequence;
        delegate->imageDownloaderDidUpdatePartialImage(*this, image);
    } else {
        delegate->imageDownloaderDidFinishWithImage(*this, image);
    }
}

}  // namespace support
