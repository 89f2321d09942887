#include "components/google/GTMCookieStorage.h"

#include <gtest/gtest.h>

namespace {

std::vector<net::HTTPCookie> parse(const std::string& line, const std::string& url) {
    net::HTTPHeaders headers;
    headers.add("Set-Cookie", line);
    return net::HTTPCookie::cookiesWithResponseHeaderFields(headers, url, foundation::Date::now().unixTime());
}

std::string sent(google::GTMCookieStorage& storage, const std::string& url) {
    return net::HTTPCookie::requestHeaderFieldValue(storage.cookiesForURL(url));
}

}  // namespace

TEST(CookieStorage, ReplacesExpiresAndMatchesAsTheRFCSays) {
    google::GTMCookieStorage storage;
    const std::string site = "https://www.example.test/app/page";
    storage.setCookies(parse("a=1; Path=/", site));
    storage.setCookies(parse("b=2; Path=/app", site));
    storage.setCookies(parse("c=3; Domain=example.test; Path=/", site));
    storage.setCookies(parse("s=4; Path=/; Secure", site));
    struct Case {
        std::string url;
        std::string cookies;
    };
    for (const Case& c : std::vector<Case>{{"https://www.example.test/app/x", "b=2; a=1; c=3; s=4"},
                                           {"http://www.example.test/", "a=1; c=3"},
                                           {"https://example.test/", "c=3"},
                                           {"https://other.example.test/app", "c=3"},
                                           {"https://badexample.test/", ""},
                                           {"https://www.example.test/application", "a=1; c=3; s=4"}}) {
        EXPECT_EQ(sent(storage, c.url), c.cookies) << c.url;
    }
    storage.setCookies(parse("a=changed; Path=/", site));
    EXPECT_EQ(sent(storage, "http://www.example.test/"), "c=3; a=changed") << "replaced, newest last";
    storage.setCookies(parse("a=gone; Path=/; Expires=Thu, 01 Jan 1970 00:00:00 GMT", site));
    EXPECT_EQ(sent(storage, "http://www.example.test/"), "c=3") << "an expiry in the past deletes";
    EXPECT_EQ(storage.cookies().size(), 3u);
    storage.removeAllCookies();
    EXPECT_EQ(sent(storage, site), "");
}
