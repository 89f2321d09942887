#include "components/google/signin/GTMOAuth2BrowserWebView.h"

#include "components/google/GTMNSStringHTMLAdditions.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/host/Application.h"

namespace google {

namespace {

// The address in lines short enough for a phone's width: the page lays out
// no break inside a word.
std::string brokenIntoLines(const std::string& url) {
    constexpr size_t kLineLength = 56;
    std::string html;
    for (size_t start = 0; start < url.size(); start += kLineLength) {
        if (start > 0) html += "<br>";
        html += GTMNSStringHTMLAdditions::gtm_stringByEscapingForHTML(url.substr(start, kLineLength));
    }
    return html;
}

}  // namespace

std::string GTMOAuth2BrowserWebView::waitingPage(const std::string& url, bool browserOpened) {
    using GTMNSStringHTMLAdditions::gtm_stringByEscapingForHTML;
    const std::string title = foundation::localized("Continue in your browser");
    const std::string explanation = browserOpened
                                        ? foundation::localized(
                                              "Sign in on the page that opened in your web browser, then come back "
                                              "here. If no page opened, copy this address into your browser:")
                                        : foundation::localized(
                                              "Your web browser could not be opened. Copy this address into your "
                                              "browser to sign in:");
    return "<html><head><title>" + gtm_stringByEscapingForHTML(title) +
           "</title></head><body style=\"font-family: sans-serif; margin: 24px\"><h2>" +
           gtm_stringByEscapingForHTML(title) + "</h2><p>" + gtm_stringByEscapingForHTML(explanation) +
           "</p><p style=\"font-family: monospace\">" + brokenIntoLines(url) + "</p></body></html>";
}

void GTMOAuth2BrowserWebView::loadRequest(const net::URLRequest& request) {
    requestedURL_ = request.url;
    didOpenBrowser_ = ui::Application::shared().openURL(request.url);
    loadHTMLString(waitingPage(request.url, didOpenBrowser_), "");
}

std::string GTMOAuth2BrowserWebView::pageTitle() const {
    const std::string& html = htmlString();
    size_t open = html.find("<title>");
    if (open == std::string::npos) return {};
    open += 7;
    size_t close = html.find("</title>", open);
    return close == std::string::npos ? std::string() : html.substr(open, close - open);
}

}  // namespace google
