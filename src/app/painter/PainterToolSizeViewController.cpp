#include "app/painter/PainterToolSizeViewController.h"

#include "app/painter/PainterToolLayout.h"
#include "platform/graphics/GraphicsContext.h"

namespace {

constexpr graphics::Size kViewSize{240, 150};
constexpr double kPreviewSide = 90;
constexpr double kButtonSide = 40;

std::shared_ptr<ui::Button> makeStepButton(const char* title, double x, double y) {
    auto button = std::make_shared<ui::Button>(ui::ButtonType::System, graphics::Rect(x, y, kButtonSide, kButtonSide));
    button->setTitle(std::string(title), ui::ControlStateNormal);
    return button;
}

}  // namespace

PainterToolSizeBrushView::PainterToolSizeBrushView(const graphics::Rect& frame) : ui::View(frame) {
    setDrawsContent(true);
    setOpaque(false);
    setBackgroundColor(graphics::Color::clear());
}

void PainterToolSizeBrushView::setBrush(std::shared_ptr<PainterBrush> brush) {
    brush_ = std::move(brush);
    setNeedsDisplay();
}

void PainterToolSizeBrushView::drawRect(graphics::GraphicsContext& context, const graphics::Rect&) {
    if (!brush_) return;
    const graphics::Rect area = bounds();
    context.setFillColor(brush_->color);
    context.fillEllipse(painterlayout::sizeDiscRect(area.size, brush_->size));
    context.setStrokeColor(graphics::Color::grey(0.0, 0.3));
    context.setLineWidth(1);
    context.strokeEllipse({1, 1, area.width() - 2, area.height() - 2});
}

PainterToolSizeViewController::PainterToolSizeViewController() : ui::ViewController("PainterToolSizeViewController") {
    preferredContentSize = kViewSize;
}

void PainterToolSizeViewController::loadView() {
    auto root = ui::makeView(graphics::Rect({0, 0}, kViewSize));
    root->setBackgroundColor(graphics::Color::clear());
    viewBrush_ = ui::makeView<PainterToolSizeBrushView>(
        graphics::Rect((kViewSize.width - kPreviewSide) / 2, 8, kPreviewSide, kPreviewSide));
    root->addSubview(viewBrush_);
    const double rowY = kViewSize.height - kButtonSide - 6;
    btnMinus_ = makeStepButton("\u2212", 4, rowY);
    btnPlus_ = makeStepButton("+", kViewSize.width - kButtonSide - 4, rowY);
    sliderSize_ =
        ui::makeView<ui::Slider>(graphics::Rect(kButtonSide + 8, rowY + 5, kViewSize.width - 2 * kButtonSide - 16, 30));
    sliderSize_->setMinimumValue(kMinimumSize);
    sliderSize_->setMaximumValue(kMaximumSize);
    sliderSize_->addTarget(this, life_.guard([this](ui::Control&) { actionValueChanged(); }),
                           ui::ControlEventValueChanged);
    btnMinus_->addTarget(this, life_.guard([this](ui::Control&) { actionMinus(); }), ui::ControlEventTouchUpInside);
    btnPlus_->addTarget(this, life_.guard([this](ui::Control&) { actionPlus(); }), ui::ControlEventTouchUpInside);
    for (const ui::ViewPtr& view : {ui::ViewPtr(btnMinus_), ui::ViewPtr(sliderSize_), ui::ViewPtr(btnPlus_)})
        root->addSubview(view);
    setView(root);
}

void PainterToolSizeViewController::viewDidLoad() {
    if (brush_) sliderSize_->setValue(static_cast<double>(brush_->size));
    viewBrush_->setBrush(brush_);
}

void PainterToolSizeViewController::actionValueChanged() {
    sliderSize_->setValue(painterlayout::wholeSliderValue(sliderSize_->value()));
    updateValues();
}

void PainterToolSizeViewController::actionPlus() {
    sliderSize_->setValue(sliderSize_->value() + 1);
    updateValues();
}

void PainterToolSizeViewController::actionMinus() {
    sliderSize_->setValue(sliderSize_->value() - 1);
    updateValues();
}

void PainterToolSizeViewController::updateValues() {
    if (brush_) brush_->size = painterlayout::brushSizeFromSlider(sliderSize_->value());
    viewBrush_->setNeedsDisplay();
}

graphics::Size PainterToolSizeViewController::contentSizeForViewInPopover() { return view()->frame().size; }
