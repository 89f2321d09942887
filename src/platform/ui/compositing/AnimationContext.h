#pragma once

// Between the view animation blocks (Animation.cpp) and the layers that turn
// model changes made inside them into implicit animations (LayerAnimations.cpp).
// Not for use outside the toolkit.

#include "platform/ui/compositing/Animation.h"

#include <memory>
#include <string>

namespace ui::detail {

// Whether model changes made now animate, and how.
class AnimationBlock {
public:
    virtual ~AnimationBlock() = default;
    // The animation of one changed property from the value on screen to the
    // new model value, joined to the block's completion.
    virtual std::shared_ptr<Animation> makeAnimation(const std::string& keyPath, const AnimatableValue& from,
                                                     const AnimatableValue& to) = 0;
    // True when the animation was made by this block. Setting a property
    // twice in one block replaces its first animation without that counting
    // as an interruption.
    virtual bool owns(const Animation& animation) const = 0;
    // Releases an animation of this block that a newer one of the same block replaces.
    virtual void release(Animation& animation) = 0;
};

// The innermost animation block, or null outside of one and inside
// performWithoutAnimation.
AnimationBlock* currentAnimationBlock();

// The value between two values of one kind at progress p (0 to 1, beyond for
// springs that overshoot). Values of different kinds give `to`.
AnimatableValue interpolate(const AnimatableValue& from, const AnimatableValue& to, double p);

// Progress of a damped spring (0 at rest at the start, 1 at rest at the end)
// at `time` of an animation of `duration` seconds.
double springProgress(double dampingRatio, double initialVelocity, double duration, double time);

}  // namespace ui::detail
