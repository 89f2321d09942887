#include "app/capture/CaptureRemoteCameraProtocol.h"
#include "support/DecimalCommaLocale.h"

#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <sstream>

namespace rc = remotecamera;

TEST(RemoteCameraProtocol, PathsGoIntoTheAddressAndParametersAfterItsQuery) {
    struct Case {
        const char* base;
        const char* path;
        const char* parameters;
        const char* expected;
    };
    const Case cases[] = {
        {"http://cam.local:8080", "status", "", "http://cam.local:8080/status"},
        {"http://cam.local:8080/", "preview", "", "http://cam.local:8080/preview"},
        {"http://cam.local:8080/camera", "capture", "Width=1", "http://cam.local:8080/camera/capture?Width=1"},
        {"http://cam.local:8080/camera/", "focusmode", "A=2", "http://cam.local:8080/camera/focusmode?A=2"},
        {"http://cam.local:8080/?token=7", "capture", "W=1", "http://cam.local:8080/capture?token=7&W=1"},
        {"http://cam.local:8080?token=7", "focusmode", "A=2", "http://cam.local:8080/focusmode?token=7&A=2"},
        {"http://cam.local:8080/?token=7", "status", "", "http://cam.local:8080/status?token=7"},
        {"http://cam.local:8080/#top", "status", "", "http://cam.local:8080/status#top"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(rc::requestURL(c.base, c.path, c.parameters), c.expected) << c.base << " + " << c.path;
}

TEST(RemoteCameraProtocol, NumbersAreWrittenWithAPointWhateverTheLocale) {
    testsupport::ScopedDecimalCommaLocale commas;
    // The locale really is in force, or the checks below would prove nothing.
    char printed[32];
    std::snprintf(printed, sizeof printed, "%f", 1.5);
    if (commas.cLocaleActive()) {
        EXPECT_STREQ(printed, "1,500000");
    }
    std::ostringstream streamed;
    streamed << 1.5;
    EXPECT_EQ(streamed.str(), "1,5");

    EXPECT_EQ(rc::captureParameters(3840, 2160), "Width=3840.000000&Height=2160.000000");
    EXPECT_EQ(rc::focusPointParameters(0.25, 1.0 / 3), "X=0.250000&Y=0.333333");
    EXPECT_EQ(rc::decimal(1234567.0000004), "1234567.000000");
    EXPECT_EQ(rc::decimal(-0.5), "-0.500000");
    EXPECT_EQ(rc::decimal(std::nan("")), "0.000000");
    EXPECT_EQ(rc::modeParameters("AVCaptureFocusMode", 2), "AVCaptureFocusMode=2");
    EXPECT_EQ(rc::modeParameters("AVCaptureExposureMode", 12345), "AVCaptureExposureMode=12345");
}

TEST(RemoteCameraProtocol, StatusObjectsAndRepliesThatAreNone) {
    const std::string full =
        "{\"AVCaptureFocusModeLocked\": true, \"AVCaptureFocusModeContinuousAutoFocus\": true,"
        " \"AVCaptureExposureModeLocked\": true, \"AVCaptureExposureModeContinuousAutoExposure\": false,"
        " \"AVCaptureWhiteBalanceModeLocked\": true, \"AVCaptureWhiteBalanceModeContinuousAutoWhiteBalance\": true,"
        " \"MULTIPLE_CAPTURE_DEVICE_AVAILABLE\": true, \"AVCaptureDevicePosition\": 2,"
        " \"AVCaptureFocusMode\": 1, \"AVCaptureExposureMode\": 0, \"AVCaptureWhiteBalanceMode\": 2}";
    struct Case {
        std::string text;
        bool isObject;
        rc::Status status;
    };
    const Case cases[] = {
        {full, true, {true, false, true, true, 2, 1, 0, 2}},
        {"{\"AVCaptureDevicePosition\": 1}", true, {false, false, false, false, 1, 0, 0, 0}},
        {"<html>busy</html>", false, {}},
        {"[1, 2]", false, {}},
        {"", false, {}},
    };
    for (const Case& c : cases) {
        std::optional<foundation::Value> object = rc::parseStatusObject(c.text);
        EXPECT_EQ(object.has_value(), c.isObject) << c.text;
        EXPECT_EQ(rc::readStatus(object), c.status) << c.text;
    }
}
