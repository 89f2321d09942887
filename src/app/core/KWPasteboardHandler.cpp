#include "app/core/KWPasteboardHandler.h"

#include "app/core/FileUtil.h"
#include "app/core/KWImageProducer.h"
#include "app/core/MovieResolution.h"
#include "app/core/PaintFiles.h"
#include "app/core/UIImage_ScaleAndRotate.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/KeyedArchive.h"
#include "platform/foundation/Paths.h"
#include "platform/library/Pasteboard.h"

#include <cerrno>

using foundation::Array;
using foundation::Dictionary;
using foundation::Value;

namespace {

constexpr double kPictureQuality = 1.0;

// Copies one file only when it is a regular one within the read bound, so
// that nothing put in its place can hold the paste or flood the folder.
foundation::Status copyFile(const std::string& from, const std::string& to) {
    return foundation::FileManager::defaultManager().copyRegularFile(from, to, projectkeys::kMaximumFileBytes);
}

bool isMissing(const foundation::Status& status) {
    return !status && status.error().domain == foundation::kPOSIXErrorDomain && status.error().code == ENOENT;
}

foundation::Result<foundation::Bytes> archiveFrames(const std::vector<FramePtr>& frames,
                                                    const std::optional<std::string>& location) {
    Array archived;
    for (const FramePtr& frame : frames) {
        if (frame) archived.push_back(foundation::archivableValue(frame));
    }
    Dictionary root;
    root.set(KWPasteboardHandler::kFramesKey, archived);
    if (location) root.set(KWPasteboardHandler::kLocationKey, *location);
    return foundation::KeyedArchiver::archivedData(Value(root));
}

}  // namespace

KWPasteboardHandler::KWPasteboardHandler(std::shared_ptr<ProjectModel> project) : project(std::move(project)) {}

void KWPasteboardHandler::setFramesInPasteboard(const std::vector<FramePtr>& frames) {
    if (frames.empty() || !project) return;
    auto archive = archiveFrames(frames, project->getProjectPath());
    if (!archive.ok()) return;

    library::PasteboardItem item;
    item.emplace_back(kFramesPasteboardType, std::move(archive.value()));
    KWImageProducer producer(project);
    if (const auto picture = producer.getImageForFrame(frames.front(), KWImageProducer::kImageTypeFrame, {})) {
        auto jpeg = picture->jpegData(kPictureQuality);
        if (jpeg.ok()) item.emplace_back(library::kPasteboardTypeJPEG, std::move(jpeg.value()));
    }
    library::Pasteboard::general().setItems({std::move(item)});
}

std::optional<KWPasteboardHandler::CopiedFrames> KWPasteboardHandler::readCopiedFrames() {
    const auto data = library::Pasteboard::general().dataForType(kFramesPasteboardType);
    if (!data) return std::nullopt;
    CopiedFrames copied;
    auto parsed = foundation::KeyedUnarchiver::unarchiveValue(*data);
    if (!parsed.ok() || !parsed->isDictionary()) return copied;
    const Dictionary root = parsed->asDictionary();
    for (const Value& entry : root.get(kFramesKey).asArray()) {
        if (auto frame = std::dynamic_pointer_cast<Frame>(foundation::archivableFrom(entry))) {
            copied.frames.push_back(std::move(frame));
        }
    }
    copied.location = root.get(kLocationKey).stringValue();
    return copied;
}

int64_t KWPasteboardHandler::getNumberOfFramesInPasteboard() {
    if (const auto copied = readCopiedFrames()) return int64_t(copied->frames.size());
    return library::Pasteboard::general().hasImages() ? 1 : 0;
}

KWPasteboardHandler::PasteOutcome KWPasteboardHandler::pasteFrames(const CopiedFrames& copied) {
    PasteOutcome outcome;
    if (!copied.location || copied.location->empty() || !project) return outcome;
    const std::string& source = *copied.location;
    // Opening the list clears pictures that no listed frame uses; it must
    // happen before pasted pictures arrive that are listed only later.
    if (!project->getFrameList()) return outcome;
    const foundation::FileManager& files = foundation::FileManager::defaultManager();
    // One listing of the source for every frame: a listing per frame would
    // make a paste take the square of its length.
    std::vector<std::string> keys;
    for (const FramePtr& original : copied.frames) {
        keys.push_back(original->frameID());
        if (const auto clip = original->getAudio(); clip && clip->fileName()) keys.push_back(*clip->fileName());
    }
    const auto listing = files.contentsOfDirectory(source);
    const auto byKey = FileUtil::namesByKey(listing ? *listing : std::vector<std::string>{}, keys);
    const auto namesWith = [&](const std::string& key) {
        const auto found = byKey.find(key);
        return found == byKey.end() ? std::vector<std::string>{} : found->second;
    };
    for (const FramePtr& original : copied.frames) {
        // An empty identifier would match every file of the source folder.
        const std::string& id = original->frameID();
        if (id.empty()) continue;
        // A picture frame is nothing without its files. A card draws itself
        // from the outline or its text: one not rendered yet has no files
        // and still pastes, to be rendered in the target.
        const std::vector<std::string> names = namesWith(id);
        if (original->type() == Frame::kTypePicture && names.empty()) continue;
        FramePtr copy = original->copy();
        if (!project->getProjectPath() && !project->createFilePathForProject()) break;
        const auto target = project->getProjectPath();
        if (!target) continue;
        std::vector<std::string> made;
        std::vector<std::string> unread;
        bool whole = true;
        for (const std::string& name : names) {
            const std::string to = foundation::path::appending(*target, FileUtil::replacingKey(name, id, copy->frameID()));
            const foundation::Status copiedFile = copyFile(foundation::path::appending(source, name), to);
            if (copiedFile) {
                made.push_back(to);
            } else if (paintfiles::isPaintingFileOf(name, id)) {
                // Gone since the listing: nothing to tell.
                if (!isMissing(copiedFile)) unread.push_back(name);
            } else {
                whole = false;
                break;
            }
        }
        if (!whole) {
            // Nothing of a frame that is not pasted stays behind.
            for (const std::string& file : made) (void)files.removeItem(file);
            continue;
        }
        if (const auto clip = original->getAudio(); clip && clip->fileName() && !clip->fileName()->empty()) {
            // Within one project the file is already there; the failed copy
            // onto it is expected and harmless.
            for (const std::string& name : namesWith(*clip->fileName()))
                (void)copyFile(foundation::path::appending(source, name), foundation::path::appending(*target, name));
        }
        for (std::string& name : unread) outcome.unreadable.push_back({copy, source, id, std::move(name)});
        outcome.frames.push_back(std::move(copy));
    }
    return outcome;
}

void KWPasteboardHandler::getFramesInPasterboardWithHandler(FramesHandler handler) {
    getFramesInPasterboardWithOutcome([handler = std::move(handler)](PasteOutcome outcome) {
        if (handler) handler(std::move(outcome.frames));
    });
}

void KWPasteboardHandler::getFramesInPasterboardWithOutcome(OutcomeHandler handler) {
    library::Pasteboard& board = library::Pasteboard::general();
    if (board.containsType(kFramesPasteboardType)) {
        auto self = std::make_shared<KWPasteboardHandler>(project);
        foundation::DispatchQueue::global().async([self, handler = std::move(handler)] {
            PasteOutcome outcome;
            if (const auto copied = readCopiedFrames()) outcome = self->pasteFrames(*copied);
            if (handler) handler(std::move(outcome));
        });
        return;
    }
    if (!board.hasImages()) return;
    PasteOutcome outcome;
    if (FramePtr frame = getSingleImageFromPasteboard()) outcome.frames.push_back(std::move(frame));
    if (handler) handler(std::move(outcome));
}

FramePtr KWPasteboardHandler::getSingleImageFromPasteboard() {
    if (!project) return nullptr;
    const auto picture = library::Pasteboard::general().image();
    if (!picture) return nullptr;
    const int32_t maximum = int32_t(MovieResolution::getMaximumResolutionAvailable().width);
    const graphics::Image upright = UIImage_ScaleAndRotate::scaledAndRotatedImageWithMaxResolution(*picture, maximum);
    FramePtr frame = Frame::create(Frame::kTypePicture);
    KWImageProducer producer(project);
    if (!producer.storeImage(upright, frame->frameID())) return nullptr;
    return frame;
}
