#include "platform/ui/compositing/Transition.h"

#include "platform/ui/View.h"
#include "platform/ui/compositing/Render.h"

namespace ui {

namespace {
// Pixels per point of the snapshot: sharp on a high-density screen too.
constexpr double kSnapshotScale = 2.0;
}  // namespace

std::optional<double> FadeTransition::fractionAt(double time) const {
    auto progress = progressAt(time);
    if (!progress) return std::nullopt;
    return timingFunction.solve(*progress);
}

bool FadeTransition::apply(LayerState& state, double time) const {
    (void)state;
    return progressAt(time).has_value();
}

std::shared_ptr<FadeTransition> addFadeTransition(View& view, double duration, TimingFunction timing) {
    auto transition = std::make_shared<FadeTransition>();
    transition->keyPath = kTransitionKey;
    transition->duration = duration;
    transition->timingFunction = timing;
    // The running transition stops first, so the snapshot shows the subtree
    // as it is, not a half-faded picture of an older change.
    view.layer().removeAnimation(kTransitionKey);
    transition->snapshot = renderView(view, kSnapshotScale);
    view.layer().addAnimation(transition, kTransitionKey);
    return transition;
}

const FadeTransition* fadeTransitionOf(const Layer& layer) {
    auto animation = layer.animation(kTransitionKey);
    return dynamic_cast<const FadeTransition*>(animation.get());
}

}  // namespace ui
