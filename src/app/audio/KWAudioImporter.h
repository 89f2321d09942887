#pragma once

// Brings ready audio files into the application: a sound chosen for a frame
// (a recording, an application sound, a converted music-library item) is
// copied into the project directory and described by a new clip; the
// "shared-audio" inbox of the documents folder takes in audio files that
// other applications hand over until a project picks them up.
//
// Neither ever replaces a sound: a file of the same name with other bytes
// keeps its name and the newcomer takes "name-2.ext" (AudioFilePlacement.h).

#include "app/core/KWAudioClip.h"
#include "app/core/ProjectModel.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class KWAudioImporter {
public:
    static inline const char* kSharedAudioInboxFolder = "shared-audio";
    // Clip type of a voice-over recording; its "record-" name becomes its length.
    static constexpr int32_t kClipTypeRecording = 1;

    explicit KWAudioImporter(ProjectModelPtr project);
    const ProjectModelPtr& project() const { return project_; }

    // Copies the file into the project directory (creating the directory of
    // a new project) unless the same sound is there already, and returns a
    // clip over all of it: start 0, stop and duration its length in whole
    // milliseconds (0 for a file that holds no readable sound), volume 1.0,
    // the stored file's name. Its name is `name`, else the source's file name
    // without extension; a recording (type 1) whose name begins with
    // "record-" is named by its length instead ("01:15").
    // A file that cannot be copied posts "ShowErrorNotification" with this
    // importer as object and the error under "ERROR", and gives no clip.
    // Main thread.
    std::shared_ptr<KWAudioClip> prepareAudioClipWithFile(const std::string& file,
                                                          const std::optional<std::string>& withName, int32_t withType);

    // The inbox folder's path (whether or not it exists yet).
    static std::string sharedAudioInboxPath();

    // Creates the inbox with its parents when missing; failures are ignored.
    static void createSharedAudioInboxFolder();

    // Moves the file of a "file:" URL (or an absolute path) into the inbox
    // under its own name, or the first free numbered one when another sound
    // has that name. When the inbox holds the same sound already, the source
    // stays where it is. Failures are ignored (the source then stays too);
    // the result is the file in the inbox that holds the sound, if any.
    static std::optional<std::string> importAudioFromFileURL(const std::string& fileURL);

private:
    ProjectModelPtr project_;
};
