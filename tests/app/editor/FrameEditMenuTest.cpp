#include "PanelTestSupport.h"
#include "app/editor/KWFrameEditMenuViewController.h"
#include "app/widgets/views/MKNumberBadgeView.h"
#include "platform/ui/controls/Label.h"

#include <gtest/gtest.h>

namespace n = editornotifications;

namespace {

// Every cell in grid order as "Title+" (enabled) or "Title-" (dimmed),
// followed by "#n" when it shows a badge.
std::string menuSummary(int32_t type, int64_t length, int64_t pasteboard) {
    FramePtr frame = Frame::create(type);
    std::string summary;
    for (size_t section = 0; section < frameeditmenu::kSections; ++section) {
        for (size_t row = 0; row < frameeditmenu::kItemsInSection[section]; ++row) {
            const auto item = frameeditmenu::itemAt(section, row, *frame, length, pasteboard);
            if (!item) return "<no item at " + std::to_string(section) + "," + std::to_string(row) + ">";
            if (!summary.empty()) summary += ' ';
            summary += item->title + (item->enabled ? "+" : "-");
            if (item->badge) summary += "#" + std::to_string(*item->badge);
        }
    }
    return summary;
}

struct MenuCase {
    const char* what;
    int32_t type;
    int64_t length;
    int64_t pasteboard;
    const char* expected;
};

const MenuCase kMenuCases[] = {
    {"capture slot: all dimmed but Paste", Frame::kTypeCaptureSlot, 1, 3,
     "Text- Audio- Crop- Erase- Draw- Merge- Capture- Hold- Select- Copy- Paste+#3 Reverse- Delete-"},
    {"capture slot with an empty pasteboard: nothing applies", Frame::kTypeCaptureSlot, 0, 0,
     "Text- Audio- Crop- Erase- Draw- Merge- Capture- Hold- Select- Copy- Paste- Reverse- Delete-"},
    {"picture, single frame, empty pasteboard", Frame::kTypePicture, 1, 0,
     "Text- Audio+ Crop+ Erase+ Draw+ Merge+ Capture+ Hold+ Select+ Copy+ Paste- Reverse- Delete+"},
    {"picture, selection of 5, one frame to paste", Frame::kTypePicture, 5, 1,
     "Text- Audio+ Crop+ Erase+ Draw+ Merge+ Capture+ Hold+ Deselect+ Copy+#5 Paste+ Reverse+#5 Delete+#5"},
    {"picture, selection of 2, four to paste", Frame::kTypePicture, 2, 4,
     "Text- Audio+ Crop+ Erase+ Draw+ Merge+ Capture+ Hold+ Deselect+ Copy+#2 Paste+#4 Reverse+#2 Delete+#2"},
    {"title card: Text on, picture tools off", Frame::kTypeTitleCard, 1, 2,
     "Text+ Audio+ Crop- Erase- Draw- Merge- Capture+ Hold+ Select+ Copy+ Paste+#2 Reverse- Delete+"},
    {"credits card", Frame::kTypeCreditsCard, 0, 0,
     "Text+ Audio+ Crop- Erase- Draw- Merge- Capture+ Hold+ Select+ Copy+ Paste- Reverse- Delete+"},
    {"theme text card", Frame::kTypeThemeTextCard, 1, 1,
     "Text+ Audio+ Crop- Erase- Draw- Merge- Capture+ Hold+ Select+ Copy+ Paste+ Reverse- Delete+"},
};

TEST(FrameEditMenuItems, EnableRulesTitlesAndBadges) {
    for (const MenuCase& c : kMenuCases) EXPECT_EQ(menuSummary(c.type, c.length, c.pasteboard), c.expected) << c.what;
}

TEST(FrameEditMenuItems, SelectAndDeselectPostTheirOwnNames) {
    FramePtr frame = Frame::create(Frame::kTypePicture);
    EXPECT_EQ(frameeditmenu::itemAt(1, 2, *frame, 1, 0)->notificationName, n::kMenuSelect);
    EXPECT_EQ(frameeditmenu::itemAt(1, 2, *frame, 5, 0)->notificationName, n::kMenuDeselect);
    EXPECT_EQ(frameeditmenu::itemAt(1, 2, *frame, 5, 0)->icon, "thumbmenu_icon_select_between");
    EXPECT_FALSE(frameeditmenu::itemAt(0, 6, *frame, 1, 0));
    EXPECT_FALSE(frameeditmenu::itemAt(1, 7, *frame, 1, 0));
    EXPECT_FALSE(frameeditmenu::itemAt(2, 0, *frame, 1, 0));
}

class FrameEditMenuTest : public editortest::PanelTest {
protected:
    explicit FrameEditMenuTest(bool phone = false) : PanelTest(phone) {}

    KWFrameEditMenuViewController& showMenu(const FramePtr& frame, n::FrameRange selection, int64_t pasteboard) {
        menu = std::make_shared<KWFrameEditMenuViewController>(frame, selection, pasteboard);
        const graphics::Rect bounds = rootView().bounds();
        present(menu, graphics::Rect(bounds.midX() - 40, bounds.size.height - 120, 80, 60));
        return *menu;
    }
    KWFrameEditMenuCollectionViewCell& cellAt(size_t section, size_t row) {
        auto cell = std::dynamic_pointer_cast<KWFrameEditMenuCollectionViewCell>(
            menu->collectionView()->cellForItemAtIndexPath(ui::IndexPath{section, row}));
        if (!cell) throw std::runtime_error("no cell shown at " + std::to_string(section) + "," + std::to_string(row));
        return *cell;
    }

    std::shared_ptr<KWFrameEditMenuViewController> menu;
};

class PhoneFrameEditMenuTest : public FrameEditMenuTest {
protected:
    PhoneFrameEditMenuTest() : FrameEditMenuTest(true) {}
};

TEST_F(FrameEditMenuTest, CellsShowTitlesDimmingAndBadges) {
    FramePtr frame = Frame::create(Frame::kTypePicture);
    showMenu(frame, {2, 5}, 3);
    EXPECT_EQ(cellAt(1, 2).label()->text(), "Deselect");
    // Each section is one row: six operations on the picture, seven on the list.
    for (size_t row = 1; row < 7; ++row)
        EXPECT_EQ(cellAt(1, row).frame().origin.y, cellAt(1, 0).frame().origin.y) << row;
    for (size_t row = 1; row < 6; ++row)
        EXPECT_EQ(cellAt(0, row).frame().origin.y, cellAt(0, 0).frame().origin.y) << row;
    struct Expect {
        size_t section, row;
        double alpha;
        bool badgeShown;
        uint32_t badge;
    };
    const Expect expectations[] = {
        {0, 0, 0.5, false, 0}, {0, 2, 1.0, false, 0}, {1, 3, 1.0, true, 5},
        {1, 4, 1.0, true, 3},  {1, 5, 1.0, true, 5},  {1, 6, 1.0, true, 5},
    };
    for (const Expect& e : expectations) {
        KWFrameEditMenuCollectionViewCell& cell = cellAt(e.section, e.row);
        EXPECT_EQ(cell.alpha(), e.alpha) << e.section << "," << e.row;
        EXPECT_EQ(!cell.badge()->isHidden(), e.badgeShown) << e.section << "," << e.row;
        if (e.badgeShown) {
            EXPECT_EQ(cell.badge()->value(), e.badge) << e.section << "," << e.row;
        }
        EXPECT_FALSE(cell.badge()->shine());
        EXPECT_FALSE(cell.badge()->shadow());
        EXPECT_EQ(cell.badge()->strokeWidth(), 0);
    }
    savePicture("frame_edit_menu_tablet.png");
}

TEST_F(FrameEditMenuTest, OnlyEnabledCellsPostWithFrameAndSelection) {
    FramePtr slot = Frame::create(Frame::kTypeCaptureSlot);
    showMenu(slot, {4, 1}, 2);
    editortest::PostedNames posted({n::kMenuPaste, n::kMenuDelete, n::kMenuCopy, n::kMenuText});
    tap(&cellAt(1, 6));  // Delete: dimmed on the slot
    tap(&cellAt(1, 3));  // Copy: dimmed
    tap(&cellAt(0, 0));  // Text: dimmed
    EXPECT_TRUE(posted.posted.empty());
    tap(&cellAt(1, 4));  // Paste: enabled
    ASSERT_EQ(posted.posted.size(), 1u);
    const foundation::Notification& note = posted.posted[0];
    EXPECT_EQ(note.name, n::kMenuPaste);
    EXPECT_EQ(note.object, menu.get());
    EXPECT_EQ(n::frameIn(note.userInfo), slot);
    EXPECT_EQ(n::selectionIn(note.userInfo), (n::FrameRange{4, 1}));
    // The menu stays: the editor closes the popover when it handles the choice.
    EXPECT_TRUE(popover->isPopoverVisible());
}

TEST_F(FrameEditMenuTest, ReusedCellsForgetTheirBadge) {
    FramePtr frame = Frame::create(Frame::kTypePicture);
    showMenu(frame, {0, 5}, 0);
    EXPECT_FALSE(cellAt(1, 3).badge()->isHidden());
    menu->collectionView()->reloadData();
    window->layoutIfNeeded();
    // A reload refills every cell from the same values: still badged, Paste still dim.
    EXPECT_FALSE(cellAt(1, 3).badge()->isHidden());
    EXPECT_TRUE(cellAt(1, 4).badge()->isHidden());
    EXPECT_EQ(cellAt(1, 4).alpha(), 0.5);
}

class FrameEditMenuBadgeTest : public testsupport::AtTabletAndPhone<FrameEditMenuTest> {};

TEST_P(FrameEditMenuBadgeTest, BadgesReadEveryCountWhole) {
    // A selection runs up to the whole list of a project of 150,000 frames;
    // each badge shows its whole pill, and so its whole number, on screen.
    FramePtr frame = Frame::create(Frame::kTypePicture);
    for (const int64_t count : {5, 3231, 99999, 149999}) {
        SCOPED_TRACE(count);
        showMenu(frame, {0, count}, count);
        window->layoutIfNeeded();
        for (size_t row : {3, 4, 5, 6}) {
            MKNumberBadgeView& badge = *cellAt(1, row).badge();
            ASSERT_FALSE(badge.isHidden()) << row;
            ASSERT_EQ(badge.value(), static_cast<uint32_t>(count));
            // A pill cut by its view or the cell draws narrower than it is;
            // one wider than its cell runs into the next one's.
            const graphics::Rect drawn = drawnRect(badge);
            EXPECT_TRUE(drawn.width() >= badge.sizeThatFits({}).width - 1 &&
                        drawn.height() >= badge.sizeThatFits({}).height - 1 &&
                        inWindow(&cellAt(1, row)).insetBy(-1, -1).contains(drawn))
                << "row " << row << " draws " << drawn.toString() << " of a badge "
                << badge.sizeThatFits({}).toString() << " in its cell " << inWindow(&cellAt(1, row)).toString();
        }
        savePicture(std::string("frame_edit_menu_badges_") + (GetParam() ? "phone_" : "tablet_") +
                    std::to_string(count) + ".png");
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, FrameEditMenuBadgeTest, ::testing::Bool(), testsupport::tabletOrPhone);

TEST_F(PhoneFrameEditMenuTest, FitsThePhoneScreen) {
    FramePtr frame = Frame::create(Frame::kTypeTitleCard);
    showMenu(frame, {1, 1}, 0);
    const graphics::Rect shown = inWindow(menu->view());
    EXPECT_GE(shown.minX(), 0);
    EXPECT_LE(shown.maxX(), 568);
    EXPECT_EQ(cellAt(0, 0).alpha(), 1.0);
    EXPECT_EQ(cellAt(0, 2).alpha(), 0.5);
    savePicture("frame_edit_menu_phone.png");
}

}  // namespace
