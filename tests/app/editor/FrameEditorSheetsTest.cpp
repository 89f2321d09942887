// The editor's sheets and menus seen from the screen: the frame-edit menu
// closing on a choice, the add-media menu, and the theme sheet that holds the
// controls until it is closed, opens on its outline from a card's Text and
// closes on its Done.

#include "EditorTestSupport.h"
#include "app/core/BundleImage.h"
#include "app/editor/EditorNotifications.h"
#include "app/editor/KWFrameByFrameView.h"
#include "app/editor/KWFrameEditMenuViewController.h"
#include "app/editor/MediaSelectionViewController.h"
#include "app/render/screens/OutlineViewController.h"
#include "app/render/screens/ThemeSettingsViewController.h"
#include "app/render/themes/ThemeCardTableViewController.h"
#include "app/widgets/cells/ELCTextFieldCell.h"
#include "app/widgets/popover/KWPopoverController.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/lists/TableViewCell.h"

namespace editortest {
namespace {

namespace n = editornotifications;

class SheetsTest : public EditorTest {
protected:
    explicit SheetsTest(bool phone = false) : EditorTest(phone) {}
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
    // What the theme sheet shows on top: the sheet itself or its outline.
    ui::ViewController* sheetPage() {
        auto* navigation = dynamic_cast<ui::NavigationController*>(editor->outlineNavigationController());
        return navigation ? navigation->topViewController() : nullptr;
    }
    // The tab of that title in the sheet's navigation bar.
    ui::Button* tab(const std::string& title) {
        for (const ui::ViewPtr& view : sheetPage()->navigationItem().titleView()->subviews())
            if (auto* button = dynamic_cast<ui::Button*>(view.get()); button && button->titleLabel()->text() == title)
                return button;
        return nullptr;
    }
    void tapDone() {
        ui::View* done = sheetPage()->navigationItem().rightBarButtonItem()->view();
        ASSERT_NE(done, nullptr);
        tap(done);
        advance(0.5);
    }
    int64_t stripIndex() { return editor->playerViewController()->carousel()->currentItemIndex(); }
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
    EXPECT_EQ(editor->popoverController()->popoverContentSize(), (graphics::Size{440, 160}));
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

TEST_F(SheetsTest, TextOnACardOpensTheOutlineAndDoneClosesTheSheet) {
    auto project = projectOfPictures("AB");
    auto list = project->getFrameList();
    list->insertFrame(Frame::create(Frame::kTypeTitleCard), 0);
    list->insertFrame(Frame::create(Frame::kTypeCreditsCard), list->count());
    ASSERT_TRUE(project->saveAllDataToDisk().ok());
    open(project);
    ASSERT_EQ(namesOfList(*project), "TABSC");

    for (int64_t card : {0, 4}) {
        tapFrame(card);
        auto* menu = popoverContent<KWFrameEditMenuViewController>();
        ASSERT_NE(menu, nullptr);
        tap(menu->collectionView()->cellForItemAtIndexPath(ui::IndexPath::indexPathForItem(0, 0)).get());  // Text
        advance(0.5);
        auto* outline = dynamic_cast<OutlineViewController*>(sheetPage());
        ASSERT_NE(outline, nullptr) << "card " << card;
        EXPECT_FALSE(editor->btnPlay()->isEnabled());
        // The strip follows the card whose text is edited: credits on
        // opening, the title for the movie name.
        EXPECT_EQ(stripIndex(), 4);
        auto name = std::dynamic_pointer_cast<ELCTextFieldCell>(
            outline->tableView()->cellForRowAtIndexPath(ui::IndexPath{0, 0}));
        ASSERT_NE(name, nullptr);
        tap(name->rightTextField());
        EXPECT_EQ(stripIndex(), 0);
        if (card == 0) savePicture("Editor-outline-sheet-tablet.png");
        tapDone();
        EXPECT_EQ(editor->outlineNavigationController(), nullptr) << "card " << card;
        EXPECT_TRUE(editor->btnPlay()->isEnabled());
    }
}

TEST_F(SheetsTest, TheSheetsTabsSwitchPagesAndItsDoneClosesIt) {
    open(projectOfPictures("AB"));
    tap(editor->btnTheme());
    advance(0.5);
    ASSERT_NE(dynamic_cast<ThemeSettingsViewController*>(sheetPage()), nullptr);
    tap(tab("Outline"));
    EXPECT_NE(dynamic_cast<OutlineViewController*>(sheetPage()), nullptr);
    tap(tab("Theme"));
    auto* sheet = dynamic_cast<ThemeSettingsViewController*>(sheetPage());
    ASSERT_NE(sheet, nullptr);
    // The first section's title stays below the bar.
    EXPECT_LE(sheet->tableView()->contentOffset().y, sheet->tableView()->rectForHeaderInSection(0).minY());
    tapDone();
    EXPECT_EQ(editor->outlineNavigationController(), nullptr);
    EXPECT_TRUE(editor->btnPlay()->isEnabled());
}

class PhoneSheetsTest : public SheetsTest {
protected:
    PhoneSheetsTest() : SheetsTest(true) {}
};

TEST_F(PhoneSheetsTest, TheLowSheetKeepsItsFirstTitleInViewAndItsLineInside) {
    open(projectOfPictures("AB"));
    tap(editor->btnTheme());
    advance(0.5);
    auto* sheet = dynamic_cast<ThemeSettingsViewController*>(sheetPage());
    ASSERT_NE(sheet, nullptr);
    EXPECT_LE(sheet->tableView()->contentOffset().y, sheet->tableView()->rectForHeaderInSection(0).minY());
    // The line under the title ends 10 points short of the sheet's edge.
    ui::View* line = window->hitTest(
        inWindow(*sheet->tableView(), {100, sheet->tableView()->rectForHeaderInSection(0).minY() + 31}), nullptr);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(drawnRect(*line).maxX(), 568 - 10);
    savePicture("Editor-theme-sheet-phone.png");
    tapDone();
    EXPECT_EQ(editor->outlineNavigationController(), nullptr);
}

// The theme card chooser from the add-media menu, a form sheet on the tablet
// and the whole window on the phone.
using ThemeCardChooserTest = testsupport::AtTabletAndPhone<SheetsTest>;

// Every card is drawn whole inside the chooser, apart from the others; a
// click where one is drawn inserts that card.
TEST_P(ThemeCardChooserTest, EveryCardIsDrawnInsideTheChooserAndChosenWhereItIsDrawn) {
    open(projectOfPictures("AB"));
    editor->actionMusic();
    ASSERT_NE(popoverContent<MediaSelectionViewController>(), nullptr);
    tap(popoverContent<MediaSelectionViewController>()->tableView()->cellForRowAtIndexPath({0, 1}).get());
    advance(0.5);
    auto* navigation = dynamic_cast<ui::NavigationController*>(editor->presentedViewController());
    auto* chooser = dynamic_cast<ThemeCardTableViewController*>(navigation ? navigation->topViewController() : nullptr);
    ASSERT_NE(chooser, nullptr);
    ui::TableView& table = *chooser->tableView();
    savePicture(std::string("Editor-theme-cards-") + (GetParam() ? "phone" : "tablet") + ".png");
    const graphics::Size thumbnail = bundleImageNamed(chooser->items()[0].thumbImagePath)->size();
    for (size_t row = 0; row < table.numberOfRowsInSection(0); ++row) {
        SCOPED_TRACE("row " + std::to_string(row));
        table.scrollToRowAtIndexPath({0, row}, ui::TableViewScrollPosition::Middle, false);
        std::vector<ui::View*> shown;
        for (int tag = 100; tag < 104; ++tag)
            shown.push_back(table.cellForRowAtIndexPath({0, row})->contentView().viewWithTag(tag));
        drawnSideBySide(shown, inWindow(&table), thumbnail);
    }

    // The fourth card of the fourth row: theme 20's text card, between pictures.
    table.scrollToRowAtIndexPath({0, 3}, ui::TableViewScrollPosition::Middle, false);
    const graphics::Rect fourth = drawnRect(*table.cellForRowAtIndexPath({0, 3})->contentView().viewWithTag(103));
    fingers.tap({fourth.midX(), fourth.midY()});
    advance(0.5);  // the chooser is dismissed
    settle();
    ASSERT_EQ(namesOfList(*editor->project()), "XABS");
    const auto theme = editor->project()->getFrameList()->getFrameAtIndex(0)->getTheme();
    EXPECT_EQ(theme ? theme->themeID() : 0, 20);
}

INSTANTIATE_TEST_SUITE_P(TabletAndPhone, ThemeCardChooserTest, ::testing::Bool(), testsupport::tabletOrPhone);

}  // namespace
}  // namespace editortest
