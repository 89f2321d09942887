#include "app/capture/CaptureScreenRules.h"
#include "app/capture/CaptureScreenTestSupport.h"
#include "platform/foundation/NotFound.h"

#include <gtest/gtest.h>

namespace {

using namespace capturescreen;

TEST(CaptureScreenRules, ZoomCropsTheCentreAndScalesItBackPixelForPixel) {
    EXPECT_EQ(zoomCropRect({1920, 1080}, 2.0), (graphics::Rect{480, 270, 960, 540}));
    EXPECT_EQ(zoomCropRect({1920, 1080}, 1.0), (graphics::Rect{0, 0, 1920, 1080}));

    const graphics::Image picture = capturetest::syntheticPicture();
    // Unzoomed pictures are stored as they came.
    EXPECT_EQ(zoomedPicture(picture, 1.0).bitmap(), picture.bitmap());
    const graphics::Image zoomed = zoomedPicture(picture, 2.0);
    ASSERT_EQ(zoomed.pixelWidth(), 1920);
    ASSERT_EQ(zoomed.pixelHeight(), 1080);
    // Nearest neighbour: every stored pixel is one of the centre's, repeated.
    for (int y = 0; y < 1080; y += 7) {
        for (int x = 0; x < 1920; x += 5) {
            ASSERT_EQ(zoomed.pixelAt(x, y), picture.pixelAt(480 + x / 2, 270 + y / 2)) << x << "," << y;
        }
    }
}

TEST(CaptureScreenRules, ZoomedCropIsTakenFromTheUprightPicture) {
    // A picture stored on its side that shows, upright, the synthetic picture.
    const graphics::Image upright = capturetest::syntheticPicture(960, 540);
    QImage sideways = upright.bitmap().transformed(QTransform().rotate(-90));
    const graphics::Image turned(sideways, 1.0, graphics::ImageOrientation::Right);
    ASSERT_EQ(turned.normalized().bitmap(), upright.bitmap());
    const graphics::Image zoomed = zoomedPicture(turned, 2.0);
    ASSERT_EQ(zoomed.pixelWidth(), 960);
    EXPECT_EQ(zoomed.orientation(), graphics::ImageOrientation::Up);
    for (int y = 0; y < 540; y += 9)
        for (int x = 0; x < 960; x += 11) ASSERT_EQ(zoomed.pixelAt(x, y), upright.pixelAt(240 + x / 2, 135 + y / 2));
}

TEST(CaptureScreenRules, StepsAndRanges) {
    struct Zoom {
        double in, out;
    };
    for (const Zoom& z : {Zoom{7.0, 5.0}, Zoom{0.4, 1.0}, Zoom{2.5, 2.5}, Zoom{5.0, 5.0}})
        EXPECT_EQ(clampZoom(z.in), z.out) << z.in;
    struct Onion {
        float in, out;
    };
    for (const Onion& o :
         {Onion{0.46f, 0.5f}, Onion{0.44f, 0.4f}, Onion{0.05f, 0.1f}, Onion{0.0f, 0.0f}, Onion{0.96f, 1.0f}})
        EXPECT_FLOAT_EQ(snapOnionValue(o.in), o.out) << o.in;
    struct Timer {
        double in;
        int64_t out;
    };
    for (const Timer& t : {Timer{12.4, 10}, Timer{12.5, 15}, Timer{2.4, 0}, Timer{2.5, 5}, Timer{120, 120}})
        EXPECT_EQ(snapTimerSeconds(t.in), t.out) << t.in;
}

TEST(CaptureScreenRules, OnionSkinShowsTheEntryBeforeTheSlot) {
    struct Case {
        std::vector<int32_t> types;  // 0 picture, 1 slot
        int64_t expected;
    };
    const Case cases[] = {
        {{1, 0, 0}, 2},  // slot first: the last entry
        {{0, 1}, 0},    {{0, 0, 1, 0}, 1}, {{1}, foundation::kNotFound}, {{0, 0}, foundation::kNotFound},  // no slot
    };
    for (const Case& c : cases) {
        FrameList list;
        list.removeFrameWithFrameType(Frame::kTypeCaptureSlot);
        for (int32_t type : c.types) list.addFrame(Frame::create(type));
        EXPECT_EQ(onionSkinFrameIndex(list), c.expected) << c.types.size() << " entries";
    }
}

TEST(CaptureScreenRules, TimerLoopDecidesBeepsAndPicturesInSinglePrecision) {
    struct Case {
        int64_t intervalMs;
        float elapsed;
        bool played;
        TimerTick expected;
    };
    const Case cases[] = {
        {3000, 0.0f, false, {0.0f, false, false}},        // no time yet: no beep
        {3000, 0.1f, false, {0.1f / 3.0f, true, false}},  // 3 s: beeps at once
        {2000, 1.9f, false, {0.95f, false, false}},       // under 3 s: never
        {10000, 6.9f, false, {0.69f, false, false}},
        {10000, 7.1f, false, {0.71f, true, false}},
        {10000, 7.2f, true, {0.72f, false, false}},  // once per interval
        {2000, 2.0f, false, {1.0f, false, false}},   // E must pass I
        {2000, 2.0000002f, false, {1.0000001f, false, true}},
        {0, 5.0f, false, {0.0f, false, false}},
    };
    for (const Case& c : cases) {
        const TimerTick tick = timerTick(c.intervalMs, c.elapsed, c.played);
        SCOPED_TRACE(testing::Message() << c.intervalMs << " ms at " << c.elapsed);
        EXPECT_FLOAT_EQ(tick.progress, c.expected.progress);
        EXPECT_EQ(tick.beep, c.expected.beep);
        EXPECT_EQ(tick.capture, c.expected.capture);
    }
    EXPECT_EQ(kLoopInterval, 0.10000000149011612);
}

TEST(CaptureScreenRules, InfoTextCountsFromOneAndNeverFromTheNotFoundIndex) {
    EXPECT_EQ(frameInfoText(1, 3), "0002 / 0003");
    EXPECT_EQ(frameInfoText(0, 1), "0001 / 0001");
    EXPECT_EQ(frameInfoText(foundation::kNotFound, 2), "0003 / 0003");
    EXPECT_EQ(frameInfoText(12344, 12345), "12345 / 12345");
}

}  // namespace
