#include "app/capture/CaptureRemoteCameraBrowser.h"
#include "app/capture/RecordingDelegate.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/net/FakeServiceBrowser.h"
#include "support/DecimalCommaLocale.h"
#include "support/FakeRemoteCamera.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

using foundation::RunLoop;
using net::FakeServiceBrowser;
using net::NetService;

namespace {

struct RecordingBrowserDelegate : CaptureRemoteCameraBrowserDelegate {
    void didDiscoverNewRemoteDevice(CaptureRemoteCameraBrowser&,
                                    const std::shared_ptr<CaptureRemoteCameraClient>& withSource) override {
        EXPECT_TRUE(RunLoop::isMainThread());
        discovered.push_back(withSource);
    }
    void didRemoveRemoteDevice(CaptureRemoteCameraBrowser&, const std::string& withName,
                               const std::shared_ptr<CaptureRemoteCameraClient>& source) override {
        EXPECT_TRUE(RunLoop::isMainThread());
        removed.emplace_back(withName, source);
    }
    std::vector<std::shared_ptr<CaptureRemoteCameraClient>> discovered;
    std::vector<std::pair<std::string, std::shared_ptr<CaptureRemoteCameraClient>>> removed;
};

NetService cameraService(std::string name) { return {std::move(name), "_MARROWICK_REMOTE_CAMERA._tcp.", "local"}; }

class RemoteCameraBrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        browser_.setDelegate(&delegate_);
        browser_.startBonjourBrowser();
        fake_ = fakes_.last();
        ASSERT_TRUE(fake_);
    }

    testsupport::VirtualClockScope clock_;
    FakeServiceBrowser::Installation fakes_;
    RecordingBrowserDelegate delegate_;
    CaptureRemoteCameraBrowser browser_;
    std::shared_ptr<FakeServiceBrowser> fake_;
};

}  // namespace

TEST_F(RemoteCameraBrowserTest, SearchesForRemoteCamerasOnce) {
    browser_.startBonjourBrowser();
    EXPECT_EQ(fakes_.madeCount(), 1u);
    ASSERT_TRUE(fake_->search());
    EXPECT_EQ(fake_->search()->type, "_MARROWICK_REMOTE_CAMERA._tcp.");
    EXPECT_EQ(fake_->search()->domain, "local");
}

// The whole road: a service appears, resolves, becomes a source, and that
// source takes a picture from the camera behind it.
TEST_F(RemoteCameraBrowserTest, AResolvedServiceBecomesAWorkingSource) {
    testsupport::FakeRemoteCamera camera;
    fake_->setAddress("Kitchen", "127.0.0.1", uint16_t(camera.port()));
    fake_->announce(cameraService("Kitchen"));
    RunLoop::main().runUntilIdle();

    ASSERT_EQ(fake_->resolveRequests().size(), 1u);
    EXPECT_EQ(fake_->resolveRequests()[0].timeoutSeconds, 30);
    ASSERT_EQ(delegate_.discovered.size(), 1u);
    auto source = delegate_.discovered[0];
    EXPECT_EQ(source->remoteCameraURL(), "http://127.0.0.1:" + std::to_string(camera.port()));
    EXPECT_EQ(source->captureSourceID(), "127.0.0.1");
    EXPECT_EQ(source->captureSourceName(), "Kitchen");

    testsupport::ScopedDecimalCommaLocale commas;
    graphics::ensureGuiApplication();  // the capture's HUD sets text
    capturetest::RecordingDelegate pictures;
    source->setDelegate(&pictures);
    source->initCaptureDevice();
    ASSERT_TRUE(source->isReadyToCapture());
    source->pauseCameraCapture();
    source->captureImage();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return pictures.pictureCount() == 1; }, 30));
    EXPECT_FALSE(pictures.pictures[0].image.isNull());
    EXPECT_EQ(camera.targets("capture"), std::vector<std::string>{"/capture?Width=3840.000000&Height=2160.000000"});

    source->stopCameraCapture();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !source->isPolling(); }, 30));
    RunLoop::main().runUntilIdle();
}

// The registry removes by identity, so the browser must hand over the very
// source it made for the service that went, and nothing for services that
// never became a source.
TEST_F(RemoteCameraBrowserTest, AVanishedServiceReportsItsOwnSource) {
    fake_->setAddress("Camera", "kitchen.local", 8080);  // named like a built-in source
    fake_->setAddress("Attic", "attic.local", 8081);
    fake_->announce(cameraService("Camera"));
    fake_->announce(cameraService("Attic"));
    fake_->announce(cameraService("Cellar"));  // never resolves
    RunLoop::main().runUntilIdle();
    ASSERT_EQ(delegate_.discovered.size(), 2u);
    EXPECT_EQ(browser_.serviceCount(), 3u);

    RunLoop::main().advance(30);  // the cellar's resolution gives up
    fake_->withdraw(cameraService("Cellar"));
    fake_->withdraw(cameraService("Camera"));
    RunLoop::main().runUntilIdle();

    ASSERT_EQ(delegate_.removed.size(), 1u);
    EXPECT_EQ(delegate_.removed[0].first, "Camera");
    EXPECT_EQ(delegate_.removed[0].second, delegate_.discovered[0]);
    EXPECT_EQ(delegate_.discovered.size(), 2u);
    EXPECT_EQ(browser_.serviceCount(), 1u);

    // Back again: a new source for it.
    fake_->announce(cameraService("Camera"));
    RunLoop::main().runUntilIdle();
    ASSERT_EQ(delegate_.discovered.size(), 3u);
    EXPECT_NE(delegate_.discovered[2], delegate_.discovered[0]);
    EXPECT_EQ(delegate_.discovered[2]->captureSourceID(), "kitchen.local");
}

TEST(RemoteCameraBrowser, ItsEndStopsTheSearch) {
    testsupport::VirtualClockScope clock;
    FakeServiceBrowser::Installation fakes;
    RecordingBrowserDelegate delegate;
    std::shared_ptr<FakeServiceBrowser> fake;
    {
        CaptureRemoteCameraBrowser browser;
        browser.setDelegate(&delegate);
        browser.startBonjourBrowser();
        fake = fakes.last();
        fake->setAddress("Kitchen", "127.0.0.1", 8080);
        fake->announce(cameraService("Kitchen"));  // reported after the browser has gone
    }
    RunLoop::main().runUntilIdle();
    EXPECT_TRUE(fake->stopped());
    EXPECT_TRUE(delegate.discovered.empty());
}
