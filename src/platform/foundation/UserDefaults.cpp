#include "platform/foundation/UserDefaults.h"

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"

#include <cstdio>
#include <stdexcept>

namespace foundation {

namespace {

constexpr const char* kDefaultsFileName = "defaults.plist";

// Whether a value can be kept in a property list: no null, no native object,
// at any depth.
bool isStorable(const Value& value) {
    switch (value.type()) {
        case Value::Type::Null:
        case Value::Type::Object:
        case Value::Type::Uid:
            return false;
        case Value::Type::Array:
            for (const Value& element : value.asArray())
                if (!isStorable(element)) return false;
            return true;
        case Value::Type::Dictionary:
            for (const auto& [key, element] : value.asDictionary())
                if (!isStorable(element)) return false;
            return true;
        default:
            return true;
    }
}

// Moves an unreadable file out of the way so the store can start afresh
// without destroying what may still be recovered by hand.
void setAside(const std::string& file) {
    const FileManager& files = FileManager::defaultManager();
    std::string target = file + ".corrupt";
    for (int attempt = 2; files.fileExists(target) && attempt < 1000; ++attempt)
        target = file + ".corrupt-" + std::to_string(attempt);
    Status moved = files.moveItem(file, target);
    if (moved) {
        std::fprintf(stderr, "UserDefaults: %s could not be read; set aside as %s\n", file.c_str(), target.c_str());
    } else {
        std::fprintf(stderr,
                     "UserDefaults: %s could not be read and could not be set aside (%s); it will be replaced\n",
                     file.c_str(), moved.error().description.c_str());
    }
}

}  // namespace

UserDefaults& UserDefaults::standard() {
    static UserDefaults* shared = [] {
        auto* defaults = new UserDefaults();  // never destroyed: used until the very end of the process
        defaults->followsConfigFolder_ = true;
        return defaults;
    }();
    return *shared;
}

void UserDefaults::resetStandardUserDefaults() {
    UserDefaults& shared = standard();
    std::lock_guard lock(shared.mutex_);
    shared.resetLocked();
}

UserDefaults::UserDefaults(std::string filePath) : filePath_(std::move(filePath)) {}

void UserDefaults::resetLocked() {
    values_ = Dictionary();
    registered_ = Dictionary();
    loaded_ = false;
    dirty_ = false;
    if (followsConfigFolder_) filePath_.clear();
}

void UserDefaults::loadLocked() const {
    if (loaded_) return;
    loaded_ = true;
    if (filePath_.empty()) filePath_ = path::appending(Paths::configDirectory(), kDefaultsFileName);
    values_ = Dictionary();

    if (!FileManager::defaultManager().attributesOfItem(filePath_)) return;  // nothing stored yet
    auto contents = plist::readFile(filePath_);
    if (contents && contents->isDictionary()) {
        values_ = contents->asDictionary();
        return;
    }
    setAside(filePath_);
}

Status UserDefaults::persistLocked() {
    const FileManager& files = FileManager::defaultManager();
    std::string folder = path::deletingLastComponent(filePath_);
    if (!folder.empty()) files.createDirectory(folder, true);
    Status written = plist::writeFile(Value(values_), filePath_, plist::Format::Xml);
    dirty_ = !written.ok();
    if (!written)
        std::fprintf(stderr, "UserDefaults: could not write %s: %s\n", filePath_.c_str(),
                     written.error().description.c_str());
    return written;
}

Value UserDefaults::objectForKey(std::string_view key) const {
    std::lock_guard lock(mutex_);
    loadLocked();
    const Value& stored = values_.contains(key) ? values_.get(key) : registered_.get(key);
    // A copy, so that changing a returned container cannot change the store behind its back.
    return stored.deepCopy();
}

void UserDefaults::setObject(Value value, std::string_view forKey) {
    if (value.isNull()) {
        removeObjectForKey(forKey);
        return;
    }
    if (!isStorable(value))
        throw std::invalid_argument("UserDefaults: value for key \"" + std::string(forKey) +
                                    "\" is not a property-list object");
    std::lock_guard lock(mutex_);
    loadLocked();
    values_.set(std::string(forKey), value.deepCopy());
    persistLocked();
}

void UserDefaults::removeObjectForKey(std::string_view key) {
    std::lock_guard lock(mutex_);
    loadLocked();
    if (!values_.contains(key)) return;
    values_.remove(key);
    persistLocked();
}

bool UserDefaults::boolForKey(std::string_view key) const {
    Value value = objectForKey(key);
    if (value.isString()) {
        const std::string& text = value.asString();
        // The platform reads "YES" and "true" as true, and otherwise the number the text starts with.
        if (!text.empty() && (text[0] == 'Y' || text[0] == 'y' || text[0] == 'T' || text[0] == 't')) return true;
        return value.asDouble() != 0;
    }
    return value.asBool();
}

int64_t UserDefaults::integerForKey(std::string_view key) const { return objectForKey(key).asInt(); }

double UserDefaults::doubleForKey(std::string_view key) const { return objectForKey(key).asDouble(); }

std::optional<std::string> UserDefaults::stringForKey(std::string_view key) const {
    Value value = objectForKey(key);
    if (value.isString()) return value.asString();
    if (value.isNumber()) return value.numberDescription();
    return std::nullopt;
}

std::optional<Dictionary> UserDefaults::dictionaryForKey(std::string_view key) const {
    Value value = objectForKey(key);
    if (!value.isDictionary()) return std::nullopt;
    return value.asDictionary();
}

std::optional<Array> UserDefaults::arrayForKey(std::string_view key) const {
    Value value = objectForKey(key);
    if (!value.isArray()) return std::nullopt;
    return value.asArray();
}

void UserDefaults::setBool(bool value, std::string_view forKey) { setObject(Value(value), forKey); }

void UserDefaults::setInteger(int64_t value, std::string_view forKey) { setObject(Value::integer(value), forKey); }

void UserDefaults::setDouble(double value, std::string_view forKey) { setObject(Value(value), forKey); }

void UserDefaults::registerDefaults(const Dictionary& defaults) {
    std::lock_guard lock(mutex_);
    for (const auto& [key, value] : defaults)
        if (isStorable(value)) registered_.set(key, value.deepCopy());
}

Status UserDefaults::synchronize() {
    std::lock_guard lock(mutex_);
    loadLocked();
    if (!dirty_) return {};
    return persistLocked();
}

Dictionary UserDefaults::dictionaryRepresentation() const {
    std::lock_guard lock(mutex_);
    loadLocked();
    Dictionary merged;
    for (const auto& [key, value] : registered_)
        if (!values_.contains(key)) merged.set(key, value.deepCopy());
    for (const auto& [key, value] : values_) merged.set(key, value.deepCopy());
    return merged;
}

std::string UserDefaults::filePath() const {
    std::lock_guard lock(mutex_);
    loadLocked();
    return filePath_;
}

}  // namespace foundation
