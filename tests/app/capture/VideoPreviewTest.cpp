#include "app/capture/CameraFixture.h"
#include "app/capture/SimulatorCamera.h"
#include "app/capture/VideoPreview.h"
#include "platform/ui/host/Device.h"

#include <gtest/gtest.h>

namespace {

TEST(VideoPreview, FollowsTheLandscapeInterfaceOrientationOnceItHasALayer) {
    auto preview = ui::makeView<VideoPreview>(graphics::Rect{0, 0, 400, 300});
    preview->setOrientation(4);  // no layer yet: nothing to do
    EXPECT_FALSE(preview->previewLayer());

    auto layer = capture::VideoPreviewLayer::create(capture::CaptureSession::create());
    preview->addPreviewLayer(layer);
    EXPECT_EQ(layer->superview(), preview.get());
    struct Step {
        ui::InterfaceOrientation statusBar;
        int expected;
    };
    // Portrait orientations leave the layer as it was.
    const Step steps[] = {{ui::InterfaceOrientation::LandscapeLeft, 4},
                          {ui::InterfaceOrientation::Portrait, 4},
                          {ui::InterfaceOrientation::LandscapeRight, 3},
                          {ui::InterfaceOrientation::PortraitUpsideDown, 3}};
    for (const auto& step : steps) {
        ui::Application::shared().setStatusBarOrientation(step.statusBar);
        ui::Device::current().setOrientation(ui::DeviceOrientation::FaceUp);
        ui::Device::current().setOrientation(ui::DeviceOrientation::LandscapeLeft);
        EXPECT_EQ(layer->videoOrientation(), step.expected) << int(step.statusBar);
        EXPECT_EQ(layer->session()->interfaceOrientation(), step.expected);
    }
    EXPECT_EQ(layer->frame(), (graphics::Rect{0, 0, 400, 300}));
    ui::Application::shared().setStatusBarOrientation(ui::InterfaceOrientation::LandscapeRight);
}

TEST(SimulatorCamera, ShowsAndCapturesItsPicture) {
    auto source = std::make_shared<SimulatorCamera>();
    capturetest::RecordingDelegate delegate;
    source->setDelegate(&delegate);
    source->view()->setFrame({0, 0, 320, 240});
    source->initCaptureDevice();
    EXPECT_EQ(delegate.inits, std::vector<int64_t>{1});
    ASSERT_TRUE(source->imageView());
    EXPECT_EQ(source->imageView()->superview(), source->view());
    EXPECT_EQ(source->imageView()->contentMode(), ui::ContentMode::ScaleAspectFill);
    EXPECT_EQ(source->imageView()->frame(), (graphics::Rect{0, 0, 320, 240}));
    source->captureImage();
    ASSERT_EQ(delegate.pictureCount(), 1u);
    // The picture handed over is the one shown: the 1080p test card, as the
    // resources hold no "DEBUG_4.jpg".
    EXPECT_EQ(delegate.pictures[0].image.bitmap(), source->imageView()->image().bitmap());
    EXPECT_EQ(delegate.pictures[0].image.pixelWidth(), 1920);
}

}  // namespace
