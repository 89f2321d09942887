#include "app/core/PaintFiles.h"

#include "app/core/ProjectDataWrapper.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/KeyedArchive.h"
#include "platform/foundation/Paths.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <string_view>

namespace paintfiles {

namespace {

constexpr std::string_view kPrefix = "canvas-";
// What a frame's own files end with, and a layer's.
constexpr std::array<std::string_view, 3> kFrameSuffixes{".cnv", ".jpg", ".layers"};
constexpr std::array<std::string_view, 2> kLayerSuffixes{".png", ".cnv"};

}  // namespace

bool isPaintingFileOf(const std::string& fileName, const std::string& frameID) {
    const std::string_view name(fileName);
    return !frameID.empty() && name.starts_with(kPrefix) && name.substr(kPrefix.size()).starts_with(frameID);
}

std::string strokesFileName(const std::string& frameID) { return "canvas-" + frameID + ".cnv"; }
std::string unpaintedFileName(const std::string& frameID) { return "canvas-" + frameID + ".jpg"; }
std::string layersFileName(const std::string& frameID) { return "canvas-" + frameID + ".layers"; }

std::string layerPictureFileName(const std::string& frameID, const std::string& layerID) {
    return "canvas-" + frameID + "-" + layerID + ".png";
}

std::string layerStrokesFileName(const std::string& frameID, const std::string& layerID) {
    return "canvas-" + frameID + "-" + layerID + ".cnv";
}

std::string damagedFileName(const std::string& fileName) { return fileName + ".damaged"; }
std::string unlistedLayersFileName(const std::string& frameID) { return layersFileName(frameID) + ".unlisted"; }

std::optional<std::set<std::string>> listedLayerIDs(const foundation::Bytes& data) {
    auto root = foundation::KeyedUnarchiver::unarchiveValue(data);
    if (!root || !root->isDictionary()) return std::nullopt;
    const foundation::Value& list = root->asDictionary().get(kLayersKey);
    if (!list.isArray()) return std::nullopt;
    std::set<std::string> ids;
    for (const foundation::Value& layer : list.asArray()) {
        auto id = layer.isDictionary() ? layer.asDictionary().get(kLayerIDKey).stringValue() : std::nullopt;
        if (!id) return std::nullopt;
        ids.insert(*id);
    }
    return ids;
}

LeftoverPaintFiles::LeftoverPaintFiles(std::string folder, std::function<bool(const std::string& frameID)> inUse)
    : folder_(std::move(folder)), inUse_(std::move(inUse)) {}

const std::optional<std::set<std::string>>& LeftoverPaintFiles::layersOf(const std::string& frameID) {
    auto known = layers_.find(frameID);
    if (known != layers_.end()) return known->second;
    std::optional<std::set<std::string>> ids{std::in_place};
    const std::string list = layersFileName(frameID);
    for (const std::string& name : {list, damagedFileName(list), unlistedLayersFileName(frameID)}) {
        auto data =
            foundation::readRegularFile(foundation::path::appending(folder_, name), projectkeys::kMaximumListBytes);
        if (!data && data.error().code == ENOENT) continue;
        const auto named = data ? listedLayerIDs(*data) : std::nullopt;
        if (!named) {
            ids.reset();
            break;
        }
        ids->insert(named->begin(), named->end());
    }
    return layers_.emplace(frameID, std::move(ids)).first->second;
}

bool LeftoverPaintFiles::isLeftover(const std::string& fileName) {
    std::string_view name = fileName;
    if (!name.starts_with(kPrefix)) return false;
    name.remove_prefix(kPrefix.size());
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return false;
    const std::string_view suffix = name.substr(dot), middle = name.substr(0, dot);
    const bool frameFile = std::find(kFrameSuffixes.begin(), kFrameSuffixes.end(), suffix) != kFrameSuffixes.end();
    const bool layerFile = std::find(kLayerSuffixes.begin(), kLayerSuffixes.end(), suffix) != kLayerSuffixes.end();
    if (!frameFile && !layerFile) return false;
    if (frameFile && inUse_(std::string(middle))) return false;
    if (!layerFile) return true;
    // "<frameID>-<layerID>": frame IDs hold dashes themselves, so each dash
    // is tried as the one between the two.
    for (size_t dash = middle.find('-'); dash != std::string_view::npos; dash = middle.find('-', dash + 1)) {
        const std::string frameID(middle.substr(0, dash));
        if (!inUse_(frameID)) continue;
        const std::optional<std::set<std::string>>& layers = layersOf(frameID);
        return layers && !layers->contains(std::string(middle.substr(dash + 1)));
    }
    return true;
}

}  // namespace paintfiles
