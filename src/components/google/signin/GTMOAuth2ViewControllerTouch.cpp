#include "components/google/signin/GTMOAuth2ViewControllerTouch.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/WallClock.h"
#include "platform/net/URLError.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"

#include <ctime>
#include <mutex>

namespace google {

using foundation::Dictionary;
using foundation::Value;

namespace {

// 1 January 2011, 00:00 UTC: a clock at or before it is wrong.
constexpr double kEarliestPlausibleUnixTime = 1293840000;
// How long a failed first load waits before it ends the sign-in, and a
// screen that cannot start waits before it leaves.
constexpr double kDelayedFailureSeconds = 0.5;

std::mutex gSignInClassMutex;
std::optional<GTMOAuth2SignInClass> gSignInClass;

}  // namespace

// The flow class.

GTMOAuth2SignInClass GTMOAuth2SignInClass::standard() {
    return {&GTMOAuth2SignIn::create, &GTMOAuth2SignIn::standardGoogleAuthenticationForScope,
            &GTMOAuth2SignIn::googleAuthorizationURL, &GTMOAuth2SignIn::googleTokenURL,
            &GTMOAuth2SignIn::revokeTokenForGoogleAuthentication};
}

GTMOAuth2SignInClass GTMOAuth2ViewControllerTouch::signInClass() {
    std::lock_guard lock(gSignInClassMutex);
    return gSignInClass ? *gSignInClass : GTMOAuth2SignInClass::standard();
}

void GTMOAuth2ViewControllerTouch::setSignInClass(GTMOAuth2SignInClass signInClass) {
    const GTMOAuth2SignInClass standard = GTMOAuth2SignInClass::standard();
    if (!signInClass.create) signInClass.create = standard.create;
    if (!signInClass.standardGoogleAuthenticationForScope)
        signInClass.standardGoogleAuthenticationForScope = standard.standardGoogleAuthenticationForScope;
    if (!signInClass.googleAuthorizationURL) signInClass.googleAuthorizationURL = standard.googleAuthorizationURL;
    if (!signInClass.googleTokenURL) signInClass.googleTokenURL = standard.googleTokenURL;
    if (!signInClass.revokeTokenForGoogleAuthentication)
        signInClass.revokeTokenForGoogleAuthentication = standard.revokeTokenForGoogleAuthentication;
    std::lock_guard lock(gSignInClassMutex);
    gSignInClass = std::move(signInClass);
}

GTMOAuth2AuthenticationPtr GTMOAuth2ViewControllerTouch::authForGoogleFromKeychainForName(
    const std::string& keychainItemName, const std::string& clientID, const std::string& clientSecret,
    foundation::Error* error) {
    auto auth = GTMOAuth2Authentication::authenticationWithServiceProvider(
        "Google", signInClass().googleTokenURL(), GTMOAuth2SignIn::nativeClientRedirectURI(), clientID, clientSecret);
    GTMOAuth2Keychain::authorizeFromKeychainForName(keychainItemName, *auth, error);
    return auth;
}

// Creation.

std::shared_ptr<GTMOAuth2ViewControllerTouch> GTMOAuth2ViewControllerTouch::controllerWithScope(
    const std::optional<std::string>& scope, const std::string& clientID, const std::string& clientSecret,
    const std::string& keychainItemName, std::shared_ptr<void> delegate, FinishedSelector finishedSelector) {
    const GTMOAuth2SignInClass flow = signInClass();
    return create(flow.standardGoogleAuthenticationForScope(scope, clientID, clientSecret),
                  flow.googleAuthorizationURL(), keychainItemName, std::move(delegate), std::move(finishedSelector),
                  nullptr);
}

std::shared_ptr<GTMOAuth2ViewControllerTouch> GTMOAuth2ViewControllerTouch::controllerWithScope(
    const std::optional<std::string>& scope, const std::string& clientID, const std::string& clientSecret,
    const std::string& keychainItemName, CompletionHandler handler) {
    const GTMOAuth2SignInClass flow = signInClass();
    return create(flow.standardGoogleAuthenticationForScope(scope, clientID, clientSecret),
                  flow.googleAuthorizationURL(), keychainItemName, nullptr, nullptr, std::move(handler));
}

std::shared_ptr<GTMOAuth2ViewControllerTouch> GTMOAuth2ViewControllerTouch::controllerWithAuthentication(
    const GTMOAuth2AuthenticationPtr& auth, const std::string& authorizationURL, const std::string& keychainItemName,
    std::shared_ptr<void> delegate, FinishedSelector finishedSelector) {
    return create(auth, authorizationURL, keychainItemName, std::move(delegate), std::move(finishedSelector), nullptr);
}

std::shared_ptr<GTMOAuth2ViewControllerTouch> GTMOAuth2ViewControllerTouch::controllerWithAuthentication(
    const GTMOAuth2AuthenticationPtr& auth, const std::string& authorizationURL, const std::string& keychainItemName,
    CompletionHandler handler) {
    return create(auth, authorizationURL, keychainItemName, nullptr, nullptr, std::move(handler));
}

std::shared_ptr<GTMOAuth2ViewControllerTouch> GTMOAuth2ViewControllerTouch::create(
    const GTMOAuth2AuthenticationPtr& auth, const std::string& authorizationURL, const std::string& keychainItemName,
    std::shared_ptr<void> delegate, FinishedSelector selector, CompletionHandler handler) {
    std::shared_ptr<GTMOAuth2ViewControllerTouch> screen(new GTMOAuth2ViewControllerTouch());
    screen->keychainItemName_ = keychainItemName;
    screen->delegate_ = std::move(delegate);
    screen->finishedSelector_ = std::move(selector);
    screen->completionBlock_ = std::move(handler);
    std::weak_ptr<GTMOAuth2ViewControllerTouch> weak = screen;
    screen->signIn_ = signInClass().create(
        auth, authorizationURL, nullptr,
        [weak](GTMOAuth2SignIn&, const std::optional<net::URLRequest>& request) {
            if (auto self = weak.lock()) self->signInDisplayRequest(request);
        },
        [weak](GTMOAuth2SignIn&, const GTMOAuth2AuthenticationPtr& finished, const OptionalError& error) {
            if (auto self = weak.lock()) self->signInFinishedWithAuth(finished, error);
        });
    screen->useLoopbackRedirect();
    return screen;
}

// The browser returns to a receiver of ours; PKCE and the state value tie
// the answer to this sign-in. The caller's own token parameters stay.
void GTMOAuth2ViewControllerTouch::useLoopbackRedirect() {
    GTMOAuth2PKCE pkce = GTMOAuth2PKCE::create();
    std::weak_ptr<GTMOAuth2ViewControllerTouch> weak = foundation::weakFrom(this);
    auto receiver = net::LoopbackRedirectReceiver::start(
        "/",
        [weak](const std::string& url) {
            auto self = weak.lock();
            if (self && self->webView_)
                self->webViewShouldStartLoadWithRequest(*self->webView_, url, ui::WebViewNavigationType::Other);
        },
        {{"state", pkce.state}});
    // Without a receiver the provider's page shows the code in its title.
    if (!receiver) return;
    receiver_ = *receiver;
    GTMOAuth2Authentication& auth = *signIn_->authentication();
    auth.redirectURI = receiver_->redirectURI();
    auto& grant = auth.additionalGrantTypeRequestParameters;
    Dictionary codeGrant = grant.count("authorization_code") ? grant["authorization_code"].copy() : Dictionary();
    codeGrant.set("code_verifier", Value(pkce.codeVerifier));
    grant["authorization_code"] = codeGrant;
    signIn_->additionalAuthorizationParameters.set("code_challenge", Value(pkce.codeChallenge));
    signIn_->additionalAuthorizationParameters.set("code_challenge_method", Value("S256"));
    signIn_->additionalAuthorizationParameters.set("state", Value(pkce.state));
}

GTMOAuth2ViewControllerTouch::~GTMOAuth2ViewControllerTouch() {
    if (webView_) {
        webView_->setDelegate(nullptr);
        webView_->stopLoading();
    }
    if (receiver_) receiver_->stop();
}

void GTMOAuth2ViewControllerTouch::cancelSigningIn() {
    hasCalledFinished_ = true;
    delegate_.reset();
    finishedSelector_ = nullptr;
    completionBlock_ = nullptr;
    signIn_->cancelSigningIn();
    hasDoneFinalRedirect_ = true;
    if (receiver_) receiver_->stop();
}

// Views.

void GTMOAuth2ViewControllerTouch::loadView() {
    auto root = std::make_shared<ui::View>(graphics::Rect(0, 0, 1024, 768));
    root->setBackgroundColor(graphics::Color::white());
    webView_ = std::make_shared<GTMOAuth2BrowserWebView>(root->bounds());
    webView_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    webView_->setDelegate(this);
    root->addSubview(webView_);

    activityIndicator_ = std::make_shared<ui::ActivityIndicatorView>(ui::ActivityIndicatorViewStyle::Gray);
    activityIndicator_->setHidesWhenStopped(true);
    root->addSubview(activityIndicator_);

    navButtonsView_ = std::make_shared<ui::View>(graphics::Rect(0, 0, 88, 30));
    backButton_ = std::make_shared<ui::Button>(ui::ButtonType::System, graphics::Rect(0, 0, 44, 30));
    backButton_->setTitle("◀", ui::ControlStateNormal);
    forwardButton_ = std::make_shared<ui::Button>(ui::ButtonType::System, graphics::Rect(44, 0, 44, 30));
    forwardButton_->setTitle("▶", ui::ControlStateNormal);
    navButtonsView_->addSubview(backButton_);
    navButtonsView_->addSubview(forwardButton_);
    setView(root);
}

void GTMOAuth2ViewControllerTouch::viewDidLoad() {
    rightBarButtonItem_ = std::make_shared<ui::BarButtonItem>(navButtonsView_);
    navigationItem().setRightBarButtonItem(rightBarButtonItem_);
    updateButtons();
}

void GTMOAuth2ViewControllerTouch::viewDidLayoutSubviews() {
    if (activityIndicator_ && webView_) activityIndicator_->setCenter(webView_->center());
}

void GTMOAuth2ViewControllerTouch::updateButtons() {
    if (!backButton_) return;
    backButton_->setEnabled(webView_ && webView_->canGoBack());
    forwardButton_->setEnabled(webView_ && webView_->canGoForward());
}

void GTMOAuth2ViewControllerTouch::willMoveToParentViewController(ui::ViewController* parent) {
    isMovingFromParent_ = parent == nullptr && parentViewController() != nullptr;
}

void GTMOAuth2ViewControllerTouch::viewWillAppear(bool animated) {
    // The sign-in happens in the browser, which keeps its own cookies: the
    // application's stay as they are, and observers hear the usual pair.
    foundation::NotificationCenter::defaultCenter().post(kGTMOAuth2CookiesWillSwapOut, this);
    if (!hasViewBeenShown_) {
        hasViewBeenShown_ = true;
        if (!signIn_->startSigningIn()) {
            life_.performAfter(kDelayedFailureSeconds, [this] { popView(); });
        }
    }
    ViewController::viewWillAppear(animated);
}

void GTMOAuth2ViewControllerTouch::viewDidAppear(bool animated) {
    hasViewAppeared_ = true;
    ViewController::viewDidAppear(animated);
}

void GTMOAuth2ViewControllerTouch::viewWillDisappear(bool animated) {
    bool goingAway = isMovingFromParent_ || isBeingDismissed();
    for (ui::ViewController* up = parentViewController(); up && !goingAway; up = up->parentViewController())
        goingAway = up->isBeingDismissed();
    if (goingAway) {
        if (!didDismissSelf_) {
            notifyWithName(kGTMOAuth2WebViewStoppedLoading, kGTMOAuth2WebViewCancelled);
            signIn_->windowWasClosed();
            popViewBlock = nullptr;
        }
        if (receiver_) receiver_->stop();
    }
    foundation::NotificationCenter::defaultCenter().post(kGTMOAuth2CookiesDidSwapIn, this);
    ViewController::viewWillDisappear(animated);
}

// Flow callbacks.

std::string GTMOAuth2ViewControllerTouch::clockIncorrectPage(foundation::Date now) {
    std::time_t seconds = static_cast<std::time_t>(now.unixTime());
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    char date[40];
    std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S +0000", &parts);
    return std::string(
               "<html><body><div align=center><font size='7'>&#x231A; ?<br><i>System Clock "
               "Incorrect</i><br>") +
           date + "</font></div></body></html>";
}

void GTMOAuth2ViewControllerTouch::signInDisplayRequest(const std::optional<net::URLRequest>& request) {
    if (!request) {
        popView();
        return;
    }
    if (!isViewLoaded()) view();
    foundation::Date now = foundation::wallClockNow();
    if (now.unixTime() <= kEarliestPlausibleUnixTime) {
        webView_->loadHTMLString(clockIncorrectPage(now), "");
        return;
    }
    request_ = request;
    if (!initialHTMLString) {
        if (indicatorChoice_ != -1) activityIndicator_->startAnimating();
        webView_->loadRequest(*request_);
    } else {
        if (indicatorChoice_ == 1) activityIndicator_->startAnimating();
        webView_->loadHTMLString(*initialHTMLString, "");
    }
}

void GTMOAuth2ViewControllerTouch::popView() {
    ui::NavigationController* navigation = navigationController();
    if (!popViewBlock && (!navigation || navigation->topViewController() != this)) return;
    if (!isViewLoaded() || view()->isHidden()) return;
    didDismissSelf_ = true;
    if (popViewBlock) {
        std::function<void()> block = std::move(popViewBlock);
        popViewBlock = nullptr;
        block();
    } else {
        navigation->popViewController(true);
    }
    view()->setHidden(true);
}

void GTMOAuth2ViewControllerTouch::signInFinishedWithAuth(const GTMOAuth2AuthenticationPtr& auth,
                                                          const OptionalError& error) {
    if (hasCalledFinished_) return;
    hasCalledFinished_ = true;
    if (receiver_) receiver_->stop();
    if (!error && shouldUseKeychain()) {
        // A failed save is not the caller's failure: it still gets the authorization.
        if (auth->canAuthorize())
            GTMOAuth2Keychain::saveParamsToKeychainForName(keychainItemName_, keychainItemAccessibility, *auth);
        else
            GTMOAuth2Keychain::removeAuthFromKeychainForName(keychainItemName_);
    }
    auto keepAlive = shared_from_this();
    FinishedSelector selector = std::move(finishedSelector_);
    finishedSelector_ = nullptr;
    std::shared_ptr<void> delegate = std::move(delegate_);
    delegate_.reset();
    if (delegate && selector) selector(*this, auth, error);
    CompletionHandler completion = std::move(completionBlock_);
    completionBlock_ = nullptr;
    if (completion) completion(*this, auth, error);
}

// Web view events.

void GTMOAuth2ViewControllerTouch::notifyWithName(const char* name, const char* kind) {
    bool starting = std::string(name) == kGTMOAuth2WebViewStartedLoading;
    if (starting == hasNotifiedStartedLoading_) return;
    hasNotifiedStartedLoading_ = starting;
    Dictionary info;
    if (webView_) info.set(kGTMOAuth2WebViewKey, Value::object(std::static_pointer_cast<ui::WebView>(webView_)));
    if (kind) info.set(kGTMOAuth2WebViewStopKindKey, Value(kind));
    foundation::NotificationCenter::defaultCenter().post(name, this, info);
}

bool GTMOAuth2ViewControllerTouch::webViewShouldStartLoadWithRequest(ui::WebView&, const std::string& url,
                                                                     ui::WebViewNavigationType) {
    if (hasDoneFinalRedirect_) return true;
    hasDoneFinalRedirect_ = signIn_->requestRedirectedToRequest(net::URLRequest(url));
    return !hasDoneFinalRedirect_;
}

void GTMOAuth2ViewControllerTouch::webViewDidStartLoad(ui::WebView&) {
    notifyWithName(kGTMOAuth2WebViewStartedLoading, nullptr);
    updateButtons();
}

void GTMOAuth2ViewControllerTouch::webViewDidFinishLoad(ui::WebView&) {
    notifyWithName(kGTMOAuth2WebViewStoppedLoading, kGTMOAuth2WebViewFinished);
    std::string title = webView_->pageTitle();
    if (!title.empty()) signIn_->titleChanged(title);
    if (request_ && initialHTMLString) {
        initialHTMLString.reset();
        webView_->loadRequest(*request_);
        return;
    }
    activityIndicator_->stopAnimating();
    signIn_->cookiesChanged();
    updateButtons();
}

void GTMOAuth2ViewControllerTouch::webViewDidFailLoadWithError(ui::WebView&, const foundation::Error& error) {
    notifyWithName(kGTMOAuth2WebViewStoppedLoading, kGTMOAuth2WebViewFailed);
    std::optional<std::string> failingURL;
    if (error.userInfo) failingURL = error.userInfo->get("NSErrorFailingURLKey").stringValue();
    if (!hasViewAppeared_) {
        std::weak_ptr<GTMOAuth2SignIn> flow = signIn_;
        life_.performAfter(kDelayedFailureSeconds, [flow, error, failingURL] {
            if (auto signIn = flow.lock()) signIn->loadFailedWithError(error, failingURL);
        });
        return;
    }
    if (error.domain == net::kURLErrorDomain && error.code == net::kURLErrorCancelled) return;
    signIn_->loadFailedWithError(error, failingURL);
}

}  // namespace google
