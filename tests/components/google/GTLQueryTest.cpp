#include "components/google/GTLBatchQuery.h"
#include "components/google/GTLJSONParser.h"
#include "components/google/GTLQuery.h"
#include "components/google/GTLUtilities.h"

#include <gtest/gtest.h>
#include <string>

using foundation::Value;
using namespace google;

namespace {

uint64_t idNumber(const std::string& requestID) {
    EXPECT_EQ(requestID.substr(0, 4), "gtl_");
    return std::stoull(requestID.substr(4));
}

}  // namespace

TEST(GTLQuery, RequestIDsCountUpAndCopiesKeepThem) {
    auto first = GTLQuery::queryWithMethodName("youtube.videos.list");
    auto second = GTLQuery::queryWithMethodName("youtube.videos.list");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(idNumber(second->requestID()), idNumber(first->requestID()) + 1);
    EXPECT_FALSE(GTLQuery::queryWithMethodName(""));

    first->setCustomParameter(Value("snippet"), "part");
    first->setURLQueryParameters({{"alt", "json"}});
    first->setBodyObject(GTLObject::object());
    first->setUploadParameters(GTLUploadParameters::uploadParametersWithData({1, 2, 3}, "video/quicktime"));
    bool called = false;
    first->setCompletionBlock([&](const GTLServiceTicketPtr&, const GTLObjectPtr&, const auto&) { called = true; });
    auto copy = first->copy();
    EXPECT_EQ(copy->requestID(), first->requestID());
    EXPECT_EQ(idNumber(GTLQuery::nextRequestID()), idNumber(second->requestID()) + 1) << "copies take no new ID";
    EXPECT_EQ(copy->JSON(), first->JSON());
    EXPECT_FALSE(copy->JSON().asDictionary().isIdenticalTo(first->JSON().asDictionary()));
    EXPECT_EQ(copy->bodyObject(), first->bodyObject());
    ASSERT_TRUE(copy->completionBlock());
    copy->completionBlock()(nullptr, nullptr, std::nullopt);
    EXPECT_TRUE(called);
    copy->executionDidStop();
    EXPECT_FALSE(copy->completionBlock());
    EXPECT_TRUE(first->completionBlock());

    const std::string description = first->description();
    EXPECT_NE(description.find(": {method:youtube.videos.list params:(part) urlQParams:(alt) bodyObject:GTLObject "
                               "GTLUploadParameters "),
              std::string::npos)
        << description;
    EXPECT_NE(description.find("{MIMEType:video/quicktime, data:3 bytes}}"), std::string::npos) << description;
}

TEST(GTLUtilities, URLsWithQueries) {
    struct Case {
        std::string url;
        GTLStringMap parameters;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"", {{"a", "b"}}, std::nullopt},
        {"https://h/p", {}, "https://h/p"},
        {"https://h/p", {{"b", "x y"}, {"A", "1&2=3"}}, "https://h/p?A=1%262%3D3&b=x+y"},
        {"https://h/p?prettyPrint=false", {{"key", "\xC3\xA9"}}, "https://h/p?prettyPrint=false&key=%C3%A9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(GTLUtilities::URLWithString(c.url, c.parameters), c.expected);
    }
}

TEST(GTLUtilities, Encodings) {
    EXPECT_EQ(GTLUtilities::stringByURLEncodingForURI("a b/c~d_e.f-g"), "a%20b%2Fc~d_e.f-g");
    EXPECT_EQ(GTLUtilities::stringByURLEncodingStringParameter("a b+c"), "a+b%2Bc");
    EXPECT_EQ(GTLUtilities::stringByURLEncodingString("https://h/a b?q=<x>"), "https://h/a%20b?q=%3Cx%3E");
    EXPECT_EQ(GTLUtilities::stringByPercentEncodingUTF8ForString("caf\xC3\xA9 50%\n"), "caf%C3%A9 50%25%0A");
    EXPECT_EQ(GTLUtilities::stringByPercentEncodingUTF8ForString("plain"), "plain");
    EXPECT_EQ(GTLUtilities::stringByPercentEncodingUTF8ForString(""), "");
    EXPECT_EQ(GTLUtilities::stringByPercentEncodingUTF8ForString("\xFF"), std::nullopt);
}

TEST(GTLUtilities, VersionsCompareNumberByNumber) {
    struct Case {
        std::optional<std::string> first;
        std::optional<std::string> second;
        int expected;
    };
    const Case cases[] = {
        {"2.0.1", "2.0", 1},         {"1.10", "1.9", 1},     {"1.0", "1", 0},
        {"1.2.3.4", "1.2.3.5", -1},  {std::nullopt, "0", 0}, {"", "0.0.1", -1},
        {"1.2.3.4.9", "1.2.3.4", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first.value_or("(none)") + " vs " + c.second.value_or("(none)"));
        EXPECT_EQ(GTLUtilities::compareVersion(c.first, c.second), c.expected);
        EXPECT_EQ(GTLUtilities::compareVersion(c.second, c.first), -c.expected);
    }
}

TEST(GTLUtilities, ObjectsByKeyPath) {
    std::vector<GTLObjectPtr> objects;
    for (const char* json : {R"({"a":{"b":1}})", R"({"a":{"b":2}})", R"({"a":{"b":1},"c":3})", R"({"c":3})"}) {
        objects.push_back(GTLObject::objectWithJSON(*GTLJSONParser::objectWithString(json, nullptr)));
    }
    EXPECT_EQ(GTLUtilities::objectsFromArray(objects, Value(1), "a.b"),
              (std::vector<GTLObjectPtr>{objects[0], objects[2]}));
    EXPECT_EQ(GTLUtilities::firstObjectFromArray(objects, std::nullopt, "a.b"), objects[3]);
    EXPECT_EQ(GTLUtilities::firstObjectFromArray(objects, Value(9), "c"), nullptr);
}

TEST(GTLBatchQuery, ResultsSplitByRequestID) {
    auto list = GTLQuery::queryWithMethodName("youtube.videos.list");
    auto insert = GTLQuery::queryWithMethodName("youtube.videos.insert");
    auto again = GTLQuery::queryWithMethodName("youtube.videos.list");
    auto batch = GTLBatchQuery::batchQueryWithQueries({list, insert});
    batch->addQuery(again);
    EXPECT_EQ(batch->queryForRequestID(insert->requestID()), insert);
    EXPECT_EQ(batch->queryForRequestID("gtl_0"), nullptr);
    EXPECT_NE(batch->description().find("(queries:3 methods:youtube.videos.list,youtube.videos.insert)"),
              std::string::npos);
    auto copy = batch->copy();
    EXPECT_EQ(copy->queries().size(), 3u);
    EXPECT_NE(copy->queries()[0], list);
    EXPECT_EQ(copy->queries()[0]->requestID(), list->requestID());

    const std::string reply = R"([{"id":")" + list->requestID() + R"(","result":{"kind":"x","n":1}},{"id":")" +
                              insert->requestID() + R"(","error":{"code":400,"message":"bad"}},{"id":")" +
                              again->requestID() + R"(","result":null}])";
    std::map<std::string, const GTLClassInfo*> classMap{{list->requestID(), &GTLCollectionObject::classInfo()}};
    auto result = std::dynamic_pointer_cast<GTLBatchResult>(GTLObject::objectForJSON(
        *GTLJSONParser::objectWithString(reply, nullptr), &GTLBatchResult::classInfo(), nullptr, &classMap));
    ASSERT_TRUE(result);
    ASSERT_EQ(result->successes().size(), 2u);
    ASSERT_EQ(result->failures().size(), 1u);
    EXPECT_EQ(&result->successes()[list->requestID()]->objectClass(), &GTLCollectionObject::classInfo());
    EXPECT_EQ(result->successes()[again->requestID()], nullMarker<GTLObject>());
    EXPECT_EQ(result->failures()[insert->requestID()]->message(), "bad");
    EXPECT_NE(result->description().find("(successes:2 failures:1)"), std::string::npos);
    auto copied = std::dynamic_pointer_cast<GTLBatchResult>(result->copy());
    ASSERT_TRUE(copied);
    EXPECT_EQ(copied->successes().size(), 2u);
    copied->failures().clear();
    EXPECT_EQ(result->failures().size(), 1u) << "the copy's maps are its own";
}
