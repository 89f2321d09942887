#include "GPUImageTestSupport.h"
#include "components/gpuimage/GPUImageFilter.h"
#include "platform/ui/host/Device.h"

#include <gtest/gtest.h>

using namespace gpuimage;
using gpuimagetest::RecordingTarget;
using graphics::Size;

namespace {

std::shared_ptr<GPUImageRawDataInput> onePixelInput() {
    auto picture = gpuimagetest::bgraPicture(1, 1, {{200, 100, 50, 255}});
    return std::make_shared<GPUImageRawDataInput>(picture.data(), Size{1, 1});
}

TEST(GPUImageOutputGraph, AddingTwiceKeepsOneEntryAndRemovingResetsTheTarget) {
    auto source = std::make_shared<GPUImageFilter>();
    auto target = std::make_shared<RecordingTarget>();
    target->slot = 1;
    source->addTarget(target);
    source->addTarget(target);
    source->addTarget(target, 0);
    EXPECT_EQ(source->targets().size(), 1u);
    EXPECT_EQ(source->targetTextureIndices(), std::vector<int>{1});
    EXPECT_EQ(target->textureIndex, 1);
    EXPECT_EQ(target->textureCalls, 1);
    EXPECT_EQ(target->delegate.lock().get(), static_cast<GPUImageTextureDelegate*>(source.get()));

    target->texture = 77;
    source->removeTarget(target);
    EXPECT_TRUE(source->targets().empty());
    EXPECT_EQ(target->texture, 0u);
    EXPECT_EQ(target->size, (Size{0, 0}));
    EXPECT_EQ(target->rotation, GPUImageRotationMode::NoRotation);
    EXPECT_TRUE(target->delegate.expired());
    EXPECT_EQ(target->ends, 1);
    source->removeTarget(target);  // not attached: nothing happens
    EXPECT_EQ(target->ends, 1);

    // removeAllTargets resets without ending processing.
    auto other = std::make_shared<RecordingTarget>();
    source->addTarget(target);
    source->addTarget(other);
    target->rotation = other->rotation = GPUImageRotationMode::Rotate180;
    source->removeAllTargets();
    EXPECT_TRUE(source->targets().empty());
    for (const auto& t : {target, other}) {
        EXPECT_EQ(t->rotation, GPUImageRotationMode::NoRotation);
        EXPECT_EQ(t->size, (Size{0, 0}));
    }
    EXPECT_EQ(target->ends, 1);
    EXPECT_EQ(other->ends, 0);
}

TEST(GPUImageOutputGraph, MonochromeWishAndIgnoredTargets) {
    auto source = onePixelInput();
    auto monochrome = std::make_shared<RecordingTarget>();
    monochrome->wantsMonochrome = true;
    auto colour = std::make_shared<RecordingTarget>();
    auto ignoring = std::make_shared<RecordingTarget>();
    ignoring->ignoresUpdates = true;

    source->addTarget(monochrome);
    EXPECT_TRUE(source->allTargetsWantMonochromeData());
    source->addTarget(colour);
    EXPECT_FALSE(source->allTargetsWantMonochromeData());
    source->removeAllTargets();
    EXPECT_TRUE(source->allTargetsWantMonochromeData());

    // A filter leaves the ignored target out of its frames; it still gets textures.
    auto filter = std::make_shared<GPUImageFilter>();
    source->addTarget(filter);
    filter->addTarget(ignoring);
    filter->addTarget(colour);
    EXPECT_EQ(filter->targetToIgnoreForUpdates(), ignoring.get());
    gpuimagetest::pushAndWait(*source);
    EXPECT_EQ(colour->frames, 1);
    EXPECT_EQ(ignoring->frames, 0);
    EXPECT_NE(ignoring->texture, 0u);
    EXPECT_EQ(ignoring->texture, colour->texture);
    filter->removeTarget(ignoring);
    EXPECT_EQ(filter->targetToIgnoreForUpdates(), nullptr);
}

TEST(GPUImageOutputGraph, ConserveMemoryFreesTheFramebufferOnceEveryTargetHandedBack) {
    auto source = onePixelInput();
    auto first = std::make_shared<GPUImageFilter>();
    auto second = std::make_shared<GPUImageFilter>();
    auto third = std::make_shared<GPUImageFilter>();
    source->addTarget(first);
    first->addTarget(second);
    first->addTarget(third);
    gpuimagetest::pushAndWait(*source);
    EXPECT_NE(first->filterFramebuffer(), 0u);  // kept between frames normally

    auto recorder = std::make_shared<RecordingTarget>();
    second->addTarget(recorder);
    first->conserveMemoryForNextFrame();
    EXPECT_EQ(recorder->conserveRequests, 1);  // forwarded down the graph
    gpuimagetest::pushAndWait(*source);
    EXPECT_EQ(first->filterFramebuffer(), 0u);
    EXPECT_EQ(first->outputTexture(), 0u);
    EXPECT_NE(second->filterFramebuffer(), 0u);  // its recorder never hands back
    // A late hand-back with the count at 0 cleans nothing up again.
    first->textureNoLongerNeededForTarget(second.get());
    // The next frame makes them again and tells the targets the new texture.
    gpuimagetest::pushAndWait(*source);
    EXPECT_NE(first->filterFramebuffer(), 0u);
    EXPECT_EQ(recorder->frames, 2);
}

TEST(GPUImageOutputGraph, EndProcessingReachesTargetsOnceAndGraphMayChangeFromAFrame) {
    auto filter = std::make_shared<GPUImageFilter>();
    auto target = std::make_shared<RecordingTarget>();
    filter->addTarget(target);
    filter->endProcessing();
    filter->endProcessing();
    EXPECT_EQ(target->ends, 1);

    // A completion closure on the queue rewires the graph without deadlock.
    auto source = onePixelInput();
    auto live = std::make_shared<GPUImageFilter>();
    auto late = std::make_shared<RecordingTarget>();
    source->addTarget(live);
    live->addTarget(target);
    live->setFrameProcessingCompletionBlock([&](GPUImageOutput& output, FrameTime time) {
        EXPECT_FALSE(time.isValid());  // raw data carries no time
        output.removeTarget(target);
        output.addTarget(late);
    });
    gpuimagetest::pushAndWait(*source);
    EXPECT_EQ(live->targets().size(), 1u);
    EXPECT_EQ(late->frames, 1);
    live->setFrameProcessingCompletionBlock(nullptr);
}

TEST(GPUImageOutputCapture, ImageOrientationFollowsTheDevice) {
    auto source = onePixelInput();
    auto filter = std::make_shared<GPUImageFilter>();
    source->addTarget(filter);
    EXPECT_TRUE(filter->imageFromCurrentlyProcessedOutput().isNull());  // nothing processed yet
    gpuimagetest::pushAndWait(*source);
    using graphics::ImageOrientation;
    using ui::DeviceOrientation;
    const std::pair<DeviceOrientation, ImageOrientation> cases[] = {
        {DeviceOrientation::Portrait, ImageOrientation::Up},
        {DeviceOrientation::PortraitUpsideDown, ImageOrientation::Down},
        {DeviceOrientation::LandscapeLeft, ImageOrientation::Left},
        {DeviceOrientation::LandscapeRight, ImageOrientation::Right},
        {DeviceOrientation::FaceUp, ImageOrientation::Up},
        {DeviceOrientation::Unknown, ImageOrientation::Up},
    };
    for (auto [device, expected] : cases) {
        ui::Device::current().setOrientation(device);
        auto image = filter->imageFromCurrentlyProcessedOutput();
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.orientation(), expected) << static_cast<int>(device);
        EXPECT_EQ(image.scale(), 1.0);
        EXPECT_EQ(image.pixelAt(0, 0), (graphics::RGBA{200, 100, 50, 255}));
    }
    ui::Device::current().resetForTesting();
}

}  // namespace

namespace {

TEST(GPUImageOutputCapture, FiltersOnePictureAtOnce) {
    const char* kInvert = R"(
varying highp vec2 textureCoordinate;
uniform sampler2D inputImageTexture;
void main() {
    lowp vec4 color = texture2D(inputImageTexture, textureCoordinate);
    gl_FragColor = vec4(1.0 - color.rgb, color.a);
}
)";
    auto filter = std::make_shared<GPUImageFilter>(kInvert);
    QImage bitmap(2, 1, QImage::Format_RGBA8888);
    bitmap.setPixelColor(0, 0, QColor(255, 0, 0));
    bitmap.setPixelColor(1, 0, QColor(10, 20, 30));
    graphics::Image picture(bitmap, 2.0, graphics::ImageOrientation::Right);

    auto filtered = filter->imageByFilteringImage(picture);
    ASSERT_FALSE(filtered.isNull());
    EXPECT_EQ(filtered.scale(), 2.0);
    EXPECT_EQ(filtered.orientation(), graphics::ImageOrientation::Right);
    EXPECT_EQ(filtered.pixelAt(0, 0), (graphics::RGBA{0, 255, 255, 255}));
    EXPECT_EQ(filtered.pixelAt(1, 0), (graphics::RGBA{245, 235, 225, 255}));
    EXPECT_TRUE(filter->targets().empty());

    EXPECT_TRUE(filter->newCGImageByFilteringCGImage(graphics::Image()).isNull());  // empty picture
    auto source = std::make_shared<GPUImageRawDataInput>(nullptr, Size{1, 1});      // no target side
    EXPECT_TRUE(source->newCGImageByFilteringImage(picture).isNull());
}

}  // namespace
