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
#include "components/google/GTMProperties.h"
#include "components/google/signin/GTMOAuth2BrowserWebView.h"
#include "platform/net/LoopbackRedirectReceiver.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/controls/ActivityIndicatorView.h"
#include "platform/ui/controls/Button.h"

#include <any>
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

// The flow class the screen works with: how it makes its flow, and the
// class operations it asks of it. A caller replaces what it needs (say, a
// flow it configures further, or other provider pages); what it leaves
// empty stays GTMOAuth2SignIn's.
struct GTMOAuth2SignInClass {
    std::function<std::shared_ptr<GTMOAuth2SignIn>(
        GTMOAuth2AuthenticationPtr authentication, std::string authorizationURL, std::shared_ptr<void> delegate,
        GTMOAuth2SignIn::WebRequestSelector webRequestSelector, GTMOAuth2SignIn::FinishedSelector finishedSelector)>
        create;
    std::function<GTMOAuth2AuthenticationPtr(const std::optional<std::string>& scope, const std::string& clientID,
                                             const std::string& clientSecret)>
        standardGoogleAuthenticationForScope;
    std::function<std::string()> googleAuthorizationURL;
    std::function<std::string()> googleTokenURL;
    std::function<void(const GTMOAuth2AuthenticationPtr& auth)> revokeTokenForGoogleAuthentication;

    static GTMOAuth2SignInClass standard();
};

class GTMOAuth2ViewControllerTouch : public ui::ViewController, public ui::WebViewDelegate {
public:
    using OptionalError = std::optional<foundation::Error>;
    using FinishedSelector = std::function<void(GTMOAuth2ViewControllerTouch& screen,
                                                const GTMOAuth2AuthenticationPtr& auth, const OptionalError& error)>;
    using CompletionHandler = FinishedSelector;

    // Every creator signs in through the user's browser: the authorization's
    // redirect URI becomes the address of a loopback receiver of this
    // screen, and PKCE and a state value tie the browser's return to this
    // sign-in. The delegate (kept until the finish) and its selector, or the
    // completion block, receive the outcome.
    //
    // At the Google provider of the sign-in class, for the scope.
    static std::shared_ptr<GTMOAuth2ViewControllerTouch> controllerWithScope(
        const std::optional<std::string>& scope, const std::string& clientID, const std::string& clientSecret,
        const std::string& keychainItemName, std::shared_ptr<void> delegate, FinishedSelector finishedSelector);
    static std::shared_ptr<GTMOAuth2ViewControllerTouch> controllerWithScope(const std::optional<std::string>& scope,
                                                                             const std::string& clientID,
                                                                             const std::string& clientSecret,
                                                                             const std::string& keychainItemName,
                                                                             CompletionHandler handler);
    // With an authorization and page of the caller's.
    static std::shared_ptr<GTMOAuth2ViewControllerTouch> controllerWithAuthentication(
        const GTMOAuth2AuthenticationPtr& auth, const std::string& authorizationURL,
        const std::string& keychainItemName, std::shared_ptr<void> delegate, FinishedSelector finishedSelector);
    static std::shared_ptr<GTMOAuth2ViewControllerTouch> controllerWithAuthentication(
        const GTMOAuth2AuthenticationPtr& auth, const std::string& authorizationURL,
        const std::string& keychainItemName, CompletionHandler handler);
    ~GTMOAuth2ViewControllerTouch() override;

    // The flow class of every creator and class operation below; setting
    // one with empty members fills them from the standard class.
    static GTMOAuth2SignInClass signInClass();
    static void setSignInClass(GTMOAuth2SignInClass signInClass);

    // Keychain operations of the share service. The restored authorization
    // refreshes at the sign-in class's token address.
    static GTMOAuth2AuthenticationPtr authForGoogleFromKeychainForName(const std::string& keychainItemName,
                                                                       const std::string& clientID,
                                                                       const std::string& clientSecret,
                                                                       foundation::Error* error = nullptr);
    static bool authorizeFromKeychainForName(const std::string& keychainItemName, GTMOAuth2Authentication& auth,
                                             foundation::Error* error = nullptr) {
        return GTMOAuth2Keychain::authorizeFromKeychainForName(keychainItemName, auth, error);
    }
    static bool removeAuthFromKeychainForName(const std::string& keychainItemName) {
        return GTMOAuth2Keychain::removeAuthFromKeychainForName(keychainItemName);
    }
    static bool saveParamsToKeychainForName(const std::string& keychainItemName,
                                            const std::optional<std::string>& accessibility,
                                            const GTMOAuth2Authentication& auth, foundation::Error* error = nullptr) {
        return GTMOAuth2Keychain::saveParamsToKeychainForName(keychainItemName, accessibility, auth, error);
    }
    static bool saveParamsToKeychainForName(const std::string& keychainItemName, const GTMOAuth2Authentication& auth) {
        return GTMOAuth2Keychain::saveParamsToKeychainForName(keychainItemName, auth);
    }
    static void revokeTokenForGoogleAuthentication(const GTMOAuth2AuthenticationPtr& auth) {
        signInClass().revokeTokenForGoogleAuthentication(auth);
    }

    const GTMOAuth2AuthenticationPtr& authentication() const { return signIn_->authentication(); }
    const std::shared_ptr<GTMOAuth2SignIn>& signIn() const { return signIn_; }
    const std::string& keychainItemName() const { return keychainItemName_; }
    bool shouldUseKeychain() const { return !keychainItemName_.empty(); }
    // The loopback receiver of the browser's return, when this screen made one.
    const std::shared_ptr<net::LoopbackRedirectReceiver>& redirectReceiver() const { return receiver_; }

    std::function<void()> popViewBlock;
    std::optional<std::string> initialHTMLString;
    // How the saved authorization may be read (security::kKeychainAccessible…);
    // none: after the first unlock, this device only.
    std::optional<std::string> keychainItemAccessibility;
    // Kept for the caller; the sign-in itself reads no page's cookies.
    std::optional<std::string> browserCookiesURL;
    std::any userData;
    // The caller's named values; an empty value removes the name.
    const GTMPropertyMap& properties() const { return properties_; }
    void setProperty(const std::string& key, std::any value) { setPropertyInMap(properties_, key, std::move(value)); }
    std::any propertyForKey(const std::string& key) const { return propertyInMap(properties_, key); }

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
    static std::shared_ptr<GTMOAuth2ViewControllerTouch> create(const GTMOAuth2AuthenticationPtr& auth,
                                                                const std::string& authorizationURL,
                                                                const std::string& keychainItemName,
                                                                std::shared_ptr<void> delegate,
                                                                FinishedSelector selector, CompletionHandler handler);
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
    GTMPropertyMap properties_;

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
