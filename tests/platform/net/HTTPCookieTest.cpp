#include "platform/net/HTTPCookie.h"

#include <gtest/gtest.h>

using net::HTTPCookie;

namespace {

constexpr double kNow = 1'700'000'000;

std::vector<HTTPCookie> parse(std::vector<std::string> lines, const std::string& url) {
    net::HTTPHeaders headers;
    for (const std::string& line : lines) headers.add("Set-Cookie", line);
    return HTTPCookie::cookiesWithResponseHeaderFields(headers, url, kNow);
}

}  // namespace

TEST(HTTPCookie, DomainAndPathMatching) {
    struct Case {
        const char* host;
        const char* domain;
        bool matches;
    };
    for (const Case& c : std::vector<Case>{{"example.test", "example.test", true},
                                           {"www.example.test", "example.test", true},
                                           {"WWW.Example.Test", "example.test", true},
                                           {"badexample.test", "example.test", false},
                                           {"example.test", "www.example.test", false},
                                           {"10.0.0.1", "0.0.1", false},
                                           {"10.0.0.1", "10.0.0.1", true}}) {
        EXPECT_EQ(net::cookieDomainMatches(c.host, c.domain), c.matches) << c.host << " / " << c.domain;
    }
    struct PathCase {
        const char* request;
        const char* cookie;
        bool matches;
    };
    for (const PathCase& c : std::vector<PathCase>{{"/docs", "/docs", true},
                                                   {"/docs/a", "/docs", true},
                                                   {"/docs/a", "/docs/", true},
                                                   {"/docsx", "/docs", false},
                                                   {"/", "/docs", false},
                                                   {"/anything", "/", true}}) {
        EXPECT_EQ(net::cookiePathMatches(c.request, c.cookie), c.matches) << c.request << " / " << c.cookie;
    }
}

TEST(HTTPCookie, ParsesAttributesAndRefusesForeignDomains) {
    auto cookies =
        parse({"a=1", "b = 2 ; Path=/x; Secure; HttpOnly", "c=3; Domain=.example.test; Max-Age=60",
               "d=4; Domain=other.test", "e=5; Expires=Wed, 21 Oct 2015 07:28:00 GMT", "=nameless", "f=6; Max-Age=0"},
              "http://www.example.test/dir/page?q");
    ASSERT_EQ(cookies.size(), 5u);
    EXPECT_EQ(cookies[0].name, "a");
    EXPECT_EQ(cookies[0].domain, "www.example.test");
    EXPECT_TRUE(cookies[0].hostOnly);
    EXPECT_EQ(cookies[0].path, "/dir");
    EXPECT_FALSE(cookies[0].expiresDate);
    EXPECT_EQ(cookies[1].value, "2");
    EXPECT_EQ(cookies[1].path, "/x");
    EXPECT_TRUE(cookies[1].secure && cookies[1].httpOnly);
    EXPECT_EQ(cookies[2].domain, "example.test");
    EXPECT_FALSE(cookies[2].hostOnly);
    EXPECT_EQ(cookies[2].expiresDate, kNow + 60);
    EXPECT_EQ(cookies[3].expiresDate, 1445412480.0);
    EXPECT_TRUE(cookies[4].isExpired(kNow));

    struct Case {
        int cookie;
        const char* url;
        bool sent;
    };
    for (const Case& c : std::vector<Case>{{0, "http://www.example.test/dir/x", true},
                                           {0, "http://example.test/dir/x", false},
                                           {0, "http://www.example.test/other", false},
                                           {1, "http://www.example.test/x", false},
                                           {1, "https://www.example.test/x/y", true},
                                           {2, "http://a.b.example.test/dir/", true},
                                           {2, "http://example.test.evil/", false}}) {
        EXPECT_EQ(cookies[c.cookie].matchesURL(c.url), c.sent) << c.cookie << " " << c.url;
    }
    EXPECT_EQ(HTTPCookie::requestHeaderFieldValue({cookies[0], cookies[2]}), "a=1; c=3");
}

TEST(HTTPCookie, Dates) {
    struct Case {
        const char* text;
        std::optional<double> unix;
    };
    for (const Case& c : std::vector<Case>{{"Sun, 06 Nov 1994 08:49:37 GMT", 784111777},
                                           {"Sunday, 06-Nov-94 08:49:37 GMT", 784111777},
                                           {"Sun Nov  6 08:49:37 1994", 784111777},
                                           {"06 Nov 2069 08:49:37", 3150953377},
                                           {"31 Feb 2020 00:00:00", std::nullopt},
                                           {"Sun, 06 Nov 1994", std::nullopt},
                                           {"garbage", std::nullopt}}) {
        EXPECT_EQ(net::parseCookieDate(c.text), c.unix) << c.text;
    }
}
