#pragma once

// The render screens' tests: a window on the virtual clock in fresh
// application folders (ScreenTest) and a saved project whose pictures each
// carry their own colour, so a picture on screen tells which frame it shows.

#include "app/core/Frame.h"
#include "app/core/FrameList.h"
#include "app/core/KWImageProducer.h"
#include "app/core/ProjectModel.h"
#include "app/screens/ScreenTestSupport.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace renderscreens {

// The colour of picture i: far apart for up to a dozen pictures.
inline graphics::RGBA pictureColor(int i) {
    return graphics::RGBA{uint8_t(40 + 20 * i), uint8_t(200 - 15 * i), uint8_t(i % 2 ? 220 : 30), 255};
}

// The picture number whose colour a pixel has; -1 for none.
inline int pictureNumberOf(graphics::RGBA pixel, int count) {
    for (int i = 0; i < count; ++i) {
        const graphics::RGBA c = pictureColor(i);
        if (std::abs(c.r - pixel.r) < 6 && std::abs(c.g - pixel.g) < 6 && std::abs(c.b - pixel.b) < 6) return i;
    }
    return -1;
}

class RenderScreenTest : public testsupport::ScreenTest {
protected:
    // A saved project of `pictures` pictures in front of the capture slot.
    ProjectModelPtr savedProject(int pictures) {
        auto project = ProjectModel::create();
        KWImageProducer producer(project);
        auto list = project->getFrameList();
        for (int i = 0; i < pictures; ++i) {
            FramePtr frame = Frame::create(Frame::kTypePicture);
            EXPECT_TRUE(producer.storeImage(graphics::Image::filled(64, 36, pictureColor(i)), frame->frameID()));
            list->insertFrame(frame, list->getCaptureIndex());
        }
        EXPECT_TRUE(project->saveAllDataToDisk());
        return project;
    }
    // The project's metadata as stored on disk now.
    foundation::Dictionary storedMetaData(const ProjectModelPtr& project) {
        auto reread = ProjectModel::create(project->getProjectPath());
        auto meta = reread->getMetaData();
        EXPECT_TRUE(meta.has_value());
        return meta ? *meta : foundation::Dictionary();
    }
};

}  // namespace renderscreens
