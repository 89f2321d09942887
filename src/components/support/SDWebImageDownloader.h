#pragma once

// Fetches one picture over HTTP, optionally with partial pictures while the
// bytes arrive, and hands the finished picture, decompressed on a background
// queue, to its delegate (the image manager).
//
//     auto downloader = SDWebImageDownloader::downloaderWithURL(url, delegate);
//     downloader->setProgressive(true);  // before the main loop runs again
//
// Everything happens on the main thread: creation starts the download there,
// the connection's and the decoder's answers arrive there, and so do the
// delegate's messages and the two notifications, which a network-activity
// indicator can follow. A download ends finished (data kept), failed (data
// dropped) or cancelled (no message follows).
//
// Sizes the server states are not trusted: at most kMaximumReservedBytes are
// set aside ahead of the body, a body past kMaximumImageBytes fails the
// download, and no partial picture is drawn for more than
// kMaximumPartialPixels.

#include "components/support/SDWebImageDecoder.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/IncrementalImageSource.h"
#include "platform/net/StreamingURLConnection.h"

#include <any>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace support {

inline constexpr const char* SDWebImageDownloadStartNotification = "SDWebImageDownloadStartNotification";
inline constexpr const char* SDWebImageDownloadStopNotification = "SDWebImageDownloadStopNotification";

class SDWebImageDownloader;

// Every message has a default that does nothing.
class SDWebImageDownloaderDelegate {
public:
    virtual ~SDWebImageDownloaderDelegate() = default;
    virtual void imageDownloaderDidFinish(SDWebImageDownloader&) {}
    virtual void imageDownloaderDidUpdatePartialImage(SDWebImageDownloader&, const graphics::Image&) {}
    // A null image when the data make no picture.
    virtual void imageDownloaderDidFinishWithImage(SDWebImageDownloader&, const graphics::Image&) {}
    // No error when no connection could be made (an address that is not one).
    virtual void imageDownloaderDidFailWithError(SDWebImageDownloader&, const std::optional<foundation::Error>&) {}
};

class SDWebImageDownloader : public net::StreamingURLConnectionDelegate,
                             public SDWebImageDecoderDelegate,
                             public std::enable_shared_from_this<SDWebImageDownloader> {
public:
    static constexpr double kTimeoutSeconds = 15.0;
    static constexpr size_t kMaximumReservedBytes = size_t(8) << 20;
    static constexpr size_t kMaximumImageBytes = size_t(64) << 20;
    static constexpr int64_t kMaximumPartialPixels = graphics::IncrementalImageSource::kMaximumPixels;

    // A started downloader. The delegate is not owned.
    static std::shared_ptr<SDWebImageDownloader> downloaderWithURL(std::string url,
                                                                   std::weak_ptr<SDWebImageDownloaderDelegate> delegate,
                                                                   std::any userInfo = {}, bool lowPriority = false);
    // Kept for callers that set it; downloads are not limited in number.
    static void setMaxConcurrentDownloads(int count) { (void)count; }

    void start();
    void cancel();

    const std::string& url() const { return url_; }
    std::weak_ptr<SDWebImageDownloaderDelegate> delegate() const { return delegate_; }
    void setDelegate(std::weak_ptr<SDWebImageDownloaderDelegate> delegate) { delegate_ = std::move(delegate); }
    const std::shared_ptr<net::StreamingURLConnection>& connection() const { return connection_; }
    const foundation::Bytes& imageData() const { return imageData_; }
    const std::any& userInfo() const { return userInfo_; }
    bool lowPriority() const { return lowPriority_; }
    void setLowPriority(bool lowPriority) { lowPriority_ = lowPriority; }
    bool progressive() const { return progressive_; }
    void setProgressive(bool progressive) { progressive_ = progressive; }
    uint64_t expectedSize() const { return expectedSize_; }
    uint64_t width() const { return width_; }
    uint64_t height() const { return height_; }

    // The connection's messages.
    void connectionDidReceiveResponse(net::StreamingURLConnection& connection,
                                      const net::HTTPURLResponse& response) override;
    void connectionDidReceiveData(net::StreamingURLConnection& connection, const foundation::Bytes& data) override;
    void connectionDidFinishLoading(net::StreamingURLConnection& connection) override;
    void connectionDidFailWithError(net::StreamingURLConnection& connection, const foundation::Error& error) override;

    // The decoder's answer.
    void imageDecoderDidFinishDecodingImage(SDWebImageDecoder& decoder, const graphics::Image& image,
                                            const foundation::Dictionary& userInfo) override;

private:
    SDWebImageDownloader() = default;
    void fail(const std::optional<foundation::Error>& error);
    void makePartialImage();

    std::string url_;
    std::weak_ptr<SDWebImageDownloaderDelegate> delegate_;
    std::shared_ptr<net::StreamingURLConnection> connection_;
    foundation::Bytes imageData_;
    std::any userInfo_;
    bool lowPriority_ = false;
    uint64_t expectedSize_ = 0;
    bool progressive_ = false;
    uint64_t width_ = 0;
    uint64_t height_ = 0;

    // Reads the body so far for partial pictures; it resumes where it
    // stopped, so each arrival costs only its own bytes.
    std::unique_ptr<graphics::IncrementalImageSource> partialSource_;
    uint64_t partialChanges_ = 0;  // the source's change count at the last partial picture
    bool cancelled_ = false;       // no message after cancel, decoder answers included
    bool finishing_ = false;       // the whole picture is on its way: partials are stale
    int64_t partialsMade_ = 0;
    int64_t partialsShown_ = 0;
};

}  // namespace support
