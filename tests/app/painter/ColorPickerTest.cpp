#include "ControlsTestSupport.h"
#include "app/painter/ColorPickerGeometry.h"
#include "app/painter/KZDefaultColorViewController.h"
#include "app/widgets/views/SAMGradientView.h"
#include "platform/graphics/Image.h"
#include "platform/ui/compositing/Render.h"

#include <gtest/gtest.h>

namespace {

using colorpicker::HSV;
using colorpicker::RGB;

TEST(ColorPickerArithmetic, RgbToHsv) {
    struct Case {
        const char* what;
        RGB rgb;
        HSV hsv;
    };
    const Case cases[] = {
        {"red reaches hue 1 from the magenta side", {1, 0, 0}, {1.0f, 1, 1}},
        {"green", {0, 1, 0}, {1.0f / 3, 1, 1}},
        {"blue", {0, 0, 1}, {2.0f / 3, 1, 1}},
        {"grey", {0.5f, 0.5f, 0.5f}, {0, 0, 0.5f}},
        {"black", {0, 0, 0}, {0, 0, 0}},
        {"yellow", {1, 1, 0}, {1.0f / 6, 1, 1}},
        {"dark teal", {0, 0.25f, 0.5f}, {7.0f / 12, 1, 0.5f}},
        {"pale", {1, 0.5f, 0.5f}, {1.0f, 0.5f, 1}},
    };
    for (const Case& c : cases) {
        const HSV hsv = colorpicker::rgbToHsv(c.rgb);
        EXPECT_NEAR(hsv.h, c.hsv.h, 1e-6) << c.what;
        EXPECT_NEAR(hsv.s, c.hsv.s, 1e-6) << c.what;
        EXPECT_NEAR(hsv.v, c.hsv.v, 1e-6) << c.what;
    }
}

TEST(ColorPickerArithmetic, ComponentsByColourKind) {
    const graphics::Image tile = graphics::Image::filled(2, 2, {200, 10, 10, 255});
    struct Case {
        const char* what;
        graphics::Color color;
        RGB rgb;
    };
    const Case cases[] = {
        {"rgb as it stands", graphics::Color::rgb(0.25, 0.5, 0.75, 0.4), {0.25f, 0.5f, 0.75f}},
        {"grey's white three times", graphics::Color::grey(0.6, 0.2), {0.6f, 0.6f, 0.6f}},
        {"pattern has none", graphics::Color::pattern(tile), {0, 0, 0}},
    };
    for (const Case& c : cases) {
        const RGB rgb = colorpicker::colorComponents(c.color);
        EXPECT_FLOAT_EQ(rgb.r, c.rgb.r) << c.what;
        EXPECT_FLOAT_EQ(rgb.g, c.rgb.g) << c.what;
        EXPECT_FLOAT_EQ(rgb.b, c.rgb.b) << c.what;
    }
}

TEST(ColorPickerArithmetic, WheelPointsToHueAndSaturation) {
    const graphics::Size wheel{165, 165};
    const double c = 82.5;
    struct Case {
        const char* what;
        graphics::Point point;
        float hue, saturation;
    };
    const Case cases[] = {
        {"centre", {c, c}, 0, 0},
        {"5 points right of the centre", {c + 5, c}, 0, 0},
        {"5 points above, still grey", {c, c - 5}, 0.25f, 0},
        {"straight above", {c, c - 41.25}, 0.25f, 0.5f},
        {"straight below", {c, c + 41.25}, 0.75f, 0.5f},
        {"straight left", {c - 82.5, c}, 0.5f, 1},
        {"right-hand edge", {165, c}, 0, 1},
        {"frame corner, outside the circle", {0, 0}, 0.375f, 1},
        {"lower right", {c + 30, c + 30}, 0.875f, static_cast<float>(std::sqrt(1800.0) / 82.5)},
    };
    for (const Case& cs : cases) {
        const auto picked = colorpicker::wheelHueSaturationAt(cs.point, wheel);
        EXPECT_NEAR(picked.hue, cs.hue, 1e-6) << cs.what;
        EXPECT_NEAR(picked.saturation, cs.saturation, 1e-6) << cs.what;
    }
}

TEST(ColorPickerArithmetic, KnobsSitOnWholePoints) {
    const graphics::Size wheel{165, 165}, knob{28, 28};
    struct Case {
        const char* what;
        float hue, saturation;
        graphics::Point center;
    };
    const Case cases[] = {
        // The knob's left edge 82.5 − 14 = 68.5 rounds away from zero to 69.
        {"no saturation at the centre", 0, 0, {88, 88}},
        {"red at the right-hand edge", 1.0f, 1, {167, 88}},
        {"hue 0 at the same place", 0, 1, {167, 88}},
        {"top", 0.25f, 1, {88, 8}},
    };
    for (const Case& cs : cases) {
        const graphics::Point at = colorpicker::wheelKnobCenter(cs.hue, cs.saturation, wheel, knob, {5, 5});
        EXPECT_DOUBLE_EQ(at.x, cs.center.x) << cs.what;
        EXPECT_DOUBLE_EQ(at.y, cs.center.y) << cs.what;
    }
    // The brightness knob: 1.0 twenty points from the top, 0.0 twenty from the bottom.
    const graphics::Size slider{38, 180};
    EXPECT_EQ(colorpicker::unitSliderKnobCenter(1.0, false, slider, knob), (graphics::Point{19, 20}));
    EXPECT_EQ(colorpicker::unitSliderKnobCenter(0.0, false, slider, knob), (graphics::Point{19, 160}));
    EXPECT_EQ(colorpicker::unitSliderKnobCenter(1.0, true, {180, 38}, knob), (graphics::Point{20, 19}));
}

class ColorPickerTest : public paintertest::ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        controller = std::make_shared<KZDefaultColorViewController>();
        controller->setSelectedColor(graphics::Color::rgb(0, 1, 0));
        controller->setDelegate(&changes);
        show(*controller, {100, 100, 250, 180});
        picker = controller->picker();
    }
    struct Changes : KZDefaultColorControllerDelegate {
        void defaultColorController(KZDefaultColorViewController&, const graphics::Color& color) override {
            colors.push_back(color);
        }
        std::vector<graphics::Color> colors;
    } changes;
    std::shared_ptr<KZDefaultColorViewController> controller;
    KZColorPicker* picker = nullptr;
};

TEST_F(ColorPickerTest, BuildingReportsNothingAndShowsTheColour) {
    EXPECT_TRUE(changes.colors.empty());
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(controller->view()->frame().size, (graphics::Size{250, 180}));
    EXPECT_EQ(controller->contentSizeForViewInPopover(), (graphics::Size{250, 180}));
    EXPECT_NEAR(picker->colorWheel()->hue(), 1.0 / 3, 1e-6);
    EXPECT_EQ(picker->colorWheel()->frame(), (graphics::Rect{5, 5, 165, 165}));
    EXPECT_EQ(picker->brightnessSlider()->frame(), (graphics::Rect{180, 5, 38, 180}));
    EXPECT_EQ(picker->oldColor(), graphics::Color::rgb(0, 1, 0));
    EXPECT_EQ(picker->backgroundColor(), graphics::Color::clear());
}

TEST_F(ColorPickerTest, SelectingPlacesBothKnobs) {
    struct Case {
        const char* what;
        graphics::Color color;
        float hue, saturation;
        double brightness;
        graphics::Point wheelKnob, sliderKnob;
    };
    const Case cases[] = {
        {"red", graphics::Color::rgb(1, 0, 0), 1.0f, 1, 1.0, {162, 83}, {19, 20}},
        {"grey", graphics::Color::grey(0.5), 0, 0, 0.5, {83, 83}, {19, 90}},
        {"black", graphics::Color::black(), 0, 0, 0.0, {83, 83}, {19, 160}},
    };
    for (const Case& c : cases) {
        picker->setSelectedColor(c.color);
        EXPECT_NEAR(picker->colorWheel()->hue(), c.hue, 1e-6) << c.what;
        EXPECT_NEAR(picker->colorWheel()->saturation(), c.saturation, 1e-6) << c.what;
        EXPECT_FLOAT_EQ(picker->colorWheel()->brightness(), 1.0f) << c.what;  // the wheel always holds 1.0
        EXPECT_DOUBLE_EQ(picker->brightnessSlider()->value(), c.brightness) << c.what;
        EXPECT_EQ(picker->colorWheel()->wheelKnobView()->center(), c.wheelKnob) << c.what;
        EXPECT_EQ(picker->brightnessSlider()->sliderKnobView()->center(), c.sliderKnob) << c.what;
    }
    EXPECT_EQ(changes.colors.size(), std::size(cases));  // every selection is reported
}

TEST_F(ColorPickerTest, BrightnessFollowsTouchesOnTheSlider) {
    picker->setSelectedColor(graphics::Color::rgb(1, 0, 0));
    auto* slider = picker->brightnessSlider();
    struct Case {
        double y, brightness;
    };
    // Drags end where the finger lifts, also beyond either end of the slider.
    const Case cases[] = {{20, 1.0}, {160, 0.0}, {90, 0.5}, {-30, 1.0}, {230, 0.0}, {55, 0.75}};
    for (const Case& c : cases) {
        changes.colors.clear();
        fingers.drag({inWindow(*slider, {19, 100}), inWindow(*slider, {19, c.y})}, 0.1);
        EXPECT_DOUBLE_EQ(slider->value(), c.brightness) << c.y;
        ASSERT_FALSE(changes.colors.empty()) << c.y;
        const auto hsba = changes.colors.back().hsba();
        ASSERT_TRUE(hsba) << c.y;
        EXPECT_NEAR(hsba->brightness, c.brightness, 1e-6) << c.y;
        EXPECT_DOUBLE_EQ(hsba->alpha, 1.0) << c.y;
    }
}

TEST_F(ColorPickerTest, WheelTouchesPickHueAndComeOutOpaque) {
    picker->setSelectedColor(graphics::Color::rgb(0.2, 0.4, 0.6, 0.5));
    auto* wheel = picker->colorWheel();
    struct Case {
        const char* what;
        graphics::Point point;  // in the wheel picture
        float hue, saturation;
    };
    const Case cases[] = {
        {"above the centre", {82.5, 30}, 0.25f, static_cast<float>(52.5 / 82.5)},
        {"below the centre", {82.5, 150}, 0.75f, static_cast<float>(67.5 / 82.5)},
        {"near the centre", {86, 82.5}, 0, 0},
        {"outside the circle", {2, 2}, 0.375f, 1},
    };
    for (const Case& c : cases) {
        changes.colors.clear();
        fingers.tap(inWindow(*wheel, c.point));
        EXPECT_NEAR(wheel->hue(), c.hue, 1e-6) << c.what;
        EXPECT_NEAR(wheel->saturation(), c.saturation, 1e-6) << c.what;
        ASSERT_FALSE(changes.colors.empty()) << c.what;
        EXPECT_DOUBLE_EQ(changes.colors.back().alpha(), 1.0) << c.what;
        // the brightness stays the slider's: 0.6 of the colour put in
        EXPECT_NEAR(changes.colors.back().hsba()->brightness, 0.6, 1e-6) << c.what;
    }
}

TEST_F(ColorPickerTest, BrightnessGradientRunsFromTheWheelColourToBlack) {
    picker->setSelectedColor(graphics::Color::rgb(0.5, 0, 0));  // dark red: its full-brightness red on top
    const auto* gradient = picker->brightnessSlider()->gradientLayer();
    ASSERT_EQ(gradient->gradientColors().size(), 2u);
    EXPECT_EQ(paintertest::bytesOf(gradient->gradientColors()[0]), (graphics::RGBA{255, 0, 0, 255}));
    EXPECT_EQ(paintertest::bytesOf(gradient->gradientColors()[1]), (graphics::RGBA{0, 0, 0, 255}));
    EXPECT_EQ(gradient->frame(), (graphics::Rect{6, 18, 26, 144}));
    const graphics::Image shot = ui::renderView(*picker->brightnessSlider());
    const graphics::RGBA top = shot.pixelAt(19, 22), bottom = shot.pixelAt(19, 158);
    EXPECT_GT(top.r, 200) << "the key colour at the top";
    EXPECT_LT(bottom.r, 40) << "black at the bottom";
}

TEST(ColorPickerParts, AlphaSliderSwatchAndComparison) {
    testsupport::VirtualClockScope clock;
    KZColorPicker picker({0, 0, 250, 180});
    auto alpha = ui::makeView<KZColorPickerAlphaSlider>(graphics::Rect(220, 5, 30, 180));
    picker.setAlphaSlider(alpha);
    auto compare = ui::makeView<KZColorCompareView>(graphics::Rect(0, 0, 60, 30));
    picker.setCurrentColorView(compare);
    picker.setOldColor(graphics::Color::red());
    picker.setSelectedColor(graphics::Color::rgb(0, 0, 1, 0.25));
    EXPECT_DOUBLE_EQ(alpha->value(), 0.25);
    EXPECT_EQ(compare->oldColor(), graphics::Color::red());
    EXPECT_EQ(compare->currentColor(), graphics::Color::rgb(0, 0, 1, 0.25));
    // Moving the alpha slider keeps hue and brightness and takes its alpha.
    alpha->mapPointToValue({15, 90});
    EXPECT_NEAR(picker.selectedColor().alpha(), 0.5, 1e-9);
    EXPECT_NEAR(picker.selectedColor().hsba()->hue, 2.0 / 3, 1e-6);
    // The comparison view's old colour is selected when it is tapped.
    compare->sendActionsForControlEvents(ui::ControlEventTouchUpInside);
    EXPECT_EQ(picker.selectedColor(), graphics::Color::red());
    auto swatch = ui::makeView<KZColorPickerSwatchView>(graphics::Rect(0, 0, 40, 40));
    swatch->setColor(graphics::Color::rgb(0, 1, 0));
    picker.setSwatches({swatch});
    EXPECT_TRUE(picker.displaySwatches());
    swatch->sendActionsForControlEvents(ui::ControlEventTouchUpInside);
    EXPECT_EQ(picker.selectedColor(), graphics::Color::rgb(0, 1, 0));
    EXPECT_TRUE(swatch->checkMark()->isHidden());
    swatch->setSelected(true);
    EXPECT_FALSE(swatch->checkMark()->isHidden());
    EXPECT_EQ(swatch->checkMark()->center(), (graphics::Point{26, 26}));
}

}  // namespace

namespace {

TEST_F(ColorPickerTest, SwatchesLightUpWhileTouched) {
    auto swatch = ui::makeView<KZColorPickerSwatchView>(graphics::Rect(180, 140, 40, 36));
    swatch->setColor(graphics::Color::rgb(0, 0, 1));
    picker->setSwatches({swatch});
    window->layoutIfNeeded();
    const auto finger = fingers.touchDown(centerOf(*swatch));
    advance(0.1);
    EXPECT_NEAR(swatch->highlight()->alpha(), 0.2, 1e-9);
    fingers.touchUp(finger);
    advance(0.1);
    EXPECT_NEAR(swatch->highlight()->alpha(), 0.0, 1e-9);
    EXPECT_EQ(picker->selectedColor(), graphics::Color::rgb(0, 0, 1));  // the tap picked its colour
    ASSERT_FALSE(changes.colors.empty());
    EXPECT_EQ(changes.colors.back(), graphics::Color::rgb(0, 0, 1));
}

}  // namespace
