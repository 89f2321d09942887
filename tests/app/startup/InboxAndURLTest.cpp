// Archives from the "Import" inbox and from opened URLs, audio files, other
// URLs, and the watch extension's requests.

#include "LaunchFixture.h"
#include "app/core/KWWatchKitLocalStorage.h"

#include <fstream>

namespace startuptest {
namespace {

constexpr const char* kImported = "Project successfully imported.";
constexpr const char* kFailed = "There was a problem copying the project. Please try again.";

void writeText(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path) << text;
}

size_t projectsNamed(const std::string& name) {
    size_t count = 0;
    for (auto& project : KWProjects::getInstance().getProjects())
        if (project->getProjectPath() && project->getName() == name) ++count;
    return count;
}

TEST_F(LaunchTest, InboxArchivesAreImportedOnFirstLaunchWithoutLosingTheIntroduction) {
    placeArchive(documents("Import/xtollivarmobile"));
    placeArchive(documents("Import/a.tollivarmobile"));
    writeText(documents("Import/notes.txt"), "left alone");
    PostCounter imported(TollivarAppDelegate::kDidImportProjectNotification);

    launch({}, false);
    ASSERT_TRUE(delegate->importAlert());
    EXPECT_EQ(delegate->importAlert()->message(), "Import.");
    settle();

    EXPECT_EQ(alertMessages(), std::vector<std::string>{kImported});
    EXPECT_EQ(imported.count, 1);
    EXPECT_FALSE(fs::exists(documents("Import/xtollivarmobile")));
    EXPECT_FALSE(fs::exists(documents("Import/a.tollivarmobile")));
    EXPECT_TRUE(fs::exists(documents("Import/notes.txt")));

    // Both imports come first, then the introduction the set-up listed.
    auto list = projectListByPlistlib();
    auto lines = std::count(list.begin(), list.end(), '\n');
    EXPECT_EQ(lines, 3) << list;
    EXPECT_TRUE(list.ends_with("\n.kelbrin-introduction\n")) << list;
    EXPECT_EQ(projectsNamed("Sunrise"), 3u);

    foundation::RunLoop::main().advance(3.0);
    EXPECT_TRUE(alertMessages().empty());
}

TEST_F(LaunchTest, OneBrokenInboxArchiveIsReportedButTheOthersArrive) {
    placeArchive(documents("Import/good.tollivarmobile"));
    writeText(documents("Import/broken.tollivarmobile"), "not a zip");
    PostCounter imported(TollivarAppDelegate::kDidImportProjectNotification);

    launch();
    EXPECT_EQ(alertMessages(), std::vector<std::string>{kFailed});
    EXPECT_EQ(imported.count, 1);  // the browser still shows the good one
    EXPECT_EQ(projectsNamed("Sunrise"), 2u);
    EXPECT_FALSE(fs::exists(documents("Import/broken.tollivarmobile")));
}

TEST_F(LaunchTest, ArchiveURLsImportWithTheirOutcome) {
    launch();
    PostCounter imported(TollivarAppDelegate::kDidImportProjectNotification);
    auto& application = ui::Application::shared();

    placeArchive(folders.temporary() + "/Shared Film.TollivarMobile");
    EXPECT_TRUE(application.handleIncomingURL("file://" + folders.temporary() + "/Shared%20Film.TollivarMobile"));
    EXPECT_EQ(alertMessages(), std::vector<std::string>{"Import."});
    foundation::RunLoop::main().runUntilIdle();
    EXPECT_EQ(alertMessages(), std::vector<std::string>{kImported});
    EXPECT_EQ(imported.count, 1);
    EXPECT_EQ(projectsNamed("Sunrise"), 2u);
    foundation::RunLoop::main().advance(3.0);
    EXPECT_TRUE(alertMessages().empty());

    writeText(folders.temporary() + "/broken.tollivarmobile", "not a zip");
    EXPECT_TRUE(application.handleIncomingURL("file://" + folders.temporary() + "/broken.tollivarmobile"));
    foundation::RunLoop::main().runUntilIdle();
    EXPECT_EQ(alertMessages(), std::vector<std::string>{kFailed});
    EXPECT_EQ(imported.count, 1);
    foundation::RunLoop::main().advance(3.0);
    EXPECT_TRUE(alertMessages().empty());
}

TEST_F(LaunchTest, LaunchURLArchiveIsImportedAfterTheSetUp) {
    placeArchive(folders.temporary() + "/film.tollivarmobile");
    foundation::Dictionary options;
    options.set(ui::Application::LaunchOptionsURLKey,
                foundation::Value("file://" + folders.temporary() + "/film.tollivarmobile"));
    launch(options);
    auto list = projectListByPlistlib();
    EXPECT_TRUE(list.ends_with("\n.kelbrin-introduction\n")) << list;
    EXPECT_EQ(projectsNamed("Sunrise"), 2u);
}

TEST_F(LaunchTest, AudioFilesGoToTheSharedInboxOtherURLsAreRefused) {
    launch();
    auto& application = ui::Application::shared();
    PostCounter dropbox("DropboxLoginNotification");

    EXPECT_TRUE(application.handleIncomingURL("tollivar://anything/at/all"));
    EXPECT_TRUE(alertMessages().empty());

    writeText(folders.temporary() + "/take 1.M4A", "sound");
    EXPECT_TRUE(application.handleIncomingURL("file://" + folders.temporary() + "/take%201.M4A"));
    EXPECT_TRUE(fs::exists(documents("shared-audio/take 1.M4A")));
    EXPECT_EQ(alertMessages(), std::vector<std::string>{"Audio file imported."});
    EXPECT_EQ(ui::AlertView::visibleAlerts().front()->buttonTitleAtIndex(0), "OK");

    EXPECT_FALSE(application.handleIncomingURL("https://example.com/page.html"));
    EXPECT_FALSE(application.handleIncomingURL("db-abc123://1/connect"));
    EXPECT_EQ(dropbox.count, 0);
}

TEST_F(LaunchTest, WatchRequestsAreAnsweredWithTheCaptureState) {
    launch();
    auto& application = ui::Application::shared();
    auto& storage = KWWatchKitLocalStorage::sharedWatchKitLocalStorage();
    PostCounter capture("WatchKitActionCapture");
    foundation::Dictionary captureRequest;
    captureRequest.set("action", foundation::Value("capture"));

    std::optional<foundation::Dictionary> reply;
    application.handleWatchKitExtensionRequest(captureRequest, [&](foundation::Dictionary answer) { reply = answer; });
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->size(), 0u);
    EXPECT_EQ(capture.count, 1);

    storage.setName("Sunrise");
    storage.setInfo("0003 / 0004");
    storage.setIsReadyToCapture(true);
    storage.setIsReady(true);
    reply.reset();
    application.handleWatchKitExtensionRequest(foundation::Dictionary{},
                                               [&](foundation::Dictionary answer) { reply = answer; });
    storage.setIsReady(false);
    storage.setIsReadyToCapture(false);
    ASSERT_TRUE(reply);
    EXPECT_EQ(capture.count, 1);  // no action, no capture
    EXPECT_EQ(reply->get("PROJECT").asString(), "Sunrise");
    EXPECT_EQ(reply->get("INFO").asString(), "0003 / 0004");
    EXPECT_TRUE(reply->get("READY_TO_CAPTURE").asBool());
}

}  // namespace
}  // namespace startuptest
