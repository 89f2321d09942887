#include "app/core/ProjectConvertProcessor.h"

#include "app/core/AudioClip.h"
#include "app/core/FrameMeta.h"
#include "app/core/SaveFailure.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"

#include <cmath>
#include <limits>
#include <set>
#include <vector>

using foundation::Dictionary;
using foundation::Value;

namespace {

constexpr double kCurrentVersion = 6.0;
constexpr double kOldestConvertibleVersion = 3.0;

std::vector<AudioClip> collectOldClips(const Dictionary& meta) {
    std::vector<AudioClip> clips;
    Dictionary tracks = meta.get(projectkeys::kMetaAudio).asDictionary();
    for (int track = 0; track < 3; ++track) {
        for (const Value& entry : tracks.get(foundation::format("TRACK_%d", {track})).asArray()) {
            AudioClip clip(entry.asDictionary());
            clip.track = track;
            clips.push_back(std::move(clip));
        }
    }
    return clips;
}

// Whole milliseconds, truncated toward zero. Old files may hold any time at
// all: a time beyond what 64 bits of milliseconds can count is clamped to the
// nearest count, since converting it unchecked is undefined.
int64_t milliseconds(double seconds) {
    // 2^63 is exactly representable; every double below it converts safely.
    constexpr double kLimit = 9223372036854775808.0;
    double ms = std::trunc(seconds * 1000.0);
    if (std::isnan(ms)) return 0;
    if (ms >= kLimit) return std::numeric_limits<int64_t>::max();
    if (ms < -kLimit) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(ms);
}

std::shared_ptr<KWAudioClip> newClipFromOld(const AudioClip& old) {
    std::optional<std::string> fileName;
    if (old.url)
        fileName = foundation::path::lastComponent(old.url->starts_with("file://") ? old.url->substr(7) : *old.url);
    auto clip = std::make_shared<KWAudioClip>(old.name, fileName);
    double start = old.start.secondsValue();
    clip->setStart(milliseconds(start));
    clip->setStop(milliseconds(start + old.duration.secondsValue()));
    clip->setDuration(milliseconds(old.totalDuration.secondsValue()));
    clip->setVolume(old.volume);
    return clip;
}

bool sameClip(const KWAudioClip& a, const KWAudioClip& b) {
    return a.fileName() == b.fileName() && a.start() == b.start() && a.stop() == b.stop() && a.name() == b.name();
}

// A conversion cut short (the process killed between writing "frames.meta"
// and "kelbrin.meta") runs again at the next opening; clips it attached
// already must not be attached a second time. Each old clip accounts for at
// most one attached copy, so equal clips at different frames all stay.
FramePtr takeAttachedCopy(const FrameList& list, const KWAudioClip& clip, std::set<const Frame*>& claimed) {
    for (const FramePtr& frame : list) {
        if (claimed.contains(frame.get())) continue;
        if (auto attached = frame->getAudio(); attached && sameClip(*attached, clip)) {
            claimed.insert(frame.get());
            return frame;
        }
    }
    return nullptr;
}

// The frame an old clip was anchored at. A link position of 0 names the frame
// by UID; any other position is the frame's index in the unconverted list,
// with the UID as fallback when that index names no picture.
FramePtr anchorFrame(const AudioClip& old, const FrameList& list) {
    if (old.linkToPosition != 0) {
        FramePtr frame = list.getFrameAtIndex(old.linkToPosition);
        if (frame && frame->type() != Frame::kTypeCaptureSlot) return frame;
    }
    if (!old.linkToFrameUID) return nullptr;
    return ProjectConvertProcessor::findFrameWithUID(*old.linkToFrameUID, list);
}

// A frame holds one clip. A second clip for the same frame goes to the
// nearest frame behind it that has none (the next entry of the same held
// picture, in old projects), else the nearest in front of it; only when
// every frame has a clip does it replace the first.
FramePtr frameForClip(const FramePtr& anchor, const FrameList& list) {
    if (!anchor->getAudio()) return anchor;
    int64_t index = list.getIndexForFrame(anchor);
    auto isFree = [](const FramePtr& f) { return f && f->type() != Frame::kTypeCaptureSlot && !f->getAudio(); };
    for (int64_t i = index + 1; i < list.count(); ++i)
        if (isFree(list.getFrameAtIndex(i))) return list.getFrameAtIndex(i);
    for (int64_t i = index - 1; i >= 0; --i)
        if (isFree(list.getFrameAtIndex(i))) return list.getFrameAtIndex(i);
    return anchor;
}

void collapseHolds(FrameList& list) {
    if (list.count() == 0) return;
    int64_t index = 0;
    FramePtr current = list.getFrameAtIndex(0);
    while (FramePtr next = list.getFrameAtIndex(index + 1)) {
        if (next->frameID() == current->frameID() && !next->getAudio()) {
            current->setDuration(current->getDuration() + 1);
            list.removeFrameAtIndex(index + 1);
        } else {
            current = next;
            ++index;
        }
    }
}

}  // namespace

std::shared_ptr<ProjectConvertProcessor> ProjectConvertProcessor::create() {
    return std::shared_ptr<ProjectConvertProcessor>(new ProjectConvertProcessor());
}

std::optional<float> ProjectConvertProcessor::getProductVersion(const Dictionary& metaData) {
    const Value& stored = metaData.get(projectkeys::kProductVersion);
    if (!stored.isNumber() && !stored.isString()) return std::nullopt;
    // A text that does not begin with a number reads as 0, as older versions read it.
    auto version = static_cast<float>(stored.asDouble());
    if (!std::isfinite(version)) return std::nullopt;
    return version;
}

bool ProjectConvertProcessor::canOpenProductVersion(std::optional<float> productVersion) {
    return productVersion && *productVersion >= static_cast<float>(kOldestConvertibleVersion);
}

bool ProjectConvertProcessor::needsConversion(std::optional<float> productVersion) {
    return canOpenProductVersion(productVersion) && *productVersion < static_cast<float>(kCurrentVersion);
}

void ProjectConvertProcessor::convertProject(const ProjectModelPtr& project, CompletionHandler withCompletionHandler) {
    completionHandler_ = std::move(withCompletionHandler);
    status_ = kStatusQueuing;
    auto self = shared_from_this();
    foundation::DispatchQueue::global().async([self, project] {
        if (project) {
            if (auto meta = project->getMetaData(); meta && needsConversion(getProductVersion(*meta)))
                (void)self->convertProjectTo_6_0_AtPath(project);  // the failure is kept in error()
        }
        if (self->completionHandler_) self->completionHandler_();
    });
    status_ = kStatusQueued;
}

foundation::Status ProjectConvertProcessor::convertProjectTo_6_0_AtPath(const ProjectModelPtr& project) {
    auto meta = project->getMetaData();
    std::shared_ptr<FrameList> list = project->getFrameList();
    // A damaged file must not be "converted" into a project that claims the
    // new format while holding nothing of the old one.
    if (!meta || !list) {
        error_ = foundation::Error(foundation::kCocoaErrorDomain, foundation::plist::kReadCorruptError,
                                   "The project could not be converted because its files could not be read.");
        return *error_;
    }

    std::set<const Frame*> claimed;
    for (const AudioClip& old : collectOldClips(*meta)) {
        std::shared_ptr<KWAudioClip> clip = newClipFromOld(old);
        if (takeAttachedCopy(*list, *clip, claimed)) continue;
        FramePtr anchor = anchorFrame(old, *list);
        if (!anchor) continue;
        FramePtr target = frameForClip(anchor, *list);
        target->setAudio(clip);
        claimed.insert(target.get());
    }

    collapseHolds(*list);

    for (const FramePtr& frame : *list)
        if (frame->type() == Frame::kTypeThemeTextCard) frame->setTheme(getThemeItemForFrame(frame, project));

    meta->set(projectkeys::kProductVersion, Value::real(kCurrentVersion));
    foundation::Status saved = project->saveAllDataToDisk();
    if (!saved) error_ = saveFailureError(projectCalled(project->getName()), saved.error());
    return saved;
}

FramePtr ProjectConvertProcessor::findFrameWithUID(const std::string& uid, const FrameList& inFramelist) {
    for (const FramePtr& frame : inFramelist)
        if (frame->UID() == uid) return frame;
    return nullptr;
}

int64_t ProjectConvertProcessor::calculateTheNumberOfImagesInHoldAtIndex(int64_t index, const FrameList& inFramelist) {
    FramePtr first = inFramelist.getFrameAtIndex(index);
    if (!first) return 1;
    int64_t count = 1;
    while (FramePtr next = inFramelist.getFrameAtIndex(index + count)) {
        if (next->frameID() != first->frameID() || next->getAudio()) break;
        ++count;
    }
    return count;
}

std::shared_ptr<KWThemeItem> ProjectConvertProcessor::getThemeItemForFrame(const FramePtr& frame,
                                                                           const ProjectModelPtr& intProject) {
    auto item = std::make_shared<KWThemeItem>();
    item->setText("");
    auto folder = intProject ? intProject->getProjectPath() : std::nullopt;
    if (!frame || !folder) return item;
    FrameMeta legacy(frame->frameID(), *folder);
    Dictionary card = legacy.objectForKey("THEME_CARD_DATA").asDictionary();
    if (auto text = card.get("THEME_CARD_TEXT").stringValue()) item->setText(*text);
    item->setThemeID(static_cast<int32_t>(card.get("THEME_CARD_ID").asInt(0)));
    return item;
}
