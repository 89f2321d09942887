#include "app/painter/PainterResources.h"

#include "app/core/BundleImage.h"

namespace painterresources {

graphics::Image image(const char* name) { return bundleImageNamed(name).value_or(graphics::Image()); }

std::shared_ptr<ui::ImageView> makeKnobView() {
    auto knob = ui::makeView<ui::ImageView>(graphics::Rect(0, 0, kKnobSide, kKnobSide));
    knob->setImage(image(kKnob));
    knob->setContentMode(ui::ContentMode::Center);
    knob->setUserInteractionEnabled(false);
    return knob;
}

graphics::Color checkerboardColor() {
    const graphics::Image tile = image(kCheckerboard);
    return tile.isNull() ? graphics::Color::lightGray() : graphics::Color::pattern(tile);
}

}  // namespace painterresources
