#include "app/capture/VideoPreview.h"

#include "platform/ui/host/Application.h"
#include "platform/ui/host/Device.h"

VideoPreview::VideoPreview() { observeOrientation(); }

VideoPreview::VideoPreview(const graphics::Rect& frame) : ui::View(frame) { observeOrientation(); }

VideoPreview::~VideoPreview() {
    orientationObserver_.reset();
    ui::Device::current().endGeneratingDeviceOrientationNotifications();
}

void VideoPreview::observeOrientation() {
    ui::Device::current().beginGeneratingDeviceOrientationNotifications();
    // Views live and die on the main thread, where the notification is
    // posted; the token ends the observation before the view goes.
    orientationObserver_ = foundation::NotificationCenter::defaultCenter().addObserver(
        ui::Device::OrientationDidChangeNotification, nullptr,
        [this](const foundation::Notification&) { deviceOrientationDidChange(); });
}

void VideoPreview::addPreviewLayer(std::shared_ptr<capture::VideoPreviewLayer> layer) {
    if (previewLayer_ && previewLayer_ != layer) previewLayer_->removeFromSuperview();
    previewLayer_ = std::move(layer);
    if (previewLayer_) addSubview(previewLayer_);
}

void VideoPreview::setOrientation(int64_t orientation) {
    if (!previewLayer_) return;
    previewLayer_->setVideoOrientation(static_cast<int>(orientation));
    previewLayer_->setFrame(bounds());
}

void VideoPreview::deviceOrientationDidChange() {
    const auto orientation = ui::Application::shared().statusBarOrientation();
    if (orientation == ui::InterfaceOrientation::LandscapeRight ||
        orientation == ui::InterfaceOrientation::LandscapeLeft) {
        setOrientation(static_cast<int64_t>(orientation));
    }
}

void VideoPreview::layoutSubviews() { deviceOrientationDidChange(); }
