#include "app/render/SingleImagesExportRenderer.h"

#include "app/core/KWImageProducer.h"
#include "app/render/RenderImageProducer.h"
#include "app/render/RenderOutput.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>

std::vector<MovieExportType> SingleImagesExportRenderer::getSupportedExportTypes() const {
    return {MovieExportType(foundation::localized("Export All Images"), std::nullopt, {0, 0}, kUTI, "export")};
}

int64_t SingleImagesExportRenderer::getEstimatedFileSizeAfterExportforType(const MovieExportType&) {
    // Every position is its frame's picture at full size and the quality the
    // project keeps its pictures in: each costs what the stored picture does.
    // A frame without one costs what the others do on average.
    const ExpandedFrames frames = expandedFrames();
    double bytes = 0;
    int64_t counted = 0, uncounted = 0;
    for (const ExpandedFrames::Run& run : frames.runs()) {
        const auto positions = run.end - run.first;
        const auto path = project()->pathForFile(KWImageProducer::frameFileName(run.frame->frameID()));
        std::error_code error;
        const uintmax_t size = path ? std::filesystem::file_size(*path, error) : 0;
        if (!path || error || size == 0) {
            uncounted += positions;
            continue;
        }
        bytes += double(size) * double(positions);
        counted += positions;
    }
    if (counted == 0) return kNoEstimate;
    return kilobytesEstimate(bytes + bytes / double(counted) * double(uncounted));
}

std::string SingleImagesExportRenderer::fileNameForFrameAtPosition(int64_t position) {
    char name[40];
    std::snprintf(name, sizeof name, "frame-%.5lld.jpg", static_cast<long long>(position));
    return name;
}

void SingleImagesExportRenderer::renderMovie() {
    if (!beginRendering()) return;
    const ExpandedFrames& frames = snapshot().frames;
    if (frames.count() < 1) return failWithError(renderoutput::noFramesError(kErrorDomain));
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
    RenderImageProducer producer(project(), snapshot().pictures);
    // A held frame outside the fades is the same picture at every
    // position: it is drawn and encoded once and its bytes written again.
    FramePtr previousFrame;
    std::optional<foundation::Bytes> previousJpeg;
    for (int64_t i = 0; i < frames.count(); ++i) {
        if (isCancelled()) return std::nullopt;
        const FramePtr frame = frames.frameAt(i);
        const bool unfaded = producer.calculateAlphaForFadeforFrameAtIndex(i, frames.count()) == 0.0f;
        if (!(unfaded && previousJpeg && frame == previousFrame)) {
            previousJpeg.reset();
            graphics::Image picture = producer.getImageRenderingForFrame(frame, {0, 0}, i, frames.count());
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
