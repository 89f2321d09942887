// The project browser inside a root screen, driven by fingers: the grid and
// its new-project entry, the detail card, older projects refused or
// converted before they are shown, the welcome pager once, the low-storage
// warning once per run, the gallery restriction behind the pass code, and
// the import of archives with its HUD.

#include "ScreenTestSupport.h"
#include "app/core/Frame.h"
#include "app/core/SSZipArchive.h"
#include "app/screens/InfoCenterViewController.h"
#include "app/screens/KWGalleryCollectionViewController.h"
#include "app/screens/KWProjectCollectionViewController.h"
#include "app/screens/KWProjectDetailViewController.h"
#include "app/screens/KWWelcomeViewController.h"
#include "app/screens/PassCodeViewController.h"
#include "app/screens/ProjectExplorer.h"
#include "app/share/InternetReachability.h"
#include "app/widgets/alerts/Hudy.h"
#include "app/widgets/views/AccentColor.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/ToolTip.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/ActivityIndicatorView.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/Switch.h"
#include "platform/library/FileChooserViewController.h"
#include "platform/ui/host/Application.h"
#include "support/TestFiles.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

namespace {

using foundation::Array;
using foundation::Dictionary;
using foundation::Value;
namespace fs = std::filesystem;

class Root : public ui::ViewController, public MainViewControllerDelegate {
public:
    void didFinishProjectExplorer(ProjectExplorer*, const ProjectModelPtr& withProject) override {
        opened.push_back(withProject);
    }
    void didFinishFrameEditor(FrameEditorViewController*, const ProjectModelPtr&) override {}
    std::vector<ProjectModelPtr> opened;
};

class ProjectExplorerTest : public testsupport::ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        KWWelcomeViewController::setHasSeen(true);
        root = std::make_shared<Root>();
        window->setRootViewController(root);
    }
    void TearDown() override {
        ProjectExplorer::setDocumentPickerFactory(nullptr);
        if (explorer) {
            if (root->presentedViewController()) root->dismissViewController(false);
            explorer->view()->removeFromSuperview();
            explorer->removeFromParentViewController();
            explorer.reset();
        }
        ScreenTest::TearDown();
    }

    // A browser as the root screen's child, on screen.
    void showBrowser(ProjectModelPtr project = nullptr) {
        if (explorer) {
            explorer->view()->removeFromSuperview();
            explorer->removeFromParentViewController();
        }
        explorer = std::make_shared<ProjectExplorer>("ProjectExplorer", std::move(project));
        explorer->delegate = root.get();
        root->addChildViewController(explorer);
        explorer->view()->setFrame(root->view()->bounds());
        root->view()->addSubview(explorer->viewPtr());
        advance(0.5);
        ui::prepareForRendering(*window, 1.0);
    }

    // A saved project of this version with a few pictures, listed at position 1.
    ProjectModelPtr savedProject(int pictures = 3, graphics::RGBA thumbnail = {200, 120, 40, 255}) {
        auto project = ProjectModel::create();
        auto list = project->getFrameList();
        for (int i = 0; i < pictures; ++i)
            list->insertFrame(Frame::create(Frame::kTypePicture), list->getCaptureIndex());
        project->saveAllDataToDisk();
        auto jpeg = graphics::Image::filled(160, 90, thumbnail).jpegData(0.9);
        EXPECT_TRUE(jpeg.ok());
        EXPECT_TRUE(project->updateRegularFileWithContents(*jpeg, "thumb.jpg"));
        advance(0.1);
        return project;
    }

    // A project folder in an older format, listed at the end.
    ProjectModelPtr olderProject(const std::string& name, const Value& version) {
        fs::path folder = fs::path(folders.documents()) / name;
        fs::create_directories(folder);
        Dictionary meta{{"RecordName", "Old"}, {"RecordFPS", Value(10)}};
        if (!version.isNull()) meta.set("ProductVersion", version);
        Array frames{Dictionary{{"UID", "A"}, {"FRAME_ID", "X"}}, Dictionary{{"UID", "B"}, {"FRAME_ID", "X"}}};
        EXPECT_TRUE(foundation::plist::writeFile(Value(meta), (folder / "kelbrin.meta").string()));
        EXPECT_TRUE(foundation::plist::writeFile(Value(Dictionary{{"FRAMELIST_DATA", frames}}),
                                                 (folder / "frames.meta").string()));
        auto project = ProjectModel::create(folder.string());
        KWProjects::getInstance().getProjects().push_back(project);
        EXPECT_TRUE(KWProjects::getInstance().saveToDisk());
        return project;
    }

    std::vector<ProjectModelPtr>& projects() { return KWProjects::getInstance().getProjects(); }
    KWProjectCollectionViewController& grid() { return *explorer->projectsCollectionView(); }
    ui::View* cell(size_t row) {
        auto cell = grid().collectionView().cellForItemAtIndexPath(ui::IndexPath::indexPathForItem(row, 0));
        return cell.get();
    }
    bool cardShown() { return explorer->projectDetailView() && !explorer->viewDetails()->isHidden(); }

    std::shared_ptr<Root> root;
    std::shared_ptr<ProjectExplorer> explorer;
};

TEST_F(ProjectExplorerTest, NewProjectEntryOpensTheEditorOnAnEmptyProjectAndNeverACard) {
    savedProject(3, {40, 160, 200, 255});
    savedProject(3, {200, 120, 40, 255});
    showBrowser();
    ASSERT_EQ(grid().collectionView().numberOfItemsInSection(0), 3u);
    savePicture("project_browser.png");
    // Entry 0 is the new-project tile; the others show their projects' thumbnails.
    auto thumbnail = [&](size_t row) {
        auto* gridCell = dynamic_cast<KWGridCollectionViewCell*>(cell(row));
        return gridCell ? gridCell->imageViewThumbnail().image() : graphics::Image();
    };
    EXPECT_EQ(thumbnail(0).pixelWidth(), 256);
    auto newest = thumbnail(1).pixelAt(80, 45);
    EXPECT_NEAR(newest.r, 200, 8);
    EXPECT_NEAR(newest.b, 40, 8);

    tap(cell(0));
    ASSERT_EQ(root->opened.size(), 1u);
    EXPECT_FALSE(root->opened[0]->getProjectPath().has_value());
    EXPECT_NE(root->opened[0], projects()[0]);  // a fresh project, not the list's placeholder
    EXPECT_FALSE(cardShown());
}

TEST_F(ProjectExplorerTest, TappingAProjectOpensItsCardAndRemembersTheSelection) {
    auto older = savedProject();
    auto newer = savedProject();
    ASSERT_EQ(projects()[1], newer);
    showBrowser();
    tap(cell(2));
    advance(1.0);
    ASSERT_TRUE(cardShown());
    EXPECT_TRUE(root->opened.empty());
    EXPECT_EQ(DataManager::sharedDataManager().lastSelection(), 2u);
    // The card stands in for its cell, which comes back with the card's Back.
    EXPECT_TRUE(cell(2)->isHidden());
    savePicture("project_browser_card.png");
    explorer->projectDetailView()->handlerProjectBack(older);
    EXPECT_FALSE(cell(2)->isHidden());
    EXPECT_TRUE(explorer->viewDetails()->isHidden());

    // The next browser selects the remembered entry without opening a card.
    showBrowser();
    auto selected = grid().collectionView().indexPathsForSelectedItems();
    ASSERT_EQ(selected.size(), 1u);
    EXPECT_EQ(selected[0].row, 2u);
    EXPECT_FALSE(cardShown());
}

TEST_F(ProjectExplorerTest, ProjectsWithoutOrBelowVersionThreeAreRefused) {
    olderProject("kelbrin-none", Value());
    olderProject("kelbrin-old", Value::real(2.9));
    showBrowser();
    for (size_t row : {1u, 2u}) {
        tap(cell(row));
        advance(0.5);
        EXPECT_EQ(alertMessages(), std::vector<std::string>{"This project cannot be read by this version of the app."});
        EXPECT_EQ(ui::AlertView::visibleAlerts().back()->title(), "");
        EXPECT_EQ(ui::AlertView::visibleAlerts().back()->buttonTitleAtIndex(0), "OK");
        ui::AlertView::visibleAlerts().back()->dismissWithClickedButtonIndex(0, false);
        EXPECT_FALSE(cardShown());
    }
    EXPECT_EQ(projects().size(), 3u);
}

TEST_F(ProjectExplorerTest, OlderProjectIsConvertedOnceBeforeItsCardShowsIt) {
    struct Case {
        Value version;
        bool saveFails;
    };
    // A version stored as text converts like a number; a conversion that
    // cannot be saved says why.
    const Case cases[] = {{Value::real(5.0), false}, {Value("5.0"), false}, {Value("4.2"), true}};
    for (const Case& c : cases) {
        auto project = olderProject("kelbrin-five-" + std::to_string(&c - cases), c.version);
        showBrowser();
        const size_t row = projects().size() - 1;
        if (c.saveFails) {
            // The browser reads the version first; then the file cannot be replaced.
            ASSERT_TRUE(project->getMetaData());
            fs::remove(*project->pathForFile("kelbrin.meta"));
            fs::create_directory(*project->pathForFile("kelbrin.meta"));
        }
        tap(cell(row));
        // Right after the tap the conversion runs and nothing shows the project.
        EXPECT_TRUE(ProjectExplorer::isProjectInConversion(project));
        EXPECT_FALSE(cardShown());
        // A second tap meanwhile starts no second conversion.
        tap(cell(row));
        if (!c.saveFails) {
            EXPECT_TRUE(alertMessages().empty());
        }

        ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return cardShown(); }, 60.0));
        EXPECT_FALSE(ProjectExplorer::isProjectInConversion(project));
        // The two entries of one picture became one frame held twice.
        EXPECT_EQ(project->getFrameList()->expandedFrameCount(), 2);
        if (c.saveFails) {
            ASSERT_EQ(alertMessages().size(), 1u);
            EXPECT_EQ(alertMessages()[0],
                      "The project “Old” could not be saved: something else is in the place of one of its files.");
            ui::AlertView::visibleAlerts().back()->dismissWithClickedButtonIndex(0, false);
            continue;
        }
        EXPECT_TRUE(alertMessages().empty());
        auto meta = foundation::plist::readFile(*project->pathForFile("kelbrin.meta"));
        ASSERT_TRUE(meta);
        EXPECT_DOUBLE_EQ(meta->asDictionary().get("ProductVersion").asDouble(), 6.0);
        // Opening it again finds it current: no second conversion.
        explorer->showProjectDetail(project, 1);
        EXPECT_FALSE(ProjectExplorer::isProjectInConversion(project));
    }
}

TEST_F(ProjectExplorerTest, ReturningFromTheEditorShowsTheCardOnlyForASavedProject) {
    auto project = savedProject();
    showBrowser(project);
    EXPECT_TRUE(cardShown());
    EXPECT_EQ(explorer->project(), nullptr);

    showBrowser(ProjectModel::create());
    EXPECT_FALSE(cardShown());
    EXPECT_TRUE(root->opened.empty());
}

TEST_F(ProjectExplorerTest, WelcomePagerComesOnceAndNotAtTheNextLaunch) {
    KWWelcomeViewController::setHasSeen(false);
    showBrowser();
    advance(1.0);
    EXPECT_NE(dynamic_cast<KWWelcomeViewController*>(root->presentedViewController()), nullptr);
    EXPECT_TRUE(KWWelcomeViewController::getHasSeen());
    root->dismissViewController(false);
    advance(1.0);

    foundation::UserDefaults::resetStandardUserDefaults();
    showBrowser();
    advance(1.0);
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(ProjectExplorerTest, LowStorageWarningBelowOneHundredMebibytesOncePerRun) {
    FileUtil::setFreeDiskspaceOverride(uint64_t{100} << 20);
    showBrowser();
    EXPECT_TRUE(alertMessages().empty());

    FileUtil::setFreeDiskspaceOverride((uint64_t{100} << 20) - 1);
    showBrowser();
    ASSERT_EQ(ui::AlertView::visibleAlerts().size(), 1u);
    auto alert = ui::AlertView::visibleAlerts().back();
    EXPECT_EQ(alert->title(), "Storage Nearly Full");
    EXPECT_EQ(alert->message(),
              "There is almost no space left on this device. You cannot record new media until you free some space.");
    EXPECT_EQ(alert->buttonTitleAtIndex(0), "Dismiss");
    alert->dismissWithClickedButtonIndex(0, false);

    showBrowser();
    EXPECT_TRUE(alertMessages().empty());
}

class RestrictionTest : public ProjectExplorerTest {
protected:
    PassCodeViewController* passCodeScreen() {
        auto* navigation = dynamic_cast<ui::NavigationController*>(root->presentedViewController());
        return navigation ? dynamic_cast<PassCodeViewController*>(navigation->topViewController()) : nullptr;
    }
    void type(const std::string& digits) {
        for (char digit : digits) tap(passCodeScreen()->digitButton(digit - '0'));
        advance(1.0);
    }
    foundation::UserDefaults& defaults() { return foundation::UserDefaults::standard(); }
};

TEST_F(RestrictionTest, CancellingThePassCodeSetsTheSettingBack) {
    defaults().setBool(false, ProjectExplorer::kGalleryEnabledDefaultsKey);
    showBrowser();
    advance(1.0);
    ASSERT_NE(passCodeScreen(), nullptr);
    // Coming back to the foreground meanwhile asks no second time.
    foundation::NotificationCenter::defaultCenter().post(ui::Application::DidBecomeActiveNotification);
    passCodeScreen()->cancel();
    advance(1.0);
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_TRUE(defaults().boolForKey(ProjectExplorer::kGalleryEnabledDefaultsKey));
    EXPECT_TRUE(DataManager::sharedDataManager().isYoutubeGalleryEnabled());
    EXPECT_TRUE(explorer->btnGallery()->isEnabled());
}

TEST_F(RestrictionTest, SettingACodeRestrictsTheGalleryAndTheCodeLiftsItAgain) {
    defaults().setBool(false, ProjectExplorer::kGalleryEnabledDefaultsKey);
    showBrowser();
    advance(1.0);
    type("2468");
    type("2468");
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_FALSE(DataManager::sharedDataManager().isYoutubeGalleryEnabled());
    EXPECT_FALSE(explorer->btnGallery()->isEnabled());
    DataManager::resetForTesting();
    DataManager::loadState();
    EXPECT_FALSE(DataManager::sharedDataManager().isYoutubeGalleryEnabled());
    EXPECT_EQ(DataManager::sharedDataManager().passCode(), "2468");

    defaults().setBool(true, ProjectExplorer::kGalleryEnabledDefaultsKey);
    foundation::NotificationCenter::defaultCenter().post(ui::Application::DidBecomeActiveNotification);
    advance(1.0);
    ASSERT_NE(passCodeScreen(), nullptr);
    EXPECT_EQ(passCodeScreen()->mode(), PassCodeViewController::Mode::Check);
    type("2468");
    EXPECT_TRUE(DataManager::sharedDataManager().isYoutubeGalleryEnabled());
    EXPECT_FALSE(DataManager::sharedDataManager().passCode().has_value());
    EXPECT_TRUE(explorer->btnGallery()->isEnabled());
}

TEST_F(RestrictionTest, TheInfoCentresGallerySwitchAsksForThePassCodeOnceItCloses) {
    showBrowser();
    tap(explorer->btnHelp());
    advance(1.0);
    auto* info = dynamic_cast<InfoCenterViewController*>(root->presentedViewController());
    ASSERT_NE(info, nullptr);
    ASSERT_TRUE(info->gallerySwitch()->isOn());
    tap(info->gallerySwitch());
    EXPECT_FALSE(defaults().boolForKey(ProjectExplorer::kGalleryEnabledDefaultsKey));
    EXPECT_EQ(passCodeScreen(), nullptr) << "no pass code while the info centre is up";
    window->sendKey(ui::Key::Escape);  // the info centre's Done
    advance(1.0);
    ASSERT_NE(passCodeScreen(), nullptr);
    // A new code: typed on the keyboard, confirmed on the keypad.
    window->sendText("1");
    window->sendText("3");
    window->sendText("5");
    window->sendText("7");
    type("1357");
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_FALSE(DataManager::sharedDataManager().isYoutubeGalleryEnabled());
    EXPECT_FALSE(explorer->btnGallery()->isEnabled());

    // The switch shows the setting as it now stands.
    tap(explorer->btnHelp());
    advance(1.0);
    info = dynamic_cast<InfoCenterViewController*>(root->presentedViewController());
    ASSERT_NE(info, nullptr);
    EXPECT_FALSE(info->gallerySwitch()->isOn());
    tap(info->doneButton());
    advance(1.0);
    EXPECT_EQ(root->presentedViewController(), nullptr) << "an unchanged setting asks nothing";
}

TEST_F(ProjectExplorerTest, GalleryTabSaysItNeedsANetworkAndImportNeedsAPicker) {
    showBrowser();
    EXPECT_FALSE(explorer->btnImport()->isEnabled());
    EXPECT_TRUE(explorer->btnImport()->imageForState(ui::ControlStateNormal).isNull());
    EXPECT_FALSE(fingers.press(ui::Key::Open));
    EXPECT_EQ(root->presentedViewController(), nullptr);

    support::NetworkStatus status = 0;
    InternetReachability::setStatusProvider([&status] { return status; });
    tap(explorer->btnGallery());
    auto* gallery = explorer->galleryCollectionView();
    ASSERT_NE(gallery, nullptr);
    EXPECT_EQ(gallery->nibName(), "KWGalleryCollectionViewController");
    EXPECT_TRUE(explorer->viewProjectsGrid()->isHidden());
    EXPECT_FALSE(explorer->viewGalleryGrid()->isHidden());
    EXPECT_TRUE(explorer->btnGallery()->isSelected());
    EXPECT_EQ(gallery->messageLabel()->text(), "The gallery needs a network connection.");
    tap(explorer->btnProjects());
    EXPECT_FALSE(explorer->viewProjectsGrid()->isHidden());
    EXPECT_TRUE(explorer->viewGalleryGrid()->isHidden());
    // Each showing looks at the connection again.
    status = 1;
    gallery->viewWillAppear(false);
    EXPECT_EQ(gallery->messageLabel()->text(), "The online gallery is not available in this version.");
    status = 0;
    gallery->viewWillAppear(false);
    EXPECT_EQ(gallery->messageLabel()->text(), "The gallery needs a network connection.");
    InternetReachability::setStatusProvider(nullptr);
}

// The WCAG contrast ratio of two opaque colours.
double contrastRatio(const graphics::Color& a, const graphics::Color& b) {
    auto luminance = [](const graphics::Color& color) {
        double rgb[4];
        EXPECT_TRUE(color.getRed(&rgb[0], &rgb[1], &rgb[2], &rgb[3]));
        EXPECT_DOUBLE_EQ(rgb[3], 1.0) << "only opaque colours have a contrast of their own";
        auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(rgb[0]) + 0.7152 * linear(rgb[1]) + 0.0722 * linear(rgb[2]);
    };
    double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A colour laid over an opaque one.
graphics::Color over(const graphics::Color& top, const graphics::Color& below) {
    double t[4], b[4];
    top.getRed(&t[0], &t[1], &t[2], &t[3]);
    below.getRed(&b[0], &b[1], &b[2], &b[3]);
    auto mix = [&](int i) { return t[i] * t[3] + b[i] * (1 - t[3]); };
    return graphics::Color::rgb(mix(0), mix(1), mix(2));
}

TEST_F(ProjectExplorerTest, TextOnTheGalleryAndOnTilesIsReadable) {
    EXPECT_NEAR(contrastRatio(graphics::Color::black(), graphics::Color::white()), 21.0, 1e-9);
    EXPECT_NEAR(contrastRatio(graphics::Color::grey(0.8), graphics::Color::grey(0.96)), 1.5, 0.1);

    showBrowser();
    tap(explorer->btnGallery());
    auto* gallery = explorer->galleryCollectionView();
    ASSERT_NE(gallery, nullptr);
    auto background = gallery->collectionView().backgroundColor();
    ASSERT_TRUE(background.has_value());
    EXPECT_GE(contrastRatio(gallery->messageLabel()->textColor(), *background), 4.5);

    // A tile's title on its band, over the lightest and the darkest thumbnail.
    for (const auto& picture : {graphics::Color::white(), graphics::Color::black()}) {
        graphics::Color band = over(KWGridCollectionViewCell::kTitleBandColor, picture);
        EXPECT_GE(contrastRatio(KWGridCollectionViewCell::kTitleColor, band), 4.5);
    }
}

TEST_F(ProjectExplorerTest, TilesShowTheirProjectsNamesAndTheKeyboardOpensOne) {
    auto older = savedProject(3, {40, 160, 200, 255});
    auto newer = savedProject(3, {200, 120, 40, 255});
    older->setName("Sunrise over the bay");
    newer->setName("Robot dance");
    older->saveMetaDataToDisk();
    newer->saveMetaDataToDisk();
    showBrowser();
    savePicture("project_browser_titled.png");
    const std::pair<size_t, std::string> titles[] = {{0, ""}, {1, "Robot dance"}, {2, "Sunrise over the bay"}};
    for (const auto& [row, title] : titles) {
        auto* tile = dynamic_cast<KWGridCollectionViewCell*>(cell(row));
        ASSERT_NE(tile, nullptr);
        EXPECT_EQ(tile->titleLabel().text(), title);
        EXPECT_EQ(tile->titleBand().isHidden(), title.empty()) << "row " << row;
    }
    // The item last chosen is framed in white, the keyboard's item ringed in
    // the grid's tint, the one accent colour: two looks, never one.
    auto& collection = grid().collectionView();
    EXPECT_EQ(collection.tintColor(), kAccentColor);
    EXPECT_EQ(dynamic_cast<KWGridCollectionViewCell*>(cell(0))->selectedBackgroundView()->backgroundColor(),
              KWGridCollectionViewCell::kSelectionFrameColor);
    EXPECT_NE(KWGridCollectionViewCell::kSelectionFrameColor, kAccentColor);

    // The first arrow rings the selected new-project entry; Right moves to
    // the newest project and Return opens its card.
    window->sendKey(ui::Key::Right);
    window->sendKey(ui::Key::Right);
    ASSERT_EQ(collection.focusedIndexPath(), ui::IndexPath::indexPathForItem(1, 0));
    EXPECT_EQ(collection.focusRingView()->layer().borderColor(), kAccentColor);
    savePicture("project_browser_keyboard.png");
    window->sendKey(ui::Key::Return);
    advance(1.0);
    ASSERT_TRUE(cardShown());
    EXPECT_EQ(explorer->projectDetailView()->project(), newer);
    EXPECT_TRUE(root->opened.empty());

    // The open card keeps the arrows and Return from the grid behind it.
    for (ui::Key key : {ui::Key::Right, ui::Key::Down, ui::Key::Left, ui::Key::Return}) window->sendKey(key);
    advance(1.0);
    EXPECT_EQ(collection.focusedIndexPath(), ui::IndexPath::indexPathForItem(1, 0));
    EXPECT_EQ(explorer->projectDetailView()->project(), newer);
    EXPECT_TRUE(root->opened.empty());

    // Escape is the card's Back.
    window->sendKey(ui::Key::Escape);
    advance(1.0);
    EXPECT_FALSE(cardShown());
    EXPECT_FALSE(cell(1)->isHidden());
}

// The Import button shows only a picture: the pointer resting on it says
// what it does, and the desktop's Open shortcut (Ctrl+O) presses it.
TEST_F(ProjectExplorerTest, ImportSaysWhatItDoesUnderThePointerAndCtrlOPressesIt) {
    ProjectExplorer::setDocumentPickerFactory([](const std::string& type) {
        return std::make_shared<library::DocumentPickerViewController>(
            std::vector<std::string>{type}, library::DocumentPickerMode::Import, std::nullopt);
    });
    showBrowser();
    fingers.hover(centerOf(*explorer->btnImport()));
    advance(ui::ToolTipTracker::kDelay);
    EXPECT_EQ(window->toolTips().shownText(), "Import a project archive (Ctrl+O)");
    savePicture("project_browser_import_tip.png");
    fingers.hover(centerOf(*explorer->btnHelp()));
    advance(ui::ToolTipTracker::kDelay);
    EXPECT_EQ(window->toolTips().shownText(), std::nullopt);

    for (int round = 0; round < 2; ++round) {
        EXPECT_TRUE(fingers.press(ui::Key::Open));
        advance(0.5);
        ASSERT_NE(dynamic_cast<library::DocumentPickerViewController*>(root->presentedViewController()), nullptr);
        EXPECT_FALSE(fingers.press(ui::Key::Open)) << "the sheet over the browser keeps the key";
        fingers.press(ui::Key::Escape);
        advance(1.0);
        EXPECT_EQ(root->presentedViewController(), nullptr);
    }
}

// Import as the user does it: the button, our own chooser (no portal
// here), a folder and a second tap on the archive; then the HUD until the
// outcome, the outcome for 3.0 s, and the picked file left as it was.
TEST_F(ProjectExplorerTest, ImportPicksAnArchiveInTheChooserAndTellsTheOutcome) {
    ProjectExplorer::setDocumentPickerFactory([](const std::string& type) {
        return std::make_shared<library::DocumentPickerViewController>(
            std::vector<std::string>{type}, library::DocumentPickerMode::Import, std::nullopt);
    });
    auto source = savedProject(2);
    const fs::path films = fs::path(foundation::Paths::userDirectory("DOCUMENTS", "Documents")) / "Films";
    fs::create_directories(films);
    ASSERT_TRUE(SSZipArchive::createZipFileAtPath((films / "good.tollivarmobile").string(), *source->getProjectPath(),
                                                  nullptr));
    fs::copy_file(films / "good.tollivarmobile", films / "vanishing.tollivarmobile");
    const std::string whole = testsupport::readFileBytes(films / "good.tollivarmobile");
    testsupport::writeFileBytes(films / "damaged.tollivarmobile", whole.substr(0, whole.size() / 2));
    showBrowser();
    ASSERT_TRUE(explorer->btnImport()->isEnabled());
    EXPECT_FALSE(explorer->btnImport()->imageForState(ui::ControlStateNormal).isNull());
    int posted = 0;
    auto token = foundation::NotificationCenter::defaultCenter().addObserver(
        ProjectExplorer::kDidImportProjectNotification, explorer.get(),
        [&](const foundation::Notification&) { ++posted; });

    const struct {
        const char* archive;
        bool removedAfterPick;
        const char* caption;
        size_t projects;
    } cases[] = {
        {"damaged.tollivarmobile", false, "There was a problem copying the project. Please try again.", 2},
        {"vanishing.tollivarmobile", true, "There was a problem copying the project. Please try again.", 2},
        {"good.tollivarmobile", false, "Project successfully imported.", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.archive);
        const std::string before = testsupport::readFileBytes(films / c.archive);
        tap(explorer->btnImport());
        advance(0.5);
        auto* picker = dynamic_cast<library::DocumentPickerViewController*>(root->presentedViewController());
        ASSERT_NE(picker, nullptr);
        auto& chooser = *picker->fileChooser();
        auto row = [&](const std::string& title) -> ui::View* {
            // The folder is read off the main thread: its rows come once it is.
            foundation::RunLoop::main().runUntilIdle();
            ui::prepareForRendering(*window, 1.0);
            for (const auto& cell : chooser.tableView()->visibleCells())
                if (cell->textLabel()->text() == title) return cell.get();
            return nullptr;
        };
        // The first time the chooser opens in the documents folder, later
        // where the last archive came from.
        if (chooser.currentFolder() != films.string()) tap(row("Films"));
        ASSERT_EQ(chooser.currentFolder(), films.string());
        if (&c == &cases[0]) savePicture("project_browser_import_chooser.png");
        tap(row(c.archive));
        advance(0.5);
        tap(row(c.archive));
        if (c.removedAfterPick) fs::remove(films / c.archive);
        Hudy* earlier = explorer->importHud();
        ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return explorer->importHud() != earlier; }, 5.0));
        Hudy* hud = explorer->importHud();
        EXPECT_EQ(hud->captionView()->text(), "Import.");
        EXPECT_FALSE(hud->activityView()->isHidden());
        ASSERT_TRUE(
            foundation::RunLoop::main().runUntil([&] { return hud->captionView()->text() != "Import."; }, 60.0));
        EXPECT_EQ(hud->captionView()->text(), c.caption);
        EXPECT_EQ(projects().size(), c.projects);
        EXPECT_EQ(grid().collectionView().numberOfItemsInSection(0), c.projects);
        EXPECT_EQ(testsupport::readFileBytes(films / c.archive), c.removedAfterPick ? "" : before)
            << "the picked file is only read";
        advance(2.9);
        EXPECT_NE(hud->view()->superview(), nullptr);
        advance(0.5);
        EXPECT_EQ(hud->view()->superview(), nullptr);
    }
    EXPECT_EQ(posted, 1);
    // The imported project holds the archive's frames.
    ASSERT_EQ(projects().size(), 3u);
    EXPECT_EQ(projects()[1]->getFrameList()->count(), source->getFrameList()->count());
    EXPECT_NE(projects()[1]->getProjectPath(), source->getProjectPath());
}

}  // namespace
