#include "app/painter/PainterFrameSave.h"

#include "app/core/KWImageProducer.h"
#include "app/core/PaintFiles.h"
#include "app/core/ProjectModel.h"
#include "app/painter/PainterLayerManager.h"
#include "platform/graphics/JpegCodec.h"

#include <cerrno>
#include <filesystem>

namespace painterfiles {

std::string strokesFileName(const std::string& frameID) { return paintfiles::strokesFileName(frameID); }
std::string unpaintedFileName(const std::string& frameID) { return paintfiles::unpaintedFileName(frameID); }
std::string damagedFileName(const std::string& fileName) { return fileName + ".damaged"; }

foundation::Status keepDamagedFile(ProjectModel& project, const std::string& fileName) {
    const auto data = project.fileDataForFileWithPreferredFilename(fileName);
    if (!data) return foundation::Status::success();
    return project.updateRegularFileWithContents(*data, damagedFileName(fileName));
}

}  // namespace painterfiles

namespace {

foundation::Error noFrame() {
    return foundation::Error(foundation::kPOSIXErrorDomain, ENOENT, "There is no frame at that index.");
}

// Full colour resolution keeps the saved picture within a step or two of
// what the painter showed, also along thin strokes.
foundation::Result<foundation::Bytes> encodeFramePicture(const graphics::Image& picture) {
    return graphics::jpeg::encode(picture.normalized().bitmap(), 1.0, true);
}

}  // namespace

foundation::Status savePainterFrame(ProjectModel& project, KWImageProducer& producer, int64_t frameIndex,
                                    bool isMasking, const foundation::Bytes& strokes, const graphics::Image& picture,
                                    const MaskedPainting& masked, PainterLayerManager& layers) {
    const auto list = project.getFrameList();
    const FramePtr frame = list ? list->getFrameAtIndex(frameIndex) : nullptr;
    if (!frame) return noFrame();
    if (picture.isNull())
        return foundation::Error(foundation::kPOSIXErrorDomain, EINVAL, "There is no picture to store.");
    const std::string id = frame->frameID();
    auto jpeg = encodeFramePicture(picture);
    if (!jpeg) return jpeg.error();
    std::optional<foundation::Bytes> unpaintedJpeg;
    if (isMasking && !masked.unpainted.isNull()) {
        auto encoded = encodeFramePicture(masked.unpainted);
        if (!encoded) return encoded.error();
        unpaintedJpeg = std::move(*encoded);
    }
    const std::string frameFile = KWImageProducer::frameFileName(id);
    const std::string unpainted = painterfiles::unpaintedFileName(id);

    if (!isMasking) {
        // The picture from before the first painting, from which every later
        // opening starts; made once, before the frame picture is replaced.
        if (!project.fileDataForFileWithPreferredFilename(unpainted)) {
            const auto original = project.fileDataForFileWithPreferredFilename(frameFile);
            if (!original)
                return foundation::Error(foundation::kPOSIXErrorDomain, ENOENT, "The frame's picture cannot be read.");
            if (auto kept = project.updateRegularFileWithContents(*original, unpainted); !kept) return kept;
        }
        if (auto written = project.updateRegularFileWithContents(strokes, painterfiles::strokesFileName(id)); !written)
            return written;
        if (auto written = layers.saveLayerFiles(id); !written) return written;
    }
    // A mask leaves the strokes and layers as they are, so the painting
    // remains editable; the picture under them takes the mask too, before
    // the frame picture, so that no crash between the two loses the erase.
    // Whether it erased some of the painting is noted before either: a
    // crash then at worst asks once too often.
    if (isMasking && masked.erasedPaint)
        if (auto marked = PainterLayerManager::markPaintingErasedByMask(id, project); !marked) return marked;
    if (unpaintedJpeg)
        if (auto written = project.updateRegularFileWithContents(*unpaintedJpeg, unpainted); !written) return written;
    if (auto written = project.updateRegularFileWithContents(*jpeg, frameFile); !written) return written;
    return producer.createThumbNailAndPreviewForFrameAtIndex(frameIndex);
}

foundation::Status carryPictureIntoPainting(ProjectModel& project, const std::string& frameID) {
    const std::string unpainted = painterfiles::unpaintedFileName(frameID);
    bool painted = false;
    for (const std::string& name :
         {unpainted, painterfiles::strokesFileName(frameID), PainterLayerManager::layersFileName(frameID)}) {
        const auto path = project.pathForFile(name);
        std::error_code error;
        painted = painted || (path && std::filesystem::exists(*path, error));
    }
    if (!painted) return foundation::Status::success();
    const auto picture = project.fileDataForFileWithPreferredFilename(KWImageProducer::frameFileName(frameID));
    if (!picture)
        return foundation::Error(foundation::kPOSIXErrorDomain, ENOENT, "The frame's picture cannot be read.");
    // The picture first: a crash before the strokes are emptied at worst
    // draws them once more over it, where Undo takes them away again.
    if (auto written = project.updateRegularFileWithContents(*picture, unpainted); !written) return written;
    return PainterLayerManager::emptyShownLayers(frameID, project);
}
