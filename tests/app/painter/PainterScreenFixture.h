#pragma once

// A project with stored picture frames and the painter opened on one of them
// inside the test window.

#include "app/core/DataManager.h"
#include "app/core/KWImageProducer.h"
#include "app/core/KWProjects.h"
#include "app/core/ProjectModel.h"
#include "app/painter/PainterViewController.h"
#include "support/TempAppFolders.h"
#include "support/WindowFixture.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

class PainterScreenFixture : public testsupport::WindowFixture {
public:
    static constexpr int kFrameWidth = 640;
    static constexpr int kFrameHeight = 360;

    explicit PainterScreenFixture(bool phone = false)
        : testsupport::WindowFixture(phone ? graphics::Rect(0, 0, 568, 320) : graphics::Rect(0, 0, 1024, 768)),
          phone_(phone) {}

    void SetUp() override;
    void TearDown() override;

    // Stores `count` frames of solid colours in front of the capture slot.
    void addFrames(int count, int width = kFrameWidth, int height = kFrameHeight);
    std::shared_ptr<PainterViewController> open(int64_t index, bool masking);
    // The same on frame 1 in paint mode, for a child process's test body.
    std::shared_ptr<PainterViewController> openForChild() { return open(1, false); }
    // A drag across the canvas from `from` to `to`, in canvas points.
    void drawLine(graphics::Point from, graphics::Point to);
    std::string frameID(int64_t index) const;
    std::string path(const std::string& name) const { return *project->getProjectPath() + "/" + name; }
    std::optional<foundation::Bytes> fileData(const std::string& name) const {
        return project->fileDataForFileWithPreferredFilename(name);
    }
    static graphics::RGBA frameColour(int index);
    // A stored picture decoded; null when there is none.
    static graphics::Image decoded(const std::optional<foundation::Bytes>& data);

    testsupport::TempAppFolders folders;
    ProjectModelPtr project;
    std::shared_ptr<PainterViewController> painter;
    int completions = 0;

private:
    bool phone_;
};
