#pragma once

// A saved project of many picture frames that share one stored picture
// through hard links: a large film on disk at the cost of one frame.

#include "app/core/Frame.h"
#include "app/core/FrameList.h"
#include "app/core/KWImageProducer.h"
#include "app/core/ProjectModel.h"
#include "platform/graphics/Image.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace bench {

// `frames` frames, each passed to `shape` (with its index) before it is
// listed; the playhead on `playheadIndex`. Exits when the project cannot be made.
inline std::string makeLinkedProject(const graphics::Image& picture, int frames, int64_t playheadIndex,
                                     const std::function<void(Frame&, int)>& shape = {}) {
    namespace fs = std::filesystem;
    auto project = ProjectModel::create();
    KWImageProducer producer(project);
    auto list = project->getFrameList();
    FramePtr first = Frame::create(Frame::kTypePicture);
    if (!producer.storeImage(picture, first->frameID()).ok()) {
        std::fprintf(stderr, "cannot store the picture\n");
        std::exit(1);
    }
    list->insertFrame(first, 0);
    const fs::path folder = *project->getProjectPath();
    for (int i = 1; i < frames; ++i) {
        FramePtr frame = Frame::create(Frame::kTypePicture);
        if (shape) shape(*frame, i);
        for (auto name :
             {&KWImageProducer::frameFileName, &KWImageProducer::previewFileName, &KWImageProducer::thumbnailFileName})
            fs::create_hard_link(folder / name(first->frameID()), folder / name(frame->frameID()));
        list->insertFrame(frame, list->getCaptureIndex());
    }
    list->setFrameAtPlayhead(list->getFrameAtIndex(playheadIndex));
    if (!project->saveAllDataToDisk().ok()) {
        std::fprintf(stderr, "cannot save the project\n");
        std::exit(1);
    }
    return folder.string();
}

}  // namespace bench
