#include "app/capture/CaptureChromaKeyCamera.h"

#include "app/core/BundleImage.h"
#include "platform/foundation/Localized.h"

CaptureChromaKeyCamera::CaptureChromaKeyCamera() { setCaptureSourceID("CaptureChromaKeyCamera"); }

void CaptureChromaKeyCamera::initCaptureDevice() {
    isReadyToCapture_ = false;
    setError(foundation::Error{"CaptureChromaKeyCamera", 1,
                               foundation::localized("The green-screen camera is not available yet.")});
}

void CaptureChromaKeyCamera::captureImage() {
    if (auto* receiver = delegate()) receiver->captureControllerDidTakeImage(*this, graphics::Image());
}

void CaptureChromaKeyCamera::switchCaptureDevice() {}

std::string CaptureChromaKeyCamera::getCaptureSourceName() const { return "Green Screen"; }

graphics::Image CaptureChromaKeyCamera::getCaptureSourceMenuIcon() const {
    return bundleImageNamed("capturesource_icon_chroma.png").value_or(graphics::Image());
}
