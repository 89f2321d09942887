#include "app/editor/EditorAudio.h"

#include "app/audio/KWAudioHelper.h"
#include "app/core/KWAudioClip.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/media/Asset.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <set>
#include <system_error>

namespace frameeditor {

namespace {

bool equalIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

std::string lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool isPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

}  // namespace

int64_t voiceOverStartTime(int64_t expandedIndex, int64_t fps) {
    const double perFrame = (1.0 / static_cast<double>(std::max<int64_t>(fps, 1))) * 1000.0;
    return static_cast<int64_t>(static_cast<double>(expandedIndex) * perFrame);
}

std::string replaceClipMessage(const KWAudioClip& clip) {
    using foundation::localized;
    if (clip.fileName().value_or("").starts_with("record-"))
        return localized("This frame has a voice-over. A frame plays one sound: the new one takes its place, and "
                         "the recording stays under Recordings.");
    return foundation::localizedFormat("This frame plays “%@”. A frame plays one sound: the new one takes its place.",
                                       {foundation::Value(clip.name().value_or(clip.fileName().value_or("")))});
}

int64_t expandedIndexOf(const FrameList& list, const FramePtr& frame) {
    return list.getExpandedFrameList().firstEntryOf(frame).value_or(0);
}

int32_t audioTypeForDuration(std::optional<double> seconds) {
    return seconds && *seconds > kLongAudioSeconds ? kAudioTypeLong : kAudioTypeSound;
}

std::optional<double> audioDurationSeconds(const std::string& pathOrURL) {
    const std::string path = foundation::path::fromFileURL(pathOrURL).value_or(pathOrURL);
    auto asset = media::Asset::open(path);
    if (!asset) return std::nullopt;
    const double seconds = asset->durationSeconds();
    if (!std::isfinite(seconds)) return std::nullopt;
    return seconds;
}

bool isAudioFileInUse(const FrameList& list, const std::string& fileName) {
    return std::any_of(list.begin(), list.end(), [&fileName](const FramePtr& frame) {
        auto clip = frame ? frame->getAudio() : nullptr;
        auto name = clip ? clip->fileName() : std::nullopt;
        return name && equalIgnoringCase(*name, fileName);
    });
}

foundation::Status removeUnusedAudioFile(ProjectModel& project, const std::string& fileName) {
    return removeUnusedAudioFiles(project, {fileName});
}

foundation::Status removeUnusedAudioFiles(ProjectModel& project, const std::vector<std::string>& fileNames) {
    for (const std::string& fileName : fileNames)
        if (!isPlainFileName(fileName))
            return foundation::Error::posix(EINVAL, "Not a sound file name: \"" + fileName + "\"");
    auto list = project.getFrameList();
    const auto folder = project.getProjectPath();
    if (!list || !folder) return {};
    // The names in use, read once for all of them.
    std::set<std::string> inUse;
    for (const FramePtr& frame : *list) {
        auto clip = frame ? frame->getAudio() : nullptr;
        if (auto name = clip ? clip->fileName() : std::nullopt) inUse.insert(lowered(*name));
    }
    foundation::Status status;
    for (const std::string& fileName : fileNames) {
        if (!inUse.insert(lowered(fileName)).second) continue;  // in use, or removed already
        std::error_code error;
        std::filesystem::remove(foundation::path::appending(*folder, fileName), error);
        if (error && status) status = foundation::Error::posix(error.value(), "Could not remove \"" + fileName + "\"");
    }
    return status;
}

bool updateAudioHolds(const ProjectModelPtr& project) {
    auto list = project ? project->getFrameList() : nullptr;
    if (!list) return false;
    bool changed = false;
    for (const FramePtr& frame : *list) {
        if (!frame || !frame->isFramePausedForDurationOfAudio()) continue;
        const int64_t hold = KWAudioHelper::calculateHoldForFrameBasedOnAudio(frame, project);
        if (hold == -1) {
            frame->setIsFramePausedForDurationOfAudio(false);
        } else if (hold != frame->getDuration()) {
            frame->setDuration(hold);
            changed = true;
        }
    }
    return changed;
}

}  // namespace frameeditor
