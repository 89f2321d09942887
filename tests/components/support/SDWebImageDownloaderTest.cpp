#include "components/support/SDWebImageDownloader.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/URLError.h"
#include "support/LoopbackHttpServer.h"
#include "support/Pictures.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

using foundation::Bytes;
using foundation::RunLoop;
using graphics::Image;
using support::SDWebImageDownloader;
using testsupport::HttpReply;
using testsupport::ReleasedBody;

namespace {

constexpr int kWidth = 96, kHeight = 80;

std::string text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Writes down every message in order; pictures as "<points> @<scale>".
struct Recorder : support::SDWebImageDownloaderDelegate {
    std::vector<std::string> events;
    std::vector<Image> partials;
    Image image;
    bool ended = false;
    bool offMainThread = false;
    std::optional<foundation::Error> error;

    static std::string describe(const Image& picture) {
        if (picture.isNull()) return "null";
        return std::to_string(int(picture.size().width)) + "x" + std::to_string(int(picture.size().height)) + " @" +
               std::to_string(int(picture.scale()));
    }
    void note(std::string event) {
        if (!RunLoop::isMainThread()) offMainThread = true;
        events.push_back(std::move(event));
    }
    void imageDownloaderDidFinish(SDWebImageDownloader&) override { note("finish"); }
    void imageDownloaderDidUpdatePartialImage(SDWebImageDownloader&, const Image& partial) override {
        if (!RunLoop::isMainThread()) offMainThread = true;
        partials.push_back(partial);
    }
    void imageDownloaderDidFinishWithImage(SDWebImageDownloader&, const Image& picture) override {
        note("image " + describe(picture));
        image = picture;
        ended = true;
    }
    void imageDownloaderDidFailWithError(SDWebImageDownloader&,
                                         const std::optional<foundation::Error>& failure) override {
        note("fail " + (failure ? std::to_string(failure->code) : std::string("none")));
        error = failure;
        ended = true;
    }
};

// Counts the start and stop notifications and who sent them.
struct NotificationLog {
    std::vector<std::pair<std::string, const void*>> posts;
    foundation::ObserverToken start = observe(support::SDWebImageDownloadStartNotification);
    foundation::ObserverToken stop = observe(support::SDWebImageDownloadStopNotification);

    foundation::ObserverToken observe(const char* name) {
        return foundation::NotificationCenter::defaultCenter().addObserver(
            name, nullptr, [this](const foundation::Notification& n) {
                posts.emplace_back(n.name == support::SDWebImageDownloadStartNotification ? "start" : "stop", n.object);
            });
    }
};

// Pixel distance between two pictures of one size.
int64_t difference(const Image& a, const Image& b) {
    int64_t sum = 0;
    for (int y = 0; y < a.pixelHeight(); ++y)
        for (int x = 0; x < a.pixelWidth(); ++x) {
            graphics::RGBA p = a.pixelAt(x, y), q = b.pixelAt(x, y);
            sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
        }
    return sum;
}

// Where each scan of a progressive JPEG after the first begins its data: a
// piece that ends there holds every earlier scan whole.
std::vector<size_t> scanBoundaries(const Bytes& jpeg) {
    std::vector<size_t> ends;
    bool first = true;
    for (size_t i = 2; i + 3 < jpeg.size(); ++i) {
        if (jpeg[i] != 0xFF || jpeg[i + 1] != 0xDA) continue;
        if (!first) ends.push_back(i + 2 + (jpeg[i + 2] << 8 | jpeg[i + 3]));
        first = false;
    }
    return ends;
}

class ImageDownloaderTest : public ::testing::Test {
protected:
    std::shared_ptr<SDWebImageDownloader> download(const std::string& path, bool progressive = false) {
        auto downloader = SDWebImageDownloader::downloaderWithURL(server_.url(path), recorder_, std::string("info"));
        downloader->setProgressive(progressive);
        return downloader;
    }
    bool runUntil(const std::function<bool()>& condition) { return RunLoop::main().runUntil(condition, 60); }

    testsupport::VirtualClockScope clock_;
    testsupport::LoopbackHttpServer server_;
    std::shared_ptr<Recorder> recorder_ = std::make_shared<Recorder>();
    NotificationLog log_;
    const Image picture_ = testsupport::quadrantsImage(kWidth, kHeight);
};

}  // namespace

TEST_F(ImageDownloaderTest, EveryWayADownloadEnds) {
    const Bytes jpeg = *picture_.jpegData(0.9);
    server_.reply("GET", "/photo.jpg", HttpReply{200, text(jpeg), "image/jpeg"});
    server_.reply("GET", "/photo@2x.png", HttpReply{200, text(*picture_.pngData()), "image/png"});
    server_.reply("GET", "/page.html", HttpReply{200, "<html>not a picture</html>", "text/html"});
    server_.reply("GET", "/broken.jpg", HttpReply{500, "oops"});
    server_.reply("GET", "/short.jpg", HttpReply::cutOff());
    const std::string lost = "fail " + std::to_string(net::kURLErrorNetworkConnectionLost);
    const std::string refused = "http://127.0.0.1:" + std::to_string(testsupport::unusedLoopbackPort()) + "/a.jpg";

    struct Case {
        std::string url;
        std::vector<std::string> events;
        bool dataKept;
    };
    const Case cases[] = {
        {server_.url("/photo.jpg"), {"finish", "image 96x80 @1"}, true},
        {server_.url("/photo@2x.png"), {"finish", "image 48x40 @2"}, true},
        // Data that make no picture still finish; the image is null.
        {server_.url("/page.html"), {"finish", "image null"}, true},
        // HTTP errors fail with the status as code; their bodies are dropped.
        {server_.url("/missing.jpg"), {"fail 404"}, false},
        {server_.url("/broken.jpg"), {"fail 500"}, false},
        {server_.url("/short.jpg"), {lost}, false},
        {refused, {"fail " + std::to_string(net::kURLErrorCannotConnectToHost)}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        recorder_ = std::make_shared<Recorder>();
        log_.posts.clear();
        auto downloader = SDWebImageDownloader::downloaderWithURL(c.url, recorder_, std::string("info"));
        EXPECT_EQ(*std::any_cast<std::string>(&downloader->userInfo()), "info");
        ASSERT_TRUE(runUntil([&] { return recorder_->ended; }));
        EXPECT_EQ(recorder_->events, c.events);
        EXPECT_FALSE(recorder_->offMainThread);
        EXPECT_FALSE(downloader->connection());
        EXPECT_EQ(!downloader->imageData().empty(), c.dataKept);
        // Exactly one start (from the downloader) and one stop (from no one).
        using Post = std::pair<std::string, const void*>;
        EXPECT_EQ(log_.posts, (std::vector<Post>{{"start", downloader.get()}, {"stop", nullptr}}));
    }
    EXPECT_EQ(recorder_->error->domain, "NSURLErrorDomain");
}

TEST_F(ImageDownloaderTest, StatusErrorsCarryTheStatusAsCodeAndNothingElse) {
    auto downloader = download("/nowhere.png");
    ASSERT_TRUE(runUntil([&] { return recorder_->ended; }));
    ASSERT_TRUE(recorder_->error);
    EXPECT_EQ(recorder_->error->domain, net::kURLErrorDomain);
    EXPECT_EQ(recorder_->error->code, 404);
    EXPECT_EQ(recorder_->error->description, "The operation couldn\u2019t be completed. (NSURLErrorDomain error 404.)");
    EXPECT_FALSE(recorder_->error->underlying);
}

TEST_F(ImageDownloaderTest, AnAddressThatIsNoneFailsWithoutErrorOrNotification) {
    auto downloader = SDWebImageDownloader::downloaderWithURL("not an address", recorder_);
    EXPECT_TRUE(recorder_->events.empty()) << "answered before the caller held the downloader";
    ASSERT_TRUE(runUntil([&] { return recorder_->ended; }));
    EXPECT_EQ(recorder_->events, (std::vector<std::string>{"fail none"}));
    EXPECT_TRUE(log_.posts.empty());
}

TEST_F(ImageDownloaderTest, ProgressiveJpegInPiecesGivesGrowingPartialsThenTheWholePicture) {
    const Bytes jpeg = testsupport::progressiveJpeg(picture_);
    const std::vector<size_t> boundaries = scanBoundaries(jpeg);
    ASSERT_GE(boundaries.size(), 3u) << "not a progressive JPEG";
    auto pieces = std::make_shared<ReleasedBody>();
    server_.reply("GET", "/progressive.jpg", HttpReply::inPieces(pieces, jpeg.size(), "image/jpeg"));
    auto downloader = download("/progressive.jpg", true);

    // Each piece completes one more scan; each scan gives a new partial picture.
    size_t sent = 0;
    std::vector<Image> distinct;
    for (size_t scan = 0; scan < boundaries.size(); ++scan) {
        pieces->release(std::string(jpeg.begin() + sent, jpeg.begin() + boundaries[scan]));
        sent = boundaries[scan];
        ASSERT_TRUE(runUntil([&] {
            if (!recorder_->partials.empty() &&
                (distinct.empty() || difference(recorder_->partials.back(), distinct.back()) != 0))
                distinct.push_back(recorder_->partials.back());
            return distinct.size() == scan + 1;
        })) << "no partial picture for scan "
            << scan + 1;
        EXPECT_EQ(downloader->width(), uint64_t(kWidth));
        EXPECT_EQ(downloader->height(), uint64_t(kHeight));
    }
    const size_t partialsBeforeTheLastPiece = recorder_->partials.size();
    pieces->release(std::string(jpeg.begin() + sent, jpeg.end()));
    ASSERT_TRUE(runUntil([&] { return recorder_->ended; }));

    EXPECT_EQ(recorder_->partials.size(), partialsBeforeTheLastPiece) << "the last piece made a partial picture";
    // One partial per scan: arrivals that decode nothing new make none.
    EXPECT_EQ(recorder_->partials.size(), boundaries.size());
    EXPECT_EQ(recorder_->events, (std::vector<std::string>{"finish", "image 96x80 @1"}));
    for (const Image& partial : recorder_->partials) {
        EXPECT_EQ(partial.pixelWidth(), kWidth);
        EXPECT_EQ(partial.pixelHeight(), kHeight);
    }
    // Every scan brings the picture closer to the whole one.
    const Image whole = *Image::decode(jpeg);
    for (size_t i = 1; i < distinct.size(); ++i)
        EXPECT_LE(difference(distinct[i], whole), difference(distinct[i - 1], whole)) << "scan " << i + 1;
    EXPECT_EQ(difference(recorder_->image, whole), 0);
}

TEST_F(ImageDownloaderTest, BaselinePartialsGrowDownwardsRowByRow) {
    const Bytes png = *picture_.pngData();
    auto pieces = std::make_shared<ReleasedBody>();
    server_.reply("GET", "/rows.png", HttpReply::inPieces(pieces, png.size(), "image/png"));
    auto downloader = download("/rows.png", true);
    size_t sent = 0;
    for (size_t end : {png.size() / 3, png.size() * 2 / 3, png.size() - 1}) {
        pieces->release(std::string(png.begin() + sent, png.begin() + end));
        sent = end;
        ASSERT_TRUE(runUntil([&] { return downloader->imageData().size() == end; }));
    }
    ASSERT_TRUE(runUntil([&] { return recorder_->partials.size() >= 2; }));
    pieces->release(std::string(png.begin() + sent, png.end()));
    ASSERT_TRUE(runUntil([&] { return recorder_->ended; }));

    // A partial is the whole canvas with the rows that have come at the top.
    const Image& first = recorder_->partials.front();
    EXPECT_EQ(first.pixelWidth(), kWidth);
    EXPECT_EQ(first.pixelHeight(), kHeight);
    EXPECT_EQ(first.pixelAt(0, 0), picture_.pixelAt(0, 0));
    EXPECT_EQ(first.pixelAt(0, kHeight - 1).a, 0) << "rows not yet received are transparent";
    EXPECT_EQ(recorder_->events, (std::vector<std::string>{"finish", "image 96x80 @1"}));
}

TEST_F(ImageDownloaderTest, NoLengthMeansNoPartials) {
    const Bytes jpeg = testsupport::progressiveJpeg(picture_);
    auto pieces = std::make_shared<ReleasedBody>();
    server_.reply("GET", "/chunked.jpg", HttpReply::inPieces(pieces, std::nullopt, "image/jpeg"));
    auto downloader = download("/chunked.jpg", true);
    pieces->release(std::string(jpeg.begin(), jpeg.begin() + jpeg.size() / 2));
    ASSERT_TRUE(runUntil([&] { return downloader->imageData().size() == jpeg.size() / 2; }));
    EXPECT_EQ(downloader->expectedSize(), 0u);
    pieces->release(std::string(jpeg.begin() + jpeg.size() / 2, jpeg.end()));
    pieces->finish();
    ASSERT_TRUE(runUntil([&] { return recorder_->ended; }));
    EXPECT_TRUE(recorder_->partials.empty());
    EXPECT_EQ(downloader->width() + downloader->height(), 0u);
    EXPECT_EQ(recorder_->events, (std::vector<std::string>{"finish", "image 96x80 @1"}));
}

TEST_F(ImageDownloaderTest, StatedSizesAreNotTrusted) {
    // Ten gigabytes promised: room for at most 8 MiB is taken, and the
    // download fails when the body ends short.
    const Bytes jpeg = testsupport::progressiveJpeg(picture_);
    auto promise = std::make_shared<ReleasedBody>();
    server_.reply("GET", "/huge.jpg", HttpReply::inPieces(promise, uint64_t(10) << 30, "image/jpeg"));
    auto huge = download("/huge.jpg", true);
    promise->release(text(jpeg));
    ASSERT_TRUE(runUntil([&] { return huge->imageData().size() == jpeg.size(); }));
    EXPECT_EQ(huge->expectedSize(), uint64_t(10) << 30);
    EXPECT_LE(huge->imageData().capacity(), SDWebImageDownloader::kMaximumReservedBytes);
    promise->finish();
    ASSERT_TRUE(runUntil([&] { return recorder_->ended; }));
    EXPECT_EQ(recorder_->events.back(), "fail " + std::to_string(net::kURLErrorNetworkConnectionLost));
    EXPECT_TRUE(huge->imageData().empty());

    // A body that never ends stops at the limit.
    recorder_ = std::make_shared<Recorder>();
    auto endless = std::make_shared<ReleasedBody>();
    server_.reply("GET", "/endless.jpg", HttpReply::inPieces(endless, std::nullopt, "image/jpeg"));
    auto tooLong = download("/endless.jpg");
    const std::string mebibyte(1 << 20, 'x');
    for (size_t i = 0; i <= SDWebImageDownloader::kMaximumImageBytes >> 20; ++i) endless->release(mebibyte);
    ASSERT_TRUE(runUntil([&] { return recorder_->ended; }));
    EXPECT_EQ(recorder_->events,
              (std::vector<std::string>{"fail " + std::to_string(net::kURLErrorDataLengthExceedsMaximum)}));
    EXPECT_EQ(recorder_->error->description, "resource exceeds maximum size");
}

TEST_F(ImageDownloaderTest, CancelSilencesTheDownloadForGood) {
    const Bytes jpeg = testsupport::progressiveJpeg(picture_);
    const std::vector<size_t> boundaries = scanBoundaries(jpeg);
    auto pieces = std::make_shared<ReleasedBody>();
    server_.reply("GET", "/held.jpg", HttpReply::inPieces(pieces, jpeg.size(), "image/jpeg"));
    auto downloader = download("/held.jpg", true);
    std::weak_ptr<SDWebImageDownloader> watched = downloader;
    // Cancelled while a partial picture may still be decoding.
    pieces->release(std::string(jpeg.begin(), jpeg.begin() + boundaries.at(1)));
    ASSERT_TRUE(runUntil([&] { return downloader->imageData().size() == boundaries[1]; }));
    downloader->cancel();
    downloader->cancel();
    pieces->release(std::string(jpeg.begin() + boundaries[1], jpeg.end()));
    RunLoop::main().runUntilIdle();

    EXPECT_TRUE(recorder_->events.empty());
    EXPECT_TRUE(recorder_->partials.empty());
    EXPECT_FALSE(downloader->connection());
    using Post = std::pair<std::string, const void*>;
    EXPECT_EQ(log_.posts, (std::vector<Post>{{"start", downloader.get()}, {"stop", downloader.get()}}));
    downloader.reset();
    EXPECT_TRUE(watched.expired()) << "a cancelled download is still held";
}
