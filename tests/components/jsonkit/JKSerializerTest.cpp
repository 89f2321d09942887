#include "components/jsonkit/JKCollections.h"
#include "components/jsonkit/JKDoubleText.h"
#include "components/jsonkit/JKSerializer.h"
#include "support/Process.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>

using namespace foundation;
using namespace jsonkit;

TEST(JKSerializer, WritesTheExpectedText) {
    struct Case {
        Value value;
        uint64_t options;
        std::string expected;
    };
    const Case cases[] = {
        {Array{}, JKEncodePrettyPrint, "[\n  \n]"},
        {Array{}, 0, "[]"},
        {Array{0.1, 1.5, -0.0, 1e300}, 0, "[0.10000000000000001,1.5,-0,1.0000000000000001e+300]"},
        {Array{Value(INT64_MIN), Value(UINT64_MAX), 0, true, false, Value()}, 0,
         "[-9223372036854775808,18446744073709551615,0,true,false,null]"},
        {Array{"\u00e9"}, 0, "[\"\u00e9\"]"},
        {Array{"\u00e9"}, JKEncodeEscapeUnicode, "[\"\\u00e9\"]"},
        {Array{"\U0001F600"}, JKEncodeEscapeUnicode, "[\"\\ud83d\\ude00\"]"},
        {Array{"a/b"}, 0, "[\"a/b\"]"},
        {Array{"a/b"}, JKEncodeEscapeForwardSlash, "[\"a\\/b\"]"},
        {Array{std::string("\x01\b\t\n\f\r\"\\\x1f\0", 10)}, 0, "[\"\\u0001\\b\\t\\n\\f\\r\\\"\\\\\\u001f\\u0000\"]"},
        {Dictionary{{"b", 1}, {"a", Array{2}}}, 0, "{\"b\":1,\"a\":[2]}"},
        {Dictionary{{"b", 1}, {"a", Array{2}}}, JKEncodePrettyPrint, "{\n  \"a\": [\n    2\n  ],\n  \"b\": 1\n}"},
        {Array{"x", "x", "x"}, 0, "[\"x\",\"x\",\"x\"]"},
        // Characters from 0x80 stay in the run of plain text around them, up
        // to an escape on either side.
        {Array{"\u65e5\"\u00e9\n\U0001F3AC plain text after/"}, 0,
         "[\"\u65e5\\\"\u00e9\\n\U0001F3AC plain text after/\"]"},
        {Array{"\u00e9\u00e9\"/"}, JKEncodeEscapeForwardSlash | JKEncodeEscapeUnicode, "[\"\\u00e9\\u00e9\\\"\\/\"]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        JKError error;
        std::optional<std::string> text = JSONString(c.value, c.options, nullptr, &error);
        ASSERT_TRUE(text.has_value()) << error.description;
        EXPECT_EQ(*text, c.expected);
        std::optional<Bytes> data = JSONData(c.value, c.options);
        ASSERT_TRUE(data.has_value());
        EXPECT_EQ(std::string(data->begin(), data->end()), c.expected);
    }
    EXPECT_EQ(JSONStringFromString("a/\"\u00e9", JKEncodeEscapeUnicode, false).value_or("?"), "a/\\\"\\u00e9");
    EXPECT_EQ(JSONStringFromString("x").value_or("?"), "\"x\"");
}

// Doubles are written with their 17 digits worked out in integers where
// they fit: the text is printf's "%.17g" for tricky values (ties broken to
// even, carries into a new digit, the edges of the fixed notation, the ends
// of the range) and for random values of every size.
TEST(JKSerializer, DoublesAreWrittenAsPrintfWritesThem) {
    std::vector<double> values = {0.0,
                                  -0.0,
                                  0.1,
                                  1.0,
                                  -1.5,
                                  100.0,
                                  1e16,
                                  1e17,
                                  12345678901234567.0,
                                  99999999999999999.0,
                                  9.9999999999999999e22,
                                  1e22,
                                  1e23,
                                  1.00000762939453125,  // a tie at the 18th digit, kept even
                                  1.00000762939453135,
                                  0.0001,
                                  0.00001,
                                  0.000123456789,
                                  123456.789,
                                  45.123456,
                                  -90.000001,
                                  5e-324,
                                  2.2250738585072014e-308,
                                  2.2250738585072009e-308,
                                  1.7976931348623157e308,
                                  std::ldexp(1.0, 74),
                                  std::ldexp(1.0, 127),
                                  std::ldexp(1.0, -72),
                                  std::ldexp(1.0, -128)};
    for (int n = -30; n <= 30; ++n) {
        values.push_back(std::pow(10.0, n));
        values.push_back(std::nextafter(std::pow(10.0, n), 0.0));
        values.push_back(std::nextafter(std::pow(10.0, n), INFINITY));
    }
    std::mt19937_64 random(5);
    for (int i = 0; i < 100000; ++i) {
        uint64_t bits = random();
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isfinite(value)) values.push_back(value);
        values.push_back(std::ldexp(static_cast<double>(random() >> 11), static_cast<int>(random() % 140) - 100));
        values.push_back(static_cast<double>(random() % 100000000) / 1000000.0 - 50.0);
    }
    for (double value : values) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%.17g", value);
        char written[kJKDoubleTextBytes];
        const char* end = jkWriteDouble(written, value);
        ASSERT_EQ(std::string(written, static_cast<size_t>(end - written)), expected);
    }
}

TEST(JKSerializer, FailsWithTheFirstErrorAndNoText) {
    Array loop;
    loop.push_back(Value(loop));
    const JKUnsupportedFormatter toText = [](const Value&) { return std::optional<Value>(Value("date")); };
    const JKUnsupportedFormatter toData = [](const Value&) { return std::optional<Value>(Value(Bytes{1})); };
    const JKUnsupportedFormatter toNothing = [](const Value&) { return std::optional<Value>(); };
    struct Case {
        Value value;
        uint64_t encodeOption;
        JKUnsupportedFormatter formatter;
        std::string message;
    };
    const Case cases[] = {
        {Array{std::nan("")}, 10, nullptr,
         "Floating point values must be finite.  JSON does not support NaN or Infinity."},
        {Array{INFINITY}, 10, nullptr, "Floating point values must be finite.  JSON does not support NaN or Infinity."},
        {Array{Value(Date{})}, 10, nullptr, "Unable to serialize object class date."},
        {Array{Value(Date{})}, 10, toNothing, "Unable to serialize object class date."},
        {Array{Value(Date{})}, 10, toData,
         "Unable to serialize object class data that was returned by the unsupported class formatter.  Original object "
         "class was date."},
        {Value("s"), 10, nullptr, "Unable to serialize object class string, expected a NSArray or NSDictionary."},
        {Value(1), 18, nullptr, "Unable to serialize object class integer, expected a NSString."},
        {Array{}, 8, nullptr, "Unknown encode as type."},
        {Array{std::string("\xC3")}, 10, nullptr, "An error occurred converting the contents of a NSString to UTF8."},
        {Value(loop), 10, nullptr, "Arrays and objects are nested deeper than 1024 levels."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        JKError error;
        EXPECT_FALSE(JKSerializer::serializeObject(c.value, 0, c.encodeOption, c.formatter, &error).has_value());
        EXPECT_EQ(error.domain, "JKErrorDomain");
        EXPECT_EQ(error.code, -1);
        EXPECT_EQ(error.description, c.message);
        EXPECT_EQ(error.userInfo.size(), 1u);
    }
    loop.clear();  // breaks the reference cycle

    std::optional<std::string> substituted = JSONString(Array{Value(Date{}), 1}, 0, toText);
    EXPECT_EQ(substituted.value_or("?"), "[\"date\",1]");
}

TEST(JKSerializer, PythonReadsTheOutputBackEqual) {
    const Value documents[] = {
        Array{0.1, 1e-310, 5e-324, -0.0, Value(INT64_MIN), Value(UINT64_MAX), 123456789.125, 1e22},
        Dictionary{{"caf\u00e9 \U0001F3AC", "\u2028 / \x7f"}, {"", Dictionary{}}, {"n", Value()}},
        Array{"c\x01\x1f\"\\", Array{Value(Array{Dictionary{{"k", Array{true, false}}}})}},
    };
    const char* script =
        "import json, sys\n"
        "text, expected = open(sys.argv[1], encoding='utf-8').read(), json.loads(sys.argv[2])\n"
        "value = json.loads(text)\n"
        "print('equal' if value == expected and json.dumps(value, sort_keys=True) == json.dumps(expected, "
        "sort_keys=True) else 'differ ' + "
        "repr(value))\n";
    for (const Value& document : documents) {
        for (uint64_t options : {0ULL, 1ULL, 2ULL, 17ULL, 19ULL}) {
            std::optional<std::string> text = JSONString(document, options);
            ASSERT_TRUE(text.has_value());
            // The plain form, read back by our own decoder, is python's reference.
            std::optional<std::string> reference = JSONString(document, JKEncodeEscapeUnicode);
            const std::string path = testsupport::artifactsDirectory() + "/jsonkit-roundtrip.json";
            FILE* file = std::fopen(path.c_str(), "wb");
            ASSERT_NE(file, nullptr);
            std::fwrite(text->data(), 1, text->size(), file);
            std::fclose(file);
            testsupport::ProcessResult run = testsupport::runPython(script, {path, *reference});
            EXPECT_EQ(run.output, "equal\n") << *text;
            std::optional<Value> decoded = objectFromJSONString(*text);
            ASSERT_TRUE(decoded.has_value()) << *text;
            EXPECT_EQ(*decoded, document) << *text;
        }
    }
}

// Plain text goes over sixteen bytes at a time and the last few bytes of a
// run in two overlapping pieces: a character that needs care is found at
// every position of strings of every length up to 40, and nothing else is
// touched.
TEST(JKSerializer, EscapesACharacterAtAnyPositionOfAnyLength) {
    struct Case {
        std::string character;
        uint64_t options;
        std::string written;
    };
    const Case cases[] = {
        {"\"", 0, "\\\""},
        {"\\", 0, "\\\\"},
        {"/", 0, "/"},
        {"/", JKEncodeEscapeForwardSlash, "\\/"},
        {"\n", 0, "\\n"},
        {"\x1f", 0, "\\u001f"},
        {"\x7f", 0, "\x7f"},
        {"\xc3\xa9", 0, "\xc3\xa9"},
        {"\xc3\xa9", JKEncodeEscapeUnicode, "\\u00e9"},
        {"\U0001F3AC", 0, "\U0001F3AC"},
        {" ", 0, " "},
    };
    for (const Case& c : cases) {
        for (size_t length = 1; length <= 40; ++length) {
            for (size_t at = 0; at < length; ++at) {
                const std::string before(at, 'a'), after(length - 1 - at, 'z');
                const std::optional<std::string> text =
                    JSONString(Value(Array{Value(before + c.character + after)}), c.options);
                ASSERT_TRUE(text);
                EXPECT_EQ(*text, "[\"" + before + c.written + after + "\"]") << "at " << at << " of " << length;
            }
        }
    }
}

// A formatter that changes the array being written stops the walk, as a
// changed collection stops any walk over it.
TEST(JKSerializer, AFormatterChangingTheWrittenArrayStopsTheWalk) {
    Array array = mutableObjectFromJSONString("[2]")->asArray();
    array.insert(0, Value(Bytes{1}));
    const JKUnsupportedFormatter formatter = [&](const Value&) -> std::optional<Value> {
        array.push_back(Value(3));
        return Value("data");
    };
    EXPECT_THROW(JSONString(Value(array), 0, formatter), CollectionMutatedError);
}

namespace {

size_t sourceLengthOf(const Value& container) {
    if (container.isArray()) return dynamic_cast<const JKArray&>(container.asArray().storage()).sourceLength();
    return dynamic_cast<const JKDictionary&>(container.asDictionary().storage()).sourceLength();
}

// Every container below the outermost one has no source length.
void expectInnerUnmarked(const Value& container) {
    std::vector<Value> inner;
    if (container.isArray()) {
        for (const Value& item : container.asArray()) inner.push_back(item);
    } else {
        for (const auto& [key, item] : container.asDictionary()) inner.push_back(item);
    }
    for (const Value& item : inner) {
        if (!item.isArray() && !item.isDictionary()) continue;
        EXPECT_EQ(sourceLengthOf(item), 0u);
        expectInnerUnmarked(item);
    }
}

}  // namespace

// A decoded document remembers the length of its text on its outermost
// container only; writing it back reserves from that and still comes out
// whole when the text turns out longer (escapes, pretty printing, items
// added after decoding) or far shorter (white space) than the source.
TEST(JKSerializer, DecodedDocumentsAreWrittenWholeWhateverTheirSourceLength) {
    const std::string spaced = "[" + std::string(4000, ' ') + "1]";
    std::string wide = "[\"", wideWritten = "[\"";
    for (int i = 0; i < 1000; ++i) wide += "\u65e5", wideWritten += "\\u65e5";
    wide += "\"]", wideWritten += "\"]";
    const std::string added(300, '7');
    struct Case {
        std::string source;
        bool isMutable;
        uint64_t options;
        std::string written;
    };
    const Case cases[] = {
        {spaced, false, 0, "[1]"},
        {wide, false, JKEncodeEscapeUnicode, wideWritten},
        {"{\"a\":[\"\u65e5\",{\"x\":[]}]}", false, JKEncodeEscapeUnicode, "{\"a\":[\"\\u65e5\",{\"x\":[]}]}"},
        {"{\"b\":{\"c\":[]}}", false, JKEncodePrettyPrint, "{\n  \"b\": {\n    \"c\": [\n      \n    ]\n  }\n}"},
        {"[[2]]", true, 0, "[[2],\"" + added + "\"]"},
        {"{}", true, 0, "{\"k\":\"" + added + "\"}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source.substr(0, 40));
        std::optional<Value> value =
            c.isMutable ? mutableObjectFromJSONString(c.source) : objectFromJSONString(c.source);
        ASSERT_TRUE(value);
        EXPECT_EQ(sourceLengthOf(*value), c.source.size());
        expectInnerUnmarked(*value);
        if (c.isMutable && value->isArray()) value->asArray().push_back(Value(added));
        if (c.isMutable && value->isDictionary()) value->asDictionary().set("k", Value(added));
        const std::optional<std::string> text = JSONString(*value, c.options);
        ASSERT_TRUE(text);
        EXPECT_EQ(*text, c.written);
    }
    // The source's length is reserved at once rather than reached by growing.
    const std::optional<std::string> spacedText = JSONString(*objectFromJSONString(spaced));
    ASSERT_TRUE(spacedText);
    EXPECT_GE(spacedText->capacity(), spaced.size());
}
