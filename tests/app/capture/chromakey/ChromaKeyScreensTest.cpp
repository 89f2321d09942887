#include "RecordingConfigurationDelegate.h"
#include "app/capture/chromakey/ChromaKeyBackgroundConfigurationViewController.h"
#include "app/capture/chromakey/ChromaKeyColorConfigurationViewController.h"
#include "app/capture/chromakey/ChromaKeyConfigurationViewController.h"
#include "app/capture/chromakey/ChromaKeyThemeBackgroundConfigurationViewController.h"
#include "app/core/BundleImage.h"
#include "app/widgets/popover/WEPopoverController.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/Slider.h"
#include "platform/ui/host/Device.h"
#include "platform/ui/lists/TableViewCell.h"
#include "support/Pictures.h"
#include "support/WindowFixture.h"

#include <gtest/gtest.h>

namespace {

using Accessory = ui::TableViewCellAccessoryType;
using Selection = ui::TableViewCellSelectionStyle;

class ChromaKeyScreensTest : public testsupport::WindowFixture {
protected:
    explicit ChromaKeyScreensTest(bool phone)
        : ChromaKeyScreensTest(phone ? graphics::Rect{0, 0, 568, 320} : graphics::Rect{0, 0, 1024, 768}) {}
    explicit ChromaKeyScreensTest(graphics::Rect frame = {0, 0, 1024, 768}) : WindowFixture(frame) {
        if (frame.width() < 1024) {
            ui::Device::current().setUserInterfaceIdiom(ui::UserInterfaceIdiom::Phone);
            ui::Device::current().setScreenBounds(frame);
        }
        host = std::make_shared<ui::ViewController>();
        host->view()->setBackgroundColor(graphics::Color::grey(0.25));
        window->setRootViewController(host);
        window->layoutIfNeeded();
    }
    void TearDown() override {
        if (popover) popover->dismissPopoverAnimated(false);
        popover.reset();
        WindowFixture::TearDown();
    }

    // The settings popover as the camera opens it, next to a button at the
    // top right of the screen.
    void showPopover(float threshold = 0.4f) {
        root = std::make_shared<ChromaKeyConfigurationViewController>();
        root->setCurrentChromaKeyTreshold(threshold);
        root->setDelegate(&recorder);
        navigation = std::make_shared<ui::NavigationController>(root);
        popover = std::make_shared<WEPopoverController>(navigation);
        popover->setPopoverContentSize(ChromaKeyConfigurationViewController::popoverContentSize());
        const double width = host->view()->bounds().width();
        popover->presentPopoverFromRect({width - 60, 10, 44, 44}, *host->view(), kPopoverArrowDirectionAny, false);
        settle();
    }
    void settle() {
        window->layoutIfNeeded();
        advance(1.0);
        window->layoutIfNeeded();
    }
    template <class Screen>
    std::shared_ptr<Screen> top() {
        return std::dynamic_pointer_cast<Screen>(navigation->viewControllers().back());
    }
    static ui::TableViewCell& cellAt(ui::TableView& table, size_t row) {
        auto cell = table.cellForRowAtIndexPath({0, row});
        if (!cell) throw std::runtime_error("no row " + std::to_string(row));
        return *cell;
    }
    void savePopoverScreens(const std::string& size);
    void tapRow(ChromaKeyListViewController& screen, size_t row) {
        tap(&cellAt(*screen.tableView(), row));
        settle();
    }

    std::shared_ptr<ui::ViewController> host;
    chromakeytest::RecordingConfigurationDelegate recorder;
    std::shared_ptr<ChromaKeyConfigurationViewController> root;
    std::shared_ptr<ui::NavigationController> navigation;
    std::shared_ptr<WEPopoverController> popover;
};

class PhoneChromaKeyScreensTest : public ChromaKeyScreensTest {
protected:
    PhoneChromaKeyScreensTest() : ChromaKeyScreensTest({0, 0, 568, 320}) {}
};

// The rows each list shows: text, icon, height, accessory and selection style.
void expectRows(ChromaKeyListViewController& screen, const std::string& title, const std::vector<ChromaKeyRow>& rows) {
    SCOPED_TRACE(title);
    EXPECT_EQ(screen.title, title);
    EXPECT_EQ(screen.rows(), rows);
    ui::TableView& table = *screen.tableView();
    EXPECT_EQ(table.numberOfRowsInSection(0), rows.size());
    EXPECT_FALSE(table.isScrollEnabled());
    EXPECT_TRUE(table.allowsSelection());
    EXPECT_EQ(table.separatorColor(), graphics::Color::black());
    for (size_t i = 0; i < rows.size(); ++i) {
        auto cell = table.cellForRowAtIndexPath({0, i});
        ASSERT_TRUE(cell) << i;
        EXPECT_EQ(cell->reuseIdentifier(), "Cell");
        EXPECT_EQ(cell->textLabel()->text(), rows[i].text) << i;
        EXPECT_EQ(cell->textLabel()->font().family(), "HelveticaNeue-Light");
        EXPECT_EQ(cell->textLabel()->font().pointSize(), 15.0);
        EXPECT_EQ(cell->textLabel()->textColor(), graphics::Color::black());
        // Every named icon exists among the resources and is shown as a template.
        EXPECT_EQ(cell->imageView()->image().isNull(), rows[i].icon.empty()) << rows[i].icon;
        if (!rows[i].icon.empty()) {
            EXPECT_EQ(cell->imageView()->image().pixelWidth(), 28) << rows[i].icon;
        }
        EXPECT_EQ(table.rectForRowAtIndexPath({0, i}).height(), rows[i].height) << i;
        EXPECT_EQ(cell->accessoryType(), rows[i].accessory) << i;
        EXPECT_EQ(cell->selectionStyle(), rows[i].selectionStyle.value_or(Selection::Default)) << i;
    }
}

TEST_F(ChromaKeyScreensTest, ListsShowTheirRowsIconsAndHeights) {
    showPopover();
    expectRows(*root, "Green Screen",
               {{"Background", "chromakey_icon_backdrop", 44, Accessory::DisclosureIndicator, Selection::Default},
                {"Color", "chromakey_icon_color", 44, Accessory::DisclosureIndicator, Selection::Default},
                {"", "", 100, Accessory::None, Selection::None}});

    tapRow(*root, 0);
    auto backdrops = top<ChromaKeyBackgroundConfigurationViewController>();
    ASSERT_TRUE(backdrops);
    EXPECT_EQ(backdrops->delegate(), &recorder);
    expectRows(*backdrops, "Background",
               {{"Photo Roll", "chromakey_icon_album", 44, Accessory::DisclosureIndicator, std::nullopt},
                {"Last Frame", "chromakey_icon_frame", 44, Accessory::None, std::nullopt},
                {"Theme", "chromakey_icon_theme", 44, Accessory::DisclosureIndicator, std::nullopt}});

    navigation->popViewController(false);
    settle();
    tapRow(*root, 1);
    auto colours = top<ChromaKeyColorConfigurationViewController>();
    ASSERT_TRUE(colours);
    EXPECT_EQ(colours->delegate(), &recorder);
    expectRows(*colours, "Color",
               {{"Autodetect", "chromakey_icon_autodetect", 44, Accessory::None, std::nullopt},
                {"Green", "chromakey_icon_green", 44, Accessory::None, std::nullopt},
                {"Blue", "chromakey_icon_blue", 44, Accessory::None, std::nullopt}});
    EXPECT_TRUE(recorder.choices.empty());
}

TEST_F(ChromaKeyScreensTest, EveryChoiceReachesTheDelegateWithItsValues) {
    showPopover();
    tapRow(*root, 2);  // the sensitivity row itself does nothing
    EXPECT_EQ(navigation->topViewController(), root.get());

    tapRow(*root, 1);
    auto colours = top<ChromaKeyColorConfigurationViewController>();
    ASSERT_TRUE(colours);
    for (size_t row : {0, 1, 2}) tapRow(*colours, row);
    ASSERT_EQ(recorder.messages(), (std::vector<std::string>{"autoColor", "color", "color"}));
    EXPECT_EQ(recorder.choices[0].sender, colours.get());
    EXPECT_EQ(recorder.choices[1].color, graphics::Color::rgb(0, 1, 0, 1));
    EXPECT_EQ(recorder.choices[2].color, graphics::Color::rgb(0, 0, 1, 1));
    graphics::RGBAComponents green = *recorder.choices[1].color.rgba();
    EXPECT_EQ((std::vector<double>{green.red, green.green, green.blue, green.alpha}),
              (std::vector<double>{0, 1, 0, 1}));

    navigation->popViewController(false);
    settle();
    tapRow(*root, 0);
    auto backdrops = top<ChromaKeyBackgroundConfigurationViewController>();
    ASSERT_TRUE(backdrops);
    tapRow(*backdrops, 0);
    tapRow(*backdrops, 1);
    EXPECT_EQ(recorder.messages(),
              (std::vector<std::string>{"autoColor", "color", "color", "changeBackDrop", "useFrame"}));
    tapRow(*backdrops, 2);
    auto themes = top<ChromaKeyThemeBackgroundConfigurationViewController>();
    ASSERT_TRUE(themes);
    EXPECT_EQ(themes->delegate(), &recorder);
}

TEST_F(ChromaKeyScreensTest, SensitivityShowsTheThresholdAndStepsWithinTheRange) {
    showPopover(0.4f);
    auto sensitivity = root->sensitivityController();
    ASSERT_TRUE(sensitivity);
    EXPECT_EQ(sensitivity->delegate(), &recorder);
    // The control sits inside the last row and shows the threshold it was given.
    EXPECT_EQ(sensitivity->view()->superview(), &cellAt(*root->tableView(), 2).contentView());
    EXPECT_EQ(sensitivity->sliderTimer()->value(), double(0.4f));
    EXPECT_EQ(sensitivity->infoLabel()->text(), "Sensitivity");
    const graphics::RGBAComponents tint = *sensitivity->sliderTimer()->minimumTrackTintColor()->rgba();
    EXPECT_EQ((std::vector<double>{tint.red * 255, tint.green * 255, tint.blue * 255, tint.alpha}),
              (std::vector<double>{212, 3, 215, 1}));

    struct Case {
        float start;
        bool plus;
        float reported;
    };
    const Case cases[] = {
        {0.4f, true, float(double(0.4f) + 0.1)},
        {0.4f, false, float(double(0.4f) - 0.1)},
        {0.95f, true, 1.0f},
        {1.0f, true, 1.0f},  // at the maximum: stays, still reported
        {0.05f, false, 0.0f},
        {0.0f, false, 0.0f},  // at the minimum likewise
    };
    for (const Case& c : cases) {
        recorder.choices.clear();
        sensitivity->setCurrentChromaKeyTreshold(c.start);
        tap(c.plus ? sensitivity->buttonPlus() : sensitivity->buttonMinus());
        ASSERT_EQ(recorder.messages(), std::vector<std::string>{"filterValue"}) << c.start << c.plus;
        EXPECT_EQ(recorder.choices[0].value, c.reported) << c.start << c.plus;
        EXPECT_EQ(recorder.choices[0].sender, sensitivity.get());
        EXPECT_EQ(sensitivity->currentChromaKeyTreshold(), c.reported);
        EXPECT_EQ(float(sensitivity->sliderTimer()->value()), c.reported);
    }

    // A drag on the slider reports every value it passes.
    recorder.choices.clear();
    sensitivity->setCurrentChromaKeyTreshold(0.5f);  // the thumb in the middle, where the finger lands
    ui::Slider& slider = *sensitivity->sliderTimer();
    const graphics::Rect track = inWindow(&slider);
    fingers.drag({centerOf(slider), {track.maxX() + 40, track.midY()}}, 0.3);
    settle();
    ASSERT_FALSE(recorder.choices.empty());
    EXPECT_EQ(recorder.choices.back().value, 1.0f);
    EXPECT_EQ(sensitivity->currentChromaKeyTreshold(), 1.0f);
}

TEST(ChromaKeyThemeItems, SixBackdropsNumberedTwentyToTwentyFive) {
    const auto items = chromakeytheme::themeBackdrops();
    ASSERT_EQ(items.size(), 6u);
    for (size_t i = 0; i < items.size(); ++i) {
        const int n = 20 + int(i);
        EXPECT_EQ(items[i].themeID(), n);
        EXPECT_EQ(items[i].bgImagePath(), "background_" + std::to_string(n) + "_bg.jpg");
        EXPECT_EQ(items[i].thumbImagePath(), "background_" + std::to_string(n));
        EXPECT_TRUE(bundleImageNamed(items[i].bgImagePath())) << n;
        EXPECT_TRUE(bundleImageNamed(items[i].thumbImagePath())) << n;
    }
    // Cards of a 360-point screen: w = floor((360 - 50) / 3) = 103.
    EXPECT_EQ(chromakeytheme::cardFrame(0, 360), (graphics::Rect{10, 20, 103, 80}));
    EXPECT_EQ(chromakeytheme::cardFrame(2, 360), (graphics::Rect{236, 20, 103, 80}));
    EXPECT_EQ(chromakeytheme::cardFrame(1, 320), (graphics::Rect{110, 20, 90, 80}));
}

using ThemeBackdropsTest = testsupport::AtTabletAndPhone<ChromaKeyScreensTest>;

// Each picture is drawn whole inside its button and the popover; a click
// where it is drawn picks its backdrop, and the popover stays for the next.
TEST_P(ThemeBackdropsTest, ThemeCardsInTwoFullRowsAndEachPickedWhereItIsDrawn) {
    showPopover();
    tapRow(*root, 0);
    tapRow(*top<ChromaKeyBackgroundConfigurationViewController>(), 2);
    auto themes = top<ChromaKeyThemeBackgroundConfigurationViewController>();
    ASSERT_TRUE(themes);
    ui::TableView& table = *themes->tableView();
    EXPECT_EQ(themes->title, "Background");
    EXPECT_EQ(table.numberOfRowsInSection(0), 2u);
    EXPECT_FALSE(table.allowsSelection());
    EXPECT_TRUE(table.isScrollEnabled());
    EXPECT_EQ(table.rowHeight(), 100);
    const graphics::Size thumbnail = bundleImageNamed(themes->items()[0].thumbImagePath())->size();
    for (size_t row = 0; row < 2; ++row) {
        table.scrollToRowAtIndexPath({0, row}, ui::TableViewScrollPosition::Middle, false);
        ui::TableViewCell& cell = cellAt(table, row);
        EXPECT_EQ(cell.reuseIdentifier(), "CellThemeCardView");
        EXPECT_EQ(cell.contentView().tag(), int(row));
        EXPECT_EQ(cell.selectionStyle(), Selection::None);
        std::vector<ui::View*> cards;
        for (int k = 0; k < 3; ++k) {
            auto* card = dynamic_cast<ui::Button*>(cell.contentView().viewWithTag(100 + k));
            ASSERT_TRUE(card) << row << k;
            const graphics::Image expected = *bundleImageNamed(themes->items()[row * 3 + size_t(k)].thumbImagePath());
            EXPECT_EQ(card->imageForState(ui::ControlStateNormal).pixelAt(70, 40), expected.pixelAt(70, 40));
            cards.push_back(card);
        }
        const std::vector<graphics::Rect> drawn = drawnSideBySide(cards, inWindow(&table), thumbnail);
        for (size_t k = 0; k < 3; ++k) {
            fingers.tap({drawn[k].midX(), drawn[k].midY()});
            settle();
            ASSERT_EQ(recorder.choices.size(), row * 3 + k + 1);
            const graphics::Image picked = *bundleImageNamed(themes->items()[row * 3 + k].bgImagePath());
            EXPECT_EQ(testsupport::largestDifference(recorder.choices.back().image, picked), 0) << row << k;
        }
    }
    EXPECT_EQ(recorder.messages(), std::vector<std::string>(6, "changeBackDropWithImage"));
    EXPECT_TRUE(popover->isPopoverVisible());
}

INSTANTIATE_TEST_SUITE_P(TabletAndPhone, ThemeBackdropsTest, ::testing::Bool(), testsupport::tabletOrPhone);

// Each screen of the popover, for a look by eye.
void ChromaKeyScreensTest::savePopoverScreens(const std::string& size) {
    showPopover();
    savePicture("chromakey_settings_" + size + ".png");
    tapRow(*root, 0);
    savePicture("chromakey_background_" + size + ".png");
    tapRow(*top<ChromaKeyBackgroundConfigurationViewController>(), 2);
    savePicture("chromakey_theme_" + size + ".png");
    navigation->popToRootViewController(false);
    settle();
    tapRow(*root, 1);
    savePicture("chromakey_color_" + size + ".png");
    EXPECT_TRUE(top<ChromaKeyColorConfigurationViewController>());
}

TEST_F(ChromaKeyScreensTest, PicturesOfEveryScreenOnTheTablet) { savePopoverScreens("1024x768"); }

TEST_F(PhoneChromaKeyScreensTest, PicturesOfEveryScreenOnThePhone) { savePopoverScreens("568x320"); }

}  // namespace
