#pragma once

// Renders one card: a template filled with texts, laid out in a transparent
// 1280x720 web view over the theme's background picture, and taken as one
// picture when the page has loaded.
//
// One render at a time: a new renderContent replaces the one in progress.
// A template that cannot be read, or a page that fails to load, is reported
// through handlerFailed, on the main run loop as the picture would have been.

#include "app/render/ThemeCard.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Image.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/web/WebView.h"

#include <functional>
#include <memory>
#include <string>

class WebRenderer : public ui::WebViewDelegate {
public:
    static constexpr graphics::Size kCardSize = ThemeCard::kCardSize;

    using Completion = std::function<void(const graphics::Image&)>;
    using Failure = std::function<void(const foundation::Error&)>;

    WebRenderer();
    ~WebRenderer() override;
    WebRenderer(const WebRenderer&) = delete;
    WebRenderer& operator=(const WebRenderer&) = delete;

    // Builds the page from the template `content` and starts loading it over
    // the background. The size is not used: a card is always kCardSize.
    // The replacement texts are ThemeCard::replacementDictionary's.
    void renderContent(const std::string& content, graphics::Size atSize, const foundation::Dictionary& andDictonary,
                       const graphics::Image& andBackgroundImage);

    const Completion& handlerComplete() const { return handlerComplete_; }
    void setHandlerComplete(Completion handler) { handlerComplete_ = std::move(handler); }
    const Failure& handlerFailed() const { return handlerFailed_; }
    void setHandlerFailed(Failure handler) { handlerFailed_ = std::move(handler); }

    // The views of the render in progress (null before the first).
    ui::ImageView* backgroundImageView() const { return backgroundImageView_.get(); }
    ui::WebView* webView() const { return webView_.get(); }

    // Web view delegate.
    void webViewDidFinishLoad(ui::WebView& webView) override;
    void webViewDidFailLoadWithError(ui::WebView& webView, const foundation::Error& error) override;

private:
    void fail(const foundation::Error& error);

    std::shared_ptr<ui::ImageView> backgroundImageView_;
    std::shared_ptr<ui::WebView> webView_;
    Completion handlerComplete_;
    Failure handlerFailed_;
    foundation::LifeToken life_;
};

inline constexpr const char* kWebRendererErrorDomain = "WebRenderer";
// The card template is missing or unreadable.
inline constexpr int64_t kWebRendererErrorTemplateUnreadable = 1;
