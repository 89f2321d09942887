#pragma once

// One item of a timeline track: a span of frame positions with a name, free
// metadata, a description and a colour.

#include "platform/foundation/Value.h"
#include "platform/graphics/Color.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

class ProjectTrackItemModel {
public:
    // Type 0 with its default colour.
    ProjectTrackItemModel();
    explicit ProjectTrackItemModel(int32_t type);
    // From the dictionary form; the type stays 0 until the track sets it.
    explicit ProjectTrackItemModel(const foundation::Dictionary& dictionary);

    foundation::Dictionary encode() const;
    // A new item from the dictionary form with a fresh identifier (type 0).
    std::shared_ptr<ProjectTrackItemModel> duplicate() const;

    // The default colour of the item's current type.
    graphics::Color getDefaultColor() const;
    static graphics::Color defaultColorForType(int32_t type);

    int32_t type() const { return type_; }
    void setType(int32_t type) { type_ = type; }
    int64_t start() const { return start_; }
    void setStart(int64_t start) { start_ = start; }
    int64_t duration() const { return duration_; }
    void setDuration(int64_t duration) { duration_ = duration; }
    int64_t getEnd() const { return start_ + duration_; }
    const std::string& itemID() const { return itemID_; }

    std::optional<std::string> name() const;
    void setName(std::optional<std::string> name);
    foundation::Dictionary meta() const;
    void setMeta(foundation::Dictionary meta);
    std::optional<std::string> information() const;
    void setInformation(std::optional<std::string> information);
    graphics::Color color() const;
    void setColor(graphics::Color color);

private:
    ProjectTrackItemModel(const foundation::Dictionary& dictionary, std::string itemID);

    int32_t type_ = 0;
    int64_t start_ = 0;
    int64_t duration_ = 0;
    std::optional<std::string> name_;
    std::string itemID_;
    foundation::Dictionary meta_;
    std::optional<std::string> information_;
    graphics::Color color_;
    mutable std::mutex lock_;  // the object-valued fields
};
