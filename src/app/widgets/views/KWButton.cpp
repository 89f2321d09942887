#include "app/widgets/views/KWButton.h"

#include "app/widgets/views/AccentColor.h"

using graphics::Color;

KWButton::KWButton() { setUp(); }

KWButton::KWButton(const graphics::Rect& frame) : ui::Button(ui::ButtonType::Custom, frame) { setUp(); }

void KWButton::setUp() { setAdjustsImageWhenHighlighted(false); }

Color KWButton::accentColor() { return kAccentColor; }

void KWButton::setSelected(bool selected) {
    ui::Button::setSelected(selected);
    setBackgroundColor(selected ? accentColor() : Color::clear());
}

void KWButton::setHighlighted(bool highlighted) {
    ui::Button::setHighlighted(highlighted);
    // A selected button is filled already; letting go must not clear it.
    if (isSelected()) return;
    setBackgroundColor(highlighted ? accentColor() : Color::clear());
}
