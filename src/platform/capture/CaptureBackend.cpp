#include "platform/capture/CaptureDevice.h"
#include "platform/capture/QtCamera.h"
#include "platform/capture/SyntheticCamera.h"

#include <cstdlib>
#include <mutex>

namespace capture {

namespace {

std::mutex backendMutex;
std::shared_ptr<CaptureBackend> installed;

// "synthetic" gives a back and a front camera; "synthetic:0" and
// "synthetic:1" give none or only the back one.
std::shared_ptr<CaptureBackend> backendFromEnvironment() {
    const char* value = std::getenv(kCameraEnvironmentVariable);
    const std::string choice = value ? value : "";
    if (choice == "synthetic") return SyntheticCaptureBackend::withCameras(2);
    if (choice == "synthetic:0") return SyntheticCaptureBackend::withCameras(0);
    if (choice == "synthetic:1") return SyntheticCaptureBackend::withCameras(1);
    return std::make_shared<QtCaptureBackend>();
}

}  // namespace

CaptureBackend& captureBackend() {
    std::shared_ptr<CaptureBackend> backend;
    {
        std::lock_guard lock(backendMutex);
        if (!installed) installed = backendFromEnvironment();
        backend = installed;
    }
    return *backend;
}

void setCaptureBackend(std::shared_ptr<CaptureBackend> backend) {
    std::lock_guard lock(backendMutex);
    installed = std::move(backend);
}

std::vector<CaptureDevicePtr> videoDevices() { return captureBackend().videoDevices(); }

}  // namespace capture
