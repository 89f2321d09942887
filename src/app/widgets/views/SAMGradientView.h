#pragma once

// A view that fills itself with a linear or radial gradient and can draw
// thin lines along its edges, each with an optional inset line inside it.
// While the view's tint is dimmed (a modal panel over it) the gradient is
// drawn in its dimmed colours: the given ones, or greys of the same
// brightness when none are given.

#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/View.h"

#include <optional>
#include <vector>

enum class SAMGradientViewMode { Linear = 0, Radial = 1 };
enum class SAMGradientViewDirection { Vertical = 0, Horizontal = 1 };

class SAMGradientView : public ui::View {
public:
    // The platform's tint adjustment modes; Dimmed greys the gradient.
    enum class TintAdjustmentMode { Automatic = 0, Normal = 1, Dimmed = 2 };

    SAMGradientView();
    explicit SAMGradientView(const graphics::Rect& frame);

    // The gradient drawn now; none with fewer than two colours.
    const std::optional<graphics::Gradient>& gradient() const { return gradient_; }

    const std::vector<graphics::Color>& gradientColors() const { return gradientColors_; }
    void setGradientColors(std::vector<graphics::Color> colors);
    const std::vector<double>& gradientLocations() const { return gradientLocations_; }
    void setGradientLocations(std::vector<double> locations);
    // Without colours of its own: each gradient colour with no saturation.
    std::vector<graphics::Color> dimmedGradientColors() const;
    void setDimmedGradientColors(std::vector<graphics::Color> colors);

    SAMGradientViewMode gradientMode() const { return mode_; }
    void setGradientMode(SAMGradientViewMode mode);
    SAMGradientViewDirection gradientDirection() const { return direction_; }
    void setGradientDirection(SAMGradientViewDirection direction);
    // Edge lines of one pixel instead of one point.
    bool useThinBorders() const { return useThinBorders_; }
    void setUseThinBorders(bool thin);

    // Edge and inset line colours; none draws no line.
    struct Edge {
        std::optional<graphics::Color> border;
        std::optional<graphics::Color> inset;
    };
    const Edge& topEdge() const { return top_; }
    const Edge& rightEdge() const { return right_; }
    const Edge& bottomEdge() const { return bottom_; }
    const Edge& leftEdge() const { return left_; }
    void setTopBorderColor(std::optional<graphics::Color> color);
    void setTopInsetColor(std::optional<graphics::Color> color);
    void setRightBorderColor(std::optional<graphics::Color> color);
    void setRightInsetColor(std::optional<graphics::Color> color);
    void setBottomBorderColor(std::optional<graphics::Color> color);
    void setBottomInsetColor(std::optional<graphics::Color> color);
    void setLeftBorderColor(std::optional<graphics::Color> color);
    void setLeftInsetColor(std::optional<graphics::Color> color);

    TintAdjustmentMode tintAdjustmentMode() const { return tintAdjustmentMode_; }
    void setTintAdjustmentMode(TintAdjustmentMode mode);

    void tintColorDidChange() override;
    void drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect) override;

private:
    void setUp();
    void updateGradient();
    void setEdgeColor(std::optional<graphics::Color>& slot, std::optional<graphics::Color> color);

    std::optional<graphics::Gradient> gradient_;
    std::vector<graphics::Color> gradientColors_;
    std::vector<double> gradientLocations_;
    std::optional<std::vector<graphics::Color>> dimmedGradientColors_;
    SAMGradientViewMode mode_ = SAMGradientViewMode::Linear;
    SAMGradientViewDirection direction_ = SAMGradientViewDirection::Vertical;
    bool useThinBorders_ = false;
    Edge top_, right_, bottom_, left_;
    TintAdjustmentMode tintAdjustmentMode_ = TintAdjustmentMode::Automatic;
};
