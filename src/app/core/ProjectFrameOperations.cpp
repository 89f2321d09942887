// The operations of a project that change its frame list and its files
// together, ordered so that a failure at any write (a full device, a killed
// process) never leaves a listed frame without its pictures: pictures are
// written before the list that names them, and removed only after the list
// that no longer names them was written.

#include "app/core/FileUtil.h"
#include "app/core/KWImageProducer.h"
#include "app/core/ProjectDataWrapper.h"
#include "app/core/ProjectLeftovers.h"
#include "app/core/StorageFullError.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Paths.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

using foundation::Error;
using foundation::Status;
using foundation::Value;
namespace keys = projectkeys;

Status ProjectDataWrapper::writeMetaDataAfterFrameList() {
    std::shared_ptr<FrameList> list = getFrameList();
    if (auto meta = getMetaData(); meta && list) {
        FramePtr playhead = list->frameAtPlayhead();
        // Where the project resumes: the playhead frame; right after a
        // capture, and until the playhead moves, the capture slot with the
        // new picture as the project's face (a capture taken while the
        // playhead rests elsewhere, and the saves that follow it).
        FramePtr resume = playhead;
        FramePtr face;
        if (lastCapture_ && lastCapture_->playhead == playhead && list->getCaptureIndex() != foundation::kNotFound) {
            resume = list->getFrameAtIndex(list->getCaptureIndex());
            if (list->getIndexForFrame(lastCapture_->picture) != foundation::kNotFound) face = lastCapture_->picture;
        } else {
            lastCapture_.reset();
        }
        int64_t index = list->getIndexForFrame(resume);
        meta->set(keys::kCurrentFrameIndex, Value::integer(index));
        // The project's picture in the browser: the resume frame, or the
        // picture in front of it while that is the capture slot.
        FramePtr thumbFrame = face ? face : resume;
        if (!face && resume && resume->type() == Frame::kTypeCaptureSlot && index != foundation::kNotFound &&
            index >= 1)
            thumbFrame = list->getFrameAtIndex(index - 1);
        if (thumbFrame) meta->set(keys::kThumbFrameID, thumbFrame->frameID());
    }
    return saveMetaDataToDisk();
}

ProjectDataWrapper::StoredPicture ProjectDataWrapper::storeCapturedPicture(const graphics::Image& picture,
                                                                           KWImageProducer& producer) {
    std::shared_ptr<FrameList> list = getFrameList();
    if (!list) return {nullptr, captureStoreError(*frameListLoadError_)};
    FramePtr frame = Frame::create(Frame::kTypePicture);
    // The first file of a new project creates its folder and lists it.
    const bool wasNew = !hasProjectPath();
    // Nothing of a picture that is not stored stays in the folder, nor a
    // folder and a listing made for it alone.
    auto notStored = [&](const Error& cause) {
        removeFilesOfUnusedFrameIDs({frame});
        if (wasNew) withdrawNewFolder();
        return StoredPicture{nullptr, captureStoreError(cause)};
    };
    if (Status stored = producer.storeImage(picture, frame->frameID()); !stored) return notStored(stored.error());

    FramePtr addedSlot;
    if (list->getCaptureIndex() == foundation::kNotFound) {
        addedSlot = Frame::create(Frame::kTypeCaptureSlot);
        list->addFrame(addedSlot);
    }
    list->insertFrame(frame, list->getCaptureIndex());
    auto meta = getMetaData();
    // The flag as it was, so a picture that is not stored leaves the
    // metadata in memory as it found them (a later save writes them).
    std::optional<Value> previousFlag;
    if (meta) {
        if (meta->contains(keys::kNeedsRendering)) previousFlag = meta->get(keys::kNeedsRendering);
        meta->set(keys::kNeedsRendering, true);
    }

    foundation::Result<bool> folder = prepareFolderForSave();
    Status listed = folder ? writeFrameList() : Status(folder.error());
    if (!listed) {
        list->removeFrame(frame);
        if (addedSlot) list->removeFrame(addedSlot);
        if (meta && previousFlag) meta->set(keys::kNeedsRendering, *previousFlag);
        if (meta && !previousFlag) meta->remove(keys::kNeedsRendering);
        return notStored(listed.error());
    }
    // From here on the frame is listed on disk: it is stored, whatever the
    // metadata save says. The metadata name the capture slot as the place
    // to resume and the new picture as the project's thumbnail.
    lastCapture_ = LastCapture{list->frameAtPlayhead(), frame};
    if (!meta) return {frame, captureStoreError(*metaDataLoadError_)};
    if (Status saved = writeMetaDataAfterFrameList(); !saved) return {frame, captureStoreError(saved.error())};
    return {frame, std::nullopt};
}

Status ProjectDataWrapper::removeFramesInRange(int64_t location, int64_t length) {
    std::shared_ptr<FrameList> list = getFrameList();
    if (!list) return *frameListLoadError_;
    std::vector<FramePtr> before(list->begin(), list->end());
    // The deletable frames at the positions of the range that lie in the list.
    std::vector<FramePtr> removed;
    for (int64_t index = std::max<int64_t>(location, 0); index < list->count() && index - location < length; ++index)
        if (FramePtr frame = list->getFrameAtIndex(index); frame->canDelete()) removed.push_back(frame);
    list->removeFrames(removed);
    foundation::Result<bool> folder = prepareFolderForSave();
    Status listed = !folder ? Status(folder.error()) : *folder ? writeFrameList() : Status::success();
    if (!listed) {
        // Put the list back as it was, in place: the frames were never removed.
        list->restoreFrames(std::move(before));
        return listed;
    }
    // The list on disk names them no more: their files can go, whatever the
    // metadata save says.
    removeFilesOfUnusedFrameIDs(removed);
    return folder.value() ? writeMetaDataAfterFrameList() : Status::success();
}

void ProjectDataWrapper::removeFilesOfUnusedFrameIDs(const std::vector<FramePtr>& frames) {
    auto folder = getProjectPath();
    if (!folder) return;
    // Copies of a frame share its audio file by name; a file a listed clip
    // plays stays, whatever its name.
    std::set<std::string> keep;
    if (frameList_) {
        for (const FramePtr& listed : *frameList_)
            if (auto clip = listed->getAudio(); clip && clip->fileName()) keep.insert(*clip->fileName());
    }
    std::unordered_set<std::string> listed;
    if (frameList_)
        for (const FramePtr& frame : *frameList_) listed.insert(frame->frameID());
    std::vector<std::string> unused;
    for (const FramePtr& frame : frames) {
        // An empty ID would name every file (KeysInNames ignores it); a
        // listed one is still in use.
        if (!listed.contains(frame->frameID())) unused.push_back(frame->frameID());
    }
    const KeysInNames unusedIDs(unused);
    if (unused.empty()) return;
    auto names = foundation::FileManager::defaultManager().contentsOfDirectory(*folder);
    if (!names) return;
    for (const std::string& name : *names)
        if (!keep.contains(name) && unusedIDs.containsAnyKey(name))
            (void)projectleftovers::removeReadableFile(*folder, name);
}

std::vector<std::string> ProjectDataWrapper::removeLeftoverFiles() {
    auto folder = getProjectPath();
    // Which pictures are unused is known only from a list that was read, or
    // saved, as the folder's list.
    if (!folder || !frameList_) return {};
    projectleftovers::Scan scan = projectleftovers::scanFolder(*folder);
    std::vector<std::string> removed = projectleftovers::removeUnusedFiles(*folder, scan.unused);
    removed.insert(removed.end(), scan.removed.begin(), scan.removed.end());
    std::sort(removed.begin(), removed.end());
    return removed;
}

void ProjectDataWrapper::scheduleLeftoverSweep() {
    auto folder = getProjectPath();
    if (!folder || !frameList_) return;
    foundation::DispatchQueue::global(foundation::QueuePriority::Background)
        .after(kLeftoverSweepDelaySeconds, [folder = *folder, weak = foundation::weakFrom(this)] {
            projectleftovers::Scan scan = projectleftovers::scanFolder(folder);
            if (scan.unused.empty()) return;
            foundation::DispatchQueue::main().async([folder, weak, unused = std::move(scan.unused)] {
                // Without the project its list no longer holds the frames in
                // use: every picture would look unused.
                if (auto project = weak.lock()) (void)projectleftovers::removeUnusedFiles(folder, unused);
            });
        });
}
