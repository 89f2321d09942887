#include "app/widgets/alerts/AlertView.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/controls/ImageView.h"

#include <typeinfo>

using graphics::Color;
using graphics::Rect;

namespace {

struct BackgroundColors {
    std::optional<Color> fill;
    std::optional<Color> stroke;
};

BackgroundColors& sharedColors() {
    static BackgroundColors colors;
    return colors;
}

}  // namespace

AlertView::AlertView(std::string title, std::string message)
    : ui::AlertView(std::move(title), std::move(message), nullptr, std::nullopt, {}) {
    delegate = this;
    BackgroundColors& colors = sharedColors();
    if (!colors.fill) {
        colors.fill = Color::black();
        colors.stroke = Color::hsb(0.625, 0.0, 0.8, 0.8);
    }
}

std::shared_ptr<AlertView> AlertView::create(std::string title, std::string message) {
    return std::make_shared<AlertView>(std::move(title), std::move(message));
}

AlertView::~AlertView() = default;

int AlertView::addButtonWithTitle(std::string title, ButtonBlock block) {
    int index = ui::AlertView::addButtonWithTitle(std::move(title));
    buttonCallbackArray_.push_back(std::move(block));
    return index;
}

void AlertView::setBackgroundColorWithStrokeColor(Color fill, Color stroke) { sharedColors() = {fill, stroke}; }

std::optional<Color> AlertView::backgroundFillColor() { return sharedColors().fill; }
std::optional<Color> AlertView::backgroundStrokeColor() { return sharedColors().stroke; }

void AlertView::drawRoundedRect(const Rect& rect, graphics::Path& path, double radius) {
    path.moveTo({rect.minX(), rect.midY()});
    path.addArcToPoint({rect.minX(), rect.minY()}, {rect.midX(), rect.minY()}, radius);
    path.addArcToPoint({rect.maxX(), rect.minY()}, {rect.maxX(), rect.midY()}, radius);
    path.addArcToPoint({rect.maxX(), rect.maxY()}, {rect.midX(), rect.maxY()}, radius);
    path.addArcToPoint({rect.minX(), rect.maxY()}, {rect.minX(), rect.midY()}, radius);
    path.close();
}

void AlertView::drawBackground(graphics::GraphicsContext& context, const Rect& rect) const {
    const BackgroundColors& colors = sharedColors();
    const double x = rect.origin.x, y = rect.origin.y, w = rect.size.width, h = rect.size.height;

    context.saveGState();
    context.clearRect(rect);
    context.setAntialias(true);
    context.setAlpha(0.8);
    context.setLineWidth(2);
    context.setStrokeColor(colors.stroke.value_or(Color::clear()));
    context.setFillColor(colors.fill.value_or(Color::clear()));

    graphics::Path panel;
    drawRoundedRect(Rect(x + 2, y + 2, w - 4, h - 4), panel, 8);
    context.fillPath(panel);
    context.strokePathWithContextSettings(panel);

    graphics::Path inner;
    drawRoundedRect(Rect(x + 3, y + 3, w - 6, h - 6), inner, 8);
    context.clipToPath(inner);

    context.setAlpha(1);
    context.clipToPath(graphics::Path::ellipse(Rect(-130, -115, 2 * w, w / 2)));
    auto gloss = graphics::Gradient::withColors({Color::grey(1, 0.35), Color::grey(1, 0.06)}, {0, 1});
    context.drawLinearGradient(gloss, {x, y}, {x, h / 5}, graphics::kGradientDrawsNone);
    context.restoreGState();
}

void AlertView::layoutSubviews() {
    for (const ui::ViewPtr& child : subviews()) {
        const ui::View& view = *child;
        if (typeid(view) == typeid(ui::ImageView) && view.tag() == 0) {
            child->removeFromSuperview();
            return;
        }
    }
}

// ---- delegate ---------------------------------------------------------------------------

void AlertView::clickedButtonAtIndex(ui::AlertView&, int buttonIndex) {
    if (buttonIndex < 0 || static_cast<size_t>(buttonIndex) >= buttonCallbackArray_.size()) return;
    ButtonBlock block = buttonCallbackArray_[static_cast<size_t>(buttonIndex)];
    if (block) block(*this, buttonIndex);
}

void AlertView::alertViewCancel(ui::AlertView&) {
    if (AlertBlock block = cancel_) return block(*this);
    dismissWithClickedButtonIndex(cancelButtonIndex(), false);
}

void AlertView::willPresentAlertView(ui::AlertView&) {
    if (AlertBlock block = willPresent_) block(*this);
}

void AlertView::didPresentAlertView(ui::AlertView&) {
    if (AlertBlock block = didPresent_) block(*this);
}

void AlertView::willDismissWithButtonIndex(ui::AlertView&, int buttonIndex) {
    if (ButtonBlock block = willDismiss_) block(*this, buttonIndex);
}

void AlertView::didDismissWithButtonIndex(ui::AlertView&, int buttonIndex) {
    if (ButtonBlock block = didDismiss_) block(*this, buttonIndex);
}
