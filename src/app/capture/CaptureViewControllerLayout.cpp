// The screen's view tree: the camera area with grid and focus square, the
// shutter with its timer ring, the controls panel, the sliders and the
// information display. Tablet and phone share it at two sizes.

#include "app/capture/CaptureViewController.h"
#include "app/core/UIImage_Resize.h"
#include "app/widgets/views/DACircularProgressView.h"
#include "app/widgets/views/KWButton.h"
#include "platform/foundation/Localized.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/Slider.h"
#include "platform/ui/gestures/TapGestureRecognizer.h"
#include "platform/ui/host/Device.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr unsigned kFill = ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight;
constexpr unsigned kRightEdge = ui::AutoresizingFlexibleLeftMargin;
constexpr double kShutterSize = 72.0;
constexpr double kRingInset = 6.0;
constexpr double kButtonSize = 44.0;
constexpr double kMargin = 14.0;
constexpr double kOnionLabelHeight = 28.0;
constexpr double kOnionLabelInset = 6.0;
constexpr double kButtonGap = 8.0;
// The information display: its narrowest width and its text's inset.
constexpr double kFrameInfoWidth = 150.0;
constexpr double kFrameInfoHeight = 44.0;
constexpr double kFrameInfoInset = 8.0;

// The thirds of the picture as thin lines.
ui::ViewPtr makeGrid(const graphics::Rect& bounds) {
    auto grid = ui::makeView<ui::View>(bounds);
    grid->setAutoresizingMask(kFill);
    grid->setUserInteractionEnabled(false);
    grid->setBackgroundColor(std::nullopt);
    const auto line = graphics::Color::white().withAlpha(0.5);
    for (int i = 1; i <= 2; ++i) {
        auto vertical = ui::makeView<ui::View>(graphics::Rect{bounds.width() * i / 3.0, 0, 1, bounds.height()});
        vertical->setBackgroundColor(line);
        vertical->setAutoresizingMask(ui::AutoresizingFlexibleLeftMargin | ui::AutoresizingFlexibleRightMargin |
                                      ui::AutoresizingFlexibleHeight);
        grid->addSubview(vertical);
        auto horizontal = ui::makeView<ui::View>(graphics::Rect{0, bounds.height() * i / 3.0, bounds.width(), 1});
        horizontal->setBackgroundColor(line);
        horizontal->setAutoresizingMask(ui::AutoresizingFlexibleTopMargin | ui::AutoresizingFlexibleBottomMargin |
                                        ui::AutoresizingFlexibleWidth);
        grid->addSubview(horizontal);
    }
    return grid;
}

// The round accent fill behind a switched-on panel button.
graphics::Image selectedBackground() {
    graphics::GraphicsContext context({kButtonSize, kButtonSize}, 2.0, false);
    context.setFillColor(KWButton::accentColor());
    context.fillEllipse({0, 0, kButtonSize, kButtonSize});
    return context.makeImage();
}

graphics::Image icon(const char* name) { return UIImage_Resize::tintedImageNamed(name).value_or(graphics::Image()); }

}  // namespace

std::shared_ptr<ui::Button> CaptureViewController::makeButton(const char* iconName, const char* title,
                                                              void (CaptureViewController::*action)()) {
    auto button = std::make_shared<ui::Button>(ui::ButtonType::Custom, graphics::Rect{0, 0, kButtonSize, kButtonSize});
    if (iconName) button->setImage(icon(iconName), ui::ControlStateNormal);
    if (title) button->setTitle(std::string(title), ui::ControlStateNormal);
    static const graphics::Image selected = selectedBackground();
    button->setBackgroundImage(selected, ui::ControlStateSelected);
    button->setTintColor(graphics::Color::white());
    button->setAutoresizingMask(kRightEdge);
    button->addTarget(this, life_.guard([this, action](ui::Control&) { (this->*action)(); }),
                      ui::ControlEventTouchUpInside);
    return button;
}

void CaptureViewController::buildViews() {
    const graphics::Rect bounds{{0, 0}, ui::Device::current().screenBounds().size};
    auto root = ui::makeView<ui::View>(bounds);
    root->setAutoresizingMask(kFill);
    root->setBackgroundColor(graphics::Color::black());
    root->setClipsToBounds(true);
    setView(root);

    // Behind everything on the phone: the preview pane shows through the
    // live picture as the onion skin makes it transparent.
    previewViewControllerPlaceholder_ = ui::makeView<ui::View>(bounds);
    previewViewControllerPlaceholder_->setAutoresizingMask(kFill);
    previewViewControllerPlaceholder_->setBackgroundColor(graphics::Color::black());
    root->addSubview(previewViewControllerPlaceholder_);

    viewCameraContainer_ = ui::makeView<ui::View>(bounds);
    viewCameraContainer_->setAutoresizingMask(kFill);
    viewCameraContainer_->setClipsToBounds(true);
    viewCameraContainer_->setBackgroundColor(std::nullopt);
    root->addSubview(viewCameraContainer_);
    viewCamera_ = ui::makeView<ui::View>(bounds);
    viewCamera_->setAutoresizingMask(kFill);
    viewCamera_->setBackgroundColor(graphics::Color::grey(0.1));
    viewCameraContainer_->addSubview(viewCamera_);

    viewGrid_ = makeGrid(bounds);
    root->addSubview(viewGrid_);
    viewFocusRect_ = ui::makeView<ui::View>(graphics::Rect{0, 0, 66, 66});
    viewFocusRect_->setBackgroundColor(std::nullopt);
    viewFocusRect_->layer().setBorderWidth(2.0);
    viewFocusRect_->layer().setBorderColor(KWButton::accentColor());
    viewFocusRect_->setUserInteractionEnabled(false);
    root->addSubview(viewFocusRect_);

    viewAddtionalCaptureControls_ = ui::makeView<ui::View>(graphics::Rect{kMargin, bounds.height() - 60, 200, 46});
    viewAddtionalCaptureControls_->setAutoresizingMask(ui::AutoresizingFlexibleTopMargin);
    viewAddtionalCaptureControls_->setBackgroundColor(std::nullopt);
    root->addSubview(viewAddtionalCaptureControls_);

    // The information display, top left; a tap switches position and duration.
    viewFrameInfo_ = ui::makeView<ui::View>(graphics::Rect{kMargin, kMargin, kFrameInfoWidth, kFrameInfoHeight});
    viewFrameInfo_->setBackgroundColor(graphics::Color::black().withAlpha(0.55));
    viewFrameInfo_->layer().setCornerRadius(8);
    const double infoTextWidth = kFrameInfoWidth - 2 * kFrameInfoInset;
    frameTitleLabel_ = ui::makeView<ui::Label>(graphics::Rect{kFrameInfoInset, 2, infoTextWidth, 14});
    frameTitleLabel_->setFont(graphics::Font::systemFont(10));
    frameTitleLabel_->setTextColor(graphics::Color::lightGray());
    frameTitleLabel_->setText("FRAME");
    frameTitleLabel_->setAutoresizingMask(ui::AutoresizingFlexibleWidth);
    viewFrameInfo_->addSubview(frameTitleLabel_);
    frameLabel_ = ui::makeView<ui::Label>(graphics::Rect{kFrameInfoInset, 16, infoTextWidth, 24});
    frameLabel_->setAutoresizingMask(ui::AutoresizingFlexibleWidth);
    frameLabel_->setFont(graphics::Font::boldSystemFont(17));
    frameLabel_->setTextColor(graphics::Color::white());
    viewFrameInfo_->addSubview(frameLabel_);
    viewFrameInfo_->addGestureRecognizer(
        std::make_shared<ui::TapGestureRecognizer>(life_.guard([this](ui::GestureRecognizer&) { actionLCDScreen(); })));
    root->addSubview(viewFrameInfo_);

    // The right-hand column: options, shutter in its timer ring, timer, home.
    const double column = bounds.width() - kMargin - kShutterSize;
    const double middle = bounds.height() / 2;
    progressTimer_ = ui::makeView<DACircularProgressView>(
        graphics::Rect{column - kRingInset, middle - kShutterSize / 2 - kRingInset, kShutterSize + 2 * kRingInset,
                       kShutterSize + 2 * kRingInset});
    progressTimer_->setAutoresizingMask(kRightEdge | ui::AutoresizingFlexibleTopMargin |
                                        ui::AutoresizingFlexibleBottomMargin);
    progressTimer_->setUserInteractionEnabled(false);
    root->addSubview(progressTimer_);
    recordBtn_ = std::make_shared<ui::Button>(
        ui::ButtonType::Custom, graphics::Rect{column, middle - kShutterSize / 2, kShutterSize, kShutterSize});
    if (auto shutter = UIImage_Resize::tintedImageNamed("captureview_shutter"))
        recordBtn_->setImage(shutter->withRenderingMode(graphics::ImageRenderingMode::AlwaysOriginal),
                             ui::ControlStateNormal);
    if (auto running = UIImage_Resize::tintedImageNamed("captureview_shutter_running"))
        recordBtn_->setImage(running->withRenderingMode(graphics::ImageRenderingMode::AlwaysOriginal),
                             ui::ControlStateSelected);
    recordBtn_->setAutoresizingMask(progressTimer_->autoresizingMask());
    recordBtn_->addTarget(this, life_.guard([this](ui::Control&) { actionPauseRecord(); }),
                          ui::ControlEventTouchUpInside);
    // Space and Return press the shutter, as a desktop camera's do.
    recordBtn_->setKeyEquivalent(" ");
    recordBtn_->addKeyEquivalent(ui::Key::Return);
    root->addSubview(recordBtn_);

    const double buttonX = column + (kShutterSize - kButtonSize) / 2;
    buttonOptions_ = makeButton("captureview_icon_options", nullptr, &CaptureViewController::actionCameraControls);
    buttonOptions_->setFrame({buttonX, kMargin, kButtonSize, kButtonSize});
    root->addSubview(buttonOptions_);
    btnTimerConfig_ = makeButton("captureview_icon_timer", nullptr, &CaptureViewController::actionTimerConfiguration);
    btnTimerConfig_->setFrame({buttonX, middle + kShutterSize / 2 + 2 * kMargin, kButtonSize, kButtonSize});
    btnTimerConfig_->setAutoresizingMask(kRightEdge | ui::AutoresizingFlexibleTopMargin |
                                         ui::AutoresizingFlexibleBottomMargin);
    root->addSubview(btnTimerConfig_);
    if (!isTablet()) {
        // The tablet's editor hands over a button for the source's own
        // settings; the full-screen phone arrangement keeps one above the
        // shutter. Either shows only while the source has settings.
        btnAdditionalCaptureControls_ = makeButton("captureview_icon_options", nullptr,
                                                   &CaptureViewController::actionShowAdditionalCaptureControls);
        btnAdditionalCaptureControls_->setFrame(
            {buttonX, middle - kShutterSize / 2 - 2 * kMargin - kButtonSize, kButtonSize, kButtonSize});
        btnAdditionalCaptureControls_->setAutoresizingMask(btnTimerConfig_->autoresizingMask());
        btnAdditionalCaptureControls_->setHidden(true);
        root->addSubview(btnAdditionalCaptureControls_);
    }
    buttonHome_ = makeButton("captureview_icon_home", nullptr, &CaptureViewController::actionHome);
    buttonHome_->setFrame({buttonX, bounds.height() - kMargin - kButtonSize, kButtonSize, kButtonSize});
    buttonHome_->setAutoresizingMask(kRightEdge | ui::AutoresizingFlexibleTopMargin);
    buttonHome_->setHidden(isTablet());  // on the tablet the editor closes the screen
    root->addSubview(buttonHome_);

    // The controls panel: a row left of the options button.
    buttonGrid_ = makeButton("captureview_icon_grid", nullptr, &CaptureViewController::actionGrid);
    buttonFocus_ = makeButton("captureview_icon_focus", nullptr, &CaptureViewController::actionFocus);
    buttonSound_ = makeButton("captureview_icon_sound", nullptr, &CaptureViewController::actionSound);
    buttonExposure_ = makeButton("captureview_icon_exposure", nullptr, &CaptureViewController::actionExposure);
    buttonWhiteBalance_ =
        makeButton("captureview_icon_whitebalance", nullptr, &CaptureViewController::actionWhiteBalance);
    buttonCaptureSource_ = makeButton("captureview_icon_source", nullptr, &CaptureViewController::actionCaptureSource);
    capturedeviseBtn_ = makeButton("captureview_icon_switch", nullptr, &CaptureViewController::actionCaptureDevice);
    for (ui::Button* button : panelButtons()) root->addSubview(button->sharedFromThis());
    layoutFrameInfoAndPanel();

    // Sliders: the onion skin upright on the left, zoom along the bottom,
    // exposure next to the focus square when it shows.
    const double onionLength = std::min(260.0, bounds.height() - 140);
    // The holder is a strip along the left edge, so it takes no touches
    // meant for the camera area.
    viewOverlayControls_ =
        ui::makeView<ui::View>(graphics::Rect{0, middle - onionLength / 2 - 10, 2 * kMargin + 40, onionLength + 20});
    viewOverlayControls_->setAutoresizingMask(ui::AutoresizingFlexibleTopMargin | ui::AutoresizingFlexibleBottomMargin);
    viewOverlayControls_->setBackgroundColor(std::nullopt);
    root->addSubview(viewOverlayControls_);
    sliderOverlayControl_ = ui::makeView<ui::Slider>(graphics::Rect{0, 0, onionLength, 30});
    sliderOverlayControl_->setMinimumValue(0.0);
    sliderOverlayControl_->setMaximumValue(1.0);
    sliderOverlayControl_->setMinimumTrackTintColor(KWButton::accentColor());
    sliderOverlayControl_->setTransform(graphics::AffineTransform::makeRotation(-std::numbers::pi / 2));
    sliderOverlayControl_->setCenter(
        {viewOverlayControls_->bounds().width() / 2, viewOverlayControls_->bounds().height() / 2});
    sliderOverlayControl_->addTarget(this, life_.guard([this](ui::Control&) { actionSliderOverlayValueChanged(); }),
                                     ui::ControlEventValueChanged);
    viewOverlayControls_->addSubview(sliderOverlayControl_);
    // The slider's name just under the holder, moving with it; it takes no
    // touches, so the camera area below it keeps them.
    labelOverlayControl_ = ui::makeView<ui::Label>(
        graphics::Rect{kOnionLabelInset, viewOverlayControls_->bounds().height(),
                       viewOverlayControls_->bounds().width() - 2 * kOnionLabelInset, kOnionLabelHeight});
    labelOverlayControl_->setText(foundation::localized("Onion skin"));
    labelOverlayControl_->setFont(graphics::Font::boldSystemFont(10));
    labelOverlayControl_->setTextColor(graphics::Color::white());
    labelOverlayControl_->setTextAlignment(graphics::TextAlignment::Center);
    labelOverlayControl_->setNumberOfLines(2);
    labelOverlayControl_->setUserInteractionEnabled(false);
    labelOverlayControl_->setBackgroundColor(graphics::Color::black().withAlpha(0.55));
    labelOverlayControl_->layer().setCornerRadius(6);
    viewOverlayControls_->addSubview(labelOverlayControl_);

    sliderZoom_ =
        ui::makeView<ui::Slider>(graphics::Rect{bounds.width() / 2 - 150, bounds.height() - kMargin - 30, 300, 30});
    sliderZoom_->setMinimumTrackTintColor(KWButton::accentColor());
    sliderZoom_->setAutoresizingMask(ui::AutoresizingFlexibleLeftMargin | ui::AutoresizingFlexibleRightMargin |
                                     ui::AutoresizingFlexibleTopMargin);
    sliderZoom_->addTarget(this, life_.guard([this](ui::Control&) { actionSliderZoomChanged(); }),
                           ui::ControlEventValueChanged);
    root->addSubview(sliderZoom_);

    sliderExposureBias_ = ui::makeView<ui::Slider>(graphics::Rect{0, 0, 160, 30});
    sliderExposureBias_->setMinimumTrackTintColor(KWButton::accentColor());
    sliderExposureBias_->setAlpha(0.0);
    sliderExposureBias_->addTarget(this, life_.guard([this](ui::Control&) { actionSliderExposureBiasChanged(); }),
                                   ui::ControlEventValueChanged);
    sliderExposureBias_->addTarget(this, life_.guard([this](ui::Control&) { sliderTouchEnded(); }),
                                   ui::ControlEventTouchUpInside | ui::ControlEventTouchUpOutside);
    root->addSubview(sliderExposureBias_);
}

void CaptureViewController::layoutFrameInfoAndPanel() {
    // The display widens with its text, so every count the program allows
    // (and a long duration) reads whole.
    const double text = std::max(frameLabel_->sizeThatFits({}).width, frameTitleLabel_->sizeThatFits({}).width);
    const graphics::Rect info = viewFrameInfo_->frame();
    viewFrameInfo_->setFrame(
        {info.minX(), info.minY(), std::max(kFrameInfoWidth, std::ceil(text) + 2 * kFrameInfoInset), info.height()});
    // The panel runs right to left from the options button along its line,
    // or along the line below where it would run into the display (a
    // phone's width, a long count).
    const std::vector<ui::Button*> buttons = panelButtons();
    const graphics::Rect options = buttonOptions_->frame();
    const double rowStart = options.minX() - static_cast<double>(buttons.size()) * (kButtonSize + kButtonGap);
    const bool besideInfo = rowStart >= viewFrameInfo_->frame().maxX() + kButtonGap;
    const double y = besideInfo ? options.minY() : options.maxY() + kButtonGap;
    double x = options.minX();
    for (ui::Button* button : buttons) {
        x -= kButtonSize + kButtonGap;
        button->setFrame({x, y, kButtonSize, kButtonSize});
    }
}

void CaptureViewController::layoutForScreen() {
    // 4-inch phones: camera area and preview pane fill the landscape screen.
    const graphics::Rect screen = ui::Device::current().screenBounds();
    if (screen.width() != 568 && screen.height() != 568) return;
    graphics::Rect landscape{{0, 0}, screen.size};
    if (landscape.width() < landscape.height()) landscape.size = {landscape.height(), landscape.width()};
    viewCamera_->setFrame(landscape);
    previewViewControllerPlaceholder_->setFrame(landscape);
}
