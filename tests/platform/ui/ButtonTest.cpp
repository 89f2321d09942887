// Buttons and image views: per-state values and their fallbacks, the pressed
// and disabled looks, template tinting and the layout of image and title.

#include "ControlsTestSupport.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"

using graphics::Color;
using graphics::Image;
using graphics::ImageRenderingMode;
using graphics::Point;
using graphics::Rect;
using graphics::RGBA;
using graphics::Size;
using ui::Button;
using ui::ButtonType;
using ui::ImageView;

namespace {

// A picture whose left half is opaque in a colour and whose right half is clear.
Image halfFilled(int width, int height, Color color) {
    graphics::GraphicsContext context(Size{double(width), double(height)}, 1.0, false);
    context.setFillColor(color);
    context.fillRect(Rect(0, 0, width / 2.0, height));
    return context.makeImage();
}

const Color kAccent = Color::rgb8(212, 3, 215);

class ButtonTest : public controltest::ControlsTest {};

// ---- image view ----------------------------------------------------------------------------

TEST_F(ButtonTest, ImageViewTakesItsImagesSizeAndShowsTheHighlightedImage) {
    auto view = ui::makeView<ImageView>(Image::filled(30, 20, RGBA{255, 0, 0, 255}));
    EXPECT_EQ(view->frame(), Rect(0, 0, 30, 20));
    view->setHighlightedImage(Image::filled(8, 6, RGBA{0, 0, 255, 255}));
    EXPECT_EQ(view->sizeThatFits(Size{}), (Size{30, 20}));
    view->setHighlighted(true);
    EXPECT_EQ(view->sizeThatFits(Size{}), (Size{8, 6}));
    Image picture = ui::renderView(*view);
    EXPECT_EQ(picture.pixelAt(15, 10), (RGBA{0, 0, 255, 255})) << "the highlighted image fills the view";
}

TEST_F(ButtonTest, TemplateImageTakesTheInheritedTintAndKeepsItsShape) {
    auto holder = ui::makeView<ui::View>(Rect(0, 0, 40, 20));
    holder->setTintColor(kAccent);
    auto view = ui::makeView<ImageView>(
        halfFilled(40, 20, Color::black()).withRenderingMode(ImageRenderingMode::AlwaysTemplate));
    holder->addSubview(view);
    Image picture = ui::renderView(*holder);
    controltest::savePicture(picture, "ui-imageview-template.png");
    EXPECT_EQ(picture.pixelAt(5, 10), (RGBA{212, 3, 215, 255}));
    EXPECT_EQ(picture.pixelAt(35, 10).a, 0) << "clear parts of a template stay clear";

    holder->setTintColor(Color::rgb8(0, 128, 0));
    picture = ui::renderView(*holder);
    EXPECT_EQ(picture.pixelAt(5, 10), (RGBA{0, 128, 0, 255})) << "a new tint recolours the template";

    view->setImage(halfFilled(40, 20, Color::black()).withRenderingMode(ImageRenderingMode::AlwaysOriginal));
    view->setTemplatesByDefault(true);
    picture = ui::renderView(*holder);
    EXPECT_EQ(picture.pixelAt(5, 10), (RGBA{0, 0, 0, 255})) << "an always-original image is never tinted";
}

TEST_F(ButtonTest, ImageViewPlacesItsImageByContentMode) {
    auto view = ui::makeView<ImageView>(Rect(0, 0, 40, 40));
    view->setImage(Image::filled(20, 10, RGBA{255, 0, 0, 255}));
    view->setContentMode(ui::ContentMode::ScaleAspectFit);
    Image picture = ui::renderView(*view);
    EXPECT_EQ(picture.pixelAt(20, 5).a, 0);
    EXPECT_EQ(picture.pixelAt(20, 20), (RGBA{255, 0, 0, 255}));
    EXPECT_EQ(picture.pixelAt(1, 11), (RGBA{255, 0, 0, 255})) << "fitted to the full width";
    EXPECT_EQ(picture.pixelAt(20, 35).a, 0);
}

// ---- per-state values ----------------------------------------------------------------------

TEST_F(ButtonTest, StateValuesFallBackToSelectedThenNormal) {
    auto button = Button::buttonWithType(ButtonType::Custom);
    button->setTitle("Play", ui::ControlStateNormal);
    button->setTitle("Pause", ui::ControlStateSelected);
    EXPECT_EQ(button->titleForState(ui::ControlStateHighlighted), "Play");
    EXPECT_EQ(button->titleForState(ui::ControlStateDisabled), "Play");
    EXPECT_EQ(button->titleForState(ui::ControlStateSelected | ui::ControlStateHighlighted), "Pause");
    button->setTitle("Pressed", ui::ControlStateSelected | ui::ControlStateHighlighted);
    EXPECT_EQ(button->titleForState(ui::ControlStateSelected | ui::ControlStateHighlighted), "Pressed");

    button->setSelected(true);
    EXPECT_EQ(button->currentTitle(), "Pause");
    EXPECT_EQ(button->titleLabel()->text(), "Pause");
    button->setTitle(std::nullopt, ui::ControlStateSelected);
    EXPECT_EQ(button->titleLabel()->text(), "Play") << "removing a state's title falls back at once";

    auto empty = Button::buttonWithType(ButtonType::Custom);
    EXPECT_EQ(empty->titleForState(ui::ControlStateNormal), std::nullopt);
    EXPECT_TRUE(empty->titleLabel()->isHidden());
}

TEST_F(ButtonTest, PressedButtonShowsItsHighlightedTitleAndColourUntilReleased) {
    auto button = std::make_shared<Button>(ButtonType::Custom, Rect(20, 20, 120, 44));
    window->addSubview(button);
    button->setTitle("Record", ui::ControlStateNormal);
    button->setTitle("Recording", ui::ControlStateHighlighted);
    button->setTitleColor(Color::red(), ui::ControlStateHighlighted);
    int taps = 0;
    button->addTarget(
        nullptr, [&](ui::Control&) { ++taps; }, ui::ControlEventTouchUpInside);

    auto touch = fingers.touchDown(centerOf(*button));
    EXPECT_EQ(button->titleLabel()->text(), "Recording");
    EXPECT_EQ(button->titleLabel()->textColor(), Color::red());
    fingers.touchUp(touch);
    EXPECT_EQ(button->titleLabel()->text(), "Record");
    EXPECT_EQ(button->titleLabel()->textColor(), Color::white()) << "a custom button's titles are white by default";
    EXPECT_EQ(taps, 1);

    button->setEnabled(false);
    fingers.tap(centerOf(*button));
    EXPECT_EQ(taps, 1) << "a disabled button ignores taps";
}

TEST_F(ButtonTest, SystemButtonFollowsTheTintFadesWhilePressedAndGreysWhenDisabled) {
    window->setTintColor(kAccent);
    auto button = std::make_shared<Button>(ButtonType::System, Rect(20, 20, 120, 44));
    window->addSubview(button);
    button->setTitle("Share", ui::ControlStateNormal);
    EXPECT_EQ(button->titleLabel()->textColor(), kAccent);

    window->setTintColor(Color::blue());
    EXPECT_EQ(button->titleLabel()->textColor(), Color::blue()) << "a tint change reaches the title";

    auto touch = fingers.touchDown(centerOf(*button));
    EXPECT_LT(button->titleLabel()->alpha(), 0.5);
    fingers.touchUp(touch);
    EXPECT_EQ(button->titleLabel()->alpha(), 1.0);

    button->setEnabled(false);
    Color grey = button->titleLabel()->textColor();
    double r = 0, g = 0, b = 0, a = 0;
    ASSERT_TRUE(grey.getRed(&r, &g, &b, &a));
    EXPECT_NEAR(r, g, 0.05);
    EXPECT_NEAR(g, b, 0.05);
    EXPECT_GT(r, 0.3);
}

// ---- pictures ---------------------------------------------------------------------------------

TEST_F(ButtonTest, SystemButtonTintsItsImageAndCustomButtonDarkensItWhilePressed) {
    window->setTintColor(kAccent);
    auto system = std::make_shared<Button>(ButtonType::System, Rect(0, 0, 40, 40));
    system->setImage(Image::filled(20, 20, RGBA{0, 0, 0, 255}), ui::ControlStateNormal);
    auto custom = std::make_shared<Button>(ButtonType::Custom, Rect(50, 0, 40, 40));
    custom->setImage(Image::filled(20, 20, RGBA{200, 200, 200, 255}), ui::ControlStateNormal);
    window->addSubview(system);
    window->addSubview(custom);

    Image picture = ui::renderView(*window);
    EXPECT_EQ(picture.pixelAt(20, 20), (RGBA{212, 3, 215, 255})) << "system buttons show images as templates";
    EXPECT_EQ(picture.pixelAt(70, 20), (RGBA{200, 200, 200, 255}));

    auto touch = fingers.touchDown(centerOf(*custom));
    picture = ui::renderView(*window);
    RGBA pressed = picture.pixelAt(70, 20);
    EXPECT_LT(pressed.r, 150) << "the pressed custom image is darker";
    EXPECT_EQ(pressed.a, 255);
    fingers.touchUp(touch);
    picture = ui::renderView(*window);
    EXPECT_EQ(picture.pixelAt(70, 20), (RGBA{200, 200, 200, 255}));
}

TEST_F(ButtonTest, ImageAndTitleSitSideBySideInTheContentRectangle) {
    auto button = std::make_shared<Button>(ButtonType::Custom, Rect(0, 0, 200, 60));
    button->setImage(Image::filled(24, 24, RGBA{0, 0, 0, 255}), ui::ControlStateNormal);
    button->setTitle("Import", ui::ControlStateNormal);
    button->layoutIfNeeded();
    Size title = button->titleLabel()->sizeThatFits(Size{});
    Rect image = button->imageView()->frame();
    Rect label = button->titleLabel()->frame();
    EXPECT_DOUBLE_EQ(image.origin.x, (200 - 24 - title.width) / 2);
    EXPECT_DOUBLE_EQ(image.origin.y, 18);
    EXPECT_DOUBLE_EQ(label.origin.x, image.maxX()) << "the title follows the image";
    EXPECT_DOUBLE_EQ(label.midY(), 30);
    EXPECT_EQ(button->sizeThatFits(Size{}), (Size{24 + title.width, std::max(24.0, title.height)}));

    button->setContentHorizontalAlignment(ui::ControlContentHorizontalAlignment::Left);
    button->setContentEdgeInsets(graphics::EdgeInsets{0, 10, 0, 0});
    button->layoutIfNeeded();
    EXPECT_DOUBLE_EQ(button->imageView()->frame().origin.x, 10);
    EXPECT_EQ(button->sizeThatFits(Size{}).width, 10 + 24 + title.width);

    // A title too long for the room left by the image is cut to it.
    button->setTitle("A title far too long for a two-hundred-point button", ui::ControlStateNormal);
    button->layoutIfNeeded();
    EXPECT_LE(button->titleLabel()->frame().maxX(), 200.0 + 1e-9);
}

TEST_F(ButtonTest, AnImageLargerThanItsButtonIsShrunkInsideItKeepingItsProportions) {
    // A 160x80 picture in a button too narrow, one too low, and one with room for it.
    for (auto [frame, drawn] : {std::pair{Rect(20, 20, 100, 80), Size{100, 50}},
                                {Rect(20, 20, 200, 40), Size{80, 40}},
                                {Rect(20, 20, 200, 100), Size{160, 80}}}) {
        auto button = std::make_shared<Button>(ButtonType::Custom, frame);
        button->setImage(Image::filled(160, 80, RGBA{255, 0, 0, 255}), ui::ControlStateNormal);
        window->addSubview(button);
        const Rect shown = drawnRect(*button);
        EXPECT_TRUE(frame.contains(shown) && shown.size == drawn) << shown.toString() << " in " << frame.toString();
        button->removeFromSuperview();
    }
}

TEST_F(ButtonTest, ABiggerTitleFontPlacesTheTitleAgain) {
    auto button = std::make_shared<Button>(ButtonType::System, Rect(0, 0, 300, 60));
    button->setTitle("Done", ui::ControlStateNormal);
    button->layoutIfNeeded();
    double before = button->titleLabel()->frame().size.width;
    button->titleLabel()->setFont(graphics::Font::boldSystemFont(30));
    button->layoutIfNeeded();
    EXPECT_GT(button->titleLabel()->frame().size.width, 1.5 * before);
    EXPECT_DOUBLE_EQ(button->titleLabel()->frame().midX(), 150);
}

TEST_F(ButtonTest, RenderedButtonsShowTheirLook) {
    window->setBackgroundColor(Color::white());
    window->setTintColor(kAccent);
    auto system = std::make_shared<Button>(ButtonType::System, Rect(20, 20, 120, 44));
    system->setTitle("Share", ui::ControlStateNormal);
    auto custom = std::make_shared<Button>(ButtonType::Custom, Rect(160, 20, 140, 44));
    custom->setBackgroundColor(Color::rgb8(40, 40, 40));
    custom->layer().setCornerRadius(8);
    custom->setImage(halfFilled(20, 20, Color::white()), ui::ControlStateNormal);
    custom->setTitle("Record", ui::ControlStateNormal);
    auto disabled = std::make_shared<Button>(ButtonType::System, Rect(320, 20, 120, 44));
    disabled->setTitle("Delete", ui::ControlStateNormal);
    disabled->setEnabled(false);
    for (auto& b : {system, custom, disabled}) window->addSubview(b);

    Image picture = window->renderImage();
    controltest::savePicture(picture, "ui-button.png");
    EXPECT_GT(controltest::countPixels(picture, Rect(20, 20, 120, 44), controltest::near(212, 3, 215)), 30);
    EXPECT_GT(controltest::countPixels(picture, Rect(160, 20, 140, 44), controltest::near(255, 255, 255, 10)), 100);
    EXPECT_EQ(controltest::countPixels(picture, Rect(320, 20, 120, 44), controltest::near(212, 3, 215)), 0);
}

}  // namespace
