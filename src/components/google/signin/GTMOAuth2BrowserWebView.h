#pragma once

// The sign-in screen's web view: pages the screen makes itself are drawn
// here, and a request for the provider's pages opens the user's browser
// instead (the provider refuses embedded views), leaving a page that says
// so with the address to copy when no browser opened.

#include "platform/net/URLRequest.h"
#include "platform/ui/web/WebView.h"

#include <optional>
#include <string>

namespace google {

class GTMOAuth2BrowserWebView : public ui::WebView {
public:
    using WebView::WebView;

    // Opens the address in the browser and shows the waiting page.
    void loadRequest(const net::URLRequest& request);
    // The address last handed to the browser.
    const std::optional<std::string>& requestedURL() const { return requestedURL_; }
    bool didOpenBrowser() const { return didOpenBrowser_; }

    // Pages live in the browser: there is no history here.
    bool canGoBack() const { return false; }
    bool canGoForward() const { return false; }

    // The text between <title> and </title> of the page shown, as written:
    // what reading the document's title gives for our own plain pages.
    std::string pageTitle() const;

    static std::string waitingPage(const std::string& url, bool browserOpened);

private:
    std::optional<std::string> requestedURL_;
    bool didOpenBrowser_ = false;
};

}  // namespace google
