#pragma once

// The brush-size popover: a slider with minus and plus buttons over a live
// preview disc in the brush's colour. The slider moves in whole steps; the
// brush takes its value at once, so the canvas draws with it.

#include "app/painter/PainterBrush.h"
#include "platform/foundation/Lifetime.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Slider.h"

#include <memory>

class PainterToolSizeBrushView : public ui::View {
public:
    explicit PainterToolSizeBrushView(const graphics::Rect& frame);
    const std::shared_ptr<PainterBrush>& brush() const { return brush_; }
    void setBrush(std::shared_ptr<PainterBrush> brush);
    void drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect) override;

private:
    std::shared_ptr<PainterBrush> brush_;
};

class PainterToolSizeViewController : public ui::ViewController {
public:
    static constexpr double kMinimumSize = 1;
    static constexpr double kMaximumSize = 60;

    PainterToolSizeViewController();

    void loadView() override;
    void viewDidLoad() override;

    // Set before the view is shown.
    const std::shared_ptr<PainterBrush>& brush() const { return brush_; }
    void setBrush(std::shared_ptr<PainterBrush> brush) { brush_ = std::move(brush); }

    void actionValueChanged();
    void actionPlus();
    void actionMinus();
    // The brush takes the slider's value (whole points); the preview redraws.
    void updateValues();
    graphics::Size contentSizeForViewInPopover();

    PainterToolSizeBrushView* viewBrush() const { return viewBrush_.get(); }
    ui::Slider* sliderSize() const { return sliderSize_.get(); }
    ui::Button* btnPlus() const { return btnPlus_.get(); }
    ui::Button* btnMinus() const { return btnMinus_.get(); }

private:
    std::shared_ptr<PainterToolSizeBrushView> viewBrush_;
    std::shared_ptr<ui::Slider> sliderSize_;
    std::shared_ptr<ui::Button> btnPlus_, btnMinus_;
    std::shared_ptr<PainterBrush> brush_;
    foundation::LifeToken life_;
};
