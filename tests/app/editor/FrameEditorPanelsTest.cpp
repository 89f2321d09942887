// The editor opening its panels: the frame-edit menu from a tapped strip
// item, the hold panel in its place, the crop editor, the speed and add-media
// popovers; what they change is saved and the list's invariants hold.

#include "EditorTestSupport.h"
#include "PanelTestSupport.h"
#include "app/core/KWImageProducer.h"
#include "app/editor/EditorNotifications.h"
#include "app/editor/FramePanels.h"
#include "app/editor/HFImageEditorViewController.h"
#include "app/editor/KWFrameByFrameView.h"
#include "app/editor/KWFrameEditMenuViewController.h"
#include "app/editor/MediaSelectionViewController.h"
#include "app/widgets/carousel/iCarousel.h"
#include "app/widgets/popover/KWPopoverController.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Slider.h"
#include "support/Process.h"

#include <filesystem>

namespace editortest {
namespace {

namespace n = editornotifications;

class EditorPanelsTest : public EditorTest {
protected:
    explicit EditorPanelsTest(bool phone = false) : EditorTest(phone) {}

    // The strip's tap on the entry at `index`, as the strip posts it.
    void tapEntry(int64_t index) {
        auto list = editor->project()->getFrameList();
        foundation::NotificationCenter::defaultCenter().post(
            n::kDidSelectFrame, nullptr,
            {{n::kFrameKey, n::box(list->getFrameAtIndex(index))},
             {n::kSelectionKey, n::box(n::FrameRange{index, 1})},
             {n::kViewRectKey, n::box(graphics::Rect(300, 500, 100, 80))}});
        settle();
    }
    // The popover's content once its presentation has run.
    template <class T>
    T* popoverContent() {
        advance(0.5);
        KWPopoverController* popover = editor->popoverController();
        if (!popover || !popover->isPopoverVisible()) return nullptr;
        return dynamic_cast<T*>(popover->contentViewController().get());
    }
    std::string savedHolds() {
        const auto result = testsupport::runPython(
            "import plistlib, sys\n"
            "with open(sys.argv[1], 'rb') as f:\n"
            "    print(' '.join(str(e.get('DURATION', '?')) for e in plistlib.load(f)['FRAMELIST_DATA']), end='')\n",
            {*editor->project()->pathForFile("frames.meta")});
        return result.output;
    }
};

class PhoneEditorPanelsTest : public EditorPanelsTest {
protected:
    PhoneEditorPanelsTest() : EditorPanelsTest(true) {}
};

TEST_F(EditorPanelsTest, TappedEntryOpensTheMenuAndHoldReplacesIt) {
    auto project = projectOfPictures("ABC");
    open(project);
    tapEntry(1);
    auto* menu = popoverContent<KWFrameEditMenuViewController>();
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->frame(), project->getFrameList()->getFrameAtIndex(1));
    EXPECT_EQ(editor->popoverController()->popoverContentSize(), (graphics::Size{440, 160}));
    savePicture("editor_menu_tablet.png");

    const FramePtr frame = project->getFrameList()->getFrameAtIndex(1);
    foundation::NotificationCenter::defaultCenter().post(
        n::kMenuHold, menu, {{n::kFrameKey, n::box(frame)}, {n::kSelectionKey, n::box(n::FrameRange{1, 1})}});
    settle();
    auto* hold = popoverContent<DuplicateFramesView>();
    ASSERT_TRUE(hold);  // the same popover, new content
    hold->sliderTimer()->setValue(4.2);
    hold->sliderTimer()->sendActionsForControlEvents(ui::ControlEventValueChanged);
    EXPECT_EQ(frame->getDuration(), 4);
    savePicture("editor_hold_tablet.png");
    editor->popoverController()->dismissPopoverAnimated(true);
    settle();
    EXPECT_EQ(savedHolds(), "1 4 1 1");
    EXPECT_LIST_INVARIANTS(project);
}

TEST_F(EditorPanelsTest, FingerOnAStripItemOpensTheMenuPointingAtIt) {
    auto project = projectOfPictures("ABCD");
    open(project);
    KWFrameByFrameView* strip = editor->playerViewController();
    ASSERT_TRUE(strip);
    ui::ViewPtr item = strip->carousel()->itemViewAtIndex(1);
    ASSERT_TRUE(item);
    tap(KWFrameByFrameView::itemSubview(*item, KWFrameByFrameView::kTagThumbnail));
    advance(0.5);  // a single tap is known once no second one follows
    auto* menu = popoverContent<KWFrameEditMenuViewController>();
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->frame(), project->getFrameList()->getFrameAtIndex(1));
    // The menu stands above the item it was opened for, over the same x.
    const graphics::Rect shown = inWindow(menu->view());
    const graphics::Rect tapped = inWindow(item.get());
    EXPECT_LT(shown.maxY(), tapped.maxY());
    EXPECT_TRUE(shown.minX() <= tapped.midX() && tapped.midX() <= shown.maxX())
        << shown.minX() << ".." << shown.maxX() << " for " << tapped.midX();
}

TEST_F(EditorPanelsTest, UnchangedHoldSavesNothing) {
    auto project = projectOfPictures("AB");
    open(project);
    tapEntry(0);
    const FramePtr frame = project->getFrameList()->getFrameAtIndex(0);
    foundation::NotificationCenter::defaultCenter().post(n::kMenuHold, nullptr, {{n::kFrameKey, n::box(frame)}});
    settle();
    ASSERT_TRUE(popoverContent<DuplicateFramesView>());
    const auto saved = std::filesystem::last_write_time(*project->pathForFile("frames.meta"));
    editor->popoverController()->dismissPopoverAnimated(true);
    settle();
    EXPECT_EQ(std::filesystem::last_write_time(*project->pathForFile("frames.meta")), saved);
}

TEST_F(EditorPanelsTest, CropOpensOnStoredPicturesOnly) {
    auto project = projectOfPictures("AB");
    open(project);
    const FramePtr first = project->getFrameList()->getFrameAtIndex(0);
    const FramePtr second = project->getFrameList()->getFrameAtIndex(1);
    std::filesystem::remove(*project->pathForFile(KWImageProducer::frameFileName(second->frameID())));
    foundation::NotificationCenter::defaultCenter().post(n::kMenuCrop, nullptr, {{n::kFrameKey, n::box(second)}});
    settle();
    EXPECT_EQ(editor->presentedViewController(), nullptr);  // no full-size picture: nothing opens

    foundation::NotificationCenter::defaultCenter().post(n::kMenuCrop, nullptr, {{n::kFrameKey, n::box(first)}});
    settle();
    auto* crop = dynamic_cast<ImageEditor*>(editor->presentedViewController());
    ASSERT_TRUE(crop);
    EXPECT_TRUE(crop->checkBounds());
    EXPECT_EQ(crop->sourceImage().pixelWidth(), 320);
    savePicture("editor_crop_tablet.png");
    crop->cancelAction();
    settle();
    EXPECT_EQ(editor->presentedViewController(), nullptr);
    EXPECT_EQ(namesOfList(*project), "A?S");  // B's picture was removed above; A unchanged
}

TEST_F(EditorPanelsTest, CropDoneStoresTheWindowAsThePicture) {
    auto project = projectOfPictures("AB");
    open(project);
    const FramePtr first = project->getFrameList()->getFrameAtIndex(0);
    foundation::NotificationCenter::defaultCenter().post(n::kMenuCrop, nullptr, {{n::kFrameKey, n::box(first)}});
    settle();
    auto* crop = dynamic_cast<ImageEditor*>(editor->presentedViewController());
    ASSERT_TRUE(crop);
    crop->doneAction();
    advance(0.5);
    settle();
    EXPECT_EQ(editor->presentedViewController(), nullptr);
    EXPECT_EQ(namesOfList(*project), "ABS");
    const auto data = project->fileDataForFileWithPreferredFilename(KWImageProducer::frameFileName(first->frameID()));
    ASSERT_TRUE(data);
    auto stored = graphics::Image::decode(*data);
    ASSERT_TRUE(stored.ok());
    EXPECT_EQ(stored->pixelWidth(), 320);
    EXPECT_EQ(stored->pixelHeight(), 180);  // the 16:9 window at the source's width
    EXPECT_LIST_INVARIANTS(project);
}

TEST_F(EditorPanelsTest, SpeedPopoverStoresAndAChangeSaves) {
    auto project = projectOfPictures("AB");
    open(project);
    project->getMetaData()->set(projectkeys::kNeedsRendering, false);
    ASSERT_TRUE(project->saveMetaDataToDisk().ok());
    editor->actionMore();
    settle();
    auto* speed = popoverContent<SpeedViewController>();
    ASSERT_TRUE(speed);
    EXPECT_TRUE(editor->btnMore()->isSelected());
    EXPECT_EQ(savedMetaValue(*project, projectkeys::kNeedsRendering), "True");
    speed->sliderSpeed()->setValue(9.6);
    speed->sliderSpeed()->sendActionsForControlEvents(ui::ControlEventValueChanged);
    savePicture("editor_speed_tablet.png");
    editor->popoverController()->dismissPopoverAnimated(true);
    settle();
    EXPECT_FALSE(editor->btnMore()->isSelected());
    EXPECT_EQ(project->getFPS(), 10);
    EXPECT_EQ(savedMetaValue(*project, projectkeys::kFPS), "10.0");
    EXPECT_LIST_INVARIANTS(project);
}

TEST_F(PhoneEditorPanelsTest, PopoversOnThePhone) {
    auto project = projectOfPictures("ABC");
    open(project);
    editor->actionMusic();
    settle();
    ASSERT_TRUE(popoverContent<MediaSelectionViewController>());
    EXPECT_TRUE(editor->btnMusic()->isSelected());
    savePicture("editor_add_media_phone.png");
    editor->popoverController()->dismissPopoverAnimated(true);
    settle();
    EXPECT_FALSE(editor->btnMusic()->isSelected());
    tapEntry(2);
    ASSERT_TRUE(popoverContent<KWFrameEditMenuViewController>());
    savePicture("editor_menu_phone.png");
    editor->actionMore();
    settle();
    ASSERT_TRUE(popoverContent<SpeedViewController>());
    savePicture("editor_speed_phone.png");
}

TEST_F(EditorPanelsTest, AddMediaOnTheTablet) {
    open(projectOfPictures("AB"));
    editor->actionMusic();
    settle();
    ASSERT_TRUE(popoverContent<MediaSelectionViewController>());
    savePicture("editor_add_media_tablet.png");
}

}  // namespace
}  // namespace editortest
