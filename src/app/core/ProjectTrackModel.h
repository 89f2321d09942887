#pragma once

// A timeline track of one of six types with its ordered items.

#include "app/core/ProjectTrackItemModel.h"
#include "platform/foundation/Locked.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Image.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class ProjectTrackModel {
public:
    using ItemPtr = std::shared_ptr<ProjectTrackItemModel>;

    static constexpr int32_t kTypeDefault = 0;
    static constexpr int32_t kTypeMarker = 1;
    static constexpr int32_t kTypeEffect = 2;
    static constexpr int32_t kTypeForeground = 3;
    static constexpr int32_t kTypeBackground = 4;
    static constexpr int32_t kTypeAudio = 5;
    static constexpr int32_t kTypeCount = 6;

    ProjectTrackModel();  // type 0
    explicit ProjectTrackModel(int32_t type);
    // From the dictionary form; every item read gets the track's type.
    ProjectTrackModel(const foundation::Dictionary& dictionary, int32_t andTackType);

    foundation::Dictionary encode() const;

    void addItem(ItemPtr item);
    // Removes every occurrence of that object.
    void deleteItem(const ItemPtr& item);
    const std::vector<ItemPtr>& getItems() const { return items_; }
    // The first item covering the position: start ≤ position < end.
    ItemPtr getItemAtIndex(int64_t position) const;
    // The item starting nearest at or after the position; the earliest on a tie.
    ItemPtr getClosestItemToIndex(int64_t position) const;

    // The type of a store name ("ProjectTrackTypeAudio" → 5); none for a name not in the table.
    static std::optional<int32_t> getTrackTypeForName(const std::string& storeName);
    // The store name of a type 0 to 5; empty for any other.
    static std::string getTrackStoreNameForTrackType(int32_t type);
    static std::string defaultNameForType(int32_t type);
    std::string getDefaultName() const { return defaultNameForType(type_); }

    std::string name() const { return name_.get(); }
    void setName(std::string name) { name_.set(std::move(name)); }
    const graphics::Image& icon() const { return icon_; }
    const std::string& trackID() const { return trackID_; }
    int32_t type() const { return type_; }
    void setType(int32_t type) { type_ = type; }
    bool isHidden() const { return isHidden_; }
    void setIsHidden(bool hidden) { isHidden_ = hidden; }
    bool isEnabled() const { return isEnabled_; }
    void setIsEnabled(bool enabled) { isEnabled_ = enabled; }

private:
    std::vector<ItemPtr> items_;
    bool isHidden_ = false;
    bool isEnabled_ = true;
    int32_t type_ = 0;
    foundation::Locked<std::string> name_;
    graphics::Image icon_;
    std::string trackID_;
};
