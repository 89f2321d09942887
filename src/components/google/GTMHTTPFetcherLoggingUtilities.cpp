// What the fetch log makes of bodies and headers before they are written
// (secrets cut out, JSON pretty-printed, multipart bodies part by part), and
// the small file operations the log's folders need.

#include "components/google/GTMHTTPFetcherLogging.h"

#include "components/sbjson/SBJSON.h"
#include "platform/foundation/Utf8.h"
#include "platform/net/HTTPHeaders.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace google::GTMHTTPFetcherLogging {

namespace {

constexpr const char* kSnip = "_snip_";
// Form fields whose values never reach a log.
constexpr const char* kSecretFormFields[] = {"client_secret", "refresh_token", "access_token", "code",
                                             "code_verifier", "assertion",     "Passwd"};
// JSON members whose values never reach a log, at whatever depth.
constexpr const char* kSecretJSONKeys[] = {"refresh_token", "access_token", "id_token", "client_secret"};
// Deeper JSON is not searched: the parser refuses it anyway.
constexpr int kMaximumJSONDepth = 512;

void snipJSON(const foundation::Value& value, int depth = 0) {
    if (depth > kMaximumJSONDepth) return;
    if (value.isArray()) {
        for (const foundation::Value& element : value.asArray()) snipJSON(element, depth + 1);
        return;
    }
    if (!value.isDictionary()) return;
    foundation::Dictionary dictionary = value.asDictionary();
    for (const char* key : kSecretJSONKeys)
        if (dictionary.contains(key)) dictionary.set(key, foundation::Value(kSnip));
    for (const auto& [key, child] : dictionary) snipJSON(child, depth + 1);
}

void maskNonASCII(std::string& text) {
    for (char& c : text)
        if (c == 0 || static_cast<unsigned char>(c) >= 128) c = '_';
}

// A multipart body whose first boundary line is at `first`: each part as
// text when it is text, else its header block and the size of its body.
std::string multipartText(const foundation::Bytes& data, const std::string& boundary, size_t first) {
    const std::string body(data.begin(), data.end());
    std::string out = body.substr(0, first);
    for (size_t at = first; at < body.size();) {
        size_t next = body.find(boundary, at + boundary.size());
        if (next == std::string::npos) next = body.size();
        std::string part = body.substr(at, next - at);
        if (!foundation::isValidUtf8(part)) {
            size_t headersEnd = part.find("\r\n\r\n");
            headersEnd = headersEnd == std::string::npos ? boundary.size() : headersEnd + 4;
            // The line break before the next boundary belongs to the boundary.
            size_t length = part.size() - headersEnd;
            if (part.ends_with("\r\n")) length -= std::min<size_t>(length, 2);
            part = part.substr(0, headersEnd);
            maskNonASCII(part);
            part += "<<" + std::to_string(length) + " bytes>>\r\n";
        }
        out += snipFormSecrets(std::move(part));
        at = next;
    }
    return out;
}

}  // namespace

std::string snipFormSecrets(std::string text) {
    for (const char* name : kSecretFormFields) {
        const std::string key = std::string(name) + "=";
        for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
            if (at > 0 && text[at - 1] != '&' && text[at - 1] != '?') continue;
            size_t valueStart = at + key.size();
            size_t valueEnd = text.find('&', valueStart);
            text.replace(valueStart, valueEnd == std::string::npos ? std::string::npos : valueEnd - valueStart, kSnip);
        }
    }
    return text;
}

std::optional<std::string> formattedStringFromData(const foundation::Bytes& data, std::string_view contentType,
                                                   std::optional<foundation::Value>* json) {
    if (json) json->reset();
    if (contentType.starts_with("application/json") && data.size() >= 6) {
        if (std::optional<foundation::Value> object = JSONObjectWithData(data)) {
            snipJSON(*object);
            if (json) *json = object;
            if (std::optional<std::string> pretty = stringWithJSONObject(*object)) return pretty;
        }
    }
    std::string text(data.begin(), data.end());
    if (!foundation::isValidUtf8(text)) return std::nullopt;
    // Form-encoded token answers carry their tokens as fields.
    return snipFormSecrets(std::move(text));
}

std::string stringFromStreamData(const foundation::Bytes& data, std::string_view contentType) {
    if (std::optional<std::string> text = formattedStringFromData(data, contentType)) return *text;
    std::string masked(data.begin(), data.end());
    maskNonASCII(masked);
    // The first line with text is the boundary of a multipart body (a
    // MIME document starts with a line break before it).
    const size_t first = masked.find_first_not_of("\r\n");
    if (first != std::string::npos && masked.compare(first, 2, "--") == 0) {
        const std::string boundary = masked.substr(first, masked.find_first_of("\r\n", first) - first);
        if (boundary.size() > 2) return multipartText(data, boundary, first);
    }
    return "<<" + std::to_string(data.size()) + " bytes>>";
}

std::string headersStringForHeaders(const std::vector<std::pair<std::string, std::string>>& headers) {
    auto sorted = headers;
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string out;
    for (auto [name, value] : sorted) {
        if (net::HTTPHeaders::namesEqual(name, "Authorization")) {
            std::optional<std::string> cut = value;
            if (value.find("oauth_token=\"") != std::string::npos)
                cut = snipSubstringOfString(cut, "oauth_token=\"", "\"");
            for (const char* scheme : {"Bearer ", "OAuth ", "GoogleLogin auth="})
                if (cut->find(scheme) != std::string::npos) cut = snipSubstringOfString(cut, scheme, "\n");
            value = *cut;
        }
        out += "  " + name + ": " + value + "\n";
    }
    return out;
}

std::optional<std::string> snipSubstringOfString(const std::optional<std::string>& text, std::string_view start,
                                                 std::string_view end) {
    if (!text) return std::nullopt;
    size_t at = text->find(start);
    if (at == std::string::npos) return text;
    size_t from = at + start.size();
    size_t to = text->find(end, from);
    std::string cut = *text;
    cut.replace(from, to == std::string::npos ? std::string::npos : to - from, kSnip);
    return cut;
}

std::optional<foundation::Value> JSONObjectWithData(const foundation::Bytes& data) {
    sbjson::SBJSON json;
    return json.objectWithString(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
}

std::optional<std::string> stringWithJSONObject(const foundation::Value& object) {
    sbjson::SBJSON json;
    json.setHumanReadable(true);
    return json.stringWithObject(object, true, nullptr);
}

bool fileOrDirExistsAtPath(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool makeDirectoryUpToPath(const std::string& path) {
    if (path.empty() || fileOrDirExistsAtPath(path)) return !path.empty();
    size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0) makeDirectoryUpToPath(path.substr(0, slash));
    ::mkdir(path.c_str(), 0700);
    return fileOrDirExistsAtPath(path);
}

bool removeItemAtPath(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool createSymbolicLinkAtPath(const std::string& path, const std::string& destinationPath) {
    return ::symlink(destinationPath.c_str(), path.c_str()) == 0;
}

}  // namespace google::GTMHTTPFetcherLogging
