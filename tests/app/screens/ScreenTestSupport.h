#pragma once

// A window on the virtual clock (WindowFixture) in fresh application
// folders, with the settings and the project list reset, for the tests of
// the app screens.

#include "app/core/DataManager.h"
#include "app/core/FileUtil.h"
#include "app/core/KWProjects.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controls/Control.h"
#include "platform/ui/host/Device.h"
#include "support/Process.h"
#include "support/TempAppFolders.h"
#include "support/WindowFixture.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace testsupport {

class ScreenTest : public WindowFixture {
protected:
    explicit ScreenTest(graphics::Rect frame = graphics::Rect(0, 0, 1024, 768)) : WindowFixture(frame) {}
    void SetUp() override {
        DataManager::resetForTesting();
        KWProjects::getInstance().resetForTesting();
        FileUtil::setFreeDiskspaceOverride(uint64_t{1} << 34);
    }
    void TearDown() override {
        WindowFixture::TearDown();
        FileUtil::setFreeDiskspaceOverride(std::nullopt);
        KWProjects::getInstance().resetForTesting();
        DataManager::resetForTesting();
    }

    TempAppFolders folders;
};

}  // namespace testsupport
