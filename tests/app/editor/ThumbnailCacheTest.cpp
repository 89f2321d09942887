#include "EditorViewsSupport.h"
#include "app/core/KWImageProducer.h"
#include "app/editor/ThumbnailCache.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/JpegCodec.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace {

class ThumbnailCacheTest : public ::testing::Test {
protected:
    testsupport::TempAppFolders folders;
    testsupport::VirtualClockScope clock;
    foundation::RunLoop& loop = foundation::RunLoop::main();
};

TEST_F(ThumbnailCacheTest, DecodesOffTheMainThreadAtTheSmallestCoveringScale) {
    auto project = viewstest::projectOfPictures(2);
    const FramePtr frame = project->getFrameList()->getFrameAtIndex(1);
    ThumbnailCache cache(project);
    struct Case {
        int width, height;
        int decodedWidth, decodedHeight;  // of the 272 x 153 thumbnail file
    };
    const uint64_t mainDecodes = graphics::jpeg::decodeCountOnThisThread();
    for (const Case& c : {Case{70, 50, 136, 77}, Case{105, 75, 136, 77}, Case{140, 100, 272, 153}, Case{44, 25, 68, 39},
                          Case{30, 16, 34, 20}}) {
        EXPECT_EQ(cache.cachedImage(frame, c.width, c.height), std::nullopt);
        graphics::Image delivered;
        cache.requestImage(frame, c.width, c.height, [&](const graphics::Image& image) { delivered = image; });
        EXPECT_TRUE(delivered.isNull());  // never within the request
        loop.runUntilIdle();
        EXPECT_EQ(delivered.pixelWidth(), c.decodedWidth) << c.width << "x" << c.height;
        EXPECT_EQ(delivered.pixelHeight(), c.decodedHeight) << c.width << "x" << c.height;
        EXPECT_TRUE(viewstest::showsColour(delivered, viewstest::colourOf(1)));
        ASSERT_TRUE(cache.cachedImage(frame, c.width, c.height));
    }
    EXPECT_EQ(graphics::jpeg::decodeCountOnThisThread(), mainDecodes);
}

TEST_F(ThumbnailCacheTest, BoundedInBytesDroppingTheLeastRecentlyUsed) {
    auto project = viewstest::projectOfPictures(6);
    auto list = project->getFrameList();
    const size_t oneThumbnail = 136 * 77 * 4;
    ThumbnailCache cache(project, 3 * oneThumbnail);
    auto load = [&](int64_t index) {
        cache.requestImage(list->getFrameAtIndex(index), 70, 50, [](const graphics::Image&) {});
        loop.runUntilIdle();
    };
    for (int64_t i = 0; i < 3; ++i) load(i);
    EXPECT_EQ(cache.byteCount(), 3 * oneThumbnail);
    ASSERT_TRUE(cache.cachedImage(list->getFrameAtIndex(0), 70, 50));  // 0 is now the most recent
    for (int64_t i = 3; i < 6; ++i) {
        load(i);
        EXPECT_LE(cache.byteCount(), cache.byteLimit());
    }
    std::string kept;
    for (int64_t i = 0; i < 6; ++i) kept += cache.cachedImage(list->getFrameAtIndex(i), 70, 50) ? 'y' : 'n';
    EXPECT_EQ(kept, "nnnyyy");
    load(3);
    EXPECT_EQ(cache.imageCount(), 3u);
    // A picture larger than the whole bound is delivered but not kept.
    ThumbnailCache tiny(project, 100);
    bool delivered = false;
    tiny.requestImage(list->getFrameAtIndex(0), 70, 50,
                      [&](const graphics::Image& image) { delivered = !image.isNull(); });
    loop.runUntilIdle();
    EXPECT_TRUE(delivered);
    EXPECT_EQ(tiny.byteCount(), 0u);
}

TEST_F(ThumbnailCacheTest, SharedDecodesInvalidationMissingFilesAndEffects) {
    auto project = viewstest::projectOfPictures(2);
    auto list = project->getFrameList();
    const FramePtr frame = list->getFrameAtIndex(0);
    ThumbnailCache cache(project);
    int deliveries = 0;
    for (int i = 0; i < 3; ++i) cache.requestImage(frame, 70, 50, [&](const graphics::Image&) { ++deliveries; });
    EXPECT_EQ(cache.pendingCount(), 1u);
    loop.runUntilIdle();
    EXPECT_EQ(deliveries, 3);

    // New pictures for the frame: invalidated, the next request decodes them.
    KWImageProducer producer(project);
    ASSERT_TRUE(producer.storeImage(graphics::Image::filled(320, 180, viewstest::colourOf(7)), frame->frameID()).ok());
    EXPECT_TRUE(viewstest::showsColour(*cache.cachedImage(frame, 70, 50), viewstest::colourOf(0)));
    cache.invalidate(frame);
    EXPECT_EQ(cache.cachedImage(frame, 70, 50), std::nullopt);
    graphics::Image image;
    cache.requestImage(frame, 70, 50, [&](const graphics::Image& decoded) { image = decoded; });
    loop.runUntilIdle();
    EXPECT_TRUE(viewstest::showsColour(image, viewstest::colourOf(7)));

    // A frame without files shows the placeholder.
    auto bare = Frame::create(Frame::kTypePicture);
    graphics::Image placeholder;
    cache.requestImage(bare, 70, 50, [&](const graphics::Image& decoded) { placeholder = decoded; });
    loop.runUntilIdle();
    EXPECT_FALSE(placeholder.isNull());
    EXPECT_FALSE(viewstest::showsColour(placeholder, viewstest::colourOf(0)));

    // The movie effect is part of the picture: grey after switching to effect 1.
    project->getMetaData()->set(projectkeys::kMovieFilter, foundation::Value(1));
    EXPECT_EQ(cache.cachedImage(frame, 70, 50), std::nullopt);
    cache.requestImage(frame, 70, 50, [&](const graphics::Image& decoded) { image = decoded; });
    loop.runUntilIdle();
    const auto centre = image.pixelAt(image.pixelWidth() / 2, image.pixelHeight() / 2);
    EXPECT_NEAR(centre.r, centre.g, 3);
    EXPECT_NEAR(centre.g, centre.b, 3);

    // A cache that went away delivers nothing.
    bool late = false;
    {
        ThumbnailCache shortLived(project);
        shortLived.requestImage(list->getFrameAtIndex(1), 70, 50, [&](const graphics::Image&) { late = true; });
    }
    loop.runUntilIdle();
    EXPECT_FALSE(late);
}

TEST_F(ThumbnailCacheTest, ManyRequestsAtOnceAreEachAnsweredOnceWithTheirOwnPicture) {
    // More decodes than the decoding tasks take at once and than they hand
    // back at a time.
    auto project = viewstest::projectOfPictures(6);
    auto list = project->getFrameList();
    ThumbnailCache cache(project);
    std::map<std::pair<int64_t, int>, int> answers;
    for (int width = 20; width < 140; width += 10)
        for (int64_t i = 0; i < 6; ++i)
            cache.requestImage(list->getFrameAtIndex(i), width, width * 9 / 16, [&, i, width](const graphics::Image& image) {
                ++answers[{i, width}];
                EXPECT_GE(image.pixelWidth(), width);
                EXPECT_TRUE(viewstest::showsColour(image, viewstest::colourOf(i))) << i << " at " << width;
            });
    EXPECT_EQ(cache.pendingCount(), 72u);
    loop.runUntilIdle();
    EXPECT_EQ(answers.size(), 72u);
    for (const auto& [request, count] : answers) EXPECT_EQ(count, 1) << request.first << " at " << request.second;
    EXPECT_EQ(cache.pendingCount(), 0u);
}

TEST_F(ThumbnailCacheTest, ABurstOfDecodesReachesEachAskerUntilADeliveryDestroysTheCache) {
    auto project = viewstest::projectOfPictures(6);
    auto list = project->getFrameList();
    for (const int stopAfter : {6, 2}) {
        SCOPED_TRACE(stopAfter);
        auto cache = std::make_unique<ThumbnailCache>(project);
        std::vector<int64_t> delivered;
        for (int64_t i = 0; i < 6; ++i)
            cache->requestImage(list->getFrameAtIndex(i), 70, 50, [&, i](const graphics::Image& image) {
                EXPECT_TRUE(viewstest::showsColour(image, viewstest::colourOf(i))) << i;
                delivered.push_back(i);
                if (int(delivered.size()) == stopAfter) cache.reset();
            });
        loop.runUntilIdle();
        EXPECT_EQ(delivered.size(), size_t(stopAfter));
        std::sort(delivered.begin(), delivered.end());
        EXPECT_EQ(std::adjacent_find(delivered.begin(), delivered.end()), delivered.end());
        if (cache) {
            EXPECT_EQ(cache->imageCount(), 6u);
        }
    }
}

}  // namespace
