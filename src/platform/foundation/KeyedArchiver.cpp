#include "platform/foundation/KeyedArchiver.h"

namespace foundation {

namespace {

Dictionary archiveSkeleton(const Dictionary& top, const Array& objects) {
    return Dictionary{{"$version", 100000}, {"$archiver", "NSKeyedArchiver"}, {"$top", top}, {"$objects", objects}};
}

}  // namespace

KeyedArchiver::KeyedArchiver() : current_(top_) {
    objects_.push_back("$null");  // UID 0 is "nothing"
}

void KeyedArchiver::fail(const std::string& detail) {
    if (!failure_)
        failure_ = Error(kCocoaErrorDomain, kCoderInvalidValueError, "The object could not be archived: " + detail);
}

uint64_t KeyedArchiver::add(Value entry) {
    objects_.push_back(std::move(entry));
    return objects_.size() - 1;
}

void KeyedArchiver::encodeObject(const std::shared_ptr<Archivable>& object, const std::string& key) {
    current_.set(key, Value::uid(uidForObject(object)));
}

void KeyedArchiver::encodeValue(const Value& value, const std::string& key) {
    // Numbers and booleans live in the encoding object's own dictionary.
    if (value.isNumber())
        current_.set(key, value);
    else
        current_.set(key, Value::uid(uidForValue(value)));
}

void KeyedArchiver::encodeInt(int64_t value, const std::string& key) { current_.set(key, Value::integer(value)); }
void KeyedArchiver::encodeDouble(double value, const std::string& key) { current_.set(key, Value(value)); }
void KeyedArchiver::encodeBool(bool value, const std::string& key) { current_.set(key, Value(value)); }
void KeyedArchiver::encodeFloat(float value, const std::string& key) { current_.set(key, Value(value)); }

void KeyedArchiver::encodePoint(ArchivedPoint point, const std::string& key) {
    current_.set(key, Value::uid(uidForValue(Value(pointString(point)))));
}

void KeyedArchiver::encodeMutableArray(const Array& array, const std::string& key) {
    current_.set(key, Value::uid(failure_ ? 0 : uidForContainer(Value(array), "NSMutableArray")));
}

uint64_t KeyedArchiver::uidForClass(const std::vector<std::string>& hierarchy) {
    std::string signature;
    for (const std::string& name : hierarchy) signature += name + '\n';
    auto found = classUids_.find(signature);
    if (found != classUids_.end()) return found->second;
    Array classes;
    for (const std::string& name : hierarchy) classes.push_back(name);
    uint64_t uid = add(Dictionary{{"$classes", classes}, {"$classname", hierarchy.front()}});
    classUids_.emplace(std::move(signature), uid);
    return uid;
}

uint64_t KeyedArchiver::uidForObject(const std::shared_ptr<Archivable>& object) {
    if (!object || failure_) return 0;
    const Archivable* identity = object.get();
    // Readers build an object from its keys before anyone can refer to it, so
    // an object that contains itself could be written but never read back.
    if (inProgress_.count(identity)) {
        fail("an object of class " + object->className() + " contains itself");
        return 0;
    }
    if (auto found = objectUids_.find(identity); found != objectUids_.end()) return found->second;
    if (depth_ >= kMaximumArchiveDepth) {
        fail("objects are nested too deeply");
        return 0;
    }
    std::vector<std::string> hierarchy = object->classHierarchy();
    if (hierarchy.empty()) hierarchy.push_back(object->className());

    uint64_t uid = add(Value());
    objectUids_.emplace(identity, uid);
    retainedObjects_.push_back(object);
    inProgress_.insert(identity);
    Dictionary keys;
    Dictionary saved = current_;
    current_ = keys;
    ++depth_;
    object->encodeWithCoder(*this);
    --depth_;
    current_ = saved;
    inProgress_.erase(identity);
    keys.set("$class", Value::uid(uidForClass(hierarchy)));
    objects_.set(uid, keys);
    return uid;
}

uint64_t KeyedArchiver::uidForContainer(const Value& value, const char* arrayClass) {
    const void* identity = value.isArray() ? value.asArray().identity() : value.asDictionary().identity();
    if (inProgress_.count(identity)) {
        fail("a container contains itself");
        return 0;
    }
    if (auto found = containerUids_.find(identity); found != containerUids_.end()) return found->second;
    if (depth_ >= kMaximumArchiveDepth) {
        fail("containers are nested too deeply");
        return 0;
    }
    uint64_t uid = add(Value());
    containerUids_.emplace(identity, uid);
    retainedContainers_.push_back(value);
    inProgress_.insert(identity);
    ++depth_;
    Dictionary entry;
    if (value.isArray()) {
        Array elements;
        for (const Value& element : value.asArray()) elements.push_back(Value::uid(uidForValue(element)));
        entry.set("NS.objects", elements);
        entry.set("$class", Value::uid(uidForClass(std::string(arrayClass) == "NSArray"
                                                       ? std::vector<std::string>{"NSArray", "NSObject"}
                                                       : std::vector<std::string>{arrayClass, "NSArray", "NSObject"})));
    } else {
        Array keys, elements;
        for (const auto& [key, element] : value.asDictionary()) {
            keys.push_back(Value::uid(uidForValue(Value(key))));
            elements.push_back(Value::uid(uidForValue(element)));
        }
        entry.set("NS.keys", keys);
        entry.set("NS.objects", elements);
        entry.set("$class", Value::uid(uidForClass({"NSDictionary", "NSObject"})));
    }
    --depth_;
    inProgress_.erase(identity);
    objects_.set(uid, entry);
    return uid;
}

uint64_t KeyedArchiver::uidForValue(const Value& value) {
    if (failure_) return 0;
    switch (value.type()) {
        case Value::Type::Null:
            return 0;
        case Value::Type::String: {
            auto found = stringUids_.find(value.asString());
            if (found != stringUids_.end()) return found->second;
            uint64_t uid = add(value);
            stringUids_.emplace(value.asString(), uid);
            return uid;
        }
        case Value::Type::Data:
        case Value::Type::Boolean:
        case Value::Type::Integer:
        case Value::Type::Real:
            return add(value);
        case Value::Type::Date: {
            uint64_t classUid = uidForClass({"NSDate", "NSObject"});
            return add(Dictionary{{"NS.time", value.asDate()->sinceReferenceDate}, {"$class", Value::uid(classUid)}});
        }
        case Value::Type::Array:
        case Value::Type::Dictionary:
            return uidForContainer(value);
        case Value::Type::Object: {
            std::shared_ptr<Archivable> object = archivableFrom(value);
            if (!object) {
                fail("a native object is not archivable");
                return 0;
            }
            return uidForObject(object);
        }
        case Value::Type::Uid:
            fail("a UID is not a value that can be archived");
            return 0;
    }
    return 0;
}

Result<Bytes> KeyedArchiver::finishEncoding(plist::Format format) {
    if (failure_) return *failure_;
    return plist::serialize(archiveSkeleton(top_, objects_), format);
}

Result<Bytes> KeyedArchiver::archivedData(const std::shared_ptr<Archivable>& root, plist::Format format) {
    KeyedArchiver archiver;
    archiver.encodeObject(root, kRootKey);
    return archiver.finishEncoding(format);
}

Result<Bytes> KeyedArchiver::archivedMutableArray(const Array& root, plist::Format format) {
    KeyedArchiver archiver;
    archiver.encodeMutableArray(root, kRootKey);
    return archiver.finishEncoding(format);
}

Result<Bytes> KeyedArchiver::archivedData(const Value& root, plist::Format format) {
    KeyedArchiver archiver;
    archiver.encodeValue(root, kRootKey);
    return archiver.finishEncoding(format);
}

}  // namespace foundation
