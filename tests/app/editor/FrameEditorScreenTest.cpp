// The editor screen through its view tree and the default notification
// centre: insertion, control states, the registry, saves and their failures,
// and pictures of the screen at both sizes.

#include "EditorTestSupport.h"
#include "app/capture/CaptureViewController.h"
#include "app/core/KWImageProducer.h"
#include "app/core/KWThemeItem.h"
#include "app/editor/EditorNotifications.h"
#include "app/editor/FrameEditorModel.h"
#include "app/editor/KWFrameByFrameView.h"
#include "app/editor/PreviewPlayer.h"
#include "app/preview/KWPreviewViewController.h"
#include "app/widgets/carousel/iCarousel.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/Slider.h"

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

namespace editortest {
namespace {

namespace n = editornotifications;

void post(const char* name, foundation::Dictionary userInfo = {}) {
    foundation::NotificationCenter::defaultCenter().post(name, nullptr, std::move(userInfo));
}

TEST_F(EditorTest, RegistryHoldsThirtyFourNamesOnceEach) {
    const auto& names = FrameEditorViewController::notificationNames();
    EXPECT_EQ(names.size(), 34u);
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), 34u);
    open(projectOfPictures("AB"));
    EXPECT_TRUE(editor->isObserving());
    editor->removeNotifications();
    EXPECT_FALSE(editor->isObserving());
    // Without observers a notification changes nothing.
    post(n::kThemeDidChange, {{n::kThemeKey, foundation::Value::object(std::make_shared<KWThemeItem>())}});
    settle();
    EXPECT_EQ(namesOfList(*editor->project()), "ABS");
}

TEST_F(EditorTest, TwoInsertionsInARowRunAfterTheCallerReturnsInOrder) {
    auto project = projectOfPictures("AB");
    open(project);
    auto list = project->getFrameList();
    FramePtr c = Frame::create(Frame::kTypePicture), d = Frame::create(Frame::kTypePicture);
    KWImageProducer producer(project);
    ASSERT_TRUE(producer.storeImage(pictureOf('C'), c->frameID()).ok());
    ASSERT_TRUE(producer.storeImage(pictureOf('D'), d->frameID()).ok());
    const auto before = savedListStamp(*project);
    editor->addFrames({c}, 1);
    editor->addFrames({d}, 1);
    EXPECT_EQ(list->count(), 3);  // nothing yet
    EXPECT_EQ(savedListStamp(*project), before);
    settle();
    // The second call's index was taken before the first ran: D lands in front of C.
    EXPECT_EQ(namesOfList(*project), "ADCBS");
    EXPECT_EQ(namesOfSavedList(*project), "ADCBS");
    EXPECT_LIST_INVARIANTS(project);
}

TEST_F(EditorTest, AnIndexPastTheEndAppendsInTheGivenOrder) {
    auto project = projectOfPictures("A");
    open(project);
    KWImageProducer producer(project);
    std::vector<FramePtr> frames;
    for (char name : std::string("BCD")) {
        frames.push_back(Frame::create(Frame::kTypePicture));
        ASSERT_TRUE(producer.storeImage(pictureOf(name), frames.back()->frameID()).ok());
    }
    editor->addFrames(frames, 99);
    settle();
    EXPECT_EQ(namesOfList(*project), "ASBCD");
    EXPECT_LIST_INVARIANTS(project);
}

TEST_F(EditorTest, AddFrameNotificationWithoutFrameChangesNothing) {
    auto project = projectOfPictures("AB");
    open(project);
    const auto before = savedListStamp(*project);
    post(n::kAddFrame);
    post(n::kAddFrame, {{"OTHER", 1}});
    settle();
    EXPECT_EQ(namesOfList(*project), "ABS");
    EXPECT_EQ(savedListStamp(*project), before);
    EXPECT_LIST_INVARIANTS(project);
}

TEST_F(EditorTest, AddFrameNotificationKeepsTheCapturedFrameOnceAndSaves) {
    auto project = projectOfPictures("AB");
    open(project);
    auto list = project->getFrameList();
    FramePtr captured = Frame::create(Frame::kTypePicture);
    ASSERT_TRUE(KWImageProducer(project).storeImage(pictureOf('C'), captured->frameID()).ok());
    list->insertFrame(captured, list->getCaptureIndex());  // as the capture screen does
    post(n::kAddFrame, {{n::kFrameKey, n::box(captured)}});
    settle();
    EXPECT_EQ(namesOfList(*project), "ABCS");
    EXPECT_EQ(namesOfSavedList(*project), "ABCS");
    EXPECT_LIST_INVARIANTS(project);
}

TEST_F(EditorTest, BelowTwoEntriesPlayAndVoiceOverStayDisabledAndTheHintShows) {
    struct Case {
        const char* pictures;
        bool enabled;
        bool playEnabled;
        bool hint;
    } cases[] = {
        {"", true, false, true}, {"A", true, true, false}, {"", false, false, true}, {"AB", false, false, false}};
    for (const Case& c : cases) {
        auto project = c.pictures[0] ? projectOfPictures(c.pictures) : ProjectModel::create();
        open(project);
        editor->updateGUIWithStatus(c.enabled);
        EXPECT_EQ(editor->btnPlay()->isEnabled(), c.playEnabled) << c.pictures << c.enabled;
        EXPECT_EQ(editor->btnAudio()->isEnabled(), c.playEnabled) << c.pictures << c.enabled;
        EXPECT_EQ(editor->btnMusic()->isEnabled(), c.enabled);
        EXPECT_EQ(editor->viewEmptyHelp()->isHidden(), !c.hint) << c.pictures;
    }
    EXPECT_EQ(editor->labelEmptyHelp()->text(), "Tap here to\radd some pictures");
}

TEST_F(EditorTest, AFailedSaveIsShownAndTheNextSaveWritesTheChange) {
    auto project = projectOfPictures("AB");
    open(project);
    auto list = project->getFrameList();
    const std::string listFile = *project->pathForFile("frames.meta");
    // A folder where the list goes: the save cannot replace it.
    std::filesystem::remove(listFile);
    std::filesystem::create_directory(listFile);
    editor->reverseFrames(0, 2);
    settle();
    EXPECT_EQ(namesOfList(*project), "BAS");  // memory keeps the change
    ASSERT_TRUE(editor->pendingSaveError().has_value());
    ASSERT_EQ(alertMessages().size(), 1u);
    EXPECT_EQ(alertMessages()[0], frameeditor::saveFailureMessage(*project, *editor->pendingSaveError()));
    EXPECT_FALSE(alertMessages()[0].empty());

    std::filesystem::remove(listFile);
    EXPECT_TRUE(editor->updateAllAndSaveProject().ok());
    EXPECT_FALSE(editor->pendingSaveError().has_value());
    EXPECT_EQ(namesOfSavedList(*project), "BAS");
    EXPECT_LIST_INVARIANTS(project);
}

TEST_F(EditorTest, ASaveStoppedByAFileSizeLimitSaysWhatAndWhyInTheUsersWords) {
    auto project = projectOfPictures("AB");
    project->setName("Sunrise");
    open(project);
    // A limit on the size of files (ulimit -f) the frame list does not fit in.
    rlimit before{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto previousHandler = ::signal(SIGXFSZ, SIG_IGN);
    const rlimit tight{16, before.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
    editor->reverseFrames(0, 2);
    settle();
    ::setrlimit(RLIMIT_FSIZE, &before);
    ::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(alertMessages(), std::vector<std::string>{"The project “Sunrise” could not be saved: a file would be "
                                                        "larger than this system allows."});
    EXPECT_TRUE(editor->updateAllAndSaveProject().ok());
    EXPECT_EQ(namesOfSavedList(*project), "BAS");
}

TEST_F(EditorTest, AThemeAddsTitleAndCreditsAndNoThemeRemovesThem) {
    auto project = projectOfPictures("ABC");
    project->setFPS(5);
    project->getMetaData()->set("META_RECORD_THEME", 3);  // as the theme picker stores it
    open(project);
    auto theme = std::make_shared<KWThemeItem>();
    theme->setThemeID(3);
    post(n::kThemeDidChange, {{n::kThemeKey, foundation::Value::object(theme)}});
    settle();
    EXPECT_EQ(namesOfList(*project), "TABCSC");
    EXPECT_EQ(namesOfSavedList(*project), "TABCSC");
    auto list = project->getFrameList();
    EXPECT_EQ(list->getFrameAtIndex(0)->getDuration(), 20);
    EXPECT_EQ(list->getFrameAtIndex(5)->getDuration(), 20);
    EXPECT_LIST_INVARIANTS(project);
    // Both cards rendered into their pictures.
    ASSERT_TRUE(foundation::RunLoop::main().runUntil(
        [&] {
            return std::filesystem::exists(
                *project->pathForFile(KWImageProducer::frameFileName(list->getFrameAtIndex(5)->frameID())));
        },
        60.0));
    EXPECT_TRUE(std::filesystem::exists(
        *project->pathForFile(KWImageProducer::previewFileName(list->getFrameAtIndex(0)->frameID()))));

    // Again: no new cards.
    post(n::kThemeDidChange, {{n::kThemeKey, foundation::Value::object(theme)}});
    settle();
    EXPECT_EQ(namesOfList(*project), "TABCSC");

    auto none = std::make_shared<KWThemeItem>();
    post(n::kThemeDidChange, {{n::kThemeKey, foundation::Value::object(none)}});
    settle();
    EXPECT_EQ(namesOfList(*project), "ABCS");
    EXPECT_EQ(namesOfSavedList(*project), "ABCS");
    EXPECT_LIST_INVARIANTS(project);

    // An outline change without cards does nothing.
    const auto before = savedListStamp(*project);
    post(n::kOutlineHasChanged);
    settle();
    EXPECT_EQ(namesOfList(*project), "ABCS");
    EXPECT_EQ(savedListStamp(*project), before);
}

TEST_F(EditorTest, TheStripFollowsTheListThroughInsertionsAndRemovals) {
    auto project = projectOfPictures("ABC");
    open(project);
    KWFrameByFrameView* strip = editor->playerViewController();
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->carousel()->numberOfItems(), 4);
    FramePtr d = Frame::create(Frame::kTypePicture);
    ASSERT_TRUE(KWImageProducer(project).storeImage(pictureOf('D'), d->frameID()).ok());
    editor->addFrames({d}, 3);
    settle();
    EXPECT_EQ(strip->carousel()->numberOfItems(), 5);
    editor->deleteFrames(0, 2);
    settle();
    advance(1.0);
    EXPECT_EQ(namesOfList(*project), "CDS");
    EXPECT_EQ(strip->carousel()->numberOfItems(), 3);
    EXPECT_LIST_INVARIANTS(project);
}

TEST_F(EditorTest, PlaybackShowsTheTimelineAndStopBringsTheStripBack) {
    auto project = projectOfPictures("ABCD");
    open(project);
    editor->actionPlayPreview();
    EXPECT_TRUE(editor->isPlaying());
    EXPECT_TRUE(editor->isTimeline());
    ASSERT_NE(editor->previewPlayer(), nullptr);
    EXPECT_TRUE(editor->previewPlayer()->isPlaying());
    EXPECT_TRUE(editor->btnPlay()->isEnabled());  // it stops playback
    EXPECT_FALSE(editor->btnMusic()->isEnabled());
    advance(0.5);
    editor->actionPlayPreview();
    EXPECT_FALSE(editor->isPlaying());
    EXPECT_FALSE(editor->isTimeline());
    EXPECT_FALSE(editor->previewPlayer()->isPlaying());
    EXPECT_TRUE(editor->btnMusic()->isEnabled());
    advance(0.5);
    EXPECT_DOUBLE_EQ(editor->viewPlayerViewController()->alpha(), 1.0);
    EXPECT_DOUBLE_EQ(editor->viewTimelineViewController()->alpha(), 0.0);
    EXPECT_LIST_INVARIANTS(project);
}

TEST_F(EditorTest, TheTimelineOpensFromThreeEntriesButADoubleTapOpensItAlways) {
    struct Case {
        const char* pictures;
        bool action;  // the zoom-out control, else the strip's double tap
        bool timeline;
    } cases[] = {{"A", true, false}, {"AB", true, true}, {"A", false, true}};
    for (const Case& c : cases) {
        open(projectOfPictures(c.pictures));
        if (c.action)
            editor->zoomOutAction();
        else
            post(n::kFrameByFrameViewDoubleTapped);
        EXPECT_EQ(editor->isTimeline(), c.timeline) << c.pictures << c.action;
    }
}

TEST_F(EditorTest, TabletEmbedsTheCaptureScreenAroundThePreview) {
    open(projectOfPictures("AB"));
    ASSERT_NE(editor->captureViewController(), nullptr);
    EXPECT_EQ(editor->captureViewController()->previewViewController().get(), editor->previewViewController());
    EXPECT_EQ(editor->view()->frame(), graphics::Rect(0, 0, 1024, 768));
    EXPECT_TRUE(editor->btnCamera()->isHidden());
}

TEST_F(EditorTest, AFrameBeingEditedFillsTheTopPaneWhateverTheOnionSkin) {
    open(projectOfPictures("ABC"));
    CaptureViewController& camera = *editor->captureViewController();
    ui::Slider& onion = *camera.sliderOverlayControl();
    auto list = editor->project()->getFrameList();
    tap(editor->btnForward());  // to the capture slot: the live picture
    advance(1);
    ASSERT_EQ(list->frameAtPlayhead()->type(), Frame::kTypeCaptureSlot);
    EXPECT_EQ(camera.viewCameraContainer()->alpha(), 1.0);
    // The onion skin half way: the thumb dragged from the top to the middle.
    const graphics::Rect track = onion.bounds();
    fingers.drag({onion.convertPointToView({track.maxX() - 12, track.midY()}, nullptr),
                  onion.convertPointToView({track.midX(), track.midY()}, nullptr)},
                 0.3);
    advance(1);
    const double skin = camera.viewCameraContainer()->alpha();
    EXPECT_GT(skin, 0.3);
    EXPECT_LT(skin, 0.7);
    EXPECT_EQ(skin, onion.value());

    tap(editor->btnBackward());  // to the first frame: it fills the pane
    advance(1);
    EXPECT_EQ(list->frameAtPlayhead(), list->getFrameAtIndex(0));
    EXPECT_EQ(camera.viewCameraContainer()->alpha(), 0.0);
    EXPECT_EQ(editor->previewViewController()->lastFrame(), list->getFrameAtIndex(0));
    savePicture("Editor-onion-frame-tablet.png");
    tap(editor->btnForward());  // back at the slot with the same skin
    advance(1);
    EXPECT_EQ(camera.viewCameraContainer()->alpha(), skin);

    // The slider says what it is, under its track.
    ui::Label& name = *camera.labelOverlayControl();
    EXPECT_EQ(name.text(), "Onion skin");
    EXPECT_FALSE(name.isHidden());
    EXPECT_GE(inWindow(&name).minY(), inWindow(&onion).maxY());
    EXPECT_TRUE(camera.view()->bounds().contains(inWindow(&name)));
}

TEST_F(PhoneEditorTest, PhoneLayoutPutsA16By9PreviewBetweenTheSidePanels) {
    open(projectOfPictures("AB"));
    EXPECT_EQ(editor->captureViewController(), nullptr);
    const double h = 320 - editor->viewPlayerViewController()->frame().height();
    const float pw = static_cast<float>(h * 1.7777777777777777);
    const float side = static_cast<float>((568 - pw) * 0.5);
    EXPECT_EQ(editor->viewPreview()->frame(), graphics::Rect(side, 0, pw, h));
    EXPECT_EQ(editor->viewLeftControls()->frame(), graphics::Rect(0, 0, side, h));
    EXPECT_EQ(editor->viewRightControls()->frame(), graphics::Rect(568.0 - double(side), 0, side, h));
    EXPECT_FALSE(editor->btnCamera()->isHidden());
}

// The editor with a selection run from B to D (marks on the strip).
void selectRun(FrameEditorViewController& editor) {
    auto list = editor.project()->getFrameList();
    foundation::NotificationCenter::defaultCenter().post(
        n::kMenuSelect, nullptr,
        {{n::kFrameKey, n::box(list->getFrameAtIndex(1))}, {n::kSelectionKey, n::box(n::FrameRange{1, 1})}});
    editor.playerViewController()->scrollToFrame(list->getFrameAtIndex(3), false);
}

// What is wrong with the tilted hint of an empty project: it covers the
// capture slot's tile or leaves the strip. Empty when nothing is.
std::string emptyHelpFaults(FrameEditorViewController& editor) {
    auto onScreen = [](const ui::View& view) { return view.convertRectToView(view.bounds(), nullptr); };
    const ui::Label& label = *editor.labelEmptyHelp();
    // The box of the label's turned corners.
    const graphics::Rect shown = onScreen(label);
    const graphics::Rect tile = onScreen(*editor.playerViewController()->carousel()->itemViewAtIndex(0));
    const graphics::Rect strip = onScreen(*editor.playerViewController()->view());
    std::string faults;
    if (label.text().empty()) faults += "no text\n";
    if (shown.height() <= label.bounds().height()) faults += "not tilted\n";
    if (shown.intersects(tile)) faults += "covers the capture slot\n";
    if (!strip.contains(shown)) faults += "leaves the strip\n";
    return faults;
}

TEST_F(EditorTest, PicturesOfTheTabletEditor) {
    open(ProjectModel::create());
    advance(1.0);
    EXPECT_FALSE(editor->viewEmptyHelp()->isHidden());
    EXPECT_EQ(emptyHelpFaults(*editor), "");
    savePicture("Editor-empty-tablet.png");
    open(projectOfPictures("ABCDE"));
    selectRun(*editor);
    advance(1.0);
    EXPECT_EQ(editor->playerViewController()->selectionStartIndex(), 1);
    settle();
    savePicture("Editor-tablet.png");
    EXPECT_TRUE(editor->viewEmptyHelp()->isHidden());
}

TEST_F(PhoneEditorTest, PicturesOfThePhoneEditor) {
    open(ProjectModel::create());
    advance(1.0);
    EXPECT_FALSE(editor->viewEmptyHelp()->isHidden());
    EXPECT_EQ(emptyHelpFaults(*editor), "");
    savePicture("Editor-empty-phone.png");
    open(projectOfPictures("ABCDE"));
    selectRun(*editor);
    advance(1.0);
    EXPECT_EQ(editor->playerViewController()->selectionStartIndex(), 1);
    settle();
    savePicture("Editor-phone.png");
    EXPECT_TRUE(editor->viewEmptyHelp()->isHidden());
}

}  // namespace
}  // namespace editortest
