#include "components/support/UIButton_WebCache.h"

#include "components/support/WebCacheViewRequester.h"

namespace UIButton_WebCache {

namespace {

const unsigned kStates[] = {ui::ControlStateNormal, ui::ControlStateSelected, ui::ControlStateHighlighted};

void setForStates(ui::Button& button, const graphics::Image& image, bool background) {
    for (unsigned state : kStates) {
        if (background)
            button.setBackgroundImage(image, state);
        else
            button.setImage(image, state);
    }
}

bool isBackground(const std::any& userInfo) {
    auto info = std::any_cast<foundation::Dictionary>(&userInfo);
    return info && info->get("type").stringValue() == "background";
}

class ButtonRequester : public support::WebCacheViewRequester {
public:
    explicit ButtonRequester(ui::View& view) : WebCacheViewRequester(view) {}

    void webImageManagerDidProgressWithPartialImageForURLUserInfo(support::SDWebImageManager&,
                                                                  const graphics::Image& image, const std::string&,
                                                                  const std::any& userInfo) override {
        show(image, userInfo);
    }
    void webImageManagerDidFinishWithImageForURLUserInfo(support::SDWebImageManager&, const graphics::Image& image,
                                                         const std::string&, const std::any& userInfo) override {
        show(image, userInfo);
    }

private:
    void show(const graphics::Image& image, const std::any& userInfo) {
        if (auto button = view<ui::Button>()) setForStates(*button, image, isBackground(userInfo));
    }
};

void request(ui::Button& button, const std::string& url, const graphics::Image& placeholder, int32_t options,
             bool background, support::SDWebImageSuccessBlock success, support::SDWebImageFailureBlock failure) {
    cancelCurrentImageLoad(button);
    setForStates(button, placeholder, background);
    if (url.empty()) return;
    auto requester = support::WebCacheViewRequester::forView<ButtonRequester>(button);
    std::any userInfo;
    if (background) userInfo = foundation::Dictionary{{"type", "background"}};
    support::SDWebImageManager::sharedManager().downloadWithURL(url, requester, options, std::move(userInfo),
                                                                std::move(success), std::move(failure));
}

}  // namespace

void setImageWithURL(ui::Button& button, const std::string& url, const graphics::Image& placeholder, int32_t options,
                     support::SDWebImageSuccessBlock success, support::SDWebImageFailureBlock failure) {
    request(button, url, placeholder, options, false, std::move(success), std::move(failure));
}

void setBackgroundImageWithURL(ui::Button& button, const std::string& url, const graphics::Image& placeholder,
                               int32_t options, support::SDWebImageSuccessBlock success,
                               support::SDWebImageFailureBlock failure) {
    request(button, url, placeholder, options, true, std::move(success), std::move(failure));
}

void cancelCurrentImageLoad(ui::Button& button) { support::WebCacheViewRequester::cancelRequests(button); }

}  // namespace UIButton_WebCache
