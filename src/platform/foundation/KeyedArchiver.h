#pragma once

#include "platform/foundation/KeyedArchive.h"
#include "platform/foundation/PropertyList.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace foundation {

// Writes a keyed archive. Typical use goes through archivedData(); an
// Archivable's encodeWithCoder calls the encode functions, which store under
// keys of the object being encoded.
class KeyedArchiver {
public:
    static constexpr const char* kRootKey = "root";

    KeyedArchiver();

    // Null stands for "nothing" and decodes as nullptr.
    void encodeObject(const std::shared_ptr<Archivable>& object, const std::string& key);
    // Property-list values: strings, numbers, booleans, data, dates, and
    // arrays and dictionaries of them, which may also hold Archivable objects
    // (see archivableValue). Null is stored as "nothing".
    void encodeValue(const Value& value, const std::string& key);
    void encodeInt(int64_t value, const std::string& key);
    void encodeDouble(double value, const std::string& key);
    void encodeBool(bool value, const std::string& key);
    // A 32-bit float, stored as one (not widened to a double).
    void encodeFloat(float value, const std::string& key);
    // A point as its "{x, y}" string.
    void encodePoint(ArchivedPoint point, const std::string& key);
    // An array stored as "NSMutableArray" (encodeValue stores "NSArray");
    // arrays inside it stay "NSArray".
    void encodeMutableArray(const Array& array, const std::string& key);

    // The archive of everything encoded so far under the top-level keys, or
    // the first error met (an object that cannot be archived, a cycle).
    Result<Bytes> finishEncoding(plist::Format format = plist::Format::Binary);

    // The archive of one root object, or of a root value.
    static Result<Bytes> archivedData(const std::shared_ptr<Archivable>& root,
                                      plist::Format format = plist::Format::Binary);
    static Result<Bytes> archivedData(const Value& root, plist::Format format = plist::Format::Binary);
    static Result<Bytes> archivedMutableArray(const Array& root, plist::Format format = plist::Format::Binary);

private:
    uint64_t add(Value entry);
    uint64_t uidForObject(const std::shared_ptr<Archivable>& object);
    uint64_t uidForValue(const Value& value);
    uint64_t uidForClass(const std::vector<std::string>& hierarchy);
    uint64_t uidForContainer(const Value& value, const char* arrayClass = "NSArray");
    void fail(const std::string& detail);

    Array objects_;
    Dictionary top_;
    Dictionary current_;  // where encode calls store: $top or the object being encoded
    std::unordered_map<const Archivable*, uint64_t> objectUids_;
    std::unordered_map<const void*, uint64_t> containerUids_;
    std::unordered_map<std::string, uint64_t> stringUids_;
    std::unordered_map<std::string, uint64_t> classUids_;
    std::unordered_set<const void*> inProgress_;
    // Everything whose address is a key above stays alive until the archiver
    // goes: an object or container freed during encoding (a temporary made
    // by an encodeWithCoder) could otherwise leave its address to a new one,
    // which would then be written as a reference to the old.
    std::vector<std::shared_ptr<Archivable>> retainedObjects_;
    std::vector<Value> retainedContainers_;
    int depth_ = 0;
    std::optional<Error> failure_;
};

}  // namespace foundation
