// The editor at a desktop: keys and the wheel delivered through the window
// as the window host sends them. Escape closes each kind of overlay, the
// arrows move the playhead and the marked run, Delete asks before it deletes,
// the wheel scrolls the strip and the timeline, and the crop editor opened
// from the menu changes the stored picture by wheel, drag and Return.

#include "EditorTestSupport.h"
#include "app/core/KWImageProducer.h"
#include "app/editor/EditorNotifications.h"
#include "app/editor/HFImageEditorViewController.h"
#include "app/editor/KWFrameByFrameView.h"
#include "app/editor/KWTimelineViewController.h"
#include "app/widgets/carousel/iCarousel.h"
#include "app/widgets/popover/KWPopoverController.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/controllers/ActionSheet.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/lists/ScrollView.h"
#include "support/HostInput.h"
#include "support/Pictures.h"

#include <functional>

namespace editortest {
namespace {

namespace n = editornotifications;

class EditorKeysTest : public MicrophoneEditorTest {
protected:
    void TearDown() override {
        for (auto& sheet : ui::ActionSheet::visibleSheets())
            sheet->dismissWithClickedButtonIndex(ui::kNoButtonIndex, false);
        MicrophoneEditorTest::TearDown();
    }
    // The letter of the frame under the playhead.
    char atPlayhead() {
        auto list = editor->project()->getFrameList();
        const FramePtr frame = list->frameAtPlayhead();
        if (frame && frame->type() == Frame::kTypeCaptureSlot) return 'S';
        return namesOfList(*editor->project())[static_cast<size_t>(list->getIndexForFrame(frame))];
    }
    KWFrameByFrameView& strip() { return *editor->playerViewController(); }
    // The entries whose selection overlay shows.
    std::string marked() {
        std::string marks;
        for (int64_t index : strip().carousel()->indexesForVisibleItems()) {
            ui::ViewPtr item = strip().carousel()->itemViewAtIndex(index);
            if (!KWFrameByFrameView::itemSubview(*item, KWFrameByFrameView::kTagSelection)->isHidden())
                marks += std::to_string(index);
        }
        return marks;
    }
    size_t sheetsUp() const { return ui::ActionSheet::visibleSheets().size(); }
};

TEST_F(EditorKeysTest, EscapeClosesEachKindOfOverlay) {
    auto project = projectOfPictures("ABC");
    open(project);
    struct Case {
        const char* what;
        std::function<void()> show;
        std::function<bool()> shown;
    };
    auto popoverUp = [this] { return editor->popoverController() && editor->popoverController()->isPopoverVisible(); };
    const Case cases[] = {
        {"the frame-edit menu",
         [this] {
             ui::ViewPtr item = strip().carousel()->itemViewAtIndex(1);
             tap(KWFrameByFrameView::itemSubview(*item, KWFrameByFrameView::kTagThumbnail));
         },
         popoverUp},
        {"the add-media menu", [this] { tap(editor->btnMusic()); }, popoverUp},
        {"the speed popover", [this] { tap(editor->btnMore()); }, popoverUp},
        {"the theme sheet", [this] { tap(editor->btnTheme()); },
         [this] { return editor->outlineNavigationController() != nullptr; }},
        {"the voice-over panel", [this] { tap(editor->btnAudio()); },
         [this] { return editor->btnCloseModalController() != nullptr; }},
    };
    // The voice-over button needs a picture frame under the playhead.
    fingers.press(ui::Key::Right);
    advance(0.5);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.show();
        advance(0.6);
        ASSERT_TRUE(c.shown());
        EXPECT_TRUE(fingers.press(ui::Key::Escape));
        advance(1.0);
        settle();
        EXPECT_FALSE(c.shown());
        EXPECT_TRUE(editor->btnPlay()->isEnabled()) << "the controls are back";
    }
    EXPECT_EQ(namesOfList(*project), "ABCS");
    EXPECT_LIST_INVARIANTS(project);
}

TEST_F(EditorKeysTest, ArrowsMoveThePlayheadAndTheMarkedRun) {
    open(projectOfPictures("ABCD"));
    EXPECT_EQ(atPlayhead(), 'A');
    EXPECT_TRUE(fingers.press(ui::Key::Left));  // at the first frame: nothing to go back to
    advance(0.3);
    EXPECT_EQ(atPlayhead(), 'A');
    fingers.press(ui::Key::Right);
    fingers.press(ui::Key::Right);  // pressed again while the strip still moves
    advance(0.3);
    EXPECT_EQ(atPlayhead(), 'C');
    EXPECT_EQ(strip().getCurrentFrame(), 2);

    // Selection mode from the menu's Select, then the arrows extend the run.
    foundation::NotificationCenter::defaultCenter().post(
        n::kMenuSelect, nullptr, {{n::kFrameKey, n::box(editor->project()->getFrameList()->getFrameAtIndex(1))}});
    settle();
    EXPECT_EQ(marked(), "12");
    fingers.press(ui::Key::Right);
    advance(0.3);
    EXPECT_EQ(marked(), "123");
    fingers.press(ui::Key::Left);
    fingers.press(ui::Key::Left);
    fingers.press(ui::Key::Left);
    advance(0.5);
    EXPECT_EQ(atPlayhead(), 'A');
    EXPECT_EQ(marked(), "01");
}

TEST_F(EditorKeysTest, DeleteAsksFirstAndDeletesTheMarkedRunOrTheFrameUnderThePlayhead) {
    auto project = projectOfPictures("ABCDE");
    open(project);
    fingers.press(ui::Key::Right);
    advance(0.3);
    ASSERT_EQ(atPlayhead(), 'B');

    EXPECT_TRUE(fingers.press(ui::Key::Delete));
    ASSERT_EQ(sheetsUp(), 1u);
    auto sheet = ui::ActionSheet::visibleSheets().front();
    EXPECT_EQ(sheet->buttonTitleAtIndex(0), "Delete");
    EXPECT_EQ(sheet->buttonTitleAtIndex(1), "Cancel");
    EXPECT_EQ(namesOfList(*project), "ABCDES") << "nothing goes before the answer";
    fingers.press(ui::Key::Escape);
    advance(0.5);
    EXPECT_EQ(sheetsUp(), 0u);
    EXPECT_EQ(namesOfSavedList(*project), "ABCDES");

    fingers.press(ui::Key::Backspace);  // the same key on keyboards that call it Delete
    ASSERT_EQ(sheetsUp(), 1u);
    fingers.press(ui::Key::Return);  // the sheet's one choice
    advance(0.5);
    settle();
    EXPECT_EQ(namesOfSavedList(*project), "ACDES");
    EXPECT_LIST_INVARIANTS(project);

    // A marked run goes as a whole.
    foundation::NotificationCenter::defaultCenter().post(
        n::kMenuSelect, nullptr, {{n::kFrameKey, n::box(project->getFrameList()->getFrameAtIndex(1))}});
    settle();
    fingers.press(ui::Key::Right);
    advance(0.3);
    ASSERT_EQ(marked(), "12");
    fingers.press(ui::Key::Delete);
    fingers.press(ui::Key::Return);
    advance(0.5);
    settle();
    EXPECT_EQ(namesOfSavedList(*project), "AES");
    EXPECT_EQ(strip().selectionStartIndex(), -1);
    EXPECT_LIST_INVARIANTS(project);

    // The capture slot cannot go: nothing is asked.
    fingers.press(ui::Key::Right);
    fingers.press(ui::Key::Right);
    advance(0.5);
    ASSERT_EQ(atPlayhead(), 'S');
    EXPECT_FALSE(fingers.press(ui::Key::Delete));
    EXPECT_EQ(sheetsUp(), 0u);
}

TEST_F(EditorKeysTest, TheWheelScrollsTheStripAndTheTimeline) {
    open(projectOfPictures("ABCD"));
    iCarousel& carousel = *strip().carousel();
    // Two notches towards the user: 120 points, most of a 130-point item.
    EXPECT_TRUE(fingers.wheel(centerOf(carousel), -2));
    EXPECT_NEAR(carousel.scrollOffset(), 120.0 / carousel.itemWidth(), 1e-6);
    EXPECT_EQ(atPlayhead(), 'B');
    advance(iCarousel::kWheelSettleDelay + 0.5);
    EXPECT_EQ(carousel.scrollOffset(), 1.0) << "at rest the nearest item is centred";

    editor->zoomOut();
    advance(0.5);
    KWTimelineViewController& timeline = *editor->timelineViewController();
    ui::ScrollView& film = *timeline.viewClipScroller();
    // The film only scrolls sideways; the ordinary wheel moves it: 165 points an entry.
    film.setContentOffset({0, 0});
    EXPECT_EQ(atPlayhead(), 'A');
    EXPECT_TRUE(fingers.wheel(centerOf(film), -3));
    EXPECT_EQ(film.contentOffset().x, 180);
    EXPECT_EQ(atPlayhead(), 'B');
    // And the arrows step it entry by entry.
    fingers.press(ui::Key::Right);
    EXPECT_EQ(atPlayhead(), 'C');
    EXPECT_EQ(film.contentOffset().x, 330);
}

TEST_F(EditorKeysTest, AWheelTurnedThroughTheHostOverTheStripOrTheTimelineChangesNoFrameAndSelectsNone) {
    auto project = projectOfPictures("ABCDEFGH");
    open(project);
    advance(0.5);
    std::vector<std::string> posted;
    std::vector<foundation::ObserverToken> tokens;
    for (const char* name : {n::kDidSelectFrame, n::kFrameByFrameViewDoubleTapped, n::kTimelineViewDoubleTapped})
        tokens.push_back(foundation::NotificationCenter::defaultCenter().addObserver(
            name, nullptr, [&posted](const foundation::Notification& note) { posted.push_back(note.name); }));
    const SavedListStamp saved = savedListStamp(*project);
    testsupport::HostInput wheel(window);
    // The wheel over `view` scrolls it, and selects, opens, changes and saves nothing.
    auto turnOver = [&](ui::View& view, const std::function<double()>& scrolled) {
        const double before = scrolled();
        for (const int notches : {-5, 2}) {
            EXPECT_TRUE(wheel.turn(centerOf(view), notches));
            advance(1.0);
        }
        EXPECT_NE(scrolled(), before);
        EXPECT_TRUE(posted.empty());
        EXPECT_FALSE(editor->popoverController() && editor->popoverController()->isPopoverVisible());
        EXPECT_EQ(namesOfList(*project), "ABCDEFGHS");
        EXPECT_EQ(savedListStamp(*project), saved) << "frames.meta was written again";
    };
    iCarousel& carousel = *strip().carousel();
    turnOver(carousel, [&] { return carousel.scrollOffset(); });
    // A click there still does what it does.
    tap(KWFrameByFrameView::itemSubview(*carousel.currentItemView(), KWFrameByFrameView::kTagThumbnail));
    advance(0.6);
    fingers.press(ui::Key::Escape);
    advance(0.6);
    EXPECT_EQ(posted, std::vector<std::string>{n::kDidSelectFrame});
    posted.clear();

    editor->zoomOut();
    advance(0.5);
    ui::ScrollView& timeline = *editor->timelineViewController()->viewClipScroller();
    turnOver(timeline, [&] { return timeline.contentOffset().x; });
    fingers.tap(centerOf(timeline), 2);
    EXPECT_EQ(posted, std::vector<std::string>{n::kTimelineViewDoubleTapped});
    EXPECT_LIST_INVARIANTS(project);
}

TEST_F(EditorKeysTest, CropByWheelDragAndReturnChangesTheStoredPicture) {
    auto project = projectOfPictures("AB");
    open(project);
    const FramePtr first = project->getFrameList()->getFrameAtIndex(0);
    // A picture with four quadrants, so that a crop shows.
    ASSERT_TRUE(KWImageProducer(project).storeImage(testsupport::quadrantsImage(640, 360), first->frameID()).ok());
    const std::string file = KWImageProducer::frameFileName(first->frameID());

    ui::ViewPtr item = strip().carousel()->itemViewAtIndex(0);
    tap(KWFrameByFrameView::itemSubview(*item, KWFrameByFrameView::kTagThumbnail));
    advance(0.6);
    ASSERT_TRUE(editor->popoverController() && editor->popoverController()->isPopoverVisible());
    // The menu's Crop, found by its title where it is drawn.
    ui::View* menu = editor->popoverController()->contentViewController()->view();
    const ui::View* crop = nullptr;
    std::function<void(const ui::View&)> find = [&](const ui::View& view) {
        for (const ui::ViewPtr& child : view.subviews()) {
            if (auto* label = dynamic_cast<const ui::Label*>(child.get()); label && label->text() == "Crop")
                crop = label;
            find(*child);
        }
    };
    find(*menu);
    ASSERT_TRUE(crop);
    tap(crop);
    advance(0.6);
    settle();
    auto* editorScreen = dynamic_cast<ImageEditor*>(editor->presentedViewController());
    ASSERT_TRUE(editorScreen);

    // Zoom into the top-left (red) quadrant, then drag the picture right and down.
    fingers.wheel({200, 200}, 6);
    advance(1.0);
    fingers.drag({{300, 300}, {400, 380}}, 0.3);
    advance(1.0);
    EXPECT_TRUE(fingers.press(ui::Key::Return));  // Done
    advance(1.0);
    settle();
    EXPECT_EQ(editor->presentedViewController(), nullptr);
    const auto data = project->fileDataForFileWithPreferredFilename(file);
    ASSERT_TRUE(data);
    auto stored = graphics::Image::decode(*data);
    ASSERT_TRUE(stored.ok());
    EXPECT_EQ(stored->size(), (graphics::Size{640, 360}));
    // Enlarged 1.1^6 about (200, 200) and moved by (100, 80), the red
    // quadrant reaches to 533, 318 of the stored picture, where white began before.
    const graphics::RGBA red{255, 0, 0, 255}, white{255, 255, 255, 255}, blue{0, 0, 255, 255};
    EXPECT_TRUE(testsupport::pixelNear(stored->pixelAt(20, 20), red));
    EXPECT_TRUE(testsupport::pixelNear(stored->pixelAt(500, 300), red));
    EXPECT_TRUE(testsupport::pixelNear(stored->pixelAt(20, 340), blue));
    EXPECT_TRUE(testsupport::pixelNear(stored->pixelAt(620, 340), white));
    EXPECT_LIST_INVARIANTS(project);
}

}  // namespace
}  // namespace editortest
