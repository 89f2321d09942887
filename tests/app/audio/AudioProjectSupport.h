#pragma once

// A project with frames and clips for the audio tests: sound files made by
// ffmpeg are copied into its folder.

#include "app/core/Frame.h"
#include "app/core/KWAudioClip.h"
#include "app/core/ProjectModel.h"
#include "support/TestSounds.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace audiotest {

// A project at `fps` with `frames` picture frames of hold 1.
inline ProjectModelPtr projectWithFrames(int64_t fps, int frames) {
    auto project = ProjectModel::create();
    project->setFPS(fps);
    auto list = project->getFrameList();
    for (int i = 0; i < frames; ++i) list->insertFrame(Frame::create(Frame::kTypePicture), list->count() - 1);
    return project;
}

// Attaches a clip of the sound to the frame at `index` of the list.
inline std::shared_ptr<KWAudioClip> attach(const ProjectModelPtr& project, int64_t index,
                                           const testsupport::TestSound& sound, int64_t stop, float volume,
                                           int64_t start = 0) {
    static int serial = 0;
    const std::string name = "audio-" + std::to_string(++serial) + "." + sound.extension;
    EXPECT_TRUE(project->copyFileFromExternal(testsupport::testSound(sound), name));
    auto clip = std::make_shared<KWAudioClip>(std::string("clip"), name);
    clip->setStart(start);
    clip->setStop(stop);
    clip->setDuration(static_cast<int64_t>(sound.seconds * 1000));
    clip->setVolume(volume);
    project->getFrameList()->getFrameAtIndex(index)->setAudio(clip);
    return clip;
}

}  // namespace audiotest
