#include "components/sbjson/SBJsonParser.h"
#include "components/sbjson/SBJsonWriter.h"
#include "support/Process.h"

#include <chrono>
#include <gtest/gtest.h>

using namespace foundation;
using namespace sbjson;

namespace {

Value nestedSample() {
    return Dictionary{
        {"title", "Caf\u00e9 \u201cnight\u201d \U0001F3AC"},
        {"frames", Array{Dictionary{{"index", 0}, {"duration", 0.125}, {"hidden", false}},
                         Dictionary{{"index", 1}, {"duration", 1e-9}, {"hidden", true}}}},
        {"empty", Array{}},
        {"none", Value()},
        {"controls", std::string("tab\t nl\n quote\" back\\ bell\x07 nul\0 end", 36)},
        {"deep", Array{Array{Array{Dictionary{{"k", Array{-1, 2.5, "x"}}}}}}},
        {"big", Value(-9007199254740993LL)},
    };
}

}  // namespace

TEST(JsonRoundTrip, WriteThenParseGivesEqualValues) {
    Value original = nestedSample();
    for (bool humanReadable : {false, true}) {
        SBJsonWriter writer;
        writer.setHumanReadable(humanReadable);
        std::optional<std::string> json = writer.stringWithObject(original);
        ASSERT_TRUE(json.has_value());
        SBJsonParser parser;
        std::optional<Value> back = parser.objectWithString(*json);
        ASSERT_TRUE(back.has_value()) << parser.errorTrace().back().description;
        EXPECT_EQ(*back, original) << *json;
        EXPECT_EQ(back->asDictionary().keys(), original.asDictionary().keys()) << "key order is kept";
        // Text written from parsed values is the same text again.
        EXPECT_EQ(writer.stringWithObject(*back), json);
    }
}

TEST(JsonRoundTrip, PythonReadsWhatWeWrite) {
    SBJsonWriter writer;
    std::optional<std::string> json = writer.stringWithObject(nestedSample());
    ASSERT_TRUE(json.has_value());
    // python3 compares against the same data written by hand in its own terms.
    testsupport::ProcessResult result = testsupport::runPython(R"(
import json, sys
data = json.loads(sys.stdin.read() if len(sys.argv) < 2 else sys.argv[1])
expected = {
    "title": "Caf\u00e9 \u201cnight\u201d \U0001F3AC",
    "frames": [{"index": 0, "duration": 0.125, "hidden": False},
               {"index": 1, "duration": 1e-9, "hidden": True}],
    "empty": [], "none": None,
    "controls": "tab\t nl\n quote\" back\\ bell\x07 nul\x00 end",
    "deep": [[[{"k": [-1, 2.5, "x"]}]]],
    "big": -9007199254740993,
}
assert data == expected, data
assert list(data) == list(expected)
print("same")
)",
                                                               {*json});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(result.output, "same\n");
}

TEST(JsonRoundTrip, WeReadWhatPythonWrites) {
    testsupport::ProcessResult result = testsupport::runPython(R"(
import json
print(json.dumps({"control": "\u00e9\U0001F600\u0001", "raw": "\u00e9\U0001F600", "n": [1.5e300, -0.0, 12345678901234567890]},
                 ensure_ascii=False, indent=2), end="")
)");
    ASSERT_EQ(result.exitCode, 0) << result.output;
    // ensure_ascii=False leaves the text as UTF-8 but still escapes U+0001.
    SBJsonParser parser;
    std::optional<Value> value = parser.objectWithString(result.output);
    ASSERT_TRUE(value.has_value()) << result.output;
    Dictionary object = value->asDictionary();
    EXPECT_EQ(object["control"].asString(), "\u00e9\U0001F600\x01");
    EXPECT_EQ(object["raw"].asString(), "\u00e9\U0001F600");
    Array numbers = object["n"].asArray();
    EXPECT_EQ(numbers[0].decimalText(), "1.5e+300");
    EXPECT_EQ(numbers[1].decimalText(), "-0.0");
    EXPECT_EQ(numbers[2].decimalText(), "12345678901234567890");
    EXPECT_EQ(numbers[2].asUInt(), 12345678901234567890ULL);

    testsupport::ProcessResult escaped =
        testsupport::runPython(R"(import json; print(json.dumps(["\u00e9\U0001F600\u2028"]), end=""))");
    ASSERT_EQ(escaped.exitCode, 0) << escaped.output;
    EXPECT_EQ(escaped.output, R"(["\u00e9\ud83d\ude00\u2028"])");
    std::optional<Value> surrogates = parser.objectWithString(escaped.output);
    ASSERT_TRUE(surrogates.has_value());
    EXPECT_EQ(surrogates->asArray()[0].asString(), "\u00e9\U0001F600\u2028");
}

TEST(JsonRoundTrip, OneMegabyteDocumentInLinearTime) {
    Array records;
    for (int i = 0; i < 12000; ++i) {
        records.push_back(Dictionary{{"id", i},
                                     {"name", "frame \u00e9 " + std::to_string(i)},
                                     {"note", "line\nbreak \"quoted\""},
                                     {"values", Array{i * 0.5, -i, true, Value()}}});
    }
    // One long string as well: its escapes and plain runs must not be copied over and over.
    records.push_back(std::string(200'000, 'x') + "\n" + std::string(100'000, '\\'));
    // And one wide object, whose keys must not be looked up one by one.
    Dictionary wide;
    for (int i = 0; i < 20000; ++i) wide.set("key" + std::to_string(i), i);
    records.push_back(wide);

    auto start = std::chrono::steady_clock::now();
    SBJsonWriter writer;
    std::optional<std::string> json = writer.stringWithObject(records);
    ASSERT_TRUE(json.has_value());
    EXPECT_GT(json->size(), 1'000'000u);
    SBJsonParser parser;
    std::optional<Value> back = parser.objectWithString(*json);
    ASSERT_TRUE(back.has_value());
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(back->asArray().size(), records.size());
    EXPECT_EQ(*back, Value(records));
    // Linear work takes a fraction of this even with sanitizers; quadratic
    // copying of a megabyte would take far longer.
    EXPECT_LT(seconds, 5.0);
}
