#include "platform/capture/QtCamera.h"

#include <QMediaDevices>
#include <gtest/gtest.h>

namespace {

TEST(QtCamera, ACameraWithoutPositionHasNoneAndOffersWhatItDescribes) {
    // As Qt 6.4's FFmpeg and GStreamer backends describe every V4L2 camera.
    const QCameraDevice nothing;
    EXPECT_EQ(capture::positionOfCamera(nothing), capture::DevicePosition::Unspecified);
    const auto capabilities = capture::capabilitiesOfCamera(nothing);
    EXPECT_EQ(capabilities.sessionPresets, std::vector<std::string>{capture::kSessionPresetPhoto});
    EXPECT_EQ(capabilities.photoSize.width, 0);
}

TEST(QtCamera, WhatTheBackendsSayOfACameraAnotherProgramStreamsMeansInUse) {
    struct Case {
        const char* message;
        int64_t code;
        const char* description;
    };
    const Case cases[] = {
        {"Camera is in use.", capture::kCaptureErrorDeviceInUse, "The camera is in use by another program."},
        {"Device '/dev/video0' is busy", capture::kCaptureErrorDeviceInUse, "The camera is in use by another program."},
        {"Cannot open camera", capture::kCaptureErrorDeviceNotAvailable, "Cannot open camera"},
        {"", capture::kCaptureErrorDeviceNotAvailable, "The camera cannot be opened."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const foundation::Error error = capture::backendCameraError(c.message);
        EXPECT_EQ(error.code, c.code);
        EXPECT_EQ(error.description, c.description);
        // The backend's own words stay beneath the meaning given to them.
        ASSERT_EQ(error.underlying != nullptr, c.code == capture::kCaptureErrorDeviceInUse);
        EXPECT_EQ(error.underlying ? error.underlying->description : c.message, c.message);
    }
}

TEST(QtCamera, FormatNearestTheSizeThenHoldingTheFrameRate) {
    using capture::CameraFormatChoice;
    const std::vector<CameraFormatChoice> formats = {
        {640, 480, 5, 30}, {1280, 720, 5, 10}, {1280, 720, 15, 60}, {1280, 720, 5, 25}, {1920, 1080, 5, 30},
    };
    struct Case {
        graphics::Size size;
        double framesPerSecond;
        std::optional<size_t> expected;
    };
    const Case cases[] = {
        {{1280, 720}, 0, 2},    // the camera's own pace: the fastest
        {{1280, 720}, 25, 2},   // 15-60 and 5-25 both hold 25: the faster
        {{1280, 720}, 8, 3},    // 15-60 does not hold 8; of the two that do, the faster
        {{1280, 720}, 100, 2},  // none holds it: the fastest
        {{600, 450}, 30, 0},   {{4000, 3000}, 0, 4},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(capture::chooseCameraFormat(formats, c.size, c.framesPerSecond), c.expected)
            << c.size.width << " at " << c.framesPerSecond;
    }
    EXPECT_EQ(capture::chooseCameraFormat({}, {640, 480}, 30), std::nullopt);
}

TEST(QtCamera, BackendListsTheMachinesCameras) {
    capture::QtCaptureBackend backend;
    const auto devices = backend.videoDevices();
    EXPECT_EQ(devices.size(), size_t(QMediaDevices::videoInputs().size()));
    // The same camera keeps its device object between calls.
    const auto again = backend.videoDevices();
    ASSERT_EQ(again.size(), devices.size());
    for (size_t i = 0; i < devices.size(); ++i) EXPECT_EQ(devices[i], again[i]);
}

}  // namespace
