#include "app/painter/KZColorPickerSwatches.h"

#include "app/painter/PainterResources.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"
#include "platform/ui/compositing/Animation.h"

namespace {

constexpr double kCornerRadius = 6;
constexpr double kCheckMarkSide = 22;
constexpr double kCheckMarkInset = 14;  // from the right and bottom edges to its centre
constexpr double kHighlightOpacity = 0.2;
constexpr double kHighlightFade = 0.001;

// A white tick in a dark disc.
class CheckMarkView : public ui::View {
public:
    CheckMarkView() : ui::View(graphics::Rect(0, 0, kCheckMarkSide, kCheckMarkSide)) {
        setDrawsContent(true);
        setOpaque(false);
        setBackgroundColor(graphics::Color::clear());
        setUserInteractionEnabled(false);
    }
    void drawRect(graphics::GraphicsContext& context, const graphics::Rect&) override {
        context.setFillColor(graphics::Color::grey(0.0, 0.6));
        context.fillEllipse(bounds());
        graphics::Path tick;
        tick.moveTo({6, 11.5});
        tick.lineTo({9.5, 15});
        tick.lineTo({16, 7.5});
        context.setStrokeColor(graphics::Color::white());
        context.setLineWidth(2.5);
        context.strokePath(tick);
    }
};

ui::ViewPtr makeHighlight(const graphics::Rect& bounds) {
    auto highlight = ui::makeView(bounds);
    highlight->setBackgroundColor(graphics::Color::white());
    highlight->setAlpha(0);
    highlight->layer().setCornerRadius(kCornerRadius);
    highlight->setUserInteractionEnabled(false);
    highlight->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    return highlight;
}

void showHighlight(ui::View& highlight, bool shown) {
    ui::animate(kHighlightFade, [&highlight, shown] { highlight.setAlpha(shown ? kHighlightOpacity : 0); });
}

}  // namespace

KZHighlightingControl::KZHighlightingControl(const graphics::Rect& frame) : ui::Control(frame) {
    highlight_ = makeHighlight(bounds());
    addSubview(highlight_);
}

void KZHighlightingControl::touchesBegan(const ui::TouchSet& touches, const ui::Event& event) {
    showHighlight(*highlight_, true);
    ui::Control::touchesBegan(touches, event);
}

void KZHighlightingControl::touchesEnded(const ui::TouchSet& touches, const ui::Event& event) {
    showHighlight(*highlight_, false);
    ui::Control::touchesEnded(touches, event);
}

void KZHighlightingControl::touchesCancelled(const ui::TouchSet& touches, const ui::Event& event) {
    showHighlight(*highlight_, false);
    ui::Control::touchesCancelled(touches, event);
}

KZColorPickerSwatchView::KZColorPickerSwatchView(const graphics::Rect& frame) : KZHighlightingControl(frame) {
    const graphics::Rect area = bounds();
    checkerboard_ = ui::makeView(area);
    checkerboard_->setBackgroundColor(painterresources::checkerboardColor());
    colorView_ = ui::makeView(area);
    for (const auto& view : {checkerboard_, colorView_}) {
        view->layer().setCornerRadius(kCornerRadius);
        view->setClipsToBounds(true);
        view->setUserInteractionEnabled(false);
        view->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
        addSubview(view);
    }
    colorView_->layer().setBorderWidth(1);
    colorView_->layer().setBorderColor(graphics::Color::grey(0.0, 0.5));
    layer().setShadowOpacity(0.5);
    layer().setShadowOffset({0, 1});
    checkMark_ = std::make_shared<CheckMarkView>();
    checkMark_->setCenter({area.width() - kCheckMarkInset, area.height() - kCheckMarkInset});
    checkMark_->setAutoresizingMask(ui::AutoresizingFlexibleLeftMargin | ui::AutoresizingFlexibleTopMargin);
    checkMark_->setHidden(true);
    addSubview(checkMark_);
    raiseHighlight();
    setColor(color_);
}

void KZColorPickerSwatchView::setColor(graphics::Color color) {
    color_ = color;
    colorView_->setBackgroundColor(color_);
}

void KZColorPickerSwatchView::setSelected(bool selected) {
    ui::Control::setSelected(selected);
    checkMark_->setHidden(!selected);
}

KZColorCompareView::KZColorCompareView(const graphics::Rect& frame) : KZHighlightingControl(frame) {
    setDrawsContent(true);
    setOpaque(false);
    setBackgroundColor(graphics::Color::clear());
}

void KZColorCompareView::setOldColor(graphics::Color color) {
    oldColor_ = color;
    setNeedsDisplay();
}

void KZColorCompareView::setCurrentColor(graphics::Color color) {
    currentColor_ = color;
    setNeedsDisplay();
}

void KZColorCompareView::drawRect(graphics::GraphicsContext& context, const graphics::Rect&) {
    const graphics::Rect area = bounds();
    const graphics::Path outline = graphics::Path::roundedRect(area, kCornerRadius);
    context.saveGState();
    context.clipToPath(outline);
    context.setFillColor(painterresources::checkerboardColor());
    context.fillRect(area);
    const double half = area.width() / 2;
    context.setFillColor(oldColor_);
    context.fillRect({area.minX(), area.minY(), half, area.height()});
    context.setFillColor(currentColor_);
    context.fillRect({area.minX() + half, area.minY(), area.width() - half, area.height()});
    context.restoreGState();
    context.setStrokeColor(graphics::Color::grey(0.0, 0.5));
    context.setLineWidth(1);
    context.strokePath(outline);
}
