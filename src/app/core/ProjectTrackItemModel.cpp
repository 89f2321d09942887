#include "app/core/ProjectTrackItemModel.h"

#include "app/core/FileUtil.h"
#include "app/core/FrameKeys.h"

using foundation::Dictionary;
using foundation::Value;

ProjectTrackItemModel::ProjectTrackItemModel() : ProjectTrackItemModel(0) {}

ProjectTrackItemModel::ProjectTrackItemModel(int32_t type)
    : type_(type), itemID_(FileUtil::createUUID()), information_(""), color_(defaultColorForType(type)) {}

ProjectTrackItemModel::ProjectTrackItemModel(const Dictionary& dictionary)
    : ProjectTrackItemModel(dictionary, dictionary.get("ID").stringValue().value_or(FileUtil::createUUID())) {}

ProjectTrackItemModel::ProjectTrackItemModel(const Dictionary& dictionary, std::string itemID)
    : itemID_(std::move(itemID)) {
    name_ = dictionary.get("Name").stringValue();
    start_ = framekeys::int32Or(dictionary, "Start", 0);
    duration_ = framekeys::int32Or(dictionary, "Duration", 0);
    const Value& meta = dictionary.get("Meta");
    // A copy, so that the item never shares a container with the dictionary it came from.
    meta_ = meta.isDictionary() ? meta.asDictionary().copy() : Dictionary{};
    information_ = dictionary.get("Description").stringValue();
    const Value& color = dictionary.get("Color");
    color_ = color.isDictionary() ? FileUtil::getColorFromDictonary(color) : defaultColorForType(0);
}

Dictionary ProjectTrackItemModel::encode() const {
    std::lock_guard guard(lock_);
    Dictionary dictionary;
    dictionary.set("ID", itemID_);
    // An item without a name is written without the key, so that it reads
    // back without a name rather than with an empty one.
    if (name_) dictionary.set("Name", *name_);
    dictionary.set("Start", Value::integer(start_));
    dictionary.set("Duration", Value::integer(duration_));
    dictionary.set("Meta", meta_);
    if (information_) dictionary.set("Description", *information_);
    dictionary.set("Color", FileUtil::getDictionaryFromUIColor(color_));
    return dictionary;
}

std::shared_ptr<ProjectTrackItemModel> ProjectTrackItemModel::duplicate() const {
    Dictionary dictionary = encode();
    dictionary.set("Meta", dictionary.get("Meta").asDictionary().copy());
    return std::shared_ptr<ProjectTrackItemModel>(new ProjectTrackItemModel(dictionary, FileUtil::createUUID()));
}

graphics::Color ProjectTrackItemModel::getDefaultColor() const { return defaultColorForType(type_); }

graphics::Color ProjectTrackItemModel::defaultColorForType(int32_t type) {
    auto color = [](int red, int green, int blue) {
        return graphics::Color::rgb(red / 255.0, green / 255.0, blue / 255.0, 0.9);
    };
    switch (type) {
        case 2:
            return color(104, 68, 8);
        case 3:
            return color(4, 168, 128);
        case 4:
            return color(204, 8, 128);
        case 5:
            return color(4, 180, 178);
        default:
            return color(104, 168, 8);
    }
}

std::optional<std::string> ProjectTrackItemModel::name() const {
    std::lock_guard guard(lock_);
    return name_;
}

void ProjectTrackItemModel::setName(std::optional<std::string> name) {
    std::lock_guard guard(lock_);
    name_ = std::move(name);
}

Dictionary ProjectTrackItemModel::meta() const {
    std::lock_guard guard(lock_);
    return meta_;
}

void ProjectTrackItemModel::setMeta(Dictionary meta) {
    std::lock_guard guard(lock_);
    meta_ = std::move(meta);
}

std::optional<std::string> ProjectTrackItemModel::information() const {
    std::lock_guard guard(lock_);
    return information_;
}

void ProjectTrackItemModel::setInformation(std::optional<std::string> information) {
    std::lock_guard guard(lock_);
    information_ = std::move(information);
}

graphics::Color ProjectTrackItemModel::color() const {
    std::lock_guard guard(lock_);
    return color_;
}

void ProjectTrackItemModel::setColor(graphics::Color color) {
    std::lock_guard guard(lock_);
    color_ = std::move(color);
}
