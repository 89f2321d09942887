#include "platform/net/HTTPCookie.h"

#include "platform/net/URLParsing.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cstdint>
#include <ctime>
#include <limits>

namespace net {

namespace {

std::string lowercase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string_view trim(std::string_view text) {
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string_view::npos) return {};
    size_t end = text.find_last_not_of(" \t");
    return text.substr(begin, end - begin + 1);
}

bool isIPAddress(std::string_view host) {
    std::string text(host);
    if (text.size() > 2 && text.front() == '[' && text.back() == ']') text = text.substr(1, text.size() - 2);
    unsigned char buffer[16];
    return inet_pton(AF_INET, text.c_str(), buffer) == 1 || inet_pton(AF_INET6, text.c_str(), buffer) == 1;
}

// The path of an absolute address: "/" when it has none.
std::string pathOfURL(const std::string& url) {
    size_t scheme = url.find("://");
    size_t start = scheme == std::string::npos ? 0 : scheme + 3;
    size_t slash = url.find_first_of("/?#", start);
    if (slash == std::string::npos || url[slash] != '/') return "/";
    size_t end = url.find_first_of("?#", slash);
    return url.substr(slash, end == std::string::npos ? std::string::npos : end - slash);
}

// RFC 6265 5.1.4: the folder of the request path.
std::string defaultPath(const std::string& path) {
    if (path.empty() || path[0] != '/') return "/";
    size_t last = path.rfind('/');
    if (last == 0) return "/";
    return path.substr(0, last);
}

bool parseDigits(std::string_view token, size_t minimum, size_t maximum, int& value, std::string_view& rest) {
    size_t count = 0;
    while (count < token.size() && count < maximum && std::isdigit(static_cast<unsigned char>(token[count]))) ++count;
    if (count < minimum) return false;
    if (count < token.size() && std::isdigit(static_cast<unsigned char>(token[count]))) return false;
    value = 0;
    for (size_t i = 0; i < count; ++i) value = value * 10 + (token[i] - '0');
    rest = token.substr(count);
    return true;
}

bool isDelimiter(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return u == 0x09 || (u >= 0x20 && u <= 0x2F) || (u >= 0x3B && u <= 0x40) || (u >= 0x5B && u <= 0x60) ||
           (u >= 0x7B && u <= 0x7E);
}

}  // namespace

bool cookieDomainMatches(std::string_view host, std::string_view domain) {
    std::string h = lowercase(host), d = lowercase(domain);
    if (h == d) return true;
    if (d.empty() || isIPAddress(h) || h.size() <= d.size()) return false;
    return h.ends_with(d) && h[h.size() - d.size() - 1] == '.';
}

bool cookiePathMatches(std::string_view requestPath, std::string_view cookiePath) {
    if (requestPath == cookiePath) return true;
    if (!requestPath.starts_with(cookiePath)) return false;
    return cookiePath.ends_with('/') || requestPath[cookiePath.size()] == '/';
}

std::optional<double> parseCookieDate(std::string_view text) {
    static const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                          "jul", "aug", "sep", "oct", "nov", "dec"};
    std::optional<int> hour, minute, second, day, month, year;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isDelimiter(text[i])) ++i;
        size_t start = i;
        while (i < text.size() && !isDelimiter(text[i])) ++i;
        std::string_view token = text.substr(start, i - start);
        if (token.empty()) continue;
        std::string_view rest;
        int a = 0, b = 0, c = 0;
        if (!hour) {
            std::string_view r1, r2;
            if (parseDigits(token, 1, 2, a, r1) && r1.starts_with(':') && parseDigits(r1.substr(1), 1, 2, b, r2) &&
                r2.starts_with(':') && parseDigits(r2.substr(1), 1, 2, c, rest)) {
                hour = a, minute = b, second = c;
                continue;
            }
        }
        if (!day && parseDigits(token, 1, 2, a, rest)) {
            day = a;
            continue;
        }
        if (!month && token.size() >= 3) {
            std::string prefix = lowercase(token.substr(0, 3));
            auto found =
                std::find_if(std::begin(kMonths), std::end(kMonths), [&](const char* m) { return prefix == m; });
            if (found != std::end(kMonths)) {
                month = static_cast<int>(found - std::begin(kMonths)) + 1;
                continue;
            }
        }
        if (!year && parseDigits(token, 2, 4, a, rest)) {
            year = a;
            continue;
        }
    }
    if (!hour || !day || !month || !year) return std::nullopt;
    int y = *year;
    if (y >= 70 && y <= 99) y += 1900;
    if (y >= 0 && y <= 69) y += 2000;
    if (*day < 1 || *day > 31 || y < 1601 || *hour > 23 || *minute > 59 || *second > 59) return std::nullopt;
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = *month - 1;
    tm.tm_mday = *day;
    tm.tm_hour = *hour;
    tm.tm_min = *minute;
    tm.tm_sec = *second;
    time_t seconds = timegm(&tm);
    // timegm normalises 31 February into March: such a date is invalid.
    std::tm back{};
    gmtime_r(&seconds, &back);
    if (back.tm_mday != *day) return std::nullopt;
    return static_cast<double>(seconds);
}

bool HTTPCookie::matchesURL(const std::string& url) const {
    foundation::Result<URLOrigin> origin = originOfURL(url);
    if (!origin) return false;
    if (secure && origin->scheme != "https") return false;
    bool domainOK = hostOnly ? origin->host == domain : cookieDomainMatches(origin->host, domain);
    return domainOK && cookiePathMatches(pathOfURL(url), path);
}

std::vector<HTTPCookie> HTTPCookie::cookiesWithResponseHeaderFields(const HTTPHeaders& headers, const std::string& url,
                                                                    double now) {
    std::vector<HTTPCookie> cookies;
    // Most answers set no cookie: the address is read only for one that does.
    std::optional<foundation::Result<URLOrigin>> origin;
    for (const auto& [field, line] : headers.fields()) {
        if (!HTTPHeaders::namesEqual(field, "Set-Cookie")) continue;
        if (!origin) origin = originOfURL(url);
        if (!*origin) return cookies;
        std::string_view text(line);
        size_t semicolon = text.find(';');
        std::string_view pair = text.substr(0, semicolon);
        size_t equals = pair.find('=');
        if (equals == std::string_view::npos) continue;
        HTTPCookie cookie;
        cookie.name = std::string(trim(pair.substr(0, equals)));
        cookie.value = std::string(trim(pair.substr(equals + 1)));
        if (cookie.name.empty()) continue;
        std::optional<double> maxAgeExpiry, expires;
        std::string domainAttribute, pathAttribute;
        std::string_view attributes = semicolon == std::string_view::npos ? "" : text.substr(semicolon + 1);
        while (!attributes.empty()) {
            size_t next = attributes.find(';');
            std::string_view attribute = attributes.substr(0, next);
            attributes = next == std::string_view::npos ? "" : attributes.substr(next + 1);
            size_t eq = attribute.find('=');
            std::string key = lowercase(trim(attribute.substr(0, eq)));
            std::string_view value = eq == std::string_view::npos ? "" : trim(attribute.substr(eq + 1));
            if (key == "expires") {
                expires = parseCookieDate(value);
            } else if (key == "max-age") {
                bool negative = value.starts_with('-');
                std::string_view digits = negative ? value.substr(1) : value;
                if (digits.empty() || !std::all_of(digits.begin(), digits.end(),
                                                   [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
                    continue;
                double seconds = digits.size() > 12 ? 1e12 : std::stod(std::string(digits));
                maxAgeExpiry = negative || seconds == 0 ? -std::numeric_limits<double>::infinity() : now + seconds;
            } else if (key == "domain") {
                domainAttribute = lowercase(value.starts_with('.') ? value.substr(1) : value);
            } else if (key == "path") {
                pathAttribute = std::string(value);
            } else if (key == "secure") {
                cookie.secure = true;
            } else if (key == "httponly") {
                cookie.httpOnly = true;
            }
        }
        cookie.expiresDate = maxAgeExpiry ? maxAgeExpiry : expires;
        if (domainAttribute.empty()) {
            cookie.domain = (*origin)->host;
            cookie.hostOnly = true;
        } else {
            // A Domain that does not cover the sender would let one site set
            // cookies for another: the whole cookie is ignored.
            if (!cookieDomainMatches((*origin)->host, domainAttribute)) continue;
            cookie.domain = domainAttribute;
            cookie.hostOnly = false;
        }
        cookie.path = pathAttribute.starts_with('/') ? pathAttribute : defaultPath(pathOfURL(url));
        cookies.push_back(std::move(cookie));
    }
    return cookies;
}

std::string HTTPCookie::requestHeaderFieldValue(const std::vector<HTTPCookie>& cookies) {
    std::string value;
    for (const HTTPCookie& cookie : cookies) {
        if (!value.empty()) value += "; ";
        value += cookie.name + "=" + cookie.value;
    }
    return value;
}

}  // namespace net
