// The first launch sets up the project store; later launches leave it alone.

#include "LaunchFixture.h"
#include "app/core/SSZipArchive.h"
#include "app/render/TollivarMovieRenderer.h"
#include "app/screens/Appirater.h"
#include "app/screens/KWWelcomeViewController.h"
#include "app/screens/MainViewController.h"
#include "app/screens/ProjectExplorer.h"
#include "platform/ui/host/WindowHost.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QWindow>

namespace startuptest {
namespace {

std::string settingsByPlistlib(const std::string& path) {
    auto result = testsupport::runPython(
        "import plistlib, sys\nd = plistlib.load(open(sys.argv[1], 'rb'))\n"
        "print(repr(d.get('version')), type(d.get('version')).__name__)",
        {path});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    return result.output;
}

TEST_F(LaunchTest, FirstLaunchUnpacksTheIntroductionAndListsItFirst) {
    fs::create_directories(documents("kelbrin-2012-01-01"));
    fs::create_directories(documents("kelbrin-2011-05-05"));
    fs::create_directories(documents("other-folder"));

    launch();

    EXPECT_TRUE(fs::exists(introductionPath() + "/kelbrin.meta"));
    EXPECT_TRUE(fs::exists(introductionPath() + "/frames.meta"));
    EXPECT_EQ(projectListByPlistlib(), ".kelbrin-introduction\nkelbrin-2011-05-05\nkelbrin-2012-01-01\n");
    EXPECT_EQ(settingsByPlistlib(documents(".settings.plist")), "4.0 float\n");
    EXPECT_TRUE(fs::is_directory(documents("Import")));
    EXPECT_TRUE(fs::is_directory(documents("shared-audio")));

    auto& defaults = foundation::UserDefaults::standard();
    EXPECT_EQ(defaults.stringForKey("version_preference"), "6.0.0 (600)");
    EXPECT_EQ(Appirater::launchCount(), 1);
    EXPECT_EQ(Appirater::appStoreID(), 1048377231);

    // The browser lists the new-project entry, the introduction and the two
    // older folders, has faded in, and greets with the welcome pager.
    auto& projects = KWProjects::getInstance().getProjects();
    ASSERT_EQ(projects.size(), 4u);
    EXPECT_EQ(projects[1]->getProjectPath(), introductionPath());
    EXPECT_GE(projects[1]->getNumberOfFrames(), 24);
    MainViewController& root = *delegate->mainViewController;
    ASSERT_NE(root.viewExplorer(), nullptr);
    EXPECT_EQ(root.childViewControllers().size(), 1u);
    EXPECT_DOUBLE_EQ(root.viewExplorer()->view()->alpha(), 1.0);
    EXPECT_EQ(root.viewExplorer()->view()->frame(), graphics::Rect(0, 0, 1024, 768));
    EXPECT_NE(dynamic_cast<KWWelcomeViewController*>(root.presentedViewController()), nullptr);

    // The window's look.
    EXPECT_EQ(delegate->window->tintColor(), graphics::Color::rgb8(212, 3, 215));
    EXPECT_DOUBLE_EQ(delegate->window->layer().cornerRadius(), 5.0);
    EXPECT_TRUE(delegate->window->clipsToBounds());
    savePicture("Launch-first.png");
}

TEST_F(LaunchTest, AnIntroductionThatCannotBeUnpackedIsNeitherKeptNorListed) {
    fs::create_directories(documents("kelbrin-2012-01-01"));
    SSZipArchive::setMaximumUnpackedSize(1024);  // as on a full device
    launch();
    SSZipArchive::setMaximumUnpackedSize(std::nullopt);
    EXPECT_FALSE(fs::exists(introductionPath()));
    EXPECT_EQ(projectListByPlistlib(), "kelbrin-2012-01-01\n");
    EXPECT_EQ(DataManager::sharedDataManager().version(), 4.0);
}

TEST_F(LaunchTest, BrowserFadesInOverOneSecond) {
    launch({}, false);
    foundation::RunLoop::main().runUntilIdle();
    ProjectExplorer* explorer = delegate->mainViewController->viewExplorer();
    ASSERT_NE(explorer, nullptr);
    foundation::RunLoop::main().advance(0.5);
    EXPECT_GT(explorer->view()->layer().presentation().opacity, 0.2);
    EXPECT_LT(explorer->view()->layer().presentation().opacity, 0.8);
    foundation::RunLoop::main().advance(0.6);
    EXPECT_DOUBLE_EQ(explorer->view()->layer().presentation().opacity, 1.0);
}

TEST_F(LaunchTest, LaterLaunchesSkipTheSetUpAndTheWelcome) {
    launch();
    ASSERT_NE(delegate->mainViewController->presentedViewController(), nullptr);
    delegate->mainViewController->presentedViewController()->dismissViewController(false);
    foundation::RunLoop::main().runUntilIdle();

    // Were the set-up to run again it would unpack the introduction again.
    fs::remove_all(introductionPath());
    launch();
    EXPECT_FALSE(fs::exists(introductionPath()));
    EXPECT_EQ(delegate->mainViewController->presentedViewController(), nullptr);
    EXPECT_EQ(Appirater::launchCount(), 2);
}

TEST_F(LaunchTest, ResetFlagDeletesTheSettingsButKeepsTheProjectList) {
    launch();
    DataManager::sharedDataManager().setPassCode("1234");
    quit();  // saves the settings
    ASSERT_TRUE(foundation::plist::writeFile(foundation::Value(foundation::Array{foundation::Value("kelbrin-mine")}),
                                             documents(".projects.plist")));
    foundation::UserDefaults::standard().setBool(true, "isResetSettings");

    launch();
    EXPECT_FALSE(DataManager::sharedDataManager().passCode());
    EXPECT_EQ(DataManager::sharedDataManager().version(), 4.0);
    EXPECT_FALSE(foundation::UserDefaults::standard().boolForKey("isResetSettings"));
    EXPECT_FALSE(foundation::UserDefaults::standard().objectForKey("isResetSettings").isNull());
    EXPECT_EQ(projectListByPlistlib(), "kelbrin-mine\n");
}

TEST_F(LaunchTest, AfterACrashTheSettingsResetTheLaunchIsNotCountedAndTheUserIsAsked) {
    launch();
    DataManager::sharedDataManager().setPassCode("1234");
    quit();
    // The smallest report the crash manager accepts: a signal with its name.
    const std::string report = std::string("\x2a\x09\x0a\x07SIGSEGV", 11);
    fs::create_directories(BWQuincyManager::crashesDirectory());
    ASSERT_TRUE(foundation::writeFileAtomically(BWQuincyManager::crashesDirectory() + "/live.plcrash",
                                                foundation::Bytes(report.begin(), report.end()))
                    .ok());

    launch();
    EXPECT_TRUE(BWQuincyManager::sharedQuincyManager().didCrashInLastSession());
    EXPECT_FALSE(DataManager::sharedDataManager().passCode());
    EXPECT_EQ(DataManager::sharedDataManager().version(), 4.0);
    EXPECT_EQ(Appirater::launchCount(), 1);
    EXPECT_EQ(BWQuincyManager::sharedQuincyManager().submissionURL(), UntitledAppDelegate::kCrashReportSubmissionURL);

    std::shared_ptr<ui::AlertView> question;
    for (auto& alert : ui::AlertView::visibleAlerts())
        if (alert->title() == UntitledAppDelegate::kCrashAlertTitle) question = alert;
    ASSERT_TRUE(question);
    EXPECT_EQ(question->buttonTitleAtIndex(0), "Don't Send");
    question->clickButtonAtIndex(0);
    foundation::RunLoop::main().runUntilIdle();
    EXPECT_TRUE(fs::is_empty(BWQuincyManager::crashesDirectory()));

    // The run after that one is an ordinary one again.
    launch();
    EXPECT_FALSE(BWQuincyManager::sharedQuincyManager().didCrashInLastSession());
    EXPECT_EQ(Appirater::launchCount(), 2);
}

TEST_F(LaunchTest, LeavingTheForegroundSavesTheSettings) {
    launch();
    fs::remove(documents(".settings.plist"));
    ui::Application::shared().resignActive();
    EXPECT_TRUE(fs::exists(documents(".settings.plist")));
    fs::remove(documents(".settings.plist"));
    ui::Application::shared().enterBackground();
    EXPECT_TRUE(fs::exists(documents(".settings.plist")));
    fs::remove(documents(".settings.plist"));
    ui::Application::shared().terminate();
    EXPECT_TRUE(fs::exists(documents(".settings.plist")));
}

TEST_F(LaunchTest, CtrlQInTheBrowserQuits) {
    // The key reaches the window host, which ends the run from any screen.
    launch();
    ASSERT_NE(delegate->mainViewController->viewExplorer(), nullptr) << "the browser is not up";
    ui::WindowHost host(delegate->window);
    QKeyEvent quit(QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier, QStringLiteral("\x11"));
    QGuiApplication::sendEvent(host.qWindow(), &quit);
    EXPECT_TRUE(ui::Application::shared().isTerminated());
}

TEST_F(LaunchTest, QuittingStopsTheSizeEstimatesUnderWay) {
    launch();
    const auto& projects = KWProjects::getInstance().getProjects();
    ASSERT_GE(projects.size(), 2u) << "the introduction";
    auto renderer = std::make_shared<TollivarMovieRenderer>(projects[1]);
    int told = 0;
    std::vector<foundation::Progress> estimates;
    for (graphics::Size size : {graphics::Size{3840, 2160}, graphics::Size{1920, 1080}})
        estimates.push_back(renderer->estimateFileSizeAfterExportForType(
            TollivarMovieRenderer::moviePreviewType(size), [&](int64_t) { ++told; }));
    ui::Application::shared().terminate();
    foundation::RunLoop::main().runUntilIdle();
    EXPECT_EQ(told, 0) << "work for no one holds no exit";
    for (const foundation::Progress& estimate : estimates) EXPECT_TRUE(estimate.isCancelled());
}

TEST_F(LaunchTest, LowStorageAlertComesOncePerRun) {
    FileUtil::setFreeDiskspaceOverride(100 * 1024 * 1024);
    launch();
    EXPECT_TRUE(alertMessages().empty());

    FileUtil::setFreeDiskspaceOverride(100 * 1024 * 1024 - 1);
    launch();
    ASSERT_EQ(alertMessages().size(), 1u);
    auto alert = ui::AlertView::visibleAlerts().front();
    EXPECT_EQ(alert->title(), "Storage Nearly Full");
    EXPECT_EQ(alert->message(),
              "There is almost no space left on this device. You cannot record new media until you free some space.");
    EXPECT_EQ(alert->buttonTitleAtIndex(0), "Dismiss");
    alert->clickButtonAtIndex(0);
    foundation::RunLoop::main().advance(1.0);

    // A new browser in the same run (as after editing) does not warn again.
    delegate->mainViewController->didFinishFrameEditor(nullptr, nullptr);
    foundation::RunLoop::main().advance(1.0);
    EXPECT_TRUE(alertMessages().empty());

    // The next run warns again.
    launch();
    EXPECT_EQ(alertMessages().size(), 1u);
}

}  // namespace
}  // namespace startuptest
