// The image manager over real downloads from a loopback server.

#include "components/support/ManagedImageDownload.h"
#include "components/support/SDWebImageManager.h"
#include "platform/foundation/RunLoop.h"
#include "support/LoopbackHttpServer.h"
#include "support/Pictures.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

using support::SDWebImageManager;
using testsupport::HttpReply;
using testsupport::ReleasedBody;

namespace {

struct Requester : support::SDWebImageManagerDelegate {
    std::vector<std::string> answers;
    int partials = 0;
    void webImageManagerDidProgressWithPartialImageForURL(SDWebImageManager&, const graphics::Image&,
                                                          const std::string&) override {
        ++partials;
    }
    void webImageManagerDidFinishWithImage(SDWebImageManager&, const graphics::Image& image) override {
        answers.push_back("image " + std::to_string(image.pixelWidth()));
    }
    void webImageManagerDidFailWithError(SDWebImageManager&, const std::optional<foundation::Error>& error) override {
        answers.push_back(error ? "fail " + std::to_string(error->code) : "fail none");
    }
};

class ManagedImageDownloadTest : public ::testing::Test {
protected:
    bool runUntil(const std::function<bool()>& condition) {
        return foundation::RunLoop::main().runUntil(condition, 60);
    }

    testsupport::VirtualClockScope clock_;
    testsupport::TempAppFolders folders_;
    testsupport::LoopbackHttpServer server_;
    support::SDImageCache cache_;
    std::shared_ptr<SDWebImageManager> manager_ = SDWebImageManager::create(cache_, support::startManagedImageDownload);
    const graphics::Image picture_ = testsupport::quadrantsImage(40, 30);
};

}  // namespace

TEST_F(ManagedImageDownloadTest, NonImagesJoinTheFailedListHttpErrorsDoNot) {
    const auto jpeg = *picture_.jpegData(0.9);
    server_.reply("GET", "/a.jpg", HttpReply{200, std::string(jpeg.begin(), jpeg.end()), "image/jpeg"});
    server_.reply("GET", "/page.html", HttpReply{200, "<html></html>", "text/html"});
    server_.reply("GET", "/broken.jpg", HttpReply{500, "oops"});
    struct Case {
        std::string path, answer;
        bool failedListed, cached;
    };
    for (const Case& c : {Case{"/a.jpg", "image 40", false, true}, Case{"/page.html", "fail none", true, false},
                          Case{"/gone.jpg", "fail 404", false, false}, Case{"/broken.jpg", "fail 500", false, false}}) {
        SCOPED_TRACE(c.path);
        auto requester = std::make_shared<Requester>();
        ASSERT_TRUE(manager_->downloadWithURL(server_.url(c.path), requester));
        ASSERT_TRUE(runUntil([&] { return !requester->answers.empty(); }));
        EXPECT_EQ(requester->answers, std::vector<std::string>{c.answer});
        EXPECT_EQ(manager_->isFailedURL(server_.url(c.path)), c.failedListed);
        EXPECT_EQ(!cache_.imageFromKey(server_.url(c.path), false).isNull(), c.cached);
        EXPECT_EQ(manager_->downloadCount(), 0u);
    }
}

TEST_F(ManagedImageDownloadTest, TwoRequestersShareOneDownloadAndCancellingOneKeepsIt) {
    const auto jpeg = testsupport::progressiveJpeg(picture_);
    auto pieces = std::make_shared<ReleasedBody>();
    server_.reply("GET", "/shared.jpg", HttpReply::inPieces(pieces, jpeg.size(), "image/jpeg"));
    auto first = std::make_shared<Requester>(), second = std::make_shared<Requester>(),
         leaving = std::make_shared<Requester>();
    const std::string url = server_.url("/shared.jpg");
    for (const auto& requester : {first, second, leaving})
        manager_->downloadWithURL(url, requester, support::SDWebImageProgressiveDownload);
    pieces->release(std::string(jpeg.begin(), jpeg.begin() + jpeg.size() * 3 / 4));
    ASSERT_TRUE(runUntil([&] { return first->partials > 0 && second->partials > 0; }));
    manager_->cancelForDelegate(leaving.get());
    pieces->release(std::string(jpeg.begin() + jpeg.size() * 3 / 4, jpeg.end()));
    ASSERT_TRUE(runUntil([&] { return !first->answers.empty() && !second->answers.empty(); }));

    EXPECT_EQ(first->answers, std::vector<std::string>{"image 40"});
    EXPECT_EQ(second->answers, std::vector<std::string>{"image 40"});
    EXPECT_TRUE(leaving->answers.empty());
    EXPECT_EQ(server_.requestCount(), 1u);
}
