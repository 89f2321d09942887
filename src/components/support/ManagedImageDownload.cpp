#include "components/support/ManagedImageDownload.h"

#include "components/support/SDWebImageDownloader.h"

namespace support {

namespace {

// Stands between one downloader and the manager: the manager sees it as its
// download, the downloader as its (unowned) delegate.
class ManagedImageDownload final : public WebImageDownload, public SDWebImageDownloaderDelegate {
public:
    explicit ManagedImageDownload(std::weak_ptr<SDWebImageManager> manager) : manager_(std::move(manager)) {}

    void begin(const std::string& url, std::any userInfo, bool lowPriority, std::weak_ptr<ManagedImageDownload> self) {
        downloader_ = SDWebImageDownloader::downloaderWithURL(url, std::move(self), std::move(userInfo), lowPriority);
    }

    const std::string& url() const override { return downloader_->url(); }
    const std::any& userInfo() const override { return downloader_->userInfo(); }
    bool progressive() const override { return downloader_->progressive(); }
    void setProgressive(bool progressive) override { downloader_->setProgressive(progressive); }
    void setLowPriority(bool lowPriority) override { downloader_->setLowPriority(lowPriority); }
    const foundation::Bytes& imageData() const override { return downloader_->imageData(); }
    void cancel() override { downloader_->cancel(); }

    void imageDownloaderDidUpdatePartialImage(SDWebImageDownloader&, const graphics::Image& image) override {
        if (auto manager = manager_.lock()) manager->imageDownloaderDidUpdatePartialImage(*this, image);
    }
    void imageDownloaderDidFinishWithImage(SDWebImageDownloader&, const graphics::Image& image) override {
        if (auto manager = manager_.lock()) manager->imageDownloaderDidFinishWithImage(*this, image);
    }
    void imageDownloaderDidFailWithError(SDWebImageDownloader&,
                                         const std::optional<foundation::Error>& error) override {
        if (auto manager = manager_.lock()) manager->imageDownloaderDidFailWithError(*this, error);
    }

private:
    std::weak_ptr<SDWebImageManager> manager_;
    std::shared_ptr<SDWebImageDownloader> downloader_;
};

}  // namespace

std::shared_ptr<WebImageDownload> startManagedImageDownload(const std::string& url, std::any userInfo, bool lowPriority,
                                                            std::weak_ptr<SDWebImageManager> manager) {
    auto download = std::make_shared<ManagedImageDownload>(std::move(manager));
    download->begin(url, std::move(userInfo), lowPriority, download);
    return download;
}

}  // namespace support
