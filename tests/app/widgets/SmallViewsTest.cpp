#include "app/widgets/cells/ConfigurationCell.h"
#include "app/widgets/cells/ELCInsetTextFieldCell.h"
#include "app/widgets/cells/ELCTextFieldCell.h"
#include "app/widgets/cells/UnderlinedELCTextFieldCell.h"
#include "app/widgets/views/KWBottomLabelButton.h"
#include "app/widgets/views/KWButton.h"
#include "app/widgets/views/NXNavigationController.h"
#include "app/widgets/views/SAMGradientView.h"
#include "app/widgets/views/SSTextView.h"
#include "app/widgets/views/TransparentToolbar.h"
#include "app/widgets/views/VerticallyAlignedLabel.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/ui/Window.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/Switch.h"
#include "support/Process.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

namespace {

using graphics::Color;
using graphics::Rect;

class SmallViewsTest : public ::testing::Test {
protected:
    void SetUp() override { graphics::ensureGuiApplication(); }

    graphics::Image render(ui::View& view) { return ui::renderView(view, 1.0); }
    testsupport::VirtualClockScope clock;
};

// ---- gradient view ----------------------------------------------------------------

TEST_F(SmallViewsTest, GradientColoursLocationsAndDimming) {
    SAMGradientView view(Rect(0, 0, 10, 100));
    view.setGradientColors({Color::red()});
    EXPECT_FALSE(view.gradient().has_value());
    view.setGradientColors({Color::red(), Color::rgb(0, 0, 1, 0.5)});
    view.setGradientLocations({0.0, 0.2, 1.0});  // one too many: spread evenly
    EXPECT_DOUBLE_EQ(view.gradient()->stops.back().location, 1.0);

    auto greys = view.dimmedGradientColors();
    ASSERT_EQ(greys.size(), 2u);
    auto first = greys[0].rgba();
    ASSERT_TRUE(first.has_value());
    EXPECT_NEAR(first->red, 1, 1e-9);
    EXPECT_NEAR(first->green, 1, 1e-9);
    EXPECT_NEAR(greys[1].alpha(), 0.5, 1e-9);

    view.setTintAdjustmentMode(SAMGradientView::TintAdjustmentMode::Dimmed);
    auto stop = view.gradient()->stops.front().color.rgba();
    EXPECT_NEAR(stop->red - stop->blue, 0, 1e-9);
    view.setDimmedGradientColors({Color::black(), Color::white(), Color::gray()});
    view.setGradientLocations({0.1, 0.9});  // two locations for three colours: not used
    EXPECT_DOUBLE_EQ(view.gradient()->stops[1].location, 0.5);
    view.setTintAdjustmentMode(SAMGradientView::TintAdjustmentMode::Normal);
    EXPECT_EQ(view.gradient()->stops.size(), 2u);
}

TEST_F(SmallViewsTest, GradientAndEdgeLinesWhereTheyBelong) {
    auto view = ui::makeView<SAMGradientView>(Rect(0, 0, 20, 100));
    view->setGradientColors({Color::red(), Color::blue()});
    view->setTopBorderColor(Color::green());
    view->setTopInsetColor(Color::white());
    view->setLeftBorderColor(Color::black());
    view->setBottomBorderColor(Color::yellow());
    graphics::Image image = render(*view);
    EXPECT_EQ(image.pixelAt(10, 0), (graphics::RGBA{0, 255, 0, 255}));
    EXPECT_EQ(image.pixelAt(10, 1), (graphics::RGBA{255, 255, 255, 255}));
    EXPECT_EQ(image.pixelAt(0, 0), (graphics::RGBA{0, 255, 0, 255}));  // the side line starts below the top line
    EXPECT_EQ(image.pixelAt(0, 50), (graphics::RGBA{0, 0, 0, 255}));
    EXPECT_EQ(image.pixelAt(10, 99), (graphics::RGBA{255, 255, 0, 255}));
    EXPECT_GT(image.pixelAt(10, 10).r, image.pixelAt(10, 90).r);
    EXPECT_LT(image.pixelAt(10, 10).b, image.pixelAt(10, 90).b);

    view->setGradientDirection(SAMGradientViewDirection::Horizontal);
    image = render(*view);
    EXPECT_EQ(image.pixelAt(10, 10).r, image.pixelAt(10, 90).r);
    EXPECT_GT(image.pixelAt(3, 50).r, image.pixelAt(17, 50).r);
}

// ---- text view, label, toolbar ------------------------------------------------------

TEST_F(SmallViewsTest, PlaceholderShowsOnlyWhileEmpty) {
    auto window = ui::makeView<ui::Window>(Rect(0, 0, 400, 300));
    window->makeKeyAndVisible();
    auto text = ui::makeView<SSTextView>(Rect(0, 0, 300, 120));
    window->addSubview(text);
    EXPECT_FALSE(text->shouldDrawPlaceholder());
    text->setPlaceholder("Describe your movie");
    EXPECT_TRUE(text->shouldDrawPlaceholder());
    graphics::Image empty = render(*text);

    ASSERT_TRUE(text->becomeFirstResponder());
    window->sendText("A");
    EXPECT_EQ(text->text(), "A");
    EXPECT_FALSE(text->shouldDrawPlaceholder());
    text->setText("");
    EXPECT_TRUE(text->shouldDrawPlaceholder());

    render(*text);
    text->setPlaceholder("Describe your movie");  // the same text: nothing to redraw
    EXPECT_FALSE(text->needsDisplay());
    text->setPlaceholderColor(std::nullopt);
    EXPECT_FALSE(text->shouldDrawPlaceholder());

    // Grey placeholder pixels where the text would start.
    bool grey = false;
    for (int x = 8; x < 60 && !grey; ++x) {
        for (int y = 8; y < 30 && !grey; ++y) {
            auto p = empty.pixelAt(x, y);
            grey = p.a > 0 && p.r > 100 && p.r < 230 && p.r == p.g;
        }
    }
    EXPECT_TRUE(grey);
}

TEST_F(SmallViewsTest, VerticalAlignmentMovesTheTextRect) {
    VerticallyAlignedLabel label(Rect(0, 0, 200, 100));
    label.setText("Title");
    const Rect bounds = label.bounds();
    EXPECT_DOUBLE_EQ(label.textRectForBounds(bounds, 1).midY(), 50);  // middle by default
    label.setVerticalAlignment(VerticalAlignment::Bottom);
    Rect bottom = label.textRectForBounds(bounds, 1);
    EXPECT_DOUBLE_EQ(bottom.maxY(), 100);
    EXPECT_GT(bottom.height(), 10);
    label.setVerticalAlignment(VerticalAlignment::Top);
    EXPECT_DOUBLE_EQ(label.textRectForBounds(Rect(0, 7, 200, 100), 1).minY(), 7);
}

TEST_F(SmallViewsTest, TransparentToolbarDrawsNoBar) {
    auto bar = ui::makeView<TransparentToolbar>(Rect(0, 0, 200, 44));
    EXPECT_TRUE(bar->isTransparent());
    EXPECT_TRUE(bar->isTranslucent());
    EXPECT_FALSE(bar->isOpaque());
    EXPECT_EQ(render(*bar).pixelAt(100, 22).a, 0);
    bar->setIsTransparent(false);
    EXPECT_GT(render(*bar).pixelAt(100, 22).a, 0);  // the see-through bar of the toolkit
}

// ---- buttons ---------------------------------------------------------------------------

TEST_F(SmallViewsTest, KWButtonFillsWhileSelectedOrPressed) {
    KWButton button(Rect(0, 0, 60, 40));
    EXPECT_FALSE(button.adjustsImageWhenHighlighted());
    button.setHighlighted(true);
    EXPECT_EQ(button.backgroundColor(), KWButton::accentColor());
    button.setHighlighted(false);
    EXPECT_EQ(button.backgroundColor(), Color::clear());
    button.setSelected(true);
    button.setHighlighted(true);
    button.setHighlighted(false);
    EXPECT_EQ(button.backgroundColor(), KWButton::accentColor());
    button.setSelected(false);
    EXPECT_EQ(button.backgroundColor(), Color::clear());
}

TEST_F(SmallViewsTest, BottomLabelButtonLaysTheTitleOverTheImage) {
    auto button = ui::makeView<KWBottomLabelButton>(Rect(0, 0, 120, 120));
    button->setImage(graphics::Image::filled(40, 50, {20, 20, 200, 255}), ui::ControlStateNormal);
    button->setTitle("Play", ui::ControlStateNormal);
    button->layoutIfNeeded();
    graphics::Size text = button->titleLabel()->font().sizeOfText("Play", 120);
    Rect image = button->imageView()->frame();
    Rect title = button->titleLabel()->frame();
    const double blockY = (120 - (50 + text.height - 20)) / 2;
    EXPECT_EQ(image, Rect(40, blockY, 40, 50));
    EXPECT_EQ(title, Rect(60 - text.width / 2, blockY + 30, text.width, text.height));
    EXPECT_DOUBLE_EQ(image.maxY() - title.minY(), 20);
}

// ---- cells -------------------------------------------------------------------------------

class RecordingCellDelegate : public ELCTextFieldDelegate {
public:
    bool textFieldCellShouldReturnForIndexPath(ELCTextFieldCell&, const ui::IndexPath& path,
                                               const std::string& value) override {
        returns.push_back(path.toString() + " " + value);
        return allowReturn;
    }
    void textFieldCellUpdateTextLabelAtIndexPath(ELCTextFieldCell&, const ui::IndexPath& path,
                                                 const std::string& string) override {
        updates.push_back(path.toString() + " " + string);
    }
    void updateTextLabelAtIndexPath(const ui::IndexPath& path, const std::optional<std::string>& string) override {
        updates.push_back(path.toString() + (string ? " " + *string : " none"));
    }
    bool allowReturn = false;
    std::vector<std::string> returns;
    std::vector<std::string> updates;
};

TEST_F(SmallViewsTest, TextFieldCellPlacesFieldBesideOrInsteadOfTheLabel) {
    auto cell = ui::makeView<ELCTextFieldCell>();
    cell->setFrame(Rect(0, 0, 500, 44));
    cell->leftLabel()->setText("Title");
    cell->layoutIfNeeded();
    Rect content = cell->contentView().frame();
    EXPECT_FALSE(cell->leftLabel()->isHidden());
    EXPECT_EQ(cell->leftLabel()->frame(), Rect(content.minX(), content.minY(), 125, content.height() - 1));
    EXPECT_EQ(cell->rightTextField()->frame(),
              Rect(content.minX() + 130, content.minY(), content.width() - 140, content.height() - 1));

    cell->leftLabel()->setText("");
    cell->imageView()->setImage(graphics::Image::filled(30, 30, {0, 0, 0, 255}));
    cell->setNeedsLayout();
    cell->layoutIfNeeded();
    content = cell->contentView().frame();
    EXPECT_TRUE(cell->leftLabel()->isHidden());
    EXPECT_EQ(cell->rightTextField()->frame(),
              Rect(content.minX() + 45, content.minY(), content.width() - 55, content.height() - 1));
}

TEST_F(SmallViewsTest, TextFieldCellReportsEditsWithItsRow) {
    auto window = ui::makeView<ui::Window>(Rect(0, 0, 600, 400));
    window->makeKeyAndVisible();
    auto cell = ui::makeView<ELCTextFieldCell>();
    cell->setFrame(Rect(0, 0, 500, 44));
    window->addSubview(cell);
    cell->layoutIfNeeded();
    RecordingCellDelegate delegate;
    cell->delegate = &delegate;
    cell->indexPath = ui::IndexPath::indexPathForRow(2, 1);

    ELCInsetTextField* field = cell->rightTextField();
    field->setText("Hello");
    ASSERT_TRUE(field->becomeFirstResponder());
    window->sendText("!");
    EXPECT_EQ(delegate.updates, (std::vector<std::string>{"[1, 2] Hello!"}));

    window->sendKey(ui::Key::Return);
    EXPECT_EQ(delegate.returns, (std::vector<std::string>{"[1, 2] Hello!"}));
    EXPECT_TRUE(field->isEditing());  // the delegate said no
    delegate.allowReturn = true;
    window->sendKey(ui::Key::Return);
    EXPECT_FALSE(field->isEditing());

    EXPECT_TRUE(field->delegate()->textFieldShouldClear(*field));
    EXPECT_EQ(delegate.updates.back(), "[1, 2] none");

    std::shared_ptr<ELCInsetTextField> kept = std::static_pointer_cast<ELCInsetTextField>(field->sharedFromThis());
    cell->removeFromSuperview();
    cell.reset();
    EXPECT_EQ(kept->delegate(), nullptr);
}

TEST_F(SmallViewsTest, InsetCellShrinksTheFrameItIsGiven) {
    auto cell = ui::makeView<ELCInsetTextFieldCell>();
    cell->setInset({2, 10, 4, 10});
    ui::View& asView = *cell;
    asView.setFrame(Rect(0, 100, 320, 50));  // as a table sets it
    EXPECT_EQ(cell->frame(), Rect(10, 102, 300, 44));
    cell->layoutIfNeeded();
    Rect content = cell->contentView().frame();
    EXPECT_EQ(cell->rightTextField()->frame().minY(), content.minY() + 4);
    EXPECT_EQ(cell->rightTextField()->frame().height(), content.height() - 1 - 8);
}

// ---- navigation -------------------------------------------------------------------------

class PortraitScreen : public ui::ViewController {
public:
    unsigned supportedInterfaceOrientations() const override { return ui::OrientationMaskPortrait; }
};

TEST_F(SmallViewsTest, NavigationAsksTheScreenOnTop) {
    auto empty = std::make_shared<NXNavigationController>();
    EXPECT_TRUE(empty->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::LandscapeLeft));
    EXPECT_TRUE(empty->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::LandscapeRight));
    EXPECT_FALSE(empty->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::Portrait));
    EXPECT_EQ(empty->supportedInterfaceOrientations(), static_cast<unsigned>(ui::OrientationMaskAll));

    auto portrait = std::make_shared<NXNavigationController>(std::make_shared<PortraitScreen>());
    EXPECT_TRUE(portrait->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::Portrait));
    EXPECT_FALSE(portrait->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::LandscapeLeft));
    EXPECT_EQ(portrait->supportedInterfaceOrientations(), static_cast<unsigned>(ui::OrientationMaskPortrait));
}

// ---- a look at all of them ---------------------------------------------------------------

TEST_F(SmallViewsTest, RendersASheetOfSmallViews) {
    auto sheet = ui::makeView<ui::View>(Rect(0, 0, 520, 420));
    sheet->setBackgroundColor(Color::white());

    auto gradient = ui::makeView<SAMGradientView>(Rect(10, 10, 160, 100));
    gradient->setGradientColors({Color::rgb8(250, 250, 255), Color::rgb8(180, 190, 215)});
    gradient->setBottomBorderColor(Color::grey(0.5));
    sheet->addSubview(gradient);

    auto text = ui::makeView<SSTextView>(Rect(180, 10, 200, 100));
    text->setPlaceholder("Describe your movie");
    text->setBackgroundColor(Color::grey(0.96));
    sheet->addSubview(text);

    auto label = ui::makeView<VerticallyAlignedLabel>(Rect(390, 10, 120, 100));
    label->setText("Bottom");
    label->setVerticalAlignment(VerticalAlignment::Bottom);
    label->setBackgroundColor(Color::grey(0.9));
    sheet->addSubview(label);

    auto toggle = ui::makeView<KWButton>(Rect(10, 120, 80, 40));
    toggle->setTitle("Loop", ui::ControlStateNormal);
    toggle->setSelected(true);
    sheet->addSubview(toggle);

    auto play = ui::makeView<KWBottomLabelButton>(Rect(100, 120, 90, 90));
    play->setImage(graphics::Image::filled(44, 44, {212, 3, 215, 255}), ui::ControlStateNormal);
    play->setTitle("Play", ui::ControlStateNormal);
    play->setTitleColor(Color::black(), ui::ControlStateNormal);
    sheet->addSubview(play);

    auto settings = ui::makeView<ConfigurationCell>();
    settings->setFrame(Rect(10, 220, 500, 60));
    settings->labelTitle()->setText("Play as loop");
    settings->labelDescription()->setText("Start again at the first frame.");
    settings->switchOnOff()->setOn(true);
    sheet->addSubview(settings);

    auto field = ui::makeView<ELCTextFieldCell>();
    field->setFrame(Rect(10, 290, 500, 44));
    field->leftLabel()->setText("Title");
    field->rightTextField()->setText("My first movie");
    sheet->addSubview(field);

    auto underlined = ui::makeView<UnderlinedELCTextFieldCell>();
    underlined->setFrame(Rect(10, 344, 500, 44));
    underlined->rightTextField()->setPlaceholder("Credits");
    sheet->addSubview(underlined);

    graphics::Image image = render(*sheet);
    EXPECT_EQ(image.pixelAt(15, 125), (graphics::RGBA{212, 3, 215, 255}));  // the selected button's fill
    auto png = image.pngData();
    ASSERT_TRUE(png.ok());
    ASSERT_TRUE(foundation::writeFileAtomically(testsupport::artifactsDirectory() + "/SmallViews.png", *png).ok());
}

}  // namespace
