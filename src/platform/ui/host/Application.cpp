#include "platform/ui/host/Application.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Window.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QUrl>
#include <cctype>
#include <utility>

namespace ui {

bool ApplicationDelegate::applicationDidFinishLaunchingWithOptions(Application&, const foundation::Dictionary&) {
    return true;
}

bool ApplicationDelegate::applicationOpenURL(Application&, const std::string&, const std::string&,
                                             const foundation::Value&) {
    return false;
}

void ApplicationDelegate::applicationOpenHandedOverURLs(Application& application, const std::vector<std::string>& urls,
                                                        std::function<void()> opened) {
    for (const std::string& url : urls) applicationOpenURL(application, url, {}, {});
    if (opened) opened();
}

void ApplicationDelegate::applicationHandleWatchKitExtensionRequest(Application&, const foundation::Dictionary&,
                                                                    std::function<void(foundation::Dictionary)> reply) {
    if (reply) reply(foundation::Dictionary{});
}

Application& Application::shared() {
    static Application application;
    return application;
}

void Application::setDelegate(std::shared_ptr<ApplicationDelegate> delegate) { delegate_ = std::move(delegate); }

void Application::post(const char* name) { foundation::NotificationCenter::defaultCenter().post(name, this); }

bool Application::launch(std::shared_ptr<ApplicationDelegate> delegate, const foundation::Dictionary& launchOptions) {
    if (launched_) return false;
    launched_ = true;
    delegate_ = std::move(delegate);
    state_ = ApplicationState::Inactive;
    // Keep the delegate alive through its own callbacks even if one replaces it.
    std::shared_ptr<ApplicationDelegate> keep = delegate_;
    bool result = keep ? keep->applicationDidFinishLaunchingWithOptions(*this, launchOptions) : true;
    foundation::NotificationCenter::defaultCenter().post(DidFinishLaunchingNotification, this, launchOptions);
    becomeActive();
    return result;
}

void Application::becomeActive() {
    if (!launched_ || terminated_ || state_ != ApplicationState::Inactive) return;
    state_ = ApplicationState::Active;
    if (auto keep = delegate_) keep->applicationDidBecomeActive(*this);
    post(DidBecomeActiveNotification);
}

void Application::resignActive() {
    if (!launched_ || terminated_ || state_ != ApplicationState::Active) return;
    if (auto keep = delegate_) keep->applicationWillResignActive(*this);
    post(WillResignActiveNotification);
    state_ = ApplicationState::Inactive;
}

void Application::enterBackground() {
    if (!launched_ || terminated_ || state_ == ApplicationState::Background) return;
    resignActive();
    state_ = ApplicationState::Background;
    if (auto keep = delegate_) keep->applicationDidEnterBackground(*this);
    post(DidEnterBackgroundNotification);
}

void Application::enterForeground() {
    if (!launched_ || terminated_ || state_ != ApplicationState::Background) return;
    if (auto keep = delegate_) keep->applicationWillEnterForeground(*this);
    post(WillEnterForegroundNotification);
    state_ = ApplicationState::Inactive;
}

void Application::terminate() {
    if (terminated_) return;
    (void)runKeepers(false);
    endRun();
}

bool Application::requestTermination() {
    if (terminated_) return true;
    if (!runKeepers(true)) return false;
    endRun();
    return true;
}

Application::TerminationKeeperHandle Application::addTerminationKeeper(TerminationKeeper keeper) {
    auto handle = std::make_shared<TerminationKeeper>(std::move(keeper));
    std::erase_if(keepers_, [](const auto& kept) { return kept.expired(); });
    keepers_.push_back(handle);
    return handle;
}

bool Application::runKeepers(bool canHold) {
    // Held while they run: a keeper may add or drop keepers.
    std::vector<TerminationKeeperHandle> live;
    for (const auto& kept : keepers_)
        if (auto keeper = kept.lock()) live.push_back(std::move(keeper));
    bool goesOn = true;
    for (const auto& keeper : live) goesOn = (*keeper)(canHold) && goesOn;
    return goesOn;
}

void Application::endRun() {
    if (terminated_) return;
    if (auto starts = std::exchange(terminationStartHandler_, nullptr)) starts();
    if (launched_) {
        resignActive();
        terminated_ = true;
        if (auto keep = delegate_) keep->applicationWillTerminate(*this);
        post(WillTerminateNotification);
    }
    terminated_ = true;
    if (exitHandler_) exitHandler_();
}

void Application::receiveMemoryWarning() {
    if (!launched_ || terminated_) return;
    if (auto keep = delegate_) keep->applicationDidReceiveMemoryWarning(*this);
    post(DidReceiveMemoryWarningNotification);
}

bool Application::handleIncomingURL(const std::string& url, const std::string& sourceApplication,
                                    const foundation::Value& annotation) {
    auto keep = delegate_;
    if (!keep || terminated_) return false;
    return keep->applicationOpenURL(*this, url, sourceApplication, annotation);
}

void Application::openHandedOverURLs(const std::vector<std::string>& urls, std::function<void()> opened) {
    auto keep = delegate_;
    if (!keep || terminated_) return;
    keep->applicationOpenHandedOverURLs(*this, urls, std::move(opened));
}

void Application::handleWatchKitExtensionRequest(const foundation::Dictionary& request,
                                                 std::function<void(foundation::Dictionary)> reply) {
    if (auto keep = delegate_) {
        keep->applicationHandleWatchKitExtensionRequest(*this, request, std::move(reply));
    } else if (reply) {
        reply(foundation::Dictionary{});
    }
}

Window* Application::keyWindow() const { return Window::keyWindow(); }

namespace {

std::string schemeOf(const std::string& url) {
    size_t colon = url.find(':');
    if (colon == std::string::npos || colon == 0) return {};
    std::string scheme = url.substr(0, colon);
    for (char& c : scheme) c = char(std::tolower(static_cast<unsigned char>(c)));
    return scheme;
}

bool desktopCanOpen(const std::string& url) {
    std::string scheme = schemeOf(url);
    return scheme == "http" || scheme == "https" || scheme == "mailto";
}

}  // namespace

bool Application::canOpenURL(const std::string& url) const {
    if (canOpener_) return canOpener_(url);
    return desktopCanOpen(url);
}

bool Application::openURL(const std::string& url) {
    if (opener_) return opener_(url);
    if (!desktopCanOpen(url)) return false;
    // The platform plugins without a desktop (offscreen, minimal) open
    // nothing themselves; the desktop's opener still reaches the browser.
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return QProcess::startDetached(QStringLiteral("xdg-open"), {QString::fromStdString(url)});
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

void Application::setURLOpener(URLOpener open, URLOpener canOpen) {
    opener_ = std::move(open);
    canOpener_ = std::move(canOpen);
}

Responder* Application::nextResponder() const { return dynamic_cast<Responder*>(delegate_.get()); }

void Application::resetForTesting() {
    delegate_.reset();
    state_ = ApplicationState::Inactive;
    launched_ = false;
    terminated_ = false;
    exitHandler_ = nullptr;
    terminationStartHandler_ = nullptr;
    opener_ = nullptr;
    canOpener_ = nullptr;
    idleTimerDisabled_.store(false);
    statusBarOrientation_ = InterfaceOrientation::LandscapeRight;
}

}  // namespace ui
