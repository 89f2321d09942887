#include "platform/capture/QtCamera.h"

#include <QMediaDevices>
#include <gtest/gtest.h>

namespace {

TEST(QtCamera, ACameraWithoutPositionCountsAsBackAndOffersWhatItDescribes) {
    const QCameraDevice nothing;
    EXPECT_EQ(capture::positionOfCamera(nothing), capture::DevicePosition::Back);
    const auto capabilities = capture::capabilitiesOfCamera(nothing);
    EXPECT_EQ(capabilities.sessionPresets, std::vector<std::string>{capture::kSessionPresetPhoto});
    EXPECT_EQ(capabilities.photoSize.width, 0);
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
