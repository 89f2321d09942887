#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/CurlTransfer.h"
#include "platform/net/URLConnection.h"
#include "platform/net/URLError.h"
#include "support/LoopbackHttpServer.h"
#include "support/TcpRelay.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <unistd.h>

using foundation::Bytes;
using foundation::RunLoop;
using net::HTTPURLResponse;
using net::URLConnection;
using net::URLRequest;
using testsupport::HttpReply;
using testsupport::LoopbackHttpServer;

namespace {

struct Outcome {
    bool done = false;
    bool onMainThread = false;
    std::optional<HTTPURLResponse> response;
    Bytes data;
    std::optional<foundation::Error> error;

    std::string text() const { return std::string(data.begin(), data.end()); }
    int64_t errorCode() const { return error ? error->code : 0; }
};

URLConnection::Completion recordInto(Outcome& outcome) {
    return [&outcome](const std::optional<HTTPURLResponse>& response, const Bytes& data,
                      const std::optional<foundation::Error>& error) {
        EXPECT_FALSE(outcome.done) << "completion ran twice";
        outcome = {true, RunLoop::isMainThread(), response, data, error};
    };
}

Outcome send(URLRequest request) {
    Outcome outcome;
    URLConnection::sendAsynchronousRequest(std::move(request), recordInto(outcome));
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return outcome.done; }, 60));
    return outcome;
}

// Lets a handler hold its answer back until the test has seen what it needs.
class Gate {
public:
    // Waits on a copy: the gate itself may be gone by the time the wait ends.
    void wait() {
        std::shared_future<void> released = released_;
        released.wait();
    }
    void open() {
        if (!opened_.exchange(true)) promise_.set_value();
    }
    ~Gate() { open(); }

private:
    std::promise<void> promise_;
    std::shared_future<void> released_ = promise_.get_future().share();
    std::atomic<bool> opened_{false};
};

class URLConnectionTest : public ::testing::Test {
protected:
    testsupport::VirtualClockScope clock_;
    LoopbackHttpServer server_;
    // Declared after the server so that it opens (on destruction) before the server stops.
    Gate gate_;
};

}  // namespace

TEST_F(URLConnectionTest, GetDeliversStatusHeadersAndBodyOnTheMainQueue) {
    server_.reply("GET", "/hello", HttpReply{200, "hello world", "text/plain", {{"X-Answer", "42"}}});
    URLRequest request(server_.url("/hello?x=1"));
    request.setValue("tollivar-test", "User-Agent");
    Outcome outcome = send(request);

    ASSERT_FALSE(outcome.error) << outcome.error->description;
    EXPECT_TRUE(outcome.onMainThread);
    EXPECT_EQ(outcome.response->statusCode, 200);
    EXPECT_EQ(outcome.response->url, server_.url("/hello?x=1"));
    EXPECT_EQ(outcome.response->valueForHTTPHeaderField("x-answer"), "42");
    EXPECT_EQ(outcome.response->expectedContentLength(), 11);
    EXPECT_EQ(outcome.text(), "hello world");

    auto received = server_.requests();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].target, "/hello?x=1");
    EXPECT_EQ(received[0].header("User-Agent"), "tollivar-test");
}

TEST_F(URLConnectionTest, ServerErrorsAreResponsesNotFailures) {
    server_.reply("GET", "/broken", HttpReply{500, "oops"});
    Outcome outcome = send(URLRequest(server_.url("/broken")));
    EXPECT_FALSE(outcome.error);
    EXPECT_EQ(outcome.response->statusCode, 500);
    EXPECT_FALSE(outcome.response->isSuccess());
    EXPECT_EQ(outcome.text(), "oops");
    EXPECT_EQ(send(URLRequest(server_.url("/missing"))).response->statusCode, 404);
}

TEST_F(URLConnectionTest, BodiesAndMethodsReachTheServerUnchanged) {
    for (const char* method : {"POST", "PUT", "PATCH", "DELETE"})
        server_.on(method, "/echo", [](const testsupport::HttpExchange& e) {
            return HttpReply{201, e.method + ":" + e.body};
        });

    std::string binary("a\0b\r\n]]>", 8);
    for (std::string method : {"POST", "PUT", "PATCH"}) {
        URLRequest request(server_.url("/echo"));
        request.httpMethod = method;
        request.setHTTPBody(binary);
        request.setValue("application/octet-stream", "Content-Type");
        Outcome outcome = send(request);
        ASSERT_FALSE(outcome.error) << method;
        EXPECT_EQ(outcome.response->statusCode, 201);
        EXPECT_EQ(outcome.text(), method + ":" + binary);
    }
    URLRequest emptyPost(server_.url("/echo"));
    emptyPost.httpMethod = "POST";
    EXPECT_EQ(send(emptyPost).text(), "POST:");
    URLRequest deletion(server_.url("/echo"));
    deletion.httpMethod = "DELETE";
    EXPECT_EQ(send(deletion).text(), "DELETE:");

    for (const auto& exchange : server_.requests()) {
        EXPECT_FALSE(exchange.header("Expect")) << "an upload must not wait for 100-continue";
        if (exchange.method != "DELETE" && exchange.body.size()) {
            EXPECT_EQ(exchange.header("Content-Type"), "application/octet-stream");
        }
    }
}

// A body file that comes open is read from that file, at its range, whatever
// became of its name, and without moving its position.
TEST_F(URLConnectionTest, AnOpenBodyFileIsReadAtItsRangeWhateverItsNameNowIs) {
    server_.on("PUT", "/echo", [](const testsupport::HttpExchange& e) { return HttpReply{200, e.body}; });
    testsupport::TempAppFolders folders;
    const std::string path = folders.root() + "/movie.mov";
    std::string content;
    for (int i = 0; i < 100000; ++i) content += char('a' + i % 23);
    std::ofstream(path, std::ios::binary) << content;
    auto open = std::make_shared<foundation::FileDescriptor>(foundation::FileDescriptor::open(path, O_RDONLY));
    ASSERT_TRUE(*open);
    std::filesystem::remove(path);

    struct Case {
        uint64_t offset, length;
    };
    for (Case c : {Case{0, 100000}, Case{1234, 56789}, Case{99999, 1}}) {
        URLRequest request(server_.url("/echo"));
        request.httpMethod = "PUT";
        request.httpBodyFile = net::URLRequestBodyFile{path, c.offset, c.length, open};
        Outcome outcome = send(request);
        ASSERT_FALSE(outcome.error) << outcome.error->description;
        EXPECT_EQ(outcome.text(), content.substr(c.offset, c.length)) << c.offset;
    }
    EXPECT_EQ(::lseek(open->get(), 0, SEEK_CUR), 0);
}

TEST_F(URLConnectionTest, FollowsRedirectsWithTheRightMethodAndBody) {
    server_.reply("POST", "/form", HttpReply{303, "", "text/plain", {{"Location", "done?id=7"}}});
    server_.reply("GET", "/done", HttpReply{200, "thanks"});
    server_.reply("POST", "/moved", HttpReply{307, "", "text/plain", {{"Location", "/target"}}});
    server_.on("POST", "/target", [](const testsupport::HttpExchange& e) { return HttpReply{200, "got " + e.body}; });

    URLRequest form(server_.url("/form"));
    form.httpMethod = "POST";
    form.setHTTPBody("name=ann");
    form.setValue("application/x-www-form-urlencoded", "Content-Type");
    Outcome seeOther = send(form);
    ASSERT_FALSE(seeOther.error);
    EXPECT_EQ(seeOther.text(), "thanks");
    EXPECT_EQ(seeOther.response->url, server_.url("/done?id=7"));
    auto requests = server_.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].method, "GET");
    EXPECT_EQ(requests[1].body, "");
    EXPECT_FALSE(requests[1].header("Content-Type"));

    URLRequest moved(server_.url("/moved"));
    moved.httpMethod = "POST";
    moved.setHTTPBody("payload");
    Outcome temporary = send(moved);
    EXPECT_EQ(temporary.text(), "got payload");
    EXPECT_EQ(temporary.response->url, server_.url("/target"));
}

TEST_F(URLConnectionTest, CredentialsStayWithTheirOrigin) {
    LoopbackHttpServer other;
    other.reply("GET", "/elsewhere", HttpReply{200, "there"});
    server_.reply("GET", "/away", HttpReply{302, "", "text/plain", {{"Location", other.url("/elsewhere")}}});
    server_.reply("GET", "/home", HttpReply{301, "", "text/plain", {{"Location", "/here"}}});
    server_.reply("GET", "/here", HttpReply{200, "here"});

    URLRequest away(server_.url("/away"));
    away.setValue("Bearer secret", "Authorization");
    away.setValue("kept", "X-Client");
    EXPECT_EQ(send(away).text(), "there");
    ASSERT_EQ(other.requestCount(), 1u);
    EXPECT_FALSE(other.requests()[0].header("Authorization"));
    EXPECT_EQ(other.requests()[0].header("X-Client"), "kept");

    URLRequest home(server_.url("/home"));
    home.setValue("Bearer secret", "Authorization");
    EXPECT_EQ(send(home).text(), "here");
    EXPECT_EQ(server_.requests().back().header("Authorization"), "Bearer secret");
}

TEST_F(URLConnectionTest, RedirectLoopsAndForeignSchemesEndInErrors) {
    server_.reply("GET", "/loop", HttpReply{302, "", "text/plain", {{"Location", "/loop"}}});
    Outcome loop = send(URLRequest(server_.url("/loop")));
    EXPECT_EQ(loop.errorCode(), net::kURLErrorHTTPTooManyRedirects);
    EXPECT_FALSE(loop.response);
    EXPECT_EQ(server_.requestCount(), size_t(URLConnection::kMaximumRedirects + 1));

    server_.reply("GET", "/file", HttpReply{302, "", "text/plain", {{"Location", "file:///etc/passwd"}}});
    Outcome file = send(URLRequest(server_.url("/file")));
    EXPECT_EQ(file.errorCode(), net::kURLErrorUnsupportedURL);
    EXPECT_TRUE(file.data.empty());
}

TEST_F(URLConnectionTest, AddressesThatCannotBeLoaded) {
    EXPECT_EQ(send(URLRequest("ftp://127.0.0.1/x")).errorCode(), net::kURLErrorUnsupportedURL);
    EXPECT_EQ(send(URLRequest("http://")).errorCode(), net::kURLErrorBadURL);

    Outcome refused = send(URLRequest("http://127.0.0.1:" + std::to_string(testsupport::unusedLoopbackPort()) + "/"));
    EXPECT_EQ(refused.errorCode(), net::kURLErrorCannotConnectToHost);
    EXPECT_EQ(refused.error->domain, "NSURLErrorDomain");
}

TEST_F(URLConnectionTest, ASilentServerTimesOut) {
    server_.on("GET", "/slow", [this](const testsupport::HttpExchange&) {
        gate_.wait();
        return HttpReply{200, "late"};
    });
    Outcome outcome = send(URLRequest(server_.url("/slow"), 0.2));
    EXPECT_EQ(outcome.errorCode(), net::kURLErrorTimedOut);
    EXPECT_EQ(outcome.error->description, "The request timed out.");
}

TEST_F(URLConnectionTest, CancelStopsATransferInFlight) {
    server_.on("GET", "/held", [this](const testsupport::HttpExchange&) {
        gate_.wait();
        return HttpReply{200, "late"};
    });
    Outcome outcome;
    auto connection = URLConnection::sendAsynchronousRequest(URLRequest(server_.url("/held")), recordInto(outcome));
    ASSERT_TRUE(server_.waitForRequests(1, 30));
    connection->cancel();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return outcome.done; }, 30));
    EXPECT_EQ(outcome.errorCode(), net::kURLErrorCancelled);
    EXPECT_TRUE(connection->isCancelled());
    EXPECT_THROW(connection->start(foundation::DispatchQueue::main(), nullptr), std::logic_error);
}

TEST_F(URLConnectionTest, ProgressCountsUpToTheWholeBody) {
    const std::string big(32 * 1024 * 1024, 'z');
    server_.on("POST", "/upload", [](const testsupport::HttpExchange& e) {
        return HttpReply{200, std::to_string(e.body.size())};
    });
    server_.reply("GET", "/download", HttpReply{200, big, "application/octet-stream"});

    std::vector<std::pair<int64_t, int64_t>> uploads, downloads;
    auto monotonic = [](const std::vector<std::pair<int64_t, int64_t>>& steps) {
        for (size_t i = 1; i < steps.size(); ++i)
            if (steps[i].first < steps[i - 1].first) return false;
        return true;
    };
    // Each report is a hand-off to the main queue: the first change, one per
    // interval and the end, not one for each of the body's sixty-odd steps.
    auto fewEnough = [](size_t reports, std::chrono::steady_clock::duration took) {
        return reports <= size_t(3 + took / net::detail::kProgressInterval);
    };

    URLRequest upload(server_.url("/upload"));
    upload.httpMethod = "POST";
    upload.setHTTPBody(big);
    upload.setValue("application/octet-stream", "Content-Type");
    auto up = URLConnection::create(upload);
    up->setUploadProgressHandler([&](int64_t done, int64_t expected) {
        EXPECT_TRUE(RunLoop::isMainThread());
        uploads.emplace_back(done, expected);
    });
    Outcome uploaded;
    auto start = std::chrono::steady_clock::now();
    up->start(foundation::DispatchQueue::main(), recordInto(uploaded));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return uploaded.done; }, 60));
    EXPECT_TRUE(fewEnough(uploads.size(), std::chrono::steady_clock::now() - start)) << uploads.size();
    ASSERT_FALSE(uploaded.error) << uploaded.error->description << " / " << uploaded.error->underlying->description;
    EXPECT_EQ(uploaded.response->statusCode, 200);
    EXPECT_EQ(uploaded.text(), std::to_string(big.size()));
    ASSERT_FALSE(uploads.empty());
    EXPECT_EQ(uploads.back(), std::make_pair(int64_t(big.size()), int64_t(big.size())));
    EXPECT_TRUE(monotonic(uploads));
    EXPECT_THROW(up->setDownloadProgressHandler(nullptr), std::logic_error);

    auto down = URLConnection::create(URLRequest(server_.url("/download")));
    down->setDownloadProgressHandler([&](int64_t done, int64_t expected) { downloads.emplace_back(done, expected); });
    Outcome downloaded;
    start = std::chrono::steady_clock::now();
    down->start(foundation::DispatchQueue::main(), recordInto(downloaded));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return downloaded.done; }, 60));
    EXPECT_TRUE(fewEnough(downloads.size(), std::chrono::steady_clock::now() - start)) << downloads.size();
    EXPECT_EQ(downloaded.data.size(), big.size());
    ASSERT_FALSE(downloads.empty());
    EXPECT_EQ(downloads.back(), std::make_pair(int64_t(big.size()), int64_t(big.size())));
    EXPECT_TRUE(monotonic(downloads));
}

TEST(URLConnectionSecure, VerifiesCertificatesAndTrustsAnAddedAuthority) {
    testsupport::VirtualClockScope clock;
    testsupport::TempAppFolders folders;
    auto certificates = testsupport::TestCertificates::create(folders.root());
    LoopbackHttpServer server(certificates.serverCertificateFile, certificates.serverKeyFile);
    server.reply("GET", "/secret", HttpReply{200, "secure"});

    URLConnection::setAdditionalCertificateAuthorityFile(std::nullopt);
    Outcome untrusted = send(URLRequest(server.url("/secret")));
    EXPECT_EQ(untrusted.errorCode(), net::kURLErrorServerCertificateUntrusted);
    EXPECT_NE(untrusted.error->description.find("127.0.0.1"), std::string::npos);

    URLConnection::setAdditionalCertificateAuthorityFile(certificates.authorityFile);
    Outcome trusted = send(URLRequest(server.url("/secret")));
    URLConnection::setAdditionalCertificateAuthorityFile(std::nullopt);
    ASSERT_FALSE(trusted.error) << trusted.error->description;
    EXPECT_EQ(trusted.text(), "secure");
}

// A request's anchors are its whole trust store, whatever anchors an earlier
// request to the same origin brought.
TEST(URLConnectionSecure, EachRequestIsCheckedAgainstItsOwnAnchors) {
    testsupport::VirtualClockScope clock;
    testsupport::TempAppFolders folders;
    std::filesystem::create_directory(folders.root() + "/other");
    auto certificates = testsupport::TestCertificates::create(folders.root());
    auto other = testsupport::TestCertificates::create(folders.root() + "/other");
    LoopbackHttpServer server(certificates.serverCertificateFile, certificates.serverKeyFile);
    server.reply("GET", "/secret", HttpReply{200, "secure"});
    auto requestAnchoredAt = [&](const testsupport::TestCertificates& authority) {
        URLRequest request(server.url("/secret"));
        request.anchorCertificates = {foundation::readFile(authority.authorityDERFile).value()};
        return request;
    };

    for (const auto* first : {&other, &certificates, &other}) {
        const bool firstTrusted = first == &certificates;
        Outcome before = send(requestAnchoredAt(*first));
        Outcome after = send(requestAnchoredAt(firstTrusted ? other : certificates));
        EXPECT_EQ(before.errorCode(), firstTrusted ? 0 : net::kURLErrorServerCertificateUntrusted);
        EXPECT_EQ(after.errorCode(), firstTrusted ? net::kURLErrorServerCertificateUntrusted : 0);
    }
}

// A body cut off in transit on a reused connection is the caller's to
// handle: it fails as a lost connection and is never sent again behind the
// caller's back (part of it may already be with the server).
TEST(URLConnectionKeptAlive, ABodyCutInTransitIsNotResentByItself) {
    testsupport::VirtualClockScope clock;
    testsupport::TempAppFolders folders;
    const std::string bodyText(2 << 20, 'b');
    const std::string path = folders.root() + "/body.bin";
    std::ofstream(path, std::ios::binary) << bodyText;
    for (bool fromFile : {false, true}) {
        SCOPED_TRACE(fromFile ? "file body" : "memory body");
        LoopbackHttpServer server;
        server.setKeepsConnectionsAlive(true);
        server.reply("POST", "/up", HttpReply{200, "stored", "text/plain"});
        // The first exchange passes whole; the cut comes 1 MiB into the second's body.
        testsupport::TcpRelay relay(server.port(), 1 << 20, testsupport::TcpRelay::Fault::Cut);
        URLRequest first(relay.baseURL("http") + "/up");
        first.httpMethod = "POST";
        first.httpBody = Bytes(100, 'a');
        Outcome opened = send(first);
        ASSERT_FALSE(opened.error) << opened.error->description;
        ASSERT_EQ(opened.text(), "stored");

        URLRequest second = first;
        if (fromFile) {
            second.httpBody.clear();
            second.httpBodyFile = net::URLRequestBodyFile{path, 0, bodyText.size()};
        } else {
            second.httpBody = Bytes(bodyText.begin(), bodyText.end());
        }
        Outcome cut = send(second);
        EXPECT_TRUE(relay.faulted());
        ASSERT_TRUE(cut.error);
        EXPECT_EQ(cut.error->domain, net::kURLErrorDomain);
        EXPECT_EQ(cut.error->code, net::kURLErrorNetworkConnectionLost);
        EXPECT_EQ(server.requestCount(), 1u) << "the cut body reached the server again on a new connection";
    }
}
