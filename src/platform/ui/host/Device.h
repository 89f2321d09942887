#pragma once

// The device the application runs on: interface idiom, system version,
// model, the main screen's bounds and scale, and the physical orientation.
//
// On Linux the device is a choice, not a fact: a tablet of 1024 × 768 points
// by default, a phone of 568 × 320 points when the environment variable
// TOLLIVAR_DEVICE is "phone". Tests set whatever they need and restore the
// defaults with resetForTesting(). Main thread only.

#include "platform/graphics/Geometry.h"

#include <string>

namespace ui {

enum class UserInterfaceIdiom { Unspecified = -1, Phone = 0, Pad = 1 };

// The platform's device orientation values.
enum class DeviceOrientation {
    Unknown = 0,
    Portrait = 1,
    PortraitUpsideDown = 2,
    LandscapeLeft = 3,
    LandscapeRight = 4,
    FaceUp = 5,
    FaceDown = 6,
};

class Device {
public:
    static constexpr const char* OrientationDidChangeNotification = "UIDeviceOrientationDidChangeNotification";

    static Device& current();

    UserInterfaceIdiom userInterfaceIdiom() const { return idiom_; }
    // Also sets the screen to the idiom's default size.
    void setUserInterfaceIdiom(UserInterfaceIdiom idiom);

    // Dotted version text ("9.0"); callers compare it numerically.
    const std::string& systemVersion() const { return systemVersion_; }
    void setSystemVersion(std::string version) { systemVersion_ = std::move(version); }
    // "Tablet" or "Phone".
    std::string model() const;

    // The main screen in points (landscape) and its pixels per point.
    graphics::Rect screenBounds() const { return screenBounds_; }
    void setScreenBounds(const graphics::Rect& bounds) { screenBounds_ = bounds; }
    double screenScale() const { return screenScale_; }
    void setScreenScale(double scale) { screenScale_ = scale; }

    // The physical orientation. Changes are posted (object: the device)
    // while orientation notifications are being generated.
    DeviceOrientation orientation() const { return orientation_; }
    void setOrientation(DeviceOrientation orientation);
    void beginGeneratingDeviceOrientationNotifications() { ++orientationObservers_; }
    void endGeneratingDeviceOrientationNotifications();
    bool isGeneratingDeviceOrientationNotifications() const { return orientationObservers_ > 0; }

    // Back to the defaults (tablet, or what TOLLIVAR_DEVICE asks for).
    void resetForTesting();

private:
    Device();
    void applyDefaults();

    UserInterfaceIdiom idiom_ = UserInterfaceIdiom::Pad;
    std::string systemVersion_;
    graphics::Rect screenBounds_;
    double screenScale_ = 1.0;
    DeviceOrientation orientation_ = DeviceOrientation::LandscapeLeft;
    int orientationObservers_ = 0;
};

}  // namespace ui
