#pragma once

// Writing a frame back after painting or masking, as a plain function the
// painter screen calls. Every file goes through the atomic writer, and every
// failure is reported.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Image.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class KWImageProducer;
class PainterLayerManager;
class ProjectModel;

namespace painterfiles {

std::string strokesFileName(const std::string& frameID);    // "canvas-<id>.cnv"
std::string unpaintedFileName(const std::string& frameID);  // "canvas-<id>.jpg"
std::string damagedFileName(const std::string& fileName);   // "<name>.damaged"

// Keeps a stroke or layer file that could not be read as "<name>.damaged"
// (replacing an older one), so that the next save does not destroy it.
foundation::Status keepDamagedFile(ProjectModel& project, const std::string& fileName);

// A file of the painting: its bytes; none when there is no such file; or
// why one that is there cannot be read (too large, not a regular file, not
// readable). The painter never writes over or removes such a one.
foundation::Result<std::optional<foundation::Bytes>> readPainterFile(const ProjectModel& project,
                                                                     const std::string& fileName);

// The parts of a painting as the user is told of them: "the list of
// layers", "the strokes of this frame", "the picture the painting started
// from", "the layer “Sky”".
std::string layerListPart();
std::string frameStrokesPart();
std::string unpaintedPicturePart();
std::string layerPart(const std::string& layerName);

// The error of a save that left parts of the painting as they were, in
// files it cannot read (`parts` as unreadableParts names them); its
// description is the user's text.
inline constexpr const char* kPainterErrorDomain = "TollivarPainterErrorDomain";
foundation::Error unreadablePartsError(const std::vector<std::string>& parts);
// The errors of a change of the frame's picture (a crop, a merge) that went
// through while parts of its painting were left as they are, and of one
// that was not made because the painting could not have followed it; their
// descriptions are the user's text.
foundation::Error pictureChangedPartsLeftError(const std::vector<std::string>& parts);
foundation::Error pictureNotChangedError(const std::vector<std::string>& parts);
// What of a frame's painting is in files that are there but cannot be
// read, in the user's words: the unpainted picture, then what the layer
// stack kept (PainterLayerManager::unreadableParts).
std::vector<std::string> unreadableParts(const ProjectModel& project, const std::string& frameID,
                                         const PainterLayerManager& layers);
// "the layer “Sky”, the list of layers".
std::string partsText(const std::vector<std::string>& parts);
// The part of a frame's painting that one of its files holds, in the same
// words; a layer by the name the frame's list of layers in `folder` gives
// it, where that list can be read.
std::string partOfFile(const std::string& folder, const std::string& frameID, const std::string& fileName);

}  // namespace painterfiles

// Paint mode: the unpainted picture is kept once as "canvas-<id>.jpg" (a byte
// copy of "frame-<id>.jpg"; again when the painting went on over the frame's
// picture, PainterLayerManager::paintsOverFramePicture), then the active
// layer's strokes, the layer stack, the picture at JPEG quality 1.0 and its
// thumbnail and preview are written.
//
// What a mask did to the frame.
struct MaskedPainting {
    // The frame's picture rubbed out, over what showed through.
    graphics::Image picture;
    // The unpainted picture rubbed out where the frame was; null for a
    // frame never painted.
    graphics::Image unpainted;
    // The mask rubbed out some of what the strokes and layers drew, which
    // the next painting brings back by replaying them.
    bool erasedPaint = false;
};

// Mask mode: the picture, its thumbnail and preview are written. On a
// painted frame `masked.unpainted` replaces "canvas-<id>.jpg", so that the
// next painting, which starts from it, keeps what was erased; the strokes
// and layers stay editable as they were, and when the mask erased some of
// them the layer information file says so, first, for the question before
// that painting.
//
// The pictures are encoded before anything is written. Stops at the first
// failure and returns it. In paint mode a file of the painting that cannot
// be read (the unpainted picture, or what PainterLayerManager kept) stays
// as it is: the rest of the painting is written, the frame keeps its
// picture, and the error (unreadablePartsError) names what was left.
foundation::Status savePainterFrame(ProjectModel& project, KWImageProducer& producer, int64_t frameIndex,
                                    bool isMasking, const foundation::Bytes& strokes, const graphics::Image& picture,
                                    const MaskedPainting& masked, PainterLayerManager& layers);

// A crop or a merge replaces the picture of the frame with one made from
// what it showed, its painting included. On a painted frame that picture
// (a byte copy of "frame-<id>.jpg") becomes the one painting starts from,
// and the painting it holds leaves the strokes: the shown layers are
// emptied, while hidden ones and those at no opacity, which it does not
// show, stay, moved with what the picture shows (`pictureMapping`, where a
// crop put each point of the old picture in the new one, in unit
// coordinates of both; none for a merge). The next Draw then opens on the
// new picture and changes nothing until painted on, and a hidden layer
// shown again lies where it would lie had it been shown at the crop.
//
// notePictureReplacement comes before the frame's picture is replaced
// (`picture` are the new file's bytes) and notes the change in the layer
// stack; carryPictureIntoPainting after it carries the change into the
// painting. A crash between them, or within the carrying, leaves the note:
// the painter's next opening carries the change when the frame's picture is
// the noted one and drops the note when it is not. Nothing happens to a
// frame never painted.
//
// A file of the painting that is there but cannot be read, or a layer's or
// the stack's that does not decode, is never written over or removed: a
// layer with such a file stays whole under its identifier, shown or hidden,
// and the picture the painting started from and the frame's strokes stay
// when they cannot be read. Both return those parts, in the user's words,
// as unreadableParts names them. A stack file that does not decode is left
// as it is and takes no note (the next Draw keeps it aside and goes on over
// the new picture); one that cannot be read at all would leave a painting
// that no longer lies on the picture, so notePictureReplacement refuses the
// change (pictureNotChangedError).
foundation::Result<std::vector<std::string>> notePictureReplacement(
    ProjectModel& project, const std::string& frameID, const foundation::Bytes& picture,
    const std::optional<graphics::AffineTransform>& pictureMapping);
foundation::Result<std::vector<std::string>> carryPictureIntoPainting(ProjectModel& project,
                                                                      const std::string& frameID);
