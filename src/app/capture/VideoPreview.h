#pragma once

// The view in which the camera sources host their live preview layer. It
// follows the interface orientation: whenever the device turns (or the view
// is laid out) the layer is told the status bar's landscape orientation and
// resized to the view's bounds. Portrait orientations change nothing, since
// the screens that show it are landscape only.

#include "platform/capture/VideoPreviewLayer.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/View.h"

#include <cstdint>
#include <memory>

class VideoPreview : public ui::View {
public:
    VideoPreview();
    explicit VideoPreview(const graphics::Rect& frame);
    ~VideoPreview() override;

    const std::shared_ptr<capture::VideoPreviewLayer>& previewLayer() const { return previewLayer_; }
    void setPreviewLayer(std::shared_ptr<capture::VideoPreviewLayer> layer) { previewLayer_ = std::move(layer); }
    // Keeps the layer and shows it inside this view.
    void addPreviewLayer(std::shared_ptr<capture::VideoPreviewLayer> layer);

    // 3 landscape right, 4 landscape left (the platform's values): the
    // layer's video orientation and frame follow; nothing without a layer.
    void setOrientation(int64_t orientation);
    void deviceOrientationDidChange();
    void layoutSubviews() override;

private:
    void observeOrientation();

    std::shared_ptr<capture::VideoPreviewLayer> previewLayer_;
    foundation::ObserverToken orientationObserver_;
};
