#include "components/dropbox/DBJSON.h"
#include "components/sbjson/NSObject_SBJSON.h"
#include "components/sbjson/NSString_SBJSON.h"
#include "components/sbjson/SBJSON.h"

#include <gtest/gtest.h>

using namespace foundation;
using namespace sbjson;

TEST(SBJSON, FacadeSharesItsSettingsWithBothWorkers) {
    SBJSON json;
    EXPECT_EQ(json.maxDepth(), 512u);
    EXPECT_EQ(json.jsonParser().maxDepth(), 512u);
    EXPECT_EQ(json.jsonWriter().maxDepth(), 512u);
    json.setMaxDepth(3);
    EXPECT_EQ(json.jsonParser().maxDepth(), 3u);
    EXPECT_EQ(json.jsonWriter().maxDepth(), 3u);
    json.jsonParser().setMaxDepth(9);
    EXPECT_EQ(json.maxDepth(), 9u) << "the facade reads the parser's limit";

    EXPECT_FALSE(json.humanReadable());
    EXPECT_FALSE(json.sortKeys());
    json.setHumanReadable(true);
    json.setSortKeys(true);
    EXPECT_TRUE(json.jsonWriter().humanReadable());
    EXPECT_TRUE(json.jsonWriter().sortKeys());
    EXPECT_EQ(json.stringWithObject(Dictionary{{"b", 1}, {"a", 2}}), "{\n  \"a\" : 2,\n  \"b\" : 1\n}");
}

TEST(SBJSON, ParsingFailuresReachTheTraceAndTheErrorSlot) {
    SBJSON json;
    Error error;
    EXPECT_FALSE(json.objectWithString("[1,]", &error).has_value());
    EXPECT_EQ(error.code, 9);
    EXPECT_EQ(error.domain, kSBJsonErrorDomain);
    EXPECT_EQ(error.description, "Trailing comma disallowed in array");
    ASSERT_EQ(json.errorTrace().size(), 1u);
    EXPECT_EQ(json.errorTrace()[0].code, 9);

    EXPECT_FALSE(json.objectWithString("[\"\\u12\"]", &error).has_value());
    EXPECT_EQ(error.description, "Expected value while parsing array") << "the slot gets the outermost error";
    ASSERT_NE(error.underlying, nullptr);
    EXPECT_EQ(error.underlying->description, "Broken unicode character");
    EXPECT_EQ(json.errorTrace().size(), 4u);

    EXPECT_FALSE(json.objectWithString("7", &error).has_value());
    EXPECT_EQ(error.description, "Valid fragment, but not JSON");
    std::optional<Value> seven = json.fragmentWithString("7", &error);
    ASSERT_TRUE(seven.has_value());
    EXPECT_EQ(seven->asInt(), 7);
    EXPECT_TRUE(json.errorTrace().empty()) << "an earlier failure's trace must not outlive a success";
    EXPECT_TRUE(json.objectWithString("7", true, nullptr).has_value());
    EXPECT_FALSE(json.objectWithString("7", false, nullptr).has_value());
    EXPECT_FALSE(json.objectWithString(std::nullopt).has_value());
    EXPECT_EQ(json.errorTrace().back().description, "Input was 'nil'");
}

TEST(SBJSON, WritingFailuresReachTheTraceAndTheErrorSlot) {
    SBJSON json;
    Error error;
    EXPECT_FALSE(json.stringWithObject(Value("text"), &error).has_value());
    EXPECT_EQ(error.code, 4);
    EXPECT_EQ(error.description, "Not valid type for JSON");
    EXPECT_EQ(json.stringWithFragment(Value("text"), &error), "\"text\"");
    EXPECT_EQ(json.stringWithObject(Value("text"), true, nullptr), "\"text\"");

    EXPECT_FALSE(json.stringWithObject(Dictionary{{"d", Bytes{1}}}, &error).has_value());
    EXPECT_EQ(error.description, "Unsupported value for key d in object");
    ASSERT_EQ(json.errorTrace().size(), 2u);
    EXPECT_EQ(json.errorTrace()[0].description, "JSON serialisation not supported for Data");
}

TEST(SBJSON, CategoryOperations) {
    std::optional<Value> object = NSString_SBJSON::JSONValue(R"({"ok":true,"items":[1,"two"]})");
    ASSERT_TRUE(object.has_value());
    EXPECT_TRUE(object->asDictionary()["ok"].asBool());
    EXPECT_EQ(object->asDictionary()["items"].asArray()[1].asString(), "two");

    testing::internal::CaptureStderr();
    EXPECT_FALSE(NSString_SBJSON::JSONValue("null").has_value());
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log.rfind("-JSONValue failed. Error trace is: (", 0), 0u) << log;
    EXPECT_NE(log.find("Code=4 \"Valid fragment, but not JSON\""), std::string::npos) << log;

    std::optional<Value> null = NSString_SBJSON::JSONFragmentValue(" null ");
    ASSERT_TRUE(null.has_value());
    EXPECT_TRUE(null->isNull());
    testing::internal::CaptureStderr();
    EXPECT_FALSE(NSString_SBJSON::JSONFragmentValue("[").has_value());
    EXPECT_EQ(testing::internal::GetCapturedStderr().rfind("-JSONFragmentValue failed. Error trace is: ", 0), 0u);

    EXPECT_EQ(NSObject_SBJSON::JSONRepresentation(Array{1, "a"}), R"([1,"a"])");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(NSObject_SBJSON::JSONRepresentation(Value(1)).has_value());
    EXPECT_EQ(testing::internal::GetCapturedStderr().rfind("-JSONRepresentation failed. Error trace is: ", 0), 0u);

    EXPECT_EQ(NSObject_SBJSON::JSONFragment(Value(false)), "false");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(NSObject_SBJSON::JSONFragment(Value(Date{})).has_value());
    log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log.rfind("-JSONFragment failed. Error trace is: ", 0), 0u);
    EXPECT_NE(log.find("not supported for Date"), std::string::npos) << log;
}

TEST(SBJSON, ErrorTraceText) {
    EXPECT_EQ(describeErrorTrace({}), "()");
    std::vector<Error> trace = {Error(kSBJsonErrorDomain, 11, "Unexpected end of string"),
                                Error(kSBJsonErrorDomain, 3, "Expected value while parsing array")};
    EXPECT_EQ(describeErrorTrace(trace),
              "(\n"
              "    Error Domain=com.marrowick.json Code=11 \"Unexpected end of string\",\n"
              "    Error Domain=com.marrowick.json Code=3 \"Expected value while parsing array\"\n"
              ")");
}

TEST(SBJSON, DropboxNamesAreTheSameCodec) {
    DBJSON json;
    Error error;
    EXPECT_FALSE(json.objectWithString("[1,2,]", &error).has_value());
    EXPECT_EQ(error.domain, DBJSONErrorDomain);
    EXPECT_EQ(error.code, 9);
    DBJsonWriter writer;
    writer.setHumanReadable(true);
    writer.setSortKeys(true);
    EXPECT_EQ(writer.stringWithObject(Dictionary{{"b", 1}, {"a", Array{true, Value()}}}),
              "{\n  \"a\" : [\n    true,\n    null\n  ],\n  \"b\" : 1\n}");
    DBJsonParser parser;
    EXPECT_EQ(parser.fragmentWithString(R"("\ud83d\ude00")")->asString(), "\U0001F600");
}
