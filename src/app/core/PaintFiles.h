#pragma once

// The names of the files the painter keeps per frame in a project folder,
// and which of them no one will read again. The painter writes and reads
// them; the store names them here so that its sweep of a project folder
// knows them too.
//
//   "canvas-<frameID>.cnv"            strokes of the frame's active layer
//   "canvas-<frameID>.jpg"            the picture before the first painting
//   "canvas-<frameID>.layers"         the layer stack: a keyed archive of
//                                     { "layers": [{ "UUID": ..., ... }], ... }
//   "canvas-<frameID>-<layerID>.png"  a layer's picture
//   "canvas-<frameID>-<layerID>.cnv"  a layer's strokes
//
// Beside them, lists of layers that the frame's own list does not hold:
//   "canvas-<frameID>.layers.damaged"   a damaged list, kept aside by the
//                                       painter before it writes a new one
//   "canvas-<frameID>.layers.unlisted"  the layers a save wrote while the
//                                       frame's list could not be read

#include "platform/foundation/Value.h"

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>

namespace paintfiles {

// The keys of the layer stack file that name the layers.
inline constexpr const char* kLayersKey = "layers";
inline constexpr const char* kLayerIDKey = "UUID";

std::string strokesFileName(const std::string& frameID);
std::string unpaintedFileName(const std::string& frameID);
std::string layersFileName(const std::string& frameID);
std::string layerPictureFileName(const std::string& frameID, const std::string& layerID);
std::string layerStrokesFileName(const std::string& frameID, const std::string& layerID);
// "<name>.damaged": where a file that does not decode is kept aside.
std::string damagedFileName(const std::string& fileName);
std::string unlistedLayersFileName(const std::string& frameID);

// Whether the file is one of the frame's painting files above (its own or
// a layer's, and those kept beside them).
bool isPaintingFileOf(const std::string& fileName, const std::string& frameID);

// The layer IDs a layer stack file lists; none when the data is no layer
// stack.
std::optional<std::set<std::string>> listedLayerIDs(const foundation::Bytes& data);

// Tells, for the names of one project folder, the painter files that are
// left over: those named after a frame ID that is not in use, and the layer
// files of a frame in use that none of its lists names (the layer stack
// file, its damaged copy and the unlisted layers; none of them there counts
// as naming no layer). A list that is there but cannot be read, or names no
// clear set of layers, keeps every layer file of its frame: the files of a
// damaged list and those a save could not list hold paintings too.
class LeftoverPaintFiles {
public:
    LeftoverPaintFiles(std::string folder, std::function<bool(const std::string& frameID)> inUse);
    bool isLeftover(const std::string& fileName);

private:
    // The layers a listed frame's lists name (empty when it has none); none
    // when one of them cannot be read.
    const std::optional<std::set<std::string>>& layersOf(const std::string& frameID);

    std::string folder_;
    std::function<bool(const std::string& frameID)> inUse_;
    std::map<std::string, std::optional<std::set<std::string>>> layers_;
};

}  // namespace paintfiles
