#include "app/capture/SimulatorCamera.h"

#include "app/core/BundleImage.h"

graphics::Image SimulatorCamera::getDebugImage() const {
    auto image = bundleImageNamed("DEBUG_4.jpg");
    if (!image) image = bundleImageNamed("DEBUG_1080p.jpg");
    return image ? image->normalized() : graphics::Image();
}

void SimulatorCamera::initCaptureDevice() {
    CaptureController::initCaptureDevice();
    if (imageView_) imageView_->removeFromSuperview();
    imageView_ = ui::makeView<ui::ImageView>(view()->bounds());
    imageView_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    imageView_->setContentMode(ui::ContentMode::ScaleAspectFill);
    imageView_->setClipsToBounds(true);
    imageView_->setUserInteractionEnabled(true);
    imageView_->setImage(getDebugImage());
    view()->addSubview(imageView_);
}

void SimulatorCamera::captureImage() {
    if (auto* receiver = delegate()) {
        receiver->captureControllerDidTakeImage(*this, imageView_ ? imageView_->image() : graphics::Image());
    }
}
