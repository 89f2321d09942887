#include "platform/foundation/Bundle.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/web/WebView.h"
#include "support/Pictures.h"
#include "support/VirtualClock.h"

#include <filesystem>
#include <gtest/gtest.h>

using foundation::RunLoop;
using namespace ui;

namespace {

struct RecordingDelegate : WebViewDelegate {
    std::vector<std::string> calls;
    bool allow = true;
    std::function<void(WebView&)> onStart;
    bool webViewShouldStartLoadWithRequest(WebView&, const std::string& url, WebViewNavigationType type) override {
        calls.push_back("should " + url + " " + std::to_string(static_cast<int>(type)));
        return allow;
    }
    void webViewDidStartLoad(WebView& view) override {
        calls.push_back("start");
        if (onStart) onStart(view);
    }
    void webViewDidFinishLoad(WebView& view) override {
        calls.push_back("finish " + std::to_string(view.document() != nullptr));
    }
    void webViewDidFailLoadWithError(WebView&, const foundation::Error& error) override {
        calls.push_back("fail " + error.domain + " " + std::to_string(error.code));
    }
};

std::string resources() { return foundation::Bundle::main().resourcePath(); }

}  // namespace

TEST(WebView, TellsTheDelegateFromTheMainRunLoop) {
    testsupport::VirtualClockScope clock;
    graphics::ensureGuiApplication();
    struct Case {
        std::string baseURL;
        bool allow;
        std::vector<std::string> calls;
    } cases[] = {
        {"file://" + resources() + "/", true, {"should file://" + resources() + "/ 5", "start", "finish 1"}},
        {resources(), true, {"should " + resources() + " 5", "start", "finish 1"}},
        {"", true, {"should about:blank 5", "start", "finish 1"}},
        {"file:///no/such/folder/", true, {"should file:///no/such/folder/ 5", "start", "fail WebViewErrorDomain 1"}},
        {"http://example.invalid/", true, {"should http://example.invalid/ 5", "start", "fail WebViewErrorDomain 1"}},
        {resources(), false, {"should " + resources() + " 5"}},
    };
    // A page nested too deeply fails too.
    {
        WebView view(graphics::Rect(0, 0, 100, 50));
        RecordingDelegate delegate;
        view.setDelegate(&delegate);
        std::string deep;
        for (int i = 0; i < 2000; ++i) deep += "<div>";
        view.loadHTMLString(deep, "");
        RunLoop::main().runUntilIdle();
        EXPECT_EQ(delegate.calls,
                  (std::vector<std::string>{"should about:blank 5", "start", "fail WebViewErrorDomain 2"}));
        EXPECT_EQ(view.document(), nullptr);
    }
    for (const Case& c : cases) {
        WebView view(graphics::Rect(0, 0, 100, 50));
        RecordingDelegate delegate;
        delegate.allow = c.allow;
        view.setDelegate(&delegate);
        view.loadHTMLString("<p>x</p>", c.baseURL);
        EXPECT_TRUE(view.isLoading());
        EXPECT_TRUE(delegate.calls.empty()) << "told inside the call";
        RunLoop::main().runUntilIdle();
        EXPECT_EQ(delegate.calls, c.calls) << c.baseURL;
        EXPECT_FALSE(view.isLoading());
    }
}

TEST(WebView, ALaterLoadReplacesAPendingOneAndStopDropsIt) {
    testsupport::VirtualClockScope clock;
    graphics::ensureGuiApplication();
    WebView view(graphics::Rect(0, 0, 200, 50));
    RecordingDelegate delegate;
    view.setDelegate(&delegate);
    view.loadHTMLString("<p>first</p>", "");
    view.loadHTMLString("<p>second</p>", "");
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(delegate.calls.size(), 3u);
    graphics::Image picture = renderView(view);
    ASSERT_NE(view.document(), nullptr);
    ASSERT_FALSE(view.document()->drawnText().empty());
    EXPECT_EQ(view.document()->drawnText().front().text, "second");

    delegate.calls.clear();
    view.loadHTMLString("<p>third</p>", "");
    view.stopLoading();
    RunLoop::main().runUntilIdle();
    EXPECT_TRUE(delegate.calls.empty());

    // A load started from the delegate's start call wins over the one in progress.
    delegate.onStart = [&](WebView& v) {
        delegate.onStart = nullptr;
        v.loadHTMLString("<p>fourth</p>", "");
    };
    view.loadHTMLString("<p>replaced</p>", "");
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(delegate.calls,
              (std::vector<std::string>{"should about:blank 5", "start", "should about:blank 5", "start", "finish 1"}));
    renderView(view);
    EXPECT_EQ(view.document()->drawnText().front().text, "fourth");
}

TEST(WebView, TransparentUnlessOpaque) {
    testsupport::VirtualClockScope clock;
    graphics::ensureGuiApplication();
    for (bool opaque : {true, false}) {
        WebView view(graphics::Rect(0, 0, 120, 60));
        if (!opaque) {
            view.setOpaque(false);
            view.setBackgroundColor(graphics::Color::clear());
        }
        view.loadHTMLString(
            "<body style='margin:0'><div style='width:20px;height:20px;background:#00ff00'></div></body>", "");
        RunLoop::main().runUntilIdle();
        graphics::Image picture = renderView(view);
        EXPECT_TRUE(testsupport::pixelNear(picture.pixelAt(10, 10), {0, 255, 0, 255})) << opaque;
        EXPECT_EQ(picture.pixelAt(100, 40).a, opaque ? 255 : 0);
        if (opaque) {
            EXPECT_TRUE(testsupport::pixelNear(picture.pixelAt(100, 40), {255, 255, 255, 255}));
        }
    }
}

TEST(WebView, ReadsOnlyInsideTheResourcesFolder) {
    std::string root = std::filesystem::canonical(resources()).string();
    std::string base = "file://" + resources() + "/images/";
    struct Case {
        std::string reference;
        std::string baseURL;
        std::optional<std::string> path;
    } cases[] = {
        {"Overlay.png", base, root + "/images/Overlay.png"},
        {"Overlay.png", "", root + "/images/Overlay.png"},  // a bare name by the resources' lookup
        {"../images/Overlay.png", base, root + "/images/Overlay.png"},
        {"file://" + resources() + "/images/Overlay.png", "", root + "/images/Overlay.png"},
        {"../../CMakeLists.txt", base, std::nullopt},
        {"/etc/passwd", base, std::nullopt},
        {"file:///etc/passwd", base, std::nullopt},
        {"http://example.invalid/Overlay.png", base, std::nullopt},
        {"data:image/png;base64,AAAA", base, std::nullopt},
        {"no-such-picture.png", base, std::nullopt},
        {"images", "file://" + resources() + "/", std::nullopt},  // a folder is no file
        {"", base, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(WebView::resolveResource(c.reference, c.baseURL), c.path) << c.reference;
}
