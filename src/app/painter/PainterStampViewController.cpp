#include "app/painter/PainterStampViewController.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/gestures/PanGestureRecognizer.h"
#include "platform/ui/gestures/PinchGestureRecognizer.h"
#include "platform/ui/gestures/RotationGestureRecognizer.h"
#include "platform/ui/gestures/TapGestureRecognizer.h"
#include "platform/ui/host/Device.h"

#include <cmath>

namespace {

constexpr double kStampSide = 200;
constexpr double kHandleSide = 44;
constexpr double kMarkerSide = 2;
constexpr double kDotSide = 20;

}  // namespace

PainterStampHolderView::PainterStampHolderView(const graphics::Rect& frame) : ui::View(frame) {
    setDrawsContent(true);
    setOpaque(false);
    setBackgroundColor(graphics::Color::clear());
    setUserInteractionEnabled(false);
}

void PainterStampHolderView::drawRect(graphics::GraphicsContext& context, const graphics::Rect&) {
    const graphics::Rect area = bounds();
    const graphics::Rect circle{1, 1, area.width() - 2, area.height() - 2};
    context.setFillColor(graphics::Color::grey(1.0, 0.3));
    context.fillEllipse(circle);
    context.setStrokeColor(graphics::Color::grey(0.0, 0.3));
    context.setLineWidth(1);
    context.strokeEllipse(circle);
    context.setFillColor(graphics::Color::grey(0.0, 0.7));
    context.fillEllipse({(area.width() - kDotSide) / 2, (area.height() - kDotSide) / 2, kDotSide, kDotSide});
}

PainterStampViewController::PainterStampViewController() : ui::ViewController("PainterStampViewController") {}

void PainterStampViewController::loadView() {
    const graphics::Rect screen({0, 0}, ui::Device::current().screenBounds().size);
    auto root = ui::makeView(screen);
    root->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    root->setBackgroundColor(graphics::Color::clear());
    viewBackTap_ = ui::makeView(screen);
    viewBackTap_->setBackgroundColor(graphics::Color::grey(0.0, 0.3));
    viewBackTap_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    root->addSubview(viewBackTap_);
    viewStamp_ = ui::makeView(graphics::Rect(0, 0, kStampSide, kStampSide));
    viewStamp_->setCenter({screen.midX(), screen.midY()});
    viewStamp_->setBackgroundColor(graphics::Color::clear());
    imageViewStamp_ = ui::makeView<ui::ImageView>(graphics::Rect(0, 0, kStampSide, kStampSide));
    imageViewStamp_->setContentMode(ui::ContentMode::ScaleAspectFit);
    imageViewStamp_->setUserInteractionEnabled(false);
    viewStamp_->addSubview(imageViewStamp_);
    viewUpperMarker_ = ui::makeView(graphics::Rect(0, 0, kMarkerSide, kMarkerSide));
    viewLowerMarker_ =
        ui::makeView(graphics::Rect(kStampSide - kMarkerSide, kStampSide - kMarkerSide, kMarkerSide, kMarkerSide));
    for (const auto& marker : {viewUpperMarker_, viewLowerMarker_}) {
        marker->setBackgroundColor(graphics::Color::clear());
        marker->setUserInteractionEnabled(false);
        viewStamp_->addSubview(marker);
    }
    root->addSubview(viewStamp_);
    viewUpperHandle_ = std::make_shared<PainterStampHolderView>(graphics::Rect(0, 0, kHandleSide, kHandleSide));
    viewLowerHandle_ = std::make_shared<PainterStampHolderView>(graphics::Rect(0, 0, kHandleSide, kHandleSide));
    root->addSubview(viewUpperHandle_);
    root->addSubview(viewLowerHandle_);
    lastSize_ = viewStamp_->bounds().size;
    setView(root);
}

void PainterStampViewController::viewDidLoad() {
    auto pinch = std::make_shared<ui::PinchGestureRecognizer>(
        life_.guard([this](ui::GestureRecognizer& recognizer) { handlePinch(recognizer); }));
    auto rotate = std::make_shared<ui::RotationGestureRecognizer>(
        life_.guard([this](ui::GestureRecognizer& recognizer) { handleRotate(recognizer); }));
    auto pan = std::make_shared<ui::PanGestureRecognizer>(
        life_.guard([this](ui::GestureRecognizer& recognizer) { handlePan(recognizer); }));
    pan->minimumNumberOfTouches = 1;
    pan->maximumNumberOfTouches = 1;
    viewStamp_->addGestureRecognizer(pinch);
    viewStamp_->addGestureRecognizer(rotate);
    viewStamp_->addGestureRecognizer(pan);
    auto tap = std::make_shared<ui::TapGestureRecognizer>(
        life_.guard([this](ui::GestureRecognizer& recognizer) { handleTap(recognizer); }));
    viewBackTap_->addGestureRecognizer(tap);
    updateMarker();
}

void PainterStampViewController::viewWillAppear(bool) { updateMarker(); }

void PainterStampViewController::setStamp(const graphics::Image& image) {
    view();
    imageViewStamp_->setImage(image);
    if (image.isNull()) return;
    // The stamp takes the picture's size about its centre; the markers stay
    // at its corners.
    const graphics::Size size = image.size();
    viewStamp_->setBounds({{0, 0}, size});
    imageViewStamp_->setFrame({{0, 0}, size});
    viewLowerMarker_->setCenter({size.width - kMarkerSide / 2, size.height - kMarkerSide / 2});
    updateMarker();
}

void PainterStampViewController::handlePan(ui::GestureRecognizer& recognizer) {
    auto& pan = static_cast<ui::PanGestureRecognizer&>(recognizer);
    const graphics::Point moved = pan.translationInView(view());
    const graphics::Point center = viewStamp_->center();
    viewStamp_->setCenter({center.x + moved.x, center.y + moved.y});
    pan.setTranslation({0, 0}, view());
    updateMarker();
}

void PainterStampViewController::handlePinch(ui::GestureRecognizer& recognizer) {
    auto& pinch = static_cast<ui::PinchGestureRecognizer&>(recognizer);
    viewStamp_->setTransform(viewStamp_->transform().scaled(pinch.scale(), pinch.scale()));
    pinch.setScale(1.0);
    updateMarker();
}

void PainterStampViewController::handleRotate(ui::GestureRecognizer& recognizer) {
    auto& rotate = static_cast<ui::RotationGestureRecognizer&>(recognizer);
    viewStamp_->setTransform(viewStamp_->transform().rotated(rotate.rotation()));
    rotate.setRotation(0);
    updateMarker();
}

void PainterStampViewController::updateMarker() {
    viewLowerHandle_->setCenter(viewStamp_->convertPointToView(viewLowerMarker_->center(), view()));
    viewUpperHandle_->setCenter(viewStamp_->convertPointToView(viewUpperMarker_->center(), view()));
}

void PainterStampViewController::handleTap(ui::GestureRecognizer&) {
    const graphics::AffineTransform transform = viewStamp_->transform();
    size_ = transform.apply(imageViewStamp_->bounds()).width();
    const graphics::Point center = viewStamp_->convertPointToView(imageViewStamp_->center(), view());
    position_ = {center.x, view()->bounds().height() - center.y};
    rotation_ = std::atan2(transform.b, transform.a) * kDegreesPerRadian;
    if (delegate_) delegate_->PainterStampDelegateDidFinish(*this);
}
