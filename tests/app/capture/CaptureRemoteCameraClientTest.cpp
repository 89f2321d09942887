#include "app/capture/CaptureRemoteCameraClient.h"
#include "app/capture/RecordingDelegate.h"
#include "app/core/MovieResolution.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"
#include "support/DecimalCommaLocale.h"
#include "support/FakeRemoteCamera.h"
#include "support/VirtualClock.h"

#include <chrono>
#include <gtest/gtest.h>

using foundation::RunLoop;
using testsupport::FakeRemoteCamera;

namespace {

constexpr const char* kNotAnswering = "The remote camera does not answer.";

class RemoteCameraClientTest : public ::testing::Test {
protected:
    std::shared_ptr<CaptureRemoteCameraClient> makeClient(std::string_view suffix = {}) {
        client_ = std::make_shared<CaptureRemoteCameraClient>(camera_.baseURL(suffix), "Kitchen");
        client_->setDelegate(&delegate_);
        return client_;
    }

    // Ends the preview poll, which on a virtual clock never idles while
    // the camera answers.
    void TearDown() override {
        if (!client_) return;
        client_->stopCameraCapture();
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return !client_->isPolling(); }, 30));
        RunLoop::main().runUntilIdle();
    }

    std::string errorText() const {
        auto error = client_->error();
        return error ? error->description : std::string();
    }

    testsupport::VirtualClockScope clock_;
    FakeRemoteCamera camera_;
    capturetest::RecordingDelegate delegate_;
    std::shared_ptr<CaptureRemoteCameraClient> client_;
};

double realSecondsOf(const std::function<void()>& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

TEST_F(RemoteCameraClientTest, SetUpReadsTheStatusAndShowsThePreview) {
    camera_.setStatus(FakeRemoteCamera::statusText(2, 1, 0, 2, false));
    auto client = makeClient();
    EXPECT_EQ(client->captureSourceID(), "127.0.0.1");
    EXPECT_EQ(client->captureSourceName(), "Kitchen");
    EXPECT_EQ(CaptureRemoteCameraClient("http://10.0.0.9:80", "").captureSourceName(), "Remote Camera");
    EXPECT_EQ(client->captureSourceMenuIcon().pixelWidth(), 28);

    client->initCaptureDevice();
    EXPECT_TRUE(client->isReadyToCapture());
    EXPECT_FALSE(client->error());
    EXPECT_EQ(delegate_.inits, std::vector<int64_t>{2});
    EXPECT_TRUE(client->isFocusModeSuported() && client->isExposureModeSuported() &&
                client->isWhiteBalanceModeSuported());
    EXPECT_FALSE(client->isMultipleCaptureDeviceAvaliable());
    EXPECT_EQ(std::vector<int64_t>(
                  {client->position(), client->focusMode(), client->exposureMode(), client->whiteBalanceMode()}),
              std::vector<int64_t>({2, 1, 0, 2}));
    EXPECT_EQ(client->imageCaptureSize(), MovieResolution::getMaximumResolutionAvailable());

    auto imageView = client->imageView();
    ASSERT_TRUE(imageView);
    EXPECT_EQ(client->captureSourceViewCamera(), imageView);
    EXPECT_EQ(imageView->superview(), client->view());
    EXPECT_EQ(imageView->autoresizingMask(), 18u);
    EXPECT_EQ(imageView->contentMode(), ui::ContentMode::ScaleAspectFill);
    EXPECT_TRUE(imageView->clipsToBounds());
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !imageView->image().isNull(); }, 30));
    EXPECT_EQ(imageView->image().pixelWidth(), 4);
    EXPECT_TRUE(client->isPolling());
    EXPECT_EQ(camera_.targets().at(0), "/status");
}

TEST_F(RemoteCameraClientTest, AStatusThatIsNotJsonLeavesNoControlsAndPositionZero) {
    camera_.setStatus("<html>busy</html>");
    auto client = makeClient();
    client->initCaptureDevice();
    EXPECT_TRUE(client->isReadyToCapture());
    EXPECT_FALSE(client->remoteCameraStatus());
    EXPECT_FALSE(client->isFocusModeSuported() || client->isExposureModeSuported() ||
                 client->isWhiteBalanceModeSuported() || client->isMultipleCaptureDeviceAvaliable());
    EXPECT_EQ(client->position(), 0);
    EXPECT_EQ(delegate_.inits, std::vector<int64_t>{0});
    // No focus support: no request.
    EXPECT_FALSE(client->focusAtPoint({10, 10}));
    EXPECT_EQ(camera_.requestCount("focusatpoint"), 0u);
}

TEST_F(RemoteCameraClientTest, CaptureAsksForTheLargestMovieSizeWithPointDecimals) {
    ASSERT_EQ(MovieResolution::getMaximumResolutionAvailable(), (graphics::Size{3840, 2160}));
    graphics::ensureGuiApplication();  // the HUD sets text
    testsupport::ScopedDecimalCommaLocale commas;
    auto client = makeClient();
    client->initCaptureDevice();
    client->pauseCameraCapture();

    camera_.stall("capture");
    client->captureImage();
    // The HUD shows while the camera holds the picture back.
    auto findHud = [&] {
        for (const auto& view : client->view()->subviews())
            for (const auto& inner : view->subviews())
                if (auto* label = dynamic_cast<ui::Label*>(inner.get()); label && label->text() == "Capturing image...")
                    return true;
        return false;
    };
    EXPECT_TRUE(RunLoop::main().runUntil(findHud, 30));
    camera_.release();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return delegate_.pictureCount() == 1; }, 30));
    RunLoop::main().advance(1.0);  // the HUD fades out

    EXPECT_EQ(camera_.targets("capture"), std::vector<std::string>{"/capture?Width=3840.000000&Height=2160.000000"});
    EXPECT_EQ(delegate_.pictures.at(0).image.pixelWidth(), 4);
    EXPECT_NE(delegate_.pictures.at(0).queueLabel, foundation::DispatchQueue::main().label());
    EXPECT_FALSE(findHud());

    // A reply that is no picture, or none at all, delivers a null image.
    camera_.setPicture("not a picture");
    client->captureImage();
    camera_.failNext("capture", 1);
    client->captureImage();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return delegate_.pictureCount() == 3; }, 30));
    EXPECT_TRUE(delegate_.pictures.at(1).image.isNull());
    EXPECT_TRUE(delegate_.pictures.at(2).image.isNull());

    // A photo is held to the largest movie size on its longer side, its shape kept.
    const std::pair<int, int> sent[] = {{5000, 100}, {100, 5000}}, held[] = {{3840, 77}, {77, 3840}};
    for (size_t i = 0; i < std::size(sent); ++i) {
        const auto png = graphics::Image::filled(sent[i].first, sent[i].second, {30, 140, 220, 255}).pngData();
        camera_.setPicture(std::string(png->begin(), png->end()));
        client->captureImage();
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return delegate_.pictureCount() == 4 + i; }, 30));
        const graphics::Image& taken = delegate_.pictures.back().image;
        EXPECT_EQ(std::pair(taken.pixelWidth(), taken.pixelHeight()), held[i]);
    }
}

TEST_F(RemoteCameraClientTest, ControlsJoinTheirParametersToTheBaseAddressQuery) {
    struct Case {
        const char* suffix;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"",
         {"/status", "/switchcamera", "/focusmode?AVCaptureFocusMode=2", "/exposuremode?AVCaptureExposureMode=0",
          "/whitebalancemode?AVCaptureWhiteBalanceMode=1", "/focusatpoint?X=0.250000&Y=0.500000"}},
        {"/?token=7",
         {"/status?token=7", "/switchcamera?token=7", "/focusmode?token=7&AVCaptureFocusMode=2",
          "/exposuremode?token=7&AVCaptureExposureMode=0", "/whitebalancemode?token=7&AVCaptureWhiteBalanceMode=1",
          "/focusatpoint?token=7&X=0.250000&Y=0.500000"}},
    };
    for (const Case& c : cases) {
        FakeRemoteCamera camera;
        camera.setStatus(FakeRemoteCamera::statusText(1));
        capturetest::RecordingDelegate delegate;
        auto client = std::make_shared<CaptureRemoteCameraClient>(camera.baseURL(c.suffix), "Kitchen");
        client->setDelegate(&delegate);
        client->view()->setFrame({0, 0, 400, 300});
        client->initCaptureDevice();
        client->pauseCameraCapture();

        camera.setStatus(FakeRemoteCamera::statusText(2));
        client->switchCaptureDevice();
        client->setFocusMode(2);
        client->setExposureMode(0);
        client->setWhiteBalanceMode(1);
        EXPECT_TRUE(client->focusAtPoint({100, 150}));

        std::vector<std::string> sent;
        for (const std::string& target : camera.targets())
            if (!target.starts_with("/preview")) sent.push_back(target);
        EXPECT_EQ(sent, c.expected) << c.suffix;
        EXPECT_EQ(delegate.switches, std::vector<int64_t>{2});
        EXPECT_EQ(client->position(), 2);

        // A camera that stops answering: the controls fail quietly.
        camera.failNext("switchcamera", 1);
        camera.failNext("focusatpoint", 1);
        client->switchCaptureDevice();
        EXPECT_FALSE(client->focusAtPoint({100, 150}));
        EXPECT_EQ(delegate.switches.size(), 1u);

        client->stopCameraCapture();
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return !client->isPolling(); }, 30));
    }
}

TEST_F(RemoteCameraClientTest, TenFailedPreviewsThenOneThatArrivesKeepTheSourceReady) {
    camera_.failNext("preview", 10);
    auto client = makeClient();
    client->initCaptureDevice();
    const double start = clock_.now();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return camera_.requestCount("preview") >= 12; }, 60));
    EXPECT_TRUE(client->isReadyToCapture());
    EXPECT_TRUE(client->isPolling());
    EXPECT_FALSE(client->error());
    EXPECT_EQ(client->heartBeatCounter(), 0);
    // A second between failures, none after a success.
    EXPECT_DOUBLE_EQ(clock_.now() - start, 10.0);
}

TEST_F(RemoteCameraClientTest, TheEleventhFailedPreviewEndsThePollUntilTheCameraAnswers) {
    camera_.failNext("preview", -1);
    auto client = makeClient();
    client->initCaptureDevice();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !client->isPolling(); }, 60));
    RunLoop::main().advance(5);
    EXPECT_EQ(camera_.requestCount("preview"), 11u);
    EXPECT_FALSE(client->isReadyToCapture());
    EXPECT_EQ(client->heartBeatCounter(), 0);
    EXPECT_EQ(errorText(), kNotAnswering);
    EXPECT_EQ(client->error()->domain, "CaptureRemoteCameraClient");

    // Set up again once the camera answers: ready, polling, no error.
    camera_.failNext("preview", 0);
    client->initCaptureDevice();
    EXPECT_TRUE(client->isReadyToCapture());
    EXPECT_FALSE(client->error());
    EXPECT_TRUE(client->isPolling());
    EXPECT_EQ(delegate_.inits, (std::vector<int64_t>{1, 1}));
}

TEST_F(RemoteCameraClientTest, AStatusThatFailsAtSetUpLeavesTheSourceNotReadyWithItsError) {
    camera_.failNext("status", 1);
    auto client = makeClient();
    client->initCaptureDevice();
    EXPECT_FALSE(client->isReadyToCapture());
    EXPECT_EQ(errorText(), kNotAnswering);
    EXPECT_FALSE(client->isPolling());
    EXPECT_TRUE(delegate_.inits.empty());
    RunLoop::main().advance(5);
    EXPECT_EQ(camera_.requestCount("preview"), 0u);

    client->initCaptureDevice();
    EXPECT_TRUE(client->isReadyToCapture());
    EXPECT_FALSE(client->error());
}

TEST_F(RemoteCameraClientTest, OnePollPerClientHoweverOftenItIsSetUp) {
    camera_.failNext("preview", -1);
    auto client = makeClient();
    client->initCaptureDevice();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return camera_.requestCount("preview") == 1; }, 30));
    // Set up again while the poll waits out its second: it carries on alone.
    client->stopCameraCapture();
    client->initCaptureDevice();
    client->initCaptureDevice();
    RunLoop::main().advance(5.5);
    EXPECT_EQ(camera_.requestCount("preview"), 6u);
    EXPECT_TRUE(client->isPolling());

    // Paused, it asks for nothing; resumed, it goes on where it was.
    client->pauseCameraCapture();
    RunLoop::main().advance(3);
    EXPECT_EQ(camera_.requestCount("preview"), 6u);
    client->resumeCameraCapture();
    RunLoop::main().advance(2);
    EXPECT_EQ(camera_.requestCount("preview"), 8u);
}

TEST_F(RemoteCameraClientTest, AStalledCameraFreesTheMainThreadWithinThreeSeconds) {
    auto client = makeClient();
    camera_.stall("status");
    EXPECT_LT(realSecondsOf([&] { client->initCaptureDevice(); }), 3.0);
    EXPECT_FALSE(client->isReadyToCapture());
    EXPECT_EQ(errorText(), kNotAnswering);
    camera_.release();

    client->initCaptureDevice();
    ASSERT_TRUE(client->isReadyToCapture());
    client->pauseCameraCapture();
    camera_.stall("focusatpoint");
    bool focused = true;
    EXPECT_LT(realSecondsOf([&] { focused = client->focusAtPoint({1, 1}); }), 3.0);
    EXPECT_FALSE(focused);
    camera_.release();
}
