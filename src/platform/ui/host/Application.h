#pragma once

// The one application object: its delegate, its lifecycle and the services
// the platform's application offered (opening URLs in other programs, the
// idle timer, the status bar's orientation).
//
// The lifecycle runs Launching → Active ⇄ Inactive ⇄ Background → terminated.
// Each transition calls the delegate first and then posts the matching
// notification on the default notification centre (object: the application),
// so observers see the state the delegate has already reacted to. The host
// (ApplicationMain, the window host) or a test drives the transitions.
//
// Main thread only, except setIdleTimerDisabled, which renderers call from
// their queues.

#include "platform/foundation/Value.h"
#include "platform/ui/Responder.h"
#include "platform/ui/controllers/ViewController.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {

class Application;
class Window;

// What the application tells its delegate. Every call has a default that
// does nothing (launch and URL calls answer true and false).
class ApplicationDelegate {
public:
    virtual ~ApplicationDelegate() = default;

    // Options may hold the URL the application was opened with under
    // Application::LaunchOptionsURLKey.
    virtual bool applicationDidFinishLaunchingWithOptions(Application& application,
                                                          const foundation::Dictionary& launchOptions);
    virtual void applicationDidBecomeActive(Application& application) { (void)application; }
    virtual void applicationWillResignActive(Application& application) { (void)application; }
    virtual void applicationDidEnterBackground(Application& application) { (void)application; }
    virtual void applicationWillEnterForeground(Application& application) { (void)application; }
    virtual void applicationWillTerminate(Application& application) { (void)application; }
    virtual void applicationDidReceiveMemoryWarning(Application& application) { (void)application; }
    // Another program hands this one a URL (a file, a login callback).
    // Returns whether the URL was handled.
    virtual bool applicationOpenURL(Application& application, const std::string& url,
                                    const std::string& sourceApplication, const foundation::Value& annotation);
    // URLs that another launch handed over, together: each goes to
    // applicationOpenURL, and `opened` is called once what they started has
    // ended (each file opened, or the user told why not), whatever other
    // launches handed over; never when that was cut short (the application
    // quit first), and then `opened` is dropped. By default at once.
    virtual void applicationOpenHandedOverURLs(Application& application, const std::vector<std::string>& urls,
                                               std::function<void()> opened);
    // A request of the companion watch program; `reply` must be called once.
    virtual void applicationHandleWatchKitExtensionRequest(Application& application,
                                                           const foundation::Dictionary& request,
                                                           std::function<void(foundation::Dictionary)> reply);
};

enum class ApplicationState { Active, Inactive, Background };

class Application : public Responder {
public:
    // Notification names, as the platform posts them.
    static constexpr const char* DidFinishLaunchingNotification = "UIApplicationDidFinishLaunchingNotification";
    static constexpr const char* DidBecomeActiveNotification = "UIApplicationDidBecomeActiveNotification";
    static constexpr const char* WillResignActiveNotification = "UIApplicationWillResignActiveNotification";
    static constexpr const char* DidEnterBackgroundNotification = "UIApplicationDidEnterBackgroundNotification";
    static constexpr const char* WillEnterForegroundNotification = "UIApplicationWillEnterForegroundNotification";
    static constexpr const char* WillTerminateNotification = "UIApplicationWillTerminateNotification";
    static constexpr const char* DidReceiveMemoryWarningNotification =
        "UIApplicationDidReceiveMemoryWarningNotification";
    // Launch option key of the URL the application was opened with.
    static constexpr const char* LaunchOptionsURLKey = "UIApplicationLaunchOptionsURLKey";

    static Application& shared();

    // The delegate; the application keeps it alive (as the platform's
    // application main keeps the delegate it creates).
    ApplicationDelegate* delegate() const { return delegate_.get(); }
    void setDelegate(std::shared_ptr<ApplicationDelegate> delegate);

    ApplicationState applicationState() const { return state_; }
    bool isLaunched() const { return launched_; }
    bool isTerminated() const { return terminated_; }

    // ---- lifecycle (driven by the host or a test) ------------------------------
    // Launches with the delegate: didFinishLaunching, then becomes active.
    // Returns the delegate's answer. A second launch is refused (false).
    bool launch(std::shared_ptr<ApplicationDelegate> delegate, const foundation::Dictionary& launchOptions = {});
    void resignActive();     // Active → Inactive
    void becomeActive();     // Inactive → Active
    void enterBackground();  // resigns first when active; → Background
    void enterForeground();  // Background → Inactive
    // Runs the keepers, the termination start handler, resigns as needed,
    // tells the delegate and observers the application will terminate,
    // then runs the exit handler. Runs once; nothing holds it (a signal).
    void terminate();
    // A quit the user asked for (the window's close, Ctrl+Q): the keepers
    // run first, and one that could not keep its work holds it (false,
    // after telling the user why); else terminate().
    bool requestTermination();
    void receiveMemoryWarning();
    // A URL handed over by another program: the delegate's applicationOpenURL.
    bool handleIncomingURL(const std::string& url, const std::string& sourceApplication = {},
                           const foundation::Value& annotation = {});
    // The URLs one later launch handed over, and `opened` once they are
    // opened: the delegate's applicationOpenHandedOverURLs. Without a
    // delegate, or once the application terminates, nothing is opened and
    // `opened` is dropped.
    void openHandedOverURLs(const std::vector<std::string>& urls, std::function<void()> opened);
    // A request of the watch companion; the delegate answers through `reply`
    // (an empty dictionary without a delegate).
    void handleWatchKitExtensionRequest(const foundation::Dictionary& request,
                                        std::function<void(foundation::Dictionary)> reply);

    // What terminate() finally does (the host quits its event loop); none in tests.
    void setExitHandler(std::function<void()> handler) { exitHandler_ = std::move(handler); }
    // What terminate() does first, before anyone hears of the quit (the
    // running copy stops taking files from later launches); none in tests.
    void setTerminationStartHandler(std::function<void()> handler) { terminationStartHandler_ = std::move(handler); }

    // Work that a screen keeps only when asked (a painting not yet saved):
    // each keeper runs when a quit begins, before anything else of it, and
    // keeps its work as it can. `canHold` says the user asked for the quit
    // and can be told: a keeper that could not keep its work tells them and
    // answers false to hold the quit. Its answer is not asked otherwise. A
    // keeper is dropped when its handle goes (a reset for tests leaves it:
    // it goes with its screen).
    using TerminationKeeper = std::function<bool(bool canHold)>;
    using TerminationKeeperHandle = std::shared_ptr<TerminationKeeper>;
    [[nodiscard]] TerminationKeeperHandle addTerminationKeeper(TerminationKeeper keeper);

    // ---- windows ------------------------------------------------------------------
    Window* keyWindow() const;

    // ---- services -------------------------------------------------------------------
    // Opens a URL in another program. Without an opener installed (tests),
    // only the schemes a desktop can open (http, https, mailto) are accepted,
    // through the desktop's handler.
    bool openURL(const std::string& url);
    bool canOpenURL(const std::string& url) const;
    using URLOpener = std::function<bool(const std::string& url)>;
    // Replaces how URLs are opened; `canOpen` answers canOpenURL.
    void setURLOpener(URLOpener open, URLOpener canOpen);

    // While disabled the screen is not to dim; safe from any thread.
    bool isIdleTimerDisabled() const { return idleTimerDisabled_.load(); }
    void setIdleTimerDisabled(bool disabled) { idleTimerDisabled_.store(disabled); }

    // The orientation the interface is shown in (the status bar's).
    InterfaceOrientation statusBarOrientation() const { return statusBarOrientation_; }
    void setStatusBarOrientation(InterfaceOrientation orientation) { statusBarOrientation_ = orientation; }

    // The delegate when it is a responder (the end of the responder chain).
    Responder* nextResponder() const override;

    // For tests: back to a fresh, unlaunched application without a delegate.
    void resetForTesting();

private:
    Application() = default;
    void post(const char* name);
    // Runs every keeper; whether none held the quit.
    bool runKeepers(bool canHold);
    void endRun();

    std::shared_ptr<ApplicationDelegate> delegate_;
    ApplicationState state_ = ApplicationState::Inactive;
    bool launched_ = false;
    bool terminated_ = false;
    std::function<void()> exitHandler_;
    std::function<void()> terminationStartHandler_;
    std::vector<std::weak_ptr<TerminationKeeper>> keepers_;
    URLOpener opener_;
    URLOpener canOpener_;
    std::atomic<bool> idleTimerDisabled_{false};
    InterfaceOrientation statusBarOrientation_ = InterfaceOrientation::LandscapeRight;
};

}  // namespace ui
