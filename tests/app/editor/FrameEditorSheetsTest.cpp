// The editor's sheets and menus seen from the screen: the frame-edit menu
// closing on a choice, the add-media menu and the theme card chooser it
// opens, and the theme sheet that holds the controls until it is closed,
// opens on its outline from a card's Text and closes on its Done.

#include "EditorTestSupport.h"
#include "app/core/BundleImage.h"
#include "app/core/KWImageProducer.h"
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
#include "support/Pictures.h"

#include <cmath>
#include <set>

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
    // The line under the title, made while the table was a tablet's width,
    // ends 10 points short of the sheet's edge.
    const graphics::Image shown = window->renderImage();
    const int y =
        int(sheet->tableView()->convertRectToView(sheet->tableView()->rectForHeaderInSection(0), nullptr).minY());
    int end = 0;
    for (int x = 0; x < shown.pixelWidth(); ++x)
        if (testsupport::pixelNear(shown.pixelAt(x, y + 31), graphics::RGBA{0, 0, 0, 255}, 40)) end = x + 1;
    EXPECT_EQ(end, 568 - 10);
    savePicture("Editor-theme-sheet-phone.png");
    tapDone();
    EXPECT_EQ(editor->outlineNavigationController(), nullptr);
}

// The theme card chooser from the add-media menu, on the tablet (a form
// sheet) and on the phone (the whole window).
class ThemeCardChooserTest : public SheetsTest, public ::testing::WithParamInterface<bool> {
protected:
    ThemeCardChooserTest() : SheetsTest(GetParam()) {}

    // The cards of a row brought into sight: each shown card's index and
    // the window rectangle its picture is drawn in.
    std::vector<std::pair<size_t, graphics::Rect>> drawnCards(ui::TableView& table, size_t row) {
        table.scrollToRowAtIndexPath({0, row}, ui::TableViewScrollPosition::Middle, false);
        std::vector<std::pair<size_t, graphics::Rect>> cards;
        for (size_t k = 0; k < 4; ++k) {
            ui::View* card = table.cellForRowAtIndexPath({0, row})->contentView().viewWithTag(100 + int(k));
            if (!card->isHidden()) cards.emplace_back(row * 4 + k, drawnRect(*card));
        }
        return cards;
    }
};

// Every card is drawn whole (in its own proportions) inside the chooser,
// four to a row with gaps between them; scrolled through, all 29 are seen;
// a click where the third card of the first row is drawn inserts that card.
TEST_P(ThemeCardChooserTest, EveryCardIsDrawnInsideTheChooserAndChosenWhereItIsDrawn) {
    open(projectOfPictures("AB"));
    tap(editor->btnMusic());
    advance(0.5);
    ASSERT_NE(popoverContent<MediaSelectionViewController>(), nullptr);
    tap(popoverContent<MediaSelectionViewController>()->tableView()->cellForRowAtIndexPath({0, 1}).get());
    advance(0.5);
    auto* navigation = dynamic_cast<ui::NavigationController*>(editor->presentedViewController());
    auto* chooser = dynamic_cast<ThemeCardTableViewController*>(navigation ? navigation->topViewController() : nullptr);
    ASSERT_NE(chooser, nullptr);
    ui::TableView& table = *chooser->tableView();
    const graphics::Rect shown = inWindow(&table);
    EXPECT_EQ(shown.width(), GetParam() ? 568 : 540);
    savePicture(std::string("Editor-theme-cards-") + (GetParam() ? "phone" : "tablet") + ".png");
    const graphics::Size thumbnail = bundleImageNamed(chooser->items()[0].thumbImagePath)->size();
    std::set<size_t> seen;
    for (size_t row = 0; row < table.numberOfRowsInSection(0); ++row) {
        const auto cards = drawnCards(table, row);
        EXPECT_EQ(cards.size(), row < 7 ? 4u : 1u) << "row " << row;
        for (size_t k = 0; k < cards.size(); ++k) {
            const auto& [index, drawn] = cards[k];
            const bool whole = !drawn.isEmpty() && shown.contains(drawn) &&
                               std::abs(drawn.width() / drawn.height() - thumbnail.width / thumbnail.height) < 0.05 &&
                               (k == 0 || drawn.minX() > cards[k - 1].second.maxX());
            EXPECT_TRUE(whole) << "card " << index << " drawn at " << drawn.toString() << " in " << shown.toString();
            if (whole) seen.insert(index);
        }
    }
    EXPECT_EQ(seen.size(), 29u);

    const graphics::Rect third = drawnCards(table, 0).at(2).second;
    const graphics::Image card = bundleImageNamed(chooser->items()[2].bgImagePath)->resized(32, 18);
    auto list = editor->project()->getFrameList();
    const std::set<FramePtr> before(list->begin(), list->end());
    fingers.tap({third.midX(), third.midY()});
    foundation::RunLoop::main().runUntilIdle();
    advance(0.5);  // the chooser is dismissed
    settle();
    ASSERT_EQ(list->count(), int64_t(before.size()) + 1) << "no card inserted";
    for (const FramePtr& frame : *list) {
        if (before.count(frame)) continue;
        const auto stored = graphics::Image::load(*editor->project()->getProjectPath() + "/" +
                                                  KWImageProducer::frameFileName(frame->frameID()));
        ASSERT_TRUE(stored.ok());
        for (auto [x, y] : {std::pair{4, 4}, {16, 9}, {28, 14}})
            EXPECT_TRUE(testsupport::pixelNear(stored->resized(32, 18).pixelAt(x, y), card.pixelAt(x, y), 16))
                << "not the third card";
    }
}

INSTANTIATE_TEST_SUITE_P(TabletAndPhone, ThemeCardChooserTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Phone" : "Tablet"; });

}  // namespace
}  // namespace editortest
