// The process entry: hands control to the application loop with
// TollivarAppDelegate as the application's delegate, and returns its status.
//
// The window is tablet-sized unless a phone is asked for: the environment
// variable TOLLIVAR_DEVICE ("phone" or "tablet") wins over the setting
// "device_preference" in the user defaults.

#include "app/screens/TollivarAppDelegate.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/media/SystemVolume.h"
#include "platform/ui/host/ApplicationMain.h"
#include "platform/ui/host/Device.h"
#include "platform/ui/host/WindowHost.h"

#include <cstdlib>
#include <memory>
#include <string>

namespace {

constexpr const char* kDeviceVariable = "TOLLIVAR_DEVICE";
constexpr const char* kDevicePreferenceKey = "device_preference";

void chooseDevice() {
    std::string choice;
    if (const char* variable = std::getenv(kDeviceVariable); variable && *variable) {
        choice = variable;
    } else if (auto setting = foundation::UserDefaults::standard().stringForKey(kDevicePreferenceKey)) {
        choice = *setting;
    }
    if (choice == "phone") ui::Device::current().setUserInterfaceIdiom(ui::UserInterfaceIdiom::Phone);
    if (choice == "tablet") ui::Device::current().setUserInterfaceIdiom(ui::UserInterfaceIdiom::Pad);
}

}  // namespace

int main(int argc, char** argv) {
    chooseDevice();
    // The keyboard's volume keys are the device's volume buttons.
    ui::WindowHost::setVolumeKeyHandler([](int step) { media::SystemVolume::shared().stepVolume(step); });
    int status = ui::ApplicationMain(argc, argv, [] { return std::make_shared<TollivarAppDelegate>(); });
    // The delegate owns the window and every screen: release them before the
    // process's static objects go, in a known order.
    ui::Application::shared().setDelegate(nullptr);
    return status;
}
