// Archives from the "Import" inbox and from opened URLs, audio files, other
// URLs, and the watch extension's requests.

#include "LaunchFixture.h"
#include "app/core/KWWatchKitLocalStorage.h"
#include "app/core/ProjectImportProcessor.h"

#include <fstream>
#include <sys/stat.h>

namespace startuptest {
namespace {

constexpr const char* kImported = "Project successfully imported.";
constexpr const char* kFailed = "There was a problem copying the project. Please try again.";

void writeText(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A complete zip that holds one text file and no project.
void writeZip(const std::string& path, const std::string& entry) {
    fs::create_directories(fs::path(path).parent_path());
    auto made = testsupport::runPython(
        "import sys, zipfile\nwith zipfile.ZipFile(sys.argv[1], 'w') as z: z.writestr(sys.argv[2], 'hello')",
        {path, entry});
    ASSERT_EQ(made.exitCode, 0) << made.output;
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

    EXPECT_EQ(alertMessages(), std::vector<std::string>{"2 projects successfully imported."});
    EXPECT_EQ(imported.count, 1);
    EXPECT_EQ(imported.lastObject, delegate.get());
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

TEST_F(LaunchTest, AFailedInboxArchiveIsNamedWithItsReasonAndStaysUntilOK) {
    placeArchive(documents("Import/good.tollivarmobile"));
    writeZip(documents("Import/holiday.tollivarmobile"), "notes.txt");
    PostCounter imported(TollivarAppDelegate::kDidImportProjectNotification);

    launch();
    const std::string expected = std::string(kFailed) +
                                 "\n1 of 2 projects imported."
                                 "\n“holiday.tollivarmobile”: The archive holds no project.";
    EXPECT_EQ(alertMessages(), std::vector<std::string>{expected});
    EXPECT_EQ(imported.count, 1);  // the browser still shows the good one
    EXPECT_EQ(projectsNamed("Sunrise"), 2u);
    EXPECT_FALSE(fs::exists(documents("Import/good.tollivarmobile")));
    EXPECT_FALSE(fs::exists(documents("Import/holiday.tollivarmobile")));
    EXPECT_TRUE(fs::exists(documents("Import/holiday.tollivarmobile.failed")));

    // A failure waits for the user: no timer takes it away.
    foundation::RunLoop::main().advance(60.0);
    ASSERT_EQ(ui::AlertView::visibleAlerts().size(), 1u);
    EXPECT_EQ(ui::AlertView::visibleAlerts().front()->buttonTitleAtIndex(0), "OK");
    ui::AlertView::visibleAlerts().front()->dismissWithClickedButtonIndex(0, false);
    EXPECT_TRUE(alertMessages().empty());
}

// A file whose first bytes show it is no zip at all cannot become one by
// waiting: it fails at once, like any failed import, whether it lay in the
// inbox at launch or arrives while running.
TEST_F(LaunchTest, AnInboxFileThatIsNoZipFailsAtOnce) {
    writeText(documents("Import/text.tollivarmobile"), "not a zip");
    launch();
    const std::string expected = std::string(kFailed) + "\n“text.tollivarmobile”: The file is not a zip archive.";
    EXPECT_EQ(alertMessages(), std::vector<std::string>{expected});
    EXPECT_FALSE(fs::exists(documents("Import/text.tollivarmobile")));
    EXPECT_TRUE(fs::exists(documents("Import/text.tollivarmobile.failed")));
    for (auto& alert : ui::AlertView::visibleAlerts()) alert->dismissWithClickedButtonIndex(0, false);

    writeText(documents("Import/later.tollivarmobile"), "<html>not a zip either</html>");
    delegate->inboxDidChange();
    EXPECT_TRUE(foundation::RunLoop::main().runUntil(
        [&] { return fs::exists(documents("Import/later.tollivarmobile.failed")); },
        TollivarAppDelegate::kInboxSettleSeconds * 3));
}

TEST_F(LaunchTest, AnInboxRunTellsTheBrowserEvenWhenNothingCameIn) {
    writeZip(documents("Import/only.tollivarmobile"), "notes.txt");
    PostCounter imported(TollivarAppDelegate::kDidImportProjectNotification);
    launch();
    EXPECT_EQ(imported.count, 1);
    EXPECT_EQ(imported.lastObject, delegate.get());
    EXPECT_EQ(alertMessages(), std::vector<std::string>{std::string(kFailed) +
                                                        "\n“only.tollivarmobile”: The archive holds no project."});
}

TEST_F(LaunchTest, OpenedArchivesAreCopiedAndTheUsersFileStaysAsItWas) {
    launch();
    PostCounter imported(TollivarAppDelegate::kDidImportProjectNotification);
    auto& application = ui::Application::shared();

    placeArchive(folders.temporary() + "/Shared Film.TollivarMobile");
    const std::string original = readBytes(folders.temporary() + "/Shared Film.TollivarMobile");
    const std::string shared = "file://" + folders.temporary() + "/Shared%20Film.TollivarMobile";
    // A launch that handed the file over hears that it was opened only once it came in.
    bool opened = false;
    application.openHandedOverURLs({shared}, [&] { opened = true; });
    EXPECT_EQ(alertMessages(), std::vector<std::string>{"Import."});
    EXPECT_FALSE(opened);
    foundation::RunLoop::main().runUntilIdle();
    EXPECT_TRUE(opened);
    EXPECT_EQ(alertMessages(), std::vector<std::string>{kImported});
    EXPECT_EQ(imported.count, 1);
    EXPECT_EQ(imported.lastObject, delegate.get());
    EXPECT_EQ(projectsNamed("Sunrise"), 2u);
    EXPECT_EQ(readBytes(folders.temporary() + "/Shared Film.TollivarMobile"), original);
    foundation::RunLoop::main().advance(3.0);
    EXPECT_TRUE(alertMessages().empty());

    // Each failure names the file and what was wrong with it, and leaves it alone.
    struct Case {
        std::string name;
        std::string contents;  // empty: a zip of one stray text file
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"text.tollivarmobile", "not a zip", "The file is not a zip archive."},
        {"cut.tollivarmobile", "", "The archive is damaged."},
        {"stray.tollivarmobile", "", "The archive holds no project."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = folders.temporary() + "/" + c.name;
        if (!c.contents.empty()) {
            writeText(file, c.contents);
        } else if (c.name == "cut.tollivarmobile") {
            placeArchive(file);
            std::string whole = readBytes(file);
            // The entries' data is cut short while the directory at the end stays.
            std::string damaged = whole.substr(0, 40) + std::string(200, 'x') + whole.substr(240);
            writeText(file, damaged);
        } else {
            writeZip(file, "notes.txt");
        }
        const std::string before = readBytes(file);
        EXPECT_TRUE(application.handleIncomingURL("file://" + file));
        foundation::RunLoop::main().runUntilIdle();
        EXPECT_EQ(alertMessages(), std::vector<std::string>{std::string(kFailed) + "\n“" + c.name + "”: " + c.reason});
        EXPECT_EQ(readBytes(file), before);
        EXPECT_FALSE(fs::exists(file + ".failed"));
        for (auto& alert : ui::AlertView::visibleAlerts()) alert->dismissWithClickedButtonIndex(0, false);
    }
    EXPECT_EQ(imported.count, 1);
    EXPECT_EQ(projectsNamed("Sunrise"), 2u);

    // Each launch hears of its own files alone: one whose import the quit
    // stopped never hears that it was opened, while those handed over beside
    // it (nothing, a missing file) hear at once.
    ProjectImportProcessor::stopImports();
    const std::vector<std::vector<std::string>> launches = {
        {shared}, {}, {"file://" + folders.temporary() + "/gone.tollivarmobile"}};
    const std::vector<bool> hears = {false, true, true};
    std::vector<bool> heard(launches.size(), false);
    for (size_t i = 0; i < launches.size(); ++i)
        application.openHandedOverURLs(launches[i], [&heard, i] { heard[i] = true; });
    EXPECT_EQ(heard, hears) << "at once";
    foundation::RunLoop::main().runUntilIdle();
    ProjectImportProcessor::stopImports(false);
    EXPECT_EQ(heard, hears);
    EXPECT_EQ(projectsNamed("Sunrise"), 2u);
}

// A file that is not there, or that nothing here opens, gets an alert that
// names it and says why.
TEST_F(LaunchTest, AFileThatNothingOpensGetsAnAlertNamingItAndWhy) {
    launch();
    const std::string here = folders.temporary();
    writeText(here + "/notes.txt", "not a film");
    ASSERT_EQ(::mkfifo((here + "/pipe").c_str(), 0600), 0);
    const std::pair<std::string, std::string> cases[] = {
        {"gone.tollivarmobile", "be found."},
        {"gone", "be opened: No such file or directory."},
        {"notes.txt", "be opened: it is neither a project archive nor a sound file."},
        {"pipe", "be opened: it is not a regular file."}};
    for (const auto& [name, how] : cases) {
        EXPECT_FALSE(ui::Application::shared().handleIncomingURL("file://" + here + "/" + name));
        foundation::RunLoop::main().runUntilIdle();
        ASSERT_EQ(alertMessages(), std::vector<std::string>{"The file “" + here + "/" + name + "” could not " + how});
        EXPECT_EQ(ui::AlertView::visibleAlerts().front()->buttonTitleAtIndex(0), "OK");
        for (auto& alert : ui::AlertView::visibleAlerts()) alert->dismissWithClickedButtonIndex(0, false);
    }
}

TEST_F(LaunchTest, ArchivesDroppedIntoTheInboxWhileRunningArriveOnceComplete) {
    launch();
    PostCounter imported(TollivarAppDelegate::kDidImportProjectNotification);
    placeArchive(folders.temporary() + "/whole.zip");
    const std::string whole = readBytes(folders.temporary() + "/whole.zip");
    const std::string arriving = documents("Import/late.tollivarmobile");

    // Half of it is there: however long that lasts, it is neither taken
    // nor set aside as failed.
    writeText(arriving, whole.substr(0, whole.size() / 2));
    delegate->inboxDidChange();
    foundation::RunLoop::main().advance(10.0);
    EXPECT_TRUE(fs::exists(arriving));
    EXPECT_FALSE(fs::exists(arriving + ".failed"));
    EXPECT_EQ(imported.count, 0);

    // The rest arrives: once it has been quiet for a moment it comes in.
    writeText(arriving, whole);
    delegate->inboxDidChange();
    EXPECT_TRUE(foundation::RunLoop::main().runUntil([&] { return imported.count == 1; }, 10.0));
    EXPECT_FALSE(fs::exists(arriving));
    EXPECT_EQ(projectsNamed("Sunrise"), 2u);
    EXPECT_EQ(alertMessages(), std::vector<std::string>{kImported});

    // One that never completes is at last reported as damaged and kept.
    writeText(documents("Import/stuck.tollivarmobile"), whole.substr(0, 100));
    delegate->inboxDidChange();
    EXPECT_TRUE(foundation::RunLoop::main().runUntil(
        [&] { return fs::exists(documents("Import/stuck.tollivarmobile.failed")); },
        TollivarAppDelegate::kInboxSettleSeconds * (TollivarAppDelegate::kIncompleteChecks + 5)));
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
    // The user's own file stays where it was. The copy waited in a folder
    // of the user's alone, readable by the user alone, and nothing of it is
    // left there.
    EXPECT_EQ(readBytes(folders.temporary() + "/take 1.M4A"), "sound");
    EXPECT_EQ(fs::status(documents("shared-audio/take 1.M4A")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(std::distance(fs::directory_iterator(folders.temporary()), fs::directory_iterator()), 1);
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
