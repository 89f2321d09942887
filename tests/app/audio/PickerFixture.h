#pragma once

// A picker shown as the window's root, over temporary application folders
// and no audio device. Tear-down takes it off the window and cleans it up
// before the window closes.

#include "support/AudioDevices.h"
#include "support/TempAppFolders.h"
#include "support/WindowFixture.h"

#include <memory>

namespace audiotest {

template <class Picker>
class PickerFixture : public testsupport::WindowFixture {
protected:
    template <class Delegate>
    void present(std::shared_ptr<Picker> shown, Delegate* delegate) {
        picker = std::move(shown);
        picker->setDelegate(delegate);
        window->setRootViewController(picker->viewController());
        window->layoutIfNeeded();
    }
    void TearDown() override {
        window->setRootViewController(nullptr);
        if (picker) picker->cleanUp();
        picker.reset();
        WindowFixture::TearDown();
    }
    testsupport::TempAppFolders folders;
    testsupport::AudioDevicesScope audio{nullptr};
    std::shared_ptr<Picker> picker;
};

}  // namespace audiotest
