#pragma once

// The spinning wheel of twelve spokes. While animating, the bright spoke
// steps round once a second on the main run loop's clock; a stopped
// indicator hides itself unless told otherwise.

#include "platform/foundation/Timer.h"
#include "platform/graphics/Color.h"
#include "platform/ui/View.h"

#include <optional>

namespace ui {

enum class ActivityIndicatorViewStyle { WhiteLarge = 0, White = 1, Gray = 2 };

class ActivityIndicatorView : public View {
public:
    static constexpr int kSpokeCount = 12;
    // Seconds for the bright spoke to go round once.
    static constexpr double kPeriod = 1.0;

    explicit ActivityIndicatorView(ActivityIndicatorViewStyle style = ActivityIndicatorViewStyle::White);
    ~ActivityIndicatorView() override;

    ActivityIndicatorViewStyle activityIndicatorViewStyle() const { return style_; }
    // Also resizes the view to the style's size.
    void setActivityIndicatorViewStyle(ActivityIndicatorViewStyle style);
    // The spokes' colour; the style's (white or grey) when unset.
    const std::optional<graphics::Color>& color() const { return color_; }
    void setColor(std::optional<graphics::Color> color);
    bool hidesWhenStopped() const { return hidesWhenStopped_; }
    void setHidesWhenStopped(bool hides);

    void startAnimating();
    void stopAnimating();
    bool isAnimating() const { return animating_; }

    // Which spoke (0 at twelve o'clock, clockwise) is the bright one now.
    int currentStep() const;

    graphics::Size sizeThatFits(graphics::Size size) const override;
    void drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect) override;

private:
    double diameter() const;

    ActivityIndicatorViewStyle style_;
    std::optional<graphics::Color> color_;
    bool hidesWhenStopped_ = true;
    bool animating_ = false;
    double startTime_ = 0;
    foundation::TimerHandle timer_;
};

}  // namespace ui
