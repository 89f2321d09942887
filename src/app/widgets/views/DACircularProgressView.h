#pragma once

// Progress as a filled pie inside a ring: a track disc, a progress sector
// from twelve o'clock, a hole of chosen thickness and an optional inner disc.
// Progress changes can animate; the indeterminate mode spins the view.

#include "platform/foundation/Timer.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/View.h"
#include "platform/ui/compositing/Animation.h"

#include <memory>
#include <optional>

// The drawn properties and the drawing of the ring. The view's layer carries
// the animations; this holds the model values they animate from and to.
class DACircularProgressLayer {
public:
    graphics::Color trackTintColor = graphics::Color::white().withAlpha(0.3);
    graphics::Color progressTintColor = graphics::Color::white();
    std::optional<graphics::Color> innerTintColor;
    int roundedCorners = 0;       // non-zero: round caps
    double thicknessRatio = 0.3;  // of the radius
    double progress = 0.0;
    int clockwiseProgress = 1;  // non-zero: clockwise

    // The highest progress drawn: a full sector would close the ring.
    static constexpr float kMaximumDrawnProgress = 0.99999988f;

    // Draws the ring for `drawnProgress` into a bounds of `size`.
    void drawInContext(graphics::GraphicsContext& context, graphics::Size size, double drawnProgress) const;
};

class DACircularProgressView : public ui::View {
public:
    static constexpr const char* kProgressAnimationKey = "progress";
    static constexpr const char* kIndeterminateAnimationKey = "indeterminateAnimation";

    // A view of 40 x 40 points.
    DACircularProgressView();
    explicit DACircularProgressView(const graphics::Rect& frame);
    ~DACircularProgressView() override;

    graphics::Color trackTintColor() const { return layer_.trackTintColor; }
    void setTrackTintColor(graphics::Color color);
    graphics::Color progressTintColor() const { return layer_.progressTintColor; }
    void setProgressTintColor(graphics::Color color);
    std::optional<graphics::Color> innerTintColor() const { return layer_.innerTintColor; }
    void setInnerTintColor(std::optional<graphics::Color> color);
    int roundedCorners() const { return layer_.roundedCorners; }
    void setRoundedCorners(int rounded);
    double thicknessRatio() const { return layer_.thicknessRatio; }
    // Clamped to 0...1.
    void setThicknessRatio(double ratio);
    int clockwiseProgress() const { return layer_.clockwiseProgress; }
    void setClockwiseProgress(int clockwise);

    // The model value: the target of a running animation only once it ended.
    double progress() const { return layer_.progress; }
    // The value on screen now, a running animation applied.
    double presentedProgress() const;
    void setProgress(double progress);
    void setProgress(double progress, bool animated);
    void setProgress(double progress, bool animated, double initialDelay);
    void setProgress(double progress, bool animated, double initialDelay, double duration);

    double indeterminateDuration() const { return indeterminateDuration_; }
    void setIndeterminateDuration(double seconds) { indeterminateDuration_ = seconds; }
    // Whether the spin is installed.
    int indeterminate() const;
    void setIndeterminate(int indeterminate);

    const DACircularProgressLayer& circularProgressLayer() const { return layer_; }

    void drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect) override;
    void didMoveToWindow() override;

private:
    class ProgressAnimation;
    void setUp();
    // Redraws every display frame while the progress animates.
    void startRedrawing();

    DACircularProgressLayer layer_;
    double indeterminateDuration_ = 2.0;
    foundation::TimerHandle redrawTimer_;
};
