// Keyed-archive encoding and decoding of the Dropbox records.

#include "components/dropbox/DBRecords.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"

#include <charconv>

namespace {

using foundation::KeyedArchiver;
using foundation::KeyedUnarchiver;
using foundation::Value;

// A string under `key`; a key that holds something else fails the archive.
std::string decodeString(KeyedUnarchiver& coder, const std::string& key) {
    Value value = coder.decodeValue(key);
    if (value.isNull() || value.isString()) return value.asString();
    coder.failWithError(foundation::Error(foundation::kCocoaErrorDomain, foundation::kCoderReadCorruptError,
                                          "The archived \"" + key + "\" is not a string."));
    return {};
}

std::optional<foundation::Date> decodeDate(KeyedUnarchiver& coder, const std::string& key) {
    Value value = coder.decodeValue(key);
    if (value.isNull()) return std::nullopt;
    if (!value.isDate())
        coder.failWithError(foundation::Error(foundation::kCocoaErrorDomain, foundation::kCoderReadCorruptError,
                                              "The archived \"" + key + "\" is not a date."));
    return value.asDate();
}

void encodeString(KeyedArchiver& coder, const std::string& value, const std::string& key) {
    coder.encodeValue(Value(value), key);
}

// Registers the decoders once, when this file's classes are first used or
// at start-up, whichever comes first.
const bool registered = [] {
    foundation::KeyedArchiveRegistry::registerClass("DBQuota", DBQuota::initWithCoder);
    foundation::KeyedArchiveRegistry::registerClass("DBAccountInfo", DBAccountInfo::initWithCoder);
    foundation::KeyedArchiveRegistry::registerClass("DBMetadata", DBMetadata::initWithCoder);
    foundation::KeyedArchiveRegistry::registerClass("DBDeltaEntry", DBDeltaEntry::initWithCoder);
    return true;
}();

}  // namespace

std::string DBQuota::className() const { return "DBQuota"; }

void DBQuota::encodeWithCoder(KeyedArchiver& coder) const {
    coder.encodeInt(normalConsumedBytes, "normalConsumedBytes");
    coder.encodeInt(sharedConsumedBytes, "sharedConsumedBytes");
    coder.encodeInt(totalBytes, "totalBytes");
}

std::shared_ptr<foundation::Archivable> DBQuota::initWithCoder(KeyedUnarchiver& coder) {
    auto quota = std::make_shared<DBQuota>(foundation::Dictionary{});
    quota->normalConsumedBytes = coder.decodeInt("normalConsumedBytes");
    quota->sharedConsumedBytes = coder.decodeInt("sharedConsumedBytes");
    quota->totalBytes = coder.decodeInt("totalBytes");
    return quota;
}

std::string DBAccountInfo::className() const { return "DBAccountInfo"; }

void DBAccountInfo::encodeWithCoder(KeyedArchiver& coder) const { coder.encodeValue(Value(original), "original"); }

std::shared_ptr<foundation::Archivable> DBAccountInfo::initWithCoder(KeyedUnarchiver& coder) {
    if (coder.containsValue("original")) {
        Value original = coder.decodeValue("original");
        if (!original.isDictionary()) {
            coder.failWithError(foundation::Error(foundation::kCocoaErrorDomain, foundation::kCoderReadCorruptError,
                                                  "The archived account is not a dictionary."));
            return nullptr;
        }
        return std::make_shared<DBAccountInfo>(original.asDictionary());
    }
    // An archive of an older release: one key per field.
    foundation::Dictionary json;
    json.set("country", decodeString(coder, "country"));
    json.set("display_name", decodeString(coder, "displayName"));
    if (auto quota = coder.decodeObject<DBQuota>("quota")) {
        json.set("quota_info", foundation::Dictionary{{"normal", Value(quota->normalConsumedBytes)},
                                                      {"shared", Value(quota->sharedConsumedBytes)},
                                                      {"quota", Value(quota->totalBytes)}});
    }
    const std::string userId = decodeString(coder, "userId");
    int64_t uid = 0;
    auto [end, error] = std::from_chars(userId.data(), userId.data() + userId.size(), uid);
    if (error == std::errc() && end == userId.data() + userId.size() && !userId.empty())
        json.set("uid", Value(uid));
    else if (!userId.empty())
        json.set("uid", userId);  // not a 64-bit number: kept as the text it was
    json.set("referral_link", decodeString(coder, "referralLink"));
    if (coder.containsValue("email")) json.set("email", decodeString(coder, "email"));
    if (coder.failed()) return nullptr;
    return std::make_shared<DBAccountInfo>(json);
}

std::string DBMetadata::className() const { return "DBMetadata"; }

void DBMetadata::encodeWithCoder(KeyedArchiver& coder) const {
    coder.encodeBool(thumbnailExists, "thumbnailExists");
    coder.encodeInt(totalBytes, "totalBytes");
    if (lastModifiedDate) coder.encodeValue(Value(*lastModifiedDate), "lastModifiedDate");
    if (clientMtime) coder.encodeValue(Value(*clientMtime), "clientMtime");
    encodeString(coder, path, "path");
    coder.encodeBool(isDirectory, "isDirectory");
    if (contents) {
        foundation::Array array;
        for (const auto& child : *contents) array.push_back(foundation::archivableValue(child));
        coder.encodeValue(Value(array), "contents");
    }
    encodeString(coder, hash, "hash");
    encodeString(coder, humanReadableSize, "humanReadableSize");
    encodeString(coder, root, "root");
    encodeString(coder, icon, "icon");
    encodeString(coder, rev, "rev");
    coder.encodeInt(revision, "revision");
    coder.encodeBool(isDeleted, "isDeleted");
}

std::shared_ptr<foundation::Archivable> DBMetadata::initWithCoder(KeyedUnarchiver& coder) {
    auto metadata = std::make_shared<DBMetadata>(foundation::Dictionary{});
    metadata->thumbnailExists = coder.decodeBool("thumbnailExists");
    metadata->totalBytes = coder.decodeInt("totalBytes");
    metadata->lastModifiedDate = decodeDate(coder, "lastModifiedDate");
    metadata->clientMtime = decodeDate(coder, "clientMtime");
    metadata->path = decodeString(coder, "path");
    metadata->isDirectory = coder.decodeBool("isDirectory");
    if (coder.containsValue("contents")) {
        Value contents = coder.decodeValue("contents");
        std::vector<std::shared_ptr<DBMetadata>> children;
        bool valid = contents.isArray();
        for (const Value& child : contents.asArray().values()) {
            auto record = std::dynamic_pointer_cast<DBMetadata>(foundation::archivableFrom(child));
            if (!record) {
                valid = false;
                break;
            }
            children.push_back(std::move(record));
        }
        if (!valid) {
            coder.failWithError(foundation::Error(foundation::kCocoaErrorDomain, foundation::kCoderReadCorruptError,
                                                  "The archived folder contents hold something else than metadata."));
            return nullptr;
        }
        metadata->contents = std::move(children);
    }
    metadata->hash = decodeString(coder, "hash");
    metadata->humanReadableSize = decodeString(coder, "humanReadableSize");
    metadata->root = decodeString(coder, "root");
    metadata->icon = decodeString(coder, "icon");
    metadata->rev = decodeString(coder, "rev");
    metadata->revision = coder.decodeInt("revision");
    metadata->isDeleted = coder.decodeBool("isDeleted");
    if (coder.failed()) return nullptr;
    return metadata;
}

std::string DBDeltaEntry::className() const { return "DBDeltaEntry"; }

void DBDeltaEntry::encodeWithCoder(KeyedArchiver& coder) const {
    encodeString(coder, lowercasePath, "lowercasePath");
    coder.encodeObject(metadata, "metadata");
}

std::shared_ptr<foundation::Archivable> DBDeltaEntry::initWithCoder(KeyedUnarchiver& coder) {
    auto entry = std::make_shared<DBDeltaEntry>();
    entry->lowercasePath = decodeString(coder, "lowercasePath");
    entry->metadata = coder.decodeObject<DBMetadata>("metadata");
    if (coder.failed()) return nullptr;
    return entry;
}
