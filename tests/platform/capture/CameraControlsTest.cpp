// Cameras whose controls are a fake V4L2 device table: what they offer, what
// a lock and an unlock write, what is read back, how a lock holds through
// the backend's own resets and onto another camera, and failures.

#include "platform/capture/CameraControls.h"
#include "platform/capture/CaptureSession.h"
#include "platform/capture/SyntheticCamera.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "support/FakeV4l2Device.h"
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
        backend = std::make_shared<SyntheticCaptureBackend>(std::vector{node->asListed("synthetic-back")});
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

TEST(CameraControls, ALockHoldsItsValueThroughTheBackendsOwnResets) {
    // The backend switches automatic white balance on whenever it opens,
    // starts or re-formats the camera, as Qt 6.4's do. The lock is put back
    // with the temperature it held, not the one the automatic reaches now.
    for (const bool lockedByAnEarlierRun : {false, true}) {
        SCOPED_TRACE(lockedByAnEarlierRun ? "locked by an earlier run" : "locked here");
        const int32_t held = lockedByAnEarlierRun ? 5000 : FakeV4l2Device::kTemperatureReached;
        auto table = FakeV4l2Device::webcam();
        if (lockedByAnEarlierRun) {
            table->control(V4L2_CID_AUTO_WHITE_BALANCE).value = 0;
            table->control(V4L2_CID_WHITE_BALANCE_TEMPERATURE).value = held;
        }
        Camera camera(table);
        if (!lockedByAnEarlierRun) {
            ASSERT_TRUE(camera.change([](CaptureDevice& d) { d.setWhiteBalanceMode(CaptureMode::Locked); }).ok());
        }
        EXPECT_EQ(camera.device->heldValues().whiteBalance, held);
        camera.node->control(V4L2_CID_WHITE_BALANCE_TEMPERATURE).reached = 4700;
        camera.takeWrites();
        const auto expectPutBack = [&](const char* step) {
            SCOPED_TRACE(step);
            EXPECT_EQ(camera.takeWrites(), (Writes{{V4L2_CID_AUTO_WHITE_BALANCE, 1},
                                                   {V4L2_CID_AUTO_WHITE_BALANCE, 0},
                                                   {V4L2_CID_WHITE_BALANCE_TEMPERATURE, held}}));
            EXPECT_EQ(camera.device->whiteBalanceMode(), CaptureMode::Locked);
            EXPECT_EQ(camera.node->current(V4L2_CID_WHITE_BALANCE_TEMPERATURE), held);
        };
        auto input = CaptureDeviceInput::create(camera.device).value();
        expectPutBack("open");
        auto session = CaptureSession::create();
        session->addInput(input);
        session->startRunning();
        expectPutBack("start");
        ASSERT_TRUE(
            camera.change([](CaptureDevice& d) { d.setActiveVideoMaxFrameDuration(media::MediaTime::make(1, 15)); })
                .ok());
        expectPutBack("another frame rate");
        session->stopRunning();
        session->startRunning();
        expectPutBack("pause and resume");
        session->stopRunning();
    }
}

TEST(CameraControls, HeldValuesGoToAnotherCameraWhereItsRangeOffersThem) {
    Camera first(FakeV4l2Device::webcam());
    const auto lockFocusAndWhiteBalance = [](CaptureDevice& d) {
        d.setWhiteBalanceMode(CaptureMode::Locked);
        d.setFocusMode(CaptureMode::Locked);
    };
    ASSERT_TRUE(first.change(lockFocusAndWhiteBalance).ok());
    const HeldValues held = first.device->heldValues();
    constexpr int32_t kFocus = FakeV4l2Device::kFocusReached, kTemperature = FakeV4l2Device::kTemperatureReached;
    EXPECT_EQ(held, (HeldValues{kFocus, std::nullopt, kTemperature}));
    struct Row {
        const char* name;
        int32_t temperatureMaximum;
        bool lockedAlready;  // at other values: the lock moves, the automatics stay off
        HeldValues asked;
        int32_t temperature, focus;
    };
    const Row rows[] = {
        {"the same kind of camera", 6500, false, held, kTemperature, kFocus},
        {"warm light only, focus off its steps", 5000, false, {87, std::nullopt, kTemperature}, 4500, 85},
        {"locked already", 6500, true, held, kTemperature, kFocus},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        // Another camera, whose automatics have reached other values.
        auto table = FakeV4l2Device::webcam();
        table->control(V4L2_CID_WHITE_BALANCE_TEMPERATURE).reached = 4500;
        table->control(V4L2_CID_WHITE_BALANCE_TEMPERATURE).info.maximum = row.temperatureMaximum;
        table->control(V4L2_CID_FOCUS_ABSOLUTE).reached = 120;
        if (row.lockedAlready) {
            table->control(V4L2_CID_FOCUS_AUTO).value = 0;
            table->control(V4L2_CID_FOCUS_ABSOLUTE).value = 40;
            table->control(V4L2_CID_AUTO_WHITE_BALANCE).value = 0;
        }
        Camera camera(table);
        ASSERT_TRUE(camera
                        .change([&](CaptureDevice& d) {
                            d.setHeldValues(row.asked);
                            lockFocusAndWhiteBalance(d);
                        })
                        .ok());
        // The absolute values are written once the automatic is off.
        const Writes::value_type focus{V4L2_CID_FOCUS_ABSOLUTE, row.focus},
            temperature{V4L2_CID_WHITE_BALANCE_TEMPERATURE, row.temperature};
        EXPECT_EQ(camera.takeWrites(),
                  (row.lockedAlready
                       ? Writes{focus, temperature}
                       : Writes{{V4L2_CID_FOCUS_AUTO, 0}, focus, {V4L2_CID_AUTO_WHITE_BALANCE, 0}, temperature}));
        EXPECT_EQ(camera.node->current(V4L2_CID_WHITE_BALANCE_TEMPERATURE), row.temperature);
        EXPECT_EQ(camera.node->current(V4L2_CID_FOCUS_ABSOLUTE), row.focus);
        EXPECT_EQ(camera.device->heldValues().whiteBalance, row.temperature);
        // Given up on purpose, a lock forgets what it held.
        ASSERT_TRUE(
            camera.change([](CaptureDevice& d) { d.setWhiteBalanceMode(CaptureMode::ContinuousAutomatic); }).ok());
        EXPECT_FALSE(camera.device->heldValues().whiteBalance);
        EXPECT_EQ(camera.device->heldValues().focus, row.focus);
    }
}

TEST(CameraControls, ACameraThatKeepsAnotherValueThanTheOneWrittenCannotLock) {
    auto table = FakeV4l2Device::webcam();
    table->control(V4L2_CID_WHITE_BALANCE_TEMPERATURE).ignoresWrites = true;
    Camera camera(table);
    const foundation::Status outcome =
        camera.change([](CaptureDevice& d) { d.setWhiteBalanceMode(CaptureMode::Locked); });
    ASSERT_FALSE(outcome.ok());
    EXPECT_EQ(outcome.error().code, kCaptureErrorControlRefused);
    EXPECT_EQ(outcome.error().description, "The camera cannot lock its white balance.");
    EXPECT_EQ(camera.takeWrites(), (Writes{{V4L2_CID_AUTO_WHITE_BALANCE, 0},
                                           {V4L2_CID_WHITE_BALANCE_TEMPERATURE, FakeV4l2Device::kTemperatureReached},
                                           {V4L2_CID_AUTO_WHITE_BALANCE, 1}}));
    EXPECT_EQ(camera.device->whiteBalanceMode(), CaptureMode::ContinuousAutomatic);
    EXPECT_EQ(camera.device->capabilities().whiteBalanceModes, 0b100u) << "no lock offered any more";
}

TEST(CameraControls, ReadOnlyControlsAreNeverWritten) {
    struct Row {
        const char* name;
        uint32_t readOnly;
        unsigned focus, exposure;
        Writes lockingAll;
    };
    const Writes exposureLock = {{V4L2_CID_EXPOSURE_AUTO, V4L2_EXPOSURE_MANUAL},
                                 {V4L2_CID_EXPOSURE_ABSOLUTE, FakeV4l2Device::kExposureReached},
                                 {V4L2_CID_EXPOSURE_AUTO_PRIORITY, 0}};
    const Row rows[] = {
        {"focus value", V4L2_CID_FOCUS_ABSOLUTE, 0b100, kLockAndContinuous, exposureLock},
        {"focus switch", V4L2_CID_FOCUS_AUTO, 0, kLockAndContinuous, exposureLock},
        {"exposure priority",
         V4L2_CID_EXPOSURE_AUTO_PRIORITY,
         kLockAndContinuous,
         kLockAndContinuous,
         {{V4L2_CID_FOCUS_AUTO, 0},
          {V4L2_CID_FOCUS_ABSOLUTE, FakeV4l2Device::kFocusReached},
          exposureLock[0],
          exposureLock[1]}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto table = FakeV4l2Device::webcam();
        table->control(row.readOnly).info.flags |= V4L2_CTRL_FLAG_READ_ONLY;
        Camera camera(table);
        EXPECT_EQ(camera.device->capabilities().focusModes, row.focus);
        EXPECT_EQ(camera.device->capabilities().exposureModes, row.exposure);
        camera.change([](CaptureDevice& d) {
            d.setFocusMode(CaptureMode::Locked);
            d.setExposureMode(CaptureMode::Locked);
        });
        EXPECT_EQ(camera.takeWrites(), row.lockingAll);
    }
}

TEST(CameraControls, ANodeThatWillNotOpenSaysWhy) {
    auto table = FakeV4l2Device::webcam();
    table->openError = EACCES;
    Camera camera(table);
    int posted = 0;
    auto token = foundation::NotificationCenter::defaultCenter().addObserver(
        kDeviceWasDisconnectedNotification, camera.device.get(), [&](const foundation::Notification&) { ++posted; });
    EXPECT_EQ(camera.device->capabilities().exposureModes, 0u) << "nothing offered before the node answers";
    // The node's group is "video", and the user is not in it; a driver lets one program at a time open it.
    for (const auto& [error, code] :
         {std::pair{EACCES, kCaptureErrorPermissionDenied}, {EBUSY, kCaptureErrorDeviceInUse}}) {
        table->openError = error;
        auto refused = CaptureDeviceInput::create(camera.device);
        ASSERT_FALSE(refused.ok());
        EXPECT_EQ(refused.error().code, code);
        ASSERT_TRUE(refused.error().underlying);
        EXPECT_EQ(refused.error().underlying->code, error);
    }
    EXPECT_TRUE(camera.device->isConnected());

    // Once it may, the camera opens with its controls.
    table->openError = 0;
    ASSERT_TRUE(CaptureDeviceInput::create(camera.device).ok());
    EXPECT_EQ(camera.device->capabilities().exposureModes, kLockAndContinuous);
    foundation::RunLoop::main().runUntilIdle();
    EXPECT_EQ(posted, 0);

    // A node that has gone is an unplugged camera.
    table->openError = EACCES;
    Camera gone(table);
    auto goneToken = foundation::NotificationCenter::defaultCenter().addObserver(
        kDeviceWasDisconnectedNotification, gone.device.get(), [&](const foundation::Notification&) { ++posted; });
    table->openError = 0;
    table->vanishAfterCalls = table->calls;
    auto unplugged = CaptureDeviceInput::create(gone.device);
    ASSERT_FALSE(unplugged.ok());
    EXPECT_EQ(unplugged.error().code, kCaptureErrorDeviceDisconnected);
    EXPECT_FALSE(gone.device->isConnected());
    foundation::RunLoop::main().runUntilIdle();
    EXPECT_EQ(posted, 1);
}

TEST(CameraControls, ACameraAnotherProgramStreamsOpensWithItsControlsAndFailsToStart) {
    for (const bool toldLater : {false, true}) {
        SCOPED_TRACE(toldLater ? "told on a later turn (GStreamer)" : "told inside the start (FFmpeg)");
        auto table = FakeV4l2Device::webcam();
        table->streamedElsewhere = true;
        Camera camera(table);
        camera.backend->driver("synthetic-back")->config().reportsFailuresLater = toldLater;
        int posted = 0;
        auto token = foundation::NotificationCenter::defaultCenter().addObserver(
            kDeviceRuntimeErrorNotification, camera.device.get(), [&](const foundation::Notification&) { ++posted; });
        auto input = CaptureDeviceInput::create(camera.device);
        ASSERT_TRUE(input.ok()) << "V4L2 lets it open";
        EXPECT_EQ(camera.device->capabilities().whiteBalanceModes, kLockAndContinuous) << "its controls answer";
        auto session = CaptureSession::create();
        session->addInput(input.value());
        session->startRunning();
        EXPECT_EQ(camera.device->failure().has_value(), !toldLater);
        foundation::RunLoop::main().runUntilIdle();
        // Told inside the start, the failure is the starter's to read; told later, it is posted.
        EXPECT_EQ(posted, toldLater ? 1 : 0);
        ASSERT_TRUE(camera.device->failure());
        EXPECT_EQ(camera.device->failure()->code, kCaptureErrorDeviceInUse);
        EXPECT_FALSE(camera.backend->driver("synthetic-back")->isStreaming()) << "no frame will come";
        EXPECT_TRUE(camera.device->isConnected()) << "not an unplugged camera";

        // Once the other program lets go, the camera starts.
        table->streamedElsewhere = false;
        session->stopRunning();
        session->startRunning();
        foundation::RunLoop::main().runUntilIdle();
        EXPECT_FALSE(camera.device->failure());
        EXPECT_TRUE(camera.backend->driver("synthetic-back")->isStreaming());
        session->stopRunning();
    }
}

TEST(CameraControls, AnEIOOnOneControlRefusesThatControlAndTheCameraGoesOn) {
    // uvcvideo answers EIO for a control the camera's firmware stalls on.
    for (const bool onRead : {false, true}) {
        SCOPED_TRACE(onRead ? "reading the temperature" : "writing the automatic focus");
        Camera camera(FakeV4l2Device::webcam());
        (onRead ? camera.node->control(V4L2_CID_WHITE_BALANCE_TEMPERATURE).failsReads
                : camera.node->control(V4L2_CID_FOCUS_AUTO).refuseWrites) = EIO;
        const foundation::Status outcome = camera.change([onRead](CaptureDevice& d) {
            onRead ? d.setWhiteBalanceMode(CaptureMode::Locked) : d.setFocusMode(CaptureMode::Locked);
        });
        ASSERT_FALSE(outcome.ok());
        EXPECT_EQ(outcome.error().code, kCaptureErrorControlRefused);
        const DeviceCapabilities& left = camera.device->capabilities();
        EXPECT_EQ(onRead ? left.whiteBalanceModes : left.focusModes, onRead ? 0b100u : 0u) << "that control is refused";
        // The camera is not unplugged, and its other controls go on.
        ASSERT_TRUE(camera.change([](CaptureDevice& d) { d.setExposureMode(CaptureMode::Locked); }).ok());
        EXPECT_EQ(camera.node->current(V4L2_CID_EXPOSURE_AUTO), V4L2_EXPOSURE_MANUAL);
        EXPECT_TRUE(camera.device->isConnected());
    }
}

}  // namespace
