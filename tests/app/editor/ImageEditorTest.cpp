#include "app/editor/HFImageEditorViewController.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/gestures/PinchGestureRecognizer.h"
#include "platform/ui/host/Device.h"
#include "support/HostInput.h"
#include "support/Pictures.h"
#include "support/WindowFixture.h"

#include <QtCore/qnamespace.h>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using graphics::AffineTransform;
using graphics::Rect;
using ui::GestureState;

namespace {

class ImageEditorTest : public testsupport::WindowFixture {
protected:
    explicit ImageEditorTest(bool phone = false)
        : WindowFixture(phone ? Rect(0, 0, 568, 320) : Rect(0, 0, 1024, 768)), phone_(phone) {}

    void SetUp() override {
        if (phone_) ui::Device::current().setScreenBounds(Rect(0, 0, 568, 320));
    }
    // The frame editor's set-up: bounds checked, the picture placed, shown.
    ImageEditor& open(const graphics::Image& source) {
        editor = ImageEditor::create();
        editor->setCheckBounds(true);
        editor->setRotateEnabled(true);
        editor->setPanEnabled(true);
        editor->setSourceImage(source);
        editor->reset(false);
        editor->setDoneCallback([this](std::optional<graphics::Image> image, bool canceled) {
            results.push_back({std::move(image), canceled});
        });
        window->setRootViewController(editor);
        window->layoutIfNeeded();
        advance(0.01);
        return *editor;
    }
    AffineTransform shown() const { return editor->imageView()->transform(); }
    void TearDown() override {
        editor.reset();
        WindowFixture::TearDown();
    }

    bool phone_;
    std::shared_ptr<ImageEditor> editor;
    std::vector<std::pair<std::optional<graphics::Image>, bool>> results;
};

class PhoneImageEditorTest : public ImageEditorTest {
protected:
    PhoneImageEditorTest() : ImageEditorTest(true) {}
};

TEST_F(ImageEditorTest, OpensWithTheWideWindowAndThePictureCoveringIt) {
    ImageEditor& e = open(testsupport::quadrantsImage(2000, 800));
    EXPECT_EQ(e.cropRect(), Rect(0, 96, 1024, 576));
    EXPECT_EQ(e.initialImageFrame(), Rect(-208, 96, 1440, 576));
    EXPECT_EQ(e.imageView()->frame(), Rect(-208, 96, 1440, 576));
    EXPECT_EQ(e.minimumScale(), 1.0);  // bounds checked: 0.2 gives way to 1.0
    EXPECT_EQ(e.maximumScale(), 10.0);
    EXPECT_EQ(e.scale(), 1.0);
    EXPECT_TRUE(e.validTransform().isIdentity());
    // A picture larger than 1024 shows a 120-wide preview at once.
    EXPECT_EQ(e.previewImage().pixelWidth(), 120);
}

TEST_F(ImageEditorTest, DragPastTheEdgeFollowsTheFingerThenSpringsBack) {
    ImageEditor& e = open(testsupport::quadrantsImage(2000, 800));
    e.panBy(GestureState::Began, {0, 0});
    e.panBy(GestureState::Changed, {150, 0});
    EXPECT_TRUE(e.validTransform().isClose(AffineTransform::makeTranslation(150, 0)));
    e.panBy(GestureState::Changed, {100, 0});  // 250: a gap would open on the left
    EXPECT_NEAR(shown().tx, 250, 1e-9);        // the picture follows anyway
    EXPECT_NEAR(e.validTransform().tx, 150, 1e-9);
    e.panBy(GestureState::Ended, {0, 0});
    EXPECT_EQ(e.gestureCount(), 0u);
    EXPECT_FALSE(e.view()->isUserInteractionEnabled());
    advance(0.25);
    EXPECT_NEAR(shown().tx, 150, 1e-9);
    EXPECT_TRUE(e.view()->isUserInteractionEnabled());
}

TEST_F(ImageEditorTest, ShrinkingPinchSpringsBackToScaleOne) {
    ImageEditor& e = open(testsupport::quadrantsImage(1920, 1080));
    e.handleTouches({{400, 300}, {600, 300}});
    e.pinchBy(GestureState::Began, 1.0);
    e.pinchBy(GestureState::Changed, 0.7);
    EXPECT_NEAR(e.scale(), 0.7, 1e-12);
    EXPECT_TRUE(e.validTransform().isIdentity());
    e.pinchBy(GestureState::Ended, 1.0);
    advance(0.25);
    EXPECT_EQ(e.scale(), 1.0);
    EXPECT_TRUE(shown().isClose(AffineTransform::identity()));
}

TEST_F(ImageEditorTest, PinchBeyondTheMaximumComesBackToIt) {
    ImageEditor& e = open(testsupport::quadrantsImage(1920, 1080));
    e.setCheckBounds(false);
    e.handleTouches({{412, 188}, {612, 388}});  // the picture's centre (512, 288) in its own view
    e.pinchBy(GestureState::Began, 1.0);
    e.pinchBy(GestureState::Changed, 12.0);
    e.pinchBy(GestureState::Ended, 1.0);
    advance(0.25);
    EXPECT_EQ(e.scale(), 10.0);
    EXPECT_TRUE(shown().isClose(AffineTransform::makeScale(10, 10), 1e-9)) << shown().toString();
}

TEST_F(ImageEditorTest, TwoGesturesSpringBackOnlyWhenBothEnd) {
    ImageEditor& e = open(testsupport::quadrantsImage(2000, 800));
    e.panBy(GestureState::Began, {0, 0});
    e.rotateBy(GestureState::Began, 0.0);
    EXPECT_EQ(e.gestureCount(), 2u);
    e.panBy(GestureState::Changed, {400, 0});
    e.panBy(GestureState::Ended, {0, 0});
    EXPECT_EQ(e.gestureCount(), 1u);
    EXPECT_TRUE(e.view()->isUserInteractionEnabled());  // no spring-back yet
    EXPECT_NEAR(shown().tx, 400, 1e-9);
    e.rotateBy(GestureState::Cancelled, 0.0);
    advance(0.25);
    EXPECT_TRUE(shown().isClose(AffineTransform::identity()));
}

TEST_F(ImageEditorTest, FlipsTurnTheRotationsSign) {
    ImageEditor& e = open(testsupport::quadrantsImage(1920, 1080));
    e.setCheckBounds(false);
    const graphics::Size bounds = e.imageView()->bounds().size;
    struct Step {
        int flips;
        double sign;
    };
    for (const Step step : {Step{1, -1}, Step{1, 1}, Step{0, 1}}) {
        for (int i = 0; i < step.flips; ++i) e.actionFlipHorizontal();
        e.reset(false);  // a reset keeps the flip count
        const AffineTransform before = shown();
        e.rotateBy(GestureState::Began, 0.0);
        e.rotateBy(GestureState::Changed, 0.3);
        const AffineTransform expected =
            imageeditor::aboutPoint(before, e.touchCenter(), bounds, AffineTransform::makeRotation(step.sign * 0.3));
        EXPECT_TRUE(shown().isClose(expected, 1e-9)) << step.flips << " " << shown().toString();
        e.rotateBy(GestureState::Ended, 0.0);
        advance(0.25);
    }
    e.actionFlipVertical();
    EXPECT_TRUE(e.isFlipped());
}

TEST_F(ImageEditorTest, DoubleTapResetsAnimated) {
    ImageEditor& e = open(testsupport::quadrantsImage(2000, 800));
    e.setCheckBounds(false);
    e.panBy(GestureState::Began, {0, 0});
    e.panBy(GestureState::Changed, {100, 40});
    e.panBy(GestureState::Ended, {0, 0});
    advance(0.25);
    fingers.tap({512, 384}, 2);
    advance(0.1);
    EXPECT_FALSE(e.view()->isUserInteractionEnabled());  // ignoring touches while it animates
    advance(0.2);
    EXPECT_TRUE(e.view()->isUserInteractionEnabled());
    EXPECT_TRUE(shown().isIdentity());
    EXPECT_EQ(e.imageView()->frame(), e.initialImageFrame());
}

TEST_F(ImageEditorTest, DoneRendersTheWindowCancelRendersNothing) {
    ImageEditor& e = open(testsupport::quadrantsImage(1920, 1080));
    e.cancelAction();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_FALSE(results[0].first);
    EXPECT_TRUE(results[0].second);
    e.actionFlipHorizontal();
    e.doneAction();
    EXPECT_EQ(results.size(), 1u);  // rendered off the main thread, handed back later
    EXPECT_FALSE(e.view()->isUserInteractionEnabled());
    advance(0.1);
    ASSERT_EQ(results.size(), 2u);
    ASSERT_TRUE(results[1].first);
    EXPECT_FALSE(results[1].second);
    const graphics::Image& out = *results[1].first;
    EXPECT_EQ(out.size(), (graphics::Size{1920, 1080}));  // output width 0: the source's width
    const graphics::Image source = testsupport::quadrantsImage(1920, 1080);
    EXPECT_TRUE(testsupport::pixelNear(out.pixelAt(480, 270), source.pixelAt(1440, 270)));  // mirrored
    EXPECT_TRUE(testsupport::pixelNear(out.pixelAt(1440, 810), source.pixelAt(480, 810)));
    EXPECT_TRUE(e.view()->isUserInteractionEnabled());
}

TEST_F(ImageEditorTest, GeneralEditorDefaultsAndCropRects) {
    auto general = std::make_shared<HFImageEditorViewController>();
    window->setRootViewController(general);
    window->layoutIfNeeded();
    EXPECT_TRUE(general->panEnabled() && general->scaleEnabled() && general->rotateEnabled() &&
                general->tapToResetEnabled());
    EXPECT_FALSE(general->checkBounds());
    EXPECT_EQ(general->cropRect(), Rect(352, 224, 320, 320));  // none set: a centred square
    general->setCropRect(Rect(10, 10, 0, 40));
    EXPECT_EQ(general->cropRect(), Rect(352, 224, 320, 320));
    general->setCropSize({400, 200});
    EXPECT_EQ(general->cropRect(), Rect(312, 284, 400, 200));
    general->setScaleEnabled(false);
    EXPECT_FALSE(general->pinchRecognizer()->isEnabled());
    // A small source is its own preview; a new source drops the old preview.
    general->setSourceImage(testsupport::quadrantsImage(300, 200));
    EXPECT_EQ(general->previewImage().pixelWidth(), 300);
    general->setSourceImage(testsupport::quadrantsImage(3000, 1000));
    EXPECT_EQ(general->previewImage().size(), (graphics::Size{120, 40}));
    general->cancelAction();  // no block: nothing happens
}

TEST_F(ImageEditorTest, ShownTurnedOnTheTablet) {
    ImageEditor& e = open(testsupport::quadrantsImage(2000, 1200));
    const graphics::Rect bounds = e.imageView()->bounds();  // fingers about the picture's centre
    e.handleTouches({{bounds.midX() - 100, bounds.midY() - 100}, {bounds.midX() + 100, bounds.midY() + 100}});
    e.rotateBy(GestureState::Began, 0.0);
    e.rotateBy(GestureState::Changed, 0.2);  // alone it opens gaps: not kept
    e.pinchBy(GestureState::Began, 1.0);
    e.pinchBy(GestureState::Changed, 1.5);  // grown, it covers the window again
    e.pinchBy(GestureState::Ended, 1.0);
    e.rotateBy(GestureState::Ended, 0.0);
    advance(0.5);
    EXPECT_NEAR(imageeditor::imageRotation(shown()), 0.2, 1e-6);
    savePicture("crop_editor_tablet.png");
}

TEST_F(PhoneImageEditorTest, ShownOnThePhone) {
    ImageEditor& e = open(testsupport::quadrantsImage(1600, 1200));
    EXPECT_EQ(e.cropRect(), Rect(0, 0.25, 568, 319.5));
    EXPECT_EQ(e.imageView()->frame().size.width, 568);
    savePicture("crop_editor_phone.png");
}

// The buttons read whole and stand out from what lies under them in either
// window, over a white picture and a black one (in a phone's window the
// crop frame reaches the bottom edge, so they lie over the picture), and a
// click where a title is drawn presses its button.
class CropButtonsTest : public testsupport::AtTabletAndPhone<ImageEditorTest> {
protected:
    ui::Button* button(const std::string& title) {
        for (const auto& view : editor->view()->subviews())
            if (auto* b = dynamic_cast<ui::Button*>(view.get()); b && b->titleLabel()->text() == title) return b;
        return nullptr;
    }
    // The spread of brightness over the pixels where a title is drawn: its
    // letters against the ground right around them.
    int contrast(ui::Label& title) {
        const Rect drawn = drawnTextRect(title);
        const graphics::Image shown = window->renderImage();
        const double scale = shown.pixelWidth() / window->bounds().width();
        int darkest = 255, brightest = 0;
        for (int y = int(drawn.minY() * scale); y < int(drawn.maxY() * scale); ++y)
            for (int x = int(drawn.minX() * scale); x < int(drawn.maxX() * scale); ++x) {
                const graphics::RGBA p = shown.pixelAt(x, y);
                const int grey = (p.r * 3 + p.g * 6 + p.b) / 10;
                darkest = std::min(darkest, grey), brightest = std::max(brightest, grey);
            }
        return brightest - darkest;
    }
};

TEST_P(CropButtonsTest, TitlesReadOverAnyPictureAndTakeTheirClicks) {
    const struct {
        const char* what;
        graphics::RGBA colour;
    } pictures[] = {{"white", {255, 255, 255, 255}}, {"black", {0, 0, 0, 255}}};
    for (const auto& picture : pictures) {
        SCOPED_TRACE(picture.what);
        open(graphics::Image::filled(1600, 900, picture.colour));
        for (const char* title : {"Cancel", "Flip", "Reset", "Done"}) {
            ui::Button* b = button(title);
            ASSERT_TRUE(b) << title;
            EXPECT_EQ(textCutFault(*b->titleLabel()), "") << title;
            EXPECT_GE(contrast(*b->titleLabel()), 128) << title << " hardly stands out";
        }
    }
    savePicture(std::string("crop_editor_buttons_") + (GetParam() ? "phone" : "tablet") + ".png");
    testsupport::HostInput input(window);
    auto clickTitle = [&](const char* title) {
        const Rect drawn = drawnTextRect(*button(title)->titleLabel());
        input.click({drawn.midX(), drawn.midY()});
    };
    clickTitle("Flip");
    EXPECT_TRUE(editor->isFlipped());
    clickTitle("Cancel");
    ASSERT_FALSE(results.empty());
    EXPECT_TRUE(results.back().second) << "cancelled";
}

INSTANTIATE_TEST_SUITE_P(Windows, CropButtonsTest, ::testing::Bool(), testsupport::tabletOrPhone);

// ---- the desktop's wheel and keys, delivered through the window ------------------------------------

TEST_F(ImageEditorTest, WheelZoomsAboutThePointerAndADragThenPans) {
    // A 16:9 picture fills the 16:9 window exactly: only a zoom leaves room to move it.
    ImageEditor& e = open(testsupport::quadrantsImage(1920, 1080));
    const graphics::Point pointer{700, 300};
    const graphics::Point under = e.imageView()->convertPointFromView(pointer, nullptr);
    EXPECT_TRUE(fingers.wheel(pointer, 3));
    EXPECT_NEAR(e.scale(), std::pow(ImageEditor::kZoomPerNotch, 3), 1e-9);
    EXPECT_NEAR(e.imageView()->frame().width(), 1024 * std::pow(ImageEditor::kZoomPerNotch, 3), 1e-6);
    const graphics::Point stays = e.imageView()->convertPointToView(under, nullptr);
    EXPECT_NEAR(stays.x, pointer.x, 1e-6);
    EXPECT_NEAR(stays.y, pointer.y, 1e-6);
    // The turn is one gesture, ended once the wheel rests; the zoom covers
    // the window, so it stays.
    EXPECT_EQ(e.gestureCount(), 1u);
    advance(ImageEditor::kDesktopGestureRest + ImageEditor::kSpringBackSeconds + 0.05);
    EXPECT_EQ(e.gestureCount(), 0u);
    EXPECT_TRUE(e.view()->isUserInteractionEnabled());
    EXPECT_TRUE(shown().isClose(e.validTransform(), 1e-9));
    EXPECT_NEAR(e.imageView()->frame().width(), 1024 * std::pow(ImageEditor::kZoomPerNotch, 3), 1e-6);

    // A mouse drag moves the picture with the pointer.
    const graphics::Point grabbed = e.imageView()->convertPointFromView({500, 300}, nullptr);
    fingers.drag({{500, 300}, {400, 250}}, 0.3);
    advance(0.3);
    const graphics::Point dropped = e.imageView()->convertPointToView(grabbed, nullptr);
    EXPECT_NEAR(dropped.x, 400, 1e-6);
    EXPECT_NEAR(dropped.y, 250, 1e-6);

    // Zoomed out past the window, it springs back to what covered it.
    const AffineTransform covering = shown();
    fingers.wheel(pointer, -8);
    advance(ImageEditor::kDesktopGestureRest + ImageEditor::kSpringBackSeconds + 0.05);
    EXPECT_TRUE(shown().isClose(covering, 1e-9)) << shown().toString();
}

TEST_F(ImageEditorTest, ControlWheelTurnsAboutThePointer) {
    ImageEditor& e = open(testsupport::quadrantsImage(1920, 1080));
    e.setCheckBounds(false);
    const graphics::Point pointer{300, 500};
    const graphics::Point under = e.imageView()->convertPointFromView(pointer, nullptr);
    fingers.wheel(pointer, 2, ui::KeyModifierControl);
    EXPECT_NEAR(imageeditor::imageRotation(shown()), 2 * ImageEditor::kDegreesPerNotch * std::numbers::pi / 180, 1e-6);
    EXPECT_NEAR(e.scale(), 1.0, 1e-12);
    const graphics::Point stays = e.imageView()->convertPointToView(under, nullptr);
    EXPECT_NEAR(stays.x, pointer.x, 1e-6);
    EXPECT_NEAR(stays.y, pointer.y, 1e-6);
    // Mirrored, the same turn goes the same way on screen.
    advance(1);
    e.reset(false);
    e.actionFlipHorizontal();
    fingers.wheel(pointer, 1, ui::KeyModifierControl);
    // The picture's downward axis, which the mirror leaves alone, turned clockwise.
    const graphics::Point down = e.imageView()->convertPointToView({0, 1}, nullptr);
    const graphics::Point origin = e.imageView()->convertPointToView({0, 0}, nullptr);
    EXPECT_NEAR(std::atan2(-(down.x - origin.x), down.y - origin.y),
                ImageEditor::kDegreesPerNotch * std::numbers::pi / 180, 1e-6);
}

TEST_F(ImageEditorTest, KeysZoomTurnMoveCancelAndFinish) {
    ImageEditor& e = open(testsupport::quadrantsImage(1920, 1080));
    e.setCheckBounds(false);
    const graphics::Rect crop = e.cropRect();
    const graphics::Point centre{crop.midX(), crop.midY()};
    struct Step {
        const char* what;
        ui::Key key;
        std::string text;
        unsigned modifiers;
        double scale;
        double degrees;
        graphics::Point moved;  // of the crop centre's picture point, on screen
    };
    const double z = ImageEditor::kZoomPerNotch, d = ImageEditor::kDegreesPerNotch, a = ImageEditor::kArrowStepPoints;
    const Step steps[] = {
        {"plus zooms in about the window's centre", ui::Key::Other, "+", 0, z, 0, {0, 0}},
        {"minus zooms out", ui::Key::Other, "-", 0, 1, 0, {0, 0}},
        {"Control+Right turns clockwise", ui::Key::Right, "", ui::KeyModifierControl, 1, d, {0, 0}},
        {"Control+Left turns back", ui::Key::Left, "", ui::KeyModifierControl, 1, 0, {0, 0}},
        {"Right moves the picture right", ui::Key::Right, "", 0, 1, 0, {a, 0}},
        {"Up moves it up", ui::Key::Up, "", 0, 1, 0, {a, -a}},
    };
    const graphics::Point picturePoint = e.imageView()->convertPointFromView(centre, nullptr);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        EXPECT_TRUE(step.text.empty() ? fingers.press(step.key, step.modifiers) : fingers.type(step.text));
        EXPECT_NEAR(e.scale(), step.scale, 1e-9);
        EXPECT_NEAR(imageeditor::imageRotation(shown()), step.degrees * std::numbers::pi / 180, 1e-6);
        const graphics::Point at = e.imageView()->convertPointToView(picturePoint, nullptr);
        EXPECT_NEAR(at.x, centre.x + step.moved.x, 1e-6);
        EXPECT_NEAR(at.y, centre.y + step.moved.y, 1e-6);
    }
    advance(1);
    EXPECT_EQ(e.gestureCount(), 0u);

    fingers.press(ui::Key::Escape);  // the Cancel button
    ASSERT_EQ(results.size(), 1u);
    EXPECT_TRUE(results[0].second);
    fingers.press(ui::Key::Return);  // the Done button
    advance(0.1);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_FALSE(results[1].second);
    EXPECT_TRUE(results[1].first);
}

}  // namespace
