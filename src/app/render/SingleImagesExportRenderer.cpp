#include "app/render/SingleImagesExportRenderer.h"

#include "app/core/KWImageProducer.h"
#include "app/render/RenderImageProducer.h"
#include "app/render/RenderOutput.h"
#include "app/render/ThemeCard.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RegularFile.h"
#include "platform/graphics/JpegCodec.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>

std::vector<MovieExportType> SingleImagesExportRenderer::getSupportedExportTypes() const {
    return {MovieExportType(foundation::localized("Export All Images"), std::nullopt, {0, 0}, kUTI, "export")};
}

namespace {

// Our own JPEGs keep their headers within their first few hundred bytes.
// A picture kept from an older release may hold more ahead of its frame
// header (an Exif segment and a colour profile, at most 64 KiB each): the
// file is read on in steps until the headers are whole, but never past
// kMaximumHeaderBytes, sixteen such segments. A file that anyone could have
// put in the project (one of a shared archive) takes no more than that, and
// one that is no regular file is not read at all.
constexpr size_t kHeaderBytes = 8 * 1024;
constexpr size_t kMaximumHeaderBytes = size_t(1) << 20;

// The headers of the JPEG at `path`; none when it holds no readable picture.
std::optional<graphics::jpeg::HeaderInfo> storedPictureHeader(const std::string& path) {
    auto file = foundation::openRegularFile(path);
    if (!file) return std::nullopt;
    foundation::Bytes head;
    for (size_t wanted = kHeaderBytes;; wanted = std::min(wanted * 4, kMaximumHeaderBytes)) {
        if (foundation::readUpTo(file->get(), head, wanted) != 0) return std::nullopt;
        if (auto header = graphics::jpeg::readHeader(head.data(), head.size())) return *header;
        // More bytes help only a JPEG whose headers go on past those read.
        if (head.size() < wanted || wanted == kMaximumHeaderBytes ||
            !graphics::jpeg::looksLikeJpeg(head.data(), head.size()))
            return std::nullopt;
    }
}

// The displayed size of a frame's stored picture, from the file's headers;
// none when it has no readable picture. Any thread.
std::optional<graphics::Size> storedPictureSize(const ProjectModel& project, const Frame& frame) {
    const std::optional<std::string> path = project.pathForFile(KWImageProducer::frameFileName(frame.frameID()));
    const auto header = path ? storedPictureHeader(*path) : std::nullopt;
    if (!header || header->width <= 0 || header->height <= 0) return std::nullopt;
    const bool sideways = graphics::orientationSwapsAxes(header->orientation);
    return graphics::Size{double(sideways ? header->height : header->width),
                          double(sideways ? header->width : header->height)};
}

bool isCard(const Frame& frame) {
    return frame.type() == Frame::kTypeTitleCard || frame.type() == Frame::kTypeCreditsCard ||
           frame.type() == Frame::kTypeThemeTextCard;
}

}  // namespace

graphics::Size SingleImagesExportRenderer::pictureSizeOfMovie(const ProjectModel& project,
                                                              const ExpandedFrames& frames) {
    std::map<std::pair<double, double>, int64_t> positionsBySize;
    for (const ExpandedFrames::Run& run : frames.runs()) {
        if (isCard(*run.frame)) continue;
        if (std::optional<graphics::Size> size = storedPictureSize(project, *run.frame))
            positionsBySize[{size->width, size->height}] += run.end - run.first;
    }
    std::optional<std::pair<std::pair<double, double>, int64_t>> chosen;
    for (const auto& [size, positions] : positionsBySize) {
        if (!chosen || positions > chosen->second ||
            (positions == chosen->second && size.first * size.second > chosen->first.first * chosen->first.second))
            chosen = {size, positions};
    }
    if (!chosen) return ThemeCard::kCardSize;
    return graphics::Size{chosen->first.first, chosen->first.second};
}

std::optional<double> SingleImagesExportRenderer::estimatedBytes(const EstimateBasis& basis, const MovieExportType&,
                                                                 const foundation::Progress& progress) {
    // Every position is its frame's picture at the quality the project keeps
    // its pictures in: each costs what the stored picture does for the
    // pixels it has in the folder. A frame without one costs what the
    // others do on average.
    const ExpandedFrames& frames = basis.snapshot().frames;
    const graphics::Size folderSize = pictureSizeOfMovie(*project(), frames);
    double bytes = 0;
    int64_t counted = 0, uncounted = 0;
    for (const ExpandedFrames::Run& run : frames.runs()) {
        if (progress.isCancelled()) return std::nullopt;
        const auto positions = run.end - run.first;
        const auto path = project()->pathForFile(KWImageProducer::frameFileName(run.frame->frameID()));
        const std::optional<graphics::Size> stored = storedPictureSize(*project(), *run.frame);
        std::error_code error;
        const uintmax_t size = path ? std::filesystem::file_size(*path, error) : 0;
        if (!path || error || size == 0 || !stored) {
            uncounted += positions;
            continue;
        }
        const double pixels = folderSize.width * folderSize.height / (stored->width * stored->height);
        bytes += double(size) * pixels * double(positions);
        counted += positions;
    }
    if (counted == 0) return std::nullopt;
    return bytes + bytes / double(counted) * double(uncounted);
}

std::string SingleImagesExportRenderer::fileNameForFrameAtPosition(int64_t position) {
    char name[40];
    std::snprintf(name, sizeof name, "frame-%.5lld.jpg", static_cast<long long>(position));
    return name;
}

void SingleImagesExportRenderer::renderMovie() {
    if (!beginRendering()) return;
    const ExpandedFrames& frames = snapshot().frames;
    if (frames.count() < 1) return failWithError(renderoutput::noFramesError(kErrorDomain, snapshot().unreadable));
    const std::string path = exportURLForRender(getSupportedExportTypes().front());
    setExportURL(path);
    // A picture file is never smaller than its JPEG tables: a movie of
    // millions of positions would fill the disk long before it ends.
    const uint64_t needed = uint64_t(std::min<int64_t>(frames.count(), INT64_MAX / kSmallestPictureFileBytes)) *
                            uint64_t(kSmallestPictureFileBytes);
    if (auto space = renderoutput::checkSpaceFor(path, needed, kErrorDomain, renderoutput::kErrorWriteFailed); !space)
        return failWithError(space.error());
    auto temporary = foundation::TemporaryClaim::create(path, foundation::TemporaryClaim::Kind::Folder);
    if (!temporary) return failWithError(renderoutput::writeFailedError(kErrorDomain, temporary.error()));
    if (auto failure = writePictures(temporary->path(), frames)) {
        temporary->discard();
        return failWithError(renderoutput::writeFailedError(kErrorDomain, *failure, temporary->path(), path));
    }
    if (isCancelled()) return temporary->discard();
    if (auto placed = renderoutput::replaceWithTemporary(*temporary, path); !placed)
        return failWithError(renderoutput::writeFailedError(kErrorDomain, placed.error()));
    setProgress(1.0);
    markFinished();
}

std::optional<foundation::Error> SingleImagesExportRenderer::writePictures(const std::string& folder,
                                                                           const ExpandedFrames& frames) {
    if (auto created = foundation::FileManager::defaultManager().createDirectory(folder, true); !created)
        return created.error();
    const graphics::Size size = pictureSizeOfMovie(*project(), frames);
    RenderImageProducer producer(project(), snapshot().pictures);
    producer.setLeftOutFiles(&leftOutFiles());
    // A frame's picture is read (or its card drawn) once for its run; a held
    // frame outside the fades is the same picture at every position, drawn
    // and encoded once and its bytes written again.
    FramePtr sourceFrame, previousFrame;
    graphics::Image source;
    std::optional<foundation::Bytes> previousJpeg;
    for (int64_t i = 0; i < frames.count(); ++i) {
        if (isCancelled()) return std::nullopt;
        const FramePtr frame = frames.frameAt(i);
        const bool unfaded = producer.calculateAlphaForFadeforFrameAtIndex(i, frames.count()) == 0.0f;
        if (!(unfaded && previousJpeg && frame == previousFrame)) {
            previousJpeg.reset();
            if (frame != sourceFrame) {
                sourceFrame = frame;
                const auto card = snapshot().cards.find(frame.get());
                source = card != snapshot().cards.end() ? producer.getCardImage(card->second, size) : graphics::Image();
                // A card whose template cannot be read shows its stored picture.
                if (source.isNull())
                    source = producer.getImageForFrame(frame, KWImageProducer::kImageTypeFrame, size)
                                 .value_or(graphics::Image());
            }
            graphics::Image picture = producer.finishPicture(source, size, i, frames.count());
            if (!picture.isNull()) {
                auto jpeg = picture.jpegData(1.0);
                if (!jpeg) return jpeg.error();
                previousJpeg = std::move(*jpeg);
            }
            previousFrame = unfaded ? frame : nullptr;
        }
        if (previousJpeg) {
            const std::string file = foundation::path::appending(folder, fileNameForFrameAtPosition(i));
            if (auto written = foundation::writeFileAtomically(file, *previousJpeg); !written) return written.error();
        }
        setProgress(double(i) / double(frames.count()));
    }
    return std::nullopt;
}
