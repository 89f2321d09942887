#pragma once

// Launches of the application in this process, on the virtual clock and in
// fresh application folders: each launch starts from the process-wide state a
// new process would have (settings, project list, user defaults read again
// from disk), so several launches in one test behave as consecutive runs.

#include "app/core/DataManager.h"
#include "app/core/FileUtil.h"
#include "app/core/KWProjects.h"
#include "app/core/KWWatchKitLocalStorage.h"
#include "app/screens/TollivarAppDelegate.h"
#include "components/crashreporting/BWQuincyManager.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/host/Application.h"
#include "platform/ui/host/Device.h"
#include "support/Process.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"
#include "support/WindowFixture.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace startuptest {

namespace fs = std::filesystem;

// Records the posts of one notification name.
class PostCounter {
public:
    explicit PostCounter(const std::string& name)
        : token_(foundation::NotificationCenter::defaultCenter().addObserver(
              name, nullptr, [this](const foundation::Notification& notification) {
                  ++count;
                  lastObject = notification.object;
              })) {}
    int count = 0;
    const void* lastObject = nullptr;

private:
    foundation::ObserverToken token_;
};

class LaunchTest : public ::testing::Test {
protected:
    static constexpr uint64_t kPlentyOfSpace = uint64_t{1} << 34;

    void SetUp() override {
        graphics::ensureGuiApplication();
        FileUtil::setFreeDiskspaceOverride(kPlentyOfSpace);
    }

    void TearDown() override {
        quit();
        FileUtil::setFreeDiskspaceOverride(std::nullopt);
        BWQuincyManager::resetSharedManagerForTesting();
        ui::Application::shared().resetForTesting();
        KWProjects::getInstance().resetForTesting();
        DataManager::resetForTesting();
    }

    // Starts the application as a new process would, then lets the launch
    // run to its end (queued work, background imports, the browser's fade).
    std::shared_ptr<TollivarAppDelegate> launch(const foundation::Dictionary& options = {}, bool waitForEnd = true) {
        quit();
        ui::Application::shared().resetForTesting();
        BWQuincyManager::resetSharedManagerForTesting();
        ui::Device::current().resetForTesting();
        DataManager::resetForTesting();
        KWProjects::getInstance().resetForTesting();
        foundation::UserDefaults::resetStandardUserDefaults();
        // The watch state lives in memory only: a new process starts not ready,
        // whatever capture screen an earlier launch in this process left open.
        auto& watch = KWWatchKitLocalStorage::sharedWatchKitLocalStorage();
        watch.setIsReady(false);
        watch.setIsReadyToCapture(false);
        watch.setName(std::nullopt);
        watch.setInfo(std::nullopt);
        delegate = std::make_shared<TollivarAppDelegate>();
        ui::Application::shared().launch(delegate, options);
        if (waitForEnd) settle();
        return delegate;
    }

    // The application ends its run (settings saved) and its alerts go.
    void quit() {
        if (!delegate) return;
        ui::Application::shared().terminate();
        // Lets fades and dismissals that are under way end, so nothing of
        // this run is left on the clock. Work that was under way (an import
        // on a background queue) may put up its alert only then: it goes
        // too, or the next test would find it on the screen.
        for (int round = 0;; ++round) {
            for (auto& alert : ui::AlertView::visibleAlerts())
                alert->dismissWithClickedButtonIndex(ui::kNoButtonIndex, false);
            foundation::RunLoop::main().runUntilIdle();
            foundation::RunLoop::main().advance(1.0);
            if (ui::AlertView::visibleAlerts().empty()) break;
            if (round == 10) {
                ADD_FAILURE() << "alerts keep coming after the application ended";
                break;
            }
        }
        delegate.reset();
    }

    // Runs what is queued and lets the browser's 1 s fade-in finish; import
    // alerts stay up (they close after 3 s).
    void settle() {
        foundation::RunLoop::main().runUntilIdle();
        foundation::RunLoop::main().advance(1.5);
    }

    std::string documents(const std::string& name = {}) const {
        return name.empty() ? folders.documents() : folders.documents() + "/" + name;
    }
    std::string introductionPath() const { return folders.caches() + "/.kelbrin-introduction"; }

    // ".projects.plist" as python's plistlib reads it, one name per line.
    std::string projectListByPlistlib() const {
        auto result =
            testsupport::runPython("import plistlib, sys\nprint('\\n'.join(plistlib.load(open(sys.argv[1], 'rb'))))",
                                   {documents(".projects.plist")});
        EXPECT_EQ(result.exitCode, 0) << result.output;
        return result.output;
    }

    static std::vector<std::string> alertMessages() { return testsupport::visibleAlertMessages(); }

    // A copy of the introduction archive, a real project archive.
    void placeArchive(const std::string& path) const {
        auto sample = foundation::Bundle::main().pathForResource("sample", "zip");
        ASSERT_TRUE(sample) << "the build's resources folder has no sample.zip";
        fs::create_directories(fs::path(path).parent_path());
        fs::copy_file(*sample, path);
    }

    void savePicture(const std::string& name) {
        ASSERT_TRUE(delegate && delegate->window);
        testsupport::saveWindowPicture(*delegate->window, name);
    }

    testsupport::VirtualClockScope clock;
    testsupport::TempAppFolders folders;
    std::shared_ptr<TollivarAppDelegate> delegate;
};

}  // namespace startuptest
