// Cameras whose controls are a fake V4L2 device table: what they offer, what
// a lock and an unlock write, what is read back, and failures.

#include "platform/capture/CameraControls.h"
#include "platform/capture/SyntheticCamera.h"
#include "platform/capture/V4l2Node.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "support/FakeV4l2Device.h"
#include "support/RunFolder.h"
#include "support/TestFiles.h"
#include "support/VirtualClock.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <linux/videodev2.h>

namespace {

using namespace capture;
using testsupport::FakeV4l2Device;
using Writes = std::vector<std::pair<uint32_t, int32_t>>;

constexpr unsigned kLockAndContinuous = 0b101;

struct Camera {
    explicit Camera(std::shared_ptr<FakeV4l2Device> table) : node(std::move(table)) {
        auto config = SyntheticCaptureBackend::backCamera();
        config.controlNode = node;
        backend = std::make_shared<SyntheticCaptureBackend>(std::vector<SyntheticCameraConfig>{config});
        device = backend->videoDevices().at(0);
        node->writes.clear();
    }
    // One configuration: lock, change, unlock; the unlock's outcome.
    foundation::Status change(const std::function<void(CaptureDevice&)>& body) {
        EXPECT_TRUE(device->lockForConfiguration());
        body(*device);
        return device->unlockForConfiguration();
    }
    Writes takeWrites() { return std::exchange(node->writes, {}); }

    testsupport::VirtualClockScope clock;
    std::shared_ptr<FakeV4l2Device> node;
    std::shared_ptr<SyntheticCaptureBackend> backend;
    CaptureDevicePtr device;
};

TEST(CameraControls, TheDeviceTableDecidesWhatIsOffered) {
    struct Row {
        const char* name;
        std::shared_ptr<FakeV4l2Device> (*table)();
        unsigned focus, exposure, whiteBalance;
        float minBias, maxBias;
    };
    const Row rows[] = {
        {"webcam", FakeV4l2Device::webcam, kLockAndContinuous, kLockAndContinuous, kLockAndContinuous, -2, 2},
        {"webcam with bias", FakeV4l2Device::webcamWithExposureBias, kLockAndContinuous, kLockAndContinuous,
         kLockAndContinuous, -2, 2},
        {"auto exposure only", FakeV4l2Device::autoExposureOnly, 0, kLockAndContinuous, 0, -2, 2},
        {"no controls", FakeV4l2Device::noControls, 0, 0, 0, 0, 0},
        // It refuses only when asked.
        {"refusing writes", FakeV4l2Device::refusingWrites, kLockAndContinuous, kLockAndContinuous, kLockAndContinuous,
         -2, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Camera camera(row.table());
        const DeviceCapabilities& offered = camera.device->capabilities();
        EXPECT_EQ(offered.focusModes, row.focus);
        EXPECT_EQ(offered.exposureModes, row.exposure);
        EXPECT_EQ(offered.whiteBalanceModes, row.whiteBalance);
        EXPECT_FALSE(camera.device->isFocusPointOfInterestSupported()) << "V4L2 has no focus point";
        EXPECT_EQ(camera.device->supportsExposureTargetBias(), row.maxBias != 0);
        EXPECT_EQ(camera.device->minExposureTargetBias(), row.minBias);
        EXPECT_EQ(camera.device->maxExposureTargetBias(), row.maxBias);
        // Every table starts in its automatic modes, read from the device.
        EXPECT_EQ(camera.device->exposureMode(), CaptureMode::ContinuousAutomatic);
        EXPECT_EQ(camera.device->exposureTargetBias(), 0);
        EXPECT_TRUE(camera.node->writes.empty()) << "asking writes nothing";
    }
    // A camera set by hand only, and one whose automatic exposure cannot be
    // turned off: neither can toggle, and neither claims what it is not.
    auto manual = FakeV4l2Device::autoExposureOnly();
    manual->controls.erase(V4L2_CID_EXPOSURE_AUTO);
    EXPECT_EQ(Camera(manual).device->exposureMode(), CaptureMode::Locked);
    EXPECT_EQ(Camera(manual).device->capabilities().exposureModes, 0b001u);
    auto automaticOnly = FakeV4l2Device::autoExposureOnly();
    automaticOnly->control(V4L2_CID_EXPOSURE_AUTO)
        .info.menu.erase(automaticOnly->control(V4L2_CID_EXPOSURE_AUTO).info.menu.begin());
    EXPECT_EQ(Camera(automaticOnly).device->capabilities().exposureModes, 0b100u);
    EXPECT_FALSE(Camera(automaticOnly).device->supportsExposureTargetBias());
}

TEST(CameraControls, LockKeepsTheReachedValueAndUnlockRestoresTheAutomatic) {
    struct Switch {
        const char* name;
        bool (CaptureDevice::*set)(CaptureMode);
        CaptureMode (CaptureDevice::*mode)() const;
        Writes lock, unlock;
        uint32_t absolute;
        int32_t reached;
    };
    const Switch switches[] = {
        {"exposure",
         &CaptureDevice::setExposureMode,
         &CaptureDevice::exposureMode,
         {{V4L2_CID_EXPOSURE_AUTO, V4L2_EXPOSURE_MANUAL},
          {V4L2_CID_EXPOSURE_ABSOLUTE, FakeV4l2Device::kExposureReached},
          {V4L2_CID_EXPOSURE_AUTO_PRIORITY, 0}},
         {{V4L2_CID_EXPOSURE_AUTO, V4L2_EXPOSURE_APERTURE_PRIORITY}, {V4L2_CID_EXPOSURE_AUTO_PRIORITY, 1}},
         V4L2_CID_EXPOSURE_ABSOLUTE,
         FakeV4l2Device::kExposureReached},
        {"focus",
         &CaptureDevice::setFocusMode,
         &CaptureDevice::focusMode,
         {{V4L2_CID_FOCUS_AUTO, 0}, {V4L2_CID_FOCUS_ABSOLUTE, FakeV4l2Device::kFocusReached}},
         {{V4L2_CID_FOCUS_AUTO, 1}},
         V4L2_CID_FOCUS_ABSOLUTE,
         FakeV4l2Device::kFocusReached},
        {"white balance",
         &CaptureDevice::setWhiteBalanceMode,
         &CaptureDevice::whiteBalanceMode,
         {{V4L2_CID_AUTO_WHITE_BALANCE, 0}, {V4L2_CID_WHITE_BALANCE_TEMPERATURE, FakeV4l2Device::kTemperatureReached}},
         {{V4L2_CID_AUTO_WHITE_BALANCE, 1}},
         V4L2_CID_WHITE_BALANCE_TEMPERATURE,
         FakeV4l2Device::kTemperatureReached},
    };
    for (const Switch& control : switches) {
        SCOPED_TRACE(control.name);
        Camera camera(FakeV4l2Device::webcam());
        ASSERT_TRUE(camera.change([&](CaptureDevice& device) { (device.*control.set)(CaptureMode::Locked); }).ok());
        EXPECT_EQ(camera.takeWrites(), control.lock);
        EXPECT_EQ((*camera.device.*control.mode)(), CaptureMode::Locked);
        // Off automatic, the camera shows the kept value, not its old hand-set one.
        EXPECT_EQ(camera.node->current(control.absolute), control.reached);

        ASSERT_TRUE(
            camera.change([&](CaptureDevice& device) { (device.*control.set)(CaptureMode::ContinuousAutomatic); })
                .ok());
        EXPECT_EQ(camera.takeWrites(), control.unlock);
        EXPECT_EQ((*camera.device.*control.mode)(), CaptureMode::ContinuousAutomatic);
    }
}

TEST(CameraControls, ModesAreReadFromTheDeviceNotRememberedFromTheAsking) {
    Camera camera(FakeV4l2Device::webcam());
    // Another program (v4l2-ctl) locks the white balance meanwhile.
    camera.node->control(V4L2_CID_AUTO_WHITE_BALANCE).value = 0;
    ASSERT_TRUE(camera.device->lockForConfiguration());
    EXPECT_EQ(camera.device->whiteBalanceMode(), CaptureMode::Locked);
    camera.device->setFocusMode(CaptureMode::Locked);
    // A lock asked of a busy focus is not reported as taken.
    camera.node->control(V4L2_CID_FOCUS_AUTO).refuseWrites = EBUSY;
    EXPECT_FALSE(camera.device->unlockForConfiguration().ok());
    EXPECT_EQ(camera.device->focusMode(), CaptureMode::ContinuousAutomatic) << "never locked unless it is";
    EXPECT_EQ(camera.device->whiteBalanceMode(), CaptureMode::Locked);
}

TEST(CameraControls, RefusedControlsNeverShowLockedAndAreNoLongerOffered) {
    Camera camera(FakeV4l2Device::refusingWrites());
    struct Attempt {
        const char* what;
        std::function<void(CaptureDevice&)> body;
        CaptureMode (CaptureDevice::*mode)() const;
        unsigned DeviceCapabilities::*offered;
    };
    const Attempt attempts[] = {
        {"exposure", [](CaptureDevice& d) { d.setExposureMode(CaptureMode::Locked); }, &CaptureDevice::exposureMode,
         &DeviceCapabilities::exposureModes},
        {"focus", [](CaptureDevice& d) { d.setFocusMode(CaptureMode::Locked); }, &CaptureDevice::focusMode,
         &DeviceCapabilities::focusModes},
        {"white balance", [](CaptureDevice& d) { d.setWhiteBalanceMode(CaptureMode::Locked); },
         &CaptureDevice::whiteBalanceMode, &DeviceCapabilities::whiteBalanceModes},
    };
    for (const Attempt& attempt : attempts) {
        SCOPED_TRACE(attempt.what);
        const foundation::Status outcome = camera.change(attempt.body);
        ASSERT_FALSE(outcome.ok());
        EXPECT_EQ(outcome.error().code, kCaptureErrorControlRefused);
        EXPECT_EQ(outcome.error().description, std::string("The camera refused to change its ") + attempt.what + ".");
        ASSERT_TRUE(outcome.error().underlying);
        EXPECT_EQ(outcome.error().underlying->code, EINVAL);
        EXPECT_EQ((*camera.device.*attempt.mode)(), CaptureMode::ContinuousAutomatic);
        // Neither a lock nor an automatic mode it cannot set any more.
        EXPECT_EQ(camera.device->capabilities().*attempt.offered, 0u);
    }
    // The brightness goes the same way, and with the exposure refused no bias is left.
    const foundation::Status bias = camera.change([](CaptureDevice& d) { d.setExposureTargetBias(1); });
    EXPECT_EQ(bias.error().description, "The camera refused to change its exposure bias.");
    EXPECT_FALSE(camera.device->supportsExposureTargetBias());
    EXPECT_EQ(camera.device->exposureTargetBias(), 0);
    EXPECT_TRUE(camera.node->writes.empty());
}

TEST(CameraControls, ALockThatFailsHalfWayIsUndone) {
    struct Case {
        int error;
        int64_t code;
        const char* description;
        unsigned offeredAfter;
    };
    const Case cases[] = {
        // Busy: the message, and the lock is still offered for a later try.
        {EBUSY, kCaptureErrorControlFailed, "The camera could not change its exposure: Device or resource busy.",
         kLockAndContinuous},
        {EINVAL, kCaptureErrorControlRefused, "The camera refused to change its exposure.", 0b100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        Camera camera(FakeV4l2Device::webcam());
        camera.node->control(V4L2_CID_EXPOSURE_ABSOLUTE).refuseWrites = c.error;
        const foundation::Status outcome =
            camera.change([](CaptureDevice& d) { d.setExposureMode(CaptureMode::Locked); });
        ASSERT_FALSE(outcome.ok());
        EXPECT_EQ(outcome.error().code, c.code);
        EXPECT_EQ(outcome.error().description, c.description);
        // Automatic off, then back on: never left off with the value unkept.
        EXPECT_EQ(camera.takeWrites(), (Writes{{V4L2_CID_EXPOSURE_AUTO, V4L2_EXPOSURE_MANUAL},
                                               {V4L2_CID_EXPOSURE_AUTO, V4L2_EXPOSURE_APERTURE_PRIORITY}}));
        EXPECT_EQ(camera.device->exposureMode(), CaptureMode::ContinuousAutomatic);
        EXPECT_EQ(camera.device->capabilities().exposureModes, c.offeredAfter);
    }
}

TEST(CameraControls, ADeviceThatVanishesBetweenQueryAndSetIsDisconnected) {
    Camera camera(FakeV4l2Device::webcam());
    int posted = 0;
    auto token = foundation::NotificationCenter::defaultCenter().addObserver(
        kDeviceWasDisconnectedNotification, camera.device.get(), [&](const foundation::Notification&) { ++posted; });
    ASSERT_TRUE(camera.device->lockForConfiguration());
    camera.device->setExposureMode(CaptureMode::Locked);
    camera.node->vanishAfterCalls = camera.node->calls;
    const foundation::Status outcome = camera.device->unlockForConfiguration();
    ASSERT_FALSE(outcome.ok());
    EXPECT_EQ(outcome.error().code, kCaptureErrorDeviceDisconnected);
    EXPECT_EQ(outcome.error().description, "The camera is not connected.");
    EXPECT_EQ(camera.device->exposureMode(), CaptureMode::ContinuousAutomatic) << "as last read, not as asked";
    EXPECT_FALSE(camera.device->isConnected());
    EXPECT_EQ(camera.device->capabilities().exposureModes, 0u);
    EXPECT_FALSE(camera.device->supportsExposureTargetBias());
    foundation::RunLoop::main().runUntilIdle();
    EXPECT_EQ(posted, 1);
    EXPECT_FALSE(camera.device->lockForConfiguration());
}

TEST(CameraControls, TheBiasIsTheDevicesBiasItsBrightnessOrItsExposureTime) {
    struct Step {
        float asked;
        Writes written;
        float readBack;
        CaptureMode exposure;
    };
    struct Row {
        const char* name;
        std::shared_ptr<FakeV4l2Device> (*table)();
        std::vector<Step> steps;
    };
    const Row rows[] = {
        {"brightness −64…64 around 0",
         FakeV4l2Device::webcam,
         {{1, {{V4L2_CID_BRIGHTNESS, 32}}, 1, CaptureMode::ContinuousAutomatic},
          {-2, {{V4L2_CID_BRIGHTNESS, -64}}, -2, CaptureMode::ContinuousAutomatic},
          {0.5f, {{V4L2_CID_BRIGHTNESS, 16}}, 0.5f, CaptureMode::ContinuousAutomatic}}},
        {"the device's bias in halves",
         FakeV4l2Device::webcamWithExposureBias,
         {{1.2f, {{V4L2_CID_AUTO_EXPOSURE_BIAS, 6}}, 1, CaptureMode::ContinuousAutomatic},
          {-0.7f, {{V4L2_CID_AUTO_EXPOSURE_BIAS, 3}}, -0.5f, CaptureMode::ContinuousAutomatic}}},
        {"exposure time: a bias locks the exposure and doubles per step",
         FakeV4l2Device::autoExposureOnly,
         {{1,
           {{V4L2_CID_EXPOSURE_AUTO, V4L2_EXPOSURE_MANUAL},
            {V4L2_CID_EXPOSURE_ABSOLUTE, FakeV4l2Device::kExposureReached},
            {V4L2_CID_EXPOSURE_ABSOLUTE, 2 * FakeV4l2Device::kExposureReached}},
           1,
           CaptureMode::Locked},
          {-1, {{V4L2_CID_EXPOSURE_ABSOLUTE, FakeV4l2Device::kExposureReached / 2}}, -1, CaptureMode::Locked},
          {0, {{V4L2_CID_EXPOSURE_ABSOLUTE, FakeV4l2Device::kExposureReached}}, 0, CaptureMode::Locked}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Camera camera(row.table());
        for (const Step& step : row.steps) {
            SCOPED_TRACE(step.asked);
            ASSERT_TRUE(camera.change([&](CaptureDevice& d) { d.setExposureTargetBias(step.asked); }).ok());
            EXPECT_EQ(camera.takeWrites(), step.written);
            EXPECT_FLOAT_EQ(camera.device->exposureTargetBias(), step.readBack);
            EXPECT_EQ(camera.device->exposureMode(), step.exposure);
        }
    }
    // An exposure-time bias counts from the time kept; unlocking leaves no bias.
    Camera camera(FakeV4l2Device::autoExposureOnly());
    ASSERT_TRUE(camera.change([](CaptureDevice& d) { d.setExposureTargetBias(2); }).ok());
    ASSERT_TRUE(camera.change([](CaptureDevice& d) { d.setExposureMode(CaptureMode::ContinuousAutomatic); }).ok());
    EXPECT_EQ(camera.device->exposureTargetBias(), 0);
    EXPECT_EQ(camera.node->current(V4L2_CID_EXPOSURE_AUTO), V4L2_EXPOSURE_APERTURE_PRIORITY);
}

TEST(V4l2Node, CamerasAreMatchedToNodesByPathOrCardName) {
    const std::vector<V4l2CaptureNode> nodes = {{"/dev/video0", "Integrated Camera: Integrated C"},
                                                {"/dev/video2", "HD Webcam C525"},
                                                {"/dev/video4", "HD Webcam C525"}};
    struct Case {
        const char* id;
        const char* description;
        size_t index;
        std::optional<std::string> node;
    };
    const Case cases[] = {
        {"/dev/video2", "anything", 0, "/dev/video2"},               // FFmpeg backend: the id is the path
        {"0", "Integrated Camera: Integrated C", 0, "/dev/video0"},  // GStreamer: a number
        {"1", "HD Webcam C525", 0, "/dev/video2"},
        {"2", "HD Webcam C525", 1, "/dev/video4"},  // the second of two alike
        {"3", "HD Webcam C525", 2, std::nullopt},
        {"4", "HD Webcam C525 (V4L2)", 0, "/dev/video2"},  // a decorated name
        {"5", "Virtual Camera", 0, std::nullopt},
        {"6", "", 0, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(v4l2NodeOfCamera(c.id, c.description, c.index, nodes), c.node) << c.id;
}

TEST(V4l2Node, AFileThatIsNoCameraOffersNothingAndSaysWhy) {
    testsupport::RunFolder folder("v4l2");
    testsupport::writeFileBytes(folder.path() + "/video0", "not a camera");
    testsupport::writeFileBytes(folder.path() + "/video-1", "");
    EXPECT_TRUE(v4l2CaptureNodes(folder.path()).empty());
    EXPECT_FALSE(V4l2Node::open(folder.path() + "/video9").ok());

    auto node = V4l2Node::open("/dev/null");
    ASSERT_TRUE(node.ok());
    EXPECT_FALSE(node.value()->queryControl(V4L2_CID_BRIGHTNESS));
    auto read = node.value()->getControl(V4L2_CID_BRIGHTNESS);
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.error().code, ENOTTY);
    EXPECT_EQ(read.error().domain, foundation::kPOSIXErrorDomain);
    // Through the controls: no modes, no bias, nothing written.
    DeviceCapabilities offered;
    CameraControls(node.value()).describe(offered);
    EXPECT_EQ(offered.focusModes | offered.exposureModes | offered.whiteBalanceModes, 0u);
    EXPECT_FALSE(offered.exposureTargetBias);
}

}  // namespace
