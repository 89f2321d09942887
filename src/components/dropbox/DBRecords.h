#pragma once

// The Dropbox API's answers as plain records: account with quota, file or
// folder metadata, and one entry of a delta listing. Made from the parsed
// JSON on whichever thread parses it, read-only afterwards. Each can be
// stored in a keyed archive (the decoders are registered with the keyed
// archive registry under the class names).

#include "platform/foundation/KeyedArchive.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct DBQuota : foundation::Archivable {
    explicit DBQuota(const foundation::Dictionary& json);
    std::string className() const override;
    void encodeWithCoder(foundation::KeyedArchiver& coder) const override;
    static std::shared_ptr<foundation::Archivable> initWithCoder(foundation::KeyedUnarchiver& coder);
    int64_t normalConsumedBytes = 0;
    int64_t sharedConsumedBytes = 0;
    int64_t totalBytes = 0;
    int64_t totalConsumedBytes() const { return normalConsumedBytes + sharedConsumedBytes; }
};

struct DBAccountInfo : foundation::Archivable {
    explicit DBAccountInfo(const foundation::Dictionary& json);
    // Only `original` is written; archives of per-field keys still read.
    std::string className() const override;
    void encodeWithCoder(foundation::KeyedArchiver& coder) const override;
    static std::shared_ptr<foundation::Archivable> initWithCoder(foundation::KeyedUnarchiver& coder);
    std::string country;
    std::string displayName;
    std::optional<DBQuota> quota;
    std::string userId;  // the JSON number in decimal digits
    std::string referralLink;
    foundation::Dictionary original;
};

class DBMetadata : public foundation::Archivable {
public:
    explicit DBMetadata(const foundation::Dictionary& json);
    // `filename` is not written: it follows from `path`.
    std::string className() const override;
    void encodeWithCoder(foundation::KeyedArchiver& coder) const override;
    static std::shared_ptr<foundation::Archivable> initWithCoder(foundation::KeyedUnarchiver& coder);

    // "EEE, dd MMM yyyy HH:mm:ss Z" in English, whatever the user's language.
    static std::optional<foundation::Date> parseDate(std::string_view text);

    bool thumbnailExists = false;
    int64_t totalBytes = 0;
    std::optional<foundation::Date> lastModifiedDate;
    std::optional<foundation::Date> clientMtime;
    std::string path;
    bool isDirectory = false;
    std::optional<std::vector<std::shared_ptr<DBMetadata>>> contents;
    std::string hash;
    std::string humanReadableSize;
    std::string root;
    std::string icon;
    std::string rev;
    int64_t revision = 0;
    bool isDeleted = false;

    // The last component of `path`.
    std::string filename() const;
    // Records are equal when their revisions are.
    bool operator==(const DBMetadata& other) const { return this == &other || rev == other.rev; }
};

struct DBDeltaEntry : foundation::Archivable {
    std::string className() const override;
    void encodeWithCoder(foundation::KeyedArchiver& coder) const override;
    static std::shared_ptr<foundation::Archivable> initWithCoder(foundation::KeyedUnarchiver& coder);
    // [lower-case path, metadata object or null]; nullopt for another shape.
    static std::optional<DBDeltaEntry> fromArray(const foundation::Array& array);
    std::string lowercasePath;
    std::shared_ptr<DBMetadata> metadata;  // null: the path was deleted
    bool isEqualToDeltaEntry(const DBDeltaEntry& other) const;
};

namespace NSStringDropbox {
// "/" → ""; any other path lower-cased and composed (NFC).
std::string normalizedDropboxPath(std::string_view path);
bool isEqualToDropboxPath(std::string_view path, std::string_view other);
}  // namespace NSStringDropbox

namespace NSDictionaryDropbox {
// "a=1&b=2" → entries; values percent-unescaped, names as they are.
foundation::Dictionary dictionaryWithQueryString(std::string_view query);
// "name=value" pairs joined by "&" in the dictionary's order, escaped.
std::string urlRepresentation(const foundation::Dictionary& dictionary);
}  // namespace NSDictionaryDropbox
