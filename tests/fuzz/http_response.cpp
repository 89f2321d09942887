// The head of an HTTP answer, line by line as the transfer receives it, and
// what the connection makes of it: the fields, the body's length, the
// cookies to keep and to send back, and the redirect to follow. The first
// byte picks the status code (libcurl reads that from the status line).

#include "FuzzTarget.h"

#include "platform/net/HTTPCookie.h"
#include "platform/net/HTTPURLResponse.h"
#include "platform/net/ResponseHead.h"
#include "platform/net/URLParsing.h"

TOLLIVAR_FUZZ_TARGET(http_response) {
    if (size == 0) return 0;
    static constexpr int kStatusCodes[] = {200, 204, 301, 302, 303, 307, 308, 401, 404, 500};
    net::HTTPURLResponse response;
    response.statusCode = kStatusCodes[data[0] % std::size(kStatusCodes)];
    response.url = "https://www.example.com:8443/a/b/page?x=1";

    std::string_view head = fuzzing::text(data + 1, size - 1);
    while (!head.empty()) {
        size_t end = head.find('\n');
        std::string_view line = head.substr(0, end == std::string_view::npos ? head.size() : end + 1);
        head.remove_prefix(line.size());
        if (net::readResponseHeadLine(line, response.allHeaderFields) == net::ResponseHeadLine::StatusLine)
            response.allHeaderFields = net::HTTPHeaders();
    }

    (void)response.expectedContentLength();
    const double now = 1.7e9;
    auto cookies = net::HTTPCookie::cookiesWithResponseHeaderFields(response.allHeaderFields, response.url, now);
    auto redirect = net::redirectFor(response.statusCode, response.valueForHTTPHeaderField("Location"), response.url,
                                     "POST");
    const std::string next = redirect ? redirect->url : response.url;
    std::vector<net::HTTPCookie> sent;
    for (const net::HTTPCookie& cookie : cookies)
        if (!cookie.isExpired(now) && cookie.matchesURL(next)) sent.push_back(cookie);
    (void)net::HTTPCookie::requestHeaderFieldValue(sent);
    if (redirect) (void)net::originOfURL(redirect->url);
    return 0;
}
