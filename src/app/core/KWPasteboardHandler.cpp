#include "app/core/KWPasteboardHandler.h"

#include "app/core/FileUtil.h"
#include "app/core/KWImageProducer.h"
#include "app/core/MovieResolution.h"
#include "app/core/UIImage_ScaleAndRotate.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/KeyedArchive.h"
#include "platform/library/Pasteboard.h"

#include <filesystem>

using foundation::Array;
using foundation::Dictionary;
using foundation::Value;

namespace {

constexpr double kPictureQuality = 1.0;

// Whether any file of the folder is named after the frame. The copy by key
// reports success when nothing matches, which would paste a frame without
// pictures.
bool folderHoldsFilesOf(const std::string& folder, const std::string& frameID) {
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->path().filename().string().find(frameID) != std::string::npos) return true;
    }
    return false;
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

std::vector<FramePtr> KWPasteboardHandler::pasteFrames(const CopiedFrames& copied) {
    std::vector<FramePtr> pasted;
    if (!copied.location || copied.location->empty() || !project) return pasted;
    const std::string& source = *copied.location;
    // Opening the list clears pictures that no listed frame uses; it must
    // happen before pasted pictures arrive that are listed only later.
    if (!project->getFrameList()) return pasted;
    for (const FramePtr& original : copied.frames) {
        // An empty identifier would match every file of the source folder.
        if (original->frameID().empty()) continue;
        // A picture frame is nothing without its files. A card draws itself
        // from the outline or its text: one not rendered yet has no files
        // and still pastes, to be rendered in the target.
        const bool needsFiles = original->type() == Frame::kTypePicture;
        const bool hasFiles = folderHoldsFilesOf(source, original->frameID());
        if (needsFiles && !hasFiles) continue;
        FramePtr copy = original->copy();
        if (!project->getProjectPath() && !project->createFilePathForProject()) break;
        const auto target = project->getProjectPath();
        if (!target) continue;
        if (hasFiles && !FileUtil::copyAllFilesInPath(source, *target, original->frameID(), copy->frameID()))
            continue;
        if (const auto clip = original->getAudio()) {
            // Within one project the file is already there; the failed copy
            // onto it is expected and harmless.
            const auto fileName = clip->fileName();
            if (fileName && !fileName->empty()) FileUtil::copyAllFilesInPath(source, *target, *fileName);
        }
        pasted.push_back(std::move(copy));
    }
    return pasted;
}

void KWPasteboardHandler::getFramesInPasterboardWithHandler(FramesHandler handler) {
    library::Pasteboard& board = library::Pasteboard::general();
    if (board.containsType(kFramesPasteboardType)) {
        auto self = std::make_shared<KWPasteboardHandler>(project);
        foundation::DispatchQueue::global().async([self, handler = std::move(handler)] {
            std::vector<FramePtr> pasted;
            if (const auto copied = readCopiedFrames()) pasted = self->pasteFrames(*copied);
            if (handler) handler(std::move(pasted));
        });
        return;
    }
    if (!board.hasImages()) return;
    std::vector<FramePtr> pasted;
    if (FramePtr frame = getSingleImageFromPasteboard()) pasted.push_back(std::move(frame));
    if (handler) handler(std::move(pasted));
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
