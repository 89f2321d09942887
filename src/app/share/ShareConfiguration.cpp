#include "app/share/ShareConfiguration.h"

#include "app/core/ConfigurationUtil.h"
#include "app/share/YouTubeSettings.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"

#include <filesystem>

using foundation::Dictionary;
using foundation::Value;

namespace {

constexpr const char* kFileName = "services.plist";
constexpr const char* kAppURLFormatKey = "AppURLFormat";

Dictionary readDictionary(const std::optional<std::string>& path) {
    if (!path) return Dictionary();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(*path, ec)) return Dictionary();
    foundation::Result<Value> list = foundation::plist::readFile(*path);
    if (!list.ok() || !list->isDictionary()) return Dictionary();
    return list->asDictionary();
}

Dictionary service(const foundation::Bundle& bundle, const char* name) {
    Value value = ShareConfiguration::merged(bundle)[name];
    return value.isDictionary() ? value.asDictionary() : Dictionary();
}

std::string text(const Dictionary& dictionary, const char* key) {
    return dictionary[key].stringValue().value_or(std::string());
}

bool isBlank(const std::string& string) { return string.find_first_not_of(" \t\r\n") == std::string::npos; }

}  // namespace

Dictionary ShareConfiguration::merged(const foundation::Bundle& bundle) {
    Dictionary result = readDictionary(bundle.pathForResource(std::string("config/") + kFileName)).copy();
    Dictionary user = readDictionary(foundation::path::appending(foundation::Paths::configDirectory(), kFileName));
    for (const auto& [key, value] : user) {
        Value base = result[key];
        if (value.isDictionary() && base.isDictionary()) {
            // One service's keys: the user's file may set some and keep the rest.
            Dictionary service = base.asDictionary().copy();
            for (const auto& [innerKey, innerValue] : value.asDictionary()) service.set(innerKey, innerValue);
            result.set(key, service);
        } else {
            result.set(key, value);
        }
    }
    return result;
}

// The YouTube client comes from YouTubeSettings, which also checks the
// service's addresses: a file it refuses sets nothing up.
std::string ShareConfiguration::getYoutubeClientID(const foundation::Bundle&) {
    auto settings = YouTubeSettings::load();
    return settings ? settings->clientID : std::string();
}
std::string ShareConfiguration::getYoutubeClientSecret(const foundation::Bundle&) {
    auto settings = YouTubeSettings::load();
    return settings ? settings->clientSecret : std::string();
}
std::string ShareConfiguration::getYoutubeKeychainItemName(const foundation::Bundle&) {
    return YouTubeSettings::kKeychainItemName;
}
std::string ShareConfiguration::getYoutubeFeaturedPlaylist(const foundation::Bundle& bundle) {
    return text(service(bundle, kYoutubeKey), "FeaturedPlaylist");
}
std::vector<std::string> ShareConfiguration::getYoutubeDefaultKeywords(const foundation::Bundle& bundle) {
    std::vector<std::string> keywords;
    Value list = service(bundle, kYoutubeKey)["DefaultKeywords"];
    if (!list.isArray()) return keywords;
    for (const Value& keyword : list.asArray()) {
        if (auto string = keyword.stringValue(); string && !isBlank(*string)) keywords.push_back(*string);
    }
    return keywords;
}

std::string ShareConfiguration::getDropboxAppKey(const foundation::Bundle& bundle) {
    return text(service(bundle, kDropboxKey), "AppKey");
}
std::string ShareConfiguration::getDropboxAppSecret(const foundation::Bundle& bundle) {
    return text(service(bundle, kDropboxKey), "AppSecret");
}
std::string ShareConfiguration::getDropboxKeychainItemName(const foundation::Bundle&) {
    return kDropboxKeychainItemName;
}

bool ShareConfiguration::isYoutubeConfigured(const foundation::Bundle&) {
    auto settings = YouTubeSettings::load();
    return settings && settings->isSetUp() && !isBlank(settings->clientSecret);
}

bool ShareConfiguration::isDropboxConfigured(const foundation::Bundle& bundle) {
    Dictionary dropbox = service(bundle, kDropboxKey);
    return !isBlank(text(dropbox, "AppKey")) && !isBlank(text(dropbox, "AppSecret"));
}

std::optional<std::string> ShareConfiguration::getAppURL(int64_t iTunesID, const foundation::Bundle& bundle) {
    std::optional<std::string> format = merged(bundle)[kAppURLFormatKey].stringValue();
    if (!format || isBlank(*format)) return std::nullopt;
    // The format comes from a file anyone may edit: only one id placeholder
    // is filled, and any other "%" but "%%" makes it unusable.
    std::string result;
    int placeholders = 0;
    for (size_t i = 0; i < format->size(); ++i) {
        if ((*format)[i] != '%') {
            result += (*format)[i];
            continue;
        }
        std::string_view rest = std::string_view(*format).substr(i + 1);
        size_t length = 0;
        for (const char* conversion : {"%", "@", "lld", "ld", "d"}) {
            if (rest.starts_with(conversion)) {
                length = std::char_traits<char>::length(conversion);
                break;
            }
        }
        if (length == 0) return std::nullopt;
        if (rest[0] == '%') {
            result += '%';
        } else {
            ++placeholders;
            result += std::to_string(iTunesID);
        }
        i += length;
    }
    if (placeholders != 1) return std::nullopt;
    return result;
}

std::string shareApplicationName(const foundation::Bundle& bundle) {
    return ConfigurationUtil::getLocalizedAppName(bundle).value_or(bundle.displayName());
}

std::string shareSignature(const foundation::Bundle& bundle) {
    std::string signature = foundation::localizedFormat("Made with %@", {shareApplicationName(bundle)});
    int64_t id = ConfigurationUtil::getiTunesID(bundle);
    if (id != 0) {
        if (auto url = ShareConfiguration::getAppURL(id, bundle)) signature += "\n" + *url;
    }
    return signature;
}

std::string appendingShareSignature(const std::string& text, const foundation::Bundle& bundle) {
    const std::string signature = shareSignature(bundle);
    if (isBlank(text)) return signature;
    // A text that ends with it already (sent again, or typed) keeps one.
    const std::string trimmed = text.substr(0, text.find_last_not_of(" \t\r\n") + 1);
    if (trimmed.ends_with(signature)) return trimmed;
    return text + "\n\n" + signature;
}
