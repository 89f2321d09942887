#pragma once

// A fade transition: the picture a layer's subtree showed when the
// transition was added fades out while what the subtree shows now fades in,
// so content replaced in one step (a reloaded item) changes softly. Added
// under the key "transition"; the compositor draws it.

#include "platform/graphics/Image.h"
#include "platform/ui/compositing/Animation.h"

#include <memory>
#include <optional>

namespace ui {

class FadeTransition : public Animation {
public:
    // The picture before the change, drawn over the layer's bounds.
    graphics::Image snapshot;

    // How far the new picture has come in (0 to 1, after the timing curve) at
    // `time` on the main run loop's clock; none outside the transition.
    std::optional<double> fractionAt(double time) const;
    // Changes no property: it only keeps the layer being composited.
    bool apply(LayerState& state, double time) const override;
};

// Pictures the view's subtree as it is now and adds a fade transition of
// `duration` seconds to its layer, replacing one still running.
std::shared_ptr<FadeTransition> addFadeTransition(View& view, double duration,
                                                  TimingFunction timing = TimingFunction::easeInEaseOut());

// The fade transition running on a layer, or null.
const FadeTransition* fadeTransitionOf(const Layer& layer);

inline constexpr const char* kTransitionKey = "transition";

}  // namespace ui
