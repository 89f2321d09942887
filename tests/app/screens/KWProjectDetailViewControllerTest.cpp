// The project card driven with fingers: its details line, renaming through
// the word filter, delete and duplicate with their sheets and alerts, the
// share sheet's duplicate service, and the animations in and out of the
// grid cell and the editor at given moments of the virtual clock.

#include "ScreenTestSupport.h"
#include "app/core/FormatterUtil.h"
#include "app/core/KWImageProducer.h"
#include "app/core/KWProfanityFilter.h"
#include "app/editor/FrameEditorViewController.h"
#include "app/render/MovieRenderer.h"
#include "app/render/screens/RenderProgressViewController.h"
#include "app/screens/KWProjectCollectionViewController.h"
#include "app/screens/KWProjectDetailViewController.h"
#include "app/screens/KWWelcomeViewController.h"
#include "app/screens/MainViewController.h"
#include "app/screens/ProjectExplorer.h"
#include "app/share/ShareViewController.h"
#include "app/widgets/alerts/Hudy.h"
#include "app/widgets/popover/KWPopoverController.h"
#include "platform/foundation/Bundle.h"
#include "platform/library/ActivityViewController.h"
#include "platform/library/PhotoLibrary.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/controllers/ActionSheet.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controllers/Toolbar.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class ProjectCardTest : public testsupport::ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        makeCard();
    }
    void makeCard() {
        card = std::make_shared<KWProjectDetailViewController>();
        root = showFillingRoot(card);
        card->handlerProjectOpen = [this](const ProjectModelPtr& p) { outcomes.push_back({"open", p}); };
        card->handlerProjectBack = [this](const ProjectModelPtr& p) { outcomes.push_back({"back", p}); };
        card->handlerProjectDelete = [this](const ProjectModelPtr& p) { outcomes.push_back({"delete", p}); };
        card->handlerProjectDuplicate = [this](const ProjectModelPtr& p) { outcomes.push_back({"duplicate", p}); };
        window->layoutIfNeeded();
    }
    // A saved project: `pictures` pictures in front of the capture slot.
    static ProjectModelPtr savedProject(int pictures) {
        auto project = ProjectModel::create();
        auto list = project->getFrameList();
        for (int i = 0; i < pictures; ++i)
            list->insertFrame(Frame::create(Frame::kTypePicture), list->getCaptureIndex());
        project->saveAllDataToDisk();
        return project;
    }
    void showFromGrid(const ProjectModelPtr& project) {
        card->showAnimationFromProjectExplorerForProject(project, kCell);
        advance(1.0);
        window->layoutIfNeeded();
    }
    void tapItem(ui::BarButtonItem* item) {
        ASSERT_NE(item, nullptr);
        tap(item->view());
    }
    // Fills the project's render cache as a finished render would.
    static std::string fillRenderCache(const ProjectModelPtr& project) {
        auto folder = *MovieRenderer::renderCachePathForProject(*project);
        fs::create_directories(folder);
        std::ofstream(folder + "/preview.mov") << "movie";
        return folder;
    }
    static std::vector<ProjectModelPtr> listed() { return KWProjects::getInstance().getProjects(); }
    static bool isListed(const ProjectModelPtr& project) {
        auto projects = listed();
        return std::find(projects.begin(), projects.end(), project) != projects.end();
    }
    graphics::Rect presentedThumbFrame() const {
        auto state = card->imageViewProjectDetail()->layer().presentation();
        return {state.position.x - state.bounds.width() / 2, state.position.y - state.bounds.height() / 2,
                state.bounds.width(), state.bounds.height()};
    }
    double presentedScale() const {
        auto value = card->imageViewProjectDetail()->layer().presentation().valueForKeyPath("transform.scale");
        return value ? std::get<double>(*value) : 0.0;
    }
    double presentedContainerAlpha() const { return card->viewProjectDetails()->layer().presentation().opacity; }

    struct Outcome {
        std::string what;
        ProjectModelPtr project;
    };
    static inline const graphics::Rect kCell{40, 120, 160, 90};
    std::shared_ptr<ui::ViewController> root;
    std::shared_ptr<KWProjectDetailViewController> card;
    std::vector<Outcome> outcomes;
};

std::string plain(const ui::Label* label) { return ui::plainText(label->attributedText()); }

TEST_F(ProjectCardTest, DetailsLineShowsDateDurationFramesAndTheSizeOnceMeasured) {
    auto project = savedProject(10);
    project->getFrameList()->getFrameAtIndex(0)->setDuration(3);  // 12 frames in the movie
    project->setFPS(4);
    card->showAnimationFromProjectExplorerForProject(project, kCell);

    const auto modified = project->getModifiedDate();
    const std::string date = (modified ? "Modified " : "Created ") +
                             FormatterUtil::getFormatedDate(modified ? *modified : project->getCreationDate());
    // The size is measured in the background: the first showing has none.
    EXPECT_EQ(plain(card->labelDetails()), date + "  Duration 00:03  Frames 12  ");
    foundation::RunLoop::main().runUntilIdle();
    const std::string size = FormatterUtil::getFormatedFileSize(project->getUsedStorageSpace());
    EXPECT_EQ(plain(card->labelDetails()), date + "  Duration 00:03  Frames 12  Size " + size + " ");
    EXPECT_EQ(card->textFieldName()->text(), project->getName());

    // Labels at the base size, values 1.7 times it, the name 3 times it (tablet: 17).
    const auto& runs = card->labelDetails()->attributedText();
    ASSERT_EQ(runs.size(), 8u);
    EXPECT_DOUBLE_EQ(runs[0].font->pointSize(), 17.0);
    EXPECT_DOUBLE_EQ(runs[1].font->pointSize(), 17.0 * 1.7);
    EXPECT_DOUBLE_EQ(card->textFieldName()->font().pointSize(), 51.0);
    advance(1.0);
    savePicture("project_card.png");

    // A stored rate of 0 reads as 5 frames a second instead of dividing by zero.
    project->getMetaData()->set("RecordFPS", foundation::Value(0.0));
    card->updateProjectDetailWithSize(-1);
    EXPECT_NE(plain(card->labelDetails()).find("Duration 00:02  Frames 12"), std::string::npos);

    // Without frames in the movie only the date and the size are left.
    auto list = project->getFrameList();
    while (list->count() > 1) list->removeFrameAtIndex(0);
    card->updateProjectDetailWithSize(0);
    EXPECT_EQ(plain(card->labelDetails()), date + "  Size " + FormatterUtil::getFormatedFileSize(0) + " ");
}

TEST_F(ProjectCardTest, LongestHoldsOpenAtOnceWithTheirDurationComputed) {
    struct Case {
        std::vector<int64_t> holds;
        int64_t frames;
    };
    // Stored holds as read back from disk; building the movie's frame list
    // for them would need gigabytes.
    const Case cases[] = {{{2147483647}, 2147483647}, {{2147483647, 2147483647, -3, 0}, 4294967294}, {{7}, 7}};
    for (const Case& c : cases) {
        auto saved = savedProject(int(c.holds.size()));
        for (size_t i = 0; i < c.holds.size(); ++i)
            saved->getFrameList()->getFrameAtIndex(int64_t(i))->setDuration(c.holds[i]);
        ASSERT_TRUE(saved->saveAllDataToDisk());
        auto project = ProjectModel::create(saved->getProjectPath());
        card->showAnimationFromProjectExplorerForProject(project, kCell);
        const std::string duration = FormatterUtil::getFormatedDuration(float(c.frames) / 5.0f);
        EXPECT_NE(
            plain(card->labelDetails()).find("Duration " + duration + "  Frames " + std::to_string(c.frames) + "  "),
            std::string::npos)
            << plain(card->labelDetails());
    }
}

TEST_F(ProjectCardTest, RenamedProjectIsFilteredAndSaved) {
    auto project = savedProject(2);
    showFromGrid(project);

    tap(card->textFieldName());
    ASSERT_TRUE(card->textFieldName()->isEditing());
    window->sendKey(ui::Key::End);
    for (size_t i = 0; i < project->getName().size() + 2; ++i) window->sendKey(ui::Key::Backspace);
    window->sendText("The Bastard");
    card->updateProjectDetailWithSize(1000);  // the measured size arriving mid-edit
    window->sendText(" Robot");
    window->sendKey(ui::Key::Return);

    const std::string name = card->textFieldName()->text();
    EXPECT_FALSE(card->textFieldName()->isEditing());
    ASSERT_EQ(name.size(), std::string("The Bastard Robot").size());
    EXPECT_EQ(name.substr(0, 4), "The ");
    EXPECT_EQ(name.substr(11), " Robot");
    EXPECT_EQ(name.substr(4, 7).find_first_not_of(KWProfanityFilter::kReplacementAlphabet), std::string::npos);
    EXPECT_EQ(project->getName(), name);

    // On disk, as another tool reads it.
    auto result =
        testsupport::runPython("import plistlib,sys\nprint(plistlib.load(open(sys.argv[1],'rb'))['RecordName'])",
                               {*project->pathForFile("kelbrin.meta")});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(result.output, name + "\n");

    // An emptied field keeps the name and shows it again.
    tap(card->textFieldName());
    window->sendKey(ui::Key::End);
    for (size_t i = 0; i < name.size(); ++i) window->sendKey(ui::Key::Backspace);
    window->sendKey(ui::Key::Return);
    EXPECT_EQ(card->textFieldName()->text(), name);
    EXPECT_EQ(project->getName(), name);

    // A name that cannot be saved says so, in words, with no inner path.
    fs::remove_all(*project->getProjectPath());
    std::ofstream(*project->getProjectPath()) << "not a folder";
    tap(card->textFieldName());
    window->sendKey(ui::Key::End);
    window->sendText("!");
    window->sendKey(ui::Key::Return);
    const auto alerts = ui::AlertView::visibleAlerts();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0]->message(), "The project “" + name + "!” could not be saved: its folder is no longer there.");
}

TEST_F(ProjectCardTest, SmallProjectIsDeletedStraightAfterTheSheetWithItsRenderCache) {
    auto project = savedProject(3);  // 4 entries with the capture slot
    const std::string folder = *project->getProjectPath();
    const std::string cache = fillRenderCache(project);
    showFromGrid(project);

    tapItem(card->trashBtn());
    advance(0.5);
    auto sheets = ui::ActionSheet::visibleSheets();
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0]->buttonTitleAtIndex(0), "Delete");
    EXPECT_EQ(sheets[0]->destructiveButtonIndex(), 0);
    tap(sheets[0]->buttonViewAtIndex(0));
    advance(0.3);
    foundation::RunLoop::main().runUntilIdle();

    EXPECT_TRUE(alertMessages().empty());
    EXPECT_FALSE(isListed(project));
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_FALSE(fs::exists(cache));
    EXPECT_EQ(card->project(), nullptr);
    advance(0.5);
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].what, "delete");
    EXPECT_EQ(outcomes[0].project, nullptr);
    EXPECT_DOUBLE_EQ(presentedContainerAlpha(), 0.0);
    EXPECT_EQ(presentedThumbFrame(), card->orgRect());
}

TEST_F(ProjectCardTest, LargerProjectWarnsFirstAndNoKeepsIt) {
    auto project = savedProject(4);  // 5 entries
    showFromGrid(project);
    auto chooseDeleteInSheet = [&] {
        tapItem(card->trashBtn());
        advance(0.5);
        ASSERT_EQ(ui::ActionSheet::visibleSheets().size(), 1u);
        tap(ui::ActionSheet::visibleSheets()[0]->buttonViewAtIndex(0));
        advance(0.5);
    };

    chooseDeleteInSheet();
    auto alerts = ui::AlertView::visibleAlerts();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0]->title(), "Warning");
    EXPECT_EQ(alerts[0]->message(), "Do you really want to delete your project? This cannot be undone!");
    ASSERT_EQ(alerts[0]->numberOfButtons(), 2);
    EXPECT_EQ(alerts[0]->buttonTitleAtIndex(1), "No");
    tap(alerts[0]->buttonViewAtIndex(1));
    advance(1.0);
    foundation::RunLoop::main().runUntilIdle();
    EXPECT_TRUE(isListed(project));
    EXPECT_TRUE(fs::exists(*project->getProjectPath()));
    EXPECT_TRUE(outcomes.empty());

    chooseDeleteInSheet();
    alerts = ui::AlertView::visibleAlerts();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0]->buttonTitleAtIndex(0), "Delete");
    tap(alerts[0]->buttonViewAtIndex(0));
    // The deletion starts a quarter of a second after the alert's button.
    EXPECT_TRUE(isListed(project));
    advance(0.3);
    foundation::RunLoop::main().runUntilIdle();
    EXPECT_FALSE(isListed(project));
    advance(0.5);
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].what, "delete");
}

TEST_F(ProjectCardTest, DuplicateServiceOfTheShareSheetDuplicatesTheProject) {
    savedProject(1);
    auto project = savedProject(2);  // listed at 1, in front of the older one
    ASSERT_EQ(listed().at(1), project);
    showFromGrid(project);

    tapItem(card->shareBtn());
    advance(0.5);
    ASSERT_NE(card->sharePopover(), nullptr);
    ASSERT_TRUE(card->sharePopover()->isPopoverVisible());
    auto* sheet = dynamic_cast<library::ActivityViewController*>(card->sharePopover()->contentViewController().get());
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->excludedActivityTypes.size(), 12u);
    EXPECT_EQ(sheet->excludedActivityTypes.front(), library::activitytype::PostToFacebook);
    EXPECT_EQ(sheet->excludedActivityTypes.back(), library::activitytype::PostToTencentWeibo);
    // The services in the sheet's order; Mail only where the desktop names
    // a mail program (the share services' tests cover both).
    std::vector<std::string> titles;
    for (const auto& activity : sheet->offeredActivities()) titles.push_back(activity->activityTitle());
    if (titles.size() == 6u) {
        EXPECT_EQ(titles.at(4), "Mail");
        titles.erase(titles.begin() + 4);
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"Photos", "YouTube", "Dropbox", "Save to Folder", "Duplicate"}));
    auto cells = sheet->activityCells();
    ASSERT_EQ(cells.size(), sheet->offeredActivities().size());
    window->layoutIfNeeded();
    tap(cells.back());

    // The card answers the service's request with the busy panel at once.
    ASSERT_NE(card->duplicateHud(), nullptr);
    EXPECT_EQ(card->duplicateHud()->caption, "Duplicate");
    EXPECT_DOUBLE_EQ(card->duplicateHud()->dismissAfterTime, Hudy::kStaysUntilDismissed);
    foundation::RunLoop::main().runUntilIdle();
    advance(1.0);

    EXPECT_EQ(card->duplicateHud(), nullptr);
    EXPECT_FALSE(card->sharePopover()->isPopoverVisible());
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].what, "duplicate");
    auto projects = listed();
    ASSERT_EQ(projects.size(), 4u);
    EXPECT_EQ(projects[2], project);
    EXPECT_NE(projects[1]->getProjectPath(), project->getProjectPath());
    EXPECT_EQ(projects[1]->getName(), project->getName() + " copy");  // told apart in the grid
    EXPECT_EQ(projects[1]->getFrameList()->count(), 3);
    EXPECT_TRUE(alertMessages().empty());
}

// On a tablet the sheet sits in a popover and the service's screen covers
// the window: the bar items of that screen, tapped where they show, end the
// service and take the screen, the sheet and its popover away, so the card
// shows and answers again. Cancel on the form, Done after a real save.
TEST_F(ProjectCardTest, PhotosScreenFromTheSharePopoverClosesOnItsBarItems) {
    auto project = ProjectModel::create();
    KWImageProducer producer(project);
    for (int i = 0; i < 4; ++i) {
        FramePtr frame = Frame::create(Frame::kTypePicture);
        ASSERT_TRUE(producer.storeImage(graphics::Image::filled(320, 180, {40, 120, 200, 255}), frame->frameID()).ok());
        project->getFrameList()->insertFrame(frame, project->getFrameList()->getCaptureIndex());
    }
    ASSERT_TRUE(project->saveAllDataToDisk());
    showFromGrid(project);

    auto openPhotos = [&]() -> ShareViewController* {
        tapItem(card->shareBtn());
        advance(0.5);
        if (!card->sharePopover() || !card->sharePopover()->isPopoverVisible()) return nullptr;
        auto* sheet =
            dynamic_cast<library::ActivityViewController*>(card->sharePopover()->contentViewController().get());
        if (!sheet || sheet->offeredActivities().empty() || sheet->offeredActivities()[0]->activityTitle() != "Photos")
            return nullptr;
        window->layoutIfNeeded();
        tap(sheet->activityCells().front());
        advance(1.0);
        window->layoutIfNeeded();
        auto* navigation = dynamic_cast<ui::NavigationController*>(sheet->presentedViewController());
        return navigation ? dynamic_cast<ShareViewController*>(navigation->topViewController()) : nullptr;
    };
    // A tap where the item shows; then the card is back and answers.
    auto tapAndExpectCardBack = [&](const std::shared_ptr<ui::BarButtonItem>& item, const std::string& title) {
        ASSERT_NE(item, nullptr);
        ASSERT_NE(item->view(), nullptr);
        EXPECT_EQ(item->title(), title);
        fingers.tap(centerOf(*item->view()));
        advance(1.0);
        EXPECT_FALSE(card->sharePopover() && card->sharePopover()->isPopoverVisible());
        EXPECT_FALSE(root->view()->isHidden());
        ui::View* shareButton = card->shareBtn()->view();
        ASSERT_NE(shareButton, nullptr);
        EXPECT_EQ(window->hitTest(centerOf(*shareButton), nullptr), shareButton) << "the card answers again";
    };

    ShareViewController* screen = openPhotos();
    ASSERT_NE(screen, nullptr);
    EXPECT_TRUE(root->view()->isHidden()) << "the service's screen covers the card";
    tapAndExpectCardBack(screen->navigationItem().leftBarButtonItem(), "Cancel");

    screen = openPhotos();
    ASSERT_NE(screen, nullptr);
    size_t smallest = 0;
    for (size_t i = 0; i < screen->exportTypes().size(); ++i)
        if (screen->exportTypes()[i].size().width < screen->exportTypes()[smallest].size().width) smallest = i;
    ASSERT_LT(smallest, screen->typeButtons().size());
    tap(screen->typeButtons()[smallest].get());
    ASSERT_NE(screen->panel(), nullptr);
    ASSERT_TRUE(foundation::RunLoop::main().runUntil(
        [&] { return screen->panel()->infoText() == "Your movie was saved to the album \"Tollivar\"."; }, 600));
    advance(1.0);
    window->layoutIfNeeded();
    tapAndExpectCardBack(screen->panel()->navigationItem().rightBarButtonItem(), "Done");
}

// Escape takes the share sheet away as its Cancel does, in its popover on a
// tablet and presented on a phone; the card stays until the next Escape.
TEST_F(ProjectCardTest, EscapeClosesTheShareSheetThenTheCard) {
    for (bool phone : {false, true}) {
        SCOPED_TRACE(phone ? "phone" : "tablet");
        if (phone) {
            ui::Device::current().setUserInterfaceIdiom(ui::UserInterfaceIdiom::Phone);
            window->setFrame({0, 0, 568, 320});
            makeCard();
        }
        outcomes.clear();
        auto project = savedProject(1);
        showFromGrid(project);
        const size_t projects = listed().size();
        tapItem(card->shareBtn());
        advance(1.0);
        auto sheetUp = [&] {
            return phone ? root->presentedViewController() != nullptr
                         : card->sharePopover() && card->sharePopover()->isPopoverVisible();
        };
        ASSERT_TRUE(sheetUp());
        EXPECT_TRUE(fingers.press(ui::Key::Escape));
        advance(1.0);
        EXPECT_FALSE(sheetUp());
        EXPECT_TRUE(outcomes.empty()) << "the card stays";
        window->layoutIfNeeded();
        EXPECT_TRUE(fingers.press(ui::Key::Escape));
        advance(1.0);
        ASSERT_EQ(outcomes.size(), 1u);
        EXPECT_EQ(outcomes[0].what, "back");
        EXPECT_EQ(listed().size(), projects) << "nothing duplicated";
    }
}

TEST_F(ProjectCardTest, FailedDuplicationShowsItsErrorAfterTheBusyPanel) {
    ui::Device::current().setUserInterfaceIdiom(ui::UserInterfaceIdiom::Phone);
    window->setFrame({0, 0, 568, 320});
    makeCard();
    auto project = savedProject(2);
    showFromGrid(project);
    // A phone shows the share sheet as a presented screen, not in a popover.
    tapItem(card->shareBtn());
    advance(1.0);
    auto* sheet = dynamic_cast<library::ActivityViewController*>(root->presentedViewController());
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(card->sharePopover(), nullptr);
    sheet->cancel();
    advance(1.0);
    ASSERT_EQ(root->presentedViewController(), nullptr);

    // A file where the folder was: nothing can be copied from it.
    fs::remove_all(*project->getProjectPath());
    std::ofstream(*project->getProjectPath()) << "not a folder";

    tapItem(card->duplicateBtn());
    ASSERT_NE(card->duplicateHud(), nullptr);
    foundation::RunLoop::main().runUntilIdle();
    advance(1.0);
    EXPECT_EQ(card->duplicateHud(), nullptr);
    ASSERT_EQ(outcomes.size(), 1u);
    auto alerts = ui::AlertView::visibleAlerts();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0]->title(), "Error");
    EXPECT_FALSE(alerts[0]->message().empty());
    EXPECT_EQ(alerts[0]->buttonTitleAtIndex(alerts[0]->cancelButtonIndex()), "Cancel");
}

TEST_F(ProjectCardTest, ErrorTextsForMissingDescriptionAndPhotoAccess) {
    card->showError(std::nullopt);
    EXPECT_TRUE(alertMessages().empty());
    card->showError(foundation::Error("Renderer", 42, ""));
    card->showError(foundation::Error("ALAssetsLibraryErrorDomain", library::kAssetsLibraryAccessUserDeniedError,
                                      "User denied access"));
    auto messages = alertMessages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], "Ups. An unknown error occured. (Renderer-42)");
    EXPECT_EQ(messages[1].find("UserDeniedKey"), std::string::npos);
    EXPECT_NE(messages[1].find(foundation::Bundle::main().objectForInfoDictionaryKey("CFBundleName").asString()),
              std::string::npos);
}

TEST_F(ProjectCardTest, GrowsOutOfTheGridCellAndShrinksBackOnBack) {
    auto project = savedProject(2);
    const std::string cache = fillRenderCache(project);
    card->showAnimationFromProjectExplorerForProject(project, kCell);
    const graphics::Rect rest = card->orgRect();
    EXPECT_DOUBLE_EQ(rest.height(), rest.width() * 0.5625);

    EXPECT_EQ(presentedThumbFrame(), kCell);
    EXPECT_DOUBLE_EQ(presentedContainerAlpha(), 0.0);
    advance(0.1);
    auto midway = presentedThumbFrame();
    EXPECT_GT(midway.width(), kCell.width());
    EXPECT_LT(midway.width(), rest.width());
    EXPECT_GT(presentedContainerAlpha(), 0.0);
    EXPECT_LT(presentedContainerAlpha(), 1.0);
    advance(0.26);
    EXPECT_EQ(presentedThumbFrame(), rest);
    EXPECT_DOUBLE_EQ(presentedContainerAlpha(), 1.0);

    window->layoutIfNeeded();
    tapItem(card->backBtn());
    EXPECT_FALSE(fs::exists(cache));
    advance(0.1);
    EXPECT_LT(presentedThumbFrame().width(), rest.width());
    EXPECT_TRUE(outcomes.empty());
    advance(0.2);
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].what, "back");
    EXPECT_EQ(outcomes[0].project, project);
    EXPECT_EQ(presentedThumbFrame(), rest);
    EXPECT_DOUBLE_EQ(presentedContainerAlpha(), 0.0);
}

TEST_F(ProjectCardTest, ScalesIntoAndBackFromTheEditor) {
    auto project = savedProject(2);
    card->showAnimationFromFrameEditorForProject(project, kCell);
    EXPECT_DOUBLE_EQ(presentedContainerAlpha(), 1.0);
    EXPECT_DOUBLE_EQ(presentedScale(), 2.5);
    advance(0.125);
    EXPECT_NEAR(presentedScale(), 1.75, 1e-9);
    advance(0.2);
    EXPECT_DOUBLE_EQ(presentedScale(), 1.0);

    window->layoutIfNeeded();
    tapItem(card->editBtn());
    advance(0.125);
    EXPECT_NEAR(presentedScale(), 1.75, 1e-9);
    advance(1.0);
    // Kept at the end: the card stays blown up while the editor takes over.
    EXPECT_DOUBLE_EQ(presentedScale(), 2.5);
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].what, "open");
    EXPECT_EQ(outcomes[0].project, project);
}

TEST_F(ProjectCardTest, OnAPhoneTheThumbnailRisesIntoTheEditor) {
    ui::Device::current().setUserInterfaceIdiom(ui::UserInterfaceIdiom::Phone);
    window->setFrame({0, 0, 568, 320});
    makeCard();
    auto project = savedProject(2);
    card->showAnimationFromFrameEditorForProject(project, kCell);
    EXPECT_DOUBLE_EQ(presentedScale(), 1.9);
    EXPECT_DOUBLE_EQ(card->textFieldName()->font().pointSize(), 30.0);
    advance(1.0);

    const double startY = card->imageViewProjectDetail()->center().y;
    card->actionEdit();
    advance(0.15);
    EXPECT_TRUE(outcomes.empty());
    const double y = card->imageViewProjectDetail()->layer().presentation().position.y;
    EXPECT_LT(std::min(y, startY), std::max(y, startY));
    advance(0.2);
    EXPECT_DOUBLE_EQ(card->imageViewProjectDetail()->layer().presentation().position.y, 320.0 / 2 - 70.0);
    EXPECT_DOUBLE_EQ(presentedScale(), 1.9);
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].what, "open");
}

TEST_F(ProjectCardTest, TheEditorOpensWhenTheEditAnimationEndsOnEveryDevice) {
    for (auto idiom : {ui::UserInterfaceIdiom::Pad, ui::UserInterfaceIdiom::Phone}) {
        SCOPED_TRACE(idiom == ui::UserInterfaceIdiom::Pad ? "tablet" : "phone");
        ui::Device::current().setUserInterfaceIdiom(idiom);
        makeCard();
        outcomes.clear();
        card->showAnimationFromFrameEditorForProject(savedProject(2), kCell);
        advance(1.0);

        card->actionEdit();
        foundation::RunLoop::main().runUntilIdle();
        EXPECT_TRUE(outcomes.empty());
        advance(0.29);
        EXPECT_TRUE(outcomes.empty());
        advance(0.02);
        ASSERT_EQ(outcomes.size(), 1u);
        EXPECT_EQ(outcomes[0].what, "open");
    }
}

TEST_F(ProjectCardTest, EditFromTheBrowserOpensTheEditorOnTheProject) {
    auto project = savedProject(2);
    KWWelcomeViewController::setHasSeen(true);
    auto main = std::make_shared<MainViewController>("MainViewController");
    window->setRootViewController(main);
    main->showProjectExplorerFromDefault();
    advance(1.5);
    window->layoutIfNeeded();
    auto& grid = main->viewExplorer()->projectsCollectionView()->collectionView();
    tap(grid.cellForItemAtIndexPath(ui::IndexPath::indexPathForItem(1, 0)).get());
    advance(1.0);
    auto* shown = main->viewExplorer()->projectDetailView();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->project(), project);

    window->layoutIfNeeded();
    tapItem(shown->editBtn());
    advance(1.0);
    ASSERT_NE(main->viewFrameEditor(), nullptr);
    EXPECT_EQ(main->viewFrameEditor()->project(), project);
    EXPECT_EQ(main->viewExplorer(), nullptr);
}

// Play on a project whose frame list went bad tells it by the project's
// name, as Edit does, and offers no render.
TEST_F(ProjectCardTest, PlayTellsAFrameListThatCannotBeReadByTheProjectsName) {
    auto stored = savedProject(2);
    std::ofstream(*stored->getProjectPath() + "/frames.meta") << "<plist><array><dict>";
    showFromGrid(ProjectModel::create(stored->getProjectPath()));
    tapItem(card->playBtn());
    advance(1.0);
    EXPECT_EQ(alertMessages(), std::vector<std::string>{"The project “My Stop Ziruru Movie” cannot be opened: its "
                                                        "list of frames cannot be read."});
}

}  // namespace

namespace {

// The card on a phone's screen (568 × 320) in the window's corner.
class PhoneCardTest : public ProjectCardTest {
protected:
    void SetUp() override {
        testsupport::ScreenTest::SetUp();
        ui::Device::current().setUserInterfaceIdiom(ui::UserInterfaceIdiom::Phone);
        ui::Device::current().setScreenBounds(kPhoneScreen);
        makeCard();
        // Made at another size first, as a screen can be before its window
        // settles: the card's resting layout must follow the phone's size.
        card->view()->setFrame({0, 0, 1024, 768});
        window->layoutIfNeeded();
        card->view()->setFrame(kPhoneScreen);
        window->layoutIfNeeded();
    }
    static inline const graphics::Rect kPhoneScreen{0, 0, 568, 320};
};

TEST_F(PhoneCardTest, TheDetailsLineShowsWholeBetweenTheNameAndTheToolbar) {
    auto project = savedProject(10);
    card->showAnimationFromProjectExplorerForProject(project, {20, 60, 100, 56});
    foundation::RunLoop::main().runUntilIdle();
    advance(1.0);
    ui::prepareForRendering(*window, 1.0);
    savePicture("project_card_phone.png");

    const ui::Label* details = card->labelDetails();
    const graphics::Rect line = details->convertRectToView(details->bounds(), nullptr);
    const graphics::Rect name = card->textFieldName()->convertRectToView(card->textFieldName()->bounds(), nullptr);
    const graphics::Rect toolbar = card->toolbar()->convertRectToView(card->toolbar()->bounds(), nullptr);
    EXPECT_NE(plain(details).find("Frames 10"), std::string::npos);
    EXPECT_NE(plain(details).find("Size"), std::string::npos);
    EXPECT_GE(line.height(), std::ceil(details->font().lineHeight())) << "no room for the line";
    EXPECT_GE(line.minY(), name.maxY()) << "the line runs into the name";
    EXPECT_LE(line.maxY(), toolbar.minY()) << "the toolbar covers the line";
    EXPECT_GE(line.minX(), kPhoneScreen.minX());
    EXPECT_LE(line.maxX(), kPhoneScreen.maxX());
    // All of its text fits: what it needs is no more than its frame.
    const graphics::Size needed = details->sizeThatFits({line.width(), 0});
    EXPECT_LE(needed.height, line.height() + 0.5) << "the line is cut";
    EXPECT_GT(line.height(), 0);
}

TEST_F(ProjectCardTest, TheNameOfANewProjectReadsWholeOnTheTablet) {
    ui::Device::current().setUserInterfaceIdiom(ui::UserInterfaceIdiom::Pad);
    makeCard();
    // Where the browser shows it: under its bar of tabs.
    card->view()->setFrame({0, 64, 1024, 704});
    window->layoutIfNeeded();
    auto project = savedProject(3);
    ASSERT_EQ(project->getName(), "My Stop Ziruru Movie");
    showFromGrid(project);
    EXPECT_EQ(textCutFault(*card->textFieldName()), "");
}

TEST_F(PhoneCardTest, TheNameOfANewProjectReadsWholeOnThePhone) {
    auto project = savedProject(3);
    ASSERT_EQ(project->getName(), "My Stop Ziruru Movie");
    showFromGrid(project);
    EXPECT_EQ(textCutFault(*card->textFieldName()), "");
}

}  // namespace
