#pragma once

// Cookies as RFC 6265 has user agents keep them: parsed from "Set-Cookie"
// fields against the address that sent them, and sent back only to
// addresses whose host domain-matches and whose path path-matches.

#include "platform/net/HTTPHeaders.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace net {

struct HTTPCookie {
    std::string name;
    std::string value;
    std::string domain;  // lower case, without a leading dot
    std::string path;
    bool hostOnly = true;  // no Domain attribute: only the exact host gets it back
    bool secure = false;
    bool httpOnly = false;
    // Unix seconds after which the cookie is gone; nullopt lives for the session.
    std::optional<double> expiresDate;

    bool isExpired(double nowUnixSeconds) const { return expiresDate && *expiresDate <= nowUnixSeconds; }
    // Whether a request to `url` carries this cookie (domain, path and the
    // secure flag; expiry is the store's business).
    bool matchesURL(const std::string& url) const;
    // Same name, domain and path: a newer one replaces an older one.
    bool isSameCookie(const HTTPCookie& other) const {
        return name == other.name && domain == other.domain && path == other.path;
    }

    // The cookies of every "Set-Cookie" field in `headers` of an answer from
    // `url`. A field that does not parse, or whose Domain does not cover the
    // sending host, is dropped as the RFC says. Max-Age counts from
    // `nowUnixSeconds`.
    static std::vector<HTTPCookie> cookiesWithResponseHeaderFields(const HTTPHeaders& headers, const std::string& url,
                                                                   double nowUnixSeconds);
    // "a=1; b=2" for a "Cookie" field; empty for none.
    static std::string requestHeaderFieldValue(const std::vector<HTTPCookie>& cookies);
};

// RFC 6265 5.1.3: `host` is `domain` or ends with "." + `domain`, and is no
// IP address in the second case.
bool cookieDomainMatches(std::string_view host, std::string_view domain);
// RFC 6265 5.1.4.
bool cookiePathMatches(std::string_view requestPath, std::string_view cookiePath);
// RFC 6265 5.1.1; Unix seconds, or nullopt for a date that does not parse.
std::optional<double> parseCookieDate(std::string_view text);

}  // namespace net
