#pragma once

// A view that shows an HTML page given as a string. The page is laid out at
// the view's size (one page pixel per point) and drawn by HtmlDocument. A
// load never reaches outside the machine: the page may read pictures and
// style sheets only inside the application's resources folder, found from
// the base URL (a "file:" URL or a path of a folder) or, for a bare name, by
// the resources' own lookup; every other reference is left out.
//
// Loading is asynchronous as on the platform: loadHTMLString returns at once
// and the delegate hears, from the main run loop, whether to start, the
// start, and the finish or the failure. A web view is transparent where the
// page paints nothing unless it is opaque, when white lies under the page.

#include "platform/foundation/Error.h"
#include "platform/foundation/Lifetime.h"
#include "platform/graphics/HtmlDocument.h"
#include "platform/ui/View.h"

#include <memory>
#include <optional>
#include <string>

namespace ui {

class WebView;

inline constexpr const char* kWebViewErrorDomain = "WebViewErrorDomain";
// The base URL names no folder on this machine.
inline constexpr int64_t kWebViewErrorBadBaseURL = 1;
// The page nests deeper than HtmlDocument reads.
inline constexpr int64_t kWebViewErrorPageTooDeep = 2;

// The platform's navigation types; a page loaded from a string is "other".
enum class WebViewNavigationType {
    LinkClicked = 0,
    FormSubmitted = 1,
    BackForward = 2,
    Reload = 3,
    FormResubmitted = 4,
    Other = 5
};

class WebViewDelegate {
public:
    virtual ~WebViewDelegate() = default;
    // Whether to load; a refused load tells nothing more.
    virtual bool webViewShouldStartLoadWithRequest(WebView& webView, const std::string& url,
                                                   WebViewNavigationType navigationType) {
        (void)webView, (void)url, (void)navigationType;
        return true;
    }
    virtual void webViewDidStartLoad(WebView& webView) { (void)webView; }
    virtual void webViewDidFinishLoad(WebView& webView) { (void)webView; }
    virtual void webViewDidFailLoadWithError(WebView& webView, const foundation::Error& error) {
        (void)webView, (void)error;
    }
};

class WebView : public View {
public:
    WebView();
    explicit WebView(const graphics::Rect& frame);
    ~WebView() override;

    // Not retained; cleared by the delegate when it goes away first.
    WebViewDelegate* delegate() const { return delegate_; }
    void setDelegate(WebViewDelegate* delegate) { delegate_ = delegate; }

    // Starts loading the page; a load still pending is dropped.
    void loadHTMLString(const std::string& html, const std::string& baseURL);
    // Drops a pending load; the page shown stays.
    void stopLoading();
    bool isLoading() const { return loading_; }

    // The page shown, null before the first finished load.
    const graphics::HtmlDocument* document() const { return document_.get(); }
    // The HTML of the page shown, as it was loaded.
    const std::string& htmlString() const { return html_; }
    // The base URL of the page shown.
    const std::string& baseURL() const { return baseURL_; }

    void drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect) override;

    // The local file a reference of a page with this base URL may read:
    // inside the resources folder and existing, or none.
    static std::optional<std::string> resolveResource(const std::string& reference, const std::string& baseURL);

protected:
    void boundsSizeDidChange(graphics::Size oldSize) override;

private:
    void performLoad(const std::string& html, const std::string& baseURL);

    WebViewDelegate* delegate_ = nullptr;
    std::unique_ptr<graphics::HtmlDocument> document_;
    std::string html_;
    std::string baseURL_;
    bool loading_ = false;
    foundation::LifeToken loadLife_;  // revoked when a load is replaced or stopped
};

}  // namespace ui
