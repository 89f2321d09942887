#pragma once

// What the import and picker tests share: application folders and a photo
// library below a temporary root, a virtual clock, a window with a screen
// to present from, a new project, and helpers that fill the library and
// read back what an import stored.

#include "app/core/FileUtil.h"
#include "app/core/KWImageProducer.h"
#include "app/core/KWProjects.h"
#include "app/core/ProjectModel.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/library/PhotoLibrary.h"
#include "platform/ui/Window.h"
#include "platform/ui/host/Device.h"
#include "support/Pictures.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace importtest {

class ImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        graphics::ensureGuiApplication();
        ui::Device::current().resetForTesting();
        KWProjects::getInstance().resetForTesting();
        window = std::make_shared<ui::Window>(graphics::Rect(0, 0, 1024, 768));
        screen = std::make_shared<ui::ViewController>();
        window->setRootViewController(screen);
        window->makeKeyAndVisible();
        project = ProjectModel::create();
        errorObserver = foundation::NotificationCenter::defaultCenter().addObserver(
            "ShowErrorNotification", nullptr, [this](const foundation::Notification& notification) {
                const foundation::Error* error = notification.userInfo["ERROR"].objectAs<foundation::Error>();
                shownErrors.push_back(error ? *error : foundation::Error());
            });
    }
    void TearDown() override {
        FileUtil::setFreeDiskspaceOverride(std::nullopt);
        library::PhotoLibrary::setAccessDenied(false);
        foundation::RunLoop::main().runUntilIdle();
        KWProjects::getInstance().resetForTesting();
    }

    std::string libraryRoot() const { return library::PhotoLibrary::defaultRootDirectory(); }

    // Puts a file into the library (an album when `album` is given) and
    // dates it `age` seconds after an early start, so items list in that order.
    std::string addToLibrary(const std::string& name, const foundation::Bytes& bytes, double order,
                             const std::string& album = "") {
        const std::string folder = album.empty() ? libraryRoot() : libraryRoot() + "/" + album;
        std::filesystem::create_directories(folder);
        const std::string path = folder + "/" + name;
        EXPECT_TRUE(foundation::writeFileAtomically(path, bytes).ok());
        EXPECT_TRUE(foundation::FileManager::defaultManager()
                        .setModificationDate(path, foundation::Date::fromUnixTime(1'600'000'000 + order))
                        .ok());
        return path;
    }
    void copyToLibrary(const std::string& source, const std::string& name, double order,
                       const std::string& album = "") {
        auto bytes = foundation::readFile(source);
        ASSERT_TRUE(bytes.ok());
        addToLibrary(name, *bytes, order, album);
    }

    // The library's items of a folder, oldest first.
    std::vector<library::PhotoAsset> itemsOf(library::AssetsFilter filter, const std::string& album = "") {
        std::vector<library::PhotoAsset> items;
        bool done = false;
        library::PhotoLibrary().enumerateGroups(
            library::kAssetsGroupAll,
            [&](const std::optional<library::PhotoGroup>& group, bool*) {
                if (!group) {
                    done = true;
                    return;
                }
                if ((album.empty() && group->type() == library::kAssetsGroupSavedPhotos) || group->name() == album) {
                    library::PhotoGroup copy = *group;
                    copy.setAssetsFilter(filter);
                    items = copy.assets();
                }
            },
            [&](const foundation::Error&) { done = true; });
        EXPECT_TRUE(foundation::RunLoop::main().runUntil([&] { return done; }, 10));
        return items;
    }

    // The pictures in the project's folder (none before the folder exists).
    std::set<std::string> projectPictures() const {
        std::set<std::string> names;
        auto folder = project->getProjectPath();
        if (!folder || !std::filesystem::exists(*folder)) return names;
        for (const auto& entry : std::filesystem::directory_iterator(*folder))
            if (entry.path().extension() == ".jpg") names.insert(entry.path().filename().string());
        return names;
    }

    // The stored full-size picture of a frame.
    graphics::Image storedPicture(const FramePtr& frame) const {
        auto image =
            graphics::Image::load(*project->getProjectPath() + "/" + KWImageProducer::frameFileName(frame->frameID()));
        EXPECT_TRUE(image.ok()) << frame->frameID();
        return image.ok() ? *image : graphics::Image();
    }

    // The three files of each frame, nothing else.
    std::set<std::string> filesOf(const std::vector<FramePtr>& frames) const {
        std::set<std::string> names;
        for (const FramePtr& frame : frames) {
            names.insert(KWImageProducer::frameFileName(frame->frameID()));
            names.insert(KWImageProducer::previewFileName(frame->frameID()));
            names.insert(KWImageProducer::thumbnailFileName(frame->frameID()));
        }
        return names;
    }

    testsupport::TempAppFolders folders;
    testsupport::VirtualClockScope clock;
    std::shared_ptr<ui::Window> window;
    std::shared_ptr<ui::ViewController> screen;
    ProjectModelPtr project;
    std::vector<foundation::Error> shownErrors;
    foundation::ObserverToken errorObserver;
};

}  // namespace importtest
