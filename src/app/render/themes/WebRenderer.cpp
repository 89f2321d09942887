#include "app/render/themes/WebRenderer.h"

#include "app/render/DynamicPageReplacer.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/ui/compositing/Render.h"

WebRenderer::WebRenderer() = default;

WebRenderer::~WebRenderer() {
    if (webView_) webView_->setDelegate(nullptr);
}

void WebRenderer::renderContent(const std::string& content, graphics::Size atSize,
                                const foundation::Dictionary& andDictonary, const graphics::Image& andBackgroundImage) {
    (void)atSize;
    life_.revoke();  // the render in progress, if any, is dropped
    if (webView_) webView_->setDelegate(nullptr);
    const graphics::Rect bounds(0, 0, kCardSize.width, kCardSize.height);
    webView_ = std::make_shared<ui::WebView>(bounds);
    webView_->setDelegate(this);
    webView_->setBackgroundColor(graphics::Color::clear());
    webView_->setOpaque(false);
    backgroundImageView_ = std::make_shared<ui::ImageView>(bounds);
    backgroundImageView_->setContentMode(ui::ContentMode::ScaleToFill);
    backgroundImageView_->addSubview(webView_);
    backgroundImageView_->setImage(andBackgroundImage);

    std::optional<std::string> page =
        DynamicPageReplacer::processFileAtPath(content, ThemeCard::replacementDictionary(andDictonary));
    if (!page) {
        foundation::Error error{kWebRendererErrorDomain, kWebRendererErrorTemplateUnreadable,
                                "The card template \"" + content + "\" cannot be read."};
        foundation::DispatchQueue::main().async(life_.guard([this, error] { fail(error); }));
        return;
    }
    const std::string& resources = foundation::Bundle::main().resourcePath();
    webView_->loadHTMLString(*page, "file://" + resources + "/");
}

void WebRenderer::webViewDidFinishLoad(ui::WebView& webView) {
    if (&webView != webView_.get()) return;
    // The handler may start the next render, which replaces these views
    // while this call is still inside the web view.
    auto keptView = webView_;
    auto keptBackground = backgroundImageView_;
    graphics::Image picture = ui::renderView(*backgroundImageView_, 1.0);
    // A later load event of the same page does nothing.
    webView_->setDelegate(nullptr);
    if (handlerComplete_) {
        Completion handler = handlerComplete_;  // the handler may start the next render
        handler(picture);
    }
}

void WebRenderer::webViewDidFailLoadWithError(ui::WebView& webView, const foundation::Error& error) {
    if (&webView != webView_.get()) return;
    auto keptView = webView_;
    webView_->setDelegate(nullptr);
    fail(error);
}

void WebRenderer::fail(const foundation::Error& error) {
    if (handlerFailed_) {
        Failure handler = handlerFailed_;
        handler(error);
    }
}
