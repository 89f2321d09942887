#pragma once

// How the green-screen settings screens report the user's choices to the
// green-screen camera. No screen changes anything itself; the camera decides
// what a choice does and whether the popover closes. Main thread only.

#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"

namespace ui {
class ViewController;
}

class ChromaKeyConfigurationDelegate {
public:
    virtual ~ChromaKeyConfigurationDelegate() = default;
    // "Photo Roll": a backdrop from the photo library.
    virtual void didSelectChangeBackDrop(ui::ViewController& sender) = 0;
    // "Last Frame": the project's frame before the capture slot.
    virtual void didSelectUseFrameAsBackdrop(ui::ViewController& sender) = 0;
    // A theme card: its full-size picture.
    virtual void didSelectChangeBackDropWithImage(ui::ViewController& sender, const graphics::Image& image) = 0;
    // The sensitivity slider, plus or minus: the slider's value.
    virtual void didChangedFilterValue(ui::ViewController& sender, float value) = 0;
    // "Green" or "Blue".
    virtual void didSelectChangeChromaKeyColor(ui::ViewController& sender, const graphics::Color& withColor) = 0;
    // "Autodetect".
    virtual void didSelectChangeAutoChromaKeyColor(ui::ViewController& sender) = 0;
};
