#pragma once

// Animations on the main run loop's clock.
//
// View animations: property changes made inside `animate(...)` take their new
// model values at once and start an implicit animation from the value on
// screen to the new one. Layer animations (`BasicAnimation`) animate one key
// path of a layer explicitly. Both are evaluated when a presentation value is
// read (Layer::presentation), so a test on the virtual clock can read the
// value at any moment; completions run from run-loop timers at the end time.
//
// A new animation of a key path replaces the running one of the same layer
// and key path: the new one starts from the value on screen, and the old
// one's completion runs with finished = false.

#include "platform/ui/compositing/Layer.h"

#include <functional>
#include <memory>
#include <string>

namespace ui {

// The platform's animation option bits.
enum AnimationOptions : unsigned {
    AnimationOptionNone = 0,
    AnimationOptionAllowUserInteraction = 1 << 1,
    AnimationOptionBeginFromCurrentState = 1 << 2,
    AnimationOptionRepeat = 1 << 3,
    AnimationOptionAutoreverse = 1 << 4,
    AnimationOptionCurveEaseInOut = 0 << 16,
    AnimationOptionCurveEaseIn = 1 << 16,
    AnimationOptionCurveEaseOut = 2 << 16,
    AnimationOptionCurveLinear = 3 << 16,
};

// A cubic Bézier timing curve from (0,0) to (1,1).
struct TimingFunction {
    double c1x = 0, c1y = 0, c2x = 1, c2y = 1;

    static TimingFunction linear() { return {0, 0, 1, 1}; }
    static TimingFunction easeIn() { return {0.42, 0, 1, 1}; }
    static TimingFunction easeOut() { return {0, 0, 0.58, 1}; }
    static TimingFunction easeInEaseOut() { return {0.42, 0, 0.58, 1}; }
    static TimingFunction fromOptions(unsigned options);

    // Progress (0-1) of the value at time fraction t (0-1).
    double solve(double t) const;
};

enum class FillMode { Removed, Forwards, Backwards, Both };

using Completion = std::function<void(bool finished)>;

class Animation : public std::enable_shared_from_this<Animation> {
public:
    virtual ~Animation() = default;

    std::string keyPath;
    double duration = 0.25;
    // Start time on the main run loop's clock; 0 means "when added".
    double beginTime = 0;
    TimingFunction timingFunction = TimingFunction::linear();
    bool removedOnCompletion = true;
    FillMode fillMode = FillMode::Removed;
    double repeatCount = 0;  // 0 plays once
    bool autoreverses = false;
    // Runs once when the animation ends (finished) or is removed or replaced
    // before its end (not finished).
    Completion completion;

    // Applies the animation's value at `time` to the state; false when the
    // animation has no effect at that time.
    virtual bool apply(LayerState& state, double time) const = 0;
    // The time at which the animation ends (infinite for endless repeats).
    double endTime() const;

protected:
    // Fraction (0-1) through one pass at `time`, or none when inactive.
    std::optional<double> progressAt(double time) const;
};

class BasicAnimation : public Animation {
public:
    static std::shared_ptr<BasicAnimation> make(std::string keyPath);

    // A missing from or to value means the value the layer shows without
    // this animation (its model value with earlier animations applied), so
    // an animation added before the model changes still ends on the new value.
    std::optional<AnimatableValue> fromValue;
    std::optional<AnimatableValue> toValue;

    bool apply(LayerState& state, double time) const override;

protected:
    virtual double curve(double fraction) const { return timingFunction.solve(fraction); }
};

// A damped spring from `fromValue` to `toValue`, as view spring animations
// run it: damping ratio 1 settles without overshoot, smaller ratios overshoot.
// The initial velocity is in units of the whole distance per second.
class SpringAnimation : public BasicAnimation {
public:
    static std::shared_ptr<SpringAnimation> make(std::string keyPath, double dampingRatio, double initialVelocity);
    double dampingRatio = 1.0;
    double initialVelocity = 0.0;

protected:
    double curve(double fraction) const override;
};

// ---- view animations ------------------------------------------------------

void animate(double duration, const std::function<void()>& animations, Completion completion = {});
void animate(double duration, double delay, unsigned options, const std::function<void()>& animations,
             Completion completion = {});
// The platform's spring animation with damping ratio and initial velocity.
void animateWithSpring(double duration, double delay, double dampingRatio, double initialVelocity, unsigned options,
                       const std::function<void()>& animations, Completion completion = {});
// Runs the block with implicit animations switched off.
void performWithoutAnimation(const std::function<void()>& block);
// True while inside an animation block.
bool isAnimating();

}  // namespace ui
