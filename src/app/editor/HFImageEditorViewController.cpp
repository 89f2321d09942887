#include "app/editor/HFImageEditorViewController.h"

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Localized.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/gestures/PanGestureRecognizer.h"
#include "platform/ui/gestures/PinchGestureRecognizer.h"
#include "platform/ui/gestures/RotationGestureRecognizer.h"
#include "platform/ui/gestures/TapGestureRecognizer.h"
#include "platform/ui/host/Device.h"

#include <QImage>
#include <algorithm>
#include <cmath>
#include <numbers>

using graphics::AffineTransform;
using graphics::Point;
using graphics::Rect;
using graphics::Size;

namespace {

// The plate behind each of the bottom buttons' titles.
constexpr double kPlateHeight = 32;
constexpr double kPlatePadding = 14;
constexpr double kPlateOpacity = 0.6;

}  // namespace

// ---- frame overlay --------------------------------------------------------------------------------

HFImageEditorFrameView::HFImageEditorFrameView() { initialize(); }

HFImageEditorFrameView::HFImageEditorFrameView(const Rect& frame) : ui::View(frame) { initialize(); }

void HFImageEditorFrameView::initialize() {
    setOpaque(false);
    setAlpha(kOverlayOpacity);
    setBackgroundColor(std::nullopt);
    imageView_ = ui::makeView<ui::ImageView>(bounds());
    imageView_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    addSubview(imageView_);
}

void HFImageEditorFrameView::setCropRect(const Rect& rect) {
    if (rect == cropRect_) return;
    cropRect_ = rect.offsetBy(frame().origin.x, frame().origin.y);
    const Size size = bounds().size;
    if (size.width <= 0 || size.height <= 0) return;
    graphics::GraphicsContext context(size, ui::Device::current().screenScale(), false);
    context.setFillColor(graphics::Color::black());
    context.fillRect(bounds());
    context.setStrokeColor(graphics::Color::white().withAlpha(0.5));
    context.setLineWidth(1.0);
    context.strokeRect(rect);
    context.clearRect(rect.insetBy(1.0, 1.0));  // the window the picture shows through
    imageView_->setImage(context.makeImage());
}

// ---- editor ---------------------------------------------------------------------------------------

HFImageEditorViewController::HFImageEditorViewController(std::string nibName)
    : ui::ViewController(std::move(nibName)) {}

HFImageEditorViewController::~HFImageEditorViewController() {
    for (ui::GestureRecognizer* recognizer : std::initializer_list<ui::GestureRecognizer*>{
             panRecognizer_.get(), rotationRecognizer_.get(), pinchRecognizer_.get(), tapRecognizer_.get()})
        if (recognizer) recognizer->delegate = nullptr;
}

void HFImageEditorViewController::setSourceImage(graphics::Image image) {
    const bool different = image.bitmap().cacheKey() != sourceImage_.bitmap().cacheKey() ||
                           image.orientation() != sourceImage_.orientation();
    sourceImage_ = std::move(image);
    if (different) previewImage_ = graphics::Image();
}

const graphics::Image& HFImageEditorViewController::previewImage() {
    if (previewImage_.isNull() && !sourceImage_.isNull()) {
        const auto size = imageeditor::previewSize(sourceImage_.size());
        previewImage_ =
            size ? imageeditor::newScaledImage(sourceImage_, static_cast<int>(sourceImage_.orientation()), *size, false)
                 : sourceImage_;
    }
    return previewImage_;
}

Size HFImageEditorViewController::cropSize() const { return frameView_ ? frameView_->cropRect().size : Size{}; }

void HFImageEditorViewController::setCropSize(Size size) {
    if (frameView_) setCropRect(imageeditor::centredCropRect(size, frameView_->bounds()));
}

Rect HFImageEditorViewController::cropRect() const {
    if (!frameView_) return Rect();
    return imageeditor::effectiveCropRect(frameView_->cropRect(), frameView_->bounds());
}

void HFImageEditorViewController::setCropRect(const Rect& rect) {
    if (frameView_) frameView_->setCropRect(rect);
}

void HFImageEditorViewController::setPanEnabled(bool enabled) {
    panEnabled_ = enabled;
    if (panRecognizer_) panRecognizer_->setEnabled(enabled);
}
void HFImageEditorViewController::setScaleEnabled(bool enabled) {
    scaleEnabled_ = enabled;
    if (pinchRecognizer_) pinchRecognizer_->setEnabled(enabled);
}
void HFImageEditorViewController::setRotateEnabled(bool enabled) {
    rotateEnabled_ = enabled;
    if (rotationRecognizer_) rotationRecognizer_->setEnabled(enabled);
}
void HFImageEditorViewController::setTapToResetEnabled(bool enabled) {
    tapToResetEnabled_ = enabled;
    if (tapRecognizer_) tapRecognizer_->setEnabled(enabled);
}

Rect HFImageEditorViewController::cropBoundsInSourceImage() const {
    if (!imageView_) return Rect();
    return imageeditor::cropBoundsInSourceImage(sourceImage_.size(), imageView_->bounds().size, imageView_->transform(),
                                                cropRect());
}

void HFImageEditorViewController::loadView() {
    const Rect screen = ui::Device::current().screenBounds();
    auto root = ui::makeView<ui::View>(Rect{{0, 0}, screen.size});
    root->setBackgroundColor(graphics::Color::black());
    frameView_ = ui::makeView<HFImageEditorFrameView>(root->bounds());
    frameView_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    root->addSubview(frameView_);
    buildControls(*root);
    setView(root);
}

void HFImageEditorViewController::buildControls(ui::View& root) {
    struct Control {
        const char* title;
        void (HFImageEditorViewController::*action)();
        double x;  // fraction of the width
        std::optional<ui::Key> key;
    };
    static const Control kControls[] = {
        {"Cancel", &HFImageEditorViewController::cancelAction, 0.0, ui::Key::Escape},
        {"Flip", &HFImageEditorViewController::actionFlipHorizontal, 0.25, std::nullopt},
        {"Reset", &HFImageEditorViewController::resetAnimatedAction, 0.5, std::nullopt},
        {"Done", &HFImageEditorViewController::doneAction, 0.75, ui::Key::Return},
    };
    const Rect bounds = root.bounds();
    const double width = bounds.size.width / 4;
    auto weak = foundation::weakFrom(this);
    for (const Control& control : kControls) {
        auto button = std::make_shared<ui::Button>(ui::ButtonType::System, Rect());
        button->setTitle(foundation::localized(control.title), ui::ControlStateNormal);
        button->setTitleColor(graphics::Color::white(), ui::ControlStateNormal);
        // Each title reads on a dark plate of its own, centred in its quarter
        // of the bottom band: where the crop frame reaches the window's
        // bottom edge (a phone's window) the titles lie over the picture,
        // white on whatever it shows there.
        const double plateWidth = std::min(width - 8, button->sizeThatFits({}).width + 2 * kPlatePadding);
        button->setFrame(Rect(bounds.size.width * control.x + (width - plateWidth) / 2,
                              bounds.size.height - 22 - kPlateHeight / 2, plateWidth, kPlateHeight));
        button->setBackgroundColor(graphics::Color::grey(0.0, kPlateOpacity));
        button->layer().setCornerRadius(kPlateHeight / 4);
        button->setAutoresizingMask(ui::AutoresizingFlexibleTopMargin | ui::AutoresizingFlexibleLeftMargin |
                                    ui::AutoresizingFlexibleRightMargin);
        button->addTarget(
            this,
            [weak, action = control.action](ui::Control&) {
                if (auto self = weak.lock()) ((*self).*action)();
            },
            ui::ControlEventTouchUpInside);
        if (control.key) button->setKeyEquivalent(*control.key);
        root.addSubview(button);
    }
}

void HFImageEditorViewController::viewDidLoad() {
    ui::View& root = *view();
    root.setClipsToBounds(true);
    imageView_ = ui::makeView<ui::ImageView>(Rect());
    root.insertSubviewBelowSubview(imageView_, frameView_.get());
    root.setMultipleTouchEnabled(true);

    auto weak = foundation::weakFrom(this);
    panRecognizer_ = std::make_shared<ui::PanGestureRecognizer>();
    panRecognizer_->addTarget([weak](ui::GestureRecognizer& recognizer) {
        auto self = weak.lock();
        auto& pan = static_cast<ui::PanGestureRecognizer&>(recognizer);
        if (!self) return;
        self->panBy(pan.state(), pan.translationInView(self->imageView_.get()));
        pan.setTranslation(Point{0, 0}, self->frameView_.get());
    });
    rotationRecognizer_ = std::make_shared<ui::RotationGestureRecognizer>();
    rotationRecognizer_->addTarget([weak](ui::GestureRecognizer& recognizer) {
        auto self = weak.lock();
        auto& rotation = static_cast<ui::RotationGestureRecognizer&>(recognizer);
        if (!self) return;
        self->rotateBy(rotation.state(), rotation.rotation());
        rotation.setRotation(0);
    });
    pinchRecognizer_ = std::make_shared<ui::PinchGestureRecognizer>();
    pinchRecognizer_->addTarget([weak](ui::GestureRecognizer& recognizer) {
        auto self = weak.lock();
        auto& pinch = static_cast<ui::PinchGestureRecognizer&>(recognizer);
        if (!self) return;
        self->pinchBy(pinch.state(), pinch.scale());
        pinch.setScale(1.0);
    });
    tapRecognizer_ = std::make_shared<ui::TapGestureRecognizer>();
    tapRecognizer_->numberOfTapsRequired = 2;
    tapRecognizer_->addTarget([weak](ui::GestureRecognizer&) {
        if (auto self = weak.lock()) self->reset(true);
    });
    const std::pair<std::shared_ptr<ui::GestureRecognizer>, bool> recognizers[] = {
        {panRecognizer_, panEnabled_},
        {rotationRecognizer_, rotateEnabled_},
        {pinchRecognizer_, scaleEnabled_},
        {tapRecognizer_, tapToResetEnabled_},
    };
    for (const auto& [recognizer, enabled] : recognizers) {
        recognizer->delegate = this;
        recognizer->cancelsTouchesInView = false;
        recognizer->setEnabled(enabled);
        frameView_->addGestureRecognizer(recognizer);
    }
}

void HFImageEditorViewController::viewWillAppear(bool animated) {
    ui::ViewController::viewWillAppear(animated);
    reset(false);
    const graphics::Image& preview = previewImage();
    imageView_->setImage(preview);
    if (preview.isNull() || &preview == &sourceImage_ ||
        preview.bitmap().cacheKey() == sourceImage_.bitmap().cacheKey())
        return;
    showDisplayImage();
}

void HFImageEditorViewController::showDisplayImage() {
    const graphics::Image source = sourceImage_;
    const Size size = imageeditor::displaySize(source.size());
    auto weak = foundation::weakFrom(this);
    foundation::DispatchQueue::global().async([weak, source, size] {
        graphics::Image display =
            imageeditor::newScaledImage(source, static_cast<int>(source.orientation()), size, true);
        foundation::DispatchQueue::main().async([weak, display = std::move(display)] {
            auto self = weak.lock();
            if (self && self->imageView_ && !display.isNull()) self->imageView_->setImage(display);
        });
    });
}

void HFImageEditorViewController::setInteraction(bool enabled) {
    if (isViewLoaded()) view()->setUserInteractionEnabled(enabled);
}

void HFImageEditorViewController::placeImage() {
    imageView_->setTransform(AffineTransform::identity());
    imageView_->setFrame(initialImageFrame_);
    imageView_->setTransform(validTransform_);
}

void HFImageEditorViewController::reset(bool animated) {
    if (!imageView_) return;
    initialImageFrame_ = imageeditor::resetImageFrame(sourceImage_.size(), cropRect());
    scale_ = 1.0;
    if (checkBounds_) minimumScale_ = 1.0;
    validTransform_ = AffineTransform::makeScale(scale_, scale_);
    if (!animated) {
        placeImage();
        return;
    }
    setInteraction(false);
    auto weak = foundation::weakFrom(this);
    ui::animate(
        kResetAnimationSeconds,
        [weak] {
            if (auto self = weak.lock()) self->placeImage();
        },
        [weak](bool) {
            if (auto self = weak.lock()) self->setInteraction(true);
        });
}

void HFImageEditorViewController::handleTouches(const std::vector<Point>& points) {
    touchCenter_ = Point{0, 0};
    if (points.size() < 2) return;
    for (const Point& point : points) touchCenter_ = Point{touchCenter_.x + point.x, touchCenter_.y + point.y};
    const double count = static_cast<double>(points.size());
    touchCenter_ = Point{touchCenter_.x / count, touchCenter_.y / count};
}

void HFImageEditorViewController::touchesOf(const ui::Event& event) {
    std::vector<Point> points;
    for (const ui::TouchPtr& touch : event.allTouches)
        if (touch) points.push_back(touch->locationInView(imageView_.get()));
    handleTouches(points);
}

void HFImageEditorViewController::touchesBegan(const ui::TouchSet&, const ui::Event& event) { touchesOf(event); }
void HFImageEditorViewController::touchesMoved(const ui::TouchSet&, const ui::Event& event) { touchesOf(event); }
void HFImageEditorViewController::touchesEnded(const ui::TouchSet&, const ui::Event& event) { touchesOf(event); }
void HFImageEditorViewController::touchesCancelled(const ui::TouchSet&, const ui::Event& event) { touchesOf(event); }

bool HFImageEditorViewController::handleGestureState(ui::GestureState state) {
    if (state == ui::GestureState::Began) {
        ++gestureCount_;
        return true;
    }
    if (state != ui::GestureState::Ended && state != ui::GestureState::Cancelled) return true;
    if (gestureCount_ > 0) --gestureCount_;
    if (gestureCount_ != 0 || !imageView_) return false;
    const double bounded = imageeditor::boundedScale(scale_, minimumScale_, maximumScale_);
    auto weak = foundation::weakFrom(this);
    setInteraction(false);
    if (bounded == scale_) {
        ui::animate(
            kSpringBackSeconds, 0, ui::AnimationOptionCurveEaseOut,
            [weak] {
                if (auto self = weak.lock()) self->imageView_->setTransform(self->validTransform_);
            },
            [weak](bool) {
                if (auto self = weak.lock()) self->setInteraction(true);
            });
        imageView_->setTransform(validTransform_);
        return false;
    }
    checkBoundsWithTransform(imageeditor::scaleCorrection(imageView_->transform(), scaleCenter_,
                                                          imageView_->bounds().size, scale_, bounded));
    ui::animate(
        kSpringBackSeconds, 0, ui::AnimationOptionCurveEaseOut,
        [weak] {
            if (auto self = weak.lock()) self->imageView_->setTransform(self->validTransform_);
        },
        [weak, bounded](bool) {
            auto self = weak.lock();
            if (!self) return;
            self->setInteraction(true);
            self->scale_ = bounded;
        });
    return false;
}

void HFImageEditorViewController::panBy(ui::GestureState state, Point translation) {
    if (!handleGestureState(state) || !imageView_) return;
    applyTranslation(translation);
}

void HFImageEditorViewController::rotateBy(ui::GestureState state, double rotation) {
    if (!handleGestureState(state) || !imageView_) return;
    if (state == ui::GestureState::Began) rotationCenter_ = touchCenter_;
    applyRotation(rotation, rotationCenter_);
}

void HFImageEditorViewController::pinchBy(ui::GestureState state, double scale) {
    if (!handleGestureState(state) || !imageView_) return;
    if (state == ui::GestureState::Began) scaleCenter_ = touchCenter_;
    applyScale(scale, scaleCenter_);
}

void HFImageEditorViewController::applyTranslation(Point translation) {
    const AffineTransform t = imageView_->transform().translated(translation.x, translation.y);
    imageView_->setTransform(t);
    checkBoundsWithTransform(t);
}

void HFImageEditorViewController::applyRotation(double rotation, Point center) {
    const double turn = isFlipped_ ? -rotation : rotation;
    const AffineTransform t = imageeditor::aboutPoint(imageView_->transform(), center, imageView_->bounds().size,
                                                      AffineTransform::makeRotation(turn));
    imageView_->setTransform(t);
    checkBoundsWithTransform(t);
}

void HFImageEditorViewController::applyScale(double scale, Point center) {
    const AffineTransform t = imageeditor::aboutPoint(imageView_->transform(), center, imageView_->bounds().size,
                                                      AffineTransform::makeScale(scale, scale));
    scale_ *= scale;
    imageView_->setTransform(t);
    checkBoundsWithTransform(t);
}

// ---- wheel and keys ---------------------------------------------------------------------------------

void HFImageEditorViewController::desktopStep() {
    if (!desktopGesture_) {
        desktopGesture_ = true;
        handleGestureState(ui::GestureState::Began);
    }
    if (desktopGestureRest_) desktopGestureRest_->invalidate();
    desktopGestureRest_ = life_.performAfter(kDesktopGestureRest, [this] { endDesktopGesture(); });
}

void HFImageEditorViewController::endDesktopGesture() {
    desktopGestureRest_.reset();
    if (!desktopGesture_) return;
    desktopGesture_ = false;
    handleGestureState(ui::GestureState::Ended);
}

Point HFImageEditorViewController::cropCenterInImageView() const {
    const Rect crop = cropRect();
    // The crop rect is kept in the root view's coordinates, where the image view sits.
    return imageView_->convertPointFromView(Point{crop.midX(), crop.midY()}, imageView_->superview());
}

bool HFImageEditorViewController::scrollWheel(const ui::WheelEvent& event) {
    const double notches = event.notches.y;
    if (!imageView_ || notches == 0) return ui::ViewController::scrollWheel(event);
    const Point pointer = imageView_->convertPointFromView(event.windowLocation, nullptr);
    if (event.modifiers & ui::KeyModifierControl) {
        if (!rotateEnabled_) return true;
        desktopStep();
        applyRotation(notches * kDegreesPerNotch * std::numbers::pi / 180.0, pointer);
    } else {
        if (!scaleEnabled_) return true;
        desktopStep();
        // The picture grows about the pointer, so the point under it stays
        // put; the end-of-gesture correction scales about it too.
        scaleCenter_ = pointer;
        applyScale(std::pow(kZoomPerNotch, notches), pointer);
    }
    return true;
}

bool HFImageEditorViewController::keyCommand(const ui::KeyPress& press) {
    if (!imageView_) return false;
    const bool control = press.modifiers & ui::KeyModifierControl;
    if (press.text == "+" || press.text == "=" || press.text == "-") {
        if (!scaleEnabled_) return false;
        desktopStep();
        scaleCenter_ = cropCenterInImageView();
        applyScale(press.text == "-" ? 1 / kZoomPerNotch : kZoomPerNotch, scaleCenter_);
        return true;
    }
    if (!press.text.empty()) return false;
    const bool sideways = press.key == ui::Key::Left || press.key == ui::Key::Right;
    if (control && sideways) {
        if (!rotateEnabled_) return false;
        desktopStep();
        const double sign = press.key == ui::Key::Right ? 1.0 : -1.0;
        applyRotation(sign * kDegreesPerNotch * std::numbers::pi / 180.0, cropCenterInImageView());
        return true;
    }
    if (control || !(sideways || press.key == ui::Key::Up || press.key == ui::Key::Down)) return false;
    if (!panEnabled_) return false;
    // The picture moves on screen the way the arrow points.
    Point step{0, 0};
    if (press.key == ui::Key::Left) step.x = -kArrowStepPoints;
    if (press.key == ui::Key::Right) step.x = kArrowStepPoints;
    if (press.key == ui::Key::Up) step.y = -kArrowStepPoints;
    if (press.key == ui::Key::Down) step.y = kArrowStepPoints;
    const Point origin = imageView_->convertPointFromView(Point{0, 0}, nullptr);
    const Point moved = imageView_->convertPointFromView(step, nullptr);
    desktopStep();
    applyTranslation(Point{moved.x - origin.x, moved.y - origin.y});
    return true;
}

void HFImageEditorViewController::checkBoundsWithTransform(const AffineTransform& transform) {
    if (!checkBounds_) {
        validTransform_ = transform;
        return;
    }
    // The picture as the image view holds it now: every gesture step sets
    // the candidate first, the end-of-gesture correction asks before it
    // animates.
    if (imageeditor::coversCropRect(imageView_->transform(), initialImageFrame_, cropRect()))
        validTransform_ = transform;
}

void HFImageEditorViewController::actionFlipHorizontal() {
    if (!imageView_) return;
    isFlipped_ = !isFlipped_;
    const AffineTransform t = imageView_->transform().scaled(-1, 1);
    imageView_->setTransform(t);
    checkBoundsWithTransform(t);
}

void HFImageEditorViewController::actionFlipVertical() {
    if (!imageView_) return;
    isFlipped_ = !isFlipped_;
    const AffineTransform t = imageView_->transform().rotated(std::numbers::pi).scaled(-1, 1);
    imageView_->setTransform(t);
    checkBoundsWithTransform(t);
}

void HFImageEditorViewController::doneAction() {
    if (!imageView_) return;
    setInteraction(false);
    startTransformHook();
    // Everything the render reads is taken now, on the main thread.
    const AffineTransform transform = imageView_->transform();
    const graphics::Image source = sourceImage_;
    const double outputWidth = outputWidth_;
    const Rect crop = cropRect();
    const Size viewSize = imageView_->bounds().size;
    renderMapping_ = imageeditor::unitRenderMapping(viewSize, crop, transform);
    auto weak = foundation::weakFrom(this);
    foundation::DispatchQueue::global().async([weak, transform, source, outputWidth, crop, viewSize] {
        graphics::Image rendered = imageeditor::newTransformedImage(transform, source, outputWidth, crop, viewSize);
        foundation::DispatchQueue::main().async([weak, rendered = std::move(rendered)] {
            auto self = weak.lock();
            if (!self) return;
            self->setInteraction(true);
            if (self->doneCallback_) {
                self->doneCallback_(rendered.isNull() ? std::nullopt : std::optional<graphics::Image>(rendered), false);
            }
            self->endTransformHook();
        });
    });
}

void HFImageEditorViewController::cancelAction() {
    if (doneCallback_) doneCallback_(std::nullopt, true);
}

// ---- the frame editor's variant -----------------------------------------------------------------------

ImageEditor::ImageEditor() : HFImageEditorViewController("ImageEditor") {
    setMinimumScale(kMinimumScale);
    setMaximumScale(kMaximumScale);
}

std::shared_ptr<ImageEditor> ImageEditor::create() {
    auto editor = std::make_shared<ImageEditor>();
    editor->view();
    return editor;
}

void ImageEditor::viewDidLoad() {
    const Rect landscape = getOrientationCorrectedRectFromRect(ui::Device::current().screenBounds());
    view()->setFrame(landscape);
    frameView_->setFrame(landscape);
    HFImageEditorViewController::viewDidLoad();
    const imageeditor::CropWindow window = imageeditor::frameEditorCropWindow(landscape.size);
    setCropSize(window.cropSize);
    setCropRect(window.cropRect);
}
