#pragma once

// The editor's audio arithmetic and bookkeeping as plain functions: where a
// voice-over starts, which importer type a chosen sound gets, which frames
// hold for their clips, and which sound files of a project no clip uses.

#include "app/core/FrameList.h"
#include "app/core/ProjectModel.h"
#include "platform/foundation/Error.h"

#include <cstdint>
#include <optional>
#include <string>

class KWAudioClip;

namespace frameeditor {

// Importer types of a chosen sound.
inline constexpr int32_t kAudioTypeSound = 0;
inline constexpr int32_t kAudioTypeRecording = 1;
inline constexpr int32_t kAudioTypeLong = 2;
// Sounds longer than this are imported as long ones.
inline constexpr double kLongAudioSeconds = 60.0;

// The start of a voice-over, in whole milliseconds, for the playhead on
// expanded entry `expandedIndex` at `fps` (at least 1) frames per second:
// index × (1000 / fps), truncated.
int64_t voiceOverStartTime(int64_t expandedIndex, int64_t fps);
// The first expanded entry of `frame`; 0 when it has none.
int64_t expandedIndexOf(const FrameList& list, const FramePtr& frame);
// The importer type of a sound of that length (none: it could not be read).
int32_t audioTypeForDuration(std::optional<double> seconds);
// The length of the sound at a path or "file:" URL; none when unreadable.
std::optional<double> audioDurationSeconds(const std::string& pathOrURL);

// The question before a frame's clip is replaced: a voice-over recording
// (a file named "record-...") is said to stay under Recordings.
std::string replaceClipMessage(const KWAudioClip& clip);

// Whether a clip of the list plays the file of that name (case ignored).
bool isAudioFileInUse(const FrameList& list, const std::string& fileName);
// Removes the project's sound file of that name when no clip uses it. A name
// that is not a plain file name (empty, "." or "..", with a slash or a NUL)
// is refused with an error; a file that is not there is no error.
foundation::Status removeUnusedAudioFile(ProjectModel& project, const std::string& fileName);
// The same for many names, with one look at the list for all of them; the
// first failure is returned, every name tried.
foundation::Status removeUnusedAudioFiles(ProjectModel& project, const std::vector<std::string>& fileNames);

// Brings the hold of every frame that pauses for its clip up to the clip's
// length; a frame whose clip gives no hold stops pausing. True when a hold
// changed. Saves nothing.
bool updateAudioHolds(const ProjectModelPtr& project);

}  // namespace frameeditor
