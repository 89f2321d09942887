#include "components/support/SDImageCache.h"
#include "components/support/ScaledImageForKey.h"
#include "components/support/UIImage_ForceDecode.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/DispatchSemaphore.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/ui/host/Application.h"
#include "support/Pictures.h"
#include "support/Process.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {

using support::SDImageCache;

foundation::Bytes jpegOf(int width, int height) {
    return *graphics::jpeg::encode(testsupport::quadrantsImage(width, height).bitmap(), 0.9);
}

// Counts the answers of disk queries and keeps the last one.
struct RecordingDelegate : support::SDImageCacheDelegate {
    int found = 0, notFound = 0;
    graphics::Image image;
    std::optional<std::string> key;  // of the last answer
    void imageCacheDidFindImage(SDImageCache&, const graphics::Image& anImage, const std::string& aKey,
                                const std::any&) override {
        ++found;
        image = anImage;
        key = aKey;
    }
    void imageCacheDidNotFindImageForKey(SDImageCache&, const std::string& aKey, const std::any&) override {
        ++notFound;
        key = aKey;
    }
};

class ImageCacheTest : public ::testing::Test {
protected:
    testsupport::VirtualClockScope clock;
    testsupport::TempAppFolders folders;
    std::unique_ptr<SDImageCache> cache = std::make_unique<SDImageCache>();
    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
    foundation::RunLoop& loop = foundation::RunLoop::main();
    foundation::FileManager& files = foundation::FileManager::defaultManager();
};

TEST_F(ImageCacheTest, FolderIsImageCacheInTheCachesFolderAndNamesArePythonMd5) {
    EXPECT_EQ(cache->diskCachePath(), folders.root() + "/cache/tollivar/ImageCache");
    EXPECT_TRUE(files.fileExists(cache->diskCachePath()));
    const std::vector<std::string> keys = {"", "http://example.com/a.jpg", "https://h/p?q=1&r=%20#f",
                                           "http://example.com/caf\xc3\xa9@2x.png", std::string(5000, 'k')};
    std::ostringstream script;
    script << "import hashlib, sys\nfor k in sys.argv[1:]: print(hashlib.md5(k.encode('utf-8')).hexdigest())\n";
    auto python = testsupport::runPython(script.str(), keys);
    ASSERT_EQ(python.exitCode, 0) << python.output;
    std::string expected;
    for (const auto& key : keys) {
        expected += support::cacheFileNameForKey(key) + "\n";
        EXPECT_EQ(cache->cachePathForKey(key), cache->diskCachePath() + "/" + support::cacheFileNameForKey(key));
    }
    EXPECT_EQ(python.output, expected);
}

TEST(ScaledImageForKey, TwoXRule) {
    struct Case {
        const char* key;
        double scale;
    };
    const Case cases[] = {
        {"http://h/a@2x.png", 2.0},
        {"http://h/a@2x.jpeg", 2.0},
        {"http://h/a@2x.p", 1.0},
        {"http://h/a@2x.pn", 1.0},
        {"http://h/a@2x.jpegs", 1.0},
        {"@2x.png", 1.0},
        {"a@2x.png", 2.0},
        {"http://h/a.png", 1.0},
        {"http://h/a@2x.png?x=1", 1.0},
        {"http://h/@2x.tiff", 2.0},
        {"", 1.0},
    };
    auto data = jpegOf(8, 6);
    for (const Case& c : cases) {
        EXPECT_EQ(support::imageScaleForKey(c.key), c.scale) << c.key;
        graphics::Image image = support::scaledImageForKey(c.key, data);
        ASSERT_FALSE(image.isNull()) << c.key;
        EXPECT_EQ(image.scale(), c.scale) << c.key;
        EXPECT_EQ(image.size().width, 8 / c.scale) << c.key;
    }
    EXPECT_TRUE(support::scaledImageForKey("a@2x.png", foundation::Bytes{}).isNull());
    EXPECT_TRUE(support::scaledImageForKey("a@2x.png", graphics::Image()).isNull());
}

TEST(ForceDecode, RedrawsUprightKeepingScaleAndOpacity) {
    graphics::Image wide = testsupport::quadrantsImage(40, 20).withScale(2.0);
    graphics::Image turned =
        UIImage_ForceDecode::decodedImageWithImage(wide.withOrientation(graphics::ImageOrientation::Right));
    EXPECT_EQ(turned.pixelWidth(), 20);
    EXPECT_EQ(turned.pixelHeight(), 40);
    EXPECT_EQ(turned.scale(), 2.0);
    EXPECT_EQ(turned.orientation(), graphics::ImageOrientation::Up);
    EXPECT_FALSE(UIImage_ForceDecode::decodedImageWithImage(*graphics::Image::decode(jpegOf(8, 8))).hasAlpha());
    graphics::Image clear = graphics::Image::filled(4, 4, {10, 20, 30, 0});
    EXPECT_EQ(UIImage_ForceDecode::decodedImageWithImage(clear).pixelAt(1, 1).a, 0);
    EXPECT_TRUE(UIImage_ForceDecode::decodedImageWithImage(graphics::Image()).isNull());
}

TEST_F(ImageCacheTest, DiskHitAnswersAfterTheLoopRunsAndTheNextAtOnce) {
    const std::string key = "http://example.com/pic@2x.jpg";
    auto data = jpegOf(32, 16);
    cache->storeImage(*graphics::Image::decode(data), data, key, true);
    loop.runUntilIdle();
    EXPECT_EQ(testsupport::readFileBytes(cache->cachePathForKey(key)), std::string(data.begin(), data.end()));
    cache->clearMemory();

    cache->queryDiskCacheForKey(key, delegate, std::string("info"));
    EXPECT_EQ(delegate->found, 0);
    loop.runUntilIdle();
    ASSERT_EQ(delegate->found, 1);
    EXPECT_EQ(delegate->image.scale(), 2.0);
    EXPECT_EQ(delegate->image.size(), (graphics::Size{16, 8}));
    cache->queryDiskCacheForKey(key, delegate);
    EXPECT_EQ(delegate->found, 2);  // a memory hit, answered inside the call

    cache->queryDiskCacheForKey("", delegate);
    EXPECT_EQ(delegate->notFound, 1);
    EXPECT_EQ(delegate->key, "");
    cache->queryDiskCacheForKey(key, nullptr);  // dropped without a crash
}

TEST_F(ImageCacheTest, FilesThatMakeNoPictureAreNotFound) {
    auto jpeg = jpegOf(16, 16);
    foundation::Bytes truncated(jpeg.begin(), jpeg.begin() + jpeg.size() / 2);
    // The same stream claiming 30000 x 30000 pixels in its frame header.
    foundation::Bytes huge = jpeg;
    for (size_t i = 0; i + 8 < huge.size(); ++i)
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
            huge[i + 5] = 30000 >> 8, huge[i + 6] = 30000 & 0xFF, huge[i + 7] = 30000 >> 8, huge[i + 8] = 30000 & 0xFF;
            break;
        }
    ASSERT_NE(huge, jpeg);
    const std::pair<std::string, foundation::Bytes> cases[] = {
        {"text", {'<', 'h', 't', 'm', 'l', '>'}}, {"truncated", truncated}, {"huge", huge}, {"empty", {}}};
    for (const auto& [key, bytes] : cases) {
        ASSERT_TRUE(foundation::writeFileAtomically(cache->cachePathForKey(key), bytes));
        EXPECT_TRUE(cache->imageFromKey(key).isNull()) << key;
        cache->queryDiskCacheForKey(key, delegate);
        loop.runUntilIdle();
        EXPECT_EQ(delegate->key, key);
    }
    EXPECT_EQ(delegate->notFound, 4);
    EXPECT_EQ(delegate->found, 0);
    EXPECT_EQ(cache->memoryCache().count(), 0u);
    EXPECT_TRUE(cache->imageFromKey("never stored").isNull());
}

TEST_F(ImageCacheTest, ClearMemoryDropsAPendingWrite) {
    graphics::Image image = testsupport::quadrantsImage(8, 8);
    for (bool clear : {true, false}) {
        foundation::DispatchSemaphore release;
        cache->cacheInQueue().async([release]() mutable { release.wait(); });
        cache->storeImage(image, "k", true);
        if (clear) cache->clearMemory();
        release.signal();
        loop.runUntilIdle();
        EXPECT_EQ(files.fileExists(cache->cachePathForKey("k")), !clear);
    }
    // Without data the picture is stored as JPEG: a transparent PNG comes back opaque.
    graphics::Image clear = graphics::Image::filled(6, 6, {200, 0, 0, 0});
    cache->storeImage(clear, *clear.pngData(), "png", true);
    cache->storeImage(clear, "png", true);  // the last write wins
    loop.runUntilIdle();
    std::string stored = testsupport::readFileBytes(cache->cachePathForKey("png"));
    ASSERT_GE(stored.size(), 2u);
    EXPECT_EQ(stored.substr(0, 2), "\xFF\xD8");
    cache->clearMemory();
    graphics::Image back = cache->imageFromKey("png");
    EXPECT_FALSE(back.hasAlpha());
    EXPECT_EQ(cache->memoryCache().count(), 1u);  // a disk find enters memory
}

TEST_F(ImageCacheTest, CleanDiskDeletesAtExactlyTheMaximumAgeAndKeepsASecondNewer) {
    const foundation::Date now = foundation::Date::fromUnixTime(1800000000);
    ASSERT_TRUE(files.createDirectory(cache->diskCachePath() + "/sub", true));
    struct Case {
        std::string name;
        double age;
        bool kept;
    };
    const Case cases[] = {{"exact", 604800, false},
                          {"newer", 604799, true},
                          {"older", 604801, false},
                          {"sub/exact", 604800, false},
                          {"sub/new", 0, true}};
    for (const Case& c : cases) {
        std::string path = cache->diskCachePath() + "/" + c.name;
        ASSERT_TRUE(foundation::writeFileAtomically(path, std::string_view("x")));
        ASSERT_TRUE(files.setModificationDate(path, foundation::Date{now.sinceReferenceDate - c.age}));
    }
    ASSERT_TRUE(files.setModificationDate(cache->diskCachePath() + "/sub", now));
    cache->cleanDisk(now);
    for (const Case& c : cases) EXPECT_EQ(files.fileExists(cache->diskCachePath() + "/" + c.name), c.kept) << c.name;
    EXPECT_EQ(cache->getDiskCount(), 3);  // "newer", "sub", "sub/new"
    EXPECT_EQ(cache->getSize(), 2 + int32_t(files.attributesOfItem(cache->diskCachePath() + "/sub")->size));

    SDImageCache::setMaxCacheAge(10);
    cache->cleanDisk(foundation::Date{now.sinceReferenceDate + 10});
    SDImageCache::setMaxCacheAge(604800);
    EXPECT_FALSE(files.fileExists(cache->diskCachePath() + "/sub/new"));
}

TEST_F(ImageCacheTest, ApplicationNotificationsEmptyMemoryAndCleanTheDisk) {
    auto& center = foundation::NotificationCenter::defaultCenter();
    for (const char* name :
         {ui::Application::DidReceiveMemoryWarningNotification, ui::Application::DidEnterBackgroundNotification}) {
        cache->storeImage(testsupport::quadrantsImage(4, 4), "k", false);
        ASSERT_EQ(cache->memoryCache().count(), 1u);
        center.post(name);
        EXPECT_EQ(cache->memoryCache().count(), 0u) << name;
    }
    std::string old = cache->diskCachePath() + "/old";
    ASSERT_TRUE(foundation::writeFileAtomically(old, std::string_view("x")));
    ASSERT_TRUE(files.setModificationDate(old, foundation::Date::fromUnixTime(1000)));
    center.post(ui::Application::WillTerminateNotification);
    EXPECT_FALSE(files.fileExists(old));
}

TEST_F(ImageCacheTest, RemoveAndClearDisk) {
    graphics::Image image = testsupport::quadrantsImage(4, 4);
    for (const char* key : {"a", "b"}) cache->storeImage(image, key, true);
    loop.runUntilIdle();
    cache->removeImageForKey("a", false);
    EXPECT_TRUE(cache->imageFromKey("a", false).isNull());
    EXPECT_FALSE(cache->imageFromKey("a").isNull());  // still on disk
    cache->removeImageForKey("a");
    EXPECT_TRUE(cache->imageFromKey("a").isNull());
    cache->clearDisk();
    EXPECT_EQ(cache->getDiskCount(), 0);
    EXPECT_TRUE(files.fileExists(cache->diskCachePath()));
    EXPECT_FALSE(cache->imageFromKey("b", false).isNull());  // memory kept
}

TEST(ImageMemoryCache, EvictsLeastRecentlyUsedBeyondTheCostLimit) {
    support::ImageMemoryCache memory("ImageCache", 100);
    graphics::Image image = graphics::Image::filled(2, 2, {1, 2, 3, 255});
    memory.setObject("a", image, 40);
    memory.setObject("b", image, 40);
    EXPECT_FALSE(memory.objectForKey("a").isNull());  // "a" is now the newer
    memory.setObject("c", image, 40);
    EXPECT_TRUE(memory.objectForKey("b").isNull());
    EXPECT_EQ(memory.totalCost(), 80u);
    memory.setObject("a", image, 10);  // replacing keeps the total right
    EXPECT_EQ(memory.totalCost(), 50u);
    memory.setObject("big", image, 101);  // too large to keep at all
    EXPECT_TRUE(memory.objectForKey("big").isNull());
    EXPECT_EQ(memory.count(), 2u);
    memory.setTotalCostLimit(20);
    EXPECT_EQ(memory.count(), 1u);
    EXPECT_FALSE(memory.objectForKey("a").isNull());
}

TEST_F(ImageCacheTest, MemoryCostIsAreaInPointsTimesScale) {
    cache->storeImage(testsupport::quadrantsImage(40, 20).withScale(2.0), "k", false);
    EXPECT_EQ(cache->memoryCache().totalCost(), 20u * 10u * 2u);
}

}  // namespace
