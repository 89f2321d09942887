#pragma once

// The application's toggle-style button: the accent colour fills it while
// it is selected, and while a finger presses it when it is not.

#include "platform/graphics/Color.h"
#include "platform/ui/controls/Button.h"

class KWButton : public ui::Button {
public:
    KWButton();
    explicit KWButton(const graphics::Rect& frame);

    // The fill of a selected or pressed button: RGB (212, 3, 215).
    static graphics::Color accentColor();

    void setSelected(bool selected) override;
    void setHighlighted(bool highlighted) override;

private:
    void setUp();
};
