#include "PanelTestSupport.h"
#include "app/editor/MediaSelectionViewController.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/lists/TableViewCell.h"

#include <gtest/gtest.h>

namespace {

TEST(MediaSelectionRows, TitlesIconsAndTheCaptureSlotRule) {
    struct Case {
        size_t row;
        bool onSlot;
        MediaSelectionRow expected;
    };
    const Case cases[] = {
        {0, false, {"Add Images", "capturesource_icon_import", true}},
        {1, false, {"Theme Cards", "mediaselection_theme", true}},
        {2, false, {"Audio and Music", "mediaselection_audio", true}},
        {3, false, {"Video", "mediaselection_video", true}},
        {0, true, {"Add Images", "capturesource_icon_import", true}},
        {2, true, {"Audio and Music", "mediaselection_audio", false}},
        {3, true, {"Video", "mediaselection_video", true}},
    };
    for (const Case& c : cases) EXPECT_EQ(mediaselection::rowAt(c.row, c.onSlot), c.expected) << c.row << c.onSlot;
    EXPECT_FALSE(mediaselection::rowAt(4, false));
}

class MediaSelectionTest : public editortest::PanelTest, public MediaSelectionDelegate {
protected:
    explicit MediaSelectionTest(bool phone = false) : PanelTest(phone) {}

    void mediaSelectionDidSelect(MediaSelectionViewController& menu, int64_t row) override {
        EXPECT_EQ(&menu, this->menu.get());
        chosen.push_back(row);
    }
    MediaSelectionViewController& showMenu(const ProjectModelPtr& project) {
        menu = std::make_shared<MediaSelectionViewController>(project, ui::TableViewStyle::Plain);
        menu->setDelegate(this);
        present(menu, graphics::Rect(rootView().bounds().size.width - 60, 10, 44, 44));
        return *menu;
    }
    ui::TableViewCell& cellAt(size_t row) {
        auto cell = menu->tableView()->cellForRowAtIndexPath({0, row});
        if (!cell) throw std::runtime_error("no row " + std::to_string(row));
        return *cell;
    }

    std::shared_ptr<MediaSelectionViewController> menu;
    std::vector<int64_t> chosen;
};

class PhoneMediaSelectionTest : public MediaSelectionTest {
protected:
    PhoneMediaSelectionTest() : MediaSelectionTest(true) {}
};

TEST_F(MediaSelectionTest, EveryRowReachesTheDelegate) {
    auto project = editortest::projectOfPictures("AB");
    showMenu(project);
    EXPECT_EQ(menu->preferredContentSize, (graphics::Size{200, 174}));
    for (size_t row = 0; row < 4; ++row) tap(&cellAt(row));
    EXPECT_EQ(chosen, (std::vector<int64_t>{0, 1, 2, 3}));
    EXPECT_EQ(cellAt(2).textLabel()->textColor(), graphics::Color::black());
    savePicture("media_selection_tablet.png");
}

TEST_F(MediaSelectionTest, AudioIsGreyAndInertOnTheCaptureSlot) {
    auto project = editortest::projectOfPictures("AB");
    auto list = project->getFrameList();
    list->setFrameAtPlayhead(list->getFrameAtIndex(list->getCaptureIndex()));
    showMenu(project);
    EXPECT_EQ(cellAt(2).textLabel()->text(), "Audio and Music");
    EXPECT_EQ(cellAt(2).textLabel()->textColor(), graphics::Color::lightGray());
    tap(&cellAt(2));
    tap(&cellAt(3));
    tap(&cellAt(0));
    EXPECT_EQ(chosen, (std::vector<int64_t>{3, 0}));
    // The playhead leaving the slot after the rows were drawn counts at the tap.
    list->setFrameAtPlayhead(list->getFrameAtIndex(0));
    tap(&cellAt(2));
    EXPECT_EQ(chosen, (std::vector<int64_t>{3, 0, 2}));
}

TEST_F(PhoneMediaSelectionTest, MenuOnThePhone) {
    auto project = editortest::projectOfPictures("A");
    showMenu(project);
    tap(&cellAt(1));
    EXPECT_EQ(chosen, (std::vector<int64_t>{1}));
    savePicture("media_selection_phone.png");
}

}  // namespace
