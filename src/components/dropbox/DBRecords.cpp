#include "components/dropbox/DBRecords.h"

#include "components/dropbox/MPURLEscapingAdditions.h"
#include "components/dropbox/MPURLRequestParameter.h"
#include "platform/foundation/Paths.h"

#include <QString>
#include <array>
#include <ctime>

namespace {

std::string stringOf(const foundation::Dictionary& json, std::string_view key) {
    const foundation::Value& value = json.get(key);
    return value.isString() ? value.asString() : std::string();
}

int64_t integerOf(const foundation::Dictionary& json, std::string_view key) { return json.get(key).asInt(0); }

bool boolOf(const foundation::Dictionary& json, std::string_view key) { return json.get(key).asBool(false); }

std::optional<foundation::Date> dateOf(const foundation::Dictionary& json, std::string_view key) {
    const foundation::Value& value = json.get(key);
    if (!value.isString()) return std::nullopt;
    return DBMetadata::parseDate(value.asString());
}

}  // namespace

DBQuota::DBQuota(const foundation::Dictionary& json)
    : normalConsumedBytes(integerOf(json, "normal")),
      sharedConsumedBytes(integerOf(json, "shared")),
      totalBytes(integerOf(json, "quota")) {}

DBAccountInfo::DBAccountInfo(const foundation::Dictionary& json)
    : country(stringOf(json, "country")),
      displayName(stringOf(json, "display_name")),
      referralLink(stringOf(json, "referral_link")),
      original(json) {
    if (json.get("quota_info").isDictionary()) quota.emplace(json.get("quota_info").asDictionary());
    const foundation::Value& uid = json.get("uid");
    if (uid.isString())
        userId = uid.asString();
    else if (uid.isDecimal())
        userId = uid.decimalText();
    else if (uid.isNumber())
        userId = std::to_string(uid.asInt());
}

DBMetadata::DBMetadata(const foundation::Dictionary& json)
    : thumbnailExists(boolOf(json, "thumb_exists")),
      totalBytes(integerOf(json, "bytes")),
      lastModifiedDate(dateOf(json, "modified")),
      clientMtime(dateOf(json, "client_mtime")),
      path(stringOf(json, "path")),
      isDirectory(boolOf(json, "is_dir")),
      hash(stringOf(json, "hash")),
      humanReadableSize(stringOf(json, "size")),
      root(stringOf(json, "root")),
      icon(stringOf(json, "icon")),
      rev(stringOf(json, "rev")),
      revision(integerOf(json, "revision")),
      isDeleted(boolOf(json, "is_deleted")) {
    if (json.get("contents").isArray()) {
        contents.emplace();
        for (const foundation::Value& entry : json.get("contents").asArray())
            if (entry.isDictionary()) contents->push_back(std::make_shared<DBMetadata>(entry.asDictionary()));
    }
}

std::optional<foundation::Date> DBMetadata::parseDate(std::string_view text) {
    // "Sat, 21 Aug 2010 22:31:20 +0000": fixed English names, numeric zone.
    static constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char weekday[4] = {}, month[4] = {};
    int day = 0, year = 0, hour = 0, minute = 0, second = 0, consumed = 0;
    char sign = 0;
    unsigned zone = 0;
    std::string copy(text);
    if (std::sscanf(copy.c_str(), "%3[A-Za-z], %2d %3[A-Za-z] %4d %2d:%2d:%2d %c%4u%n", weekday, &day, month, &year,
                    &hour, &minute, &second, &sign, &zone, &consumed) != 9 ||
        static_cast<size_t>(consumed) != copy.size() || (sign != '+' && sign != '-'))
        return std::nullopt;
    int monthIndex = -1;
    for (size_t i = 0; i < kMonths.size(); ++i)
        if (std::string_view(month) == kMonths[i]) monthIndex = static_cast<int>(i);
    if (monthIndex < 0 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60 || zone % 100 > 59)
        return std::nullopt;
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = monthIndex;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    int64_t offset = (zone / 100) * 3600 + (zone % 100) * 60;
    int64_t unix = static_cast<int64_t>(::timegm(&parts)) - (sign == '+' ? offset : -offset);
    return foundation::Date::fromUnixTime(static_cast<double>(unix));
}

std::string DBMetadata::filename() const { return foundation::path::lastComponent(path); }

std::optional<DBDeltaEntry> DBDeltaEntry::fromArray(const foundation::Array& array) {
    if (array.size() != 2 || !array[0].isString()) return std::nullopt;
    DBDeltaEntry entry;
    entry.lowercasePath = array[0].asString();
    if (array[1].isDictionary())
        entry.metadata = std::make_shared<DBMetadata>(array[1].asDictionary());
    else if (!array[1].isNull())
        return std::nullopt;
    return entry;
}

bool DBDeltaEntry::isEqualToDeltaEntry(const DBDeltaEntry& other) const {
    if (this == &other) return true;
    if (lowercasePath != other.lowercasePath) return false;
    if (metadata == other.metadata) return true;
    return metadata && other.metadata && *metadata == *other.metadata;
}

namespace NSStringDropbox {

std::string normalizedDropboxPath(std::string_view path) {
    if (path == "/") return {};
    QString text = QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
    return text.toLower().normalized(QString::NormalizationForm_C).toStdString();
}

bool isEqualToDropboxPath(std::string_view path, std::string_view other) {
    return normalizedDropboxPath(path) == normalizedDropboxPath(other);
}

}  // namespace NSStringDropbox

namespace NSDictionaryDropbox {

foundation::Dictionary dictionaryWithQueryString(std::string_view query) {
    foundation::Dictionary entries;
    for (const auto& parameter : MPURLRequestParameter::parametersFromString(query))
        entries.set(parameter.name(), foundation::Value(parameter.value()));
    return entries;
}

std::string urlRepresentation(const foundation::Dictionary& dictionary) {
    std::string text;
    for (const auto& [key, value] : dictionary) {
        if (!text.empty()) text += '&';
        std::string valueText = value.isString() ? value.asString() : value.description();
        text += MPURLEscapingAdditions::stringByAddingURIPercentEscapes(key) + "=" +
                MPURLEscapingAdditions::stringByAddingURIPercentEscapes(valueText);
    }
    return text;
}

}  // namespace NSDictionaryDropbox
