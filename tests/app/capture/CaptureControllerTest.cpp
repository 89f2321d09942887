#include "app/capture/CaptureController.h"
#include "app/capture/RecordingDelegate.h"
#include "platform/capture/CaptureDevice.h"
#include "platform/media/ExportPresets.h"
#include "support/Pictures.h"

#include <gtest/gtest.h>

namespace {

class NoDriver : public capture::CaptureDriver {
public:
    foundation::Status open() override { return {}; }
    void startStreaming(graphics::Size, capture::FrameHandler) override {}
    void stopStreaming() override {}
    void captureStill(graphics::Size, capture::StillHandler handler) override {
        handler(foundation::Error{"test", 1, "none"});
    }
};

capture::CaptureDevice deviceWithPresets(std::vector<std::string> presets) {
    capture::DeviceCapabilities capabilities;
    capabilities.sessionPresets = std::move(presets);
    return capture::CaptureDevice("id", "Camera", capture::DevicePosition::Back, capabilities,
                                  std::make_shared<NoDriver>());
}

TEST(CaptureController, BaseSourceSetsFlagsAndReportsTheBackCamera) {
    auto source = std::make_shared<CaptureController>();
    capturetest::RecordingDelegate delegate;
    source->setDelegate(&delegate);
    EXPECT_FALSE(source->isReadyToCapture());

    source->initCaptureDevice();
    source->switchCaptureDevice();
    EXPECT_TRUE(source->isMultipleCaptureDeviceAvaliable() && source->isFocusModeSuported() &&
                source->isExposureModeSuported() && source->isWhiteBalanceModeSuported() && source->isReadyToCapture());
    EXPECT_FALSE(source->isAdditionalControlsSuported());
    EXPECT_EQ(delegate.inits, std::vector<int64_t>{1});
    EXPECT_EQ(delegate.switches, std::vector<int64_t>{1});
    EXPECT_TRUE(source->focusAtPoint({10, 10}));
    EXPECT_FALSE(source->error());
    EXPECT_EQ(source->captureSourceName(), "DEBUG-Capturesource");
    EXPECT_FALSE(source->isZoomSupported());
    EXPECT_EQ(source->captureResolution().width, 0);
}

TEST(CaptureController, BaseSourceDeliversItsDebugPictureOnTheCallingThread) {
    auto source = std::make_shared<CaptureController>();
    capturetest::RecordingDelegate delegate;
    source->setDelegate(&delegate);
    source->captureImage();
    // Delivered before captureImage returned. The resources hold no
    // "DEBUG_1.jpg", so the 1080p test card stands in: grey bar on the left,
    // blue one second from the right.
    ASSERT_EQ(delegate.pictureCount(), 1u);
    const graphics::Image& picture = delegate.pictures[0].image;
    ASSERT_EQ(picture.pixelWidth(), 1920);
    ASSERT_EQ(picture.pixelHeight(), 1080);
    EXPECT_TRUE(testsupport::pixelNear(picture.pixelAt(100, 300), {192, 192, 192, 255}));
    EXPECT_TRUE(testsupport::pixelNear(picture.pixelAt(1560, 300), {0, 0, 192, 255}));
}

TEST(CaptureController, PresetFollowsTheDeviceAndTheExportPresets) {
    const bool exports1080 = media::hasExportPreset(media::kExportPreset1920x1080);
    struct Case {
        std::vector<std::string> presets;
        std::string expected;
    };
    const Case cases[] = {
        {{capture::kSessionPreset640x480, capture::kSessionPreset1280x720, capture::kSessionPreset1920x1080},
         exports1080 ? capture::kSessionPreset1920x1080 : capture::kSessionPreset1280x720},
        {{capture::kSessionPreset640x480, capture::kSessionPreset1280x720}, capture::kSessionPreset1280x720},
        {{capture::kSessionPreset1920x1080},
         exports1080 ? capture::kSessionPreset1920x1080 : capture::kSessionPreset640x480},
        {{capture::kSessionPreset640x480}, capture::kSessionPreset640x480},
        {{}, capture::kSessionPreset640x480},
    };
    for (const auto& c : cases) {
        auto device = deviceWithPresets(c.presets);
        EXPECT_EQ(CaptureController::getPresetWithMaximumResoulutionFromCaptureDevice(device), c.expected)
            << "with " << c.presets.size() << " presets";
    }
}

}  // namespace
