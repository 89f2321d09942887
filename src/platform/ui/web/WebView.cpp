#include "platform/ui/web/WebView.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/GraphicsContext.h"

#include <filesystem>
#include <system_error>

namespace ui {

namespace {

namespace fs = std::filesystem;

// The folder a base URL names: a "file:" URL or a plain absolute path.
std::optional<fs::path> baseFolder(const std::string& baseURL) {
    if (baseURL.empty()) return std::nullopt;
    std::optional<std::string> path =
        baseURL.rfind("file:", 0) == 0 ? foundation::path::fromFileURL(baseURL) : std::optional<std::string>(baseURL);
    if (!path || path->empty() || (*path)[0] != '/') return std::nullopt;
    std::error_code error;
    if (!fs::is_directory(*path, error)) return std::nullopt;
    return fs::path(*path);
}

bool hasScheme(const std::string& reference) {
    size_t colon = reference.find(':');
    if (colon == std::string::npos || colon == 0) return false;
    for (size_t i = 0; i < colon; ++i) {
        char c = reference[i];
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') return false;
    }
    return true;
}

// A regular file inside `root` after every link and ".." is followed.
std::optional<std::string> insideRoot(const fs::path& candidate, const fs::path& root) {
    std::error_code error;
    fs::path real = fs::canonical(candidate, error);
    if (error || !fs::is_regular_file(real, error)) return std::nullopt;
    auto [rootEnd, realAt] = std::mismatch(root.begin(), root.end(), real.begin(), real.end());
    if (rootEnd != root.end()) return std::nullopt;
    return real.string();
}

}  // namespace

WebView::WebView() : WebView(graphics::Rect()) {}

WebView::WebView(const graphics::Rect& frame) : View(frame) {
    setDrawsContent(true);
    setBackgroundColor(graphics::Color::white());
    setOpaque(true);
}

WebView::~WebView() = default;

std::optional<std::string> WebView::resolveResource(const std::string& reference, const std::string& baseURL) {
    std::error_code error;
    fs::path root = fs::canonical(foundation::Bundle::main().resourcePath(), error);
    if (error || reference.empty()) return std::nullopt;
    std::optional<fs::path> target;
    if (reference.rfind("file:", 0) == 0) {
        if (auto path = foundation::path::fromFileURL(reference)) target = fs::path(*path);
    } else if (!hasScheme(reference) && reference[0] != '/') {
        if (auto folder = baseFolder(baseURL)) target = *folder / reference;
    }
    if (target) {
        if (auto found = insideRoot(*target, root)) return found;
    }
    // A bare name is looked up as every resource is, in the folder's subfolders too.
    if (!hasScheme(reference) && reference.find('/') == std::string::npos) {
        if (auto path = foundation::Bundle::main().pathForResource(reference)) return insideRoot(*path, root);
    }
    return std::nullopt;
}

void WebView::loadHTMLString(const std::string& html, const std::string& baseURL) {
    loadLife_.revoke();
    loading_ = true;
    foundation::DispatchQueue::main().async(loadLife_.guard([this, html, baseURL] { performLoad(html, baseURL); }));
}

void WebView::stopLoading() {
    loadLife_.revoke();
    loading_ = false;
}

void WebView::performLoad(const std::string& html, const std::string& baseURL) {
    // The delegate may replace this load from any of its calls: each step
    // goes on only while this load is still the current one.
    foundation::LifeObserver current = loadLife_.observer();
    if (delegate_ && !delegate_->webViewShouldStartLoadWithRequest(*this, baseURL.empty() ? "about:blank" : baseURL,
                                                                   WebViewNavigationType::Other)) {
        if (current) loading_ = false;
        return;
    }
    if (!current) return;
    if (delegate_) delegate_->webViewDidStartLoad(*this);
    if (!current) return;
    if (!baseURL.empty() && !baseFolder(baseURL)) {
        loading_ = false;
        foundation::Error error{kWebViewErrorDomain, kWebViewErrorBadBaseURL,
                                "The base URL \"" + baseURL + "\" names no folder on this machine."};
        if (delegate_) delegate_->webViewDidFailLoadWithError(*this, error);
        return;
    }
    auto page = std::make_unique<graphics::HtmlDocument>(html, bounds().size, baseURL, &WebView::resolveResource);
    if (page->isTooDeep()) {
        loading_ = false;
        foundation::Error error{kWebViewErrorDomain, kWebViewErrorPageTooDeep,
                                "The page nests its elements too deeply to be shown."};
        if (delegate_) delegate_->webViewDidFailLoadWithError(*this, error);
        return;
    }
    html_ = html;
    baseURL_ = baseURL;
    document_ = std::move(page);
    loading_ = false;
    setNeedsDisplay();
    if (delegate_) delegate_->webViewDidFinishLoad(*this);
}

void WebView::boundsSizeDidChange(graphics::Size oldSize) {
    View::boundsSizeDidChange(oldSize);
    // The page flows again at the new width.
    if (document_ && document_->viewport() != bounds().size)
        document_ = std::make_unique<graphics::HtmlDocument>(html_, bounds().size, baseURL_, &WebView::resolveResource);
    setNeedsDisplay();
}

void WebView::drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect) {
    (void)rect;
    if (isOpaque()) {
        context.setFillColor(graphics::Color::white());
        context.fillRect(bounds());
    }
    if (document_) document_->draw(context);
}

}  // namespace ui
