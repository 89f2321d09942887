#pragma once

#include "platform/foundation/KeyedArchive.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace foundation {

// Reads a keyed archive. A factory registered for a class receives the
// unarchiver positioned on that object's keys. A missing key decodes as
// nullptr, null, 0 or false; a key holding the wrong kind of thing fails the
// whole unarchiving with an Error.
class KeyedUnarchiver {
public:
    bool containsValue(const std::string& key) const;

    std::shared_ptr<Archivable> decodeArchivable(const std::string& key);
    template <class T>
    std::shared_ptr<T> decodeObject(const std::string& key) {
        std::shared_ptr<Archivable> object = decodeArchivable(key);
        if (!object) return nullptr;
        auto typed = std::dynamic_pointer_cast<T>(object);
        if (!typed) failWrongType(key, object->className());
        return typed;
    }
    // Property-list values; archived objects inside come back as archivableValue.
    Value decodeValue(const std::string& key);
    int64_t decodeInt(const std::string& key);
    double decodeDouble(const std::string& key);
    bool decodeBool(const std::string& key);
    float decodeFloat(const std::string& key);
    // A "{x, y}" string; (0, 0) when missing, a failure when malformed.
    ArchivedPoint decodePoint(const std::string& key);

    // Lets a factory refuse what it was given; unarchiving then fails with this error.
    void failWithError(Error error);
    bool failed() const { return failure_.has_value(); }

    static Result<std::shared_ptr<Archivable>> unarchiveObject(const Bytes& data);
    static Result<Value> unarchiveValue(const Bytes& data);

private:
    enum class State : uint8_t { Pending, InProgress, Done };

    KeyedUnarchiver() = default;
    static Result<Value> unarchiveRoot(const Bytes& data);
    Status open(const Bytes& data);
    Value decodeUid(uint64_t uid);
    Value decodeEntry(uint64_t uid);
    Value decodeInstance(const Dictionary& entry, uint64_t uid);
    Value keyed(const std::string& key);
    void fail(const std::string& detail);
    void failWrongType(const std::string& key, const std::string& found);

    Array objects_;
    Dictionary current_;  // the keys of the object being decoded, or $top
    std::vector<Value> decoded_;
    std::vector<State> states_;
    int depth_ = 0;
    std::optional<Error> failure_;
};

}  // namespace foundation
