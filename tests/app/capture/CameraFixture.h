#pragma once

// A capture source of type T on synthetic cameras, under a virtual clock,
// with a recording delegate; the interface held in landscape (3) and the
// stored camera position back (1) unless a test says otherwise.

#include "app/capture/RecordingDelegate.h"
#include "app/core/DataManager.h"
#include "platform/capture/SyntheticCamera.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/host/Application.h"
#include "support/VirtualClock.h"

#include <memory>

namespace capturetest {

template <class T>
struct CameraFixture {
    explicit CameraFixture(int cameras) : CameraFixture(capture::SyntheticCaptureBackend::withCameras(cameras)) {}
    explicit CameraFixture(std::shared_ptr<capture::SyntheticCaptureBackend> cameras) : backend(std::move(cameras)) {
        capture::setCaptureBackend(backend);
        DataManager::sharedDataManager().setAvCaptureDevicePosition(1);
        ui::Application::shared().setStatusBarOrientation(ui::InterfaceOrientation::LandscapeRight);
        source = std::make_shared<T>();
        source->view()->setFrame({0, 0, 1024, 768});
        source->setDelegate(&delegate);
    }
    ~CameraFixture() {
        source->stopCameraCapture();
        foundation::RunLoop::main().runUntilIdle();
        source.reset();
        capture::setCaptureBackend(nullptr);
    }

    // Moves time until the delegate holds `count` pictures; true when it does.
    bool waitForPictures(size_t count) {
        return foundation::RunLoop::main().runUntil([&] { return delegate.pictureCount() >= count; }, 10);
    }

    capture::SyntheticCameraDriver& driver(const char* uniqueID = "synthetic-back") {
        return *backend->driver(uniqueID);
    }

    testsupport::VirtualClockScope clock;
    std::shared_ptr<capture::SyntheticCaptureBackend> backend;
    RecordingDelegate delegate;
    std::shared_ptr<T> source;
};

}  // namespace capturetest
