#pragma once

// A fresh application folder tree, a virtual main run loop and an unloaded
// project list for each test of the project store.

#include "app/core/KWProjects.h"
#include "app/core/ProjectModel.h"
#include "platform/foundation/RunLoop.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

// Names of the entries of a folder.
inline std::set<std::string> folderFiles(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}
// The three pictures of a frame ID.
inline std::set<std::string> picturesOf(const std::string& frameID) {
    return {"frame-" + frameID + ".jpg", "preview-" + frameID + ".jpg", "thumb-" + frameID + ".jpg"};
}
// What a project folder holds for a list: both project files and the
// pictures of every listed picture frame.
inline std::set<std::string> filesOfList(const FrameList& list) {
    std::set<std::string> names{"kelbrin.meta", "frames.meta"};
    for (const FramePtr& frame : list)
        if (frame->type() == Frame::kTypePicture) names.merge(picturesOf(frame->frameID()));
    return names;
}

class ProjectModelFixture : public ::testing::Test {
protected:
    ProjectModelFixture() { KWProjects::getInstance().resetForTesting(); }
    ~ProjectModelFixture() override { KWProjects::getInstance().resetForTesting(); }

    // Adds n pictures in front of the capture slot, as capture does.
    static void addPictures(const ProjectModelPtr& project, int n) {
        auto list = project->getFrameList();
        for (int i = 0; i < n; ++i) list->insertFrame(Frame::create(Frame::kTypePicture), list->getCaptureIndex());
    }

    // A project of n pictures, saved so that it has its folder and is listed.
    static ProjectModelPtr savedProject(int pictures = 1) {
        auto project = ProjectModel::create();
        addPictures(project, pictures);
        project->saveAllDataToDisk();
        return project;
    }

    // Names of the project folders in the documents folder.
    std::vector<std::string> projectFolders() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folders_.documents()))
            if (entry.is_directory() && entry.path().filename().string().starts_with(".kelbrin-"))
                names.push_back(entry.path().filename().string());
        return names;
    }

    bool runMainUntil(const std::function<bool()>& predicate) {
        return foundation::RunLoop::main().runUntil(predicate, 60.0);
    }

    // Lets the sweep of leftovers that opening a project queued run to its end.
    static void runLeftoverSweep() {
        foundation::RunLoop::main().advance(ProjectDataWrapper::kLeftoverSweepDelaySeconds);
        foundation::RunLoop::main().runUntilIdle();
    }

    testsupport::TempAppFolders folders_;
    testsupport::VirtualClockScope clock_;
};
