#include "platform/ui/host/Device.h"

#include "platform/foundation/NotificationCenter.h"

#include <cstdlib>
#include <cstring>

namespace ui {

namespace {

graphics::Rect defaultScreen(UserInterfaceIdiom idiom) {
    return idiom == UserInterfaceIdiom::Phone ? graphics::Rect(0, 0, 568, 320) : graphics::Rect(0, 0, 1024, 768);
}

}  // namespace

Device& Device::current() {
    static Device device;
    return device;
}

Device::Device() { applyDefaults(); }

void Device::applyDefaults() {
    const char* choice = std::getenv("TOLLIVAR_DEVICE");
    idiom_ = choice && std::strcmp(choice, "phone") == 0 ? UserInterfaceIdiom::Phone : UserInterfaceIdiom::Pad;
    systemVersion_ = "9.0";
    screenBounds_ = defaultScreen(idiom_);
    screenScale_ = 1.0;
    orientation_ = DeviceOrientation::LandscapeLeft;
    orientationObservers_ = 0;
}

void Device::setUserInterfaceIdiom(UserInterfaceIdiom idiom) {
    idiom_ = idiom;
    screenBounds_ = defaultScreen(idiom);
}

std::string Device::model() const { return idiom_ == UserInterfaceIdiom::Phone ? "Phone" : "Tablet"; }

void Device::setOrientation(DeviceOrientation orientation) {
    if (orientation_ == orientation) return;
    orientation_ = orientation;
    if (isGeneratingDeviceOrientationNotifications())
        foundation::NotificationCenter::defaultCenter().post(OrientationDidChangeNotification, this);
}

void Device::endGeneratingDeviceOrientationNotifications() {
    // Unbalanced calls must not leave the count negative and silence later begins.
    if (orientationObservers_ > 0) --orientationObservers_;
}

void Device::resetForTesting() { applyDefaults(); }

}  // namespace ui
