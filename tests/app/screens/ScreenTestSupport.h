#pragma once

// A window on the virtual clock in fresh application folders, with the
// settings and the project list reset, for the tests of the app screens.

#include "app/core/DataManager.h"
#include "app/core/FileUtil.h"
#include "app/core/KWProjects.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/ui/Window.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controls/Control.h"
#include "platform/ui/host/Device.h"
#include "support/Process.h"
#include "support/TempAppFolders.h"
#include "support/TouchDriver.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace testsupport {

class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        graphics::ensureGuiApplication();
        ui::Device::current().resetForTesting();
        DataManager::resetForTesting();
        KWProjects::getInstance().resetForTesting();
        FileUtil::setFreeDiskspaceOverride(uint64_t{1} << 34);
        window = std::make_shared<ui::Window>(graphics::Rect(0, 0, 1024, 768));
        window->makeKeyAndVisible();
        fingers = std::make_unique<TouchDriver>(*window);
    }
    void TearDown() override {
        for (auto& alert : ui::AlertView::visibleAlerts())
            alert->dismissWithClickedButtonIndex(ui::kNoButtonIndex, false);
        foundation::RunLoop::main().runUntilIdle();
        FileUtil::setFreeDiskspaceOverride(std::nullopt);
        KWProjects::getInstance().resetForTesting();
        DataManager::resetForTesting();
    }

    void advance(double seconds) { foundation::RunLoop::main().advance(seconds); }
    // A finger tap in the middle of a view on screen.
    void tap(const ui::View* view) {
        ASSERT_NE(view, nullptr);
        ASSERT_EQ(view->window(), window.get()) << "the view is not on screen";
        // The window host lays the tree out before it delivers touches.
        ui::prepareForRendering(*window, 1.0);
        auto bounds = view->bounds();
        fingers->tap(view->convertPointToView({bounds.midX(), bounds.midY()}, nullptr));
    }
    // The texts of the alerts on screen, newest last.
    static std::vector<std::string> alertMessages() {
        std::vector<std::string> messages;
        for (auto& alert : ui::AlertView::visibleAlerts()) messages.push_back(alert->message());
        return messages;
    }
    void savePicture(const std::string& name) {
        auto png = ui::renderView(*window).pngData();
        ASSERT_TRUE(png.ok());
        ASSERT_TRUE(foundation::writeFileAtomically(artifactsDirectory() + "/" + name, *png).ok());
    }

    VirtualClockScope clock;
    TempAppFolders folders;
    std::shared_ptr<ui::Window> window;
    std::unique_ptr<TouchDriver> fingers;
};

}  // namespace testsupport
