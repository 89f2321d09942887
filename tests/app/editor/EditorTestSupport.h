#pragma once

// What the editor tests share: the list invariants checked after every
// operation, projects of named pictures, and a fixture with the editor in a
// window on the virtual clock (fresh folders and settings, the null sound
// output, the synthetic camera) at the tablet's or the phone's size.

#include "app/core/FrameList.h"
#include "app/core/ProjectModel.h"
#include "app/editor/FrameEditorViewController.h"
#include "platform/graphics/Image.h"
#include "platform/media/AudioOutput.h"
#include "support/AudioDevices.h"
#include "support/ScopedEnvironment.h"
#include "support/TempAppFolders.h"
#include "support/WindowFixture.h"

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace editortest {

// Empty when the list holds: exactly one capture slot, the playhead on a
// listed frame, and the three picture files of every picture frame in the
// project's folder (a project without folder has no files to check).
// Otherwise what is wrong, one line per fault.
std::string listInvariantFaults(ProjectModel& project);
#define EXPECT_LIST_INVARIANTS(project) EXPECT_EQ(editortest::listInvariantFaults(*(project)), "")

// A solid picture whose colour names a frame: distinct per letter.
graphics::RGBA colourOf(char name);
graphics::Image pictureOf(char name, int width = 320, int height = 180);
// The letter whose colour a stored picture shows at its centre ('?' when none is near).
char nameOfPicture(const graphics::Image& picture);

// A project of stored pictures named by the letters of `names`, then the
// capture slot, saved into its own folder; the playhead on the first entry.
ProjectModelPtr projectOfPictures(const std::string& names);
// The letters of the list's entries: picture frames by their stored full
// picture, the capture slot 'S', title 'T', credits 'C', text card 'X'.
std::string namesOfList(ProjectModel& project);
// The same read back from the saved "frames.meta" through python3 plistlib:
// the entries' frame IDs mapped to the letters the list in memory gives them.
std::string namesOfSavedList(ProjectModel& project);

// Which write of "frames.meta" is on disk: its inode and modification time
// (the atomic writer gives every save a new file, but an inode freed by a
// rename can be handed to the next save's file, so the time counts too).
using SavedListStamp = std::pair<unsigned long, int64_t>;
SavedListStamp savedListStamp(ProjectModel& project);

class EditorTest : public testsupport::WindowFixture {
protected:
    explicit EditorTest(bool phone = false);
    void SetUp() override;
    void TearDown() override;

    // Shows an editor for the project as the window's root screen.
    FrameEditorViewController& open(const ProjectModelPtr& project);
    // Runs what the main queue holds (the deferred insertions and saves).
    void settle();
    int plays(const std::string& soundFile) const { return audio->plays(soundFile); }

    bool phone_;
    testsupport::TempAppFolders folders;
    testsupport::ScopedEnvironment camera{{"TOLLIVAR_CAMERA", std::string("synthetic")}};
    std::shared_ptr<media::NullAudioOutput> audio = std::make_shared<media::NullAudioOutput>();
    FrameEditorViewControllerPtr editor;
};

class PhoneEditorTest : public EditorTest {
protected:
    PhoneEditorTest() : EditorTest(true) {}
};

// An editor on a machine with a microphone, so the voice-over panel has
// nothing to complain about.
class MicrophoneEditorTest : public EditorTest {
protected:
    explicit MicrophoneEditorTest(bool phone = false) : EditorTest(phone) {}
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<testsupport::AudioDevicesScope> devices;
};

}  // namespace editortest
