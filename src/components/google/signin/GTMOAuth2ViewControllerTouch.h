#pragma once

// The screen on which the user signs in at the provider. The provider's
// pages open in the user's own browser (they refuse embedded views); the
// screen's web view says "Continue in your browser" with the address to
// copy, and a one-shot receiver on 127.0.0.1 takes the browser's return,
// which the screen hands to the flow as the page its web view was about to
// load. The code exchange and the user's identity follow; the finish
// callback gets the authorization, already saved in the keychain.
//
//     auto screen = GTMOAuth2ViewControllerTouch::controllerWithScope(
//         GTMOAuth2SignIn::youTubeScope(), clientID, clientSecret, "YouTube: Tollivar",
//         [](auto& screen, const auto& auth, const auto& error) { ... });
//     navigationController->pushViewController(screen, true);
//
// Leaving with the back control ends the sign-in with -1000. A machine
// whose clock is before 2011 cannot sign in (certificates and tokens would
// look expired or not yet valid): the screen says so and opens nothing.

#include "components/google/GTMOAuth2Keychain.h"
#include "components/google/GTMOAuth2SignIn.h"
#include "components/google/signin/GTMOAuth2BrowserWebView.h"
#include "platform/net/LoopbackRedirectReceiver.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/controls/ActivityIndicatorView.h"
#include "platform/ui/controls/Button.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace google {

inline constexpr const char* kGTMOAuth2WebViewStartedLoading = "kGTMOAuth2WebViewStartedLoading";
inline constexpr const char* kGTMOAuth2WebViewStoppedLoading = "kGTMOAuth2WebViewStoppedLoading";
inline constexpr const char* kGTMOAuth2WebViewKey = "kGTMOAuth2WebViewKey";
inline constexpr const char* kGTMOAuth2WebViewStopKindKey = "kGTMOAuth2WebViewStopKindKey";
inline constexpr const char* kGTMOAuth2WebViewFinished = "finished";
inline constexpr const char* kGTMOAuth2WebViewFailed = "failed";
inline constexpr const char* kGTMOAuth2WebViewCancelled = "cancelled";
inline constexpr const char* kGTMOAuth2CookiesWillSwapOut = "kGTMOAuth2CookiesWillSwapOut";
inline constexpr const char* kGTMOAuth2CookiesDidSwapIn = "kGTMOAuth2CookiesDidSwapIn";

class GTMOAuth2ViewControllerTouch : public ui::ViewController, public ui::WebViewDelegate {
public:
    using OptionalError = std::optional<foundation::Error>;
    using FinishedSelector = std::function<void(GTMOAuth2ViewControllerTouch& screen,
                                                const GTMOAuth2AuthenticationPtr& auth, const OptionalError& error)>;
    using CompletionHandler = FinishedSelector;

    // Signs in at the configured Google provider with a loopback redirect,
    // PKCE and a state value; the delegate (kept until the finish) and its
    // selector, or the completion block, receive the outcome.
    static std::shared_ptr<GTMOAuth2ViewControllerTouch> controllerWithScope(
        const std::optional<std::string>& scope, const std::string& clientID, const std::string& clientSecret,
        const std::string& keychainItemName, std::shared_ptr<void> delegate, FinishedSelector finishedSelector);
    static std::shared_ptr<GTMOAuth2ViewControllerTouch> controllerWithScope(const std::optional<std::string>& scope,
                                                                             const std::string& clientID,
                                                                             const std::string& clientSecret,
                                                                             const std::string& keychainItemName,
                                                                             CompletionHandler handler);
    // With an authorization and page of the caller's; its redirect URI is
    // used as it is.
    static std::shared_ptr<GTMOAuth2ViewControllerTouch> controllerWithAuthentication(
        const GTMOAuth2AuthenticationPtr& auth, const std::string& authorizationURL,
        const std::string& keychainItemName, std::shared_ptr<void> delegate, FinishedSelector finishedSelector,
        CompletionHandler handler);
    ~GTMOAuth2ViewControllerTouch() override;

    // Keychain operations of the share service.
    static GTMOAuth2AuthenticationPtr authForGoogleFromKeychainForName(const std::string& keychainItemName,
                                                                       const std::string& clientID,
                                                                       const std::string& clientSecret,
                                                                       foundation::Error* error = nullptr) {
        return GTMOAuth2Keychain::authForGoogleFromKeychainForName(keychainItemName, clientID, clientSecret, error);
    }
    static bool removeAuthFromKeychainForName(const std::string& keychainItemName) {
        return GTMOAuth2Keychain::removeAuthFromKeychainForName(keychainItemName);
    }
    static bool saveParamsToKeychainForName(const std::string& keychainItemName, const GTMOAuth2Authentication& auth) {
        return GTMOAuth2Keychain::saveParamsToKeychainForName(keychainItemName, auth);
    }
    static void revokeTokenForGoogleAuthentication(const GTMOAuth2AuthenticationPtr& auth) {
        GTMOAuth2SignIn::revokeTokenForGoogleAuthentication(auth);
    }

    const GTMOAuth2AuthenticationPtr& authentication() const { return signIn_->authentication(); }
    const std::shared_ptr<GTMOAuth2SignIn>& signIn() const { return signIn_; }
    const std::string& keychainItemName() const { return keychainItemName_; }
    bool shouldUseKeychain() const { return !keychainItemName_.empty(); }
    // The loopback receiver of the browser's return, when this screen made one.
    const std::shared_ptr<net::LoopbackRedirectReceiver>& redirectReceiver() const { return receiver_; }

    std::function<void()> popViewBlock;
    std::optional<std::string> initialHTMLString;
    std::any userData;

    void cancelSigningIn();
    double networkLossTimeoutInterval() const { return signIn_->networkLossTimeoutInterval; }
    void setNetworkLossTimeoutInterval(double seconds) { signIn_->networkLossTimeoutInterval = seconds; }
    bool showsInitialActivityIndicator() const { return indicatorChoice_ == 1 || !initialHTMLString; }
    void setShowsInitialActivityIndicator(bool shows) { indicatorChoice_ = shows ? 1 : -1; }

    // Views.
    GTMOAuth2BrowserWebView* webView() const { return webView_.get(); }
    ui::Button* backButton() const { return backButton_.get(); }
    ui::Button* forwardButton() const { return forwardButton_.get(); }
    ui::ActivityIndicatorView* initialActivityIndicator() const { return activityIndicator_.get(); }
    const std::shared_ptr<ui::BarButtonItem>& rightBarButtonItem() const { return rightBarButtonItem_; }

    // Flow callbacks.
    void signInDisplayRequest(const std::optional<net::URLRequest>& request);
    void signInFinishedWithAuth(const GTMOAuth2AuthenticationPtr& auth, const OptionalError& error);

    // Web view events.
    bool webViewShouldStartLoadWithRequest(ui::WebView& webView, const std::string& url,
                                           ui::WebViewNavigationType navigationType) override;
    void webViewDidStartLoad(ui::WebView& webView) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;
    void webViewDidFailLoadWithError(ui::WebView& webView, const foundation::Error& error) override;

    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewDidLayoutSubviews() override;
    void willMoveToParentViewController(ui::ViewController* parent) override;

    // The page shown when the clock is before 2011.
    static std::string clockIncorrectPage(foundation::Date now);

protected:
    GTMOAuth2ViewControllerTouch() = default;

private:
    void setUp(const GTMOAuth2AuthenticationPtr& auth, const std::string& authorizationURL,
               const std::string& keychainItemName, std::shared_ptr<void> delegate, FinishedSelector selector,
               CompletionHandler handler);
    void useLoopbackRedirect();
    void popView();
    void updateButtons();
    void notifyWithName(const char* name, const char* kind);

    std::shared_ptr<GTMOAuth2SignIn> signIn_;
    std::shared_ptr<net::LoopbackRedirectReceiver> receiver_;
    std::optional<net::URLRequest> request_;
    std::string keychainItemName_;
    std::shared_ptr<void> delegate_;
    FinishedSelector finishedSelector_;
    CompletionHandler completionBlock_;
    int indicatorChoice_ = 0;

    std::shared_ptr<GTMOAuth2BrowserWebView> webView_;
    std::shared_ptr<ui::Button> backButton_, forwardButton_;
    std::shared_ptr<ui::View> navButtonsView_;
    std::shared_ptr<ui::BarButtonItem> rightBarButtonItem_;
    std::shared_ptr<ui::ActivityIndicatorView> activityIndicator_;

    bool hasViewBeenShown_ = false;
    bool hasViewAppeared_ = false;
    bool hasNotifiedStartedLoading_ = false;
    bool hasCalledFinished_ = false;
    bool hasDoneFinalRedirect_ = false;
    bool didDismissSelf_ = false;
    bool isMovingFromParent_ = false;
    foundation::LifeToken life_;
};

}  // namespace google
