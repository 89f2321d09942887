// The frame-edit menu's operations on a project in the editor, driven by the
// notifications the menu posts, with the list's invariants checked after
// each one and the saved list read back with plistlib.

#include "MenuByTouch.h"
#include "app/capture/CaptureViewController.h"
#include "app/core/KWImageProducer.h"
#include "app/core/KWPasteboardHandler.h"
#include "app/editor/EditorNotifications.h"
#include "app/editor/FrameEditorModel.h"
#include "app/editor/KWFrameByFrameView.h"
#include "app/editor/KWFrameEditMenuViewController.h"
#include "app/painter/PainterLayerManager.h"
#include "app/painter/PainterLayerTableViewController.h"
#include "app/painter/PainterViewController.h"
#include "app/widgets/carousel/iCarousel.h"
#include "app/widgets/popover/KWPopoverController.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/library/Pasteboard.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/controllers/ActionSheet.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/Switch.h"
#include "support/ChildProcess.h"
#include "support/FolderReads.h"
#include "support/Pictures.h"

#include <array>
#include <filesystem>
#include <regex>

namespace editortest {
namespace {

namespace n = editornotifications;

// Whether a label in the tree shows the text (a notice stays in the tree
// while it fades out).
bool showsText(const ui::View& view, const std::string& text) {
    if (auto* label = dynamic_cast<const ui::Label*>(&view); label && label->text() == text) return true;
    for (const auto& child : view.subviews())
        if (showsText(*child, text)) return true;
    return false;
}

TEST_F(OperationsTest, DeleteKeepsTheCaptureSlotPlaysTrashOnceAndSaves) {
    struct Case {
        const char* pictures;
        int64_t location, length;
        const char* after;
        int trash;
    } cases[] = {
        {"ABC", 2, 2, "ABS", 1},   // over the slot at the end
        {"ABC", 0, 4, "S", 1},     // everything
        {"ABC", 3, 1, "ABCS", 0},  // the slot alone: no sound, still saved
        {"ABCD", 1, 2, "ADS", 1},
    };
    for (const Case& c : cases) {
        auto project = projectOfPictures(c.pictures);
        open(project);
        const int before = plays("trash.aiff");
        const auto saved = savedListStamp();
        choose(n::kMenuDelete, c.location, c.location, c.length);
        // Asked first when something can go; the slot alone only saves.
        if (c.trash) {
            EXPECT_EQ(namesOfList(*project), std::string(c.pictures) + "S") << "nothing goes before the answer";
            EXPECT_EQ(deleteQuestion(), "|Delete|Cancel");
            answer("Delete");
        } else {
            EXPECT_EQ(deleteQuestion(), "none");
        }
        EXPECT_EQ(namesOfList(*project), c.after) << c.pictures << " " << c.location << "+" << c.length;
        EXPECT_EQ(namesOfSavedList(*project), c.after);
        EXPECT_NE(savedListStamp(), saved);
        EXPECT_EQ(plays("trash.aiff") - before, c.trash);
        EXPECT_LIST_INVARIANTS(project);
    }
}

TEST_F(OperationsTest, DeletingOneOfTwoFramesSharingAFrameIDKeepsTheFiles) {
    auto project = projectOfPictures("AB");
    auto list = project->getFrameList();
    const FramePtr a = list->getFrameAtIndex(0);
    FramePtr twin = Frame::create(Frame::kTypePicture, a->frameID());
    list->insertFrame(twin, 1);
    ASSERT_TRUE(project->saveAllDataToDisk().ok());
    open(project);
    choose(n::kMenuDelete, 0, 0, 1);
    answer("Delete");
    EXPECT_EQ(namesOfList(*project), "ABS");
    EXPECT_EQ(list->getFrameAtIndex(0), twin);
    EXPECT_LIST_INVARIANTS(project);  // the twin's three files are still there
    choose(n::kMenuDelete, 0, 0, 1);
    answer("Delete");
    EXPECT_FALSE(std::filesystem::exists(*project->pathForFile(KWImageProducer::frameFileName(a->frameID()))));
    EXPECT_LIST_INVARIANTS(project);
}

TEST_F(OperationsTest, ReverseTurnsTheRangeAroundAndSavesOnce) {
    auto project = projectOfPictures("EFABCD");
    const FramePtr b = project->getFrameList()->getFrameAtIndex(3);
    project->getFrameList()->setFrameAtPlayhead(b);
    open(project);
    const auto before = savedListStamp();
    foundation::NotificationCenter::defaultCenter().post(
        n::kMenuReverse, nullptr,
        {{n::kFrameKey, n::box(project->getFrameList()->getFrameAtIndex(2))},
         {n::kSelectionKey, n::box(n::FrameRange{2, 4})}});
    // Removal alone saves nothing: the one save follows the insertion.
    EXPECT_EQ(savedListStamp(), before);
    settle();
    EXPECT_EQ(namesOfList(*project), "EFDCBAS");
    EXPECT_EQ(namesOfSavedList(*project), "EFDCBAS");
    EXPECT_EQ(project->getFrameList()->frameAtPlayhead(), b);
    EXPECT_NE(savedListStamp(), before);
    EXPECT_LIST_INVARIANTS(project);
}

TEST_F(OperationsTest, CaptureHereMovesTheSlot) {
    struct Case {
        int64_t on;
        const char* after;
    } cases[] = {{0, "SABC"}, {2, "ABSC"}, {3, "ABCS"}};
    for (const Case& c : cases) {
        auto project = projectOfPictures("ABC");
        open(project);
        choose(n::kMenuCaptureHere, c.on, c.on, 1);
        EXPECT_EQ(namesOfList(*project), c.after) << "on " << c.on;
        EXPECT_EQ(namesOfSavedList(*project), c.after);
        EXPECT_LIST_INVARIANTS(project);
    }
}

TEST_F(OperationsTest, CopyDropsTheSlotAndChangesNothing) {
    auto project = projectOfPictures("ABC");
    open(project);
    const auto before = savedListStamp();
    choose(n::kMenuCopy, 1, 1, 3);
    EXPECT_EQ(KWPasteboardHandler(project).getNumberOfFramesInPasteboard(), 2);
    EXPECT_EQ(namesOfList(*project), "ABCS");
    EXPECT_EQ(savedListStamp(), before);
    EXPECT_LIST_INVARIANTS(project);
}

TEST_F(OperationsTest, PasteInsertsBeforeTheTappedFrameWithANoticeFromFourFrames) {
    struct Case {
        const char* source;
        bool notice;
    } cases[] = {{"DEF", false}, {"DEFG", true}};
    for (const Case& c : cases) {
        auto source = projectOfPictures(c.source);
        KWPasteboardHandler(source).setFramesInPasteboard(frameeditor::copyableFrames(
            *source->getFrameList(), 0, static_cast<int64_t>(std::string(c.source).size())));
        auto project = projectOfPictures("AB");
        open(project);
        foundation::NotificationCenter::defaultCenter().post(
            n::kMenuPaste, nullptr,
            {{n::kFrameKey, n::box(project->getFrameList()->getFrameAtIndex(1))},
             {n::kSelectionKey, n::box(n::FrameRange{1, 1})}});
        const std::string expected = std::string("A") + c.source + "BS";
        ASSERT_TRUE(waitFor([&] { return namesOfList(*project) == expected; })) << namesOfList(*project);
        settle();
        EXPECT_EQ(showsText(*editor->view(), "Paste"), c.notice) << c.source;
        advance(1.0);
        EXPECT_FALSE(showsText(*editor->view(), "Paste"));  // hidden once the frames are in
        EXPECT_EQ(namesOfSavedList(*project), expected);
        EXPECT_TRUE(alertMessages().empty());
        EXPECT_LIST_INVARIANTS(project);
    }
}

// Copy, Paste and Delete of many frames list the project's folder and save
// its list as often as for a few: once per operation, not once per frame.
TEST_F(OperationsTest, PasteAndDeleteWorkTheFolderAsOftenForManyFramesAsForFew) {
    std::vector<std::array<int, 4>> work;  // the paste's listings and saves, then the delete's
    for (const std::string pictures : {"ABC", "ABCDEFGHABCDEFGHABCDEFGH"}) {
        SCOPED_TRACE(pictures);
        const auto count = static_cast<int64_t>(pictures.size());
        auto project = projectOfPictures(pictures);
        open(project);
        choose(n::kMenuCopy, 0, 0, count);
        testsupport::FolderReads folder(*project->getProjectPath());
        choose(n::kMenuPaste, 0, 0, 1);
        ASSERT_TRUE(waitFor([&] { return namesOfList(*project) == pictures + pictures + "S"; }));
        settle();
        const int pasteListings = folder.listings(), pasteSaves = folder.savesOf(projectkeys::kFrameListFile);
        choose(n::kMenuDelete, 0, 0, count);
        answer("Delete");
        EXPECT_EQ(namesOfList(*project), pictures + "S");
        work.push_back({pasteListings, pasteSaves, folder.listings() - pasteListings,
                        folder.savesOf(projectkeys::kFrameListFile) - pasteSaves});
        EXPECT_EQ(alertMessages(), std::vector<std::string>{});
        EXPECT_LIST_INVARIANTS(project);
    }
    EXPECT_EQ(work[0][1], 1);
    EXPECT_EQ(work[1], work[0]);
}

TEST_F(OperationsTest, APasteOfFewerFramesThanCountedSaysSoAndKeepsWhatCame) {
    auto source = projectOfPictures("DEF");
    KWPasteboardHandler(source).setFramesInPasteboard(frameeditor::copyableFrames(*source->getFrameList(), 0, 3));
    // E's pictures are gone before the paste.
    const FramePtr e = source->getFrameList()->getFrameAtIndex(1);
    for (const std::string& name :
         {KWImageProducer::frameFileName(e->frameID()), KWImageProducer::previewFileName(e->frameID()),
          KWImageProducer::thumbnailFileName(e->frameID())})
        std::filesystem::remove(*source->pathForFile(name));
    auto project = projectOfPictures("AB");
    open(project);
    choose(n::kMenuPaste, 0, 0, 1);
    ASSERT_TRUE(waitFor([&] { return !alertMessages().empty(); }));
    settle();
    EXPECT_EQ(alertMessages(),
              std::vector<std::string>{"One or more of the items may have been deleted or are no longer available."});
    EXPECT_EQ(namesOfList(*project), "DFABS");
    EXPECT_LIST_INVARIANTS(project);
}

TEST_F(OperationsTest, CardsNotRenderedYetPasteAndAreRenderedHere) {
    auto source = projectOfPictures("D");
    auto list = source->getFrameList();
    // A title card whose theme has not drawn it yet, and a text card whose
    // picture is gone: neither has files in the source.
    list->insertFrame(Frame::create(Frame::kTypeTitleCard), 0);
    FramePtr text = Frame::create(Frame::kTypeThemeTextCard);
    auto words = std::make_shared<KWThemeItem>();
    words->setText("Later that day");
    words->setThemeID(21);
    text->setTheme(words);
    list->insertFrame(text, 2);
    ASSERT_TRUE(source->saveAllDataToDisk());
    KWPasteboardHandler(source).setFramesInPasteboard(frameeditor::copyableFrames(*list, 0, 3));

    auto project = projectOfPictures("AB");
    project->getMetaData()->set("META_RECORD_THEME", 3);
    open(project);
    choose(n::kMenuPaste, 1, 1, 1);
    ASSERT_TRUE(waitFor([&] { return namesOfList(*project) == "ATDXBS"; })) << namesOfList(*project);
    settle();
    EXPECT_TRUE(alertMessages().empty()) << "all three came";
    EXPECT_EQ(namesOfSavedList(*project), "ATDXBS");
    // Both cards get their three pictures in this project.
    const auto pasted = project->getFrameList();
    for (int64_t index : {1, 3}) {
        const std::string id = pasted->getFrameAtIndex(index)->frameID();
        ASSERT_TRUE(waitFor([&] {
            return std::filesystem::exists(*project->pathForFile(KWImageProducer::thumbnailFileName(id)));
        })) << index;
        for (const std::string& name : {KWImageProducer::frameFileName(id), KWImageProducer::previewFileName(id)})
            EXPECT_TRUE(std::filesystem::exists(*project->pathForFile(name))) << name;
    }
    EXPECT_LIST_INVARIANTS(project);
}

TEST_F(OperationsTest, CropAndMergeStoreUnfilteredPixels) {
    auto project = projectOfPictures("ABC");
    project->getMetaData()->set("RecordMovieFilter", 2);  // sepia over everything shown
    open(project);
    auto list = project->getFrameList();
    const FramePtr b = list->getFrameAtIndex(1);
    ASSERT_TRUE(editor->storeCroppedImage(pictureOf('E'), b, {}));
    EXPECT_EQ(namesOfList(*project), "AECS");                           // stored as given, not sepia
    EXPECT_FALSE(editor->storeCroppedImage(graphics::Image(), b, {}));  // a cancelled crop writes nothing
    EXPECT_LIST_INVARIANTS(project);

    choose(n::kMenuMerge, 2, 2, 1);
    auto merged = graphics::Image::decode(*project->fileDataForFileWithPreferredFilename(
        KWImageProducer::frameFileName(list->getFrameAtIndex(2)->frameID())));
    ASSERT_TRUE(merged.ok());
    // C, then E at 0.2 and A at 0.1 over it, from the originals.
    const graphics::RGBA c = colourOf('C'), e = colourOf('E'), a = colourOf('A');
    auto mix = [](int under, int over, double alpha) { return int(under * (1 - alpha) + over * alpha + 0.5); };
    const graphics::RGBA expected{uint8_t(mix(mix(c.r, e.r, 0.2), a.r, 0.1)),
                                  uint8_t(mix(mix(c.g, e.g, 0.2), a.g, 0.1)),
                                  uint8_t(mix(mix(c.b, e.b, 0.2), a.b, 0.1)), 255};
    EXPECT_TRUE(testsupport::pixelNear(merged->pixelAt(160, 90), expected, 12));
    EXPECT_LIST_INVARIANTS(project);
}

TEST_F(OperationsTest, DrawAndEraseOpenThePainterWhoseSaveUpdatesTheFrame) {
    auto project = projectOfPictures("AB");
    open(project);
    const FramePtr b = project->getFrameList()->getFrameAtIndex(1);
    const std::string picture = KWImageProducer::frameFileName(b->frameID());
    for (const auto& [name, masking] : {std::pair{n::kMenuDraw, false}, std::pair{n::kMenuEraser, true}}) {
        const auto before = project->fileDataForFileWithPreferredFilename(picture);
        choose(name, 1, 1, 1);
        settle();
        auto* painter = dynamic_cast<PainterViewController*>(editor->presentedViewController());
        ASSERT_NE(painter, nullptr) << name;
        EXPECT_EQ(painter->isMasking(), masking) << name;
        EXPECT_EQ(painter->currentFrame(), 1) << name;
        EXPECT_TRUE(alertMessages().empty()) << name;
        painter->viewDidAppear(false);
        fingers.tap(inWindow(*painter->drawingView(), graphics::Point{200, 200}));
        ASSERT_TRUE(painter->saveAndClose()) << name;
        settle();
        EXPECT_EQ(editor->presentedViewController(), nullptr) << name << ": the completion dismisses it";
        EXPECT_NE(project->fileDataForFileWithPreferredFilename(picture), before) << name;
    }
    choose(n::kMenuDraw, 2, 2, 1);  // the slot: nothing at all
    settle();
    EXPECT_EQ(editor->presentedViewController(), nullptr);
    EXPECT_TRUE(alertMessages().empty());
    EXPECT_EQ(namesOfList(*project), "ABS");
    EXPECT_LIST_INVARIANTS(project);
}

// Run in a child whose Mesa finds no drivers: Erase, which masks with GL,
// only says why; Draw keeps its pixels in memory and paints as ever.
TEST_F(OperationsTest, WithoutOpenGLEraseSaysWhyAndDrawStillPaints) {
    if (!std::getenv("TOLLIVAR_NO_GL_CHILD")) {
        const std::string drivers = folders.temporary() + "/no-drivers";  // an empty folder
        std::filesystem::create_directories(drivers);
        testsupport::ChildProcess::Options options;
        options.environment = {"LIBGL_DRIVERS_PATH=" + drivers, "TOLLIVAR_NO_GL_CHILD=1"};
        options.captureOutput = true;
        options.captureErrors = true;
        auto child = testsupport::ChildProcess::spawn(
            {testsupport::ChildProcess::thisExecutable(),
             "--gtest_filter=OperationsTest.WithoutOpenGLEraseSaysWhyAndDrawStillPaints"},
            options);
        const std::string output = child.readOutput();
        EXPECT_EQ(child.wait(), 0) << output;
        EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
        return;
    }
    auto project = projectOfPictures("AB");
    open(project);
    const auto files = std::distance(std::filesystem::directory_iterator(*project->getProjectPath()),
                                     std::filesystem::directory_iterator());
    choose(n::kMenuEraser, 0, 0, 1);
    EXPECT_EQ(alertMessages(),
              std::vector<std::string>{"Painting needs OpenGL ES 1.1, which this system does not offer."});
    EXPECT_EQ(editor->presentedViewController(), nullptr);
    for (auto& alert : ui::AlertView::visibleAlerts()) alert->dismissWithClickedButtonIndex(0, false);
    settle();
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(*project->getProjectPath()),
                            std::filesystem::directory_iterator()),
              files);
    EXPECT_EQ(namesOfList(*project), "ABS");

    const std::string picture = KWImageProducer::frameFileName(project->getFrameList()->getFrameAtIndex(0)->frameID());
    const auto before = project->fileDataForFileWithPreferredFilename(picture);
    choose(n::kMenuDraw, 0, 0, 1);
    settle();
    auto* painter = dynamic_cast<PainterViewController*>(editor->presentedViewController());
    ASSERT_NE(painter, nullptr);
    EXPECT_TRUE(alertMessages().empty());
    painter->viewDidAppear(false);
    fingers.tap(inWindow(*painter->drawingView(), graphics::Point{200, 200}));
    ASSERT_TRUE(painter->saveAndClose());
    settle();
    EXPECT_EQ(editor->presentedViewController(), nullptr);
    EXPECT_NE(project->fileDataForFileWithPreferredFilename(picture), before);
}

TEST_F(MenuByTouchTest, TheCountersFollowPasteAndDelete) {
    auto project = projectOfPictures("ABC");
    open(project);
    advance(1);
    EXPECT_EQ(counters(), "1 / 4 | 0004 / 0004");
    chooseFromMenu(0, "Copy");
    chooseFromMenu(1, "Paste");
    ASSERT_TRUE(waitFor([&] { return namesOfList(*project) == "AABCS"; })) << namesOfList(*project);
    settle();
    advance(1);
    EXPECT_EQ(counters(), stripBadgeFor(5) + " | 0005 / 0005");
    chooseFromMenu(editor->playerViewController()->getCurrentFrame(), "Delete");
    answer("Delete");
    advance(1);
    EXPECT_EQ(namesOfList(*project).size(), 4u);
    EXPECT_EQ(counters(), stripBadgeFor(4) + " | 0004 / 0004");
    EXPECT_LIST_INVARIANTS(project);
}

// A paste whose texts the project's list could not hold is refused aloud
// before a frame is inserted or anything written.
TEST_F(MenuByTouchTest, APasteOfTextsTheProjectCannotHoldIsRefusedBeforeItIsInserted) {
    auto source = projectOfPictures("D");
    FramePtr card = Frame::create(Frame::kTypeThemeTextCard);
    card->setTheme(std::make_shared<KWThemeItem>());
    card->getTheme()->setText(std::string(6000, 'w'));
    ASSERT_TRUE(KWImageProducer(source).storeImage(pictureOf('X'), card->frameID()));
    source->getFrameList()->insertFrame(card, 1);
    ASSERT_TRUE(source->saveAllDataToDisk());
    KWPasteboardHandler(source).setFramesInPasteboard(frameeditor::copyableFrames(*source->getFrameList(), 0, 2));

    // The card's text fits its own project, not one whose bound is scaled down.
    struct ScaledBound {
        ScaledBound() { ProjectDataWrapper::setFixedFrameListBytesForTesting(4 << 10); }
        ~ScaledBound() { ProjectDataWrapper::setFixedFrameListBytesForTesting(std::nullopt); }
    } scaled;
    auto project = projectOfPictures("AB");
    open(project);
    const SavedListStamp before = savedListStamp();
    chooseFromMenu(1, "Paste");
    ASSERT_TRUE(waitFor([&] { return !alertMessages().empty(); }));
    settle();
    ASSERT_EQ(alertMessages().size(), 1u);
    EXPECT_TRUE(
        std::regex_search(alertMessages()[0], std::regex("cannot be added: .* about [0-9]+ characters too long")))
        << alertMessages()[0];
    EXPECT_EQ(namesOfList(*project), "ABS");
    EXPECT_EQ(savedListStamp(), before);
    EXPECT_LIST_INVARIANTS(project);
}

TEST_F(MenuByTouchTest, TheMenusDeleteAndTheDeleteKeyAskTheSameQuestion) {
    auto project = projectOfPictures("ABCD");
    open(project);
    advance(1);
    fingers.press(ui::Key::Right);
    advance(0.5);
    ASSERT_EQ(editor->playerViewController()->getCurrentFrame(), 1);
    // Either way a Cancel changes nothing, and a Delete deletes as the
    // menu's Delete does: the trash sound once, the list saved, the playhead
    // on a listed frame.
    for (const bool byKey : {false, true}) {
        SCOPED_TRACE(byKey ? "key" : "menu");
        const auto ask = [&] {
            if (byKey)
                EXPECT_TRUE(fingers.press(ui::Key::Delete));
            else
                chooseFromMenu(editor->playerViewController()->getCurrentFrame(), "Delete");
            EXPECT_EQ(deleteQuestion(), "|Delete|Cancel");
        };
        const auto saved = savedListStamp();
        const std::string names = namesOfList(*project);
        ask();
        answer("Cancel");
        EXPECT_EQ(namesOfList(*project), names);
        EXPECT_EQ(savedListStamp(), saved) << "a cancelled Delete changes nothing";
        const int trash = plays("trash.aiff");
        ask();
        answer("Delete");
        EXPECT_EQ(plays("trash.aiff") - trash, 1);
        EXPECT_EQ(namesOfSavedList(*project), namesOfList(*project));
        EXPECT_LIST_INVARIANTS(project);
    }
    EXPECT_EQ(namesOfList(*project), "ADS");
}

TEST_F(MenuByTouchTest, AFrameInsertedWhileTheQuestionIsUpDoesNotChangeWhatGoes) {
    auto project = projectOfPictures("ABC");
    open(project);
    advance(1);
    chooseFromMenu(1, "Delete");
    ASSERT_EQ(deleteQuestion(), "|Delete|Cancel");
    // A capture at a slot placed before the frame moves it on meanwhile.
    FramePtr captured = Frame::create(Frame::kTypePicture);
    ASSERT_TRUE(KWImageProducer(project).storeImage(pictureOf('D'), captured->frameID()));
    editor->addFrames({captured}, 0);
    settle();
    answer("Delete");
    EXPECT_EQ(namesOfSavedList(*project), "DACS");
    EXPECT_LIST_INVARIANTS(project);
}

TEST_F(MenuByTouchTest, DeletingATitleCardSaysItTakesItsFramesWithIt) {
    auto project = projectOfPictures("AB");
    project->setFPS(5);
    FramePtr title = Frame::create(Frame::kTypeTitleCard);
    title->setDuration(frameeditor::themeCardHold(5));
    ASSERT_TRUE(KWImageProducer(project).storeImage(pictureOf('H'), title->frameID()));
    project->getFrameList()->insertFrame(title, 0);
    project->getFrameList()->setFrameAtPlayhead(title);
    ASSERT_TRUE(project->saveAllDataToDisk());
    open(project);
    advance(1);
    const int64_t entries = project->getFrameList()->getExpandedFrameList().count();
    const std::string question = "The title card goes with its 20 frames.|Delete|Cancel";
    fingers.press(ui::Key::Delete);
    EXPECT_EQ(deleteQuestion(), question);
    answer("Cancel");
    chooseFromMenu(0, "Delete");
    EXPECT_EQ(deleteQuestion(), question);
    savePicture("editor_delete_title_card.png");
    answer("Delete");
    EXPECT_EQ(namesOfSavedList(*project), "ABS");
    EXPECT_EQ(project->getFrameList()->getExpandedFrameList().count(), entries - 20);
    EXPECT_LIST_INVARIANTS(project);
}

// (Which masks make Draw ask is the painter's test.)
TEST_F(MenuByTouchTest, DrawAsksFirstWhenAMaskErasedSomeOfThePainting) {
    const std::string question = "Drawing again will undo what you erased on this frame.";
    auto project = projectOfPictures("AB");
    open(project);
    advance(1);
    chooseFromMenu(1, "Draw");
    paintLine();
    chooseFromMenu(1, "Erase");
    paint([&](PainterViewController& shown) {
        fingers.tap(inWindow(*shown.drawingView(), graphics::Point{250, 200}));
    });
    auto folder = [&] {
        std::map<std::string, foundation::Bytes> files;
        for (const auto& entry : std::filesystem::directory_iterator(*project->getProjectPath()))
            files[entry.path().filename()] = *foundation::readFile(entry.path());
        return files;
    };
    const auto before = folder();
    // Cancel leaves everything as it was; Draw opens the painter with the
    // strokes back, and its save ends the question.
    for (const std::string answer : {"Cancel", "Draw"}) {
        SCOPED_TRACE(answer);
        chooseFromMenu(1, "Draw");
        ASSERT_EQ(alertMessages(), std::vector<std::string>{question});
        EXPECT_EQ(painter(), nullptr) << "nothing opens before the answer";
        savePicture("editor_draw_undoes_erase.png");
        auto alert = ui::AlertView::visibleAlerts().front();
        ASSERT_EQ(alert->numberOfButtons(), 2);
        EXPECT_EQ(alert->buttonTitleAtIndex(0), "Cancel");
        tap(alert->buttonViewAtIndex(answer == "Cancel" ? 0 : 1));
        advance(1);
        settle();
        EXPECT_TRUE(alertMessages().empty());
        EXPECT_EQ(folder(), before);
    }
    paint([](PainterViewController& shown) { EXPECT_TRUE(shown.drawingView()->canUndo()) << "the strokes are back"; });
    chooseFromMenu(1, "Draw");
    EXPECT_TRUE(alertMessages().empty());
    EXPECT_NE(painter(), nullptr);
}

// A crop or merge of a painted frame keeps what it made: the next Draw, also
// after an erase before or after it, asks nothing and changes nothing. A layer
// hidden by its switch through a crop comes back where the crop put it, also
// on a 4:3 picture, of which the canvas shows the middle. (One case a test:
// each opens the painter several times.)
struct PaintedFrameSteps {
    int height;  // of a picture 640 wide
    std::vector<std::string> steps;
};

class DrawAfterStepsTest : public MenuByTouchTest, public ::testing::WithParamInterface<PaintedFrameSteps> {
protected:
    // Paints frame 1 of a fresh project, a picture of the height, then takes
    // the steps; what the frame's picture is after them.
    graphics::Image paintedThrough(int height, const std::vector<std::string>& steps) {
        // Behind the frame a colour unlike each quadrant's, which a rub shows anywhere.
        project = projectOfPictures("EB");
        const std::string id = project->getFrameList()->getFrameAtIndex(1)->frameID();
        EXPECT_TRUE(KWImageProducer(project).storeImage(testsupport::quadrantsImage(640, height), id).ok());
        open(project);
        advance(1);
        chooseFromMenu(1, "Draw");
        paintLine();
        for (const std::string& step : steps) {
            const graphics::Image before = picture();
            const bool layerSwitch = step == "Hide" || step == "Show";  // the layer's, in the painter's list
            chooseFromMenu(1, layerSwitch ? "Draw" : step);
            if (step == "Erase")
                paint([&](PainterViewController& shown) {
                    fingers.tap(inWindow(*shown.drawingView(), graphics::Point{250, 200}));
                });
            if (layerSwitch)
                paint([&](PainterViewController& shown) {
                    tap(shown.toolPalette()->btnLayer());
                    advance(1);
                    ui::prepareForRendering(*window, 1.0);
                    const auto cells = shown.layerTable()->tableView().visibleCells();
                    tap(std::dynamic_pointer_cast<PainterLayerTableCell>(cells.at(0))->layerEnabled());
                    EXPECT_EQ(shown.layerManager()->layers().at(0)->isEnabled, step == "Show");
                    fingers.tap({1020, 4});  // beside the list, which closes
                    advance(1);
                });
            if (step == "Crop") {  // the picture zoomed about a point, then Done
                fingers.wheel({300, 250}, 6);
                advance(1);
                EXPECT_TRUE(fingers.press(ui::Key::Return));
                advance(1);
                settle();
            }
            EXPECT_EQ(editor->presentedViewController(), nullptr);
            EXPECT_GT(testsupport::largestDifference(before, picture()), 40) << step << " changed the picture";
        }
        return picture();
    }

    graphics::Image picture() const {
        const std::string file = KWImageProducer::frameFileName(project->getFrameList()->getFrameAtIndex(1)->frameID());
        return *graphics::Image::decode(project->fileDataForFileWithPreferredFilename(file).value());
    }

    ProjectModelPtr project;
};

TEST_P(DrawAfterStepsTest, DrawAfterACropOrMergeOfAPaintedFrameKeepsIt) {
    const auto& [height, steps] = GetParam();
    const bool shownAgain = steps.back() == "Show";
    // Where the crop put it while shown, within the rim of a stroke scaled in one and redrawn in the other.
    const graphics::Image croppedWhileShown = shownAgain ? paintedThrough(height, {"Crop"}) : graphics::Image();
    const graphics::Image kept = paintedThrough(height, steps);
    ASSERT_FALSE(HasFailure());
    if (shownAgain) {
        EXPECT_LE(testsupport::largestDifference(croppedWhileShown, kept), 64);
    }
    chooseFromMenu(1, "Draw");
    ASSERT_EQ(alertMessages(), std::vector<std::string>{});
    paint([&](PainterViewController& shown) { EXPECT_EQ(shown.drawingView()->canUndo(), shownAgain); });
    // Within the rounding of JPEG and of strokes drawn again.
    EXPECT_LE(testsupport::largestDifference(kept, picture()), 16);
    EXPECT_LIST_INVARIANTS(project);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, DrawAfterStepsTest,
    ::testing::Values(PaintedFrameSteps{480, {"Crop"}}, PaintedFrameSteps{480, {"Hide", "Crop", "Show"}},
                      PaintedFrameSteps{360, {"Crop"}}, PaintedFrameSteps{360, {"Merge"}},
                      PaintedFrameSteps{360, {"Crop", "Erase"}}, PaintedFrameSteps{360, {"Erase", "Crop"}},
                      PaintedFrameSteps{360, {"Erase", "Merge"}}, PaintedFrameSteps{360, {"Hide", "Crop", "Show"}}),
    [](const ::testing::TestParamInfo<PaintedFrameSteps>& info) {
        std::string name;
        for (const std::string& step : info.param.steps) name += step;
        return name + "On640x" + std::to_string(info.param.height);
    });

}  // namespace
}  // namespace editortest
