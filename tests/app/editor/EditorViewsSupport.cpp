#include "EditorViewsSupport.h"

#include "app/core/KWImageProducer.h"
#include "support/Pictures.h"

#include <gtest/gtest.h>

namespace viewstest {

graphics::RGBA colourOf(int64_t index) {
    // Far apart in every channel step, so JPEG and scaling keep them apart;
    // shifted so that the first frames are not nearly black.
    index += 4;
    const uint8_t r = static_cast<uint8_t>(40 + (index % 3) * 90);
    const uint8_t g = static_cast<uint8_t>(40 + ((index / 3) % 3) * 90);
    const uint8_t b = static_cast<uint8_t>(40 + ((index / 9) % 3) * 90);
    return {r, g, b, 255};
}

bool showsColour(const graphics::Image& picture, graphics::RGBA colour) {
    if (picture.isNull()) return false;
    return testsupport::pixelNear(picture.pixelAt(picture.pixelWidth() / 2, picture.pixelHeight() / 2), colour, 12);
}

namespace {
ProjectModelPtr project(int frames, int64_t fps, bool withFiles) {
    auto project = ProjectModel::create();
    KWImageProducer producer(project);
    auto list = project->getFrameList();
    // Appended before the slot is put back: a long list is made in linear time.
    const FramePtr slot = list->findFirstOccurrenceOfFrameWithType(Frame::kTypeCaptureSlot);
    list->removeFrame(slot);
    for (int i = 0; i < frames; ++i) {
        FramePtr frame = Frame::create(Frame::kTypePicture);
        if (withFiles) {
            EXPECT_TRUE(producer.storeImage(graphics::Image::filled(320, 180, colourOf(i)), frame->frameID()).ok());
        }
        list->addFrame(frame);
    }
    list->addFrame(slot);
    list->setFrameAtPlayhead(list->getFrameAtIndex(0));
    if (withFiles) {
        EXPECT_TRUE(project->saveAllDataToDisk().ok());
        project->setFPS(fps);
    }
    return project;
}
}  // namespace

ProjectModelPtr projectOfPictures(int pictures, int64_t fps) { return project(pictures, fps, true); }
ProjectModelPtr projectOfBareFrames(int entries, int64_t fps) { return project(entries, fps, false); }

Recorder::Recorder(const char* name)
    : token_(foundation::NotificationCenter::defaultCenter().addObserver(
          name, nullptr, [this](const foundation::Notification& note) { received_.push_back(note); })) {}

}  // namespace viewstest
