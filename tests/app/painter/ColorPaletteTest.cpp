#include "ControlsTestSupport.h"
#include "app/painter/KZDefaultColorViewController.h"
#include "app/painter/PainterBrushSet.h"

#include <gtest/gtest.h>

namespace {

using paintertest::bytesOf;

class ColorPaletteTest : public paintertest::ControlsTest {
protected:
    explicit ColorPaletteTest(bool phone = false) : ControlsTest(phone) {}
    void SetUp() override {
        ControlsTest::SetUp();
        showControls();
    }
    ui::Button& slot(int index) { return *palette->buttons().at(index); }
    // Border width and whether the border is fully white.
    static std::pair<double, bool> border(ui::Button& button) {
        return {button.layer().borderWidth(), bytesOf(button.layer().borderColor()).a == 255};
    }
    KZDefaultColorViewController* picker() {
        if (!palette->popoverController()) return nullptr;
        return dynamic_cast<KZDefaultColorViewController*>(palette->popoverController()->contentViewController().get());
    }
};

class PhoneColorPaletteTest : public ColorPaletteTest {
protected:
    PhoneColorPaletteTest() : ColorPaletteTest(true) {}
};

TEST_F(ColorPaletteTest, FirstRunSelectsSlotZero) {
    palette->setSelectedColorAtIndex(0);
    ASSERT_EQ(paletteReports.reports.size(), 1u);
    EXPECT_EQ(paletteReports.reports[0].slot, 0);
    EXPECT_EQ(bytesOf(paletteReports.reports[0].color), (graphics::RGBA{228, 73, 19, 255}));
    const auto colors = palette->getColors();
    ASSERT_EQ(colors.size(), 9u);
    const graphics::RGBA expected[] = {{228, 73, 19, 255},   {253, 182, 50, 255},  {40, 127, 136, 255},
                                       {106, 128, 19, 255},  {184, 143, 170, 255}, {0, 0, 0, 255},
                                       {178, 173, 163, 255}, {246, 246, 246, 255}, {138, 122, 86, 255}};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(bytesOf(colors[i]), expected[i]) << i;
        EXPECT_EQ(slot(i).tag(), i);
        EXPECT_DOUBLE_EQ(slot(i).layer().cornerRadius(), slot(i).bounds().width() / 2) << i;
    }
}

TEST_F(ColorPaletteTest, TapsSelectThenOpenThePicker) {
    tap(&slot(4));
    ASSERT_EQ(paletteReports.reports.size(), 1u);
    EXPECT_EQ(paletteReports.reports[0].slot, 4);
    EXPECT_EQ(bytesOf(paletteReports.reports[0].color), (graphics::RGBA{184, 143, 170, 255}));
    EXPECT_EQ(border(slot(4)), (std::pair<double, bool>{3, true}));
    EXPECT_EQ(border(slot(0)), (std::pair<double, bool>{1, false}));
    EXPECT_TRUE(slot(4).isSelected());
    EXPECT_FALSE(slot(0).isSelected());
    EXPECT_EQ(palette->selectedIndex(), 4);

    // Again: the picker opens with the slot's colour, nothing is reported yet.
    tap(&slot(4));
    settle();
    EXPECT_EQ(paletteReports.reports.size(), 1u);
    ASSERT_NE(picker(), nullptr);
    EXPECT_TRUE(palette->popoverController()->isPopoverVisible());
    EXPECT_EQ(bytesOf(picker()->selectedColor()), (graphics::RGBA{184, 143, 170, 255}));

    // Closing without a change reports the slot with its colour unchanged.
    tapOutsidePopover(*palette->popoverController());
    ASSERT_EQ(paletteReports.reports.size(), 2u);
    EXPECT_EQ(paletteReports.reports[1].slot, 4);
    EXPECT_EQ(bytesOf(paletteReports.reports[1].color), (graphics::RGBA{184, 143, 170, 255}));
    EXPECT_FALSE(palette->popoverController()->isPopoverVisible());
}

TEST_F(ColorPaletteTest, PickerRecoloursTheSlotLiveAndReportsOnClosing) {
    tap(&slot(7));
    tap(&slot(7));
    settle();
    ASSERT_NE(picker(), nullptr);
    auto* slider = picker()->picker()->brightnessSlider();
    paletteReports.reports.clear();
    fingers.drag({inWindow(*slider, {19, 30}), inWindow(*slider, {19, 90})}, 0.2);
    EXPECT_TRUE(paletteReports.reports.empty()) << "nothing before the popover closes";
    // 246 grey at brightness 0.5 is 128 grey (no hue, no saturation).
    EXPECT_EQ(bytesOf(*palette->getColorAtIndex(7)), (graphics::RGBA{128, 128, 128, 255}));
    tapOutsidePopover(*palette->popoverController());
    ASSERT_EQ(paletteReports.reports.size(), 1u);
    EXPECT_EQ(paletteReports.reports[0].slot, 7);
    EXPECT_EQ(bytesOf(paletteReports.reports[0].color), (graphics::RGBA{128, 128, 128, 255}));
    const auto colors = palette->getColors();
    EXPECT_EQ(bytesOf(colors[7]), (graphics::RGBA{128, 128, 128, 255}));
    EXPECT_EQ(bytesOf(colors[6]), (graphics::RGBA{178, 173, 163, 255}));
}

TEST_F(ColorPaletteTest, EachOpeningMakesANewPopover) {
    tap(&slot(2));
    tap(&slot(2));
    settle();
    const auto first = palette->popoverController();
    tapOutsidePopover(*first);
    tap(&slot(2));
    settle();
    ASSERT_TRUE(palette->popoverController());
    EXPECT_NE(palette->popoverController(), first);
    EXPECT_EQ(palette->popoverController()->delegate(), palette.get());
}

TEST_F(ColorPaletteTest, SlotsOutsideThePaletteAreIgnored) {
    const auto before = palette->getColors();
    for (int index : {-1, 9, 12}) {
        palette->setColor(graphics::Color::white(), index);
        EXPECT_FALSE(palette->getColorAtIndex(index).has_value()) << index;
        palette->setSelectedColorAtIndex(index);
    }
    EXPECT_TRUE(paletteReports.reports.empty());
    EXPECT_EQ(palette->getColors(), before);
    EXPECT_EQ(palette->selectedIndex(), 0);
}

TEST_F(ColorPaletteTest, MaskingLeavesOnlyTheHideButton) {
    EXPECT_TRUE(palette->btnHide()->isHidden());
    palette->hideColors();
    palette->showHide();
    for (const auto& button : palette->buttons()) EXPECT_TRUE(button->isHidden());
    EXPECT_FALSE(palette->btnHide()->isHidden());
    tap(palette->btnHide());
    EXPECT_EQ(paletteReports.hides, 1);
}

TEST_F(ColorPaletteTest, SelectionIsReportedAgainForALateReceiver) {
    palette->setDelegate(nullptr);
    tap(&slot(3));  // nobody hears it
    palette->setDelegate(&paletteReports);
    palette->reportSelectedColor();
    ASSERT_EQ(paletteReports.reports.size(), 1u);
    EXPECT_EQ(paletteReports.reports[0].slot, 3);
    EXPECT_EQ(bytesOf(paletteReports.reports[0].color), (graphics::RGBA{106, 128, 19, 255}));
}

TEST_F(PhoneColorPaletteTest, NineRoundSlotsFitThePhone) {
    const graphics::Rect area = palette->view()->bounds();
    EXPECT_EQ(area.width(), 568);
    for (int i = 0; i < 9; ++i) {
        const graphics::Rect frame = slot(i).frame();
        EXPECT_EQ(frame.width(), frame.height()) << i;
        EXPECT_GE(frame.minX(), 0) << i;
        EXPECT_LE(frame.maxX(), area.width()) << i;
        if (i > 0) {
            EXPECT_GT(frame.minX(), slot(i - 1).frame().maxX()) << i;
        }
    }
    EXPECT_GT(palette->btnHide()->frame().minX(), slot(8).frame().maxX());
}

}  // namespace
