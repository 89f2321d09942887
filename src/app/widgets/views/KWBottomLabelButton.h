#pragma once

// A button with its image above its title, the title's top 20 points laid
// over the image's lower edge, the pair centred in the button.

#include "platform/ui/controls/Button.h"

class KWBottomLabelButton : public ui::Button {
public:
    KWBottomLabelButton();
    explicit KWBottomLabelButton(const graphics::Rect& frame);

    // How far the title reaches up over the image.
    static constexpr double kTitleOverlap = 20;

    void layoutSubviews() override;

private:
    void setUp();
};
