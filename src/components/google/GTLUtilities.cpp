#include "components/google/GTLUtilities.h"

#include "platform/foundation/Utf8.h"

#include <algorithm>
#include <array>
#include <strings.h>

namespace google::GTLUtilities {

namespace {

bool isUnreserved(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
           byte == '-' || byte == '.' || byte == '_' || byte == '~';
}

void appendEscaped(std::string& out, unsigned char byte) {
    static const char kHex[] = "0123456789ABCDEF";
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 15];
}

template <class Keep>
std::string escapeBytes(std::string_view text, Keep keep, bool blankAsPlus) {
    std::string out;
    out.reserve(text.size());
    for (const char character : text) {
        const auto byte = static_cast<unsigned char>(character);
        if (blankAsPlus && byte == ' ') {
            out += '+';
        } else if (keep(byte)) {
            out += character;
        } else {
            appendEscaped(out, byte);
        }
    }
    return out;
}

std::optional<Value> valueAtKeyPath(const GTLObjectPtr& object, std::string_view keyPath) {
    if (!object) return std::nullopt;
    Value current = object->JSON();
    size_t start = 0;
    while (start <= keyPath.size()) {
        const size_t dot = keyPath.find('.', start);
        const std::string_view key =
            keyPath.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
        if (!current.isDictionary() || !current.asDictionary().contains(key)) return std::nullopt;
        current = current.asDictionary().get(key);
        if (dot == std::string_view::npos) break;
        start = dot + 1;
    }
    return current;
}

std::array<int64_t, 4> versionNumbers(std::string_view text) {
    std::array<int64_t, 4> numbers{};
    size_t index = 0;
    size_t at = 0;
    while (index < numbers.size() && at < text.size()) {
        while (at < text.size() && text[at] == '.') ++at;
        if (at >= text.size() || text[at] < '0' || text[at] > '9') break;
        int64_t number = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            number = std::min<int64_t>(number * 10 + (text[at] - '0'), int64_t(1) << 53);
            ++at;
        }
        numbers[index++] = number;
    }
    return numbers;
}

}  // namespace

std::string stringByURLEncodingString(std::string_view text) {
    static constexpr std::string_view kAllowed = ":/?#[]@!$&'()*+,;=%";
    return escapeBytes(
        text,
        [](unsigned char byte) {
            return isUnreserved(byte) || kAllowed.find(static_cast<char>(byte)) != kAllowed.npos;
        },
        false);
}

std::string stringByURLEncodingForURI(std::string_view text) { return escapeBytes(text, isUnreserved, false); }

std::string stringByURLEncodingStringParameter(std::string_view text) { return escapeBytes(text, isUnreserved, true); }

std::optional<std::string> stringByPercentEncodingUTF8ForString(std::string_view text) {
    if (!foundation::isValidUtf8(text)) return std::nullopt;
    return escapeBytes(
        text, [](unsigned char byte) { return byte >= 32 && byte <= 126 && byte != '%'; }, false);
}

std::optional<std::string> URLWithString(std::string_view url, const std::map<std::string, std::string>& parameters) {
    if (url.empty()) return std::nullopt;
    std::string result(url);
    if (parameters.empty()) return result;
    std::vector<const std::pair<const std::string, std::string>*> sorted;
    for (const auto& entry : parameters) sorted.push_back(&entry);
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](auto* a, auto* b) { return strcasecmp(a->first.c_str(), b->first.c_str()) < 0; });
    std::string query;
    for (const auto* entry : sorted) {
        if (!query.empty()) query += '&';
        query +=
            stringByURLEncodingStringParameter(entry->first) + "=" + stringByURLEncodingStringParameter(entry->second);
    }
    result += result.find('?') == std::string::npos ? "?" : "&";
    return result + query;
}

std::vector<GTLObjectPtr> objectsFromArray(const std::vector<GTLObjectPtr>& objects, const std::optional<Value>& value,
                                           std::string_view keyPath) {
    std::vector<GTLObjectPtr> matches;
    for (const GTLObjectPtr& object : objects) {
        if (valueAtKeyPath(object, keyPath) == value) matches.push_back(object);
    }
    return matches;
}

GTLObjectPtr firstObjectFromArray(const std::vector<GTLObjectPtr>& objects, const std::optional<Value>& value,
                                  std::string_view keyPath) {
    for (const GTLObjectPtr& object : objects) {
        if (valueAtKeyPath(object, keyPath) == value) return object;
    }
    return nullptr;
}

int compareVersion(std::optional<std::string_view> first, std::optional<std::string_view> second) {
    const std::array<int64_t, 4> a = versionNumbers(first.value_or(""));
    const std::array<int64_t, 4> b = versionNumbers(second.value_or(""));
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

}  // namespace google::GTLUtilities
