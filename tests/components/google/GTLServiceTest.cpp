#include "GTLTestAuthorizer.h"
#include "components/google/GTLJSONParser.h"
#include "components/google/GTLQueryYouTube.h"
#include "components/google/GTLServiceYouTube.h"
#include "components/google/GTLYouTubeObjects.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/URLConnection.h"
#include "support/LoopbackHttpServer.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

using foundation::Error;
using foundation::RunLoop;
using foundation::Value;
using namespace google;
using testsupport::HttpExchange;
using testsupport::HttpReply;
using testsupport::LoopbackHttpServer;

namespace {

struct Outcome {
    int calls = 0;
    GTLObjectPtr object;
    std::optional<Error> error;
};

Value parse(std::string_view text) { return GTLJSONParser::objectWithString(text, nullptr).value_or(Value()); }

std::string requestID(const HttpExchange& exchange) { return parse(exchange.body).asDictionary().get("id").asString(); }

// The video service's JSON-RPC endpoints on an HTTPS loopback server trusted through the test CA.
class APIServiceTest : public ::testing::Test {
protected:
    APIServiceTest()
        : certificates_(testsupport::TestCertificates::create(folders_.root())),
          server_(certificates_.serverCertificateFile, certificates_.serverKeyFile) {
        net::URLConnection::setAdditionalCertificateAuthorityFile(certificates_.authorityFile);
        service_ = GTLServiceYouTube::create("127.0.0.1:" + std::to_string(server_.port()));
        service_->setAuthorizer(std::make_shared<gtltest::BearerAuthorizer>("token-1"));
    }
    ~APIServiceTest() override { net::URLConnection::setAdditionalCertificateAuthorityFile(std::nullopt); }

    std::shared_ptr<Outcome> run(const std::shared_ptr<GTLQueryProtocol>& query) {
        auto outcome = std::make_shared<Outcome>();
        ticket_ = service_->executeQuery(query, [outcome](const GTLServiceTicketPtr&, const GTLObjectPtr& object,
                                                          const std::optional<Error>& error) {
            ++outcome->calls;
            outcome->object = object;
            outcome->error = error;
        });
        EXPECT_TRUE(ticket_);
        RunLoop::main().runUntil([&] { return outcome->calls > 0; }, 600);
        RunLoop::main().runUntilIdle();
        return outcome;
    }

    testsupport::VirtualClockScope clock_;
    testsupport::TempAppFolders folders_;
    testsupport::TestCertificates certificates_;
    LoopbackHttpServer server_;
    std::shared_ptr<GTLServiceYouTube> service_;
    GTLServiceTicketPtr ticket_;
};

}  // namespace

TEST_F(APIServiceTest, CategoryListIsAJSONRPCCallWithTypedResult) {
    server_.on("POST", "/rpc", [](const HttpExchange& exchange) {
        return HttpReply(
            200,
            R"({"id":")" + requestID(exchange) +
                R"(","result":{"kind":"youtube#videoCategoryListResponse","items":[{"kind":"youtube#videoCategory","id":"1","snippet":{"title":"Film","assignable":true}}]}})",
            "application/json; charset=UTF-8");
    });
    auto query = GTLQueryYouTube::queryForVideoCategoriesListWithPart("id, snippet");
    query->setRegionCode("DE");
    query->setHl("de");
    auto outcome = run(query);
    ASSERT_EQ(outcome->calls, 1);
    EXPECT_FALSE(outcome->error);
    auto list = std::dynamic_pointer_cast<GTLYouTubeVideoCategoryListResponse>(outcome->object);
    ASSERT_TRUE(list);
    EXPECT_EQ((*list->items())[0]->snippet()->title(), "Film");
    EXPECT_TRUE(ticket_->hasCalledCallback());
    EXPECT_EQ(ticket_->fetchedObject(), outcome->object);

    ASSERT_EQ(server_.requestCount(), 1u);
    const HttpExchange sent = server_.requests()[0];
    EXPECT_EQ(sent.target, "/rpc?prettyPrint=false");
    EXPECT_EQ(sent.header("Authorization"), "Bearer token-1");
    EXPECT_EQ(sent.header("Content-Type"), "application/json-rpc; charset=utf-8");
    EXPECT_EQ(sent.header("Accept"), "application/json-rpc");
    EXPECT_EQ(sent.header("Cache-Control"), "no-cache");
    EXPECT_NE(sent.header("User-Agent").value_or("").find("tollivar-google-api-client/2.0"), std::string::npos);
    EXPECT_EQ(sent.body, R"({"jsonrpc":"2.0","method":"youtube.videoCategories.list","id":")" + query->requestID() +
                             R"(","apiVersion":"v3","params":{"part":"id, snippet","regionCode":"DE","hl":"de"}})");
}

TEST_F(APIServiceTest, FailuresBecomeErrorsNeverSuccess) {
    struct Case {
        const char* name;
        HttpReply reply;
        std::string domain;
        int64_t code;
        std::string reason;  // failure reason, or "" when not checked
    };
    const Case cases[] = {
        {"rpc error",
         {200, R"({"error":{"code":404,"message":"Not found"}})", "application/json"},
         kGTLJSONRPCErrorDomain,
         404,
         "(Not found)"},
        {"status with structured error",
         {400, R"({"error":{"code":400,"message":"bad"}})", "application/json"},
         kGTLJSONRPCErrorDomain,
         400,
         "(bad)"},
        {"html page",
         {500, "<p>Server exploded</p>", "text/html"},
         kGTMHTTPStatusDomain,
         500,
         "<p>Server exploded</p>"},
        {"status json without error", {403, R"({"other":1})", "application/json"}, kGTMHTTPStatusDomain, 403, ""},
        {"success without json", {200, "hello", "text/plain"}, kGTLServiceErrorDomain, kGTLErrorUnexpectedReply, ""},
        {"success without result",
         {200, R"({"jsonrpc":"2.0"})", "application/json"},
         kGTLServiceErrorDomain,
         kGTLErrorUnexpectedReply,
         ""},
        {"empty success", {200, "", "application/json"}, kGTLServiceErrorDomain, kGTLErrorUnexpectedReply, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server_.reply("POST", "/rpc", c.reply);
        auto outcome = run(GTLQueryYouTube::queryForVideosListWithPart("snippet"));
        ASSERT_EQ(outcome->calls, 1);
        EXPECT_FALSE(outcome->object);
        ASSERT_TRUE(outcome->error);
        EXPECT_EQ(outcome->error->domain, c.domain);
        EXPECT_EQ(outcome->error->code, c.code);
        if (!c.reason.empty()) {
            ASSERT_TRUE(outcome->error->userInfo);
            EXPECT_EQ(outcome->error->userInfo->get("NSLocalizedFailureReason").asString(), c.reason);
        }
    }
    server_.reply("POST", "/rpc", {200, "{not json", "application/json"});
    auto outcome = run(GTLQueryYouTube::queryForVideosListWithPart("snippet"));
    ASSERT_TRUE(outcome->error);
    EXPECT_NE(outcome->error->domain, kGTLServiceErrorDomain) << "the codec's own error";
}

TEST_F(APIServiceTest, PagesAreFetchedAndJoinedUpTo27) {
    server_.on("POST", "/rpc", [](const HttpExchange& exchange) {
        const Value params = parse(exchange.body).asDictionary().get("params");
        const std::string token = params.asDictionary().get("pageToken").asString();
        const std::string page = token.empty() ? "0" : token.substr(1);
        return HttpReply(200,
                         R"({"result":{"kind":"youtube#videoListResponse","nextPageToken":"p)" +
                             std::to_string(std::stoi(page) + 1) + R"(","items":[{"id":"a)" + page + R"("},{"id":"b)" +
                             page + R"("}]}})",
                         "application/json");
    });
    service_->setShouldFetchNextPages(true);
    auto outcome = run(GTLQueryYouTube::queryForVideosListWithPart("id"));
    ASSERT_EQ(outcome->calls, 1);
    ASSERT_FALSE(outcome->error);
    auto list = std::dynamic_pointer_cast<GTLYouTubeVideoListResponse>(outcome->object);
    ASSERT_TRUE(list);
    const auto items = *list->items();
    ASSERT_EQ(items.size(), 54u);
    EXPECT_EQ(items.front()->identifier(), "a0");
    EXPECT_EQ(items.back()->identifier(), "b26");
    EXPECT_EQ(server_.requestCount(), 27u);
    EXPECT_EQ(ticket_->pagesFetchedCounter(), 26u);
    EXPECT_EQ(ticket_->executingQuery(), ticket_->originalQuery());

    // A result without items ends paging even with a token.
    server_.reply("POST", "/rpc",
                  {200, R"({"result":{"kind":"youtube#video","nextPageToken":"x"}})", "application/json"});
    auto single = run(GTLQueryYouTube::queryForVideosListWithPart("id"));
    EXPECT_EQ(single->calls, 1);
    EXPECT_EQ(server_.requestCount(), 28u);
}

TEST_F(APIServiceTest, BatchesSplitAnswersAmongSubQueries) {
    auto first = GTLQueryYouTube::queryForVideosListWithPart("id");
    auto second = GTLQueryYouTube::queryForVideoCategoriesListWithPart("snippet");
    auto third = GTLQueryYouTube::queryForVideosRateWithIdentifierRating("v", "like");
    std::map<std::string, std::string> seen;
    for (const auto& query : {first, second, third}) {
        query->setCompletionBlock([&seen, id = query->requestID()](const GTLServiceTicketPtr&,
                                                                   const GTLObjectPtr& object,
                                                                   const std::optional<Error>& error) {
            seen[id] = error    ? error->domain + " " + std::to_string(error->code)
                       : object ? object->objectClass().name
                                : "none";
        });
    }
    server_.on("POST", "/rpc", [&](const HttpExchange&) {
        return HttpReply(200,
                         R"([{"id":")" + first->requestID() +
                             R"(","result":{"kind":"youtube#videoListResponse"}},{"id":")" + second->requestID() +
                             R"(","error":{"code":403,"message":"no"}}])",
                         "application/json");
    });
    auto outcome = run(GTLBatchQuery::batchQueryWithQueries({first, second, third}));
    EXPECT_EQ(outcome->calls, 1);
    EXPECT_EQ(seen[first->requestID()], "GTLYouTubeVideoListResponse");
    EXPECT_EQ(seen[second->requestID()], std::string(kGTLJSONRPCErrorDomain) + " 403");
    EXPECT_EQ(seen[third->requestID()], std::string(kGTLServiceErrorDomain) + " -3000");
    const Value sent = parse(server_.requests().at(0).body);
    ASSERT_TRUE(sent.isArray());
    EXPECT_EQ(sent.asArray().size(), 3u);

    auto twin = first->copy();
    EXPECT_FALSE(service_->executeQuery(GTLBatchQuery::batchQueryWithQueries({first, twin}), nullptr))
        << "a request ID used twice";
    EXPECT_FALSE(service_->executeQuery(GTLBatchQuery::batchQuery(), nullptr));
}

TEST_F(APIServiceTest, CancelledTicketsCallNothing) {
    auto released = std::make_shared<testsupport::ReleasedBody>();
    server_.reply("POST", "/rpc", HttpReply::inPieces(released, std::nullopt, "application/json"));
    int calls = 0;
    auto ticket = service_->executeQuery(GTLQueryYouTube::queryForVideosListWithPart("id"),
                                         [&](const auto&, const auto&, const auto&) { ++calls; });
    ASSERT_TRUE(ticket);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return server_.requestCount() == 1; }, 60));
    ticket->cancelTicket();
    released->release(R"({"result":{}})");
    released->finish();
    RunLoop::main().runFor(5);
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(calls, 0);
    EXPECT_FALSE(ticket->service());
    EXPECT_FALSE(ticket->objectFetcher());
}

TEST(GTLService, RequestsAndPayloads) {
    auto service = GTLService::create();
    struct Case {
        std::string method;
        std::string etag;
        std::optional<std::string> ifNoneMatch;
        std::optional<std::string> ifMatch;
    };
    const Case cases[] = {
        {"", "\"e\"", "\"e\"", std::nullopt},      {"get", "W/\"e\"", "W/\"e\"", std::nullopt},
        {"PUT", "\"e\"", std::nullopt, "\"e\""},   {"DELETE", "W/\"e\"", std::nullopt, std::nullopt},
        {"PATCH", "\"e\"", std::nullopt, "\"e\""}, {"POST", "\"e\"", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method + " " + c.etag);
        const net::URLRequest request = service->requestForURL("https://h/x", c.etag, c.method);
        EXPECT_EQ(request.valueForHTTPHeaderField("If-None-Match"), c.ifNoneMatch);
        EXPECT_EQ(request.valueForHTTPHeaderField("If-Match"), c.ifMatch);
        EXPECT_EQ(request.timeoutInterval, 60.0);
    }
    service->setAPIKey("k");
    auto body = GTLObject::object();
    EXPECT_EQ(
        *GTLJSONParser::stringWithObject(
            Value(service->rpcPayloadForMethodNamed("m", parse(R"({"key":"own"})"), body, "gtl_9")), false, nullptr),
        R"({"jsonrpc":"2.0","method":"m","id":"gtl_9","params":{"key":"own","resource":{}}})");
    EXPECT_EQ(*GTLJSONParser::stringWithObject(Value(service->rpcPayloadForMethodNamed("m", Value(), nullptr, "i")),
                                               false, nullptr),
              R"({"jsonrpc":"2.0","method":"m","id":"i","params":{"key":"k"}})");
    EXPECT_EQ(service->serviceUploadChunkSize(), 4194304u);
    service->setServiceUploadChunkSize(1000);
    EXPECT_EQ(service->serviceUploadChunkSize(), 1000u);
    service->setServiceUploadChunkSize(UINT64_MAX);
    EXPECT_EQ(service->serviceUploadChunkSize(), 4194304u);
    EXPECT_FALSE(service->executeQuery(GTLQuery::queryWithMethodName("m"), nullptr)) << "no endpoint";

    service->setServiceUserData(Value("shared"));
    auto ticket = GTLServiceTicket::ticketForService(service);
    EXPECT_EQ(ticket->userData().asString(), "shared") << "tickets start from the service's properties";
    ticket->setUserData(Value("own"));
    EXPECT_EQ(service->serviceUserData().asString(), "shared");
    EXPECT_FALSE(ticket->isUploadPaused());
    ticket->pauseUpload();  // no fetcher: nothing happens
    EXPECT_FALSE(ticket->isUploadPaused());

    auto youtube = GTLServiceYouTube::create("api.example.test");
    EXPECT_EQ(youtube->rpcURL(), "https://api.example.test/rpc?prettyPrint=false");
    EXPECT_EQ(youtube->rpcUploadURL(), "https://api.example.test/upload/rpc?uploadType=resumable&prettyPrint=false");
    EXPECT_EQ(youtube->APIVersion(), "v3");
}

TEST(GTLService, MockServiceAnswersWithoutNetwork) {
    testsupport::VirtualClockScope clock;
    auto video = GTLYouTubeVideo::object();
    auto service = GTLService::mockServiceWithFakedObject(video, std::nullopt);
    std::vector<std::pair<uint64_t, uint64_t>> progress;
    service->setUploadProgressBlock(
        [&](const GTLServiceTicketPtr&, uint64_t sent, uint64_t total) { progress.emplace_back(sent, total); });
    auto query = GTLQueryYouTube::queryForVideosInsertWithObjectPartUploadParameters(
        video, "snippet", GTLUploadParameters::uploadParametersWithData(foundation::Bytes(1000), "video/quicktime"));
    GTLObjectPtr answered;
    auto ticket =
        service->executeQuery(query, [&](const auto&, const GTLObjectPtr& object, const auto&) { answered = object; });
    GTLObjectPtr fetched;
    std::optional<Error> error;
    EXPECT_TRUE(GTLService::waitForTicket(ticket, 10, &fetched, &error));
    EXPECT_EQ(answered, video);
    EXPECT_EQ(fetched, video);
    ASSERT_FALSE(progress.empty());
    EXPECT_LE(progress.size(), 3u);
    EXPECT_EQ(progress.back().first, progress.back().second);
    EXPECT_GT(progress.back().second, 1000u) << "the JSON-RPC body counts too";

    auto failing = GTLService::mockServiceWithFakedObject(nullptr, Error("d", 7, "failed"));
    bool retryAsked = false;
    failing->setRetryBlock([&](const auto&, bool suggested, const Error&) {
        retryAsked = !suggested;
        return false;
    });
    auto failed = failing->executeQuery(GTLQueryYouTube::queryForVideosListWithPart("id"), nullptr);
    EXPECT_FALSE(GTLService::waitForTicket(failed, 10, nullptr, &error));
    EXPECT_EQ(error->code, 7);
    EXPECT_TRUE(retryAsked);

    auto slow = GTLService::create();
    slow->setRpcURL("https://mock.invalid/rpc");
    slow->setTestBlock([](const GTLServiceTicketPtr&, GTLQueryResponseBlock) {});
    auto waiting = slow->executeQuery(GTLQueryYouTube::queryForVideosListWithPart("id"), nullptr);
    EXPECT_FALSE(GTLService::waitForTicket(waiting, 0, nullptr, &error));
    EXPECT_EQ(error->domain, kGTLServiceErrorDomain);
    EXPECT_EQ(error->code, kGTLErrorWaitTimedOut);
}

TEST_F(APIServiceTest, RESTFetchesDelegatesAndParseNotifications) {
    server_.reply("GET", "/feeds/video",
                  {200, R"({"data":{"kind":"youtube#video","id":"r1","etag":"W/\"weak\""}})", "application/json"});
    service_->setRESTDataWrapperRequired(true);
    service_->setAPIKey("dev-key");
    std::vector<std::string> notifications;
    auto& center = foundation::NotificationCenter::defaultCenter();
    auto started = center.addObserver(kGTLServiceTicketParsingStartedNotification, nullptr,
                                      [&](const foundation::Notification&) { notifications.push_back("started"); });
    auto stopped = center.addObserver(kGTLServiceTicketParsingStoppedNotification, nullptr,
                                      [&](const foundation::Notification&) { notifications.push_back("stopped"); });
    auto outcome = std::make_shared<Outcome>();
    auto ticket = service_->fetchObjectWithURL(server_.url("/feeds/video"), &GTLYouTubeVideo::classInfo(), false,
                                               [outcome](const auto&, const GTLObjectPtr& object, const auto& error) {
                                                   ++outcome->calls;
                                                   outcome->object = object;
                                                   outcome->error = error;
                                               });
    ASSERT_TRUE(ticket);
    RunLoop::main().runUntil([&] { return outcome->calls > 0; }, 600);
    ASSERT_FALSE(outcome->error);
    auto video = std::dynamic_pointer_cast<GTLYouTubeVideo>(outcome->object);
    ASSERT_TRUE(video) << "the data wrapper is taken off";
    EXPECT_EQ(video->identifier(), "r1");
    EXPECT_TRUE(ticket->isREST());
    EXPECT_EQ(notifications, (std::vector<std::string>{"started", "stopped"}));
    const HttpExchange get = server_.requests().at(0);
    EXPECT_EQ(get.target, "/feeds/video?key=dev-key");
    EXPECT_FALSE(get.header("Authorization")) << "a public fetch is not signed";
    EXPECT_EQ(get.header("Accept"), "application/json");

    // An update sends the object with its ETag as condition unless the tag is weak.
    server_.reply("PUT", "/feeds/video", {200, R"({"data":{"id":"r1"}})", "application/json"});
    int updates = 0;
    ASSERT_TRUE(service_->fetchObjectByUpdatingObject(video, server_.url("/feeds/video"),
                                                      [&](const auto&, const auto&, const auto&) { ++updates; }));
    RunLoop::main().runUntil([&] { return updates > 0; }, 600);
    const HttpExchange put = server_.requests().at(1);
    EXPECT_FALSE(put.header("If-Match"));
    EXPECT_EQ(put.header("Authorization"), "Bearer token-1");
    EXPECT_EQ(parse(put.body).asDictionary().get("data").asDictionary().get("id").asString(), "r1");

    // The delegate form: the delegate stays alive while the call runs, and
    // a ticket keeps the retry block it was made with.
    server_.reply("POST", "/rpc", {200, R"({"result":{"kind":"youtube#video","id":"d"}})", "application/json"});
    service_->setRetryBlock([](const auto&, bool, const Error&) { return false; });
    auto delegate = std::make_shared<std::vector<std::string>>();
    std::weak_ptr<std::vector<std::string>> watched = delegate;
    auto delegated = service_->executeQuery(
        GTLQueryYouTube::queryForVideosGetRatingWithIdentifier("d"), delegate,
        [watched](const GTLServiceTicketPtr&, const GTLObjectPtr& object, const std::optional<Error>&) {
            if (auto kept = watched.lock())
                kept->push_back(object ? *object->JSONValueForKey("id")->stringValue() : "");
        });
    ASSERT_TRUE(delegated);
    EXPECT_TRUE(delegated->retryBlock());
    service_->setRetryBlock(nullptr);
    EXPECT_TRUE(delegated->retryBlock()) << "changing the service never changes a ticket";
    delegate.reset();
    RunLoop::main().runUntil([&] { return delegated->hasCalledCallback(); }, 600);
    RunLoop::main().runUntilIdle();
    EXPECT_TRUE(delegated->hasCalledCallback());
    EXPECT_FALSE(watched.lock()) << "let go once the call ended";
}
