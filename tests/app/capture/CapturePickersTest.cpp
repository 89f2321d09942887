#include "app/capture/CaptureScreenTestSupport.h"
#include "app/capture/CaptureSourceSelectionView.h"
#include "app/capture/TimerConfigurationViewController.h"
#include "app/widgets/popover/KWPopoverController.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/Slider.h"
#include "platform/ui/lists/TableViewCell.h"
#include "support/WindowFixture.h"

namespace capturetest {
namespace {

class CapturePickersTest : public CaptureScreenTest {
protected:
    void SetUp() override {
        CaptureScreenTest::SetUp();
        sources.insert(sources.begin() + 1, std::make_shared<FakeSource>("CaptureChromaKeyCamera", "Green Screen"));
    }
    CaptureSourceList list() {
        return [this]() -> const std::vector<CaptureControllerPtr>& { return sources; };
    }
    std::vector<size_t> checkedRows(ui::TableView& table) {
        std::vector<size_t> rows;
        for (size_t row = 0; row < table.numberOfRowsInSection(0); ++row) {
            auto cell = table.cellForRowAtIndexPath({0, row});
            if (cell && cell->accessoryType() == ui::TableViewCellAccessoryType::Checkmark) rows.push_back(row);
        }
        return rows;
    }
};

struct Chooser : CaptureSourceSelectionDelegate {
    std::vector<CaptureControllerPtr> chosen;
    void captureSourceSelection(CaptureSourceSelectionView&, const CaptureControllerPtr& source) override {
        chosen.push_back(source);
    }
};

TEST_F(CapturePickersTest, SourcePickerListsTheSourcesAndChecksTheCurrentOne) {
    auto picker = std::make_shared<CaptureSourceSelectionView>(list());
    EXPECT_EQ(picker->preferredContentSize, (graphics::Size{200, 174}));
    window->setRootViewController(picker);
    ui::TableView& table = *picker->tableView();
    ASSERT_EQ(table.numberOfRowsInSection(0), 4u);
    EXPECT_EQ(table.cellForRowAtIndexPath({0, 1})->textLabel()->text(), "Green Screen");
    EXPECT_EQ(table.cellForRowAtIndexPath({0, 3})->textLabel()->text(), "Remote Camera");
    EXPECT_EQ(checkedRows(table), std::vector<size_t>{0});
    DataManager::sharedDataManager().setCurrentCaptureSourceID("gone.local");
    table.reloadData();
    EXPECT_TRUE(checkedRows(table).empty());

    Chooser chooser;
    picker->delegate = &chooser;
    picker->didSelectRow(2);
    EXPECT_EQ(chooser.chosen, std::vector<CaptureControllerPtr>{sources[2]});
    EXPECT_EQ(DataManager::sharedDataManager().currentCaptureSourceID(), "CaptureLocalUHDTVCamera");
    table.reloadData();
    EXPECT_EQ(checkedRows(table), std::vector<size_t>{2});

    std::vector<std::string> pages;
    auto token = foundation::NotificationCenter::defaultCenter().addObserver(
        CaptureSourceSelectionView::kShowHelpPageNotification, nullptr, [&](const foundation::Notification& n) {
            pages.push_back(n.userInfo.get(CaptureSourceSelectionView::kHelpPageKey).asString());
        });
    picker->didSelectRow(3);
    EXPECT_EQ(pages, std::vector<std::string>{"kelbrin-remotecamera"});
    EXPECT_EQ(chooser.chosen.size(), 1u);
}

TEST_F(CapturePickersTest, SourcePickerFollowsTheLiveListAndATapBeyondAShrunkListOnlyReloads) {
    auto picker = std::make_shared<CaptureSourceSelectionView>(list());
    Chooser chooser;
    picker->delegate = &chooser;
    window->setRootViewController(picker);
    ui::TableView& table = *picker->tableView();
    // A remote camera found while the picker is open appears at the update.
    sources.push_back(std::make_shared<FakeSource>("studio.local", "Studio"));
    foundation::NotificationCenter::defaultCenter().post(CaptureSourceSelectionView::kUpdateSourcesNotification);
    ASSERT_EQ(table.numberOfRowsInSection(0), 5u);
    EXPECT_EQ(picker->preferredContentSize.height, 174) << "the height stays as made";
    // It goes again without a notification; its row is still shown.
    sources.pop_back();
    sources.pop_back();
    std::vector<std::string> pages;
    auto token = foundation::NotificationCenter::defaultCenter().addObserver(
        CaptureSourceSelectionView::kShowHelpPageNotification, nullptr,
        [&](const foundation::Notification&) { pages.push_back("help"); });
    picker->didSelectRow(4);  // beyond the list and its remote row: nothing but a reload
    EXPECT_TRUE(chooser.chosen.empty());
    EXPECT_TRUE(pages.empty());
    EXPECT_EQ(table.numberOfRowsInSection(0), 3u);
    EXPECT_EQ(DataManager::sharedDataManager().currentCaptureSourceID(), "CaptureLocalCamera");
}

TEST_F(CapturePickersTest, ScreenOpensTheSourcePickerAndSwitchesToTheChoice) {
    openScreen(storedProject());
    tap(screen->buttonOptions());  // the panel opens
    advance(0.35);
    tap(screen->buttonCaptureSource());
    ASSERT_NE(screen->popoverController(), nullptr);
    EXPECT_TRUE(screen->buttonCaptureSource()->isSelected());
    auto picker =
        std::dynamic_pointer_cast<CaptureSourceSelectionView>(screen->popoverController()->contentViewController());
    ASSERT_NE(picker, nullptr);
    advance(0.5);
    savePicture("capture_source_picker.png");
    picker->didSelectRow(2);
    EXPECT_EQ(screen->captureSource(), sources[2]);
    EXPECT_EQ(screen->popoverController(), nullptr);
    advance(0.5);
    EXPECT_FALSE(screen->buttonCaptureSource()->isSelected());
    EXPECT_EQ(camera->stops.load(), 1);
    EXPECT_EQ(sources[2]->delegate(), screen.get());
}

// Each row of the picker the screen opens reads whole, the checked one
// beside its checkmark too, in both windows.
TEST_F(CapturePickersTest, EveryRowOfTheSourcePickerReadsWhole) {
    for (const bool phone : {false, true}) {
        if (phone) usePhone();
        for (size_t checked = 0; checked < 3; ++checked) {
            SCOPED_TRACE(std::string(phone ? "phone, " : "tablet, ") + sources[checked]->captureSourceID());
            DataManager::sharedDataManager().setCurrentCaptureSourceID(sources[checked]->captureSourceID());
            if (screen) screen->finishUpAndExit();
            openScreen(storedProject());
            screen->actionCaptureSource();
            advance(0.5);
            ASSERT_NE(screen->popoverController(), nullptr);
            ui::TableView& table = *std::dynamic_pointer_cast<CaptureSourceSelectionView>(
                                        screen->popoverController()->contentViewController())
                                        ->tableView();
            ASSERT_EQ(checkedRows(table), std::vector<size_t>{checked});
            for (size_t row = 0; row < table.numberOfRowsInSection(0); ++row)
                EXPECT_EQ(testsupport::textCutFault(*window, *table.cellForRowAtIndexPath({0, row})->textLabel()), "");
            savePicture(std::string("capture_source_picker_") + (phone ? "phone_" : "tablet_") +
                        std::to_string(checked) + ".png");
            screen->popoverController()->dismissPopoverAnimated(false);
        }
    }
}

TEST_F(CapturePickersTest, TimerPickerSnapsToFiveSecondStepsAndReportsEveryChange) {
    auto picker = std::make_shared<TimerConfigurationViewController>();
    picker->value = 20;
    std::vector<int64_t> reported;
    picker->handlerValueChange = [&reported](int64_t seconds) { reported.push_back(seconds); };
    picker->view();
    EXPECT_EQ(reported, std::vector<int64_t>{20}) << "the first showing reports the value";
    struct Case {
        double slider;
        int64_t seconds;
        const char* label;
    };
    for (const Case& c : {Case{12.4, 10, "10 seconds"}, Case{12.5, 15, "15 seconds"}, Case{2.4, 0, "Off"}}) {
        picker->sliderTimer()->setValue(c.slider);
        picker->actionSliderValueChanged();
        EXPECT_EQ(picker->sliderTimer()->value(), double(c.seconds)) << c.slider;
        EXPECT_EQ(picker->labelValue()->text(), c.label);
        EXPECT_EQ(reported.back(), c.seconds);
    }
    picker->actionMinus();  // stays at 0
    EXPECT_EQ(reported.back(), 0);
    picker->actionPlus();
    picker->actionPlus();
    EXPECT_EQ(reported.back(), 10);
    EXPECT_EQ(picker->supportedInterfaceOrientations(), ui::OrientationMaskPortrait);
}

TEST_F(CapturePickersTest, PicturesOfTheScreensAndPickers) {
    auto project = storedProject();
    screen = nullptr;
    openScreen(project);
    screen->actionPauseRecord();
    screen->actionCameraControls();
    screen->actionTimerConfiguration();
    advance(0.5);
    ASSERT_NE(screen->popoverController(), nullptr);
    savePicture("capture_timer_picker.png");
    screen->popoverController()->dismissPopoverAnimated(false);
    advance(0.5);
    savePicture("capture_screen_tablet.png");
    screen->finishUpAndExit();

    usePhone();
    openScreen(project);
    advance(0.5);
    EXPECT_EQ(screen->view()->bounds().size, (graphics::Size{568, 320}));
    savePicture("capture_screen_phone.png");
}

}  // namespace
}  // namespace capturetest
