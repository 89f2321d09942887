// The one share screen, driven by synthetic touches: export types with
// their estimates, a real render of a 12-frame project under the progress
// panel, the Photos service saving into the application's album, an error
// with "Try Again" that sends the same file again, and the offline check.

#include "ShareSheetTest.h"
#include "ShareTestSupport.h"
#include "app/core/FileUtil.h"
#include "app/core/FormatterUtil.h"
#include "app/core/KWImageProducer.h"
#include "app/core/KWProjects.h"
#include "app/render/RenderSnapshot.h"
#include "app/render/screens/RenderProgressViewController.h"
#include "app/share/ICloudConnectHandler.h"
#include "app/share/InternetReachability.h"
#include "app/share/MailConnectHandler.h"
#include "app/share/PhotosConnectHandler.h"
#include "app/share/ShareViewController.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/library/ActivityViewController.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/text/TextField.h"
#include "support/MovieFacts.h"
#include "support/Pictures.h"
#include "support/Process.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"
#include "support/WindowFixture.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using foundation::RunLoop;

class ShareScreenTest : public sharetest::ShareSheetTest {
protected:
    void TearDown() override {
        library::PhotoLibrary::setAccessDenied(false);
        ShareSheetTest::TearDown();
    }

    // The smallest movie the screen offers.
    size_t smallestType(const ShareViewController& screen) {
        size_t best = 0;
        for (size_t i = 0; i < screen.exportTypes().size(); ++i)
            if (screen.exportTypes()[i].size().width < screen.exportTypes()[best].size().width) best = i;
        return best;
    }
    std::vector<std::string> albumFiles() const {
        std::vector<std::string> files;
        const fs::path album = fs::path(library::PhotoLibrary::defaultRootDirectory()) / "Tollivar";
        if (!fs::exists(album)) return files;
        for (const auto& entry : fs::directory_iterator(album)) files.push_back(entry.path());
        return files;
    }
};

TEST_F(ShareScreenTest, PhotosRendersThenSavesIntoTheApplicationsAlbum) {
    ShareViewController* screen = choose(std::make_shared<PhotosConnectHandler>());
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->titleField(), nullptr) << "Photos asks for no title";
    ASSERT_FALSE(screen->exportTypes().empty());
    ASSERT_EQ(screen->typeButtons().size(), screen->exportTypes().size());
    for (size_t i = 0; i < screen->exportTypes().size(); ++i) {
        const auto& type = screen->exportTypes()[i];
        EXPECT_EQ(type.UTI(), kUTTypeQuickTimeMovie) << "movies only";
        const std::string title = screen->typeButtons()[i]->currentTitle();
        EXPECT_EQ(title.rfind(type.title() + "  ", 0), 0u) << title << ": the title, then the estimate";
    }
    savePicture("share_photos_sheet.png");

    const size_t index = smallestType(*screen);
    const graphics::Size size = screen->exportTypes()[index].size();
    tap(screen->typeButtons()[index].get());
    ASSERT_NE(screen->panel(), nullptr);
    EXPECT_EQ(screen->panel()->infoText(), "Please wait while your video is being prepared.");
    std::vector<float> steps;
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            if (screen->panel()->progress() > (steps.empty() ? 0.f : steps.back()))
                steps.push_back(screen->panel()->progress());
            return screen->panel()->infoText() == "Your movie was saved to the album \"Tollivar\".";
        },
        600));
    advance(1);
    window->layoutIfNeeded();
    savePicture("share_photos_done.png");
    EXPECT_FALSE(steps.empty());
    EXPECT_TRUE(std::is_sorted(steps.begin(), steps.end()));

    // One file, in the album only, sharing nothing with the render cache.
    auto files = albumFiles();
    ASSERT_EQ(files.size(), 1u);
    for (const auto& entry : fs::directory_iterator(library::PhotoLibrary::defaultRootDirectory()))
        EXPECT_TRUE(entry.is_directory()) << entry.path() << ": a second name at the root";
    EXPECT_FALSE(fs::equivalent(files[0], *screen->renderer()->exportURL()));
    EXPECT_EQ(fs::hard_link_count(files[0]), 1u);
    auto facts = testsupport::probeMovieFacts(files[0]);
    EXPECT_TRUE(facts.readable);
    EXPECT_EQ(facts.width, static_cast<int>(size.width));
    EXPECT_EQ(facts.frameTimes.size(), 13u) << "12 pictures and the last one's end";

    // Done ends the service as completed and closes the sheet.
    auto done = screen->panel()->doneHandler();
    ASSERT_TRUE(done);
    EXPECT_FALSE(screen->panel()->cancelHandler());
    finishWithDone(*screen);
    EXPECT_EQ(root->presentedViewController(), nullptr);

    // A second save reuses the current movie and the same album.
    completed.reset();
    screen = choose(std::make_shared<PhotosConnectHandler>());
    ASSERT_NE(screen, nullptr);
    tap(screen->typeButtons()[smallestType(*screen)].get());
    ASSERT_TRUE(waitForInfo(*screen, "Your movie was saved to the album \"Tollivar\"."));
    EXPECT_EQ(screen->renderer()->status(), MovieRenderer::kStatusNotStarted) << "no second render";
    EXPECT_EQ(albumFiles().size(), 2u);
    size_t albums = 0;
    for (const auto& entry : fs::directory_iterator(library::PhotoLibrary::defaultRootDirectory()))
        albums += entry.is_directory();
    EXPECT_EQ(albums, 1u);
    // The card wipes its render cache when it closes; the saved movies stay.
    MovieRenderer::cleanRenderCacheForProject(project);
    for (const auto& file : albumFiles()) EXPECT_TRUE(testsupport::probeMovieFacts(file).readable) << file;
    finishWithDone(*screen);
}

TEST_F(ShareScreenTest, MailAttachesACopyOfItsOwnThatTheRenderCacheCannotChange) {
    sharetest::ProgramRecorders programs(folders.root() + "/bin");
    programs.mailer(0);
    ShareViewController* screen = choose(std::make_shared<MailConnectHandler>());
    ASSERT_NE(screen, nullptr);
    size_t gif = 0;
    while (gif < screen->exportTypes().size() && screen->exportTypes()[gif].title() != "Animated GIF") ++gif;
    ASSERT_LT(gif, screen->exportTypes().size());
    tap(screen->typeButtons()[gif].get());
    ASSERT_TRUE(waitForInfo(*screen, "Your movie was handed to your mail program.")) << screen->panel()->infoText();
    auto arguments = programs.recordedArguments();
    ASSERT_TRUE(arguments && !arguments->empty());
    const std::string attachment = arguments->back();
    const std::string cached = *screen->renderer()->exportURL();
    const std::string rendered = testsupport::readFileBytes(cached);
    ASSERT_FALSE(rendered.empty());
    EXPECT_EQ(testsupport::readFileBytes(attachment), rendered);
    EXPECT_FALSE(fs::equivalent(attachment, cached)) << "never another name of the cache file";
    // The cache file rewritten where it lies: the mail keeps the movie it was given.
    std::ofstream(cached, std::ios::trunc) << "another render";
    EXPECT_EQ(testsupport::readFileBytes(attachment), rendered);
    auto pictures = testsupport::runProcess({"identify", "-format", "%wx%h\n", attachment});
    EXPECT_EQ(pictures.exitCode, 0) << pictures.output;
    EXPECT_EQ(std::count(pictures.output.begin(), pictures.output.end(), '\n'), 12) << pictures.output;
    ASSERT_NO_FATAL_FAILURE(finishWithDone(*screen));
}

TEST_F(ShareScreenTest, ARefusedSaveShowsItsErrorAndTryAgainSendsTheSameFile) {
    library::PhotoLibrary::setAccessDenied(true);
    ShareViewController* screen = choose(std::make_shared<PhotosConnectHandler>());
    ASSERT_NE(screen, nullptr);
    tap(screen->typeButtons()[smallestType(*screen)].get());
    auto panel = screen->panel();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return panel->navigationItem().rightBarButtonItem() != nullptr; }, 600));
    EXPECT_NE(panel->infoText().find("[ALAssetsLibraryErrorDomain--3311]"), std::string::npos) << panel->infoText();
    auto tryAgain = panel->navigationItem().rightBarButtonItem();
    EXPECT_EQ(tryAgain->title(), "Try Again");
    EXPECT_TRUE(albumFiles().empty());
    advance(1);
    window->layoutIfNeeded();
    savePicture("share_photos_failure.png");

    const MovieRendererPtr renderer = screen->renderer();
    const auto rendered = renderer->exportURL();
    library::PhotoLibrary::setAccessDenied(false);
    tryAgain->action()(*tryAgain);
    ASSERT_TRUE(waitForInfo(*screen, "Your movie was saved to the album \"Tollivar\"."));
    EXPECT_EQ(screen->renderer(), renderer);
    EXPECT_EQ(renderer->exportURL(), rendered);
    EXPECT_EQ(albumFiles().size(), 1u);
    EXPECT_NE(panel->navigationItem().rightBarButtonItem()->title(), "Try Again");
    finishWithDone(*screen);
}

// A service on the network that records its sign-ins and uploads.
class NetworkService : public ConnectHandler {
public:
    std::string activityType() const override { return "test.network"; }
    std::string activityTitle() const override { return "Network"; }
    graphics::Image activityImage() const override { return graphics::Image::filled(4, 4, {0, 0, 0, 255}); }
    bool needsNetwork() const override { return true; }
    bool isLoggedIn() const override { return loggedIn; }
    void login() override { ++logins; }
    std::vector<std::string> getSupportedUTIs() const override { return {kUTTypeGIF}; }
    void uploadFile(const std::string&, const std::string&, const std::string&, const std::string&) override {
        ++uploads;
    }
    std::string uploadingText() const override { return "Uploading"; }
    std::string successText() const override { return "Uploaded"; }
    bool loggedIn = false;
    int logins = 0;
    int uploads = 0;
};

// A service whose sign-in is a screen of its own over the share screen, as
// Dropbox's and YouTube's are.
class CoveringSignIn : public NetworkService {
public:
    bool needsNetwork() const override { return false; }
    void login() override {
        signIn = std::make_shared<ui::ViewController>();
        if (delegate()) delegate()->connectHandlerShowViewController(*this, signIn);
    }
    std::vector<std::string> getSupportedUTIs() const override { return {kUTTypeQuickTimeMovie, kUTTypeGIF}; }
    std::shared_ptr<ui::ViewController> signIn;
};

TEST_F(ShareScreenTest, EstimatesAreMeasuredWhileTheScreenShowsFromOneLookAtTheProject) {
    const uint64_t snapshots = RenderSnapshot::takenOnThisThread();
    // The share screen, under whatever covers it.
    const auto shareScreen = [&] {
        auto* navigation = dynamic_cast<ui::NavigationController*>(sheet->presentedViewController());
        return navigation ? dynamic_cast<ShareViewController*>(navigation->viewControllers().front().get()) : nullptr;
    };
    auto covering = std::make_shared<CoveringSignIn>();
    choose(covering);
    ShareViewController* screen = shareScreen();
    ASSERT_NE(screen, nullptr);
    const auto estimatesShown = [&] {
        size_t shown = 0;
        for (size_t i = 0; i < screen->exportTypes().size(); ++i)
            shown += screen->typeButtons().at(i)->currentTitle() != screen->exportTypes()[i].title();
        return shown;
    };
    // Covered again as it shows: what it started stops and shows nothing.
    screen->navigationController()->popViewController(false);
    ASSERT_TRUE(screen->isVisible());
    covering->login();
    advance(1);
    EXPECT_EQ(estimatesShown(), 0u) << "a screen covered as it shows measures on";
    // Back from the sign-in, as often as it comes: every type gets its
    // estimate once, the project read once for all of them.
    const size_t all = screen->exportTypes().size();
    for (int signIn = 0; signIn < 2; ++signIn) {
        SCOPED_TRACE(signIn);
        ASSERT_TRUE(covering->signIn && covering->signIn->isVisible()) << "the sign-in covers the screen";
        const uint64_t decodes = graphics::jpeg::decodeCount();
        advance(1);
        EXPECT_EQ(estimatesShown(), signIn == 0 ? 0u : all) << "nothing measured while the sign-in covers the screen";
        EXPECT_EQ(graphics::jpeg::decodeCount(), decodes);
        screen->navigationController()->popViewController(true);
        advance(1);
        EXPECT_EQ(estimatesShown(), all);
        EXPECT_EQ(RenderSnapshot::takenOnThisThread(), snapshots + 1) << "the project read once, for the screen";
        EXPECT_TRUE(signIn == 0 || graphics::jpeg::decodeCount() == decodes) << "nothing measured twice";
        covering->login();
        advance(1);
    }
    screen->cancelSharing();
    advance(1);

    // A screen that goes as it shows takes no estimate with it.
    completed.reset();
    presentSheet(std::make_shared<PhotosConnectHandler>());
    advance(1);
    sheet->chooseActivityAtIndex(0);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return (screen = shareScreen()) && screen->isVisible(); }, 10));
    const std::shared_ptr<ShareViewController> leaving = foundation::weakFrom(screen).lock();
    leaving->cancelSharing();
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(estimatesShown(), 0u);
    advance(1);
    EXPECT_EQ(completed, std::optional<bool>(false));
}

TEST_F(ShareScreenTest, OfflineSaysSoBeforeAnyRequest) {
    InternetReachability::setStatusProvider([] { return 0; });
    auto network = std::make_shared<NetworkService>();
    ShareViewController* screen = choose(network);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(alertMessages(), std::vector<std::string>{"Try again once you have an internet connection."});
    EXPECT_EQ(ui::AlertView::visibleAlerts().front()->title(), "No internet connection");
    tap(screen->typeButtons().front().get());
    EXPECT_EQ(network->logins, 0);
    EXPECT_EQ(network->uploads, 0);
    EXPECT_EQ(screen->panel(), nullptr) << "nothing renders before signing in";
    tap(ui::AlertView::visibleAlerts().front()->buttonViewAtIndex(0));
    advance(1);
    EXPECT_EQ(completed, std::optional<bool>(false));
}

TEST_F(ShareScreenTest, ACancelledSignInEndsWithoutARequest) {
    InternetReachability::setStatusProvider([] { return 1; });
    auto network = std::make_shared<NetworkService>();
    ShareViewController* screen = choose(network);
    ASSERT_NE(screen, nullptr);
    EXPECT_TRUE(alertMessages().empty());
    EXPECT_EQ(network->logins, 1);
    EXPECT_NE(screen->titleField(), nullptr);
    EXPECT_EQ(screen->titleField()->text(), "My Movie");
    screen->connectHandlerDidFailLogin(*network, std::nullopt);
    advance(1);
    EXPECT_EQ(completed, std::optional<bool>(false));
    EXPECT_EQ(network->uploads, 0);
}

TEST(ShareScreenTexts, ErrorsAreCutToTwoHundredBytesOnACharacterBoundary) {
    struct Case {
        std::string description;
        std::string expected;
    };
    const std::string emoji = "\xF0\x9F\x8E\xAC";  // four bytes
    std::string longEmoji;
    for (int i = 0; i < 60; ++i) longEmoji += emoji;
    const std::vector<Case> cases = {
        {"Server busy", "Server busy - [Test-503]"},
        {std::string(300, 'x'), std::string(197, 'x') + "..."},
        {longEmoji, longEmoji.substr(0, 196) + "..."},
    };
    for (const auto& c : cases) {
        std::string text = ShareViewController::errorText(foundation::Error("Test", 503, c.description));
        EXPECT_EQ(text, c.expected);
        EXPECT_LE(text.size(), ShareViewController::kMaxErrorLength);
    }
    const MovieExportType type("HD - 720p", std::nullopt, {1280, 720}, kUTTypeQuickTimeMovie, "mov");
    EXPECT_EQ(ShareViewController::typeButtonTitle(type, MovieRenderer::kNoEstimate), "HD - 720p");
    EXPECT_EQ(ShareViewController::typeButtonTitle(type, 2048),
              "HD - 720p  " + FormatterUtil::getFormatedFileSize(2048 * 1024));
}

}  // namespace
