#include "app/core/ProjectTrackModel.h"

#include "app/core/FileUtil.h"

#include <algorithm>
#include <array>

using foundation::Array;
using foundation::Dictionary;
using foundation::Value;

namespace {

const std::array<const char*, ProjectTrackModel::kTypeCount> kStoreNames = {
    "ProjectTrackTypeDefault",    "ProjectTrackTypeMarker",     "ProjectTrackTypeEffect",
    "ProjectTrackTypeForeground", "ProjectTrackTypeBackground", "ProjectTrackTypeAudio",
};

const std::array<const char*, ProjectTrackModel::kTypeCount> kDefaultNames = {
    "", "Marker", "Effect", "Foreground", "Background", "Audio",
};

bool isKnownType(int32_t type) { return type >= 0 && type < ProjectTrackModel::kTypeCount; }

}  // namespace

ProjectTrackModel::ProjectTrackModel() : ProjectTrackModel(kTypeDefault) {}

ProjectTrackModel::ProjectTrackModel(int32_t type)
    : type_(type), name_(defaultNameForType(type)), trackID_(FileUtil::createUUID()) {}

ProjectTrackModel::ProjectTrackModel(const Dictionary& dictionary, int32_t andTackType)
    : type_(andTackType), trackID_(dictionary.get("ID").stringValue().value_or(FileUtil::createUUID())) {
    name_.set(dictionary.get("Name").stringValue().value_or(defaultNameForType(andTackType)));
    const Value& hidden = dictionary.get("Hidden");
    isHidden_ = hidden.isNumber() ? hidden.asBool() : false;
    const Value& enabled = dictionary.get("Enabled");
    isEnabled_ = enabled.isNumber() ? enabled.asBool() : true;
    for (const Value& entry : dictionary.get("Items").asArray()) {
        if (!entry.isDictionary()) continue;
        auto item = std::make_shared<ProjectTrackItemModel>(entry.asDictionary());
        item->setType(andTackType);
        items_.push_back(std::move(item));
    }
}

Dictionary ProjectTrackModel::encode() const {
    Array items;
    for (const ItemPtr& item : items_) items.push_back(item->encode());
    Dictionary dictionary;
    dictionary.set("ID", trackID_);
    dictionary.set("Name", name());
    dictionary.set("Hidden", isHidden_);
    dictionary.set("Enabled", isEnabled_);
    dictionary.set("Items", items);
    return dictionary;
}

void ProjectTrackModel::addItem(ItemPtr item) {
    if (item) items_.push_back(std::move(item));
}

void ProjectTrackModel::deleteItem(const ItemPtr& item) { std::erase(items_, item); }

ProjectTrackModel::ItemPtr ProjectTrackModel::getItemAtIndex(int64_t position) const {
    auto it = std::find_if(items_.begin(), items_.end(), [position](const ItemPtr& item) {
        return item->start() <= position && position < item->getEnd();
    });
    return it == items_.end() ? nullptr : *it;
}

ProjectTrackModel::ItemPtr ProjectTrackModel::getClosestItemToIndex(int64_t position) const {
    ItemPtr closest;
    for (const ItemPtr& item : items_) {
        if (item->start() < position) continue;
        if (!closest || item->start() < closest->start()) closest = item;
    }
    return closest;
}

std::optional<int32_t> ProjectTrackModel::getTrackTypeForName(const std::string& storeName) {
    auto it = std::find(kStoreNames.begin(), kStoreNames.end(), storeName);
    if (it == kStoreNames.end()) return std::nullopt;
    return static_cast<int32_t>(it - kStoreNames.begin());
}

std::string ProjectTrackModel::getTrackStoreNameForTrackType(int32_t type) {
    return isKnownType(type) ? kStoreNames[static_cast<size_t>(type)] : "";
}

std::string ProjectTrackModel::defaultNameForType(int32_t type) {
    return isKnownType(type) ? kDefaultNames[static_cast<size_t>(type)] : "";
}
