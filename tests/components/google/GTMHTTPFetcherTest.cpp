#include "GTLTestAuthorizer.h"
#include "components/google/GTMHTTPFetcher.h"
#include "components/google/GTMLog.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/URLError.h"
#include "support/LoopbackHttpServer.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

using foundation::Bytes;
using foundation::RunLoop;
using google::GTMHTTPFetcher;
using testsupport::HttpExchange;
using testsupport::HttpReply;
using testsupport::LoopbackHttpServer;

namespace {

struct Outcome {
    bool done = false;
    int calls = 0;
    std::string data;
    std::optional<foundation::Error> error;
};

class FetcherTest : public ::testing::Test {
protected:
    std::shared_ptr<GTMHTTPFetcher> fetcher(const std::string& path) {
        auto fetcher = GTMHTTPFetcher::fetcherWithURLString(server_.url(path));
        fetcher->setAllowLocalhostRequest(true);
        return fetcher;
    }
    // Begins with a completion block and runs the loop until it was called.
    std::shared_ptr<Outcome> run(const std::shared_ptr<GTMHTTPFetcher>& fetcher, bool* begun = nullptr) {
        auto outcome = std::make_shared<Outcome>();
        bool started = fetcher->beginFetchWithCompletionHandler([outcome](const Bytes& data, const auto& error) {
            ++outcome->calls;
            outcome->done = true;
            outcome->data.assign(data.begin(), data.end());
            outcome->error = error;
        });
        if (begun) *begun = started;
        RunLoop::main().runUntil([&] { return outcome->done; }, 3600);
        RunLoop::main().runUntilIdle();
        return outcome;
    }

    testsupport::VirtualClockScope clock_;
    LoopbackHttpServer server_;
};

// Signs with "Bearer <token>"; a primed refresh changes the token.
class TokenAuthorizer : public gtltest::BearerAuthorizer {
public:
    TokenAuthorizer() : BearerAuthorizer("one") {}
    int refreshes = 0;

    bool respondsToPrimeForRefresh() const override { return true; }
    bool primeForRefresh() override {
        ++refreshes;
        token_ = "two";
        return true;
    }
};

}  // namespace

TEST_F(FetcherTest, RefusesPlainTextUnlessAllowed) {
    struct Case {
        std::string url;
        bool allowLocalhost;
        std::vector<std::string> schemes;
        bool begins;
        std::string logged;
    };
    const std::string local = server_.url("/x");
    server_.reply("GET", "/x", {200, "ok"});
    const std::vector<Case> cases = {
        {"http://198.51.100.1/x", false, {}, false, "Fetch disallowed for http://198.51.100.1/x"},
        {local, false, {}, false, "Localhost fetch disallowed for " + local},
        {local, true, {}, true, ""},
        {local, false, {"HTTP"}, false, "Localhost fetch disallowed for " + local},
        {"ftp://198.51.100.1/x", false, {"http"}, false, "Fetch disallowed for ftp://198.51.100.1/x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        std::vector<std::string> lines;
        google::setGTMLogObserver([&](const std::string& line) { lines.push_back(line); });
        auto fetcher = GTMHTTPFetcher::fetcherWithURLString(c.url);
        fetcher->setAllowLocalhostRequest(c.allowLocalhost);
        fetcher->setAllowedInsecureSchemes(c.schemes);
        bool begun = true;
        auto outcome = run(fetcher, &begun);
        google::setGTMLogObserver(nullptr);
        EXPECT_EQ(begun, c.begins);
        EXPECT_EQ(outcome->calls, 1);
        if (c.begins) {
            EXPECT_FALSE(outcome->error);
            EXPECT_EQ(outcome->data, "ok");
        } else {
            ASSERT_TRUE(outcome->error);
            EXPECT_EQ(outcome->error->domain, google::kGTMFetcherErrorDomain);
            EXPECT_EQ(outcome->error->code, -1);
            EXPECT_EQ(lines, std::vector<std::string>{c.logged});
        }
    }
}

TEST_F(FetcherTest, StatusesAndMethods) {
    struct Case {
        const char* name;
        HttpReply reply;
        std::optional<std::string> body;
        std::optional<std::string> methodOverride;
        std::string sentMethod;
        std::optional<int64_t> errorCode;
    };
    const std::vector<Case> cases = {
        {"plain get", {200, "hello"}, std::nullopt, std::nullopt, "GET", std::nullopt},
        {"body makes a post", {201, "made"}, "a=1", std::nullopt, "POST", std::nullopt},
        {"override get with body", {200, "x"}, "a=1", "GET", "POST", std::nullopt},
        {"not found keeps the body", {404, "missing"}, std::nullopt, std::nullopt, "GET", 404},
        {"server error", {500, "<html>broken</html>", "text/html"}, std::nullopt, std::nullopt, "GET", 500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = std::string("/") + std::to_string(&c - cases.data());
        server_.reply(c.sentMethod, path, c.reply);
        auto fetcher = this->fetcher(path);
        fetcher->setRetryEnabled(true);
        if (c.body) fetcher->setPostData(Bytes(c.body->begin(), c.body->end()));
        if (c.methodOverride) fetcher->mutableRequest().setValue(*c.methodOverride, "X-HTTP-Method-Override");
        size_t before = server_.requestCount();
        auto outcome = run(fetcher);
        EXPECT_EQ(outcome->calls, 1);
        EXPECT_EQ(server_.requestCount(), before + 1) << "neither 404 nor 500 is retried";
        EXPECT_EQ(outcome->data, c.reply.body) << "the body reaches the callback, failed or not";
        EXPECT_EQ(fetcher->statusCode(), c.reply.status);
        EXPECT_EQ(server_.requests().back().method, c.sentMethod);
        if (c.body) {
            EXPECT_EQ(server_.requests().back().body, *c.body);
        }
        if (c.errorCode) {
            ASSERT_TRUE(outcome->error);
            EXPECT_EQ(outcome->error->domain, google::kGTMHTTPStatusDomain);
            EXPECT_EQ(outcome->error->code, *c.errorCode);
        } else {
            EXPECT_FALSE(outcome->error);
        }
    }
}

TEST_F(FetcherTest, RetriesServiceUnavailableWithDoublingDelays) {
    int answered = 0;
    server_.on("GET", "/busy", [&](const HttpExchange&) {
        return ++answered <= 3 ? HttpReply{503, "busy"} : HttpReply{200, "done"};
    });
    std::vector<double> starts;
    auto token = foundation::NotificationCenter::defaultCenter().addObserver(
        google::kGTMHTTPFetcherStartedNotification, nullptr,
        [&](const auto&) { starts.push_back(RunLoop::main().now()); });
    auto fetcher = this->fetcher("/busy");
    fetcher->setRetryEnabled(true);
    auto outcome = run(fetcher);
    EXPECT_FALSE(outcome->error);
    EXPECT_EQ(outcome->data, "done");
    EXPECT_EQ(fetcher->retryCount(), 3u);
    ASSERT_EQ(starts.size(), 4u);
    double t = starts[1] - starts[0];
    EXPECT_GE(t, 1.0);
    EXPECT_LT(t, 2.1);  // the first wait is random in [1, 2), plus the exchange itself
    EXPECT_NEAR(starts[2] - starts[1], 2 * t, 0.05);
    EXPECT_NEAR(starts[3] - starts[2], 4 * t, 0.05);
}

TEST_F(FetcherTest, DefaultRetryCapDependsOnTheMethod) {
    struct Case {
        std::string method;
        bool withBody;
        double cap;
    };
    for (const Case& c :
         std::vector<Case>{{"GET", false, 60}, {"HEAD", false, 60}, {"POST", true, 600}, {"PUT", true, 600}}) {
        SCOPED_TRACE(c.method);
        server_.reply(c.method, "/cap", {200, ""});
        auto fetcher = this->fetcher("/cap");
        fetcher->mutableRequest().httpMethod = c.method;
        if (c.withBody) fetcher->setPostData(Bytes{'x'});
        fetcher->setRetryEnabled(true);
        EXPECT_EQ(fetcher->maxRetryInterval(), -1.0);
        run(fetcher);
        EXPECT_EQ(fetcher->maxRetryInterval(), c.cap);
    }
}

TEST_F(FetcherTest, UnauthorizedPrimesOneRefreshAndOneRetry) {
    std::vector<std::string> seen;
    std::mutex mutex;
    server_.on("GET", "/me", [&](const HttpExchange& exchange) {
        std::lock_guard lock(mutex);
        seen.push_back(exchange.header("Authorization").value_or(""));
        return HttpReply{401, "no", "text/plain", {{"WWW-Authenticate", "Bearer realm=\"x\""}}};
    });
    auto authorizer = std::make_shared<TokenAuthorizer>();
    auto fetcher = this->fetcher("/me");
    fetcher->setAuthorizer(authorizer);
    auto outcome = run(fetcher);
    EXPECT_EQ(seen, (std::vector<std::string>{"Bearer one", "Bearer two"}));
    EXPECT_EQ(authorizer->refreshes, 1);
    ASSERT_TRUE(outcome->error);
    EXPECT_EQ(outcome->error->domain, google::kGTMHTTPStatusDomain);
    EXPECT_EQ(outcome->error->code, 401) << "a Bearer 401 is a status, not a challenge";
}

TEST_F(FetcherTest, BasicChallengeIsAnsweredWithTheCredentialAndFailsWithout) {
    server_.on("GET", "/basic", [](const HttpExchange& exchange) {
        if (exchange.header("Authorization") == "Basic dTpw") return HttpReply{200, "in"};
        return HttpReply{401, "who", "text/plain", {{"WWW-Authenticate", "Basic realm=\"r\""}}};
    });
    auto with = this->fetcher("/basic");
    with->setCredential(google::GTMURLCredential{"u", "p"});
    EXPECT_EQ(run(with)->data, "in");

    auto without = this->fetcher("/basic");
    auto outcome = run(without);
    ASSERT_TRUE(outcome->error);
    EXPECT_EQ(outcome->error->domain, google::kGTMFetcherErrorDomain);
    EXPECT_EQ(outcome->error->code, -2);

    auto wrong = this->fetcher("/basic");
    wrong->setCredential(google::GTMURLCredential{"u", "wrong"});
    size_t before = server_.requestCount();
    EXPECT_EQ(run(wrong)->error.value_or(foundation::Error()).code, -2);
    EXPECT_EQ(server_.requestCount() - before, 4u) << "three answers, then the challenge is cancelled";
}

TEST_F(FetcherTest, DigestChallengeIsAnsweredByTheTransport) {
    server_.on("GET", "/digest", [](const HttpExchange& exchange) {
        std::string authorization = exchange.header("Authorization").value_or("");
        if (authorization.starts_with("Digest ") && authorization.find("username=\"u\"") != std::string::npos &&
            authorization.find("nonce=\"n0nce\"") != std::string::npos &&
            authorization.find("response=\"") != std::string::npos)
            return HttpReply{200, "digested"};
        return HttpReply{
            401, "who", "text/plain", {{"WWW-Authenticate", "Digest realm=\"r\", nonce=\"n0nce\", qop=\"auth\""}}};
    });
    auto fetcher = this->fetcher("/digest");
    fetcher->setCredential(google::GTMURLCredential{"u", "p"});
    auto outcome = run(fetcher);
    EXPECT_FALSE(outcome->error);
    EXPECT_EQ(outcome->data, "digested");
    EXPECT_EQ(run(this->fetcher("/digest"))->error.value_or(foundation::Error()).code, -2);
}

TEST_F(FetcherTest, RedirectToAnotherOriginLeavesCredentialsBehind) {
    LoopbackHttpServer other;
    other.reply("GET", "/landing", {200, "there"});
    server_.reply("GET", "/same", {302, "", "text/plain", {{"Location", "/landing"}}});
    server_.reply("GET", "/landing", {200, "here"});
    server_.reply("GET", "/away", {302, "", "text/plain", {{"Location", other.url("/landing")}}});

    struct Case {
        const char* path;
        std::string body;
        bool keepsCredentials;
    };
    for (const Case& c : {Case{"/same", "here", true}, Case{"/away", "there", false}}) {
        SCOPED_TRACE(c.path);
        auto fetcher = this->fetcher(c.path);
        fetcher->mutableRequest().setValue("Bearer secret", "Authorization");
        fetcher->mutableRequest().setValue("session=1", "Cookie");
        fetcher->mutableRequest().setValue("kept", "X-Other");
        auto outcome = run(fetcher);
        EXPECT_EQ(outcome->data, c.body);
        const LoopbackHttpServer& landed = c.keepsCredentials ? server_ : other;
        HttpExchange last = landed.requests().back();
        EXPECT_EQ(last.path, "/landing");
        EXPECT_EQ(last.header("Authorization").has_value(), c.keepsCredentials);
        EXPECT_EQ(last.header("Cookie").has_value(), c.keepsCredentials);
        EXPECT_EQ(last.header("X-Other"), "kept");
        EXPECT_EQ(fetcher->mutableRequest().url, landed.url("/landing"));
    }
}

TEST_F(FetcherTest, StoppingCallsNothingAndPostsOneStop) {
    auto pieces = std::make_shared<testsupport::ReleasedBody>();
    server_.reply("GET", "/slow", HttpReply::inPieces(pieces, std::nullopt));
    int started = 0, stopped = 0;
    auto& center = foundation::NotificationCenter::defaultCenter();
    auto a = center.addObserver(google::kGTMHTTPFetcherStartedNotification, nullptr, [&](const auto&) { ++started; });
    auto b = center.addObserver(google::kGTMHTTPFetcherStoppedNotification, nullptr, [&](const auto&) { ++stopped; });
    auto fetcher = this->fetcher("/slow");
    int calls = 0;
    std::string soFar;
    fetcher->setReceivedDataBlock([&](const Bytes& data) { soFar.assign(data.begin(), data.end()); });
    fetcher->beginFetchWithCompletionHandler([&](const Bytes&, const auto&) { ++calls; });
    pieces->release("abc");
    RunLoop::main().runUntil([&] { return soFar == "abc"; }, 60);
    EXPECT_TRUE(fetcher->isFetching());
    fetcher->stopFetching();
    fetcher->stopFetching();
    pieces->finish();
    RunLoop::main().runUntilIdle();
    EXPECT_FALSE(fetcher->isFetching());
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(started, 1);
    EXPECT_EQ(stopped, 1);
}

TEST_F(FetcherTest, DownloadsToAPrivateFileOrRefusesHugeBodiesInMemory) {
    testsupport::TempAppFolders folders;
    const std::string target = folders.root() + "/movie.bin";
    std::string big(300000, 'z');
    server_.reply("GET", "/file", {200, big, "application/octet-stream"});
    ::umask(0);
    auto toFile = this->fetcher("/file");
    toFile->setDownloadPath(target);
    auto outcome = run(toFile);
    ::umask(022);
    EXPECT_FALSE(outcome->error);
    EXPECT_TRUE(outcome->data.empty());
    EXPECT_EQ(toFile->downloadedLength(), big.size());
    std::ifstream in(target, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), big);
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folders.root())) files += entry.is_regular_file();
    EXPECT_EQ(files, 1u) << "no temporary file left";

    auto pieces = std::make_shared<testsupport::ReleasedBody>();
    server_.reply("GET", "/huge", HttpReply::inPieces(pieces, uint64_t(10) << 30));
    auto inMemory = this->fetcher("/huge");
    int dataCalls = 0;
    inMemory->setReceivedDataBlock([&](const Bytes&) { ++dataCalls; });
    auto refused = run(inMemory);
    ASSERT_TRUE(refused->error);
    EXPECT_EQ(refused->error->domain, net::kURLErrorDomain);
    EXPECT_EQ(refused->error->code, net::kURLErrorDataLengthExceedsMaximum);
    EXPECT_EQ(dataCalls, 0);
}

TEST_F(FetcherTest, StalledConnectionTimesOutOnTheRunLoopsClockAndIsRetried) {
    // The first answer stops after its head and the pieces released; the
    // retry is answered in full. The limit counts from the last progress,
    // on the run loop's clock: real time spent meanwhile does not count.
    auto pieces = std::make_shared<testsupport::ReleasedBody>();
    std::atomic<int> requests{0};
    server_.on("GET", "/stall", [&](const HttpExchange&) {
        return ++requests == 1 ? HttpReply::inPieces(pieces, std::nullopt) : HttpReply{200, "answered"};
    });
    auto fetcher = this->fetcher("/stall");
    fetcher->mutableRequest().timeoutInterval = 30;
    int piecesReceived = 0;
    fetcher->setReceivedDataBlock([&](const Bytes&) { ++piecesReceived; });
    std::vector<std::string> retried;
    fetcher->setRetryEnabled(true);
    fetcher->setRetryBlock([&](bool suggested, const foundation::Error& error) {
        retried.push_back(error.domain + " " + std::to_string(error.code));
        return suggested;
    });
    auto outcome = std::make_shared<Outcome>();
    fetcher->beginFetchWithCompletionHandler([outcome](const Bytes& data, const auto& error) {
        outcome->done = true;
        outcome->data.assign(data.begin(), data.end());
        outcome->error = error;
    });
    auto& loop = RunLoop::main();
    struct Step {
        double at;          // moves the clock here and runs what is due
        const char* piece;  // then releases this piece and waits for it
        size_t retries;     // retries asked for by then
    } steps[] = {
        {0, "a", 0},
        {20, "b", 0},  // progress at 20 moves the limit to 50
        {49.5, nullptr, 0},
        {50.5, nullptr, 1},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.at);
        clock_.clock().advanceTo(step.at);
        while (loop.processPending()) {}
        EXPECT_EQ(retried.size(), step.retries);
        if (step.piece) {
            int before = piecesReceived;
            pieces->release(step.piece);
            ASSERT_TRUE(loop.runUntil([&] { return piecesReceived > before; }, 60));
            EXPECT_DOUBLE_EQ(loop.now(), step.at) << "time stands still while the transfer runs";
        }
    }
    EXPECT_EQ(retried, std::vector<std::string>{"NSURLErrorDomain -1001"});
    loop.runUntil([&] { return outcome->done; }, 3600);
    pieces->finish();
    EXPECT_FALSE(outcome->error);
    EXPECT_EQ(outcome->data, "answered");
    EXPECT_EQ(requests.load(), 2);
}

TEST_F(FetcherTest, BackgroundExpiryEndsTheFetchOnceAndWaitingEnds) {
    auto pieces = std::make_shared<testsupport::ReleasedBody>();
    server_.reply("GET", "/long", HttpReply::inPieces(pieces, std::nullopt));
    auto fetcher = this->fetcher("/long");
    fetcher->setShouldFetchInBackground(true);
    std::vector<int64_t> codes;
    fetcher->beginFetchWithCompletionHandler(
        [&](const Bytes&, const auto& error) { codes.push_back(error ? error->code : 0); });
    ASSERT_TRUE(server_.waitForRequests(1, 60));
    fetcher->backgroundFetchExpired();
    fetcher->waitForCompletionWithTimeout(60);
    pieces->finish();
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(codes, std::vector<int64_t>{google::kGTMHTTPFetcherErrorBackgroundExpiration});
    EXPECT_FALSE(fetcher->isFetching());
    EXPECT_FALSE(fetcher->completionBlock()) << "callbacks let go";
}
