#include "platform/net/HTTPHeaders.h"
#include "platform/net/ResponseHead.h"
#include "platform/net/HTTPURLResponse.h"
#include "platform/net/URLError.h"
#include "platform/net/URLParsing.h"

#include <cerrno>
#include <curl/curl.h>
#include <gtest/gtest.h>

using namespace net;

TEST(HTTPHeaders, NamesIgnoreCaseAndSetReplacesEveryFieldOfTheName) {
    HTTPHeaders headers;
    headers.add("Set-Cookie", "a=1");
    headers.add("X-Other", "x");
    headers.add("set-cookie", "b=2");
    EXPECT_EQ(headers.value("SET-COOKIE"), "a=1, b=2");
    headers.set("Set-Cookie", "c=3");
    ASSERT_EQ(headers.size(), 2u);
    EXPECT_EQ(headers.fields()[0], HTTPHeaders::Field("Set-Cookie", "c=3"));  // keeps its place
    headers.remove("x-other");
    EXPECT_FALSE(headers.contains("X-Other"));
}

TEST(HTTPHeaders, ResponseHeadLinesAreToldApartAndOnlyWellFormedFieldsKept) {
    struct Case {
        std::string line;
        ResponseHeadLine kind;
    };
    const Case cases[] = {
        {"HTTP/1.1 200 OK\r\n", ResponseHeadLine::StatusLine},
        {"Content-Type:  text/plain \r\n", ResponseHeadLine::Field},
        {"X-Empty:\r\n", ResponseHeadLine::Field},
        {" folded continuation\r\n", ResponseHeadLine::Ignored},
        {"no colon at all\r\n", ResponseHeadLine::Ignored},
        {"Bad Name: v\r\n", ResponseHeadLine::Ignored},
        {": no name\r\n", ResponseHeadLine::Ignored},
        {"\r\n", ResponseHeadLine::EndOfHead},
        {"", ResponseHeadLine::EndOfHead},
    };
    HTTPHeaders headers;
    for (const Case& c : cases) EXPECT_EQ(readResponseHeadLine(c.line, headers), c.kind) << c.line;
    ASSERT_EQ(headers.size(), 2u);
    EXPECT_EQ(headers.fields()[0], HTTPHeaders::Field("Content-Type", "text/plain"));
    EXPECT_EQ(headers.fields()[1], HTTPHeaders::Field("X-Empty", ""));
}

TEST(HTTPHeaders, RefusesFieldsThatWouldInjectHeaderLines) {
    HTTPHeaders headers;
    EXPECT_THROW(headers.set("X-Test", "ok\r\nEvil: 1"), std::invalid_argument);
    EXPECT_THROW(headers.set("X-Test", std::string("a\0b", 3)), std::invalid_argument);
    EXPECT_THROW(headers.set("Bad Name", "v"), std::invalid_argument);
    EXPECT_THROW(headers.add("", "v"), std::invalid_argument);
    EXPECT_TRUE(headers.empty());
}

TEST(HTTPURLResponse, ExpectedLengthOnlyFromAValidContentLength) {
    HTTPURLResponse response;
    EXPECT_EQ(response.expectedContentLength(), kURLResponseUnknownLength);
    response.allHeaderFields.set("content-length", "1234");
    EXPECT_EQ(response.expectedContentLength(), 1234);
    response.allHeaderFields.set("Content-Length", "12x");
    EXPECT_EQ(response.expectedContentLength(), kURLResponseUnknownLength);
    response.allHeaderFields.set("Content-Length", "-5");
    EXPECT_EQ(response.expectedContentLength(), kURLResponseUnknownLength);
}

TEST(URLParsing, OriginsAndRefusedAddresses) {
    auto origin = originOfURL("HTTPS://Example.COM/a?b");
    ASSERT_TRUE(origin.ok());
    EXPECT_EQ(*origin, (URLOrigin{"https", "example.com", 443}));
    EXPECT_EQ(originOfURL("http://127.0.0.1:8080/")->port, 8080);
    EXPECT_EQ(originOfURL("http://h/")->port, 80);

    EXPECT_EQ(originOfURL("file:///etc/passwd").error().code, kURLErrorUnsupportedURL);
    EXPECT_EQ(originOfURL("ftp://host/x").error().code, kURLErrorUnsupportedURL);
    EXPECT_EQ(originOfURL("not a url").error().code, kURLErrorBadURL);
    EXPECT_EQ(originOfURL("").error().domain, kURLErrorDomain);
}

TEST(URLParsing, ResolvesLocationsAgainstTheAddressThatSentThem) {
    EXPECT_EQ(resolveURL("http://h:81/a/b/c?q=1", "d"), "http://h:81/a/b/d");
    EXPECT_EQ(resolveURL("http://h/a/b/c", "../x?y=2"), "http://h/a/x?y=2");
    EXPECT_EQ(resolveURL("http://h/a/b", "/root"), "http://h/root");
    EXPECT_EQ(resolveURL("https://h/a", "//other/p"), "https://other/p");
    EXPECT_EQ(resolveURL("http://h/a", "https://k/z#frag"), "https://k/z");
}

TEST(URLParsing, RedirectsRewriteTheMethodAsBrowsersDo) {
    const std::string here = "http://h/start";
    auto see = redirectFor(303, "/next", here, "POST");
    ASSERT_TRUE(see);
    EXPECT_EQ(see->url, "http://h/next");
    EXPECT_EQ(see->method, "GET");
    EXPECT_FALSE(see->keepsBody);

    EXPECT_EQ(redirectFor(303, "/n", here, "HEAD")->method, "HEAD");
    EXPECT_EQ(redirectFor(302, "/n", here, "POST")->method, "GET");
    EXPECT_EQ(redirectFor(301, "/n", here, "PUT")->method, "PUT");

    auto temporary = redirectFor(307, "/n", here, "POST");
    EXPECT_EQ(temporary->method, "POST");
    EXPECT_TRUE(temporary->keepsBody);
    EXPECT_TRUE(redirectFor(308, "/n", here, "PUT")->keepsBody);

    EXPECT_FALSE(redirectFor(304, "/n", here, "GET"));
    EXPECT_FALSE(redirectFor(300, "/n", here, "GET"));
    EXPECT_FALSE(redirectFor(302, std::nullopt, here, "GET"));
    EXPECT_FALSE(redirectFor(302, "", here, "GET"));
}

TEST(URLError, TransferFailuresMapToThePlatformCodes) {
    struct Case {
        CURLcode curl;
        long osErrno;
        int64_t code;
    };
    const Case cases[] = {
        {CURLE_OPERATION_TIMEDOUT, 0, kURLErrorTimedOut},
        {CURLE_COULDNT_RESOLVE_HOST, 0, kURLErrorCannotFindHost},
        {CURLE_COULDNT_CONNECT, ECONNREFUSED, kURLErrorCannotConnectToHost},
        {CURLE_COULDNT_CONNECT, ENETUNREACH, kURLErrorNotConnectedToInternet},
        {CURLE_PEER_FAILED_VERIFICATION, 0, kURLErrorServerCertificateUntrusted},
        {CURLE_SSL_CONNECT_ERROR, 0, kURLErrorSecureConnectionFailed},
        {CURLE_ABORTED_BY_CALLBACK, 0, kURLErrorCancelled},
        {CURLE_RECV_ERROR, 0, kURLErrorNetworkConnectionLost},
        {CURLE_OUT_OF_MEMORY, 0, kURLErrorUnknown},
    };
    for (const Case& c : cases) {
        foundation::Error error = urlErrorForTransferFailure(c.curl, c.osErrno, "example.org");
        EXPECT_EQ(error.domain, kURLErrorDomain);
        EXPECT_EQ(error.code, c.code) << curl_easy_strerror(c.curl);
        ASSERT_TRUE(error.underlying);
        EXPECT_EQ(error.underlying->code, c.curl);
    }
}

TEST(URLError, TextsAreThePlatformsOwn) {
    EXPECT_EQ(urlError(kURLErrorTimedOut).description, "The request timed out.");
    EXPECT_EQ(urlError(kURLErrorCannotConnectToHost).description, "Could not connect to the server.");
    EXPECT_EQ(urlError(kURLErrorCancelled).description, "cancelled");
    EXPECT_NE(urlError(kURLErrorServerCertificateUntrusted, "upload.example.org")
                  .description.find("\u201cupload.example.org\u201d"),
              std::string::npos);
}
