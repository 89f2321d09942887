#include "app/widgets/popover/FWTPopoverBackgroundHelper.h"

#include "app/widgets/popover/FWTPopoverGeometry.h"
#include "app/widgets/popover/FWTPopoverView.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/host/Device.h"

using graphics::Rect;
using graphics::Size;

FWTPopoverBackgroundHelper::FWTPopoverBackgroundHelper(FWTPopoverView* view) : annotationView(view) {}

PopoverBackgroundImage FWTPopoverBackgroundHelper::resizableBackgroundImageForSize(
    Size size, const graphics::EdgeInsets& edgeInsets) {
    const FWTPopoverArrowDirection direction =
        annotationView ? annotationView->arrow().direction : FWTPopoverArrowDirectionNone;
    FWTPopoverBackgroundLayout layout =
        FWTPopoverGeometry::backgroundLayoutForSize(size, edgeInsets, direction, cornerRadius);
    pathFrame = layout.pathFrame;
    path = bezierPathForRect(pathFrame);
    PopoverBackgroundImage result;
    result.image = backgroundImageForSize(layout.imageSize);
    result.capInsets = layout.capInsets;
    return result;
}

graphics::Path FWTPopoverBackgroundHelper::bezierPathForRect(const Rect& rect) const {
    FWTPopoverArrow noArrow;
    const FWTPopoverArrow& arrow = annotationView ? annotationView->arrow() : noArrow;
    return FWTPopoverGeometry::bezierPathForRect(rect, cornerRadius, arrow);
}

void FWTPopoverBackgroundHelper::renderInContext(graphics::GraphicsContext& context) const {
    context.saveGState();
    if (shadowOpacity > 0) {
        context.setShadow(shadowOffset, shadowRadius, shadowColor.withAlpha(shadowColor.alpha() * shadowOpacity));
    }
    if (fillColor && fillColor->alpha() > 0) {
        context.setFillColor(*fillColor);
        context.fillPath(path);
    }
    if (lineWidth > 0) {
        graphics::Path stroke = path;
        stroke.lineWidth = lineWidth;
        stroke.lineJoin = lineJoin;
        context.setStrokeColor(strokeColor);
        context.strokePath(stroke);
    }
    context.restoreGState();
}

graphics::Image FWTPopoverBackgroundHelper::backgroundImageForSize(Size size) {
    frame = Rect(0, 0, size.width, size.height);
    graphics::GraphicsContext context(size, ui::Device::current().screenScale(), false);

    const double savedLineWidth = lineWidth;
    const std::optional<graphics::Color> savedFill = fillColor;
    const double savedShadowOpacity = shadowOpacity;

    if (shadowOpacity != 0) {
        // The shadow alone: a black shape casts it, then the shape is cut
        // out again so that a see-through fill does not show black.
        lineWidth = 0;
        fillColor = graphics::Color::black();
        renderInContext(context);
        context.saveGState();
        context.clipToPath(path);
        context.clearRect(context.clipBoundingBox());
        context.restoreGState();
    }

    fillColor = savedFill;
    shadowOpacity = 0;
    renderInContext(context);
    if (drawPathBlock) drawPathBlock(*this, context);

    lineWidth = savedLineWidth;
    fillColor = graphics::Color::clear();
    renderInContext(context);
    fillColor = savedFill;
    shadowOpacity = savedShadowOpacity;

    return context.makeImage();
}
