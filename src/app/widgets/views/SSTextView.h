#pragma once

// A text view that shows a placeholder in a soft grey while it is empty.

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Color.h"
#include "platform/ui/text/TextView.h"

#include <optional>
#include <string>

class SSTextView : public ui::TextView {
public:
    SSTextView();
    explicit SSTextView(const graphics::Rect& frame);

    const std::optional<std::string>& placeholder() const { return placeholder_; }
    void setPlaceholder(std::optional<std::string> placeholder);
    const std::optional<graphics::Color>& placeholderColor() const { return placeholderColor_; }
    void setPlaceholderColor(std::optional<graphics::Color> color);

    // Sets the text and shows or hides the placeholder.
    void setText(std::string text);

    // True exactly while a placeholder and its colour are set and the text is empty.
    bool shouldDrawPlaceholder() const { return shouldDrawPlaceholder_; }

    void drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect) override;

private:
    void setUp();
    void updateShouldDrawPlaceholder();

    std::optional<std::string> placeholder_;
    std::optional<graphics::Color> placeholderColor_ = graphics::Color::grey(0.702, 1.0);
    bool shouldDrawPlaceholder_ = false;
    foundation::ObserverToken textChanges_;
};
