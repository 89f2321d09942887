#include "components/dropbox/MPURLEscapingAdditions.h"

#include "platform/foundation/Strings.h"
#include "platform/net/URLParsing.h"

#include <algorithm>
#include <cctype>

namespace MPURLEscapingAdditions {

std::string percentEscaped(std::string_view text, std::string_view alsoKept) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if ((byte < 128 && std::isalnum(byte)) || alsoKept.find(c) != std::string_view::npos) {
            escaped.push_back(c);
        } else {
            escaped.push_back('%');
            escaped.push_back(kDigits[byte >> 4]);
            escaped.push_back(kDigits[byte & 15]);
        }
    }
    return escaped;
}

std::string stringByAddingURIPercentEscapes(std::string_view text) { return percentEscaped(text, "-._~"); }

std::string stringByRemovingPercentEscapes(std::string_view text) {
    // A broken escape leaves the text as it came.
    return net::percentDecoded(text).value_or(std::string(text));
}

bool isIPAddress(std::string_view text) {
    auto parts = foundation::split(text, '.');
    if (parts.size() != 4) return false;
    return std::all_of(parts.begin(), parts.end(), [](const std::string& part) {
        if (part.empty() || part.size() > 3) return false;
        if (!std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; })) return false;
        return std::stoi(part) <= 255;
    });
}

}  // namespace MPURLEscapingAdditions

namespace MPURLParameterAdditions {

namespace {

std::string lowered(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

}  // namespace

std::string urlByRemovingQuery(const std::string& url) {
    size_t question = url.find('?');
    return question == std::string::npos ? url : url.substr(0, question);
}

std::string queryOf(const std::string& url) {
    size_t question = url.find('?');
    if (question == std::string::npos) return {};
    std::string query = url.substr(question + 1);
    size_t hash = query.find('#');
    return hash == std::string::npos ? query : query.substr(0, hash);
}

std::string hostOf(const std::string& url) {
    auto origin = net::originOfURL(url);
    return origin ? origin->host : std::string();
}

std::string urlByAddingParameters(const std::string& url, const std::vector<MPURLRequestParameter>& parameters) {
    std::vector<MPURLRequestParameter> all;
    if (url.find('?') != std::string::npos) all = MPURLRequestParameter::parametersFromString(queryOf(url));
    all.insert(all.end(), parameters.begin(), parameters.end());
    return urlByRemovingQuery(url) + "?" + MPURLRequestParameter::parameterStringForParameters(all);
}

std::string urlByAddingParameterDictionary(const std::string& url, const std::map<std::string, std::string>& entries) {
    std::map<std::string, std::string> all = entries;
    for (auto& [name, value] : MPURLRequestParameter::parameterDictionaryFromString(queryOf(url))) all[name] = value;
    if (all.empty()) return url;
    return urlByRemovingQuery(url) + "?" + MPURLRequestParameter::parameterStringForDictionary(all);
}

std::string absoluteNormalizedString(const std::string& url) {
    size_t scheme = url.find("://");
    if (scheme == std::string::npos) return url;
    size_t pathStart = url.find_first_of("/?#", scheme + 3);
    if (pathStart == std::string::npos) return url + "/";
    return url;
}

bool domainMatches(const std::string& url, std::string_view domain) {
    std::string host = hostOf(url);
    std::string wanted = lowered(domain);
    if (host.empty() || wanted.empty()) return false;
    if (MPURLEscapingAdditions::isIPAddress(host)) return host == wanted;
    if (wanted.front() == '.') wanted.erase(0, 1);
    if (host == wanted) return true;
    return host.size() > wanted.size() && host.ends_with(wanted) && host[host.size() - wanted.size() - 1] == '.';
}

}  // namespace MPURLParameterAdditions
