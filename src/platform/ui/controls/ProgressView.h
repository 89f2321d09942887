#pragma once

// A thin bar that fills from the left with the progress (0 to 1).

#include "platform/graphics/Color.h"
#include "platform/ui/View.h"

#include <optional>

namespace ui {

enum class ProgressViewStyle { Default = 0, Bar = 1 };

class ProgressView : public View {
public:
    static constexpr double kHeight = 2;

    explicit ProgressView(ProgressViewStyle style = ProgressViewStyle::Default);
    ProgressView(ProgressViewStyle style, const graphics::Rect& frame);

    ProgressViewStyle progressViewStyle() const { return style_; }
    void setProgressViewStyle(ProgressViewStyle style);
    double progress() const { return progress_; }
    // Clamped to 0...1; a value that is not a number counts as 0.
    void setProgress(double progress);
    void setProgress(double progress, bool animated);

    // The filled part takes the tint when unset.
    const std::optional<graphics::Color>& progressTintColor() const { return progressTint_; }
    void setProgressTintColor(std::optional<graphics::Color> color);
    // The unfilled part: light grey (clear for the bar style) when unset.
    const std::optional<graphics::Color>& trackTintColor() const { return trackTint_; }
    void setTrackTintColor(std::optional<graphics::Color> color);

    // The current width and the bar's height.
    graphics::Size sizeThatFits(graphics::Size size) const override;
    void layoutSubviews() override;
    void tintColorDidChange() override;

private:
    void updateColors();

    ProgressViewStyle style_;
    double progress_ = 0;
    std::optional<graphics::Color> progressTint_;
    std::optional<graphics::Color> trackTint_;
    ViewPtr fill_;
};

}  // namespace ui
