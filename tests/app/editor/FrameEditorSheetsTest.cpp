// The editor's sheets and menus seen from the screen: the frame-edit menu
// closing on a choice, the add-media menu and the theme sheet that holds the
// controls until it is closed.

#include "EditorTestSupport.h"
#include "app/editor/EditorNotifications.h"
#include "app/editor/KWFrameEditMenuViewController.h"
#include "app/editor/MediaSelectionViewController.h"
#include "app/widgets/popover/KWPopoverController.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/controls/Button.h"

namespace editortest {
namespace {

namespace n = editornotifications;

class SheetsTest : public EditorTest {
protected:
    // The strip's tap on the entry at `index`, as the strip posts it.
    void tapFrame(int64_t index) {
        auto list = editor->project()->getFrameList();
        foundation::NotificationCenter::defaultCenter().post(
            n::kDidSelectFrame, nullptr,
            {{n::kFrameKey, n::box(list->getFrameAtIndex(index))},
             {n::kViewRectKey, n::box(graphics::Rect(300, 620, 105, 115))},
             {n::kSelectionKey, n::box(n::FrameRange{index, 1})}});
        settle();
    }
    template <class T>
    T* popoverContent() {
        auto* popover = editor->popoverController();
        return popover ? dynamic_cast<T*>(popover->contentViewController().get()) : nullptr;
    }
};

TEST_F(SheetsTest, ATappedFrameOpensTheMenuAndItsChoiceClosesIt) {
    open(projectOfPictures("ABC"));
    tapFrame(1);
    auto* menu = popoverContent<KWFrameEditMenuViewController>();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->frame(), editor->project()->getFrameList()->getFrameAtIndex(1));
    EXPECT_EQ(menu->selection(), (n::FrameRange{1, 1}));
    EXPECT_EQ(editor->popoverController()->popoverContentSize(), graphics::Size(440, 160));
    advance(0.5);
    EXPECT_TRUE(editor->popoverController()->isPopoverVisible());
    savePicture("Editor-menu-tablet.png");
    foundation::NotificationCenter::defaultCenter().post(
        n::kMenuDeselect, nullptr,
        {{n::kFrameKey, n::box(menu->frame())}, {n::kSelectionKey, n::box(n::FrameRange{1, 1})}});
    advance(1.0);
    EXPECT_FALSE(editor->popoverController()->isPopoverVisible());
    EXPECT_LIST_INVARIANTS(editor->project());
}

TEST_F(SheetsTest, TheAddMediaMenuOpensFromItsButton) {
    open(projectOfPictures("AB"));
    editor->actionMusic();
    ASSERT_NE(popoverContent<MediaSelectionViewController>(), nullptr);
    EXPECT_TRUE(editor->btnMusic()->isSelected());
    editor->popoverController()->dismissPopoverAnimated(true);
    EXPECT_FALSE(editor->btnMusic()->isSelected());
}

TEST_F(SheetsTest, TheThemeSheetDisablesTheControlsUntilItIsClosed) {
    open(projectOfPictures("AB"));
    editor->actionTheme();
    ASSERT_NE(editor->outlineNavigationController(), nullptr);
    EXPECT_FALSE(editor->btnPlay()->isEnabled());
    advance(0.5);
    EXPECT_EQ(editor->outlineNavigationController()->view()->frame().origin.y, 476);
    savePicture("Editor-theme-sheet-tablet.png");
    foundation::NotificationCenter::defaultCenter().post(n::kThemeDone);
    advance(0.5);
    EXPECT_EQ(editor->outlineNavigationController(), nullptr);
    EXPECT_TRUE(editor->btnPlay()->isEnabled());
}

}  // namespace
}  // namespace editortest
