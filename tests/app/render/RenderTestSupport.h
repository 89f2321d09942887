#pragma once

// A project in temporary application folders on a virtual clock, with
// stored picture frames, for the renderer tests.

#include "app/core/Frame.h"
#include "app/core/KWImageProducer.h"
#include "app/core/KWProjects.h"
#include "app/core/ProjectModel.h"
#include "platform/graphics/Image.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>
#include <string>

namespace rendertest {

class RenderProjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        KWProjects::getInstance().resetForTesting();
        project = ProjectModel::create();
    }
    void TearDown() override { KWProjects::getInstance().resetForTesting(); }

    // A stored picture frame held `hold` times, in front of the capture slot.
    FramePtr addPicture(const graphics::Image& picture, int64_t hold = 1) {
        KWImageProducer producer(project);
        FramePtr frame = Frame::create(Frame::kTypePicture);
        EXPECT_TRUE(producer.storeImage(picture, frame->frameID()));
        frame->setDuration(hold);
        auto list = project->getFrameList();
        list->insertFrame(frame, list->getCaptureIndex());
        return frame;
    }

    void setMeta(const std::string& key, foundation::Value value) { project->getMetaData()->set(key, value); }

    std::string projectFile(const std::string& name) const { return *project->getProjectPath() + "/" + name; }

    testsupport::TempAppFolders folders;
    testsupport::VirtualClockScope clock;
    ProjectModelPtr project;
};

}  // namespace rendertest
