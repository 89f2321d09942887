#pragma once

// Draws an annotation popover's background: a rounded body with the arrow on
// its side, filled, stroked and shadowed like a shape layer, into a small
// picture that stretches to the popover's size.

#include "app/widgets/popover/PopoverBackgroundImage.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Path.h"

#include <functional>
#include <optional>

namespace graphics {
class GraphicsContext;
}

class FWTPopoverView;

class FWTPopoverBackgroundHelper {
public:
    using DrawPathBlock = std::function<void(FWTPopoverBackgroundHelper& layer, graphics::GraphicsContext& context)>;

    explicit FWTPopoverBackgroundHelper(FWTPopoverView* annotationView);

    // The popover whose arrow shapes the outline; not owned.
    FWTPopoverView* annotationView = nullptr;
    // Extra drawing over the fill, before the stroke.
    DrawPathBlock drawPathBlock;
    // The rect of the last outline.
    graphics::Rect pathFrame;

    // The shape layer's look.
    graphics::Rect frame;
    graphics::Path path;
    double cornerRadius = 6.0;
    std::optional<graphics::Color> fillColor = graphics::Color::black().withAlpha(0.5);
    graphics::Color strokeColor = graphics::Color::black();
    double lineWidth = 1.0;
    graphics::LineJoin lineJoin = graphics::LineJoin::Round;
    double shadowRadius = 5.0;
    graphics::Size shadowOffset{0, 1};
    graphics::Color shadowColor = graphics::Color::black();
    double shadowOpacity = 0.7;

    // The smallest picture of the background for the size and insets, with
    // caps so that it stretches to the size.
    PopoverBackgroundImage resizableBackgroundImageForSize(graphics::Size size, const graphics::EdgeInsets& edgeInsets);
    graphics::Path bezierPathForRect(const graphics::Rect& rect) const;
    // The outline's shadow (outside the body only), fill and stroke.
    graphics::Image backgroundImageForSize(graphics::Size size);

    // Draws the shape with the current look, as a shape layer renders itself.
    void renderInContext(graphics::GraphicsContext& context) const;
};
