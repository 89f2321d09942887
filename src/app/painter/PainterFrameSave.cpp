#include "app/painter/PainterFrameSave.h"

#include "app/core/KWImageProducer.h"
#include "app/core/PaintFiles.h"
#include "app/core/PictureReplacement.h"
#include "app/core/ProjectModel.h"
#include "app/painter/PainterLayerManager.h"
#include "app/painter/PaintingMapping.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/security/Digest.h"
#include "platform/ui/host/Device.h"

#include <cerrno>
#include <cmath>
#include <filesystem>
#include <utility>

namespace painterfiles {

std::string strokesFileName(const std::string& frameID) { return paintfiles::strokesFileName(frameID); }
std::string unpaintedFileName(const std::string& frameID) { return paintfiles::unpaintedFileName(frameID); }
std::string damagedFileName(const std::string& fileName) { return paintfiles::damagedFileName(fileName); }

foundation::Status keepDamagedFile(ProjectModel& project, const std::string& fileName) {
    const auto data = project.fileDataForFileWithPreferredFilename(fileName);
    if (!data) return foundation::Status::success();
    return project.updateRegularFileWithContents(*data, damagedFileName(fileName));
}

foundation::Result<std::optional<foundation::Bytes>> readPainterFile(const ProjectModel& project,
                                                                     const std::string& fileName) {
    auto data = project.readFileWithPreferredFilename(fileName);
    if (data) return std::optional<foundation::Bytes>(std::move(*data));
    if (data.error().domain == foundation::kPOSIXErrorDomain && data.error().code == ENOENT)
        return std::optional<foundation::Bytes>();
    return data.error();
}

std::string layerListPart() { return foundation::localized("the list of layers"); }
std::string frameStrokesPart() { return foundation::localized("the strokes of this frame"); }
std::string unpaintedPicturePart() { return foundation::localized("the picture the painting started from"); }
std::string layerPart(const std::string& layerName) {
    return foundation::localizedFormat("the layer “%@”", {foundation::Value(layerName)});
}

std::vector<std::string> unreadableParts(const ProjectModel& project, const std::string& frameID,
                                         const PainterLayerManager& layers) {
    std::vector<std::string> parts = layers.unreadableParts();
    if (!readPainterFile(project, unpaintedFileName(frameID))) parts.insert(parts.begin(), unpaintedPicturePart());
    return parts;
}

std::string partsText(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : ", ") + part;
    return text;
}

std::string partOfFile(const std::string& folder, const std::string& frameID, const std::string& fileName) {
    if (fileName == strokesFileName(frameID)) return frameStrokesPart();
    if (fileName == unpaintedFileName(frameID)) return unpaintedPicturePart();
    const std::string list = paintfiles::layersFileName(frameID);
    if (fileName.starts_with(list)) return layerListPart();
    const std::string layerPrefix = "canvas-" + frameID + "-";
    if (!fileName.starts_with(layerPrefix) || fileName.size() < layerPrefix.size() + 4) return fileName;
    const std::string layerID = fileName.substr(layerPrefix.size(), fileName.size() - layerPrefix.size() - 4);
    const auto data = foundation::readRegularFile(foundation::path::appending(folder, list),
                                                  projectkeys::kMaximumListBytes);
    const auto stack = data ? decodeLayerStack(*data) : foundation::Result<StoredLayerStack>(data.error());
    if (stack)
        for (const PainterLayerPtr& layer : stack->layers)
            if (layer->UUID == layerID && !layer->name.empty()) return layerPart(layer->name);
    return foundation::localized("a layer");
}

foundation::Error unreadablePartsError(const std::vector<std::string>& parts) {
    return foundation::Error(
        kPainterErrorDomain, 1,
        foundation::localizedFormat("Part of this frame's painting cannot be read: %@. It was left as it is and "
                                    "the rest was saved; the frame keeps its picture until all of it can be read.",
                                    {foundation::Value(partsText(parts))}));
}

foundation::Error pictureChangedPartsLeftError(const std::vector<std::string>& parts) {
    return foundation::Error(kPainterErrorDomain, 2,
                             foundation::localizedFormat("The picture was changed, but part of this frame's painting "
                                                         "cannot be read: %@. That part was left as it is.",
                                                         {foundation::Value(partsText(parts))}));
}

foundation::Error pictureNotChangedError(const std::vector<std::string>& parts) {
    return foundation::Error(kPainterErrorDomain, 3,
                             foundation::localizedFormat("The picture was left as it is, because part of this "
                                                         "frame's painting cannot be read: %@.",
                                                         {foundation::Value(partsText(parts))}));
}

}  // namespace painterfiles

namespace {

// The note of a change of the frame's picture: the digest of the new
// picture, which tells whether the change reached it, and where the change
// put each point of the old one ([a, b, c, d, tx, ty] in unit coordinates;
// absent when it moved nothing, as a merge).
constexpr const char* kNotedPictureKey = "sha1";
constexpr const char* kNotedMappingKey = "mapping";
// With a mapping, the upright sizes of the old and the new picture, which
// say where the canvas showed each ([old width, old height, new width, new
// height]); absent in notes of earlier versions.
constexpr const char* kNotedSizesKey = "sizes";

std::string pictureDigest(const foundation::Bytes& picture) {
    return security::hexString(security::sha1(picture.data(), picture.size()));
}

// The mapping of a note; none when it holds none that can be one.
std::optional<graphics::AffineTransform> notedMapping(const foundation::Dictionary& note) {
    const foundation::Value& value = note.get(kNotedMappingKey);
    if (!value.isArray() || value.asArray().size() != 6) return std::nullopt;
    double m[6];
    for (size_t i = 0; i < 6; ++i) {
        const foundation::Value& number = value.asArray().at(i);
        if (!number.isNumber() || !std::isfinite(number.asDouble())) return std::nullopt;
        m[i] = number.asDouble();
    }
    const graphics::AffineTransform mapping{m[0], m[1], m[2], m[3], m[4], m[5]};
    if (!mapping.isInvertible()) return std::nullopt;
    return mapping;
}

// The sizes of a note; zero (spanning the canvas) where it holds none.
std::pair<graphics::Size, graphics::Size> notedSizes(const foundation::Dictionary& note) {
    const foundation::Value& value = note.get(kNotedSizesKey);
    if (!value.isArray() || value.asArray().size() != 4) return {};
    double n[4];
    for (size_t i = 0; i < 4; ++i) {
        const foundation::Value& number = value.asArray().at(i);
        if (!number.isNumber() || !std::isfinite(number.asDouble()) || number.asDouble() <= 0) return {};
        n[i] = number.asDouble();
    }
    return {{n[0], n[1]}, {n[2], n[3]}};
}

// A stored picture's upright size, from its headers where it is a JPEG;
// zero when it cannot be read.
graphics::Size uprightSizeOf(const foundation::Bytes& picture) {
    if (graphics::jpeg::looksLikeJpeg(picture.data(), picture.size())) {
        const auto header = graphics::jpeg::readHeader(picture.data(), picture.size());
        if (!header) return {};
        const graphics::Size stored{double(header->width), double(header->height)};
        return graphics::orientationSwapsAxes(header->orientation) ? graphics::Size{stored.height, stored.width}
                                                                   : stored;
    }
    const auto decoded = graphics::Image::decode(picture);
    return decoded ? uprightPixelSize(*decoded) : graphics::Size{};
}

// The picture a painting of the frame lies on, as the painter opens it:
// the one kept from before the first painting, else the frame's own.
graphics::Size paintedPictureSize(ProjectModel& project, const std::string& frameID) {
    auto picture = project.fileDataForFileWithPreferredFilename(painterfiles::unpaintedFileName(frameID));
    if (!picture) picture = project.fileDataForFileWithPreferredFilename(KWImageProducer::frameFileName(frameID));
    return picture ? uprightSizeOf(*picture) : graphics::Size{};
}

// Whether the frame was ever painted: any file of its painting.
bool isPainted(ProjectModel& project, const std::string& frameID) {
    for (const std::string& name : {painterfiles::unpaintedFileName(frameID), painterfiles::strokesFileName(frameID),
                                    PainterLayerManager::layersFileName(frameID)}) {
        const auto path = project.pathForFile(name);
        std::error_code error;
        if (path && std::filesystem::exists(*path, error)) return true;
    }
    return false;
}

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
        const std::vector<std::string> unreadable = painterfiles::unreadableParts(project, id, layers);
        // The picture from before the first painting, from which every later
        // opening starts; made once, before the frame picture is replaced. A
        // painting that went on over the frame's picture, its own stored one
        // being damaged, starts from that picture from now on.
        if (const auto before = painterfiles::readPainterFile(project, unpainted);
            before && (!*before || layers.paintsOverFramePicture())) {
            const auto original = project.fileDataForFileWithPreferredFilename(frameFile);
            if (!original)
                return foundation::Error(foundation::kPOSIXErrorDomain, ENOENT, "The frame's picture cannot be read.");
            if (auto kept = project.updateRegularFileWithContents(*original, unpainted); !kept) return kept;
        }
        if (!layers.frameStrokesUnreadable())
            if (auto written = project.updateRegularFileWithContents(strokes, painterfiles::strokesFileName(id));
                !written)
                return written;
        if (auto written = layers.saveLayerFiles(id); !written) return written;
        // A picture made without what those files hold would lose it.
        if (!unreadable.empty()) return painterfiles::unreadablePartsError(unreadable);
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
    // The strip's small pictures follow the frame picture; noted while they
    // do, so that the next opening remakes them should the save stop between.
    if (auto noted = picturereplacement::begin(project, id); !noted) return noted;
    if (auto written = project.updateRegularFileWithContents(*jpeg, frameFile); !written) return written;
    if (auto made = producer.createThumbNailAndPreviewForFrameAtIndex(frameIndex); !made) return made;
    (void)picturereplacement::end(project, id);
    return foundation::Status::success();
}

foundation::Result<std::vector<std::string>> notePictureReplacement(
    ProjectModel& project, const std::string& frameID, const foundation::Bytes& picture,
    const std::optional<graphics::AffineTransform>& pictureMapping) {
    // A change noted before and never carried goes first; what it leaves as
    // it is, this change leaves too, and tells.
    if (auto carried = carryPictureIntoPainting(project, frameID); !carried) return carried.error();
    if (!isPainted(project, frameID)) return std::vector<std::string>{};
    if (!painterfiles::readPainterFile(project, PainterLayerManager::layersFileName(frameID)))
        return painterfiles::pictureNotChangedError({painterfiles::layerListPart()});
    foundation::Dictionary note{{kNotedPictureKey, pictureDigest(picture)}};
    if (const auto& t = pictureMapping) {
        note.set(kNotedMappingKey,
                 foundation::Array{foundation::Value(t->a), foundation::Value(t->b), foundation::Value(t->c),
                                   foundation::Value(t->d), foundation::Value(t->tx), foundation::Value(t->ty)});
        const graphics::Size from = paintedPictureSize(project, frameID), to = uprightSizeOf(picture);
        note.set(kNotedSizesKey, foundation::Array{foundation::Value(from.width), foundation::Value(from.height),
                                                   foundation::Value(to.width), foundation::Value(to.height)});
    }
    auto noted = PainterLayerManager::notePictureChange(frameID, project, note);
    if (!noted) return noted.error();
    return *noted ? std::vector<std::string>{} : std::vector<std::string>{painterfiles::layerListPart()};
}

foundation::Result<std::vector<std::string>> carryPictureIntoPainting(ProjectModel& project,
                                                                      const std::string& frameID) {
    const auto note = PainterLayerManager::pictureChangeNote(frameID, project);
    if (!note) return std::vector<std::string>{};
    const auto picture = project.fileDataForFileWithPreferredFilename(KWImageProducer::frameFileName(frameID));
    // A change that never reached the frame's picture leaves the painting as it was.
    if (!picture || note->get(kNotedPictureKey).stringValue() != pictureDigest(*picture)) {
        if (auto dropped = PainterLayerManager::dropPictureChangeNote(frameID, project); !dropped)
            return dropped.error();
        return std::vector<std::string>{};
    }
    // The picture first: until the layers' file drops the note, carrying
    // again writes it once more. One that cannot be read stays; the painter
    // then opens on the frame's picture, which is the new one.
    std::vector<std::string> left;
    const std::string unpainted = painterfiles::unpaintedFileName(frameID);
    if (!painterfiles::readPainterFile(project, unpainted))
        left.push_back(painterfiles::unpaintedPicturePart());
    else if (auto written = project.updateRegularFileWithContents(*picture, unpainted); !written)
        return written.error();
    std::optional<PaintingMapping> mapping;
    if (const auto unit = notedMapping(*note)) {
        const auto [from, to] = notedSizes(*note);
        // Strokes move on the canvas they were drawn on; this window's stands
        // in for one the stack does not record, as such strokes open on it.
        const graphics::Size canvas = PainterLayerManager::drawnCanvas(frameID, project)
                                          .value_or(paintingCanvasSize(ui::Device::current().screenBounds().size));
        mapping = PaintingMapping{*unit, canvas, from, to};
    }
    auto carried = PainterLayerManager::carryPictureIntoLayers(frameID, project, mapping);
    if (!carried) return carried.error();
    left.insert(left.end(), carried->begin(), carried->end());
    return left;
}
