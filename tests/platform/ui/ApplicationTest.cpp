// The application's lifecycle as its delegate and observers see it, incoming
// URLs and watch requests, the services, and the device settings.

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/host/Application.h"
#include "platform/ui/host/Device.h"

#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

using foundation::NotificationCenter;
using ui::Application;

namespace {

// A delegate that writes every call into a shared log, next to the
// notifications, so the order of both can be checked together.
class LoggingDelegate : public ui::ApplicationDelegate, public ui::Responder {
public:
    explicit LoggingDelegate(std::vector<std::string>& log) : log_(log) {}
    bool answer = true;
    std::string lastURL, lastSource;

    bool applicationDidFinishLaunchingWithOptions(Application&, const foundation::Dictionary& options) override {
        const foundation::Value& url = options.get(Application::LaunchOptionsURLKey);
        log_.push_back(url.isNull() ? "launch" : "launch " + url.asString());
        return answer;
    }
    void applicationDidBecomeActive(Application& app) override { log_.push_back(state("active", app)); }
    void applicationWillResignActive(Application& app) override { log_.push_back(state("resign", app)); }
    void applicationDidEnterBackground(Application& app) override { log_.push_back(state("background", app)); }
    void applicationWillEnterForeground(Application& app) override { log_.push_back(state("foreground", app)); }
    void applicationWillTerminate(Application&) override { log_.push_back("terminate"); }
    void applicationDidReceiveMemoryWarning(Application&) override { log_.push_back("memory"); }
    bool applicationOpenURL(Application&, const std::string& url, const std::string& source,
                            const foundation::Value&) override {
        lastURL = url;
        lastSource = source;
        return url.rfind("tollivar:", 0) == 0;
    }

private:
    // The state the application is in while the delegate hears of the change.
    static std::string state(const char* what, Application& app) {
        const char* names[] = {"A", "I", "B"};
        return std::string(what) + "(" + names[int(app.applicationState())] + ")";
    }
    std::vector<std::string>& log_;
};

class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application::shared().resetForTesting();
        for (const char* name : {Application::DidFinishLaunchingNotification, Application::DidBecomeActiveNotification,
                                 Application::WillResignActiveNotification, Application::DidEnterBackgroundNotification,
                                 Application::WillEnterForegroundNotification, Application::WillTerminateNotification,
                                 Application::DidReceiveMemoryWarningNotification}) {
            tokens.push_back(NotificationCenter::defaultCenter().addObserver(
                name, &Application::shared(), [this](const foundation::Notification& n) { log.push_back(n.name); }));
        }
        delegate = std::make_shared<LoggingDelegate>(log);
    }
    void TearDown() override {
        Application::shared().resetForTesting();
        ui::Device::current().resetForTesting();
    }

    std::vector<std::string> log;
    std::vector<foundation::ObserverToken> tokens;
    std::shared_ptr<LoggingDelegate> delegate;
};

TEST_F(ApplicationTest, LifecycleCallsTheDelegateThenPostsInOrder) {
    Application& app = Application::shared();
    int exits = 0;
    app.setExitHandler([&] { ++exits; });
    app.setTerminationStartHandler([&] { log.push_back("termination starts"); });
    EXPECT_TRUE(app.launch(delegate));
    app.enterBackground();  // from active: resigns first
    app.enterForeground();
    app.becomeActive();
    app.receiveMemoryWarning();
    app.terminate();
    app.terminate();     // once only
    app.becomeActive();  // nothing happens after the end
    EXPECT_EQ(
        log,
        (std::vector<std::string>{
            "launch", "UIApplicationDidFinishLaunchingNotification", "active(A)",
            "UIApplicationDidBecomeActiveNotification", "resign(A)", "UIApplicationWillResignActiveNotification",
            "background(B)", "UIApplicationDidEnterBackgroundNotification", "foreground(B)",
            "UIApplicationWillEnterForegroundNotification", "active(A)", "UIApplicationDidBecomeActiveNotification",
            "memory", "UIApplicationDidReceiveMemoryWarningNotification", "termination starts", "resign(A)",
            "UIApplicationWillResignActiveNotification", "terminate", "UIApplicationWillTerminateNotification"}));
    EXPECT_EQ(exits, 1);
    EXPECT_TRUE(app.isTerminated());
}

TEST_F(ApplicationTest, RepeatedTransitionsAreIgnored) {
    Application& app = Application::shared();
    app.resignActive();  // not launched: nothing
    ASSERT_TRUE(app.launch(delegate));
    log.clear();
    app.becomeActive();
    app.enterForeground();
    app.resignActive();
    app.resignActive();
    app.enterBackground();
    app.enterBackground();
    EXPECT_EQ(log, (std::vector<std::string>{"resign(A)", "UIApplicationWillResignActiveNotification", "background(B)",
                                             "UIApplicationDidEnterBackgroundNotification"}));
    EXPECT_EQ(app.applicationState(), ui::ApplicationState::Background);
}

TEST_F(ApplicationTest, LaunchPassesTheOptionsAndTheAnswerAndRunsOnce) {
    Application& app = Application::shared();
    delegate->answer = false;
    foundation::Dictionary options;
    options.set(Application::LaunchOptionsURLKey, "file:///tmp/a.tollivarmobile");
    EXPECT_FALSE(app.launch(delegate, options));
    EXPECT_EQ(log.front(), "launch file:///tmp/a.tollivarmobile");
    EXPECT_EQ(app.delegate(), delegate.get());
    EXPECT_FALSE(app.launch(std::make_shared<LoggingDelegate>(log))) << "launched twice";
    EXPECT_EQ(app.delegate(), delegate.get());
    // The delegate ends the responder chain when it is a responder.
    EXPECT_EQ(app.nextResponder(), delegate.get());
}

TEST_F(ApplicationTest, IncomingURLsAndWatchRequestsReachTheDelegate) {
    Application& app = Application::shared();
    EXPECT_FALSE(app.handleIncomingURL("tollivar://x")) << "handled without a delegate";
    foundation::Dictionary reply{};
    bool replied = false;
    app.handleWatchKitExtensionRequest({}, [&](foundation::Dictionary d) {
        replied = true;
        reply = d;
    });
    EXPECT_TRUE(replied);
    EXPECT_EQ(reply.size(), 0u);

    app.launch(delegate);
    EXPECT_TRUE(app.handleIncomingURL("tollivar://open", "com.example.other"));
    EXPECT_EQ(delegate->lastSource, "com.example.other");
    EXPECT_FALSE(app.handleIncomingURL("mystery:thing"));
    EXPECT_EQ(delegate->lastURL, "mystery:thing");
    replied = false;
    app.handleWatchKitExtensionRequest({}, [&](foundation::Dictionary) { replied = true; });
    EXPECT_TRUE(replied) << "the default delegate answer never replied";
}

TEST_F(ApplicationTest, OpeningURLsGoesThroughTheOpener) {
    Application& app = Application::shared();
    EXPECT_TRUE(app.canOpenURL("HTTPS://example.org"));
    EXPECT_TRUE(app.canOpenURL("mailto:someone@example.org"));
    EXPECT_FALSE(app.canOpenURL("instagram://app"));
    EXPECT_FALSE(app.canOpenURL("no scheme"));
    EXPECT_FALSE(app.openURL("instagram://app"));

    std::vector<std::string> opened;
    app.setURLOpener(
        [&](const std::string& url) {
            opened.push_back(url);
            return true;
        },
        [](const std::string& url) { return url.rfind("instagram:", 0) == 0; });
    EXPECT_TRUE(app.canOpenURL("instagram://app"));
    EXPECT_FALSE(app.canOpenURL("https://example.org"));
    EXPECT_TRUE(app.openURL("instagram://app"));
    EXPECT_EQ(opened, std::vector<std::string>{"instagram://app"});
}

TEST_F(ApplicationTest, IdleTimerCanBeSwitchedFromAnotherThread) {
    Application& app = Application::shared();
    std::thread renderer([&] { app.setIdleTimerDisabled(true); });
    renderer.join();
    EXPECT_TRUE(app.isIdleTimerDisabled());
    app.setIdleTimerDisabled(false);
    EXPECT_FALSE(app.isIdleTimerDisabled());
    EXPECT_EQ(app.statusBarOrientation(), ui::InterfaceOrientation::LandscapeRight);
}

TEST(DeviceTest, IdiomChoosesTheScreenAndOrientationChangesArePostedOnlyWhenAsked) {
    ui::Device& device = ui::Device::current();
    device.resetForTesting();
    device.setUserInterfaceIdiom(ui::UserInterfaceIdiom::Phone);
    EXPECT_EQ(device.screenBounds(), graphics::Rect(0, 0, 568, 320));
    EXPECT_EQ(device.model(), "Phone");
    device.setUserInterfaceIdiom(ui::UserInterfaceIdiom::Pad);
    EXPECT_EQ(device.screenBounds(), graphics::Rect(0, 0, 1024, 768));

    int posts = 0;
    auto token = NotificationCenter::defaultCenter().addObserver(ui::Device::OrientationDidChangeNotification, &device,
                                                                 [&](const foundation::Notification&) { ++posts; });
    device.setOrientation(ui::DeviceOrientation::Portrait);
    EXPECT_EQ(posts, 0);
    device.endGeneratingDeviceOrientationNotifications();  // unbalanced: harmless
    device.beginGeneratingDeviceOrientationNotifications();
    device.setOrientation(ui::DeviceOrientation::LandscapeRight);
    device.setOrientation(ui::DeviceOrientation::LandscapeRight);  // no change, no post
    EXPECT_EQ(posts, 1);
    device.endGeneratingDeviceOrientationNotifications();
    device.setOrientation(ui::DeviceOrientation::FaceUp);
    EXPECT_EQ(posts, 1);
    EXPECT_EQ(device.orientation(), ui::DeviceOrientation::FaceUp);
    device.resetForTesting();
}

}  // namespace
