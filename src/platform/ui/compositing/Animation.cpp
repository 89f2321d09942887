#include "platform/ui/compositing/Animation.h"

#include "platform/foundation/RunLoop.h"
#include "platform/ui/compositing/AnimationContext.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace ui {

using graphics::Color;
using graphics::Point;
using graphics::Rect;
using graphics::Size;
using graphics::Transform3D;

// ---- timing curves --------------------------------------------------------------

TimingFunction TimingFunction::fromOptions(unsigned options) {
    switch (options & (3u << 16)) {
        case AnimationOptionCurveEaseIn:
            return easeIn();
        case AnimationOptionCurveEaseOut:
            return easeOut();
        case AnimationOptionCurveLinear:
            return linear();
        default:
            return easeInEaseOut();
    }
}

double TimingFunction::solve(double t) const {
    if (t <= 0) return 0;
    if (t >= 1) return 1;
    if (c1x == c1y && c2x == c2y) return t;  // a straight line
    // The curve's polynomial coefficients for x(u) and y(u), u in 0..1.
    const double cx = 3 * c1x, bx = 3 * (c2x - c1x) - cx, ax = 1 - cx - bx;
    const double cy = 3 * c1y, by = 3 * (c2y - c1y) - cy, ay = 1 - cy - by;
    auto x = [&](double u) { return ((ax * u + bx) * u + cx) * u; };
    auto dx = [&](double u) { return (3 * ax * u + 2 * bx) * u + cx; };
    // Newton's method converges in a few steps for the usual curves; where the
    // slope vanishes, bisection (x is monotonic for control x in 0..1) finishes.
    double u = t;
    for (int i = 0; i < 8; ++i) {
        double error = x(u) - t;
        if (std::fabs(error) < 1e-9) return ((ay * u + by) * u + cy) * u;
        double slope = dx(u);
        if (std::fabs(slope) < 1e-9) break;
        u -= error / slope;
    }
    double low = 0, high = 1;
    u = t;
    for (int i = 0; i < 60; ++i) {
        double value = x(u);
        if (std::fabs(value - t) < 1e-12) break;
        if (value < t)
            low = u;
        else
            high = u;
        u = (low + high) / 2;
    }
    return ((ay * u + by) * u + cy) * u;
}

// ---- animation timing ---------------------------------------------------------------

namespace {

double passCount(const Animation& a) { return a.repeatCount > 0 ? a.repeatCount : 1.0; }

}  // namespace

double Animation::endTime() const {
    if (std::isinf(repeatCount)) return std::numeric_limits<double>::infinity();
    double pass = std::max(0.0, duration) * (autoreverses ? 2 : 1);
    return beginTime + pass * passCount(*this);
}

std::optional<double> Animation::progressAt(double time) const {
    const double local = time - beginTime;
    const bool fillsBackwards = fillMode == FillMode::Backwards || fillMode == FillMode::Both;
    const bool fillsForwards = fillMode == FillMode::Forwards || fillMode == FillMode::Both;
    if (local < 0) return fillsBackwards ? std::optional<double>(0.0) : std::nullopt;
    const double total = endTime() - beginTime;
    if (local >= total && !fillsForwards) return std::nullopt;
    if (duration <= 0) return autoreverses ? 0.0 : 1.0;

    const double pass = duration * (autoreverses ? 2 : 1);
    double clamped = std::min(local, total);
    double cycles = std::floor(clamped / pass);
    double within = clamped - cycles * pass;
    // The very end of a pass belongs to that pass, not to the start of the next.
    if (clamped >= total && within == 0 && cycles > 0) within = pass;
    if (!autoreverses) return within / duration;
    return within <= duration ? within / duration : (pass - within) / duration;
}

// ---- value interpolation ---------------------------------------------------------------

namespace detail {

namespace {

double lerp(double a, double b, double p) { return a + (b - a) * p; }

// A 2D transform as scale, shear, rotation and translation, so that a turn
// interpolates as a turn instead of shrinking through the middle.
struct Affine2DParts {
    double scaleX, scaleY, shear, angle, tx, ty;
};

std::optional<Affine2DParts> decompose2D(const Transform3D& t) {
    double sx = std::hypot(t.m11, t.m12);
    if (sx < 1e-12) return std::nullopt;
    double ux = t.m11 / sx, uy = t.m12 / sx;
    double along = t.m21 * ux + t.m22 * uy;    // row 2 along row 1's direction
    double across = -t.m21 * uy + t.m22 * ux;  // and across it
    if (std::fabs(across) < 1e-12) return std::nullopt;
    return Affine2DParts{sx, across, along / across, std::atan2(uy, ux), t.m41, t.m42};
}

Transform3D recompose2D(const Affine2DParts& p) {
    double c = std::cos(p.angle), s = std::sin(p.angle);
    Transform3D t;
    t.m11 = p.scaleX * c;
    t.m12 = p.scaleX * s;
    t.m21 = p.scaleY * (p.shear * c - s);
    t.m22 = p.scaleY * (p.shear * s + c);
    t.m41 = p.tx;
    t.m42 = p.ty;
    return t;
}

Transform3D interpolateTransform(const Transform3D& a, const Transform3D& b, double p) {
    if (a.isAffine() && b.isAffine()) {
        auto pa = decompose2D(a), pb = decompose2D(b);
        if (pa && pb) {
            // The shorter way round, as a matrix cannot say which way it turned.
            double delta = pb->angle - pa->angle;
            if (delta > std::numbers::pi) delta -= 2 * std::numbers::pi;
            if (delta < -std::numbers::pi) delta += 2 * std::numbers::pi;
            return recompose2D({lerp(pa->scaleX, pb->scaleX, p), lerp(pa->scaleY, pb->scaleY, p),
                                lerp(pa->shear, pb->shear, p), pa->angle + delta * p, lerp(pa->tx, pb->tx, p),
                                lerp(pa->ty, pb->ty, p)});
        }
    }
    // Perspective and degenerate transforms: element by element.
    const double* x = &a.m11;
    const double* y = &b.m11;
    Transform3D r;
    double* out = &r.m11;
    for (int i = 0; i < 16; ++i) out[i] = lerp(x[i], y[i], p);
    return r;
}

Color interpolateColor(const Color& a, const Color& b, double p) {
    auto ca = a.rgba(), cb = b.rgba();
    if (!ca || !cb) return p < 0.5 ? a : b;  // patterns cannot blend
    auto channel = [&](double x, double y) { return std::clamp(lerp(x, y, p), 0.0, 1.0); };
    return Color::rgb(channel(ca->red, cb->red), channel(ca->green, cb->green), channel(ca->blue, cb->blue),
                      channel(ca->alpha, cb->alpha));
}

}  // namespace

AnimatableValue interpolate(const AnimatableValue& from, const AnimatableValue& to, double p) {
    if (from.index() != to.index()) return to;
    return std::visit(
        [&](const auto& a) -> AnimatableValue {
            using T = std::decay_t<decltype(a)>;
            const T& b = std::get<T>(to);
            if constexpr (std::is_same_v<T, double>) {
                return lerp(a, b, p);
            } else if constexpr (std::is_same_v<T, Point>) {
                return Point{lerp(a.x, b.x, p), lerp(a.y, b.y, p)};
            } else if constexpr (std::is_same_v<T, Size>) {
                return Size{lerp(a.width, b.width, p), lerp(a.height, b.height, p)};
            } else if constexpr (std::is_same_v<T, Rect>) {
                return Rect(lerp(a.origin.x, b.origin.x, p), lerp(a.origin.y, b.origin.y, p),
                            lerp(a.size.width, b.size.width, p), lerp(a.size.height, b.size.height, p));
            } else if constexpr (std::is_same_v<T, Transform3D>) {
                return interpolateTransform(a, b, p);
            } else {
                return interpolateColor(a, b, p);
            }
        },
        from);
}

// ---- springs -----------------------------------------------------------------------------

double springProgress(double dampingRatio, double initialVelocity, double duration, double time) {
    if (duration <= 0 || time >= duration) return 1;
    if (time <= 0) return 0;
    // The spring's stiffness is chosen so that its slowest decay brings it
    // within 1/10000 of the distance by the end of the duration; the jump to
    // rest at the end is then invisible.
    const double decay = std::log(1e4) / duration;
    // An undamped spring never settles; the weakest damping still does.
    const double zeta = std::max(dampingRatio, 0.02);
    const double v0 = initialVelocity;
    const double d0 = -1;  // displacement from the target at the start
    double d;
    if (zeta < 1 - 1e-6) {
        double omega = decay / zeta;
        double omegaD = omega * std::sqrt(1 - zeta * zeta);
        d = std::exp(-zeta * omega * time) *
            (d0 * std::cos(omegaD * time) + (v0 + zeta * omega * d0) / omegaD * std::sin(omegaD * time));
    } else if (zeta <= 1 + 1e-6) {
        double omega = decay;
        d = (d0 + (v0 + omega * d0) * time) * std::exp(-omega * time);
    } else {
        double root = std::sqrt(zeta * zeta - 1);
        double omega = decay / (zeta - root);
        double slow = omega * (zeta - root), fast = omega * (zeta + root);
        double a = (v0 + fast * d0) / (fast - slow);
        double b = d0 - a;
        d = a * std::exp(-slow * time) + b * std::exp(-fast * time);
    }
    return 1 + d;
}

}  // namespace detail

// ---- basic and spring animations -----------------------------------------------------------

std::shared_ptr<BasicAnimation> BasicAnimation::make(std::string keyPath) {
    auto animation = std::make_shared<BasicAnimation>();
    animation->keyPath = std::move(keyPath);
    return animation;
}

bool BasicAnimation::apply(LayerState& state, double time) const {
    auto fraction = progressAt(time);
    if (!fraction) return false;
    auto current = state.valueForKeyPath(keyPath);
    if (!current) return false;
    const AnimatableValue& from = fromValue ? *fromValue : *current;
    const AnimatableValue& to = toValue ? *toValue : *current;
    if (from.index() != current->index() || to.index() != current->index()) return false;
    state.setValueForKeyPath(keyPath, detail::interpolate(from, to, curve(*fraction)));
    return true;
}

std::shared_ptr<SpringAnimation> SpringAnimation::make(std::string keyPath, double dampingRatio,
                                                       double initialVelocity) {
    auto animation = std::make_shared<SpringAnimation>();
    animation->keyPath = std::move(keyPath);
    animation->dampingRatio = dampingRatio;
    animation->initialVelocity = initialVelocity;
    return animation;
}

double SpringAnimation::curve(double fraction) const {
    return detail::springProgress(dampingRatio, initialVelocity, duration, fraction * duration);
}

// ---- view animation blocks ---------------------------------------------------------------------

namespace {

// The animations of one block, whose completion runs once the last of them
// has ended; `finished` only when none was cut short.
struct CompletionGroup {
    Completion completion;
    int pending = 0;
    bool finished = true;
    bool closed = false;  // the block has returned, so no more animations join

    void animationEnded(bool animationFinished) {
        --pending;
        if (!animationFinished) finished = false;
        runIfDone();
    }
    void runIfDone() {
        if (!closed || pending > 0 || !completion) return;
        Completion done = std::move(completion);
        completion = nullptr;
        done(finished);
    }
};

struct BlockSettings {
    double duration = 0;
    double delay = 0;
    unsigned options = 0;
    bool spring = false;
    double dampingRatio = 1;
    double initialVelocity = 0;
};

class ViewAnimationBlock final : public detail::AnimationBlock {
public:
    ViewAnimationBlock(BlockSettings settings, std::shared_ptr<CompletionGroup> group)
        : settings_(settings), group_(std::move(group)) {}

    std::shared_ptr<Animation> makeAnimation(const std::string& keyPath, const AnimatableValue& from,
                                             const AnimatableValue& to) override {
        std::shared_ptr<BasicAnimation> animation;
        if (settings_.spring) {
            animation = SpringAnimation::make(keyPath, settings_.dampingRatio, settings_.initialVelocity);
        } else {
            animation = BasicAnimation::make(keyPath);
            animation->timingFunction = TimingFunction::fromOptions(settings_.options);
        }
        animation->fromValue = from;
        animation->toValue = to;
        animation->duration = settings_.duration;
        animation->beginTime = foundation::RunLoop::main().now() + settings_.delay;
        // During the delay the old value stays on screen.
        animation->fillMode = FillMode::Backwards;
        if (settings_.options & AnimationOptionRepeat) animation->repeatCount = std::numeric_limits<double>::infinity();
        animation->autoreverses = (settings_.options & AnimationOptionAutoreverse) != 0;
        ++group_->pending;
        animation->completion = [group = group_](bool finished) { group->animationEnded(finished); };
        made_.push_back(animation);
        return animation;
    }

    bool owns(const Animation& animation) const override {
        return std::any_of(made_.begin(), made_.end(),
                           [&](const std::weak_ptr<Animation>& a) { return a.lock().get() == &animation; });
    }

    void release(Animation& animation) override {
        if (!animation.completion) return;
        animation.completion = nullptr;
        --group_->pending;
    }

private:
    BlockSettings settings_;
    // The animations' completions keep it alive once the block returns.
    std::shared_ptr<CompletionGroup> group_;
    std::vector<std::weak_ptr<Animation>> made_;
};

// Main thread only, like every view. A null entry switches animations off
// (performWithoutAnimation).
std::vector<detail::AnimationBlock*>& blockStack() {
    static std::vector<detail::AnimationBlock*> stack;
    return stack;
}

// Pops the block even when the animations block throws.
struct BlockScope {
    explicit BlockScope(detail::AnimationBlock* block) { blockStack().push_back(block); }
    ~BlockScope() { blockStack().pop_back(); }
    BlockScope(const BlockScope&) = delete;
    BlockScope& operator=(const BlockScope&) = delete;
};

void runBlock(const BlockSettings& settings, const std::function<void()>& animations, Completion completion) {
    auto group = std::make_shared<CompletionGroup>();
    group->completion = std::move(completion);
    // With nothing to wait for the changes simply happen.
    const bool animated = settings.duration > 0 || settings.delay > 0;
    ViewAnimationBlock block(settings, group);
    {
        BlockScope scope(animated ? &block : nullptr);
        if (animations) animations();
    }
    group->closed = true;
    if (group->pending == 0 && group->completion) {
        // Like a real animation's, the completion comes from the run loop,
        // never from inside the caller's call.
        foundation::RunLoop::main().post([group] { group->runIfDone(); });
    }
}

}  // namespace

namespace detail {

AnimationBlock* currentAnimationBlock() {
    auto& stack = blockStack();
    return stack.empty() ? nullptr : stack.back();
}

}  // namespace detail

void animate(double duration, const std::function<void()>& animations, Completion completion) {
    animate(duration, 0, AnimationOptionNone, animations, std::move(completion));
}

void animate(double duration, double delay, unsigned options, const std::function<void()>& animations,
             Completion completion) {
    BlockSettings settings;
    settings.duration = std::max(0.0, duration);
    settings.delay = std::max(0.0, delay);
    settings.options = options;
    runBlock(settings, animations, std::move(completion));
}

void animateWithSpring(double duration, double delay, double dampingRatio, double initialVelocity, unsigned options,
                       const std::function<void()>& animations, Completion completion) {
    BlockSettings settings;
    settings.duration = std::max(0.0, duration);
    settings.delay = std::max(0.0, delay);
    settings.options = options;
    settings.spring = true;
    settings.dampingRatio = dampingRatio;
    settings.initialVelocity = initialVelocity;
    runBlock(settings, animations, std::move(completion));
}

void performWithoutAnimation(const std::function<void()>& block) {
    BlockScope scope(nullptr);
    if (block) block();
}

bool isAnimating() { return detail::currentAnimationBlock() != nullptr; }

}  // namespace ui
