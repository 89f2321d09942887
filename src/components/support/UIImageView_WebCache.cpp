#include "components/support/UIImageView_WebCache.h"

#include "components/support/WebCacheViewRequester.h"

namespace UIImageView_WebCache {

namespace {

class ImageViewRequester : public support::WebCacheViewRequester {
public:
    explicit ImageViewRequester(ui::View& view) : WebCacheViewRequester(view) {}

    void webImageManagerDidProgressWithPartialImageForURL(support::SDWebImageManager&, const graphics::Image& image,
                                                          const std::string&) override {
        show(image);
    }
    void webImageManagerDidFinishWithImage(support::SDWebImageManager&, const graphics::Image& image) override {
        show(image);
    }

private:
    void show(const graphics::Image& image) {
        auto imageView = view<ui::ImageView>();
        if (!imageView) return;
        imageView->setImage(image);
        imageView->setNeedsLayout();
    }
};

}  // namespace

void setImageWithURL(ui::ImageView& view, const std::string& url, const graphics::Image& placeholder, int32_t options) {
    setImageWithURL(view, url, placeholder, options, nullptr, nullptr);
}

void setImageWithURL(ui::ImageView& view, const std::string& url, const graphics::Image& placeholder, int32_t options,
                     support::SDWebImageSuccessBlock success, support::SDWebImageFailureBlock failure) {
    cancelCurrentImageLoad(view);
    view.setImage(placeholder);
    if (url.empty()) return;
    auto requester = support::WebCacheViewRequester::forView<ImageViewRequester>(view);
    support::SDWebImageManager::sharedManager().downloadWithURL(url, requester, options, {}, std::move(success),
                                                                std::move(failure));
}

void cancelCurrentImageLoad(ui::ImageView& view) { support::WebCacheViewRequester::cancelRequests(view); }

}  // namespace UIImageView_WebCache
