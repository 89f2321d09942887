#include "GPUImageTestSupport.h"
#include "components/gpuimage/GPUImageUIElement.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/View.h"
#include "platform/ui/host/Device.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

using namespace gpuimage;
using graphics::Size;

namespace {

class TimeRecorder : public gpuimagetest::RecordingTarget {
public:
    void newFrameReadyAtTime(FrameTime time, int index) override {
        times.push_back(time);
        RecordingTarget::newFrameReadyAtTime(time, index);
    }
    std::vector<FrameTime> times;
};

TEST(GPUImageUIElement, DrawsTheViewUprightWithRunningTimes) {
    testsupport::VirtualClockScope clock;
    ui::Device::current().setScreenScale(2.0);
    auto view = ui::makeView(graphics::Rect(0, 0, 4, 2));
    view->setBackgroundColor(graphics::Color::rgb(1, 0, 0));
    auto corner = ui::makeView(graphics::Rect(0, 0, 1, 1));  // the top-left point
    corner->setBackgroundColor(graphics::Color::rgb(0, 0, 1));
    view->addSubview(corner);

    GPUImageUIElement element(*view);
    EXPECT_EQ(element.layerSizeInPixels(), (Size{8, 4}));
    EXPECT_EQ(element.time(), FrameTime::make(0, 600));

    auto output = std::make_shared<GPUImageRawDataOutput>(Size{8, 4}, false);
    auto recorder = std::make_shared<TimeRecorder>();
    auto ignored = std::make_shared<TimeRecorder>();
    ignored->ignoresUpdates = true;
    element.addTarget(output);
    element.addTarget(recorder);
    element.addTarget(ignored);

    foundation::RunLoop::main().advance(0.5);
    element.update();
    foundation::RunLoop::main().advance(0.25);
    element.update();
    ASSERT_EQ(recorder->times.size(), 2u);
    EXPECT_EQ(recorder->times[0], FrameTime::make(300, 600));
    EXPECT_EQ(recorder->times[1], FrameTime::make(450, 600));
    EXPECT_EQ(recorder->times[1].timescale, 600);
    EXPECT_EQ(recorder->size, (Size{8, 4}));
    EXPECT_TRUE(ignored->times.empty());

    using Color = GPUByteColorVector;
    EXPECT_EQ(output->colorAtLocation({0, 0}), (Color{0, 0, 255, 255}));
    EXPECT_EQ(output->colorAtLocation({1, 1}), (Color{0, 0, 255, 255}));
    EXPECT_EQ(output->colorAtLocation({2, 0}), (Color{255, 0, 0, 255}));
    EXPECT_EQ(output->colorAtLocation({0, 3}), (Color{255, 0, 0, 255}));
    EXPECT_EQ(output->colorAtLocation({7, 3}), (Color{255, 0, 0, 255}));
    ui::Device::current().resetForTesting();
}

}  // namespace
