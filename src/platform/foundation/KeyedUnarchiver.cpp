#include "platform/foundation/KeyedUnarchiver.h"

#include "platform/foundation/PropertyList.h"

namespace foundation {

void KeyedUnarchiver::fail(const std::string& detail) {
    if (!failure_) {
        failure_ = Error(kCocoaErrorDomain, kCoderReadCorruptError,
                         "The data couldn't be read because it isn't in the correct format. (" + detail + ")");
    }
}

void KeyedUnarchiver::failWithError(Error error) {
    if (!failure_) failure_ = std::move(error);
}

void KeyedUnarchiver::failWrongType(const std::string& key, const std::string& found) {
    fail("the value for \"" + key + "\" is of the wrong kind (" + found + ")");
}

Status KeyedUnarchiver::open(const Bytes& data) {
    auto parsed = plist::parse(data);
    if (!parsed.ok()) return parsed.error();
    Dictionary archive = parsed->asDictionary();
    const Value& objects = archive.get("$objects");
    const Value& top = archive.get("$top");
    if (archive.get("$archiver").asString() != "NSKeyedArchiver" || archive.get("$version").asInt() != 100000 ||
        !objects.isArray() || !top.isDictionary()) {
        fail("not a keyed archive");
        return *failure_;
    }
    objects_ = objects.asArray();
    current_ = top.asDictionary();
    decoded_.assign(objects_.size(), Value());
    states_.assign(objects_.size(), State::Pending);
    return Status::success();
}

Result<Value> KeyedUnarchiver::unarchiveRoot(const Bytes& data) {
    KeyedUnarchiver unarchiver;
    if (Status opened = unarchiver.open(data); !opened.ok()) return opened.error();
    if (!unarchiver.containsValue(KeyedArchiver::kRootKey))
        return Error(kCocoaErrorDomain, kCoderReadCorruptError,
                     "The data couldn't be read because it isn't in the correct format. (the archive has no root)");
    Value root = unarchiver.decodeValue(KeyedArchiver::kRootKey);
    if (unarchiver.failure_) return *unarchiver.failure_;
    return root;
}

Result<std::shared_ptr<Archivable>> KeyedUnarchiver::unarchiveObject(const Bytes& data) {
    auto root = unarchiveRoot(data);
    if (!root.ok()) return root.error();
    if (root->isNull()) return std::shared_ptr<Archivable>();
    std::shared_ptr<Archivable> object = archivableFrom(*root);
    if (!object) {
        return Error(kCocoaErrorDomain, kCoderReadCorruptError,
                     std::string("The archive's root is a ") + root->typeName() + ", not an object.");
    }
    return object;
}

Result<Value> KeyedUnarchiver::unarchiveValue(const Bytes& data) { return unarchiveRoot(data); }

bool KeyedUnarchiver::containsValue(const std::string& key) const { return current_.contains(key); }

Value KeyedUnarchiver::keyed(const std::string& key) {
    const Value& stored = current_.get(key);
    return stored.isUid() ? decodeUid(stored.asUid()) : stored;
}

std::shared_ptr<Archivable> KeyedUnarchiver::decodeArchivable(const std::string& key) {
    Value value = keyed(key);
    if (value.isNull()) return nullptr;
    std::shared_ptr<Archivable> object = archivableFrom(value);
    if (!object) failWrongType(key, value.typeName());
    return object;
}

Value KeyedUnarchiver::decodeValue(const std::string& key) { return keyed(key); }

int64_t KeyedUnarchiver::decodeInt(const std::string& key) {
    Value value = keyed(key);
    if (!value.isNull() && !value.isNumber()) failWrongType(key, value.typeName());
    return value.asInt();
}

double KeyedUnarchiver::decodeDouble(const std::string& key) {
    Value value = keyed(key);
    if (!value.isNull() && !value.isNumber()) failWrongType(key, value.typeName());
    return value.asDouble();
}

bool KeyedUnarchiver::decodeBool(const std::string& key) {
    Value value = keyed(key);
    if (!value.isNull() && !value.isNumber()) failWrongType(key, value.typeName());
    return value.asBool();
}

float KeyedUnarchiver::decodeFloat(const std::string& key) { return static_cast<float>(decodeDouble(key)); }

ArchivedPoint KeyedUnarchiver::decodePoint(const std::string& key) {
    Value value = keyed(key);
    if (value.isNull()) return {};
    std::optional<ArchivedPoint> point = value.isString() ? parsePointString(value.asString()) : std::nullopt;
    if (!point) {
        failWrongType(key, value.isString() ? "a string that is not a point" : value.typeName());
        return {};
    }
    return *point;
}

Value KeyedUnarchiver::decodeUid(uint64_t uid) {
    if (failure_ || uid == 0) return Value();
    if (uid >= objects_.size()) {
        fail("a reference points outside the archive");
        return Value();
    }
    if (states_[uid] == State::Done) return decoded_[uid];
    if (states_[uid] == State::InProgress) {
        fail("an object contains itself");
        return Value();
    }
    if (depth_ >= kMaximumArchiveDepth) {
        fail("objects are nested too deeply");
        return Value();
    }
    states_[uid] = State::InProgress;
    ++depth_;
    Value value = decodeEntry(uid);
    --depth_;
    decoded_[uid] = value;
    states_[uid] = State::Done;
    return value;
}

Value KeyedUnarchiver::decodeEntry(uint64_t uid) {
    const Value& entry = objects_[uid];
    switch (entry.type()) {
        case Value::Type::String:
        case Value::Type::Data:
        case Value::Type::Boolean:
        case Value::Type::Integer:
        case Value::Type::Real:
            return entry;
        case Value::Type::Dictionary:
            if (entry.asDictionary().get("$class").isUid()) return decodeInstance(entry.asDictionary(), uid);
            [[fallthrough]];
        default:
            fail("entry " + std::to_string(uid) + " is not an object");
            return Value();
    }
}

namespace {

bool isOneOf(const std::string& name, std::initializer_list<const char*> names) {
    for (const char* candidate : names) {
        if (name == candidate) return true;
    }
    return false;
}

}  // namespace

Value KeyedUnarchiver::decodeInstance(const Dictionary& entry, uint64_t uid) {
    uint64_t classUid = entry.get("$class").asUid();
    const Value& description = classUid < objects_.size() ? objects_[classUid] : Value();
    const Value& className = description.asDictionary().get("$classname");
    if (!className.isString()) {
        fail("entry " + std::to_string(uid) + " has no class");
        return Value();
    }
    std::vector<std::string> names{className.asString()};
    for (const Value& name : description.asDictionary().get("$classes").asArray()) {
        if (name.isString() && name.asString() != names.front()) names.push_back(name.asString());
    }

    auto references = [&](const char* key) -> std::optional<Array> {
        const Value& list = entry.get(key);
        if (!list.isArray()) return std::nullopt;
        for (const Value& element : list.asArray()) {
            if (!element.isUid()) return std::nullopt;
        }
        return list.asArray();
    };

    for (const std::string& name : names) {
        if (isOneOf(name, {"NSArray", "NSMutableArray"})) {
            auto refs = references("NS.objects");
            if (!refs) break;
            Array array;
            for (const Value& ref : *refs) array.push_back(decodeUid(ref.asUid()));
            return array;
        }
        if (isOneOf(name, {"NSDictionary", "NSMutableDictionary"})) {
            auto keys = references("NS.keys");
            auto values = references("NS.objects");
            if (!keys || !values || keys->size() != values->size()) break;
            Dictionary dictionary;
            for (size_t i = 0; i < keys->size(); ++i) {
                Value key = decodeUid((*keys)[i].asUid());
                if (!key.isString()) {
                    if (!failure_) fail("a dictionary key is not a string");
                    return Value();
                }
                dictionary.set(key.asString(), decodeUid((*values)[i].asUid()));
            }
            return dictionary;
        }
        if (isOneOf(name, {"NSString", "NSMutableString"})) {
            if (!entry.get("NS.string").isString()) break;
            return entry.get("NS.string");
        }
        if (isOneOf(name, {"NSData", "NSMutableData"})) {
            if (!entry.get("NS.bytes").isData()) break;
            return entry.get("NS.bytes");
        }
        if (name == "NSDate") {
            if (!entry.get("NS.time").isNumber()) break;
            return Value(Date{entry.get("NS.time").asDouble()});
        }
        if (ArchivableFactory factory = KeyedArchiveRegistry::factoryFor(name)) {
            Dictionary saved = current_;
            current_ = entry;
            std::shared_ptr<Archivable> object = factory(*this);
            current_ = saved;
            if (!object && !failure_) fail("an object of class " + name + " could not be decoded");
            return failure_ ? Value() : archivableValue(std::move(object));
        }
    }
    fail("cannot decode an object of class " + names.front() + " (unknown class or malformed contents)");
    return Value();
}

}  // namespace foundation
