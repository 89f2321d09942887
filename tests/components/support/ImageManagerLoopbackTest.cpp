// The image manager, its view categories and the prefetcher over real
// downloads from a loopback server.

#include "components/support/ManagedImageDownload.h"
#include "components/support/SDWebImageManager.h"
#include "components/support/SDWebImagePrefetcher.h"
#include "components/support/UIImageView_WebCache.h"
#include "platform/foundation/RunLoop.h"
#include "support/LoopbackHttpServer.h"
#include "support/Pictures.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

namespace {

using support::SDWebImageManager;
using testsupport::HttpReply;
using testsupport::ReleasedBody;

struct Outcome : support::SDWebImageManagerDelegate {
    int finished = 0, failed = 0;
    std::optional<foundation::Error> error;
    void webImageManagerDidFinishWithImage(SDWebImageManager&, const graphics::Image&) override { ++finished; }
    void webImageManagerDidFailWithError(SDWebImageManager&, const std::optional<foundation::Error>& e) override {
        ++failed;
        error = e;
    }
};

class ImageManagerLoopbackTest : public ::testing::Test {
protected:
    ImageManagerLoopbackTest() { SDWebImageManager::setSharedManager(manager); }
    ~ImageManagerLoopbackTest() override {
        manager->cancelAll();
        SDWebImageManager::setSharedManager(nullptr);
    }
    bool runUntil(const std::function<bool()>& condition) {
        return foundation::RunLoop::main().runUntil(condition, 60);
    }
    size_t requestsFor(const std::string& path) const {
        size_t count = 0;
        for (const auto& exchange : server.requests()) count += exchange.path == path;
        return count;
    }
    std::string jpegText() const {
        auto bytes = *picture.jpegData(0.9);
        return std::string(bytes.begin(), bytes.end());
    }

    testsupport::VirtualClockScope clock;
    testsupport::TempAppFolders folders;
    testsupport::LoopbackHttpServer server;
    std::unique_ptr<support::SDImageCache> cache = std::make_unique<support::SDImageCache>();
    std::shared_ptr<SDWebImageManager> manager = SDWebImageManager::create(*cache, support::startManagedImageDownload);
    const graphics::Image picture = testsupport::quadrantsImage(48, 32);
};

TEST_F(ImageManagerLoopbackTest, TwoViewsShareADownloadAndCancellingOneKeepsIt) {
    auto body = std::make_shared<ReleasedBody>();
    const std::string jpeg = jpegText();
    server.reply("GET", "/shared.jpg", HttpReply::inPieces(body, jpeg.size(), "image/jpeg"));
    auto first = std::make_shared<ui::ImageView>(), second = std::make_shared<ui::ImageView>();
    const graphics::Image placeholder = graphics::Image::filled(2, 2, {9, 9, 9, 255});
    UIImageView_WebCache::setImageWithURL(*first, server.url("/shared.jpg"), placeholder);
    UIImageView_WebCache::setImageWithURL(*second, server.url("/shared.jpg"), placeholder);
    ASSERT_TRUE(runUntil([&] { return manager->waitingRequestCount() == 2; }));
    EXPECT_EQ(manager->downloadCount(), 1u);
    // The server's side posts nothing to the main loop: wait for it directly.
    ASSERT_TRUE(server.waitForRequests(1, 60));
    body->release(jpeg.substr(0, jpeg.size() / 2));
    UIImageView_WebCache::cancelCurrentImageLoad(*first);
    EXPECT_EQ(manager->downloadCount(), 1u);
    body->release(jpeg.substr(jpeg.size() / 2));
    body->finish();
    ASSERT_TRUE(runUntil([&] { return second->image().pixelWidth() == 48; }));
    EXPECT_EQ(first->image().pixelWidth(), 2);
    EXPECT_EQ(requestsFor("/shared.jpg"), 1u);
    // Stored: the next view is answered from memory inside the call.
    auto third = std::make_shared<ui::ImageView>();
    UIImageView_WebCache::setImageWithURL(*third, server.url("/shared.jpg"), placeholder);
    EXPECT_EQ(third->image().pixelWidth(), 48);
}

TEST_F(ImageManagerLoopbackTest, ASecondRequestAfterAFailureFetchesAgainUnlessNoPictureCame) {
    server.reply("GET", "/page.jpg", HttpReply{200, "<html>no picture</html>", "text/html"});
    server.reply("GET", "/broken.jpg", HttpReply{500, "oops"});
    struct Case {
        std::string path;
        std::optional<int64_t> code;
        bool listed;
        size_t requestsAfterSecondTry;
    };
    const Case cases[] = {
        {"/page.jpg", std::nullopt, true, 1}, {"/missing.jpg", 404, false, 2}, {"/broken.jpg", 500, false, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        auto outcome = std::make_shared<Outcome>();
        ASSERT_TRUE(manager->downloadWithURL(server.url(c.path), outcome));
        ASSERT_TRUE(runUntil([&] { return outcome->failed == 1; }));
        EXPECT_EQ(outcome->error ? std::optional<int64_t>(outcome->error->code) : std::nullopt, c.code);
        EXPECT_EQ(manager->isFailedURL(server.url(c.path)), c.listed);
        EXPECT_EQ(manager->downloadWithURL(server.url(c.path), outcome), !c.listed);
        ASSERT_TRUE(runUntil([&] { return outcome->failed == (c.listed ? 1 : 2); }));
        EXPECT_EQ(requestsFor(c.path), c.requestsAfterSecondTry);
    }
}

TEST_F(ImageManagerLoopbackTest, PrefetcherWithThreeSlotsFetchesEachAddressOnce) {
    const std::string cached = server.url("/cached.jpg");
    cache->storeImage(picture, cached, false);
    std::vector<std::string> urls = {cached};
    for (int i = 0; i < 4; ++i) {
        std::string path = "/miss" + std::to_string(i) + ".jpg";
        server.reply("GET", path, HttpReply{200, jpegText(), "image/jpeg"});
        urls.push_back(server.url(path));
    }
    auto prefetcher = support::SDWebImagePrefetcher::create(*manager);
    prefetcher->prefetchURLs(urls);
    // The cached address is answered inside the call and its slot refilled.
    EXPECT_EQ(prefetcher->finishedCount(), 1u);
    EXPECT_EQ(prefetcher->requestedCount(), 4u);
    uint64_t mostOutstanding = 0;
    ASSERT_TRUE(runUntil([&] {
        mostOutstanding = std::max(mostOutstanding, prefetcher->requestedCount() - prefetcher->finishedCount());
        return prefetcher->isFinished();
    }));
    EXPECT_EQ(mostOutstanding, 3u);
    EXPECT_EQ(prefetcher->finishedCount(), 5u);
    EXPECT_EQ(prefetcher->skippedCount(), 0u);
    EXPECT_EQ(requestsFor("/cached.jpg"), 0u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(requestsFor("/miss" + std::to_string(i) + ".jpg"), 1u) << i;
    EXPECT_FALSE(cache->imageFromKey(urls[4], false).isNull());
}

}  // namespace
