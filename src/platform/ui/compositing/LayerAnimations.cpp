// The animation side of Layer: the animations it holds, their end timers and
// completions, the presentation state, and implicit animations for model
// changes made inside view animation blocks.

#include "platform/foundation/RunLoop.h"
#include "platform/ui/View.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/compositing/AnimationContext.h"
#include "platform/ui/compositing/Layer.h"

#include <algorithm>
#include <cmath>

namespace ui {

using foundation::RunLoop;

namespace {

// Completions of animations that did not finish run from the run loop, so a
// caller replacing an animation is never re-entered by the old one's block.
void postUnfinished(std::vector<Completion> completions) {
    if (completions.empty()) return;
    RunLoop::main().post([completions = std::move(completions)] {
        for (const Completion& completion : completions) completion(false);
    });
}

}  // namespace

Layer::~Layer() {
    std::vector<Completion> unfinished;
    for (AnimationEntry& entry : animations_) {
        if (auto completion = detach(entry)) unfinished.push_back(std::move(completion));
    }
    animations_.clear();
    postUnfinished(std::move(unfinished));
}

std::function<void(bool)> Layer::detach(AnimationEntry& entry) {
    if (entry.endTimer) entry.endTimer->invalidate();
    entry.endTimer.reset();
    Completion completion = std::move(entry.animation->completion);
    entry.animation->completion = nullptr;
    return completion;
}

void Layer::changed(const std::string& keyPath, const AnimatableValue& from, const AnimatableValue& to) {
    if (view_) view_->setNeedsComposite();
    detail::AnimationBlock* block = detail::currentAnimationBlock();
    if (!block || !view_) return;
    // A view still being constructed (its shared owner not yet attached) has
    // never been on screen: it starts where it is put instead of flying in
    // from an empty frame.
    if (view_->weak_from_this().expired()) return;

    // The value on screen: the old model value under the running animations
    // of this key path. Animations of other key paths stay on top as they are.
    const double now = RunLoop::main().now();
    LayerState onScreen = model_;
    onScreen.setValueForKeyPath(keyPath, from);
    for (const AnimationEntry& entry : animations_) {
        if (entry.animation->keyPath == keyPath) entry.animation->apply(onScreen, now);
    }
    auto start = onScreen.valueForKeyPath(keyPath);
    if (!start) return;

    if (auto previous = animation(keyPath); previous && block->owns(*previous)) block->release(*previous);
    addAnimation(block->makeAnimation(keyPath, *start, to), keyPath);
}

void Layer::addAnimation(std::shared_ptr<Animation> animation, const std::string& key) {
    if (!animation) return;
    std::string name = key;
    if (name.empty()) {
        // Characters no caller uses in a key, so the made-up one never clashes.
        do {
            name =
                "\x1f"
                "animation-" +
                std::to_string(nextAnimationKey_++);
        } while (this->animation(name));
    }
    removeAnimation(name);

    RunLoop& loop = RunLoop::main();
    const double now = loop.now();
    if (animation->beginTime == 0) animation->beginTime = now;

    AnimationEntry entry{name, animation, nullptr};
    const double end = animation->endTime();
    if (std::isfinite(end)) {
        entry.endTimer =
            loop.scheduleTimer(std::max(0.0, end - now), false, [this](foundation::Timer&) { finishedAnimations(); });
    }
    animations_.push_back(std::move(entry));
    if (view_) view_->setNeedsComposite();
}

void Layer::finishedAnimations() {
    const double now = RunLoop::main().now();
    std::vector<Completion> finished;
    for (auto it = animations_.begin(); it != animations_.end();) {
        Animation& animation = *it->animation;
        if (animation.endTime() > now) {
            ++it;
            continue;
        }
        if (auto completion = detach(*it)) finished.push_back(std::move(completion));
        if (animation.removedOnCompletion)
            it = animations_.erase(it);
        else
            ++it;
    }
    if (view_) view_->setNeedsComposite();
    // Completions may remove the view and with it this layer: nothing of
    // ours is touched from here on.
    for (const Completion& completion : finished) completion(true);
}

void Layer::removeAnimation(const std::string& key) {
    auto it = std::find_if(animations_.begin(), animations_.end(),
                           [&](const AnimationEntry& entry) { return entry.key == key; });
    if (it == animations_.end()) return;
    Completion completion = detach(*it);
    animations_.erase(it);
    if (view_) view_->setNeedsComposite();
    if (completion) postUnfinished({std::move(completion)});
}

void Layer::removeAllAnimations() {
    std::vector<Completion> unfinished;
    for (AnimationEntry& entry : animations_) {
        if (auto completion = detach(entry)) unfinished.push_back(std::move(completion));
    }
    const bool hadAnimations = !animations_.empty();
    animations_.clear();
    if (hadAnimations && view_) view_->setNeedsComposite();
    postUnfinished(std::move(unfinished));
}

std::shared_ptr<Animation> Layer::animation(const std::string& key) const {
    for (const AnimationEntry& entry : animations_) {
        if (entry.key == key) return entry.animation;
    }
    return nullptr;
}

std::vector<std::string> Layer::animationKeys() const {
    std::vector<std::string> keys;
    keys.reserve(animations_.size());
    for (const AnimationEntry& entry : animations_) keys.push_back(entry.key);
    return keys;
}

LayerState Layer::presentation() const { return presentationAt(RunLoop::main().now()); }

LayerState Layer::presentationAt(double time) const {
    LayerState state = model_;
    for (const AnimationEntry& entry : animations_) entry.animation->apply(state, time);
    return state;
}

}  // namespace ui
