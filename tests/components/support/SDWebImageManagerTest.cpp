#include "components/support/SDWebImageManager.h"
#include "components/support/SDWebImagePrefetcher.h"
#include "components/support/UIButton_WebCache.h"
#include "components/support/UIImageView_WebCache.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/JpegCodec.h"
#include "support/Pictures.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

namespace {

using support::SDWebImageManager;

// A download the test answers by hand.
struct FakeDownload : support::WebImageDownload {
    std::string address;
    std::any info;
    bool isProgressive = false, lowPriority = false, cancelled = false;
    foundation::Bytes data;
    const std::string& url() const override { return address; }
    const std::any& userInfo() const override { return info; }
    bool progressive() const override { return isProgressive; }
    void setProgressive(bool value) override { isProgressive = value; }
    void setLowPriority(bool value) override { lowPriority = value; }
    const foundation::Bytes& imageData() const override { return data; }
    void cancel() override { cancelled = true; }
};

// Writes down every answer it gets, in order.
struct Recorder : support::SDWebImageManagerDelegate {
    std::vector<std::string> calls;
    void webImageManagerDidProgressWithPartialImageForURL(SDWebImageManager&, const graphics::Image&,
                                                          const std::string& url) override {
        calls.push_back("partial " + url);
    }
    void webImageManagerDidFinishWithImage(SDWebImageManager&, const graphics::Image&) override {
        calls.push_back("finish");
    }
    void webImageManagerDidFinishWithImageForURL(SDWebImageManager&, const graphics::Image&,
                                                 const std::string& url) override {
        calls.push_back("finish " + url);
    }
    void webImageManagerDidFinishWithImageForURLUserInfo(SDWebImageManager&, const graphics::Image&, const std::string&,
                                                         const std::any& info) override {
        calls.push_back("finish info " + (info.has_value() ? std::any_cast<std::string>(info) : std::string("none")));
    }
    void webImageManagerDidFailWithError(SDWebImageManager&, const std::optional<foundation::Error>& error) override {
        calls.push_back(error ? "fail " + std::to_string(error->code) : "fail none");
    }
    void webImageManagerDidFailWithErrorForURL(SDWebImageManager&, const std::optional<foundation::Error>&,
                                               const std::string& url) override {
        calls.push_back("fail " + url);
    }
};

class ImageManagerTest : public ::testing::Test {
protected:
    ImageManagerTest() {
        manager = SDWebImageManager::create(
            *cache, [this](const std::string& url, std::any info, bool low, std::weak_ptr<SDWebImageManager>) {
                auto download = std::make_shared<FakeDownload>();
                download->address = url;
                download->info = std::move(info);
                download->lowPriority = low;
                download->data = jpeg;
                started.push_back(download);
                return download;
            });
        SDWebImageManager::setSharedManager(manager);
    }
    ~ImageManagerTest() override { SDWebImageManager::setSharedManager(nullptr); }

    // The one download started for an address.
    std::shared_ptr<FakeDownload> downloadOf(const std::string& url) {
        std::shared_ptr<FakeDownload> found;
        for (const auto& download : started)
            if (download->address == url) {
                EXPECT_EQ(found, nullptr) << url << " fetched twice";
                found = download;
            }
        return found;
    }
    void finish(const std::string& url, bool withImage = true) {
        auto download = downloadOf(url);
        ASSERT_NE(download, nullptr) << url;
        manager->imageDownloaderDidFinishWithImage(*download, withImage ? picture : graphics::Image());
    }

    testsupport::VirtualClockScope clock;
    testsupport::TempAppFolders folders;
    std::unique_ptr<support::SDImageCache> cache = std::make_unique<support::SDImageCache>();
    foundation::Bytes jpeg = *graphics::jpeg::encode(testsupport::quadrantsImage(16, 8).bitmap(), 0.9);
    graphics::Image picture = *graphics::Image::decode(jpeg);
    std::vector<std::shared_ptr<FakeDownload>> started;
    std::shared_ptr<SDWebImageManager> manager;
    foundation::RunLoop& loop = foundation::RunLoop::main();
};

const std::string kA = "http://127.0.0.1/a.jpg";
const std::string kB = "http://127.0.0.1/b.jpg";

TEST_F(ImageManagerTest, EveryFormInOrderThenTheClosureAndAMemoryHitInsideTheCall) {
    auto recorder = std::make_shared<Recorder>();
    std::vector<bool> cachedFlags;
    auto success = [&](const graphics::Image&, bool cached) { cachedFlags.push_back(cached); };
    EXPECT_TRUE(manager->downloadWithURL(kA, recorder, 0, std::string("u"), success, nullptr));
    EXPECT_TRUE(started.empty());  // the disk is asked first, off the main thread
    loop.runUntilIdle();
    ASSERT_EQ(started.size(), 1u);
    finish(kA);
    EXPECT_EQ(recorder->calls, (std::vector<std::string>{"finish", "finish " + kA, "finish info u"}));
    EXPECT_EQ(cachedFlags, (std::vector<bool>{false}));
    EXPECT_EQ(manager->downloadCount(), 0u);
    loop.runUntilIdle();
    EXPECT_TRUE(foundation::FileManager::defaultManager().fileExists(cache->cachePathForKey(kA)));

    recorder->calls.clear();
    manager->downloadWithURL(kA, recorder, 0, {}, success, nullptr);
    EXPECT_EQ(recorder->calls, (std::vector<std::string>{"finish", "finish " + kA, "finish info none"}));
    EXPECT_EQ(cachedFlags, (std::vector<bool>{false, true}));

    // From disk only: answered once the loop has run.
    cache->clearMemory();
    manager->downloadWithURL(kA, recorder, 0, {}, success, nullptr);
    EXPECT_EQ(cachedFlags.size(), 2u);
    loop.runUntilIdle();
    EXPECT_EQ(cachedFlags, (std::vector<bool>{false, true, true}));
    EXPECT_EQ(started.size(), 1u);
}

TEST_F(ImageManagerTest, SilentEnds) {
    auto recorder = std::make_shared<Recorder>();
    const std::string cases[] = {"", "not an address", "http://h/a b.jpg"};
    for (const auto& url : cases) EXPECT_FALSE(manager->downloadWithURL(url, recorder)) << url;
    EXPECT_FALSE(manager->downloadWithURL(kA, nullptr));
    loop.runUntilIdle();
    EXPECT_TRUE(started.empty());
    EXPECT_TRUE(recorder->calls.empty());
}

TEST_F(ImageManagerTest, NonImagesJoinTheFailedListErrorsDoNot) {
    auto recorder = std::make_shared<Recorder>();
    manager->downloadWithURL(kA, recorder);
    manager->downloadWithURL(kB, recorder);
    loop.runUntilIdle();
    finish(kA, false);
    manager->imageDownloaderDidFailWithError(*downloadOf(kB), foundation::Error("NSURLErrorDomain", 404, ""));
    EXPECT_EQ(recorder->calls, (std::vector<std::string>{"fail none", "fail " + kA, "fail 404", "fail " + kB}));
    EXPECT_TRUE(manager->isFailedURL(kA));
    EXPECT_FALSE(manager->isFailedURL(kB));

    started.clear();
    EXPECT_FALSE(manager->downloadWithURL(kA, recorder));  // ignored for the rest of the process
    EXPECT_TRUE(manager->downloadWithURL(kB, recorder));
    EXPECT_TRUE(manager->downloadWithURLRetryFailed(kA, recorder, true));
    loop.runUntilIdle();
    ASSERT_EQ(started.size(), 2u);
    finish(kA, false);  // with RetryFailed a second failure is not listed again
    EXPECT_EQ(started[0]->address, kB);
}

TEST_F(ImageManagerTest, TwoRequestersShareADownloadAndCancellingOneKeepsIt) {
    auto first = std::make_shared<Recorder>(), second = std::make_shared<Recorder>();
    manager->downloadWithURL(kA, first);
    manager->downloadWithURL(kA, second, support::SDWebImageProgressiveDownload | support::SDWebImageLowPriority);
    loop.runUntilIdle();
    ASSERT_EQ(started.size(), 1u);
    EXPECT_TRUE(started[0]->isProgressive);
    EXPECT_TRUE(started[0]->lowPriority);  // the joining request's bit

    manager->imageDownloaderDidUpdatePartialImage(*started[0], picture);
    EXPECT_EQ(first->calls, (std::vector<std::string>{"partial " + kA}));
    manager->cancelForDelegate(first.get());
    EXPECT_FALSE(started[0]->cancelled);
    finish(kA);
    EXPECT_EQ(first->calls.size(), 1u);
    EXPECT_EQ(second->calls.front(), "partial " + kA);
    EXPECT_EQ(second->calls.back(), "finish info none");

    manager->downloadWithURL(kB, first);
    manager->downloadWithURL(kB, second);
    loop.runUntilIdle();
    manager->cancelForDelegate(first.get());
    manager->cancelForDelegate(second.get());
    EXPECT_TRUE(downloadOf(kB)->cancelled);
    EXPECT_EQ(manager->downloadCount(), 0u);
    manager->imageDownloaderDidFinishWithImage(*downloadOf(kB), graphics::Image());  // late: dropped
    EXPECT_FALSE(manager->isFailedURL(kB));
}

TEST_F(ImageManagerTest, MemoryOnlyPicturesAndTheKeyFilter) {
    manager->setCacheKeyFilter([](const std::string& url) { return url.substr(0, url.find('?')); });
    EXPECT_EQ(manager->cacheKeyForURL(kA + "?token=1"), kA);
    auto recorder = std::make_shared<Recorder>();
    manager->downloadWithURL(kA + "?token=1", recorder, support::SDWebImageCacheMemoryOnly);
    loop.runUntilIdle();
    finish(kA + "?token=1");
    loop.runUntilIdle();
    EXPECT_FALSE(manager->imageWithURL(kA + "?token=2").isNull());
    EXPECT_FALSE(foundation::FileManager::defaultManager().fileExists(cache->cachePathForKey(kA)));
    cache->clearMemory();
    EXPECT_TRUE(manager->imageWithURL(kA).isNull());
}

TEST_F(ImageManagerTest, CancelAllCancelsEveryDownloadAndKeepsTheFailedList) {
    auto recorder = std::make_shared<Recorder>();
    manager->downloadWithURL(kA, recorder);
    loop.runUntilIdle();
    finish(kA, false);
    manager->downloadWithURLRetryFailed(kA, recorder, true);
    manager->downloadWithURL(kB, recorder);
    loop.runUntilIdle();
    manager->cancelAll();
    EXPECT_EQ(manager->downloadCount(), 0u);
    for (size_t i = 1; i < started.size(); ++i) EXPECT_TRUE(started[i]->cancelled);
    EXPECT_TRUE(manager->isFailedURL(kA));
}

TEST_F(ImageManagerTest, AReusedImageViewNeverShowsTheOldPicture) {
    auto view = std::make_shared<ui::ImageView>();
    graphics::Image placeholder = graphics::Image::filled(2, 2, {0, 0, 255, 255});
    UIImageView_WebCache::setImageWithURL(*view, kA, placeholder);
    EXPECT_EQ(view->image().pixelWidth(), 2);
    loop.runUntilIdle();
    UIImageView_WebCache::setImageWithURL(*view, kB, placeholder);
    EXPECT_TRUE(downloadOf(kA)->cancelled);
    loop.runUntilIdle();
    manager->imageDownloaderDidFinishWithImage(*downloadOf(kA), picture);
    EXPECT_EQ(view->image().pixelWidth(), 2);
    finish(kB);
    EXPECT_EQ(view->image().pixelWidth(), 16);

    // Two views share a download; one cancelled, the other still gets it.
    const std::string kC = "http://127.0.0.1/c.jpg";
    auto other = std::make_shared<ui::ImageView>();
    UIImageView_WebCache::setImageWithURL(*view, kC);
    UIImageView_WebCache::setImageWithURL(*other, kC);
    loop.runUntilIdle();
    UIImageView_WebCache::cancelCurrentImageLoad(*view);
    EXPECT_FALSE(downloadOf(kC)->cancelled);
    finish(kC);
    EXPECT_TRUE(view->image().isNull());
    EXPECT_EQ(other->image().pixelWidth(), 16);
    UIImageView_WebCache::setImageWithURL(*view, "", placeholder);
    EXPECT_EQ(view->image().pixelWidth(), 2);
}

TEST_F(ImageManagerTest, ButtonImagesAndBackgroundsForThreeStates) {
    auto button = std::make_shared<ui::Button>();
    graphics::Image placeholder = graphics::Image::filled(2, 2, {0, 0, 255, 255});
    UIButton_WebCache::setBackgroundImageWithURL(*button, kA, placeholder);
    for (unsigned state : {ui::ControlStateNormal, ui::ControlStateSelected, ui::ControlStateHighlighted})
        EXPECT_EQ(button->backgroundImageForState(state).pixelWidth(), 2);
    loop.runUntilIdle();
    finish(kA);
    for (unsigned state : {ui::ControlStateNormal, ui::ControlStateSelected, ui::ControlStateHighlighted}) {
        EXPECT_EQ(button->backgroundImageForState(state).pixelWidth(), 16) << state;
        EXPECT_TRUE(button->imageForState(state).isNull()) << state;
    }
    UIButton_WebCache::setImageWithURL(*button, kA);  // a memory hit, shown at once
    EXPECT_EQ(button->imageForState(ui::ControlStateSelected).pixelWidth(), 16);
}

TEST_F(ImageManagerTest, PrefetcherFetchesEachOnceWithThreeSlots) {
    const std::string cached = "http://127.0.0.1/cached.jpg";
    cache->storeImage(picture, cached, false);
    std::vector<std::string> urls = {cached};
    for (int i = 0; i < 4; ++i) urls.push_back("http://127.0.0.1/miss" + std::to_string(i) + ".jpg");
    auto prefetcher = support::SDWebImagePrefetcher::create(*manager);
    prefetcher->prefetchURLs(urls);
    EXPECT_EQ(prefetcher->finishedCount(), 1u);
    EXPECT_EQ(prefetcher->requestedCount(), 4u);
    loop.runUntilIdle();
    EXPECT_EQ(started.size(), 3u);
    for (const std::string& url : {urls[1], urls[2], urls[3]}) {
        finish(url);
        loop.runUntilIdle();
        EXPECT_LE(prefetcher->requestedCount() - prefetcher->finishedCount(), 3u);
    }
    finish(urls[4]);
    EXPECT_TRUE(prefetcher->isFinished());
    EXPECT_EQ(prefetcher->skippedCount(), 0u);
    for (const auto& download : started) EXPECT_TRUE(download->lowPriority);
}

TEST_F(ImageManagerTest, PrefetcherCountsDroppedAndFailedAddressesAsSkipped) {
    auto recorder = std::make_shared<Recorder>();
    manager->downloadWithURL(kA, recorder);
    loop.runUntilIdle();
    finish(kA, false);  // now on the failed list
    started.clear();
    auto prefetcher = support::SDWebImagePrefetcher::create(*manager);
    prefetcher->setMaxConcurrentDownloads(1);
    prefetcher->prefetchURLs({kA, "not an address", kB, "http://127.0.0.1/d.jpg"});
    loop.runUntilIdle();
    EXPECT_EQ(prefetcher->skippedCount(), 2u);
    ASSERT_EQ(started.size(), 1u);
    manager->imageDownloaderDidFailWithError(*started[0], foundation::Error("NSURLErrorDomain", 500, ""));
    loop.runUntilIdle();
    ASSERT_EQ(started.size(), 2u);
    finish("http://127.0.0.1/d.jpg");
    EXPECT_TRUE(prefetcher->isFinished());
    EXPECT_EQ(prefetcher->skippedCount(), 3u);
    prefetcher->cancelPrefetching();
    EXPECT_EQ(prefetcher->finishedCount(), 0u);
    EXPECT_TRUE(prefetcher->prefetchURLs().empty());
}

}  // namespace
