#include "components/sbjson/SBJsonParser.h"
#include "components/sbjson/SBJsonWriter.h"
#include "support/Process.h"

#include <cmath>
#include <ctime>
#include <functional>
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
        {"deep", Array{Value(Array{Value(Array{Dictionary{{"k", Array{-1, 2.5, "x"}}}})})}},
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

namespace {

// The CPU time this thread has used: time spent waiting for a core on a
// loaded machine does not count.
double threadCpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double roundTripCpuSeconds(const Value& document) {
    double start = threadCpuSeconds();
    SBJsonWriter writer;
    std::optional<std::string> json = writer.stringWithObject(document);
    SBJsonParser parser;
    std::optional<Value> back = parser.objectWithString(json.value_or(""));
    double seconds = threadCpuSeconds() - start;
    EXPECT_TRUE(back.has_value());
    return seconds;
}

// Documents of one shape at a given scale; the work to write and parse them
// should grow with the scale, not with its square.
struct Shape {
    const char* name;
    std::function<Value(int)> make;
};

const std::vector<Shape>& shapes() {
    static const std::vector<Shape> all = {
        {"many small records",
         [](int n) {
             Array records;
             for (int i = 0; i < n; ++i) {
                 records.push_back(Dictionary{{"id", i},
                                              {"name", "frame \u00e9 " + std::to_string(i)},
                                              {"note", "line\nbreak \"quoted\""},
                                              {"values", Array{i * 0.5, -i, true, Value()}}});
             }
             return Value(std::move(records));
         }},
        // Its escapes and plain runs must not be copied over and over.
        {"one long string",
         [](int n) { return Value(Array{std::string(20 * n, 'x') + "\n" + std::string(10 * n, '\\')}); }},
        // Its keys must not be looked up one by one.
        {"one wide object",
         [](int n) {
             Dictionary wide;
             for (int i = 0; i < 2 * n; ++i) wide.set("key" + std::to_string(i), i);
             return Value(std::move(wide));
         }},
    };
    return all;
}

}  // namespace

TEST(JsonRoundTrip, OneMegabyteDocumentReadsBackEqual) {
    Array parts;
    for (const Shape& shape : shapes()) parts.push_back(shape.make(10000));
    SBJsonWriter writer;
    std::optional<std::string> json = writer.stringWithObject(parts);
    ASSERT_TRUE(json.has_value());
    EXPECT_GT(json->size(), 1'000'000u);
    SBJsonParser parser;
    std::optional<Value> back = parser.objectWithString(*json);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, Value(parts));
}

TEST(JsonRoundTrip, WorkGrowsLinearlyWithTheDocument) {
    // Eight times the document costs about eight times the CPU time when the
    // work is linear, sixty-four times when it is quadratic. The least of a
    // few runs of each size, measured in this thread's CPU time, keeps other
    // load out; the limit leaves room for caches and allocators that work
    // less well on the larger document.
    constexpr int kSmall = 300;
    constexpr int kGrowth = 8;
    constexpr int kRuns = 3;
    constexpr double kLimit = 3.0 * kGrowth;
    for (const Shape& shape : shapes()) {
        const Value small = shape.make(kSmall);
        const Value large = shape.make(kSmall * kGrowth);
        double bestSmall = INFINITY;
        double bestLarge = INFINITY;
        for (int run = 0; run < kRuns; ++run) {
            bestSmall = std::min(bestSmall, roundTripCpuSeconds(small));
            bestLarge = std::min(bestLarge, roundTripCpuSeconds(large));
        }
        ASSERT_GT(bestSmall, 0) << shape.name;
        EXPECT_LT(bestLarge / bestSmall, kLimit) << shape.name << ": " << bestSmall << " s for " << kSmall << ", "
                                                 << bestLarge << " s for " << kSmall * kGrowth;
    }
}
