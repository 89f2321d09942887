#pragma once

// A source that draws a view (or the view of a layer) into a bitmap and
// pushes it to its targets with a running frame time.

#include "components/gpuimage/GPUImageOutput.h"

#include <optional>

namespace ui {
class Layer;
class View;
}  // namespace ui

namespace gpuimage {

class GPUImageUIElement : public GPUImageOutput {
public:
    // The view is not owned: the caller keeps it alive while this element
    // may update. Both draw once at once.
    explicit GPUImageUIElement(ui::View& view);
    explicit GPUImageUIElement(ui::Layer& layer);

    // The layer's bounds size in pixels at the screen's scale.
    graphics::Size layerSizeInPixels() const;
    // On the main thread: draws the view, uploads it and pushes it to every
    // target but the ignored one. The first frame is at time 0; later ones
    // add the seconds passed since, at timescale 600.
    void update();
    FrameTime time() const { return time_; }

private:
    ui::View* view_;
    ui::Layer* layer_;
    FrameTime time_ = FrameTime::invalid();
    std::optional<double> actualTimeOfLastUpdate_;
};

}  // namespace gpuimage
