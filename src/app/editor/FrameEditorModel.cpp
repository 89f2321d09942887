#include "app/editor/FrameEditorModel.h"

#include "app/core/SaveFailure.h"
#include "app/core/StorageFullError.h"
#include "app/painter/PainterFrameSave.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Localized.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <unordered_set>

using foundation::Error;
using foundation::Status;
using graphics::Image;

namespace frameeditor {

namespace {

constexpr const char* kPasteIncompleteText =
    "One or more of the items may have been deleted or are no longer available.";

std::optional<Image> decodeStored(const ProjectModel& project, const std::string& fileName) {
    const auto data = project.fileDataForFileWithPreferredFilename(fileName);
    if (!data || data->empty()) return std::nullopt;
    auto image = Image::decode(*data);
    if (!image.ok() || image->isNull()) return std::nullopt;
    return std::move(image.value());
}

}  // namespace

int64_t clampedInsertionIndex(int64_t index, int64_t count) { return std::clamp<int64_t>(index, 0, count); }

std::vector<int64_t> insertFrames(FrameList& list, const std::vector<FramePtr>& frames, int64_t atIndex) {
    int64_t next = clampedInsertionIndex(atIndex, list.count());
    std::vector<int64_t> placed;
    placed.reserve(frames.size());
    std::unordered_set<const Frame*> listed;
    for (const FramePtr& frame : list) listed.insert(frame.get());
    // New frames go in by runs, each in one insertion: one per frame would
    // move the rest of the list once per frame.
    std::vector<FramePtr> run;
    const auto insertRun = [&] {
        next += list.insertFrames(run, next);
        run.clear();
    };
    for (const FramePtr& frame : frames) {
        if (!frame) continue;
        if (listed.insert(frame.get()).second) {
            placed.push_back(next + static_cast<int64_t>(run.size()));
            run.push_back(frame);
            continue;
        }
        // Already listed (the capture screen put it there): it stays, and
        // the frames after it follow it.
        insertRun();
        const int64_t present = list.getIndexForFrame(frame);
        placed.push_back(present);
        next = present + 1;
    }
    insertRun();
    return placed;
}

void removeFrame(FrameList& list, const FramePtr& frame) {
    const int64_t index = list.getIndexForFrame(frame);
    if (index == foundation::kNotFound) return;
    list.removeFrame(frame);
    keepPlayheadListed(list, index);
}

void keepPlayheadListed(FrameList& list, int64_t index) {
    if (list.count() == 0 || list.getIndexForFrame(list.frameAtPlayhead()) != foundation::kNotFound) return;
    list.setFrameAtPlayhead(list.getFrameAtIndex(std::clamp<int64_t>(index, 0, list.count() - 1)));
}

std::vector<FramePtr> framesInRange(const FrameList& list, int64_t location, int64_t length) {
    const int64_t begin = std::clamp<int64_t>(location, 0, list.count());
    const int64_t end = length <= 0 ? begin : std::clamp<int64_t>(location + length, begin, list.count());
    return list.subarrayWithRange(begin, end - begin);
}

std::vector<FramePtr> copyableFrames(const FrameList& list, int64_t location, int64_t length) {
    std::vector<FramePtr> frames = framesInRange(list, location, length);
    std::erase_if(frames, [](const FramePtr& frame) { return !frame->canCopy(); });
    return frames;
}

std::optional<CaptureHerePlacement> captureHerePlacement(const FrameList& list, const FramePtr& frame) {
    if (!frame || (frame->type() == Frame::kTypeCaptureSlot)) return std::nullopt;
    const int64_t index = list.getIndexForFrame(frame);
    if (index == foundation::kNotFound) return std::nullopt;
    FramePtr slot = list.findFirstOccurrenceOfFrameWithType(Frame::kTypeCaptureSlot);
    const bool listed = slot != nullptr;
    if (!slot) slot = Frame::create(Frame::kTypeCaptureSlot);
    return CaptureHerePlacement{slot, index, listed};
}

ThemeCards themeCards(const FrameList& list) {
    return {list.findFirstOccurrenceOfFrameWithType(Frame::kTypeTitleCard),
            list.findFirstOccurrenceOfFrameWithType(Frame::kTypeCreditsCard)};
}

int64_t themeCardHold(int64_t fps) { return 4 * std::max<int64_t>(fps, 1); }

int64_t framesPerSecond(ProjectModel& project) { return std::max<int64_t>(project.getFPS(), 1); }

std::string deleteQuestion(const std::vector<FramePtr>& going) {
    std::string question;
    for (const FramePtr& frame : going) {
        const bool held = frame->getDuration() > 1;
        std::string line;
        switch (frame->type()) {
            case Frame::kTypeTitleCard:
                line = held ? "The title card goes with its %d frames." : "The title card goes.";
                break;
            case Frame::kTypeCreditsCard:
                line = held ? "The credits card goes with its %d frames." : "The credits card goes.";
                break;
            case Frame::kTypeThemeTextCard:
                line = held ? "The text card goes with its %d frames." : "The text card goes.";
                break;
            default:
                continue;
        }
        if (!question.empty()) question += "\n";
        question += foundation::localizedFormat(line, {foundation::Value(frame->getDuration())});
    }
    return question;
}

Status replaceFramePicture(ProjectModel& project, KWImageProducer& producer, const Image& image,
                           const std::string& frameID, const std::optional<graphics::AffineTransform>& pictureMapping) {
    // The painting notes the change before the picture is replaced, so that
    // no crash between the two can bring its old picture back.
    std::vector<std::string> left;
    const Status replaced = producer.replaceImage(image, frameID, [&](const foundation::Bytes& picture) {
        auto noted = notePictureReplacement(project, frameID, picture, pictureMapping);
        if (!noted) return Status(noted.error());
        left = std::move(*noted);
        return Status::success();
    });
    // Carries the noted change into the painting when the picture took it,
    // and drops the note when it did not.
    const auto carried = carryPictureIntoPainting(project, frameID);
    if (carried)
        for (const std::string& part : *carried)
            if (std::find(left.begin(), left.end(), part) == left.end()) left.push_back(part);
    const Status status = !replaced ? replaced : !carried ? Status(carried.error()) : Status::success();
    if (!status && foundation::isOutOfSpaceError(status.error())) return storageFullError(status.error());
    // What the painting could not take is told once, with the change.
    if (status && !left.empty()) return painterfiles::pictureChangedPartsLeftError(left);
    return status;
}

std::optional<Image> originalPicture(ProjectModel& project, const FramePtr& frame) {
    if (!frame || (frame->type() == Frame::kTypeCaptureSlot)) return std::nullopt;
    return decodeStored(project, KWImageProducer::frameFileName(frame->frameID()));
}

std::vector<std::optional<Image>> mergeSources(ProjectModel& project, int64_t index) {
    std::vector<std::optional<Image>> sources;
    const auto list = project.getFrameList();
    for (int64_t i = index; i > index - 3; --i) {
        const FramePtr frame = list && i >= 0 ? list->getFrameAtIndex(i) : nullptr;
        sources.push_back(frame ? originalPicture(project, frame) : std::nullopt);
    }
    return sources;
}

std::string saveFailureMessage(ProjectModel& project, const Error& error) {
    // What a painting could not take is the painting's own story.
    if (error.domain == painterfiles::kPainterErrorDomain) return error.description;
    return saveFailureText(projectCalled(project.getName()), error);
}

Error pasteIncompleteError() { return Error("FrameEditor", 2090, foundation::localized(kPasteIncompleteText)); }

std::optional<Error> pastedPaintingsUnreadError(const FrameList& list,
                                                const std::vector<KWPasteboardHandler::UnreadFile>& unread,
                                                bool framesMissing) {
    if (unread.empty()) return std::nullopt;
    // The parts of each frame, the frames in the order they came.
    std::vector<std::pair<FramePtr, std::vector<std::string>>> frames;
    for (const KWPasteboardHandler::UnreadFile& file : unread) {
        if (frames.empty() || frames.back().first != file.pasted) frames.push_back({file.pasted, {}});
        frames.back().second.push_back(painterfiles::partOfFile(file.sourceFolder, file.sourceFrameID, file.fileName));
    }
    std::string text;
    for (const auto& [frame, parts] : frames) {
        const int64_t index = list.getIndexForFrame(frame);
        const std::string place = index == foundation::kNotFound ? "?" : std::to_string(index + 1);
        text += (text.empty() ? "" : "; ") + foundation::localizedFormat("frame %@ (%@)", {foundation::Value(place),
                                                                          foundation::Value(painterfiles::partsText(parts))});
    }
    std::string message = foundation::localizedFormat(
        "The frames were pasted, but part of their painting cannot be read: %@. That part was not copied and was "
        "left as it is.",
        {foundation::Value(text)});
    if (framesMissing) message += " " + foundation::localized(kPasteIncompleteText);
    return Error("FrameEditor", 2091, message);
}

std::optional<Error> framesTooLongToAddError(ProjectModel& project, const std::vector<FramePtr>& frames) {
    std::shared_ptr<FrameList> list = project.getFrameList();
    if (!list) return std::nullopt;
    // Weighed as the list would stand, then put back as it was.
    std::vector<FramePtr> before = list->subarrayWithRange(0, list->count());
    list->insertFrames(frames, list->count());
    foundation::Result<size_t> excess = project.frameListExcessBytes();
    list->restoreFrames(std::move(before));
    if (!excess || *excess == 0) return std::nullopt;
    return Error(kSaveRefusedDomain, EFBIG,
                 foundation::localizedFormat("These frames cannot be added: the project's texts would be about %@ "
                                             "characters too long. Delete text cards you no longer need, or "
                                             "shorten their texts.",
                                             {foundation::Value(uint64_t(*excess))}));
}

std::optional<Error> projectOpenError(ProjectModel& project) {
    // A new project has nothing to read yet.
    if (!project.getProjectPath()) return std::nullopt;
    if (auto unreadable = project.frameListOpenError()) return unreadable;
    if (!project.getMetaData()) {
        return project.metaDataLoadError().value_or(Error("FrameEditor", 0, "The project's data cannot be read."));
    }
    return std::nullopt;
}

}  // namespace frameeditor
